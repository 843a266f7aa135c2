// The receivable integrity check on the small demo practice, whose stored balances and day
// sheet agree with its ledger: a clean run lists nothing; balances changed by SQL, a day-sheet
// line removed, a brought-forward balance changed, a payment posted by another workstation
// during the run and a lock held by another workstation each give exactly what they should.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "host/base/env.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/output/paths.h"
#include "receivables/archk.h"
#include "tests/support/practice_test.h"

namespace {

namespace fs = std::filesystem;
using output_test::ReadFile;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

struct Bal {
    int64_t pat = 0, ins = 0;
    bool operator==(const Bal&) const = default;
};

class ArChkTest : public testing_support::SmallDemoTest {
  protected:
    void SetUp() override {
        SmallDemoTest::SetUp();
        Clean();
    }

    // The check's files of an earlier run removed.
    void Clean() {
        for (const char* f : {"dayarchk.txt", "dayarchk.pdf", "prodanalchk.txt"})
            fs::remove(host::output::OutputPath(f, false));
        fs::remove(LogPath());
    }
    static std::string LogPath() { return host::Env().station_dir + "/dayarchk.log"; }
    static std::string TextPath() { return host::output::OutputPath("dayarchk.txt", false); }
    static std::string PdfPath() { return host::output::OutputPath("dayarchk.pdf", false); }

    std::unique_ptr<ArChk> Check(int mode, bool repair, int* result = nullptr,
                                 std::function<void()> hook = {}) {
        app_->m_CalAR = mode;
        auto chk = std::make_unique<ArChk>(launcher_->GetListPtr(), launcher_->GetMsgPtr());
        if (hook) chk->SetAfterAnalysisHook(std::move(hook));
        TEmgBase errors;
        const int r = chk->CheckAR(repair, nullptr, launcher_.get(), nullptr, &errors, false);
        if (result) *result = r;
        return chk;
    }
    void Exec(const std::string& sql) { ASSERT_EQ(t_->db().dbExecute(sql), 0) << sql; }
    int64_t Int(const std::string& sql) { return t_->db().QueryInt(sql, -999999); }
    std::map<long, Bal> Balances() {
        std::map<long, Bal> out;
        GenDB& db = t_->db();
        EXPECT_EQ(db.dbOpen("SELECT ACC_ID, ACC_PAT_BAL, ACC_INS_BAL FROM ACCOUNT", 9), 0);
        for (int r = db.dbFetch(0, 9); r == 0; r = db.dbFetch(1, 9)) {
            long id = 0, pat = 0, ins = 0;
            db.dbGetLong(1, &id, 9);
            db.dbGetLong(2, &pat, 9);
            db.dbGetLong(3, &ins, 9);
            out[id] = {pat, ins};
        }
        db.dbClose(9);
        return out;
    }
};

TEST_P(ArChkTest, ConsistentPracticeListsNothingFromEitherSource) {
    const auto before = Balances();
    const int64_t active = Int("SELECT COUNT(*) FROM ACCOUNT WHERE ACC_SYS_INACTIVE <> 'Y'");
    const int64_t walked =
        Int("SELECT COUNT(*) FROM ACCOUNT WHERE ACC_SYS_INACTIVE <> 'Y' AND ACC_DELETE_DATE = 0");
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "CALC_FROM_DATABASE" : "CALC_FROM_INFO");
        Clean();
        int result = 99;
        auto chk = Check(mode, true, &result);
        ASSERT_TRUE(chk->Ran()) << chk->Error();
        EXPECT_TRUE(chk->Error().empty()) << chk->Error();
        EXPECT_EQ(chk->Divergences(), 0);
        // SQL leaves out deleted accounts; the record walk only the inactive ones. The
        // record walk ends on "not found", which the check answers with -1.
        EXPECT_EQ(chk->AccountsChecked(), mode == 1 ? walked : active);
        EXPECT_EQ(result, mode == 1 ? 0 : -1);
        EXPECT_FALSE(chk->Discarded());
        EXPECT_EQ(chk->CountAfter(), chk->CountBefore());
        ASSERT_TRUE(fs::exists(TextPath()));
        EXPECT_EQ(fs::file_size(TextPath()), 0u);
        EXPECT_FALSE(fs::exists(PdfPath()));
        EXPECT_FALSE(fs::exists(LogPath()));
        EXPECT_TRUE(chk->PrintedPdf().empty());
    }
    EXPECT_EQ(Balances(), before);
}

