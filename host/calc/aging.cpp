#include "host/calc/aging.h"

#include <algorithm>
#include <unordered_map>

#include "host/base/dates.h"

namespace host::calc {
namespace {

std::string KeyOf(const std::string& producer, const std::string& billdr, bool by_billdr) {
    if (by_billdr && !billdr.empty()) return "D" + billdr;
    return producer;
}

// What the ledger does with one charge.
enum class Use : char { Aged, LeftOut, Deleted };

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
            w.use = Use::Deleted;
        } else {
            w.bucket = AgeBucket(c.date, as_of);
            w.over_year = w.bucket == k90 && daysdiff_betweendates(c.date, as_of) > 365;
            if (w.bucket == kFuture && !options.include_future) w.use = Use::LeftOut;
        }
        index.emplace(static_cast<int64_t>(c.id) * 2 + (c.office ? 1 : 0), i);
    }

    std::map<std::string, ProducerWork> producers;
    for (const LedgerApplication& a : applications) {
        if (a.date > as_of) continue;
        const bool insurer = a.type == 'I';
        if (a.rectype == 'T' || a.rectype == 'O') {
            auto it = index.find(static_cast<int64_t>(a.charge_id) * 2 + (a.rectype == 'O'));
            if (it != index.end()) {
                ChargeWork& w = work[it->second];
                if (w.use == Use::LeftOut) continue;
                if (w.use == Use::Aged) {
                    (insurer ? w.ins_applied : w.pat_applied) += a.amount;
                    continue;
                }
            }
        }
        ProducerWork& p = producers[KeyOf(a.producer, a.billdr, options.by_billing_doctor)];
        (insurer ? p.credit_ins : p.credit_pat) += a.amount;
    }

    for (size_t i = 0; i < charges.size(); ++i) {
        const ChargeWork& w = work[i];
        if (w.use != Use::Aged) continue;
        const LedgerCharge& c = charges[i];
        int64_t ins = c.ins_estimate - w.ins_applied;
        int64_t pat = c.total - c.ins_estimate - w.pat_applied;
        if (ins < 0) {
            pat += ins;
            ins = 0;
        }
        ProducerWork& p = producers[KeyOf(c.producer, c.billdr, options.by_billing_doctor)];
        p.pat.v[w.bucket] += pat;
        p.ins.v[w.bucket] += ins;
        if (w.over_year) {
            p.pat.over_year += pat;
            p.ins.over_year += ins;
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
