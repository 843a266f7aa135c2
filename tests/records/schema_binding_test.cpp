// The record bindings against the schema: the widths the record classes take from it, the
// bindings TableBuilder refuses at first use, and the build's check (rapports-check-schema)
// run on a copy of the sources with bad bindings in it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

#include "host/records/records.h"
#include "tests/support/process.h"

namespace records_test {
namespace {

namespace fs = std::filesystem;
using host::ColType;

TEST(SchemaBinding, RecordsTakeTheirWidthsFromTheSchema) {
    // The widths the bindings wrote out before they came from the schema.
    struct Want {
        const host::TableDesc& desc;
        const char* column;
        ColType type;
        int width;
    };
    const Want want[] = {
        {AccountInfo::Table(), "ACC_LNAME", ColType::Text, 25},
        {AccountInfo::Table(), "ACC_PROV", ColType::Text, 3},
        {AccountInfo::Table(), "ACC_PMT_DR", ColType::Text, 3},
        {AccountInfo::Table(), "ACC_COMMENT", ColType::Text, 255},
        {AccountInfo::Table(), "ACC_STATUS", ColType::Char, 1},
        {AccountInfo::Table(), "ACC_PAT_BAL", ColType::Int, 0},
        {AccountInfo::Table(), "ACC_ID", ColType::Long, 0},
        {PersInfo::Table(), "PAT_DOCTOR", ColType::Text, 2},
        {PersInfo::Table(), "PAT_SIN", ColType::Text, 9},
        {ClmTrtInfo::Table(), "CTRT_STATUS", ColType::Text, 2},
        {ClmTrtInfo::Table(), "CTRT_CODE_FC_DESC", ColType::Text, 40},
        {PatNoteInfo::Table(), "PNOT_COMMENT", ColType::Text, 1000},
        {InsCoInfo::Table(), "INS_EDI_CODE", ColType::Text, 6},
        {UseridInfo::Table(), "USER_RIGHTS", ColType::Text, 60},
        {PPSetInfo::Table(), "PPST_A2_FIELD10", ColType::Char, 1},
        {PPSetInfo::Table(), "PPST_A11_FIELD03", ColType::Text, 10},
        {PPSetInfo::Table(), "PPST_A51_FIELD20", ColType::Text, 50},
        {PPSetInfo::Table(), "PPST_A81_FIELD05", ColType::Text, 80},
        {PPSetInfo::Table(), "PPST_INT_FIELD01", ColType::Short, 0},
        {RecScanInfo::Table(), "RSCN_NAME", ColType::Text, 40},
    };
    for (const Want& w : want) {
        SCOPED_TRACE(w.desc.table + "." + w.column);
        const int i = w.desc.ColumnIndex(w.column);
        ASSERT_GE(i, 0);
        const host::ColumnDesc& c = w.desc.columns[static_cast<size_t>(i)];
        EXPECT_EQ(c.type, w.type);
        EXPECT_EQ(c.width, w.width);
    }
}

struct Probe {
    long id = 0;
    int32_t amount = 0;
    short count = 0;
    char flag = 'N';
    std::string text;
};

// The message of the logic_error a binding throws, or "" when it throws none.
template <class F>
std::string Refusal(F bind) {
    try {
        host::TableBuilder<Probe> b("ACCOUNT", TBL_ACCOUNT);
        bind(b);
    } catch (const std::logic_error& e) {
        return e.what();
    }
    return "";
}

TEST(SchemaBinding, TableBuilderRefusesABindingTheSchemaDoesNotAllow) {
    using B = host::TableBuilder<Probe>;
    EXPECT_EQ(Refusal([](B& b) { b.Col("ACC_ID", b.r.id); }), "");
    EXPECT_EQ(Refusal([](B& b) { b.Col("acc_lname", b.r.text); }), "");   // SQL's case rule
    EXPECT_EQ(Refusal([](B& b) { b.Col("ACC_STATUS", b.r.text); }), "");  // a text of width 1
    EXPECT_EQ(Refusal([](B& b) { b.Col("ACC_STMT_CNT", b.r.count); }), "");
    EXPECT_EQ(Refusal([](B& b) { b.Col("ACC_LNAMES", b.r.text); }),
              "ACCOUNT.ACC_LNAMES: no such column in schema.sql");
    EXPECT_EQ(Refusal([](B& b) { b.Col("PAT_LNAME", b.r.text); }),
              "ACCOUNT.PAT_LNAME: no such column in schema.sql");
    EXPECT_EQ(Refusal([](B& b) { b.Col("ACC_PAT_BAL", b.r.text); }),
              "ACCOUNT.ACC_PAT_BAL: a text member on a column of type INTEGER");
    EXPECT_EQ(Refusal([](B& b) { b.Col("ACC_OPEN_DATE", b.r.flag); }),
              "ACCOUNT.ACC_OPEN_DATE: a text member on a column of type INTEGER");
    EXPECT_EQ(Refusal([](B& b) { b.Col("ACC_PROV", b.r.flag); }),
              "ACCOUNT.ACC_PROV: a char member on a column of width 3");
    EXPECT_EQ(Refusal([](B& b) { b.Col("ACC_LNAME", b.r.amount); }),
              "ACCOUNT.ACC_LNAME: a number member on a column of type VARCHAR");
    EXPECT_EQ(Refusal([](B& b) { b.Col("ACC_STATUS", b.r.id); }),
              "ACCOUNT.ACC_STATUS: a number member on a column of type VARCHAR");
    try {
        host::TableBuilder<Probe> b("ACCOUNTS", TBL_ACCOUNT);
        ADD_FAILURE() << "a table the schema does not have was accepted";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "ACCOUNTS: no such table in schema.sql");
    }
}

// A copy of the sources the build's schema check reads, to break on purpose.
class SchemaCheck : public testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("rapports-schema-check-" + std::to_string(::getpid()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        const fs::path source = fs::path(RAPPORTS_TESTS_DIR).parent_path();
        for (const char* f : {"host/db/schema.sql", "host/records/recstructs.h",
                              "host/records/records.cpp", "app/demo/tables.cpp"}) {
            fs::create_directories((root_ / f).parent_path());
            fs::copy_file(source / f, root_ / f);
        }
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string Read(const char* file) {
        std::stringstream s;
        s << std::ifstream(root_ / file).rdbuf();
        return s.str();
    }
    // Replaces the one occurrence of from in a copied file (a test's mistake otherwise).
    void Edit(const char* file, const std::string& from, const std::string& to) {
        std::string text = Read(file);
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << file << ": " << from;
        ASSERT_EQ(text.find(from, at + 1), std::string::npos) << file << ": " << from;
        text.replace(at, from.size(), to);
        std::ofstream(root_ / file) << text;
    }
    // ":N: ", N the line of the first occurrence of text in a copied file (after the first
    // occurrence of after, if given).
    std::string Line(const char* file, const std::string& text, const std::string& after = "") {
        const std::string all = Read(file);
        const size_t from = after.empty() ? 0 : all.find(after);
        const size_t at = from == std::string::npos ? from : all.find(text, from);
        EXPECT_NE(at, std::string::npos) << file << ": " << text;
        if (at == std::string::npos) return ":?: ";
        return ":" +
               std::to_string(1 +
                              std::count(all.begin(), all.begin() + static_cast<long>(at), '\n')) +
               ": ";
    }
    testing_support::CommandResult Run() {
        return testing_support::RunShell(
            testing_support::Quote(testing_support::Sibling("rapports-check-schema")) + " " +
            testing_support::Quote(root_.string()) + " 2>&1");
    }
    // The offences listed ("file:line: what"), without the heading.
    static std::set<std::string> Listed(const std::string& out) {
        std::set<std::string> lines;
        std::istringstream in(out);
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("  ", 0) == 0) lines.insert(line.substr(2));
        return lines;
    }
    fs::path root_;
};

TEST_F(SchemaCheck, PassesTheSourcesAsTheyAre) {
    const auto r = Run();
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, "");
}

