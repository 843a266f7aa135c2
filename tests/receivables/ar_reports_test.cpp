// The receivable reports over a hand-built practice whose figures are computed by hand
// (tests/receivables/ar_practice.h), on every engine and in both calculation modes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "common/report_run.h"
#include "host/base/env.h"
#include "host/calc/arcalc.h"
#include "host/output/page.h"
#include "host/output/textprint.h"
#include "host/output/xmlexport.h"
#include "host/records/context.h"
#include "receivables/ar_collect.h"
#include "receivables/ar_reports.h"
#include "receivables/ar_run.h"
#include "tests/output/helpers.h"
#include "tests/receivables/ar_check.h"
#include "tests/receivables/ar_practice.h"
#include "tests/support/practice_test.h"
#include "tests/support/testdb.h"

namespace {

using testing_support::TestDb;

struct Output {
    std::vector<std::vector<std::string>> pages;
    std::string text;  // every page, lines joined
    std::vector<host::output::XmlRow> rows, summary, notes;
    host::calc::AgedGroups totals;
    ar::ARData data;
};

// The amounts (and percentages) at the end of a line, left to right.
std::vector<std::string> TrailingAmounts(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words, out;
    for (std::string w; in >> w;)
        words.push_back(w);
    for (auto it = words.rbegin(); it != words.rend(); ++it) {
        const std::string& w = *it;
        const bool numeric = !w.empty() &&
                             w.find_first_not_of("-0123456789.,%") == std::string::npos &&
                             w.find('.') != std::string::npos;
        if (!numeric) break;
        out.insert(out.begin(), w);
    }
    return out;
}

std::vector<std::string> V(std::initializer_list<const char*> l) {
    return {l.begin(), l.end()};
}

class ARReportTest : public testing_support::PracticeTest<> {
  protected:
    void Build(GenDB& db) override { ar_test::BuildPractice(db); }
    void SetUp() override {
        PracticeTest::SetUp();
        // The quick list reads the balances the accounts store: store the computed ones.
        DrArCalc calc(launcher_->GetListPtr(), launcher_->GetMsgPtr(), 1);
        ASSERT_TRUE(calc.SetupAR(ar_test::kAsOf, false, true, false, nullptr));
        for (long acc = 1; acc <= 7; ++acc) {
            ASSERT_TRUE(calc.CalcAR(acc, true, false, nullptr, false));
            ASSERT_TRUE(calc.WriteActBal(acc, nullptr, false));
        }
    }
    arrpt_info Info(int kind, int grouping, const char* producer, char future, int overdue,
                    long min_balance = 0) {
        return ar_check::Criteria(ar_test::kAsOf, kind, grouping, producer, future, overdue,
                                  min_balance);
    }

    Output Run(arrpt_info info, bool quick = false, int mode = 1) {
        app_->m_CalAR = mode;
        Output out;
        ar_check::Ran ran = ar_check::RunToText(info, quick, launcher_.get());
        const ARReportRun& run = *ran.run;
        out.pages = ran.pages;
        out.text = ran.text;
        std::string error;
        const std::string dir = host::Env().output_dir + "/XML/";
        auto read = [&](const reports::DataFile& f, std::vector<host::output::XmlRow>* rows) {
            ASSERT_TRUE(f.table->SaveXml(dir + "t.xml", &error)) << error;
            ASSERT_TRUE(host::output::ReadXmlRows(dir + "t.xml", rows, &error)) << error;
        };
        for (const reports::DataFile& f : run.DataFiles()) {
            if (f.xml_file.find("agedrc") != std::string::npos ||
                f.xml_file.find("arquick") != std::string::npos)
                read(f, &out.rows);
            else if (f.xml_file.find("aracc") != std::string::npos)
                read(f, &out.summary);
            else if (f.xml_file.find("arnotes") != std::string::npos)
                read(f, &out.notes);
        }
        out.totals = ar::SumAccounts(run.Data());
        out.data = run.Data();
        return out;
    }

