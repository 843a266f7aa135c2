#include "closing/deposit_collect.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "host/base/debuglog.h"
#include "host/base/ini.h"
#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"

namespace deposit {

namespace {

constexpr int kCursor = 31700;
constexpr int kLookupCursor = 31701;
constexpr size_t kNameBatch = 200;  // account ids per name query

int64_t SumCharges(const std::vector<stSChgElem>& charges) {
    int64_t sum = 0;
    for (const stSChgElem& c : charges)
        sum += c.charge;
    return sum;
}

}  // namespace

int64_t Section::ChargeTotal() const {
    return SumCharges(charges);
}

int64_t BankDeposit::Total(char group, char kind) const {
    int64_t sum = 0;
    for (const Section& s : sections)
        if (s.group == group && s.kind == kind) sum += s.total;
    return sum;
}

int64_t BankDeposit::Charges(char group) const {
    int64_t sum = 0;
    for (const Section& s : sections)
        if (s.group == group) sum += s.ChargeTotal();
    return sum;
}

size_t DayTrialData::Count() const {
    size_t n = 0;
    for (const BankDeposit& b : banks)
        for (const Section& s : b.sections)
            n += s.lines.size();
    return n;
}

int64_t DayTrialData::Payments() const {
    int64_t sum = 0;
    for (const BankDeposit& b : banks)
        sum += b.Total('A', 'K') + b.Total('B', 'K');
    return sum;
}

int64_t DayTrialData::Adjustments() const {
    int64_t sum = 0;
    for (const BankDeposit& b : banks)
        sum += b.Total('A', 'M') + b.Total('B', 'M');
    return sum;
}

bool DayTrialData::HasOtherAdjustments() const {
    for (const BankDeposit& b : banks)
        for (const Section& s : b.sections)
            if (s.group == 'B' && s.kind == 'M') return true;
    return false;
}

int64_t ServiceCharge(int64_t amount, int rate) {
    return static_cast<int64_t>(static_cast<double>(amount) / 100.0 * (rate / 10000.0) * 100.0);
}

std::string DayCondition(const Criteria& c) {
    const std::string d = std::to_string(c.date);
    std::string s = "((apmt_date = " + d + " AND apmt_date >= apmt_sysdate ) OR (apmt_date < " +
                    "apmt_sysdate AND apmt_sysdate = " + d +
                    ") ) and (apmt_rectype = 'P' or apmt_rectype = 'A') and (apmt_dep = 'Y' or "
                    "apmt_dep = 'D' ";
    if (c.adjustments_sheet)
        s += "or (apmt_dep = 'N' and (apmt_pmt = 'Y' or apmt_pmt is NULL or apmt_pmt = ''))";
    s += ")";
    // A payment deleted on or before its deposit day was never deposited; one deleted later
    // was, on its day.
    s += " and (apmt_deldate = 0 or apmt_deldate > " + d + ")";
    return s;
}

namespace {

struct PayCode {
    std::string desc;
    bool direct = false;
    int rate = 0;
};

class Collector {
  public:
    Collector(const CollectRequest& req, DayTrialData* out)
        : req_(req),
          c_(req.criteria),
          out_(out),
          db_(req.launcher->GetDb()),
          p_(db_->dbTablePrefix()) {}

    Outcome Run(std::string* error) {
        out_->criteria = c_;
        WriteDebugLogFile("%s", req_.calc_mode == 1 ? "*** START: CALC_FROM_DATABASE"
                                                    : "START: CALC_FROM_DAYSHEET");
        if (!ReadCodes() || !ReadBanks()) return Fail(error);
        CashCode();
        out_->practice =
            host::Trim(db_->QueryText("SELECT PRAC_NAME FROM " + p_ + "PRACINFO ORDER BY PRAC_ID"));
        if (c_.by_doctor && !DoctorLine()) return Fail(error);

        std::vector<stDayTrialElem> rows;
        const Outcome o = ReadRows(&rows);
        if (o == Outcome::Failed) return Fail(error);
        if (o == Outcome::Cancelled) return o;
        for (stDayTrialElem& e : rows)
            Classify(&e);
        if (!Names(&rows)) return Fail(error);
        // Bank, then group and kind, then payment code: a bank's rows together, and within
        // a bank each section and each code's subtotal together.
        std::stable_sort(
            rows.begin(), rows.end(), [](const stDayTrialElem& a, const stDayTrialElem& b) {
                return std::tie(a.bank, a.group, a.kind, a.code, a.payer, a.trxno, a.id) <
                       std::tie(b.bank, b.group, b.kind, b.code, b.payer, b.trxno, b.id);
            });
        Gather(std::move(rows));
        return Outcome::Done;
    }

