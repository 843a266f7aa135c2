// The month-end report of October 2024 on the medium demo practice, on both collection
// paths: each producer's charges, payments, adjustments and transfers are the producer
// analysis' month to date and its receivable moves by the month's net change; the daily
// detail adds up to the summary and three busy days equal their day-end summaries; the
// monthly deposit summary printed with the report holds the deposits it shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "analysis/prodanal.h"
#include "closing/dayend_collect.h"
#include "closing/mthdep_collect.h"
#include "closing/mthend_collect.h"
#include "tests/reconcile/medium.h"

namespace {

constexpr long kFirst = 20241001, kLast = 20241031;

class MediumMonthEndReport : public reconcile::MediumPractice {
  protected:
    mthend::MonthEndData Collect(int mode) {
        app().m_CalAR = mode;
        mthend::Criteria c;
        c.first = kFirst;
        c.last = kLast;
        c.grouping = mthend::Grouping::Producer;
        c.calc_mode = mode;
        mthend::MonthEndData d;
        std::string error;
        EXPECT_EQ(mthend::TMonthEndRepSummation(launcher(), c).Collect(&d, &error),
                  mthend::Outcome::Done)
            << error;
        return d;
    }
};

TEST_P(MediumMonthEndReport, ProducersAgreeWithThePracticeAnalysis) {
    TProducerAnalysisObj pa(launcher(), 0, kLast, nullptr, true);
    ASSERT_TRUE(pa.Collect(false, false)) << pa.Error();
    TProducerAnalysisObj before(launcher(), 0, kFirst, nullptr, false);
    ASSERT_TRUE(before.Collect(false, false)) << before.Error();
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "SQL" : "day sheet");
        const mthend::MonthEndData d = Collect(mode);
        ASSERT_FALSE(d.Empty());
        int compared = 0;
        for (const mthend::Page& p : d.pages) {
            SCOPED_TRACE(p.code);
            // The receivable the analysis had before the first day, moved by the month's
            // lines.
            EXPECT_EQ(p.start, before.FindCode(p.code) ? before.FindCode(p.code)->bal_prod : 0);
            EXPECT_EQ(p.end - p.start, p.f.Net());
            const prodanal_info* a = pa.FindProducer(p.code);
            if (!a) {
                EXPECT_EQ(p.f.Net(), 0);
                continue;
            }
            // An auxiliary's production is its doctor's (folded), as "fees with auxiliaries".
            if (!a->IsAuxiliary()) {
                EXPECT_EQ(p.f.Charges() + p.f.FeeAdj(), a->acc[PA_FEESAUX][PA_MTD]);
            }
            EXPECT_EQ(p.f.Payments(), -a->acc[PA_PMT_TOT][PA_MTD]);
            EXPECT_EQ(p.f.Transfers(), -a->acc[PA_TRF_TOT][PA_MTD]);
            EXPECT_EQ(p.f.PmtAdj(), -a->acc[PA_PADJ_TOT][PA_MTD]);
            EXPECT_EQ(p.end, pa.FindCode(p.code) ? pa.FindCode(p.code)->bal_prod : 0);
            ++compared;
        }
        EXPECT_GE(compared, 3);
        int64_t receivable = 0;
        for (TDElem* e : pa.GetCodeList())
            receivable += static_cast<const drbalfwd_info*>(e)->bal_prod;
        EXPECT_EQ(d.practice.end, receivable);
        int64_t opening = 0;
        for (TDElem* e : before.GetCodeList())
            opening += static_cast<const drbalfwd_info*>(e)->bal_prod;
        EXPECT_EQ(d.practice.start, opening);
        EXPECT_EQ(d.practice.end - d.practice.start, d.practice.f.Net());
    }
}

