// The producer analysis engine over the hand-built practice of pa_practice.h, whose figures
// are computed by hand there, on every engine and on both collection paths; and the two
// paths over the small demo practice.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "analysis/prodanal.h"
#include "host/records/context.h"
#include "tests/analysis/pa_practice.h"
#include "tests/support/practice_test.h"

namespace {

using Fields = std::vector<int64_t>;

// Every figure of both lists, in list order, as one text: two runs agree when their
// digests do.
std::string Digest(TProducerAnalysisObj& e) {
    std::string out;
    for (TDElem* x : e.GetProducerList()) {
        auto* p = static_cast<prodanal_info*>(x);
        out += p->code + "|" + p->descript + "|" + p->flag + ":";
        for (int f = 0; f < PA_FIELDS; ++f)
            for (int k = 0; k < PA_PERIODS; ++k)
                out += std::to_string(p->acc[f][k]) + ",";
        out += "\n";
    }
    for (TDElem* x : e.GetCodeList()) {
        auto* c = static_cast<drbalfwd_info*>(x);
        out += c->code + "=" + std::to_string(c->bal_prod) + "/" + std::to_string(c->bal_billdr) +
               "\n";
    }
    return out;
}

Fields Period(const prodanal_info* p, int period) {
    Fields f;
    for (int i = 0; i < PA_FIELDS; ++i)
        f.push_back(p->acc[i][period]);
    return f;
}

class ProdAnalTest : public testing_support::PracticeTest<> {
  protected:
    void Build(GenDB& db) override { pa_test::BuildPractice(db); }
    std::unique_ptr<TProducerAnalysisObj> Run(bool sql, bool by_billdr = false,
                                              bool fold_aux = false, bool include_end = true,
                                              FILE* trace = nullptr) {
        auto e = std::make_unique<TProducerAnalysisObj>(launcher_.get(), 0, pa_test::kReportDate,
                                                        nullptr, include_end);
        e->SetTraceFile(trace);
        const bool ok =
            sql ? e->CollectSql(by_billdr, fold_aux) : e->CollectDaySheet(by_billdr, fold_aux);
        EXPECT_TRUE(ok) << e->Error();
        return e;
    }
};

//                 procs dental   lab  office feeadj  fees  w/aux  pmt reg  lab    tot
//                 trf reg lab tot  padj reg lab tot  net reg  lab     tot
const Fields kD01Today = {2,    10000, 3000, 800, -1000, 12800, 20800, -7000, -2000, -9000,
                          1000, 0,     1000, 0,   0,     0,     -6000, -2000, -8000};
const Fields kD01Mtd = {3,    31000, 3000, 1500, -1000, 34500, 42500, -7000, -2000, -9000,
                        1000, 0,     1000, 0,    0,     0,     -6000, -2000, -8000};
const Fields kD01Ytd = {13,   131000, 8000, 3500, -2000, 140500, 156500, -7000, -2000, -59000,
                        1000, 0,      1000, 0,    0,     -500,   -6000,  -2000, -58500};
const Fields kH01Today = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1000, 0, -1000, 0, 0, 0, -1000, 0, -1000};
const Fields kH01Mtd = {1,     6000, 0,     0,    0, 6000, 6000,  0, 0,    0,
                        -3000, 0,    -3000, -500, 0, -500, -3500, 0, -3500};
const Fields kH01Ytd = {6,     36000, 0,     0,    0, 36000, 36000, 0, 0,    0,
                        -3000, 0,     -3000, -500, 0, -500,  -3500, 0, -3500};
