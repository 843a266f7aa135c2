#include "analysis/prodanal.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>
#include <unordered_map>

#include "host/base/debuglog.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/calc/aging.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"
#include "host/records/practice.h"
#include "host/records/records.h"

namespace {

constexpr int kCounterTitle = 6298;
constexpr int kCounterMsg = 6299;
constexpr int kUnknown = 6300;  // "Producteur Inconnu"
constexpr int kCurDayEnd = 31201;
constexpr int kCurLines = 31210;  // to 31215: each path's statements, side by side
// The class of an office charge deleted: no day-sheet line records it, both paths read it
// from the charges by deletion date.
constexpr char kDeletedCharge = 'I';
// An application's laboratory flag ('L' when applied to a laboratory treatment). A statement
// that reads many applications takes the list of the laboratory treatments' ids, made once
// (they are few beside the applications); one that reads a few (those entered after their
// date) looks up each one's treatment instead of making the whole list for them.
std::string LabApplication(const std::string& prefix, bool few = false) {
    if (few)
        return "CASE WHEN PAPP_RECTYPE = 'T' AND EXISTS (SELECT 1 FROM " + prefix +
               "CLMTRT WHERE CTRT_ID = PAPP_CTRTID AND CTRT_TYPE = 'L') THEN 'L' ELSE '' END";
    return "CASE WHEN PAPP_RECTYPE = 'T' AND PAPP_CTRTID IN (SELECT CTRT_ID FROM " + prefix +
           "CLMTRT WHERE CTRT_TYPE = 'L') THEN 'L' ELSE '' END";
}
// A treatment's charge: its total with its adjustment (host::calc::ChargeAmount).
constexpr const char* kChargeSql =
    "CTRT_TOTAL + CASE CTRT_ADJ_FLAG WHEN 'S' THEN CTRT_ADJ_AMT WHEN 'D' THEN -CTRT_ADJ_AMT "
    "ELSE 0 END";

std::string Description(const prodcd_struct& p) {
    const std::string first = host::Trim(p.first_name), last = host::Trim(p.last_name);
    if (first.empty()) return last;
    const std::string both = first + " " + last;
    if (host::U8Length(both) < 25) return both;
    const std::string initial = host::U8Format("%-1.1s", first.c_str());
    return host::U8Format("%-24.24s", (initial + ". " + last).c_str());
}

// Adds amount to the period of the line and every later one.
void AddFrom(int64_t* acc, int period, int64_t amount) {
    for (int p = period; p < PA_PERIODS; ++p)
        acc[p] += amount;
}

}  // namespace

TProducerAnalysisObj::TProducerAnalysisObj(LauncherInfo* launcher, long start_date,
                                           long report_date, TWindow* parent, bool include_end_date)
    : launcher_(launcher),
      parent_(parent),
      start_date_(start_date),
      report_date_(report_date),
      include_end_(include_end_date),
      period_(report_date) {
    // The tables read, held shared while collecting.
    for (int32_t t : {TBL_CLMTRT, TBL_PATCLM, TBL_PATOCH, TBL_PMTAPP, TBL_ACCPMT, TBL_DAYSHT})
        locks_.push_back({t, 1, 2});
    QDSApplication* app = launcher_ ? launcher_->App() : nullptr;
    if (app && app->billdr_from_personnel && launcher_->GetDb()) {
        billdrs_ = std::make_unique<TDList>();
        ProdInfo prods(launcher_->GetListPtr(), launcher_->GetMsgPtr());
        prods.SetKey(ProdInfo::KEY_CODE);
        for (bool ok = prods.DBGetFirst(); ok; ok = prods.DBGetNext())
            if (IsBillingDr(prods.Rec().code.c_str(), launcher_->GetDb())) {
                auto* b = new billdr_info;
                b->code = prods.Rec().code;
                *billdrs_ + b;
            }
    }
}

TProducerAnalysisObj::~TProducerAnalysisObj() = default;

bool TProducerAnalysisObj::Fail(const std::string& what) {
    error_ = FailureText(*launcher_->GetMsgPtr(), launcher_->GetDb(), what);
    return false;
}

