// The insurance receivable report over a hand-built practice whose aged insurance amounts
// are computed by hand (tests/insurance/insar_practice.h), on every engine and in both
// calculation modes: the rows, the printed forms and the data tables.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "host/output/paths.h"
#include "host/output/textprint.h"
#include "host/records/context.h"
#include "insurance/insar_run.h"
#include "insurance/insar_sortlist.h"
#include "tests/insurance/insar_practice.h"
#include "tests/output/helpers.h"
#include "tests/support/practice_test.h"
#include "tests/support/testdb.h"

namespace {

using host::calc::Aged;
using insar::ClaimRow;
using insar::InsARData;
using insar::TotalRow;
using testing_support::TestDb;

// current, 31-60, 61-90, over 90; the total is their sum.
Aged A(int64_t cur, int64_t d30, int64_t d60, int64_t d90) {
    Aged a;
    a.v[0] = cur;
    a.v[1] = d30;
    a.v[2] = d60;
    a.v[3] = d90;
    a.v[4] = cur + d30 + d60 + d90;
    return a;
}

insarrpt_info Criteria(int kind, const char* doctor = "*", const char* carrier = "*",
                       short overdue = 1, long min_balance = 0) {
    insarrpt_info c;
    std::snprintf(c.doctor, sizeof c.doctor, "%s", doctor);
    std::snprintf(c.carrier, sizeof c.carrier, "%s", carrier);
    c.as_of = insar_test::kAsOf;
    c.overdue_num = overdue;
    c.min_balance = min_balance;
    c.kind = kind;
    c.copies = 1;
    return c;
}

// "1,234.56" or "-5.99" in cents; false for any other word.
bool Cents(const std::string& w, int64_t* out) {
    if (w.size() < 4 || w[w.size() - 3] != '.') return false;
    std::string digits;
    for (size_t i = 0; i < w.size(); ++i) {
        if (w[i] == '-' && i == 0) continue;
        if (w[i] == ',' || w[i] == '.') continue;
        if (w[i] < '0' || w[i] > '9') return false;
        digits += w[i];
    }
    *out = std::stoll(digits) * (w[0] == '-' ? -1 : 1);
    return true;
}

// The amounts of a line between two columns (characters), left to right.
std::vector<int64_t> AmountsIn(const std::string& line, size_t from, size_t to) {
    std::vector<int64_t> out;
    // Column positions count characters: cut on characters, not bytes.
    std::string cut;
    size_t chars = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) ++chars;
        if (chars > from && chars <= to) cut += line[i];
    }
    std::istringstream in(cut);
    for (std::string w; in >> w;) {
        int64_t c = 0;
        if (Cents(w, &c)) out.push_back(c);
    }
    return out;
}

struct Ran {
    std::unique_ptr<InsARReportRun> run;
    std::vector<std::string> lines;
};

Ran RunToText(LauncherInfo* launcher, const insarrpt_info& criteria, int mode) {
    Ran r;
    r.run = std::make_unique<InsARReportRun>(criteria, mode);
    const std::string path = host::output::OutputPath("insarrpt.prt");
    FILE* prt = std::fopen(path.c_str(), "w");
    EXPECT_NE(prt, nullptr) << path;
    std::string error;
    EXPECT_TRUE(reports::RunHeadless(*r.run, launcher, prt, 1, "insarrpt", &error)) << error;
    if (prt) std::fclose(prt);
    std::vector<host::output::TextPage> pages;
    EXPECT_TRUE(host::output::ReadTextPages(path, &pages, &error)) << error;
    for (const auto& p : pages)
        for (const auto& l : p)
            r.lines.push_back(l);
    return r;
}

// The first printed line holding text after line `after` (-1 when none).
int Find(const std::vector<std::string>& lines, const std::string& text, int after = -1) {
    for (size_t i = static_cast<size_t>(after + 1); i < lines.size(); ++i)
        if (lines[i].find(text) != std::string::npos) return static_cast<int>(i);
    return -1;
}

struct Expected {
    const char* doctor;
    const char* carrier;
    const char* claim_no;
    Aged due;
    bool multiple;
};

// Every claim of the practice, in the report's order (doctor, carrier, patient, claim).
const std::vector<Expected>& AllClaims() {
    static const std::vector<Expected> claims = {
        {"D01", "MAN", "", A(2500, 0, 0, 0), false},
        {"D01", "RAMQ", "B300", A(0, 0, -2000, 0), false},
        {"D01", "SUN", "A100", A(5000, 0, 0, 0), false},
        {"D02", "MAN", "A200", A(0, 0, 0, 15000), true},
        {"D02", "SUN", "B301", A(0, 15000, 0, 0), false},
        {"D02", "U/A", "", A(0, -1000, 0, 0), false},
    };
    return claims;
}

