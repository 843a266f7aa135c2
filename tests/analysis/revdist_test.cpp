// The revenue distribution over a hand-built practice whose shares are computed by hand
// (tests/analysis/revdist_practice.h), on every engine and in both calculation modes, and
// over the small demo practice, where both modes must give the same rows.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <map>
#include <sstream>

#include "analysis/revdist_collect.h"
#include "analysis/revdist_run.h"
#include "host/output/paths.h"
#include "host/output/textprint.h"
#include "host/records/context.h"
#include "tests/analysis/revdist_practice.h"
#include "tests/output/helpers.h"
#include "tests/support/practice_test.h"
#include "tests/support/testdb.h"

namespace {

using revdist::Amounts;
using revdist::RevDistData;
using revdist::RuleRow;
using testing_support::TestDb;

Amounts A(int64_t pay, int64_t adj, int64_t lab, int64_t day, int64_t month, int64_t day_share,
          int64_t month_share) {
    return {pay, adj, lab, day, month, day_share, month_share};
}

// "1,234.56" or "-5.99" in cents; false for any other word.
bool Cents(const std::string& w, int64_t* out) {
    std::string digits;
    bool neg = false;
    for (size_t i = 0; i < w.size(); ++i) {
        if (w[i] == '-' && i == 0)
            neg = true;
        else if (w[i] == ',' || w[i] == '.')
            continue;
        else if (w[i] >= '0' && w[i] <= '9')
            digits += w[i];
        else
            return false;
    }
    if (digits.empty() || w.find('.') == std::string::npos || w.size() < 4 ||
        w[w.size() - 3] != '.')
        return false;
    *out = std::stoll(digits) * (neg ? -1 : 1);
    return true;
}

// The amounts at the end of a printed line, left to right (the percentage, one decimal,
// is not an amount and ends the run).
std::vector<int64_t> TrailingAmounts(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    std::vector<int64_t> out;
    for (auto it = words.rbegin(); it != words.rend(); ++it) {
        int64_t c = 0;
        if (!Cents(*it, &c)) break;
        out.insert(out.begin(), c);
    }
    return out;
}

struct Ran {
    std::unique_ptr<RevDistReportRun> run;
    std::string text;
    std::vector<std::vector<std::string>> pages;
};

Ran RunToText(LauncherInfo* launcher, long date, int mode, const std::string& doctor = "") {
    Ran r;
    r.run = std::make_unique<RevDistReportRun>(date, mode);
    r.run->SetSummByDoc(!doctor.empty(), doctor);
    const std::string path = host::output::OutputPath("revdist.prt");
    FILE* prt = std::fopen(path.c_str(), "w");
    EXPECT_NE(prt, nullptr) << path;
    std::string error;
    EXPECT_TRUE(reports::RunHeadless(*r.run, launcher, prt, 1, "revdist", &error)) << error;
    if (prt) std::fclose(prt);
    std::vector<host::output::TextPage> pages;
    EXPECT_TRUE(host::output::ReadTextPages(path, &pages, &error)) << error;
    for (const auto& p : pages) {
        r.pages.push_back(p);
        for (const auto& l : p)
            r.text += l + "\n";
    }
    return r;
}

std::vector<const RuleRow*> Rules(const RevDistData& d) {
    std::vector<const RuleRow*> out;
    for (const auto& g : d.groups)
        for (const auto& r : g.rules)
            out.push_back(&r);
    return out;
}

// Every TOTAL line holds the sums of the rule lines printed since the previous one, and
// the line "after distribution" repeats the day share total.
void ExpectTotalsAreSums(const std::string& text) {
    std::istringstream in(text);
    std::vector<int64_t> sum(7, 0);
    int64_t day_share_total = 0;
    int totals = 0, rows = 0;
    bool after_pending = false;
    for (std::string line; std::getline(in, line);) {
        const std::vector<int64_t> a = TrailingAmounts(line);
        if (line.find("APRÈS DISTRIBUTION:") != std::string::npos) {
            ASSERT_EQ(a.size(), 1u) << line;
            EXPECT_EQ(a[0], day_share_total) << line;
            after_pending = false;
            continue;
        }
        if (line.size() > 25 && line.compare(20, 5, "TOTAL") == 0) {
            ASSERT_EQ(a.size(), 7u) << line;
            EXPECT_EQ(a, sum) << line;
            day_share_total = a[5];
            sum.assign(7, 0);
            ++totals;
            after_pending = true;
            continue;
        }
        // A rule line: five amounts, the percentage, two shares.
        if (a.size() == 2 && line.size() > 100) {
            std::istringstream w(line.substr(40));
            std::vector<int64_t> v;
            for (std::string word; w >> word;) {
                int64_t c = 0;
                if (Cents(word, &c)) v.push_back(c);
            }
            ASSERT_EQ(v.size(), 7u) << line;
            for (size_t i = 0; i < 7; ++i)
                sum[i] += v[i];
            ++rows;
        }
    }
    EXPECT_FALSE(after_pending);
    EXPECT_GT(totals, 0);
    EXPECT_GT(rows, 0);
}

class RevDistTest : public testing_support::PracticeTest<> {
  protected:
    void Build(GenDB& db) override { revdist_test::BuildPractice(db); }
};

TEST_P(RevDistTest, SharesMatchTheHandFiguresOnBothPaths) {
    std::string text_sql;
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "SQL" : "day sheet");
        const Ran ran = RunToText(launcher_.get(), revdist_test::kDate, mode);
        const RevDistData& d = ran.run->Data();
        // File order; a change of group code starts a group, so D01 and D02 come twice.
        ASSERT_EQ(d.groups.size(), 5u);
        const char* codes[] = {"D01", "D02", "D01", "D02", "H01"};
        for (size_t g = 0; g < 5; ++g)
            EXPECT_EQ(d.groups[g].code, codes[g]);
        EXPECT_EQ(d.groups[0].practitioner, "Dre Marie Tremblay (D01)");
        const auto rules = Rules(d);
        ASSERT_EQ(rules.size(), 7u);
        // 100 % with the flag: no remainder.
        EXPECT_EQ(rules[0]->amounts, A(12150, 300, 2000, 14450, 19451, 14450, 19451));
        EXPECT_EQ(rules[1]->amounts, A(10050, 0, 0, 10050, 13001, 3350, 4333));
        // 50 % without the flag: the plain rounded products.
        EXPECT_EQ(rules[2]->amounts, A(1001, 0, 0, 1001, 3001, 501, 1501));
        EXPECT_EQ(rules[3]->amounts, A(700, 0, 0, 700, 700, 700, 700));
        EXPECT_EQ(rules[4]->amounts, A(10050, 0, 0, 10050, 13001, 3350, 4333));
        // A zero month total: no remainder although the flag is set.
        EXPECT_EQ(rules[5]->amounts, A(-1000, 0, 0, -1000, 0, -599, 0));
        EXPECT_EQ(rules[5]->day_remainder, 0);
        // The remainder rule of the three sharing 01/H01.
        EXPECT_EQ(rules[6]->amounts, A(10050, 0, 0, 10050, 13001, 3350, 4335));
        EXPECT_EQ(rules[6]->day_remainder, -1);
        EXPECT_EQ(rules[6]->month_remainder, 0);
        EXPECT_EQ(
            rules[1]->amounts.day_share + rules[4]->amounts.day_share + rules[6]->amounts.day_share,
            10050);
        EXPECT_EQ(rules[1]->amounts.month_share + rules[4]->amounts.month_share +
                      rules[6]->amounts.month_share,
                  13001);
        EXPECT_NE(ran.text.find("Tremblay, Marie     Bélanger-Côté, Émi"), std::string::npos)
            << ran.text;
        EXPECT_NE(ran.text.find("POUR Dre Marie Tremblay (D01)"), std::string::npos);
        EXPECT_NE(ran.text.find("Rapport pour la date de: 15/11/2024"), std::string::npos);
        ExpectTotalsAreSums(ran.text);
        if (mode == 1)
            text_sql = ran.text;
        else
            EXPECT_EQ(ran.text, text_sql);
    }
}

