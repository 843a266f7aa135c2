// Rows of aged amounts written as the tests compute them by hand.
#pragma once

#include <cstdint>

#include "host/calc/aging.h"

namespace calc_test {

// Current, 31-60, 61-90 and over 90; the total of the four; the future amount.
inline host::calc::Aged Row(int64_t cur, int64_t d30, int64_t d60, int64_t d90, int64_t fut = 0) {
    host::calc::Aged a;
    a.v[0] = cur;
    a.v[1] = d30;
    a.v[2] = d60;
    a.v[3] = d90;
    a.v[4] = cur + d30 + d60 + d90;
    a.v[5] = fut;
    return a;
}

}  // namespace calc_test