  private:
    Outcome Fail(std::string* error) {
        *error = std::string("Lecture des dépôts : ") +
                 (db_->dbLastError() ? db_->dbLastError() : "erreur inconnue");
        return Outcome::Failed;
    }

    bool ReadCodes() {
        if (db_->dbOpen("SELECT PAYMENT_CODE, PAYMENT_DESCRIPT, PAYMENT_DPSTS, PAYMENT_RATE FROM " +
                            p_ + "PMTSCD",
                        kLookupCursor) != 0)
            return false;
        int r;
        for (r = db_->dbFetch(0, kLookupCursor); r == 0; r = db_->dbFetch(1, kLookupCursor)) {
            std::string code, flag;
            PayCode pc;
            long rate = 0;
            db_->dbGetField(1, &code, kLookupCursor);
            db_->dbGetField(2, &pc.desc, kLookupCursor);
            db_->dbGetField(3, &flag, kLookupCursor);
            db_->dbGetLong(4, &rate, kLookupCursor);
            pc.desc = host::Trim(pc.desc);
            pc.direct = host::Trim(flag) == "Y";
            pc.rate = static_cast<int>(rate);
            codes_[host::Trim(code)] = pc;
        }
        db_->dbClose(kLookupCursor);
        return r >= 0;
    }

    bool ReadBanks() {
        if (db_->dbOpen(
                "SELECT bnk_code, bnk_name, bnk_addr1, bnk_city, bnk_prov, bnk_postal FROM " + p_ +
                    "Bankcd",
                kLookupCursor) != 0)
            return false;
        int r;
        for (r = db_->dbFetch(0, kLookupCursor); r == 0; r = db_->dbFetch(1, kLookupCursor)) {
            BankDeposit b;
            db_->dbGetField(1, &b.code, kLookupCursor);
            db_->dbGetField(2, &b.name, kLookupCursor);
            db_->dbGetField(3, &b.addr1, kLookupCursor);
            db_->dbGetField(4, &b.city, kLookupCursor);
            db_->dbGetField(5, &b.prov, kLookupCursor);
            db_->dbGetField(6, &b.postal, kLookupCursor);
            b.code = host::Trim(b.code);
            b.name = host::Trim(b.name);
            b.addr1 = host::Trim(b.addr1);
            b.city = host::Trim(b.city);
            b.prov = host::Trim(b.prov);
            b.postal = host::Trim(b.postal);
            banks_[b.code] = b;
        }
        db_->dbClose(kLookupCursor);
        return r >= 0;
    }

    // The worksheet's cash code: the workstation's setting, described by the code table, or
    // else the first code whose description holds the default text.
    void CashCode() {
        WDIniObj ini;
        out_->cash_code = host::Trim(ini.read_secini("REPORTS", "CashPmtCode", "C"));
        const std::string def = host::Trim(ini.read_secini("REPORTS", "CashPmtDesc", "Cash"));
        std::string desc =
            db_->QueryText("SELECT payment_descript FROM " + p_ + "PMTSCD WHERE PAYMENT_CODE = '" +
                           host::SqlText(out_->cash_code) + "'");
        if (host::Trim(desc).empty())
            desc = db_->QueryText("SELECT payment_descript FROM " + p_ +
                                  "PMTSCD WHERE UPPER(payment_descript) LIKE UPPER('%" +
                                  host::SqlText(def) + "%') ORDER BY PAYMENT_CODE");
        out_->cash_desc = host::Trim(desc).empty() ? def : host::Trim(desc);
    }

