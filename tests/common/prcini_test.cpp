// Procedure categories of the practice analysis and the reports' INI keys.
#include <gtest/gtest.h>

#include <fstream>

#include "common/prcini.h"
#include "common/rptini.h"
#include "host/base/env.h"
#include "host/base/text.h"

namespace {

class IniTest : public testing::Test {
  protected:
    void SetUp() override {
        path_ = host::Env().station_dir + "/" +
                testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
        std::remove(path_.c_str());
    }
    void Write(const std::string& text) { std::ofstream(path_) << text; }
    std::string path_;
};

}  // namespace

TEST_F(IniTest, CategoriesGiveTheirGroupPercentageAndDuplicates) {
    Write(
        "[REPORTS]\n"
        "ProcCat1=D0100,D0199,Diagnostic,150\n"
        "ProcCat2=  D0150 , D0250 ,Prévention,35\n"
        "ProcCat3=,A0900,Sans début,10\n"
        "ProcCat5=D7000,D7999,,40\n"
        "ProcCat6=D8000\n");
    PrcWDIniObj p(path_);
    EXPECT_EQ(p.GetPct(1), 100);  // 150 is capped
    EXPECT_EQ(p.GetPct(2), 35);
    EXPECT_EQ(p.GetPct(5), 0);  // no description
    EXPECT_EQ(p.GetPct(6), 0);
    EXPECT_EQ(p.GetPct(0), 0);
    EXPECT_EQ(p.GetPct(41), 0);

    EXPECT_EQ(p.GetGroup("D0120"), 1);
    EXPECT_FALSE(p.DuplicateGroup("D0120"));
    EXPECT_EQ(p.GetGroup("D0160"), 1);  // in 1 and 2: the first wins
    EXPECT_TRUE(p.DuplicateGroup("D0160"));
    // A code stored with blanks around it is still the range's first code.
    EXPECT_EQ(p.GetGroup("D0200"), 2);
    EXPECT_EQ(p.GetGroup("D0150"), 1);
    EXPECT_EQ(p.GetGroup("  D0250"), 2);
    // Category 3 has no first code: every code up to A0900 is in it by the range test.
    EXPECT_EQ(p.GetGroup("A0050"), 3);
    EXPECT_EQ(p.GetGroup("D9999"), PrcWDIniObj::kNoGroup);
    EXPECT_EQ(p.GetGroup(""), 41);
    EXPECT_EQ(p.GetGroup("   "), 41);
    EXPECT_FALSE(p.DuplicateGroup(""));
    EXPECT_EQ(p.GetGroup(nullptr), 41);

    std::string desc = "x";
    EXPECT_TRUE(p.GetDesc(2, &desc));
    EXPECT_EQ(desc, "Prévention");
    EXPECT_TRUE(p.GetDesc(4, &desc));
    EXPECT_EQ(desc, "");
    EXPECT_FALSE(p.GetDesc(41, &desc));
    char small[6];
    EXPECT_TRUE(p.GetDesc(2, small, sizeof small));
    EXPECT_STREQ(small, "Prév");  // cut without splitting "é"
}

TEST_F(IniTest, CategoriesRoundTripByCharacters) {
    {
        PrcWDIniObj p(path_);
        // 26 characters: cut to 25 characters (30 bytes), not to 25 bytes.
        ASSERT_TRUE(p.SetCategory(1, "D0100", "D0199", "Éléments déjà réévalués ok", "20"));
        ASSERT_TRUE(p.SetCategory(2, "D2000", "D2999", "Restauration, amalgame", "45"));
        ASSERT_TRUE(p.SetCategory(3, "", "D3999", "Sans premier code", "10"));
        // Every part at its longest: the whole line (45 characters) is read back.
        ASSERT_TRUE(
            p.SetCategory(4, "ABCDEFGHIJ", "ZZZZZZZZZ", "Chirurgie buccale et maxil", "1000"));
        EXPECT_FALSE(p.SetCategory(0, "A", "B", "C", "1"));
        p.update_inisect();
    }
    PrcWDIniObj back(path_);
    EXPECT_EQ(back.Get(1).desc, "Éléments déjà réévalués o");
    EXPECT_EQ(host::U8Length(back.Get(1).desc), 25u);
    // The comma of a description would have moved the percentage.
    EXPECT_EQ(back.Get(2).desc, "Restauration  amalgame");
    EXPECT_EQ(back.GetPct(2), 45);
    // A category without a first code is written empty.
    EXPECT_EQ(back.Get(3).last, "");
    EXPECT_EQ(back.Get(4).first, "ABCDEFG");
    EXPECT_EQ(back.Get(4).last, "ZZZZZZZ");
    EXPECT_EQ(back.GetPct(4), 100);  // "100" of "1000"
    EXPECT_EQ(back.read_secini("REPORTS", "ProcCat3", "?"), "");
    EXPECT_EQ(back.read_secini("REPORTS", "ProcCat40", "?"), "");

    back.ParseCatLine("A,B", 7);
    EXPECT_EQ(back.Get(7).first, "A");
    EXPECT_EQ(back.GetPct(7), 0);
    back.ParseCatLine("", 1);
    EXPECT_EQ(back.Get(1).desc, "");
    EXPECT_EQ(back.GetGroup("D0150"), 4);  // now only in ABCDEFG..ZZZZZZZ
}

TEST_F(IniTest, ReportKeysTakeTheirDefaultsAndLengths) {
    WDIniObj ini(path_);
    EXPECT_EQ(rptini::ReadInt(ini, "PRCA REPORT", "NumCopies"), 1);
    EXPECT_EQ(rptini::ReadText(ini, "TOPREV REPORT", "Prod"), "*");
    EXPECT_EQ(rptini::ReadInt(ini, "TOPREV REPORT", "Percent"), 20);
    ASSERT_TRUE(rptini::Write(ini, "TOPREV REPORT", "Prod", "ABCDEFG"));
    ASSERT_TRUE(
        rptini::Write(ini, "Statement", "DefaultFutureARDesc", "Paiements à venir échéance"));
    EXPECT_EQ(rptini::ReadText(ini, "TOPREV REPORT", "Prod"), "ABCD");
    EXPECT_EQ(rptini::ReadText(ini, "Statement", "DefaultFutureARDesc"), "Paiements à venir éc");
    // A value typed into the file by hand is cut on reading too.
    Write("[Statement]\nDefaultFutureARDesc=Montants à venir dans trente jours\n");
    EXPECT_EQ(host::U8Length(rptini::ReadText(ini, "Statement", "DefaultFutureARDesc")), 20u);
}
