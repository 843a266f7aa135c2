// Month-end statements over the receivable suites' hand-built practice (ar_practice.h, as of
// 2024-11-15), in both calculation modes on each engine: who gets a statement, its detail
// lines, aged amounts and balance, the run file, stacked and alignment forms; and the
// reprint of a saved month-end.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <numeric>

#include "closing/mendstmt.h"
#include "closing/reprint_me.h"
#include "host/base/dates.h"
#include "host/base/env.h"
#include "host/output/textprint.h"
#include "tests/closing/deposit_practice.h"
#include "tests/receivables/ar_practice.h"

namespace {

namespace fs = std::filesystem;
using deposit_test::Cols;
using output_test::PdfPages;
using output_test::PdfText;
using output_test::ReadFile;

std::string Joined(const std::vector<std::vector<std::string>>& sheets) {
    std::string out;
    for (const auto& s : sheets)
        for (const auto& l : s)
            out += l + "\n";
    return out;
}

class StatementsTest : public followup_test::EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        ar_test::BuildPractice(db());
        data_ = fs::path(host::Env().output_dir) / ("data-" + std::to_string(++runs_));
        fs::remove_all(data_);
        saved_data_ = host::Env().data_dir;
        host::Env().data_dir = data_.string();
        host::SetFixedToday(ar_test::kAsOf);
        host::SetFixedTime(14, 5, 0);
    }
    void TearDown() override {
        host::SetFixedTime(-1, -1, -1);
        host::SetFixedToday(0);
        host::Env().data_dir = saved_data_;
        EngineTest::TearDown();
    }
    MSFormInfo Info(const std::string& pdf) {
        MSFormInfo i;
        i.stmt_date = ar_test::kAsOf;
        i.period_from = 20241016;
        i.period_to = ar_test::kAsOf;
        i.pdf_file = pdf;
        return i;
    }
    // Lavoie gets no statements; Côté is deleted without a deletion date.
    void Exclusions() {
        const std::string p = db().dbTablePrefix();
        testing_support::Exec(db(),
                              "UPDATE " + p + "ACCOUNT SET ACC_STATEMENTS = 'N' WHERE ACC_ID = 6");
        testing_support::Exec(db(),
                              "UPDATE " + p + "ACCOUNT SET ACC_STATUS = 'D' WHERE ACC_ID = 5");
    }
    static std::vector<long> Ids(const MEndStmntForm& f) {
        std::vector<long> ids;
        for (const MendInfoElem& e : f.MEInfoList())
            ids.push_back(e.acc_id);
        return ids;
    }
    fs::path data_;
    std::string saved_data_;
    static inline int runs_ = 0;
};