TEST_P(RevDistTest, EachGroupStartsAPageAndClosesWithItsTotals) {
    const Ran ran = RunToText(launcher_.get(), revdist_test::kDate, 1);
    ASSERT_EQ(ran.pages.size(), 5u);
    const char* who[] = {"(D01)", "(D02)", "(D01)", "(D02)", "(H01)"};
    for (size_t p = 0; p < 5; ++p) {
        std::string page;
        for (const auto& l : ran.pages[p])
            page += l + "\n";
        EXPECT_NE(page.find(std::string("POUR ")), std::string::npos);
        EXPECT_NE(page.find(who[p]), std::string::npos) << page;
        EXPECT_NE(page.find("PAIEMENTS TOTAUX APRÈS DISTRIBUTION:"), std::string::npos) << page;
    }
    // Group 1: rules 1 and 2; its day share total is 144.50 + 33.50.
    std::string first;
    for (const auto& l : ran.pages[0])
        first += l + "\n";
    EXPECT_NE(first.find("     178.00"), std::string::npos) << first;
}

TEST_P(RevDistTest, OneBillingDoctorKeepsItsRulesAndItsGroupsWhole) {
    for (int mode : {1, 0}) {
        const Ran ran = RunToText(launcher_.get(), revdist_test::kDate, mode, "01");
        const RevDistData& d = ran.run->Data();
        // Rule 3 (doctor 02, group D02) stands between rules 2 and 4 of group D01: passed
        // over, it does not close that group.
        ASSERT_EQ(d.groups.size(), 3u);
        EXPECT_EQ(d.groups[0].code, "D01");
        ASSERT_EQ(d.groups[0].rules.size(), 3u);
        EXPECT_EQ(d.groups[0].rules[2].rule_id, 4);
        EXPECT_EQ(d.groups[1].code, "D02");
        EXPECT_EQ(d.groups[1].rules.size(), 1u);
        EXPECT_EQ(d.groups[2].code, "H01");
        EXPECT_NE(ran.text.find("POUR Dre Marie Tremblay (D01), Dr Facturant 01"),
                  std::string::npos);
        EXPECT_EQ(ran.text.find("Gagnon, Paul"), std::string::npos);
        ExpectTotalsAreSums(ran.text);
        // The totals of group D01 are those of its three rules.
        const Amounts t = revdist::GroupTotal(d.groups[0]);
        EXPECT_EQ(t, A(22900, 300, 2000, 25200, 33152, 18500, 24484));
    }
}

