// Locks between two workstations (two connections to one database): lock packets,
// table locks, refused writes that change nothing, and locks released by their owner.
#include "tests/records/fixture.h"

namespace records_test {
namespace {

class Locks : public RecordsTest {
  protected:
    void SetUp() override {
        RecordsTest::SetUp();
        other_db_ = t_->OpenAnother();
        ASSERT_TRUE(other_db_);
        other_db_->SetLockWaitSeconds(0);
        other_list_ = std::make_unique<DLnkList>(other_db_.get());
        other_msg_ = std::make_unique<MsgInfo>(3300, other_list_.get());
        Exec("INSERT INTO ACCOUNT (ACC_ID, ACC_LNAME, ACC_PAT_BAL) VALUES (1, 'Roy', 1500)");
    }
    void TearDown() override {
        other_msg_.reset();
        other_list_.reset();
        other_db_.reset();
        RecordsTest::TearDown();
    }
    std::unique_ptr<GenDB> other_db_;
    std::unique_ptr<DLnkList> other_list_;
    std::unique_ptr<MsgInfo> other_msg_;
};

TEST_P(Locks, LockPacketsKeepTheOtherWorkstationOut) {
    const std::vector<lock_pkt> packets{
        {TBL_ACCOUNT, 1, 3}, {TBL_PATIENT, 1, 2}, {TBL_DAYSHT, 1, 3}};
    GenInfo here(list(), msg());
    ASSERT_TRUE(here.LockAll(packets)) << msg()->errors().Text();

    GenInfo there(other_list_.get(), other_msg_.get());
    TEmgBase err;
    EXPECT_FALSE(there.LockAll({{TBL_PATIENT, 1, 2}, {TBL_ACCOUNT, 1, 3}}, &err));
    EXPECT_NE(err.Text().find("ACCOUNT"), std::string::npos) << err.Text();
    // Nothing of the refused packet list stays held: once the first workstation is done,
    // the second gets everything.
    EXPECT_TRUE(there.FreeAll({{TBL_PATIENT, 1, 2}, {TBL_ACCOUNT, 1, 3}}) == false);
    ASSERT_TRUE(here.FreeAll(packets));
    EXPECT_TRUE(there.LockAll({{TBL_PATIENT, 1, 2}, {TBL_ACCOUNT, 1, 3}}));
    EXPECT_TRUE(there.FreeAll({{TBL_PATIENT, 1, 2}, {TBL_ACCOUNT, 1, 3}}));

    // An unknown table number is refused before anything is locked.
    EXPECT_FALSE(here.LockAll({{TBL_ACCOUNT, 1, 3}, {999, 1, 3}}, &err));
    EXPECT_NE(err.Text().find("999"), std::string::npos);
    AccountInfo a(other_list_.get(), other_msg_.get());
    EXPECT_TRUE(a.LockIt(3));
}

TEST_P(Locks, RefusedWriteLeavesTheRowAndSaysWhy) {
    AccountInfo holder(list(), msg());
    ASSERT_TRUE(holder.LockIt(3));

    AccountInfo writer(other_list_.get(), other_msg_.get());
    ASSERT_TRUE(writer.DBFindRecById(1L));
    writer.GetItem()->lname = "Changé";
    writer.GetItem()->pat_bal = 0;
    EXPECT_FALSE(writer.WriteRec());
    EXPECT_NE(other_msg_->errors().Text().find("ACCOUNT"), std::string::npos)
        << other_msg_->errors().Text();
    EXPECT_FALSE(writer.AddRec());
    EXPECT_FALSE(writer.DeleteRec());

    AccountInfo check(list(), msg());
    ASSERT_TRUE(check.DBFindRecById(1L));
    EXPECT_EQ(check.Rec().lname, "Roy");
    EXPECT_EQ(check.Rec().pat_bal, 1500);
    EXPECT_EQ(Int("SELECT COUNT(*) FROM ACCOUNT"), 1);

    // Released: the same write goes through.
    ASSERT_TRUE(holder.UnLockIt(3));
    other_msg_->errors().ClearErrMsgInfo();
    EXPECT_TRUE(writer.WriteRec()) << other_msg_->errors().Text();
    EXPECT_EQ(Text("SELECT ACC_LNAME FROM ACCOUNT WHERE ACC_ID = 1"), "Changé");
}

TEST_P(Locks, WriteOfARowDeletedElsewhereFails) {
    AccountInfo a(list(), msg());
    ASSERT_TRUE(a.DBFindRecById(1L));
    AccountInfo b(other_list_.get(), other_msg_.get());
    ASSERT_TRUE(b.DBFindRecById(1L));
    ASSERT_TRUE(b.DeleteRec());
    a.GetItem()->pat_bal = 99;
    TEmgBase err;
    EXPECT_FALSE(a.WriteRec(&err));
    EXPECT_NE(err.Text().find("n'existe plus"), std::string::npos) << err.Text();
    EXPECT_EQ(Int("SELECT COUNT(*) FROM ACCOUNT"), 0);  // not re-created
}

TEST_P(Locks, RefusedWriteInsideATransactionSparesTheRest) {
    Exec("INSERT INTO PRODCD (PROD_ID, PROD_CODE) VALUES (1, 'D01'), (2, 'D02')");
    host::DbTransaction tx(db());
    ASSERT_TRUE(tx.ok());
    ProdInfo p(list(), msg());
    ASSERT_TRUE(p.FindByCode("D02"));
    p.GetItem()->code = "D01";  // taken: the unique code index refuses it
    EXPECT_FALSE(p.WriteRec());
    EXPECT_TRUE(p.DbFailed());
    p.GetItem()->code = "D03";
    p.GetItem()->last_name = "Bélanger";
    EXPECT_TRUE(p.WriteRec()) << msg()->errors().Text();
    ASSERT_TRUE(tx.Commit());
    EXPECT_EQ(Text("SELECT PROD_LAST_NAME FROM PRODCD WHERE PROD_CODE = 'D03'"), "Bélanger");
    EXPECT_EQ(Int("SELECT COUNT(*) FROM PRODCD WHERE PROD_CODE = 'D01'"), 1);
}

TEST_P(Locks, KeepsShareAndOwnersReleaseWhatTheyHold) {
    {
        DayShtInfo reader(list(), msg());
        ASSERT_TRUE(reader.DoKeep());
        ASSERT_TRUE(reader.KeepAll({{TBL_ACCOUNT, 'K', 0}, {TBL_PMTAPP, 'S', 21}}));
        // A second reader keeps the same tables.
        GenInfo other(other_list_.get(), other_msg_.get());
        EXPECT_TRUE(other.KeepAll({{TBL_ACCOUNT, 'K', 0}}));
        EXPECT_TRUE(other.UnKeepAll({{TBL_ACCOUNT, 'K', 0}}));
        // Locks counted per object: releasing twice releases nothing more.
        ASSERT_TRUE(reader.UndoKeep());
        EXPECT_FALSE(reader.UndoKeep());
        // The object goes away still holding its keeps and an excluding lock.
        ASSERT_TRUE(reader.LockIt(3));
    }
    DayShtInfo writer(other_list_.get(), other_msg_.get());
    EXPECT_TRUE(writer.LockIt(3)) << other_msg_->errors().Text();
    AccountInfo acc(other_list_.get(), other_msg_.get());
    EXPECT_TRUE(acc.LockIt(3)) << other_msg_->errors().Text();
}

TEST_P(Locks, NumbersTakenUnderTheLockDoNotCollide) {
    // Two workstations adding in turn draw from one sequence.
    AccountInfo a(list(), msg());
    AccountInfo b(other_list_.get(), other_msg_.get());
    for (int i = 0; i < 3; ++i) {
        a.ClearRec();
        ASSERT_TRUE(a.AddRec());
        b.ClearRec();
        ASSERT_TRUE(b.AddRec());
    }
    EXPECT_EQ(a.Rec().acc_id, 6);
    EXPECT_EQ(b.Rec().acc_id, 7);
    EXPECT_EQ(Int("SELECT COUNT(DISTINCT ACC_ID) FROM ACCOUNT"), 7);
}

INSTANTIATE_TEST_SUITE_P(Engines, Locks, testing::ValuesIn(testing_support::Engines()), EngineName);

}  // namespace
}  // namespace records_test
