// Report options in packed PPSET columns: the layouts cut by character, the unpacking
// rules, round trips of every layout on each engine, the row shared by two reports and
// the save-as-default question.
#include <gtest/gtest.h>

#include <deque>

#include "common/ppsetstore.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/ui/reportdlg.h"
#include "tests/common/support.h"
#include "tests/ui/ui_support.h"

using namespace ppset;

namespace {

// The criteria of AR collections as its dialog keeps them.
struct Collections {
    char overdue[3] = "3";
    char side = 'P';
    char opt04 = '0';
    char opt05 = 'P';
    char opt108 = 'Y';
    char code[7] = "*";
    long min_balance = 0;
    short copies = 1;
    std::string from, to;
    char opt126 = 'Y';
    char adj[3][16] = {};
};

void BindCollections(PPSetStore& s, Collections& c, bool with_adjustments) {
    ASSERT_TRUE(
        s.Bind("PPST_A2_FIELD02", {Slot::FirstChar(c.overdue, sizeof c.overdue, kIfNotEmpty)}));
    ASSERT_TRUE(s.Bind("PPST_A2_FIELD03", {Slot::Char(&c.side, kIfNotEmpty)}));
    ASSERT_TRUE(s.Bind("PPST_A2_FIELD04", {Slot::Char(&c.opt04, kIfNotEmpty)}));
    ASSERT_TRUE(s.Bind("PPST_A2_FIELD05", {Slot::Char(&c.opt05, kIfNotEmpty)}));
    ASSERT_TRUE(s.Bind("PPST_A2_FIELD06", {Slot::Char(&c.opt108, kIfNotEmpty)}));
    ASSERT_TRUE(
        s.Bind("PPST_A11_FIELD05", {Slot::Text(c.code, sizeof c.code, kIfNotEmpty | kClip, 6)}));
    ASSERT_TRUE(s.Bind("PPST_A51_FIELD09",
                       {Slot::Number(&c.min_balance), Slot::Number(&c.copies, kIfPositive),
                        Slot::Text(&c.from, kClip, 3), Slot::Text(&c.to, kClip, 3),
                        Slot::Char(&c.opt126, kIfYesNo)}));
    if (with_adjustments) {
        ASSERT_TRUE(s.Bind("PPST_A51_FIELD10", {Slot::Text(c.adj[0], sizeof c.adj[0], kClip, 5),
                                                Slot::Text(c.adj[1], sizeof c.adj[1], kClip, 5),
                                                Slot::Text(c.adj[2], sizeof c.adj[2], kClip, 5)}));
    }
}

// Values for any layout: every slot of every column of an owner bound to a holder.
struct Holders {
    std::deque<long> numbers;
    std::deque<char> chars;
    std::deque<std::string> texts;

    // Binds every column of store to fresh holders; with fill, gives each a distinct
    // value that fits its place (texts carry an accent and a quote).
    void BindAll(PPSetStore& store, bool fill) {
        int i = 0;
        for (const ColumnLayout& col : store.Layout().columns) {
            std::vector<Slot> slots;
            size_t used = 0;
            for (const Conversion& c : ParseLayout(col.layout)) {
                ++i;
                if (c.type == 'd') {
                    long v = 0;
                    if (fill)
                        v = c.width == 0   ? 100 + i
                            : c.width == 1 ? 1 + i % 9
                            : c.width == 2 ? 10 + i
                            : c.width < 8  ? 1234 + i
                                           : 20241100 + i;
                    numbers.push_back(v);
                    slots.push_back(Slot::Number(&numbers.back()));
                } else if (c.type == 'c') {
                    chars.push_back(fill ? "YNPMB0123"[i % 9] : '\0');
                    slots.push_back(Slot::Char(&chars.back()));
                } else {
                    const size_t w = c.width ? c.width : ppset::ColumnWidth(col.column) - used;
                    std::string t =
                        "É'" + std::to_string(i) + "abcdefghijklmnopqrstuvwxyzàéèùç0123456789";
                    texts.push_back(fill ? host::U8Left(t, w) : std::string());
                    slots.push_back(Slot::Text(&texts.back(), kClip));
                }
                used += c.width;
            }
            ASSERT_TRUE(store.Bind(col.column, std::move(slots))) << col.column;
        }
    }
};

}  // namespace

