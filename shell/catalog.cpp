#include "shell/catalog.h"

#include <cstdio>
#include <functional>
#include <memory>

#include "common/registry.h"
#include "host/base/debuglog.h"
#include "host/base/msgsink.h"
#include "host/base/strings.h"
#include "host/output/template_printer.h"
#include "shell/host_report_dlg.h"
#include "shell/reports_dialog.h"

namespace reports {

namespace {

using K = EntryKind;

constexpr int kNotYetOffered = 12850;  // the tip of an entry without its report
constexpr int kOtherProgram = 12851;   // the tip of an entry of the host application

constexpr CatalogTab kTabs[] = {
    {2, 100, 6002, 6, 1551, 11025, 11046},  {3, 200, 6000, 1, 1546, 11000, 11010},
    {4, 300, 6003, 2, 1550, 11150, 11153},  {5, 400, 6394, 3, 1547, 11050, 11054},
    {6, 500, 6393, 4, 1544, 10950, 10953},  {7, 600, 6395, 5, 1545, 10975, 10985},
    {8, 700, 6001, 0, 1552, 11075, 11081},  {9, 800, 6396, 7, 1548, 11100, 11102},
    {10, 900, 6397, 8, 1549, 11125, 11129}, {0, 1000, 7073, 9, 1559, 11175, 11179},
};

constexpr CatalogEntry kEntries[] = {
    // Facturation
    {100, K::ModuleDialog, "TDayTrialReportDlg", 7001, "Dépôts Bancaires Journaliers"},
    {101, K::ModuleDialog, "TDayEndReportDlg", 7003, "Rapport de Fin de Journée"},
    {102, K::ModuleDialog, "TARReportDlg", 7006, "Rapport des Comptes à Recevoir"},
    {103, K::ModuleDialog, "TInsARRptDlg", 7008, "C/R de Paiements d'Assurance"},
    {104, K::ModuleDialog, "TInsUnresolvedDlg", 7007, "Assurance En Suspens"},
    {105, K::ModuleDialog, "TTrtStsReportDlg", 7010, "Rapport du Statut des Traitements"},
    {106, K::ModuleDialog, "TPrcAnaReportDlg", 7011, "Rapport d'Analyse de Procédures"},
    {107, K::ModuleDialog, "AccStatementDlg", 7013, "États de Compte"},
    {108, K::ModuleDialog, "TMonthEndReportDlg", 7002, "Traitement du Rapport de Fin de Mois"},
    {109, K::ModuleDialog, "TReprintMEDlg", 7015, "Réimprimer les Fins de Mois"},
    {110, K::ModuleDialog, "TBulkPmtDlg", 7017, "Rapport des Paiements En Lots"},
    {111, K::ModuleDialog, "TPracAnalysisDlg", 7018, "Analyse de Producteurs"},
    {112, K::ModuleDialog, "TFamPmtDlg", 7019, "Totaux des Paiements de la Famille"},
    {113, K::ModuleDialog, "TTransListDlg", 7020, "Rapport de Liste de Transactions"},
    {114, K::ModuleDialog, "PaymentAllocationsRptDlg", 7028, "Allocations de Paiements"},
    {115, K::ModuleDialog, "ConsultPmtsDlg", 7031, "Revenu du Producteur (%)"},
    {116, K::ModuleDialog, "ProcCompDlg", 7033, "Comparaison de Procédures"},
    {117, K::ModuleDialog, "ARPatInsDlg", 7037, "C/R pour Patient/Assurance"},
    {118, K::ModuleDialog, "DailySummaryDialog", 7042, "Sommaire Rapport"},
    {119, K::ModuleDialog, "ProcCatReportDlg", 7044, "Rapport des Catégories de Tarifs"},
    {120, K::ModuleDialog, "TopRevenueReportDlg", 7045, "Comptes à Haut Revenu"},
    {121, K::ModuleDialog, "MonthlyDepositReportDlg", 7046, "Rapport de Dépôts Mensuels"},
    // Patient
    {200, K::HostDialog, "TPatListReportDlg", 2036, nullptr},
    {201, K::HostDialog, "TPrintBdaDlg", 2037, nullptr},
    {202, K::HostDialog, "TPatRecallReportDlg", 2031, nullptr},
    {203, K::HostDialog, "TPatNotRecallDlg", 2032, nullptr},
    {204, K::HostDialog, "TEmployerReportDlg", 2033, nullptr},
    {205, K::HostDialog, "TEmpPatientReportDlg", 2034, nullptr},
    {206, K::Template, nullptr, 0, "emppolhd.rpt"},
    {207, K::HostDialog, "TPolicyHolderReportDlg", 2035, nullptr},
    {208, K::Template, nullptr, 0, "epolrpt.rpt"},
    {209, K::ModuleDialog, "NoInsDlg", 7026, "Patients Sans Assurance"},
    {210, K::ModuleDialog, "PatNoActivityDlg", 7034, "Patients Non Vus Récemment"},
    // Système
    {300, K::HostDialog, "TAudTrailDlg", 2055, nullptr},
    {301, K::ModuleDialog, "TOverNiteDlg", 7021, "Configurer les Rapports de Nuit"},
    {302, K::ModuleDialog, "RptScanList", 7023, "Sélection du Créateur de Rapports"},
    {303, K::ModuleDialog, "AdditionalReportsDlg", 7038, "Rapports Additionnels"},
    // Assurance
    {400, K::Template, nullptr, 0, "inscorpt.rpt"},
    {401, K::Template, nullptr, 0, "cvgtprpt.rpt"},
    {402, K::Template, nullptr, 0, "fschrpt.rpt"},
    {403, K::Template, nullptr, 0, "govtrpt.rpt"},
    {404, K::HostDialog, "TProcCodeReportDlg", 2058, nullptr},
    // Configuration
    {500, K::Template, nullptr, 0, "prodrpt.rpt"},
    {501, K::Template, nullptr, 0, "userrpt.rpt"},
    {502, K::Template, nullptr, 0, "cityrpt.rpt"},
    {503, K::Template, nullptr, 0, "provrpt.rpt"},
    // Cabinet
    {600, K::Template, nullptr, 0, "bankrpt.rpt"},
    {601, K::Template, nullptr, 0, "pmtrpt.rpt"},
    {602, K::Template, nullptr, 0, "adjstrpt.rpt"},
    {603, K::Template, nullptr, 0, "ofchgrpt.rpt"},
    {604, K::Template, nullptr, 0, "formrpt.rpt"},
    {605, K::Template, nullptr, 0, "comment.rpt"},
    {606, K::Template, nullptr, 0, "ofcdrpt.rpt"},
    {607, K::Template, nullptr, 0, "notescd.rpt"},
    {608, K::Template, nullptr, 0, "rcallrpt.rpt"},
    {609, K::Template, nullptr, 0, "statsrpt.rpt"},
    {610, K::ModuleDialog, "TDateRngDlg", 7004, "Rapport des Mémos du Cabinet"},
    // Rendez-Vous
    {700, K::HostDialog, "TConfirmListDlg", 2044, nullptr},
    {701, K::HostDialog, "TAptDayshtDlg", 2045, nullptr},
    {702, K::HostDialog, "TApptListReportDlg", 2043, nullptr},
    {703, K::Template, nullptr, 0, "appttype.rpt"},
    {704, K::Template, nullptr, 0, "apptcode.rpt"},
    {705, K::Template, nullptr, 0, "chairrpt.rpt"},
    {706, K::HostDialog, "ApptVerifyDlg", 2076, nullptr},
    // Clinique
    {800, K::Template, nullptr, 0, "clinic.rpt"},
    {801, K::Template, nullptr, 0, "medqrpt.rpt"},
    {802, K::Template, nullptr, 0, "alrtprt.rpt"},
    // Référence
    {900, K::Template, nullptr, 0, "refercd.rpt"},
    {901, K::HostDialog, "TPatReferDlg", 2038, nullptr},
    {902, K::HostDialog, "TRefByStatDlg", 2040, nullptr},
    {903, K::HostDialog, "TPatRefToDlg", 2039, nullptr},
    {904, K::Template, nullptr, 0, "reftype.rpt"},
    // Sur Mesure
    {1000, K::ModuleDialog, "ARCollectionsDlg", 7029, "Rapport de Collections des C/R"},
    {1001, K::ModuleDialog, "CLPListingsDlg", 7030, "Liste de Procédures Mensuelles"},
    {1002, K::ModuleDialog, "CashReceiptsDlg", 7032, "Reçus en Argent"},
    {1003, K::ModuleDialog, "TMonthEndReportDlgEx", 7036, "Rapport de Fin de Mois"},
    {1004, K::ModuleDialog, "TDayEndReportDlgEx", 7035, "Rapport de Fin de Journée"},
};

// The overnight runner (message 4005); null until the closing reports are part of the
// module.
const std::function<void(LaunchContext&)>* OvernightRunner() {
    return nullptr;
}

// The entry's text in the list (its string), for messages.
std::string EntryText(const CatalogEntry& entry) {
    const CatalogTab* tab = FindTab(entry.command / 100 * 100);
    if (!tab) return {};
    return host::LoadText(tab->first_string + entry.command - tab->page);
}

}  // namespace

const CatalogTab* Tabs(size_t* count) {
    *count = std::size(kTabs);
    return kTabs;
}

const CatalogEntry* Entries(size_t* count) {
    *count = std::size(kEntries);
    return kEntries;
}

const CatalogEntry* FindEntry(int command) {
    for (const CatalogEntry& e : kEntries)
        if (e.command == command) return &e;
    return nullptr;
}

const CatalogTab* FindTab(int page) {
    for (const CatalogTab& t : kTabs)
        if (t.page == page) return &t;
    return nullptr;
}

// A host report whose dialog this host provides has a registered report like the
// module's own.
bool HostProvides(const CatalogEntry& e) {
    return e.kind == EntryKind::HostDialog && FindReport(e.command) != nullptr;
}

bool IsAvailable(int command) {
    const CatalogEntry* e = FindEntry(command);
    return e && (e->kind != EntryKind::ModuleDialog || FindReport(command) != nullptr);
}

std::string UnavailableReason(int command) {
    const CatalogEntry* e = FindEntry(command);
    if (!e) return {};
    if (e->kind == EntryKind::HostDialog && !HostProvides(*e)) return host::LoadText(kOtherProgram);
    if (!IsAvailable(command)) return host::LoadText(kNotYetOffered);
    return {};
}

void LaunchEntry(LaunchContext& context, const CatalogEntry& entry) {
    TWindow* parent = context.main;
    switch (entry.kind) {
        case EntryKind::Template:
            print_crystal_report(entry.target, "", 1, parent, nullptr, nullptr, nullptr, false);
            return;
        case EntryKind::HostDialog: {
            if (const ReportDescriptor* report = FindReport(entry.command)) {
                OpenReportDialog(*report, {parent, context.launcher, context.module, 0});
                return;
            }
            std::unique_ptr<THostReportDlg> dlg(
                new THostReportDlg(parent, entry.class_name, entry.resource, EntryText(entry),
                                   context.launcher, context.module));
            dlg->Execute();
            return;
        }
        case EntryKind::ModuleDialog:
            if (const ReportDescriptor* report = FindReport(entry.command)) {
                OpenReportDialog(*report, {parent, context.launcher, context.module, 0});
                return;
            }
            break;
    }
    // The report of this entry is not part of the module yet: say so, by its name.
    char text[1024];
    const std::string name = EntryText(entry);
    std::snprintf(text, sizeof text, host::LoadText(12449).c_str(),
                  name.empty() && entry.target ? entry.target : name.c_str());
    if (parent)
        parent->MessageBox(text, host::LoadText(12417), MB_OK | MB_ICONINFORMATION);
    else
        host::ShowMessage(nullptr, text, host::LoadText(12417), MB_OK | MB_ICONINFORMATION);
}

void RunOvernight(LaunchContext& context) {
    if (const auto* run = OvernightRunner()) {
        (*run)(context);
        return;
    }
    WriteDebugLogFile("%s", host::LoadText(12418).c_str());
}

}  // namespace reports

namespace {

size_t ReportCount() {
    return reports::AllReports().size();
}

bool ReportAt(size_t index, reports::ReportInfo* out) {
    const auto all = reports::AllReports();
    if (index >= all.size()) return false;
    const reports::ReportDescriptor& d = *all[index];
    *out = {d.key.c_str(),          d.command,         d.resource,
            d.dialog_class.c_str(), d.caption.c_str(), d.writes};
    return true;
}

bool OpenReport(const char* key, TWindow* parent, LauncherInfo* launcher, int mode) {
    const reports::ReportDescriptor* d = reports::FindReport(std::string(key ? key : ""));
    return d && reports::OpenReportDialog(*d, {parent, launcher, nullptr, mode});
}

const reports::CatalogData kCatalogData = {reports::kTabs,
                                           std::size(reports::kTabs),
                                           reports::kEntries,
                                           std::size(reports::kEntries),
                                           &reports::IsAvailable,
                                           &ReportCount,
                                           &ReportAt,
                                           &OpenReport};

}  // namespace

extern "C" const reports::CatalogData* RapportsCatalog() {
    return &kCatalogData;
}
