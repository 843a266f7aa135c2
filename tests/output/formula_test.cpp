// The formula language on a table of cases: the selections and criteria that the module's
// reports and report generator build, null handling, and malformed input with the
// position of the fault.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "host/output/formula.h"

using host::formula::Error;
using host::formula::Formula;
using host::formula::FormulaSet;
using host::formula::Value;

namespace {

// One record: fields by name (any table), nullopt for NULL.
class Record : public host::formula::FieldSource {
  public:
    std::map<std::string, std::optional<std::string>> fields = {
        {"PAT_ID", "123"},         {"PAT_LNAME", "Tremblay"}, {"PAT_PNAME", "émilie"},
        {"PAT_DOCTOR", "12"},      {"PAT_DELETE_DATE", "0"},  {"PAT_CITY", std::nullopt},
        {"PAT_PHONE", ""},         {"PAT_RESPONSIBLE", "Y"},  {"CTRT_STATUS", "IC"},
        {"CTRT_DEL_DATE", "0"},    {"CTRT_CODE", "  01202"},  {"CTRT_BILL_DOC", "d5"},
        {"PCLM_DATE", "20241115"}, {"ACC_PAT_BAL", "1250"},   {"ACC_INS_BAL", "-250"},
        {"ACC_DELETE_DATE", "0"},  {"APMT_RECTYPE", "A"},     {"APMT_PMT", "Y"},
        {"APMT_PAYOR", "O'Brien"}, {"APMT_TRXNO", "000123"},
    };
    bool Field(std::string_view, std::string_view name, Value* out) const override {
        auto it = fields.find(std::string(name));
        if (it == fields.end()) return false;
        *out = it->second ? Value::Str(*it->second, true) : Value::Null();
        return true;
    }
};

// "true", "false", "null", "text:<value>", or "error:<position>:<part of the message>".
std::string Outcome(const std::string& text, const FormulaSet* named = nullptr) {
    static const Record record;
    Formula f;
    Error e;
    if (!f.Parse(text, &e)) return "error:" + std::to_string(e.position) + ":" + e.message;
    Value v;
    if (!f.Evaluate(&record, named, &v, &e))
        return "error:" + std::to_string(e.position) + ":" + e.message;
    switch (v.kind) {
        case Value::Kind::Null:
            return "null";
        case Value::Kind::Bool:
            return v.boolean ? "true" : "false";
        default:
            return "text:" + v.ToText();
    }
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

struct Case {
    const char* formula;
    const char* expected;  // an "error:" outcome needs only its position and the start of
                           // its message
};

void Check(const Case* cases, size_t n, const FormulaSet* named = nullptr) {
    for (size_t i = 0; i < n; ++i) {
        const std::string got = Outcome(cases[i].formula, named);
        const std::string want = cases[i].expected;
        if (want.rfind("error:", 0) == 0)
            EXPECT_EQ(got.substr(0, want.size()), want) << cases[i].formula;
        else
            EXPECT_EQ(got, want) << cases[i].formula;
    }
}

TEST(Formula, SelectionsTheReportsBuild) {
    const Case cases[] = {
        // Patient selection of the additional reports, payment listings.
        {"{patient.PAT_ID} = 123", "true"},
        {"{patient.PAT_ID} = 124", "false"},
        {"{Accpmt.APMT_PAYOR} = \"O'Brien\" AND {Accpmt.APMT_TRXNO} = \"000123\"", "true"},
        {" {Patient.PAT_RESPONSIBLE} = 'Y' AND {Account.ACC_DELETE_DATE} = 0 AND "
         "({Accpmt.APMT_RECTYPE} = 'P' OR  ({Accpmt.APMT_RECTYPE} = 'A' AND "
         "{Accpmt.APMT_PMT} = 'Y')) ",
         "true"},
        // Treatment status: deletion tests, a date range, the second status character.
        {"{Clmtrt.CTRT_DEL_DATE} = 0  AND {PATIENT.PAT_DELETE_DATE} = 0 AND "
         "{Patclm.PCLM_DATE} in 20241101 to 20241130  AND {Clmtrt.CTRT_STATUS}[2] in "
         "[\"C\", \"P\"]",
         "true"},
        {"{Patclm.PCLM_DATE} in 20241116 to 20241130", "false"},
        {"{Patclm.PCLM_DATE} in 20241115 to 20241115", "true"},  // both ends included
        {"{Clmtrt.CTRT_STATUS}[1] in [\"C\", \"P\"]", "false"},
        {"{Clmtrt.CTRT_STATUS}[3] = ''", "true"},  // past the end: empty
        // Formulas of the deposit report and the practice information.
        {"'Y'", "text:Y"},
        {"\"123 rue Principale\" + Chr(13) + \"Montréal, QC\"",
         "text:123 rue Principale\rMontréal, QC"},
        {"\"Dr \"\"Bob\"\" Inc.\"", "text:Dr \"Bob\" Inc."},
        {"'l''île'", "text:l'île"},
    };
    Check(cases, std::size(cases));
}

TEST(Formula, ReportGeneratorCriteria) {
    const Case cases[] = {
        // Group criteria over two fields: empty value, one value, not matching, one of,
        // range.
        {"( IsNull({patient.PAT_CITY}) or  IsNull({patient.PAT_PHONE}))", "true"},
        {"(not IsNull({patient.PAT_CITY}) and not IsNull({patient.PAT_PHONE}))", "false"},
        {"((not IsNull({patient.PAT_LNAME}) and (Length({patient.PAT_LNAME}) > 0 and "
         "LooksLike(UpperCase({patient.PAT_LNAME}), 'TREM*'))) or (not "
         "IsNull({patient.PAT_CITY}) and (Length({patient.PAT_CITY}) > 0 and "
         "LooksLike(UpperCase({patient.PAT_CITY}), 'TREM*'))))",
         "true"},
        {"((IsNull({patient.PAT_LNAME}) or not LooksLike(UpperCase({patient.PAT_LNAME}), "
         "'GAG*')) and (IsNull({patient.PAT_CITY}) or not "
         "LooksLike(UpperCase({patient.PAT_CITY}), 'GAG*')))",
         "true"},
        {"((not IsNull({patient.PAT_PNAME}) and LooksLike(UpperCase({patient.PAT_PNAME}), "
         "'LUC')) or (not IsNull({patient.PAT_PNAME}) and "
         "LooksLike(UpperCase({patient.PAT_PNAME}), 'ÉMI?IE')))",
         "true"},
        {"((not IsNull({patient.PAT_LNAME}) and UpperCase({patient.PAT_LNAME}) >= 'T' and "
         "UpperCase({patient.PAT_LNAME}) <= 'TZ'))",
         "true"},
        {"((not IsNull({patient.PAT_LNAME}) and UpperCase({patient.PAT_LNAME}) <= 'M'))", "false"},
        // Criterion formulas: empty value, yes/no flag, number, text, ranges.
        {"(Length(Trim({patient.PAT_PHONE})) = 0)", "true"},
        {"(IsNull({patient.PAT_RESPONSIBLE}) or not "
         "LooksLike(UpperCase({patient.PAT_RESPONSIBLE}), 'Y'))",
         "false"},
        {"({account.ACC_PAT_BAL} = 1250)", "true"},
        {"({account.ACC_INS_BAL} <> 0)", "true"},
        {"(LooksLike(UpperCase({patient.PAT_LNAME}), \"TREMBLAY\"))", "true"},
        {"(IsNull({patient.PAT_LNAME}) or not LooksLike(UpperCase({patient.PAT_LNAME}), "
         "\"TREMBLAY\"))",
         "false"},
        {"({account.ACC_PAT_BAL} >= Round(1000) and {account.ACC_PAT_BAL} <= Round(1250))", "true"},
        {"({account.ACC_PAT_BAL} >= Round(1250.4))", "true"},
        {"({account.ACC_PAT_BAL} >= Round(1250.5))", "false"},
        // Computed fields and default filters of the table descriptors.
        {"(({account.ACC_PAT_BAL}+{account.ACC_INS_BAL}) = 1000)", "true"},
        {"('D'+ {patient.PAT_DOCTOR}) = 'D12'", "true"},
        {"(TrimLeft({clmtrt.CTRT_CODE})) = '01202'", "true"},
        {"({clmtrt.CTRT_CODE}) = '01202'", "false"},
        {"(not LooksLike(UpperCase({clmtrt.CTRT_BILL_DOC}), 'D*'))", "false"},
        {"({patient.PAT_DELETE_DATE} = 0) and (not IsNull({patient.PAT_LNAME}))", "true"},
    };
    Check(cases, std::size(cases));
}

TEST(Formula, NullsAndTypes) {
    const Case cases[] = {
        {"{patient.PAT_CITY} = 'X'", "null"},
        {"not ({patient.PAT_CITY} = 'X')", "null"},
        {"{patient.PAT_CITY} = 'X' or true", "true"},
        {"{patient.PAT_CITY} = 'X' and false", "false"},
        {"{patient.PAT_PHONE} = 5", "null"},  // empty field against a number
        {"Length({patient.PAT_CITY})", "null"},
        {"{patient.PAT_LNAME} + {patient.PAT_CITY}", "null"},
        {"{patient.PAT_LNAME} = 'TREMBLAY'", "false"},  // comparison keeps the case
        {"LooksLike({patient.PAT_LNAME}, 'tr*y')", "true"},
        {"LooksLike('ab', 'a?b')", "false"},
        {"LooksLike('', '*')", "true"},
        {"{patient.PAT_ID} & '-' & 7", "text:123-7"},
        {"ToText(1234.5)", "text:1234.50"},
        {"ToText(2, 3)", "text:2.000"},
        {"Round(-2.5)", "text:-3"},
        {"Round(2.345, 2)", "text:2.35"},
        {"(1 + 2) * 3 - 10 / 4", "text:6.50"},
        {"-{account.ACC_INS_BAL}", "text:250"},
        {"Length('Hygiéniste')", "text:10"},
        {"UpperCase('élève') = 'ÉLÈVE'", "true"},
        {"LowerCase('ÉCOLE') = 'école'", "true"},
        {"'abc' < 'abd' and not (2 > 10)", "true"},
        {"1 in []", "false"},
        {"TRUE = true // un commentaire", "true"},
    };
    Check(cases, std::size(cases));
}

TEST(Formula, MalformedInputGivesItsPosition) {
    const Case cases[] = {
        {"{patient.PAT_ID} = ", "error:20:expression attendue"},
        {"({patient.PAT_ID} = 1", "error:22:« ) » attendu"},
        {"{patient.PAT_ID = 1", "error:1:« } » manquant"},
        {"'abc", "error:1:texte non terminé"},
        {"LooksLike({patient.PAT_LNAME})", "error:1:nombre d'arguments incorrect"},
        {"Foo(1)", "error:1:fonction inconnue « Foo »"},
        {"x = 1", "error:1:nom inconnu « x »"},
        {"1 = 1 et 2 = 2", "error:7:fin de formule attendue"},
        {"{x} in 1 2", "error:10:« to » attendu"},
        {"é = 1", "error:1:caractère inattendu « é »"},
        {"{} = 1", "error:1:nom de champ vide"},
        {"{@} = 1", "error:1:nom de champ vide"},
        {"'é' = 'é' and (", "error:16:expression attendue"},  // characters, not bytes
        {"1 = = 1", "error:5:expression attendue"},
        {"IsNull", "error:7:« ( » attendu"},
        {"Chr(13", "error:7:« ) » attendu"},
        {"[1]", "error:1:expression attendue"},
        {"", "null"},
        // Evaluation errors also name their place.
        {"{patient.PAT_LNAME} = 5", "error:21:comparaison d'un nombre et d'un texte"},
        {"{patient.PAT_NOPE} = 1", "error:1:champ inconnu « patient.PAT_NOPE »"},
        {"1 / ({account.ACC_PAT_BAL} - 1250)", "error:3:division par zéro"},
        {"not 'abc'", "error:5:valeur logique attendue"},
        {"1 + 'a'", "error:3:« + » entre un nombre et un texte"},
        {"Chr(0)", "error:1:code de caractère invalide"},
        {"{@nulle} = 1", "error:1:formule inconnue « nulle »"},
    };
    Check(cases, std::size(cases));

    // Input made to exhaust a recursive parser is refused, not a crash.
    const std::string deep = std::string(5000, '(') + "1" + std::string(5000, ')');
    EXPECT_NE(Outcome(deep).find("trop imbriquée"), std::string::npos);
    EXPECT_NE(Outcome(std::string(5000, '-') + "1").find("trop imbriquée"), std::string::npos);
    EXPECT_NE(Outcome("'abc'" + Repeat("[1]", 1000)).find("trop imbriquée"), std::string::npos);
    // A byte that is not UTF-8 is named as its Latin-1 reading.
    EXPECT_EQ(Outcome("'a' = \xff"), "error:7:caractère inattendu « ÿ »");
}

TEST(Formula, NamedFormulas) {
    FormulaSet named;
    Error e;
    ASSERT_TRUE(named.Add("makeage", "2024 - 1990", &e));
    ASSERT_TRUE(named.Add("Docteur", "'D' + {patient.PAT_DOCTOR}", &e));
    ASSERT_TRUE(named.Add("a", "{@b} + 1", &e));
    ASSERT_TRUE(named.Add("b", "{@A}", &e));
    ASSERT_TRUE(named.Add("casse", "{@ghost} = 1", &e));
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(named.Add("n" + std::to_string(i), "{@n" + std::to_string(i + 1) + "}", &e));
    ASSERT_TRUE(named.Add("n40", "1", &e));
    EXPECT_FALSE(named.Add("bad", "1 +", &e));
    EXPECT_EQ(e.position, 4);
    const Case cases[] = {
        {"{@makeage} = 34", "true"},
        {"{@MAKEAGE} + 1", "text:35"},
        {"{@docteur} = 'D12'", "true"},
        {"{@a}", "error:1:dans la formule « a », position 1 : dans la formule « b »"},
        {"1 = 1 and {@casse}", "error:11:dans la formule « casse », position 1 : formule inconnue"},
        {"{@bad}", "error:1:formule inconnue « bad »"},
        {"{@n10} = 1", "true"},
        {"{@n0} = 1", "error:1:dans la formule « n0 »"},
    };
    Check(cases, std::size(cases), &named);
}

TEST(Formula, SelectionNeedsALogicalResult) {
    const Record record;
    Formula f;
    Error e;
    bool selected = false;
    ASSERT_TRUE(f.Parse("", &e));
    ASSERT_TRUE(f.Select(&record, nullptr, &selected, &e));
    EXPECT_TRUE(selected);  // no selection: every record
    ASSERT_TRUE(f.Parse("{patient.PAT_CITY} = 'Laval'", &e));
    ASSERT_TRUE(f.Select(&record, nullptr, &selected, &e));
    EXPECT_FALSE(selected);  // null is not true
    ASSERT_TRUE(f.Parse("{patient.PAT_ID}", &e));
    EXPECT_FALSE(f.Select(&record, nullptr, &selected, &e));
    EXPECT_NE(e.message.find("valeur logique"), std::string::npos);
}

// Long flat lists are not nesting: a sum of 400 amounts or a selection of 5000 tests is
// read and computed; only a text past the length bound is refused, with its length.
TEST(FormulaBounds, LongListsAreAcceptedUpToTheLengthBound) {
    EXPECT_EQ(Outcome("1" + Repeat(" + 1", 399)), "text:400");
    EXPECT_EQ(Outcome("{account.ACC_PAT_BAL}" + Repeat(" - 1", 399) + " * 2"), "text:850");
    EXPECT_EQ(Outcome(Repeat("'a' & ", 399) + "'a'"), "text:" + std::string(400, 'a'));
    EXPECT_EQ(Outcome(Repeat("1 = 1 and ", 5000) + "1 = 1"), "true");
    EXPECT_EQ(Outcome(Repeat("1 = 2 or ", 5000) + "{patient.PAT_CITY} = 'X'"), "null");
    const std::string too_long = "1" + Repeat(" + 1", 20000);
    const std::string got = Outcome(too_long);
    EXPECT_EQ(got.substr(0, 8), "error:1:") << got.substr(0, 80);
    EXPECT_NE(got.find("formule trop longue (80 001 caractères"), std::string::npos) << got;
}

// No number that is not finite is ever a value: a result out of range is an error at its
// operator, a rounding to more places than a number holds leaves it as it is.
TEST(FormulaBounds, NumbersStayFinite) {
    const Case cases[] = {
        {"Round(1, 1000000)", "text:1"},
        {"Round(2.5, 400)", "text:2.50"},
        {"Round(123456.789, -2)", "text:123500"},
        {"Round(123456.789, -1000000)", "text:0"},
        {"Round(-0.4)", "text:0"},
        {"ToText(Round(1, 1000000), 2)", "text:1.00"},
        {"ToText(3, 1000000)", "text:3.0000000000"},
        {"100000000000000000000 * 100000000000000000000 * 100000000000000000000 * "
         "100000000000000000000 * 100000000000000000000 * 100000000000000000000 * "
         "100000000000000000000 * 100000000000000000000 * 100000000000000000000 * "
         "100000000000000000000 * 100000000000000000000 * 100000000000000000000 * "
         "100000000000000000000 * 100000000000000000000 * 100000000000000000000 * "
         "100000000000000000000 * 100000000000000000000",
         "error:"},
        {"Round(1, 1 / 0.000000000000000000001 * 1000000000000000000000)", "text:1"},
    };
    Check(cases, std::size(cases));
    for (const Case& c : cases) {
        const std::string got = Outcome(c.formula);
        EXPECT_EQ(got.find("nan"), std::string::npos) << c.formula;
        EXPECT_EQ(got.find("inf"), std::string::npos) << c.formula;
    }
    // Products that leave the range of numbers name their operator.
    std::string big = "1";
    for (int i = 0; i < 16; ++i)
        big += " * 100000000000000000000";
    EXPECT_EQ(Outcome(big), "error:" + std::to_string(big.rfind('*') + 1) + ":nombre hors limites");
    // So does a literal with too many digits.
    EXPECT_EQ(Outcome("2 + 1" + std::string(400, '0')), "error:5:nombre hors limites");
    // A field whose digits are too many for a number is refused where it is used as one.
    Record record;
    record.fields["HUGE"] = std::string(401, '9');
    Formula f;
    Error e;
    Value v;
    ASSERT_TRUE(f.Parse("{HUGE} = 1", &e));
    EXPECT_FALSE(f.Evaluate(&record, nullptr, &v, &e));
    EXPECT_EQ(e.Describe(), "position 8 : nombre hors limites");
    ASSERT_TRUE(f.Parse("{HUGE} & ''", &e));
    ASSERT_TRUE(f.Evaluate(&record, nullptr, &v, &e));
    EXPECT_EQ(v.ToText(), std::string(401, '9'));  // as a text it is what it is
}

TEST(FormulaBounds, ToTextWritesEveryDigit) {
    const std::string seventy =
        "1234567890123456789012345678901234567890123456789012345678901234567890";
    const std::string got = Outcome("ToText(" + seventy + ")");
    // Every digit of the number's magnitude; past the 17 that a number holds, zeros.
    EXPECT_EQ(got, "text:12345678901234567" + std::string(53, '0'));
    EXPECT_EQ(Outcome("Length(ToText(" + seventy + "))"), "text:70");
    EXPECT_EQ(Outcome("ToText(-" + seventy + ", 2)"),
              "text:-12345678901234567" + std::string(53, '0') + ".00");
    EXPECT_EQ(Outcome("ToText(9007199254740993)"), "text:9007199254740992");
    EXPECT_EQ(Outcome("ToText(12345678901234567890)"), "text:12345678901234567000");
}

// A record on which each field read is counted.
class CountingRecord : public Record {
  public:
    bool Field(std::string_view table, std::string_view name, Value* out) const override {
        ++reads;
        return Record::Field(table, name, out);
    }
    mutable int reads = 0;
};

// Named formulas citing the one below twice: each is evaluated once per record, so thirty
// levels take thirty evaluations, not a billion.
TEST(FormulaBounds, EachNamedFormulaIsEvaluatedOncePerRecord) {
    FormulaSet named;
    Error e;
    ASSERT_TRUE(named.Add("f0", "{account.ACC_PAT_BAL} - 1249", &e));
    for (int i = 1; i <= 30; ++i) {
        const std::string below = "{@f" + std::to_string(i - 1) + "}";
        ASSERT_TRUE(named.Add("f" + std::to_string(i), below + " + " + below, &e));
    }
    const CountingRecord record;
    Formula f;
    ASSERT_TRUE(f.Parse("{@f30} + {@F30}", &e));
    Value v;
    ASSERT_TRUE(f.Evaluate(&record, &named, &v, &e)) << e.Describe();
    EXPECT_EQ(v.ToText(), "2147483648");
    EXPECT_EQ(record.reads, 1);

    // The same memo across the columns of one record; a new record starts afresh.
    host::formula::RecordMemo memo;
    Formula g;
    ASSERT_TRUE(g.Parse("{@f3} * 10", &e));
    ASSERT_TRUE(f.Evaluate(&record, &named, &v, &e, &memo));
    ASSERT_TRUE(g.Evaluate(&record, &named, &v, &e, &memo));
    EXPECT_EQ(v.ToText(), "80");
    EXPECT_EQ(record.reads, 2);
    memo.Clear();
    CountingRecord other;
    other.fields["ACC_PAT_BAL"] = "1251";
    ASSERT_TRUE(g.Evaluate(&other, &named, &v, &e, &memo));
    EXPECT_EQ(v.ToText(), "160");
    bool selected = false;
    Formula s;
    ASSERT_TRUE(s.Parse("{@f1} = 4", &e));
    ASSERT_TRUE(s.Select(&other, &named, &selected, &e, &memo));
    EXPECT_TRUE(selected);
    EXPECT_EQ(other.reads, 1);
}

// Work that would grow without end stops with a French error naming what ran over.
TEST(FormulaBounds, RunawayWorkStopsWithAClearError) {
    FormulaSet named;
    Error e;
    // Text doubling at each level.
    ASSERT_TRUE(named.Add("t0", "'ab'", &e));
    for (int i = 1; i <= 20; ++i) {
        const std::string below = "{@t" + std::to_string(i - 1) + "}";
        ASSERT_TRUE(named.Add("t" + std::to_string(i), below + " & " + below, &e));
    }
    std::string got = Outcome("Length({@t20})", &named);
    EXPECT_EQ(got.substr(0, 8), "error:8:") << got.substr(0, 200);
    EXPECT_NE(got.find("texte trop long"), std::string::npos) << got.substr(0, 200);
    // Much work on a long text, cited many times.
    ASSERT_TRUE(named.Add("long", "'" + std::string(30000, 'x') + "'", &e));
    got = Outcome(Repeat("Length({@long}) + ", 3000) + "0", &named);
    EXPECT_NE(got.find("formule trop coûteuse"), std::string::npos) << got.substr(0, 200);
    // Masks that make the matching backtrack.
    ASSERT_TRUE(named.Add("a", "'" + std::string(20000, 'a') + "'", &e));
    got = Outcome("LooksLike({@a}, '*" + std::string(5000, 'a') + "b')", &named);
    EXPECT_NE(got.find("formule trop coûteuse"), std::string::npos) << got.substr(0, 200);
    // Named formulas nested past the bound, and deep trees citing deep trees.
    for (int i = 0; i < 10; ++i) {
        const std::string next = "{@d" + std::to_string(i + 1) + "}";
        ASSERT_TRUE(named.Add("d" + std::to_string(i), std::string(150, '-') + next, &e));
    }
    ASSERT_TRUE(named.Add("d10", "1", &e));
    got = Outcome("{@d0}", &named);
    EXPECT_NE(got.find("trop imbriquées"), std::string::npos) << got.substr(0, 300);
}

}  // namespace
