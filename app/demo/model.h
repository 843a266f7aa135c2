// The generator's shared state: the practice (producers, carriers, policies, codes, the
// calendar) that every account draws on, and the output (row spools, identifiers, the day
// sheet being gathered).
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/demo/calendar.h"
#include "app/demo/demo.h"
#include "app/demo/refdata.h"
#include "app/demo/rng.h"
#include "app/demo/spool.h"

namespace demo {

// How big the practice is.
struct Profile {
    int accounts = 40;
    int years = 2;
    int dentists = 2, hygienists = 2, auxiliaries = 1;
    int carriers = 12;
    int policies = 20;
    int initial_share = 70;   // % of accounts already there in the first months
    int initial_days = 90;    // over which those first accounts arrive
    int leave_share = 20;     // % of families that stop coming before today
    int tenure_days = 0;      // at most how long those families stay (0: any time)
    bool edge_cases = false;  // put every edge case on the first accounts
};
Profile ProfileOf(Size size);

struct Producer {
    long id = 0;
    std::string code, billdr, first, last, title, license;
    char type = 'D';               // D dentist, H hygienist, A auxiliary
    int start = 0, end = 1 << 30;  // days (calendar indexes) of activity
    std::string parent;            // an auxiliary's billing doctor
    int weight = 10;               // share of the new patients
    bool flag = false;             // skip in the analysis when all zero
    bool Active(int day) const { return day >= start && day <= end; }
};

struct Carrier {
    std::string code, name, city;
    bool govt = false;
    int weight = 0;
    int delay_lo = 7, delay_hi = 30;  // days from the claim to the payment
    bool direct_deposit = true;
};

struct Policy {
    long id = 0;
    int carrier = 0;
    std::string group_no, employer, division;
    int pct_prevention = 100, pct_basic = 80, pct_major = 50;
    int64_t yearly_limit = 150000;
};

// A payment, adjustment or transfer code with its description.
struct PayCode {
    std::string code, desc;
    char type = 'P';  // P patient, I insurer
    bool direct_deposit = false;
    int rate = 0;
    int weight = 0;  // share of the patients' payments
};

struct AdjCode {
    std::string code, desc;
    char kind = 'N';  // N fees, P payments
    bool counts_as_payment = false;
};

struct User {
    long id = 0;
    std::string logon, name, prodcode, rights;
};

// One line of the day sheet, kept small: the generator gathers the whole history and sorts
// it by date before writing it.
struct DayLine {
    int32_t date;
    int32_t recid;
    int32_t patid;
    uint8_t billdr;    // index in Output::codes
    uint8_t producer;  // index in Output::codes
    char sortid;
    char rectype;
};

// The day sheet being gathered: lines come account by account and leave in date order. They
// are kept by month, a month's lines going to a temporary file of its own once they outgrow a
// small buffer, so that only one month at a time is in memory, to be sorted.
class DaySheet {
  public:
    // month_buffer: lines of a month kept in memory before they go to its file.
    explicit DaySheet(size_t month_buffer = 4096) : month_buffer_(month_buffer) {}
    ~DaySheet();
    DaySheet(const DaySheet&) = delete;
    DaySheet& operator=(const DaySheet&) = delete;

    void Add(const DayLine& line);
    long size() const { return lines_; }
    // Calls visit for every line by date, then kind (sortid), then record, and empties the
    // sheet; false with *error set when a temporary file failed.
    bool Drain(const std::function<void(const DayLine&)>& visit, std::string* error);

  private:
    struct Month {
        std::vector<DayLine> buffer;
        std::FILE* file = nullptr;
        long in_file = 0;
    };
    bool Spill(Month& m);

    size_t month_buffer_;
    std::map<int32_t, Month> months_;  // by YYYYMM
    long lines_ = 0;
    std::string error_;
};

// Counts of a referral source, by month, for REFSTAT.
struct ReferralCount {
    long total = 0, last_date = 0;
    std::map<long, long> by_month;  // YYYYMM -> referrals
};

struct Practice {
    Profile profile;
    long today = 0;
    long first_day = 0;  // of the history
    std::unique_ptr<Calendar> cal;
    int today_index = 0;