TEST_P(ArChkTest, ChangedBalancesAreListedThenRepairedThenClean) {
    const auto original = Balances();
    // Three active accounts that owe something, in id order.
    std::vector<long> ids;
    for (const auto& [id, b] : original)
        if (ids.size() < 3 && id > 3 && b.pat != 0 &&
            Int("SELECT COUNT(*) FROM ACCOUNT WHERE ACC_ID = " + std::to_string(id) +
                " AND ACC_SYS_INACTIVE <> 'Y' AND ACC_DELETE_DATE = 0") == 1)
            ids.push_back(id);
    ASSERT_EQ(ids.size(), 3u);
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "CALC_FROM_DATABASE" : "CALC_FROM_INFO");
        Clean();
        Exec("UPDATE ACCOUNT SET ACC_PAT_BAL = ACC_PAT_BAL + 1234 WHERE ACC_ID = " +
             std::to_string(ids[0]));
        Exec("UPDATE ACCOUNT SET ACC_INS_BAL = ACC_INS_BAL - 500 WHERE ACC_ID = " +
             std::to_string(ids[1]));
        Exec("UPDATE ACCOUNT SET ACC_PAT_BAL = 1, ACC_INS_BAL = 99999 WHERE ACC_ID = " +
             std::to_string(ids[2]));
        const auto altered = Balances();

        // Listed, not repaired.
        auto listed = Check(mode, false);
        ASSERT_TRUE(listed->Ran()) << listed->Error();
        EXPECT_EQ(listed->Divergences(), 3);
        EXPECT_TRUE(listed->Producers().empty());
        EXPECT_EQ(Balances(), altered);
        Clean();

        int result = 0;
        auto chk = Check(mode, true, &result);
        EXPECT_EQ(chk->Divergences(), 3);
        EXPECT_EQ(chk->Repaired(), 3);
        if (mode == 1) {
            EXPECT_EQ(result, 3);
        }
        std::map<long, ArChkAccountRow> rows;
        for (const ArChkAccountRow& r : chk->Accounts())
            rows[r.account] = r;
        ASSERT_EQ(rows.size(), 3u);
        for (long id : ids) {
            ASSERT_TRUE(rows.count(id)) << id;
            const ArChkAccountRow& r = rows[id];
            EXPECT_FALSE(r.calc_error);
            EXPECT_TRUE(r.repaired);
            // Computed: what the demo stored, consistent with the ledger; stored: as altered.
            EXPECT_EQ(r.computed_pat, original.at(id).pat) << id;
            EXPECT_EQ(r.computed_ins, original.at(id).ins) << id;
            EXPECT_EQ(r.stored_pat, altered.at(id).pat) << id;
            EXPECT_EQ(r.stored_ins, altered.at(id).ins) << id;
        }
        EXPECT_EQ(Balances(), original);

        // The file: one header, then the three lines as laid out by hand.
        const std::vector<std::string> text = Lines(ReadFile(TextPath()));
        ASSERT_EQ(text.size(), 8u) << ReadFile(TextPath());
        EXPECT_EQ(text[0],
                  "Date d'exécution : 15 nov. 2024 - 17:30:00    Solde du compte C / R  "
                  "Divergences               Page :   1 ");
        EXPECT_EQ(text[2], host::LoadText(6316));
        const ArChkAccountRow& third = rows[ids[2]];
        char expect[200];
        std::snprintf(expect, sizeof expect, "%07ld    %10.2f   %10.2f     %10.2f   %10.2f", ids[2],
                      original.at(ids[2]).ins / 100.0, original.at(ids[2]).pat / 100.0, 999.99,
                      0.01);
        bool found = false;
        for (size_t i = 5; i < text.size(); ++i) {
            EXPECT_EQ(host::U8Length(text[i]), 103u) << text[i];
            if (text[i].find(expect) != std::string::npos) {
                found = true;
                EXPECT_EQ(text[i].substr(0, host::U8Fit(third.name, 40).size()),
                          host::U8Fit(third.name, 40));
            }
        }
        EXPECT_TRUE(found) << expect;

        // Printed and logged, with the producer analysis and the footer after the lines.
        EXPECT_TRUE(fs::exists(PdfPath()));
        EXPECT_EQ(chk->PrintedPdf(), PdfPath());
        const std::string log = ReadFile(LogPath());
        EXPECT_EQ(log.rfind("\n**** LOGGED AT: 15/11/2024 TIME: [17:30:00] FROM POSTE-TEST ****\n" +
                                text[0] + "\n",
                            0),
                  0u)
            << log.substr(0, 200);
        EXPECT_NE(log.find(std::string("Calc Method =  ") +
                           (mode == 1 ? "CALC_FROM_DATABASE" : "CALC_FROM_INFO")),
                  std::string::npos);

        // Repaired: the next run finds nothing and logs nothing more.
        const auto log_size = fs::file_size(LogPath());
        auto again = Check(mode, true);
        EXPECT_EQ(again->Divergences(), 0);
        EXPECT_EQ(fs::file_size(LogPath()), log_size);
    }
}