// Producers with a record, D then A then H, each in code order, with their brought-forward
// figures.
void TProducerAnalysisObj::Init() {
    producers_.DeleteElems();
    codes_.DeleteElems();
    seen_.clear();
    seq_ = 0;
    ProdInfo prods(launcher_->GetListPtr(), launcher_->GetMsgPtr());
    for (const char type : {'D', 'A', 'H'}) {
        for (bool ok = prods.DBFindFirst(ProdInfo::KEY_TYPE, {std::string(1, type)}); ok;
             ok = prods.DBFindNext()) {
            const prodcd_struct& r = prods.Rec();
            auto* p = new prodanal_info;
            p->flag = r.flag;
            p->code = host::Trim(r.code);
            p->descript = Description(r);
            p->has_record = true;
            const long ytd[] = {r.ytd_procs,  r.ytd_dental, r.ytd_lab,    r.ytd_offchg,
                                r.ytd_feeadj, r.ytd_fees,   r.ytd_feesaux};
            for (int i = 0; i < 7; ++i)
                p->acc[i][PA_YTD] = ytd[i];
            p->acc[PA_PMT_TOT][PA_YTD] = r.ytd_pmts;
            p->acc[PA_TRF_TOT][PA_YTD] = r.ytd_transf;
            p->acc[PA_PADJ_TOT][PA_YTD] = r.ytd_pmtadj;
            p->acc[PA_NET_TOT][PA_YTD] = r.ytd_net;
            producers_ + p;
            auto* c = new drbalfwd_info;
            c->code = p->code;
            c->bal_prod = r.ar_prod;
            c->bal_billdr = r.ar_billdr;
            c->flag = r.flag;
            codes_ + c;
        }
    }
    first_new_producer_ = producers_.Count();
    first_new_code_ = codes_.Count();
}

prodanal_info* TProducerAnalysisObj::FindProducer(const std::string& code) const {
    for (TDElem* e : producers_) {
        auto* p = static_cast<prodanal_info*>(e);
        if (p->code == code) return p;
    }
    return nullptr;
}

drbalfwd_info* TProducerAnalysisObj::FindCode(const std::string& code) const {
    for (TDElem* e : codes_) {
        auto* c = static_cast<drbalfwd_info*>(e);
        if (c->code == code) return c;
    }
    return nullptr;
}

void TProducerAnalysisObj::Touch(TDElem* e, const Line& line, bool created) {
    const Seen now{line.date, line.sortid, line.recid, seq_};
    auto it = seen_.find(e);
    if (it == seen_.end()) {
        if (!created) return;  // an entry of a producer record
        seen_.emplace(e, now);
        ++seq_;
        return;
    }
    const Seen& was = it->second;
    if (std::tie(now.date, now.sortid, now.recid) < std::tie(was.date, was.sortid, was.recid)) {
        it->second = now;
        ++seq_;
    }
}

prodanal_info* TProducerAnalysisObj::Producer(const std::string& code, const Line& line) {
    prodanal_info* p = FindProducer(code);
    const bool created = !p;
    if (created) {
        p = new prodanal_info;
        p->code = code;
        p->descript = host::LoadText(kUnknown);
        producers_ + p;
    }
    if (!p->has_record) Touch(p, line, created);
    return p;
}

drbalfwd_info* TProducerAnalysisObj::Code(const std::string& code, const Line& line) {
    drbalfwd_info* c = FindCode(code);
    const bool created = !c;
    if (created) {
        c = new drbalfwd_info;
        c->code = code;
        codes_ + c;
    }
    Touch(c, line, created);
    return c;
}

std::string TProducerAnalysisObj::BillDrCode(const std::string& billdr) const {
    if (billdrs_)
        for (TDElem* e : *billdrs_) {
            const std::string& code = static_cast<billdr_info*>(e)->code;
            if (code.size() > 1 && code.substr(1) == billdr) return code;
        }
    return "D" + billdr;
}

