// INI files with the profile semantics the settings rely on.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "host/base/env.h"
#include "host/base/ini.h"

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

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

TEST_F(IniTest, MissingFileSectionOrKeyGivesTheDefault) {
    host::IniFile ini(path_);
    EXPECT_FALSE(ini.Exists());
    EXPECT_EQ(ini.GetString("REPORTS", "Producer", "*"), "*");
    EXPECT_EQ(ini.GetInt("REPORTS", "NumCopies", 1), 1);
    Write("[REPORTS]\nOther=1\n");
    EXPECT_EQ(ini.GetString("REPORTS", "Producer", "*"), "*");
    EXPECT_EQ(ini.GetString("ABSENT", "Other", "d"), "d");
}

TEST_F(IniTest, ReadingFollowsTheProfileRules) {
    Write(
        "\xEF\xBB\xBF; comment line\n"
        "[Prca Report]\n"
        "  producer =  D01  \n"
        "Quoted=\"  spaced  \"\n"
        "Single='x'\n"
        "Empty=\n"
        "Copies=12abc\n"
        "Word=abc\n"
        "Negative=-3\n"
        "garbage line without equals\n"
        "Producer=SECOND\n"
        "[PRCA REPORT]\n"
        "Producer=THIRD\n");
    host::IniFile ini(path_);
    // Sections and keys match without regard to case; the first occurrence wins.
    EXPECT_EQ(ini.GetString("PRCA REPORT", "Producer", ""), "D01");
    EXPECT_EQ(ini.GetString("prca report", "QUOTED", ""), "  spaced  ");
    EXPECT_EQ(ini.GetString("PRCA REPORT", "Single", ""), "x");
    EXPECT_EQ(ini.GetString("PRCA REPORT", "Empty", "default"), "");  // present but empty
    EXPECT_EQ(ini.GetInt("PRCA REPORT", "Copies", 1), 12);
    EXPECT_EQ(ini.GetInt("PRCA REPORT", "Word", 5), 0);
    EXPECT_EQ(ini.GetInt("PRCA REPORT", "Negative", 0), -3);
    char buf[4];
    EXPECT_EQ(ini.GetString("PRCA REPORT", "Producer", "", buf, sizeof buf), 3u);
    EXPECT_STREQ(buf, "D01");
    char tiny[3];
    ini.GetString("PRCA REPORT", "Quoted", "", tiny, sizeof tiny);
    EXPECT_STREQ(tiny, "  ");
}

TEST_F(IniTest, WritingKeepsEverythingElse) {
    Write("; keep this comment\n[A]\nx=1\n\n[B]\ny=2\n");
    host::IniFile ini(path_);
    ASSERT_TRUE(ini.WriteString("a", "X", "10"));        // replaces in place
    ASSERT_TRUE(ini.WriteString("A", "z", "Montréal"));  // added to the section
    ASSERT_TRUE(ini.WriteInt("C", "n", -7));             // new section at the end
    ASSERT_TRUE(ini.WriteString("B", "multi", "ligne1\nligne2"));
    EXPECT_EQ(Slurp(path_),
              "; keep this comment\n[A]\nX=10\nz=Montréal\n\n[B]\ny=2\nmulti=ligne1 ligne2\n"
              "\n[C]\nn=-7\n");
    ASSERT_TRUE(ini.WriteString("B", "y", nullptr));  // removes the key
    ASSERT_TRUE(ini.DeleteSection("a"));
    EXPECT_EQ(ini.GetString("A", "X", "gone"), "gone");
    EXPECT_EQ(ini.GetString("B", "y", "gone"), "gone");
    EXPECT_EQ(ini.GetInt("C", "n", 0), -7);
    EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"B", "C"}));
    EXPECT_NE(Slurp(path_).find("; keep this comment"), std::string::npos);
}

TEST_F(IniTest, ByteOrderMarksAreNotPartOfTheFirstSection) {
    // Saved twice by an editor that adds a mark each time: the first line is still a header,
    // and a rewrite keeps one mark without turning any line into something else.
    Write("\xEF\xBB\xBF\xEF\xBB\xBF[Poste]\r\nclé=ancienne\r\n");
    host::IniFile ini(path_);
    EXPECT_EQ(ini.GetString("POSTE", "Clé", ""), "ancienne");
    ASSERT_TRUE(ini.WriteString("Poste", "Clé", "nouvelle"));
    EXPECT_EQ(Slurp(path_), "\xEF\xBB\xBF[Poste]\nClé=nouvelle\n");
    EXPECT_EQ(ini.GetString("poste", "clé", ""), "nouvelle");
    EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"Poste"}));
}

TEST_F(IniTest, AnUnwritableFileIsReportedNotLost) {
    host::IniFile ini("/proc/rapports-cannot-write/settings.ini");
    EXPECT_FALSE(ini.WriteString("A", "x", "1"));
}

TEST_F(IniTest, ObjectsWorkInTheirOwnSection) {
    WDIniObj wd(path_);
    EXPECT_TRUE(wd.write_secini("TOPREV REPORT", "Percent", "20"));
    EXPECT_EQ(wd.read_secini("TOPREV REPORT", "Percent", 0), 20);
    EXPECT_EQ(wd.read_secini("TOPREV REPORT", "Prod", "*"), "*");
    char prod[6];
    wd.read_secini("TOPREV REPORT", "Prod", "*****XYZ", prod, sizeof prod);
    EXPECT_STREQ(prod, "*****");  // cut to the caller's size
    // GenIniObj's own section is "REPORTS".
    EXPECT_TRUE(wd.write_intini("ProcCat1", 5));
    EXPECT_EQ(wd.read_secini("REPORTS", "ProcCat1", 0), 5);

    SysWDIniObj sys(path_);
    EXPECT_FALSE(sys.GetOverNightOn());
    sys.SetOverNight(true, "02:30:59");
    EXPECT_TRUE(sys.GetOverNightOn());
    EXPECT_EQ(sys.GetOverNightTime(), "02:30");

    TUserInfo alice("alice");
    TUserInfo bob("bob");
    alice.WriteInt("RepListView", 2);
    EXPECT_EQ(bob.ReadInt("RepListView", 0), 0);  // users do not share settings
    EXPECT_EQ(alice.ReadInt("RepListView", 0), 2);
}

}  // namespace