TEST_P(ArChkTest, FiftyOneDivergencesTurnThePage) {
    // 51 accounts without transactions whose stored balances say they owe something.
    for (int i = 1; i <= 51; ++i)
        Exec("INSERT INTO ACCOUNT (ACC_ID, ACC_LNAME, ACC_PNAME, ACC_PAT_BAL) VALUES (" +
             std::to_string(9000 + i) + ", 'Zéphirin-Bélanger', 'Éloïse " + std::to_string(i) +
             "', " + std::to_string(100 * i) + ")");
    auto chk = Check(1, false);
    ASSERT_TRUE(chk->Ran()) << chk->Error();
    ASSERT_EQ(chk->Divergences(), 51);
    const std::vector<std::string> text = Lines(ReadFile(TextPath()));
    // Page 1: 5 header lines and 44 accounts (50 lines less the header's 6); page 2 after
    // the break: its header with page number 2 and the other 7.
    ASSERT_EQ(text.size(), 5u + 44u + 1u + 5u + 7u);
    EXPECT_EQ(text[49], "@OV.Page.Break@");
    EXPECT_NE(text[0].find("Page :   1 "), std::string::npos);
    EXPECT_NE(text[50].find("Page :   2 "), std::string::npos) << text[50];
    EXPECT_EQ(text[54], host::LoadText(6318));
    // Accented names cut and padded by character: every line is as wide.
    EXPECT_EQ(text[5].rfind("Zéphirin-Bélanger, Éloïse 1              0009001", 0), 0u) << text[5];
    for (size_t i : {5u, 48u, 55u, 61u})
        EXPECT_EQ(host::U8Length(text[i]), 103u) << text[i];
    // In name order "Éloïse 9" comes last.
    EXPECT_EQ(text[61].substr(text[61].size() - 10), "      9.00");
}

