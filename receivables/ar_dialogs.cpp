#include "receivables/ar_dialogs.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/ppsetstore.h"
#include "common/registry.h"
#include "common/report_run.h"
#include "host/base/dates.h"
#include "host/base/debuglog.h"
#include "host/base/text.h"
#include "host/records/practice.h"
#include "host/records/records.h"
#include "receivables/ar_run.h"

namespace {

constexpr int kBadCopies = 6564;
constexpr int kBadDate = 12411;
constexpr int kMaxCopies = 5;
// The overdue choice the quick list cannot offer: the balances the accounts store do not
// tell what is older than a year.
constexpr int kOverYearChoice = 7;

// The controls the enabling rules work on (the two dialogs number them differently).
struct RuleIds {
    int report_by, report_by_label;
    int min_balance, min_balance_label;
    int by_billing_dr, by_producer, grouping_box;
};
constexpr RuleIds kReportIds{102, 115, 105, 113, 109, 110, 114};
constexpr RuleIds kQuickIds{102, 110, 104, 108, 106, 107, 111};

void Enable(TDialog& dlg, int id, bool enable) {
    if (TWindow* w = dlg.ChildWithId(id)) w->EnableWindow(enable);
}

void SetCheck(TDialog& dlg, int id, bool on) {
    if (auto* c = dlg.ChildAs<TCheckBox>(id)) c->SetCheck(on ? BF_CHECKED : BF_UNCHECKED);
}

// The minimum balance means nothing for overdue choices 1 (every account) and 2.
void MinBalanceRule(TDialog& dlg, const RuleIds& ids, const TOverdueCBox& overdue) {
    const int n = overdue.GetSelNumber();
    const bool enable = n != 1 && n != 2;
    Enable(dlg, ids.min_balance, enable);
    Enable(dlg, ids.min_balance_label, enable);
}

// The report-by list on its second entry forces the grouping by producer.
void ReportByRule(TDialog& dlg, const RuleIds& ids, const TReportByCBox& report_by) {
    const bool second = report_by.GetSelIndex() == 1;
    if (second) {
        SetCheck(dlg, ids.by_producer, true);
        SetCheck(dlg, ids.by_billing_dr, false);
    }
    for (int id : {ids.by_billing_dr, ids.by_producer, ids.grouping_box})
        Enable(dlg, id, !second);
}

// One producer puts the report-by list on its second entry; every producer ("*") puts it
// on its first and leaves it disabled.
void ProducerRule(TDialog& dlg, const RuleIds& ids, const TProdCBox& producer,
                  TReportByCBox& report_by) {
    const bool all = producer.GetCode() == "*";
    report_by.SetSelIndex(all ? 0 : 1);
    Enable(dlg, ids.report_by, !all);
    Enable(dlg, ids.report_by_label, !all);
    ReportByRule(dlg, ids, report_by);
}

// Built-in defaults of what the practice never saved.
void ApplyDefaults(arrpt_info* info) {
    if (host::Trim(info->producer).empty())
        host::CopyText(info->producer, sizeof info->producer, "*");
    if (host::Trim(info->overdue_text).empty())
        host::CopyText(info->overdue_text, sizeof info->overdue_text, "1");
    if (info->kind < 0 || info->kind > 2) info->kind = 0;
    if (info->grouping < 0 || info->grouping > 1) info->grouping = 0;
    if (info->copies < 1 || info->copies > kMaxCopies) info->copies = 1;
    if (info->future != 'Y' && info->future != 'N') info->future = 'N';
}

// The criteria as the report objects take them: the overdue number of the chosen text and
// a producer's normalised code.
void PrepareCriteria(arrpt_info* info, const TOverdueCBox& overdue) {
    host::CopyText(info->overdue_text, sizeof info->overdue_text,
                   host::U8Left(overdue.GetSelString(), sizeof info->overdue_text - 1));
    info->overdue_num = static_cast<short>(TOverdueCBox::NumberOf(info->overdue_text));
    if (std::strcmp(info->producer, "*") != 0) {
        char code[16];
        std::snprintf(code, sizeof code, "%s", GetProdCode(info->producer).c_str());
        host::CopyText(info->producer, sizeof info->producer, code);
    }
}

void BindProducer(TDialog& dlg, TProdCBox* producer, arrpt_info* info) {
    dlg.BindCustom(producer->GetId(), [producer, info](TTransferDirection d) {
        if (d == tdSetData)
            producer->SelectCode(info->producer);
        else
            host::CopyText(info->producer, sizeof info->producer, producer->GetCode());
    });
}

void BindReportBy(TDialog& dlg, TReportByCBox* report_by, arrpt_info* info) {
    dlg.BindCustom(report_by->GetId(), [report_by, info](TTransferDirection d) {
        if (d == tdSetData)
            report_by->SetSelIndex(info->report_by_producer ? 1 : 0);
        else
            info->report_by_producer = report_by->GetSelIndex() == 1;
    });
}

bool SaveFailed(TReportBaseDlg& dlg, const RptOptWDIniObj& opts) {
    dlg.MessageBox(opts.LastError(), dlg.GetCaption(), MB_OK | MB_ICONERROR);
    return false;
}

}  // namespace