    // The amounts of the line labelled `label` that follows the first line holding `anchor`.
    std::vector<std::string> Amounts(const Output& out, const std::string& anchor,
                                     const std::string& label) {
        std::istringstream in(out.text);
        bool found = false;
        for (std::string line; std::getline(in, line);) {
            if (!found) {
                found = line.find(anchor) != std::string::npos;
                if (!found) continue;
                if (label.empty()) return TrailingAmounts(line);
                continue;
            }
            if (line.find(label) != std::string::npos) return TrailingAmounts(line);
        }
        return {};
    }
};

TEST_P(ARReportTest, AccountBlocksTotalsAndSummaryMatchTheHandFigures) {
    const Output out = Run(Info(0, 1, "*", 'Y', 2));
    // Accounts in name order; deleted, inactive, patientless and settled ones left out.
    const size_t belanger = out.text.find("Bélanger, Chloé");
    const size_t obrien = out.text.find("O'Brien, Seán");
    const size_t tremblay = out.text.find("Tremblay, Luc");
    ASSERT_NE(belanger, std::string::npos);
    ASSERT_NE(obrien, std::string::npos);
    ASSERT_NE(tremblay, std::string::npos);
    EXPECT_LT(belanger, obrien);
    EXPECT_LT(obrien, tremblay);
    for (const char* gone : {"Gagnon, Éloïse", "Roy, Marc", "Côté, Anne", "Lavoie, Jean"})
        EXPECT_EQ(out.text.find(gone), std::string::npos) << gone;

    EXPECT_EQ(Amounts(out, "Tremblay, Luc", "P "),
              V({"15.00", "0.00", "150.00", "30.00", "195.00", "30.00"}));
    EXPECT_EQ(Amounts(out, "Tremblay, Luc", "A:"),
              V({"20.00", "0.00", "0.00", "0.00", "20.00", "50.00"}));
    EXPECT_EQ(Amounts(out, "Tremblay, Luc", "T:"),
              V({"35.00", "0.00", "150.00", "30.00", "215.00", "80.00"}));
    EXPECT_EQ(Amounts(out, "O'Brien, Seán", "P "),
              V({"0.00", "80.00", "0.00", "0.00", "80.00", "0.00"}));
    EXPECT_EQ(Amounts(out, "Bélanger, Chloé", "T:"),
              V({"0.00", "0.00", "0.00", "120.00", "120.00", "0.00"}));
    EXPECT_EQ(Amounts(out, "Bélanger, Chloé", "Solde du Plan"), V({"120.00"}));

    // The account totals.
    EXPECT_EQ(Amounts(out, "Total des Comptes à Recevoir", "P "),
              V({"15.00", "80.00", "150.00", "150.00", "395.00", "30.00"}));
    EXPECT_EQ(Amounts(out, "Total des Comptes à Recevoir", "A:"),
              V({"20.00", "0.00", "0.00", "0.00", "20.00", "50.00"}));
    EXPECT_EQ(Amounts(out, "Total des Comptes à Recevoir", "T:"),
              V({"35.00", "80.00", "150.00", "150.00", "415.00", "80.00"}));

    // The summary by producer: one line each, then the totals and the shares.
    EXPECT_EQ(Amounts(out, "SOMMAIRES", "D01 Marie Tremblay, Dre"),
              V({"35.00", "0.00", "0.00", "30.00", "65.00", "80.00"}));
    EXPECT_EQ(Amounts(out, "SOMMAIRES", "D02 Paul Gagnon"),
              V({"0.00", "80.00", "0.00", "120.00", "200.00", "0.00"}));
    EXPECT_EQ(Amounts(out, "SOMMAIRES", "H01 Émilie Hygiéniste"),
              V({"0.00", "0.00", "150.00", "0.00", "150.00", "0.00"}));
    EXPECT_EQ(Amounts(out, "SOMMAIRES", "Montant à Payer (patients)"),
              V({"15.00", "80.00", "150.00", "150.00", "395.00", "30.00"}));
    EXPECT_EQ(Amounts(out, "SOMMAIRES", "Pourcentage des Comptes"),
              V({"8.43%", "19.28%", "36.14%", "36.14%", "100.00%"}));
    EXPECT_NE(out.text.find("RAPPORT PAR PRODUCTEUR :"), std::string::npos);

    // Notes: Luc's A/R note under his account; none for an account without A/R notes.
    const size_t note = out.text.find("Rappel envoyé");
    ASSERT_NE(note, std::string::npos);
    EXPECT_GT(note, tremblay);
    const std::string belanger_block = out.text.substr(belanger, obrien - belanger);
    EXPECT_EQ(belanger_block.find("Notes C/R"), std::string::npos);
    ASSERT_EQ(out.notes.size(), 1u);

    // The XML data: one row per account and the totals row.
    ASSERT_EQ(out.rows.size(), 4u);
    auto col = [](const host::output::XmlRow& r, const std::string& name) {
        for (const auto& [n, v] : r.columns)
            if (n == name) return v;
        return std::string("<absent>");
    };
    EXPECT_EQ(col(out.rows[2], "Nom"), "Tremblay, Luc");
    EXPECT_EQ(col(out.rows[2], "PatTotal"), "195.00");
    EXPECT_EQ(col(out.rows[2], "TotAVenir"), "80.00");
    EXPECT_EQ(out.rows[3].type, "T");
    EXPECT_EQ(col(out.rows[3], "TotTotal"), "415.00");
    ASSERT_GE(out.summary.size(), 3u);
    EXPECT_EQ(col(out.summary[1], "Code"), "D02");
    EXPECT_EQ(col(out.summary[1], "Total"), "200.00");
}

TEST_P(ARReportTest, SummaryOnlyKindPrintsNoBlocksAndTheSameTotals) {
    const Output full = Run(Info(0, 1, "*", 'Y', 2));
    const Output summary_only = Run(Info(2, 1, "*", 'Y', 2));
    EXPECT_EQ(summary_only.text.find("Tremblay, Luc"), std::string::npos);
    EXPECT_EQ(summary_only.totals, full.totals);
    ASSERT_EQ(summary_only.summary.size(), full.summary.size());
    for (size_t i = 0; i < full.summary.size(); ++i)
        EXPECT_EQ(summary_only.summary[i].columns, full.summary[i].columns);
    EXPECT_EQ(Amounts(summary_only, "SOMMAIRES", "Total des Montants"),
              V({"35.00", "80.00", "150.00", "150.00", "415.00", "80.00"}));

    // It holds only the accounts whose notes its notes file lists (none without the notes
    // option), yet counts and sums every account the full report lists.
    ASSERT_EQ(summary_only.data.accounts.size(), 1u);
    EXPECT_EQ(summary_only.data.accounts[0].name, "Tremblay, Luc");
    EXPECT_EQ(summary_only.notes.size(), full.notes.size());
    arrpt_info no_notes = Info(2, 1, "*", 'Y', 2);
    no_notes.notes = 0;
    const Output bare = Run(no_notes);
    EXPECT_TRUE(bare.data.accounts.empty());
    for (const Output* o : {&summary_only, &bare}) {
        EXPECT_EQ(ar::KeptAccounts(o->data), static_cast<long>(full.data.accounts.size()));
        EXPECT_EQ(ar::SumAccounts(o->data), ar::SumAccounts(full.data));
        EXPECT_EQ(ar::AccountsInCredit(o->data), ar::AccountsInCredit(full.data));
        EXPECT_EQ(ar::PlanBalances(o->data), ar::PlanBalances(full.data));
        EXPECT_EQ(ar::SumAdditional(o->data), ar::SumAdditional(full.data));
    }
}

TEST_P(ARReportTest, WithoutTheFutureOptionTheFutureColumnStaysZero) {
    const Output out = Run(Info(0, 1, "*", 'N', 2));
    EXPECT_EQ(Amounts(out, "Tremblay, Luc", "T:"),
              V({"35.00", "0.00", "150.00", "30.00", "215.00", "0.00"}));
    EXPECT_EQ(Amounts(out, "Total des Comptes à Recevoir", "T:"),
              V({"35.00", "80.00", "150.00", "150.00", "415.00", "0.00"}));
    for (int g = 0; g < 3; ++g) {
        const host::calc::Aged& a = g == 0   ? out.totals.pat
                                    : g == 1 ? out.totals.ins
                                             : out.totals.tot;
        EXPECT_EQ(a.v[host::calc::kFuture], 0);
    }
}

TEST_P(ARReportTest, OneProducerShowsOnlyItsAccountsAndFigures) {
    const Output out = Run(Info(0, 1, "D02", 'Y', 2));
    EXPECT_NE(out.text.find("O'Brien, Seán"), std::string::npos);
    EXPECT_NE(out.text.find("Bélanger, Chloé"), std::string::npos);
    EXPECT_EQ(out.text.find("Tremblay, Luc"), std::string::npos);  // owes D01 and H01 only
    EXPECT_EQ(Amounts(out, "Total des Comptes à Recevoir", "T:"),
              V({"0.00", "80.00", "0.00", "120.00", "200.00", "0.00"}));
    EXPECT_EQ(out.text.find("D01 Marie"), std::string::npos);
    EXPECT_EQ(out.text.find("H01 Émilie"), std::string::npos);
    EXPECT_EQ(Amounts(out, "SOMMAIRES", "D02 Paul Gagnon"),
              V({"0.00", "80.00", "0.00", "120.00", "200.00", "0.00"}));
}

TEST_P(ARReportTest, BillingDoctorGroupingCreditsTheBillingDoctor) {
    const Output out = Run(Info(0, 0, "*", 'Y', 2));
    EXPECT_NE(out.text.find("RAPPORT PAR DOCTEUR $ :"), std::string::npos);
    // The hygienist's 150.00 goes to billing doctor 01.
    EXPECT_EQ(Amounts(out, "SOMMAIRES", "D01 Marie Tremblay, Dre"),
              V({"35.00", "0.00", "150.00", "30.00", "215.00", "80.00"}));
    EXPECT_EQ(Amounts(out, "SOMMAIRES", "D02 Paul Gagnon"),
              V({"0.00", "80.00", "0.00", "120.00", "200.00", "0.00"}));
    // A selected billing doctor keeps the accounts whose main patient is his.
    const Output d02 = Run(Info(0, 0, "D02", 'Y', 2));
    EXPECT_EQ(d02.text.find("Tremblay, Luc"), std::string::npos);
    EXPECT_NE(d02.text.find("O'Brien, Seán"), std::string::npos);
}

TEST_P(ARReportTest, OverdueChoiceAndMinimumBalance) {
    // 5: sixty days and older above 100.00: Tremblay (180.00) and Bélanger (120.00).
    const Output out = Run(Info(0, 1, "*", 'Y', 5, 10000));
    EXPECT_NE(out.text.find("Tremblay, Luc"), std::string::npos);
    EXPECT_NE(out.text.find("Bélanger, Chloé"), std::string::npos);
    EXPECT_EQ(out.text.find("O'Brien, Seán"), std::string::npos);
    EXPECT_NE(out.text.find("Solde Min. $100.00"), std::string::npos);
    // 1: every account with patients, the settled one too.
    const Output all = Run(Info(0, 1, "*", 'Y', 1));
    EXPECT_NE(all.text.find("Lavoie, Jean"), std::string::npos);
    EXPECT_EQ(all.text.find("Gagnon, Éloïse"), std::string::npos);
}

TEST_P(ARReportTest, PatientBalancesSplitTheAccount) {
    const Output out = Run(Info(1, 1, "*", 'Y', 2));
    EXPECT_EQ(Amounts(out, "Luc Tremblay (TR001)", "P "),
              V({"15.00", "0.00", "0.00", "30.00", "45.00", "30.00"}));
    EXPECT_EQ(Amounts(out, "Léa Tremblay (TR002)", "P "),
              V({"0.00", "0.00", "150.00", "0.00", "150.00", "0.00"}));
    EXPECT_EQ(out.text.find("Total des Comptes à Recevoir"), std::string::npos);  // kind 1: none
    EXPECT_EQ(Amounts(out, "SOMMAIRES", "Total des Montants"),
              V({"35.00", "80.00", "150.00", "150.00", "415.00", "80.00"}));
}

TEST_P(ARReportTest, QuickListReadsTheStoredBalances) {
    const Output out = Run(Info(0, 1, "*", 'N', 2), true);
    EXPECT_NE(out.text.find("SOMMAIRE DES COMPTES À RECEVOIR"), std::string::npos);
    EXPECT_EQ(Amounts(out, "Tremblay, Luc", ""), V({"35.00", "0.00", "150.00", "30.00", "215.00"}));
    EXPECT_EQ(Amounts(out, "Total des Comptes à Recevoir", "T"),
              V({"35.00", "80.00", "150.00", "150.00", "415.00"}));
}

TEST_P(ARReportTest, BothCalculationModesPrintTheSameReport) {
    for (int kind : {0, 1}) {
        const Output sql = Run(Info(kind, 1, "*", 'Y', 2), false, 1);
        const Output records = Run(Info(kind, 1, "*", 'Y', 2), false, 0);
        EXPECT_EQ(sql.text, records.text) << "kind " << kind;
        EXPECT_EQ(sql.totals, records.totals);
    }
}

// ---------------------------------------------------------------- faults seen before

// Accounts added to the hand-built practice for the faults below:
//  8 Pelletier, Zoé: +23.00 in 31-60 and -23.00 over 90 (overpaid): a zero total.
//  9 Fortin, Guy: D01 40.00 current; D02 60.00 future only.
// 10 Ancien, Paul: D01 50.00 served 2023-06-01, more than a year before the as-of date.
// 11 Gendron, Lise: D02 20.00 current; an additional amount of 12.34 on the account; a
//    payment plan of 50.00 with doctor 05, whom the producer records do not know.
void AddFaultAccounts(GenDB& db) {
    using ar_test::Exec;
    auto ins = testing_support::Inserter(db);
    const std::string acc = "ACC_ID, ACC_LNAME, ACC_PNAME, ACC_ADD_AMT, ACC_PPLAN_BAL";
    ins("ACCOUNT", acc, "8, 'Pelletier', 'Zoé', 0, 0");
    ins("ACCOUNT", acc, "9, 'Fortin', 'Guy', 0, 0");
    ins("ACCOUNT", acc, "10, 'Ancien', 'Paul', 0, 0");
    ins("ACCOUNT", acc, "11, 'Gendron', 'Lise', 1234, 5000");
    const std::string pat = "PAT_ID, PAT_ACCID, PAT_PNAME, PAT_LNAME, PAT_DOCTOR, PAT_RESPONSIBLE";
    ins("PATIENT", pat, "81, 8, 'Zoé', 'Pelletier', '01', 'Y'");
    ins("PATIENT", pat, "91, 9, 'Guy', 'Fortin', '02', 'Y'");
    ins("PATIENT", pat, "101, 10, 'Paul', 'Ancien', '01', 'Y'");
    ins("PATIENT", pat, "111, 11, 'Lise', 'Gendron', '02', 'Y'");
    const std::string clm = "PCLM_ID, PCLM_PATID, PCLM_STATUS, PCLM_DATE, PCLM_DOCTOR";
    ins("PATCLM", clm, "801, 81, 'C', 20241001, '01'");
    ins("PATCLM", clm, "901, 91, 'I', 20241101, '01'");
    ins("PATCLM", clm, "1001, 101, 'C', 20230601, '01'");
    ins("PATCLM", clm, "1101, 111, 'I', 20241110, '02'");
    const std::string trt =
        "CTRT_ID, CTRT_PCLMID, CTRT_DATE, CTRT_PRODUCER, CTRT_BILL_DOC, CTRT_TOTAL, "
        "CTRT_INS_TOTAL";
    ins("CLMTRT", trt, "801, 801, 20241001, 'D01', '01', 2300, 0");
    ins("CLMTRT", trt, "802, 801, 20240701, 'D01', '01', 1000, 0");
    ins("CLMTRT", trt, "901, 901, 20241101, 'D01', '01', 4000, 0");
    ins("CLMTRT", trt, "902, 901, 20241210, 'D02', '02', 6000, 0");
    ins("CLMTRT", trt, "1001, 1001, 20230601, 'D01', '01', 5000, 0");
    ins("CLMTRT", trt, "1101, 1101, 20241110, 'D02', '02', 2000, 0");
    ins("ACCPMT", "APMT_ID, APMT_ACCID, APMT_RECTYPE, APMT_TYPE, APMT_DATE, APMT_TOTAL",
        "801, 8, 'P', 'P', 20240801, 3300");
    ins("PMTAPP",
        "PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_CTRTID, PAPP_PATID, PAPP_TYPE, PAPP_DATE, "
        "PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR",
        "801, 801, 'T', 802, 81, 'P', 20240801, 3300, 'D01', '01'");
    ins("PATPPLAN", "PPLN_ID, PPLN_ACCID, PPLN_DOCTOR, PPLN_BALANCE, PPLN_STATUS",
        "2, 11, '05', 5000, 'A'");
}

bool Lists(const Output& out, const std::string& name) {
    return out.text.find(name) != std::string::npos;
}

TEST_P(ARReportTest, TotalsAreTheSumOfTheAccountsListed) {
    AddFaultAccounts(t_->db());
    // Overdue 2: the overpaid account's total is zero, so it is neither listed nor counted.
    for (int kind : {0, 1, 2}) {
        const Output out = Run(Info(kind, 1, "*", 'Y', 2));
        EXPECT_FALSE(Lists(out, "Pelletier, Zoé"));
        ar_check::ExpectTotalsAreTheirLines(out.text, kind, "kind " + std::to_string(kind));
        for (const ar::ProducerRow& p : out.data.producers) {
            if (p.code == "D01") {
                EXPECT_EQ(p.ar.tot.v[host::calc::k30], 0) << "Pelletier counted";
            }
        }
    }
    // One producer: an account that owes D02 only in the future is not listed, and its
    // future amount is in no total.
    const Output d02 = Run(Info(0, 1, "D02", 'Y', 2));
    EXPECT_FALSE(Lists(d02, "Fortin, Guy"));
    ar_check::ExpectTotalsAreTheirLines(d02.text, 0, "D02");
    EXPECT_EQ(ar::SumAccounts(d02.data).tot.v[host::calc::kFuture], 0);
}

TEST_P(ARReportTest, OverdueSevenAndEightDoWhatTheirLabelsSay) {
    AddFaultAccounts(t_->db());
    const Output year = Run(Info(0, 1, "*", 'Y', 7));
    ASSERT_EQ(year.data.accounts.size(), 1u) << year.text;
    EXPECT_EQ(year.data.accounts[0].name, "Ancien, Paul");
    // 8: any age, a total above 100.00 on one side or both.
    const Output over = Run(Info(0, 1, "*", 'Y', 8, 10000));
    std::vector<std::string> names;
    for (const ar::AccountRow& a : over.data.accounts)
        names.push_back(a.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Bélanger, Chloé", "Tremblay, Luc"}));
    EXPECT_NE(over.text.find("(8 - Choix, Solde Min. $100.00"), std::string::npos);
}

TEST_P(ARReportTest, PaymentPlansFollowTheProducerAndNameAMissingDoctor) {
    AddFaultAccounts(t_->db());
    const Output all = Run(Info(0, 1, "*", 'Y', 2));
    EXPECT_NE(all.text.find("D05 ** Le docteur ne figure pas dans le dossier **"),
              std::string::npos)
        << all.text;
    EXPECT_EQ(all.text.find("\n05 "), std::string::npos);
    // One producer: its own plans only (Bélanger's, with doctor 02).
    const Output d02 = Run(Info(0, 1, "D02", 'Y', 2));
    ASSERT_EQ(d02.data.plans.size(), 1u);
    EXPECT_EQ(d02.data.plans[0].code, "D02");
    EXPECT_EQ(d02.data.plans[0].balance, 12000);
    EXPECT_EQ(d02.text.find("D05 "), std::string::npos);
}

TEST_P(ARReportTest, AnAdditionalAmountIsTheAccountsAndHasItsOwnSummaryLine) {
    AddFaultAccounts(t_->db());
    const Output out = Run(Info(0, 1, "*", 'Y', 2));
    EXPECT_EQ(Amounts(out, "Gendron, Lise", "P "),
              V({"32.34", "0.00", "0.00", "0.00", "32.34", "0.00"}));
    EXPECT_EQ(Amounts(out, "SOMMAIRES", "Montants additionnels des comptes"),
              V({"12.34", "0.00", "0.00", "0.00", "12.34", "0.00"}));
    // D02's line keeps what D02 is owed: Gendron's 20.00, not the additional amount.
    EXPECT_EQ(Amounts(out, "SOMMAIRES", "D02 Paul Gagnon"),
              V({"20.00", "80.00", "0.00", "120.00", "220.00", "60.00"}));
    ar_check::ExpectTotalsAreTheirLines(out.text, 0, "additional");
    // By patient: the additional amount stays on the account's own line.
    const Output by_patient = Run(Info(1, 1, "*", 'Y', 2));
    ar_check::ExpectTotalsAreTheirLines(by_patient.text, 1, "by patient");
}

INSTANTIATE_TEST_SUITE_P(Engines, ARReportTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

// ------------------------------------------------------------------- page ending

class PageEndProbe : public ARQuickRptObj {
  public:
    using ARQuickRptObj::ARQuickRptObj;
    // Opens the report, starts its first page, and ends it as if the details had reached line.
    void EndAt(int line) {
        OpenReport();
        PageBreak();
        EndReport(line);
    }
};

class ARPageEndTest : public output_test::WithBackend {
  protected:
    // The page and line (from 1) of the account totals title.
    std::pair<int, int> TotalsPlace(int end_line) {
        ar::ARData data;
        data.quick = true;
        data.criteria.as_of = ar_test::kAsOf;
        data.criteria.overdue_num = 1;
        const std::string path = host::ReportFilePath("page-end.prt");
        FILE* f = std::fopen(path.c_str(), "w");
        {
            PageEndProbe probe(nullptr, nullptr, data, f, false, 1);
            probe.EndAt(end_line);
        }
        std::fclose(f);
        std::vector<host::output::TextPage> pages;
        std::string error;
        host::output::ReadTextPages(path, &pages, &error);
        for (size_t p = 0; p < pages.size(); ++p)
            for (size_t l = 0; l < pages[p].size(); ++l)
                if (pages[p][l].rfind("Total des Comptes à Recevoir", 0) == 0)
                    return {static_cast<int>(p) + 1, static_cast<int>(l) + 1};
        return {0, 0};
    }
};

TEST_F(ARPageEndTest, TotalsMoveToANewPageFromLine51) {
    EXPECT_EQ(TotalsPlace(50), std::make_pair(1, 53));
    const auto at51 = TotalsPlace(51);
    EXPECT_EQ(at51.first, 2);
    EXPECT_LT(at51.second, 20);  // right after the titles of the new page
}

// ------------------------------------------------------------------- columns

// Character spans of the words of a heading (separated by two blanks or more), and of the
// amounts of a line (separated by one blank or more).
std::vector<std::pair<int, int>> Spans(const std::string& line, int gap) {
    std::vector<std::pair<int, int>> spans;
    const std::vector<std::string> chars = host::output::SplitChars(line);
    int start = -1, blanks = 0;
    for (int c = 0; c <= static_cast<int>(chars.size()); ++c) {
        const bool blank = c == static_cast<int>(chars.size()) || chars[c] == " ";
        if (!blank) {
            if (start < 0) start = c;
            blanks = 0;
            continue;
        }
        if (start >= 0 && ++blanks >= gap) {
            spans.emplace_back(start, c - blanks);
            start = -1;
        }
    }
    if (start >= 0) spans.emplace_back(start, static_cast<int>(chars.size()) - 1 - blanks);
    return spans;
}

// Rows with amounts wide enough to fill their columns, printed without a database.
ar::ARData WideRows() {
    ar::ARData d;
    d.criteria.as_of = ar_test::kAsOf;
    d.criteria.grouping = 1;
    d.criteria.overdue_num = 2;
    std::snprintf(d.criteria.overdue_text, sizeof d.criteria.overdue_text, "2 - Comptes");
    ar::AccountRow a;
    a.acc_id = 1;
    a.name = "Bélanger-Côté, Éloïse";
    a.patients = 1;
    const int64_t wide[6] = {148060, 109175, -9999999, 105261, 1614184, -99999999};
    for (int i = 0; i < 6; ++i)
        a.ar.pat.v[i] = a.ar.ins.v[i] = a.ar.tot.v[i] = wide[i];
    d.accounts.push_back(a);
    ar::ProducerRow p{"D01", "D01 Marie Tremblay, Dre", {}};
    const int64_t big[6] = {10526147, 1614184, 999999999, 11111111, 123456789, 98765432};
    for (int i = 0; i < 6; ++i)
        p.ar.pat.v[i] = p.ar.ins.v[i] = p.ar.tot.v[i] = big[i];
    d.producers.push_back(p);
    return d;
}

std::vector<std::string> PrintedLines(const ar::ARData& data) {
    const std::string path = host::ReportFilePath("columns.prt");
    FILE* f = std::fopen(path.c_str(), "w");
    {
        ARAccRptObj report(nullptr, nullptr, data, f, false, 1);
        report.SetAutomation(1, false);
        EXPECT_TRUE(report.PrintReport());
    }
    std::fclose(f);
    std::vector<host::output::TextPage> pages;
    std::string error;
    EXPECT_TRUE(host::output::ReadTextPages(path, &pages, &error)) << error;
    std::vector<std::string> lines;
    for (const auto& page : pages)
        lines.insert(lines.end(), page.begin(), page.end());
    return lines;
}

class ARColumns : public output_test::WithBackend {};

TEST_F(ARColumns, AmountsSitUnderTheirHeadingsAndNeverTouch) {
    const std::vector<std::string> lines = PrintedLines(WideRows());
    // Each amount line's six amounts: separate words, each ending under its heading word
    // and before the next heading word begins.
    std::vector<std::pair<int, int>> heading;
    int checked = 0;
    for (const std::string& line : lines) {
        if (line.find("Courant") != std::string::npos) {
            heading = Spans(line, 2);
            heading.erase(heading.begin(), heading.end() - 6);
            continue;
        }
        const std::vector<std::string> amounts = TrailingAmounts(line);
        if (amounts.size() < 5 || heading.empty() || line.find('%') != std::string::npos) continue;
        std::vector<std::pair<int, int>> spans = Spans(line, 1);
        spans.erase(spans.begin(), spans.end() - static_cast<long>(amounts.size()));
        for (size_t i = 0; i < spans.size(); ++i) {
            int64_t cents = 0;
            EXPECT_TRUE(ar_check::Cents(amounts[i], &cents)) << line;
            EXPECT_GE(spans[i].second, heading[i].second) << "amount " << i << ": " << line;
            if (i + 1 < heading.size()) {
                EXPECT_LT(spans[i].second, heading[i + 1].first) << "amount " << i << ": " << line;
            }
        }
        ++checked;
    }
    EXPECT_GE(checked, 3 + 3 + 3);  // the block, the account totals, the summary
}

TEST_F(ARColumns, EachShareIsUnderItsColumn) {
    const std::vector<std::string> lines = PrintedLines(WideRows());
    std::vector<std::pair<int, int>> total, shares;
    for (const std::string& line : lines) {
        if (line.rfind("Total des Montants", 0) == 0) total = Spans(line, 1);
        if (line.rfind("Pourcentage des Comptes", 0) == 0) shares = Spans(line, 1);
    }
    ASSERT_GE(total.size(), 6u);
    ASSERT_GE(shares.size(), 5u);
    total.erase(total.begin(), total.end() - 6);
    shares.erase(shares.begin(), shares.end() - 5);
    // Current under current, ..., 100.00% under the total; nothing under the future.
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(shares[i].second, total[i].second) << "share " << i;
}

// The golden texts of the receivable report (tests/golden) print totals that are the sum of
// the lines under them, whatever the demo practice holds.
TEST(ARGolden, EveryTotalOfTheGoldenTextsIsTheSumOfItsLines) {
    const std::pair<const char*, int> texts[] = {
        {"ar-comptes-docteur", 0},     {"ar-comptes-producteur", 0}, {"ar-patients-docteur", 1},
        {"ar-patients-producteur", 1}, {"ar-totaux-docteur", 2},     {"ar-totaux-producteur", 2},
        {"ar-un-producteur", 0}};
    for (const auto& [name, kind] : texts) {
        std::ifstream in(std::string(RAPPORTS_TESTS_DIR) + "/golden/" + name + ".txt");
        ASSERT_TRUE(in) << name;
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        ar_check::ExpectTotalsAreTheirLines(text, kind, name);
    }
}

TEST(ARSummaryOrder, AuxiliariesComeAfterTheOthers) {
    std::vector<std::string> codes{"A10", "B20", "AX", "D01", "A02"};
    std::sort(codes.begin(), codes.end(), ARSumRptObj::CodeBefore);
    EXPECT_EQ(codes, (std::vector<std::string>{"B20", "D01", "A02", "A10", "AX"}));
}

}  // namespace
