// The insurance receivable report against the receivable report on the medium demo
// practice: as of a date, for every doctor and carrier, its grand total is the insurance
// side of the receivable report, bucket by bucket; each doctor's insurance total is that
// doctor's insurance line of the receivable summary. Both groupings, both calculation
// modes, several dates.
#include <gtest/gtest.h>

#include <cstdio>

#include "common/report_run.h"
#include "host/output/paths.h"
#include "insurance/insar_run.h"
#include "receivables/ar_run.h"
#include "tests/receivables/ar_check.h"
#include "tests/reconcile/medium.h"

namespace {

using host::calc::Aged;
using host::calc::kTotal;

class MediumInsurance : public reconcile::MediumPractice {
  protected:
    insar::InsARData Insurance(long as_of, int grouping, const std::string& doctor, int mode) {
        insarrpt_info c;
        std::snprintf(c.doctor, sizeof c.doctor, "%s", doctor.c_str());
        std::snprintf(c.carrier, sizeof c.carrier, "*");
        c.as_of = as_of;
        c.overdue_num = 1;
        c.kind = 1;
        c.grouping = grouping;
        c.copies = 1;
        InsARReportRun run(c, mode);
        const std::string path = host::output::OutputPath("medium-insar.prt");
        FILE* prt = std::fopen(path.c_str(), "w");
        std::string error;
        EXPECT_TRUE(reports::RunHeadless(run, launcher(), prt, 1, "insarrpt", &error)) << error;
        if (prt) std::fclose(prt);
        return run.Data();
    }
    ar::ARData Receivables(long as_of, int grouping, int mode) {
        app().m_CalAR = mode;
        return ar_check::RunToText(ar_check::Criteria(as_of, 2, grouping, "*", 'N', 1), false,
                                   launcher(), "medium-ar.prt")
            .run->Data();
    }
};

// The four buckets and the total.
void ExpectSameBuckets(const Aged& insurance, const Aged& receivable, const std::string& what) {
    for (int i = 0; i <= kTotal; ++i)
        EXPECT_EQ(insurance.v[i], receivable.v[i]) << what << ", column " << i;
}

TEST_P(MediumInsurance, GrandTotalAndEachDoctorAreTheInsuranceSideOfTheReceivables) {
    struct Case {
        long as_of;
        int grouping, mode;
    };
    const Case cases[] = {{reconcile::kToday, 0, 1},
                          {reconcile::kToday, 1, 1},
                          {reconcile::kToday, 0, 0},
                          {20240615, 1, 1}};
    for (const Case& k : cases) {
        const std::string what = std::to_string(k.as_of) + " grouping " +
                                 std::to_string(k.grouping) + " mode " + std::to_string(k.mode);
        // The receivable report groups by producer with its grouping 1, by billing doctor
        // with 0; the insurance report the other way round.
        const ar::ARData ar = Receivables(k.as_of, 1 - k.grouping, k.mode);
        const insar::InsARData ins = Insurance(k.as_of, k.grouping, "*", k.mode);
        ASSERT_FALSE(ins.claims.empty()) << what;
        ExpectSameBuckets(ins.practice.All(), ar::SumAccounts(ar).ins, what);
        ExpectSameBuckets(ins.practice.All(), ar::SummaryTotal(ar).ins, what);
        int checked = 0;
        for (const ar::ProducerRow& p : ar.producers) {
            Aged doctor;
            for (const insar::TotalRow& t : ins.doctors)
                if (t.code == p.code) doctor = t.All();
            ExpectSameBuckets(doctor, p.ar.ins, what + " " + p.code);
            if (p.ar.ins.v[kTotal] != 0) ++checked;
        }
        EXPECT_GT(checked, 1) << what;
    }
}

TEST_P(MediumInsurance, OneDoctorsReportIsThatDoctorsInsuranceLine) {
    const ar::ARData ar = Receivables(reconcile::kToday, 1, 1);
    int checked = 0;
    for (const ar::ProducerRow& p : ar.producers) {
        if (p.ar.ins.v[kTotal] == 0) continue;
        const insar::InsARData ins = Insurance(reconcile::kToday, 0, p.code, 1);
        ExpectSameBuckets(ins.practice.All(), p.ar.ins, p.code);
        for (const insar::ClaimRow& c : ins.claims)
            EXPECT_EQ(c.doctor, p.code);
        if (++checked == 2) break;
    }
    EXPECT_EQ(checked, 2);
}

INSTANTIATE_TEST_SUITE_P(Engines, MediumInsurance, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
