// The month-end closing of October 2024 on a medium demo practice of its own (the closing
// changes it): after it, everything that reports the receivable or the year's production
// says what it said before. The receivable report as of today and of the month's end, the
// integrity check (nothing divergent, both sources), the producer analysis (receivables,
// year to date, month to date, both paths) and the next day-end's receivable.
// The closing runs by SQL on SQLite and from the day sheet on PostgreSQL.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "analysis/prodanal.h"
#include "closing/dayend_collect.h"
#include "closing/mthend_state.h"
#include "host/base/env.h"
#include "host/ui/backend.h"
#include "host/ui/recording.h"
#include "receivables/archk.h"
#include "tests/receivables/ar_check.h"
#include "tests/reconcile/medium.h"

namespace {

class MediumMonthEnd : public testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        t_ = std::make_unique<testing_support::TestDb>(GetParam(), false);
        demo::DemoOptions o;
        o.size = demo::Size::Medium;
        o.seed = 1;
        o.today = reconcile::kToday;
        std::string error;
        demo::DemoStats stats;
        ASSERT_TRUE(demo::GenerateDemo(t_->db(), o, &stats, &error)) << error;
        app_ = std::make_unique<QDSApplication>(&t_->db());
        QDSApplication::SetInstance(app_.get());
        launcher_ = std::make_unique<LauncherInfo>(app_.get());
        host::SetFixedToday(reconcile::kToday);
        host::ui::SetBackend(&backend_);
    }
    void TearDown() override {
        host::ui::SetBackend(nullptr);
        host::SetFixedToday(0);
        launcher_.reset();
        QDSApplication::SetInstance(nullptr);
    }
    GenDB& db() { return t_->db(); }

    // The receivable report's producer lines and its account count, both groupings.
    std::string Receivables(long date) {
        std::string out;
        for (const auto& [kind, grouping] : {std::pair{0, 1}, std::pair{1, 0}}) {
            app_->m_CalAR = 1;
            const arrpt_info info = ar_check::Criteria(date, kind, grouping, "*", 'Y', 1, 0);
            ar_check::Ran ran = ar_check::RunToText(info, false, launcher_.get(), "mthend.prt");
            const ar::ARData& d = ran.run->Data();
            out += std::to_string(d.accounts.size()) + " accounts;";
            for (const ar::ProducerRow& p : d.producers) {
                out += p.code + ":";
                for (int i = 0; i < 6; ++i)
                    out += std::to_string(p.ar.tot.v[i]) + ",";
            }
            out += "|";
        }
        return out;
    }
    // Per code: receivables, the year to date the records carry, the month to date.
    std::map<std::string, std::vector<int64_t>> Analysis(long date, bool sql) {
        TProducerAnalysisObj pa(launcher_.get(), 0, date, nullptr, true);
        EXPECT_TRUE(sql ? pa.CollectSql(false, false) : pa.CollectDaySheet(false, false))
            << pa.Error();
        std::map<std::string, std::vector<int64_t>> out;
        for (TDElem* e : pa.GetCodeList()) {
            auto* c = static_cast<drbalfwd_info*>(e);
            out[c->code] = {c->bal_prod, c->bal_billdr};
        }
        for (TDElem* e : pa.GetProducerList()) {
            auto* p = static_cast<prodanal_info*>(e);
            for (int f : {PA_PROCS, PA_DENTAL, PA_LAB, PA_OFFCHG, PA_FEEADJ, PA_FEES, PA_FEESAUX,
                          PA_PMT_TOT, PA_TRF_TOT, PA_PADJ_TOT, PA_NET_TOT})
                out[p->code].push_back(p->acc[f][PA_YTD]);
            for (int f = 0; f < PA_FIELDS; ++f)
                out[p->code].push_back(p->acc[f][PA_MTD]);
        }
        return out;
    }
    // The day-end's practice receivable at the start and the end of the day.
    std::pair<int64_t, int64_t> DayEnd(long date, int mode) {
        app_->m_CalAR = mode;
        dayend::Criteria c;
        c.date = date;
        c.pass = dayend::kSummaryPass;
        c.calc_mode = mode;
        dayend::DayEndData d;
        std::string error;
        EXPECT_EQ(dayend::TDayEndRepSummation(launcher_.get(), c).Collect(&d, &error),
                  dayend::Outcome::Done)
            << error;
        return {d.practice.Opening(), d.practice.closing};
    }
    void ExpectCleanCheck() {
        for (int mode : {1, 0}) {
            SCOPED_TRACE(mode == 1 ? "CALC_FROM_DATABASE" : "CALC_FROM_INFO");
            app_->m_CalAR = mode;
            ArChk chk(launcher_->GetListPtr(), launcher_->GetMsgPtr());
            TEmgBase errors;
            chk.CheckAR(false, nullptr, launcher_.get(), nullptr, &errors, false);
            ASSERT_TRUE(chk.Ran()) << chk.Error();
            EXPECT_EQ(chk.Divergences(), 0);
            for (const ArChkProducerRow& p : chk.Producers())
                ADD_FAILURE() << p.code << " " << p.prod_ar << " " << p.prod_analysis << " "
                              << p.bill_ar << " " << p.bill_analysis;
        }
    }

    std::unique_ptr<testing_support::TestDb> t_;
    std::unique_ptr<QDSApplication> app_;
    std::unique_ptr<LauncherInfo> launcher_;
    host::ui::ScriptedBackend backend_;
};