    // "Dre Marie Tremblay (01)"; the code alone when no producer has it.
    bool DoctorLine() {
        const std::string code = host::Trim(c_.doctor);
        out_->doctor_line = "(" + code + ")";
        if (db_->dbOpen("SELECT PROD_TITLE, PROD_FIRST_NAME, PROD_LAST_NAME FROM " + p_ +
                            "PRODCD WHERE PROD_CODE = 'D" + host::SqlText(code) + "'",
                        kLookupCursor) != 0)
            return false;
        if (db_->dbFetch(0, kLookupCursor) == 0) {
            std::string title, first, last;
            db_->dbGetField(1, &title, kLookupCursor);
            db_->dbGetField(2, &first, kLookupCursor);
            db_->dbGetField(3, &last, kLookupCursor);
            out_->doctor_line = host::Trim(host::Trim(title) + " " + host::Trim(first)) + " " +
                                host::Trim(last) + " " + out_->doctor_line;
        }
        db_->dbClose(kLookupCursor);
        return true;
    }

    // The day's rows: from the payment table, or those of them that the day sheet names (a
    // payment is on the sheet of its date, after the last month-end).
    Outcome ReadRows(std::vector<stDayTrialElem>* rows) {
        std::string amount = "apmt_total";
        std::string doctor;
        if (c_.by_doctor) {
            const std::string app = "FROM " + p_ +
                                    "PMTAPP WHERE PAPP_APMTID = APMT_ID AND PAPP_BILLDR = '" +
                                    host::SqlText(host::Trim(c_.doctor)) + "'";
            amount = "(SELECT SUM(PAPP_AMOUNT) " + app + ")";
            doctor = " AND EXISTS (SELECT 1 " + app + ")";
        }
        std::string sql =
            "select apmt_accid, apmt_rectype, apmt_trxno, apmt_date, apmt_type, apmt_code, "
            "apmt_payor, apmt_descrip, apmt_bank, " +
            amount + ", apmt_dep, apmt_pmt, apmt_id, apmt_sysdate from " + p_ + "ACCPMT";
        if (req_.calc_mode == 1) {
            sql += " where " + DayCondition(c_) + doctor;
        } else {
            const long mend =
                db_->QueryInt("SELECT DEND_MENDDATE FROM " + p_ + "DAYEND WHERE DEND_ID = 1");
            // The row is on the sheet of its date (looked up through the sheet's date index).
            sql += " where " + DayCondition(c_) + doctor + " AND apmt_date > " +
                   std::to_string(mend) + " AND EXISTS (SELECT 1 FROM " + p_ +
                   "DAYSHT WHERE DSHT_DATE = apmt_date AND DSHT_SORTID IN ('K', 'M') AND "
                   "DSHT_RECTYPE = 'K' AND DSHT_RECID = apmt_id)";
        }
        if (db_->dbOpen(sql, kCursor) != 0) return Outcome::Failed;
        int r;
        for (r = db_->dbFetch(0, kCursor); r == 0; r = db_->dbFetch(1, kCursor)) {
            stDayTrialElem e;
            std::string rectype, type, dep;
            long total = 0;
            db_->dbGetLong(1, &e.account, kCursor);
            db_->dbGetField(2, &rectype, kCursor);
            db_->dbGetField(3, &e.trxno, kCursor);
            db_->dbGetLong(4, &e.date, kCursor);
            db_->dbGetField(5, &type, kCursor);
            db_->dbGetField(6, &e.code, kCursor);
            db_->dbGetField(7, &e.payer, kCursor);  // the insurer's code, named below
            db_->dbGetField(8, &e.descrip, kCursor);
            db_->dbGetField(9, &e.bank, kCursor);
            db_->dbGetLong(10, &total, kCursor);
            db_->dbGetField(11, &dep, kCursor);
            db_->dbGetLong(13, &e.id, kCursor);
            db_->dbGetLong(14, &e.sysdate, kCursor);
            e.amount = total;
            e.kind = host::Trim(rectype) == "A" ? 'M' : 'K';
            e.payer_type = host::Trim(type) == "I" ? 'I' : 'P';
            e.group = host::Trim(dep) == "Y" ? 'A' : 'B';
            e.trxno = host::Trim(e.trxno);
            e.code = host::Trim(e.code);
            e.payer = host::Trim(e.payer);
            e.descrip = host::Trim(e.descrip);
            e.bank = host::Trim(e.bank);
            rows->push_back(std::move(e));
            if (req_.meter) {
                req_.meter->Advance();
                if (req_.meter->Cancel()) {
                    db_->dbClose(kCursor);
                    return Outcome::Cancelled;
                }
            }
        }
        db_->dbClose(kCursor);
        return r < 0 ? Outcome::Failed : Outcome::Done;
    }

