#include "closing/dayend_reports.h"

#include <cstring>
#include <memory>

#include "analysis/prodanal.h"
#include "host/base/dates.h"
#include "host/base/numfmt.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/records/context.h"
#include "host/ui/reportdlg.h"

namespace dayend {

namespace {

// String numbers of the day-end's own texts.
enum : int {
    kPreparedFor = 12803,
    kMeterText = 12721,
    kSubtotal = 12722,
    kRule = 6135,
};

const std::string& S(int id) {
    return host::LoadText(id);
}

std::string Amt(int64_t cents, int width = 11) {
    char buf[64];
    return MakeNumericFormat(cents, buf, width);
}

std::string Name(const Elem& e) {
    if (e.last_name.empty() && e.first_name.empty()) return {};
    return e.last_name + ", " + e.first_name;
}

// A line being built: cells at their columns.
class LineOf {
  public:
    LineOf& At(int col, const std::string& text) {
        line_.cells.push_back({col, text});
        return *this;
    }
    LineOf& Fit(int col, const std::string& text, size_t width) {
        return At(col, host::U8Fit(text, width));
    }
    LineOf& Bold() {
        line_.bold = true;
        return *this;
    }
    operator PrintLine() const { return line_; }

  private:
    PrintLine line_;
};

bool IsTreatment(char kind) {
    return kind == 'F' || kind == 'G';
}
bool IsPatient(char kind) {
    return kind == 'A' || kind == 'B';
}

int SectionTitle(char kind) {
    switch (kind) {
        case 'A':
            return 6069;
        case 'B':
            return 6070;
        case 'F':
            return 6071;
        case 'G':
            return 6072;
        case 'H':
            return 6073;
        case 'K':
        case 'L':
            return 6074;
        case 'M':
            return 6075;
        case 'O':
            return 6076;
        case 'Q':
            return 6140;
        default:
            return 6077;
    }
}

PrintLine Heads(char kind, bool descr) {
    LineOf l;
    if (IsPatient(kind)) return l.At(2, S(6078)).At(13, S(6079)).At(42, S(6080)).At(100, S(6081));
    l.At(2, S(6079));
    if (IsTreatment(kind)) {
        l.At(46, "Dr").At(49, S(6087));
        if (descr)
            l.At(55, S(6085)).At(73, S(6089)).At(76, S(6090)).At(82, S(6086));
        else
            l.At(57, S(6088)).At(64, S(6089)).At(68, S(6090)).At(74, S(6091)).At(80, S(6086));
        return l.At(88, S(6093)).At(100, S(6094)).At(112, S(6095)).At(124, S(6096));
    }
    if (kind == 'H') return l.At(46, "Dr").At(56, S(6088)).At(64, S(6085)).At(112, S(6095));
    return l.At(46, "Dr$")
        .At(50, "Pr")
        .At(53, S(6088))
        .At(58, S(6141))
        .At(64, S(6078))
        .At(80, S(6085))
        .At(101, S(6083))
        .At(109, S(6138))
        .At(115, host::U8Left(S(6098), 7))
        .At(123, S(6099));
}

PrintLine Detail(const Elem& e, bool descr, bool tooth, int64_t pat_total) {
    LineOf l;
    if (IsPatient(e.kind))
        return l.At(2, host::Dmy(e.date))
            .Fit(13, Name(e), 28)
            .Fit(42, e.address, 56)
            .At(100, e.billdr);
    l.Fit(2, Name(e), 43);
    if (IsTreatment(e.kind)) {
        l.At(46, e.billdr).Fit(49, e.status, 5);
        if (descr) {
            l.Fit(55, e.descr.empty() ? e.code : e.descr, 17);
            if (tooth) l.Fit(73, e.tooth, 2).Fit(76, e.surface, 5);
        } else {
            l.Fit(56, e.code, 7);
            if (tooth) l.Fit(64, e.tooth, 2).Fit(67, e.surface, 3);
            l.At(70, host::U8Fit(std::to_string(e.units), 3, false));
        }
        l.At(83, Amt(e.pat)).At(95, Amt(e.ins)).At(107, Amt(e.pat + e.ins));
        if (pat_total != INT64_MIN) l.At(119, Amt(pat_total));
        // The producer after the amounts: an amount's leading blanks would cover it.
        return l.Fit(descr ? 82 : 80, e.producer, 3);
    }
    if (e.kind == 'H')
        return l.At(46, e.billdr).Fit(56, e.code, 7).Fit(64, e.descr, 42).At(107, Amt(e.amount));
    return l.At(46, e.billdr)
        .Fit(50, e.producer, 4)
        .Fit(55, e.code, 5)
        .At(60, std::string(1, e.type))
        .At(64, host::Dmy(e.date))
        .Fit(80, e.descr, 17)
        .At(97, Amt(e.amount))
        .At(109, std::string(1, e.dep))
        .Fit(115, e.payor, 7)
        .Fit(123, e.trxno, 8);
}

// Label at 60, amount at 107.
PrintLine Total(int label, int64_t amount) {
    return LineOf().Fit(60, S(label), 46).At(107, Amt(amount));
}

Block SectionTotals(const Section& s) {
    Block b;
    if (IsPatient(s.kind)) {
        b.lines.push_back(Rule(100, 111));
        b.lines.push_back(
            LineOf().At(60, S(6033)).At(100, host::U8Fit(std::to_string(s.total), 11, false)));
    } else if (IsTreatment(s.kind)) {
        int64_t pat = 0, ins = 0;
        for (const Elem& e : s.lines) {
            pat += e.pat;
            ins += e.ins;
        }
        b.lines.push_back(Rule(83, 130));
        b.lines.push_back(
            LineOf().At(60, S(6033)).At(83, Amt(pat)).At(95, Amt(ins)).At(107, Amt(s.total)));
        b.lines.push_back(Total(6103, s.fees));
        b.lines.push_back(Total(6105, s.discount));
        b.lines.push_back(Total(6106, s.extra));
        b.lines.push_back(Total(6104, s.lab));
    } else if (s.kind == 'H') {
        b.lines.push_back(Rule(107, 118));
        b.lines.push_back(Total(6632, s.total));
    } else {
        b.lines.push_back(Rule(97, 108));
        b.lines.push_back(LineOf().At(60, S(6033)).At(97, Amt(s.total)));
        if (s.kind == 'M' || s.kind == 'R') {
            b.lines.push_back(LineOf().Fit(60, S(6107), 36).At(97, Amt(s.fee_adj)));
            b.lines.push_back(LineOf().Fit(60, S(6108), 36).At(97, Amt(s.pmt_adj)));
        }
    }
    b.lines.push_back(Blank());
    return b;
}

Block Footer(const DayEndData& d) {
    Block b;
    b.lines.push_back(Blank());
    b.lines.push_back(LineOf().At(2, S(kPreparedFor) + d.practice_name));
    return b;
}

// The control totals block: the day and the month to date, then the receivables roll.
Block ControlBlock(const Control& t) {
    Block b;
    b.lines.push_back(LineOf().At(0, S(6145)).Bold());
    b.lines.push_back(LineOf().At(30, S(6146)).At(50, S(6147)).At(98, S(6146)).At(118, S(6147)));
    b.lines.push_back(Rule(0, 130));
    const int charges[] = {6103, 6104, 6123, 6124};
    const int payments[] = {6118, 6127};
    for (int i = 0; i < 4; ++i) {
        LineOf l;
        l.Fit(0, S(charges[i]), 26).At(26, Amt(t.day[i])).At(52, Amt(t.mtd[i]));
        if (i < 2)
            l.Fit(68, S(payments[i]), 25)
                .At(94, Amt(t.day[Control::kPayments + i]))
                .At(120, Amt(t.mtd[Control::kPayments + i]));
        b.lines.push_back(l);
    }
    b.lines.push_back(Rule(0, 130));
    b.lines.push_back(LineOf()
                          .At(0, S(6198))
                          .At(26, Amt(t.ChargesDay()))
                          .At(52, Amt(t.ChargesMtd()))
                          .At(94, Amt(t.PaymentsDay()))
                          .At(120, Amt(t.PaymentsMtd())));
    b.lines.push_back(Rule(0, 130));
    b.lines.push_back(LineOf().At(10, S(6511)).At(40, S(6148)).At(78, S(6178)).At(108, S(6515)));
    b.lines.push_back(LineOf()
                          .At(10, Amt(t.Opening(), 17))
                          .At(40, Amt(t.ChargesDay(), 12))
                          .At(78, Amt(t.PaymentsDay(), 16))
                          .At(108, Amt(t.closing, 18)));
    return b;
}

// The quick form's columns: charges (patient, insurance), payments (patient, insurance).
struct QuickAmounts {
    int64_t v[4] = {};
    bool counts = false;
};

QuickAmounts Quick(const Elem& e) {
    QuickAmounts q;
    switch (e.kind) {
        case 'F':
        case 'G':
        case 'H':
            q.counts = true;
            q.v[0] = e.kind == 'G' ? -e.pat : e.pat;
            q.v[1] = e.kind == 'G' ? -e.ins : e.ins;
            break;
        case 'K':
        case 'L':
            q.counts = true;
            q.v[2] = -e.pat;
            q.v[3] = -e.ins;
            break;
        case 'M':
            q.counts = true;
            if (e.adj_kind == 'N') {
                q.v[0] = e.pat;
                q.v[1] = e.ins;
            } else {
                q.v[2] = -e.pat;
                q.v[3] = -e.ins;
            }
            break;
        default:
            break;
    }
    return q;
}

std::string QuickText(const Elem& e) {
    if (IsPatient(e.kind)) return S(SectionTitle(e.kind));
    std::string t = e.code;
    if (!e.descr.empty()) t += (t.empty() ? "" : " ") + e.descr;
    return t;
}

}  // namespace

PrintLine Rule(int from, int to) {
    PrintLine l;
    l.rule_from = from;
    l.rule_to = to;
    return l;
}

PrintLine Blank() {
    return PrintLine{};
}

std::vector<Block> LayoutFull(const DayEndData& d) {
    std::vector<Block> out;
    const Criteria& c = d.criteria;
    for (const Section& s : d.sections) {
        Block head;
        head.lines.push_back(LineOf().At(2, S(SectionTitle(s.kind))).Bold());
        head.lines.push_back(LineOf().At(2, S(6058)));
        head.lines.push_back(Heads(s.kind, c.descriptions));
        out.push_back(head);
        for (size_t i = 0; i < s.lines.size(); ++i) {
            const Elem& e = s.lines[i];
            // The patient's total of the section, on the patient's last line.
            int64_t pat_total = INT64_MIN;
            if (IsTreatment(s.kind) &&
                (i + 1 == s.lines.size() || s.lines[i + 1].patient_id != e.patient_id)) {
                pat_total = 0;
                for (size_t k = i + 1; k-- > 0 && s.lines[k].patient_id == e.patient_id;)
                    pat_total += s.lines[k].pat;
            }
            Block b;
            b.lines.push_back(Detail(e, c.descriptions, c.tooth, pat_total));
            out.push_back(std::move(b));
        }
        out.push_back(SectionTotals(s));
    }
    out.push_back(Footer(d));
    return out;
}

std::vector<Block> LayoutQuick(const DayEndData& d) {
    std::vector<Block> out;
    Block head;
    head.lines.push_back(LineOf()
                             .At(2, S(6079))
                             .At(30, S(6078))
                             .At(39, S(6097))
                             .At(82, S(6113))
                             .At(95, S(6114))
                             .At(108, S(6113))
                             .At(121, S(6114)));
    head.lines.push_back(Rule(2, 130));
    out.push_back(head);
    int64_t sum[4] = {};
    for (const Elem& e : d.elems) {
        const QuickAmounts q = Quick(e);
        if (!q.counts && !IsPatient(e.kind)) continue;
        LineOf l;
        l.Fit(2, Name(e), 27)
            .At(30, host::FormatDate(e.date, DATE_FMT_DMY2))
            .Fit(39, QuickText(e), 39);
        if (q.counts)
            for (int i = 0; i < 4; ++i) {
                l.At(79 + 13 * i, Amt(q.v[i]));
                sum[i] += q.v[i];
            }
        Block b;
        b.lines.push_back(l);
        out.push_back(std::move(b));
    }
    Block tot;
    tot.lines.push_back(Rule(62, 130));
    LineOf l;
    l.At(62, S(6198));
    for (int i = 0; i < 4; ++i)
        l.At(79 + 13 * i, Amt(sum[i]));
    tot.lines.push_back(l);
    tot.lines.push_back(
        LineOf().At(62, S(6115)).At(86, Amt(sum[0] + sum[1])).At(112, Amt(sum[2] + sum[3])));
    tot.lines.push_back(Blank());
    out.push_back(tot);
    out.push_back(ControlBlock(d.control));
    out.push_back(Footer(d));
    return out;
}

namespace {

// One summary page: the lines by kind, the payments' split, the receivable roll and the
// signature.
Block SummaryPage(const ProducerSummary& s, const std::string& heading) {
    Block b;
    b.new_page = true;
    b.heading = heading;
    b.lines.push_back(LineOf().At(47, S(6113)).At(65, S(6114)).At(85, S(6115)));
    b.lines.push_back(Rule(5, 90));
    auto amounts = [](LineOf& l, const Triple& t) {
        l.At(43, Amt(t.pat)).At(63, Amt(t.ins)).At(79, Amt(t.total));
    };
    auto label = [](char letter) {
        switch (letter) {
            case 'A':
                return 6119;
            case 'B':
                return 6120;
            case 'F':
                return 6121;
            case 'G':
                return 6122;
            case 'H':
                return 6123;
            case 'I':
                return 6124;
            case 'L':
            case 'M':
                return 6125;
            case 'P':
                return 6126;
            default:
                return 6127;
        }
    };
    bool charges = false, payments = false;
    for (const char letter : std::string(kSummaryLetters)) {
        const Triple& t = s.Line(letter);
        if (t.pat == 0 && t.ins == 0 && t.total == 0) continue;
        if (std::strchr("FGHI", letter) && !charges) {
            b.lines.push_back(LineOf().At(5, S(6117)).Bold());
            charges = true;
        }
        if (std::strchr("LMPV", letter) && !payments) {
            b.lines.push_back(LineOf().At(5, S(6118)).Bold());
            payments = true;
        }
        LineOf l;
        l.Fit(5, S(label(letter)), 37);
        if (letter == 'A' || letter == 'B')
            l.At(79, host::U8Fit(std::to_string(t.total), 11, false));
        else
            amounts(l, t);
        b.lines.push_back(l);
    }
    if (payments) {
        b.lines.push_back(Blank());
        const std::pair<int, const Triple*> deposits[] = {
            {6103, &s.fees}, {6104, &s.lab}, {6133, &s.Line('L')}, {6134, &s.Line('M')}};
        for (const auto& [id, t] : deposits) {
            LineOf l;
            l.Fit(8, S(id), 34);
            amounts(l, *t);
            b.lines.push_back(l);
        }
    }
    b.lines.push_back(Blank());
    b.lines.push_back(LineOf().Fit(5, S(6511), 37).At(79, Amt(s.Opening())));
    b.lines.push_back(LineOf().Fit(5, S(6512), 37).At(79, Amt(s.Charges())));
    b.lines.push_back(LineOf().Fit(5, S(6514), 37).At(79, Amt(s.Payments())));
    b.lines.push_back(LineOf().Fit(5, S(6515), 37).At(79, Amt(s.closing)));
    b.lines.push_back(Blank());
    b.lines.push_back(Blank());
    b.lines.push_back(LineOf().At(5, S(6128)).At(20, S(kRule)));
    b.lines.push_back(LineOf().At(20, S(6129)));
    return b;
}

}  // namespace

std::vector<Block> LayoutSummaries(const DayEndData& d) {
    std::vector<Block> out;
    for (const ProducerSummary& s : d.producers)
        out.push_back(SummaryPage(s, s.heading));
    if (!d.idle.empty()) {
        Block b;
        b.new_page = true;
        b.heading = S(6516);
        for (const ProducerSummary& s : d.idle)
            b.lines.push_back(LineOf()
                                  .Fit(5, s.heading, 50)
                                  .At(56, s.type == 'H' ? S(6510) : std::string())
                                  .At(79, Amt(s.closing)));
        out.push_back(std::move(b));
    }
    out.push_back(SummaryPage(d.practice, S(6517)));
    return out;
}

host::output::ReportTable FullTable(const DayEndData& d) {
    using host::output::CellKind;
    host::output::ReportTable t("Fin de journée",
                                {{"Section", "Section", CellKind::Text, 30},
                                 {"Genre", "Genre", CellKind::Text, 4},
                                 {"Nom", "Nom", CellKind::Text, 30},
                                 {"Date", "Date", CellKind::Date, 12},
                                 {"DrFact", "Dr", CellKind::Text, 4},
                                 {"Prod", "Pr.", CellKind::Text, 5},
                                 {"Code", "Code", CellKind::Text, 8},
                                 {"Description", "Description", CellKind::Text, 30},
                                 {"Patient", "Pat.", CellKind::Amount, 12},
                                 {"Assurance", "Ass.", CellKind::Amount, 12},
                                 {"Montant", "Montant", CellKind::Amount, 12},
                                 {"Dep", "Dép.?", CellKind::Text, 4},
                                 {"NoTx", "No (tx)", CellKind::Text, 10}});
    for (const Section& s : d.sections) {
        const std::string title = host::Trim(S(SectionTitle(s.kind)));
        for (const Elem& e : s.lines)
            t.Row()
                .Text("Section", title)
                .Text("Genre", std::string(1, e.kind))
                .Text("Nom", Name(e))
                .Date("Date", e.date)
                .Text("DrFact", e.billdr)
                .Text("Prod", e.producer)
                .Text("Code", e.code)
                .Text("Description", e.descr)
                .Amount("Patient", e.pat)
                .Amount("Assurance", e.ins)
                .Amount("Montant", IsTreatment(e.kind) ? e.pat + e.ins : e.amount)
                .Text("Dep", e.dep == ' ' ? "" : std::string(1, e.dep))
                .Text("NoTx", e.trxno);
        t.Row("T")
            .Text("Section", title)
            .Text("Description", host::Trim(S(6033)))
            .Amount("Montant", s.total);
        auto split = [&](int label, int64_t v) {
            t.Row("T")
                .Text("Section", title)
                .Text("Description", host::Trim(S(label)))
                .Amount("Montant", v);
        };
        if (IsTreatment(s.kind)) {
            split(6103, s.fees);
            split(6105, s.discount);
            split(6106, s.extra);
            split(6104, s.lab);
        } else if (s.kind == 'M' || s.kind == 'R') {
            split(6107, s.fee_adj);
            split(6108, s.pmt_adj);
        }
    }
    return t;
}

host::output::ReportTable QuickTable(const DayEndData& d) {
    using host::output::CellKind;
    host::output::ReportTable t("Fin de journée rapide",
                                {{"Nom", "Nom", CellKind::Text, 30},
                                 {"Date", "Date", CellKind::Date, 12},
                                 {"Transaction", "Transactions/Procédures", CellKind::Text, 40},
                                 {"TarifPatient", "Tarifs patient", CellKind::Amount, 12},
                                 {"TarifAssurance", "Tarifs assurance", CellKind::Amount, 12},
                                 {"PmtPatient", "Paiements patient", CellKind::Amount, 12},
                                 {"PmtAssurance", "Paiements assurance", CellKind::Amount, 12},
                                 {"MoisTarif", "Mois à ce jour (tarifs)", CellKind::Amount, 12},
                                 {"MoisPmt", "Mois à ce jour (paiements)", CellKind::Amount, 12},
                                 {"Ouverture", "Solde d'ouverture", CellKind::Amount, 14},
                                 {"Fermeture", "Solde de fermeture", CellKind::Amount, 14}});
    const char* keys[] = {"TarifPatient", "TarifAssurance", "PmtPatient", "PmtAssurance"};
    int64_t sum[4] = {};
    for (const Elem& e : d.elems) {
        const QuickAmounts q = Quick(e);
        if (!q.counts && !IsPatient(e.kind)) continue;
        t.Row().Text("Nom", Name(e)).Date("Date", e.date).Text("Transaction", QuickText(e));
        for (int i = 0; i < 4; ++i) {
            t.Amount(keys[i], q.v[i]);
            sum[i] += q.v[i];
        }
    }
    t.Row("T").Text("Transaction", host::Trim(S(6198)));
    for (int i = 0; i < 4; ++i)
        t.Amount(keys[i], sum[i]);
    t.Row("TT")
        .Text("Transaction", host::Trim(S(6115)))
        .Amount("TarifPatient", sum[0] + sum[1])
        .Amount("PmtPatient", sum[2] + sum[3]);
    const Control& c = d.control;
    t.Row("H").Text("Transaction", host::Trim(S(6145)));
    const int charges[] = {6103, 6104, 6123, 6124};
    for (int i = 0; i < 4; ++i)
        t.Row("T")
            .Text("Transaction", host::Trim(S(charges[i])))
            .Amount("TarifPatient", c.day[i])
            .Amount("MoisTarif", c.mtd[i]);
    const int payments[] = {6118, 6127};
    for (int i = 0; i < 2; ++i)
        t.Row("T")
            .Text("Transaction", host::Trim(S(payments[i])))
            .Amount("PmtPatient", c.day[Control::kPayments + i])
            .Amount("MoisPmt", c.mtd[Control::kPayments + i]);
    t.Row("T")
        .Text("Transaction", host::Trim(S(6198)))
        .Amount("TarifPatient", c.ChargesDay())
        .Amount("MoisTarif", c.ChargesMtd())
        .Amount("PmtPatient", c.PaymentsDay())
        .Amount("MoisPmt", c.PaymentsMtd());
    t.Row("GT")
        .Amount("Ouverture", c.Opening())
        .Amount("TarifPatient", c.ChargesDay())
        .Amount("PmtPatient", c.PaymentsDay())
        .Amount("Fermeture", c.closing);
    return t;
}

host::output::ReportTable SummaryTable(const std::vector<ProducerSummary>& list) {
    using host::output::CellKind;
    host::output::ReportTable t("Sommaires des producteurs",
                                {{"Producteur", "Producteur", CellKind::Text, 8},
                                 {"Nom", "Nom", CellKind::Text, 30},
                                 {"Genre", "Genre", CellKind::Text, 4},
                                 {"Patient", "Patient", CellKind::Amount, 12},
                                 {"Assurance", "Assurance", CellKind::Amount, 12},
                                 {"Total", "Total", CellKind::Amount, 12}});
    for (const ProducerSummary& s : list) {
        for (size_t i = 0; i < s.lines.size(); ++i) {
            const Triple& v = s.lines[i];
            if (v.pat == 0 && v.ins == 0 && v.total == 0) continue;
            t.Row()
                .Text("Producteur", s.code)
                .Text("Nom", s.heading)
                .Text("Genre", std::string(1, kSummaryLetters[i]))
                .Amount("Patient", v.pat)
                .Amount("Assurance", v.ins)
                .Amount("Total", v.total);
        }
        t.Row("GT")
            .Text("Producteur", s.code)
            .Text("Nom", s.heading)
            .Amount("Patient", s.Opening())
            .Amount("Assurance", s.Charges())
            .Amount("Total", s.closing);
    }
    return t;
}

host::output::ReportTable IdleTable(const DayEndData& d) {
    using host::output::CellKind;
    host::output::ReportTable t("Comptes à recevoir en suspens",
                                {{"Producteur", "Producteur", CellKind::Text, 8},
                                 {"Nom", "Nom", CellKind::Text, 30},
                                 {"Genre", "Genre", CellKind::Text, 12},
                                 {"Solde", "Solde", CellKind::Amount, 14}});
    for (const ProducerSummary& s : d.idle)
        t.Row()
            .Text("Producteur", s.code)
            .Text("Nom", s.heading)
            .Text("Genre", s.type == 'H' ? S(6510) : "")
            .Amount("Solde", s.closing);
    return t;
}

}  // namespace dayend