TEST(PackedLayouts, EveryLayoutParsesAndFitsItsColumn) {
    for (const OwnerLayout& o : Layouts())
        for (const ColumnLayout& c : o.columns) {
            const auto conv = ParseLayout(c.layout);
            ASSERT_FALSE(conv.empty()) << o.name << " " << c.column;
            size_t width = 0;
            for (const Conversion& v : conv)
                width += v.width;
            if (IsIntegerColumn(c.column))
                EXPECT_EQ(conv.size(), 1u) << c.column;
            else
                EXPECT_LE(width, ColumnWidth(c.column)) << o.name << " " << c.column;
        }
    EXPECT_TRUE(ParseLayout("%10ld-%c").empty());  // literal text between values
}

TEST(PackedLayouts, PackCountsCharactersAndUnpackFollowsTheRules) {
    PPSetStore s(Owner::ARCollections);
    Collections c;
    BindCollections(s, c, true);
    c.min_balance = 123456;
    c.copies = 2;
    c.from = "D01";
    c.to = "Hygiéniste";  // an accented code is cut to five characters, not five bytes
    c.opt126 = 'N';
    EXPECT_EQ(s.Pack("PPST_A51_FIELD09"), "    123456         2D01  HygiéN");
    // A missing character option is kept as a blank so that nothing after it moves.
    c.side = '\0';
    EXPECT_EQ(s.Pack("PPST_A2_FIELD03"), " ");
    // A number too wide for its place is held at the largest that fits.
    PPSetStore pc(Owner::ProcComparison);
    std::string f = "D01", t = "D09";
    char fold = 'Y', mode = 'P';
    short copies = 123;
    ASSERT_TRUE(pc.Bind("PPST_A51_FIELD02", {Slot::Text(&f), Slot::Text(&t), Slot::Char(&fold),
                                             Slot::Char(&mode), Slot::Number(&copies)}));
    EXPECT_EQ(pc.Pack("PPST_A51_FIELD02"), "D01  D09  YP99");

    // A short value: the minimum balance alone. The copies (no text: 0) and the flag
    // (missing) keep their defaults; the codes read empty, never stray characters.
    Collections e;
    e.copies = 3;
    e.from = "X";
    BindCollections(s, e, true);
    s.Unpack("PPST_A51_FIELD09", "       500");
    EXPECT_EQ(e.min_balance, 500);
    EXPECT_EQ(e.copies, 3);
    EXPECT_EQ(e.from, "");
    EXPECT_EQ(e.opt126, 'Y');
    // Copies of 0 or less, and a flag other than Y or N, keep the defaults.
    s.Unpack("PPST_A51_FIELD09", "         0        -4A    B    X");
    EXPECT_EQ(e.min_balance, 0);
    EXPECT_EQ(e.copies, 3);
    EXPECT_EQ(e.from, "A");
    EXPECT_EQ(e.to, "B");
    EXPECT_EQ(e.opt126, 'Y');
    // The three adjustment codes: slices of ten of which five characters are kept.
    s.Unpack("PPST_A51_FIELD10", "ADJ001    ÉCART2    AJ3");
    EXPECT_STREQ(e.adj[0], "ADJ00");
    EXPECT_STREQ(e.adj[1], "ÉCART");
    EXPECT_STREQ(e.adj[2], "AJ3");
    // A blank one-character column keeps its default; the producer keeps six characters.
    s.Unpack("PPST_A2_FIELD04", " ");
    s.Unpack("PPST_A11_FIELD05", "ABCDEFGHIJ");
    EXPECT_EQ(e.opt04, '0');
    EXPECT_STREQ(e.code, "ABCDEF");
    // A flag holds one ASCII character: an accented one stored there is no value, and never
    // half a character packed back.
    s.Unpack("PPST_A2_FIELD04", "é");
    EXPECT_EQ(e.opt04, '0');
    PPSetStore ps(Owner::ProcComparison);
    ASSERT_TRUE(ps.Bind("PPST_A51_FIELD02", {Slot::Text(&f), Slot::Text(&t), Slot::Char(&fold),
                                             Slot::Char(&mode), Slot::Number(&copies)}));
    ps.Unpack("PPST_A51_FIELD02", "D01  D09  éP02");
    EXPECT_EQ(ps.Pack("PPST_A51_FIELD02"), "D01  D09   P02");
    // Latin-1 bytes left by an older workstation read as their characters, one place each.
    ps.Unpack("PPST_A51_FIELD02",
              "D\xe9"
              "01 D09  NP02");
    EXPECT_EQ(f, "Dé01 ");
    EXPECT_EQ(ps.Pack("PPST_A51_FIELD02"), "Dé01 D09  NP02");
}

