// Amount formats and fixed-width text measured in characters.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "host/base/numfmt.h"
#include "host/base/text.h"

namespace {

TEST(Amounts, Formats) {
    EXPECT_EQ(host::FormatAmount(0), "0.00");
    EXPECT_EQ(host::FormatAmount(5), "0.05");
    EXPECT_EQ(host::FormatAmount(-5), "-0.05");
    EXPECT_EQ(host::FormatAmount(-100), "-1.00");
    EXPECT_EQ(host::FormatAmount(99999), "999.99");
    EXPECT_EQ(host::FormatAmount(100000), "1,000.00");
    EXPECT_EQ(host::FormatAmount(-123456789), "-1,234,567.89");
    EXPECT_EQ(host::FormatAmount(123456789, 0, false), "1234567.89");
    // A 64-bit total far beyond 32 bits.
    EXPECT_EQ(host::FormatAmount(int64_t{5000000000000}), "50,000,000,000.00");
    EXPECT_EQ(host::FormatAmount(INT64_MIN).substr(0, 2), "-9");
    char buf[40];
    EXPECT_STREQ(MakeNumericFormat(123456, buf, 13), "     1,234.56");
    EXPECT_STREQ(MakeNoCommaNumFormat(-123456, buf, 11), "   -1234.56");
    EXPECT_STREQ(MakeNumericFormat(123456789, buf, 5), "1,234,567.89");  // never cut
}

TEST(Amounts, Parsing) {
    int64_t c = 0;
    EXPECT_TRUE(host::ParseAmount("1,234.56", &c));
    EXPECT_EQ(c, 123456);
    EXPECT_TRUE(host::ParseAmount("12,5", &c));  // decimal comma
    EXPECT_EQ(c, 1250);
    EXPECT_TRUE(host::ParseAmount("-0.5", &c));
    EXPECT_EQ(c, -50);
    EXPECT_TRUE(host::ParseAmount("$ 3.10", &c));
    EXPECT_EQ(c, 310);
    EXPECT_TRUE(host::ParseAmount("1 000", &c));
    EXPECT_EQ(c, 100000);
    c = 77;
    for (const char* bad : {"", "abc", "1.234", "12..3", "-", "1.2.3", "99999999999"})
        EXPECT_FALSE(host::ParseAmount(bad, &c)) << bad;
    EXPECT_EQ(c, 77);
    EXPECT_EQ(host::PercentOf(-101, 50), -51);  // half away from zero
    EXPECT_EQ(host::PercentOf(101, 50), 51);
    EXPECT_EQ(host::PercentOf(333, 33.33), 111);
}

TEST(FixedWidth, CountsCharactersNotBytes) {
    EXPECT_EQ(host::U8Format("%-10.10s|", "Hygiéniste Émilie"), "Hygiéniste|");
    EXPECT_EQ(host::U8Format("%-12s|", "Émilie"), "Émilie      |");
    EXPECT_EQ(host::U8Format("%8s|", "Été"), "     Été|");
    EXPECT_EQ(host::U8Format("%.4s", "Québec"), "Québ");  // cut mid-word
    EXPECT_EQ(host::U8Format("%-*.*s|", 6, 3, "Ça va"), "Ça    |");
    EXPECT_EQ(host::U8Format("%3c|%-3c|", 'Y', 'N'), "  Y|N  |");
    // Other conversions behave as printf.
    EXPECT_EQ(host::U8Format("%5ld|%-4d|%05.1f|%x|%%", 42L, 7, 3.14159, 255),
              "   42|7   |003.1|ff|%");
    // A layout from the receivable report: widths stay exact with accents.
    const std::string line =
        host::U8Format("%-25.25s%-4.4s%-18.18s|", "Bélanger-Côté, Éloïse", "(É)", "À venir");
    EXPECT_EQ(host::U8Length(line), 25u + 4u + 18u + 1u);
}

TEST(FixedWidth, FitAndCopyNeverSplitACharacter) {
    EXPECT_EQ(host::U8Fit("Dépôts", 3), "Dép");
    EXPECT_EQ(host::U8Fit("Dépôts", 8), "Dépôts  ");
    EXPECT_EQ(host::U8Fit("Dépôts", 8, false), "  Dépôts");
    EXPECT_EQ(host::U8Length("Éèêë"), 4u);
    EXPECT_EQ(host::U8Length("a\xFF"
                             "b"),
              3u);  // an invalid byte counts as one
    char small[4];
    host::CopyText(small, sizeof small, "éé");  // 4 bytes: only one "é" fits with the NUL
    EXPECT_STREQ(small, "é");
    char buf[20];
    std::strcpy(buf, "  texte  \t\n");
    EXPECT_STREQ(strclip(buf), "  texte");
    EXPECT_STREQ(strpreclip(buf), "texte");
    EXPECT_EQ(host::Trim("  a b  "), "a b");
    EXPECT_EQ(host::ToUpper("élève à l'œuvre"), "ÉLÈVE À L'ŒUVRE");
    EXPECT_EQ(host::ToValidUtf8("Caf\xE9"), "Café");
}

// Names order as a French reader expects: Émond among the E, Çaron among the C, œ as oe.
TEST(Text, SortKeySetsAccentsAside) {
    EXPECT_EQ(host::SortKey("Émond"), "EMOND");
    EXPECT_EQ(host::SortKey("l'œuvre, Ærø"), "L'OEUVRE, AERO");
    EXPECT_EQ(host::SortKey("Straße"), "STRASSE");
    std::vector<std::string> names = {"Fortin", "Émond", "Dubé", "Çaron", "Ebert", "Côté", "Cote"};
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return host::SortKey(a) < host::SortKey(b);
    });
    EXPECT_EQ(names, (std::vector<std::string>{"Çaron", "Côté", "Cote", "Dubé", "Ebert", "Émond",
                                               "Fortin"}));
}

}  // namespace