// The entries met only in the transactions, in the order of their first line (date, class,
// record id), whatever order the path read the lines in.
void TProducerAnalysisObj::OrderNewEntries() {
    std::unordered_map<TDElem*, Seen>& first = seen_;
    auto reorder = [&](TDList& list, size_t from) {
        std::vector<TDElem*> tail;
        for (size_t i = from; i < list.Count(); ++i)
            tail.push_back(list[i]);
        std::stable_sort(tail.begin(), tail.end(), [&](TDElem* a, TDElem* b) {
            const Seen &x = first[a], &y = first[b];
            if (x.date != y.date) return x.date < y.date;
            if (x.sortid != y.sortid) return x.sortid < y.sortid;
            if (x.recid != y.recid) return x.recid < y.recid;
            return x.seq < y.seq;
        });
        for (TDElem* e : tail)
            list.Detach(e);
        for (TDElem* e : tail)
            list + e;
    };
    reorder(producers_, first_new_producer_);
    reorder(codes_, first_new_code_);
}

void TProducerAnalysisObj::Account(const Line& line) {
    if (!line.found) {
        if (trace_)
            std::fprintf(trace_,
                         "DAYSHEET: DATE=%ld, RECID=%ld, BILLDR=%s, PRODUCER=%s, SORTID=%c, "
                         "RECTYPE=%c, PATID=%ld\n",
                         line.date, line.recid, line.billdr, line.producer,
                         line.sortid ? line.sortid : ' ', line.rectype ? line.rectype : ' ',
                         line.patid);
        return;
    }
    const char s = line.sortid;
    if ((s == 'F' || s == 'G') && line.rectype == 'D') return;
    const std::string billdr = line.billdr;
    std::string producer = line.producer;
    if (s == 'H' || s == kDeletedCharge) producer = BillDrCode(billdr);
    if (fold_aux_ && !producer.empty() && producer[0] == 'A' && !billdr.empty())
        producer = BillDrCode(billdr);
    if (by_billdr_ && !billdr.empty()) producer = BillDrCode(billdr);

    prodanal_info* pa = Producer(producer, line);
    const bool aux = pa->IsAuxiliary() && !billdr.empty();
    prodanal_info* parent = aux ? Producer(BillDrCode(billdr), line) : nullptr;
    // The receivable: the producer's entry and the billing doctor's; an auxiliary's line
    // goes whole to its doctor.
    drbalfwd_info* by_prod = nullptr;
    drbalfwd_info* by_bill = nullptr;
    if (aux) {
        by_prod = by_bill = Code(parent->code, line);
    } else {
        by_prod = Code(producer, line);
        by_bill = billdr.empty() ? by_prod : Code(BillDrCode(billdr), line);
    }

    const int period = line.period >= 0 ? line.period : PeriodOf(line.date);

    int64_t amount = 0;
    switch (s) {
        case 'F':
        case 'G': {
            amount = line.amount;
            int64_t count = line.count;
            if (s == 'G') {
                amount = -amount;
                count = -count;
            }
            AddFrom(pa->acc[PA_PROCS], period, count);
            AddFrom(pa->acc[line.lab ? PA_LAB : PA_DENTAL], period, amount);
            AddFrom(pa->acc[PA_FEES], period, amount);
            AddFrom(pa->acc[PA_FEESAUX], period, amount);
            if (parent) AddFrom(parent->acc[PA_FEESAUX], period, amount);
            break;
        }
        case 'H':
        case kDeletedCharge:
            amount = s == 'H' ? line.amount : -line.amount;
            AddFrom(pa->acc[PA_OFFCHG], period, amount);
            AddFrom(pa->acc[PA_FEES], period, amount);
            AddFrom(pa->acc[PA_FEESAUX], period, amount);
            if (parent) AddFrom(parent->acc[PA_FEESAUX], period, amount);
            break;
        case 'L':
        case 'N':
        case 'P':
        case 'Q': {
            amount = -line.amount;
            if (s == 'N' && line.adj_kind == 'N') {
                AddFrom(pa->acc[PA_FEEADJ], period, amount);
                AddFrom(pa->acc[PA_FEES], period, amount);
                AddFrom(pa->acc[PA_FEESAUX], period, amount);
                if (parent) AddFrom(parent->acc[PA_FEESAUX], period, amount);
                break;
            }
            prodanal_info* to = parent ? parent : pa;
            int reg = PA_PMT_REG, lab = PA_PMT_LAB, tot = PA_PMT_TOT;
            if (s == 'N') {
                reg = PA_PADJ_REG, lab = PA_PADJ_LAB, tot = PA_PADJ_TOT;
            } else if (s == 'P' || s == 'Q') {
                reg = PA_TRF_REG, lab = PA_TRF_LAB, tot = PA_TRF_TOT;
            }
            AddFrom(to->acc[line.lab ? lab : reg], period, amount);
            AddFrom(to->acc[tot], period, amount);
            AddFrom(to->acc[line.lab ? PA_NET_LAB : PA_NET_REG], period, amount);
            AddFrom(to->acc[PA_NET_TOT], period, amount);
            break;
        }
        default:
            return;
    }
    by_prod->bal_prod += amount;
    by_bill->bal_billdr += amount;
}

