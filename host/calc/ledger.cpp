#include "host/calc/ledger.h"

#include <unordered_set>

#include "host/base/errors.h"
#include "host/records/context.h"
#include "host/records/records.h"

namespace host::calc {
namespace {

// Cursor numbers of the calculators' queries.
constexpr int kCurCharges = 31001;
constexpr int kCurOffice = 31002;
constexpr int kCurApps = 31003;
constexpr int kCurPatient = 31004;

bool Fail(GenDB& db, TEmgBase* err, const char* what) {
    if (err) {
        std::string text = std::string("Calcul des comptes à recevoir : ") + what;
        if (db.dbLastError()) text += " (" + std::string(db.dbLastError()) + ")";
        err->SetErrText(text);
    }
    return false;
}

std::string Text(GenDB& db, int col, int cursor) {
    std::string s;
    db.dbGetField(col, &s, cursor);
    return s;
}

long Long(GenDB& db, int col, int cursor) {
    long v = 0;
    db.dbGetLong(col, &v, cursor);
    return v;
}

char Char(GenDB& db, int col, int cursor) {
    char c = 0;
    db.dbGetChar(col, &c, cursor);
    return c;
}

LedgerCharge TreatmentCharge(long id, long patient, long date, long deleted, std::string producer,
                             std::string billdr, int64_t total, int64_t ins_estimate) {
    LedgerCharge c;
    c.id = id;
    c.patient = patient;
    c.date = date;
    c.deleted = deleted;
    c.producer = std::move(producer);
    c.billdr = std::move(billdr);
    c.total = total;
    c.ins_estimate = ins_estimate;
    return c;
}

// An office charge is credited to its billing doctor's producer code.
LedgerCharge OfficeCharge(long id, long patient, long date, long deleted, std::string billdr,
                          int64_t total) {
    LedgerCharge c = TreatmentCharge(id, patient, date, deleted, "D" + billdr, billdr, total, 0);
    c.office = true;
    return c;
}

// The application as the aging sees it (a deleted or future payment is left out by the
// callers).
LedgerApplication MakeApplication(long date, char type, char rectype, long ctrt, long poch,
                                  long amount, std::string producer, std::string billdr,
                                  long patient) {
    LedgerApplication a;
    a.date = date;
    a.type = type ? type : 'P';
    a.rectype = rectype ? rectype : 'T';
    a.charge_id = a.rectype == 'O' ? poch : a.rectype == 'T' ? ctrt : 0;
    a.amount = amount;
    a.producer = std::move(producer);
    a.billdr = std::move(billdr);
    a.patient = patient;
    return a;
}

}  // namespace

LedgerSource::LedgerSource(DLnkList* list, MsgInfo* msg, int mode)
    : list_(list), msg_(msg), mode_(mode) {}

LedgerSource::~LedgerSource() = default;

bool LedgerSource::Account(long acc_id, long as_of, Ledger* out, TEmgBase* err) {
    out->charges.clear();
    out->applications.clear();
    if (!list_ || !list_->db()) {
        if (err) err->SetErrText("Calcul des comptes à recevoir : aucune base de données ouverte");
        return false;
    }
    if (mode_ != 1) return ByRecords(acc_id, as_of, out, err);
    if (as_of == prefetch_as_of_) {
        auto it = prefetched_.find(acc_id);
        if (it != prefetched_.end()) {
            *out = std::move(it->second);
            prefetched_.erase(it);
            return true;
        }
    }
    std::unordered_map<long, Ledger> one;
    if (!ReadSql({acc_id}, as_of, &one, err)) return false;
    *out = std::move(one[acc_id]);
    return true;
}

bool LedgerSource::Prefetch(const std::vector<long>& acc_ids, long as_of, TEmgBase* err) {
    prefetched_.clear();
    if (mode_ != 1 || acc_ids.empty() || !list_ || !list_->db()) return true;
    std::unordered_map<long, Ledger> read;
    for (long id : acc_ids)
        read[id];  // an account without rows has an empty ledger
    if (!ReadSql(acc_ids, as_of, &read, err)) return false;
    prefetched_ = std::move(read);
    prefetch_as_of_ = as_of;
    return true;
}

bool LedgerSource::ReadSql(const std::vector<long>& acc_ids, long as_of,
                           std::unordered_map<long, Ledger>* out, TEmgBase* err) {
    GenDB& db = *list_->db();
    const std::string p = db.dbTablePrefix();
    std::string marks;
    std::vector<host::SqlValue> ids;
    for (long id : acc_ids) {
        marks += marks.empty() ? "?" : ", ?";
        ids.emplace_back(id);
    }
    const std::string patient_condition =
        acc_ids.size() == 1 ? "PAT_ACCID = ?" : "PAT_ACCID IN (" + marks + ")";
    const std::string payment_condition =
        acc_ids.size() == 1 ? "APMT_ACCID = ?" : "APMT_ACCID IN (" + marks + ")";

    const std::string charges =
        "SELECT PAT_ACCID, CTRT_ID, PCLM_PATID, CTRT_DATE, CTRT_DEL_DATE, CTRT_PRODUCER, "
        "CTRT_BILL_DOC, CTRT_TOTAL, CTRT_INS_TOTAL FROM " +
        p + "CLMTRT, " + p + "PATCLM, " + p + "PATIENT WHERE " + patient_condition +
        " AND PCLM_PATID = PAT_ID AND CTRT_PCLMID = PCLM_ID"
        " AND (PCLM_STATUS = 'I' OR PCLM_STATUS = 'C')";
    if (db.dbOpenParams(charges.c_str(), ids, kCurCharges) != 0)
        return Fail(db, err, "traitements");
    int r;
    for (r = db.dbFetch(0, kCurCharges); r == 0; r = db.dbFetch(1, kCurCharges)) {
        (*out)[Long(db, 1, kCurCharges)].charges.push_back(TreatmentCharge(
            Long(db, 2, kCurCharges), Long(db, 3, kCurCharges), Long(db, 4, kCurCharges),
            Long(db, 5, kCurCharges), Text(db, 6, kCurCharges), Text(db, 7, kCurCharges),
            Long(db, 8, kCurCharges), Long(db, 9, kCurCharges)));
    }
    db.dbClose(kCurCharges);
    if (r < 0) return Fail(db, err, "traitements");

    const std::string office =
        "SELECT PAT_ACCID, POCH_ID, POCH_PATID, POCH_DATE, POCH_DELDATE, POCH_BILLDR, POCH_TOTAL "
        "FROM " +
        p + "PATOCH, " + p + "PATIENT WHERE " + patient_condition + " AND POCH_PATID = PAT_ID";
    if (db.dbOpenParams(office.c_str(), ids, kCurOffice) != 0)
        return Fail(db, err, "frais de cabinet");
    for (r = db.dbFetch(0, kCurOffice); r == 0; r = db.dbFetch(1, kCurOffice)) {
        (*out)[Long(db, 1, kCurOffice)].charges.push_back(OfficeCharge(
            Long(db, 2, kCurOffice), Long(db, 3, kCurOffice), Long(db, 4, kCurOffice),
            Long(db, 5, kCurOffice), Text(db, 6, kCurOffice), Long(db, 7, kCurOffice)));
    }
    db.dbClose(kCurOffice);
    if (r < 0) return Fail(db, err, "frais de cabinet");

    const std::string apps =
        "SELECT APMT_ACCID, PAPP_DATE, PAPP_TYPE, PAPP_RECTYPE, PAPP_CTRTID, PAPP_POCHID, "
        "PAPP_AMOUNT, PAPP_PRODUCER, PAPP_BILLDR, PAPP_PATID, APMT_DELDATE FROM " +
        p + "PMTAPP, " + p + "ACCPMT WHERE " + payment_condition + " AND PAPP_APMTID = APMT_ID";
    if (db.dbOpenParams(apps.c_str(), ids, kCurApps) != 0) return Fail(db, err, "paiements");
    for (r = db.dbFetch(0, kCurApps); r == 0; r = db.dbFetch(1, kCurApps)) {
        const long deleted = Long(db, 11, kCurApps);
        if (deleted != 0 && deleted <= as_of) continue;
        (*out)[Long(db, 1, kCurApps)].applications.push_back(
            MakeApplication(Long(db, 2, kCurApps), Char(db, 3, kCurApps), Char(db, 4, kCurApps),
                            Long(db, 5, kCurApps), Long(db, 6, kCurApps), Long(db, 7, kCurApps),
                            Text(db, 8, kCurApps), Text(db, 9, kCurApps), Long(db, 10, kCurApps)));
    }
    db.dbClose(kCurApps);
    if (r < 0) return Fail(db, err, "paiements");
    return true;
}

bool LedgerSource::ByRecords(long acc_id, long as_of, Ledger* out, TEmgBase* err) {
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
                out->charges.push_back(TreatmentCharge(trt.ctrt_id, pat.pat_id, trt.date,
                                                       trt.del_date, trt.producer, trt.bill_doc,
                                                       trt.total, trt.ins_total));
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
        if (pmt.deldate != 0 && pmt.deldate <= as_of) continue;
        for (bool a = apps.DBFindFirst(PmtAppInfo::KEY_PAYMENT, {pmt.apmt_id}, e); a;
             a = apps.DBFindNext(e)) {
            const pmtapp_struct& app = *apps.GetRecPtr();
            out->applications.push_back(MakeApplication(app.date, app.type, app.rectype,
                                                        app.ctrt_id, app.poch_id, app.amount,
                                                        app.producer, app.billdr, app.pat_id));
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
    std::unordered_set<long> treatments, office;
    for (const LedgerCharge& c : account.charges) {
        if (c.patient != pat_id) continue;
        part.charges.push_back(c);
        (c.office ? office : treatments).insert(c.id);
    }
    for (const LedgerApplication& a : account.applications) {
        const bool mine = a.rectype == 'O'   ? office.count(a.charge_id) != 0
                          : a.rectype == 'T' ? treatments.count(a.charge_id) != 0
                                             : a.patient == pat_id;
        if (mine) part.applications.push_back(a);
    }
    return part;
}

}  // namespace host::calc