TEST_P(MediumMonthEnd, ClosingOctoberChangesNoReportedFigure) {
    const long kDayAfter = 20241114;
    const std::string ar_today = Receivables(reconcile::kToday);
    const std::string ar_month_end = Receivables(20241130);
    const auto sql = Analysis(reconcile::kToday, true);
    const auto sheet = Analysis(reconcile::kToday, false);
    ASSERT_EQ(sql, sheet);
    const auto day_sql = DayEnd(kDayAfter, 1), day_sheet = DayEnd(kDayAfter, 0);
    const int64_t october_lines =
        db().QueryInt("SELECT COUNT(*) FROM DAYSHT WHERE DSHT_DATE BETWEEN 20241001 AND 20241031");
    ASSERT_GT(october_lines, 100);

    app_->m_CalAR = GetParam() == "sqlite" ? 1 : 0;
    mthend::CloseRequest r;
    r.period = mthend::MonthPeriod(2024, 10);
    r.today = reconcile::kToday;
    std::vector<long> unprinted;
    std::string error;
    ASSERT_EQ(mthend::PerformMthend(db(), r, &unprinted, &error), mthend::CloseResult::Closed)
        << error;
    EXPECT_EQ(db().QueryInt("SELECT COUNT(*) FROM DAYSHT WHERE DSHT_DATE BETWEEN 20241001 AND "
                            "20241031"),
              0);
    // The money of the history up to October now lives in the producers' records.
    EXPECT_NE(db().QueryInt("SELECT SUM(PROD_AR_PROD) FROM PRODCD"), 0);
    EXPECT_NE(db().QueryInt("SELECT SUM(PROD_YTD_FEES) FROM PRODCD"), 0);

    EXPECT_EQ(Receivables(reconcile::kToday), ar_today);
    EXPECT_EQ(Receivables(20241130), ar_month_end);
    EXPECT_EQ(Analysis(reconcile::kToday, true), sql);
    EXPECT_EQ(Analysis(reconcile::kToday, false), sheet);
    EXPECT_EQ(DayEnd(kDayAfter, 1), day_sql);
    EXPECT_EQ(DayEnd(kDayAfter, 0), day_sheet);
    ExpectCleanCheck();
}

INSTANTIATE_TEST_SUITE_P(Engines, MediumMonthEnd, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