DayEndRptObj::DayEndRptObj(LauncherInfo* launcher, TWindow* parent,
                           std::vector<dayend::Block> blocks, std::string title, bool show_meter,
                           FILE* out, int copies)
    : OvReportObj(launcher, parent, 'C', show_meter, 0, true, out, false, true),
      blocks_(std::move(blocks)),
      title_(std::move(title)) {
    SetCopies(copies);
}

bool DayEndRptObj::InitialCriteria() {
    at_ = 0;
    if (!blocks_.empty() && blocks_[0].new_page) heading_ = blocks_[0].heading;
    return !blocks_.empty();
}

bool DayEndRptObj::ContinueCriteria() {
    return ++at_ < blocks_.size();
}

bool DayEndRptObj::MatchCriteria() {
    const dayend::Block& b = blocks_[at_];
    if (b.new_page) {
        heading_ = b.heading;
        if (PageStarted()) PageBreak();
    }
    return true;
}

int DayEndRptObj::GetLineReq() {
    return static_cast<int>(blocks_[at_].lines.size());
}

int DayEndRptObj::PrintDetail(int line) {
    const dayend::Block& b = blocks_[at_];
    for (size_t i = 0; i < b.lines.size(); ++i) {
        const dayend::PrintLine& l = b.lines[i];
        const int at = line + static_cast<int>(i);
        if (l.rule_from >= 0) {
            PrintRule(at, l.rule_from, l.rule_to);
            continue;
        }
        for (const dayend::Cell& c : l.cells)
            PrintText(c.col, at, c.text, l.bold);
    }
    return static_cast<int>(b.lines.size());
}