bool TProducerAnalysisObj::Begin(bool by_billdr, bool fold_aux) {
    error_.clear();
    by_billdr_ = by_billdr;
    fold_aux_ = fold_aux;
    if (!launcher_ || !launcher_->GetDb()) {
        error_ = "Analyse des producteurs : aucune base de données ouverte";
        return false;
    }
    Init();
    return true;
}

void TProducerAnalysisObj::End() {
    OrderNewEntries();
    seen_.clear();
}

bool TProducerAnalysisObj::Collect(bool by_billdr, bool fold_aux) {
    QDSApplication* app = launcher_ ? launcher_->App() : nullptr;
    const bool sql = !app || app->m_CalAR == 1;
    WriteDebugLogFile(sql ? "Analyse des producteurs : CALC_FROM_DATABASE"
                          : "Analyse des producteurs : CALC_FROM_DAYSHEET");
    return sql ? CollectSql(by_billdr, fold_aux) : CollectDaySheet(by_billdr, fold_aux);
}

namespace {

// The tables held shared and the day sheet kept for the length of a collection, with the
// counter window shown; everything is given back on destruction.
class Hold {
  public:
    Hold(LauncherInfo* launcher, TWindow* parent, const std::vector<lock_pkt>& locks,
         long report_date)
        : sheet_(launcher->GetListPtr(), launcher->GetMsgPtr()), locks_(locks), counter_(parent) {
        locked_ = sheet_.LockAll(locks_);
        kept_ = locked_ && sheet_.DoKeep();
        char date[32];
        ldate_to_str1(date, report_date, DATE_FMT_DMY);
        counter_.SetWindowTitle(host::LoadText(kCounterTitle) + " (" + date + ")");
        counter_.SetWindowMsg(host::LoadText(kCounterMsg));
        counter_.DisplayCounterDlg();
    }
    ~Hold() {
        if (kept_) sheet_.UndoKeep();
        if (locked_) sheet_.FreeAll(locks_);
        counter_.CloseCounterDlg();
    }
    bool Ok() const { return kept_; }
    TCounter& counter() { return counter_; }

  private:
    DayShtInfo sheet_;
    const std::vector<lock_pkt>& locks_;
    TCounter counter_;
    bool locked_ = false, kept_ = false;
};

}  // namespace

// Both paths start the day after the last month-end when the start date is earlier: the
// month-end carried everything up to it into the producers' brought-forward figures.
bool TProducerAnalysisObj::StartAfterMonthEnd() {
    GenDB& db = *launcher_->GetDb();
    if (db.dbOpen("SELECT DEND_MENDDATE FROM " + std::string(db.dbTablePrefix()) +
                      "DAYEND WHERE DEND_ID = 1",
                  kCurDayEnd) != 0)
        return Fail("Lecture de la fin de mois");
    if (db.dbFetch(0, kCurDayEnd) == 0) {
        long mend = 0;
        db.dbGetLong(1, &mend, kCurDayEnd);
        const long next = mend > 0 ? incr_date(mend, 1) : 0;
        if (next > 0 && (start_date_ == 0 || start_date_ < next)) start_date_ = next;
    }
    db.dbClose(kCurDayEnd);
    return true;
}

