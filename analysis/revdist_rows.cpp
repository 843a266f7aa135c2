#include "analysis/revdist_rows.h"

namespace revdist {

Amounts& Amounts::operator+=(const Amounts& o) {
    payments += o.payments;
    pmt_adjust += o.pmt_adjust;
    lab += o.lab;
    day_total += o.day_total;
    month_total += o.month_total;
    day_share += o.day_share;
    month_share += o.month_share;
    return *this;
}

int64_t Share(int64_t total, int32_t percent) {
    // Integer division truncates toward zero, as the truncation of the real quotient does.
    return (total * percent + 5000) / 10000;
}

Amounts GroupTotal(const GroupRow& group) {
    Amounts t;
    for (const RuleRow& r : group.rules)
        t += r.amounts;
    return t;
}

}  // namespace revdist
