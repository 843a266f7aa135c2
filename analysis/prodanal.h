// The producer analysis engine: walks the transactions of a period (treatments performed
// and deleted, office charges, payments, adjustments and allocation transfers), credits
// each to a producer and to a period (the report date, the month to date, the year to
// date), and keeps per producer the 19 accumulators of prodanal_info and per code the
// receivable of drbalfwd_info. The practice analysis prints it; the day-end, the month-end
// and the receivable integrity check build it for their own totals.
//
// Two collection paths give the same lists: SQL over the practice tables (calculation mode
// 1; the server sums the lines by producer, billing doctor, class, period and laboratory
// flag, and each statement reads its table once) or the practice's day sheet with each
// line's record read by id (any other mode).
// Rules the engine keeps on both paths:
//   - A zero date is no date: a line dated 0 (a treatment never deleted, for one) is never
//     in range, whatever the start date.
//   - An auxiliary's line (producer beginning with 'A') credits its billing doctor's
//     receivable on both of its code-list fields; the auxiliary's own entry keeps its
//     brought-forward balances. Its payments go to the doctor's payment arrays, its
//     production to its own line and to the doctor's "including auxiliaries" array.
//   - A payment entered after its date counts on its entry date, in that day's columns.
//   - An office charge deleted is taken off (office charges, fees) on its deletion date, as
//     the receivable drops it then; the day sheet has no line for it, so both paths read
//     it from the office charges by deletion date.
//   - The lists come out in the same order on both paths: the producers with a record (type
//     D, then A, then H, each by code), then the others by first appearance in the order
//     date, class letter, record id.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/base/dates.h"
#include "host/base/tdlist.h"
#include "host/records/recbase.h"

class LauncherInfo;
class TWindow;

// Accumulators of prodanal_info, in their order.
enum ProdAnalField {
    PA_PROCS = 0,  // procedures performed (a count)
    PA_DENTAL,
    PA_LAB,
    PA_OFFCHG,
    PA_FEEADJ,
    PA_FEES,     // treatments + office charges + fee adjustments
    PA_FEESAUX,  // as PA_FEES, with a doctor's auxiliaries' production
    PA_PMT_REG,
    PA_PMT_LAB,
    PA_PMT_TOT,
    PA_TRF_REG,
    PA_TRF_LAB,
    PA_TRF_TOT,
    PA_PADJ_REG,
    PA_PADJ_LAB,
    PA_PADJ_TOT,
    PA_NET_REG,
    PA_NET_LAB,
    PA_NET_TOT,
    PA_FIELDS
};

// Periods: the report date, the month to date, the year to date.
enum { PA_TODAY = 0, PA_MTD = 1, PA_YTD = 2, PA_PERIODS = 3 };

struct prodanal_info : TDElem {
    char flag = 'N';  // the producer record's flag; 'Y': not printed when all is zero
    std::string code;
    std::string descript;
    int64_t acc[PA_FIELDS][PA_PERIODS] = {};
    bool has_record = false;  // a producer record exists
    bool IsAuxiliary() const { return !code.empty() && code[0] == 'A'; }
};

struct drbalfwd_info : TDElem {
    std::string code;
    int64_t bal_prod = 0;    // receivable by producer
    int64_t bal_billdr = 0;  // receivable by billing doctor
    char flag = 'N';
};

struct billdr_info : TDElem {
    std::string code;  // producer code of a billing doctor ("D01")
};

class TProducerAnalysisObj {
  public:
    // start_date 0: from the day after the last month-end (or from the beginning).
    TProducerAnalysisObj(LauncherInfo* launcher, long start_date, long report_date, TWindow* parent,
                         bool include_end_date);
    ~TProducerAnalysisObj();
    TProducerAnalysisObj(const TProducerAnalysisObj&) = delete;
    TProducerAnalysisObj& operator=(const TProducerAnalysisObj&) = delete;

    // Fills the lists (SQL path in calculation mode 1, else the day sheet). by_billdr
    // credits every line with a billing doctor to that doctor; fold_aux credits the
    // auxiliaries' lines to their billing doctor. False with Error() set when the
    // practice cannot be read; the lists then hold what was read.
    bool Collect(bool by_billdr, bool fold_aux);
    // The same on a chosen path (tests compare the two).
    bool CollectSql(bool by_billdr, bool fold_aux);
    bool CollectDaySheet(bool by_billdr, bool fold_aux);

    TDList& GetProducerList() { return producers_; }
    TDList& GetCodeList() { return codes_; }
    TDList* GetBillDrList() { return billdrs_.get(); }
    const TDatePeriodObj& GetPeriod() const { return period_; }
    long GetStartDate() const { return start_date_; }
    long GetReportDate() const { return report_date_; }
    const std::vector<lock_pkt>& GetLockTable() const { return locks_; }
    // Lines whose record is missing are written there ("DAYSHEET: DATE=...").
    void SetTraceFile(FILE* trace) { trace_ = trace; }
    const std::string& Error() const { return error_; }

    prodanal_info* FindProducer(const std::string& code) const;
    drbalfwd_info* FindCode(const std::string& code) const;

    // One transaction line with what its record says (filled by either path).
    struct Line {
        long date = 0;
        long recid = 0;
        char billdr[3] = {};
        char producer[4] = {};
        char sortid = '\0';
        char rectype = '\0';
        long patid = 0;
        bool found = false;    // the record exists
        int64_t amount = 0;    // treatment total with adjustment, charge, or applied amount
        bool lab = false;      // a laboratory treatment, or an application to one
        char adj_kind = '\0';  // the adjustment's kind (class 'N')
        // A line standing for several of one producer, class and period (the SQL path sums
        // them on the server): their number, and their period (-1: from the date). date and
        // recid are then those of the earliest of them.
        long count = 1;
        int period = -1;
    };

  private:
    void Init();
    bool Begin(bool by_billdr, bool fold_aux);
    void End();
    void Account(const Line& line);
    std::string BillDrCode(const std::string& billdr) const;
    prodanal_info* Producer(const std::string& code, const Line& line);
    drbalfwd_info* Code(const std::string& code, const Line& line);
    void OrderNewEntries();
    bool Fail(const std::string& what);
    bool StartAfterMonthEnd();
    long LowDate() const { return start_date_ > 0 ? start_date_ : 1; }
    // The accumulators' period of a line's date: the report date, its month, or earlier.
    int PeriodOf(long date) const {
        return date == report_date_ ? PA_TODAY : period_.InPeriod(date) ? PA_MTD : PA_YTD;
    }
    bool InRange(long date) const {
        return date >= LowDate() && (include_end_ ? date <= report_date_ : date < report_date_);
    }

    LauncherInfo* launcher_;
    TWindow* parent_;
    long start_date_, report_date_;
    bool include_end_;
    TDatePeriodObj period_;
    TDList producers_, codes_;
    std::unique_ptr<TDList> billdrs_;
    std::vector<lock_pkt> locks_;
    FILE* trace_ = nullptr;
    std::string error_;
    bool by_billdr_ = false, fold_aux_ = false;
    size_t first_new_producer_ = 0, first_new_code_ = 0;
    // First appearance of the entries created from the transactions.
    struct Seen {
        long date;
        char sortid;
        long recid;
        int seq;
    };
    // Keeps an entry's earliest line (date, class, record id), whatever order the lines
    // come in.
    void Touch(TDElem* e, const Line& line, bool created);
    std::unordered_map<TDElem*, Seen> seen_;
    int seq_ = 0;
};
