// Month-end statements on the medium demo practice: every statement's balance is the
// balance its account stores, its aged amounts are the receivable report's for that
// account (without the account's additional amount, which no stored balance holds), and
// its detail lines add up to its balance.
#include <gtest/gtest.h>

#include <map>

#include "closing/mendstmt.h"
#include "host/base/env.h"
#include "tests/receivables/ar_check.h"
#include "tests/reconcile/medium.h"

namespace {

// Keeps each printed statement's account as the form laid it out.
class KeepingForm : public MEndStmntForm {
  public:
    using MEndStmntForm::MEndStmntForm;
    bool ExtraProcessing() override {
        kept[Account().acc_id] = Account();
        return true;
    }
    std::map<long, StmtAccount> kept;
};

using MediumStatements = reconcile::MediumPractice;

TEST_P(MediumStatements, BalancesAreStoredAndAgedAsTheReceivableReport) {
    app().m_CalAR = 1;
    const arrpt_info info = ar_check::Criteria(reconcile::kToday, 0, 1, "*", 'Y', 1, 0);
    ar_check::Ran ran = ar_check::RunToText(info, false, launcher(), "stmt-ar.prt");
    std::map<long, const ar::AccountRow*> ar_rows;
    for (const ar::AccountRow& a : ran.run->Data().accounts)
        ar_rows[a.acc_id] = &a;

    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode);
        app().m_CalAR = mode;
        MSFormInfo fi;
        fi.stmt_date = reconcile::kToday;
        fi.pdf_file = "etats-medium.pdf";
        KeepingForm form(launcher(), nullptr, fi);
        ASSERT_TRUE(form.PrintForm()) << form.Error();
        ASSERT_GT(form.kept.size(), 100u);
        int compared = 0;
        for (const MendInfoElem& e : form.MEInfoList()) {
            const StmtAccount& a = form.kept.at(e.acc_id);
            const std::string id = std::to_string(e.acc_id);
            const int64_t stored = db().QueryInt(
                "SELECT ACC_PAT_BAL + ACC_INS_BAL FROM ACCOUNT WHERE ACC_ID = " + id, -1);
            EXPECT_EQ(e.balance, stored) << "account " << id;
            int64_t lines = 0;
            for (const StmtTrx& t : a.trx)
                lines += t.owed;
            EXPECT_EQ(lines, e.balance) << "account " << id;
            auto row = ar_rows.find(e.acc_id);
            if (row == ar_rows.end()) continue;  // not listed by the report (inactive)
            ++compared;
            host::calc::Aged expected = row->second->ar.tot;
            expected.v[host::calc::kCurrent] -= row->second->additional;
            expected.v[host::calc::kTotal] -= row->second->additional;
            for (int k = 0; k < 6; ++k)
                EXPECT_EQ(a.aged[k], expected.v[k]) << "account " << id << " column " << k;
        }
        EXPECT_GT(compared, 100);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, MediumStatements, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