void ExpectClaims(const InsARData& d, const std::vector<Expected>& expected) {
    ASSERT_EQ(d.claims.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const ClaimRow& c = d.claims[i];
        const Expected& e = expected[i];
        SCOPED_TRACE(std::string(e.doctor) + " " + e.carrier + " " + e.claim_no);
        EXPECT_EQ(c.doctor, e.doctor);
        EXPECT_EQ(c.carrier, e.carrier);
        EXPECT_EQ(c.claim_no, e.claim_no);
        EXPECT_EQ(c.due, e.due);
        EXPECT_EQ(c.multiple, e.multiple);
    }
}

const TotalRow* Total(const std::vector<TotalRow>& rows, const std::string& code) {
    for (const TotalRow& r : rows)
        if (r.code == code) return &r;
    return nullptr;
}

class InsARTest : public testing_support::PracticeTest<> {
  protected:
    void Build(GenDB& db) override { insar_test::BuildPractice(db); }
};

TEST_P(InsARTest, ClaimsAndTotalsMatchTheHandFiguresOnBothPaths) {
    for (int mode : {1, 0}) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        const Ran ran = RunToText(launcher_.get(), Criteria(1), mode);
        const InsARData& d = ran.run->Data();
        ExpectClaims(d, AllClaims());
        ASSERT_EQ(d.carriers.size(), 4u);
        EXPECT_EQ(Total(d.carriers, "SUN")->All(), A(5000, 15000, 0, 0));
        EXPECT_EQ(Total(d.carriers, "MAN")->All(), A(2500, 0, 0, 15000));
        EXPECT_EQ(Total(d.carriers, "MAN")->multiple, A(0, 0, 0, 15000));
        EXPECT_EQ(Total(d.carriers, "MAN")->unbilled, A(2500, 0, 0, 0));
        EXPECT_EQ(Total(d.carriers, "MAN")->name, "Manuvie");
        EXPECT_EQ(Total(d.carriers, "RAMQ")->All(), A(0, 0, -2000, 0));
        EXPECT_EQ(Total(d.carriers, "U/A")->All(), A(0, -1000, 0, 0));
        ASSERT_EQ(d.doctors.size(), 2u);
        EXPECT_EQ(Total(d.doctors, "D01")->All(), A(7500, 0, -2000, 0));
        EXPECT_EQ(Total(d.doctors, "D02")->All(), A(0, 14000, 0, 15000));
        EXPECT_EQ(d.practice.All(), A(7500, 14000, -2000, 15000));
        EXPECT_EQ(d.practice.multiple.v[4], 15000);
    }
}

