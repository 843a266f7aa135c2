// The day-end report over the hand-built day (dayend_practice.h): sections, control totals
// and producer summaries computed by hand, checked on the lines, on the text of each form
// and on its data file, by SQL and from the day sheet, on each engine.
#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "closing/dayend_reports.h"
#include "tests/closing/dayend_practice.h"

namespace {

using dayend::Control;
using dayend_test::kDay;
using followup_test::At;

dayend::Criteria Crit(bool quick = false) {
    dayend::Criteria c;
    c.date = kDay;
    c.quick = quick;
    return c;
}

// The text at columns [col, col + width) of the first line holding label after from,
// counted in characters, blanks trimmed.
std::string Col(const std::string& text, const std::string& label, int col, int width,
                size_t from = 0) {
    const size_t at = text.find(label, from);
    if (at == std::string::npos) return "<" + label + " missing>";
    const size_t begin = text.rfind('\n', at) + 1;
    const std::string line = text.substr(begin, text.find('\n', at) - begin);
    std::u32string wide;
    for (size_t i = 0; i < line.size();) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        const size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        wide.push_back(U'x');
        if (static_cast<int>(wide.size()) > col && static_cast<int>(wide.size()) <= col + width)
            wide.back() = static_cast<char32_t>(i + 1);  // byte offset + 1 of that character
        i += n;
    }
    std::string out;
    for (size_t k = static_cast<size_t>(col);
         k < wide.size() && k < static_cast<size_t>(col + width); ++k) {
        const size_t i = wide[k] - 1;
        const unsigned char c = static_cast<unsigned char>(line[i]);
        out += line.substr(i, c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4);
    }
    const size_t a = out.find_first_not_of(' '), b = out.find_last_not_of(' ');
    return a == std::string::npos ? "" : out.substr(a, b - a + 1);
}

class DayEndTest : public dayend_test::DayTest {
  protected:
    // Runs the report (with the summaries) in calculation mode `mode`; the text of its pages.
    std::string Run(DayEndReportRun& run, int mode) {
        app_->m_CalAR = mode;
        return followup_test::RunToText(run, launcher_.get(), "dayend");
    }
    static std::map<char, int64_t> SectionTotals(const dayend::DayEndData& d) {
        std::map<char, int64_t> out;
        for (const auto& s : d.sections)
            out[s.kind] = s.total;
        return out;
    }
};

TEST_P(DayEndTest, FullFormSectionsAndSplitsByHandInBothModes) {
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "SQL" : "day sheet");
        DayEndReportRun run(Crit(), true);
        const std::string text = Run(run, mode);
        const dayend::DayEndData& d = run.Report();
        // Patients count; charges positive; payments, adjustments and reallocations
        // negative (the back-dated payment P9 belongs to 11-13 in the detail).
        EXPECT_EQ(SectionTotals(d), (std::map<char, int64_t>{{'A', 1},
                                                             {'B', 1},
                                                             {'F', 16800},
                                                             {'G', 8000},
                                                             {'H', 1500},
                                                             {'K', -10000},
                                                             {'M', -700},
                                                             {'O', 0},
                                                             {'Q', -2500},
                                                             {'R', -1300}}));
        const dayend::Section& f = d.sections[2];
        ASSERT_EQ(f.kind, 'F');
        EXPECT_EQ(std::make_tuple(f.fees, f.discount, f.extra, f.lab),
                  std::make_tuple(15000, 500, 300, 2000));
        EXPECT_EQ(f.fees + f.lab + f.extra - f.discount, f.total);
        const dayend::Section& m = d.sections[6];
        ASSERT_EQ(m.kind, 'M');
        EXPECT_EQ(std::make_tuple(m.fee_adj, m.pmt_adj), std::make_tuple(-500, -200));
        const dayend::Section& r = d.sections.back();
        ASSERT_EQ(r.lines.size(), 2u);
        EXPECT_EQ(r.lines[0].kind, 'R');
        EXPECT_EQ(r.lines[0].date, 20241120);
        EXPECT_EQ(r.lines[1].kind, 'S');

        // Every section titled once, in kind order; the treatment split and the office
        // charges' total at column 107.
        size_t at = 0;
        for (const char* title : {"Nouveaux Patients", "Patients Supprimés", "Nouveaux Traitements",
                                  "Traitements Supprimés", "Nouvelles Tâches", "Nouveaux Paiements",
                                  "Nouveaux Ajustements", "Nouveaux Transferts",
                                  "Réaffectation des Paiements", "Nouvelles Données Postdatées"}) {
            const size_t next = text.find(std::string("  ") + title, at);
            ASSERT_NE(next, std::string::npos) << title << "\n" << text;
            at = next;
        }
        // Patients: date at 2, name, address at 42; treatments' amounts at 83, 95, 107
        // and the patient's total at 119 on the patient's last line.
        EXPECT_EQ(Col(text, "Aubin, Anne   ", 2, 10), "14/11/2024");
        EXPECT_EQ(Col(text, "Aubin, Anne   ", 42, 40), "1 rue Principale, Laval");
        const size_t treatments = At(text, "Nouveaux Traitements");
        EXPECT_EQ(Col(text, " 02101 ", 107, 11, treatments), "45.00");
        EXPECT_EQ(Col(text, " 02101 ", 119, 11, treatments), "85.00");
        EXPECT_EQ(Col(text, "Escompte :", 107, 11, treatments), "5.00");
        EXPECT_EQ(Col(text, "Frais Suppl. :", 107, 11, treatments), "3.00");
        EXPECT_EQ(Col(text, "Frais de laboratoire :", 107, 11, treatments), "20.00");
        EXPECT_EQ(Col(text, "Total des Tarifs", 107, 11), "15.00");
        EXPECT_EQ(Col(text, "Total:", 100, 11), "1");
        At(text, "Prepared for Clinique des Îles");

        // The data file: the section totals as "T" rows equal to the lines' sum.
        const auto& table = *run.DataFiles()[0].table;
        int64_t detail = 0;
        for (const auto& s : d.sections)
            if (s.kind != 'A' && s.kind != 'B') detail += s.total;
        EXPECT_EQ(table.Sum("Montant"), detail);
    }
}

