// The month-end report's data: the changes to the receivable over one month, as lines
// (one per treatment category, office charge or application), gathered into pages per
// billing doctor or producer, the practice totals, the daily detail and the adjustments
// by code.
//
// TMonthEndRepSummation is the collector, the only code of the month-end report that reads
// the practice. It finds the month's transactions either by SQL over the practice tables
// (calculation mode 1) or from the day sheet (any other mode); both yield keys (kind
// letter, record id, day) whose records are then read by id the same way, so that both
// paths give the same lines. The rules are those of the producer analysis, which the
// month-end must agree with:
//   - treatments count on their entry date, and come off on their deletion date;
//   - office charges count on their entry date and come off on their deletion date;
//   - a payment's application counts on its own date, or on its entry date when entered
//     after that date (a back-dated payment counts in the month it was entered);
//   - an adjustment of kind 'N' adjusts fees, any other adjusts payments;
//   - a payment of a code with the direct-deposit flag is a direct deposit;
//   - an auxiliary's lines go to its billing doctor unless auxiliaries have pages of
//     their own.
// The receivable at the end of the month is the producer analysis' on the last day; the one
// at the start is that less what the month's lines moved (one run of the analysis, not two).
//
// Signs: a line's amount is its effect on the receivable; payments, payment adjustments
// and transfers received are negative. The printed forms show money received positive.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/report_run.h"

class LauncherInfo;
class TMeter;

namespace mthend {

// How the pages are made.
enum class Grouping : int {
    BillDr = 0,        // one page per billing doctor (ByBillDrOnly)
    Producer = 1,      // one page per producer (ByProducer)
    BillDrByProd = 2,  // per billing doctor with producer subtotals (ByBillDrWithProdSubTot)
};

struct Criteria {
    long first = 0, last = 0;  // the period
    Grouping grouping = Grouping::BillDr;
    bool hyg_subtotals = false;   // with BillDr: subtotals of the doctor's hygienists
    bool aux_pages = false;       // auxiliaries on pages of their own
    bool by_receivable = false;   // pages by descending receivable instead of by code
    bool practice_totals = true;  // the "TOTAUX - CABINET" page
    bool selected_only = false;   // the practice totals cover the selection only
    // A page code ("D01"), or "D01,D04" (both bounds inclusive); "" or "*": all.
    std::string range;
    // The range names billing doctors ("01,04"): a line is selected by its billing doctor
    // whatever the grouping.
    bool range_billdr = false;
    short copies = 1;
    // The application's calculation mode: 1 reads the tables, any other the day sheet.
    int calc_mode = 1;
};

// The categories a line is printed under.
enum Cat : int {
    kDfe,      // "DFE" dental fees
    kDis,      // "DIS" discounts
    kDsc,      // "DSC" surcharges
    kLch,      // "LCH" laboratory charges
    kOfch,     // "OFCH" office charges
    kFeeAdj,   // "ADJUST" adjustments of fees
    kDeposit,  // "LD" payments deposited
    kDirect,   // "MD" direct deposits
    kTrns,     // "TRNS" applications dated after their payment
    kTsf,      // "TSF" transfers between producers
    kPmtAdj,   // "ADJUST" adjustments of payments
    kCats
};
const char* CatCode(int cat);

// One transaction's effect on the receivable (stMonthEndElem before grouping).
struct Line {
    long date = 0;         // the day it counts on
    char kind = ' ';       // F G H I (deleted office charge) L N P Q
    long id = 0;           // treatment, office charge or application
    std::string billdr;    // "01"
    std::string producer;  // "D01", "H01"
    int cat = kDfe;
    bool lab = false;  // a laboratory treatment
    int64_t amount = 0;
    std::string adj_code;  // adjustments: their code
};

struct Figures {
    int64_t cat[kCats] = {};
    void Add(const Figures& f) {
        for (int i = 0; i < kCats; ++i)
            cat[i] += f.cat[i];
    }
    int64_t Treatments() const { return cat[kDfe] + cat[kDis] + cat[kDsc] + cat[kLch]; }
    int64_t Charges() const { return Treatments() + cat[kOfch]; }
    int64_t FeeAdj() const { return cat[kFeeAdj]; }
    // Money received positive.
    int64_t Payments() const { return -(cat[kDeposit] + cat[kDirect]); }
    int64_t Transfers() const { return -(cat[kTrns] + cat[kTsf]); }
    int64_t PmtAdj() const { return -cat[kPmtAdj]; }
    // The receivable's change over the period.
    int64_t Net() const { return Charges() + FeeAdj() - Payments() - Transfers() - PmtAdj(); }
};

struct Subtotal {
    std::string code, first, last, title;
    Figures f;
};

// One page: a billing doctor or producer, or the practice (code "").
struct Page {
    std::string code;
    std::string first, last, title;
    char type = 'D';  // the producer record's type ('H' hygienist)
    Figures f;
    std::vector<Subtotal> subtotals;
    int64_t start = 0, end = 0;  // receivables at the start and at the end of the period
};

// One day of the daily detail (stMonthEndDetailElem), money received positive.
struct Day {
    long date = 0;
    int64_t fees = 0, lab = 0, fee_adj = 0, charges = 0, payments = 0, pmt_adj = 0;
    int64_t receivable = 0;  // at the end of the day
};

// Adjustments by code (stMEndAdjDtlElem), as entered (a credit positive).
struct AdjDetail {
    std::string code, descr;
    bool fees = true;  // an adjustment of fees
    int64_t amount = 0;
};

struct MonthEndData {
    Criteria criteria;
    std::vector<Line> lines;     // by date, kind, record
    std::vector<bool> selected;  // by line: within the doctor selection
    std::vector<Page> pages;
    Page practice;
    std::vector<Day> days;
    std::vector<AdjDetail> adjustments;
    std::map<std::string, std::string> adj_descr;  // adjustment code -> description
    int64_t FeeAdjTotal() const;
    int64_t PmtAdjTotal() const;
    std::string practice_name;
    bool Empty() const { return lines.empty(); }
};

using Outcome = reports::Outcome;

class TMonthEndRepSummation {
  public:
    TMonthEndRepSummation(LauncherInfo* launcher, const Criteria& criteria,
                          TMeter* meter = nullptr);
    virtual ~TMonthEndRepSummation() = default;
    // Gathers the period into *out. Failed with *error (French) when the practice cannot
    // be read; Cancelled when the meter's Cancel was pressed.
    Outcome Collect(MonthEndData* out, std::string* error);

