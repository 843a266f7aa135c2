// The day-end on the medium demo practice, each of the last 30 days: its producer
// summaries count the same production, payments, adjustments and transfers as the
// practice analysis's "today" line, producer by producer, on both collection paths; and
// its control totals' receivable is the analysis engine's. The practice's months are closed
// through September 2024, so that each day's analysis starts in October, as an office that
// closes its months runs it.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "analysis/prodanal.h"
#include "closing/dayend_collect.h"
#include "host/base/dates.h"
#include "tests/reconcile/medium.h"

namespace {

class MediumDayEnd : public reconcile::MediumPractice {
  protected:
    long ClosedThrough() const override { return 202409; }
};

// Per producer: production (treatments entered less deleted), payments, fee adjustments,
// payment adjustments, transfers.
struct Money {
    int64_t production = 0, payments = 0, fee_adj = 0, pmt_adj = 0, transfers = 0;
    bool operator==(const Money&) const = default;
};
using ByProducer = std::map<std::string, Money>;

std::ostream& operator<<(std::ostream& os, const Money& m) {
    return os << "{" << m.production << ", " << m.payments << ", " << m.fee_adj << ", " << m.pmt_adj
              << ", " << m.transfers << "}";
}

void DropZero(ByProducer* m) {
    std::erase_if(*m, [](const auto& kv) { return kv.second == Money{}; });
}

TEST_P(MediumDayEnd, SummariesEqualThePracticeAnalysisTodayLine) {
    int days_with_money = 0;
    for (int back = 30; back >= 1; --back) {
        const long date = incr_date(reconcile::kToday, -back);
        SCOPED_TRACE(date);
        for (int mode : {1, 0}) {
            SCOPED_TRACE(mode == 1 ? "SQL" : "day sheet");
            app().m_CalAR = mode;
            dayend::Criteria c;
            c.date = date;
            c.pass = dayend::kSummaryPass;
            c.calc_mode = mode;
            dayend::DayEndData d;
            std::string error;
            ASSERT_EQ(dayend::TDayEndRepSummation(launcher(), c).Collect(&d, &error),
                      dayend::Outcome::Done)
                << error;
            // The day-end's lines, credited as the analysis credits them: an auxiliary's
            // payments go to its billing doctor.
            ByProducer mine;
            for (const dayend::Elem& e : d.elems) {
                const bool aux = !e.producer.empty() && e.producer[0] == 'A' && !e.billdr.empty();
                const std::string to = aux ? "D" + e.billdr : e.producer;
                switch (e.kind) {
                    case 'F':
                    case 'G':
                        mine[e.producer].production += e.amount;
                        break;
                    case 'L':
                        mine[to].payments += e.amount;
                        break;
                    case 'N':
                        if (e.adj_kind == 'N')
                            mine[e.producer].fee_adj += e.amount;
                        else
                            mine[to].pmt_adj += e.amount;
                        break;
                    case 'P':
                    case 'Q':
                        mine[to].transfers += e.amount;
                        break;
                    default:
                        break;
                }
            }
            TProducerAnalysisObj pa(launcher(), 0, date, nullptr, true);
            ASSERT_TRUE(mode == 1 ? pa.CollectSql(false, false) : pa.CollectDaySheet(false, false))
                << pa.Error();
            ByProducer theirs;
            for (TDElem* el : pa.GetProducerList()) {
                const auto* p = static_cast<const prodanal_info*>(el);
                Money& m = theirs[p->code];
                m.production = p->acc[PA_DENTAL][PA_TODAY] + p->acc[PA_LAB][PA_TODAY];
                m.payments = p->acc[PA_PMT_TOT][PA_TODAY];
                m.fee_adj = p->acc[PA_FEEADJ][PA_TODAY];
                m.pmt_adj = p->acc[PA_PADJ_TOT][PA_TODAY];
                m.transfers = p->acc[PA_TRF_TOT][PA_TODAY];
            }
            DropZero(&mine);
            DropZero(&theirs);
            EXPECT_EQ(mine, theirs);
            if (!mine.empty()) ++days_with_money;

            // The summaries' practice page against the same engine's receivable.
            int64_t receivable = 0;
            for (TDElem* el : pa.GetCodeList())
                receivable += static_cast<const drbalfwd_info*>(el)->bal_prod;
            EXPECT_EQ(d.practice.closing, receivable);
        }
    }
    EXPECT_GT(days_with_money, 20);
}

INSTANTIATE_TEST_SUITE_P(Engines, MediumDayEnd, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
