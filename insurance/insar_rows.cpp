#include "insurance/insar_rows.h"

#include <map>

namespace insar {

using host::calc::kFuture;
using host::calc::kTotal;

void AddAged(Aged* a, long date, long as_of, int64_t amount) {
    const host::calc::AgedIndex b = host::calc::AgeBucket(date, as_of);
    a->v[b] += amount;
    if (b != kFuture) a->v[kTotal] += amount;
}

void SumClaims(InsARData* data) {
    std::map<std::string, TotalRow> carriers, doctors;
    TotalRow practice;
    for (const ClaimRow& c : data->claims) {
        for (TotalRow* t : {&carriers[c.carrier], &doctors[c.doctor], &practice}) {
            (c.multiple ? t->multiple : t->single) += c.due;
            t->held += c.held;
            if (c.submitted == 0 && c.claim_id != 0) t->unbilled += c.due;
            for (const ItemRow& it : c.items)
                if (it.office) t->office += it.due;
        }
    }
    data->carriers.clear();
    data->doctors.clear();
    for (auto& [code, t] : carriers) {
        t.code = code;
        data->carriers.push_back(t);
    }
    for (auto& [code, t] : doctors) {
        t.code = code;
        data->doctors.push_back(t);
    }
    practice.name = data->practice.name;
    data->practice = practice;
}

}  // namespace insar
