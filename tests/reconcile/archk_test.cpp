// The receivable integrity check over the medium demo practice, from both account sources:
// every stored balance is what the ledger says and every producer's receivable is what the
// producer analysis keeps, so the check lists nothing, prints nothing and changes nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/base/env.h"
#include "host/output/paths.h"
#include "receivables/archk.h"
#include "tests/reconcile/medium.h"

namespace {

namespace fs = std::filesystem;

using MediumCheck = reconcile::MediumPractice;

TEST_P(MediumCheck, StoredBalancesAndProducerReceivablesAgreeWithTheLedger) {
    const int64_t sum_before = db().QueryInt(
        "SELECT SUM(ACC_PAT_BAL) * 3 + SUM(ACC_INS_BAL) + SUM(ACC_PAT_CUR) FROM "
        "ACCOUNT");
    const std::string log = host::Env().station_dir + "/dayarchk.log";
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "CALC_FROM_DATABASE" : "CALC_FROM_INFO");
        fs::remove(log);
        app().m_CalAR = mode;
        ArChk chk(launcher()->GetListPtr(), launcher()->GetMsgPtr());
        TEmgBase errors;
        const int result = chk.CheckAR(true, nullptr, launcher(), nullptr, &errors, false);
        ASSERT_TRUE(chk.Ran()) << chk.Error();
        EXPECT_TRUE(chk.Error().empty()) << chk.Error();
        EXPECT_EQ(result, mode == 1 ? 0 : -1);
        EXPECT_EQ(chk.Divergences(), 0);
        for (const ArChkAccountRow& r : chk.Accounts())
            ADD_FAILURE() << r.account << " " << r.name;
        for (const ArChkProducerRow& p : chk.Producers())
            ADD_FAILURE() << p.code << " " << p.prod_ar << " " << p.prod_analysis << " "
                          << p.bill_ar << " " << p.bill_analysis;
        EXPECT_GT(chk.AccountsChecked(), 2900);
        EXPECT_EQ(fs::file_size(host::output::OutputPath("dayarchk.txt", false)), 0u);
        EXPECT_FALSE(fs::exists(log));
        EXPECT_EQ(chk.Repaired(), 0);
    }
    EXPECT_EQ(db().QueryInt("SELECT SUM(ACC_PAT_BAL) * 3 + SUM(ACC_INS_BAL) + SUM(ACC_PAT_CUR) "
                            "FROM ACCOUNT"),
              sum_before);
}

INSTANTIATE_TEST_SUITE_P(Engines, MediumCheck, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
