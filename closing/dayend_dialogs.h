// The day-end report's criteria dialog (7003): the day, the report and its forms, the
// companion reports, and the closing of the day. Its defaults are the day-end options of
// the settings rows (RptOptWDIniObj).
#pragma once

#include <string>
#include <vector>

#include "common/rptoptini.h"
#include "host/ui/reportdlg.h"

class TProdCBox;

// The dialog's 25 fields.
struct dayend_info {
    long date = 0;             // 101
    char create = 'Y';         // 102
    char producer[5] = "*";    // 103
    char quick = 'N';          // 104
    char summaries = 'N';      // 105
    char separate = 'N';       // 106
    int separate_by = 0;       // 107 'P' / 108 'D'
    char descriptions = 'N';   // 109
    char no_deleted = 'N';     // 110
    char memos = 'N';          // 111
    char close = 'N';          // 112
    char purge = 'N';          // 113
    char ar_check = 'N';       // 114
    short copies = 1;          // 115
    char analysis = 'N';       // 117
    char year_totals = 'N';    // 118
    char pmt_analysis = 'N';   // 119
    char revdist = 'N';        // 120
    char sap = 'N';            // 121
    char balances = 'N';       // 122
    char selected_only = 'N';  // 123
    char tooth = 'Y';          // 124
    char chrono = 'N';         // 125
    char appointments = 'N';   // 126
    char digital = 'N';        // 127
};

// The day-end check (7993): the days before the day-end date whose report was never printed,
// in record order, the first current. The caller prints them on OK.
class TDayEndCheckDlg : public TDialog {
  public:
    TDayEndCheckDlg(TWindow* parent, LauncherInfo* launcher, long date);
    void SetupWindow() override;
    // The days listed; empty when the practice could not be read (Error says why).
    const std::vector<long>& Days() const { return days_; }
    const std::string& Error() const { return error_; }

  private:
    LauncherInfo* launcher_;
    long date_;
    std::vector<long> days_;
    std::string error_;
};

class TDayEndReportDlg : public TReportBaseDlg {
  public:
    TDayEndReportDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                     TModule* module = nullptr, int mode = 0);

    void SetupWindow() override;
    bool ValidateDlgFields() override;
    bool DisplayReport() override;
    bool ActionOnSaveAsDefault() override;

    const dayend_info& GetInfo() const { return info_; }
    // The saved options <-> the criteria.
    static void FromOptions(const RptOptWDIniObj& o, dayend_info* info);
    static void ToOptions(const dayend_info& info, RptOptWDIniObj* o);

    // Prints the day-end report of date (and its companions); false when nothing could be
    // printed, or the day had no transaction (its report then holds the headings only).
    bool RunDetailSummationReports(long date);
    // Prints, one day at a time, the reports of earlier days never printed, and marks
    // them printed; false when one of them failed.
    bool ProcessOutStandingReports(const std::vector<long>& days);
    // The day-end check dialog over the earlier days never printed; true on OK.
    bool CheckOutstandingDays(long date);
    // The closing tasks, once the day is closed; the receivable integrity check last.
    void CloseDown();
    // The receivable integrity check in repair mode; messages only in interactive runs.
    void ProcessARCheckOnly();

  private:
    // The enabling rules of the options.
    void Enable();
    bool Ask(int text, unsigned flags = MB_YESNO | MB_ICONQUESTION);
    void Message(const std::string& text, unsigned flags = MB_OK | MB_ICONEXCLAMATION);
    bool AnyCheckOutRecordsRemaining();

    dayend_info info_;
    RptOptWDIniObj opts_;
    TProdCBox* producer_ = nullptr;
    bool last_empty_ = false;  // the last day printed had no transaction
};
