// The month-end report's criteria dialogs: TMonthEndReportDlg (7002, catalog 108) with its
// grouping, order and doctor selection, and TMonthEndReportDlgEx (7036, catalog 1003) with
// a billing-doctor range. Both print the summary, the daily detail, the monthly deposit
// summary and (108) the producer analysis, write the reprint file and close the month.
// YearEndDlg sets the year-end month ("YEMonth" of the system settings).
#pragma once

#include <string>
#include <vector>

#include "closing/mthend_collect.h"
#include "common/rptoptini.h"
#include "host/ui/reportdlg.h"

class TProdCBox;

// The fields both dialogs share.
struct mthend_info {
    short month = 1;       // 101
    short year = 2000;     // 119
    char create = 'Y';     // 111
    char daily = 'N';      // 112
    char deposits = 'N';   // 113
    char month_end = 'N';  // 115
    char year_end = 'N';   // 116
    short copies = 1;      // 117
    // 108 only.
    int grouping = 0;            // 103, 104, 106
    char hyg_subtotals = 'N';    // 105
    char aux_pages = 'N';        // 107
    char producer[5] = "*";      // 108
    int order = 0;               // 109, 110
    char practice_totals = 'Y';  // 114
    char analysis = 'N';         // 124
    char year_totals = 'N';      // 125
    char pmt_analysis = 'N';     // 126
    char selected_only = 'N';    // 127
    // 1003 only.
    char from_dr[5] = "*";  // 123
    char to_dr[5] = "*";    // 124
    char by_doctor = 'Y';   // 125
};

class TMonthEndBaseDlg : public TReportBaseDlg {
  public:
    TMonthEndBaseDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher, TModule* module,
                     int mode, int command);

    void SetupWindow() override;
    bool ValidateDlgFields() override;
    bool DisplayReport() override;
    bool ActionOnSaveAsDefault() override;

    const mthend_info& GetInfo() const { return info_; }
    // The period chosen (after validation).
    long First() const { return first_; }
    long Last() const { return last_; }
    // The saved options <-> the fields.
    static void FromOptions(const RptOptWDIniObj& o, mthend_info* info);
    static void ToOptions(const mthend_info& info, RptOptWDIniObj* o);
    // The days of the period whose day-end report is still unprinted, listed with "%8ld".
    static std::string UnprintedList(const std::vector<long>& days);

  protected:
    // The collection's criteria for the period.
    virtual mthend::Criteria MakeCriteria() const = 0;
    // One doctor or a range is selected (the month cannot then be closed).
    virtual bool OneDoctor() const = 0;
    virtual void Companions() {}
    bool Ask(int text, const std::string& arg1 = {}, const std::string& arg2 = {});
    void Message(const std::string& text, unsigned flags = MB_OK | MB_ICONEXCLAMATION);
    // Shows the stored year-end month and the last month-end and year-end dates.
    void ShowDates();

    mthend_info info_;
    RptOptWDIniObj opts_;
    int command_;
    long first_ = 0, last_ = 0;
};

class TMonthEndReportDlg : public TMonthEndBaseDlg {
  public:
    TMonthEndReportDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                       TModule* module = nullptr, int mode = 0);
    void SetupWindow() override;
    // Button 129: the year-end month.
    void CmYearEnd();
    void SetYearEndText(int month);

  protected:
    mthend::Criteria MakeCriteria() const override;
    bool OneDoctor() const override;
    void Companions() override;

  private:
    void Enable();
    TProdCBox* producer_ = nullptr;
};

class TMonthEndReportDlgEx : public TMonthEndBaseDlg {
  public:
    TMonthEndReportDlgEx(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                         TModule* module = nullptr, int mode = 0);

  protected:
    mthend::Criteria MakeCriteria() const override;
    bool OneDoctor() const override;

  private:
    TProdCBox* from_ = nullptr;
    TProdCBox* to_ = nullptr;
};

// "Mois de la Fin d'Année": one spin field, 1 to 12; OK writes "YEMonth".
class YearEndDlg : public TDialog {
  public:
    YearEndDlg(TWindow* parent, int month);
    void CmOk() override;
    int GetMonth() const { return month_; }

  private:
    int month_;
};