std::string DayEndRptObj::GetTitleStr(int i) {
    return i == 0 ? title_ : i == 1 ? heading_ : std::string();
}

std::string DayEndRptObj::GetMeterTitle() {
    return host::LoadText(6100);
}

DayEndReportRun::DayEndReportRun(const dayend::Criteria& criteria, bool summaries)
    : criteria_(criteria),
      summaries_(summaries),
      main_(dayend::FullTable(report_)),
      prodsum_(dayend::SummaryTable({})),
      idle_(dayend::IdleTable(summary_)),
      totals_(dayend::SummaryTable({})) {}

std::string DayEndReportRun::MeterTitle() const {
    return host::LoadText(6201) + " (" + host::Dmy(criteria_.date) + ")";
}

bool DayEndReportRun::Collect(reports::RunContext& ctx) {
    std::string error;
    // The two passes share one run of the producer analysis.
    std::shared_ptr<TProducerAnalysisObj> engine;
    auto pass = [&](dayend::Criteria c, dayend::DayEndData* out) {
        if (ctx.launcher && ctx.launcher->App()) c.calc_mode = ctx.launcher->App()->m_CalAR;
        dayend::TDayEndRepSummation sum(ctx.launcher, c, ctx.meter);
        sum.SetEngine(engine);
        const bool ok = reports::Settle(ctx, sum.Collect(out, &error), error);
        engine = sum.Engine();
        return ok;
    };
    dayend::Criteria c = criteria_;
    c.pass = dayend::kReportPass;
    if (!pass(c, &report_)) return false;
    main_ = criteria_.quick ? dayend::QuickTable(report_) : dayend::FullTable(report_);
    if (summaries_ && !report_.Empty()) {
        c.pass = dayend::kSummaryPass;
        if (!pass(c, &summary_)) return false;
        prodsum_ = dayend::SummaryTable(summary_.producers);
        idle_ = dayend::IdleTable(summary_);
        totals_ = dayend::SummaryTable({summary_.practice});
    }
    return true;
}