bool TProducerAnalysisObj::CollectSql(bool by_billdr, bool fold_aux) {
    if (!Begin(by_billdr, fold_aux)) return false;
    GenDB& db = *launcher_->GetDb();
    Hold hold(launcher_, parent_, locks_, report_date_);
    if (!hold.Ok()) {
        End();
        return Fail("Verrouillage du journal");
    }
    const std::string p = db.dbTablePrefix();
    if (!StartAfterMonthEnd()) {
        End();
        return false;
    }

    const std::string lo = std::to_string(LowDate());
    const std::string cmp = include_end_ ? " <= " : " < ";
    const std::string hi = std::to_string(report_date_);
    auto range = [&](const char* column) {
        return std::string("(") + column + " >= " + lo + " AND " + column + cmp + hi + ")";
    };
    // Each statement reads its lines as a stream (one by one, no sort or grouping on the
    // server), and they are summed here by billing doctor, producer, period, laboratory flag
    // and class (or adjustment kind), with their number and the earliest of them (date,
    // record id), which orders the producers met only in the transactions.
    // Every statement gives: billing doctor, producer, date, laboratory flag, class, amount,
    // record id.
    auto treatments = [&](const char* col) {
        return std::string("SELECT CTRT_BILL_DOC, CTRT_PRODUCER, ") + col +
               ", CASE WHEN CTRT_TYPE = 'L' THEN 'L' ELSE '' END, '', " + kChargeSql +
               ", CTRT_ID FROM " + p + "CLMTRT, " + p +
               "PATCLM WHERE pclm_id = ctrt_pclmid and "
               "(pclm_status = 'I' or pclm_status = 'C') AND " +
               range(col);
    };
    auto charges = [&](const char* col) {
        return std::string("SELECT POCH_BILLDR, '', ") + col +
               ", '', '', POCH_TOTAL, POCH_ID FROM " + p + "PATOCH WHERE " + range(col);
    };
    // The applications: those of their own date in one statement, the class decided per
    // row (the closings' conditions for 'L', 'N', 'P' and 'Q' exclude one another); the
    // payments' applications entered after their date in another, a class 'L' line of their
    // entry date (such an application may also be a line of its own date).
    auto apps = [&](const char* date, const std::string& cls, const std::string& where, bool few) {
        return std::string("SELECT PAPP_BILLDR, PAPP_PRODUCER, ") + date + ", " +
               LabApplication(p, few) + ", " + cls + ", PAPP_AMOUNT, PAPP_ID FROM " + p +
               "PMTAPP INNER JOIN " + p + "ACCPMT ON APMT_ID = PAPP_APMTID WHERE " + range(date) +
               where;
    };
    const std::string own_class =
        "CASE WHEN APMT_RECTYPE = 'P' AND PAPP_DATE = APMT_DATE AND APMT_DATE >= APMT_SYSDATE "
        "THEN 'L' WHEN APMT_RECTYPE = 'A' AND PAPP_DATE <= APMT_DATE THEN CASE WHEN "
        "APMT_ADJ_KIND = 'N' THEN 'F' ELSE 'N' END WHEN APMT_RECTYPE = 'T' AND PAPP_DATE = "
        "APMT_DATE THEN 'P' WHEN PAPP_DATE > APMT_DATE THEN 'Q' ELSE '' END";
    // The lines by kind, a statement each: treatments performed and deleted, office charges
    // entered and deleted, applications of their own date (class from the row) and of their
    // entry date.
    const std::vector<char> sortids = {'F', 'G', 'H', kDeletedCharge, '\0', 'L'};
    const std::vector<std::string> queries = {
        treatments("ctrt_system_date"),
        treatments("ctrt_del_date"),
        charges("POCH_SYSDATE"),
        charges("POCH_DELDATE"),
        apps("PAPP_DATE", own_class, "", false),
        apps("PAPP_SYSDATE", "'L'", " AND PAPP_DATE < PAPP_SYSDATE AND APMT_RECTYPE = 'P'", true)};
    constexpr size_t kApps = 4;
    // A group's key packed in 8 bytes: billing doctor (2), producer (3), period, laboratory
    // flag, class; codes are cut to the lengths a line keeps.
    auto pack = [](std::string_view billdr, std::string_view producer, int period, bool lab,
                   char cls) {
        char k[8] = {};
        auto put = [&](std::string_view text, size_t at, size_t width) {
            const std::string code = host::Trim(text);
            std::memcpy(k + at, code.data(), std::min(code.size(), width));
        };
        put(billdr, 0, 2);
        put(producer, 2, 3);
        k[5] = static_cast<char>(period);
        k[6] = lab ? 'L' : '\0';
        k[7] = cls;
        uint64_t key;
        std::memcpy(&key, k, 8);
        return key;
    };
    struct Group {
        int64_t amount = 0;
        long count = 0;
        int64_t earliest = 0;  // date * 10^10 + record id
    };
    std::vector<std::unordered_map<uint64_t, Group>> groups(sortids.size());
    auto add = [&](size_t kind, const host::DbCursor& c, long date, char cls) {
        const std::string_view lab = c.Text(4);
        const int period = PeriodOf(date);
        Group& g =
            groups[kind][pack(c.Text(1), c.Text(2), period, !lab.empty() && lab[0] == 'L', cls)];
        const int64_t key = static_cast<int64_t>(date) * 10000000000LL + c.Int(7);
        if (g.count == 0 || key < g.earliest) g.earliest = key;
        g.amount += c.Int(6);
        ++g.count;
    };
    // The statements are read side by side: on PostgreSQL each runs on a server process of
    // its own while the others' rows are summed here.
    const bool read = host::ReadSideBySide(
        db, queries, kCurLines,
        [&](size_t i, const host::DbCursor& c) {
            const std::string_view cls = c.Text(5);
            add(i, c, static_cast<long>(c.Int(3)), cls.empty() ? '\0' : cls[0]);
            return true;
        },
        [&](long n) {
            hold.counter().IncrementCtr(n);
            return true;
        });
    if (!read) {
        End();
        return Fail("Lecture des transactions");
    }
    for (size_t kind = 0; kind < sortids.size(); ++kind) {
        const char sortid = sortids[kind];
        // The groups in the order of their earliest line, so that producers met only here
        // come in the order of the lines.
        std::vector<std::pair<uint64_t, Group>> ordered(groups[kind].begin(), groups[kind].end());
        std::sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) {
            return a.second.earliest != b.second.earliest ? a.second.earliest < b.second.earliest
                                                          : a.first < b.first;
        });
        for (const auto& [packed, g] : ordered) {
            char k[8];
            std::memcpy(k, &packed, 8);
            Line line;
            std::memcpy(line.billdr, k, 2);
            std::memcpy(line.producer, k + 2, 3);
            line.period = k[5];
            line.lab = k[6] == 'L';
            const char cls = k[7];
            line.found = true;
            line.amount = g.amount;
            line.count = g.count;
            line.date = static_cast<long>(g.earliest / 10000000000LL);
            line.recid = static_cast<long>(g.earliest % 10000000000LL);
            line.sortid = sortid;
            line.rectype = sortid == 'F' || sortid == 'G' ? 'T' : kind < kApps ? 'O' : 'A';
            if (kind == kApps) {
                if (cls != 'L' && cls != 'N' && cls != 'P' && cls != 'Q' && cls != 'F') continue;
                line.sortid = cls == 'F' ? 'N' : cls;
                line.adj_kind = cls == 'F' ? 'N' : '\0';
            }
            Account(line);
        }
    }
    End();
    return true;
}

