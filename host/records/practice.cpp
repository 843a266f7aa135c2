#include "host/records/practice.h"

#include <cctype>

#include "host/base/dates.h"
#include "host/base/text.h"
#include "host/records/records.h"

namespace {

GenDB* AppDb(GenDB* db) {
    if (db) return db;
    QDSApplication* app = QDSApplication::Instance();
    return app ? app->GetDb() : nullptr;
}

}  // namespace

std::string GetProdCode(const char* code, bool from_records) {
    if (!code) return {};
    const std::string c = host::Trim(code);
    if (c.empty() || c.size() > 2) return c;
    if (from_records) {
        if (GenDB* db = AppDb(nullptr)) {
            DLnkList list(db);
            MsgInfo msg(0, &list);
            ProdInfo prod(&list, &msg);
            if (prod.FindRecs("PROD_TYPE = ? AND PROD_BILLDR = ?", {'D', c}))
                return prod.Rec().code;
        }
    }
    return "D" + c;
}

bool IsBillingDr(const char* producer_code, GenDB* db) {
    db = AppDb(db);
    if (!db || !producer_code) return false;
    DLnkList list(db);
    MsgInfo msg(0, &list);
    ProdInfo prod(&list, &msg);
    if (!prod.FindByCode(host::Trim(producer_code))) return false;
    return prod.Rec().type == 'D' && !host::Trim(prod.Rec().billdr).empty();
}

bool ReadProducerNames(std::map<std::string, ProducerName>* out, GenDB* db) {
    out->clear();
    db = AppDb(db);
    if (!db) return false;
    DLnkList list(db);
    MsgInfo msg(0, &list);
    ProdInfo prod(&list, &msg);
    prod.SetKey(ProdInfo::KEY_CODE);
    for (bool more = prod.DBGetFirst(); more; more = prod.DBGetNext()) {
        const prodcd_struct& r = prod.Rec();
        (*out)[host::Trim(r.code)] = {host::Trim(r.first_name), host::Trim(r.last_name),
                                      host::Trim(r.title)};
    }
    return !prod.DbFailed();
}

char* mk_phone_no(const char* text, char* out, bool compact) {
    constexpr size_t kOut = 32;
    out[0] = '\0';
    if (!text) return out;
    std::string digits;
    for (const char* p = text; *p; ++p)
        if (std::isdigit(static_cast<unsigned char>(*p))) digits += *p;
    if (digits.size() == 11 && digits[0] == '1') digits.erase(0, 1);
    std::string result;
    if (digits.size() == 7) {
        result = digits.substr(0, 3) + "-" + digits.substr(3);
    } else if (digits.size() >= 10) {
        const std::string area = digits.substr(0, 3);
        result = (compact ? area + " " : "(" + area + ") ") + digits.substr(3, 3) + "-" +
                 digits.substr(6, 4);
        if (digits.size() > 10) result += " poste " + digits.substr(10);
    } else {
        result = host::Trim(text);
    }
    host::CopyText(out, kOut, result);
    return out;
}

char* mk_age_str(long birthdate, long today, char* out) {
    out[0] = '\0';
    if (!host::IsValidDate(birthdate) || !host::IsValidDate(today) || birthdate > today) return out;
    // Whole years: one less until the birthday of this year is reached (someone born on
    // February 29 turns a year older on March 1 of a common year).
    const long years = today / 10000 - birthdate / 10000 - (today % 10000 < birthdate % 10000);
    host::CopyText(out, 8, std::to_string(years));
    return out;
}

TPracAddIni::TPracAddIni(GenDB* db) : db_(AppDb(db)) {
    if (!db_) return;
    DLnkList list(db_);
    MsgInfo msg(0, &list);
    PracInfo prac(&list, &msg);
    if (!prac.DBGetFirst()) return;
    const pracinfo_struct& p = prac.Rec();
    rec_ = pracadd_struct{p.name, p.name2,  p.addr1, p.addr2, p.city,
                          p.prov, p.postal, p.phone, p.email, p.website};
    loaded_ = true;
}

bool TPracAddIni::Save(TEmgBase* err) {
    DLnkList list(db_);
    MsgInfo msg(0, &list);
    PracInfo prac(&list, &msg);
    TEmgBase* target = prac.ErrorTarget(err);
    if (!db_) {
        target->SetErrText("Aucune base de données n'est ouverte.");
        return false;
    }
    const bool exists = prac.DBGetFirst(err);
    if (!exists && prac.DbFailed()) return false;
    pracinfo_struct& p = *prac.GetItem();
    p.name = rec_.name;
    p.name2 = rec_.name2;
    p.addr1 = rec_.addr1;
    p.addr2 = rec_.addr2;
    p.city = rec_.city;
    p.prov = rec_.prov;
    p.postal = rec_.postal;
    p.phone = rec_.phone;
    p.email = rec_.email;
    p.website = rec_.website;
    if (!(exists ? prac.WriteRec(err) : prac.AddRec(err))) return false;
    loaded_ = true;
    return true;
}
