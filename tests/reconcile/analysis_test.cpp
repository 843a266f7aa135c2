// The producer analysis engine on the medium demo practice: for every producer, the
// receivable it keeps (brought forward plus every amount it counts, the whole history) equals
// the receivable DrArCalc recomputes from the ledger over every account, by producer and by
// billing doctor, on both collection paths. This is the comparison the receivable integrity
// check prints; it holds on a consistent practice.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "analysis/prodanal.h"
#include "host/calc/arcalc.h"
#include "host/calc/walk.h"
#include "host/records/records.h"
#include "tests/reconcile/medium.h"

namespace {

using MediumAnalysis = reconcile::MediumPractice;

using Balances = std::map<std::string, int64_t>;

TEST_P(MediumAnalysis, EngineReceivableEqualsTheAgingByProducer) {
    // The aging, account by account, every account of the practice, its ledgers read as the
    // integrity check reads them (the account walk's streams).
    DLnkList* list = launcher()->GetListPtr();
    MsgInfo* msg = launcher()->GetMsgPtr();
    DrArCalc calc(list, msg, 1);
    ASSERT_TRUE(calc.SetupAR(reconcile::kToday, false, true, false, nullptr));
    host::calc::AccountWalk walk(list, msg, &calc.Source(), false);
    std::string error;
    ASSERT_TRUE(walk.Start(&error)) << error;
    Balances aging_prod, aging_bill;
    long accounts = 0;
    while (walk.Next(&error)) {
        ++accounts;
        ASSERT_TRUE(calc.CalcAR(walk.Account(), nullptr)) << walk.Account().acc_id;
        int n = 0;
        const dr_ar_bucket* p = calc.GetAllProdDrAR(&n);
        for (int k = 1; k <= n; ++k)
            aging_prod[p[k].prod_code] += BucketBalance(p[k]);
        const dr_ar_bucket* b = calc.GetAllBillDrAR(&n);
        for (int k = 1; k <= n; ++k)
            aging_bill[b[k].prod_code] += BucketBalance(b[k]);
    }
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_GT(accounts, 100);

    for (bool sql : {true, false}) {
        SCOPED_TRACE(sql ? "SQL" : "day sheet");
        TProducerAnalysisObj e(launcher(), 0, reconcile::kToday, nullptr, true);
        ASSERT_TRUE(sql ? e.CollectSql(false, false) : e.CollectDaySheet(false, false))
            << e.Error();
        Balances engine_prod, engine_bill;
        for (TDElem* x : e.GetCodeList()) {
            auto* c = static_cast<drbalfwd_info*>(x);
            engine_prod[c->code] = c->bal_prod;
            engine_bill[c->code] = c->bal_billdr;
        }
        // Every code of either side, a code missing on one side counting as 0.
        size_t owing = 0;
        for (const Balances* m : {&aging_prod, &engine_prod})
            for (const auto& [code, v] : *m) {
                EXPECT_EQ(engine_prod[code], aging_prod[code]) << "by producer " << code;
                if (v != 0) ++owing;
            }
        for (const Balances* m : {&aging_bill, &engine_bill})
            for (const auto& [code, v] : *m)
                EXPECT_EQ(engine_bill[code], aging_bill[code]) << "by billing doctor " << code;
        EXPECT_GT(owing, 4u);
        // The auxiliaries' receivable is their doctors'.
        for (const auto& [code, v] : engine_prod)
            if (code[0] == 'A') {
                EXPECT_EQ(v, 0) << code;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, MediumAnalysis, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