TEST_P(RevDistTest, TheDataFileHoldsTheRulesAndTheGroupTotals) {
    const Ran ran = RunToText(launcher_.get(), revdist_test::kDate, 1);
    const auto files = ran.run->DataFiles();
    ASSERT_EQ(files.size(), 1u);
    const host::output::ReportTable& t = *files[0].table;
    EXPECT_EQ(t.RowCount(), 7u + 5u);
    for (const char* key : {"Paiements", "PmtAjust", "Laboratoires", "TotalJour", "TotalMois",
                            "PartJour", "PartMois"})
        EXPECT_EQ(t.Sum(key, ""), t.Sum(key, "T")) << key;
    EXPECT_EQ(t.Sum("PartJour", ""), 14450 + 3350 + 501 + 700 + 3350 - 599 + 3350);
}

TEST_P(RevDistTest, EarlierInTheMonthTheDayColumnsHoldThatDay) {
    // On 11-12 only the payment of that day is the day's (02/D02 20.00); what was entered
    // on 11-15 is not there yet.
    for (int mode : {1, 0}) {
        const Ran ran = RunToText(launcher_.get(), 20241112, mode);
        const auto rules = Rules(ran.run->Data());
        ASSERT_EQ(rules.size(), 7u);
        EXPECT_EQ(rules[0]->amounts, A(0, 0, 0, 0, 5001, 0, 5001));
        EXPECT_EQ(rules[2]->amounts, A(2000, 0, 0, 2000, 2000, 1000, 1000));
        // Rule 6 alone shares 02/H01: its remainder takes what its 60 % leaves.
        EXPECT_EQ(rules[5]->amounts, A(0, 0, 0, 0, 1000, 0, 1000));
    }
}

