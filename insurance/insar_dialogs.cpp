#include "insurance/insar_dialogs.h"

#include "common/ppsetstore.h"
#include "common/registry.h"
#include "common/report_run.h"
#include "host/base/dates.h"
#include "host/base/text.h"
#include "host/records/practice.h"
#include "host/records/records.h"
#include "host/ui/picker.h"
#include "insurance/insar_run.h"

namespace {

constexpr int kBadCopies = 6564;
constexpr int kBadDate = 12411;
constexpr int kBlankCode = 911;
constexpr int kBadCode = 912;
constexpr int kMaxCopies = 5;

void Enable(TDialog& dlg, int id, bool enable) {
    if (TWindow* w = dlg.ChildWithId(id)) w->EnableWindow(enable);
}

void SetCheck(TDialog& dlg, int id, bool on) {
    if (auto* c = dlg.ChildAs<TCheckBox>(id)) c->SetCheck(on ? BF_CHECKED : BF_UNCHECKED);
}

}  // namespace

TInsARRptDlg::TInsARRptDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher, TModule* module,
                           int mode)
    : TReportBaseDlg(parent, res_id, launcher, module, mode), opts_(GetLauncherInfo()) {
    info_ = opts_.ins_ar_info;
    if (host::Trim(info_.doctor).empty()) host::CopyText(info_.doctor, sizeof info_.doctor, "*");
    if (host::Trim(info_.carrier).empty()) host::CopyText(info_.carrier, sizeof info_.carrier, "*");
    if (host::Trim(info_.overdue_text).empty())
        host::CopyText(info_.overdue_text, sizeof info_.overdue_text, "1");
    if (info_.kind < 0 || info_.kind > 2) info_.kind = 0;
    if (info_.grouping < 0 || info_.grouping > 1) info_.grouping = 0;
    if (info_.copies < 1 || info_.copies > kMaxCopies) info_.copies = 1;

    doctor_ = new TProdCBox(this, 101, GetLauncherInfo(), 4, module);
    as_of_ = new TDateField(this, 104, module);
    overdue_ = new TOverdueCBox(this, 105, module);
    new TAmountField(this, 106, module);
    new TSpinField(this, 112, 1, kMaxCopies, module);

    BindCustom(101, [this](TTransferDirection d) {
        if (d == tdSetData)
            doctor_->SelectCode(info_.doctor);
        else
            host::CopyText(info_.doctor, sizeof info_.doctor, doctor_->GetCode());
    });
    BindText(102, info_.carrier, sizeof info_.carrier);
    BindDate(104, &info_.as_of);
    BindComboText(105, info_.overdue_text, sizeof info_.overdue_text);
    BindAmount(106, &info_.min_balance);
    BindRadios({107, 108, 109}, &info_.kind);
    BindRadios({110, 111}, &info_.grouping);
    BindSpin(112, &info_.copies);

    OnCommandNotify(101, CBN_SELCHANGE, [this] { EnAdjmntRptByBillingDrChkBx(); });
    OnCommandNotify(105, CBN_SELCHANGE, [this] { EnAdjmntMinBalFld(); });
    OnCommand(115, [this] { CmInsHelp(); });
}

void TInsARRptDlg::CmInsHelp() {
    host::ui::PickInto(*this, 102, host::ui::Codes::Insurers, GetLauncherInfo());
}

void TInsARRptDlg::SetupWindow() {
    TReportBaseDlg::SetupWindow();
    info_.as_of = ldate_today();
    as_of_->SetDate(info_.as_of);
    EnAdjmntMinBalFld();
    EnAdjmntRptByBillingDrChkBx();
}

void TInsARRptDlg::EnAdjmntMinBalFld() {
    const bool enable = overdue_->GetSelNumber() != 1;
    Enable(*this, 106, enable);
    Enable(*this, 113, enable);
}

void TInsARRptDlg::EnAdjmntRptByBillingDrChkBx() {
    const bool all = doctor_->GetCode() == "*";
    if (!all) {
        SetCheck(*this, 110, true);
        SetCheck(*this, 111, false);
    }
    Enable(*this, 111, all);
}

bool TInsARRptDlg::ValidateDlgFields() {
    if (!TReportBaseDlg::ValidateDlgFields()) return false;
    if (!host::IsValidDate(info_.as_of)) {
        ReportFieldError(kBadDate);
        return false;
    }
    const std::string carrier = host::Trim(info_.carrier);
    if (carrier.empty()) {
        ReportFieldError(kBlankCode);
        return false;
    }
    if (carrier != "*") {
        LauncherInfo* l = GetLauncherInfo();
        bool known = false;
        if (l && l->GetDb()) {
            InsCoInfo insco(l->GetListPtr(), l->GetMsgPtr());
            if (insco.GetAll())
                for (const insco_struct& i : insco.Items())
                    known = known || host::Trim(i.ins_code) == carrier;
        }
        if (!known) {
            ReportFieldError(kBadCode);
            return false;
        }
    }
    if (info_.copies < 1 || info_.copies > kMaxCopies) {
        ReportFieldError(kBadCopies);
        return false;
    }
    return true;
}

bool TInsARRptDlg::ActionOnSaveAsDefault() {
    if (!ppset::ConfirmSaveAsDefault(*this)) return false;
    TransferData(tdGetData);
    info_.overdue_num = static_cast<short>(TOverdueCBox::NumberOf(info_.overdue_text));
    opts_.ins_ar_info = info_;
    if (opts_.update_ins_ar()) return true;
    MessageBox(opts_.LastError(), GetCaption(), MB_OK | MB_ICONERROR);
    return false;
}

bool TInsARRptDlg::DisplayReport() {
    host::CopyText(info_.overdue_text, sizeof info_.overdue_text,
                   host::U8Left(overdue_->GetSelString(), sizeof info_.overdue_text - 1));
    info_.overdue_num = static_cast<short>(TOverdueCBox::NumberOf(info_.overdue_text));
    host::CopyText(info_.doctor, sizeof info_.doctor, host::Trim(info_.doctor));
    host::CopyText(info_.carrier, sizeof info_.carrier, host::Trim(info_.carrier));
    InsARReportRun run(info_);
    const bool ok = reports::RunReport(*this, *reports::FindReport("insar"), run);
    if (IsUnattended()) CloseWindow(IDOK);
    return ok;
}

namespace {

REPORTS_REGISTER({
    .key = "insar",
    .command = 103,
    .resource = 7008,
    .dialog_class = "TInsARRptDlg",
    .caption = "C / R de Paiements d'Assurance",
    .log_name = "Insurance AR Report",
    .text_file = "insarrpt.prt",
    .template_name = "insardet.rpt",
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<TInsARRptDlg>(a.parent, 7008, a.launcher, a.module, a.mode);
    },
});

}  // namespace
