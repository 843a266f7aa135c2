// The criteria dialog with a from date and a to date (controls 102 and 103), both today
// by default; it runs the practice memo report over the period (followup/memo_reports.h).
#pragma once

#include "host/ui/reportdlg.h"

// The check of every dialog that takes a period: both dates real (12411) and the to date
// not before the from date (6643), each refusal shown over the dialog. With `optional`, a
// 0 date is no bound and passes.
bool CheckPeriod(TDialog& dlg, long from, long to, bool optional = false);

class TDateRngDlg : public TReportBaseDlg {
  public:
    TDateRngDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                TModule* module = nullptr, int mode = 0);

    // After the host's checks: a from date later than today needs a to date (6642), and a
    // to date may not come before the from date (6643).
    bool ValidateDlgFields() override;
    bool DisplayReport() override;
    int GetDlgFieldCount() const override { return 2; }

    long GetFromDate() const { return from_; }
    long GetToDate() const { return to_; }
    // Presets the period (before Execute), as the day-end's reminders step does.
    void SetDates(long from, long to) {
        from_ = from;
        to_ = to;
    }

    // The report run over the period. The memo report sets it when the module loads
    // (followup/memo_reports.cpp); without one, the dialog says the report is not available.
    using PeriodReport = bool (*)(TDateRngDlg& dlg, long from, long to);
    static bool SetPeriodReport(PeriodReport report);

  private:
    long from_;
    long to_;
};
