// The three lists over the small demo practice, each against one set-based statement
// written independently of the report: the same memos, the same patients.
#include <gtest/gtest.h>

#include <algorithm>

#include "followup/memo_reports.h"
#include "followup/noact_reports.h"
#include "followup/noins_reports.h"
#include "tests/followup/followup_support.h"

namespace {

using testing_support::TestDb;

std::vector<long> Longs(GenDB& db, const std::string& sql) {
    std::vector<long> out;
    EXPECT_EQ(db.dbOpen(sql, 9), 0) << db.dbLastError() << "\n" << sql;
    for (int r = db.dbFetch(0, 9); r == 0; r = db.dbFetch(1, 9)) {
        long v = 0;
        db.dbGetLong(1, &v, 9);
        out.push_back(v);
    }
    db.dbClose(9);
    std::sort(out.begin(), out.end());
    return out;
}

using FollowupDemoTest = testing_support::SmallDemoTest;

TEST_P(FollowupDemoTest, EachListHoldsWhatOneStatementFinds) {
    const std::string p = db().dbTablePrefix();

    // Memos: every owner line of the memos due in November, on both paths.
    const std::vector<long> memo_ids = Longs(
        db(), "SELECT PNOT_ID FROM " + p +
                  "PATNOTE WHERE PNOT_DUEDATE BETWEEN 20241101 AND "
                  "20241130 AND ((PNOT_PATID > 0 AND EXISTS (SELECT 1 FROM " +
                  p +
                  "PATIENT WHERE PAT_ID = PNOT_PATID)) OR (PNOT_USERID > 0 AND EXISTS (SELECT 1 "
                  "FROM " +
                  p +
                  "USERIDCD WHERE USR_ID = PNOT_USERID)) OR (PNOT_PRDID > 0 AND "
                  "EXISTS (SELECT 1 FROM " +
                  p + "PRODCD WHERE PROD_ID = PNOT_PRDID)))");
    ASSERT_FALSE(memo_ids.empty());
    for (int mode : {1, 0}) {
        MemoReportRun run(20241101, 20241130, mode);
        followup_test::RunToText(run, launcher_.get(), "tickrpt");
        std::vector<long> ids;
        for (const memo::MemoLine& l : run.Data().lines)
            ids.push_back(l.memo_id);
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(ids, memo_ids) << "mode " << mode;
    }

    // Patients not seen: no claim since 2024-01-01 and a completed or in-progress
    // treatment in 2023.
    const std::vector<long> noact_ids =
        Longs(db(), "SELECT PAT_ID FROM " + p +
                        "PATIENT WHERE PAT_DELETE_DATE = 0 AND "
                        "PAT_LAST_CLAIM_DATE < 20240101 AND EXISTS (SELECT 1 FROM " +
                        p + "CLMTRT JOIN " + p +
                        "PATCLM ON PCLM_ID = CTRT_PCLMID WHERE PCLM_PATID = PAT_ID AND CTRT_DATE "
                        "BETWEEN 20230101 AND 20231231 AND CTRT_DEL_DATE = 0 AND "
                        "SUBSTR(CTRT_STATUS, 1, 1) IN ('C', 'I'))");
    ASSERT_FALSE(noact_ids.empty());
    NoActReportRun noact(noact::DefaultCriteria(20241115));
    followup_test::RunToText(noact, launcher_.get(), "PatNoActivity");
    std::vector<long> ids;
    for (const noact::PatientRow& r : noact.Data().patients)
        ids.push_back(r.id);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, noact_ids);

    // Patients without insurance: without any membership, then without an active one.
    const std::string alive = "SELECT PAT_ID FROM " + p + "PATIENT WHERE PAT_DELETE_DATE = 0";
    const std::vector<long> counted = Longs(db(), alive);
    for (bool active : {false, true}) {
        const std::vector<long> expected =
            Longs(db(), alive + " AND NOT EXISTS (SELECT 1 FROM " + p +
                            "PATDEP WHERE PDEP_PATID = PAT_ID" +
                            (active ? " AND PDEP_ACTIVE = 'Y'" : "") + ")");
        NoInsReportRun run({active, 0, '*'});
        followup_test::RunToText(run, launcher_.get(), "noinsrpt");
        std::vector<long> printed;
        for (const noins::PatientRow& r : run.Data().printed)
            printed.push_back(r.id);
        std::sort(printed.begin(), printed.end());
        EXPECT_EQ(printed, expected) << "active " << active;
        EXPECT_EQ(run.Data().counted, static_cast<long>(counted.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, FollowupDemoTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
