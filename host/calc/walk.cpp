#include "host/calc/walk.h"

#include <algorithm>

#include "host/records/context.h"

namespace host::calc {

namespace {

// Cursor numbers of the walk's streams.
constexpr int kCurNames = 31010;
constexpr int kCurTreatments = 31011;
constexpr int kCurOffice = 31012;
constexpr int kCurApplications = 31013;

}  // namespace

bool AccountRows::Open(const std::string& sql, const std::vector<SqlValue>& params) {
    Close();
    if (db_.dbOpenStream(sql, params, cursor_) != 0) return false;
    c_ = db_.Cursor(cursor_);
    state_ = c_->Fetch(true);
    return state_ >= 0;
}

void AccountRows::Close() {
    if (c_) db_.dbClose(cursor_);
    c_ = nullptr;
    state_ = 1;
}

AccountWalk::AccountWalk(DLnkList* list, MsgInfo* msg, LedgerSource* source, bool with_patients)
    : msg_(msg),
      db_(list ? list->db() : nullptr),
      source_(source && source->mode() == 1 ? source : nullptr),
      accounts_(list, msg),
      patient_walk_(list, msg),
      with_patients_(with_patients) {}

AccountWalk::~AccountWalk() = default;

bool AccountWalk::Start(std::string* error) {
    if (!db_) {
        *error = "Aucune base de données ouverte";
        return false;
    }
    const std::string p = db_->dbTablePrefix();
    auto failed = [&](const char* what) {
        *error = what;
        if (db_->dbLastError()) *error += std::string(" : ") + db_->dbLastError();
        return false;
    };
    // The name order, as the accounts' name key walks it.
    if (db_->dbOpenStream(
            "SELECT ACC_ID FROM " + p + "ACCOUNT ORDER BY ACC_LNAME, ACC_PNAME, ACC_ID", {},
            kCurNames) != 0)
        return failed("Lecture des comptes");
    DbCursor* names = db_->Cursor(kCurNames);
    long rank = 0;
    int r;
    for (r = names->Fetch(true); r == 0; r = names->Fetch(false))
        by_id_.emplace_back(static_cast<long>(names->Int(1)), rank++);
    const std::string names_error = r < 0 && db_->dbLastError() ? db_->dbLastError() : "";
    db_->dbClose(kCurNames);
    if (r < 0) {
        *error = "Lecture des comptes : " + names_error;
        return false;
    }
    std::sort(by_id_.begin(), by_id_.end());
    if (!source_) return true;
    // The ledger, one stream per table, each ordered by account. The treatment lines and the
    // applications come along the indexes that carry their columns (a patient's claims, a
    // claim's lines; an account's payments, a payment's applications), already in account
    // order. SQLite joins so by itself; PostgreSQL, planning for the last row, would rather
    // hash both tables whole and sort the join by account (on a group practice twice the
    // time, on three processes instead of one), so there each parent's rows are asked for
    // apart (LATERAL; OFFSET 0 keeps the subquery from being merged back into a join).
    const bool by_parent = db_->engine() == GenDB::Engine::PostgreSQL;
    const std::string t = kTreatmentColumns, a = kApplicationColumns;
    const std::string claimed =
        "CTRT_PCLMID = PCLM_ID AND (PCLM_STATUS = 'I' OR PCLM_STATUS = 'C')";
    const std::string treatments =
        by_parent ? "SELECT PAT_ACCID, l.* FROM " + p + "PATIENT CROSS JOIN LATERAL (SELECT " + t +
                        " FROM " + p + "PATCLM, " + p + "CLMTRT WHERE PCLM_PATID = PAT_ID AND " +
                        claimed + " OFFSET 0) l ORDER BY PAT_ACCID"
                  : "SELECT PAT_ACCID, " + t + " FROM " + p + "CLMTRT, " + p + "PATCLM, " + p +
                        "PATIENT WHERE PCLM_PATID = PAT_ID AND " + claimed + " ORDER BY PAT_ACCID";
    const std::string applications =
        by_parent ? "SELECT APMT_ACCID, l.* FROM " + p + "ACCPMT CROSS JOIN LATERAL (SELECT " + a +
                        " FROM " + p + "PMTAPP WHERE PAPP_APMTID = APMT_ID OFFSET 0) l" +
                        " ORDER BY APMT_ACCID"
                  : "SELECT APMT_ACCID, " + a + " FROM " + p + "PMTAPP, " + p +
                        "ACCPMT WHERE PAPP_APMTID = APMT_ID ORDER BY APMT_ACCID";
    treatments_ = std::make_unique<AccountRows>(*db_, kCurTreatments);
    office_ = std::make_unique<AccountRows>(*db_, kCurOffice);
    applications_ = std::make_unique<AccountRows>(*db_, kCurApplications);
    if (!treatments_->Open(treatments)) return failed("Lecture des traitements");
    if (!office_->Open("SELECT PAT_ACCID, " + std::string(kOfficeChargeColumns) + " FROM " + p +
                       "PATOCH, " + p + "PATIENT WHERE POCH_PATID = PAT_ID ORDER BY PAT_ACCID"))
        return failed("Lecture des frais de cabinet");
    if (!applications_->Open(applications)) return failed("Lecture des paiements");
    return true;
}

bool AccountWalk::Next(std::string* error) {
    TEmgBase& err = msg_->errors();
    auto failed = [&](const std::string& what) {
        *error = FailureText(*msg_, db_, what);
        return false;
    };
    const bool more = started_ ? accounts_.DBGetNext(&err) : accounts_.DBGetFirst(&err);
    if (!started_ && !with_patients_) {
        patients_done_ = true;
    } else if (!started_) {
        patient_walk_.SetKey(PersInfo::KEY_ACCOUNT);
        patient_ahead_ = patient_walk_.DBGetFirst(&err);
        if (patient_walk_.DbFailed()) return failed("Lecture des patients");
        patients_done_ = !patient_ahead_;
    }
    started_ = true;
    if (!more) return accounts_.DbFailed() ? failed("Lecture des comptes") : false;
    const long id = Account().acc_id;

    while (next_ < by_id_.size() && by_id_[next_].first < id)
        ++next_;
    rank_ = next_ < by_id_.size() && by_id_[next_].first == id ? by_id_[next_].second
                                                               : static_cast<long>(by_id_.size());

    // The patients: the walk by account stops on the first patient of a later account.
    patients_.clear();
    while (!patients_done_) {
        const patient_struct& p = *patient_walk_.GetRecPtr();
        if (p.acc_id > id) break;
        if (p.acc_id == id) patients_.push_back(p);
        if (!patient_walk_.DBGetNext(&err)) {
            if (patient_walk_.DbFailed()) return failed("Lecture des patients");
            patients_done_ = true;
        }
    }
    if (!source_) return true;

    Ledger ledger;
    std::string refused;
    auto charge = [&](bool (*decode)(const DbCursor&, int, LedgerCharge*, std::string*)) {
        return [&, decode](const DbCursor& c) {
            LedgerCharge item;
            if (!decode(c, 2, &item, &refused)) return false;
            ledger.charges.push_back(std::move(item));
            return true;
        };
    };
    const bool ok = treatments_->Take(id, charge(&ReadTreatment)) &&
                    office_->Take(id, charge(&ReadOfficeCharge)) &&
                    applications_->Take(id, [&](const DbCursor& c) {
                        LedgerApplication item;
                        if (!ReadApplication(c, 2, &item, &refused)) return false;
                        ledger.applications.push_back(std::move(item));
                        return true;
                    });
    if (!refused.empty()) return failed("Calcul des comptes à recevoir : " + refused);
    if (!ok) return failed("Lecture des transactions");
    source_->Provide(id, std::move(ledger));
    return true;
}

}  // namespace host::calc
