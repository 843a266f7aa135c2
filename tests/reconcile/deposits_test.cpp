// The daily and monthly deposits on the medium demo practice:
//   - each day's deposits of a month, bank by bank, add up to that month's summary;
//   - a day's deposited payments equal the producer analysis's payments of the day, bar the
//     payments whose rules differ, which the test lists alone: the analysis counts a
//     payment's applications (on the payment's date, or on its entry date when entered
//     later), so a payment not wholly applied that day, a deleted or reversed payment's
//     undoing, or a payment deposited another day than its applications count, differs.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "analysis/prodanal.h"
#include "closing/deposit_reports.h"
#include "closing/mthdep_reports.h"
#include "host/db/gendb.h"
#include "tests/reconcile/medium.h"

namespace {

constexpr int kCursor = 31719;

class MediumDeposits : public reconcile::MediumPractice {
  protected:
    // The day's deposit with everything counted as a payment (107), or null when empty.
    std::unique_ptr<DayTrialReportRun> Day(long day) {
        deposit::Criteria c;
        c.date = day;
        c.adjustments_sheet = true;
        auto run = std::make_unique<DayTrialReportRun>(c, 1);
        std::string error;
        if (!reports::RunHeadless(*run, launcher(), nullptr, 3, "deposit", &error)) {
            EXPECT_TRUE(run->Empty()) << day << ": " << error;
            return nullptr;
        }
        return run;
    }

    int64_t AnalysisPayments(long day) {
        TProducerAnalysisObj engine(launcher(), 0, day, nullptr, true);
        EXPECT_TRUE(engine.Collect(true, true)) << engine.Error();
        int64_t total = 0;
        for (const TDElem* e : engine.GetProducerList())
            total -= static_cast<const prodanal_info*>(e)->acc[PA_PMT_TOT][PA_TODAY];
        return total;
    }

    // Per payment, what the analysis counts of its applications on `day` less what the
    // deposit lists of it; the payments where the two differ.
    std::map<long, int64_t> Differences(long day) {
        const std::string p = db().dbTablePrefix();
        const std::string d = std::to_string(day);
        std::map<long, int64_t> diff;
        // The analysis: an application on its payment's date when dated so and not
        // back-dated, or on its entry date when entered after its date.
        const std::string apps =
            "SELECT APMT_ID, PAPP_AMOUNT, PAPP_DATE, PAPP_SYSDATE, APMT_DATE, APMT_SYSDATE FROM " +
            p + "PMTAPP, " + p +
            "ACCPMT WHERE PAPP_APMTID = APMT_ID AND APMT_RECTYPE = 'P' AND (PAPP_DATE = " + d +
            " OR PAPP_SYSDATE = " + d + ")";
        EXPECT_EQ(db().dbOpen(apps, kCursor), 0) << db().dbLastError();
        for (int r = db().dbFetch(0, kCursor); r == 0; r = db().dbFetch(1, kCursor)) {
            long id = 0, amount = 0, pd = 0, ps = 0, ad = 0, as = 0;
            db().dbGetLong(1, &id, kCursor);
            db().dbGetLong(2, &amount, kCursor);
            db().dbGetLong(3, &pd, kCursor);
            db().dbGetLong(4, &ps, kCursor);
            db().dbGetLong(5, &ad, kCursor);
            db().dbGetLong(6, &as, kCursor);
            if (pd == ad && ad >= as && pd == day) diff[id] += amount;
            if (pd < ps && ps == day) diff[id] += amount;
        }
        db().dbClose(kCursor);
        // The deposit: the payments of the day as the report lists them.
        if (auto run = Day(day))
            for (const auto& b : run->Data().banks)
                for (const auto& s : b.sections)
                    if (s.kind == 'K')
                        for (const auto& e : s.lines)
                            diff[e.id] -= e.amount;
        for (auto it = diff.begin(); it != diff.end();)
            it = it->second == 0 ? diff.erase(it) : std::next(it);
        return diff;
    }
};

TEST_P(MediumDeposits, EachDayOfTheMonthAddsUpToTheMonthlySummaryBankByBank) {
    // The last complete month: October 2024.
    const long first = host::AddMonths(reconcile::kToday / 100 * 100 + 1, -1);
    const long last = host::MonthEnd(first);
    std::map<std::string, int64_t> payments, adjustments, charges;
    int days = 0;
    for (long day = first; day <= last; ++day) {
        auto run = Day(day);
        if (!run) continue;
        ++days;
        for (const auto& b : run->Data().banks) {
            payments[b.code] += b.Total('A', 'K') + b.Total('B', 'K');
            adjustments[b.code] += b.Total('A', 'M') + b.Total('B', 'M');
            charges[b.code] += b.Charges('A') + b.Charges('B');
        }
    }
    EXPECT_GE(days, 20);
    MonthlyDepositSummaryRun month(first, last, 1);
    std::string error;
    ASSERT_TRUE(reports::RunHeadless(month, launcher(), nullptr, 3, "mthdepsum", &error)) << error;
    ASSERT_GE(month.Banks().size(), 3u);
    EXPECT_EQ(month.Banks().size(), payments.size());
    int64_t all = 0;
    for (const mthdep::MthDepInfo& b : month.Banks()) {
        EXPECT_EQ(payments[b.code], b.amt[mthdep::kPayments][0] + b.amt[mthdep::kDirect][0])
            << b.code;
        EXPECT_EQ(adjustments[b.code], b.amt[mthdep::kDepositAdj][0] + b.amt[mthdep::kOtherAdj][0])
            << b.code;
        EXPECT_EQ(charges[b.code], b.amt[mthdep::kCharges][0]) << b.code;
        all += b.amt[mthdep::kPayments][0] + b.amt[mthdep::kDirect][0];
    }
    EXPECT_GT(all, 0);
}

TEST_P(MediumDeposits, TheDaysPaymentsAreTheAnalysisPaymentsBarThePaymentsWhoseRulesDiffer) {
    int differing = 0, listed = 0;
    for (long day : {reconcile::kToday - 2, reconcile::kToday - 1, reconcile::kToday}) {
        SCOPED_TRACE(day);
        auto run = Day(day);
        ASSERT_NE(run, nullptr);
        const int64_t deposit = run->Data().Payments();
        const std::map<long, int64_t> diff = Differences(day);
        int64_t explained = 0;
        for (const auto& [id, v] : diff)
            explained += v;
        EXPECT_EQ(AnalysisPayments(day) - deposit, explained);
        differing += static_cast<int>(diff.size());
        listed += static_cast<int>(run->Data().Count());
    }
    // Most payments agree; the rules that differ are exercised, not assumed.
    EXPECT_LT(differing * 4, listed);
}

INSTANTIATE_TEST_SUITE_P(Engines, MediumDeposits, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