TEST_P(InsARTest, TheClaimFormPrintsEachClaimAndTheTotalsPages) {
    const Ran ran = RunToText(launcher_.get(), Criteria(1), 1);
    const auto& L = ran.lines;
    EXPECT_NE(Find(L, "C / R DE PAIEMENTS D'ASSURANCE (sommaire des réclamations)"), -1);
    EXPECT_NE(Find(L, "En Date Du : 15/11/2024"), -1);
    EXPECT_NE(Find(L, "Pour Tous Les Docteurs"), -1);
    EXPECT_NE(Find(L, "Pour toutes les compagnies d'assurance"), -1);
    // Held, current, 31-60, 61-90, over 90, total, multiple total.
    struct Line {
        const char* find;
        std::vector<int64_t> amounts;
    };
    const Line claims[] = {
        {"NON FACTURÉ", {0, 2500, 0, 0, 0, 2500, 0}}, {"B300", {0, 0, 0, -2000, 0, -2000, 0}},
        {"A100", {0, 5000, 0, 0, 0, 5000, 0}},        {"A200", {0, 0, 0, 0, 15000, 15000, 15000}},
        {"B301", {0, 0, 15000, 0, 0, 15000, 0}},
    };
    for (const Line& c : claims) {
        const int at = Find(L, c.find);
        ASSERT_NE(at, -1) << c.find;
        EXPECT_EQ(AmountsIn(L[at], 33, 119), c.amounts) << L[at];
    }
    EXPECT_NE(L[Find(L, "A200")].find("RAMQ"), std::string::npos);  // the other insurer
    // Each doctor and carrier closes with its totals; six pairs.
    int totals = 0;
    for (int at = Find(L, "Totaux :"); at != -1 && at < Find(L, "Page des Totaux des Compagnies");
         at = Find(L, "Totaux :", at))
        ++totals;
    EXPECT_EQ(totals, 6);
    // The carriers' page: one line per carrier, then the practice's totals.
    const int carriers = Find(L, "Page des Totaux des Compagnies d'Assurance");
    ASSERT_NE(carriers, -1);
    const int sun = Find(L, "SUN Sun Vie", carriers);
    ASSERT_NE(sun, -1);
    EXPECT_EQ(AmountsIn(L[sun], 52, 133), (std::vector<int64_t>{0, 5000, 15000, 0, 0, 20000, 0}));
    const int grand = Find(L, "Totaux :", carriers);
    ASSERT_NE(grand, -1);
    EXPECT_EQ(AmountsIn(L[grand], 52, 133),
              (std::vector<int64_t>{0, 7500, 14000, -2000, 15000, 34500, 15000}));
    const int doctors = Find(L, "Page des Totaux des Docteurs", carriers);
    ASSERT_NE(doctors, -1);
    const int d02 = Find(L, "D02 Paul Gagnon", doctors);
    ASSERT_NE(d02, -1);
    EXPECT_EQ(AmountsIn(L[d02], 52, 133),
              (std::vector<int64_t>{0, 0, 14000, 0, 15000, 29000, 15000}));
    const int practice = Find(L, "Page des Totaux du Cabinet", doctors);
    ASSERT_NE(practice, -1);
    const std::pair<const char*, int64_t> lines[] = {
        {"Total de l'Assurance C / R :", 34500},
        {"Tot. C/R Couv Unique  :", 19500},
        {"Tot. C/R Couv Mult. :", 15000},
        {"Total des Traitements C / R Incomplets :", 2500}};
    for (const auto& [label, amount] : lines) {
        const int at = Find(L, label, practice);
        ASSERT_NE(at, -1) << label;
        EXPECT_EQ(AmountsIn(L[at], 100, 133), std::vector<int64_t>{amount}) << L[at];
    }
}

TEST_P(InsARTest, TheDetailFormListsTheTreatmentsUnderTheirClaim) {
    const Ran ran = RunToText(launcher_.get(), Criteria(0), 0);
    const auto& L = ran.lines;
    EXPECT_NE(Find(L, "(détails des traitements)"), -1);
    const int a100 = Find(L, "A100");
    ASSERT_NE(a100, -1);
    // T1: charge 100.00, insured 60.00, paid 40.00, patient 40.00, insurance 20.00.
    ASSERT_NE(L[a100 + 1].find("01/11/2024"), std::string::npos) << L[a100 + 1];
    EXPECT_EQ(AmountsIn(L[a100 + 1], 39, 100),
              (std::vector<int64_t>{10000, 6000, 4000, 4000, 2000}));
    EXPECT_NE(L[a100 + 2].find("Radiographie"), std::string::npos);
    EXPECT_EQ(AmountsIn(L[a100 + 2], 39, 100), (std::vector<int64_t>{5000, 3000, 0, 2000, 3000}));
    // The insurer who paid more than the whole charge is owed back: negative.
    const int b300 = Find(L, "B300");
    EXPECT_EQ(AmountsIn(L[b300 + 1], 39, 100),
              (std::vector<int64_t>{10000, 10000, 12000, 0, -2000}));
    // Neither the deleted line, nor the pending claim, nor the deleted account.
    EXPECT_EQ(Find(L, "Détartrage"), -1);
    EXPECT_EQ(Find(L, "A300"), -1);
    EXPECT_EQ(Find(L, "C100"), -1);
    EXPECT_EQ(Find(L, "Roy"), -1);
    // The data table: one row per treatment (U: the unassigned credit), the same sums.
    const auto files = ran.run->DataFiles();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].xml_file, "\\XML\\insardet.xml");
    EXPECT_EQ(files[1].xml_file, "\\XML\\insartot.xml");
    EXPECT_EQ(files[0].table->RowCount(), 7u);
    EXPECT_EQ(files[0].table->Sum("Total") + files[0].table->Sum("Total", "U"), 34500);
    EXPECT_EQ(files[0].table->Sum("Plus90"), 15000);
    EXPECT_EQ(files[1].table->Sum("Total", "C"), 34500);
    EXPECT_EQ(files[1].table->Sum("Total", "D"), 34500);
    EXPECT_EQ(files[1].table->Sum("Total", "P"), 34500);
}