    void Classify(stDayTrialElem* e) {
        const auto it = codes_.find(e->code);
        if (it == codes_.end()) return;
        e->code_desc = it->second.desc;
        if (e->kind == 'K' && it->second.direct) e->group = 'B';
    }

    // Payer names: the insurers' table read whole (a code table), the accounts by batches
    // of ids; a payer that cannot be found is left without a name.
    bool Names(std::vector<stDayTrialElem>* rows) {
        std::map<std::string, std::string> insurers;
        std::map<long, std::string> accounts;
        std::vector<long> ids;
        bool any_insurer = false;
        for (const stDayTrialElem& e : *rows) {
            if (e.payer_type == 'I')
                any_insurer = true;
            else
                ids.push_back(e.account);
        }
        if (any_insurer) {
            if (db_->dbOpen("SELECT INS_CODE, INS_NAME FROM " + p_ + "INSCO", kLookupCursor) != 0)
                return false;
            for (int r = db_->dbFetch(0, kLookupCursor); r == 0;
                 r = db_->dbFetch(1, kLookupCursor)) {
                std::string code, name;
                db_->dbGetField(1, &code, kLookupCursor);
                db_->dbGetField(2, &name, kLookupCursor);
                insurers[host::Trim(code)] = host::Trim(name);
            }
            db_->dbClose(kLookupCursor);
        }
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        const bool ok = host::SelectByIds(*db_, ids,
                                          "SELECT ACC_ID, ACC_LNAME, ACC_PNAME FROM " + p_ +
                                              "ACCOUNT WHERE ACC_DELETE_DATE = 0 AND ACC_ID IN (",
                                          kLookupCursor, kNameBatch, [&] {
                                              long id = 0;
                                              std::string last, first;
                                              db_->dbGetLong(1, &id, kLookupCursor);
                                              db_->dbGetField(2, &last, kLookupCursor);
                                              db_->dbGetField(3, &first, kLookupCursor);
                                              accounts[id] =
                                                  host::Trim(last) + ", " + host::Trim(first);
                                          });
        if (!ok) return false;
        for (stDayTrialElem& e : *rows) {
            if (e.payer_type == 'I') {
                auto it = insurers.find(e.payer);
                e.payer = it == insurers.end() ? std::string() : it->second;
            } else {
                auto it = accounts.find(e.account);
                e.payer = it == accounts.end() ? std::string() : it->second;
            }
        }
        return true;
    }

    void Gather(std::vector<stDayTrialElem> rows) {
        for (stDayTrialElem& e : rows) {
            if (out_->banks.empty() || out_->banks.back().code != e.bank) {
                auto it = banks_.find(e.bank);
                BankDeposit b;
                if (it != banks_.end()) b = it->second;
                b.code = e.bank;
                out_->banks.push_back(std::move(b));
            }
            BankDeposit& b = out_->banks.back();
            if (b.sections.empty() || b.sections.back().group != e.group ||
                b.sections.back().kind != e.kind)
                b.sections.push_back({e.group, e.kind, {}, {}, 0});
            Section& s = b.sections.back();
            s.total += e.amount;
            if (e.kind == 'K') Charge(&s, e);
            s.lines.push_back(std::move(e));
        }
    }

    // The payment's service charge, added to its code's line of the section: the amount at
    // the code's rate, truncated toward zero.
    void Charge(Section* s, const stDayTrialElem& e) {
        const auto it = codes_.find(e.code);
        if (it == codes_.end() || it->second.rate == 0) return;
        const int64_t charge = ServiceCharge(e.amount, it->second.rate);
        if (s->charges.empty() || s->charges.back().code != e.code)
            s->charges.push_back({e.code, it->second.desc, it->second.rate, 0});
        s->charges.back().charge += charge;
    }

    const CollectRequest& req_;
    const Criteria& c_;
    DayTrialData* out_;
    GenDB* db_;
    std::string p_;
    std::map<std::string, PayCode> codes_;
    std::map<std::string, BankDeposit> banks_;
};

}  // namespace

Outcome Collect(const CollectRequest& request, DayTrialData* out, std::string* error) {
    *out = DayTrialData{};
    if (!request.launcher || !request.launcher->GetDb()) {
        *error = "Aucune base de données";
        return Outcome::Failed;
    }
    return Collector(request, out).Run(error);
}

}  // namespace deposit
