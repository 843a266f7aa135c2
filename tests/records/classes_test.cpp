// The operations particular to some record classes: the day-end printed mark, the
// settings rows by position, held payments, payment-plan totals, policy memberships,
// saved report definitions with their criteria, day-sheet lines.
#include "tests/records/fixture.h"

namespace records_test {
namespace {

using Classes = RecordsTest;

TEST_P(Classes, MarkDendPrintedMarksTheDayAndCreatesItsRecord) {
    Exec("INSERT INTO DAYEND (DEND_ID, DEND_LASTDAY, DEND_PRINTED) VALUES (1, 20241113, 'N')");
    Exec(
        "INSERT INTO DAYDET (DDET_ID, DDET_DATE, DDET_PRINTED) VALUES (4, 20241113, 'N'), "
        "(9, 20241114, 'N')");
    DayEndInfo d(list(), msg());
    ASSERT_TRUE(d.GetAll());
    EXPECT_EQ(d.GetItem()->lastday, 20241113);

    ASSERT_TRUE(d.MarkDendPrinted(20241114)) << msg()->errors().Text();
    EXPECT_EQ(Text("SELECT DDET_PRINTED FROM DAYDET WHERE DDET_ID = 9"), "Y");
    EXPECT_EQ(Text("SELECT DDET_PRINTED FROM DAYDET WHERE DDET_ID = 4"), "N");
    EXPECT_EQ(Text("SELECT DEND_PRINTED FROM DAYEND WHERE DEND_ID = 1"), "Y");
    EXPECT_EQ(d.GetItem()->printed, 'Y');
    EXPECT_EQ(Int("SELECT COUNT(*) FROM DAYDET"), 2);

    // A day without its record gets one, numbered after the others.
    ASSERT_TRUE(d.MarkDendPrinted(20241115));
    EXPECT_EQ(Int("SELECT DDET_ID FROM DAYDET WHERE DDET_DATE = 20241115"), 10);
    EXPECT_EQ(Text("SELECT DDET_PRINTED FROM DAYDET WHERE DDET_DATE = 20241115"), "Y");

    // The unprinted days before a date, as the day-end check lists them.
    Exec("UPDATE DAYDET SET DDET_PRINTED = 'N' WHERE DDET_ID = 9");
    DayDetInfo det(list(), msg());
    ASSERT_TRUE(det.FindRecs("DDET_DATE < ? AND DDET_PRINTED <> ?", {20241115L, 'Y'}));
    EXPECT_EQ(det.LLCount(), 2);
}

TEST_P(Classes, MarkDendPrintedWithoutDayEndRecordChangesNothing) {
    Exec("INSERT INTO DAYDET (DDET_ID, DDET_DATE, DDET_PRINTED) VALUES (1, 20241114, 'N')");
    DayEndInfo d(list(), msg());
    EXPECT_FALSE(d.GetAll());
    TEmgBase err;
    EXPECT_FALSE(d.MarkDendPrinted(20241114, &err));
    EXPECT_FALSE(d.MarkDendPrinted(20241115, &err));
    EXPECT_TRUE(err.HasError());
    EXPECT_EQ(Text("SELECT DDET_PRINTED FROM DAYDET WHERE DDET_ID = 1"), "N");
    EXPECT_EQ(Int("SELECT COUNT(*) FROM DAYDET"), 1);
}

TEST_P(Classes, SettingsRowsAreWalkedAndChangedByPosition) {
    for (int id = 1; id <= 9; ++id)
        Exec(
            "INSERT INTO PPSET (PPST_ID, PPST_INT_FIELD03, PPST_A11_FIELD01, PPST_A51_FIELD09) "
            "VALUES (" +
            std::to_string(id) + ", " + std::to_string(id * 10) + ", 'R" + std::to_string(id) +
            "', 'a51-" + std::to_string(id) + "')");
    PPSetInfo s(list(), msg());
    ASSERT_TRUE(s.LockIt(3));
    // Four steps from the first row reach row 5.
    ASSERT_TRUE(s.DBGetFirst());
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(s.DBGetNext());
    ppset_struct* r = s.GetItem();
    ASSERT_EQ(r->ppst_id, 5);
    EXPECT_EQ(r->IntField(3), 50);
    EXPECT_EQ(r->A11Field(1), "R5");
    EXPECT_EQ(r->A51Field(9), "a51-5");
    r->IntField(17) = 7;
    r->A2Field(6) = 'Y';
    r->A11Field(1) = "ABC YN";
    r->IntField(0) = 99;  // no such field: nothing stored
    r->A51Field(21) = "lost";
    ASSERT_TRUE(s.WriteRec()) << msg()->errors().Text();
    // Row 6 is next, and row 5 alone changed.
    ASSERT_TRUE(s.DBGetNext());
    EXPECT_EQ(s.GetItem()->ppst_id, 6);
    s.UnLockIt(3);
    EXPECT_EQ(Int("SELECT PPST_INT_FIELD17 FROM PPSET WHERE PPST_ID = 5"), 7);
    EXPECT_EQ(Text("SELECT PPST_A2_FIELD06 FROM PPSET WHERE PPST_ID = 5"), "Y");
    EXPECT_EQ(Text("SELECT PPST_A11_FIELD01 FROM PPSET WHERE PPST_ID = 5"), "ABC YN");
    EXPECT_EQ(Int("SELECT PPST_INT_FIELD03 FROM PPSET WHERE PPST_ID = 5"), 50);
    EXPECT_EQ(Int("SELECT SUM(PPST_INT_FIELD17) FROM PPSET"), 7);
    EXPECT_EQ(Text("SELECT PPST_A11_FIELD01 FROM PPSET WHERE PPST_ID = 6"), "R6");
}

TEST_P(Classes, HeldPaymentsAreWhatTheApplicationsLeave) {
    // Payment 1: 100.00 of which 60.00 to a treatment and 30.00 to a credit on the 12th,
    // 10.00 held. Payment 2: fully applied. Payment 3: deleted. Payment 4: a refund.
    Exec(
        "INSERT INTO ACCPMT (APMT_ID, APMT_ACCID, APMT_DATE, APMT_TOTAL, APMT_PAYOR, "
        "APMT_TYPE, APMT_DELDATE) VALUES (1, 5, 20241110, 10000, 'SUN', 'I', 0), "
        "(2, 5, 20241110, 5000, '', 'P', 0), (3, 5, 20241110, 7000, '', 'P', 20241111), "
        "(4, 5, 20241110, -2500, '', 'P', 0)");
    Exec(
        "INSERT INTO PMTAPP (PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_DATE, PAPP_AMOUNT) VALUES "
        "(1, 1, 'T', 20241110, 6000), (2, 1, 'P', 20241112, 3000), (3, 2, 'T', 20241110, 2000), "
        "(4, 2, 'O', 20241110, 3000), (5, 4, 'T', 20241110, -2500)");
    AccPmtInfo p(list(), msg());
    pmt_held_info h;
    ASSERT_TRUE(p.GetPmtHeldInfo(1, &h));
    EXPECT_EQ(h.total, 10000);
    EXPECT_EQ(h.applied, 9000);
    EXPECT_EQ(h.held, 1000);
    EXPECT_EQ(h.payor, "SUN");
    EXPECT_EQ(h.type, 'I');
    EXPECT_EQ(h.date, 20241110);
    EXPECT_TRUE(p.IsPmtHeld(1));
    // As of the 11th the credit was not yet applied.
    ASSERT_TRUE(p.GetPmtHeldInfo(1, &h, 20241111));
    EXPECT_EQ(h.held, 4000);
    EXPECT_FALSE(p.IsPmtHeld(2));
    EXPECT_FALSE(p.IsPmtHeld(3));
    EXPECT_TRUE(p.IsPmtHeld(3, 20241110));  // not yet deleted then: all of it held
    EXPECT_FALSE(p.IsPmtHeld(4));
    EXPECT_FALSE(p.IsPmtHeld(99));
    EXPECT_FALSE(p.DbFailed());

    PmtAppInfo a(list(), msg());
    std::string kinds;
    for (bool ok = a.DBFindFirst(PmtAppInfo::KEY_PAYMENT, {2L}); ok; ok = a.DBFindNext())
        kinds += std::to_string(a.OwnerKind()) + " ";
    ASSERT_TRUE(a.DBFindRecById(2L));
    kinds += std::to_string(a.OwnerKind());
    EXPECT_EQ(kinds, "17 46 2");
}

TEST_P(Classes, PlanTotalsAndMembershipsAreReadPerDoctorAndPatient) {
    Exec(
        "INSERT INTO PATPPLAN (PPLN_ID, PPLN_ACCID, PPLN_DOCTOR, PPLN_AMOUNT, PPLN_BALANCE, "
        "PPLN_STATUS) VALUES (1, 1, '02', 120000, 80000, 'A'), (2, 2, '01', 50000, 12500, 'A'), "
        "(3, 3, '02', 30000, 30000, 'A'), (4, 1, '02', 99900, 99900, 'C')");
    PatPPlanInfo plans(list(), msg());
    std::vector<pplan_total> totals;
    ASSERT_TRUE(plans.TotalsByDoctor(&totals));
    ASSERT_EQ(totals.size(), 2u);
    EXPECT_EQ(totals[0].doctor, "01");
    EXPECT_EQ(totals[0].balance, 12500);
    EXPECT_EQ(totals[1].doctor, "02");
    EXPECT_EQ(totals[1].plans, 2);
    EXPECT_EQ(totals[1].amount, 150000);
    EXPECT_EQ(totals[1].balance, 110000);
    int64_t balance = -1;
    ASSERT_TRUE(plans.AccountPlanBalance(1, &balance));
    EXPECT_EQ(balance, 80000);  // the closed plan is not counted
    EXPECT_FALSE(plans.AccountPlanBalance(9, &balance));
    EXPECT_EQ(balance, 0);

    Exec(
        "INSERT INTO PATDEP (PDEP_ID, PDEP_PATID, PDEP_EPOLID, PDEP_ACTIVE) VALUES "
        "(1, 7, 1, 'N'), (2, 8, 1, 'Y'), (3, 7, 2, 'Y')");
    DependentInfo dep(list(), msg());
    EXPECT_EQ(dep.GetMembers(7), 2);
    EXPECT_EQ(dep.Items()[1].active, 'Y');
    EXPECT_EQ(dep.GetMembers(9), 0);
}

TEST_P(Classes, ReportDefinitionsKeepTheirCriteria) {
    RecScanInfo s(list(), msg());
    EXPECT_EQ(s.NextRecNo(), 1);
    recscan_struct& r = *s.GetItem();
    r.no = s.NextRecNo();
    r.name = "Patients d'Outremont";
    r.type = 2;
    r.crit_type[0] = 2;
    r.crit_field[0] = 1110;
    r.crit_cond[0] = 1;
    r.crit_value[0][0] = "OUTREMONT";
    r.crit_type[1] = 2;
    r.crit_field[1] = 1122;
    r.crit_cond[1] = 4;
    r.crit_value[1][0] = "H2V";
    r.crit_value[1][1] = "H2V ZZZ and far too long a value";
    ASSERT_TRUE(s.AddRec()) << msg()->errors().Text();
    RecScanInfo other(list(), msg());
    other.GetItem()->no = other.NextRecNo();
    other.GetItem()->name = "Sans critère";
    ASSERT_TRUE(other.AddRec());
    EXPECT_EQ(other.Rec().no, 2);

    RecScanInfo t(list(), msg());
    t.SetKey(RecScanInfo::KEY_NUMBER);
    ASSERT_TRUE(t.GetAll());
    ASSERT_EQ(t.LLCount(), 2);
    EXPECT_EQ(t.Rec().CriteriaCount(), 2);
    EXPECT_EQ(t.Rec().crit_field[1], 1122);
    EXPECT_EQ(t.Rec().crit_value[1][1], "H2V ZZZ and far too ");  // 20 characters
    ASSERT_TRUE(t.LLGoTo(1));
    EXPECT_EQ(t.Rec().CriteriaCount(), 0);

    // Removing the first criterion shifts the second up; the rows follow.
    ASSERT_TRUE(t.LLGoTo(0));
    recscan_struct& u = *t.GetItem();
    u.crit_type[0] = u.crit_type[1];
    u.crit_field[0] = u.crit_field[1];
    u.crit_cond[0] = u.crit_cond[1];
    for (int v = 0; v < recscan_struct::kValues; ++v)
        u.crit_value[0][v] = u.crit_value[1][v];
    u.crit_type[1] = 0;
    ASSERT_TRUE(t.WriteRec());
    EXPECT_EQ(Int("SELECT COUNT(*) FROM RSCNCRIT"), 1);
    EXPECT_EQ(Int("SELECT RSCC_COND FROM RSCNCRIT"), 4);
    ASSERT_TRUE(t.DeleteRec());
    EXPECT_EQ(Int("SELECT COUNT(*) FROM RSCNCRIT"), 0);
    EXPECT_EQ(Int("SELECT COUNT(*) FROM RECSCAN"), 1);
}

TEST_P(Classes, DaySheetLinesAndFutureDates) {
    DayShtInfo d(list(), msg());
    EXPECT_FALSE(d.ContainFutureDaySht(20241115));
    EXPECT_FALSE(d.DbFailed());
    Exec(
        "INSERT INTO DAYSHT (DSHT_ID, DSHT_DATE, DSHT_RECID, DSHT_BILLDR, DSHT_PRODUCER, "
        "DSHT_SORTID, DSHT_RECTYPE, DSHT_PATID) VALUES (1, 20241115, 77, '01', 'A12', 'L', "
        "'A', 31)");
    EXPECT_FALSE(d.ContainFutureDaySht(20241115));
    EXPECT_TRUE(d.ContainFutureDaySht(20241114));
    ASSERT_TRUE(d.DBGetFirst());
    dsht_struct line;
    d.GetDsht(&line);
    EXPECT_EQ(line.date, 20241115);
    EXPECT_EQ(line.recid, 77);
    EXPECT_STREQ(line.billdr, "01");
    EXPECT_STREQ(line.producer, "A12");
    EXPECT_EQ(line.sortid, 'L');
    EXPECT_EQ(line.rectype, 'A');
    EXPECT_EQ(line.patid, 31);
}

INSTANTIATE_TEST_SUITE_P(Engines, Classes, testing::ValuesIn(testing_support::Engines()),
                         EngineName);

}  // namespace
}  // namespace records_test
