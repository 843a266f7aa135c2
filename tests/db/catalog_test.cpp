// The schema catalog: what it reads of the compiled schema, and the schema texts it refuses
// with the line at fault.
#include <gtest/gtest.h>

#include "host/db/catalog.h"
#include "host/db/gendb.h"

namespace {

using host::ColumnKind;
using host::SchemaCatalog;

TEST(SchemaCatalog, ReadsTheCompiledSchema) {
    const SchemaCatalog& s = host::Schema();
    // The same tables, in the same order, as the statements that create them.
    ASSERT_EQ(s.Tables().size(), host::SchemaTables().size());
    for (size_t i = 0; i < s.Tables().size(); ++i)
        EXPECT_EQ(s.Tables()[i].name, host::SchemaTables()[i]);

    struct Want {
        const char* table;
        const char* column;
        ColumnKind kind;
        int width;
        const char* type;
        const char* default_value;
    };
    const Want want[] = {
        {"ACCOUNT", "ACC_LNAME", ColumnKind::Text, 25, "VARCHAR", ""},
        {"ACCOUNT", "ACC_PROV", ColumnKind::Text, 3, "VARCHAR", ""},
        {"ACCOUNT", "ACC_PHONE_KIND", ColumnKind::Text, 1, "VARCHAR", "H"},
        {"ACCOUNT", "ACC_COMMENT", ColumnKind::Text, 255, "VARCHAR", ""},
        {"ACCOUNT", "ACC_PAT_BAL", ColumnKind::Integer, 0, "INTEGER", "0"},
        {"PATIENT", "PAT_CHART_NO", ColumnKind::Text, 10, "VARCHAR", ""},
        {"PATIENT", "PAT_DOCTOR", ColumnKind::Text, 2, "VARCHAR", ""},
        {"CLMTRT", "CTRT_STATUS", ColumnKind::Text, 2, "VARCHAR", "C"},
        {"CLMTRT", "CTRT_FEE_CAT", ColumnKind::Text, 3, "VARCHAR", "DFE"},
        {"CLMTRT", "CTRT_UNITS", ColumnKind::Integer, 0, "INTEGER", "1"},
        {"PATNOTE", "PNOT_COMMENT", ColumnKind::Text, 1000, "VARCHAR", ""},
        {"PRODCD", "PROD_YTD_NET", ColumnKind::Integer, 0, "BIGINT", "0"},
        {"EMPPOL", "EPOL_YEAR_END", ColumnKind::Integer, 0, "INTEGER", "1231"},
        {"PPSET", "PPST_A51_FIELD20", ColumnKind::Text, 50, "VARCHAR", ""},
        // A table written on one line.
        {"CLINIC", "CLN_PHONE", ColumnKind::Text, 15, "VARCHAR", ""},
    };
    for (const Want& w : want) {
        SCOPED_TRACE(std::string(w.table) + "." + w.column);
        const host::SchemaColumn* c = s.Column(w.table, w.column);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->kind, w.kind);
        EXPECT_EQ(c->width, w.width);
        EXPECT_EQ(c->type, w.type);
        EXPECT_TRUE(c->has_default);
        EXPECT_EQ(c->default_value, w.default_value);
        EXPECT_FALSE(c->primary_key);
    }
    // Primary keys, numeric and text; names are found whatever their case, as SQL finds them.
    EXPECT_TRUE(s.Column("ACCOUNT", "ACC_ID")->primary_key);
    EXPECT_TRUE(s.Column("insco", "ins_code")->primary_key);
    EXPECT_EQ(s.Column("INSCO", "INS_CODE")->width, 5);
    EXPECT_FALSE(s.Column("INSCO", "INS_CODE")->has_default);
    EXPECT_EQ(s.Table("ACCOUNT")->columns.front().name, "ACC_ID");
    EXPECT_EQ(s.Table("ACCOUNT")->columns.back().name, "ACC_COMMENT");
    EXPECT_EQ(s.Table("SCHEMAVER")->columns.size(), 2u);
    EXPECT_EQ(s.Column("ACCOUNT", "PAT_ID"), nullptr);
    EXPECT_EQ(s.Column("NOTABLE", "ACC_ID"), nullptr);
    EXPECT_EQ(s.Table("IX_ACC_NAME"), nullptr);  // indexes are not tables
}

