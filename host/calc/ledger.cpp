#include "host/calc/ledger.h"

#include <unordered_set>

#include "host/base/errors.h"
#include "host/base/numfmt.h"
#include "host/records/context.h"
#include "host/records/records.h"

namespace host::calc {

const char* const kTreatmentColumns =
    "CTRT_ID, PCLM_PATID, CTRT_DATE, CTRT_DEL_DATE, CTRT_PRODUCER, CTRT_BILL_DOC, CTRT_TOTAL, "
    "CTRT_INS_TOTAL, CTRT_ADJ_FLAG, CTRT_ADJ_AMT";
const char* const kOfficeChargeColumns =
    "POCH_ID, POCH_PATID, POCH_DATE, POCH_DELDATE, POCH_BILLDR, POCH_TOTAL";
const char* const kApplicationColumns =
    "PAPP_ID, PAPP_DATE, PAPP_TYPE, PAPP_RECTYPE, PAPP_CTRTID, PAPP_POCHID, PAPP_AMOUNT, "
    "PAPP_PRODUCER, PAPP_BILLDR, PAPP_PATID, APMT_DELDATE, APMT_REVERSED, PAPP_APMTID";

namespace {

// Cursor numbers of the calculators' queries.
constexpr int kCurCharges = 31001;
constexpr int kCurOffice = 31002;
constexpr int kCurApps = 31003;
constexpr int kCurPatient = 31004;

constexpr const char* kWhat = "Calcul des comptes à recevoir : ";

bool Fail(GenDB& db, TEmgBase* err, const char* what) {
    if (err) {
        std::string text = std::string(kWhat) + what;
        if (db.dbLastError()) text += " (" + std::string(db.dbLastError()) + ")";
        err->SetErrText(text);
    }
    return false;
}

char FirstChar(std::string_view s) {
    return s.empty() ? '\0' : s.front();
}

// An amount column of the cursor, refused beyond the stored range.
bool Amount(const host::DbCursor& c, int col, const char* table, const char* column, int id_col,
            int64_t* out, std::string* error) {
    *out = c.Int(col);
    if (host::FitsStoredInt(*out)) return true;
    if (error) *error = host::StoredValueOutOfRange(table, column, c.Int(id_col), *out);
    return false;
}

LedgerCharge TreatmentCharge(long id, long patient, long date, long deleted, std::string producer,
                             std::string billdr, int64_t total, int64_t ins_estimate, char adj_flag,
                             int64_t adj_amount) {
    LedgerCharge c;
    c.id = id;
    c.patient = patient;
    c.date = date;
    c.deleted = deleted;
    c.producer = std::move(producer);
    c.billdr = std::move(billdr);
    c.total = total;
    c.ins_estimate = ins_estimate;
    c.adj_flag = adj_flag;
    c.adj_amount = adj_amount;
    return c;
}

// An office charge is credited to its billing doctor's producer code.
LedgerCharge OfficeCharge(long id, long patient, long date, long deleted, std::string billdr,
                          int64_t total) {
    LedgerCharge c =
        TreatmentCharge(id, patient, date, deleted, "D" + billdr, billdr, total, 0, '\0', 0);
    c.office = true;
    return c;
}

LedgerApplication MakeApplication(long date, char type, char rectype, long ctrt, long poch,
                                  int64_t amount, std::string producer, std::string billdr,
                                  long patient, long payment_undone, char payment_reversed,
                                  long payment) {
    LedgerApplication a;
    a.date = date;
    a.type = type ? type : 'P';
    a.rectype = rectype ? rectype : 'T';
    a.charge_id = a.rectype == 'O' ? poch : a.rectype == 'T' ? ctrt : 0;
    a.amount = amount;
    a.producer = std::move(producer);
    a.billdr = std::move(billdr);
    a.patient = patient;
    a.payment_undone = payment_undone;
    a.payment_reversed = payment_reversed == 'Y';
    a.payment = payment;
    return a;
}

}  // namespace

bool ReadTreatment(const host::DbCursor& c, int first, LedgerCharge* out, std::string* error) {
    int64_t total = 0, ins = 0, adj = 0;
    if (!Amount(c, first + 6, "CLMTRT", "CTRT_TOTAL", first, &total, error) ||
        !Amount(c, first + 7, "CLMTRT", "CTRT_INS_TOTAL", first, &ins, error) ||
        !Amount(c, first + 9, "CLMTRT", "CTRT_ADJ_AMT", first, &adj, error))
        return false;
    *out = TreatmentCharge(static_cast<long>(c.Int(first)), static_cast<long>(c.Int(first + 1)),
                           static_cast<long>(c.Int(first + 2)), static_cast<long>(c.Int(first + 3)),
                           std::string(c.Text(first + 4)), std::string(c.Text(first + 5)), total,
                           ins, FirstChar(c.Text(first + 8)), adj);
    return true;
}

bool ReadOfficeCharge(const host::DbCursor& c, int first, LedgerCharge* out, std::string* error) {
    int64_t total = 0;
    if (!Amount(c, first + 5, "PATOCH", "POCH_TOTAL", first, &total, error)) return false;
    *out = OfficeCharge(static_cast<long>(c.Int(first)), static_cast<long>(c.Int(first + 1)),
                        static_cast<long>(c.Int(first + 2)), static_cast<long>(c.Int(first + 3)),
                        std::string(c.Text(first + 4)), total);
    return true;
}

bool ReadApplication(const host::DbCursor& c, int first, LedgerApplication* out,
                     std::string* error) {
    int64_t amount = 0;
    if (!Amount(c, first + 6, "PMTAPP", "PAPP_AMOUNT", first, &amount, error)) return false;
    *out =
        MakeApplication(static_cast<long>(c.Int(first + 1)), FirstChar(c.Text(first + 2)),
                        FirstChar(c.Text(first + 3)), static_cast<long>(c.Int(first + 4)),
                        static_cast<long>(c.Int(first + 5)), amount, std::string(c.Text(first + 7)),
                        std::string(c.Text(first + 8)), static_cast<long>(c.Int(first + 9)),
                        static_cast<long>(c.Int(first + 10)), FirstChar(c.Text(first + 11)),
                        static_cast<long>(c.Int(first + 12)));
    return true;
}

LedgerSource::LedgerSource(DLnkList* list, MsgInfo* msg, int mode)
    : list_(list), msg_(msg), mode_(mode) {}

LedgerSource::~LedgerSource() = default;

bool LedgerSource::Account(long acc_id, Ledger* out, TEmgBase* err) {
    out->charges.clear();
    out->applications.clear();
    if (!list_ || !list_->db()) {
        if (err) err->SetErrText("Calcul des comptes à recevoir : aucune base de données ouverte");
        return false;
    }
    if (mode_ != 1) return ByRecords(acc_id, out, err);
    if (provided_id_ != 0 && provided_id_ == acc_id) {
        *out = std::move(provided_);
        provided_ = Ledger{};
        provided_id_ = 0;
        return true;
    }
    return ReadSql(acc_id, out, err);
}

bool LedgerSource::ReadSql(long acc_id, Ledger* out, TEmgBase* err) {
    GenDB& db = *list_->db();
    const std::string p = db.dbTablePrefix();
    const std::vector<host::SqlValue> ids = {host::SqlValue(acc_id)};

    // Reads the rows of one statement (the ledger's columns from the second on) into the
    // ledger, item by item.
    std::string refused;
    auto read = [&]<typename Item>(const std::string& sql, int cursor, const char* what,
                                   bool (*decode)(const host::DbCursor&, int, Item*, std::string*),
                                   std::vector<Item> Ledger::*items) {
        if (db.dbOpenParams(sql.c_str(), ids, cursor) != 0) return Fail(db, err, what);
        host::DbCursor& c = *db.Cursor(cursor);
        int r;
        for (r = c.Fetch(true); r == 0; r = c.Fetch(false)) {
            Item item;
            if (!decode(c, 2, &item, &refused)) break;
            (out->*items).push_back(std::move(item));
        }
        db.dbClose(cursor);
        if (!refused.empty()) {
            if (err) err->SetErrText(kWhat + refused);
            return false;
        }
        return r < 0 ? Fail(db, err, what) : true;
    };
    return read("SELECT PAT_ACCID, " + std::string(kTreatmentColumns) + " FROM " + p + "CLMTRT, " +
                    p + "PATCLM, " + p +
                    "PATIENT WHERE PAT_ACCID = ? AND PCLM_PATID = PAT_ID AND CTRT_PCLMID = PCLM_ID"
                    " AND (PCLM_STATUS = 'I' OR PCLM_STATUS = 'C')",
                kCurCharges, "traitements", &ReadTreatment, &Ledger::charges) &&
           read("SELECT PAT_ACCID, " + std::string(kOfficeChargeColumns) + " FROM " + p +
                    "PATOCH, " + p + "PATIENT WHERE PAT_ACCID = ? AND POCH_PATID = PAT_ID",
                kCurOffice, "frais de cabinet", &ReadOfficeCharge, &Ledger::charges) &&
           read("SELECT APMT_ACCID, " + std::string(kApplicationColumns) + " FROM " + p +
                    "PMTAPP, " + p + "ACCPMT WHERE APMT_ACCID = ? AND PAPP_APMTID = APMT_ID",
                kCurApps, "paiements", &ReadApplication, &Ledger::applications);
}

bool LedgerSource::ByRecords(long acc_id, Ledger* out, TEmgBase* err) {
    TEmgBase local;
    TEmgBase* e = err ? err : &local;
    PersInfo patients(list_, msg_);
    if (!patients.GetAccountPatients(acc_id, e)) return !patients.DbFailed();
    PatClmInfo claims(list_, msg_);
    ClmTrtInfo treatments(list_, msg_);
    PatOffChgInfo office(list_, msg_);
    for (const patient_struct& pat : patients.Items()) {
        for (bool ok = claims.DBFindFirst(PatClmInfo::KEY_PATIENT, {pat.pat_id}, e); ok;
             ok = claims.DBFindNext(e)) {
            const patclm_struct& clm = *claims.GetRecPtr();
            if (clm.status != 'I' && clm.status != 'C') continue;
            for (bool t = treatments.DBFindFirst(ClmTrtInfo::KEY_CLAIM, {clm.pclm_id}, e); t;
                 t = treatments.DBFindNext(e)) {
                const clmtrt_struct& trt = *treatments.GetRecPtr();
                out->charges.push_back(TreatmentCharge(
                    trt.ctrt_id, pat.pat_id, trt.date, trt.del_date, trt.producer, trt.bill_doc,
                    trt.total, trt.ins_total, trt.adj_flag, trt.adj_amt));
            }
            if (treatments.DbFailed()) return false;
        }
        if (claims.DbFailed()) return false;
        for (bool ok = office.DBFindFirst(PatOffChgInfo::KEY_PATIENT, {pat.pat_id}, e); ok;
             ok = office.DBFindNext(e)) {
            const patoch_struct& och = *office.GetRecPtr();
            out->charges.push_back(OfficeCharge(och.poch_id, pat.pat_id, och.date, och.deldate,
                                                och.billdr, och.total));
        }
        if (office.DbFailed()) return false;
    }
    AccPmtInfo payments(list_, msg_);
    PmtAppInfo apps(list_, msg_);
    for (bool ok = payments.DBFindFirst(AccPmtInfo::KEY_ACCOUNT, {acc_id}, e); ok;
         ok = payments.DBFindNext(e)) {
        const accpmt_struct& pmt = *payments.GetRecPtr();
        for (bool a = apps.DBFindFirst(PmtAppInfo::KEY_PAYMENT, {pmt.apmt_id}, e); a;
             a = apps.DBFindNext(e)) {
            const pmtapp_struct& app = *apps.GetRecPtr();
            out->applications.push_back(MakeApplication(
                app.date, app.type, app.rectype, app.ctrt_id, app.poch_id, app.amount, app.producer,
                app.billdr, app.pat_id, pmt.deldate, pmt.reversed, pmt.apmt_id));
        }
        if (apps.DbFailed()) return false;
    }
    return !payments.DbFailed();
}

long LedgerSource::AccountOfPatient(long pat_id, TEmgBase* err) {
    if (!list_ || !list_->db()) return 0;
    if (mode_ == 1) {
        GenDB& db = *list_->db();
        const std::string q = "SELECT PAT_ACCID FROM " + std::string(db.dbTablePrefix()) +
                              "PATIENT WHERE PAT_ID = " + std::to_string(pat_id);
        long acc = 0;
        if (db.dbOpen(q, kCurPatient) == 0 && db.dbFetch(0, kCurPatient) == 0)
            db.dbGetLong(1, &acc, kCurPatient);
        db.dbClose(kCurPatient);
        return acc;
    }
    PersInfo patient(list_, msg_);
    return patient.DBFindRecById(pat_id, err) ? patient.GetRecPtr()->acc_id : 0;
}

Ledger PatientPart(const Ledger& account, long pat_id) {
    Ledger part;
    // The account's charges, and those of the patient.
    std::unordered_set<long> treatments, office, mine_t, mine_o;
    for (const LedgerCharge& c : account.charges) {
        (c.office ? office : treatments).insert(c.id);
        if (c.patient != pat_id) continue;
        part.charges.push_back(c);
        (c.office ? mine_o : mine_t).insert(c.id);
    }
    for (const LedgerApplication& a : account.applications) {
        // An application to a charge of the ledger goes with that charge; any other (a
        // credit, or money put on a line of a claim not yet invoiced) with its patient.
        bool mine = a.patient == pat_id;
        if (a.rectype == 'O' && office.count(a.charge_id)) mine = mine_o.count(a.charge_id) != 0;
        if (a.rectype == 'T' && treatments.count(a.charge_id))
            mine = mine_t.count(a.charge_id) != 0;
        if (mine) part.applications.push_back(a);
    }
    return part;
}

}  // namespace host::calc