const Fields kA01Today = {1, 8000, 0, 0, 0, 8000, 8000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Fields kA01Ytd = {3, 16000, 0, 0, 0, 16000, 16000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Fields kD03Mtd = {1, 4000, 0, 0, 0, 4000, 4000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Fields kZero(PA_FIELDS, 0);

TEST_P(ProdAnalTest, HandComputedFiguresOnBothPaths) {
    std::string digests[2];
    for (bool sql : {true, false}) {
        SCOPED_TRACE(sql ? "SQL" : "day sheet");
        auto e = Run(sql);
        EXPECT_EQ(e->GetStartDate(), 20241101);  // the day after the month-end, both paths
        EXPECT_EQ(e->GetPeriod().GetFirstDay(), 20241101);
        EXPECT_EQ(e->GetPeriod().GetLastDay(), 20241130);
        std::vector<std::string> order;
        for (TDElem* x : e->GetProducerList())
            order.push_back(static_cast<prodanal_info*>(x)->code);
        EXPECT_EQ(order, (std::vector<std::string>{"D01", "D02", "A01", "H01", "D03"}));

        const prodanal_info* d01 = e->FindProducer("D01");
        EXPECT_EQ(d01->descript, "Marie Tremblay");
        EXPECT_EQ(Period(d01, PA_TODAY), kD01Today);
        EXPECT_EQ(Period(d01, PA_MTD), kD01Mtd);
        EXPECT_EQ(Period(d01, PA_YTD), kD01Ytd);
        const prodanal_info* h01 = e->FindProducer("H01");
        EXPECT_EQ(Period(h01, PA_TODAY), kH01Today);
        EXPECT_EQ(Period(h01, PA_MTD), kH01Mtd);
        EXPECT_EQ(Period(h01, PA_YTD), kH01Ytd);
        // The auxiliary's production on its own line, its payment on its doctor's.
        const prodanal_info* a01 = e->FindProducer("A01");
        EXPECT_EQ(Period(a01, PA_TODAY), kA01Today);
        EXPECT_EQ(Period(a01, PA_MTD), kA01Today);
        EXPECT_EQ(Period(a01, PA_YTD), kA01Ytd);
        const prodanal_info* d02 = e->FindProducer("D02");
        EXPECT_EQ(d02->flag, 'Y');
        for (int k = 0; k < PA_PERIODS; ++k)
            EXPECT_EQ(Period(d02, k), kZero);
        const prodanal_info* d03 = e->FindProducer("D03");
        EXPECT_FALSE(d03->has_record);
        EXPECT_EQ(d03->descript, "Producteur Inconnu");
        EXPECT_EQ(Period(d03, PA_TODAY), kZero);
        EXPECT_EQ(Period(d03, PA_MTD), kD03Mtd);
        EXPECT_EQ(Period(d03, PA_YTD), kD03Mtd);

        // Receivable: brought forward plus every counted amount; the auxiliary's lines on
        // its doctor's two fields; H01's credit under billing doctor 01.
        std::vector<std::string> codes;
        for (TDElem* x : e->GetCodeList())
            codes.push_back(static_cast<drbalfwd_info*>(x)->code);
        EXPECT_EQ(codes, (std::vector<std::string>{"D01", "D02", "A01", "H01", "D03"}));
        auto bal = [&](const char* code) {
            const drbalfwd_info* c = e->FindCode(code);
            return std::make_pair(c->bal_prod, c->bal_billdr);
        };
        EXPECT_EQ(bal("D01"), std::make_pair(int64_t{90500}, int64_t{97500}));
        EXPECT_EQ(bal("D02"), std::make_pair(int64_t{0}, int64_t{3500}));
        EXPECT_EQ(bal("A01"), std::make_pair(int64_t{0}, int64_t{0}));
        EXPECT_EQ(bal("H01"), std::make_pair(int64_t{32500}, int64_t{0}));
        EXPECT_EQ(bal("D03"), std::make_pair(int64_t{4000}, int64_t{4000}));
        digests[sql ? 0 : 1] = Digest(*e);
    }
    EXPECT_EQ(digests[0], digests[1]);
}

// Without a month-end the whole history counts: treatments never deleted (deletion date 0)
// are not taken off, and the October treatment counts in the year to date only.
TEST_P(ProdAnalTest, WithoutMonthEndAZeroDateIsNoDate) {
    pa_test::WithoutMonthEnd(db());
    std::string digests[2];
    for (bool sql : {true, false}) {
        SCOPED_TRACE(sql ? "SQL" : "day sheet");
        auto e = Run(sql);
        const prodanal_info* d01 = e->FindProducer("D01");
        EXPECT_EQ(Period(d01, PA_TODAY), kD01Today);
        EXPECT_EQ(Period(d01, PA_MTD), kD01Mtd);
        Fields ytd = kD01Ytd;
        ytd[PA_PROCS] += 1;
        for (int f : {PA_DENTAL, PA_FEES, PA_FEESAUX})
            ytd[f] += 99900;
        EXPECT_EQ(Period(d01, PA_YTD), ytd);
        EXPECT_EQ(e->FindCode("D01")->bal_prod, 90500 + 99900);
        digests[sql ? 0 : 1] = Digest(*e);
    }
    EXPECT_EQ(digests[0], digests[1]);
}

// Producers without a record come after the others in the order of their earliest line
// (date, class, record id), on both paths, although the SQL path reads the treatments of
// every date before any payment.
TEST_P(ProdAnalTest, UnknownProducersInTheOrderOfTheirEarliestLine) {
    pa_test::PracticeWriter w(db(), 2000);
    w.Treatment(20, 102, 21, "04", "D04", 20241105, 0, 1000, 'T');
    w.Payment(20, 2, 'P', 20241102, 20241102, 500);
    w.Application(20, 20, 'P', 0, 21, 20241102, 20241102, 500, "D03", "03", 'L', 20241102);
    std::string digests[2];
    for (bool sql : {true, false}) {
        SCOPED_TRACE(sql ? "SQL" : "day sheet");
        auto e = Run(sql);
        std::vector<std::string> order;
        for (TDElem* x : e->GetProducerList())
            order.push_back(static_cast<prodanal_info*>(x)->code);
        EXPECT_EQ(order, (std::vector<std::string>{"D01", "D02", "A01", "H01", "D03", "D04"}));
        digests[sql ? 0 : 1] = Digest(*e);
    }
    EXPECT_EQ(digests[0], digests[1]);
}

// The producer mapping and the end date, the same on both paths.
TEST_P(ProdAnalTest, MappingAndEndDate) {
    for (bool sql : {true, false}) {
        SCOPED_TRACE(sql ? "SQL" : "day sheet");
        // By billing doctor: H01's lines go to D02 (and its credit to D01), D03 keeps its own.
        auto e = Run(sql, true, false);
        EXPECT_EQ(Period(e->FindProducer("H01"), PA_MTD), kZero);
        EXPECT_EQ(Period(e->FindProducer("A01"), PA_MTD), kZero);
        EXPECT_EQ(e->FindProducer("D02")->acc[PA_DENTAL][PA_MTD], 6000);
        EXPECT_EQ(e->FindProducer("D01")->acc[PA_DENTAL][PA_TODAY], 10000 + 8000);
        EXPECT_EQ(e->FindProducer("D01")->acc[PA_TRF_TOT][PA_TODAY], 0);  // -10.00 + 10.00
        EXPECT_EQ(e->FindProducer("D03")->acc[PA_FEES][PA_MTD], 4000);
        // Folding auxiliaries only: A01's treatment is D01's, and no longer "auxiliary".
        e = Run(sql, false, true);
        EXPECT_EQ(Period(e->FindProducer("A01"), PA_TODAY), kZero);
        EXPECT_EQ(e->FindProducer("D01")->acc[PA_DENTAL][PA_TODAY], 18000);
        EXPECT_EQ(e->FindProducer("D01")->acc[PA_FEESAUX][PA_TODAY], 20800);
        // End date not included: nothing of the report date counts.
        e = Run(sql, false, false, false);
        EXPECT_EQ(Period(e->FindProducer("D01"), PA_TODAY), kZero);
        EXPECT_EQ(e->FindProducer("D01")->acc[PA_DENTAL][PA_MTD], 21000);
        EXPECT_EQ(e->FindProducer("H01")->acc[PA_TRF_TOT][PA_MTD], -2000);
    }
}

// A day-sheet line whose record is missing is skipped and written to the trace file.
TEST_P(ProdAnalTest, MissingRecordIsTraced) {
    char* buf = nullptr;
    size_t size = 0;
    FILE* trace = open_memstream(&buf, &size);
    Run(false, false, false, true, trace);
    std::fclose(trace);
    EXPECT_EQ(std::string(buf),
              "DAYSHEET: DATE=20241115, RECID=999, BILLDR=01, PRODUCER=D01, SORTID=F, "
              "RECTYPE=T, PATID=11\n");
    std::free(buf);
}

// The billing doctors' list, when the setting takes them from the personnel records.
TEST_P(ProdAnalTest, BillingDoctorsFromRecords) {
    app_->billdr_from_personnel = true;
    TProducerAnalysisObj e(launcher_.get(), 0, pa_test::kReportDate, nullptr, true);
    ASSERT_NE(e.GetBillDrList(), nullptr);
    std::vector<std::string> codes;
    for (TDElem* x : *e.GetBillDrList())
        codes.push_back(static_cast<billdr_info*>(x)->code);
    EXPECT_EQ(codes, (std::vector<std::string>{"D01", "D02"}));
    app_->billdr_from_personnel = false;
    TProducerAnalysisObj without(launcher_.get(), 0, pa_test::kReportDate, nullptr, true);
    EXPECT_EQ(without.GetBillDrList(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Engines, ProdAnalTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

// The small demo practice: both paths give the same lists, every day of its last month.
using SmallDemo = testing_support::SmallDemoTest;

TEST_P(SmallDemo, SqlPathEqualsDaySheetPath) {
    for (long date : {20241101L, 20241108L, 20241114L, 20241115L}) {
        for (bool by_billdr : {false, true}) {
            std::string digests[2];
            for (bool sql : {true, false}) {
                TProducerAnalysisObj e(launcher_.get(), 0, date, nullptr, true);
                ASSERT_TRUE(sql ? e.CollectSql(by_billdr, false)
                                : e.CollectDaySheet(by_billdr, false))
                    << e.Error();
                digests[sql ? 0 : 1] = Digest(e);
            }
            EXPECT_EQ(digests[0], digests[1]) << date << (by_billdr ? " by billing doctor" : "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, SmallDemo, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