class PackedStore : public common_test::DbTest {};

TEST_P(PackedStore, EveryLayoutRoundTrips) {
    SettingsRows();
    for (const OwnerLayout& o : Layouts()) {
        if (!o.writable) continue;
        PPSetStore out(o.owner);
        Holders saved;
        saved.BindAll(out, true);
        std::string error;
        ASSERT_TRUE(out.Save(&db(), &error)) << o.name << ": " << error;

        PPSetStore in(o.owner);
        Holders read;
        read.BindAll(in, false);
        ASSERT_TRUE(in.Load(&db(), 80)) << o.name;
        EXPECT_EQ(read.numbers, saved.numbers) << o.name;
        EXPECT_EQ(read.chars, saved.chars) << o.name;
        EXPECT_EQ(read.texts, saved.texts) << o.name;
    }
    // The packed values landed where the table says: cash receipts in row 4.
    EXPECT_EQ(Int("SELECT COUNT(*) FROM PPSET WHERE PPST_ID = 4 AND PPST_A11_FIELD05 <> ''"), 1);
}

TEST_P(PackedStore, CollectionsAndPatientInsuranceShareRowEight) {
    SettingsRows();
    Exec("UPDATE PPSET SET PPST_A51_FIELD12 = 'autre rapport' WHERE PPST_ID = 8");
    {
        PPSetStore s(Owner::ARCollections);
        Collections c;
        BindCollections(s, c, true);
        host::CopyText(c.code, sizeof c.code, "O'NEIL");
        c.overdue[0] = '5';
        c.side = 'M';
        c.min_balance = 2500;
        c.copies = 4;
        c.from = "D02";
        c.to = "D09";
        c.opt126 = 'N';
        host::CopyText(c.adj[0], sizeof c.adj[0], "RAB");
        std::string error;
        ASSERT_TRUE(s.Save(&db(), &error)) << error;
    }
    PPSetStore p(Owner::ARPatIns);
    Collections c;
    BindCollections(p, c, false);
    ASSERT_TRUE(p.Load(&db(), 81));
    EXPECT_STREQ(c.code, "O'NEIL");
    EXPECT_EQ(std::string({c.overdue[0], c.side, c.opt126}), "5MN");
    EXPECT_EQ(c.min_balance, 2500);
    EXPECT_EQ(c.copies, 4);
    EXPECT_EQ(c.from + c.to, "D02D09");
    // The patient/insurance report saves over the same columns and leaves the adjustment
    // codes, and the other reports of the row, alone.
    c.side = 'P';
    ASSERT_TRUE(p.Save(&db()));
    EXPECT_EQ(Text("SELECT PPST_A2_FIELD03 FROM PPSET WHERE PPST_ID = 8"), "P");
    EXPECT_EQ(host::TrimRight(Text("SELECT PPST_A51_FIELD10 FROM PPSET WHERE PPST_ID = 8")), "RAB");
    EXPECT_EQ(Text("SELECT PPST_A51_FIELD12 FROM PPSET WHERE PPST_ID = 8"), "autre rapport");
}

TEST_P(PackedStore, AMissingRowKeepsTheDefaultsAndIsAddedOnSave) {
    PPSetStore s(Owner::CashReceipts);
    char from[5] = "", to[5] = "";
    char sort = 'P', group = 'N';
    ASSERT_TRUE(s.Bind("PPST_A11_FIELD05",
                       {Slot::Text(from, sizeof from, kClip), Slot::Text(to, sizeof to, kClip),
                        Slot::Char(&sort, kIfNotEmpty), Slot::Char(&group, kIfNotEmpty)}));
    EXPECT_FALSE(s.Load(&db(), 80));
    EXPECT_EQ(sort, 'P');
    EXPECT_EQ(group, 'N');
    host::CopyText(from, sizeof from, "D01");
    sort = 'A';
    ASSERT_TRUE(s.Save(&db()));
    EXPECT_EQ(Text("SELECT PPST_A11_FIELD05 FROM PPSET WHERE PPST_ID = 4"), "D01     AN");
    // A stored value without its two options keeps the built-in sort and grouping.
    Exec("UPDATE PPSET SET PPST_A11_FIELD05 = 'D02 D03' WHERE PPST_ID = 4");
    sort = 'P';
    ASSERT_TRUE(s.Load(&db(), 80));
    EXPECT_STREQ(to, "D03");
    EXPECT_EQ(sort, 'P');
    EXPECT_EQ(group, 'N');
}