TEST_P(StatementsTest, EachAccountsBalanceAgedAmountsAndOpenTransactions) {
    Exclusions();
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode);
        app_->m_CalAR = mode;
        MEndStmntForm form(launcher_.get(), nullptr,
                           Info("etats-" + std::to_string(mode) + ".pdf"));
        form.KeepText(true);
        ASSERT_TRUE(form.PrintForm()) << form.Error();
        // By name; Gagnon (deleted), Lavoie (no statements) and Côté ('D') are left out.
        EXPECT_EQ(Ids(form), (std::vector<long>{7, 2, 4, 1}));
        // Tremblay: 30.00 over 90, 150.00 at 61-90, 35.00 current, 80.00 to come.
        EXPECT_EQ(form.Info().count, 4);
        EXPECT_EQ(form.Info().total, 12000 + 8000 + 4000 + 29500);
        EXPECT_EQ(ReadFile(form.RunFilePath()),
                  "20241115000040000000535002024101620241115\n"
                  "00000000000720241115000000012000N\n"
                  "00000000000220241115000000008000N\n"
                  "00000000000420241115000000004000N\n"
                  "00000000000120241115000000029500N\n");
        EXPECT_EQ(fs::path(form.RunFilePath()).filename(), "20241115-1405.stm");

        ASSERT_EQ(form.SheetText().size(), 4u);
        const std::string tremblay = Joined({form.SheetText()[3]});
        for (const std::string& line : {
                 Cols({{6, "Luc Tremblay"}}),
                 Cols({{0, "01/07/2024"},
                       {11, "Luc"},
                       {22, "FRA"},
                       {29, "Frais du cabinet"},
                       {49, "     30.00"},
                       {59, "      0.00"},
                       {69, "     30.00"}}),
                 Cols({{0, "01/09/2024"},
                       {11, "Léa"},
                       {29, "Traitement"},
                       {49, "    200.00"},
                       {59, "     50.00"},
                       {69, "    150.00"}}),
                 Cols({{0, "01/11/2024"},
                       {11, "Luc"},
                       {29, "Traitement"},
                       {49, "    100.00"},
                       {59, "     65.00"},
                       {69, "     35.00"}}),
                 Cols({{0, "01/12/2024"},
                       {11, "Luc"},
                       {29, "Traitement"},
                       {49, "     80.00"},
                       {59, "      0.00"},
                       {69, "     80.00"}}),
                 Cols({{1, "       35.00"},
                       {14, "        0.00"},
                       {27, "      150.00"},
                       {40, "       30.00"},
                       {53, "       80.00"}}),
                 Cols({{52, "Solde du compte :"}, {67, "      295.00"}}),
             })
            EXPECT_NE(tremblay.find(line + "\n"), std::string::npos) << line << "\n" << tremblay;
        // O'Brien: what remains of the treatment less the unapplied credit.
        const std::string obrien = Joined({form.SheetText()[1]});
        EXPECT_NE(obrien.find(Cols({{0, "01/10/2024"},
                                    {11, "Seán"},
                                    {29, "Traitement"},
                                    {49, "    500.00"},
                                    {59, "    400.00"},
                                    {69, "    100.00"}})),
                  std::string::npos)
            << obrien;
        EXPECT_NE(obrien.find(Cols({{0, "10/11/2024"},
                                    {11, "Seán"},
                                    {29, "Crédit au compte"},
                                    {49, "          "},
                                    {59, "     20.00"},
                                    {69, "    -20.00"}})),
                  std::string::npos)
            << obrien;
        EXPECT_NE(obrien.find(Cols({{1, "        0.00"}, {14, "       80.00"}})),
                  std::string::npos);

        // The PDF holds the same sheets.
        EXPECT_EQ(PdfPages(form.PdfPath()), 4);
        const std::string pdf = PdfText(form.PdfPath(), 2);
        EXPECT_NE(pdf.find("O'Brien"), std::string::npos) << pdf;
        EXPECT_NE(pdf.find("Crédit au compte"), std::string::npos) << pdf;
    }
}

TEST_P(StatementsTest, NameRangeWithTheUpperBoundExtendedByZ) {
    auto run = [&](const std::string& from, const std::string& to) {
        MSFormInfo info = Info("etats-range.pdf");
        info.from_name = from;
        info.to_name = to;
        MEndStmntForm form(launcher_.get(), nullptr, info);
        EXPECT_TRUE(form.PrintForm()) << form.Error();
        return Ids(form);
    };
    EXPECT_EQ(run("", ""), (std::vector<long>{7, 5, 6, 2, 4, 1}));
    EXPECT_EQ(run("l", "o'brien"), (std::vector<long>{6, 2}));
    // "R" reaches every name that begins with R, whatever follows.
    EXPECT_EQ(run("C", "R"), (std::vector<long>{5, 6, 2, 4}));
    EXPECT_EQ(run("Tremblay", ""), (std::vector<long>{1}));
    EXPECT_EQ(run("Z", ""), (std::vector<long>{}));

    EXPECT_TRUE(MEndStmntForm::NameInRange("Roy", "", "R"));
    EXPECT_TRUE(MEndStmntForm::NameInRange("roy", "ROY", "ro"));
    EXPECT_FALSE(MEndStmntForm::NameInRange("Tremblay", "", "R"));
    EXPECT_FALSE(MEndStmntForm::NameInRange("Bélanger", "C", ""));
    const std::string sql = MEndStmntForm::SelectionSql("XX_", "d'Arcy", "o'brien");
    EXPECT_NE(sql.find(" AND UPPER(acc_lname) >= 'D''ARCY'"), std::string::npos) << sql;
    EXPECT_NE(sql.find(" AND UPPER(acc_lname) <= 'O''BRIENZ'"), std::string::npos) << sql;
    EXPECT_NE(sql.find("FROM XX_ACCOUNT where acc_delete_date = 0 and acc_statements = 'Y'"),
              std::string::npos);
}

