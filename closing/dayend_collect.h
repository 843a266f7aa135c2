// The day-end report's data: one business day gathered into typed lines (stDayEndElem),
// their sections and the control totals, and the producer summaries.
//
// TDayEndRepSummation is the collector, the only code of the day-end that reads the
// practice. It finds the day's transactions either by SQL over the practice tables
// (calculation mode 1) or from the day sheet (any other mode); both paths yield the same
// keys (kind letter, record id, billing doctor, producer, patient), and each key's details
// are then read by id the same way, so that both paths give the same lines.
//
// Signs: a line's amount is its effect on the receivable. Charges are positive, payments,
// payment adjustments and transfers received are negative (the day-end detail prints a
// payment negated). The control totals and the summaries print money received positive.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/report_run.h"

class LauncherInfo;
class TMeter;
class TProducerAnalysisObj;

namespace dayend {

// Collection passes.
enum Pass : int { kReportPass = 1, kSummaryPass = 2 };

struct Criteria {
    long date = 0;
    int pass = kReportPass;
    bool quick = false;  // the quick form
    short copies = 1;
    bool skip_deleted = false;  // deleted treatments left out
    bool descriptions = false;  // procedure descriptions
    bool tooth = true;          // tooth and surface
    bool chrono = false;        // lines in the order they were entered
    // Restriction to producers (1) or billing doctors (2); 0: the whole practice.
    int selector = 0;
    // "D01", or "D01,D04" (both bounds inclusive); "" or "*": all.
    std::string range;
    // The application's calculation mode: 1 reads the tables, any other the day sheet.
    int calc_mode = 1;
};

// One transaction of the day (stDayEndElem).
struct Elem {
    char kind = ' ';       // the transaction kind letter
    long rec_id = 0;       // patient, treatment, office charge, account payment or application
    std::string billdr;    // billing doctor ("01")
    std::string producer;  // producer code ("D01", "H02")
    long patient_id = 0;
    long account_id = 0;
    long date = 0;  // the transaction's own date
    std::string last_name, first_name;
    std::string address;  // patients: street and city
    std::string status;   // treatments
    std::string code;     // procedure, office charge, payment or adjustment code
    std::string descr;
    std::string tooth, surface;
    long units = 0;
    bool lab = false;     // a laboratory treatment, or an application to one
    char adj_flag = ' ';  // treatments: 'S' surcharge, 'D' discount
    int64_t adj = 0;      // the surcharge or discount
    int64_t pat = 0;      // patient portion
    int64_t ins = 0;      // insurance portion
    int64_t amount = 0;   // the line's effect on the receivable (see above)
    char type = ' ';      // payments: 'P' patient, 'I' insurer
    char adj_kind = ' ';  // adjustments: 'N' fees, 'P' payments
    char dep = ' ';       // deposited flag
    std::string payor, trxno;
    bool direct = false;  // paid by a code with the direct-deposit flag
};

// The letter whose section a line belongs to (post-dated payments and adjustments share
// one section).
char SectionOf(char kind);

struct Section {
    char kind = ' ';
    std::vector<Elem> lines;
    int64_t total = 0;
    // Treatments: fees, discounts, surcharges and laboratory fees (section total = fees +
    // lab + extra - discount). Adjustments: those of fees and of payments.
    int64_t fees = 0, discount = 0, extra = 0, lab = 0, fee_adj = 0, pmt_adj = 0;
};

// The control totals, for the day and the month to date; money received positive.
struct Control {
    enum Row { kFees, kLab, kCharges, kFeeAdj, kPayments, kPmtAdj, kRows };
    std::array<int64_t, kRows> day{}, mtd{};
    int64_t ChargesDay() const { return day[kFees] + day[kLab] + day[kCharges] + day[kFeeAdj]; }
    int64_t ChargesMtd() const { return mtd[kFees] + mtd[kLab] + mtd[kCharges] + mtd[kFeeAdj]; }
    int64_t PaymentsDay() const { return day[kPayments] + day[kPmtAdj]; }
    int64_t PaymentsMtd() const { return mtd[kPayments] + mtd[kPmtAdj]; }
    int64_t closing = 0;  // the receivable at the end of the day
    int64_t Opening() const { return closing - ChargesDay() + PaymentsDay(); }
};

// A row of a producer summary: patient, insurance and total.
struct Triple {
    int64_t pat = 0, ins = 0, total = 0;
    void Add(int64_t p, int64_t i) {
        pat += p;
        ins += i;
        total += p + i;
    }
    void Add(const Triple& t) { Add(t.pat, t.ins); }
};

// Summary letters, in their printed order.
inline constexpr char kSummaryLetters[] = "ABFGHILMPV";

struct ProducerSummary {
    std::string code;                // "D01"; "" for the practice totals
    std::string heading;             // "Marie Tremblay (D01)"
    char type = 'D';                 // the producer record's type ('H' hygienist)
    bool working = true;             // has transactions of the day
    std::array<Triple, 10> lines{};  // by kSummaryLetters; A and B count patients in total
    Triple fees, lab;                // payments applied to fees and to laboratory fees
    int64_t closing = 0;             // the producer's receivable at the end of the day
    int64_t Charges() const;         // F - G + H + I
    int64_t Payments() const;        // L + M + P + V, money received positive
    int64_t Opening() const { return closing - Charges() + Payments(); }
    Triple& Line(char letter);
    const Triple& Line(char letter) const;
};

struct DayEndData {
    Criteria criteria;
    std::vector<Elem> elems;                 // sorted
    std::vector<Section> sections;           // report pass
    Control control;                         // report pass
    std::vector<ProducerSummary> producers;  // summary pass: the working producers
    std::vector<ProducerSummary> idle;       // summary pass: producers without transactions
    ProducerSummary practice;                // summary pass: the whole practice
    std::string practice_name;
    bool Empty() const { return elems.empty(); }
};

using Outcome = reports::Outcome;

class TDayEndRepSummation {
  public:
    TDayEndRepSummation(LauncherInfo* launcher, const Criteria& criteria, TMeter* meter = nullptr);
    // Gathers the day into *out. Failed with *error (French) when the practice cannot be
    // read; Cancelled when the meter's Cancel was pressed.
    Outcome Collect(DayEndData* out, std::string* error);
    // The producer analysis of the date that gave the month to date and the receivables;
    // a second pass of the same date given it reuses it instead of reading the history again.
    std::shared_ptr<TProducerAnalysisObj> Engine() const { return engine_; }
    void SetEngine(std::shared_ptr<TProducerAnalysisObj> engine) { engine_ = std::move(engine); }

  private:
    struct Key;
    bool KeysBySql(std::vector<Key>* keys);
    bool KeysByDaySheet(std::vector<Key>* keys);
    bool Details(std::vector<Key>& keys, std::vector<Elem>* out);
    bool Totals(DayEndData* out);
    bool Fail(const std::string& what);
    bool InRange(const Elem& e) const;
    std::string Kinds() const;

    LauncherInfo* launcher_;
    Criteria c_;
    TMeter* meter_;
    std::string error_;
    bool cancelled_ = false;
    std::shared_ptr<TProducerAnalysisObj> engine_;
};

}  // namespace dayend