TEST_P(ArChkTest, ProducerSectionListsTheProducerWhoseFiguresDiffer) {
    // A dentist's own treatment line taken off the day sheet: the analysis of the day sheets
    // misses its amount, on the producer's and on the billing doctor's side.
    GenDB& db = t_->db();
    ASSERT_EQ(db.dbOpen("SELECT DSHT_ID, DSHT_RECID, DSHT_PRODUCER FROM DAYSHT WHERE DSHT_SORTID "
                        "= 'F' AND DSHT_PRODUCER = 'D' || DSHT_BILLDR ORDER BY DSHT_ID",
                        9),
              0);
    long line = 0, recid = 0;
    std::string producer;
    int64_t amount = 0;
    for (int r = db.dbFetch(0, 9); r == 0 && amount == 0; r = db.dbFetch(1, 9)) {
        db.dbGetLong(1, &line, 9);
        db.dbGetLong(2, &recid, 9);
        db.dbGetField(3, &producer, 9);
        amount = db.QueryInt(
            "SELECT CTRT_TOTAL + CASE CTRT_ADJ_FLAG WHEN 'S' THEN CTRT_ADJ_AMT WHEN 'D' THEN "
            "-CTRT_ADJ_AMT ELSE 0 END FROM CLMTRT WHERE CTRT_ID = " +
            std::to_string(recid));
    }
    db.dbClose(9);
    ASSERT_NE(amount, 0);
    Exec("DELETE FROM DAYSHT WHERE DSHT_ID = " + std::to_string(line));
    auto chk = Check(0, false);
    ASSERT_TRUE(chk->Ran()) << chk->Error();
    EXPECT_TRUE(chk->Accounts().empty());
    ASSERT_EQ(chk->Producers().size(), 1u);
    const ArChkProducerRow& p = chk->Producers()[0];
    EXPECT_EQ(p.code, producer);
    EXPECT_EQ(p.prod_ar - p.prod_analysis, amount);
    EXPECT_EQ(p.bill_ar - p.bill_analysis, amount);
    EXPECT_GT(p.prod_ar, 0);
    // The section's header opens the file (no account line precedes it), then the line.
    const std::vector<std::string> text = Lines(ReadFile(TextPath()));
    ASSERT_EQ(text.size(), 6u);
    EXPECT_EQ(text[0], "Date d'exécution : 15 nov. 2024 - 17:30:00 Divergences C / R (Dr)");
    char expect[200];
    std::snprintf(expect, sizeof expect, "%-30.30s %14.2f     %14.2f     %14.2f     %14.2f",
                  producer.c_str(), p.prod_ar / 100.0, p.prod_analysis / 100.0, p.bill_ar / 100.0,
                  p.bill_analysis / 100.0);
    EXPECT_EQ(text[5], expect);

    // A producer's brought-forward balance changed: the SQL path sees the difference on its
    // producer's side only.
    Clean();
    const std::string code =
        db.QueryText("SELECT MIN(PROD_CODE) FROM PRODCD WHERE PROD_TYPE = 'D' AND PROD_CODE <> '" +
                     producer + "'");
    Exec("UPDATE PRODCD SET PROD_AR_PROD = PROD_AR_PROD + 4321 WHERE PROD_CODE = '" + code + "'");
    auto sql = Check(1, false);
    std::vector<std::string> codes;
    for (const ArChkProducerRow& r : sql->Producers())
        codes.push_back(r.code);
    // The removed day-sheet line is not read on this path: only the changed producer.
    ASSERT_EQ(codes, std::vector<std::string>{code});
    const ArChkProducerRow& q = sql->Producers()[0];
    EXPECT_EQ(q.prod_analysis - q.prod_ar, 4321);
    EXPECT_EQ(q.bill_analysis, q.bill_ar);
}

