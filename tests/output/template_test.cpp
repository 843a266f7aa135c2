// The template printer: a template over the practice tables on every engine, one over XML
// rows with hand-computed subtotals, formulas from the caller, exports, missing templates
// and bad formulas; the template definitions themselves; the two commands.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "host/base/env.h"
#include "host/output/template_def.h"
#include "host/output/template_printer.h"
#include "host/output/textprint.h"
#include "host/output/xmlexport.h"
#include "host/records/context.h"
#include "tests/output/helpers.h"
#include "tests/support/testdb.h"

using host::output::RunTemplate;
using host::output::TemplateRequest;
using host::output::TemplateResult;
using host::output::TemplateStatus;
using output_test::PdfPages;
using output_test::PdfText;
using output_test::ReadFile;
using output_test::Shell;

namespace fs = std::filesystem;

namespace {

std::string Out(const std::string& name) {
    return host::Env().output_dir + "/" + name;
}

// --- Over the practice tables ---

class SqlTemplateTest : public testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        host::ui::SetBackend(&backend_);
        // A table prefix checks that {P} of the query is replaced.
        db_ = std::make_unique<testing_support::TestDb>(GetParam(), true, "p1_");
        ASSERT_EQ(db_->db().dbExecute(
                      "INSERT INTO p1_BANKCD (BNK_CODE, BNK_NAME, BNK_CITY, BNK_PROV) VALUES "
                      "('B1', 'Banque Nationale', 'Montréal', 'QC'), "
                      "('B2', 'Caisse d''Économie', 'Québec', 'QC'), "
                      "('B3', 'Banque de l''Ouest', 'Toronto', 'ON')"),
                  0)
            << db_->db().dbLastError();
        app_ = std::make_unique<QDSApplication>(&db_->db());
        QDSApplication::SetInstance(app_.get());
    }
    void TearDown() override {
        QDSApplication::SetInstance(nullptr);
        host::ui::SetBackend(nullptr);
    }
    output_test::RecordingBackend backend_;
    std::unique_ptr<testing_support::TestDb> db_;
    std::unique_ptr<QDSApplication> app_;
};

TEST_P(SqlTemplateTest, SelectionAndFormulasShapeThePdf) {
    ST_FORMULAINFO f;
    InitFormulaInfo(&f);
    ASSERT_TRUE(CreateFormula(&f, 0, "", "{bankcd.BNK_PROV} = 'QC'", false, false));
    ASSERT_TRUE(CreateFormula(&f, 2, "ReportTitle", "\"BANQUES DU QUÉBEC\"", false, false));
    ASSERT_TRUE(CreateFormula(&f, 2, "PracticeName",
                              "\"Clinique \"\"Sourire\"\"\" + Chr(13) + \"Laval, QC\"", false,
                              false));
    EXPECT_FALSE(CreateFormula(&f, 2, "", "1", false, false));
    EXPECT_FALSE(CreateFormula(&f, 1, "x", "1", false, false));
    EXPECT_FALSE(CreateFormula(nullptr, 0, "", "1", false, false));

    ASSERT_TRUE(print_crystal_report("bankrpt.rpt", "", 0, nullptr, &f, nullptr, nullptr, true));
    const std::string pdf = Out("bankrpt.pdf");
    ASSERT_EQ(PdfPages(pdf), 1);
    const std::string text = PdfText(pdf);
    for (const char* s :
         {"BANQUES DU QUÉBEC", "Clinique \"Sourire\"", "Laval, QC", "Banque Nationale",
          "Caisse d'Économie", "Québec QC", "Nombre d'enregistrements : 2"})
        EXPECT_NE(text.find(s), std::string::npos) << s;
    EXPECT_EQ(text.find("Toronto"), std::string::npos);
    EXPECT_TRUE(backend_.messages.empty());

    // Preview shows the PDF; a name given by the caller names the file.
    InitFormulaInfo(&f);
    ASSERT_TRUE(
        print_crystal_report("BANKRPT.RPT", "banques", 1, nullptr, &f, nullptr, nullptr, true));
    ASSERT_EQ(backend_.shown_pdf.size(), 1u);
    EXPECT_EQ(backend_.shown_pdf[0], Out("banques.pdf"));
    EXPECT_NE(PdfText(Out("banques.pdf")).find("Nombre d'enregistrements : 3"), std::string::npos);
}

