// The practice memo report over a hand-built set of memos: which fall in the period, the
// order of the sections and lines, the memo text, on both reading paths and every engine.
#include <gtest/gtest.h>

#include "followup/memo_reports.h"
#include "tests/followup/followup_support.h"

namespace {

using followup_test::At;

// Patients 1 Côté Élise and 2 Abel Marc, user 1 (logon "jdoe", name "Jeanne"), producer 1
// D01 Marie Tremblay. Period 2024-11-10 to 2024-11-15. Memos (id: owner, due, type):
//   1: patient 1, 11-15 (the to date), rich text on two lines   listed
//   2: patient 2, 11-16 (the day after)                         not listed
//   3: patient 2, 11-10 (the from date)                         listed
//   4: patient 1, 11-09 (the day before)                        not listed
//   5: user 1, 11-10, SCH                                       last section
//   6: user 1, 11-14, MEMO                                      user section
//   7: producer 1, 11-12                                        producer section
//   8: patient 2 and producer 1, 11-11                          once in each section
//   9: user 1, 11-15, SCH                                       after memo 5
//  10: patient 99 (no record), 11-12                            not listed
// Printed order: 3, 8, 1 | 6 | 8, 7 | 5, 9.
class MemoTest : public followup_test::EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        Insert("PATIENT", "PAT_ID, PAT_LNAME, PAT_PNAME", "1, 'Côté', 'Élise'");
        Insert("PATIENT", "PAT_ID, PAT_LNAME, PAT_PNAME", "2, 'Abel', 'Marc'");
        Insert("USERIDCD", "USR_ID, USER_LOGON, USER_NAME", "1, 'jdoe', 'Jeanne'");
        Insert("PRODCD", "PROD_ID, PROD_CODE, PROD_FIRST_NAME, PROD_LAST_NAME",
               "1, 'D01', 'Marie', 'Tremblay'");
        Memo(1, 1, 0, 0, 20241115, "MEMO",
             "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Rappeler pour le plan\\par "
             "deuxi\\'e8me ligne\\par}");
        Memo(2, 2, 0, 0, 20241116, "MEMO", "trop tard");
        Memo(3, 2, 0, 0, 20241110, "MEMO", "Confirmer l'assurance");
        Memo(4, 1, 0, 0, 20241109, "MEMO", "trop tôt");
        Memo(5, 0, 1, 0, 20241110, "SCH", "horaire du 10");
        Memo(6, 0, 1, 0, 20241114, "MEMO", "commande");
        Memo(7, 0, 0, 1, 20241112, "MEMO", "formation");
        Memo(8, 2, 0, 1, 20241111, "MEMO", "radiographies");
        Memo(9, 0, 1, 0, 20241115, "SCH", "horaire du 15");
        Memo(10, 99, 0, 0, 20241112, "MEMO", "orphelin");
    }
    void Memo(long id, long pat, long user, long prod, long due, const char* type,
              const std::string& text) {
        Insert("PATNOTE",
               "PNOT_ID, PNOT_PATID, PNOT_USERID, PNOT_PRDID, PNOT_TYPE, PNOT_DUEDATE, "
               "PNOT_COMMENT",
               std::to_string(id) + ", " + std::to_string(pat) + ", " + std::to_string(user) +
                   ", " + std::to_string(prod) + ", '" + type + "', " + std::to_string(due) + ", " +
                   host::SqlQuote(text));
    }
};

TEST_P(MemoTest, ThePeriodsMemosInSectionOrderOnBothPaths) {
    std::string first_text;
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "SQL" : "records");
        MemoReportRun run(20241110, 20241115, mode);
        const std::string text = followup_test::RunToText(run, launcher_.get(), "tickrpt");
        std::vector<long> ids;
        std::vector<int> kinds;
        for (const memo::MemoLine& l : run.Data().lines) {
            ids.push_back(l.memo_id);
            kinds.push_back(l.kind);
        }
        EXPECT_EQ(ids, (std::vector<long>{3, 8, 1, 6, 8, 7, 5, 9}));
        EXPECT_EQ(kinds, (std::vector<int>{2, 2, 2, 25, 37, 37, 65, 65}));
        // Sections in order, each memo under its own.
        const size_t pat = At(text, "Mémo(s) du Patient:");
        const size_t usr = At(text, "Mémo(s) de l'Usager:");
        const size_t prd = At(text, "Mémo(s) du Producteur:");
        const size_t sch = At(text, "Mémo(s) Inconnu(s):");
        EXPECT_LT(pat, usr);
        EXPECT_LT(usr, prd);
        EXPECT_LT(prd, sch);
        EXPECT_LT(At(text, "Abel, Marc                      10/11/2024  Confirmer l'assurance"),
                  At(text, "Côté, Élise                     15/11/2024  Rappeler pour le plan"));
        // The rich text's second line under the first, in the note's column.
        At(text, "Rappeler pour le plan\n" + std::string(44, ' ') + "deuxième ligne\n");
        EXPECT_GT(At(text, "jdoe, Jeanne                    14/11/2024  commande"), usr);
        EXPECT_GT(At(text, "Tremblay, Marie                 11/11/2024  radiographies"), prd);
        EXPECT_GT(At(text, "horaire du 15"), At(text, "horaire du 10"));
        for (const char* absent : {"trop tard", "trop tôt", "orphelin", "rtf", "Arial"})
            EXPECT_EQ(text.find(absent), std::string::npos) << absent;
        At(text, "Rapport des Mémo(s) du Cabinet");
        At(text, "10/11/2024 to 15/11/2024");
        if (mode == 1)
            first_text = text;
        else
            EXPECT_EQ(text, first_text);
    }
}