TEST_P(StatementsTest, StackedFormsShareASheetThreeByThree) {
    Exclusions();
    MSFormInfo info = Info("etats-stacked.pdf");
    info.stacked = true;
    MEndStmntForm form(launcher_.get(), nullptr, info);
    form.KeepText(true);
    ASSERT_TRUE(form.PrintForm()) << form.Error();
    ASSERT_EQ(form.SheetText().size(), 2u);
    // Headers two rows below offsets 0, 43 and 86; the fourth statement on a new sheet at 0.
    const auto& first = form.SheetText()[0];
    ASSERT_GE(first.size(), 89u);
    for (int row : {2, 45, 88})
        EXPECT_NE(first[static_cast<size_t>(row - 1)].find("ÉTAT DE COMPTE"), std::string::npos)
            << row;
    EXPECT_NE(first[3].find("No de compte :   7"), std::string::npos) << first[3];
    EXPECT_NE(first[46].find("No de compte :   2"), std::string::npos);
    EXPECT_NE(first[89].find("No de compte :   4"), std::string::npos);
    EXPECT_NE(form.SheetText()[1][3].find("No de compte :   1"), std::string::npos);
    EXPECT_EQ(PdfPages(form.PdfPath()), 2);
}

TEST_P(StatementsTest, LongStatementsContinueOnTheNextForm) {
    // Roy: 20 office charges of 1.00 to 20.00, on the first 20 days of October.
    for (int i = 1; i <= 20; ++i)
        Insert("PATOCH", "POCH_ID, POCH_PATID, POCH_DATE, POCH_SYSDATE, POCH_TOTAL, POCH_BILLDR",
               std::to_string(100 + i) + ", 41, " + std::to_string(20241000 + i) + ", " +
                   std::to_string(20241000 + i) + ", " + std::to_string(100 * i) + ", '01'");
    MSFormInfo info = Info("etats-long.pdf");
    info.from_name = info.to_name = "Roy";
    MEndStmntForm form(launcher_.get(), nullptr, info);
    form.KeepText(true);
    ASSERT_TRUE(form.PrintForm()) << form.Error();
    ASSERT_EQ(form.SheetText().size(), 2u);
    const std::string one = Joined({form.SheetText()[0]}), two = Joined({form.SheetText()[1]});
    EXPECT_NE(one.find("Suite à la page suivante..."), std::string::npos);
    EXPECT_EQ(one.find("Solde du compte"), std::string::npos);
    // 18 lines on the first form (the treatment of September, then October 1 to 17), the
    // last 3 on the second with the balance: 40.00 + 1.00 + ... + 20.00 = 250.00.
    EXPECT_NE(one.find("17/10/2024"), std::string::npos) << one;
    EXPECT_EQ(two.find("17/10/2024"), std::string::npos) << two;
    EXPECT_NE(two.find("18/10/2024"), std::string::npos) << two;
    EXPECT_NE(two.find("      250.00"), std::string::npos) << two;
    EXPECT_EQ(form.MEInfoList().at(0).balance, 25000);
}

TEST_P(StatementsTest, AlignmentFormsHoldPlaceholdersOnly) {
    for (bool single : {false, true}) {
        MSFormInfo info = Info("alignement.pdf");
        info.single_form = single;
        AlgnMEndStmntForm form(launcher_.get(), nullptr, info);
        form.KeepText(true);
        ASSERT_TRUE(form.PrintForm()) << form.Error();
        ASSERT_EQ(form.SheetText().size(), single ? 1u : 3u);
        const std::string text = Joined(form.SheetText());
        for (const char* data :
             {"Tremblay", "O'Brien", "Luc", "295.00", "15/11/2024", "Traitement"})
            EXPECT_EQ(text.find(data), std::string::npos) << data;
        EXPECT_NE(text.find("X (XXX) XXX-XXXX"), std::string::npos);
        EXPECT_NE(text.find("X.X. XXXX"), std::string::npos);
        EXPECT_NE(text.find("XXXXXXXXXXXXXXXXType"), std::string::npos);
        EXPECT_NE(text.find(", XXX  XXX XXX"), std::string::npos);
        EXPECT_TRUE(form.MEInfoList().empty());
        EXPECT_EQ(PdfPages(form.PdfPath()), single ? 1 : 3);
    }
}

