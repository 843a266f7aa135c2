// Literal lifting over the SQL tokenizer: what becomes a parameter, what is left alone
// (comments, quoted names, typed and escaped strings), and text refused as malformed.
#include <gtest/gtest.h>

#include "host/db/sqlnorm.h"

using host::NormalizedSql;
using host::NormalizeSql;
using host::SqlValue;

namespace {

constexpr bool kSqlite = false;
constexpr bool kPostgres = true;

std::string Texts(const NormalizedSql& n) {
    std::string out;
    for (const SqlValue& v : n.params) {
        if (!out.empty()) out += "|";
        switch (v.kind) {
            case SqlValue::Kind::Null:
                out += "NULL";
                break;
            case SqlValue::Kind::Int:
                out += "i" + std::to_string(v.i);
                break;
            case SqlValue::Kind::Real:
                out += "r" + std::to_string(v.r);
                break;
            case SqlValue::Kind::Text:
                out += "t:" + v.s;
                break;
        }
    }
    return out;
}

TEST(SqlNorm, ComparedLiteralsBecomeParameters) {
    NormalizedSql n = NormalizeSql(
        "SELECT ACC_ID, 'x' FROM ACCOUNT WHERE ACC_ID = 12 AND ACC_LNAME = 'O''Brien' "
        "AND ACC_PAT_BAL >= 10.5 ORDER BY 1",
        kSqlite);
    ASSERT_TRUE(n.error.empty()) << n.error;
    EXPECT_EQ(n.text,
              "SELECT ACC_ID, 'x' FROM ACCOUNT WHERE ACC_ID = ? AND ACC_LNAME = ? "
              "AND ACC_PAT_BAL >= ? ORDER BY 1");
    EXPECT_EQ(Texts(n), "i12|t:O'Brien|r10.500000");
    EXPECT_TRUE(n.liftable);
    EXPECT_TRUE(n.query);
    EXPECT_EQ(n.statements, 1);

    // PostgreSQL numbers its placeholders; "!(" and "!=" become what the engines take.
    n = NormalizeSql("select a from t where (!(b = 'D' and c != 3)) and d LIKE 'C%'", kPostgres);
    EXPECT_EQ(n.text, "select a from t where (NOT (b = $1 and c <> $2)) and d LIKE $3");
    EXPECT_EQ(Texts(n), "t:D|i3|t:C%");
    // A decimal stays exact and numeric on PostgreSQL, as the literal was.
    n = NormalizeSql("SELECT A FROM T WHERE B >= 0.1", kPostgres);
    EXPECT_EQ(n.text, "SELECT A FROM T WHERE B >= $1::numeric");
    EXPECT_EQ(Texts(n), "t:0.1");

    // Explicit placeholders take the caller's values, in order with the lifted ones.
    const std::vector<SqlValue> given{SqlValue("G"), SqlValue()};
    n = NormalizeSql("UPDATE T SET A = ?, B = ? WHERE C = 7", kPostgres, true, &given);
    EXPECT_EQ(n.text, "UPDATE T SET A = $1, B = $2 WHERE C = $3");
    EXPECT_EQ(Texts(n), "t:G|NULL|i7");

    // What is put in never glues onto its neighbours.
    n = NormalizeSql("SELECT A FROM T WHERE B='x'AND C=2OR D=?E'y' AND!(E=1)", kPostgres);
    EXPECT_EQ(n.text, "SELECT A FROM T WHERE B=$1 AND C=2OR D=$2 E'y' AND NOT (E=$3)");

    // Without lifting only the negation is rewritten.
    n = NormalizeSql("SELECT A FROM T WHERE !(B = 1)", kSqlite, false);
    EXPECT_EQ(n.text, "SELECT A FROM T WHERE NOT (B = 1)");
    EXPECT_TRUE(n.params.empty());
}

TEST(SqlNorm, WhatIsNotAComparedValueStaysInline) {
    struct Case {
        const char* sql;
        const char* text;
    } cases[] = {
        // Exponents, hexadecimal, 19 digits, a negative sign: inline.
        {"SELECT A FROM T WHERE B = 1e5 AND C = 0x1F AND D = 1234567890123456789 AND E = -4",
         "SELECT A FROM T WHERE B = 1e5 AND C = 0x1F AND D = 1234567890123456789 AND E = -4"},
        // Shifts and arrows are not comparisons; X'..' is a blob, not text.
        {"SELECT A FROM T WHERE (B << 2) > 0 AND C = X'0A'",
         "SELECT A FROM T WHERE (B << 2) > ? AND C = X'0A'"},
        // A name in double quotes, backquotes or brackets may hold a quote.
        {"SELECT \"l'an\", `it's`, [o'k] FROM T WHERE \"a\"\"b\" = 'v'",
         "SELECT \"l'an\", `it's`, [o'k] FROM T WHERE \"a\"\"b\" = ?"},
    };
    for (const Case& c : cases) {
        const NormalizedSql n = NormalizeSql(c.sql, kSqlite);
        ASSERT_TRUE(n.error.empty()) << c.sql << " : " << n.error;
        EXPECT_EQ(n.text, c.text) << c.sql;
    }
}

TEST(SqlNorm, CommentsAreNeitherQuotesNorValues) {
    // The report that failed with "incomplete input": the quote inside the comment.
    NormalizedSql n = NormalizeSql("SELECT A FROM T WHERE C <> /* = 'a */ 'b'", kSqlite);
    ASSERT_TRUE(n.error.empty()) << n.error;
    EXPECT_EQ(n.text, "SELECT A FROM T WHERE C <> /* = 'a */ ?");
    EXPECT_EQ(Texts(n), "t:b");

    n = NormalizeSql("SELECT A FROM T -- l'année\nWHERE B = 'x' -- fin", kPostgres);
    ASSERT_TRUE(n.error.empty()) << n.error;
    EXPECT_EQ(n.text, "SELECT A FROM T -- l'année\nWHERE B = $1 -- fin");

    // A leading comment does not hide the verb; a ';' in a comment or string ends nothing.
    n = NormalizeSql("/* rapport 600 */ SELECT A FROM T WHERE B = 'a;b' /* ; DROP TABLE T */",
                     kSqlite);
    EXPECT_TRUE(n.liftable);
    EXPECT_EQ(n.statements, 1);
    EXPECT_EQ(Texts(n), "t:a;b");

    // PostgreSQL nests block comments; SQLite ends at the first "*/".
    n = NormalizeSql("SELECT A FROM T /* a /* b */ 'c */ WHERE B = 1", kPostgres);
    ASSERT_TRUE(n.error.empty()) << n.error;
    EXPECT_EQ(n.text, "SELECT A FROM T /* a /* b */ 'c */ WHERE B = $1");
    EXPECT_FALSE(NormalizeSql("SELECT A FROM T /* a /* b */ 'c */", kSqlite).error.empty());
}

TEST(SqlNorm, PostgresEscapeAndDollarStrings) {
    // E'' takes backslash escapes: \' does not end it. It stays inline.
    NormalizedSql n = NormalizeSql("SELECT A FROM T WHERE B = E'l\\'an' AND C = 'x'", kPostgres);
    ASSERT_TRUE(n.error.empty()) << n.error;
    EXPECT_EQ(n.text, "SELECT A FROM T WHERE B = E'l\\'an' AND C = $1");
    EXPECT_EQ(Texts(n), "t:x");
    // On SQLite the same text leaves a quote open.
    EXPECT_FALSE(
        NormalizeSql("SELECT A FROM T WHERE B = E'l\\'an' AND C = 'x'", kSqlite).error.empty());
    // A name ending in E is not a prefix.
    n = NormalizeSql("SELECT A FROM T WHERE NAME='v'", kPostgres);
    EXPECT_EQ(n.text, "SELECT A FROM T WHERE NAME=$1");

    n = NormalizeSql("SELECT $$it's$$ AS A, $q$ $$ ' $q$ AS B, a$b FROM T WHERE C = 'v'",
                     kPostgres);
    ASSERT_TRUE(n.error.empty()) << n.error;
    EXPECT_EQ(n.text, "SELECT $$it's$$ AS A, $q$ $$ ' $q$ AS B, a$b FROM T WHERE C = $1");
    EXPECT_EQ(Texts(n), "t:v");
}

TEST(SqlNorm, StatementsAreCountedOutsideQuotes) {
    struct Case {
        const char* sql;
        int statements;
        bool liftable;
    } cases[] = {
        {"SELECT 1", 1, true},
        {"SELECT 1;", 1, true},
        {"SELECT 1; -- fin\n", 1, true},
        {"SELECT ';' AS A", 1, true},
        {"SELECT A FROM T; DROP TABLE ACCOUNT", 2, false},
        {"SELECT A FROM T;;DELETE FROM T", 2, false},
        {";;", 0, false},
        {"/* rien */", 0, false},
        {"", 0, false},
        {"CREATE TABLE X (A INT)", 1, false},
    };
    for (const Case& c : cases) {
        const NormalizedSql n = NormalizeSql(c.sql, kSqlite);
        EXPECT_EQ(n.statements, c.statements) << c.sql;
        EXPECT_EQ(n.liftable, c.liftable) << c.sql;
    }
    // Several statements are run as written: nothing is lifted out of them.
    const NormalizedSql n =
        NormalizeSql("UPDATE T SET A = 'x'; DELETE FROM T WHERE B = 2", kSqlite);
    EXPECT_TRUE(n.params.empty());
    EXPECT_EQ(n.text, "UPDATE T SET A = 'x'; DELETE FROM T WHERE B = 2");

    EXPECT_TRUE(NormalizeSql("WITH x AS (SELECT 1) SELECT * FROM x", kSqlite).query);
    EXPECT_TRUE(NormalizeSql("((SELECT 1))", kSqlite).query);
    EXPECT_FALSE(NormalizeSql("UPDATE T SET A = 1", kSqlite).query);
    EXPECT_FALSE(NormalizeSql("PRAGMA query_only", kSqlite).query);
}

TEST(SqlNorm, UnclosedTextIsRefusedWithItsPosition) {
    struct Case {
        const char* sql;
        bool postgres;
        const char* error;
    } cases[] = {
        {"SELECT A FROM T WHERE B = 'abc", kSqlite,
         "requête mal formée : apostrophe ouverte en position 27 sans apostrophe de fin"},
        {"SELECT A FROM T WHERE B = 'it''s", kSqlite, "apostrophe ouverte en position 27"},
        {"SELECT é FROM T /* note", kSqlite,
         "requête mal formée : commentaire /* ouvert en position 17 sans */ de fin"},
        {"SELECT \"A FROM T", kPostgres, "guillemet ouvert en position 8 sans guillemet de fin"},
        {"SELECT [A FROM T", kSqlite, "crochet ouvert en position 8"},
        {"SELECT `A FROM T", kSqlite, "accent grave ouvert en position 8"},
        {"SELECT $x$ abc FROM T", kPostgres, "chaîne $x$ ouverte en position 8 sans $x$ de fin"},
        {"SELECT E'a\\' FROM T", kPostgres, "apostrophe ouverte en position 9"},
    };
    for (const Case& c : cases) {
        const NormalizedSql n = NormalizeSql(c.sql, c.postgres);
        EXPECT_NE(n.error.find(c.error), std::string::npos) << c.sql << "\n" << n.error;
        EXPECT_FALSE(n.liftable) << c.sql;
        EXPECT_TRUE(n.params.empty()) << c.sql;
    }
}

}  // namespace
