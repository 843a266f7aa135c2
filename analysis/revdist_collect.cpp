#include "analysis/revdist_collect.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>

#include "host/base/dates.h"
#include "host/base/debuglog.h"
#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"
#include "host/records/practice.h"
#include "host/records/records.h"

namespace revdist {

namespace {

constexpr int kCurDayPayments = 31201;
constexpr int kCurLatePayments = 31202;
constexpr size_t kBatch = 500;

// The payments of the rule's producer and billing doctor dated in the month up to the
// report date, except those entered after their date ...
constexpr const char* kDatedQuery =
    "SELECT papp_id, papp_date, apmt_rectype FROM %sPMTAPP, %sACCPMT WHERE papp_date >= %ld "
    "and papp_date <= %ld  and apmt_id = papp_apmtid AND APMT_DATE >= APMT_SYSDATE AND "
    "(apmt_rectype = 'P' OR  (apmt_rectype = 'A' and apmt_pmt = 'Y')) AND papp_producer = '%s' "
    "and papp_billdr = '%s'";
// ... which count on the day they were entered.
constexpr const char* kEnteredQuery =
    "SELECT papp_id, papp_sysdate, apmt_rectype FROM %sPMTAPP, %sACCPMT WHERE (PAPP_SYSDATE >= "
    "%ld AND PAPP_SYSDATE <= %ld and apmt_id = papp_apmtid AND PAPP_DATE < PAPP_SYSDATE) AND "
    "(apmt_rectype = 'P' OR  (apmt_rectype = 'A' and apmt_pmt = 'Y')) AND papp_producer = '%s' "
    "and papp_billdr = '%s'";

// One payment application as a rule sees it: its date in the report, its billing doctor
// and whether it is an adjustment that counts as a payment (sort id 'N').
struct Line {
    long date = 0;
    long papp_id = 0;
    char sortid = 'X';
    std::string billdr;
};

// A line of the month's day sheet that may be a payment.
struct SheetLine {
    long date = 0;
    long papp_id = 0;
    std::string billdr;
    std::string producer;
};

std::string Format(const char* fmt, const std::string& prefix, long from, long to,
                   const std::string& producer, const std::string& billdr) {
    const std::string p = host::SqlText(producer);
    const std::string b = host::SqlText(billdr);
    std::string out(std::string(fmt).size() + 2 * prefix.size() + p.size() + b.size() + 64, '\0');
    const int n = std::snprintf(out.data(), out.size(), fmt, prefix.c_str(), prefix.c_str(), from,
                                to, p.c_str(), b.c_str());
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

std::string NameOf(const std::map<std::string, prodcd_struct>& producers, const std::string& code) {
    auto it = producers.find(code);
    if (it == producers.end()) return code;
    const std::string last = host::Trim(it->second.last_name);
    const std::string first = host::Trim(it->second.first_name);
    if (last.empty() || first.empty()) return last.empty() && first.empty() ? code : last + first;
    return last + ", " + first;  // the name parts joined by ", "
}

class Collector {
  public:
    Collector(const CollectRequest& request, RevDistData* out)
        : req_(request),
          out_(out),
          list_(request.launcher->GetListPtr()),
          msg_(request.launcher->GetMsgPtr()),
          db_(request.launcher->GetDb()) {}

    Outcome Run(std::string* error);

  private:
    bool Setup(std::string* error);
    bool ReadDaySheet(std::string* error);
    bool SqlLines(const rdist_struct& rule, std::vector<Line>* lines, std::string* error);
    void SheetLines(const rdist_struct& rule, std::vector<Line>* lines);
    // Reads the applications, payments and treatments of these ids that were not read
    // yet, a batch at a time.
    bool ReadApps(const std::vector<long>& ids, std::string* error);
    bool ReadPayments(const std::vector<long>& ids, std::string* error);
    bool ReadTreatments(const std::vector<long>& ids, std::string* error);
    // Adds one line to the rule's amounts (what the report calls ProcessRecords).
    void ProcessRecords(const Line& line, const std::string& billdr, Amounts* a) const;
    // The amounts of every billing doctor and producer of these rules (pairs_): each pair's
    // lines, then the records they need, read together. False on a failure or when the
    // meter was cancelled.
    Outcome ReadPairs(const std::vector<const rdist_struct*>& rules, std::string* error);
    void Remainders(const rdist_struct& rule, RuleRow* row) const;
    std::string Practitioner(const std::string& code) const;
    std::string Fail(const std::string& what) const;

    const CollectRequest& req_;
    RevDistData* out_;
    DLnkList* list_;
    MsgInfo* msg_;
    GenDB* db_;
    bool by_sql_ = true;
    long first_ = 0;
    std::vector<rdist_struct> rules_;  // file order
    // The rules of each billing doctor and producer, in the rule index's order.
    std::map<std::pair<std::string, std::string>, std::vector<const rdist_struct*>> keys_;
    std::map<std::string, prodcd_struct> producers_;
    std::set<std::string> lab_codes_;
    std::vector<SheetLine> sheet_;
    std::map<std::pair<std::string, std::string>, Amounts> pairs_;
    std::unordered_map<long, pmtapp_struct> apps_read_;
    std::unordered_map<long, char> payment_kinds_;  // 'X' payment, 'N' adjustment, 0 neither
    std::unordered_map<long, bool> lab_lines_;      // treatment id -> a laboratory procedure
};

std::string Collector::Fail(const std::string& what) const {
    return FailureText(*msg_, db_, what);
}

bool Collector::Setup(std::string* error) {
    if (!host::IsValidDate(req_.report_date)) {
        *error = "Date du rapport invalide : " + std::to_string(req_.report_date);
        return false;
    }
    first_ = req_.report_date / 100 * 100 + 1;
    int mode = req_.mode;
    if (mode < 0) {
        const QDSApplication* app = req_.launcher->App();
        mode = app ? app->m_CalAR : 1;
    }
    by_sql_ = mode == 1;

    RDistInfo rules(list_, msg_);
    rules.SetKey(RDistInfo::KEY_ID);
    if (rules.GetAll()) rules_ = rules.Items();
    if (rules.DbFailed()) {
        *error = Fail("Lecture des règles de distribution");
        return false;
    }
    for (const rdist_struct& r : rules_)
        keys_[{r.billdr, r.producer}].push_back(&r);  // id order within a key, as the index

    ProdInfo producers(list_, msg_);
    if (producers.GetAll())
        for (const prodcd_struct& p : producers.Items())
            producers_.emplace(p.code, p);
    if (producers.DbFailed()) {
        *error = Fail("Lecture des producteurs");
        return false;
    }
    ProcInfo procedures(list_, msg_);
    if (procedures.GetAll())
        for (const proccd_struct& p : procedures.Items())
            if (p.is_lab == 'Y') lab_codes_.insert(host::Trim(p.proc_sys_code));
    if (procedures.DbFailed()) {
        *error = Fail("Lecture des codes de procédure");
        return false;
    }
    WriteDebugLogFile("%s",
                      by_sql_ ? "*** START: CALC_FROM_DATABASE" : "*** START: CALC_FROM_DAYSHEET");
    return by_sql_ || ReadDaySheet(error);
}

// The month's day-sheet lines of payment applications, read once for every rule.
bool Collector::ReadDaySheet(std::string* error) {
    DayShtInfo sheet(list_, msg_);
    for (bool ok = sheet.DBLocateFirst(DayShtInfo::KEY_DATE, {host::SqlValue(first_)});
         ok && sheet.Rec().date <= req_.report_date; ok = sheet.DBGetNext()) {
        const daysht_struct& d = sheet.Rec();
        if (d.rectype != 'A' || (d.sort_id != 'L' && d.sort_id != 'Q' && d.sort_id != 'N'))
            continue;
        sheet_.push_back({d.date, d.rec_id, d.billdr, d.producer});
    }
    if (sheet.DbFailed()) {
        *error = Fail("Lecture du journal");
        return false;
    }
    return true;
}

bool Collector::SqlLines(const rdist_struct& rule, std::vector<Line>* lines, std::string* error) {
    const std::string prefix = db_->dbTablePrefix();
    const std::pair<const char*, int> queries[] = {{kDatedQuery, kCurDayPayments},
                                                   {kEnteredQuery, kCurLatePayments}};
    for (const auto& [fmt, cursor] : queries) {
        const std::string sql =
            Format(fmt, prefix, first_, req_.report_date, rule.producer, rule.billdr);
        if (db_->dbOpen(sql, cursor) != 0) {
            *error = Fail("Lecture des paiements");
            return false;
        }
        int r;
        for (r = db_->dbFetch(0, cursor); r == 0; r = db_->dbFetch(1, cursor)) {
            Line l;
            char rectype = 0;
            db_->dbGetLong(1, &l.papp_id, cursor);
            db_->dbGetLong(2, &l.date, cursor);
            db_->dbGetChar(3, &rectype, cursor);
            l.sortid = rectype == 'A' ? 'N' : 'X';
            l.billdr = rule.billdr;
            lines->push_back(std::move(l));
        }
        db_->dbClose(cursor);
        if (r < 0) {
            *error = Fail("Lecture des paiements");
            return false;
        }
    }
    return true;
}

void Collector::SheetLines(const rdist_struct& rule, std::vector<Line>* lines) {
    for (const SheetLine& s : sheet_)
        if (s.producer == rule.producer) lines->push_back({s.date, s.papp_id, 0, s.billdr});
}

// Reads the records of ids not in done (each id once), kBatch at a time: every batch has
// the same size (the last repeats its last id) so that its statement keeps one shape.
template <class Info, class Done, class Take>
bool ReadByIds(Info& info, const char* column, const std::vector<long>& ids, const Done& done,
               const Take& take) {
    std::vector<long> todo;
    std::set<long> seen;
    for (long id : ids)
        if (!done(id) && seen.insert(id).second) todo.push_back(id);
    for (size_t first = 0; first < todo.size(); first += kBatch) {
        std::string marks;
        std::vector<host::SqlValue> params;
        for (size_t i = 0; i < kBatch; ++i) {
            marks += marks.empty() ? "?" : ", ?";
            params.emplace_back(todo[std::min(first + i, todo.size() - 1)]);
        }
        if (info.FindRecs(std::string(column) + " IN (" + marks + ")", params))
            for (const auto& r : info.Items())
                take(r);
        if (info.DbFailed()) return false;
    }
    return true;
}

bool Collector::ReadApps(const std::vector<long>& ids, std::string* error) {
    PmtAppInfo apps(list_, msg_);
    if (ReadByIds(
            apps, "PAPP_ID", ids, [&](long id) { return apps_read_.count(id) != 0; },
            [&](const pmtapp_struct& r) { apps_read_.emplace(r.papp_id, r); }))
        return true;
    *error = Fail("Lecture des applications de paiement");
    return false;
}

// What a payment is: 'X' a payment, 'N' an adjustment that counts as a payment, 0 anything
// else (a fee adjustment, a transfer). The day sheet's sort letter tells when a line
// counts; its payment tells what it is, as the SQL path reads it.
bool Collector::ReadPayments(const std::vector<long>& ids, std::string* error) {
    AccPmtInfo payments(list_, msg_);
    if (ReadByIds(
            payments, "APMT_ID", ids, [&](long id) { return payment_kinds_.count(id) != 0; },
            [&](const accpmt_struct& p) {
                payment_kinds_[p.apmt_id] = p.rectype == 'P'                   ? 'X'
                                            : p.rectype == 'A' && p.pmt == 'Y' ? 'N'
                                                                               : 0;
            }))
        return true;
    *error = Fail("Lecture des paiements");
    return false;
}

bool Collector::ReadTreatments(const std::vector<long>& ids, std::string* error) {
    ClmTrtInfo treatments(list_, msg_);
    if (ReadByIds(
            treatments, "CTRT_ID", ids, [&](long id) { return lab_lines_.count(id) != 0; },
            [&](const clmtrt_struct& t) {
                const std::string code = host::Trim(t.system_code.empty() ? t.code : t.system_code);
                lab_lines_[t.ctrt_id] = lab_codes_.count(code) != 0;
            }))
        return true;
    *error = Fail("Lecture des traitements");
    return false;
}

void Collector::ProcessRecords(const Line& line, const std::string& billdr, Amounts* a) const {
    if (line.billdr != billdr) return;
    auto app = apps_read_.find(line.papp_id);
    if (app == apps_read_.end()) return;  // an application that is gone adds nothing
    const pmtapp_struct& p = app->second;
    char sortid = line.sortid;
    if (sortid == 0) {
        auto kind = payment_kinds_.find(p.apmt_id);
        sortid = kind == payment_kinds_.end() ? 0 : kind->second;
        if (sortid == 0) return;
    }
    const int64_t amount = p.amount;
    if (line.date < req_.report_date) {
        a->month_total += amount;
        return;
    }
    bool lab = false;
    if (sortid != 'N' && p.rectype == 'T') {  // owner kind 17: a treatment
        auto t = lab_lines_.find(p.ctrt_id);
        lab = t != lab_lines_.end() && t->second;
    }
    if (sortid == 'N')
        a->pmt_adjust += amount;
    else if (lab)
        a->lab += amount;
    else
        a->payments += amount;
}

Outcome Collector::ReadPairs(const std::vector<const rdist_struct*>& rules, std::string* error) {
    // Each pair's lines, read once for every rule of the pair.
    std::map<std::pair<std::string, std::string>, std::vector<Line>> lines;
    std::vector<long> ids;
    for (const rdist_struct* rule : rules) {
        if (req_.meter) {
            req_.meter->Advance();
            if (req_.meter->Cancel()) return Outcome::Cancelled;
        }
        const auto key = std::make_pair(rule->billdr, rule->producer);
        if (lines.count(key)) continue;
        std::vector<Line>& pair = lines[key];
        if (by_sql_) {
            if (!SqlLines(*rule, &pair, error)) return Outcome::Failed;
        } else {
            SheetLines(*rule, &pair);
        }
        for (const Line& l : pair)
            if (l.billdr == rule->billdr) ids.push_back(l.papp_id);
    }
    // The records every pair's lines need, read together a batch at a time.
    if (!ReadApps(ids, error)) return Outcome::Failed;
    std::vector<long> payments, treatments;
    for (const auto& [key, pair] : lines)
        for (const Line& l : pair) {
            auto app = apps_read_.find(l.papp_id);
            if (l.billdr != key.first || app == apps_read_.end()) continue;
            if (l.sortid == 0) payments.push_back(app->second.apmt_id);
            if (l.date >= req_.report_date && app->second.rectype == 'T')
                treatments.push_back(app->second.ctrt_id);
        }
    if (!ReadPayments(payments, error) || !ReadTreatments(treatments, error))
        return Outcome::Failed;
    for (const auto& [key, pair] : lines) {
        Amounts t;
        for (const Line& l : pair)
            ProcessRecords(l, key.first, &t);
        t.day_total = t.payments + t.pmt_adjust + t.lab;
        t.month_total += t.day_total;
        pairs_.emplace(key, t);
    }
    return Outcome::Done;
}

// The rounding remainder goes to the rule flagged for it: what the rounded shares of every
// rule of its billing doctor and producer leave of the totals. The rule's share is its own
// rounded share plus the remainder, so the shares add up to the totals exactly.
void Collector::Remainders(const rdist_struct& rule, RuleRow* row) const {
    Amounts& a = row->amounts;
    if (rule.remainder == 'Y' && rule.percent != 10000 && a.month_total != 0) {
        int64_t day = 0, month = 0;
        for (const rdist_struct* r : keys_.at({rule.billdr, rule.producer})) {
            day += Share(a.day_total, r->percent);
            month += Share(a.month_total, r->percent);
        }
        row->day_remainder = a.day_total - day;
        row->month_remainder = a.month_total - month;
    }
    a.day_share = Share(a.day_total, rule.percent) + row->day_remainder;
    a.month_share = Share(a.month_total, rule.percent) + row->month_remainder;
}

std::string Collector::Practitioner(const std::string& code) const {
    auto it = producers_.find(code);
    if (it == producers_.end()) return code;
    const prodcd_struct& p = it->second;
    std::string name = host::Trim(host::U8Format("%s %s %s", host::Trim(p.title).c_str(),
                                                 host::Trim(p.first_name).c_str(),
                                                 host::Trim(p.last_name).c_str()));
    return host::U8Format("%s (%s)", name.c_str(), code.c_str());
}

Outcome Collector::Run(std::string* error) {
    out_->report_date = req_.report_date;
    out_->by_doctor = req_.by_doctor && !host::Trim(req_.doctor).empty();
    out_->doctor = out_->by_doctor ? host::Trim(req_.doctor) : "";
    out_->groups.clear();
    if (!db_) {
        *error = "Aucune base de données ouverte";
        return Outcome::Failed;
    }
    if (!Setup(error)) return Outcome::Failed;
    // Under the selection, another billing doctor's rule is passed over: it neither prints
    // nor closes the group it stands in.
    std::vector<const rdist_struct*> chosen;
    for (const rdist_struct& rule : rules_)
        if (!out_->by_doctor ||
            GetProdCode(rule.billdr.c_str()) == GetProdCode(out_->doctor.c_str()))
            chosen.push_back(&rule);
    if (req_.meter) req_.meter->SetMax(static_cast<long>(chosen.size()));
    if (const Outcome read = ReadPairs(chosen, error); read != Outcome::Done) return read;
    for (const rdist_struct* r : chosen) {
        const rdist_struct& rule = *r;
        RuleRow row;
        row.rule_id = rule.rdst_id;
        row.group = rule.group;
        row.billdr = rule.billdr;
        row.producer = rule.producer;
        row.percent = rule.percent;
        row.remainder = rule.remainder == 'Y';
        row.billdr_name = NameOf(producers_, GetProdCode(rule.billdr.c_str()));
        row.producer_name = NameOf(producers_, rule.producer);
        row.amounts = pairs_.at({rule.billdr, rule.producer});
        Remainders(rule, &row);
        if (out_->groups.empty() || out_->groups.back().code != rule.group) {
            GroupRow g;
            g.code = rule.group;
            g.practitioner = Practitioner(rule.group);
            out_->groups.push_back(std::move(g));
        }
        out_->groups.back().rules.push_back(std::move(row));
    }
    return Outcome::Done;
}

}  // namespace

Outcome Collect(const CollectRequest& request, RevDistData* out, std::string* error) {
    if (!request.launcher) {
        *error = "Aucune base de données ouverte";
        return Outcome::Failed;
    }
    Collector c(request, out);
    return c.Run(error);
}

}  // namespace revdist
