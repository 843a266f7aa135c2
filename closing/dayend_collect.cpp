#include "closing/dayend_collect.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <tuple>
#include <unordered_map>

#include "analysis/prodanal.h"
#include "closing/rowread.h"
#include "host/base/text.h"
#include "host/calc/aging.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"
#include "host/records/practice.h"

namespace dayend {

namespace {

using rowread::Char;
using rowread::DrCode;
using rowread::Field;
using rowread::Long;

constexpr int kCursor = 31720;
constexpr int kDetailCursor = 31721;
constexpr size_t kBatch = 400;

}  // namespace

char SectionOf(char kind) {
    return kind == 'S' ? 'R' : kind;
}

int64_t ProducerSummary::Charges() const {
    return Line('F').total - Line('G').total + Line('H').total + Line('I').total;
}

int64_t ProducerSummary::Payments() const {
    return Line('L').total + Line('M').total + Line('P').total + Line('V').total;
}

Triple& ProducerSummary::Line(char letter) {
    const char* at = std::strchr(kSummaryLetters, letter);
    return lines[at ? static_cast<size_t>(at - kSummaryLetters) : 0];
}

const Triple& ProducerSummary::Line(char letter) const {
    return const_cast<ProducerSummary*>(this)->Line(letter);
}

// What finds a transaction of the day: its kind, record and who it is credited to.
struct TDayEndRepSummation::Key {
    char kind;
    long id;
    std::string billdr, producer;
    long patient_id;
};

TDayEndRepSummation::TDayEndRepSummation(LauncherInfo* launcher, const Criteria& criteria,
                                         TMeter* meter)
    : launcher_(launcher), c_(criteria), meter_(meter) {}

bool TDayEndRepSummation::Fail(const std::string& what) {
    GenDB* db = launcher_ ? launcher_->GetDb() : nullptr;
    error_ = what;
    if (db && db->dbLastError()) error_ += std::string(" : ") + db->dbLastError();
    return false;
}

// The kinds of the pass; new patients only when the practice setting asks for them.
std::string TDayEndRepSummation::Kinds() const {
    std::string kinds = c_.pass == kSummaryPass ? "ABFGHLNPQ"
                        : c_.selector != 0      ? "ABFGHLMOQRS"
                                                : "ABFGHKMOQRS";
    GenDB* db = launcher_->GetDb();
    const std::string flag =
        host::Trim(db->QueryText(std::string("SELECT ppst_a2_field04 FROM ") + db->dbTablePrefix() +
                                 "PPSET WHERE PPST_ID = 2"));
    if (flag != "Y") kinds.erase(0, 1);
    return kinds;
}

bool TDayEndRepSummation::InRange(const Elem& e) const {
    if (c_.selector == 0 || c_.range.empty() || c_.range == "*") return true;
    const std::string code = c_.selector == 2 ? DrCode(e.billdr) : e.producer;
    if (code.empty()) return true;
    const size_t comma = c_.range.find(',');
    const std::string lo = host::Trim(c_.range.substr(0, comma));
    const std::string hi = comma == std::string::npos ? lo : host::Trim(c_.range.substr(comma + 1));
    return code >= lo && code <= hi;
}

bool TDayEndRepSummation::KeysBySql(std::vector<Key>* keys) {
    GenDB* db = launcher_->GetDb();
    const std::string p = db->dbTablePrefix();
    const std::string d = std::to_string(c_.date);
    const bool summary = c_.pass == kSummaryPass;
    auto trt = [&](const char* col) {
        return "SELECT CTRT_ID, CTRT_BILL_DOC, CTRT_PRODUCER, PAT_ID, '' FROM " + p + "CLMTRT," +
               p + "PATCLM," + p + "PATIENT WHERE " + col + " = " + d +
               " and pclm_id = ctrt_pclmid and (pclm_status = 'I' or pclm_status = 'C') and "
               "pat_id = pclm_patid";
    };
    auto pat = [&](const char* col) {
        return "SELECT PAT_ID, PAT_DOCTOR, '', PAT_ID, '' FROM " + p + "PATIENT WHERE " + col +
               " = " + d + " AND (PAT_PATIENT = 'Y')";
    };
    auto acc = [&](const char* rectype, const std::string& extra) {
        return "SELECT APMT_ID, '', '', 0, APMT_RECTYPE FROM " + p + "ACCPMT, " + p +
               "ACCOUNT WHERE APMT_DATE = " + d + " and ACC_ID = APMT_ACCID AND APMT_RECTYPE = '" +
               rectype + "'" + extra;
    };
    const std::string app =
        "SELECT PAPP_ID, PAPP_BILLDR, PAPP_PRODUCER, PAPP_PATID, APMT_RECTYPE FROM " + p +
        "PMTAPP," + p + "ACCPMT WHERE ";
    // The summary's transfers: a later application is a reallocation ('Q').
    const std::string app_q =
        "SELECT PAPP_ID, PAPP_BILLDR, PAPP_PRODUCER, PAPP_PATID, CASE WHEN PAPP_DATE > APMT_DATE "
        "THEN 'Q' ELSE 'P' END FROM " +
        p + "PMTAPP," + p + "ACCPMT WHERE ";
    std::map<char, std::string> sql = {
        {'A', pat("PAT_OPEN_DATE")},
        {'B', pat("PAT_DELETE_DATE")},
        {'F', trt("ctrt_system_date")},
        {'G', trt("ctrt_del_date")},
        {'H', "SELECT POCH_ID, POCH_BILLDR, '', PAT_ID, '' FROM " + p + "PATOCH," + p +
                  "PATIENT WHERE POCH_SYSDATE = " + d + " AND PAT_ID = POCH_PATID"},
        {'K', acc("P", "")},
        {'M', acc("A", "")},
        {'O', acc("T", " AND APMT_DATE = APMT_SYSDATE")},
        // An application of the day, or a back-dated one entered that day.
        {'L',
         app + "(( PAPP_DATE = " + d +
             " AND PAPP_DATE = APMT_DATE AND APMT_DATE >= APMT_SYSDATE) OR (PAPP_SYSDATE = " + d +
             " AND PAPP_DATE < PAPP_SYSDATE)) and APMT_ID = PAPP_APMTID AND APMT_RECTYPE = 'P'"},
        // An adjustment's application of its date, or an earlier one: both fall on the
        // adjustment's date, which is said first so that its index finds them (an OR across
        // the two tables otherwise reads both whole).
        {'N', app + "APMT_DATE = " + d + " AND ((PAPP_DATE = " + d +
                  " AND PAPP_DATE = APMT_DATE) OR (APMT_DATE = " + d +
                  " AND PAPP_DATE < APMT_DATE)) and APMT_ID = PAPP_APMTID AND APMT_RECTYPE = 'A'"},
        {'P', app_q + "PAPP_DATE = " + d +
                  " and APMT_ID = PAPP_APMTID AND (PAPP_DATE > APMT_DATE OR APMT_RECTYPE = 'T')"},
        {'Q', app + "PAPP_DATE = " + d + " and APMT_ID = PAPP_APMTID AND PAPP_DATE > APMT_DATE"},
        {'R', "SELECT APMT_ID, '', '', 0, APMT_RECTYPE FROM " + p + "ACCPMT, " + p +
                  "ACCOUNT WHERE APMT_SYSDATE = " + d +
                  " and ACC_ID = APMT_ACCID AND APMT_DATE > APMT_SYSDATE AND (APMT_RECTYPE = 'P' "
                  "OR APMT_RECTYPE = 'A') "},
    };
    for (char kind : Kinds()) {
        // The summary's transfers and later applications come from one statement; the
        // post-dated payments and adjustments from another.
        if ((summary && kind == 'Q') || kind == 'S') continue;
        if (db->dbOpen(sql[kind], kCursor) != 0) return Fail("Lecture des transactions du jour");
        int r;
        for (r = db->dbFetch(0, kCursor); r == 0; r = db->dbFetch(1, kCursor)) {
            Key k{kind, Long(db, 1, kCursor), Field(db, 2, kCursor), Field(db, 3, kCursor),
                  Long(db, 4, kCursor)};
            const char rectype = Char(db, 5, kCursor);
            if (kind == 'R' && rectype == 'A') k.kind = 'S';
            if (summary && kind == 'P') k.kind = rectype;
            keys->push_back(std::move(k));
        }
        db->dbClose(kCursor);
        if (r < 0) return Fail("Lecture des transactions du jour");
    }
    return true;
}

bool TDayEndRepSummation::KeysByDaySheet(std::vector<Key>* keys) {
    GenDB* db = launcher_->GetDb();
    const std::string kinds = Kinds();
    // Sub-kinds accepted: patients 'P', treatments 'T' or 'D', office charges 'O', the
    // applications 'A' (in the summary pass; the report pass takes any).
    auto accepts = [&](char kind, char sub) {
        if (kind == 'F' || kind == 'G') return sub == 'T' || sub == 'D';
        if (c_.pass != kSummaryPass) return true;
        switch (kind) {
            case 'A':
            case 'B':
                return sub == 'P';
            case 'H':
                return sub == 'O';
            default:
                return sub == 'A';
        }
    };
    // The day sheet is read under a shared lock: no closing rewrites it meanwhile.
    if (!db->Lock("DAYSHT", 2)) {
        error_ = "Le journal de la journée est verrouillé par un autre poste";
        return false;
    }
    const std::string sql = std::string(
                                "SELECT DSHT_SORTID, DSHT_RECID, DSHT_BILLDR, DSHT_PRODUCER, "
                                "DSHT_PATID, DSHT_RECTYPE FROM ") +
                            db->dbTablePrefix() +
                            "DAYSHT WHERE DSHT_DATE = " + std::to_string(c_.date) +
                            " ORDER BY DSHT_SORTID, DSHT_RECID";
    bool ok = db->dbOpen(sql, kCursor) == 0;
    if (ok) {
        int r;
        for (r = db->dbFetch(0, kCursor); r == 0; r = db->dbFetch(1, kCursor)) {
            const char kind = Char(db, 1, kCursor);
            if (kinds.find(kind) == std::string::npos || !accepts(kind, Char(db, 6, kCursor)))
                continue;
            keys->push_back({kind, Long(db, 2, kCursor), Field(db, 3, kCursor),
                             Field(db, 4, kCursor), Long(db, 5, kCursor)});
        }
        db->dbClose(kCursor);
        ok = r >= 0;
    }
    db->Unlock("DAYSHT", 2);
    return ok || Fail("Lecture du journal de la journée");
}

namespace {

bool ForIds(GenDB* db, const std::string& select, const std::vector<long>& ids,
            const std::function<void()>& row) {
    return rowread::ForIds(db, select, ids, kDetailCursor, kBatch, row);
}

struct Trt {
    std::string billdr, producer, status, code, descr, tooth, surface;
    long units = 0, patient = 0;
    bool lab = false;
    char adj_flag = ' ';
    int64_t total = 0, ins = 0, adj = 0;
};
struct Och {
    std::string billdr, code, descr;
    long patient = 0;
    int64_t total = 0;
};
struct Pmt {
    long account = 0, date = 0;
    char rectype = ' ', type = ' ', dep = ' ', adj_kind = ' ';
    std::string code, descr, payor, trxno;
    int64_t total = 0;
};
struct App {
    long pmt = 0, ctrt = 0, poch = 0, patient = 0, date = 0;
    char rectype = ' ', type = ' ';
    std::string billdr, producer;
    int64_t amount = 0;
};
struct Person {
    std::string last, first, address, doctor;
    long account = 0, open = 0, deleted = 0;
};

}  // namespace

bool TDayEndRepSummation::Details(std::vector<Key>& keys, std::vector<Elem>* out) {
    GenDB* db = launcher_->GetDb();
    const std::string p = db->dbTablePrefix();
    const int c = kDetailCursor;
    std::vector<long> trt_ids, och_ids, pmt_ids, app_ids, pat_ids, acc_ids;
    for (const Key& k : keys) {
        switch (k.kind) {
            case 'A':
            case 'B':
                pat_ids.push_back(k.id);
                break;
            case 'F':
            case 'G':
                trt_ids.push_back(k.id);
                break;
            case 'H':
                och_ids.push_back(k.id);
                break;
            case 'K':
            case 'M':
            case 'O':
            case 'R':
            case 'S':
                pmt_ids.push_back(k.id);
                break;
            default:
                app_ids.push_back(k.id);
        }
    }
    std::unordered_map<long, App> apps;
    if (!ForIds(db,
                "SELECT PAPP_ID, PAPP_APMTID, PAPP_RECTYPE, PAPP_CTRTID, PAPP_POCHID, PAPP_PATID, "
                "PAPP_TYPE, PAPP_DATE, PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR FROM " +
                    p + "PMTAPP WHERE PAPP_ID",
                app_ids, [&] {
                    App& a = apps[Long(db, 1, c)];
                    a.pmt = Long(db, 2, c);
                    a.rectype = Char(db, 3, c);
                    a.ctrt = Long(db, 4, c);
                    a.poch = Long(db, 5, c);
                    a.patient = Long(db, 6, c);
                    a.type = Char(db, 7, c);
                    a.date = Long(db, 8, c);
                    a.amount = Long(db, 9, c);
                    a.producer = Field(db, 10, c);
                    a.billdr = Field(db, 11, c);
                }))
        return Fail("Lecture des applications de paiement");
    for (const auto& [id, a] : apps) {
        pmt_ids.push_back(a.pmt);
        if (a.ctrt) trt_ids.push_back(a.ctrt);
        if (a.poch) och_ids.push_back(a.poch);
    }
    std::unordered_map<long, Trt> trts;
    if (!ForIds(db,
                "SELECT CTRT_ID, CTRT_BILL_DOC, CTRT_PRODUCER, CTRT_STATUS, CTRT_CODE, "
                "CTRT_CODE_FC_DESC, CTRT_TOOTH, CTRT_SURFACE, CTRT_UNITS, CTRT_TYPE, CTRT_TOTAL, "
                "CTRT_INS_TOTAL, CTRT_ADJ_FLAG, CTRT_ADJ_AMT, PCLM_PATID FROM " +
                    p + "CLMTRT, " + p + "PATCLM WHERE PCLM_ID = CTRT_PCLMID AND CTRT_ID",
                trt_ids, [&] {
                    Trt& t = trts[Long(db, 1, c)];
                    t.billdr = Field(db, 2, c);
                    t.producer = Field(db, 3, c);
                    t.status = Field(db, 4, c);
                    t.code = Field(db, 5, c);
                    t.descr = Field(db, 6, c);
                    t.tooth = Field(db, 7, c);
                    t.surface = Field(db, 8, c);
                    t.units = Long(db, 9, c);
                    t.lab = Char(db, 10, c) == 'L';
                    t.total = Long(db, 11, c);
                    t.ins = Long(db, 12, c);
                    t.adj_flag = Char(db, 13, c);
                    t.adj = Long(db, 14, c);
                    t.patient = Long(db, 15, c);
                }))
        return Fail("Lecture des traitements");
    std::unordered_map<long, Och> ochs;
    if (!ForIds(db,
                "SELECT POCH_ID, POCH_BILLDR, POCH_CODE, POCH_DESCRIPT, POCH_TOTAL, POCH_PATID "
                "FROM " +
                    p + "PATOCH WHERE POCH_ID",
                och_ids, [&] {
                    Och& o = ochs[Long(db, 1, c)];
                    o.billdr = Field(db, 2, c);
                    o.code = Field(db, 3, c);
                    o.descr = Field(db, 4, c);
                    o.total = Long(db, 5, c);
                    o.patient = Long(db, 6, c);
                }))
        return Fail("Lecture des frais");
    std::unordered_map<long, Pmt> pmts;
    if (!ForIds(db,
                "SELECT APMT_ID, APMT_ACCID, APMT_RECTYPE, APMT_TYPE, APMT_DATE, APMT_CODE, "
                "APMT_DESCRIP, APMT_PAYOR, APMT_TOTAL, APMT_DEP, APMT_ADJ_KIND, APMT_TRXNO FROM " +
                    p + "ACCPMT WHERE APMT_ID",
                pmt_ids, [&] {
                    Pmt& m = pmts[Long(db, 1, c)];
                    m.account = Long(db, 2, c);
                    m.rectype = Char(db, 3, c);
                    m.type = Char(db, 4, c);
                    m.date = Long(db, 5, c);
                    m.code = Field(db, 6, c);
                    m.descr = Field(db, 7, c);
                    m.payor = Field(db, 8, c);
                    m.total = Long(db, 9, c);
                    m.dep = Char(db, 10, c);
                    m.adj_kind = Char(db, 11, c);
                    m.trxno = Field(db, 12, c);
                }))
        return Fail("Lecture des paiements");
    // The code tables are small: read whole.
    std::map<std::string, std::pair<std::string, char>> pmt_codes, adj_codes;
    auto codes = [&](const std::string& sql,
                     std::map<std::string, std::pair<std::string, char>>* m) {
        if (db->dbOpen(sql, c) != 0) return false;
        for (int r = db->dbFetch(0, c); r == 0; r = db->dbFetch(1, c))
            (*m)[Field(db, 1, c)] = {Field(db, 2, c), Char(db, 3, c)};
        db->dbClose(c);
        return true;
    };
    if (!codes("SELECT PAYMENT_CODE, PAYMENT_DESCRIPT, PAYMENT_DPSTS FROM " + p + "PMTSCD",
               &pmt_codes) ||
        !codes("SELECT ADJUST_CODE, ADJUST_DESCRIPT, ADJUST_KIND FROM " + p + "ADJUSTCD",
               &adj_codes))
        return Fail("Lecture des codes de paiement");

    // Whose line it is: the application's own patient, else its treatment's or its
    // office charge's.
    for (Key& k : keys) {
        if (k.patient_id) continue;
        if (auto a = apps.find(k.id); std::strchr("LNPQ", k.kind) && a != apps.end()) {
            k.patient_id = a->second.patient;
            if (!k.patient_id && trts.count(a->second.ctrt))
                k.patient_id = trts[a->second.ctrt].patient;
            if (!k.patient_id && ochs.count(a->second.poch))
                k.patient_id = ochs[a->second.poch].patient;
        } else if (k.kind == 'F' || k.kind == 'G') {
            if (trts.count(k.id)) k.patient_id = trts[k.id].patient;
        } else if (k.kind == 'H') {
            if (ochs.count(k.id)) k.patient_id = ochs[k.id].patient;
        }
    }
    for (const Key& k : keys)
        if (k.patient_id) pat_ids.push_back(k.patient_id);
    std::unordered_map<long, Person> people;
    if (!ForIds(db,
                "SELECT PAT_ID, PAT_LNAME, PAT_PNAME, PAT_ADDR1, PAT_CITY, PAT_DOCTOR, PAT_ACCID, "
                "PAT_OPEN_DATE, PAT_DELETE_DATE FROM " +
                    p + "PATIENT WHERE PAT_ID",
                pat_ids, [&] {
                    Person& w = people[Long(db, 1, c)];
                    w.last = Field(db, 2, c);
                    w.first = Field(db, 3, c);
                    const std::string addr = Field(db, 4, c), city = Field(db, 5, c);
                    w.address = addr.empty() || city.empty() ? addr + city : addr + ", " + city;
                    w.doctor = Field(db, 6, c);
                    w.account = Long(db, 7, c);
                    w.open = Long(db, 8, c);
                    w.deleted = Long(db, 9, c);
                }))
        return Fail("Lecture des patients");
    for (const auto& [id, m] : pmts)
        acc_ids.push_back(m.account);
    std::unordered_map<long, Person> accounts;
    if (!ForIds(db, "SELECT ACC_ID, ACC_LNAME, ACC_PNAME FROM " + p + "ACCOUNT WHERE ACC_ID",
                acc_ids, [&] {
                    Person& w = accounts[Long(db, 1, c)];
                    w.last = Field(db, 2, c);
                    w.first = Field(db, 3, c);
                }))
        return Fail("Lecture des comptes");

    for (const Key& k : keys) {
        Elem e;
        e.kind = k.kind;
        e.rec_id = k.id;
        e.billdr = k.billdr;
        e.producer = k.producer;
        e.patient_id = k.patient_id;
        e.date = c_.date;
        switch (k.kind) {
            case 'A':
            case 'B': {
                auto w = people.find(k.id);
                if (w == people.end()) continue;
                e.billdr = w->second.doctor;
                e.producer = DrCode(e.billdr);
                e.date = k.kind == 'A' ? w->second.open : w->second.deleted;
                e.address = w->second.address;
                e.account_id = w->second.account;
                break;
            }
            case 'F':
            case 'G': {
                auto it = trts.find(k.id);
                if (it == trts.end()) continue;
                const Trt& t = it->second;
                if (k.kind == 'G' && c_.skip_deleted) continue;
                e.billdr = t.billdr;
                e.producer = t.producer;
                e.status = t.status;
                e.code = t.code;
                e.descr = t.descr;
                e.tooth = t.tooth;
                e.surface = t.surface;
                e.units = t.units;
                e.lab = t.lab;
                e.adj_flag = t.adj_flag;
                e.adj = t.adj_flag == 'S' || t.adj_flag == 'D' ? t.adj : 0;
                const int64_t charge = host::calc::ChargeAmount(t.total, t.adj_flag, t.adj);
                e.ins = t.ins;
                e.pat = charge - t.ins;
                e.amount = k.kind == 'F' ? charge : -charge;
                break;
            }
            case 'H': {
                auto it = ochs.find(k.id);
                if (it == ochs.end()) continue;
                e.billdr = it->second.billdr;
                e.producer = DrCode(e.billdr);
                e.code = it->second.code;
                e.descr = it->second.descr;
                e.pat = e.amount = it->second.total;
                break;
            }
            case 'K':
            case 'M':
            case 'O':
            case 'R':
            case 'S': {
                auto it = pmts.find(k.id);
                if (it == pmts.end()) continue;
                const Pmt& m = it->second;
                e.account_id = m.account;
                e.date = m.date;
                e.code = m.code;
                e.type = m.type;
                e.dep = m.dep;
                e.payor = m.payor;
                e.trxno = m.trxno;
                const bool adjustment = m.rectype == 'A';
                const auto& table = adjustment ? adj_codes : pmt_codes;
                auto code = table.find(m.code);
                e.descr = code != table.end() && !code->second.first.empty() ? code->second.first
                                                                             : m.descr;
                if (adjustment)
                    e.adj_kind = m.adj_kind != ' '     ? m.adj_kind
                                 : code != table.end() ? code->second.second
                                                       : 'N';
                else
                    e.direct = code != table.end() && code->second.second == 'Y';
                e.amount = -m.total;
                (m.type == 'I' ? e.ins : e.pat) = e.amount;
                break;
            }
            default: {
                auto it = apps.find(k.id);
                if (it == apps.end()) continue;
                const App& a = it->second;
                auto pm = pmts.find(a.pmt);
                if (pm == pmts.end()) continue;
                const Pmt& m = pm->second;
                e.billdr = a.billdr;
                e.producer = a.producer;
                e.date = a.date;
                e.account_id = m.account;
                e.code = m.code;
                e.type = a.type;
                e.dep = m.dep;
                e.payor = m.payor;
                e.trxno = m.trxno;
                e.lab = a.rectype == 'T' && trts.count(a.ctrt) && trts[a.ctrt].lab;
                const bool adjustment = m.rectype == 'A';
                const auto& table = adjustment ? adj_codes : pmt_codes;
                auto code = table.find(m.code);
                e.descr = code != table.end() && !code->second.first.empty() ? code->second.first
                                                                             : m.descr;
                if (adjustment)
                    e.adj_kind = m.adj_kind != ' '     ? m.adj_kind
                                 : code != table.end() ? code->second.second
                                                       : 'N';
                e.direct = !adjustment && code != table.end() && code->second.second == 'Y';
                e.amount = -a.amount;
                (a.type == 'I' ? e.ins : e.pat) = e.amount;
            }
        }
        const Person* who = nullptr;
        if (e.patient_id && people.count(e.patient_id))
            who = &people[e.patient_id];
        else if (e.account_id && accounts.count(e.account_id))
            who = &accounts[e.account_id];
        if (who) {
            e.last_name = who->last;
            e.first_name = who->first;
        }
        if (!InRange(e)) continue;
        out->push_back(std::move(e));
    }
    return true;
}

bool TDayEndRepSummation::Totals(DayEndData* out) {
    // The month to date and the receivable at the end of the day come from the producer
    // analysis engine, run for the same date.
    if (!engine_ || engine_->GetReportDate() != c_.date) {
        engine_ = std::make_shared<TProducerAnalysisObj>(launcher_, 0, c_.date, nullptr, true);
        if (!engine_->Collect(false, false)) {
            error_ = engine_->Error();
            engine_.reset();
            return false;
        }
    }
    TProducerAnalysisObj& pa = *engine_;
    if (c_.pass == kReportPass) {
        Control& t = out->control;
        for (const Elem& e : out->elems) {
            switch (e.kind) {
                case 'F':
                case 'G':
                    t.day[e.lab ? Control::kLab : Control::kFees] += e.amount;
                    break;
                case 'H':
                    t.day[Control::kCharges] += e.amount;
                    break;
                case 'K':
                case 'L':
                    t.day[Control::kPayments] -= e.amount;
                    break;
                case 'M':
                    if (e.adj_kind == 'N')
                        t.day[Control::kFeeAdj] += e.amount;
                    else
                        t.day[Control::kPmtAdj] -= e.amount;
                    break;
                default:
                    break;
            }
        }
        for (TDElem* el : pa.GetProducerList()) {
            const auto* pi = static_cast<const prodanal_info*>(el);
            t.mtd[Control::kFees] += pi->acc[PA_DENTAL][PA_MTD];
            t.mtd[Control::kLab] += pi->acc[PA_LAB][PA_MTD];
            t.mtd[Control::kCharges] += pi->acc[PA_OFFCHG][PA_MTD];
            t.mtd[Control::kFeeAdj] += pi->acc[PA_FEEADJ][PA_MTD];
            t.mtd[Control::kPayments] -= pi->acc[PA_PMT_TOT][PA_MTD];
            t.mtd[Control::kPmtAdj] -= pi->acc[PA_PADJ_TOT][PA_MTD];
        }
        for (TDElem* el : pa.GetCodeList())
            t.closing += static_cast<const drbalfwd_info*>(el)->bal_prod;
        return true;
    }

    // The summary pass: one summary per producer, in code order.
    std::map<std::string, ProducerSummary> by_code;
    GenDB* db = launcher_->GetDb();
    const int c = kDetailCursor;
    if (db->dbOpen(std::string("SELECT PROD_CODE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_TITLE, "
                               "PROD_TYPE FROM ") +
                       db->dbTablePrefix() + "PRODCD ORDER BY PROD_CODE",
                   c) != 0)
        return Fail("Lecture des producteurs");
    for (int r = db->dbFetch(0, c); r == 0; r = db->dbFetch(1, c)) {
        ProducerSummary s;
        s.code = Field(db, 1, c);
        const std::string first = Field(db, 2, c), last = Field(db, 3, c), title = Field(db, 4, c);
        s.heading = title.empty()
                        ? host::U8Format("%s %s (%s)", first.c_str(), last.c_str(), s.code.c_str())
                        : host::U8Format("%s %s, %s (%s)", first.c_str(), last.c_str(),
                                         title.c_str(), s.code.c_str());
        s.type = Char(db, 5, c);
        s.working = false;
        by_code[s.code] = s;
    }
    db->dbClose(c);
    for (const Elem& e : out->elems) {
        const std::string code = e.producer.empty() ? DrCode(e.billdr) : e.producer;
        auto [it, added] = by_code.try_emplace(code);
        ProducerSummary& s = it->second;
        if (added) {
            s.code = code;
            s.heading = "(" + code + ")";
            s.working = false;
        }
        s.working = true;
        switch (e.kind) {
            case 'A':
            case 'B':
                s.Line(e.kind).total += 1;
                break;
            case 'F':
            case 'G':
            case 'H':
                s.Line(e.kind).Add(e.pat, e.ins);
                break;
            case 'L':
                s.Line(e.direct ? 'M' : 'L').Add(-e.pat, -e.ins);
                (e.lab ? s.lab : s.fees).Add(-e.pat, -e.ins);
                break;
            case 'N':
                if (e.adj_kind == 'N')
                    s.Line('I').Add(e.pat, e.ins);
                else
                    s.Line('V').Add(-e.pat, -e.ins);
                break;
            default:  // 'P', 'Q'
                s.Line('P').Add(-e.pat, -e.ins);
        }
    }
    for (auto& [code, s] : by_code) {
        if (const drbalfwd_info* b = pa.FindCode(code)) s.closing = b->bal_prod;
        if (!s.working && s.closing == 0) continue;
        (s.working ? out->producers : out->idle).push_back(s);
    }
    ProducerSummary& all = out->practice;
    all.code.clear();
    for (const auto& list : {out->producers, out->idle})
        for (const ProducerSummary& s : list) {
            for (size_t i = 0; i < all.lines.size(); ++i)
                all.lines[i].Add(s.lines[i]);
            all.lines[0].total += 0;
            all.fees.Add(s.fees);
            all.lab.Add(s.lab);
            all.closing += s.closing;
        }
    return true;
}

Outcome TDayEndRepSummation::Collect(DayEndData* out, std::string* error) {
    *out = DayEndData{};
    out->criteria = c_;
    if (!launcher_ || !launcher_->GetDb()) {
        *error = "Aucune base de données";
        return Outcome::Failed;
    }
    std::vector<Key> keys;
    const bool ok = c_.calc_mode == 1 ? KeysBySql(&keys) : KeysByDaySheet(&keys);
    if (!ok || !Details(keys, &out->elems)) {
        *error = error_;
        return Outcome::Failed;
    }
    if (meter_ && meter_->Cancel()) return Outcome::Cancelled;

    // The report pass lists section by section, each by patient name (or in the order
    // entered); the summary pass producer by producer.
    const bool chrono = c_.chrono;
    auto name = [](const Elem& e) {
        return host::SortKey(e.last_name) + '\x01' + host::SortKey(e.first_name);
    };
    if (c_.pass == kSummaryPass)
        std::stable_sort(out->elems.begin(), out->elems.end(), [](const Elem& a, const Elem& b) {
            return std::tie(a.producer, a.kind, a.rec_id) < std::tie(b.producer, b.kind, b.rec_id);
        });
    else
        std::stable_sort(out->elems.begin(), out->elems.end(), [&](const Elem& a, const Elem& b) {
            const char sa = SectionOf(a.kind), sb = SectionOf(b.kind);
            if (sa != sb) return sa < sb;
            if (!chrono) {
                const std::string na = name(a), nb = name(b);
                if (na != nb) return na < nb;
                if (a.patient_id != b.patient_id) return a.patient_id < b.patient_id;
            }
            return std::tie(a.kind, a.rec_id) < std::tie(b.kind, b.rec_id);
        });

    if (c_.pass == kReportPass) {
        for (const Elem& e : out->elems) {
            const char kind = SectionOf(e.kind);
            if (out->sections.empty() || out->sections.back().kind != kind) {
                Section s;
                s.kind = kind;
                out->sections.push_back(std::move(s));
            }
            Section& s = out->sections.back();
            s.lines.push_back(e);
            if (kind == 'F' || kind == 'G') {
                const int64_t base = e.pat + e.ins - (e.adj_flag == 'S' ? e.adj : 0) +
                                     (e.adj_flag == 'D' ? e.adj : 0);
                (e.lab ? s.lab : s.fees) += base;
                if (e.adj_flag == 'S') s.extra += e.adj;
                if (e.adj_flag == 'D') s.discount += e.adj;
                s.total += e.pat + e.ins;
            } else if (kind == 'A' || kind == 'B') {
                s.total += 1;
            } else {
                s.total += e.amount;
                if (e.kind == 'M' || e.kind == 'S')
                    (e.adj_kind == 'N' ? s.fee_adj : s.pmt_adj) += e.amount;
            }
        }
    }
    TPracAddIni prac(launcher_->GetDb());
    out->practice_name = prac.GetRec().name;
    if (!Totals(out)) {
        *error = error_;
        return Outcome::Failed;
    }
    return Outcome::Done;
}

}  // namespace dayend