TEST_P(InsARTest, DoctorCarrierAndOverdueNarrowTheClaims) {
    for (int mode : {1, 0}) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        const auto& all = AllClaims();
        Ran ran = RunToText(launcher_.get(), Criteria(1, "D02"), mode);
        ExpectClaims(ran.run->Data(), {all[3], all[4], all[5]});
        EXPECT_NE(Find(ran.lines, "Dr D02"), -1);
        EXPECT_EQ(ran.run->Data().practice.All(), A(0, 14000, 0, 15000));
        // A billing doctor's code names the same doctor.
        ran = RunToText(launcher_.get(), Criteria(1, "02"), mode);
        ExpectClaims(ran.run->Data(), {all[3], all[4], all[5]});
        ran = RunToText(launcher_.get(), Criteria(1, "*", "SUN"), mode);
        ExpectClaims(ran.run->Data(), {all[2], all[4]});
        EXPECT_NE(Find(ran.lines, "SUN"), -1);
        // Over 90 days, more than 0.00: the claim billed long ago.
        ran = RunToText(launcher_.get(), Criteria(1, "*", "*", 6, 0), mode);
        ExpectClaims(ran.run->Data(), {all[3]});
        // Overdue 1 ignores the minimum balance.
        ran = RunToText(launcher_.get(), Criteria(1, "*", "*", 1, 1000000), mode);
        ExpectClaims(ran.run->Data(), all);
        // Any claim owing more than 100.00.
        ran = RunToText(launcher_.get(), Criteria(1, "*", "*", 8, 10000), mode);
        ExpectClaims(ran.run->Data(), {all[3], all[4]});
    }
}

TEST_P(InsARTest, TheTotalsFormPrintsOnlyTheTotalsPages) {
    const Ran ran = RunToText(launcher_.get(), Criteria(2), 1);
    const auto& L = ran.lines;
    EXPECT_NE(Find(L, "(totaux seulement)"), -1);
    EXPECT_EQ(Find(L, "A100"), -1);
    EXPECT_NE(Find(L, "Page des Totaux du Cabinet"), -1);
    EXPECT_EQ(ran.run->DataFiles()[0].xml_file, "\\XML\\instotonly.xml");
    EXPECT_EQ(ran.run->TemplateName(), "instotonly.rpt");
}

