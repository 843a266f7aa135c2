// One account of the demo practice: a family, its visits over the years, what was charged,
// what the insurers and the family paid, and everything that follows from it (balances,
// notes, appointments, recalls). Each account has a random stream of its own, seeded from
// the run's seed and the account's number.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

#include "app/demo/model.h"
#include "host/base/dates.h"
#include "host/calc/aging.h"

namespace demo {

using namespace tables;

namespace {

enum class Payer { Prompt, Statement, Slow, Bad };

enum class VisitKind {
    NewPatient,
    Recall,
    Restorative,
    Endo,
    Crown,
    Denture,
    Perio,
    NightGuard,
    Emergency,
    Missed
};

// The edge cases the small practice puts on its first accounts (elsewhere they occur by
// chance).
enum Scenario {
    kNone = -1,
    kDeletedAccount = 0,
    kInactiveAccount,
    kNoPatients,
    kCreditBalance,
    kPostDated,
    kInsurerOverpays,
    kNsf,
    kTransfer,
    kFutureCrown,
    kBadDebt,
    kPaymentPlan,
    kStuckClaim,
    kBackDated,
    kDuplicatePatient,
    kRefund,
    kReallocation,
    kLineAdjustments,
    kDeletedPayment,
    kReversedPayment,
    kWaivedCharge,
    kEstimateDeposit,
    kLateEntry,
    kAdditionalAmount,
    kScenarioCount
};

constexpr int kNoDay = -1;
constexpr int kNever = 1 << 30;

struct Pat {
    long id = 0;
    std::string first, last, chart;
    char sex = 'F';
    long birth = 0;
    int open = 0, del = kNoDay;
    bool patient = true, responsible = false, holder = false, duplicate = false, student = false;
    char marital = 'U', language = 'F', role = 'S';  // role: S self, C spouse, E child
    int doctor = 0, hygienist = 0;                   // producer indexes
    std::vector<int> policies;                       // practice policy indexes, primary first
    std::vector<int> holders;                        // patient index of each policy's holder
    bool welfare = false;
    int recall_months = 6;
    int last_visit = kNoDay, last_claim = kNoDay, last_hyg = kNoDay;
    bool premed = false, allergy = false;
};

// A charge: a treatment line of an invoiced or closed claim, or an office charge.
struct Line {
    bool office = false;
    long id = 0;
    int pat = 0;
    int day = 0, sysday = 0, delday = kNoDay;
    int producer = 0;
    std::string producer_code, billdr;
    int64_t total = 0;
    char adj_flag = '\0';  // 'S' surcharge, 'D' discount of adj on the patient's part
    int64_t adj = 0;
    int64_t est[3] = {0, 0, 0};
    int64_t pat_applied = 0;
    int64_t ins_applied[3] = {0, 0, 0};
    int claim = -1;
    const ProcInfo* proc = nullptr;
    const OfficeChargeInfo* charge = nullptr;
    std::string tooth, surface;
    char status = 'C';

    int64_t Estimate() const { return est[0] + est[1] + est[2]; }
    int64_t Charge() const { return host::calc::ChargeAmount(total, adj_flag, adj); }
    int64_t InsApplied() const { return ins_applied[0] + ins_applied[1] + ins_applied[2]; }
    bool Deleted() const { return delday != kNoDay; }
};

// A planned treatment line (estimate or pending claim): no charge yet.
struct PlannedLine {
    long id = 0;
    const ProcInfo* proc = nullptr;
    int producer = 0;
    std::string billdr, tooth;
    int64_t total = 0, est = 0;
};

struct Claim {
    long id = 0;
    int pat = 0, day = 0;
    char status = 'C';
    std::string billdr;
    std::vector<int> carriers;  // practice carrier indexes, one per slot
    bool paid[3] = {false, false, false};
    bool stuck = false;
    std::vector<int> lines;            // charges
    std::vector<PlannedLine> planned;  // estimate or pending claim
    int done_day = kNoDay;             // a plan: when the work was done
};

struct Pmt {
    long id = 0;
    char rectype = 'P', type = 'P';
    int day = 0, sysday = 0;
    std::string code, desc, payor, bank, trxno;
    int64_t total = 0;
    char dep = 'Y', pmt = '\0', adj_kind = '\0';
    int deleted = kNoDay;   // deleted, or reversed, on that day
    bool reversed = false;  // a reversed payment (a card payment taken back)
    bool undo_planned = false;
};

struct App {
    long id = 0;
    int pmt = 0;  // index in payments
    char rectype = 'T';
    int line = -1;      // index in lines; -1 for the patient's credit
    long unbilled = 0;  // with line -1: a line of a claim not yet invoiced (CTRT_ID)
    long patid = 0;
    char type = 'P';
    int day = 0, sysday = 0;
    int64_t amount = 0;
    std::string producer, billdr;
};

// Money the family has on account: the patient's credit, or a deposit applied to a line of
// a claim not yet invoiced (unbilled), which is a credit too until moved onto the work.
struct CreditSlot {
    int pmt = 0;
    int pat = 0;
    std::string producer, billdr;
    long unbilled = 0;
    int plan_key = -1;  // a deposit: the planned work it waits for
    int64_t remaining = 0;
    int usable_from = 0;
};

struct Visit {
    int day = 0;
    int pat = 0;
    VisitKind kind = VisitKind::Recall;
    // Major work is planned at one visit (an estimate claim) and done at a later one; the
    // two share a key.
    VisitKind plans = VisitKind::Recall;
    int plan_key = -1;  // this visit plans the work of that key
    int work_key = -1;  // this visit does the work of that key
};

struct Event {
    enum Kind { Insurer, Statement, Nsf, Transfer, WriteOff, Installment, Undo } kind = Statement;
    int a = 0, b = 0;
    int64_t amount = 0;
};

struct Plan {
    long id = 0;
    int start = 0;
    std::string doctor;
    int64_t amount = 0, installment = 0, paid = 0;
};

struct Appointment {
    int pat = 0, day = 0, producer = 0;
    VisitKind kind = VisitKind::Recall;
    char status = 'C';
    int deleted = kNoDay;
};

struct Note {
    long patid = 0;
    const char* type = "A/R";
    char rectype = 'P';
    int day = 0, due = 0;
    bool done = false;
    std::string text;
};

const char* KindCode(VisitKind k) {
    switch (k) {
        case VisitKind::NewPatient:
            return "NP";
        case VisitKind::Recall:
        case VisitKind::Perio:
            return "RAP";
        case VisitKind::Restorative:
            return "OBT";
        case VisitKind::Endo:
            return "END";
        case VisitKind::Crown:
        case VisitKind::Denture:
        case VisitKind::NightGuard:
            return "PRO";
        case VisitKind::Emergency:
        case VisitKind::Missed:
            return "URG";
    }
    return "RAP";
}

const char* KindText(VisitKind k) {
    switch (k) {
        case VisitKind::NewPatient:
            return "Nouveau patient : examen complet";
        case VisitKind::Recall:
            return "Examen de rappel et détartrage";
        case VisitKind::Perio:
            return "Surfaçage radiculaire";
        case VisitKind::Restorative:
            return "Obturations";
        case VisitKind::Endo:
            return "Traitement de canal";
        case VisitKind::Crown:
            return "Couronne";
        case VisitKind::Denture:
            return "Prothèse";
        case VisitKind::NightGuard:
            return "Gouttière occlusale";
        case VisitKind::Emergency:
        case VisitKind::Missed:
            return "Urgence";
    }
    return "";
}

const ProcInfo* Proc(const char* code) {
    for (const ProcInfo& p : kProcedures)
        if (std::string(p.code) == code) return &p;
    return &kProcedures.front();
}

const OfficeChargeInfo* OfficeCharge(const char* code) {
    for (const OfficeChargeInfo& c : kOfficeCharges)
        if (std::string(c.code) == code) return &c;
    return &kOfficeCharges.front();
}

class Family {
  public:
    Family(const Practice& p, Output& out, int index, uint64_t seed)
        : P(p),
          cal(*p.cal),
          out_(out),
          rng_(Mix(seed, static_cast<uint64_t>(index) + 1000)),
          index_(index) {
        if (p.profile.edge_cases && index < kScenarioCount)
            scenario_ = static_cast<Scenario>(index);
        // The edge cases of the aging rules occur twice on their account.
        forced_left_ = scenario_ >= kLineAdjustments ? 2 : 1;
    }

    void Run() {
        Setup();
        MakePatients();
        PlanVisits();
        Simulate();
        Finish();
        Emit();
    }

  private:
    const Practice& P;
    const Calendar& cal;
    Output& out_;
    Rng rng_;
    int index_;
    Scenario scenario_ = kNone;
    bool scenario_done_ = false;
    int forced_left_ = 1;  // times the forced scenario still has to occur

    long acc_id_ = 0;
    Payer payer_ = Payer::Prompt;
    int open_ = 0, leave_ = kNoDay, settle_ = kNoDay, acc_deleted_ = kNoDay;
    bool inactive_ = false, senior_discount_ = false, statements_ = true;
    bool cohort_ = false;  // one of the families already there when the history starts
    std::string lname_, pname_, addr1_, addr2_, city_, postal_, home_ph_, work_ph_;
    std::string bank_;

    std::vector<Pat> pats_;
    std::vector<Visit> visits_;
    std::vector<Line> lines_;
    std::vector<Claim> claims_;
    std::vector<Pmt> pmts_;
    std::vector<App> apps_;
    std::vector<CreditSlot> credits_;
    std::vector<Plan> plans_;
    std::vector<Appointment> appts_;
    std::vector<Note> notes_;
    std::multimap<std::pair<int, int>, Event> events_;
    int event_seq_ = 0;
    bool statement_pending_ = false;
    int plan_active_ = -1;
    std::map<int, int> planned_claim_;  // plan key -> claim index of its estimate
    int next_key_ = 0;
    int forced_adjustments_ = 0;

    long D(int day) const { return cal.Date(day); }
    int Today() const { return P.today_index; }
    bool Forced(Scenario s) const { return scenario_ == s; }
    // True once for the account's forced scenario s, or by chance.
    bool Happens(Scenario s, int per_mille) {
        if (Forced(s) && !scenario_done_) {
            scenario_done_ = --forced_left_ <= 0;
            return true;
        }
        return rng_.PerMille(per_mille);
    }

    // An event on that very day, or (Schedule) on an open day from that day on.
    void ScheduleAt(int day, Event e) { events_.emplace(std::make_pair(day, event_seq_++), e); }
    void Schedule(int day, Event e) { ScheduleAt(cal.VisitDay(day, rng_), e); }

    int Age(const Pat& p, int day) const { return static_cast<int>((D(day) - p.birth) / 10000); }

    // The dentist who is the patient's doctor on a day (a retired dentist's patients go to
    // the first dentist still there).
    int DoctorOn(const Pat& p, int day) const {
        if (P.Prod(p.doctor).Active(day)) return p.doctor;
        for (int d : P.dentists)
            if (P.Prod(d).Active(day)) return d;
        return p.doctor;
    }
    int HygienistOn(const Pat& p, int day) const {
        if (P.Prod(p.hygienist).Active(day)) return p.hygienist;
        for (int h : P.hygienists)
            if (P.Prod(h).Active(day)) return h;
        return p.hygienist;
    }
    int AuxiliaryOn(int day) {
        std::vector<int> active;
        for (int a : P.auxiliaries)
            if (P.Prod(a).Active(day)) active.push_back(a);
        return active.empty() ? -1 : rng_.Pick(active);
    }
    int PickDentist(int day, int weight_field) {
        std::vector<int> ids, weights;
        for (int d : P.dentists) {
            if (!P.Prod(d).Active(day)) continue;
            ids.push_back(d);
            weights.push_back(weight_field ? P.Prod(d).weight : 10);
        }
        if (ids.empty()) return P.dentists.front();
        return ids[rng_.Weighted(weights)];
    }
    std::string BillDrOf(int producer, const Pat& p, int day) const {
        const Producer& pr = P.Prod(producer);
        if (pr.type == 'D') return pr.billdr;
        if (pr.type == 'A') return pr.parent;
        return P.Prod(DoctorOn(p, day)).billdr;
    }

