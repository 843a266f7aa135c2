#include "closing/mthdep_dialogs.h"

#include <sstream>

#include "closing/mthdep_reports.h"
#include "common/daterng.h"
#include "common/ppsetstore.h"
#include "common/registry.h"
#include "common/report_run.h"
#include "common/rptini.h"
#include "host/base/dates.h"
#include "host/base/ini.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/records/context.h"
#include "host/ui/controls.h"
#include "host/ui/hostctl.h"

namespace {

constexpr int kNoRecords = 7149;
constexpr int kTooLong = 12816;
constexpr const char* kSection = "MONTHDEP REPORT";

bool Yes(const std::string& v) {
    return host::Trim(v) == "Y";
}

}  // namespace

std::vector<std::string> MonthlyDepositReportDlg::SplitCodes(const std::string& text) {
    std::vector<std::string> out;
    std::stringstream in(text);
    std::string code;
    while (std::getline(in, code, ',')) {
        code = host::Trim(code);
        if (!code.empty()) out.push_back(code);
    }
    return out;
}

MonthlyDepositReportDlg::MonthlyDepositReportDlg(TWindow* parent, TResId res_id,
                                                 LauncherInfo* launcher, TModule* module, int mode)
    : TReportBaseDlg(parent, res_id, launcher, module, mode) {
    new TDateField(this, 104, module);
    new TDateField(this, 105, module);
    prod_ = new TProdCBox(this, 101, GetLauncherInfo(), 4, module);
    BindCheck(106, &by_bank_);
    BindCheck(111, &by_doctor_);
    BindRadios({102, 103}, &report_by_);
    BindCustom(101, [this](TTransferDirection d) {
        if (d == tdSetData)
            prod_->SelectCode(c_.prod.empty() ? "*" : c_.prod);
        else
            c_.prod = prod_->GetCode() == "*" ? "" : prod_->GetCode();
    });
    BindCheck(109, &practice_total_);
    BindDate(104, &c_.from);
    BindDate(105, &c_.to);
    BindText(107, &codes_);
    OnCommand(112, [this] {
        codes_.clear();
        TransferData(tdSetData);
    });
}

void MonthlyDepositReportDlg::SetupWindow() {
    c_ = mthdep::Criteria{};
    c_.to = ldate_today();
    c_.from = c_.to / 100 * 100 + 1;
    WDIniObj ini;
    by_bank_ = Yes(rptini::ReadText(ini, kSection, "SeparateByBank"));
    by_doctor_ = Yes(rptini::ReadText(ini, kSection, "SeparateByDr"));
    report_by_ = host::Trim(rptini::ReadText(ini, kSection, "ReportBy")) == "P" ? 0 : 1;
    c_.prod = host::Trim(rptini::ReadText(ini, kSection, "Prod"));
    const std::string total = host::Trim(rptini::ReadText(ini, kSection, "PrintPracticeTotal"));
    practice_total_ = total.empty() || total == "Y";
    // The codes ticked last time: one key per code of the code table.
    codes_.clear();
    if (GenDB* db = GetLauncherInfo() ? GetLauncherInfo()->GetDb() : nullptr) {
        const std::string sql =
            "SELECT PAYMENT_CODE FROM " + std::string(db->dbTablePrefix()) + "PMTSCD ORDER BY 1";
        if (db->dbOpen(sql, 31712) == 0) {
            for (int r = db->dbFetch(0, 31712); r == 0; r = db->dbFetch(1, 31712)) {
                std::string code;
                db->dbGetField(1, &code, 31712);
                code = host::Trim(code);
                if (!host::Trim(ini.read_secini(kSection, code.c_str(), "")).empty())
                    codes_ += (codes_.empty() ? "" : ",") + code;
            }
            db->dbClose(31712);
        }
    }
    TReportBaseDlg::SetupWindow();
}

bool MonthlyDepositReportDlg::ValidateDlgFields() {
    if (!TReportBaseDlg::ValidateDlgFields()) return false;
    if (!CheckPeriod(*this, c_.from, c_.to)) return false;
    if (daysdiff_betweendates(c_.from, c_.to) > 34) {
        ReportFieldError(kTooLong);
        return false;
    }
    c_.by_bank = by_bank_;
    c_.by_doctor = by_doctor_;
    c_.report_by = report_by_ == 0 ? 'P' : 'D';
    c_.practice_total = practice_total_;
    c_.codes = SplitCodes(codes_);
    // A producer's code names a billing doctor by its two letters.
    if (c_.report_by == 'D' && c_.prod.size() == 3 && c_.prod[0] == 'D')
        c_.prod = c_.prod.substr(1);
    return true;
}

bool MonthlyDepositReportDlg::ActionOnSaveAsDefault() {
    if (!ppset::ConfirmSaveAsDefault(*this)) return false;
    WDIniObj ini;
    bool ok = rptini::Write(ini, kSection, "SeparateByBank", by_bank_ ? "Y" : "N");
    ok = ok && rptini::Write(ini, kSection, "SeparateByDr", by_doctor_ ? "Y" : "N");
    ok = ok && rptini::Write(ini, kSection, "ReportBy", report_by_ == 0 ? "P" : "D");
    ok = ok && rptini::Write(ini, kSection, "Prod", c_.prod);
    ok = ok && rptini::Write(ini, kSection, "PrintPracticeTotal", practice_total_ ? "Y" : "N");
    for (const std::string& code : SplitCodes(codes_))
        ok = ok && ini.write_secini(kSection, code.c_str(), code.c_str());
    return ok;
}

bool MonthlyDepositReportDlg::DisplayReport() {
    MonthDepReportRun run(c_);
    const bool ok = reports::RunReport(*this, *reports::FindReport(121), run);
    if (run.Empty() && ShowsMessages())
        MessageBox(host::LoadText(kNoRecords), GetCaption(), MB_OK | MB_ICONEXCLAMATION);
    if (IsUnattended()) CloseWindow(IDOK);
    return ok;
}

namespace {

REPORTS_REGISTER({
    .key = "mthdep",
    .command = 121,
    .resource = 7046,
    .dialog_class = "MonthlyDepositReportDlg",
    .caption = "Rapport de Dépôts Mensuels",
    .log_name = "Monthly Deposit",
    .text_file = "monthlydep.prt",
    .template_name = "monthlydep1.rpt",
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<MonthlyDepositReportDlg>(a.parent, 7046, a.launcher, a.module,
                                                         a.mode);
    },
});

}  // namespace
