// Producer codes, billing doctors, the practice's address, the launcher's current patient,
// phone numbers and ages.
#include "host/records/practice.h"

#include "tests/records/fixture.h"

namespace records_test {
namespace {

TEST(PhoneNumbers, QuebecFormsFromAnyDigits) {
    char out[32];
    EXPECT_STREQ(mk_phone_no("5145551234", out, false), "(514) 555-1234");
    EXPECT_STREQ(mk_phone_no("514-555-1234", out, true), "514 555-1234");
    EXPECT_STREQ(mk_phone_no("1 (418) 555 0000", out, false), "(418) 555-0000");
    EXPECT_STREQ(mk_phone_no("5551234", out, false), "555-1234");
    EXPECT_STREQ(mk_phone_no("514 555 1234 #207", out, false), "(514) 555-1234 poste 207");
    EXPECT_STREQ(mk_phone_no("  inconnu ", out, false), "inconnu");
    EXPECT_STREQ(mk_phone_no("", out, false), "");
    EXPECT_STREQ(mk_phone_no(nullptr, out, false), "");
}

TEST(Ages, WholeYearsOnTheDay) {
    char out[8];
    EXPECT_STREQ(mk_age_str(19800315, 20241115, out), "44");
    EXPECT_STREQ(mk_age_str(19801115, 20241115, out), "44");  // birthday today
    EXPECT_STREQ(mk_age_str(19801116, 20241115, out), "43");  // tomorrow
    EXPECT_STREQ(mk_age_str(20000229, 20230228, out), "22");  // leap day: not before March
    EXPECT_STREQ(mk_age_str(20000229, 20230301, out), "23");
    EXPECT_STREQ(mk_age_str(20000229, 20240229, out), "24");
    EXPECT_STREQ(mk_age_str(20241115, 20241115, out), "0");
    EXPECT_STREQ(mk_age_str(20241116, 20241115, out), "");  // born after today
    EXPECT_STREQ(mk_age_str(0, 20241115, out), "");
    EXPECT_STREQ(mk_age_str(19800231, 20241115, out), "");  // no such date
}

class Practice : public RecordsTest {
  protected:
    void SetUp() override {
        RecordsTest::SetUp();
        app_ = std::make_unique<QDSApplication>(&db());
        QDSApplication::SetInstance(app_.get());
    }
    void TearDown() override {
        QDSApplication::SetInstance(nullptr);
        app_.reset();
        RecordsTest::TearDown();
    }
    std::unique_ptr<QDSApplication> app_;
};

TEST_P(Practice, ProducerCodesAndBillingDoctors) {
    Exec(
        "INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_TYPE, PROD_BILLDR) VALUES "
        "(1, 'D01', 'D', '01'), (2, 'DRX', 'D', '07'), (3, 'D02', 'D', ''), "
        "(4, 'A12', 'A', '01'), (5, 'H03', 'H', '')");
    EXPECT_EQ(GetProdCode("01"), "D01");
    EXPECT_EQ(GetProdCode(" 7 "), "D7");
    EXPECT_EQ(GetProdCode("A12"), "A12");
    EXPECT_EQ(GetProdCode(""), "");
    EXPECT_EQ(GetProdCode(nullptr), "");
    // From the producer records: the dentist billing under "07" is DRX.
    EXPECT_EQ(GetProdCode("07", true), "DRX");
    EXPECT_EQ(GetProdCode("09", true), "D09");

    EXPECT_TRUE(IsBillingDr("D01"));
    EXPECT_TRUE(IsBillingDr("DRX "));
    EXPECT_FALSE(IsBillingDr("D02"));  // a dentist who does not bill
    EXPECT_FALSE(IsBillingDr("A12"));  // an auxiliary, even with a billing code
    EXPECT_FALSE(IsBillingDr("ZZZ"));
    EXPECT_FALSE(IsBillingDr(nullptr));

    // The producers of each type in code order, as the practice analysis lists them.
    ProdInfo p(list(), msg());
    std::string codes;
    for (char type : std::string("DAH"))
        for (bool ok = p.DBFindFirst(ProdInfo::KEY_TYPE, {type}); ok; ok = p.DBFindNext())
            codes += p.Rec().code + " ";
    EXPECT_EQ(codes, "D01 D02 DRX A12 H03 ");
}

TEST_P(Practice, AddressRecordAndCurrentPatient) {
    TPracAddIni none;
    EXPECT_FALSE(none.IsLoaded());
    EXPECT_EQ(none.GetRec().name, "");
    none.GetRecPtr()->name = "Clinique dentaire de l'Île";
    none.GetRecPtr()->city = "Montréal";
    ASSERT_TRUE(none.Save());
    EXPECT_EQ(Int("SELECT COUNT(*) FROM PRACINFO"), 1);

    TPracAddIni prac;
    ASSERT_TRUE(prac.IsLoaded());
    EXPECT_EQ(prac.GetRec().name, "Clinique dentaire de l'Île");
    EXPECT_EQ(prac.GetRec().city, "Montréal");
    prac.GetRecPtr()->postal = "H2V 1A1";
    ASSERT_TRUE(prac.Save());
    EXPECT_EQ(Int("SELECT COUNT(*) FROM PRACINFO"), 1);
    EXPECT_EQ(TPracAddIni().GetRec().postal, "H2V 1A1");

    Exec("INSERT INTO PATIENT (PAT_ID, PAT_PNAME) VALUES (5, 'Léa'), (6, 'Noé')");
    LauncherInfo launcher(app_.get());
    EXPECT_EQ(launcher.GetPatInfoPtr(), nullptr);
    app_->current_patient = 5;
    PersInfo* p = launcher.GetPatInfoPtr();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Rec().pname, "Léa");
    app_->current_patient = 6;
    ASSERT_NE(launcher.GetPatInfoPtr(), nullptr);
    EXPECT_EQ(launcher.GetPatInfoPtr()->Rec().pname, "Noé");
    app_->current_patient = 99;  // gone
    EXPECT_EQ(launcher.GetPatInfoPtr(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Engines, Practice, testing::ValuesIn(testing_support::Engines()),
                         EngineName);

}  // namespace
}  // namespace records_test