    // ---------------------------------------------------------------- set-up
    void Setup() {
        acc_id_ = out_.NextId("ACCOUNT");
        const Profile& prof = P.profile;
        const int span = Today();
        if (scenario_ != kNone) {
            open_ = rng_.Int(0, 60);
        } else if (rng_.Percent(prof.initial_share)) {
            open_ = rng_.Int(0, prof.initial_days);
            cohort_ = true;
        } else {
            open_ = rng_.Int(prof.initial_days, std::max(prof.initial_days, span - 20));
        }
        open_ = cal.VisitDay(open_, rng_);
        payer_ = static_cast<Payer>(rng_.Weighted({68, 18, 9, 5}));
        if (Forced(kBadDebt)) payer_ = Payer::Bad;
        if (Forced(kPaymentPlan)) payer_ = Payer::Statement;
        if (Forced(kCreditBalance) || Forced(kReallocation) || Forced(kTransfer) ||
            Forced(kFutureCrown))
            payer_ = Payer::Prompt;
        if (Forced(kBackDated)) payer_ = Payer::Statement;
        const bool forced_leave = Forced(kDeletedAccount) || Forced(kInactiveAccount);
        if (forced_leave) {
            leave_ = rng_.Int(open_ + 200, std::max(open_ + 200, span - 200));
        } else if (scenario_ == kNone && rng_.Percent(prof.leave_share) && open_ + 180 < span) {
            const int last = prof.tenure_days ? open_ + prof.tenure_days : span;
            leave_ = rng_.Int(open_ + 180, last);
            if (leave_ >= span) leave_ = kNoDay;
        }
        if (leave_ != kNoDay && leave_ < span - 150) {
            const int r = rng_.Int(0, 99);
            if (Forced(kDeletedAccount) || (scenario_ == kNone && r < 10)) {
                settle_ = leave_ + 60;
                acc_deleted_ = cal.NextOpen(settle_ + rng_.Int(5, 40));
            } else if (Forced(kInactiveAccount) || (scenario_ == kNone && r < 35)) {
                settle_ = leave_ + 60;
                inactive_ = true;
            }
        }
        const City& c = kCities[rng_.Weighted(P.city_weights)];
        city_ = c.name;
        postal_ = PostalCode(rng_, c.fsa);
        addr1_ = Fit(std::to_string(rng_.Int(10, 12999)) + ", " + rng_.Pick(kStreets), 35);
        if (rng_.Percent(18)) addr2_ = "app. " + std::to_string(rng_.Int(1, 24));
        home_ph_ = Phone(rng_, c.area);
        if (rng_.Percent(60)) work_ph_ = Phone(rng_, rng_.Percent(50) ? "514" : "450");
        bank_ = kBanks[rng_.Weighted(P.bank_weights)].code;
        statements_ = !rng_.Percent(8);
    }

    void MakePatients() {
        if (Forced(kNoPatients) || (scenario_ == kNone && rng_.PerMille(3))) {
            lname_ = rng_.Pick(kFamilyNames);
            pname_ = rng_.Percent(50) ? rng_.Pick(kMaleNames) : rng_.Pick(kFemaleNames);
            return;
        }
        int n = static_cast<int>(rng_.Weighted({34, 24, 19, 15, 8})) + 1;
        if (scenario_ != kNone && n < 2) n = 2;
        const bool family = n >= 3;
        Pat head;
        head.sex = rng_.Percent(50) ? 'F' : 'M';
        const int head_age = family ? rng_.Int(27, 52) : rng_.Int(20, 86);
        head.last = rng_.Pick(kFamilyNames);
        head.first = head.sex == 'F' ? rng_.Pick(kFemaleNames) : rng_.Pick(kMaleNames);
        head.birth = incr_date(D(open_), -(head_age * 365L + rng_.Int(0, 364)));
        head.responsible = true;
        head.role = 'S';
        pats_.push_back(head);
        bool spouse = false;
        if (n >= 2 && (family ? rng_.Percent(85) : rng_.Percent(70))) {
            Pat s;
            s.sex = head.sex == 'F' ? 'M' : 'F';
            s.first = s.sex == 'F' ? rng_.Pick(kFemaleNames) : rng_.Pick(kMaleNames);
            // Married women in Quebec keep their own name.
            s.last = rng_.Percent(30) ? head.last : rng_.Pick(kFamilyNames);
            const int age = std::max(19, head_age + rng_.Int(-5, 5));
            s.birth = incr_date(D(open_), -(age * 365L + rng_.Int(0, 364)));
            s.role = 'C';
            s.marital = head.marital = rng_.Percent(60) ? 'M' : 'C';
            pats_.push_back(s);
            spouse = true;
        }
        const std::string other = spouse ? pats_[1].last : head.last;
        while (static_cast<int>(pats_.size()) < n) {
            Pat k;
            k.sex = rng_.Percent(50) ? 'F' : 'M';
            k.first = k.sex == 'F' ? rng_.Pick(kFemaleNames) : rng_.Pick(kMaleNames);
            k.last = other != head.last && rng_.Percent(20) ? Fit(head.last + "-" + other, 25)
                                                            : head.last;
            const int age = rng_.Int(2, std::min(17, std::max(2, head_age - 20)));
            k.birth = incr_date(D(open_), -(age * 365L + rng_.Int(0, 364)));
            k.role = 'E';
            k.student = age >= 16;
            pats_.push_back(k);
        }
        // A parent who pays for the family without being a patient.
        if (n >= 3 && rng_.Percent(4)) pats_[0].patient = false;
        lname_ = head.last;
        pname_ = head.first;

        for (size_t i = 0; i < pats_.size(); ++i) {
            Pat& p = pats_[i];
            p.id = out_.NextId("PATIENT");
            char chart[16];
            std::snprintf(chart, sizeof chart, "%06ld", p.id);
            p.chart = chart;
            p.open = open_;
            if (i > 0 && rng_.Percent(8)) {
                const int later = cal.NextOpen(open_ + rng_.Int(30, 700));
                if (later < Today()) p.open = later;
            }
            p.doctor = PickDentist(p.open, 1);
            p.hygienist = P.hygienists[rng_.Index(P.hygienists.size())];
            for (int tries = 0; tries < 8 && !P.Prod(p.hygienist).Active(p.open); ++tries)
                p.hygienist = P.hygienists[rng_.Index(P.hygienists.size())];
            p.recall_months = static_cast<int>(rng_.Weighted({80, 8, 12}));
            p.recall_months = p.recall_months == 0 ? 6 : p.recall_months == 1 ? 9 : 12;
            p.language = rng_.Percent(8) ? 'A' : 'F';
            p.premed = rng_.PerMille(25);
            p.allergy = rng_.PerMille(60);
        }
        // Insurance: employed adults have a group policy, the spouse's covers them second,
        // children are on their parents' policies.
        const bool need_insurance =
            Forced(kStuckClaim) || Forced(kInsurerOverpays) || Forced(kFutureCrown);
        auto employed = [&](const Pat& p, bool force) {
            const int age = Age(p, open_);
            if (force) return true;
            // Uninsured: the family pays every line.
            if (Forced(kTransfer) || Forced(kPaymentPlan) || Forced(kNsf) || Forced(kReallocation))
                return false;
            if (age >= 22 && age < 65) return rng_.Percent(68);
            return age >= 65 && rng_.Percent(15);
        };
        int own_head = -1, own_spouse = -1;
        if (employed(pats_[0], need_insurance))
            own_head = static_cast<int>(rng_.Weighted(P.policy_weights));
        if (spouse && employed(pats_[1], false))
            own_spouse = static_cast<int>(rng_.Weighted(P.policy_weights));
        for (size_t i = 0; i < pats_.size(); ++i) {
            Pat& p = pats_[i];
            auto add = [&](int policy, int holder) {
                if (policy >= 0) {
                    p.policies.push_back(policy);
                    p.holders.push_back(holder);
                }
            };
            if (p.role == 'S') {
                add(own_head, 0);
                add(own_spouse, 1);
                p.holder = own_head >= 0;
            } else if (p.role == 'C') {
                add(own_spouse, 1);
                add(own_head, 0);
                p.holder = own_spouse >= 0;
            } else {
                add(own_head, 0);
                add(own_spouse, 1);
            }
            if (p.policies.empty() && p.role != 'E' && rng_.Percent(4)) p.welfare = true;
        }
        // A duplicate record, opened by mistake and deleted.
        if (Happens(kDuplicatePatient, 5)) {
            Pat d = pats_[0];
            d.id = out_.NextId("PATIENT");
            char chart[16];
            std::snprintf(chart, sizeof chart, "%06ld", d.id);
            d.chart = chart;
            d.duplicate = true;
            d.responsible = false;
            d.patient = true;
            d.policies.clear();
            d.holders.clear();
            d.open = cal.NextOpen(open_ + rng_.Int(10, 200));
            d.del = cal.NextOpen(d.open + rng_.Int(0, 3));
            if (d.del <= Today()) pats_.push_back(d);
        }
        if (acc_deleted_ != kNoDay)
            for (Pat& p : pats_)
                if (p.del == kNoDay) p.del = acc_deleted_;
    }

    // ---------------------------------------------------------------- visits
    void AddVisit(int day, int pat, VisitKind kind, int end) {
        day = cal.VisitDay(day, rng_);
        if (day > end || day >= cal.size()) return;
        Visit v;
        v.day = day;
        v.pat = pat;
        v.kind = kind;
        visits_.push_back(v);
    }

    void FollowUps(int vi, int end) {
        const Visit v = visits_[static_cast<size_t>(vi)];
        const Pat& p = pats_[static_cast<size_t>(v.pat)];
        const int age = Age(p, v.day);
        const int pat = v.pat;
        const int restorative = age < 12 ? 12 : age < 60 ? 24 : 30;
        if (rng_.Percent(restorative))
            AddVisit(v.day + rng_.Int(7, 45), pat, VisitKind::Restorative, end);
        if (age >= 16 && rng_.PerMille(30)) {
            const int endo = v.day + rng_.Int(5, 30);
            AddVisit(endo, pat, VisitKind::Endo, end);
            if (rng_.Percent(55)) PlanWork(vi, endo + rng_.Int(20, 50), VisitKind::Crown, end);
        }
        if (age >= 35 && rng_.PerMille(age >= 60 ? 35 : 22))
            PlanWork(vi, v.day + rng_.Int(14, 70), VisitKind::Crown, end);
        if (age >= 62 && rng_.PerMille(20))
            PlanWork(vi, v.day + rng_.Int(21, 90), VisitKind::Denture, end);
        if (age >= 40 && rng_.Percent(6))
            AddVisit(v.day + rng_.Int(7, 30), pat, VisitKind::Perio, end);
        if (age >= 20 && rng_.PerMille(8))
            AddVisit(v.day + rng_.Int(10, 40), pat, VisitKind::NightGuard, end);
        // Work proposed and estimated, that the patient puts off or declines.
        if (age >= 25 && rng_.PerMille(35) && visits_[static_cast<size_t>(vi)].plan_key < 0) {
            Visit& plan = visits_[static_cast<size_t>(vi)];
            plan.plans = age >= 65 && rng_.Percent(40) ? VisitKind::Denture : VisitKind::Crown;
            plan.plan_key = next_key_++;
        }
    }

    // Major work: planned at visit `at` (with an estimate claim), done at a later visit.
    void PlanWork(int at, int day, VisitKind kind, int end) {
        const int key = next_key_++;
        const size_t before = visits_.size();
        AddVisit(day, visits_[static_cast<size_t>(at)].pat, kind, end);
        if (visits_.size() == before) return;
        visits_.back().work_key = key;
        Visit& plan = visits_[static_cast<size_t>(at)];
        if (plan.plan_key < 0) {
            plan.plans = kind;
            plan.plan_key = key;
        }
    }

    void PlanVisits() {
        const int horizon = std::min(Today() + 200, cal.size() - 1);
        for (int i = 0; i < static_cast<int>(pats_.size()); ++i) {
            const Pat& p = pats_[static_cast<size_t>(i)];
            if (!p.patient || p.duplicate) continue;
            int end = leave_ != kNoDay ? leave_ : horizon;
            if (p.del != kNoDay) end = std::min(end, p.del - 1);
            // A new family comes for a complete exam; the families already there come back
            // for their recalls at any point of the cycle.
            int day = p.open + rng_.Int(0, 25);
            VisitKind kind = VisitKind::NewPatient;
            if (cohort_ && p.open == open_) {
                day = p.open + rng_.Int(0, p.recall_months * 30);
                kind = VisitKind::Recall;
            }
            while (day <= end) {
                // A missed appointment comes back one to three weeks later.
                if (kind == VisitKind::Recall && rng_.Percent(3)) {
                    AddVisit(day, i, VisitKind::Missed, end);
                    day += rng_.Int(7, 21);
                }
                const size_t before = visits_.size();
                AddVisit(day, i, kind, end);
                if (visits_.size() == before) break;
                const int vi = static_cast<int>(visits_.size()) - 1;
                const Visit v = visits_.back();
                FollowUps(vi, end);
                if (rng_.PerMille(40))
                    AddVisit(v.day + rng_.Int(20, 150), i, VisitKind::Emergency, end);
                int next = v.day + p.recall_months * 30 + rng_.Int(-15, 20);
                if (rng_.Percent(12)) next += p.recall_months * 30;
                day = next;
                kind = VisitKind::Recall;
            }
        }
        // The payment-plan family: a crown planned five months ago, done a month later.
        if (Forced(kPaymentPlan) && !pats_.empty()) {
            Visit plan;
            plan.day = cal.NextOpen(Today() - 150);
            plan.pat = pats_[0].patient ? 0 : 1;
            plan.plans = VisitKind::Crown;
            plan.plan_key = next_key_++;
            Visit work = plan;
            work.day = cal.NextOpen(Today() - 110);
            work.kind = VisitKind::Crown;
            work.plans = VisitKind::Recall;
            work.work_key = plan.plan_key;
            work.plan_key = -1;
            visits_.push_back(plan);
            visits_.push_back(work);
        }
        // Crowns planned at two recent visits, with deposits; the work is still to come.
        for (int back : {75, 40}) {
            if (!Forced(kEstimateDeposit) || pats_.empty()) break;
            Visit plan;
            plan.day = cal.NextOpen(Today() - back);
            plan.pat = pats_[0].patient ? 0 : 1;
            plan.plans = VisitKind::Crown;
            plan.plan_key = next_key_++;
            visits_.push_back(plan);
        }
        std::stable_sort(visits_.begin(), visits_.end(), [](const Visit& a, const Visit& b) {
            return a.day != b.day ? a.day < b.day : a.pat < b.pat;
        });
    }

