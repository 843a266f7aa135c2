#include "common/ppsetstore.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "host/base/debuglog.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/ui/reportdlg.h"

namespace ppset {

namespace {

const std::vector<OwnerLayout> kLayouts = {
    {Owner::ARCollections,
     "AR collections",
     8,
     true,
     {{"PPST_A2_FIELD02", "%c"},
      {"PPST_A2_FIELD03", "%c"},
      {"PPST_A2_FIELD04", "%c"},
      {"PPST_A2_FIELD05", "%c"},
      {"PPST_A2_FIELD06", "%c"},
      {"PPST_A11_FIELD05", "%s"},
      {"PPST_A51_FIELD09", "%10ld%10d%-5.5s%-5.5s%c"},
      {"PPST_A51_FIELD10", "%-10.10s%-10.10s%-10.10s"}}},
    {Owner::ARPatIns,
     "AR patient/insurance",
     8,
     true,
     {{"PPST_A2_FIELD02", "%c"},
      {"PPST_A2_FIELD03", "%c"},
      {"PPST_A2_FIELD04", "%c"},
      {"PPST_A2_FIELD05", "%c"},
      {"PPST_A2_FIELD06", "%c"},
      {"PPST_A11_FIELD05", "%s"},
      {"PPST_A51_FIELD09", "%10ld%10d%-5.5s%-5.5s%c"}}},
    {Owner::CLPListings,
     "monthly procedure listing",
     8,
     true,
     {{"PPST_A51_FIELD11", "%10ld%10d%-5.5s%-5.5s%c%c"},
      {"PPST_A51_FIELD12", "%-10.10s%-10.10s%-10.10s%c"}}},
    {Owner::ConsultPayments,
     "producer revenue percentage",
     8,
     true,
     {{"PPST_A51_FIELD13", "%-5.5s%-5.5s%05d%05d%-5.5s%-5.5s%-5.5s%c"},
      {"PPST_A51_FIELD14", "%-10.10s%-10.10s%-10.10s%c%c%c"}}},
    {Owner::CashReceipts, "cash receipts", 4, true, {{"PPST_A11_FIELD05", "%-4.4s%-4.4s%c%c"}}},
    {Owner::ProcComparison,
     "procedure comparison",
     4,
     true,
     {{"PPST_A51_FIELD02", "%-5.5s%-5.5s%c%c%02d"}}},
    {Owner::PatNoActivity,
     "patients not seen recently",
     4,
     true,
     {{"PPST_A51_FIELD03", "%-4.4s%-4.4s%c%c%c%c%c%1d%08ld%08ld%08ld%08ld%c%c"}}},
    {Owner::MonthEndClosing, "month-end closing", 4, true, {{"PPST_A51_FIELD08", "%08ld"}}},
    {Owner::DayEndEx,
     "extended day-end",
     9,
     true,
     {{"PPST_INT_FIELD15", "%d"},
      {"PPST_INT_FIELD16", "%d"},
      {"PPST_A51_FIELD01", "%c%-5.5s%-5.5s"}}},
    {Owner::MonthEndEx,
     "extended month-end",
     9,
     true,
     {{"PPST_INT_FIELD17", "%d"}, {"PPST_A51_FIELD02", "%-5.5s%-5.5s%-5.5s"}}},
    {Owner::PracticeFlag, "day-end practice flag", 2, false, {{"PPST_A2_FIELD04", "%c"}}},
    {Owner::GeneratorLabels,
     "report generator flag labels",
     1,
     false,
     {{"PPST_A81_FIELD01", "%s"}, {"PPST_A81_FIELD02", "%s"}}},
};

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// Characters from..from+count of s (fewer, or none, when s is shorter).
std::string Slice(std::string_view s, size_t from, size_t count) {
    const size_t skip = host::U8Left(s, from).size();
    if (skip >= s.size()) return {};
    const std::string_view rest = s.substr(skip);
    return count ? host::U8Left(rest, count) : std::string(rest);
}

// The largest and smallest numbers that fit in width characters.
long Clamp(long v, size_t width) {
    if (width == 0 || width >= 19) return v;
    long high = 1;
    for (size_t i = 0; i < width; ++i)
        high *= 10;
    high -= 1;
    const long low = width > 1 ? -(high / 10) : 0;
    return std::clamp(v, low, high);
}

std::string FormatOne(const Conversion& c, const Slot& slot) {
    std::string text;
    switch (c.type) {
        case 'd': {
            long v = slot.get_number ? Clamp(slot.get_number(), c.width) : 0;
            if (c.is_long) {
                text = host::U8Format(c.format.c_str(), v);
            } else {
                v = std::clamp<long>(v, INT_MIN, INT_MAX);
                text = host::U8Format(c.format.c_str(), static_cast<int>(v));
            }
            break;
        }
        case 'c': {
            std::string s = slot.get_text ? slot.get_text() : std::string();
            // A field that holds nothing is stored as a blank, so that the values after it
            // keep their places.
            const char ch = s.empty() || s[0] == '\0' ? ' ' : s[0];
            text = host::U8Format(c.format.c_str(), ch);
            break;
        }
        default:
            text = host::U8Format(c.format.c_str(),
                                  (slot.get_text ? slot.get_text() : std::string()).c_str());
            break;
    }
    return c.width ? host::U8Fit(text, c.width) : text;
}

void ApplyOne(const Conversion& c, const Slot& slot, const std::string& piece) {
    if (c.type == 'd' || slot.kind == Slot::Kind::Number) {
        const long v = std::atol(piece.c_str());
        if ((slot.rules & kIfPositive) && v <= 0) return;
        if (slot.set_number) slot.set_number(v);
        return;
    }
    std::string text = piece;
    if (slot.kind == Slot::Kind::Char) {
        // A flag holds one ASCII character: a stored character that is not ASCII reads as no
        // value (and packs again as a blank), never as half a character.
        const char ch =
            text.empty() || static_cast<unsigned char>(text[0]) >= 0x80 ? '\0' : text[0];
        if ((slot.rules & kIfNotEmpty) && (ch == '\0' || ch == ' ')) return;
        if ((slot.rules & kIfYesNo) && ch != 'Y' && ch != 'N') return;
        if (slot.set_text) slot.set_text(ch ? std::string(1, ch) : std::string());
        return;
    }
    if (slot.rules & kClip) text = host::TrimRight(text);
    if ((slot.rules & kIfNotEmpty) && host::Trim(text).empty()) return;
    if (slot.keep) text = host::U8Left(text, slot.keep);
    if (slot.set_text) slot.set_text(text);
}

}  // namespace

const std::vector<OwnerLayout>& Layouts() {
    return kLayouts;
}

const OwnerLayout& LayoutOf(Owner owner) {
    for (const OwnerLayout& l : kLayouts)
        if (l.owner == owner) return l;
    return kLayouts.front();
}

std::vector<Conversion> ParseLayout(std::string_view layout) {
    std::vector<Conversion> out;
    size_t p = 0;
    while (p < layout.size()) {
        if (layout[p] != '%') return {};  // literal text between values is not used
        const size_t start = p++;
        while (p < layout.size() && (layout[p] == '-' || layout[p] == '0'))
            ++p;
        size_t width = 0, precision = 0;
        bool has_precision = false;
        while (p < layout.size() && layout[p] >= '0' && layout[p] <= '9')
            width = width * 10 + static_cast<size_t>(layout[p++] - '0');
        if (p < layout.size() && layout[p] == '.') {
            has_precision = true;
            ++p;
            while (p < layout.size() && layout[p] >= '0' && layout[p] <= '9')
                precision = precision * 10 + static_cast<size_t>(layout[p++] - '0');
        }
        Conversion c;
        if (p < layout.size() && layout[p] == 'l') {
            c.is_long = true;
            ++p;
        }
        if (p >= layout.size()) return {};
        c.type = layout[p++];
        c.format = std::string(layout.substr(start, p - start));
        switch (c.type) {
            case 's':
                c.width = has_precision ? std::max(width, precision) : width;
                break;
            case 'c':
                c.width = std::max<size_t>(width, 1);
                break;
            case 'd':
                c.width = width;
                break;
            default:
                return {};
        }
        out.push_back(std::move(c));
    }
    return out;
}

bool IsIntegerColumn(std::string_view column) {
    return StartsWith(column, "PPST_INT_FIELD");
}

size_t ColumnWidth(std::string_view column) {
    if (StartsWith(column, "PPST_A2_")) return 1;
    if (StartsWith(column, "PPST_A11_")) return 10;
    if (StartsWith(column, "PPST_A51_")) return 50;
    if (StartsWith(column, "PPST_A81_")) return 80;
    return 0;
}

// --- Slots ---

Slot Slot::Text(char* buf, size_t size, unsigned rules, size_t keep) {
    Slot s;
    s.kind = Kind::Text;
    s.rules = rules;
    s.keep = keep;
    s.get_text = [buf, size] { return std::string(buf, strnlen(buf, size)); };
    s.set_text = [buf, size](const std::string& v) { host::CopyText(buf, size, v); };
    return s;
}

Slot Slot::Text(std::string* text, unsigned rules, size_t keep) {
    Slot s;
    s.kind = Kind::Text;
    s.rules = rules;
    s.keep = keep;
    s.get_text = [text] { return *text; };
    s.set_text = [text](const std::string& v) { *text = v; };
    return s;
}

Slot Slot::Char(char* c, unsigned rules) {
    Slot s;
    s.kind = Kind::Char;
    s.rules = rules;
    s.get_text = [c] { return *c ? std::string(1, *c) : std::string(); };
    s.set_text = [c](const std::string& v) { *c = v.empty() ? '\0' : v[0]; };
    return s;
}

Slot Slot::FirstChar(char* buf, size_t size, unsigned rules) {
    Slot s;
    s.kind = Kind::Char;
    s.rules = rules;
    s.get_text = [buf, size] { return std::string(buf, strnlen(buf, size)).substr(0, 1); };
    s.set_text = [buf, size](const std::string& v) { host::CopyText(buf, size, v.substr(0, 1)); };
    return s;
}

Slot Slot::Number(long* value, unsigned rules) {
    Slot s;
    s.kind = Kind::Number;
    s.rules = rules;
    s.get_number = [value] { return *value; };
    s.set_number = [value](long v) { *value = v; };
    return s;
}

Slot Slot::Number(int* value, unsigned rules) {
    Slot s;
    s.kind = Kind::Number;
    s.rules = rules;
    s.get_number = [value] { return static_cast<long>(*value); };
    s.set_number = [value](long v) {
        *value = static_cast<int>(std::clamp<long>(v, INT_MIN, INT_MAX));
    };
    return s;
}

Slot Slot::Number(short* value, unsigned rules) {
    Slot s;
    s.kind = Kind::Number;
    s.rules = rules;
    s.get_number = [value] { return static_cast<long>(*value); };
    s.set_number = [value](long v) {
        *value = static_cast<short>(std::clamp<long>(v, SHRT_MIN, SHRT_MAX));
    };
    return s;
}

// --- The store ---

PPSetStore::PPSetStore(Owner owner) : layout_(&LayoutOf(owner)) {}

bool PPSetStore::Bind(const char* column, std::vector<Slot> slots) {
    for (const ColumnLayout& c : layout_->columns) {
        if (std::strcmp(c.column, column) != 0) continue;
        std::vector<Conversion> conv = ParseLayout(c.layout);
        if (conv.empty() || conv.size() != slots.size()) {
            WriteDebugLogFile("PPSET %s : %zu valeurs liées à %s, la disposition en a %zu",
                              layout_->name, slots.size(), column, conv.size());
            return false;
        }
        for (Bound& b : bound_)
            if (b.column == &c) {
                b.slots = std::move(slots);
                return true;
            }
        bound_.push_back({&c, std::move(conv), std::move(slots)});
        return true;
    }
    WriteDebugLogFile("PPSET %s : la colonne %s n'est pas la sienne", layout_->name, column);
    return false;
}

bool PPSetStore::Complete() const {
    return bound_.size() == layout_->columns.size();
}

const PPSetStore::Bound* PPSetStore::Find(std::string_view column) const {
    for (const Bound& b : bound_)
        if (column == b.column->column) return &b;
    return nullptr;
}

std::string PPSetStore::Pack(std::string_view column) const {
    const Bound* b = Find(column);
    if (!b) return {};
    std::string out;
    for (size_t i = 0; i < b->conversions.size(); ++i)
        out += FormatOne(b->conversions[i], b->slots[i]);
    const size_t width = ColumnWidth(column);
    return width ? host::U8Left(out, width) : out;
}

void PPSetStore::Unpack(std::string_view column, std::string_view stored) {
    const Bound* b = Find(column);
    if (!b) return;
    // A column written by an older workstation may hold Latin-1 bytes: they read as the
    // characters they stand for, so that places are counted in whole characters.
    const std::string text = host::ToValidUtf8(stored);
    size_t pos = 0;
    for (size_t i = 0; i < b->conversions.size(); ++i) {
        const Conversion& c = b->conversions[i];
        // Each value is cut from its own place; what lies past the end of a short
        // stored text reads as empty.
        const std::string piece = Slice(text, pos, c.width);
        ApplyOne(c, b->slots[i], piece);
        pos += c.width;
    }
}

std::string PPSetStore::SelectStatement(const char* prefix) const {
    std::string sql = "SELECT ";
    for (size_t i = 0; i < layout_->columns.size(); ++i)
        sql += (i ? ", " : "") + std::string(layout_->columns[i].column);
    sql += " FROM " + std::string(prefix ? prefix : "") +
           "PPSET WHERE PPST_ID = " + std::to_string(layout_->row);
    return sql;
}

std::string PPSetStore::UpdateStatement(const char* prefix) const {
    std::string sql = "UPDATE " + std::string(prefix ? prefix : "") + "PPSET SET";
    for (size_t i = 0; i < layout_->columns.size(); ++i) {
        const char* column = layout_->columns[i].column;
        sql += i ? ", " : " ";
        sql += column;
        if (IsIntegerColumn(column)) {
            const Bound* b = Find(column);
            const long v = b && b->slots[0].get_number ? b->slots[0].get_number() : 0;
            sql += "=" + std::to_string(std::clamp<long>(v, SHRT_MIN, SHRT_MAX));
        } else {
            sql += "=" + host::SqlQuote(Pack(column));
        }
    }
    sql += "\tWHERE PPST_ID = " + std::to_string(layout_->row);
    return sql;
}

bool PPSetStore::Load(GenDB* db, int cursor) {
    if (!db || !Complete()) return false;
    if (db->dbOpen(SelectStatement(db->dbTablePrefix()), cursor) != 0) return false;
    const bool found = db->dbFetch(0, cursor) == 0;
    if (found) {
        for (size_t i = 0; i < layout_->columns.size(); ++i) {
            const char* column = layout_->columns[i].column;
            const int n = static_cast<int>(i + 1);
            if (IsIntegerColumn(column)) {
                long v = 0;
                db->dbGetLong(n, &v, cursor);
                Unpack(column, std::to_string(v));
            } else {
                std::string text;
                db->dbGetField(n, &text, cursor);
                Unpack(column, host::U8Left(text, ColumnWidth(column)));
            }
        }
    }
    db->dbClose(cursor);
    return found;
}

bool PPSetStore::Save(GenDB* db, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (!db) return fail("aucune base de données");
    if (!layout_->writable || !Complete())
        return fail(std::string("options non enregistrables : ") + layout_->name);
    const std::string prefix = db->dbTablePrefix();
    const std::string row = std::to_string(layout_->row);
    // The settings table's excluding lock, the one every saving of options takes: two
    // workstations adding the same missing row one after the other, never both at once.
    if (!db->Lock("PPSET", 3))
        return fail(db->dbLastError() ? db->dbLastError() : "verrou des paramètres refusé");
    struct Unlock {
        GenDB* db;
        ~Unlock() { db->Unlock("PPSET", 3); }
    } unlock{db};
    host::DbTransaction tx(*db);
    if (!tx.ok()) return fail(db->dbLastError() ? db->dbLastError() : "transaction refusée");
    const int64_t rows =
        db->QueryInt("SELECT COUNT(*) FROM " + prefix + "PPSET WHERE PPST_ID = " + row, -1);
    if (rows < 0) return fail(db->dbLastError() ? db->dbLastError() : "lecture de PPSET");
    if (rows == 0 &&
        db->dbExecute("INSERT INTO " + prefix + "PPSET (PPST_ID) VALUES (" + row + ")") != 0)
        return fail(db->dbLastError() ? db->dbLastError() : "ajout de la ligne PPSET");
    if (db->dbExecute(UpdateStatement(prefix.c_str())) != 0)
        return fail(db->dbLastError() ? db->dbLastError() : "mise à jour de PPSET");
    if (!tx.Commit()) return fail(db->dbLastError() ? db->dbLastError() : "validation refusée");
    return true;
}

bool ConfirmSaveAsDefault(TReportBaseDlg& dlg) {
    return dlg.MessageBox(host::LoadText(6286), dlg.GetCaption(), MB_YESNO | MB_ICONQUESTION) ==
           IDYES;
}

bool SaveAsDefault(TReportBaseDlg& dlg, PPSetStore& store) {
    if (!ConfirmSaveAsDefault(dlg)) return false;
    dlg.TransferData(tdGetData);
    std::string error;
    if (!store.Save(dlg.GetLauncherInfo() ? dlg.GetLauncherInfo()->GetDb() : nullptr, &error)) {
        dlg.MessageBox(error, dlg.GetCaption(), MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

}  // namespace ppset