  protected:
    // The page a line is credited to.
    virtual std::string PageCode(const Line& l) const;
    bool Selected(const Line& l) const;
    const Criteria& criteria() const { return c_; }

  private:
    struct Key;
    struct Records;
    // The payment codes deposited directly and the adjustments' descriptions.
    bool Codes(Records* records, MonthEndData* out);
    // The period's lines: by SQL, or from the day sheet.
    bool LinesBySql(Records* records, MonthEndData* out);
    bool LinesByDaySheet(Records* records, MonthEndData* out);
    // Both paths' statements read side by side: a row that carries its record becomes its
    // lines at once, the key of one that does not is kept for Details; false when one failed
    // (not when the meter was cancelled).
    bool ReadLines(const std::vector<std::string>& queries, Records* records, MonthEndData* out);
    // The lines of the keys whose record no row carried, read by id; then every line in order.
    bool Details(Records* records, MonthEndData* out);
    bool Pages(MonthEndData* out);
    bool Fail(const std::string& what);

    LauncherInfo* launcher_;
    Criteria c_;
    TMeter* meter_;
    std::string error_;
};

// The daily detail: the summation's lines day by day (the same collection).
class TMonthEndRepDetail {
  public:
    // Fills out->days and out->adjustments from the practice's lines and its start.
    static void Build(MonthEndData* out);
};

class TMonthEndRepDetailEx : public TMonthEndRepDetail {};

// The extended dialog's collection: a billing-doctor range and a grouping by billing
// doctor or by producer; the same collector.
class TMonthEndRepSummationEx : public TMonthEndRepSummation {
  public:
    TMonthEndRepSummationEx(LauncherInfo* launcher, long first, long last,
                            const std::string& from_dr, const std::string& to_dr, bool by_billdr,
                            int calc_mode, TMeter* meter = nullptr);
    static Criteria MakeCriteria(long first, long last, const std::string& from_dr,
                                 const std::string& to_dr, bool by_billdr, int calc_mode);
};

}  // namespace mthend