    // ---------------------------------------------------------------- charges
    int AddLine(int pat, int day, const ProcInfo* proc, int producer, int claim) {
        const Pat& p = pats_[static_cast<size_t>(pat)];
        Line l;
        l.id = out_.NextId("CLMTRT");
        l.pat = pat;
        l.day = day;
        l.sysday = day;
        if (rng_.Percent(4)) l.sysday = std::min(cal.AddOpenDays(day, rng_.Int(1, 3)), Today());
        l.producer = producer;
        l.producer_code = P.Prod(producer).code;
        l.billdr = BillDrOf(producer, p, day);
        l.proc = proc;
        l.claim = claim;
        l.total = P.FeeOn(proc->fee, day);
        if (proc->kind == ProcKind::Lab) l.total = l.total * rng_.Int(85, 120) / 100;
        l.status = proc->kind == ProcKind::Endo && rng_.Percent(10) ? 'I' : 'C';
        if (proc->tooth != 'N') l.tooth = Tooth(p, day);
        if (proc->tooth == 'S') l.surface = Surface(*proc);
        lines_.push_back(l);
        return static_cast<int>(lines_.size()) - 1;
    }

    std::string Tooth(const Pat& p, int day) {
        const bool child = Age(p, day) < 12;
        const int quadrant = rng_.Int(1, 4) + (child ? 4 : 0);
        const int tooth = rng_.Int(1, child ? 5 : 8);
        return std::to_string(quadrant * 10 + tooth);
    }

    std::string Surface(const ProcInfo& proc) {
        static const char* const k1[] = {"O", "M", "D", "B", "L"};
        static const char* const k2[] = {"MO", "DO", "OB", "OL", "MI"};
        static const char* const k3[] = {"MOD", "MOB", "DOL"};
        const std::string desc = proc.desc;
        if (desc.find("3 surfaces") != std::string::npos) return rng_.Pick(k3);
        if (desc.find("2 surfaces") != std::string::npos) return rng_.Pick(k2);
        return rng_.Pick(k1);
    }

    int AddOffice(int pat, int day, const OfficeChargeInfo* c) {
        const Pat& p = pats_[static_cast<size_t>(pat)];
        Line l;
        l.office = true;
        l.id = out_.NextId("PATOCH");
        l.pat = pat;
        l.day = l.sysday = day;
        const int doctor = DoctorOn(p, day);
        l.billdr = P.Prod(doctor).billdr;
        l.producer = doctor;
        l.producer_code = "D" + l.billdr;
        l.charge = c;
        l.total = std::string(c->code) == "EPI" || std::string(c->code) == "NSF"
                      ? c->amount
                      : P.FeeOn(c->amount, day);
        lines_.push_back(l);
        return static_cast<int>(lines_.size()) - 1;
    }

    // The carriers of a patient on a day: the public plan for young children and people on
    // welfare, then the group policies.
    std::vector<int> CarriersOn(const Pat& p, int day) const {
        std::vector<int> out;
        if (Age(p, day) < 10 || p.welfare) out.push_back(0);
        for (int pol : p.policies) {
            const int c = P.policies[static_cast<size_t>(pol)].carrier;
            if (std::find(out.begin(), out.end(), c) == out.end() && out.size() < 3)
                out.push_back(c);
        }
        return out;
    }

    int PercentFor(const Policy& pol, ProcKind k) const {
        switch (k) {
            case ProcKind::Exam:
            case ProcKind::XRay:
            case ProcKind::Prevention:
            case ProcKind::Hygiene:
                return pol.pct_prevention;
            case ProcKind::Restorative:
            case ProcKind::Endo:
            case ProcKind::Perio:
            case ProcKind::Surgery:
                return pol.pct_basic;
            default:
                return pol.pct_major;
        }
    }

    // Insurance estimates of a treatment line, carrier by carrier.
    void Estimate(Line& l, const Pat& p, const std::vector<int>& carriers) {
        int64_t left = l.total;
        for (size_t s = 0; s < carriers.size() && s < 3; ++s) {
            const int c = carriers[s];
            int64_t e = 0;
            if (P.carriers[static_cast<size_t>(c)].govt) {
                if (l.proc->ramq && (Age(p, l.day) < 10 || p.welfare)) e = left;
            } else {
                for (int pol : p.policies) {
                    const Policy& po = P.policies[static_cast<size_t>(pol)];
                    if (po.carrier != c) continue;
                    e = std::min(left, l.total * PercentFor(po, l.proc->kind) / 100);
                    break;
                }
            }
            l.est[s] = e;
            left -= e;
        }
    }

    int NewClaim(int pat, int day, const std::vector<int>& carriers) {
        Claim c;
        c.id = out_.NextId("PATCLM");
        c.pat = pat;
        c.day = day;
        c.carriers = carriers;
        c.billdr = P.Prod(DoctorOn(pats_[static_cast<size_t>(pat)], day)).billdr;
        claims_.push_back(c);
        return static_cast<int>(claims_.size()) - 1;
    }

    // The procedures of a visit, with who performs each.
    std::vector<std::pair<const ProcInfo*, int>> Procedures(const Visit& v) {
        const Pat& p = pats_[static_cast<size_t>(v.pat)];
        const int age = Age(p, v.day);
        const int doctor = DoctorOn(p, v.day);
        const int hyg = HygienistOn(p, v.day);
        int dentist = doctor;
        if (rng_.Percent(v.kind == VisitKind::Endo ? 40 : 12)) dentist = PickDentist(v.day, 0);
        std::vector<std::pair<const ProcInfo*, int>> out;
        auto add = [&](const char* code, int producer) { out.emplace_back(Proc(code), producer); };
        auto prevention_producer = [&]() {
            const int a = AuxiliaryOn(v.day);
            return a >= 0 && rng_.Percent(50) ? a : hyg;
        };
        switch (v.kind) {
            case VisitKind::NewPatient:
            case VisitKind::Recall: {
                const bool first = v.kind == VisitKind::NewPatient;
                add(first ? "01103" : "01202", doctor);
                if (first && age >= 6) add("02601", hyg);
                if (first || rng_.Percent(50))
                    add(age < 12 || rng_.Percent(60) ? "02142" : "02144", hyg);
                if (age >= 4) {
                    static const char* const kScaling[] = {"11101", "11102", "11102", "11103"};
                    add(age < 12 ? "11107" : rng_.Pick(kScaling), hyg);
                    if (age >= 12 && rng_.Percent(30)) add("11107", hyg);
                }
                add("12101", hyg);
                if (age < 16) add("12112", prevention_producer());
                if (age >= 6 && age <= 14 && rng_.Percent(15)) {
                    const int prod = prevention_producer();
                    add("13401", prod);
                    if (rng_.Percent(60)) add("13409", prod);
                }
                if (rng_.Percent(15)) add("02111", hyg);
                if (age >= 16 && rng_.Percent(15)) add("12112", prevention_producer());
                if (rng_.Percent(20)) add("13601", prevention_producer());
                break;
            }
            case VisitKind::Restorative: {
                static const char* const kFillings[] = {"21211", "21212", "23311", "23312",
                                                        "23411", "23412", "23413", "23412"};
                const int n = static_cast<int>(rng_.Weighted({35, 35, 20, 10})) + 1;
                for (int i = 0; i < n; ++i)
                    add(rng_.Pick(kFillings), dentist);
                if (rng_.Percent(40)) add("02111", dentist);
                break;
            }
            case VisitKind::Endo:
                add("02111", dentist);
                add(age < 12 ? "32221"
                             : rng_.Pick(std::vector<const char*>{"33111", "33121", "33131"}),
                    dentist);
                if (rng_.Percent(40)) add("02111", dentist);
                break;
            case VisitKind::Crown:
                if (rng_.Percent(50)) add("25111", dentist);
                add(rng_.Percent(60) ? "27201" : "27211", dentist);
                add("99111", dentist);
                break;
            case VisitKind::Denture:
                add(rng_.Percent(50) ? "52101" : "52201", dentist);
                add("99222", dentist);
                break;
            case VisitKind::Perio:
                add(rng_.Percent(60) ? "42111" : "42112", hyg);
                if (rng_.Percent(50)) add("42111", hyg);
                break;
            case VisitKind::NightGuard:
                add("14611", dentist);
                add("99333", dentist);
                break;
            case VisitKind::Emergency:
                add("01205", dentist);
                add("02111", dentist);
                if (rng_.Percent(40))
                    add(rng_.Percent(70) ? "71101" : "72211", dentist);
                else if (age < 12 && rng_.Percent(40))
                    add("32221", dentist);
                break;
            case VisitKind::Missed:
                break;
        }
        return out;
    }

    // ---------------------------------------------------------------- money
    // What a line still owes, patient and insurance side (the aging's rules).
    host::calc::Portions Out(const Line& l) const {
        if (l.Deleted()) return {};
        return host::calc::ChargePortions(l.Charge(), l.Estimate(), l.pat_applied, l.InsApplied());
    }
    int64_t OutPat(const Line& l) const { return Out(l).pat; }

    int64_t PatientBalance(int day) const {
        int64_t due = 0;
        for (const Line& l : lines_)
            if (l.day <= day) due += OutPat(l);
        for (const CreditSlot& c : credits_)
            due -= c.remaining;
        return due;
    }

    int NewPayment(char rectype, char type, int day, int sysday, const std::string& code,
                   const std::string& desc) {
        Pmt m;
        m.id = out_.NextId("ACCPMT");
        m.rectype = rectype;
        m.type = type;
        m.day = day;
        m.sysday = sysday;
        m.code = code;
        m.desc = desc;
        pmts_.push_back(m);
        return static_cast<int>(pmts_.size()) - 1;
    }

    void AddApp(int pmt, int line, int64_t amount, char type, int day, int sysday,
                const CreditSlot* credit = nullptr) {
        App a;
        a.id = out_.NextId("PMTAPP");
        a.pmt = pmt;
        a.type = type;
        a.day = day;
        a.sysday = sysday;
        a.amount = amount;
        if (line >= 0) {
            Line& l = lines_[static_cast<size_t>(line)];
            a.line = line;
            a.rectype = l.office ? 'O' : 'T';
            a.patid = pats_[static_cast<size_t>(l.pat)].id;
            a.producer = l.producer_code;
            a.billdr = l.billdr;
        } else {
            a.rectype = credit->unbilled ? 'T' : 'P';
            a.unbilled = credit->unbilled;
            a.patid = pats_[static_cast<size_t>(credit->pat)].id;
            a.producer = credit->producer;
            a.billdr = credit->billdr;
        }
        apps_.push_back(a);
        pmts_[static_cast<size_t>(pmt)].total += amount;
    }

    // Applies a patient's money to what the family owes: the preferred lines first, then
    // the oldest; what is left becomes the patient's credit.
    void ApplyPatient(int pmt, int64_t amount, int day, int sysday, const std::vector<int>& prefer,
                      int credit_pat, int usable_from) {
        auto pay = [&](int i) {
            if (amount <= 0) return;
            Line& l = lines_[static_cast<size_t>(i)];
            const int64_t due = OutPat(l);
            if (due <= 0) return;
            const int64_t x = std::min(due, amount);
            l.pat_applied += x;
            AddApp(pmt, i, x, 'P', day, sysday);
            amount -= x;
        };
        for (int i : prefer)
            pay(i);
        for (int i = 0; i < static_cast<int>(lines_.size()) && amount > 0; ++i)
            if (lines_[static_cast<size_t>(i)].day <= day) pay(i);
        if (amount > 0) {
            const Pat& p = pats_[static_cast<size_t>(credit_pat)];
            CreditSlot c;
            c.pmt = pmt;
            c.pat = credit_pat;
            c.billdr = P.Prod(DoctorOn(p, day)).billdr;
            c.producer = "D" + c.billdr;
            c.remaining = amount;
            c.usable_from = usable_from;
            AddApp(pmt, -1, amount, 'P', day, sysday, &c);
            credits_.push_back(c);
        }
    }

