// The account walk: accounts in id order with their place in name order, their patients and
// their ledgers from streams, rows of accounts that do not exist passed over; over the demo
// practice every streamed ledger ages as the same account read on its own.
#include "host/calc/walk.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/demo/demo.h"
#include "host/calc/arcalc.h"
#include "host/records/context.h"
#include "tests/support/practice_test.h"

namespace {

using host::calc::AccountWalk;
using host::calc::Ledger;
using host::calc::LedgerSource;

class WalkTest : public testing_support::PracticeTest<> {
  protected:
    void Exec(const std::string& sql) {
        ASSERT_EQ(db().dbExecute(sql), 0) << sql << " : " << db().dbLastError();
    }
};

// Accounts 10 and 30 share a name (id decides), 20 comes first by name, 40 has no patient
// but a credit. Patient 105 belongs to account 25 and patient 106 to account 5, neither of
// which exists: their rows, before, between and after the real accounts' rows in the
// streams, belong to no account walked.
TEST_P(WalkTest, AccountsPatientsAndLedgersComeTogether) {
    for (const char* sql : {
             "INSERT INTO ACCOUNT (ACC_ID, ACC_LNAME, ACC_PNAME) VALUES (30, 'Roy', 'Anne'), "
             "(10, 'Roy', 'Anne'), (20, 'Abel', 'Zoé'), (40, 'Zed', 'Luc')",
             "INSERT INTO PATIENT (PAT_ID, PAT_ACCID) VALUES (103, 30), (101, 30), (102, 10), "
             "(104, 20), (105, 25), (106, 5)",
             "INSERT INTO PATCLM (PCLM_ID, PCLM_PATID, PCLM_STATUS) VALUES (1, 101, 'I'), "
             "(2, 102, 'E'), (3, 104, 'C'), (4, 105, 'I')",
             "INSERT INTO CLMTRT (CTRT_ID, CTRT_PCLMID, CTRT_TOTAL) VALUES (1, 1, 1000), "
             "(2, 2, 9999), (3, 3, 500), (4, 4, 777), (5, 1, 20)",
             "INSERT INTO PATOCH (POCH_ID, POCH_PATID, POCH_TOTAL) VALUES (1, 103, 300), "
             "(2, 106, 50)",
             "INSERT INTO ACCPMT (APMT_ID, APMT_ACCID) VALUES (1, 30), (2, 25), (3, 40)",
             "INSERT INTO PMTAPP (PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_CTRTID, PAPP_AMOUNT) "
             "VALUES (1, 1, 'T', 1, 200), (2, 2, 'T', 4, 7), (3, 3, 'P', 0, 75), "
             "(4, 1, 'T', 5, 5)",
         })
        Exec(sql);
    // With a ledger source, and without one (the quick list: accounts and patients only).
    for (bool ledgers : {true, false}) {
        SCOPED_TRACE(ledgers ? "ledgers" : "no ledgers");
        LedgerSource source(launcher_->GetListPtr(), launcher_->GetMsgPtr(), 1);
        AccountWalk walk(launcher_->GetListPtr(), launcher_->GetMsgPtr(),
                         ledgers ? &source : nullptr);
        std::string error;
        ASSERT_TRUE(walk.Start(&error)) << error;
        EXPECT_EQ(walk.Count(), 4);
        std::string seen;
        while (walk.Next(&error)) {
            seen += std::to_string(walk.Account().acc_id) + "#" + std::to_string(walk.NameRank()) +
                    " [";
            for (const patient_struct& p : walk.Patients())
                seen += std::to_string(p.pat_id) + " ";
            seen += "]";
            if (ledgers) {
                Ledger ledger;
                TEmgBase err;
                ASSERT_TRUE(source.Account(walk.Account().acc_id, &ledger, &err)) << err.Text();
                int64_t charged = 0, applied = 0;
                for (const auto& c : ledger.charges)
                    charged += c.total;
                for (const auto& a : ledger.applications)
                    applied += a.amount;
                seen += " " + std::to_string(charged) + "-" + std::to_string(applied);
            }
            seen += "; ";
        }
        EXPECT_TRUE(error.empty()) << error;
        EXPECT_EQ(seen, ledgers ? "10#1 [102 ] 0-0; 20#0 [104 ] 500-0; 30#2 [101 103 ] 1320-205; "
                                  "40#3 [] 0-75; "
                                : "10#1 [102 ]; 20#0 [104 ]; 30#2 [101 103 ]; 40#3 []; ");
    }
}

// The demo practice holds every kind of item the aging knows: each account's streamed
// ledger ages, for every producer, as the same account read by its own statements.
TEST_P(WalkTest, StreamedLedgersAgeAsLedgersReadOneByOne) {
    std::string error;
    ASSERT_TRUE(testing_support::WriteSmallDemo(db(), &error)) << error;
    LedgerSource streamed(launcher_->GetListPtr(), launcher_->GetMsgPtr(), 1);
    LedgerSource single(launcher_->GetListPtr(), launcher_->GetMsgPtr(), 1);
    AccountWalk walk(launcher_->GetListPtr(), launcher_->GetMsgPtr(), &streamed);
    ASSERT_TRUE(walk.Start(&error)) << error;
    long accounts = 0, items = 0;
    host::calc::AgingOptions o;
    o.as_of = 20241115;  // the small demo's today
    while (walk.Next(&error)) {
        const long id = walk.Account().acc_id;
        Ledger a, b;
        TEmgBase err;
        ASSERT_TRUE(streamed.Account(id, &a, &err)) << err.Text();
        ASSERT_TRUE(single.Account(id, &b, &err)) << err.Text();
        ASSERT_EQ(a.charges.size(), b.charges.size()) << "account " << id;
        ASSERT_EQ(a.applications.size(), b.applications.size()) << "account " << id;
        for (bool by_billdr : {false, true}) {
            o.by_billing_doctor = by_billdr;
            EXPECT_EQ(host::calc::AgeLedger(a.charges, a.applications, o),
                      host::calc::AgeLedger(b.charges, b.applications, o))
                << "account " << id;
        }
        ++accounts;
        items += static_cast<long>(a.charges.size() + a.applications.size());
    }
    EXPECT_TRUE(error.empty()) << error;
    EXPECT_EQ(accounts, walk.Count());
    EXPECT_EQ(accounts, t_->db().QueryInt("SELECT COUNT(*) FROM ACCOUNT"));
    EXPECT_GT(items, 100);
}

INSTANTIATE_TEST_SUITE_P(Engines, WalkTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