    std::vector<Producer> producers;
    std::vector<int> dentists, hygienists, auxiliaries;  // indexes in producers
    std::vector<Carrier> carriers;                       // the public plan first
    std::vector<Policy> policies;
    std::vector<int> policy_weights;
    std::vector<PayCode> pay_codes;  // patients' codes, then insurers' "CA", "DD"
    std::vector<AdjCode> adj_codes;
    std::vector<User> users;
    std::vector<std::string> referral_sources;  // REFERCD codes that send patients
    std::vector<std::string> specialists;       // REFERCD codes patients are sent to
    std::vector<int> bank_weights;
    std::vector<int> city_weights;

    const Producer& Prod(int i) const { return producers[static_cast<size_t>(i)]; }
    int FindProducer(const std::string& code) const;
    const PayCode& Pay(const std::string& code) const;
    const AdjCode& Adj(const std::string& code) const;
    // Fee of a procedure on a day: the fee guide rises about 2.5 % a year.
    int64_t FeeOn(int fee_today, int day) const;
};

class Output {
  public:
    Output();
    Spool& operator[](const TableDef& def) { return spools_[def]; }
    SpoolSet& spools() { return spools_; }

    long NextId(const std::string& table) { return ++ids_[table]; }
    long LastId(const std::string& table) const;

    uint8_t Code(const std::string& code);
    const std::string& CodeText(uint8_t i) const { return codes_[i]; }
    void Day(long date, char sortid, char rectype, long recid, const std::string& billdr,
             const std::string& producer, long patid);
    DaySheet& day_sheet() { return day_; }

    std::map<std::string, ReferralCount> referrals;

    // A generator fault (a row that would break the practice's consistency).
    void Anomaly(const std::string& what) {
        if (anomalies_++ == 0) first_anomaly_ = what;
    }
    long anomalies() const { return anomalies_; }
    const std::string& first_anomaly() const { return first_anomaly_; }

  private:
    long anomalies_ = 0;
    std::string first_anomaly_;
    SpoolSet spools_;
    std::map<std::string, long> ids_;
    std::vector<std::string> codes_;
    std::map<std::string, uint8_t> code_index_;
    DaySheet day_;
};

// Table layouts of the rows the generator writes.
namespace tables {
extern const TableDef kAccount, kPatient, kPatclm, kClmtrt, kPatoch, kAccpmt, kPmtapp, kPatpplan,
    kPatnote, kProdcd, kUseridcd, kInsco, kPmtscd, kAdjustcd, kBankcd, kProccat, kProccd, kOffchgcd,
    kDayend, kDaydet, kDaysht, kRdist, kPpset, kCtrtlink, kPatapt, kPatrcl, kPattxp, kTxptrt,
    kEmppol, kPatdep, kFamins, kPatmed, kPatrefer, kRefercd, kRefstat, kReftype, kPracinfo, kCitycd,
    kProvcd, kCvgtype, kFeesched, kGovtcd, kFormcd, kCommentcd, kNotecd, kRecallcd, kStatcd,
    kApttype, kAptcode, kChaircd, kClinic, kMedqcd, kAlertcd;
}  // namespace tables

// Builds the practice's producers, carriers, policies and codes and writes their tables.
void BuildPractice(Practice& p, Output& out, Rng& rng);
// Writes one account (a family) with its whole history.
void GenerateAccount(const Practice& p, Output& out, int index, uint64_t seed);
// Writes the tables that sum up the accounts: the day sheet, the day-end state and records,
// the referral statistics; false with *error set when the day sheet's temporary files failed.
bool FinishPractice(const Practice& p, Output& out, DemoStats* stats, std::string* error);

// Small helpers shared by the generator's files.
std::string Fit(const std::string& s, size_t chars);
std::string Phone(Rng& rng, const char* area);
std::string PostalCode(Rng& rng, const char* fsa);
// Lower-case ASCII of a French text (accents dropped), for e-mail addresses.
std::string AsciiFold(const std::string& s);
// Minimal rich text of a memo, as the practice software stores it.
std::string RichText(const std::string& plain);

}  // namespace demo