    // Moves the family's credits onto what it owes (applications dated today, on the
    // payments that made the credits).
    void UseCredits(int day, const std::vector<int>& prefer) {
        for (CreditSlot& c : credits_) {
            if (c.remaining <= 0 || c.usable_from > day) continue;
            auto take = [&](int i) {
                if (c.remaining <= 0) return;
                Line& l = lines_[static_cast<size_t>(i)];
                if (l.day > day) return;
                const int64_t due = OutPat(l);
                if (due <= 0) return;
                const int64_t x = std::min(due, c.remaining);
                AddApp(c.pmt, -1, -x, 'P', day, day, &c);
                l.pat_applied += x;
                AddApp(c.pmt, i, x, 'P', day, day);
                c.remaining -= x;
            };
            for (int i : prefer)
                take(i);
            for (int i = 0; i < static_cast<int>(lines_.size()); ++i)
                take(i);
        }
    }

    std::string PatientCode() {
        static const char* const kCodes[] = {"C", "CH", "DB", "VI", "MC", "AX", "VIR"};
        static const int kWeights[] = {7, 11, 38, 16, 13, 3, 8};
        return kCodes[rng_.Weighted(kWeights, 7)];
    }

    // A payment of the family: amount applied as ApplyPatient does.
    int PatientPayment(int day, int sysday, int64_t amount, const std::vector<int>& prefer, int pat,
                       std::string code = std::string(), int credit_from = kNoDay) {
        if (code.empty()) code = PatientCode();
        if (Forced(kNsf) && !scenario_done_) code = "CH";
        if (Forced(kReversedPayment) && !scenario_done_) code = "VI";
        if (Forced(kDeletedPayment) && !scenario_done_ && code == "CH") code = "DB";
        const PayCode& pc = P.Pay(code);
        const int m = NewPayment('P', 'P', day, sysday, pc.code, pc.desc);
        Pmt& pm = pmts_[static_cast<size_t>(m)];
        if (code == "CH" || code == "DB") pm.bank = bank_;
        if (code != "C") {
            char trx[12];
            std::snprintf(trx, sizeof trx, "%06d", rng_.Int(1, 999999));
            pm.trxno = trx;
        }
        ApplyPatient(m, amount, day, sysday, prefer, pat,
                     credit_from == kNoDay ? day : credit_from);
        bool credit = false;
        for (size_t i = apps_.size(); i-- > 0 && apps_[i].pmt == m;)
            credit = credit || apps_[i].line < 0;
        const int bounce = cal.AddOpenDays(sysday, rng_.Int(4, 12));
        if (code == "CH" && day <= sysday && !credit && bounce <= Today() && Happens(kNsf, 15)) {
            Event e;
            e.kind = Event::Nsf;
            e.a = m;
            ScheduleAt(bounce, e);
        }
        MaybeUndo(m);
        return m;
    }

    // A payment entered by mistake, deleted a few days later and entered again; or a card
    // payment that the card's issuer takes back (reversed).
    void MaybeUndo(int m) {
        const Pmt& pm = pmts_[static_cast<size_t>(m)];
        if (pm.code == "CH" || pm.day > pm.sysday) return;
        const int when = cal.AddOpenDays(pm.sysday, rng_.Int(1, 8));
        if (when > Today() || (settle_ != kNoDay && when > settle_)) return;
        const bool card = pm.code == "VI" || pm.code == "MC" || pm.code == "AX";
        Event e;
        e.kind = Event::Undo;
        e.a = m;
        if (card && Happens(kReversedPayment, 3))
            e.b = 1;
        else if (!Happens(kDeletedPayment, 3))
            return;
        pmts_[static_cast<size_t>(m)].undo_planned = true;
        ScheduleAt(when, e);
    }

    // Undoes a payment: each of its applications is taken back by its opposite, dated the
    // day of the deletion or reversal, in the same payment (the closings list them that day).
    void OnUndo(int pmt, int day, bool reversed) {
        if (pmts_[static_cast<size_t>(pmt)].deleted != kNoDay) return;
        const int64_t total = pmts_[static_cast<size_t>(pmt)].total;
        const size_t n = apps_.size();
        for (size_t i = 0; i < n; ++i) {
            const App a = apps_[i];
            if (a.pmt != pmt || a.amount == 0) continue;
            if (a.line >= 0) {
                Line& l = lines_[static_cast<size_t>(a.line)];
                l.pat_applied -= a.amount;
                AddApp(pmt, a.line, -a.amount, a.type, day, day);
                continue;
            }
            for (CreditSlot& c : credits_) {
                if (c.pmt != pmt || c.unbilled != a.unbilled || c.producer != a.producer) continue;
                c.remaining -= a.amount;
                AddApp(pmt, -1, -a.amount, a.type, day, day, &c);
                break;
            }
        }
        Pmt& m = pmts_[static_cast<size_t>(pmt)];
        m.total = total;
        m.deleted = day;
        m.reversed = reversed;
        const std::string code = m.code;
        if (reversed)
            ScheduleStatement(day);
        else
            PatientPayment(day, day, total, {}, 0, code);
    }

    void ScheduleStatement(int day) {
        if (statement_pending_ || plan_active_ >= 0) return;
        int delay = 0;
        switch (payer_) {
            case Payer::Prompt:
                delay = rng_.Int(8, 35);
                break;
            case Payer::Statement:
                delay = rng_.Int(20, 50);
                break;
            case Payer::Slow:
                delay = rng_.Int(45, 150);
                break;
            case Payer::Bad:
                delay = rng_.Int(60, 200);
                break;
        }
        Event e;
        e.kind = Event::Statement;
        Schedule(day + delay, e);
        statement_pending_ = true;
    }

    void OnStatement(int day) {
        statement_pending_ = false;
        UseCredits(day, {});
        const int64_t due = PatientBalance(day);
        if (due <= 0) return;
        int64_t amount = due;
        if (payer_ == Payer::Slow && rng_.Percent(40)) amount = due * rng_.Int(40, 90) / 100;
        if (payer_ == Payer::Bad) {
            if (!rng_.Percent(30)) {
                if (!Forced(kBadDebt) && rng_.Percent(45)) {
                    Event e;
                    e.kind = Event::WriteOff;
                    Schedule(day + rng_.Int(90, 200), e);
                } else {
                    ScheduleStatement(day);
                }
                return;
            }
            amount = due * rng_.Int(20, 60) / 100;
        }
        if (amount <= 0) return;
        // Cheques by mail are sometimes entered a few days after they arrive, and some are
        // dated later than the day they are handed in.
        std::string code = rng_.Percent(35) ? "CH" : PatientCode();
        int pay_day = day, sys_day = day;
        if (Happens(kBackDated, 30)) {
            code = "CH";
            pay_day = cal.PrevOpen(day - rng_.Int(2, 6));
        } else if (Happens(kPostDated, 25)) {
            code = "CH";
            pay_day = cal.NextOpen(day + rng_.Int(7, 30));
        }
        PatientPayment(pay_day, sys_day, amount, {}, 0, code);
        if (PatientBalance(day) > 0) ScheduleStatement(day);
    }

    void OnInsurer(int claim, int slot, int day) {
        Claim& c = claims_[static_cast<size_t>(claim)];
        if (c.paid[slot]) return;
        const Carrier& carrier =
            P.carriers[static_cast<size_t>(c.carriers[static_cast<size_t>(slot)])];
        // Now and then the insurer pays less (yearly maximum reached, exclusions): the
        // estimate is revised and the rest falls to the patient; rarely it pays more.
        const bool less = rng_.Percent(7);
        const bool more = !less && Happens(kInsurerOverpays, 5);
        int m = -1;
        bool first = true;
        for (int li : c.lines) {
            Line& l = lines_[static_cast<size_t>(li)];
            if (l.Deleted() || l.est[slot] <= 0) continue;
            int64_t pay = l.est[slot] - l.ins_applied[slot];
            if (less) {
                pay = pay * rng_.Int(50, 90) / 100;
                l.est[slot] = l.ins_applied[slot] + pay;
            }
            if (more && first) {
                pay += rng_.Int(5, 40) * 100;
                // The forced case pays beyond the whole line: owed back to the insurer.
                if (Forced(kInsurerOverpays))
                    pay += std::max<int64_t>(0, l.Charge() - l.Estimate());
            }
            first = false;
            if (pay == 0) continue;
            if (m < 0) {
                const bool dd = carrier.direct_deposit;
                const PayCode& pc = P.Pay(dd ? "DD" : "CA");
                m = NewPayment('P', 'I', day, day, pc.code, Fit("Paiement " + carrier.name, 40));
                Pmt& pm = pmts_[static_cast<size_t>(m)];
                pm.payor = carrier.code;
                pm.bank = dd ? "DESJ" : kBanks[rng_.Weighted(P.bank_weights)].code;
                char trx[12];
                std::snprintf(trx, sizeof trx, "%08d", rng_.Int(1, 99999999));
                pm.trxno = trx;
            }
            l.ins_applied[slot] += pay;
            AddApp(m, li, pay, 'I', day, day);
        }
        c.paid[slot] = true;
        if (less) ScheduleStatement(day);
        // The next carrier is billed once this one has paid.
        for (size_t s = static_cast<size_t>(slot) + 1; s < c.carriers.size(); ++s) {
            if (c.paid[s]) continue;
            Event e;
            e.kind = Event::Insurer;
            e.a = claim;
            e.b = static_cast<int>(s);
            Schedule(day + rng_.Int(7, 25), e);
            break;
        }
    }

    // A cheque comes back: every application of the payment is reversed by an adjustment,
    // and the bank's fee is charged.
    void OnNsf(int pmt, int day) {
        const AdjCode& code = P.Adj("NSF");
        const int m = NewPayment('A', 'P', day, day, code.code, code.desc);
        pmts_[static_cast<size_t>(m)].adj_kind = code.kind;
        pmts_[static_cast<size_t>(m)].pmt = 'N';
        const size_t n = apps_.size();
        for (size_t i = 0; i < n; ++i) {
            const App a = apps_[i];
            if (a.pmt != pmt || a.line < 0) continue;
            lines_[static_cast<size_t>(a.line)].pat_applied -= a.amount;
            AddApp(m, a.line, -a.amount, 'P', day, day);
        }
        AddOffice(0, day, OfficeCharge("NSF"));
        ScheduleStatement(day);
    }

    void OnTransfer(int from, int to, int64_t amount, int day) {
        const int m = NewPayment('T', 'P', day, day, "TRF", "Transfert entre producteurs");
        lines_[static_cast<size_t>(from)].pat_applied -= amount;
        lines_[static_cast<size_t>(to)].pat_applied += amount;
        AddApp(m, from, -amount, 'P', day, day);
        AddApp(m, to, amount, 'P', day, day);
        pmts_[static_cast<size_t>(m)].total = amount;
    }

    // Bad debt: what is owed for more than 90 days is written off, dated the last working day
    // of the month (which may still be ahead) unless a date is given.
    void OnWriteOff(int day, int dated = kNoDay) {
        const AdjCode& code = P.Adj("RADI");
        if (dated == kNoDay) dated = std::max(day, cal.PrevOpen(cal.MonthEnd(day)));
        int m = -1;
        for (int i = 0; i < static_cast<int>(lines_.size()); ++i) {
            Line& l = lines_[static_cast<size_t>(i)];
            if (l.day > day - 90) continue;
            const int64_t due = OutPat(l);
            if (due <= 0) continue;
            if (m < 0) {
                m = NewPayment('A', 'P', dated, day, code.code, code.desc);
                pmts_[static_cast<size_t>(m)].adj_kind = code.kind;
                pmts_[static_cast<size_t>(m)].pmt = 'N';
            }
            l.pat_applied += due;
            AddApp(m, i, due, 'P', dated, day);
        }
    }

    void OnInstallment(int plan, int day) {
        Plan& pl = plans_[static_cast<size_t>(plan)];
        const int64_t due = std::max<int64_t>(0, PatientBalance(day));
        const int64_t amount = std::min({pl.installment, pl.amount - pl.paid, due});
        if (amount > 0) {
            PatientPayment(day, day, amount, {}, 0, rng_.Percent(70) ? "CH" : "DB");
            pl.paid += amount;
        }
        if (pl.paid < pl.amount && due > amount) {
            Event e;
            e.kind = Event::Installment;
            e.a = plan;
            Schedule(day + 30, e);
        } else {
            plan_active_ = -1;
            if (PatientBalance(day) > 0) ScheduleStatement(day);
        }
    }

    void RunEvents(int until) {
        while (!events_.empty() && events_.begin()->first.first < until) {
            const int day = events_.begin()->first.first;
            const Event e = events_.begin()->second;
            events_.erase(events_.begin());
            if (day > Today() || (settle_ != kNoDay && day > settle_)) continue;
            switch (e.kind) {
                case Event::Insurer:
                    OnInsurer(e.a, e.b, day);
                    break;
                case Event::Statement:
                    OnStatement(day);
                    break;
                case Event::Nsf:
                    OnNsf(e.a, day);
                    break;
                case Event::Transfer:
                    OnTransfer(e.a, e.b, e.amount, day);
                    break;
                case Event::WriteOff:
                    OnWriteOff(day);
                    break;
                case Event::Installment:
                    OnInstallment(e.a, day);
                    break;
                case Event::Undo:
                    OnUndo(e.a, day, e.b != 0);
                    break;
            }
        }
    }