TEST_P(DayEndTest, ControlTotalsAndTheQuickFormReconcile) {
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "SQL" : "day sheet");
        DayEndReportRun run(Crit(true), false);
        const std::string text = Run(run, mode);
        const Control& c = run.Report().control;
        // Day: fees 100 + 45 - 80, lab 23, charges 15, fee adjustments -5; payments 70 + 30,
        // payment adjustments 2.
        EXPECT_EQ(c.day, (std::array<int64_t, Control::kRows>{6500, 2300, 1500, -500, 10000, 200}));
        // Month to date (the analysis engine): T3 entered on the 1st and deleted today
        // nets out; payments are the applications, P9's counted on its entry day.
        EXPECT_EQ(c.mtd,
                  (std::array<int64_t, Control::kRows>{14500, 2300, 1500, -500, 10900, 200}));
        // The receivable at the end of the day: D01 17.00, H01 25.00, H02 50.00 brought
        // forward; the opening balance backs the day out of it.
        EXPECT_EQ(c.closing, 9200);
        EXPECT_EQ(c.ChargesDay(), 9800);
        EXPECT_EQ(c.PaymentsDay(), 10200);
        EXPECT_EQ(c.Opening(), 9600);
        EXPECT_EQ(c.Opening() + c.ChargesDay() - c.PaymentsDay(), c.closing);

        // The quick form's sums are the control totals' day columns.
        const auto& t = *run.DataFiles()[0].table;
        EXPECT_EQ(run.TemplateName(), "qdayendreport.rpt");
        EXPECT_EQ(t.Sum("TarifPatient", "TT"), c.ChargesDay());
        EXPECT_EQ(t.Sum("PmtPatient", "TT"), c.PaymentsDay());
        EXPECT_EQ(t.Sum("Ouverture", "GT"), 9600);
        EXPECT_EQ(t.Sum("Fermeture", "GT"), 9200);
        // The sums at 79, 92, 105 and 118, patient plus insurance at 86 and 112.
        const size_t totals = At(text, "Totaux :");
        EXPECT_EQ(Col(text, "Totaux :", 79, 53, totals),
                  "68.00        30.00        72.00        30.00");
        EXPECT_EQ(Col(text, "Total ", 86, 11, totals), "98.00");
        EXPECT_EQ(Col(text, "Total ", 112, 11, totals), "102.00");
        const size_t control = At(text, "Totaux de Contrôle");
        EXPECT_EQ(Col(text, "Honoraires :", 0, 68, control),
                  "Honoraires :                    65.00                    145.00");
        EXPECT_EQ(Col(text, "Paiements :", 68, 63, control),
                  "Paiements :                    100.00                    109.00");
        const size_t roll = At(text, "Solde d'Ouverture");
        EXPECT_EQ(
            Col(text.substr(text.find('\n', roll) + 1), "96.00", 0, 131),
            "96.00                    98.00                                    102.00          "
            "                 92.00");
    }
}

