// XML data files: well-formed UTF-8 whatever the data holds, names made valid, amounts,
// clearing, and reading back.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>

#include "host/base/env.h"
#include "host/output/xmlexport.h"
#include "tests/output/helpers.h"

using host::output::ReadXmlRows;
using host::output::XmlRow;

namespace {

TEST(XmlExport, RowsRoundTripWithBadDataMadeSafe) {
    IXmlExportWrapper* x = IXmlExportWrapper::CreateInstance();
    x->NewRow("H");
    x->AddColumn("N° compte", "12");
    x->AddColumn("Nom", "Tremblay & Fils <ltée>");
    x->AddColumn("", "sans nom");
    x->AddColumn("Note", std::string("Caf\xe9 a\x01z\x0b!\xef\xbf\xbf") + "\ttab");
    x->AddColumn("2e", "chiffre");
    x->AddColumn("xmlNom", "réservé");
    x->EndRow();
    x->NewRow("GT");
    x->AddAmount("Total", -5);
    x->AddAmount("Grand", 123456789012LL);
    x->AddAmount("Min", LLONG_MIN);
    x->AddColumn("Compte", int64_t{-42});
    x->SetRowType("TT");
    x->AddColumn(nullptr, static_cast<const char*>(nullptr));
    EXPECT_EQ(x->RowCount(), 2);
    ASSERT_TRUE(x->Save("\\XML\\essai.xml")) << x->LastError();
    IXmlExportWrapper::Destroy(x);

    const std::string path = host::Env().output_dir + "/XML/essai.xml";
    ASSERT_TRUE(std::filesystem::exists(path));
    std::vector<XmlRow> rows;
    std::string error;
    ASSERT_TRUE(ReadXmlRows(path, &rows, &error)) << error;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].type, "H");
    const std::vector<std::pair<std::string, std::string>> first = {
        {"N_compte", "12"},   {"Nom", "Tremblay & Fils <ltée>"},
        {"Col3", "sans nom"}, {"Note", "Café az!\ttab"},
        {"_2e", "chiffre"},   {"_xmlNom", "réservé"}};
    EXPECT_EQ(rows[0].columns, first);
    EXPECT_EQ(rows[1].type, "TT");
    const std::vector<std::pair<std::string, std::string>> second = {
        {"Total", "-0.05"},
        {"Grand", "1234567890.12"},
        {"Min", "-92233720368547758.08"},
        {"Compte", "-42"},
        {"Col5", ""}};
    EXPECT_EQ(rows[1].columns, second);
}

TEST(XmlExport, ClearLeavesAnEmptyDocumentAndBadFilesAreReported) {
    const std::string path = host::Env().output_dir + "/vide.xml";
    {
        std::ofstream out(path);
        out << "<Report><Row><A>1</A></Row></Report>";
    }
    ASSERT_TRUE(IXmlExportWrapper::Clear("\\vide.xml"));
    std::vector<XmlRow> rows;
    std::string error;
    ASSERT_TRUE(ReadXmlRows(path, &rows, &error)) << error;
    EXPECT_TRUE(rows.empty());
    EXPECT_FALSE(IXmlExportWrapper::Clear(""));

    EXPECT_FALSE(ReadXmlRows(host::Env().output_dir + "/absent.xml", &rows, &error));
    EXPECT_NE(error.find("introuvable"), std::string::npos);
    {
        std::ofstream out(host::Env().output_dir + "/casse.xml");
        out << "<Report><Row><A>1</Row></Report>";
    }
    EXPECT_FALSE(ReadXmlRows(host::Env().output_dir + "/casse.xml", &rows, &error));
    EXPECT_NE(error.find("illisible"), std::string::npos);
}

TEST(XmlExport, AbsolutePathsAreKept) {
    IXmlExportWrapper* x = IXmlExportWrapper::CreateInstance();
    x->SetRootName("Données du rapport");
    x->NewRow();
    x->AddColumn("A", "1");
    const std::string dir = host::Env().output_dir + "/ailleurs";
    ASSERT_TRUE(x->Save((dir + "\\sub\\abs.xml").c_str()));
    IXmlExportWrapper::Destroy(x);
    const std::string text = output_test::ReadFile(dir + "/sub/abs.xml");
    EXPECT_NE(text.find("<Donn_es_du_rapport>"), std::string::npos);
    EXPECT_NE(text.find("encoding=\"UTF-8\""), std::string::npos);
}

}  // namespace