TEST_P(StatementsTest, TheStatementFolderIsCreatedAndABadOneStopsTheRun) {
    ASSERT_FALSE(fs::exists(data_ / "etats"));
    MEndStmntForm form(launcher_.get(), nullptr, Info("etats-dir.pdf"));
    ASSERT_TRUE(form.PrintForm()) << form.Error();
    EXPECT_TRUE(fs::exists(data_ / "etats" / "20241115-1405.stm"));
    // A folder that cannot be made (a file is in its way): a message, no statements.
    fs::remove_all(data_);
    fs::create_directories(data_);
    std::FILE* f = std::fopen((data_ / "etats").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    MEndStmntForm bad(launcher_.get(), nullptr, Info("etats-bad.pdf"));
    EXPECT_FALSE(bad.PrintForm());
    EXPECT_NE(bad.Error().find("ne peut pas"), std::string::npos) << bad.Error();
    EXPECT_TRUE(bad.MEInfoList().empty());
}

INSTANTIATE_TEST_SUITE_P(Engines, StatementsTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

// --- Reprint of a saved month-end ---

class ReprintTest : public output_test::WithBackend {
  protected:
    // Writes text as the month-end keeps it: a page marker ("\n+++" and ten line feeds)
    // before the first line and before every line that begins with "==========".
    static std::string Save(const std::string& name, const std::vector<std::string>& lines) {
        const std::string path = host::output::OutputPath(name);
        std::FILE* f = std::fopen(path.c_str(), "w");
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i == 0 || lines[i].rfind("==========", 0) == 0)
                std::fputs("\n+++\n\n\n\n\n\n\n\n\n\n", f);
            std::fputs((lines[i] + "\n").c_str(), f);
        }
        std::fclose(f);
        return path;
    }
    static std::vector<host::output::TextPage> Reprint(const std::string& path, bool* ok) {
        const std::string prt = host::output::OutputPath("reprint-test.prt");
        std::FILE* out = std::fopen(prt.c_str(), "w");
        ReprintMEObj obj(nullptr, nullptr, path, out);
        *ok = obj.PrintReport();
        std::fclose(out);
        std::vector<host::output::TextPage> pages;
        std::string error;
        host::output::ReadTextPages(prt, &pages, &error);
        return pages;
    }
};

TEST_F(ReprintTest, PagesStartAtTheMarkersUnderTheirTitles) {
    const std::string path = Save("20241130.me", {
                                                     "\fRAPPORT DE FIN DE MOIS",
                                                     "  Novembre 2024",
                                                     "--------------------",
                                                     "  01   1,000.00",
                                                     "==========",
                                                     "Sommaire des dépôts",
                                                     "  12     500.00",
                                                     "==========",
                                                     "A1",
                                                     "B2",
                                                     "C3",
                                                     "D4",
                                                     "E5",
                                                     "  99",
                                                 });
    bool ok = false;
    const auto pages = Reprint(path, &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(pages.size(), 3u);
    auto has = [](const host::output::TextPage& p, const std::string& s) {
        for (const std::string& l : p)
            if (l.find(s) != std::string::npos) return true;
        return false;
    };
    EXPECT_EQ(pages[0][0].rfind("RAPPORT DE FIN DE MOIS", 0), 0u) << pages[0][0];
    EXPECT_NE(pages[0][0].find("Page :    1"), std::string::npos) << pages[0][0];
    EXPECT_EQ(pages[0][1], "  Novembre 2024");
    EXPECT_TRUE(has(pages[0], "--------------------"));
    EXPECT_TRUE(has(pages[0], "  01   1,000.00"));
    EXPECT_FALSE(has(pages[0], "=========="));
    EXPECT_NE(pages[1][0].find("Sommaire des dépôts"), std::string::npos);
    EXPECT_NE(pages[1][0].find("Page :    2"), std::string::npos);
    EXPECT_TRUE(has(pages[1], "  12     500.00"));
    // Four title lines at most: the fifth letter-led line is printed as a line of the page.
    EXPECT_EQ(pages[2][1], "B2");
    EXPECT_EQ(pages[2][3], "D4");
    EXPECT_TRUE(has(pages[2], "E5"));
    EXPECT_TRUE(has(pages[2], "  99"));
    EXPECT_NE(pages[2][0].find("Page :    3"), std::string::npos);
}

TEST_F(ReprintTest, AnUnreadableFilePrintsNothing) {
    bool ok = true;
    const auto pages = Reprint(host::output::OutputPath("absent.me", false), &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(pages.empty() || (pages.size() == 1 && pages[0].empty()));
}

TEST(ReprintList, MonthsAndYearsOfTheFileNames) {
    EXPECT_EQ(TReprintMEDlg::GetMonthString(1), "Janvier");
    EXPECT_EQ(TReprintMEDlg::GetMonthString(12), "Décembre");
    EXPECT_EQ(TReprintMEDlg::GetMonthString(14), "02");
    EXPECT_EQ(TReprintMEDlg::GetMonthString(25), "");
    const long t = 1732960800;  // 2024-11-30 10:00 UTC
    const std::string line = TReprintMEDlg::ListLine("20241130.me", t);
    EXPECT_EQ(line.rfind("Nov, 2024\t", 0), 0u) << line;
    EXPECT_EQ(TReprintMEDlg::ListLine("20241330.me", t).rfind(" 01, 2024\t", 0), 0u);
    EXPECT_EQ(TReprintMEDlg::ListLine("20240830.me", t).rfind("Aoû, 2024\t", 0), 0u);
}

}  // namespace
