// The month-end closing on the hand-built practice of mthend_practice.h: October closed by
// hand (brought-forward receivables, year to date, rows removed, dates stored, limits reset,
// log), the analysis of November the same before and after on both paths, the closings
// refused or found done, and the year-end.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "analysis/prodanal.h"
#include "closing/mthend_state.h"
#include "tests/closing/mthend_practice.h"

namespace {

namespace fs = std::filesystem;
using mthend::CloseResult;

const mthend::Period kOctober{20241001, 20241031};

class MonthEndTest : public mthend_test::MonthTest {
  protected:
    void SetUp() override {
        MonthTest::SetUp();
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name)
            if (c == '/') c = '_';
        log_dir_ = (fs::path(testing::TempDir()) / ("mthend_" + name + "_" + GetParam())).string();
        fs::remove_all(log_dir_);
        fs::create_directories(log_dir_);
    }
    mthend::CloseRequest October(bool year_end = false) {
        mthend::CloseRequest r;
        r.period = kOctober;
        r.year_end = year_end;
        r.today = 20241115;
        r.log_folder = log_dir_;
        return r;
    }
    CloseResult Close(const mthend::CloseRequest& r, std::vector<long>* unprinted = nullptr) {
        std::vector<long> days;
        error_.clear();
        return mthend::PerformMthend(db(), r, unprinted ? unprinted : &days, &error_);
    }
    int64_t Int(const std::string& sql) { return db().QueryInt(sql); }
    // AR prod, AR billdr, then the eleven year-to-date columns of a producer.
    std::vector<int64_t> Producer(const char* code) {
        std::vector<int64_t> v;
        for (const char* c :
             {"PROD_AR_PROD", "PROD_AR_BILLDR", "PROD_YTD_PROCS", "PROD_YTD_DENTAL", "PROD_YTD_LAB",
              "PROD_YTD_OFFCHG", "PROD_YTD_FEEADJ", "PROD_YTD_FEES", "PROD_YTD_FEESAUX",
              "PROD_YTD_PMTS", "PROD_YTD_TRANSF", "PROD_YTD_PMTADJ", "PROD_YTD_NET"})
            v.push_back(
                Int(std::string("SELECT ") + c + " FROM PRODCD WHERE PROD_CODE = '" + code + "'"));
        return v;
    }
    // What the analysis of 30 November says per code: the receivables, the year to date the
    // producer records carry, the month to date and the day.
    std::map<std::string, std::vector<int64_t>> Analysis(bool sql) {
        TProducerAnalysisObj pa(launcher_.get(), 0, 20241130, nullptr, true);
        EXPECT_TRUE(sql ? pa.CollectSql(false, false) : pa.CollectDaySheet(false, false))
            << pa.Error();
        std::map<std::string, std::vector<int64_t>> out;
        for (TDElem* e : pa.GetCodeList()) {
            auto* c = static_cast<drbalfwd_info*>(e);
            out[c->code] = {c->bal_prod, c->bal_billdr};
        }
        for (TDElem* e : pa.GetProducerList()) {
            auto* p = static_cast<prodanal_info*>(e);
            std::vector<int64_t>& v = out[p->code];
            for (int f : {PA_PROCS, PA_DENTAL, PA_LAB, PA_OFFCHG, PA_FEEADJ, PA_FEES, PA_FEESAUX,
                          PA_PMT_TOT, PA_TRF_TOT, PA_PADJ_TOT, PA_NET_TOT})
                v.push_back(p->acc[f][PA_YTD]);
            for (int f = 0; f < PA_FIELDS; ++f) {
                v.push_back(p->acc[f][PA_MTD]);
                v.push_back(p->acc[f][PA_TODAY]);
            }
        }
        return out;
    }
    std::string Log() {
        std::ifstream in(fs::path(log_dir_) / "monthend.log");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // The state a refused closing must leave untouched.
    std::string State() {
        std::string s;
        for (const char* c : {"D01", "H01", "A01"})
            for (int64_t v : Producer(c))
                s += std::to_string(v) + ",";
        for (const char* q :
             {"SELECT COUNT(*) FROM DAYSHT", "SELECT COUNT(*) FROM DAYDET",
              "SELECT DEND_MENDDATE FROM DAYEND", "SELECT COUNT(*) FROM PPSET",
              "SELECT SUM(PDEP_RESET_DATE) FROM PATDEP", "SELECT SUM(ACC_PMT_AMT) FROM ACCOUNT"})
            s += std::to_string(Int(q)) + ";";
        return s;
    }

    void ClosesOctoberByHand(int mode) {
        app_->m_CalAR = mode;
        const auto sql_before = Analysis(true), sheet_before = Analysis(false);
        ASSERT_EQ(sql_before, sheet_before);

        ASSERT_EQ(Close(October()), CloseResult::Closed) << error_;
        using V = std::vector<int64_t>;
        //                      AR prod  billdr procs dental lab offchg feeadj fees  aux  pmts tr pa
        //                      net
        EXPECT_EQ(Producer("D01"),
                  (V{11000, 15000, 4, 15000, 0, 1500, 0, 16500, 18500, -5500, 0, 0, -5500}));
        EXPECT_EQ(Producer("H01"), (V{4000, 0, 1, 4000, 0, 0, 0, 4000, 4000, 0, 0, 0, 0}));
        EXPECT_EQ(Producer("A01"), (V{250, 250, 1, 2000, 0, 0, 0, 2000, 2000, 0, 0, 0, 0}));

        // October's day sheet and day records are gone, November's stay.
        EXPECT_EQ(Int("SELECT COUNT(*) FROM DAYSHT WHERE DSHT_DATE <= 20241031"), 0);
        EXPECT_EQ(Int("SELECT COUNT(*) FROM DAYSHT"), 3);
        EXPECT_EQ(Int("SELECT COUNT(*) FROM DAYDET WHERE DDET_DATE <= 20241031"), 0);
        EXPECT_EQ(Int("SELECT COUNT(*) FROM DAYDET"), 2);
        EXPECT_EQ(Int("SELECT DEND_MENDDATE FROM DAYEND"), 20241031);
        EXPECT_EQ(Int("SELECT DEND_YENDDATE FROM DAYEND"), 0);
        EXPECT_EQ(Int("SELECT DEND_LASTDAY FROM DAYEND"), 20241114);
        EXPECT_EQ(db().QueryText("SELECT PPST_A51_FIELD08 FROM PPSET WHERE PPST_ID = 4"),
                  "20241031");

        // Limits: the due membership starts its policy year again; the one not due is
        // untouched; the one whose policy is gone keeps its amounts, its date moves on.
        auto dep = [&](int id) {
            const std::string w = " FROM PATDEP WHERE PDEP_ID = " + std::to_string(id);
            return V{Int("SELECT PDEP_LIMIT" + w), Int("SELECT PDEP_DEDUCT" + w),
                     Int("SELECT PDEP_RESET_DATE" + w)};
        };
        EXPECT_EQ(dep(1), (V{100000, 2500, 20251101}));
        EXPECT_EQ(dep(2), (V{40000, 0, 20241201}));
        EXPECT_EQ(dep(3), (V{5000, 100, 20250301}));

        EXPECT_EQ(Log(),
                  "15/11/2024 [10:20:30] Performing MonthEnd: beg date=20241001 rep "
                  "date=20241031 Today=20241115\n\n"
                  "15/11/2024 [10:20:30] PROD:D01 prod_ar_prod OLD:1000 NEW:11000 "
                  "prod_ar_billdr OLD:1000 NEW:15000\n"
                  "15/11/2024 [10:20:30] PROD:H01 prod_ar_prod OLD:0 NEW:4000 prod_ar_billdr "
                  "OLD:0 NEW:0\n"
                  "15/11/2024 [10:20:30] PROD:A01 prod_ar_prod OLD:250 NEW:250 prod_ar_billdr "
                  "OLD:250 NEW:250\n");

        // November seen by the analysis after the closing: the same on both paths as before.
        EXPECT_EQ(Analysis(true), sql_before);
        EXPECT_EQ(Analysis(false), sheet_before);
    }

    std::string log_dir_;
    std::string error_;
};

TEST_P(MonthEndTest, ClosesOctoberByHandBySql) {
    ClosesOctoberByHand(1);
}
TEST_P(MonthEndTest, ClosesOctoberByHandFromTheDaySheet) {
    ClosesOctoberByHand(0);
}

TEST_P(MonthEndTest, RefusedClosingsChangeNothing) {
    const std::string before = State();
    std::vector<long> days;
    // Days of the month whose report was never printed, listed in date order; a day of
    // November unprinted is not October's concern.
    Exec("UPDATE DAYDET SET DDET_PRINTED = 'N' WHERE DDET_DATE IN (20241015, 20241010, 20241110)");
    EXPECT_EQ(Close(October(), &days), CloseResult::Unprinted);
    EXPECT_EQ(days, (std::vector<long>{20241010, 20241015}));
    EXPECT_NE(error_.find("Fin de Mois puisse être effectuée"), std::string::npos) << error_;
    EXPECT_NE(error_.find("20241010"), std::string::npos) << error_;
    Exec("UPDATE DAYDET SET DDET_PRINTED = 'Y'");

    auto refused = [&](mthend::Period p, const char* why) {
        auto r = October();
        r.period = p;
        EXPECT_EQ(Close(r), CloseResult::Refused) << why;
        EXPECT_FALSE(error_.empty()) << why;
    };
    refused({20241101, 20241130}, "a month after a gap (October not closed)");
    refused({20240915, 20241031}, "a period reaching into the last closed month");
    refused({20241001, 20241032}, "a day that does not exist");
    refused({20241031, 20241001}, "bounds reversed");
    refused(mthend::MonthPeriod(2024, 12), "a month in the future");
    EXPECT_EQ(mthend::MonthPeriod(2024, 13).first, 0);
    EXPECT_EQ(mthend::MonthPeriod(2024, 2).last, 20240229);

    // A producer met only in the transactions has no record to carry its money.
    Treatment(9, 1, "H09", 20241016, 700);
    Sheet(20241016, 'F', 'T', 9, "H09", 11);
    EXPECT_EQ(Close(October()), CloseResult::Refused);
    EXPECT_NE(error_.find("H09"), std::string::npos) << error_;
    Exec("DELETE FROM CLMTRT WHERE CTRT_ID = 9");
    Exec("DELETE FROM DAYSHT WHERE DSHT_RECID = 9");

    // No day-end record: the practice was never closed.
    Exec("DELETE FROM DAYEND");
    EXPECT_EQ(Close(October()), CloseResult::Failed);
    EXPECT_FALSE(error_.empty());
    Insert("DAYEND", "DEND_ID, DEND_LASTDAY, DEND_MENDDATE, DEND_PRINTED",
           "1, 20241114, 20240930, 'Y'");
    EXPECT_EQ(State(), before);
    EXPECT_EQ(Log(), "");
}

TEST_P(MonthEndTest, ASecondClosingOfTheMonthFindsItDone) {
    ASSERT_EQ(Close(October()), CloseResult::Closed) << error_;
    const std::string after = State();
    EXPECT_EQ(Close(October()), CloseResult::AlreadyClosed);
    EXPECT_NE(error_.find("31/10/2024"), std::string::npos) << error_;
    // Another workstation, or an earlier month: done already as well.
    auto other = t_->OpenAnother();
    std::vector<long> days;
    EXPECT_EQ(mthend::PerformMthend(*other, October(), &days, &error_), CloseResult::AlreadyClosed);
    auto september = October();
    september.period = mthend::MonthPeriod(2024, 9);
    EXPECT_EQ(Close(september), CloseResult::AlreadyClosed);
    EXPECT_EQ(State(), after);
    // One closing, one log.
    const std::string log = Log();
    EXPECT_EQ(log.find("Performing MonthEnd"), log.rfind("Performing MonthEnd"));
    // November follows it.
    auto november = October();
    november.period = mthend::MonthPeriod(2024, 11);
    november.today = 20241201;
    EXPECT_EQ(Close(november), CloseResult::Closed) << error_;
    // November adds T4 (6000) and takes P3 (2000, H01) and the fee adjustment (100, D01).
    EXPECT_EQ(Producer("D01")[0], 11000 + 6000 - 100);
    EXPECT_EQ(Producer("H01")[0], 4000 - 2000);
    EXPECT_EQ(Producer("D01")[1], 15000 + 6000 - 2000 - 100);
    EXPECT_EQ(Int("SELECT COUNT(*) FROM DAYSHT"), 0);
}

TEST_P(MonthEndTest, TheYearEndStartsTheYearToDateAgain) {
    const auto before = Analysis(true);
    ASSERT_EQ(Close(October(true)), CloseResult::Closed) << error_;
    using V = std::vector<int64_t>;
    // The receivables carried as in a month-end; every year-to-date figure starts again.
    EXPECT_EQ(Producer("D01"), (V{11000, 15000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Producer("H01"), (V{4000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Producer("A01"), (V{250, 250, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Int("SELECT DEND_MENDDATE FROM DAYEND"), 20241031);
    EXPECT_EQ(Int("SELECT DEND_YENDDATE FROM DAYEND"), 20241031);
    // An account the patient owes nothing on starts the year without a payment to date.
    EXPECT_EQ(Int("SELECT ACC_PMT_AMT FROM ACCOUNT WHERE ACC_ID = 1"), 0);
    EXPECT_EQ(Int("SELECT ACC_PMT_AMT FROM ACCOUNT WHERE ACC_ID = 2"), 700);
    // The analysis of November: the same receivables; the year to date is November's alone,
    // its month to date.
    const auto after = Analysis(true);
    for (const auto& [code, v] : before) {
        SCOPED_TRACE(code);
        ASSERT_EQ(after.at(code).size(), v.size());
        EXPECT_EQ(after.at(code)[0], v[0]);
        EXPECT_EQ(after.at(code)[1], v[1]);
        const std::vector<int64_t>& a = after.at(code);
        const int mtd[] = {PA_PROCS,   PA_DENTAL,  PA_LAB,     PA_OFFCHG,   PA_FEEADJ, PA_FEES,
                           PA_FEESAUX, PA_PMT_TOT, PA_TRF_TOT, PA_PADJ_TOT, PA_NET_TOT};
        for (size_t i = 0; i < std::size(mtd); ++i)
            EXPECT_EQ(a[2 + i], a[2 + 11 + 2 * static_cast<size_t>(mtd[i])]) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, MonthEndTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
