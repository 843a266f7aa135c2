#include "host/ui/dlgtemplate.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>

#include "host/base/strings.h"
#include "host/base/text.h"

namespace host::ui {

namespace {

struct Token {
    std::string text;
    bool quoted = false;  // the token began with a quote: a "..." string
};

// Splits a line into blank-separated tokens; "..." strings keep their blanks and read the
// C escapes \n \t \" \\. False when a quote is not closed.
bool Tokenize(const std::string& line, std::vector<Token>* out) {
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        if (i >= line.size() || line[i] == '#') break;
        Token tok;
        tok.quoted = line[i] == '"';
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
            if (line[i] != '"') {
                tok.text += line[i++];
                continue;
            }
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < line.size()) {
                    c = line[i++];
                    if (c == 'n')
                        c = '\n';
                    else if (c == 't')
                        c = '\t';
                }
                tok.text += c;
            }
            if (!closed) return false;
        }
        out->push_back(std::move(tok));
    }
    return true;
}

bool ParseInt(const std::string& s, int* out) {
    if (s.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || v < -100000 || v > 100000) return false;
    *out = static_cast<int>(v);
    return true;
}

// "a..b"
bool ParseRange(const std::string& s, int* a, int* b) {
    const size_t dots = s.find("..");
    return dots != std::string::npos && ParseInt(s.substr(0, dots), a) &&
           ParseInt(s.substr(dots + 2), b) && *a <= *b;
}

