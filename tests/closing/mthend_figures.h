// What the producer analysis says per code, as the month-end tests compare it before and
// after a closing: [0] receivable by producer, [1] by billing doctor, [2..12] the eleven
// year-to-date figures the producer records carry, then the month to date of every
// accumulator, then the day's.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "analysis/prodanal.h"

namespace mthend_test {

inline constexpr int kYtdFields[] = {PA_PROCS,   PA_DENTAL,   PA_LAB,     PA_OFFCHG,
                                     PA_FEEADJ,  PA_FEES,     PA_FEESAUX, PA_PMT_TOT,
                                     PA_TRF_TOT, PA_PADJ_TOT, PA_NET_TOT};
// Index of an accumulator's month to date in a code's figures.
inline size_t MtdIndex(int field) {
    return 2 + std::size(kYtdFields) + static_cast<size_t>(field);
}

inline std::map<std::string, std::vector<int64_t>> AnalysisFigures(LauncherInfo* launcher,
                                                                   long date, bool sql) {
    TProducerAnalysisObj pa(launcher, 0, date, nullptr, true);
    EXPECT_TRUE(sql ? pa.CollectSql(false, false) : pa.CollectDaySheet(false, false)) << pa.Error();
    std::map<std::string, std::vector<int64_t>> out;
    for (TDElem* e : pa.GetCodeList()) {
        auto* c = static_cast<drbalfwd_info*>(e);
        out[c->code] = {c->bal_prod, c->bal_billdr};
    }
    for (TDElem* e : pa.GetProducerList()) {
        auto* p = static_cast<prodanal_info*>(e);
        std::vector<int64_t>& v = out[p->code];
        v.resize(2);
        for (int f : kYtdFields)
            v.push_back(p->acc[f][PA_YTD]);
        for (int period : {PA_MTD, PA_TODAY})
            for (int f = 0; f < PA_FIELDS; ++f)
                v.push_back(p->acc[f][period]);
    }
    return out;
}

}  // namespace mthend_test