// Money received and applied to nothing yet as of the date is listed under its payor, on
// the account's doctor, in the held column only: the aged figures stay those of the claims.
//   payment 5: O'Brien (doctor 02), SUN, 11-14, 60.00, no application        -> held 60.00
//   payment 6: Tremblay (doctor 01), SUN, 11-05, 30.00, 10.00 applied 11-20  -> held 30.00
//   payment 7: Tremblay, SUN, 11-16 (after the date), 20.00                  -> not yet received
//   payment 8: Tremblay, MAN, 11-01, 40.00, deleted 11-13                    -> holds nothing
//   payment 9: O'Brien, MAN, 11-03, 15.00, applied whole to T8 on 11-20      -> held 15.00 then
// T8's application after the date leaves its aging as it was.
TEST_P(InsARTest, HeldPaymentsAreListedApartFromTheAgedAmounts) {
    const std::string pmt =
        "APMT_ID, APMT_ACCID, APMT_RECTYPE, APMT_TYPE, APMT_DATE, APMT_SYSDATE, APMT_TOTAL, "
        "APMT_PAYOR, APMT_DELDATE";
    auto ins = testing_support::Inserter(t_->db());
    ins("ACCPMT", pmt, "5, 2, 'P', 'I', 20241114, 20241114, 6000, 'SUN', 0");
    ins("ACCPMT", pmt, "6, 1, 'P', 'I', 20241105, 20241105, 3000, 'SUN', 0");
    ins("ACCPMT", pmt, "7, 1, 'P', 'I', 20241116, 20241116, 2000, 'SUN', 0");
    ins("ACCPMT", pmt, "8, 1, 'P', 'I', 20241101, 20241101, 4000, 'MAN', 20241113");
    ins("ACCPMT", pmt, "9, 2, 'P', 'I', 20241103, 20241103, 1500, 'MAN', 0");
    const std::string app =
        "PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_CTRTID, PAPP_PATID, PAPP_TYPE, PAPP_DATE, "
        "PAPP_SYSDATE, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR";
    ins("PMTAPP", app, "5, 6, 'T', 2, 11, 'I', 20241120, 20241120, 1000, 'D01', '01'");
    ins("PMTAPP", app, "6, 9, 'T', 8, 21, 'I', 20241120, 20241120, 1500, 'D01', '01'");
    for (int mode : {1, 0}) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        const Ran ran = RunToText(launcher_.get(), Criteria(1), mode);
        const InsARData& d = ran.run->Data();
        EXPECT_EQ(d.practice.All(), A(7500, 14000, -2000, 15000));  // as without them
        EXPECT_EQ(d.practice.held, 10500);
        EXPECT_EQ(Total(d.carriers, "SUN")->held, 9000);
        EXPECT_EQ(Total(d.carriers, "MAN")->held, 1500);
        EXPECT_EQ(Total(d.doctors, "D01")->held, 3000);
        EXPECT_EQ(Total(d.doctors, "D02")->held, 7500);
        int64_t listed = 0;
        for (const ClaimRow& c : d.claims)
            if (c.held != 0) {
                EXPECT_TRUE(c.due.IsZero()) << c.patient;
                listed += c.held;
            }
        EXPECT_EQ(listed, 10500);
        const int line = Find(ran.lines, "Total des Pmts En Suspens");
        ASSERT_NE(line, -1);
        EXPECT_EQ(AmountsIn(ran.lines[static_cast<size_t>(line)], 30, 140),
                  std::vector<int64_t>{10500});
        const auto files = ran.run->DataFiles();
        EXPECT_EQ(files[0].table->Sum("PmtReporte"), 10500);
        EXPECT_EQ(files.back().table->Sum("PmtReporte", "P"), 10500);

        // One carrier: its payments only; a doctor: the held money of that doctor's accounts.
        const Ran man = RunToText(launcher_.get(), Criteria(1, "*", "MAN"), mode);
        EXPECT_EQ(man.run->Data().practice.held, 1500);
        const Ran d01 = RunToText(launcher_.get(), Criteria(1, "D01"), mode);
        EXPECT_EQ(d01.run->Data().practice.held, 3000);
        // Claims over 90 days only: the held money is still shown.
        const Ran over90 = RunToText(launcher_.get(), Criteria(1, "*", "*", 6, 0), mode);
        EXPECT_EQ(over90.run->Data().practice.held, 10500);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, InsARTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

TEST(InsARSortList, SingleCoverageEntriesOfOneClaimMergeInModesOneAndTwo) {
    auto entry = [](const char* patient, long claim, const char* code, char flag, int64_t amt) {
        insar::insarlst_info r;
        r.doctor = "D01";
        r.carrier = "SUN";
        r.patient = patient;
        r.number = claim;
        r.code = code;
        r.flag = flag;
        r.date = 20241101;
        r.amount1 = amt;
        return r;
    };
    insar::InsARSortList merged(1);
    // The name is cut at 15 characters: the two first entries share their 31 first.
    merged.AddToList(entry("Bélanger-Côté, Émilie", 7, "01202", '1', 1000));
    merged.AddToList(entry("Bélanger-Côté, Émilie-Rose", 7, "02102", '1', 250));
    merged.AddToList(entry("Bélanger-Côté, Émilie", 8, "01202", '1', 500));
    ASSERT_EQ(merged.GetCount(), 2u);
    const insar::insarlst_info* r = merged.GetFirst();
    EXPECT_EQ(r->flag, '0');
    EXPECT_EQ(r->amount1, 1250);
    r = merged.GetNext();
    EXPECT_EQ(r->number, 8);
    EXPECT_EQ(r->amount1, 500);
    EXPECT_EQ(merged.GetNext(), nullptr);
    // A multiple-coverage entry of the claim takes nothing; other modes keep every entry.
    merged.AddToList(entry("Bélanger-Côté, Émilie", 9, "01202", '2', 100));
    merged.AddToList(entry("Bélanger-Côté, Émilie", 9, "02102", '1', 40));
    EXPECT_EQ(merged.GetCount(), 4u);
    insar::InsARSortList kept(0);
    kept.AddToList(entry("Tremblay, Luc", 7, "02102", '1', 1));
    kept.AddToList(entry("Tremblay, Luc", 7, "01202", '1', 2));
    ASSERT_EQ(kept.GetCount(), 2u);
    EXPECT_EQ(kept.GetFirst()->code, "01202");  // code order within the claim
    EXPECT_EQ(kept.ConvertToIARRec(entry("Tremblay, Luc", 7, "01202", '1', 2)),
              "D01SUN  Tremblay, Luc  0000000701202 120241101");
}

}  // namespace