TEST_P(SqlTemplateTest, FailuresReturnFalse) {
    // A missing template: false, no message (the caller shows its text report instead).
    EXPECT_FALSE(
        print_crystal_report("absent.rpt", "", 1, nullptr, nullptr, nullptr, nullptr, true));
    EXPECT_FALSE(print_crystal_report_XML("absent.rpt", "absent.xml", 1, nullptr, true, nullptr));
    EXPECT_TRUE(backend_.messages.empty());

    // A malformed selection: false, and the message gives the position.
    ST_FORMULAINFO f;
    InitFormulaInfo(&f);
    CreateFormula(&f, 0, "", "{bankcd.BNK_PROV} = ", false, false);
    EXPECT_FALSE(print_crystal_report("bankrpt.rpt", "", 0, nullptr, &f, nullptr, nullptr, true));
    ASSERT_EQ(backend_.messages.size(), 1u);
    EXPECT_EQ(backend_.messages[0], "formule de sélection : position 21 : expression attendue");

    // A field the query does not return.
    CreateFormula(&f, 0, "", "{bankcd.BNK_NOPE} = 1", false, false);
    EXPECT_FALSE(print_crystal_report("bankrpt.rpt", "", 0, nullptr, &f, nullptr, nullptr, true));
    EXPECT_NE(backend_.messages.back().find("champ inconnu « bankcd.BNK_NOPE »"),
              std::string::npos);

    // No database.
    QDSApplication::SetInstance(nullptr);
    EXPECT_FALSE(
        print_crystal_report("bankrpt.rpt", "", 0, nullptr, nullptr, nullptr, nullptr, true));
    EXPECT_NE(backend_.messages.back().find("aucune base"), std::string::npos);
}

TEST_P(SqlTemplateTest, ExportSettingsChooseTheFile) {
    // Separated values, as a mail merge asks: one line per record, quotes doubled.
    ASSERT_EQ(db_->db().dbExecute("UPDATE p1_BANKCD SET BNK_NAME = 'Banque \"Nationale\"' "
                                  "WHERE BNK_CODE = 'B1'"),
              0);
    ST_CRYSTALINFO info;
    std::memset(&info, 0, sizeof info);
    info.export_format = 2;
    std::strcpy(info.export_file, "\\letter\\banques.txt");
    ASSERT_TRUE(
        print_crystal_report("bankrpt.rpt", "", 2, nullptr, nullptr, &info, nullptr, false));
    const std::string csv = ReadFile(Out("letter/banques.txt"));
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "\"B1\",\"Banque \"\"Nationale\"\"\",\"\",\"Montréal QC\",\"\",\"\"");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3);

    // Default export: a spreadsheet named after the template.
    ASSERT_TRUE(
        print_crystal_report("bankrpt.rpt", "", 2, nullptr, nullptr, nullptr, nullptr, false));
    const std::string sheet = Shell("unzip -p '" + Out("bankrpt.xlsx") + "' xl/sharedStrings.xml");
    for (const char* cell : {"<t>LISTE DES BANQUES</t>", "<t>Caisse d'Économie</t>",
                             "<t>Nombre d'enregistrements : 3</t>"})
        EXPECT_NE(sheet.find(cell), std::string::npos) << sheet;
}