TEST_P(MediumMonthEndReport, DailyDetailAddsUpAndBusyDaysEqualTheirDayEnd) {
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "SQL" : "day sheet");
        const mthend::MonthEndData d = Collect(mode);
        mthend::Day sum;
        for (const mthend::Day& day : d.days) {
            sum.fees += day.fees;
            sum.lab += day.lab;
            sum.charges += day.charges;
            sum.fee_adj += day.fee_adj;
            sum.payments += day.payments;
            sum.pmt_adj += day.pmt_adj;
        }
        const mthend::Figures& f = d.practice.f;
        EXPECT_EQ(sum.fees + sum.lab, f.Treatments());
        EXPECT_EQ(sum.charges, f.cat[mthend::kOfch]);
        EXPECT_EQ(sum.fee_adj, f.FeeAdj());
        EXPECT_EQ(sum.payments, f.Payments());
        EXPECT_EQ(sum.pmt_adj, f.Transfers() + f.PmtAdj());
        ASSERT_FALSE(d.days.empty());
        EXPECT_EQ(d.days.back().receivable, d.practice.end);

        // The three days with the most money received, against their day-end summaries.
        std::vector<mthend::Day> busy = d.days;
        std::sort(busy.begin(), busy.end(),
                  [](const auto& a, const auto& b) { return a.payments > b.payments; });
        busy.resize(std::min<size_t>(3, busy.size()));
        for (const mthend::Day& day : busy) {
            SCOPED_TRACE(day.date);
            dayend::Criteria c;
            c.date = day.date;
            c.pass = dayend::kSummaryPass;
            c.calc_mode = mode;
            dayend::DayEndData de;
            std::string error;
            ASSERT_EQ(dayend::TDayEndRepSummation(launcher(), c).Collect(&de, &error),
                      dayend::Outcome::Done)
                << error;
            const dayend::ProducerSummary& s = de.practice;
            EXPECT_EQ(day.fees + day.lab, s.Line('F').total - s.Line('G').total);
            EXPECT_EQ(day.payments, s.Line('L').total + s.Line('M').total);
            EXPECT_EQ(day.fee_adj, s.Line('I').total);
            EXPECT_EQ(day.pmt_adj, s.Line('P').total + s.Line('V').total);
            // Office charges deleted come off on their day in the month-end only.
            int64_t deleted = 0;
            for (const mthend::Line& l : d.lines)
                if (l.date == day.date && l.kind == 'I') deleted += l.amount;
            EXPECT_EQ(day.charges - deleted, s.Line('H').total);
        }
    }
}

TEST_P(MediumMonthEndReport, MonthlyDepositsHoldTheDeposits) {
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "SQL" : "day sheet");
        const mthend::MonthEndData d = Collect(mode);
        mthdep::MonthlyDepositObj dep(launcher(), kFirst, kLast, nullptr, mode);
        ASSERT_TRUE(dep.LoadMthDepInfo()) << dep.Error();
        int64_t payments = 0, direct = 0;
        for (const mthdep::MthDepInfo& b : dep.GetMthDepDListElem()) {
            payments += b.amt[mthdep::kPayments][0];
            direct += b.amt[mthdep::kDirect][0];
        }
        // The deposits count whole payments, the month-end their applications. The
        // payments deposited in October whose every application is a payment line of the
        // month's report are counted alike; the others (credit left unapplied, applied later
        // or reallocated) are the whole difference.
        std::map<long, int64_t> total;  // payment -> its total, deposited in October
        const std::string sql =
            "SELECT APMT_ID, APMT_TOTAL FROM ACCPMT WHERE APMT_RECTYPE = 'P' AND ((APMT_DATE >= "
            "20241001 AND APMT_DATE <= 20241031 AND APMT_DATE >= APMT_SYSDATE) OR (APMT_SYSDATE "
            ">= 20241001 AND APMT_SYSDATE <= 20241031 AND APMT_DATE < APMT_SYSDATE))";
        ASSERT_EQ(db().dbOpen(sql, 31790), 0);
        for (int r = db().dbFetch(0, 31790); r == 0; r = db().dbFetch(1, 31790)) {
            long id = 0, amount = 0;
            db().dbGetLong(1, &id, 31790);
            db().dbGetLong(2, &amount, 31790);
            total[id] = amount;
        }
        db().dbClose(31790);
        std::map<long, long> payment_of;  // application -> payment
        std::map<long, int64_t> applied;  // payment -> all its applications
        ASSERT_EQ(db().dbOpen("SELECT PAPP_ID, PAPP_APMTID, PAPP_AMOUNT FROM PMTAPP", 31790), 0);
        for (int r = db().dbFetch(0, 31790); r == 0; r = db().dbFetch(1, 31790)) {
            long id = 0, pmt = 0, amount = 0;
            db().dbGetLong(1, &id, 31790);
            db().dbGetLong(2, &pmt, 31790);
            db().dbGetLong(3, &amount, 31790);
            payment_of[id] = pmt;
            applied[pmt] += amount;
        }
        db().dbClose(31790);
        std::map<long, int64_t> in_report;  // payment -> its payment lines in the report
        for (const mthend::Line& l : d.lines)
            if (l.kind == 'L') in_report[payment_of[l.id]] -= l.amount;
        int64_t alike_deposits = 0, alike_report = 0, all_deposited = 0;
        int alike = 0;
        for (const auto& [pmt, amount] : total) {
            all_deposited += amount;
            if (applied[pmt] != amount || in_report[pmt] != amount) continue;
            alike_deposits += amount;
            alike_report += in_report[pmt];
            ++alike;
        }
        EXPECT_EQ(payments + direct, all_deposited);
        EXPECT_EQ(alike_report, alike_deposits);
        EXPECT_GT(alike, static_cast<int>(total.size()) * 9 / 10) << "of " << total.size();
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, MediumMonthEndReport,
                         testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