    // ---------------------------------------------------------------- one visit
    void Appoint(const Visit& v, char status, int producer) {
        if (v.day < Today() - 365) return;
        Appointment a;
        a.pat = v.pat;
        a.day = v.day;
        a.kind = v.kind;
        a.status = status;
        a.producer = producer;
        appts_.push_back(a);
    }

    void DoVisit(const Visit& v) {
        Pat& p = pats_[static_cast<size_t>(v.pat)];
        const int day = v.day;
        if (v.kind == VisitKind::Missed) {
            Appoint(v, 'B', HygienistOn(p, day));
            if (rng_.Percent(40)) {
                const int li = AddOffice(v.pat, day, OfficeCharge("RVM"));
                if (rng_.Percent(10)) Waive(li);
                ScheduleStatement(day);
            }
            return;
        }
        const std::vector<int> carriers = CarriersOn(p, day);
        const int claim = NewClaim(v.pat, day, carriers);
        std::vector<int> visit_lines;
        int main_producer = -1;
        for (const auto& [proc, producer] : Procedures(v)) {
            const int li = AddLine(v.pat, day, proc, producer, claim);
            Line& l = lines_[static_cast<size_t>(li)];
            Estimate(l, p, carriers);
            MaybeAdjustLine(l);
            if (rng_.PerMille(10))
                l.delday = std::min(cal.AddOpenDays(l.sysday, rng_.Int(0, 4)), Today());
            claims_[static_cast<size_t>(claim)].lines.push_back(li);
            visit_lines.push_back(li);
            if (main_producer < 0) main_producer = producer;
        }
        Appoint(v, 'C', main_producer >= 0 ? main_producer : DoctorOn(p, day));
        if (rng_.Percent(45)) visit_lines.push_back(AddOffice(v.pat, day, OfficeCharge("EPI")));
        if (rng_.PerMille(12)) {
            static const char* const kProducts[] = {"PROTS", "BLANC", "BROSS", "COPIE", "FORM"};
            visit_lines.push_back(AddOffice(v.pat, day, OfficeCharge(rng_.Pick(kProducts))));
        }
        p.last_visit = day;
        p.last_claim = day;
        if (v.kind == VisitKind::Recall || v.kind == VisitKind::NewPatient) p.last_hyg = day;

        // The work this visit plans: an estimate sent to the insurer, or a pending claim.
        if (v.plan_key >= 0) PlanClaim(v, carriers);
        if (v.work_key >= 0) {
            auto it = planned_claim_.find(v.work_key);
            if (it != planned_claim_.end()) claims_[static_cast<size_t>(it->second)].done_day = day;
            for (CreditSlot& c : credits_)
                if (c.plan_key == v.work_key) c.usable_from = day;
        }

        // Insurance: billed today, paid in a few weeks (some claims stay unpaid).
        Claim& c = claims_[static_cast<size_t>(claim)];
        for (size_t s = 0; s < c.carriers.size(); ++s) {
            int64_t est = 0;
            for (int li : c.lines)
                est += lines_[static_cast<size_t>(li)].Deleted()
                           ? 0
                           : lines_[static_cast<size_t>(li)].est[s];
            if (est == 0) c.paid[s] = true;
        }
        // A claim the insurer sets aside is paid months later, once sent again (the forced
        // case never is).
        const bool forced_stuck = !c.carriers.empty() && Forced(kStuckClaim) && !scenario_done_;
        c.stuck = !c.carriers.empty() && Happens(kStuckClaim, 12);
        if (!c.stuck || !forced_stuck) {
            for (size_t s = 0; s < c.carriers.size(); ++s) {
                if (c.paid[s]) continue;
                const Carrier& k = P.carriers[static_cast<size_t>(c.carriers[s])];
                Event e;
                e.kind = Event::Insurer;
                e.a = claim;
                e.b = static_cast<int>(s);
                Schedule(day + (c.stuck ? rng_.Int(120, 420) : rng_.Int(k.delay_lo, k.delay_hi)),
                         e);
                break;
            }
        }

        // Discounts: seniors of some families, and the occasional courtesy.
        const bool senior = Age(p, day) >= 65 && senior_discount_;
        const bool courtesy = rng_.PerMille(5);
        if (senior || courtesy) {
            const AdjCode& code = P.Adj(courtesy ? "COUR" : "ESCA");
            int m = -1;
            for (int li : visit_lines) {
                Line& l = lines_[static_cast<size_t>(li)];
                const int64_t due = OutPat(l);
                if (due <= 0) continue;
                const int64_t x = courtesy ? due : std::max<int64_t>(100, due / 10);
                if (m < 0) {
                    m = NewPayment('A', 'P', day, day, code.code, code.desc);
                    pmts_[static_cast<size_t>(m)].adj_kind = code.kind;
                    pmts_[static_cast<size_t>(m)].pmt = 'N';
                }
                l.pat_applied += std::min(x, due);
                AddApp(m, li, std::min(x, due), 'P', day, day);
            }
        }

        // The family pays: at the visit, or when the statement comes.
        UseCredits(day, visit_lines);
        int64_t due_today = 0;
        for (int li : visit_lines)
            due_today += std::max<int64_t>(0, OutPat(lines_[static_cast<size_t>(li)]));
        const bool at_visit = payer_ == Payer::Prompt      ? rng_.Percent(94)
                              : payer_ == Payer::Statement ? rng_.Percent(25)
                              : payer_ == Payer::Slow      ? rng_.Percent(10)
                                                           : rng_.Percent(5);
        const bool major = v.kind == VisitKind::Crown || v.kind == VisitKind::Denture;
        const bool plan_wanted = Forced(kPaymentPlan) && major && day >= Today() - 200;
        if (due_today > 0 && at_visit && plan_active_ < 0 && !plan_wanted) {
            int64_t amount = due_today;
            if (rng_.Percent(70)) amount = std::max(amount, PatientBalance(day));
            // Prepaying a round amount leaves a credit, for the next visits.
            const bool prepay = Happens(kReallocation, 15);
            if (prepay) amount = (amount / 5000 + 2) * 5000;
            if (rng_.PerMille(3)) {
                const AdjCode& gift = P.Adj("CADO");
                const int m = NewPayment('A', 'P', day, day, gift.code, gift.desc);
                pmts_[static_cast<size_t>(m)].adj_kind = gift.kind;
                pmts_[static_cast<size_t>(m)].pmt = 'Y';
                ApplyPatient(m, std::min<int64_t>(amount, 5000), day, day, visit_lines, v.pat, day);
            } else {
                const int m = PatientPayment(day, day, amount, visit_lines, v.pat, std::string(),
                                             prepay ? day + 1 : kNoDay);
                MaybeMisapply(m, day);
            }
        } else if (PatientBalance(day) > 0) {
            ScheduleStatement(day);
        }
        MaybePlan(day, major);
    }

    // A payment put on the wrong producer's line, set right by a transfer a few days later.
    void MaybeMisapply(int pmt, int day) {
        if (pmts_[static_cast<size_t>(pmt)].code == "CH") return;
        if (pmts_[static_cast<size_t>(pmt)].undo_planned) return;
        if (!(Forced(kTransfer) && !scenario_done_) && !rng_.PerMille(4)) return;
        int a = -1, b = -1;
        for (const App& ap : apps_) {
            if (ap.pmt != pmt || ap.line < 0 || ap.amount < 200) continue;
            if (a < 0) {
                a = ap.line;
            } else if (lines_[static_cast<size_t>(ap.line)].producer_code !=
                       lines_[static_cast<size_t>(a)].producer_code) {
                b = ap.line;
                break;
            }
        }
        const int when = cal.AddOpenDays(day, rng_.Int(2, 15));
        if (a < 0 || b < 0 || when > Today() || (settle_ != kNoDay && when > settle_)) return;
        if (Forced(kTransfer)) scenario_done_ = true;
        // Move part of b's application onto a: a now holds more than it owed.
        int64_t x = 0;
        for (App& ap : apps_) {
            if (ap.pmt == pmt && ap.line == b) {
                x = ap.amount / 2;
                ap.amount -= x;
                break;
            }
        }
        for (App& ap : apps_) {
            if (ap.pmt == pmt && ap.line == a) {
                ap.amount += x;
                break;
            }
        }
        lines_[static_cast<size_t>(b)].pat_applied -= x;
        lines_[static_cast<size_t>(a)].pat_applied += x;
        Event e;
        e.kind = Event::Transfer;
        e.a = a;
        e.b = b;
        e.amount = x;
        ScheduleAt(when, e);
    }

    // A payment plan for a large balance that the family cannot pay at once.
    void MaybePlan(int day, bool major) {
        if (plan_active_ >= 0 || payer_ == Payer::Prompt || payer_ == Payer::Bad) return;
        const bool forced = Forced(kPaymentPlan) && major && day >= Today() - 200;
        const int64_t due = PatientBalance(day);
        if (due < (forced ? 20000 : 60000)) return;
        if (!forced && !rng_.Percent(35)) return;
        Plan pl;
        pl.id = out_.NextId("PATPPLAN");
        pl.start = day;
        pl.doctor = P.Prod(DoctorOn(pats_[0], day)).billdr;
        pl.amount = due;
        pl.installment = std::max<int64_t>(5000, (due / rng_.Int(6, 12) + 499) / 500 * 500);
        plans_.push_back(pl);
        plan_active_ = static_cast<int>(plans_.size()) - 1;
        Event e;
        e.kind = Event::Installment;
        e.a = plan_active_;
        Schedule(day + 30, e);
    }

    void PlanClaim(const Visit& v, const std::vector<int>& carriers) {
        const Pat& p = pats_[static_cast<size_t>(v.pat)];
        Claim c;
        c.id = out_.NextId("PATCLM");
        c.pat = v.pat;
        c.day = v.day;
        c.carriers = carriers;
        c.billdr = P.Prod(DoctorOn(p, v.day)).billdr;
        c.status = carriers.empty() ? 'P' : 'E';
        const int dentist = DoctorOn(p, v.day);
        std::vector<const char*> codes;
        if (v.plans == VisitKind::Crown) {
            codes = {"25111", rng_.Percent(60) ? "27201" : "27211", "99111"};
            if (rng_.Percent(25)) {
                codes.push_back("27201");
                codes.push_back("99111");
            }
        } else {
            codes = {rng_.Percent(50) ? "52101" : "52201", "99222"};
        }
        const std::string tooth = Tooth(p, v.day);
        for (const char* code : codes) {
            PlannedLine pl;
            pl.id = out_.NextId("CLMTRT");
            pl.proc = Proc(code);
            pl.producer = dentist;
            pl.billdr = P.Prod(dentist).billdr;
            pl.tooth = pl.proc->tooth != 'N' ? tooth : "";
            pl.total = P.FeeOn(pl.proc->fee, v.day);
            Line tmp;
            tmp.total = pl.total;
            tmp.day = v.day;
            tmp.proc = pl.proc;
            Estimate(tmp, p, carriers);
            pl.est = tmp.Estimate();
            c.planned.push_back(pl);
        }
        claims_.push_back(c);
        planned_claim_[v.plan_key] = static_cast<int>(claims_.size()) - 1;
        MaybeDeposit(static_cast<int>(claims_.size()) - 1, v.plan_key, v.day);
    }

    // A deposit on planned work, applied to the first line of its estimate (or pending
    // claim): a credit of that line's producer until the work is done and the deposit moved
    // onto it.
    void MaybeDeposit(int claim, int plan_key, int day) {
        const Claim& c = claims_[static_cast<size_t>(claim)];
        if (c.planned.empty() || day > Today()) return;
        const bool forced = Forced(kEstimateDeposit) && !scenario_done_ && day >= Today() - 90;
        if (!forced && !rng_.PerMille(60)) return;
        if (forced) scenario_done_ = --forced_left_ <= 0;
        int64_t share = 0;
        for (const PlannedLine& pl : c.planned)
            share += pl.total - pl.est;
        const int64_t amount = std::max<int64_t>(5000, share / 3 / 1000 * 1000);
        const PayCode& pc = P.Pay(rng_.Percent(50) ? "VI" : "DB");
        const int m = NewPayment('P', 'P', day, day, pc.code, pc.desc);
        if (pc.code == "DB") pmts_[static_cast<size_t>(m)].bank = bank_;
        const PlannedLine& first = c.planned.front();
        CreditSlot slot;
        slot.pmt = m;
        slot.pat = c.pat;
        slot.producer = P.Prod(first.producer).code;
        slot.billdr = first.billdr;
        slot.unbilled = first.id;
        slot.plan_key = plan_key;
        slot.remaining = amount;
        slot.usable_from = kNever;
        AddApp(m, -1, amount, 'P', day, day, &slot);
        credits_.push_back(slot);
    }