TEST_F(SchemaCheck, ListsEveryBadBindingWithItsFileTableAndColumn) {
    const char* rec = "host/records/records.cpp";
    Edit(rec, "b.Col(\"ACC_LNAME\", r.lname);", "b.Col(\"ACC_LNAMES\", r.lname);");
    Edit(rec, "b.Col(\"PCLM_TOTAL\", r.total);", "b.Col(\"PCLM_TOTAL\", r.number);");
    Edit(rec, "b.Col(\"CTRT_STATUS\", r.status);", "b.Col(\"CTRT_STATUS\", r.preauth);");
    Edit(rec, "b.Col(\"POCH_CODE\", r.code);", "b.Col(\"POCH_CODE\", r.total);");
    Edit(rec, "b.Col(\"PAT_SIN\", r.sin);", "b.Col(\"PAT_SIN\", r.sin, 9);");
    Edit(rec, "b.Col(\"BNK_NAME\", r.name);",
         "b.Col(\"BNK_NAME\", r.name);\nb.Col(\"BNK_NAME\", r.addr1);");
    Edit(rec, "b.Key({\"PROD_TYPE\", \"PROD_CODE\"});", "b.Key({\"PROD_TYPE\", \"PROD_CDE\"});");
    Edit(rec, "TableBuilder<statcd_struct> b(\"STATCD\"",
         "TableBuilder<statcd_struct> b(\"STATCODE\"");
    // A member added to a struct without its column and binding.
    Edit("host/records/recstructs.h", "    char emailstmt = 'N';\n",
         "    char emailstmt = 'N';\n    long last_call = 0;\n");
    Edit("app/demo/tables.cpp", "\"PAT_NOTES\"", "\"PAT_NOTE\"");
    Edit("app/demo/tables.cpp", "{\"CHR_CODE\", \"CHR_DESC\", \"CHR_PRODUCER\"}",
         "{\"CHR_CODE\", \"CHR_DESC\", \"CHR_CODE\"}");
    Edit("app/demo/tables.cpp", "\"REFTYPE\", {", "\"REFTYPES\", {");

    const auto r = Run();
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("against the schema (host/db/schema.sql)"), std::string::npos) << r.out;
    // Each offence names the file and line, the table and the column.
    const std::string acc = rec + Line(rec, "\"ACC_LNAMES\"");
    const std::string pclm = rec + Line(rec, "\"PCLM_TOTAL\"");
    const std::string ctrt = rec + Line(rec, "\"CTRT_STATUS\"");
    const std::string poch = rec + Line(rec, "\"POCH_CODE\"");
    const char* st = "host/records/recstructs.h";
    const char* demo = "app/demo/tables.cpp";
    const std::set<std::string> want = {
        acc + "ACCOUNT.ACC_LNAMES: no such column in the schema",
        rec + Line(rec, "b.Key({\"ACC_LNAME\"") +
            "ACCOUNT.ACC_LNAME: a key on a column the class does not bind",
        rec + Line(rec, "\"PAT_SIN\"") +
            "PATIENT.PAT_SIN: a width in the binding: the width is the schema's, leave it out",
        pclm + "PATCLM.PCLM_TOTAL: a std::string member on a column of type INTEGER",
        pclm + "PATCLM.PCLM_TOTAL: r.number is bound to another column already",
        ctrt +
            "CLMTRT.CTRT_STATUS: a char member on a VARCHAR(2) column (char holds one "
            "character)",
        rec + Line(rec, "\"CTRT_PREAUTH\"") +
            "CLMTRT.CTRT_PREAUTH: r.preauth is bound to another column already",
        poch + "PATOCH.POCH_CODE: a number member on a VARCHAR(5) column",
        rec + Line(rec, "\"POCH_TOTAL\"") +
            "PATOCH.POCH_TOTAL: r.total is bound to another column already",
        rec + Line(rec, "\"BNK_NAME\", r.addr1") + "BANKCD.BNK_NAME: bound twice",
        rec + Line(rec, "\"BNK_ADDR1\"") +
            "BANKCD.BNK_ADDR1: r.addr1 is bound to another column already",
        rec + Line(rec, "\"PROD_CDE\"") +
            "PRODCD.PROD_CDE: a key on a column the class does not bind",
        rec + Line(rec, "\"STATCODE\"") + "STATCODE: no such table in the schema",
        st + Line(st, "last_call") +
            "ACCOUNT: account_struct::last_call is bound to no column in " + rec,
        st + Line(st, "int32_t total", "struct patclm_struct") +
            "PATCLM: patclm_struct::total is bound to no column in " + rec,
        st + Line(st, "std::string status;", "struct clmtrt_struct") +
            "CLMTRT: clmtrt_struct::status is bound to no column in " + rec,
        st + Line(st, "std::string code;", "struct patoch_struct") +
            "PATOCH: patoch_struct::code is bound to no column in " + rec,
        demo + Line(demo, "\"PAT_NOTE\"") + "PATIENT.PAT_NOTE: no such column in the schema",
        demo + Line(demo, "\"CHR_CODE\"") + "CHAIRCD.CHR_CODE: given twice",
        demo + Line(demo, "\"REFTYPES\"") + "REFTYPES: no such table in the schema",
    };
    EXPECT_EQ(Listed(r.out), want) << r.out;
}

TEST_F(SchemaCheck, RefusesASchemaItCannotReadAtItsLine) {
    Edit("host/db/schema.sql", "  ACC_SUFFIX VARCHAR(5) DEFAULT '',",
         "  ACC_SUFFIX VARCHR(5) DEFAULT '',");
    const auto r = Run();
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("host/db/schema.sql:30: ACCOUNT.ACC_SUFFIX: type VARCHR is not one "
                         "the records read"),
              std::string::npos)
        << r.out;
}

TEST_F(SchemaCheck, AColumnAddedToTheSchemaAloneIsAccepted) {
    // The one edit a new column needs: the records and the demo leave it to its default.
    Edit("host/db/schema.sql", "  ACC_COMMENT VARCHAR(255) DEFAULT ''\n",
         "  ACC_COMMENT VARCHAR(255) DEFAULT '',\n  ACC_LANGUAGE VARCHAR(1) DEFAULT 'F'\n");
    const auto r = Run();
    EXPECT_EQ(r.code, 0) << r.out;
}

}  // namespace
}  // namespace records_test
