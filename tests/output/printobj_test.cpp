// The printer object: one drawing, three destinations (text, PDF, spreadsheet), and the
// text layout by characters.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/base/env.h"
#include "host/output/ovreport.h"
#include "host/output/printobj.h"
#include "host/output/sheet.h"
#include "tests/output/helpers.h"

using output_test::PdfPages;
using output_test::PdfText;
using output_test::ReadFile;
using output_test::Shell;
using output_test::TextPages;

namespace {

struct Line {
    const char* name;
    const char* amount;
    const char* note;
};

// Names, amounts as the host prints them, and notes that look like spreadsheet formulas.
const Line kLines[] = {
    {"Hygiéniste Émilie", "1,234.56", "=SUM(A1)"},
    {"Tremblay, Luc", "-12.00", "+1 514 555-1212"},
    {"O'Brien, Seán", "0.05", "@maison"},
    {"Gagnon, Marie", "1,000,000.00", "-moins"},
};

class AccountList : public OvReportObj {
  public:
    AccountList(FILE* out, int repeat)
        : OvReportObj(nullptr, nullptr, 'C', true, 0, false, out, false, true),
          total_(repeat * 4) {}
    void SetColumns() override { SetColumnStarts({0, 30, 50}); }
    bool InitialCriteria() override { return true; }
    bool ContinueCriteria() override { return ++i_ < total_; }
    int PrintSubTitle(int line) override {
        PrintText(0, line, "Nom", true);
        PrintText(36, line, "Montant", true);
        PrintText(50, line, "Note", true);
        PrintRule(line + 1, 0, 69);
        return line + 2;
    }
    int PrintDetail(int line) override {
        const Line& l = kLines[i_ % 4];
        PrintFormat(0, line, "%-28.28s  %14s      %s", l.name, l.amount, l.note);
        return 1;
    }
    int GetTitleLNum() override { return 1; }
    std::string GetTitleStr(int) override { return "LISTE DES COMPTES"; }