TEST(RevDistShare, RoundsHalfUpAsTheTruncationOfPlusOneHalf) {
    EXPECT_EQ(revdist::Share(10050, 3333), 3350);  // 3349.665
    EXPECT_EQ(revdist::Share(13001, 3334), 4335);  // 4334.5334
    EXPECT_EQ(revdist::Share(3001, 5000), 1501);   // 1500.5
    EXPECT_EQ(revdist::Share(-1000, 6000), -599);  // -600 + 0.5, truncated
    EXPECT_EQ(revdist::Share(0, 3333), 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, RevDistTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

// Every billing doctor and producer's sums in one set-based statement, independent of the
// report: the applications it counts, each dated as it counts, with its adjustment and
// laboratory marks. Pair -> {adjustments, laboratory, day total, month total} of the day.
std::map<std::pair<std::string, std::string>, std::array<int64_t, 4>> PairSums(GenDB& db,
                                                                               long date) {
    const std::string p = db.dbTablePrefix();
    const std::string from = std::to_string(date / 100 * 100 + 1), to = std::to_string(date);
    const std::string kinds =
        " AND (APMT_RECTYPE = 'P' OR (APMT_RECTYPE = 'A' AND APMT_PMT = 'Y'))";
    auto part = [&](const std::string& day, const std::string& where) {
        return "SELECT PAPP_BILLDR AS b, PAPP_PRODUCER AS pr, PAPP_AMOUNT AS amt, " + day +
               " AS d, APMT_RECTYPE AS k, CASE WHEN PAPP_RECTYPE = 'T' THEN PAPP_CTRTID ELSE 0 "
               "END AS t FROM " +
               p + "PMTAPP, " + p + "ACCPMT WHERE APMT_ID = PAPP_APMTID AND " + where + kinds;
    };
    const std::string sql =
        "SELECT b, pr, SUM(CASE WHEN d = " + to +
        " AND k = 'A' THEN amt ELSE 0 END), SUM(CASE "
        "WHEN d = " +
        to +
        " AND k = 'P' AND PROC_IS_LAB = 'Y' THEN amt ELSE 0 END), SUM(CASE "
        "WHEN d = " +
        to + " THEN amt ELSE 0 END), SUM(amt) FROM (" +
        part("PAPP_DATE", "PAPP_DATE >= " + from + " AND PAPP_DATE <= " + to +
                              " AND APMT_DATE >= APMT_SYSDATE") +
        " UNION ALL " +
        part("PAPP_SYSDATE", "PAPP_SYSDATE >= " + from + " AND PAPP_SYSDATE <= " + to +
                                 " AND PAPP_DATE < PAPP_SYSDATE") +
        ") x LEFT JOIN " + p + "CLMTRT ON CTRT_ID = t LEFT JOIN " + p +
        "PROCCD ON PROC_SYS_CODE = CTRT_SYSTEM_CODE GROUP BY b, pr";
    std::map<std::pair<std::string, std::string>, std::array<int64_t, 4>> out;
    EXPECT_EQ(db.dbOpen(sql, 9), 0) << db.dbLastError();
    for (int r = db.dbFetch(0, 9); r == 0; r = db.dbFetch(1, 9)) {
        std::string b, pr;
        std::array<long, 4> v{};
        db.dbGetField(1, &b, 9);
        db.dbGetField(2, &pr, 9);
        for (int i = 0; i < 4; ++i)
            db.dbGetLong(3 + i, &v[static_cast<size_t>(i)], 9);
        out[{b, pr}] = {v[0], v[1], v[2], v[3]};
    }
    db.dbClose(9);
    return out;
}

// The small demo practice: both calculation modes give the same rows, each rule's sums are
// those of one set-based statement, and no share has the opposite sign of its total.
using RevDistDemoTest = testing_support::SmallDemoTest;

TEST_P(RevDistDemoTest, BothPathsGiveTheSameRowsOnTheSmallDemo) {
    // The demo's last days, a month's first and last, and the days of its laboratory
    // payment and of its adjustments counted as payments.
    int64_t labs = 0, adjustments = 0;
    for (long date : {20241115L, 20241114L, 20241101L, 20241031L, 20240730L, 20240527L}) {
        SCOPED_TRACE(date);
        const Ran sql = RunToText(launcher_.get(), date, 1);
        const Ran sheet = RunToText(launcher_.get(), date, 0);
        EXPECT_EQ(sql.text, sheet.text);
        const auto a = Rules(sql.run->Data());
        const auto b = Rules(sheet.run->Data());
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i)
            EXPECT_EQ(a[i]->amounts, b[i]->amounts) << "rule " << a[i]->rule_id;
        ExpectTotalsAreSums(sql.text);
        const auto sums = PairSums(db(), date);
        for (const RuleRow* r : a) {
            auto it = sums.find({r->billdr, r->producer});
            const std::array<int64_t, 4> s =
                it == sums.end() ? std::array<int64_t, 4>{} : it->second;
            EXPECT_EQ(r->amounts.pmt_adjust, s[0]) << "rule " << r->rule_id;
            EXPECT_EQ(r->amounts.lab, s[1]) << "rule " << r->rule_id;
            EXPECT_EQ(r->amounts.day_total, s[2]) << "rule " << r->rule_id;
            EXPECT_EQ(r->amounts.month_total, s[3]) << "rule " << r->rule_id;
            labs += r->amounts.lab;
            adjustments += r->amounts.pmt_adjust;
        }
        for (const RuleRow* r : a)
            EXPECT_GE(r->amounts.month_share * r->amounts.month_total, 0) << "rule " << r->rule_id;
    }
    EXPECT_NE(labs, 0);
    EXPECT_NE(adjustments, 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, RevDistDemoTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