TEST(SchemaCatalog, ReadsCommentsQuotesAndLinesAsSqlDoes) {
    SchemaCatalog s;
    std::string error;
    ASSERT_TRUE(
        s.Parse("-- l'en-tête; with a quote and a semicolon\n"
                "CREATE TABLE {P}T1 (\n"
                "  A_ID INTEGER PRIMARY KEY, -- the key; 'quoted'\n"
                "  A_TXT VARCHAR( 12 ) NOT NULL DEFAULT 'l''a;b',\n"
                "  A_NEG SMALLINT DEFAULT -5, A_NUL CHAR(1) NULL\n"
                ");\n"
                "CREATE INDEX {P}IX ON {P}T1 (A_TXT);\n"
                "CREATE TABLE {P}T2 (B_CODE VARCHAR(3), B_N INT, PRIMARY KEY (B_CODE))",
                &error))
        << error;
    ASSERT_EQ(s.Tables().size(), 2u);
    const host::SchemaColumn* txt = s.Column("T1", "A_TXT");
    ASSERT_NE(txt, nullptr);
    EXPECT_EQ(txt->width, 12);
    EXPECT_EQ(txt->default_value, "l'a;b");
    EXPECT_EQ(txt->line, 4);
    EXPECT_EQ(s.Column("T1", "A_NEG")->default_value, "-5");
    EXPECT_EQ(s.Column("T1", "A_NEG")->kind, ColumnKind::Integer);
    EXPECT_EQ(s.Column("T1", "A_NUL")->kind, ColumnKind::Text);
    EXPECT_FALSE(s.Column("T1", "A_NUL")->has_default);
    EXPECT_EQ(s.Table("T2")->line, 8);
    EXPECT_TRUE(s.Column("T2", "B_CODE")->primary_key);
    EXPECT_FALSE(s.Column("T2", "B_N")->primary_key);
}

TEST(SchemaCatalog, RefusesWhatItCannotReadNamingTheLine) {
    const std::pair<const char*, const char*> bad[] = {
        {"CREATE TABLE {P}T (\n  A INTEGER,\n  B TEXT DEFAULT '')",
         "line 3: T.B: type TEXT is not one the records read"},
        {"CREATE TABLE {P}T (\n  A VARCHAR DEFAULT '')", "line 2: T.A: VARCHAR without a width"},
        {"CREATE TABLE {P}T (A VARCHAR(0))", "line 1: T.A: VARCHAR without a width"},
        {"CREATE TABLE {P}T (A INTEGER,\n a INTEGER)", "line 2: T.a: defined twice"},
        {"CREATE TABLE {P}T (A INTEGER);\n\nCREATE TABLE {P}T (B INTEGER)",
         "line 3: table T created twice"},
        {"CREATE TABLE T (A INTEGER)", "line 1: CREATE TABLE without {P}"},
        {"CREATE TABLE {P}T (A INTEGER DEFALUT 0)", "line 1: T.A: cannot read \"DEFALUT\""},
        {"CREATE TABLE {P}T (A INTEGER,, B INTEGER)", "line 1: T: empty column definition"},
        {"CREATE TABLE {P}T (A VARCHAR(3) DEFAULT 'x)", "line 1: unterminated quoted text"},
        {"CREATE TABLE {P}T A INTEGER", "line 1: T: no column list in parentheses"},
    };
    for (const auto& [text, want] : bad) {
        SCOPED_TRACE(text);
        SchemaCatalog s;
        std::string error;
        EXPECT_FALSE(s.Parse(text, &error));
        EXPECT_EQ(error.substr(0, std::string(want).size()), want) << error;
    }
}

}  // namespace