// --- TARReportDlg ---

TARReportDlg::TARReportDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher, TModule* module,
                           int mode)
    : TReportBaseDlg(parent, res_id, launcher, module, mode), opts_(GetLauncherInfo()) {
    info_ = opts_.ar_info;
    extra_ = opts_.ar_extra;
    ApplyDefaults(&info_);

    producer_ = new TProdCBox(this, 101, GetLauncherInfo(), 4, module);
    report_by_ = new TReportByCBox(this, 102, nullptr, 0, module);
    as_of_ = new TDateField(this, 103, module);
    overdue_ = new TOverdueCBox(this, 104, module);
    new TAmountField(this, 105, module);
    copies_ = new TSpinField(this, 112, 1, kMaxCopies, module);

    BindProducer(*this, producer_, &info_);
    BindReportBy(*this, report_by_, &info_);
    BindDate(103, &info_.as_of);
    BindComboText(104, info_.overdue_text, sizeof info_.overdue_text);
    BindAmount(105, &info_.min_balance);
    BindRadios({106, 107, 108}, &info_.kind);
    BindRadios({109, 110}, &info_.grouping);
    BindCheck(111, &info_.option111);
    BindCheck(117, &info_.notes);
    BindCheck(116, &info_.future);
    BindSpin(112, &info_.copies);

    OnCommandNotify(101, CBN_SELCHANGE, [this] { EnDoctorFld(); });
    OnCommandNotify(102, CBN_SELCHANGE, [this] { EnRepByFld(); });
    OnCommandNotify(104, CBN_SELCHANGE, [this] { EnAdjmntMinBalFld(); });
}

void TARReportDlg::SetupWindow() {
    TReportBaseDlg::SetupWindow();
    const QDSApplication* app = GetApp();
    if (!app || !app->future_ar) {
        info_.future = 'N';
        SetCheck(*this, 116, false);
        if (TWindow* w = ChildWithId(116)) w->ShowWindow(SW_HIDE);
    }
    info_.as_of = ldate_today();
    as_of_->SetDate(info_.as_of);
    EnAdjmntMinBalFld();
    ProducerRule(*this, kReportIds, *producer_, *report_by_);
}

void TARReportDlg::EnAdjmntMinBalFld() {
    MinBalanceRule(*this, kReportIds, *overdue_);
}

void TARReportDlg::EnDoctorFld() {
    ProducerRule(*this, kReportIds, *producer_, *report_by_);
}

void TARReportDlg::EnRepByFld() {
    ReportByRule(*this, kReportIds, *report_by_);
}

bool TARReportDlg::ValidateDlgFields() {
    if (!TReportBaseDlg::ValidateDlgFields()) return false;
    if (!host::IsValidDate(info_.as_of)) {
        ReportFieldError(kBadDate);
        return false;
    }
    if (info_.copies < 1 || info_.copies > kMaxCopies) {
        ReportFieldError(kBadCopies);
        return false;
    }
    return true;
}

bool TARReportDlg::ActionOnPreview() {
    TReportBaseDlg::ActionOnPreview();
    return true;
}

bool TARReportDlg::ActionOnSaveAsDefault() {
    if (!ppset::ConfirmSaveAsDefault(*this)) return false;
    TransferData(tdGetData);
    info_.overdue_num = static_cast<short>(TOverdueCBox::NumberOf(info_.overdue_text));
    opts_.ar_info = info_;
    opts_.ar_extra = extra_;
    return opts_.update_ar() || SaveFailed(*this, opts_);
}

bool TARReportDlg::DisplayReport() {
    const QDSApplication* app = GetApp();
    if (!app || !app->future_ar) info_.future = 'N';
    PrepareCriteria(&info_, *overdue_);
    info_.report_by_producer = report_by_->GetSelIndex() == 1;
    ARReportRun run(info_, false, info_.copies);
    const bool ok = reports::RunReport(*this, *reports::FindReport("ar"), run);
    if (IsUnattended()) CloseWindow(IDOK);
    return ok;
}

// --- TARQukRptDlg ---