std::vector<std::string> SplitBar(const std::string& s) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : s) {
        if (c == '|') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

bool IsFieldName(const std::string& s) {
    if (s.empty() || s[0] < 'a' || s[0] > 'z') return false;
    for (char c : s)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

bool TakesValue(ControlKind k) {
    switch (k) {
        case ControlKind::Static:
        case ControlKind::Picture:
        case ControlKind::GroupBox:
        case ControlKind::Button:
        case ControlKind::TabControl:
            return false;
        default:
            return true;
    }
}

// The standard row of a report dialog: destination, then Print, Preview, Save as default
// and Cancel, added below the template's controls.
void AddReportBar(DialogTemplate* t) {
    const int w = t->width;
    int y = t->height + 4;
    auto add = [&](ControlKind kind, int id, TRect r, const std::string& text) -> ControlTemplate& {
        ControlTemplate c;
        c.kind = kind;
        c.id = id;
        c.rect = r;
        c.text = text;
        t->controls.push_back(c);
        return t->controls.back();
    };
    add(ControlKind::Static, -1, {7, y + 2, 45, 8}, LoadText(12400));
    ControlTemplate& dest = add(ControlKind::ComboBox, IDC_DESTINATION, {55, y, 100, 60}, "");
    dest.strings_first = 12401;
    dest.strings_last = 12404;
    dest.values = {"0", "1", "2", "3"};
    const int buttons_width = 4 * 50 + 3 * 4;
    if (w - 7 - buttons_width < 55 + 100 + 8) y += 18;
    int x = w - 7 - buttons_width;
    const int ids[] = {IDOK, IDC_PREVIEW, IDC_SAVEDEFAULT, IDCANCEL};
    for (int k = 0; k < 4; ++k) {
        ControlTemplate& b = add(ControlKind::Button, ids[k], {x, y, 50, 14}, LoadText(12405 + k));
        b.is_default = ids[k] == IDOK;
        x += 54;
    }
    t->height = y + 14 + 6;
}

}  // namespace

const ControlTemplate* DialogTemplate::Find(int control_id) const {
    for (const ControlTemplate& c : controls)
        if (c.id == control_id) return &c;
    return nullptr;
}

const ControlTemplate* DialogTemplate::FindByName(const std::string& name) const {
    for (const ControlTemplate& c : controls)
        if (!c.name.empty() && c.name == name) return &c;
    return nullptr;
}

bool ParseDialogTemplate(const std::string& text, const std::string& source, DialogTemplate* out,
                         std::string* error) {
    DialogTemplate t;
    t.source = source;
    bool have_dialog = false;
    bool have_bar = false;
    std::set<int> ids;
    std::set<std::string> names;
    std::istringstream in(text);
    std::string line;
    int line_no = 0;
    auto fail = [&](const std::string& message) {
        if (error) *error = source + ":" + std::to_string(line_no) + ": " + message;
        return false;
    };
    while (std::getline(in, line)) {
        ++line_no;
        std::vector<Token> toks;
        if (!Tokenize(line, &toks)) return fail("guillemet non fermé");
        if (toks.empty()) continue;
        const std::string& word = toks[0].text;
        if (word == "dialog") {
            if (have_dialog) return fail("deuxième ligne « dialog »");
            if (toks.size() != 5 || !ParseInt(toks[1].text, &t.id) || !toks[2].quoted ||
                !ParseInt(toks[3].text, &t.width) || !ParseInt(toks[4].text, &t.height) ||
                t.width <= 0 || t.height <= 0)
                return fail("attendu : dialog NUMÉRO \"titre\" LARGEUR HAUTEUR");
            t.caption = toks[2].text;
            have_dialog = true;
            continue;
        }
        if (!have_dialog) return fail("la première ligne doit être « dialog »");
        if (have_bar) return fail("« reportbar » doit être la dernière ligne");
        if (word == "reportbar") {
            if (toks.size() != 1) return fail("« reportbar » ne prend pas d'argument");
            for (int id : {IDOK, IDCANCEL, IDC_PREVIEW, IDC_SAVEDEFAULT, IDC_DESTINATION})
                if (ids.count(id))
                    return fail("le contrôle " + std::to_string(id) +
                                " est réservé à « reportbar »");
            AddReportBar(&t);
            have_bar = true;
            continue;
        }
        ControlTemplate c;
        c.line = line_no;
        if (!ParseControlKind(word, &c.kind)) return fail("type de contrôle inconnu : " + word);
        if (toks.size() < 6 || !ParseInt(toks[1].text, &c.id) ||
            !ParseInt(toks[2].text, &c.rect.x) || !ParseInt(toks[3].text, &c.rect.y) ||
            !ParseInt(toks[4].text, &c.rect.w) || !ParseInt(toks[5].text, &c.rect.h))
            return fail("attendu : " + word + " ID X Y LARGEUR HAUTEUR [\"texte\"] [options]");
        if (c.rect.w < 0 || c.rect.h < 0) return fail("taille négative");
        if (c.id >= 0 && !ids.insert(c.id).second)
            return fail("contrôle " + std::to_string(c.id) + " déjà défini");
        size_t k = 6;
        if (k < toks.size() && toks[k].quoted) c.text = toks[k++].text;
        for (; k < toks.size(); ++k) {
            const std::string& opt = toks[k].text;
            const size_t eq = opt.find('=');
            if (eq == std::string::npos) {
                if (opt == "group")
                    c.group = true;
                else if (opt == "default")
                    c.is_default = true;
                else if (opt == "disabled")
                    c.disabled = true;
                else if (opt == "hidden")
                    c.hidden = true;
                else if (opt == "readonly")
                    c.readonly = true;
                else
                    return fail("option inconnue : " + opt);
                continue;
            }
            const std::string key = opt.substr(0, eq);
            const std::string value = opt.substr(eq + 1);
            if (key == "name") {
                if (!IsFieldName(value)) return fail("nom de champ invalide : " + value);
                if (!TakesValue(c.kind)) return fail("un contrôle " + word + " n'a pas de nom");
                if (!names.insert(value).second) return fail("nom déjà utilisé : " + value);
                c.name = value;
            } else if (key == "range") {
                if (!ParseRange(value, &c.range_low, &c.range_high))
                    return fail("intervalle invalide : " + value);
                c.has_range = true;
            } else if (key == "limit") {
                if (!ParseInt(value, &c.limit) || c.limit < 0) return fail("limite invalide");
            } else if (key == "items") {
                c.items = SplitBar(value);
            } else if (key == "values") {
                c.values = SplitBar(value);
            } else if (key == "strings") {
                if (!ParseRange(value, &c.strings_first, &c.strings_last))
                    return fail("intervalle de textes invalide : " + value);
            } else if (key == "columns") {
                for (const std::string& col : SplitBar(value)) {
                    const size_t colon = col.rfind(':');
                    int width = 0;
                    if (colon == std::string::npos || !ParseInt(col.substr(colon + 1), &width))
                        return fail("colonne invalide (attendu Texte:largeur) : " + col);
                    c.columns.emplace_back(col.substr(0, colon), width);
                }
            } else if (key == "bitmap") {
                if (!ParseInt(value, &c.bitmap)) return fail("bitmap invalide");
            } else if (key == "tip") {
                if (!ParseInt(value, &c.tip)) return fail("texte d'info-bulle invalide");
            } else if (key == "view") {
                if (value == "icon")
                    c.view = LV_VIEW_ICON;
                else if (value == "smallicon")
                    c.view = LV_VIEW_SMALLICON;
                else if (value == "list")
                    c.view = LV_VIEW_LIST;
                else if (value == "report")
                    c.view = LV_VIEW_DETAILS;
                else
                    return fail("vue inconnue : " + value);
            } else {
                return fail("option inconnue : " + key);
            }
        }
        if (!c.values.empty() &&
            c.values.size() !=
                c.items.size() +
                    static_cast<size_t>(c.strings_first ? c.strings_last - c.strings_first + 1 : 0))
            return fail("autant de valeurs que d'éléments attendues");
        t.controls.push_back(std::move(c));
    }
    if (!have_dialog) {
        line_no = 0;
        return fail("ligne « dialog » manquante");
    }
    *out = std::move(t);
    return true;
}

std::string DialogTemplatePath(int id) {
    return (std::filesystem::path(ResourceDir()) / "dialogs" / (std::to_string(id) + ".dlg"))
        .string();
}

std::shared_ptr<const DialogTemplate> LoadDialogTemplate(int id, std::string* error) {
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<const DialogTemplate>> cache;
    const std::string path = DialogTemplatePath(id);
    std::lock_guard lock(mutex);
    if (auto it = cache.find(path); it != cache.end()) return it->second;
    std::ifstream in(path);
    if (!in) {
        if (error) *error = "modèle de dialogue introuvable : " + path;
        return nullptr;
    }
    std::stringstream buf;
    buf << in.rdbuf();
    auto t = std::make_shared<DialogTemplate>();
    if (!ParseDialogTemplate(buf.str(), path, t.get(), error)) return nullptr;
    if (t->id != id) {
        if (error) *error = path + ": le modèle porte le numéro " + std::to_string(t->id);
        return nullptr;
    }
    cache[path] = t;
    return t;
}

std::vector<FieldDescription> DescribeFields(const DialogTemplate& t) {
    std::vector<FieldDescription> out;
    for (size_t i = 0; i < t.controls.size(); ++i) {
        const ControlTemplate& c = t.controls[i];
        if (c.name.empty()) continue;
        FieldDescription f;
        f.name = c.name;
        f.id = c.id;
        f.kind = c.kind;
        switch (c.kind) {
            case ControlKind::RadioButton: {
                std::string indices, labels;
                int n = 0;
                for (size_t j = i; j < t.controls.size(); ++j) {
                    const ControlTemplate& r = t.controls[j];
                    if (r.kind != ControlKind::RadioButton || (j > i && r.group)) break;
                    if (n) {
                        indices += "|";
                        labels += "|";
                    }
                    indices += std::to_string(n++);
                    labels += Trim(r.text);
                }
                f.help = indices + " (" + labels + ")";
                break;
            }
            case ControlKind::CheckBox:
                f.help = "yes|no";
                break;
            case ControlKind::Date:
                f.help = "date AAAAMMJJ";
                break;
            case ControlKind::Time:
                f.help = "heure HH:MM";
                break;
            case ControlKind::Amount:
                f.help = "montant 1234.56";
                break;
            case ControlKind::Spin:
                f.help = c.has_range ? "nombre de " + std::to_string(c.range_low) + " à " +
                                           std::to_string(c.range_high)
                                     : "nombre";
                break;
            case ControlKind::ComboBox:
            case ControlKind::ListBox: {
                std::vector<std::string> texts;
                for (int s = c.strings_first; s && s <= c.strings_last; ++s)
                    texts.push_back(LoadText(s));
                for (const std::string& s : c.items)
                    texts.push_back(s);
                if (texts.empty()) {
                    f.help = "élément de la liste";
                } else {
                    for (size_t k = 0; k < texts.size(); ++k) {
                        if (k) f.help += "|";
                        f.help += k < c.values.size() ? c.values[k] + "=" + Trim(texts[k])
                                                      : Trim(texts[k]);
                    }
                }
                break;
            }
            default:
                f.help = "texte";
                break;
        }
        out.push_back(std::move(f));
    }
    return out;
}

}  // namespace host::ui
