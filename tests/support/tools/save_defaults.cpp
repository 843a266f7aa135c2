// rapports-save-defaults: saves a dialog's defaults as a workstation does, for the crash and
// race suites (a child process that can be killed or started twice at once).
//
//   rapports-save-defaults --db DSN [--today YYYYMMDD] dialog 7006 NAME=VALUE...
//       The receivable report's dialog (TARReportDlg) over the practice, its fields set by
//       name as a user would, then "save as default" answered Yes.
//   rapports-save-defaults --db DSN ppset OWNER COLUMN=PACKED...
//       The packed columns of an owner of ppset::Layouts() (its name with '-' for blanks:
//       cash-receipts), each column's fields set from the packed text, then saved.
//
// Exit codes: 0 saved, 1 refused (the message on standard error), 2 bad usage.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/ppsetstore.h"
#include "host/base/dates.h"
#include "host/db/gendb.h"
#include "host/records/context.h"
#include "host/ui/recording.h"
#include "receivables/ar_dialogs.h"

namespace {

int Usage(const char* why) {
    std::fprintf(stderr, "rapports-save-defaults: %s\n", why);
    return 2;
}

std::pair<std::string, std::string> Split(const std::string& s) {
    const size_t eq = s.find('=');
    return eq == std::string::npos ? std::make_pair(s, std::string())
                                   : std::make_pair(s.substr(0, eq), s.substr(eq + 1));
}

int SaveDialog(GenDB* db, int resource, const std::vector<std::string>& sets) {
    if (resource != 7006) return Usage("seul le dialogue 7006 est pris en charge");
    QDSApplication app(db);
    QDSApplication::SetInstance(&app);
    LauncherInfo launcher(&app);
    host::ui::ScriptedBackend backend;
    backend.SetDefaultAnswer(IDYES);
    host::ui::SetBackend(&backend);
    int rc = 1;
    {
        TARReportDlg dlg(nullptr, resource, &launcher);
        backend.QueueDialog([&](TDialog& d) {
            for (const std::string& s : sets) {
                const auto [name, value] = Split(s);
                std::string error;
                if (!d.SetField(name, value, &error)) {
                    std::fprintf(stderr, "%s=%s : %s\n", name.c_str(), value.c_str(),
                                 error.c_str());
                    rc = 2;
                    d.SendCommand(IDCANCEL);
                    return;
                }
            }
            rc = static_cast<TARReportDlg&>(d).ActionOnSaveAsDefault() ? 0 : 1;
            d.SendCommand(IDCANCEL);
        });
        dlg.Execute();
    }
    for (const auto& m : backend.Messages())
        if (m.flags & MB_ICONERROR) std::fprintf(stderr, "%s\n", m.text.c_str());
    host::ui::SetBackend(nullptr);
    QDSApplication::SetInstance(nullptr);
    return rc;
}

int SaveStore(GenDB* db, const std::string& owner_name, const std::vector<std::string>& sets) {
    const ppset::OwnerLayout* owner = nullptr;
    for (const ppset::OwnerLayout& l : ppset::Layouts()) {
        std::string name = l.name;
        for (char& c : name)
            if (c == ' ') c = '-';
        if (name == owner_name) owner = &l;
    }
    if (!owner) return Usage(("propriétaire inconnu : " + owner_name).c_str());
    ppset::PPSetStore store(owner->owner);
    // Fields of every kind, bound in layout order.
    std::vector<std::string> texts(64);
    std::vector<char> chars(64);
    std::vector<long> numbers(64);
    size_t t = 0, ch = 0, n = 0;
    for (const ppset::ColumnLayout& column : owner->columns) {
        std::vector<ppset::Slot> slots;
        for (const ppset::Conversion& conv : ppset::ParseLayout(column.layout)) {
            if (conv.type == 'c')
                slots.push_back(ppset::Slot::Char(&chars[ch++]));
            else if (conv.type == 'd')
                slots.push_back(ppset::Slot::Number(&numbers[n++]));
            else
                slots.push_back(ppset::Slot::Text(&texts[t++]));
        }
        store.Bind(column.column, std::move(slots));
    }
    for (const std::string& s : sets) {
        const auto [column, packed] = Split(s);
        store.Unpack(column, packed);
    }
    std::string error;
    if (!store.Save(db, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string dsn;
    size_t i = 0;
    for (; i + 1 < args.size() && args[i].rfind("--", 0) == 0; i += 2) {
        if (args[i] == "--db")
            dsn = args[i + 1];
        else if (args[i] == "--today")
            host::SetFixedToday(std::atol(args[i + 1].c_str()));
        else
            return Usage(("option inconnue : " + args[i]).c_str());
    }
    if (dsn.empty() || i + 2 > args.size()) return Usage("--db DSN dialog|ppset ... attendu");
    const std::string mode = args[i];
    const std::string what = args[i + 1];
    const std::vector<std::string> sets(args.begin() + static_cast<long>(i) + 2, args.end());
    std::string error;
    std::unique_ptr<GenDB> db = GenDB::Open(dsn, &error);
    if (!db) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (mode == "dialog") return SaveDialog(db.get(), std::atoi(what.c_str()), sets);
    if (mode == "ppset") return SaveStore(db.get(), what, sets);
    return Usage(("mode inconnu : " + mode).c_str());
}