TARQukRptDlg::TARQukRptDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher, TModule* module)
    : TReportBaseDlg(parent, res_id, launcher, module), opts_(GetLauncherInfo()) {
    info_ = opts_.ar_quick_info;
    // The quick list's flag shows its progress window unless the practice saved otherwise.
    const bool saved = !host::Trim(info_.producer).empty();
    flag_ = saved ? opts_.ar_quick_extra : 1;
    ApplyDefaults(&info_);

    producer_ = new TProdCBox(this, 101, GetLauncherInfo(), 4, module);
    report_by_ = new TReportByCBox(this, 102, nullptr, 0, module);
    overdue_ = new TOverdueCBox(this, 103, module);
    new TAmountField(this, 104, module);
    as_of_ = new TDateField(this, 105, module);

    BindProducer(*this, producer_, &info_);
    BindReportBy(*this, report_by_, &info_);
    BindComboText(103, info_.overdue_text, sizeof info_.overdue_text);
    BindAmount(104, &info_.min_balance);
    BindDate(105, &info_.as_of);
    BindRadios({106, 107}, &info_.grouping);
    BindCheck(109, &flag_);

    OnCommandNotify(101, CBN_SELCHANGE, [this] { EnDoctorFld(); });
    OnCommandNotify(102, CBN_SELCHANGE, [this] { EnRepByFld(); });
    OnCommandNotify(103, CBN_SELCHANGE, [this] { EnAdjmntMinBalFld(); });
}

void TARQukRptDlg::SetupWindow() {
    TReportBaseDlg::SetupWindow();
    for (int i = overdue_->GetCount() - 1; i >= 0; --i)
        if (TOverdueCBox::NumberOf(overdue_->GetString(i)) == kOverYearChoice) {
            const bool selected = overdue_->GetSelIndex() == i;
            overdue_->DeleteString(i);
            if (selected) overdue_->SetSelIndex(0);
        }
    long as_of = 0;
    if (LauncherInfo* l = GetLauncherInfo(); l && l->GetDb()) {
        DayEndInfo dayend(l->GetListPtr(), l->GetMsgPtr());
        if (dayend.DBGetFirst()) as_of = dayend.GetItem()->lastday;
    }
    info_.as_of = host::IsValidDate(as_of) ? as_of : ldate_today();
    as_of_->SetDate(info_.as_of);
    EnAdjmntMinBalFld();
    ProducerRule(*this, kQuickIds, *producer_, *report_by_);
}

void TARQukRptDlg::EnAdjmntMinBalFld() {
    MinBalanceRule(*this, kQuickIds, *overdue_);
}

void TARQukRptDlg::EnDoctorFld() {
    ProducerRule(*this, kQuickIds, *producer_, *report_by_);
}

void TARQukRptDlg::EnRepByFld() {
    ReportByRule(*this, kQuickIds, *report_by_);
}

bool TARQukRptDlg::ActionOnSaveAsDefault() {
    if (!ppset::ConfirmSaveAsDefault(*this)) return false;
    TransferData(tdGetData);
    info_.overdue_num = static_cast<short>(TOverdueCBox::NumberOf(info_.overdue_text));
    opts_.ar_quick_info = info_;
    opts_.ar_quick_extra = static_cast<short>(flag_ ? 1 : 0);
    return opts_.update_arquicklst() || SaveFailed(*this, opts_);
}

bool TARQukRptDlg::ValidateDlgFields() {
    if (!TReportBaseDlg::ValidateDlgFields()) return false;
    if (!host::IsValidDate(info_.as_of)) {
        ReportFieldError(kBadDate);
        return false;
    }
    return true;
}

bool TARQukRptDlg::DisplayReport() {
    PrepareCriteria(&info_, *overdue_);
    info_.report_by_producer = report_by_->GetSelIndex() == 1;
    ARReportRun run(info_, true, 1);
    return reports::RunReport(*this, *reports::FindReport("arquick"), run);
}

namespace {

REPORTS_REGISTER({
    .key = "ar",
    .command = 102,
    .resource = 7006,
    .dialog_class = "TARReportDlg",
    .caption = "Rapport des Comptes à Recevoir",
    .log_name = "AR Report",
    .text_file = "arrpt.prt",
    .template_name = "agedrc.rpt",
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<TARReportDlg>(a.parent, 7006, a.launcher, a.module, a.mode);
    },
});

REPORTS_REGISTER({
    .key = "arquick",
    .command = 0,
    .resource = 7005,
    .dialog_class = "TARQukRptDlg",
    .caption = "Liste Rapide des Comptes à Recevoir",
    .log_name = "AR Quick List",
    .text_file = "arrpt.prt",
    .template_name = "",
    .make_dialog = [](const reports::DialogArgs& a) -> std::unique_ptr<TReportBaseDlg> {
        return std::make_unique<TARQukRptDlg>(a.parent, 7005, a.launcher, a.module);
    },
});

}  // namespace