    // A fee adjusted on the line itself: a surcharge ('S': after hours, special material) or
    // a discount ('D') of the patient's share; the insured estimate stays as it was.
    void MaybeAdjustLine(Line& l) {
        const bool forced = Forced(kLineAdjustments) && forced_adjustments_ < 4;
        if (!forced && !rng_.PerMille(8)) return;
        const int64_t share = l.total - l.Estimate();
        bool discount = forced ? forced_adjustments_ % 2 == 1 : rng_.Percent(50);
        if (discount && share < 1000) {
            if (forced) return;
            discount = false;
        }
        if (discount) {
            l.adj_flag = 'D';
            l.adj = std::max<int64_t>(500, share * rng_.Int(10, 40) / 100 / 100 * 100);
        } else {
            l.adj_flag = 'S';
            l.adj = std::max<int64_t>(500, l.total * rng_.Int(10, 25) / 100 / 100 * 100);
        }
        if (forced) ++forced_adjustments_;
    }

    // An office charge taken back (waived) a few days after it was made.
    void Waive(int li) {
        Line& l = lines_[static_cast<size_t>(li)];
        l.delday = std::min(cal.AddOpenDays(l.day, rng_.Int(1, 10)), Today());
    }

    // ---------------------------------------------------------------- history
    void Simulate() {
        senior_discount_ = rng_.Percent(25);
        for (const Visit& v : visits_) {
            if (v.day > Today()) break;
            if (settle_ != kNoDay && v.day > settle_) break;
            RunEvents(v.day);
            DoVisit(v);
        }
        // A family that left owing money is sent to collection; most such debts are written
        // off within the year.
        if (leave_ != kNoDay && settle_ == kNoDay && rng_.Percent(60)) {
            Event e;
            e.kind = Event::WriteOff;
            Schedule(leave_ + rng_.Int(180, 400), e);
        }
        RunEvents(settle_ != kNoDay ? settle_ + 1 : Today() + 1);
        if (settle_ != kNoDay) Settle(std::min(settle_, Today()));
        events_.clear();
    }

    // A family that leaves the practice leaves nothing owed either way.
    void Settle(int day) {
        day = cal.NextOpen(day);
        if (day > Today()) day = cal.PrevOpen(Today());
        for (size_t ci = 0; ci < claims_.size(); ++ci) {
            Claim& c = claims_[ci];
            for (size_t s = 0; s < c.carriers.size(); ++s) {
                if (c.paid[s]) continue;
                c.stuck = false;
                OnInsurer(static_cast<int>(ci), static_cast<int>(s), day);
            }
        }
        events_.clear();
        UseCredits(day, {});
        int64_t due = 0;
        std::vector<int> owing;
        for (size_t i = 0; i < lines_.size(); ++i) {
            const int64_t owe = OutPat(lines_[i]);
            if (owe <= 0) continue;
            owing.push_back(static_cast<int>(i));
            due += owe;
        }
        if (due > 0) PatientPayment(day, day, due, owing, 0, "CH");
        // Whatever is still owed back (insurer overpayments, credits) is refunded.
        const AdjCode& refund = P.Adj("REMB");
        int m = -1;
        auto refund_pmt = [&]() {
            if (m < 0) {
                m = NewPayment('A', 'P', day, day, refund.code, refund.desc);
                pmts_[static_cast<size_t>(m)].adj_kind = refund.kind;
                pmts_[static_cast<size_t>(m)].pmt = 'N';
            }
            return m;
        };
        for (size_t i = 0; i < lines_.size(); ++i) {
            Line& l = lines_[i];
            const int64_t owe = OutPat(l);
            if (owe < 0) {
                l.pat_applied += owe;
                AddApp(refund_pmt(), static_cast<int>(i), owe, 'P', day, day);
            }
        }
        // What the insurers paid beyond a charge is given back to them.
        std::map<std::string, int> insurer_refund;
        for (size_t i = 0; i < lines_.size(); ++i) {
            Line& l = lines_[i];
            const int64_t over = Out(l).ins;
            if (over >= 0 || l.claim < 0) continue;
            const Claim& c = claims_[static_cast<size_t>(l.claim)];
            if (c.carriers.empty()) continue;
            size_t slot = 0;
            for (size_t k = 1; k < 3; ++k)
                if (l.ins_applied[k] > l.ins_applied[slot]) slot = k;
            const Carrier& carrier = P.carriers[static_cast<size_t>(
                c.carriers.at(std::min(slot, c.carriers.size() - 1)))];
            auto [it, fresh] = insurer_refund.emplace(carrier.code, 0);
            if (fresh) {
                it->second = NewPayment('A', 'I', day, day, refund.code, refund.desc);
                Pmt& pm = pmts_[static_cast<size_t>(it->second)];
                pm.adj_kind = refund.kind;
                pm.pmt = 'N';
                pm.payor = carrier.code;
            }
            l.ins_applied[slot] += over;
            AddApp(it->second, static_cast<int>(i), over, 'I', day, day);
        }
        // Credits left on the producers' side, per producer, are given back.
        for (CreditSlot& c : credits_) {
            if (c.remaining == 0) continue;
            const int pm = refund_pmt();
            AddApp(pm, -1, -c.remaining, 'P', day, day, &c);
            c.remaining = 0;
        }
        for (Plan& pl : plans_)
            pl.paid = pl.amount;
        plan_active_ = -1;
    }

    // ---------------------------------------------------------------- the last days
    void Finish() {
        if (pats_.empty() || settle_ != kNoDay) return;
        const int today = cal.PrevOpen(Today());
        // A crown dated next weeks, entered now with a deposit.
        if (Forced(kFutureCrown) || (scenario_ == kNone && rng_.PerMille(4))) {
            const Pat& p = pats_[0];
            const int day = cal.NextOpen(Today() + rng_.Int(10, 30));
            const std::vector<int> carriers = CarriersOn(p, day);
            const int claim = NewClaim(0, day, carriers);
            const int dentist = DoctorOn(p, today);
            std::vector<int> crown;
            for (const char* code : {"27211", "99111"}) {
                const int li = AddLine(0, day, Proc(code), dentist, claim);
                Line& l = lines_[static_cast<size_t>(li)];
                l.sysday = today;
                l.delday = kNoDay;
                Estimate(l, p, carriers);
                claims_[static_cast<size_t>(claim)].lines.push_back(li);
                crown.push_back(li);
            }
            int64_t due = 0;
            for (int li : crown)
                due += OutPat(lines_[static_cast<size_t>(li)]);
            if (due > 0) {
                const int m = NewPayment('P', 'P', today, today, "VI", P.Pay("VI").desc);
                // A deposit on work not done yet is applied to it directly.
                int64_t deposit = due / 2;
                for (int li : crown) {
                    Line& l = lines_[static_cast<size_t>(li)];
                    const int64_t x = std::min(deposit, OutPat(l));
                    if (x <= 0) continue;
                    l.pat_applied += x;
                    AddApp(m, li, x, 'P', today, today);
                    deposit -= x;
                }
            }
        }
        // A cheque handed in now, dated a few weeks ahead, and a write-off dated at the month
        // end.
        if (Forced(kPostDated)) {
            const int64_t due = std::max<int64_t>(PatientBalance(today), 2500);
            PatientPayment(cal.NextOpen(Today() + rng_.Int(8, 25)), today, due, {}, 0, "CH");
            AddOffice(0, cal.PrevOpen(today - 100), OfficeCharge("COPIE"));
            OnWriteOff(today, cal.NextOpen(Today() + rng_.Int(5, 20)));
        }
        // A missed-appointment fee, waived a few days later.
        for (int back : {60, 30}) {
            if (!Forced(kWaivedCharge)) break;
            Waive(AddOffice(0, cal.PrevOpen(today - back), OfficeCharge("RVM")));
        }
        // A cheque dated before the last month end and entered only now: a report as of that
        // month end, run today, counts it; the day-end of its date did not list it.
        for (int n = Forced(kLateEntry) ? 2 : scenario_ == kNone && rng_.PerMille(6); n > 0; --n) {
            const int month_end = cal.MonthEnd(cal.Index(host::AddMonths(P.today, -1)));
            const int dated = cal.PrevOpen(month_end - rng_.Int(3, 20));
            if (dated > month_end - 40 && today > month_end) {
                AddOffice(0, cal.PrevOpen(dated - 10), OfficeCharge("FORM"));
                const int64_t due = std::max<int64_t>(PatientBalance(dated), 1000);
                PatientPayment(dated, cal.PrevOpen(today - n + 1), due, {}, 0, "CH");
            }
        }
        // Money left on account.
        if (Forced(kCreditBalance) || (scenario_ == kNone && rng_.PerMille(8))) {
            const int day = cal.PrevOpen(today - rng_.Int(0, 40));
            UseCredits(day, {});
            const int64_t due = std::max<int64_t>(0, PatientBalance(day));
            PatientPayment(day, day, due + rng_.Int(2, 30) * 500, {}, 0);
        }
        // Some credits are refunded.
        if (Forced(kRefund) || (scenario_ == kNone && rng_.Percent(20))) {
            if (Forced(kRefund)) {
                const int day = cal.PrevOpen(today - 60);
                PatientPayment(day, day, std::max<int64_t>(0, PatientBalance(day)) + 4000, {}, 0);
            }
            for (CreditSlot& c : credits_) {
                const Pmt& src = pmts_[static_cast<size_t>(c.pmt)];
                if (c.remaining <= 0 || c.unbilled || src.day > today - 30) continue;
                const int day = cal.PrevOpen(std::min(today, src.day + rng_.Int(30, 90)));
                if (day <= src.day) continue;
                const AdjCode& code = P.Adj("REMB");
                const int m = NewPayment('A', 'P', day, day, code.code, code.desc);
                pmts_[static_cast<size_t>(m)].adj_kind = code.kind;
                pmts_[static_cast<size_t>(m)].pmt = 'N';
                AddApp(m, -1, -c.remaining, 'P', day, day, &c);
                c.remaining = 0;
            }
        }
    }

    // ---------------------------------------------------------------- output
    std::vector<host::calc::LedgerCharge> LedgerCharges() const {
        std::vector<host::calc::LedgerCharge> out;
        out.reserve(lines_.size());
        for (const Line& l : lines_) {
            host::calc::LedgerCharge c;
            c.id = l.id;
            c.office = l.office;
            c.patient = pats_[static_cast<size_t>(l.pat)].id;
            c.date = D(l.day);
            c.deleted = l.Deleted() ? D(l.delday) : 0;
            c.producer = l.producer_code;
            c.billdr = l.billdr;
            c.total = l.total;
            c.adj_flag = l.adj_flag;
            c.adj_amount = l.adj;
            c.ins_estimate = l.office ? 0 : l.Estimate();
            out.push_back(c);
        }
        return out;
    }

    std::vector<host::calc::LedgerApplication> LedgerApps() const {
        std::vector<host::calc::LedgerApplication> out;
        out.reserve(apps_.size());
        for (const App& a : apps_) {
            host::calc::LedgerApplication x;
            x.date = D(a.day);
            x.type = a.type;
            x.rectype = a.rectype;
            x.charge_id = a.line >= 0 ? lines_[static_cast<size_t>(a.line)].id : a.unbilled;
            x.amount = a.amount;
            x.producer = a.producer;
            x.billdr = a.billdr;
            x.patient = a.patid;
            const Pmt& m = pmts_[static_cast<size_t>(a.pmt)];
            x.payment_undone = m.deleted != kNoDay ? D(m.deleted) : 0;
            x.payment_reversed = m.reversed;
            out.push_back(x);
        }
        return out;
    }

    std::string Email(const Pat& p) const {
        static const char* const kDomains[] = {"videotron.example", "courriel.example",
                                               "sympatico.example"};
        return AsciiFold(p.first) + "." + AsciiFold(p.last) + "@" +
               kDomains[static_cast<size_t>(p.id) % 3];
    }