bool DayEndReportRun::Print(reports::RunContext& ctx) {
    const std::string date = " (" + host::Dmy(criteria_.date) + ")";
    std::string range;
    if (criteria_.selector != 0 && !criteria_.range.empty() && criteria_.range != "*") {
        const size_t comma = criteria_.range.find(',');
        range =
            comma == std::string::npos
                ? host::U8Format("%s (%s)", host::LoadText(6149).c_str(), criteria_.range.c_str())
                : host::U8Format("%s (%s) to (%s)", host::LoadText(6149).c_str(),
                                 criteria_.range.substr(0, comma).c_str(),
                                 criteria_.range.substr(comma + 1).c_str());
    }
    std::vector<dayend::Block> blocks =
        criteria_.quick ? dayend::LayoutQuick(report_) : dayend::LayoutFull(report_);
    if (!blocks.empty()) {
        blocks[0].new_page = true;
        blocks[0].heading = range;
    }
    DayEndRptObj report(ctx.launcher, ctx.dialog, std::move(blocks), host::LoadText(6101) + date,
                        ctx.interactive, ctx.text, criteria_.copies);
    bool ok = reports::PrintPages(report, ctx);
    if (ok && summaries_ && !summary_.Empty()) {
        DayEndRptObj sums(ctx.launcher, ctx.dialog, dayend::LayoutSummaries(summary_),
                          host::LoadText(6130) + date, ctx.interactive, ctx.text, criteria_.copies);
        sums.SetDocumentName(ctx.document + "-sommaires");
        sums.SetAutomation(ctx.output_choice, false);
        ok = sums.PrintReport();
        if (sums.ReportCanceled()) ctx.cancelled = true;
    }
    return ok;
}

std::vector<reports::DataFile> DayEndReportRun::DataFiles() const {
    std::vector<reports::DataFile> files = {
        {criteria_.quick ? "\\XML\\dayendquick.xml" : "\\XML\\dayendsum.xml", &main_}};
    if (summaries_) {
        files.push_back({"\\XML\\dayendprodsum.xml", &prodsum_});
        files.push_back({"\\XML\\nonworkprodar.xml", &idle_});
        files.push_back({"\\XML\\practotals.xml", &totals_});
    }
    return files;
}

std::string DayEndReportRun::TemplateName() const {
    return criteria_.quick ? "qdayendreport.rpt" : "dayendreport.rpt";
}