TEST_P(SqlTemplateTest, TemplateSqlThatWritesIsRefusedAndChangesNothing) {
    GenDB& db = db_->db();
    for (int id = 1; id <= 3; ++id)
        ASSERT_EQ(db.dbExecute("INSERT INTO p1_DAYSHT (DSHT_ID, DSHT_DATE) VALUES (" +
                               std::to_string(id) + ", 20241115)"),
                  0);
    auto state = [&] {
        return std::to_string(db.QueryInt("SELECT COUNT(*) FROM p1_DAYSHT", -1)) + "/" +
               std::to_string(db.QueryInt("SELECT COUNT(*) FROM p1_ACCOUNT", -1)) + "/" +
               std::to_string(
                   db.QueryInt("SELECT COUNT(*) FROM p1_BANKCD WHERE BNK_NAME = 'pwned'", -1));
    };
    ASSERT_EQ(state(), "3/0/0");
    const std::string dir = Out("modeles-ecriture");
    fs::create_directories(dir);
    struct {
        const char* sql;
        const char* reason;
    } cases[] = {
        {"WITH x AS (SELECT 1 AS BNK_CODE) DELETE FROM {P}DAYSHT RETURNING 1 AS BNK_CODE",
         "requête refusée : elle modifierait la base"},
        {"UPDATE {P}BANKCD SET BNK_NAME='pwned' WHERE BNK_CODE IN (SELECT BNK_CODE FROM "
         "{P}BANKCD) RETURNING BNK_CODE",
         "requête refusée : seule une lecture"},
        {"SELECT BNK_CODE FROM {P}BANKCD; DROP TABLE {P}ACCOUNT", "une seule instruction"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string path = dir + "/ecrit" + std::to_string(++n) + ".rpt";
        std::ofstream(path) << "<report><sql>" << c.sql
                            << "</sql><column heading='Code' field='BNK_CODE' width='5'/></report>";
        TemplateRequest r;
        r.template_name = path;
        r.db = &db;
        TemplateResult result;
        std::string error;
        EXPECT_EQ(RunTemplate(r, &result, &error), TemplateStatus::Failed) << c.sql;
        EXPECT_NE(error.find("requête du modèle ecrit" + std::to_string(n)), std::string::npos)
            << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_EQ(state(), "3/0/0") << c.sql;
    }
    // The same queries read-only, and a comment holding a quote, print.
    const std::string path = dir + "/lecture.rpt";
    std::ofstream(path) << "<report><sql>/* l'essai */ WITH b AS (SELECT BNK_CODE FROM {P}BANKCD "
                           "WHERE BNK_PROV &lt;&gt; /* = 'ON */ 'ON') SELECT BNK_CODE FROM b; "
                           "</sql><column heading='Code' field='BNK_CODE' width='5'/></report>";
    TemplateRequest r;
    r.template_name = path;
    r.db = &db;
    TemplateResult result;
    std::string error;
    ASSERT_EQ(RunTemplate(r, &result, &error), TemplateStatus::Printed) << error;
    EXPECT_EQ(result.records, 2);
}

INSTANTIATE_TEST_SUITE_P(Engines, SqlTemplateTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

// --- Over XML rows ---

class XmlTemplateTest : public output_test::WithBackend {
  protected:
    // Rows as a report writes them: unsorted groups and a total row of its own.
    void WriteData() {
        IXmlExportWrapper* x = IXmlExportWrapper::CreateInstance();
        struct R {
            const char *group, *code, *desc, *date;
            int64_t cents;
            const char* type;
        };
        const R rows[] = {
            {"A", "1", "Examen", "20241101", 10050, ""},
            {"A", "2", "Radiographie", "20241102", 2025, ""},
            {"B", "3", "Couronne", "20241103", 100000, ""},
            {"", "", "Total du rapport", "", 112080, "T"},
            {"A", "4", "Fluor", "20241104", 5, ""},
        };
        for (const R& r : rows) {
            x->NewRow(r.type);
            x->AddColumn("Groupe", r.group);
            x->AddColumn("Code", r.code);
            x->AddColumn("Description", r.desc);
            x->AddColumn("Date", r.date);
            x->AddAmount("Montant", r.cents);
        }
        ASSERT_TRUE(x->Save("\\XML\\xmlliste.xml"));
        IXmlExportWrapper::Destroy(x);
    }
};

TEST_F(XmlTemplateTest, GroupsAndTotalsAddUp) {
    WriteData();
    ASSERT_TRUE(
        print_crystal_report_XML("xmlliste.rpt", "xmlliste.xml", 3, nullptr, true, nullptr));
    const std::string text = PdfText(Out("xmlliste.pdf"));
    // Group A gathers codes 1, 2 and 4: 100.50 + 20.25 + 0.05 = 120.80; B is 1,000.00; the
    // report's own total row is left out, so the grand total is 1,120.80 over 4 records.
    const size_t a = text.find("Groupe : A");
    const size_t fluor = text.find("Fluor");
    const size_t total_a = text.find("Total A");
    const size_t b = text.find("Groupe : B");
    ASSERT_NE(a, std::string::npos) << text;
    ASSERT_NE(total_a, std::string::npos) << text;
    EXPECT_LT(a, fluor);
    EXPECT_LT(fluor, total_a);
    EXPECT_LT(total_a, b);
    EXPECT_NE(text.find("120.80", total_a), std::string::npos);
    EXPECT_NE(text.find("01/11/2024"), std::string::npos);
    EXPECT_NE(text.find("1,000.00", b), std::string::npos);
    const size_t grand = text.find("Total général");
    ASSERT_NE(grand, std::string::npos);
    EXPECT_NE(text.find("1,120.80", grand), std::string::npos);
    EXPECT_NE(text.find("Nombre d'enregistrements : 4"), std::string::npos);
    EXPECT_EQ(text.find("Total du rapport"), std::string::npos);

    // The caller's selection applies on top of the template's: without code 4, group A is
    // 120.75 and the grand total 1,120.75.
    ST_FORMULAINFO f;
    InitFormulaInfo(&f);
    CreateFormula(&f, 0, "", "{ligne.Montant} >= 1", false, false);
    CreateFormula(&f, 2, "DateRange", "\"Novembre 2024\"", false, false);
    ASSERT_TRUE(print_crystal_report_XML("xmlliste.rpt", "", 3, nullptr, true, &f));
    const std::string selected = PdfText(Out("xmlliste.pdf"));
    EXPECT_NE(selected.find("Novembre 2024"), std::string::npos);
    EXPECT_EQ(selected.find("Fluor"), std::string::npos);
    EXPECT_NE(selected.find("120.75", selected.find("Total A")), std::string::npos);
    EXPECT_NE(selected.find("1,120.75", selected.find("Total général")), std::string::npos);
    EXPECT_NE(selected.find("Nombre d'enregistrements : 3"), std::string::npos);
}

TEST_F(XmlTemplateTest, ManyRecordsMakeSeveralPagesWithTheirHeadings) {
    IXmlExportWrapper* x = IXmlExportWrapper::CreateInstance();
    for (int i = 1; i <= 130; ++i) {
        x->NewRow();
        x->AddColumn("Groupe", i <= 100 ? "A" : "B");
        x->AddColumn("Code", std::to_string(i));
        x->AddAmount("Montant", 100);
    }
    ASSERT_TRUE(x->Save("\\XML\\long.xml"));
    IXmlExportWrapper::Destroy(x);
    TemplateRequest r;
    r.template_name = "xmlliste.rpt";
    r.xml_file = "long.xml";
    r.output_name = "long";
    TemplateResult result;
    std::string error;
    ASSERT_EQ(RunTemplate(r, &result, &error), TemplateStatus::Printed) << error;
    EXPECT_EQ(result.records, 130);
    // 60-line pages with details from line 6 hold 53 lines each (lines 6..58); groups add
    // a heading line each and a total of three lines, the report ends with four more.
    EXPECT_EQ(result.pages, 3);
    EXPECT_EQ(PdfPages(result.output_path), 3);
    for (int p = 1; p <= 3; ++p)
        EXPECT_NE(PdfText(result.output_path, p).find("Description"), std::string::npos);
    EXPECT_NE(PdfText(result.output_path, 3).find("130.00"), std::string::npos);
}

TEST_F(XmlTemplateTest, AMissingDataFileIsAnErrorAndMakesNoFolder) {
    for (const std::string& name :
         {Out("nouveau/a/b/x.xml"), std::string("autre/a/x.xml"), std::string("\\absent.xml")}) {
        TemplateRequest r;
        r.template_name = "xmlliste.rpt";
        r.xml_file = name;
        TemplateResult result;
        std::string error;
        EXPECT_EQ(RunTemplate(r, &result, &error), TemplateStatus::Failed) << name;
        EXPECT_NE(error.find("fichier de données XML introuvable"), std::string::npos) << error;
    }
    EXPECT_FALSE(fs::exists(Out("nouveau")));
    EXPECT_FALSE(fs::exists(Out("autre")));
}

// --- Template files ---

TEST(TemplateDef, BadTemplatesAreRefusedWithTheReason) {
    const std::string dir = host::Env().output_dir + "/modeles";
    fs::create_directories(dir);
    struct Case {
        const char* body;
        const char* reason;
    };
    const Case cases[] = {
        {"<report><column heading='A' field='X'/></report>", "source de données"},
        {"<report><sql>SELECT * FROM {P}BANKCD</sql><column heading='A' field='X'/></report>",
         "« * »"},
        {"<report><sql>SELECT BNK_CODE || 'x' FROM {P}BANKCD</sql>"
         "<column heading='A' field='X'/></report>",
         "doit être nommée"},
        {"<report><xml/><colonne heading='A' field='X'/></report>", "élément inconnu <colonne>"},
        {"<report><xml/><column heading='A' field='X' width='0'/></report>", "width"},
        {"<report><xml/><column heading='A' field='X' expression='1'/></report>", "un seul"},
        {"<report><xml/><column heading='A' expression='1 +'/></report>", "position 4"},
        {"<report><xml/><column heading='A' field='X' format='money'/></report>", "money"},
        {"<report><xml/><column heading='A' field='X' total='sum'/></report>", "sum"},
        {"<report><xml/><selection>(</selection><column heading='A' field='X'/></report>",
         "<selection> : position 2"},
        {"<report><xml/></report>", "aucune colonne"},
        {"<rapport/>", "<report>"},
        {"<report><xml>", "illisible"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = dir + "/t" + std::to_string(++n) + ".rpt";
        std::ofstream(path) << c.body;
        host::output::TemplateDef def;
        std::string error;
        EXPECT_FALSE(host::output::LoadTemplate(path, &def, &error)) << c.body;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(TemplateDef, SelectListNamesAndLookup) {
    std::vector<std::string> names;
    std::string error;
    ASSERT_TRUE(host::output::SelectListNames(
        "select distinct a.ACC_ID, COUNT(*) AS NB, \"Nom\", (x + 1) as \"Calc\", "
        "COALESCE(b, ',') AS Virgule from ACCOUNT a",
        &names, &error))
        << error;
    EXPECT_EQ(names, (std::vector<std::string>{"ACC_ID", "NB", "Nom", "Calc", "Virgule"}));
    EXPECT_FALSE(host::output::SelectListNames("UPDATE x SET a = 1", &names, &error));

    EXPECT_NE(host::output::FindTemplate("bankrpt.rpt"), "");
    EXPECT_NE(host::output::FindTemplate("C:\\Orvo\\Rapports\\BankRpt.RPT"), "");
    EXPECT_EQ(host::output::FindTemplate("absent.rpt"), "");
    EXPECT_EQ(host::output::FindTemplate(""), "");
}

// --- Text files to PDF, and the commands ---

TEST(TextPrint, PagesOfBothSeparatorsAreKept) {
    const std::string prt = Out("accents.prt");
    std::ofstream(prt) << "RAPPORT\nHygiéniste Émilie\n\fpage 2\n@OV.Page.Break@\npage 3 "
                          "caf\xe9\n\f\n";
    std::vector<host::output::TextPage> pages;
    std::string error;
    ASSERT_TRUE(host::output::ReadTextPages(prt, &pages, &error));
    ASSERT_EQ(pages.size(), 3u);  // the final form feed does not make a fourth page
    EXPECT_EQ(pages[0], (host::output::TextPage{"RAPPORT", "Hygiéniste Émilie"}));
    EXPECT_EQ(pages[2], (host::output::TextPage{"page 3 café"}));

    int count = 0;
    ASSERT_TRUE(host::output::PrintTextFileToPdf(prt, Out("accents.pdf"), &error, &count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(PdfPages(Out("accents.pdf")), 3);
    EXPECT_NE(PdfText(Out("accents.pdf"), 1).find("Hygiéniste Émilie"), std::string::npos);
    EXPECT_FALSE(host::output::PrintTextFileToPdf(Out("absent.prt"), Out("x.pdf"), &error));
    EXPECT_NE(error.find("introuvable"), std::string::npos);
}

TEST(Commands, PrintAndTemplate) {
    const std::string cli = testing_support::Sibling("rapports");
    if (!fs::exists(cli)) GTEST_SKIP() << "rapports not built";
    const std::string env = "RAPPORTS_STATION_DIR='" + host::Env().station_dir + "' ";
    const std::string prt = Out("cli.prt");
    std::ofstream(prt) << "Hygiéniste Émilie\n\fDeuxième page\n";
    const std::string printed = Shell(env + cli + " print '" + prt + "' 2>&1");
    EXPECT_NE(printed.find("2 pages"), std::string::npos) << printed;
    const std::string text = PdfText(Out("cli.pdf"));
    EXPECT_NE(text.find("Hygiéniste Émilie"), std::string::npos) << text;
    EXPECT_NE(text.find("Deuxième page"), std::string::npos);

    // A template over an XML file; a bad formula fails with its position.
    IXmlExportWrapper* x = IXmlExportWrapper::CreateInstance();
    x->NewRow();
    x->AddColumn("Code", "7");
    x->AddAmount("Montant", 4200);
    ASSERT_TRUE(x->Save((Out("cli-data.xml")).c_str()));
    IXmlExportWrapper::Destroy(x);
    const std::string dir = Out("cli-out");
    const std::string ok =
        Shell(env + cli + " template xmlliste.rpt --xml '" + Out("cli-data.xml") + "' --out '" +
              dir + "' --formula 'DateRange=\"Essai\"' 2>&1; echo rc=$?");
    EXPECT_NE(ok.find("rc=0"), std::string::npos) << ok;
    EXPECT_NE(PdfText(dir + "/xmlliste.pdf").find("42.00"), std::string::npos);
    const std::string bad =
        Shell(env + cli + " template xmlliste.rpt --xml '" + Out("cli-data.xml") + "' --out '" +
              dir + "' --selection '{ligne.Code} = (' 2>&1; echo rc=$?");
    EXPECT_NE(bad.find("position 17"), std::string::npos) << bad;
    EXPECT_NE(bad.find("rc=1"), std::string::npos) << bad;
    const std::string missing =
        Shell(env + cli + " template absent.rpt --out '" + dir + "' 2>&1; echo rc=$?");
    EXPECT_NE(missing.find("modèle introuvable"), std::string::npos) << missing;
}

}  // namespace