    void Emit();
    void EmitPatients();
    void EmitClaims();
    void EmitPayments();
    void EmitFollowUp(const host::calc::StoredBalances& b);
};

void Family::EmitPatients() {
    for (const Pat& p : pats_) {
        char status = 'A';
        if (p.del != kNoDay || inactive_ ||
            (p.last_visit != kNoDay && p.last_visit < P.today_index - 540))
            status = 'I';
        else if (payer_ == Payer::Bad && p.responsible)
            status = 'R';
        else if (p.open > P.today_index - 60)
            status = 'N';
        const bool deleted = p.del != kNoDay && p.del <= P.today_index;
        const std::string doctor =
            P.Prod(DoctorOn(p, std::min(P.today_index, std::max(p.open, p.last_visit)))).billdr;
        std::string med;
        {
            char buf[16];
            int y = 0, m = 0, d = 0;
            sepldat(p.birth, &y, &m, &d);
            // The health insurance number: three letters of the last name, one of the first,
            // the birth date (month + 50 for women) and two digits.
            std::string last = AsciiFold(p.last) + "xxx", first = AsciiFold(p.first) + "x";
            std::string up = last.substr(0, 3) + first.substr(0, 1);
            for (char& c : up)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            std::snprintf(buf, sizeof buf, "%02d%02d%02d%02d", y % 100, m + (p.sex == 'F' ? 50 : 0),
                          d, static_cast<int>(p.id % 90 + 10));
            med = Fit(up + buf, 12);
        }
        out_[kPatient]
            .Int(p.id)
            .Int(acc_id_)
            .Text(Fit(p.last, 25))
            .Text(Fit(p.first, 15))
            .Text(p.role == 'E'  ? ""
                  : p.sex == 'F' ? "Mme"
                                 : "M.")
            .Char(p.sex)
            .Int(p.birth)
            .Text(addr1_)
            .Text(city_)
            .Text("QC")
            .Text(postal_)
            .Text(home_ph_)
            .Text(p.role == 'E' ? "" : work_ph_)
            .Text(p.role != 'E' && p.id % 2 == 0 ? Fit(Email(p), 60) : std::string())
            .Text(doctor)
            .Text(P.Prod(p.hygienist).code)
            .Char(status)
            .Char(p.responsible ? 'Y' : 'N')
            .Char(p.holder ? 'Y' : 'N')
            .Char(p.patient ? 'Y' : 'N')
            .Char(p.student ? 'Y' : 'N')
            .Char(p.marital)
            .Text(p.premed    ? "PREMD"
                  : p.allergy ? "ALLER"
                              : "")
            .Int(D(p.open))
            .Int(deleted ? D(p.del) : 0)
            .Int(p.last_visit != kNoDay ? D(p.last_visit) : 0)
            .Int(p.last_claim != kNoDay ? D(p.last_claim) : 0)
            .Text(p.chart)
            .Text(med)
            .Char(p.language)
            .Char(p.premed ? 'Y' : 'N')
            .Char(p.allergy ? 'Y' : 'N')
            .Char(p.premed ? 'Y' : 'N')
            .Text(p.duplicate ? "Doublon - dossier ouvert par erreur" : "");
        out_[kPatient].End();
        if (p.patient) {
            out_.Day(D(p.open), 'A', 'P', p.id, doctor, "D" + doctor, p.id);
            if (deleted) out_.Day(D(p.del), 'B', 'P', p.id, doctor, "D" + doctor, p.id);
        }
    }
}

void Family::EmitClaims() {
    for (Claim& c : claims_) {
        const Pat& p = pats_[static_cast<size_t>(c.pat)];
        char number[16];
        std::snprintf(number, sizeof number, "%08ld", c.id);
        std::string insco =
            c.carriers.empty() ? "" : P.carriers[static_cast<size_t>(c.carriers[0])].code;
        int64_t total = 0;
        const bool planned = !c.planned.empty();
        if (!planned) {
            bool all_paid = true;
            for (size_t s = 0; s < c.carriers.size(); ++s)
                all_paid = all_paid && c.paid[s];
            c.status = all_paid ? 'C' : 'I';
            for (int li : c.lines)
                if (!lines_[static_cast<size_t>(li)].Deleted())
                    total += lines_[static_cast<size_t>(li)].total;
        } else {
            for (const PlannedLine& pl : c.planned)
                total += pl.total;
        }
        out_[kPatclm]
            .Int(c.id)
            .Int(p.id)
            .Text(number)
            .Char(c.status)
            .Text(c.carriers.empty() ? ""
                  : c.status == 'C'  ? "A"
                                     : "T")
            .Int(D(c.day))
            .Int(c.carriers.empty() || c.status == 'P' ? 0 : D(c.day))
            .Text(c.billdr)
            .Text(insco)
            .Int(total);
        out_[kPatclm].End();
        auto co = [&](size_t s) {
            return s < c.carriers.size() ? P.carriers[static_cast<size_t>(c.carriers[s])].code
                                         : std::string();
        };
        auto assign = [&](size_t s) { return s < c.carriers.size() ? 'Y' : 'N'; };
        for (int li : c.lines) {
            const Line& l = lines_[static_cast<size_t>(li)];
            out_[kClmtrt]
                .Int(l.id)
                .Int(c.id)
                .Text(number)
                .Text(l.billdr)
                .Text(l.producer_code)
                .Int(D(l.day))
                .Int(D(l.sysday))
                .Int(l.Deleted() ? D(l.delday) : 0)
                .Char(l.status)
                .Text(l.proc->code)
                .Text(l.proc->code)
                .Text(l.proc->desc)
                .Text(l.tooth)
                .Text(l.surface)
                .Int(1)
                .Char(l.proc->kind == ProcKind::Lab ? 'L' : 'T')
                .Int(l.total)
                .Int(l.Estimate())
                .Int(l.est[0])
                .Int(l.est[1])
                .Int(l.est[2])
                .Text(co(0))
                .Text(co(1))
                .Text(co(2))
                .Char(assign(0))
                .Char(assign(1))
                .Char(assign(2))
                .Char('N')
                .Char(l.adj_flag)
                .Int(l.adj);
            out_[kClmtrt].End();
            out_.Day(D(l.sysday), 'F', 'T', l.id, l.billdr, l.producer_code, p.id);
            if (l.Deleted()) out_.Day(D(l.delday), 'G', 'T', l.id, l.billdr, l.producer_code, p.id);
        }
        for (const PlannedLine& pl : c.planned) {
            out_[kClmtrt]
                .Int(pl.id)
                .Int(c.id)
                .Text(number)
                .Text(pl.billdr)
                .Text(P.Prod(pl.producer).code)
                .Int(D(c.day))
                .Int(D(c.day))
                .Int(0)
                .Char('P')
                .Text(pl.proc->code)
                .Text(pl.proc->code)
                .Text(pl.proc->desc)
                .Text(pl.tooth)
                .Text("")
                .Int(1)
                .Char(pl.proc->kind == ProcKind::Lab ? 'L' : 'T')
                .Int(pl.total)
                .Int(pl.est)
                .Int(pl.est)
                .Int(0)
                .Int(0)
                .Text(co(0))
                .Text("")
                .Text("")
                .Char(assign(0))
                .Char('N')
                .Char('N')
                .Char(c.status == 'E' ? 'Y' : 'N')
                .Char('\0')
                .Int(0);
            out_[kClmtrt].End();
        }
    }
    for (const Line& l : lines_) {
        if (!l.office) continue;
        out_[kPatoch]
            .Int(l.id)
            .Int(pats_[static_cast<size_t>(l.pat)].id)
            .Int(D(l.day))
            .Int(D(l.sysday))
            .Int(l.Deleted() ? D(l.delday) : 0)
            .Text(l.charge->code)
            .Char('O')
            .Text(l.charge->desc)
            .Int(l.total)
            .Text(l.billdr);
        out_[kPatoch].End();
        out_.Day(D(l.sysday), 'H', 'O', l.id, l.billdr, l.producer_code,
                 pats_[static_cast<size_t>(l.pat)].id);
    }
}

void Family::EmitPayments() {
    for (Pmt& m : pmts_) {
        if (m.rectype == 'P') {
            const bool recent = m.sysday >= P.today_index - 1 || m.day > P.today_index;
            m.dep = m.type == 'I' && m.code == "DD" ? 'Y' : recent ? 'N' : 'Y';
        } else {
            m.dep = 'N';
        }
        out_[kAccpmt]
            .Int(m.id)
            .Int(acc_id_)
            .Char(m.rectype)
            .Char(m.type)
            .Int(D(m.day))
            .Int(D(m.sysday))
            .Text(m.code)
            .Text(m.desc)
            .Text(m.payor)
            .Text(m.bank)
            .Int(m.total)
            .Char(m.dep)
            .Char(m.pmt)
            .Char(m.adj_kind)
            .Text(m.trxno)
            .Int(m.deleted != kNoDay ? D(m.deleted) : 0)
            .Char(m.reversed ? 'Y' : 'N');
        out_[kAccpmt].End();
        const char kind = m.rectype == 'P' ? 'K' : m.rectype == 'A' ? 'M' : 'O';
        out_.Day(D(m.day), kind, 'K', m.id, "", "", 0);
        if (m.day > m.sysday && m.rectype != 'T')
            out_.Day(D(m.sysday), m.rectype == 'P' ? 'R' : 'S', 'K', m.id, "", "", 0);
    }
    for (const App& a : apps_) {
        const Pmt& m = pmts_[static_cast<size_t>(a.pmt)];
        const Line* l = a.line >= 0 ? &lines_[static_cast<size_t>(a.line)] : nullptr;
        out_[kPmtapp]
            .Int(a.id)
            .Int(m.id)
            .Char(a.rectype)
            .Int(l && !l->office ? l->id : a.unbilled)
            .Int(l && l->office ? l->id : 0)
            .Int(a.patid)
            .Char(a.type)
            .Int(D(a.day))
            .Int(D(a.sysday))
            .Int(a.amount)
            .Text(a.producer)
            .Text(a.billdr);
        out_[kPmtapp].End();
        // The day-sheet kind of an application, as the closing queries find it: exactly one
        // of them must.
        const bool q = a.day > m.day;
        const bool l_dated = m.rectype == 'P' && a.day == m.day && m.day >= m.sysday;
        const bool l_entered = m.rectype == 'P' && a.day < a.sysday;
        const bool n = m.rectype == 'A' && a.day <= m.day;
        const bool t = m.rectype == 'T' && a.day == m.day;
        if (q + l_dated + l_entered + n + t != 1) {
            out_.Anomaly("application " + std::to_string(a.id) + " du paiement " +
                         std::to_string(m.id) + " : genre de journal ambigu");
            continue;
        }
        const char kind = q ? 'Q' : (l_dated || l_entered) ? 'L' : n ? 'N' : 'P';
        out_.Day(D(l_entered ? a.sysday : a.day), kind, 'A', a.id, a.billdr, a.producer, a.patid);
    }
}

void Family::EmitFollowUp(const host::calc::StoredBalances& b) {
    // Receivable notes on accounts more than 60 days behind.
    const int today = P.today_index;
    if (!pats_.empty() && (b.pat[2] > 0 || b.pat[3] > 0)) {
        static const char* const kNotes[] = {
            "Relance téléphonique : message laissé sur la boîte vocale",
            "Le patient promet de payer le solde à la fin du mois",
            "Deuxième avis envoyé par la poste", "Entente : versements mensuels de 50 $",
            "Dossier transmis à l'agence de recouvrement"};
        const int n = (b.pat[3] > 0 ? 2 : 1) + (payer_ == Payer::Bad ? 1 : 0);
        for (int i = 0; i < n; ++i) {
            Note note;
            note.patid = pats_[0].id;
            note.type = "A/R";
            note.rectype = 'P';
            note.day = cal.PrevOpen(today - rng_.Int(1, 80));
            note.due = cal.NextOpen(note.day + 14);
            note.done = note.due < today;
            note.text = kNotes[payer_ == Payer::Bad && i == n - 1 ? 4 : rng_.Index(4)];
            notes_.push_back(note);
        }
    }
    // Memos on patients.
    static const char* const kMemos[] = {
        "Vérifier la réponse de l'assureur (prédétermination)",
        "Rappeler pour planifier la couronne", "Confirmer le rendez-vous de rappel",
        "Envoyer la copie du dossier au spécialiste", "Prémédication à vérifier avec le médecin"};
    for (const Pat& p : pats_) {
        if (!p.patient || p.del != kNoDay || !rng_.Percent(6)) continue;
        Note note;
        note.patid = p.id;
        note.type = "MEMO";
        note.rectype = 'P';
        note.due = cal.NextOpen(today + rng_.Int(-60, 60));
        note.day = cal.PrevOpen(std::min(today, note.due - rng_.Int(1, 30)));
        note.done = note.due < today && rng_.Percent(60);
        note.text = RichText(rng_.Pick(kMemos));
        notes_.push_back(note);
    }
    for (const Note& n : notes_) {
        out_[kPatnote]
            .Int(out_.NextId("PATNOTE"))
            .Int(n.patid)
            .Int(0)
            .Int(0)
            .Text(n.type)
            .Char(n.rectype)
            .Int(D(n.day))
            .Int(D(n.due))
            .Char(n.done ? 'Y' : 'N')
            .Text(n.text);
        out_[kPatnote].End();
    }

    // Appointments: the last year's and those booked ahead.
    for (const Visit& v : visits_) {
        if (v.day <= today) continue;
        if (settle_ != kNoDay) break;
        const Pat& p = pats_[static_cast<size_t>(v.pat)];
        Appointment a;
        a.pat = v.pat;
        a.day = v.day;
        a.kind = v.kind == VisitKind::Missed ? VisitKind::Recall : v.kind;
        a.status = 'S';
        a.producer = v.kind == VisitKind::Recall ? HygienistOn(p, today) : DoctorOn(p, today);
        if (rng_.Percent(2)) a.deleted = cal.PrevOpen(today - rng_.Int(0, 20));
        appts_.push_back(a);
    }
    for (const Appointment& a : appts_) {
        const Pat& p = pats_[static_cast<size_t>(a.pat)];
        const bool hyg = P.Prod(a.producer).type != 'D';
        const int chair = hyg ? rng_.Int(4, 6) : rng_.Int(1, 3);
        char chair_code[16];
        std::snprintf(chair_code, sizeof chair_code, "F%02d", chair);
        const int slot = cal.Weekday(a.day) == 5 ? rng_.Int(0, 7) : rng_.Int(0, 17);
        const int time = 800 + (slot / 2) * 100 + (slot % 2) * 30;
        out_[kPatapt]
            .Int(out_.NextId("PATAPT"))
            .Int(p.id)
            .Int(D(a.day))
            .Int(time)
            .Char(a.status)
            .Text(P.Prod(a.producer).code)
            .Text(chair_code)
            .Int(a.kind == VisitKind::Endo        ? 6
                 : a.kind == VisitKind::Emergency ? 2
                                                  : 4)
            .Text(KindCode(a.kind))
            .Text(KindCode(a.kind))
            .Text(KindText(a.kind))
            .Int(a.deleted != kNoDay ? D(a.deleted) : 0)
            .Char(a.status != 'S' || a.day <= today + 2 ? 'Y' : 'N');
        out_[kPatapt].End();
    }

    // Recalls, treatment plans, medical answers, referrals, policies.
    for (const Pat& p : pats_) {
        if (!p.patient || p.del != kNoDay || p.last_hyg == kNoDay) continue;
        const long due = host::AddMonths(D(p.last_hyg), p.recall_months);
        bool booked = false;
        for (const Appointment& a : appts_)
            if (&pats_[static_cast<size_t>(a.pat)] == &p && a.status == 'S' && a.deleted == kNoDay)
                booked = true;
        const char* code = p.recall_months == 6 ? "RAP6" : p.recall_months == 9 ? "RAP9" : "RAP12";
        out_[kPatrcl]
            .Int(out_.NextId("PATRCL"))
            .Int(p.id)
            .Int(due)
            .Text(code)
            .Text(p.recall_months == 6   ? "Rappel d'hygiène - 6 mois"
                  : p.recall_months == 9 ? "Rappel d'hygiène - 9 mois"
                                         : "Rappel annuel")
            .Text(P.Prod(HygienistOn(p, today)).code)
            .Int(4)
            .Int(due)
            .Char(booked ? 'Y' : 'N');
        out_[kPatrcl].End();
    }
    for (const Claim& c : claims_) {
        if (c.planned.empty()) continue;
        const long id = out_.NextId("PATTXP");
        const bool done = c.done_day != kNoDay;
        const bool refused = !done && c.day < today - 365;
        out_[kPattxp]
            .Int(id)
            .Int(pats_[static_cast<size_t>(c.pat)].id)
            .Int(D(c.day))
            .Char(done      ? 'C'
                  : refused ? 'R'
                            : 'O')
            .Text(c.planned.front().proc->kind == ProcKind::Denture
                      ? "Plan de traitement - prothèse"
                      : "Plan de traitement - couronne");
        out_[kPattxp].End();
        for (const PlannedLine& pl : c.planned) {
            out_[kTxptrt]
                .Int(out_.NextId("TXPTRT"))
                .Int(id)
                .Int(D(c.day))
                .Text(pl.proc->code)
                .Text(pl.proc->desc)
                .Text(pl.tooth)
                .Text("")
                .Text(P.Prod(pl.producer).code)
                .Int(pl.total)
                .Char(done      ? 'A'
                      : refused ? 'R'
                                : 'P');
            out_[kTxptrt].End();
        }
    }
    static const char* const kMedComments[] = {"Pénicilline", "Coumadin 5 mg", "Type 2, contrôlé",
                                               "Hypertension traitée", "Prothèse de hanche"};
    for (const Pat& p : pats_) {
        if (!p.patient || p.duplicate || !rng_.Percent(80)) continue;
        const int n = rng_.Int(3, 8);
        for (int q = 1; q <= n; ++q) {
            const bool yes = rng_.Percent(8) || (q == 9 && p.premed);
            out_[kPatmed]
                .Int(out_.NextId("PATMED"))
                .Int(p.id)
                .Int(q)
                .Char(yes ? 'Y' : 'N')
                .Text(yes ? rng_.Pick(kMedComments) : "");
            out_[kPatmed].End();
        }
    }
    for (const Pat& p : pats_) {
        if (!p.patient || p.duplicate) continue;
        if (rng_.Percent(12)) {
            const std::string& source = rng_.Pick(P.referral_sources);
            out_[kPatrefer]
                .Int(out_.NextId("PATREFER"))
                .Int(p.id)
                .Char(source == "MED01" ? 'D' : 'S')
                .Text(source)
                .Text("")
                .Int(0)
                .Int(0)
                .Int(D(p.open))
                .Int(D(p.open));
            out_[kPatrefer].End();
            ReferralCount& rc = out_.referrals[source];
            ++rc.total;
            rc.last_date = std::max(rc.last_date, D(p.open));
            ++rc.by_month[D(p.open) / 100];
        }
        if (p.last_visit != kNoDay && rng_.Percent(4)) {
            const int out_day = std::max(p.open, p.last_visit - rng_.Int(0, 200));
            const int back = out_day + rng_.Int(20, 70);
            out_[kPatrefer]
                .Int(out_.NextId("PATREFER"))
                .Int(p.id)
                .Char('O')
                .Text("")
                .Text(rng_.Pick(P.specialists))
                .Int(D(out_day))
                .Int(D(out_day + 30))
                .Int(back <= today ? D(back) : 0)
                .Int(D(out_day));
            out_[kPatrefer].End();
        }
    }
    // Policies of the family and the patients' memberships.
    std::map<int, long> family_policy;
    for (const Pat& p : pats_) {
        for (size_t i = 0; i < p.policies.size(); ++i) {
            const int pol = p.policies[i];
            const Policy& po = P.policies[static_cast<size_t>(pol)];
            char cert[16];
            std::snprintf(cert, sizeof cert, "%09ld", (acc_id_ * 7919 + pol * 104729) % 1000000000);
            if (!family_policy.count(pol)) {
                family_policy[pol] = out_.NextId("FAMINS");
                out_[kFamins]
                    .Int(family_policy[pol])
                    .Int(acc_id_)
                    .Int(po.id)
                    .Text(cert)
                    .Int(D(open_))
                    .Int(po.yearly_limit * 3)
                    .Int(0);
                out_[kFamins].End();
            }
            const Pat& holder = pats_[static_cast<size_t>(p.holders[i])];
            int y = 0;
            sepldat(P.today, &y, nullptr, nullptr);
            out_[kPatdep]
                .Int(out_.NextId("PATDEP"))
                .Int(p.id)
                .Int(po.id)
                .Int(holder.id)
                .Text(cert)
                .Char(&holder == &p   ? 'S'
                      : p.role == 'E' ? 'E'
                                      : 'C')
                .Char(inactive_ || acc_deleted_ != kNoDay ? 'N' : 'Y')
                .Int(po.yearly_limit)
                .Int(0)
                .Int(DMYtoDate(1, 1, y + 1));
            out_[kPatdep].End();
        }
    }
    // Patients seen today have been checked out.
    for (const Appointment& a : appts_) {
        if (a.day != today || a.status != 'C') continue;
        out_[kCtrtlink]
            .Int(out_.NextId("CTRTLINK"))
            .Text(pats_[static_cast<size_t>(a.pat)].chart)
            .Int(0)
            .Int(P.today);
        out_[kCtrtlink].End();
    }
}

void Family::Emit() {
    const std::vector<host::calc::LedgerCharge> charges = LedgerCharges();
    const std::vector<host::calc::LedgerApplication> apps = LedgerApps();
    const host::calc::StoredBalances b = host::calc::ComputeStoredBalances(charges, apps, P.today);
    // A family that left owes nothing, producer by producer.
    if (settle_ != kNoDay) {
        host::calc::AgingOptions o;
        o.as_of = P.today;
        for (const auto& [code, g] : host::calc::AgeLedger(charges, apps, o))
            out_.Anomaly("compte " + std::to_string(acc_id_) + " : solde après fermeture, " + code +
                         " patient " + std::to_string(g.pat.v[host::calc::kTotal]) + "+" +
                         std::to_string(g.pat.v[host::calc::kFuture]) + " assurance " +
                         std::to_string(g.ins.v[host::calc::kTotal]) + "+" +
                         std::to_string(g.ins.v[host::calc::kFuture]));
    }

    // The last statement: the latest month end (of the last year) with a patient balance, and
    // how many month ends in a row the account owed.
    long stmt_date = 0;
    int64_t stmt_amt = 0;
    int stmt_cnt = 0;
    if (b.pat_bal > 0 && statements_) {
        long me = host::MonthEnd(host::AddMonths(P.today, -1));
        for (int i = 0; i < 12 && me > D(open_); ++i) {
            host::calc::AgingOptions o;
            o.as_of = me;
            o.include_future = false;
            const auto all = host::calc::SumGroups(host::calc::AgeLedger(charges, apps, o));
            const int64_t due = all.pat.v[host::calc::kTotal];
            if (due <= 0) break;
            if (stmt_date == 0) {
                stmt_date = me;
                stmt_amt = due;
            }
            ++stmt_cnt;
            me = host::MonthEnd(host::AddMonths(me, -1));
        }
    }
    // The family's last payment and last claim.
    long pmt_date = 0;
    int64_t pmt_amt = 0;
    int last_pmt = -1;
    for (size_t i = 0; i < pmts_.size(); ++i) {
        const Pmt& m = pmts_[i];
        if (m.rectype != 'P' || m.type != 'P' || m.day > P.today_index) continue;
        if (m.deleted != kNoDay) continue;
        if (D(m.day) < pmt_date) continue;
        pmt_date = D(m.day);
        pmt_amt = m.total;
        last_pmt = static_cast<int>(i);
    }
    std::string pmt_dr;
    for (const App& a : apps_)
        if (a.pmt == last_pmt && !a.billdr.empty()) {
            pmt_dr = a.billdr;
            break;
        }
    long claim_date = 0;
    int64_t claim_amt = 0;
    for (const Claim& c : claims_) {
        if (!c.planned.empty() || c.day > P.today_index || D(c.day) < claim_date) continue;
        claim_date = D(c.day);
        claim_amt = 0;
        for (int li : c.lines)
            if (!lines_[static_cast<size_t>(li)].Deleted())
                claim_amt += lines_[static_cast<size_t>(li)].total;
    }
    int64_t plan_bal = 0;
    for (const Plan& pl : plans_) {
        const int64_t left = pl.amount - pl.paid;
        out_[kPatpplan]
            .Int(pl.id)
            .Int(acc_id_)
            .Text(pl.doctor)
            .Int(D(pl.start))
            .Int(pl.amount)
            .Int(left)
            .Int(pl.installment)
            .Char('M')
            .Char(left > 0 ? 'A' : 'C');
        out_[kPatpplan].End();
        if (left > 0) plan_bal += left;
    }

    // An amount owed outside the ledger (carried over from the former system, interest not
    // entered as a charge): the reports add it, the stored balances do not hold it.
    int64_t add_amt = 0;
    if (Forced(kAdditionalAmount) || Forced(kInactiveAccount) ||
        (scenario_ == kNone && settle_ == kNoDay && !pats_.empty() && rng_.PerMille(10)))
        add_amt = rng_.Int(2, 40) * 250;
    const bool deleted = acc_deleted_ != kNoDay;
    out_[kAccount]
        .Int(acc_id_)
        .Text(Fit(lname_, 25))
        .Text(Fit(pname_, 15))
        .Text(addr1_)
        .Text(addr2_)
        .Text(city_)
        .Text("QC")
        .Text(postal_)
        .Text(home_ph_)
        .Text(work_ph_)
        .Char(work_ph_.empty() || rng_.Percent(70) ? 'H' : 'W')
        .Char(deleted ? 'D' : 'A')
        .Char(inactive_ ? 'Y' : 'N')
        .Char(statements_ ? 'Y' : 'N')
        .Char(rng_.Percent(30) ? 'Y' : 'N')
        .Int(D(open_))
        .Int(deleted ? D(acc_deleted_) : 0)
        .Int(stmt_date)
        .Int(stmt_amt)
        .Int(claim_date)
        .Int(claim_amt)
        .Int(pmt_date)
        .Int(pmt_amt)
        .Text(pmt_dr)
        .Int(b.pat_bal)
        .Int(b.ins_bal)
        .Int(b.aged_date)
        .Int(b.pat[0])
        .Int(b.pat[1])
        .Int(b.pat[2])
        .Int(b.pat[3])
        .Int(b.ins[0])
        .Int(b.ins[1])
        .Int(b.ins[2])
        .Int(b.ins[3])
        .Int(b.pat_fut)
        .Int(b.ins_fut)
        .Int(add_amt)
        .Int(stmt_cnt)
        .Int(std::max(0, stmt_cnt - 2))
        .Int(plan_bal)
        .Text(payer_ == Payer::Bad ? "Client à risque : paiement à la visite exigé" : "");
    out_[kAccount].End();

    EmitPatients();
    EmitClaims();
    EmitPayments();
    EmitFollowUp(b);
}

}  // namespace

void GenerateAccount(const Practice& p, Output& out, int index, uint64_t seed) {
    Family f(p, out, index, seed);
    f.Run();
}

}  // namespace demo
