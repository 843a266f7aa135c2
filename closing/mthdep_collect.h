// The deposits of a month: the summary day by day for each bank (MonthlyDepositObj, printed
// by MonthlyDepositPrt with the month-end or alone) and the monthly deposit report's rows
// by payment code (MonthDepReport). These collectors are the only code of the two reports
// that reads the database.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/report_run.h"

#include "host/base/dates.h"

class LauncherInfo;
class TMeter;

namespace mthdep {

inline constexpr int kSlots = 36;  // slot 0 the period, 1 to 35 its days
enum Amounts : int { kPayments, kCharges, kDirect, kDepositAdj, kOtherAdj, kArrays };

// One bank's month: the dates of the day slots and five arrays of amounts.
struct MthDepInfo {
    std::string code;
    std::string name;
    long dates[kSlots] = {};
    int64_t amt[kArrays][kSlots] = {};

    // Net deposits: payments less service charges, with their adjustments, and the direct
    // deposits. Other adjustments are left out: they are not deposited.
    int64_t Net(int slot) const {
        return amt[kPayments][slot] - amt[kCharges][slot] + amt[kDepositAdj][slot] +
               amt[kDirect][slot];
    }
    bool HasAmounts(int slot) const;
};

class MonthlyDepositObj {
  public:
    // The period's first and last days (at most 35 days).
    MonthlyDepositObj(LauncherInfo* launcher, long first, long last, TMeter* meter = nullptr,
                      int calc_mode = 1);
    MonthlyDepositObj(LauncherInfo* launcher, const TDatePeriodObj& period, TMeter* meter = nullptr,
                      int calc_mode = 1);

    // Reads the period; true when anything was loaded. False with Error() on a failure.
    bool LoadMthDepInfo();
    int NumberOfElm() const { return static_cast<int>(banks_.size()); }
    const std::vector<MthDepInfo>& GetMthDepDListElem() const { return banks_; }
    long First() const { return first_; }
    long Last() const { return last_; }
    const std::string& Error() const { return error_; }
    bool Cancelled() const { return cancelled_; }

  private:
    bool LoadMthDepInfoByDatabase();
    bool LoadMthDepInfoByDaysheet();
    bool Load(const std::string& sql);
    // Adds one payment or adjustment to its bank and day.
    void Place(char rectype, long date, long sysdate, const std::string& bank,
               const std::string& code, char pmt, char dep, int64_t total);
    MthDepInfo* GetDepDayInfo(const std::string& bank, long when, int* slot);

    LauncherInfo* launcher_;
    long first_, last_;
    TMeter* meter_;
    int calc_mode_;
    std::vector<MthDepInfo> banks_;
    std::string error_;
    bool cancelled_ = false;
    struct Code {
        std::string code;
        bool direct = false;
        int rate = 0;
    };
    std::vector<Code> codes_;
};

// The monthly deposit report.
struct Criteria {
    long from = 0;
    long to = 0;
    bool by_bank = false;            // SeparateByBank
    bool by_doctor = false;          // SeparateByDr
    char report_by = 'D';            // 'P' by producer, else by billing doctor
    std::string prod;                // one producer or doctor code, "" for all
    bool practice_total = true;      // PrintPracticeTotal
    std::vector<std::string> codes;  // the payment codes ticked; empty: every code
    short copies = 1;
};

struct MonthDepElem {
    std::string code;
    long deposit = 0;  // the entry date, or the payment's date when that is later
    long date = 0;
    int64_t amount = 0;  // the payment's total, or its applied part when by doctor
    std::string bank;
    long id = 0;
    std::string producer;
    std::string billdr;
};

struct Part {
    std::string bank;  // with by_bank
    std::string bank_name;
    std::string who;  // producer or billing doctor code, with by_doctor
    std::vector<MonthDepElem> rows;
};

struct MonthDepData {
    Criteria criteria;
    std::vector<std::string> codes;  // the columns: the codes of the rows, in code order
    std::vector<Part> parts;
    size_t Count() const;
    int64_t Total() const;
};

// " FROM ... WHERE ..." shared by the count and the rows (values escaped).
std::string FromWhere(const Criteria& c, const std::string& prefix);
bool JoinsApplications(const Criteria& c);

using reports::Outcome;

Outcome CollectMonthDep(const Criteria& c, LauncherInfo* launcher, TMeter* meter, MonthDepData* out,
                        std::string* error);

}  // namespace mthdep