TEST_P(DayEndTest, ProducerSummariesByHand) {
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode == 1 ? "SQL" : "day sheet");
        DayEndReportRun run(Crit(), true);
        const std::string text = Run(run, mode);
        const dayend::DayEndData& s = run.Summaries();
        ASSERT_EQ(s.producers.size(), 2u);
        const dayend::ProducerSummary& d01 = s.producers[0];
        EXPECT_EQ(d01.code, "D01");
        auto triple = [](const dayend::Triple& t) {
            return std::make_tuple(t.pat, t.ins, t.total);
        };
        EXPECT_EQ(d01.Line('A').total, 1);
        EXPECT_EQ(d01.Line('B').total, 1);
        EXPECT_EQ(triple(d01.Line('F')), std::make_tuple(6300, 6000, 12300));
        EXPECT_EQ(triple(d01.Line('G')), std::make_tuple(5000, 3000, 8000));
        EXPECT_EQ(triple(d01.Line('H')), std::make_tuple(1500, 0, 1500));
        EXPECT_EQ(triple(d01.Line('I')), std::make_tuple(-500, 0, -500));
        // The back-dated payment entered today counts among today's payments; the direct
        // deposits apart.
        EXPECT_EQ(triple(d01.Line('L')), std::make_tuple(4900, 0, 4900));
        EXPECT_EQ(triple(d01.Line('M')), std::make_tuple(0, 3000, 3000));
        EXPECT_EQ(triple(d01.Line('P')), std::make_tuple(3500, 0, 3500));
        EXPECT_EQ(triple(d01.Line('V')), std::make_tuple(200, 0, 200));
        EXPECT_EQ(triple(d01.lab), std::make_tuple(0, 2000, 2000));
        EXPECT_EQ(std::make_tuple(d01.Charges(), d01.Payments(), d01.closing, d01.Opening()),
                  std::make_tuple(5300, 11600, 1700, 8000));
        const dayend::ProducerSummary& h01 = s.producers[1];
        EXPECT_EQ(h01.code, "H01");
        EXPECT_EQ(std::make_tuple(h01.Charges(), h01.Payments(), h01.closing, h01.Opening()),
                  std::make_tuple(4500, 2000, 2500, 0));
        ASSERT_EQ(s.idle.size(), 1u);
        EXPECT_EQ(s.idle[0].closing, 5000);
        // The practice's page is the sum of the producers', its closing the control's.
        EXPECT_EQ(s.practice.closing, 9200);
        EXPECT_EQ(s.practice.Charges(), 5300 + 4500);

        const size_t page = At(text, "Marie Tremblay, Dre (D01)");
        // Group headings once each, before the first line of their group.
        const size_t tarifs = text.find("Tarifs :", page);
        EXPECT_LT(tarifs, text.find("Nouveaux Traitements :", page));
        EXPECT_EQ(text.find("     Tarifs :", tarifs + 1),
                  text.find("     Tarifs :", At(text, "(H01)")));
        At(text, "Comptes à Recevoir (en suspens)");
        At(text, "Luc Roy (H02)");
        At(text, "Hygiéniste");
        At(text, "TOTAUX - CABINET");
        EXPECT_EQ(run.DataFiles().size(), 4u);
        EXPECT_EQ(run.DataFiles()[3].table->Sum("Total", "GT"), 9200);
    }
}

TEST_P(DayEndTest, BothWaysOfCollectingGiveTheSameLines) {
    auto lines = [&](int mode, dayend::Criteria c) {
        c.calc_mode = mode;
        dayend::DayEndData d;
        std::string error;
        dayend::TDayEndRepSummation sum(launcher_.get(), c);
        EXPECT_EQ(sum.Collect(&d, &error), dayend::Outcome::Done) << error;
        std::vector<std::tuple<char, long, std::string, int64_t, int64_t>> out;
        for (const auto& e : d.elems)
            out.emplace_back(e.kind, e.rec_id, e.producer, e.pat, e.ins);
        return out;
    };
    for (int pass : {dayend::kReportPass, dayend::kSummaryPass}) {
        dayend::Criteria c = Crit();
        c.pass = pass;
        const auto sql = lines(1, c);
        EXPECT_EQ(sql.size(), pass == dayend::kReportPass ? 15u : 17u);
        EXPECT_EQ(sql, lines(0, c));
    }
}

TEST_P(DayEndTest, OptionsNarrowTheDay) {
    // Deleted treatments left out; new patients off in the practice settings.
    dayend::Criteria c = Crit();
    c.skip_deleted = true;
    db().dbExecute(std::string("UPDATE ") + db().dbTablePrefix() +
                   "PPSET SET PPST_A2_FIELD04 = 'N' WHERE PPST_ID = 2");
    DayEndReportRun run(c, false);
    const std::string text = Run(run, 1);
    EXPECT_EQ(text.find("Nouveaux Patients"), std::string::npos);
    EXPECT_EQ(text.find("Traitements Supprimés"), std::string::npos);
    At(text, "Patients Supprimés");

    // One producer: payments at the producer's level (letter L), H01's lines left out.
    dayend::Criteria one = Crit();
    one.selector = 1;
    one.range = "H01";
    DayEndReportRun h01(one, false);
    const std::string t = Run(h01, 0);
    At(t, "Dr. Facturant (H01)");
    std::map<char, int> kinds;
    for (const auto& e : h01.Report().elems) {
        ++kinds[e.kind];
        if (!e.producer.empty()) {
            EXPECT_EQ(e.producer, "H01");
        }
    }
    EXPECT_EQ(kinds['F'], 1);
    EXPECT_EQ(kinds['L'], 1);
    EXPECT_EQ(kinds['K'], 0);
}

TEST_P(DayEndTest, AnEmptyDayPrintsHeadingsOnly) {
    dayend::Criteria c = Crit();
    c.date = 20241116;
    DayEndReportRun run(c, true);
    const std::string text = Run(run, 1);
    EXPECT_TRUE(run.Report().Empty());
    At(text, "RAPPORT DE FIN DE JOURNÉE (16/11/2024)");
    EXPECT_EQ(text.find("Total:"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Engines, DayEndTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