TEST_P(MemoTest, TheDataFileHoldsOneRowPerPrintedLine) {
    MemoReportRun run(20241110, 20241115, 1);
    followup_test::RunToText(run, launcher_.get(), "tickrpt");
    const auto files = run.DataFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].xml_file, "\\XML\\tick.xml");
    const host::output::ReportTable& t = *files[0].table;
    ASSERT_EQ(t.RowCount(), 8u);
    const auto cell = [&](size_t row, const char* key) {
        return t.Rows()[row].cells[t.Index(key)].text;
    };
    EXPECT_EQ(cell(2, "Nom"), "Côté, Élise");
    EXPECT_EQ(cell(2, "Note"), "Rappeler pour le plan\ndeuxième ligne");
    EXPECT_EQ(cell(4, "Section"), "Mémo(s) du Producteur:");
    EXPECT_EQ(cell(7, "Type"), "SCH");
    const std::string xml = host::output::OutputPath("tick-test.xml");
    std::string error;
    ASSERT_TRUE(t.SaveXml(xml, &error)) << error;
    const std::string saved = output_test::ReadFile(xml);
    EXPECT_NE(saved.find("Confirmer l'assurance"), std::string::npos);
}

TEST_P(MemoTest, AnEmptyPeriodPrintsHeadingsOnlyAndABadPeriodIsRefused) {
    MemoReportRun empty(20230101, 20230131, 1);
    const std::string text = followup_test::RunToText(empty, launcher_.get(), "tickrpt");
    EXPECT_TRUE(empty.Data().lines.empty());
    EXPECT_EQ(text.find("Mémo(s) du Patient:"), std::string::npos);
    MemoReportRun bad(20241115, 20241110, 1);
    std::string error;
    EXPECT_FALSE(reports::RunHeadless(bad, launcher_.get(), nullptr, 1, "tickrpt", &error));
    EXPECT_NE(error.find("Période invalide"), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(Engines, MemoTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

TEST(MemoText, RichTextLosesItsMarkupAndKeepsItsCharacters) {
    EXPECT_EQ(memo::PlainLines("{\\rtf1\\ansi{\\*\\generator Riched20;}\\pard caf\\'e9 "
                               "\\{x\\}\\tab y\\line {\\b gras}\\par\\par}"),
              (std::vector<std::string>{"café {x} y", "gras"}));
    EXPECT_EQ(memo::PlainLines("un\r\ndeux\n\n"), (std::vector<std::string>{"un", "deux"}));
    EXPECT_TRUE(memo::PlainLines("").empty());
    // A cut-off escape at the end is dropped, not read past the text.
    EXPECT_EQ(memo::PlainLines("{\\rtf1 fin\\'e"), (std::vector<std::string>{"fin"}));
    // Long lines break at a blank within the width, or hard when there is none.
    EXPECT_EQ(memo::NoteLines("aaa bbb ccc", 7), (std::vector<std::string>{"aaa bbb", "ccc"}));
    EXPECT_EQ(memo::NoteLines("éééééééé", 3), (std::vector<std::string>{"ééé", "ééé", "éé"}));
}

TEST(MemoKey, ScheduledUserMemosSortAfterEveryOtherKind) {
    memo::MemoLine sch, pat;
    sch.due_date = 20200101;
    sch.type = "SCH";
    sch.kind = memo::kUser;
    pat.due_date = 20991231;
    pat.kind = memo::kProducer;
    pat.last_name = "Zz";
    EXPECT_EQ(memo::MemoKey(&sch), " 6520200101");
    EXPECT_EQ(sch.kind, memo::kScheduledUser);
    EXPECT_LT(memo::MemoKey(&pat), " 65");
}

}  // namespace
