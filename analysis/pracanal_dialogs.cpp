#include "analysis/pracanal_dialogs.h"

#include "common/registry.h"
#include "host/base/dates.h"
#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/records/context.h"

namespace {

constexpr const char* kProduction = "\\XML\\PracAnalysis.xml";
constexpr const char* kPayments = "\\XML\\PracAnalysisPmt.xml";

}  // namespace

PracAnalysisRun::PracAnalysisRun(LauncherInfo* launcher, long report_date, const std::string& code,
                                 bool by_billdr, short show_ytd, short print_payments)
    : driver_(launcher, nullptr, 0, report_date, nullptr) {
    driver_.SetFlags(show_ytd, print_payments, driver_.Closing());
    driver_.SetSummByDoc(true, code.c_str(), by_billdr);
}

std::string PracAnalysisRun::MeterTitle() const {
    return "Impression du Rapport d'Analyse de Production en cours";
}

bool PracAnalysisRun::Collect(reports::RunContext& ctx) {
    if (driver_.Collect()) return true;
    ctx.error = driver_.Error();
    return false;
}

bool PracAnalysisRun::Print(reports::RunContext& ctx) {
    bool cancelled = false;
    driver_.SetOutput(ctx.text, ctx.dialog);
    const bool ok = driver_.Print(ctx.output_choice, ctx.document, &cancelled);
    ctx.cancelled = cancelled;
    return ok;
}

std::vector<reports::DataFile> PracAnalysisRun::DataFiles() const {
    return {{kProduction, &driver_.ProductionTable()}, {kPayments, &driver_.PaymentTable()}};
}

TPracAnalysisDlg::TPracAnalysisDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher,
                                   TModule* module, int mode)
    : TReportBaseDlg(parent, res_id, launcher, module, mode), opts_(GetLauncherInfo()) {
    show_ytd_ = opts_.prca_opt[1] != 0;
    print_payments_ = opts_.prca_opt[2] != 0;
    producer_ = new TProdCBox(this, 101, GetLauncherInfo(), 4, module);
    BindCustom(101, [this](TTransferDirection d) {
        if (d == tdSetData)
            producer_->SelectCode(code_.empty() ? "*" : code_);
        else
            code_ = producer_->GetCode();
    });
    BindComboValue(102, &report_by_);
    BindCheck(103, &show_ytd_);
    BindCheck(104, &print_payments_);
}

void TPracAnalysisDlg::SetupWindow() {
    TReportBaseDlg::SetupWindow();
}

bool TPracAnalysisDlg::DisplayReport() {
    // The choices become the practice's (a practice opened read-only keeps its own).
    const short ytd = static_cast<short>(show_ytd_ != 0);
    const short pmts = static_cast<short>(print_payments_ != 0);
    GenDB* db = GetLauncherInfo() ? GetLauncherInfo()->GetDb() : nullptr;
    if (db && !db->read_only() && (opts_.prca_opt[1] != ytd || opts_.prca_opt[2] != pmts)) {
        opts_.prca_opt[1] = ytd;
        opts_.prca_opt[2] = pmts;
        if (!opts_.update_inisect() && ShowsMessages())
            MessageBox(opts_.LastError(), GetCaption(), MB_OK | MB_ICONERROR);
    }
    PracAnalysisRun run(GetLauncherInfo(), ldate_today(), code_.empty() ? "*" : code_,
                        report_by_ == "D", static_cast<short>(show_ytd_ != 0),
                        static_cast<short>(print_payments_ != 0));
    const bool ok = reports::RunReport(*this, *reports::FindReport("pranal"), run);
    if (IsUnattended()) CloseWindow(IDOK);
    return ok;
}

namespace {

REPORTS_REGISTER({
    .key = "pranal",
    .command = 111,
    .resource = 7018,
    .dialog_class = "TPracAnalysisDlg",
    .caption = "Analyse de Producteurs",
    .log_name = "Practice Analysis",
    .text_file = "pranyrpt.prt",
    .template_name = "prany.rpt",
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<TPracAnalysisDlg>(a.parent, 7018, a.launcher, a.module, a.mode);
    },
});

}  // namespace