bool TProducerAnalysisObj::CollectDaySheet(bool by_billdr, bool fold_aux) {
    if (!Begin(by_billdr, fold_aux)) return false;
    Hold hold(launcher_, parent_, locks_, report_date_);
    if (!hold.Ok()) {
        End();
        return Fail("Verrouillage du journal");
    }
    if (!StartAfterMonthEnd()) {
        End();
        return false;
    }
    // The day sheet's lines of the period, each with what its record gives: its record id
    // (0 when the record is gone), amount (a treatment's charge, an office charge's total, an
    // application's amount), laboratory flag (a laboratory treatment, or an application to
    // one) and adjustment kind (an application's payment's). One statement per record table,
    // each joined to its own lines only, read side by side.
    GenDB& db = *launcher_->GetDb();
    const std::string p = db.dbTablePrefix();
    auto lines = [&](const char* sortids, const std::string& record, const std::string& joins) {
        return "SELECT D.DSHT_DATE, D.DSHT_RECID, D.DSHT_BILLDR, D.DSHT_PRODUCER, "
               "D.DSHT_SORTID, D.DSHT_RECTYPE, D.DSHT_PATID, " +
               record + " FROM " + p + "DAYSHT D " + joins +
               " WHERE D.DSHT_DATE >= " + std::to_string(LowDate()) + " AND D.DSHT_DATE" +
               (include_end_ ? " <= " : " < ") + std::to_string(report_date_) +
               " AND D.DSHT_SORTID IN (" + sortids +
               ") ORDER BY D.DSHT_DATE, D.DSHT_SORTID, D.DSHT_ID";
    };
    const std::vector<std::string> queries = {
        lines("'F', 'G'",
              "COALESCE(CTRT_ID, 0), COALESCE(" + std::string(kChargeSql) +
                  ", 0), CASE WHEN CTRT_TYPE = 'L' THEN 'L' ELSE '' END, ''",
              "LEFT JOIN " + p + "CLMTRT ON CTRT_ID = D.DSHT_RECID"),
        lines("'H'", "COALESCE(POCH_ID, 0), COALESCE(POCH_TOTAL, 0), '', ''",
              "LEFT JOIN " + p + "PATOCH ON POCH_ID = D.DSHT_RECID"),
        lines("'L', 'N', 'P', 'Q'",
              "COALESCE(APMT_ID, 0), COALESCE(PAPP_AMOUNT, 0), " + LabApplication(p) +
                  ", COALESCE(APMT_ADJ_KIND, '')",
              "LEFT JOIN " + p + "PMTAPP ON PAPP_ID = D.DSHT_RECID LEFT JOIN " + p +
                  "ACCPMT ON APMT_ID = PAPP_APMTID")};
    auto first = [](std::string_view text) { return text.empty() ? '\0' : text[0]; };
    const bool read = host::ReadSideBySide(
        db, queries, kCurLines,
        [&](size_t, const host::DbCursor& c) {
            Line line;
            line.date = static_cast<long>(c.Int(1));
            line.recid = static_cast<long>(c.Int(2));
            host::CopyText(line.billdr, sizeof line.billdr, c.Text(3));
            host::CopyText(line.producer, sizeof line.producer, c.Text(4));
            line.sortid = first(c.Text(5));
            line.rectype = first(c.Text(6));
            line.patid = static_cast<long>(c.Int(7));
            line.found = c.Int(8) != 0;
            line.amount = c.Int(9);
            line.lab = first(c.Text(10)) == 'L';
            line.adj_kind = first(c.Text(11));
            Account(line);
            return true;
        },
        [&](long n) {
            hold.counter().IncrementCtr(n);
            return true;
        });
    if (!read) {
        End();
        return Fail("Lecture du journal");
    }
    // Office charges deleted in the period.
    PatOffChgInfo charges(launcher_->GetListPtr(), launcher_->GetMsgPtr());
    const std::string cmp = include_end_ ? " <= ?" : " < ?";
    if (charges.FindRecs("POCH_DELDATE >= ? AND POCH_DELDATE" + cmp, {LowDate(), report_date_}))
        for (const patoch_struct& c : charges.Items()) {
            Line line;
            line.date = c.deldate;
            line.recid = c.poch_id;
            host::CopyText(line.billdr, sizeof line.billdr, host::Trim(c.billdr));
            line.sortid = kDeletedCharge;
            line.rectype = 'O';
            line.patid = c.pat_id;
            line.found = true;
            line.amount = c.total;
            Account(line);
        }
    End();
    if (charges.DbFailed()) return Fail("Lecture des frais de bureau");
    return true;
}
