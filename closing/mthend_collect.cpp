#include "closing/mthend_collect.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <tuple>
#include <unordered_map>

#include "analysis/prodanal.h"
#include "closing/rowread.h"
#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"
#include "host/records/practice.h"

namespace mthend {

namespace {

using rowread::Char;
using rowread::DrCode;
using rowread::Field;
using rowread::Long;

constexpr int kCursor = 31750;  // to 31757: the SQL path's statements, side by side
constexpr int kDetailCursor = 31760;
constexpr size_t kBatch = 400;

bool ForIds(GenDB* db, const std::string& select, const std::vector<long>& ids,
            const std::function<void()>& row) {
    return rowread::ForIds(db, select, ids, kDetailCursor, kBatch, row);
}

}  // namespace

const char* CatCode(int cat) {
    static const char* const kCodes[kCats] = {"DFE", "DIS", "DSC",  "LCH", "OFCH",  "ADJUST",
                                              "LD",  "MD",  "TRNS", "TSF", "ADJUST"};
    return cat >= 0 && cat < kCats ? kCodes[cat] : "";
}

int64_t MonthEndData::FeeAdjTotal() const {
    int64_t t = 0;
    for (const AdjDetail& a : adjustments)
        if (a.fees) t += a.amount;
    return t;
}

int64_t MonthEndData::PmtAdjTotal() const {
    int64_t t = 0;
    for (const AdjDetail& a : adjustments)
        if (!a.fees) t += a.amount;
    return t;
}

// A transaction of the period: its kind, its record and the day it counts on.
struct TMonthEndRepSummation::Key {
    char kind;
    long id;
    long date;
    // A line of the key, its record's figures still to come.
    Line Start() const {
        Line l;
        l.date = date;
        l.kind = kind;
        l.id = id;
        return l;
    }
};

namespace {

struct Trt {
    std::string billdr, producer;
    bool lab = false;
    char adj_flag = ' ';
    int64_t total = 0, adj = 0;
};
struct Och {
    std::string billdr;
    int64_t total = 0;
};
struct App {
    std::string billdr, producer, code;
    char rectype = ' ', adj_kind = ' ';
    int64_t amount = 0;
};

// The records' columns, from column `first` of the row: a treatment's billing doctor,
// producer, type, total and discount or surcharge; an office charge's billing doctor and
// total; an application's billing doctor, producer and amount with its payment's kind, code
// and adjustment kind.
constexpr const char* kTrtColumns =
    "CTRT_BILL_DOC, CTRT_PRODUCER, CTRT_TYPE, CTRT_TOTAL, CTRT_ADJ_FLAG, CTRT_ADJ_AMT";
constexpr const char* kOchColumns = "POCH_BILLDR, POCH_TOTAL";
constexpr const char* kAppColumns =
    "PAPP_BILLDR, PAPP_PRODUCER, PAPP_AMOUNT, APMT_RECTYPE, APMT_CODE, APMT_ADJ_KIND";

void ReadTrt(GenDB* db, int first, int c, Trt* t) {
    t->billdr = Field(db, first, c);
    t->producer = Field(db, first + 1, c);
    t->lab = Char(db, first + 2, c) == 'L';
    t->total = Long(db, first + 3, c);
    t->adj_flag = Char(db, first + 4, c);
    t->adj = Long(db, first + 5, c);
}

void ReadOch(GenDB* db, int first, int c, Och* o) {
    o->billdr = Field(db, first, c);
    o->total = Long(db, first + 1, c);
}

void ReadApp(GenDB* db, int first, int c, App* a) {
    a->billdr = Field(db, first, c);
    a->producer = Field(db, first + 1, c);
    a->amount = Long(db, first + 2, c);
    a->rectype = Char(db, first + 3, c);
    a->code = Field(db, first + 4, c);
    a->adj_kind = Char(db, first + 5, c);
}

// The lines of a record; l holds the day, kind and id of its key. A treatment gives its
// total and, as a line of its own category, its discount or surcharge; a deletion ('G', 'I')
// takes the amounts off.
void AddLines(Line l, const Trt& t, std::vector<Line>* out) {
    const int64_t sign = l.kind == 'F' ? 1 : -1;
    l.billdr = t.billdr;
    l.producer = t.producer;
    l.lab = t.lab;
    l.cat = t.lab ? kLch : kDfe;
    l.amount = sign * t.total;
    out->push_back(l);
    if ((t.adj_flag == 'D' || t.adj_flag == 'S') && t.adj != 0) {
        l.cat = t.adj_flag == 'D' ? kDis : kDsc;
        l.amount = sign * (t.adj_flag == 'D' ? -t.adj : t.adj);
        out->push_back(std::move(l));
    }
}

void AddLines(Line l, const Och& o, std::vector<Line>* out) {
    l.billdr = o.billdr;
    l.cat = kOfch;
    l.amount = l.kind == 'H' ? o.total : -o.total;
    out->push_back(std::move(l));
}

void AddLines(Line l, const App& a, const std::set<std::string>& direct, std::vector<Line>* out) {
    l.billdr = a.billdr;
    l.producer = a.producer;
    l.amount = -a.amount;
    if (l.kind == 'L') {
        l.cat = direct.count(a.code) ? kDirect : kDeposit;
    } else if (l.kind == 'N') {
        l.cat = a.adj_kind == 'N' ? kFeeAdj : kPmtAdj;
        l.adj_code = a.code;
    } else {
        l.cat = l.kind == 'P' ? kTsf : kTrns;
    }
    out->push_back(std::move(l));
}

// The lines by day, kind and record; those of one key keep the order they were made in.
void SortLines(std::vector<Line>* lines) {
    struct At {
        long date;
        char kind;
        long id;
        size_t at;
    };
    std::vector<At> order;
    order.reserve(lines->size());
    for (size_t i = 0; i < lines->size(); ++i)
        order.push_back({(*lines)[i].date, (*lines)[i].kind, (*lines)[i].id, i});
    std::sort(order.begin(), order.end(), [](const At& a, const At& b) {
        return std::tie(a.date, a.kind, a.id, a.at) < std::tie(b.date, b.kind, b.id, b.at);
    });
    std::vector<Line> sorted;
    sorted.reserve(lines->size());
    for (const At& o : order)
        sorted.push_back(std::move((*lines)[o.at]));
    lines->swap(sorted);
}

}  // namespace

// What the reading keeps besides the lines: the payment codes deposited directly, the keys
// whose record no row carried, and those records once read by id.
struct TMonthEndRepSummation::Records {
    std::set<std::string> direct;
    std::vector<Key> missing;
    std::unordered_map<long, Trt> trts;
    std::unordered_map<long, Och> ochs;
    std::unordered_map<long, App> apps;
};

TMonthEndRepSummation::TMonthEndRepSummation(LauncherInfo* launcher, const Criteria& criteria,
                                             TMeter* meter)
    : launcher_(launcher), c_(criteria), meter_(meter) {}

bool TMonthEndRepSummation::Fail(const std::string& what) {
    GenDB* db = launcher_ ? launcher_->GetDb() : nullptr;
    error_ = what;
    if (db && db->dbLastError()) error_ += std::string(" : ") + db->dbLastError();
    return false;
}

std::string TMonthEndRepSummation::PageCode(const Line& l) const {
    const bool aux = !l.producer.empty() && l.producer[0] == 'A' && !l.billdr.empty();
    if (aux && c_.aux_pages) return l.producer;
    if (l.kind == 'H' || l.kind == 'I' || l.producer.empty() || aux ||
        (c_.grouping != Grouping::Producer && !l.billdr.empty()))
        return DrCode(l.billdr);
    return l.producer;
}

bool TMonthEndRepSummation::Selected(const Line& l) const {
    if (c_.range.empty() || c_.range == "*") return true;
    auto bare = [this](std::string code) {
        code = host::Trim(code);
        if (c_.range_billdr && code.size() == 3 && code[0] == 'D') code.erase(0, 1);
        return code;
    };
    const size_t comma = c_.range.find(',');
    const std::string lo = bare(c_.range.substr(0, comma));
    const std::string hi = comma == std::string::npos ? lo : bare(c_.range.substr(comma + 1));
    const std::string code = c_.range_billdr ? l.billdr : PageCode(l);
    return (lo.empty() || code >= lo) && (hi.empty() || code <= hi);
}

bool TMonthEndRepSummation::LinesBySql(Records* records, MonthEndData* out) {
    GenDB* db = launcher_->GetDb();
    const std::string p = db->dbTablePrefix();
    const std::string f = std::to_string(c_.first), l = std::to_string(c_.last);
    auto between = [&](const char* col) {
        return std::string("(") + col + " >= " + f + " AND " + col + " <= " + l + ")";
    };
    // Every statement's rows are laid out as ReadLines takes them.
    auto treatments = [&](const char* col, const char* kind) {
        return std::string("SELECT CTRT_ID, ") + col + ", '" + kind + "', CTRT_ID, 0, " +
               kTrtColumns + " FROM " + p + "CLMTRT," + p + "PATCLM WHERE " + between(col) +
               " and pclm_id = ctrt_pclmid and (pclm_status = 'I' or pclm_status = 'C')";
    };
    auto charges = [&](const char* col, const char* kind) {
        return std::string("SELECT POCH_ID, ") + col + ", '" + kind + "', POCH_ID, 0, " +
               kOchColumns + " FROM " + p + "PATOCH WHERE " + between(col);
    };
    // The applications by the day they count on, their kind in the third column. Of their own
    // date: a payment's ('L', applied on the payment's date, not entered after it), an
    // adjustment's ('N', not after the adjustment's date), a transfer's ('P', on its date) and
    // an application dated after its payment ('Q'); the four exclude one another. Of their
    // entry date: a payment's applications entered after their date ('L'), unless counted on
    // their own date already.
    auto apps = [&](const char* date, const std::string& kind, const std::string& where) {
        return std::string("SELECT PAPP_ID, ") + date + ", " + kind + ", PAPP_ID, 0, " +
               kAppColumns + " FROM " + p + "PMTAPP, " + p + "ACCPMT WHERE " + where +
               " and APMT_ID = PAPP_APMTID";
    };
    const std::string own_payment =
        between("PAPP_DATE") + " AND PAPP_DATE = APMT_DATE AND APMT_DATE >= APMT_SYSDATE";
    const std::vector<std::string> queries = {
        treatments("ctrt_system_date", "F"),
        treatments("ctrt_del_date", "G"),
        charges("POCH_SYSDATE", "H"),
        // An office charge deleted comes off the receivable on its deletion date.
        charges("POCH_DELDATE", "I"),
        apps("PAPP_DATE",
             "CASE WHEN APMT_RECTYPE = 'P' AND PAPP_DATE = APMT_DATE AND APMT_DATE >= "
             "APMT_SYSDATE THEN 'L' WHEN APMT_RECTYPE = 'A' AND PAPP_DATE <= APMT_DATE THEN 'N' "
             "WHEN APMT_RECTYPE = 'T' AND PAPP_DATE = APMT_DATE THEN 'P' WHEN PAPP_DATE > "
             "APMT_DATE THEN 'Q' ELSE ' ' END",
             between("PAPP_DATE")),
        apps("PAPP_SYSDATE", "'L'",
             between("PAPP_SYSDATE") +
                 " AND PAPP_DATE < PAPP_SYSDATE AND APMT_RECTYPE = 'P' AND NOT (" + own_payment +
                 ")"),
    };
    return ReadLines(queries, records, out) || Fail("Lecture des transactions du mois");
}

// Reads the statements side by side (on PostgreSQL they run at once, each on a server
// process). A row gives its key in its first three columns (record id, day, kind: ' ' for an
// application no kind counts), its record's id in the fourth (0 when the record is gone: the
// key waits for Details, which looks for the record again by id) and the record from the
// sixth.
bool TMonthEndRepSummation::ReadLines(const std::vector<std::string>& queries, Records* records,
                                      MonthEndData* out) {
    GenDB* db = launcher_->GetDb();
    const bool read = host::ReadSideBySide(
        *db, queries, kCursor,
        [&](size_t i, const host::DbCursor&) {
            const int c = kCursor + static_cast<int>(i);
            const Key k{Char(db, 3, c), Long(db, 1, c), Long(db, 2, c)};
            if (k.kind == ' ') return true;
            if (Long(db, 4, c) == 0) {
                records->missing.push_back(k);
                return true;
            }
            Line l = k.Start();
            if (k.kind == 'F' || k.kind == 'G') {
                Trt t;
                ReadTrt(db, 6, c, &t);
                AddLines(std::move(l), t, &out->lines);
            } else if (k.kind == 'H' || k.kind == 'I') {
                Och o;
                ReadOch(db, 6, c, &o);
                AddLines(std::move(l), o, &out->lines);
            } else {
                App a;
                ReadApp(db, 6, c, &a);
                AddLines(std::move(l), a, records->direct, &out->lines);
            }
            return true;
        },
        [&](long) { return !(meter_ && meter_->Cancel()); });
    return read || (meter_ && meter_->Cancel());
}

bool TMonthEndRepSummation::LinesByDaySheet(Records* records, MonthEndData* out) {
    GenDB* db = launcher_->GetDb();
    const std::string p = db->dbTablePrefix();
    const std::string f = std::to_string(c_.first), l = std::to_string(c_.last);
    // The day sheet's lines of the month with their records, a statement per record table:
    // treatments as entered ('T'), office charges ('O'), applications ('A'); rows laid out as
    // ReadLines takes them.
    auto lines = [&](const char* sortids, const char* rectype, const char* id, const char* columns,
                     const std::string& joins) {
        return std::string("SELECT D.DSHT_RECID, D.DSHT_DATE, D.DSHT_SORTID, COALESCE(") + id +
               ", 0), 0, " + columns + " FROM " + p + "DAYSHT D " + joins +
               " WHERE D.DSHT_DATE >= " + f + " AND D.DSHT_DATE <= " + l +
               " AND D.DSHT_SORTID IN (" + sortids + ") AND D.DSHT_RECTYPE = '" + rectype + "'";
    };
    const std::vector<std::string> queries = {
        lines("'F', 'G'", "T", "CTRT_ID", kTrtColumns,
              "LEFT JOIN " + p + "CLMTRT ON CTRT_ID = D.DSHT_RECID"),
        lines("'H'", "O", "POCH_ID", kOchColumns,
              "LEFT JOIN " + p + "PATOCH ON POCH_ID = D.DSHT_RECID"),
        lines("'L', 'N', 'P', 'Q'", "A", "APMT_ID", kAppColumns,
              "LEFT JOIN " + p + "PMTAPP ON PAPP_ID = D.DSHT_RECID LEFT JOIN " + p +
                  "ACCPMT ON APMT_ID = PAPP_APMTID"),
        // The day sheet has no line for an office charge deleted: found by its deletion date.
        "SELECT POCH_ID, POCH_DELDATE, 'I', POCH_ID, 0, " + std::string(kOchColumns) + " FROM " +
            p + "PATOCH WHERE POCH_DELDATE >= " + f + " AND POCH_DELDATE <= " + l,
    };
    // The day sheet is read under a shared lock: no closing rewrites it meanwhile.
    if (!db->Lock("DAYSHT", 2)) {
        error_ = "Le journal de la journée est verrouillé par un autre poste";
        return false;
    }
    const bool read = ReadLines(queries, records, out);
    db->Unlock("DAYSHT", 2);
    return read || Fail("Lecture du journal de la journée");
}

bool TMonthEndRepSummation::Codes(Records* records, MonthEndData* out) {
    GenDB* db = launcher_->GetDb();
    const std::string p = db->dbTablePrefix();
    const int c = kDetailCursor;
    if (db->dbOpenReadOnly("SELECT PAYMENT_CODE, PAYMENT_DPSTS FROM " + p + "PMTSCD", c) != 0)
        return Fail("Lecture des codes de paiement");
    for (int r = db->dbFetch(0, c); r == 0; r = db->dbFetch(1, c))
        if (Char(db, 2, c) == 'Y') records->direct.insert(Field(db, 1, c));
    db->dbClose(c);
    if (db->dbOpenReadOnly("SELECT ADJUST_CODE, ADJUST_DESCRIPT FROM " + p + "ADJUSTCD", c) != 0)
        return Fail("Lecture des codes d'ajustement");
    for (int r = db->dbFetch(0, c); r == 0; r = db->dbFetch(1, c))
        out->adj_descr[Field(db, 1, c)] = Field(db, 2, c);
    db->dbClose(c);
    return true;
}

bool TMonthEndRepSummation::Details(Records* records, MonthEndData* out) {
    GenDB* db = launcher_->GetDb();
    const std::string p = db->dbTablePrefix();
    const int c = kDetailCursor;
    auto& trts = records->trts;
    auto& ochs = records->ochs;
    auto& apps = records->apps;
    std::vector<long> trt_ids, och_ids, app_ids;
    for (const Key& k : records->missing) {
        if (k.kind == 'F' || k.kind == 'G')
            trt_ids.push_back(k.id);
        else if (k.kind == 'H' || k.kind == 'I')
            och_ids.push_back(k.id);
        else
            app_ids.push_back(k.id);
    }
    if (!ForIds(
            db,
            "SELECT CTRT_ID, " + std::string(kTrtColumns) + " FROM " + p + "CLMTRT WHERE CTRT_ID",
            trt_ids, [&] { ReadTrt(db, 2, c, &trts[Long(db, 1, c)]); }))
        return Fail("Lecture des traitements");
    if (!ForIds(
            db,
            "SELECT POCH_ID, " + std::string(kOchColumns) + " FROM " + p + "PATOCH WHERE POCH_ID",
            och_ids, [&] { ReadOch(db, 2, c, &ochs[Long(db, 1, c)]); }))
        return Fail("Lecture des frais");
    if (!ForIds(db,
                "SELECT PAPP_ID, " + std::string(kAppColumns) + " FROM " + p + "PMTAPP, " + p +
                    "ACCPMT WHERE APMT_ID = PAPP_APMTID AND PAPP_ID",
                app_ids, [&] { ReadApp(db, 2, c, &apps[Long(db, 1, c)]); }))
        return Fail("Lecture des applications de paiement");

    // A key whose record is gone for good gives no line.
    for (const Key& k : records->missing) {
        Line l = k.Start();
        if (k.kind == 'F' || k.kind == 'G') {
            if (auto it = trts.find(k.id); it != trts.end())
                AddLines(std::move(l), it->second, &out->lines);
        } else if (k.kind == 'H' || k.kind == 'I') {
            if (auto it = ochs.find(k.id); it != ochs.end())
                AddLines(std::move(l), it->second, &out->lines);
        } else if (auto it = apps.find(k.id); it != apps.end()) {
            AddLines(std::move(l), it->second, records->direct, &out->lines);
        }
    }
    SortLines(&out->lines);
    return true;
}

bool TMonthEndRepSummation::Pages(MonthEndData* out) {
    GenDB* db = launcher_->GetDb();
    // The receivables at the end: the producer analysis on the last day. Those at the
    // start are the end's less what the month's lines moved, each line moving the
    // receivable the analysis credits it to (an auxiliary's, its doctor's).
    TProducerAnalysisObj after(launcher_, 0, c_.last, nullptr, true);
    if (!after.Collect(false, false)) {
        error_ = after.Error();
        return false;
    }
    const bool by_billdr = c_.grouping != Grouping::Producer;
    auto balance = [by_billdr](const drbalfwd_info* b) {
        return b ? (by_billdr ? b->bal_billdr : b->bal_prod) : 0;
    };
    std::map<std::string, int64_t> moved;
    int64_t moved_all = 0;
    for (const Line& l : out->lines) {
        const bool aux = !l.producer.empty() && l.producer[0] == 'A' && !l.billdr.empty();
        const bool to_doctor = l.kind == 'H' || l.kind == 'I' || l.producer.empty() || aux ||
                               (by_billdr && !l.billdr.empty());
        moved[to_doctor ? DrCode(l.billdr) : l.producer] += l.amount;
        moved_all += l.amount;
    }

    struct Prod {
        std::string first, last, title;
        char type = 'D';
    };
    std::map<std::string, Prod> prods;
    const int c = kDetailCursor;
    if (db->dbOpenReadOnly("SELECT PROD_CODE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_TITLE, "
                           "PROD_TYPE FROM " +
                               std::string(db->dbTablePrefix()) + "PRODCD ORDER BY PROD_CODE",
                           c) != 0)
        return Fail("Lecture des producteurs");
    for (int r = db->dbFetch(0, c); r == 0; r = db->dbFetch(1, c)) {
        Prod& pr = prods[Field(db, 1, c)];
        pr.first = Field(db, 2, c);
        pr.last = Field(db, 3, c);
        pr.title = Field(db, 4, c);
        pr.type = Char(db, 5, c);
    }
    db->dbClose(c);
    auto named = [&](const std::string& code, auto* into) {
        into->code = code;
        auto it = prods.find(code);
        if (it == prods.end()) return;
        into->first = it->second.first;
        into->last = it->second.last;
        into->title = it->second.title;
    };

    std::map<std::string, Page> pages;
    std::map<std::string, std::map<std::string, Subtotal>> subs;
    out->selected.assign(out->lines.size(), false);
    Page& all = out->practice;
    all = Page{};
    for (size_t i = 0; i < out->lines.size(); ++i) {
        const Line& l = out->lines[i];
        const bool sel = Selected(l);
        out->selected[i] = sel;
        if (sel || !c_.selected_only) all.f.cat[l.cat] += l.amount;
        if (!sel) continue;
        const std::string code = PageCode(l);
        Page& pg = pages[code];
        pg.f.cat[l.cat] += l.amount;
        // Subtotals of a doctor's page: every producer, or its hygienists only.
        const std::string prod = l.producer.empty() ? DrCode(l.billdr) : l.producer;
        const bool hyg =
            !prod.empty() && (prod[0] == 'H' || (prods.count(prod) && prods[prod].type == 'H'));
        if (c_.grouping == Grouping::BillDrByProd ||
            (c_.grouping == Grouping::BillDr && c_.hyg_subtotals && hyg))
            subs[code][prod].f.cat[l.cat] += l.amount;
    }
    // Codes without lines that carry a receivable still have their page.
    int64_t end_all = 0;
    for (TDElem* e : after.GetCodeList()) {
        const auto* b = static_cast<const drbalfwd_info*>(e);
        end_all += balance(b);
        if (pages.count(b->code) || (balance(b) == 0 && moved[b->code] == 0)) continue;
        Line probe;
        probe.producer = b->code;
        if (b->code.size() == 3 && b->code[0] == 'D') probe.billdr = b->code.substr(1);
        if (Selected(probe)) pages[b->code];
    }
    int64_t start_sel = 0, end_sel = 0;
    for (auto& [code, pg] : pages) {
        named(code, &pg);
        if (prods.count(code)) pg.type = prods[code].type;
        pg.end = balance(after.FindCode(code));
        pg.start = pg.end - moved[code];
        start_sel += pg.start;
        end_sel += pg.end;
        for (auto& [prod, s] : subs[code]) {
            named(prod, &s);
            pg.subtotals.push_back(s);
        }
        out->pages.push_back(pg);
    }
    const bool whole = c_.range.empty() || c_.range == "*" || !c_.selected_only;
    all.start = whole ? end_all - moved_all : start_sel;
    all.end = whole ? end_all : end_sel;
    if (c_.by_receivable)
        std::stable_sort(out->pages.begin(), out->pages.end(),
                         [](const Page& a, const Page& b) { return a.end > b.end; });
    return true;
}

Outcome TMonthEndRepSummation::Collect(MonthEndData* out, std::string* error) {
    *out = MonthEndData{};
    out->criteria = c_;
    if (!launcher_ || !launcher_->GetDb()) {
        *error = "Aucune base de données";
        return Outcome::Failed;
    }
    Records records;
    const bool ok = Codes(&records, out) && (c_.calc_mode == 1 ? LinesBySql(&records, out)
                                                               : LinesByDaySheet(&records, out));
    if (meter_ && meter_->Cancel()) return Outcome::Cancelled;
    if (!ok || !Details(&records, out) || !Pages(out)) {
        *error = error_;
        return Outcome::Failed;
    }
    if (meter_ && meter_->Cancel()) return Outcome::Cancelled;
    TMonthEndRepDetail::Build(out);
    TPracAddIni prac(launcher_->GetDb());
    out->practice_name = prac.GetRec().name;
    return Outcome::Done;
}

void TMonthEndRepDetail::Build(MonthEndData* out) {
    const Criteria& c = out->criteria;
    std::map<long, Day> days;
    std::map<std::pair<bool, std::string>, AdjDetail> adj;
    for (size_t i = 0; i < out->lines.size(); ++i) {
        if (c.selected_only && !out->selected[i]) continue;
        const Line& l = out->lines[i];
        Day& d = days[l.date];
        d.date = l.date;
        switch (l.cat) {
            case kDfe:
            case kDis:
            case kDsc:
            case kLch:
                (l.lab ? d.lab : d.fees) += l.amount;
                break;
            case kOfch:
                d.charges += l.amount;
                break;
            case kFeeAdj:
                d.fee_adj += l.amount;
                break;
            case kDeposit:
            case kDirect:
                d.payments -= l.amount;
                break;
            default:
                d.pmt_adj -= l.amount;
        }
        if (l.cat == kFeeAdj || l.cat == kPmtAdj) {
            AdjDetail& a = adj[{l.cat != kFeeAdj, l.adj_code}];
            a.code = l.adj_code;
            a.fees = l.cat == kFeeAdj;
            auto it = out->adj_descr.find(l.adj_code);
            if (it != out->adj_descr.end()) a.descr = it->second;
            a.amount -= l.amount;
        }
    }
    int64_t ar = out->practice.start;
    out->days.clear();
    for (auto& [date, d] : days) {
        ar += d.fees + d.lab + d.charges + d.fee_adj - d.payments - d.pmt_adj;
        d.receivable = ar;
        out->days.push_back(d);
    }
    out->adjustments.clear();
    for (auto& [key, a] : adj)
        out->adjustments.push_back(a);
}

Criteria TMonthEndRepSummationEx::MakeCriteria(long first, long last, const std::string& from_dr,
                                               const std::string& to_dr, bool by_billdr,
                                               int calc_mode) {
    Criteria c;
    c.first = first;
    c.last = last;
    c.grouping = by_billdr ? Grouping::BillDr : Grouping::Producer;
    c.calc_mode = calc_mode;
    c.range_billdr = true;
    const std::string lo = host::Trim(from_dr), hi = host::Trim(to_dr);
    if (!lo.empty() && !hi.empty())
        c.range = lo + "," + hi;
    else if (!lo.empty() || !hi.empty())
        c.range = lo.empty() ? "," + hi : lo + ",";
    c.selected_only = true;
    return c;
}

TMonthEndRepSummationEx::TMonthEndRepSummationEx(LauncherInfo* launcher, long first, long last,
                                                 const std::string& from_dr,
                                                 const std::string& to_dr, bool by_billdr,
                                                 int calc_mode, TMeter* meter)
    : TMonthEndRepSummation(
          launcher, MakeCriteria(first, last, from_dr, to_dr, by_billdr, calc_mode), meter) {}

}  // namespace mthend
