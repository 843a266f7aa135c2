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
#include "host/records/records.h"
#include "host/ui/backend.h"
#include "host/ui/recording.h"
#include "tests/reconcile/medium.h"

namespace {

class MediumAnalysis : public reconcile::MediumPractice {
  protected:
    void SetUp() override {
        MediumPractice::SetUp();
        host::ui::SetBackend(&backend_);
    }
    void TearDown() override {
        host::ui::SetBackend(nullptr);
        MediumPractice::TearDown();
    }
    host::ui::ScriptedBackend backend_;
};

using Balances = std::map<std::string, int64_t>;

TEST_P(MediumAnalysis, EngineReceivableEqualsTheAgingByProducer) {
    // The aging, account by account, every account of the practice.
    DLnkList* list = launcher()->GetListPtr();
    MsgInfo* msg = launcher()->GetMsgPtr();
    AccountInfo accounts(list, msg);
    ASSERT_TRUE(accounts.GetAll());
    std::vector<long> ids;
    for (const account_struct& a : accounts.Items())
        ids.push_back(a.acc_id);
    ASSERT_GT(ids.size(), 100u);
    DrArCalc calc(list, msg, 1);
    ASSERT_TRUE(calc.SetupAR(reconcile::kToday, false, true, false, nullptr));
    Balances aging_prod, aging_bill;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (i % 200 == 0) {
            std::vector<long> batch(ids.begin() + static_cast<long>(i),
                                    ids.begin() + static_cast<long>(std::min(i + 200, ids.size())));
            ASSERT_TRUE(calc.Prefetch(batch, nullptr));
        }
        ASSERT_TRUE(calc.CalcAR(ids[i], true, false, nullptr, false)) << ids[i];
        int n = 0;
        const dr_ar_bucket* p = calc.GetAllProdDrAR(&n);
        for (int k = 1; k <= n; ++k)
            aging_prod[p[k].prod_code] += BucketBalance(p[k]);
        const dr_ar_bucket* b = calc.GetAllBillDrAR(&n);
        for (int k = 1; k <= n; ++k)
            aging_bill[b[k].prod_code] += BucketBalance(b[k]);
    }

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
