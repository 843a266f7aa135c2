#include "host/calc/aging.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

#include "host/base/dates.h"

namespace host::calc {
namespace {

// An amount taken into the stored 32-bit range: sums of such amounts, one per charge or
// application, cannot overflow 64 bits.
int64_t Stored(int64_t v) {
    constexpr int64_t lo = std::numeric_limits<int32_t>::min();
    constexpr int64_t hi = std::numeric_limits<int32_t>::max();
    return std::clamp(v, lo, hi);
}

// A sum of stored amounts taken within +-2^61, far beyond any ledger's, so that adding or
// subtracting three of them cannot overflow.
int64_t Bounded(int64_t v) {
    constexpr int64_t bound = int64_t{1} << 61;
    return std::clamp(v, -bound, bound);
}

// a + b, at the nearest 64-bit bound when it would go beyond.
int64_t SaturatedSum(int64_t a, int64_t b) {
    int64_t sum = 0;
    if (!__builtin_add_overflow(a, b, &sum)) return sum;
    return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

std::string KeyOf(const std::string& producer, const std::string& billdr, bool by_billdr) {
    if (by_billdr && !billdr.empty()) return "D" + billdr;
    return producer;
}

// What the ledger does with one charge.
enum class Use : char { Aged, LeftOut, NotCounted };

struct ChargeWork {
    Use use = Use::Aged;
    AgedIndex bucket = kCurrent;
    bool over_year = false;
    int64_t ins_applied = 0;
    int64_t pat_applied = 0;
};

struct ProducerWork {
    Aged pat, ins;
    int64_t credit_pat = 0, credit_ins = 0;
};

// Takes a credit off the oldest buckets first, never below zero; the rest stays in current.
// A negative credit is owed in current.
void ApplyCredit(Aged& a, int64_t credit) {
    if (credit > 0) {
        for (int i = k90; i >= kCurrent && credit > 0; --i) {
            const int64_t take = std::min(credit, std::max<int64_t>(0, a.v[i]));
            a.v[i] -= take;
            if (i == k90) a.over_year -= std::min(take, std::max<int64_t>(0, a.over_year));
            credit -= take;
        }
    }
    a.v[kCurrent] -= credit;
}

void Total(Aged& a) {
    a.v[kTotal] = a.v[kCurrent] + a.v[k30] + a.v[k60] + a.v[k90];
}

}  // namespace

AgedIndex AgeBucket(long date, long as_of) {
    const long days = daysdiff_betweendates(date, as_of);
    if (days < 0) return kFuture;
    if (days <= 30) return kCurrent;
    if (days <= 60) return k30;
    if (days <= 90) return k60;
    return k90;
}

int64_t ChargeAmount(int64_t total, char adj_flag, int64_t adj_amount) {
    total = Stored(total);
    if (adj_flag == 'S') return total + Stored(adj_amount);
    if (adj_flag == 'D') return total - Stored(adj_amount);
    return total;
}

Portions ChargePortions(int64_t charge, int64_t ins_estimate, int64_t pat_applied,
                        int64_t ins_applied) {
    charge = Bounded(charge);
    ins_estimate = Bounded(ins_estimate);
    pat_applied = Bounded(pat_applied);
    ins_applied = Bounded(ins_applied);
    const int64_t share = std::max<int64_t>(0, charge - ins_estimate);
    Portions p;
    p.ins = ins_estimate - ins_applied;
    p.pat = charge - ins_estimate - pat_applied;
    if (p.ins < 0) {
        // Insurance money beyond the estimate: it pays the patient's share, what is beyond
        // the whole charge is owed back to the insurer.
        const int64_t moved = std::min(-p.ins, share);
        p.pat -= moved;
        p.ins += moved;
    }
    return p;
}

bool ApplicationCounts(const LedgerApplication& a, long as_of) {
    if (a.date > as_of) return false;
    if (a.payment_undone != 0) return a.payment_undone > as_of;
    return !a.payment_reversed;
}

std::map<std::string, AgedGroups> AgeLedger(const std::vector<LedgerCharge>& charges,
                                            const std::vector<LedgerApplication>& applications,
                                            const AgingOptions& options) {
    const long as_of = options.as_of;
    std::vector<ChargeWork> work(charges.size());
    std::unordered_map<int64_t, size_t> index;
    index.reserve(charges.size() * 2);
    for (size_t i = 0; i < charges.size(); ++i) {
        const LedgerCharge& c = charges[i];
        ChargeWork& w = work[i];
        if (c.deleted != 0 && c.deleted <= as_of) {
            w.use = Use::NotCounted;
        } else {
            w.bucket = AgeBucket(c.date, as_of);
            w.over_year = w.bucket == k90 && daysdiff_betweendates(c.date, as_of) > 365;
            if (w.bucket == kFuture && !options.include_future) w.use = Use::LeftOut;
        }
        index.emplace(static_cast<int64_t>(c.id) * 2 + (c.office ? 1 : 0), i);
    }

    std::map<std::string, ProducerWork> producers;
    for (const LedgerApplication& a : applications) {
        if (!ApplicationCounts(a, as_of)) continue;
        const bool insurer = a.type == 'I';
        const int64_t amount = Stored(a.amount);
        if (a.rectype == 'T' || a.rectype == 'O') {
            auto it = index.find(static_cast<int64_t>(a.charge_id) * 2 + (a.rectype == 'O'));
            if (it != index.end()) {
                ChargeWork& w = work[it->second];
                if (w.use == Use::LeftOut) continue;
                if (w.use == Use::Aged) {
                    (insurer ? w.ins_applied : w.pat_applied) += amount;
                    continue;
                }
            }
        }
        ProducerWork& p = producers[KeyOf(a.producer, a.billdr, options.by_billing_doctor)];
        (insurer ? p.credit_ins : p.credit_pat) += amount;
    }

    for (size_t i = 0; i < charges.size(); ++i) {
        const ChargeWork& w = work[i];
        if (w.use != Use::Aged) continue;
        const LedgerCharge& c = charges[i];
        const Portions portions =
            ChargePortions(ChargeAmount(c.total, c.adj_flag, c.adj_amount), Stored(c.ins_estimate),
                           w.pat_applied, w.ins_applied);
        ProducerWork& p = producers[KeyOf(c.producer, c.billdr, options.by_billing_doctor)];
        p.pat.v[w.bucket] += portions.pat;
        p.ins.v[w.bucket] += portions.ins;
        if (w.over_year) {
            p.pat.over_year += portions.pat;
            p.ins.over_year += portions.ins;
        }
    }

    std::map<std::string, AgedGroups> out;
    for (auto& [code, p] : producers) {
        ApplyCredit(p.pat, p.credit_pat);
        ApplyCredit(p.ins, p.credit_ins);
        AgedGroups g;
        g.pat = p.pat;
        g.ins = p.ins;
        Total(g.pat);
        Total(g.ins);
        g.tot = g.pat;
        g.tot += g.ins;
        if (!g.tot.IsZero() || !g.pat.IsZero() || !g.ins.IsZero()) out.emplace(code, g);
    }
    return out;
}

AgedGroups SumGroups(const std::map<std::string, AgedGroups>& by_producer) {
    AgedGroups all;
    for (const auto& [code, g] : by_producer)
        all += g;
    return all;
}

void AddAccountAmount(AgedGroups* groups, int64_t additional_amount) {
    const int64_t add = Stored(additional_amount);
    for (Aged* a : {&groups->pat, &groups->tot}) {
        a->v[kCurrent] = SaturatedSum(a->v[kCurrent], add);
        a->v[kTotal] = SaturatedSum(a->v[kTotal], add);
    }
}

StoredBalances StoredBalancesOf(const AgedGroups& all, long as_of) {
    StoredBalances b;
    b.aged_date = as_of;
    for (int i = 0; i < 4; ++i) {
        b.pat[i] = all.pat.v[i];
        b.ins[i] = all.ins.v[i];
    }
    b.pat_fut = all.pat.v[kFuture];
    b.ins_fut = all.ins.v[kFuture];
    b.pat_bal = all.pat.v[kTotal] + b.pat_fut;
    b.ins_bal = all.ins.v[kTotal] + b.ins_fut;
    return b;
}

StoredBalances ComputeStoredBalances(const std::vector<LedgerCharge>& charges,
                                     const std::vector<LedgerApplication>& applications,
                                     long as_of) {
    AgingOptions o;
    o.as_of = as_of;
    o.include_future = true;
    o.by_billing_doctor = false;
    return StoredBalancesOf(SumGroups(AgeLedger(charges, applications, o)), as_of);
}

bool AccountCounts(char status, long delete_date, char inactive, long as_of) {
    if (status == 'D' && delete_date <= as_of) return false;
    return inactive != 'Y';
}

bool ZeroBalance(const AgedGroups& g, int64_t plan_balance) {
    return g.pat.v[kTotal] == 0 && g.pat.v[kFuture] == 0 && g.ins.v[kTotal] == 0 &&
           g.ins.v[kFuture] == 0 && plan_balance == 0;
}

bool ListedUnderOverdue(const AgedGroups& g, int64_t plan_balance, int overdue,
                        int64_t min_balance) {
    const bool zero = ZeroBalance(g, plan_balance);
    if (overdue == 1) return true;
    if (zero) return false;
    auto owes_more = [&](auto amount) {
        return amount(g.pat) > min_balance || amount(g.ins) > min_balance ||
               amount(g.tot) > min_balance;
    };
    if (overdue == 2) return true;
    if (overdue >= 3 && overdue <= 6)
        return owes_more([overdue](const Aged& a) {
            int64_t sum = 0;
            for (int i = overdue - 3; i <= k90; ++i)
                sum += a.v[i];
            return sum;
        });
    if (overdue == 7) return owes_more([](const Aged& a) { return a.over_year; });
    if (overdue == 8) return owes_more([](const Aged& a) { return a.v[kTotal]; });
    return false;
}

}  // namespace host::calc