  private:
    int total_;
    int i_ = 0;
};

class PrintObjTest : public output_test::WithBackend {
  protected:
    std::string Out(const std::string& name) { return host::Env().output_dir + "/" + name; }
};

TEST_F(PrintObjTest, OneReportGivesTheSamePagesInTextAndPdfAndRowsInASpreadsheet) {
    // Pages of 20 lines with details from line 6 hold lines 6..18 (13 details): 28 details
    // make 3 pages.
    const std::string prt = Out("comptes.prt");
    FILE* f = std::fopen(prt.c_str(), "w");
    ASSERT_NE(f, nullptr);
    {
        AccountList text(f, 7);
        text.SetRowPerPage(20);
        text.SetAutomation(1, true);
        ASSERT_TRUE(text.PrintReport());
    }
    std::fclose(f);
    const auto pages = TextPages(ReadFile(prt));
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_NE(pages[0].find("Hygiéniste Émilie                   1,234.56      =SUM(A1)"),
              std::string::npos);
    EXPECT_NE(pages[0].find("\n---------"), std::string::npos);

    // Printer: the PDF named after the title has the same pages.
    {
        AccountList printer(nullptr, 7);
        printer.SetRowPerPage(20);
        printer.SetAutomation(0, true);
        ASSERT_TRUE(printer.PrintReport());
    }
    const std::string pdf = Out("liste_des_comptes.pdf");
    ASSERT_EQ(PdfPages(pdf), 3);
    for (int p = 1; p <= 3; ++p)
        EXPECT_NE(PdfText(pdf, p).find("Page : " + std::to_string(p)), std::string::npos);
    EXPECT_NE(PdfText(pdf, 1).find("Hygiéniste Émilie"), std::string::npos);
    EXPECT_NE(PdfText(pdf, 3).find("Gagnon, Marie"), std::string::npos);

    // Export: the same lines as spreadsheet rows, no pages: one title row, one heading row,
    // 28 detail rows.
    {
        AccountList sheet(nullptr, 7);
        sheet.SetRowPerPage(20);
        sheet.SetAutomation(2, true);
        ASSERT_TRUE(sheet.PrintReport());
        EXPECT_EQ(sheet.GetColsNum(), 3);
    }
    const std::string xlsx = Out("liste_des_comptes.xlsx");
    const std::string strings = Shell("unzip -p '" + xlsx + "' xl/sharedStrings.xml");
    const std::string rows = Shell("unzip -p '" + xlsx + "' xl/worksheets/sheet1.xml");
    ASSERT_FALSE(rows.empty()) << "the spreadsheet cannot be opened";
    size_t row_count = 0;
    for (size_t p = rows.find("<row "); p != std::string::npos; p = rows.find("<row ", p + 1))
        ++row_count;
    EXPECT_EQ(row_count, 30u);
    for (const char* text : {"LISTE DES COMPTES", "Hygiéniste Émilie", "=SUM(A1)",
                             "+1 514 555-1212", "@maison", "-moins", "O'Brien, Seán"})
        EXPECT_NE(strings.find(text), std::string::npos) << text;
    // Formula-looking texts stay text: no cell holds a formula.
    EXPECT_EQ(rows.find("<f>"), std::string::npos);
    // Amounts are numbers.
    for (const char* v : {"<v>1234.56</v>", "<v>-12</v>", "<v>0.05</v>", "<v>1000000</v>"})
        EXPECT_NE(rows.find(v), std::string::npos) << v;
}

TEST_F(PrintObjTest, TextPagesLayCharactersRulesAndBoxes) {
    const std::string prt = Out("layout.prt");
    FILE* f = std::fopen(prt.c_str(), "w");
    ASSERT_NE(f, nullptr);
    TOrvoPrintObj p(nullptr, nullptr, 'C', 'N', 10, 0, 0, f);
    ASSERT_TRUE(p.OVOpenReport("essai"));
    p.OVTextPrint(0, 1, "Nom");
    p.OVSetFont("Courier New", 4, 4, true);
    p.OVTextPrint(5, 1, "Hygiéniste");  // ten characters, twelve bytes
    p.OVResetFont();
    p.OVTextPrint(16, 1, "Fin");
    p.OVTextPrint(3, 2, "X");
    p.OVDrawHorzLine(0, 9, 2);  // a rule never hides text
    p.OVDrawDoubHLine(4, 2, 3);
    p.OVTextPrint(2, 5, "ab");
    p.OVDrawRectangle(0, 4, 6, 6);
    p.OVTextPrint(0, 7,
                  "a\tb\x01"
                  "c caf\xe9\nsuite");
    p.OVPageBreak();
    p.OVTextPrint(0, 2, "p2");
    ASSERT_TRUE(p.OVCloseReport());
    EXPECT_EQ(p.PageCount(), 2);
    std::fclose(f);
    EXPECT_EQ(ReadFile(prt),
              "Nom  Hygiéniste Fin\n"
              "---X------\n"
              "  ===\n"
              "+-----+\n"
              "| ab  |\n"
              "+-----+\n"
              "a bc café\n"
              "suite\n"
              "\f\n"
              "p2\n");
    // No PDF when only a text file was asked for.
    EXPECT_TRUE(p.PdfPath().empty());
}

TEST_F(PrintObjTest, ReportsSharingAFileKeepTheirPagesApart) {
    const std::string prt = Out("shared.prt");
    FILE* f = std::fopen(prt.c_str(), "w");
    for (const char* text : {"premier rapport", "sommaire"}) {
        TOrvoPrintObj p(nullptr, nullptr, 'C', 'Y', 10, 0, 0, f);
        p.OVOpenReport(text);
        p.OVTextPrint(0, 1, text);
        p.OVCloseReport();
    }
    std::fclose(f);
    EXPECT_EQ(ReadFile(prt), "premier rapport\n\fsommaire\n");
}

TEST_F(PrintObjTest, AbortKeepsTheTextAndDropsThePdf) {
    const std::string prt = Out("abort.prt");
    FILE* f = std::fopen(prt.c_str(), "w");
    TOrvoPrintObj p(nullptr, nullptr, 'C', 'Y', 10, 0, 0, f);
    p.SetPdfFile("abort.pdf");
    p.OVOpenReport("abort");
    p.OVTextPrint(0, 1, "page 1");
    p.OVPageBreak();
    p.OVTextPrint(0, 1, "page 2");
    p.OVAbortReport();
    std::fclose(f);
    EXPECT_FALSE(std::filesystem::exists(Out("abort.pdf")));
    const auto pages = TextPages(ReadFile(prt));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[1], "page 2\n\n*** Rapport interrompu par l'utilisateur ***\n");
}

TEST_F(PrintObjTest, UnwritablePdfIsReportedNotLost) {
    TOrvoPrintObj p;
    p.SetPdfFile("/proc/rapports-impossible/x.pdf");
    p.OVOpenReport("x");
    p.OVTextPrint(0, 1, "texte");
    EXPECT_FALSE(p.OVCloseReport());
    EXPECT_NE(p.LastError().find("/proc/rapports-impossible/x.pdf"), std::string::npos);
}

TEST(SheetAmounts, OnlyTheHostAmountShapeIsANumber) {
    double v = 0;
    EXPECT_TRUE(host::output::SheetWriter::ParseAmountText(" 1,234,567.89", &v));
    EXPECT_DOUBLE_EQ(v, 1234567.89);
    EXPECT_TRUE(host::output::SheetWriter::ParseAmountText("-0.05", &v));
    EXPECT_DOUBLE_EQ(v, -0.05);
    for (const char* text : {"12", "12.5", "1,23.45", "12,345,67.00", ".50", "1.234", "=1.00",
                             "+1.00", "1 234.00", "00123", "-", ",123.00"})
        EXPECT_FALSE(host::output::SheetWriter::ParseAmountText(text, &v)) << text;
}

}  // namespace