TEST_P(ArChkTest, PaymentPostedDuringTheCheckDiscardsTheFile) {
    // An account with a patient, and the dentist who treats it.
    const long account =
        Int("SELECT MIN(PAT_ACCID) FROM PATIENT WHERE PAT_ACCID IN (SELECT ACC_ID FROM ACCOUNT "
            "WHERE ACC_DELETE_DATE = 0 AND ACC_SYS_INACTIVE <> 'Y')");
    const long patient =
        Int("SELECT MIN(PAT_ID) FROM PATIENT WHERE PAT_ACCID = " + std::to_string(account));
    const std::string billdr =
        t_->db().QueryText("SELECT MIN(PROD_BILLDR) FROM PRODCD WHERE PROD_TYPE = 'D'");
    ASSERT_GT(patient, 0);
    std::unique_ptr<GenDB> other = t_->OpenAnother();
    // Another workstation posts a 25.00 payment to the patient's credit once the analysis
    // is built: ledger, day sheet and stored balance together, as the host posts it.
    auto post = [&] {
        const std::string a = std::to_string(account), p = std::to_string(patient);
        ASSERT_TRUE(other->Begin());
        for (const std::string& sql :
             {"INSERT INTO ACCPMT (APMT_ID, APMT_ACCID, APMT_RECTYPE, APMT_TYPE, APMT_DATE, "
              "APMT_SYSDATE, APMT_TOTAL, APMT_PMT) VALUES (900001, " +
                  a + ", 'P', 'P', 20241115, 20241115, 2500, 'Y')",
              "INSERT INTO PMTAPP (PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_PATID, PAPP_TYPE, "
              "PAPP_DATE, PAPP_SYSDATE, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR) VALUES "
              "(900001, 900001, 'P', " +
                  p + ", 'P', 20241115, 20241115, 2500, 'D" + billdr + "', '" + billdr + "')",
              "INSERT INTO DAYSHT (DSHT_ID, DSHT_DATE, DSHT_RECID, DSHT_BILLDR, DSHT_PRODUCER, "
              "DSHT_SORTID, DSHT_RECTYPE, DSHT_PATID) VALUES (900001, 20241115, 900001, '" +
                  billdr + "', 'D" + billdr + "', 'L', 'A', " + p + ")",
              "UPDATE ACCOUNT SET ACC_PAT_BAL = ACC_PAT_BAL - 2500 WHERE ACC_ID = " + a})
            ASSERT_EQ(other->dbExecute(sql), 0) << sql << other->dbLastError();
        ASSERT_TRUE(other->Commit());
    };
    auto chk = Check(1, false, nullptr, post);
    ASSERT_TRUE(chk->Ran()) << chk->Error();
    // The accounts agree (the balance moved with the ledger); the analysis, built before the
    // payment, differs for the dentist by the payment: a divergence that is not one, and the
    // day sheet's count says so.
    EXPECT_TRUE(chk->Accounts().empty());
    ASSERT_EQ(chk->Producers().size(), 1u);
    EXPECT_EQ(chk->Producers()[0].code, "D" + billdr);
    EXPECT_EQ(chk->Producers()[0].prod_analysis - chk->Producers()[0].prod_ar, 2500);
    EXPECT_EQ(chk->CountAfter(), chk->CountBefore() + 1);
    EXPECT_TRUE(chk->Discarded());
    EXPECT_FALSE(fs::exists(TextPath()));
    EXPECT_FALSE(fs::exists(PdfPath()));
    EXPECT_FALSE(fs::exists(LogPath()));

    // Run again, the payment is in the analysis too: nothing to list.
    EXPECT_EQ(Check(1, false)->Divergences(), 0);
}

TEST_P(ArChkTest, LockHeldByAnotherWorkstationAnswers6310) {
    const long id = Int("SELECT MIN(ACC_ID) FROM ACCOUNT WHERE ACC_PAT_BAL <> 0");
    Exec("UPDATE ACCOUNT SET ACC_PAT_BAL = ACC_PAT_BAL + 1 WHERE ACC_ID = " + std::to_string(id));
    const auto before = Balances();
    std::unique_ptr<GenDB> other = t_->OpenAnother();
    ASSERT_TRUE(other->Lock("ACCOUNT", 3)) << other->dbLastError();
    t_->db().SetLockWaitSeconds(1);
    backend_.messages.clear();
    int result = 0;
    auto chk = Check(1, true, &result);
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(chk->Ran());
    EXPECT_EQ(chk->Error().rfind(host::LoadText(6310), 0), 0u) << chk->Error();
    ASSERT_FALSE(backend_.messages.empty());
    EXPECT_EQ(backend_.messages.back(), host::LoadText(6310));
    EXPECT_FALSE(fs::exists(TextPath()));
    other->Unlock("ACCOUNT", 3);
    EXPECT_EQ(Balances(), before);
    // Once the other workstation is done, the check runs and repairs.
    t_->db().SetLockWaitSeconds(30);
    auto after = Check(1, true);
    EXPECT_EQ(after->Divergences(), 1);
    EXPECT_EQ(after->Repaired(), 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, ArChkTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