// Saving takes the settings table's excluding lock, as every saving of options does: while
// another workstation holds it the save waits, then says so and changes nothing, so that
// two workstations never both add a missing row.
TEST_P(PackedStore, SavingWaitsForTheSettingsLockOfAnotherWorkstation) {
    PPSetStore s(Owner::CashReceipts);
    char from[5] = "D01", to[5] = "D02";
    char sort = 'A', group = 'N';
    ASSERT_TRUE(
        s.Bind("PPST_A11_FIELD05", {Slot::Text(from, sizeof from), Slot::Text(to, sizeof to),
                                    Slot::Char(&sort), Slot::Char(&group)}));
    std::unique_ptr<GenDB> other = t_->OpenAnother();
    ASSERT_TRUE(other && other->Lock("PPSET", 3));
    db().SetLockWaitSeconds(1);
    std::string error;
    EXPECT_FALSE(s.Save(&db(), &error));
    EXPECT_NE(error.find("verrou occupé par un autre poste"), std::string::npos) << error;
    ASSERT_TRUE(other->Unlock("PPSET", 3));
    EXPECT_EQ(Int("SELECT COUNT(*) FROM PPSET"), 0);
    ASSERT_TRUE(s.Save(&db(), &error)) << error;
    EXPECT_EQ(Text("SELECT PPST_A11_FIELD05 FROM PPSET WHERE PPST_ID = 4"), "D01 D02 AN");
}

namespace {

const char* kCashTemplate =
    "dialog 7032 \"Reçus en Argent\" 200 40\n"
    "edit 101 10 10 60 12 name=from\n"
    "reportbar\n";

class CashDlg : public TReportBaseDlg {
  public:
    explicit CashDlg(LauncherInfo* l)
        : TReportBaseDlg(nullptr, ui_test::Template(kCashTemplate), l), store(Owner::CashReceipts) {
        BindText(101, from, sizeof from);
        store.Bind("PPST_A11_FIELD05",
                   {Slot::Text(from, sizeof from, kClip), Slot::Text(to, sizeof to, kClip),
                    Slot::Char(&sort), Slot::Char(&group)});
    }
    bool ActionOnSaveAsDefault() override { return SaveAsDefault(*this, store); }
    char from[5] = "", to[5] = "";
    char sort = 'P', group = 'N';
    PPSetStore store;
};

}  // namespace

TEST_P(PackedStore, SaveAsDefaultAsksFirstAndNoSavesNothing) {
    SettingsRows();
    CashDlg dlg(launcher());
    ASSERT_TRUE(dlg.Create());
    dlg.ChildAs<TEdit>(101)->UserType("D05");
    backend.QueueAnswer(IDNO);
    EXPECT_FALSE(dlg.ActionOnSaveAsDefault());
    ASSERT_EQ(backend.Messages().size(), 1u);
    EXPECT_EQ(backend.Messages()[0].text, "Sauvegarder les paramètres par défaut?");
    EXPECT_EQ(backend.Messages()[0].title, "Reçus en Argent");
    EXPECT_EQ(backend.Messages()[0].flags, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(Text("SELECT PPST_A11_FIELD05 FROM PPSET WHERE PPST_ID = 4"), "");

    backend.QueueAnswer(IDYES);
    EXPECT_TRUE(dlg.ActionOnSaveAsDefault());
    EXPECT_EQ(Text("SELECT PPST_A11_FIELD05 FROM PPSET WHERE PPST_ID = 4"), "D05     PN");
    dlg.Destroy();
}

INSTANTIATE_TEST_SUITE_P(Engines, PackedStore, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);
