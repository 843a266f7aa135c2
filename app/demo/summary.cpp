// What a practice database holds: row counts, accounts and patients, the day-end state and
// the receivable by producer recomputed from the transactions.
#include <map>

#include "app/demo/demo.h"
#include "host/base/dates.h"
#include "host/base/numfmt.h"
#include "host/base/text.h"
#include "host/calc/ledger.h"

namespace demo {
namespace {

constexpr int kCharges = 32021, kOffice = 32022, kApps = 32023;

// A cursor walked in account order.
struct Walk {
    GenDB& db;
    int cursor;
    bool more = false;
    long account = 0;

    bool Open(const std::string& sql, std::string* error) {
        if (db.dbOpen(sql, cursor) != 0) {
            if (error) *error = db.dbLastError() ? db.dbLastError() : "requête refusée";
            return false;
        }
        return Next(true, error);
    }
    bool Next(bool first, std::string* error) {
        const int rc = db.dbFetch(first ? 0 : 1, cursor);
        if (rc < 0) {
            if (error) *error = db.dbLastError() ? db.dbLastError() : "lecture refusée";
            more = false;
            return false;
        }
        more = rc == 0;
        account = more ? static_cast<long>(db.Cursor(cursor)->Int(1)) : 0;
        return true;
    }
    host::DbCursor& c() { return *db.Cursor(cursor); }
};

}  // namespace

bool ForEachAccountLedger(
    GenDB& db,
    const std::function<void(long, const std::vector<host::calc::LedgerCharge>&,
                             const std::vector<host::calc::LedgerApplication>&)>& visit,
    std::string* error) {
    const std::string p = db.dbTablePrefix();
    Walk charges{db, kCharges}, office{db, kOffice}, apps{db, kApps};
    auto close = [&]() {
        db.dbClose(kCharges);
        db.dbClose(kOffice);
        db.dbClose(kApps);
    };
    const bool opened =
        charges.Open("SELECT PAT_ACCID, " + std::string(host::calc::kTreatmentColumns) + " FROM " +
                         p + "CLMTRT, " + p + "PATCLM, " + p +
                         "PATIENT WHERE PCLM_ID = CTRT_PCLMID AND (PCLM_STATUS = 'I' OR "
                         "PCLM_STATUS = 'C') AND PAT_ID = PCLM_PATID ORDER BY PAT_ACCID, CTRT_ID",
                     error) &&
        office.Open("SELECT PAT_ACCID, " + std::string(host::calc::kOfficeChargeColumns) +
                        " FROM " + p + "PATOCH, " + p +
                        "PATIENT WHERE PAT_ID = POCH_PATID ORDER BY PAT_ACCID, POCH_ID",
                    error) &&
        apps.Open("SELECT APMT_ACCID, " + std::string(host::calc::kApplicationColumns) + " FROM " +
                      p + "PMTAPP, " + p +
                      "ACCPMT WHERE APMT_ID = PAPP_APMTID ORDER BY APMT_ACCID, PAPP_ID",
                  error);
    if (!opened) {
        close();
        return false;
    }
    std::vector<host::calc::LedgerCharge> cs;
    std::vector<host::calc::LedgerApplication> as;
    bool failed = false;
    while (!failed && (charges.more || office.more || apps.more)) {
        long account = 0;
        for (Walk* w : {&charges, &office, &apps})
            if (w->more && (account == 0 || w->account < account)) account = w->account;
        cs.clear();
        as.clear();
        while (!failed && charges.more && charges.account == account) {
            host::calc::LedgerCharge x;
            failed = !host::calc::ReadTreatment(charges.c(), 2, &x, error) ||
                     !charges.Next(false, error);
            cs.push_back(std::move(x));
        }
        while (!failed && office.more && office.account == account) {
            host::calc::LedgerCharge x;
            failed = !host::calc::ReadOfficeCharge(office.c(), 2, &x, error) ||
                     !office.Next(false, error);
            cs.push_back(std::move(x));
        }
        while (!failed && apps.more && apps.account == account) {
            host::calc::LedgerApplication x;
            failed =
                !host::calc::ReadApplication(apps.c(), 2, &x, error) || !apps.Next(false, error);
            as.push_back(std::move(x));
        }
        if (!failed) visit(account, cs, as);
    }
    close();
    return !failed;
}

bool SummarizePractice(GenDB& db, long as_of, PracticeSummary* s, std::string* error) {
    if (!host::SchemaExists(db)) {
        if (error) *error = "cette base ne contient pas de cabinet (rapports demo le crée)";
        return false;
    }
    *s = PracticeSummary{};
    const std::string p = db.dbTablePrefix();
    s->as_of = as_of ? as_of : ldate_today();
    s->practice_name = db.QueryText("SELECT PRAC_NAME FROM " + p + "PRACINFO WHERE PRAC_ID = 1");
    for (const std::string& t : host::SchemaTables())
        s->rows.emplace_back(t, static_cast<long>(db.QueryInt("SELECT COUNT(*) FROM " + p + t)));
    s->accounts = db.QueryInt("SELECT COUNT(*) FROM " + p + "ACCOUNT");
    s->deleted_accounts = db.QueryInt("SELECT COUNT(*) FROM " + p +
                                      "ACCOUNT WHERE ACC_DELETE_DATE > 0 OR ACC_STATUS = 'D'");
    s->inactive_accounts = db.QueryInt("SELECT COUNT(*) FROM " + p +
                                       "ACCOUNT WHERE ACC_DELETE_DATE = 0 AND ACC_STATUS <> 'D' "
                                       "AND ACC_SYS_INACTIVE = 'Y'");
    s->active_accounts = s->accounts - s->deleted_accounts - s->inactive_accounts;
    s->accounts_without_patients =
        db.QueryInt("SELECT COUNT(*) FROM " + p + "ACCOUNT LEFT JOIN " + p +
                    "PATIENT ON PAT_ACCID = ACC_ID WHERE PAT_ID IS NULL");
    s->patients = db.QueryInt("SELECT COUNT(*) FROM " + p + "PATIENT");
    s->deleted_patients =
        db.QueryInt("SELECT COUNT(*) FROM " + p + "PATIENT WHERE PAT_DELETE_DATE > 0");
    s->last_day_end = db.QueryInt("SELECT DEND_LASTDAY FROM " + p + "DAYEND WHERE DEND_ID = 1");
    s->last_month_end = db.QueryInt("SELECT DEND_MENDDATE FROM " + p + "DAYEND WHERE DEND_ID = 1");
    s->first_activity = db.QueryInt("SELECT MIN(DSHT_DATE) FROM " + p + "DAYSHT");
    s->last_activity = db.QueryInt("SELECT MAX(DSHT_DATE) FROM " + p + "DAYSHT");
    s->stored_pat_balance = db.QueryInt("SELECT SUM(ACC_PAT_BAL) FROM " + p + "ACCOUNT");
    s->stored_ins_balance = db.QueryInt("SELECT SUM(ACC_INS_BAL) FROM " + p + "ACCOUNT");
    s->additional_amount = db.QueryInt("SELECT SUM(ACC_ADD_AMT) FROM " + p + "ACCOUNT");

    std::map<std::string, host::calc::AgedGroups> by_producer;
    host::calc::AgingOptions o;
    o.as_of = s->as_of;
    o.include_future = true;
    const bool ok = ForEachAccountLedger(
        db,
        [&](long, const std::vector<host::calc::LedgerCharge>& cs,
            const std::vector<host::calc::LedgerApplication>& as) {
            for (const auto& [code, g] : host::calc::AgeLedger(cs, as, o))
                by_producer[code] += g;
        },
        error);
    if (!ok) return false;
    s->receivables.assign(by_producer.begin(), by_producer.end());
    return true;
}

std::string FormatSummary(const PracticeSummary& s) {
    char d1[32], d2[32];
    auto date = [](char* buf, long d) -> std::string {
        return d ? ldate_to_str1(buf, d, 530) : "aucune";
    };
    auto amount = [](int64_t cents) { return host::FormatAmount(cents, 13); };
    std::string out;
    out += "Cabinet : " + s.practice_name + "\n";
    out += "Comptes : " + std::to_string(s.accounts) + " (actifs " +
           std::to_string(s.active_accounts) + ", inactifs " + std::to_string(s.inactive_accounts) +
           ", supprimés " + std::to_string(s.deleted_accounts) + ", sans patient " +
           std::to_string(s.accounts_without_patients) + ")\n";
    out += "Patients : " + std::to_string(s.patients) + " (supprimés " +
           std::to_string(s.deleted_patients) + ")\n";
    out +=
        "Activité : du " + date(d1, s.first_activity) + " au " + date(d2, s.last_activity) + "\n";
    out += "Dernière fin de journée : " + date(d1, s.last_day_end) +
           " ; dernière fin de mois : " + date(d2, s.last_month_end) + "\n";
    out += "Lignes par table :\n";
    for (const auto& [table, rows] : s.rows)
        if (rows > 0) out += host::U8Format("  %-10s %10ld\n", table.c_str(), rows);
    out += "Soldes des comptes : patients " + host::FormatAmount(s.stored_pat_balance) +
           ", assurances " + host::FormatAmount(s.stored_ins_balance) + "\n";
    out += "Comptes à recevoir par producteur au " + date(d1, s.as_of) + " :\n";
    out += host::U8Format("  %-6s%13s%13s%13s%13s%13s%13s\n", "Prod.", "Courant", "31-60", "61-90",
                          "90 +", "Total", "À venir");
    host::calc::AgedGroups all;
    for (const auto& [code, g] : s.receivables) {
        all += g;
        out += host::U8Format("  %-6s", code.c_str());
        for (int i = 0; i < 6; ++i)
            out += amount(g.tot.v[i]);
        out += "\n";
    }
    // The additional amounts on a line of their own, so that the total is the sum of the
    // lines.
    if (s.additional_amount != 0) {
        host::calc::AgedGroups extra;
        host::calc::AddAccountAmount(&extra, s.additional_amount);
        all += extra;
        out += host::U8Format("  %-6s", "Addit.");
        for (int i = 0; i < 6; ++i)
            out += amount(extra.tot.v[i]);
        out += "\n";
    }
    out += host::U8Format("  %-6s", "Total");
    for (int i = 0; i < 6; ++i)
        out += amount(all.tot.v[i]);
    out += "\n";
    if (s.additional_amount != 0)
        out +=
            "  (Addit. : montants additionnels des comptes, dus par les patients hors des "
            "producteurs)\n";
    return out;
}

}  // namespace demo
