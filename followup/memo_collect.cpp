#include "followup/memo_collect.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

#include "host/base/dates.h"
#include "host/base/text.h"
#include "host/db/gendb.h"
#include "host/output/progress.h"
#include "host/records/context.h"
#include "host/records/records.h"

namespace memo {

namespace {

constexpr int kCursor = 31620;

// The memos due in the range, once per owner; the last column names the owner kind. The
// parts stand without parentheses, which SQLite does not accept around a union's parts, and
// are joined by UNION ALL: the owner kind keeps their rows apart, so there is nothing to
// remove and the engine need not compare the memo texts.
constexpr const char* kUnion =
    "select pnot_id, pnot_duedate, pnot_type, pnot_rectype, pat_id, pat_pname, pat_lname, "
    "pnot_comment, 2 AS owner_kind from %spatnote, %spatient where PNOT_DUEDATE >= %ld and  "
    "PNOT_DUEDATE <= %ld  and PNOT_PATID > 0 AND PAT_ID = PNOT_PATID UNION ALL select pnot_id, "
    "pnot_duedate, pnot_type, pnot_rectype, usr_id, user_name,user_logon, pnot_comment, 25 AS "
    "owner_kind from %spatnote, %suseridcd where PNOT_DUEDATE >= %ld and  PNOT_DUEDATE <= %ld  "
    "and PNOT_USERID > 0 AND USR_ID = PNOT_USERID UNION ALL select pnot_id, pnot_duedate, "
    "pnot_type, pnot_rectype, prod_id, prod_first_name, prod_last_name, pnot_comment, 37 AS "
    "owner_kind from %spatnote, %sprodcd where PNOT_DUEDATE >= %ld and  PNOT_DUEDATE <= %ld  "
    "and PNOT_PRDID > 0 AND PROD_ID = PNOT_PRDID";

Outcome BySql(const CollectRequest& req, GenDB* db, MemoData* out, std::string* error) {
    const std::string p = db->dbTablePrefix();
    std::string sql(std::string(kUnion).size() + 6 * p.size() + 128, '\0');
    const int n = std::snprintf(sql.data(), sql.size(), kUnion, p.c_str(), p.c_str(), req.from,
                                req.to, p.c_str(), p.c_str(), req.from, req.to, p.c_str(),
                                p.c_str(), req.from, req.to);
    sql.resize(n > 0 ? static_cast<size_t>(n) : 0);
    if (db->dbOpen(sql, kCursor) != 0) {
        *error = FailureText(*req.launcher->GetMsgPtr(), db, "Lecture des mémos");
        return Outcome::Failed;
    }
    int r;
    for (r = db->dbFetch(0, kCursor); r == 0; r = db->dbFetch(1, kCursor)) {
        MemoLine l;
        long kind = 0;
        db->dbGetLong(1, &l.memo_id, kCursor);
        db->dbGetLong(2, &l.due_date, kCursor);
        db->dbGetField(3, &l.type, kCursor);
        db->dbGetLong(5, &l.owner_id, kCursor);
        db->dbGetField(6, &l.first_name, kCursor);
        db->dbGetField(7, &l.last_name, kCursor);
        db->dbGetField(8, &l.text, kCursor);
        db->dbGetLong(9, &kind, kCursor);
        l.kind = static_cast<int>(kind);
        out->lines.push_back(std::move(l));
        if (req.meter && req.meter->Cancel()) {
            db->dbClose(kCursor);
            return Outcome::Cancelled;
        }
    }
    db->dbClose(kCursor);
    if (r < 0) {
        *error = FailureText(*req.launcher->GetMsgPtr(), db, "Lecture des mémos");
        return Outcome::Failed;
    }
    return Outcome::Done;
}

// The owner's first and last names, read once per owner; false when it has no record.
template <class Info, class Names>
bool Owner(Info& info, std::map<long, std::pair<std::string, std::string>>& cache, long id,
           Names names, MemoLine* l) {
    auto it = cache.find(id);
    if (it == cache.end()) {
        if (!info.DBFindRecById(host::SqlValue(id))) return false;
        it = cache.emplace(id, names(info.Rec())).first;
    }
    l->first_name = it->second.first;
    l->last_name = it->second.second;
    return true;
}

Outcome ByRecords(const CollectRequest& req, MemoData* out, std::string* error) {
    DLnkList* list = req.launcher->GetListPtr();
    MsgInfo* msg = req.launcher->GetMsgPtr();
    PatNoteInfo notes(list, msg);
    PersInfo patients(list, msg);
    UseridInfo users(list, msg);
    ProdInfo producers(list, msg);
    std::map<long, std::pair<std::string, std::string>> pat_names, usr_names, prd_names;
    bool more = notes.DBLocateFirst(PatNoteInfo::KEY_DUEDATE, {host::SqlValue(req.from)});
    for (; more && notes.Rec().duedate <= req.to; more = notes.DBGetNext()) {
        const patnote_struct& n = notes.Rec();
        MemoLine l;
        l.memo_id = n.pnot_id;
        l.due_date = n.duedate;
        l.type = n.type;
        l.text = n.comment;
        // A memo may belong to several owners: one line each, as the union gives.
        if (n.pat_id > 0) {
            MemoLine m = l;
            m.kind = kPatient;
            m.owner_id = n.pat_id;
            if (Owner(
                    patients, pat_names, n.pat_id,
                    [](const patient_struct& r) { return std::make_pair(r.pname, r.lname); }, &m))
                out->lines.push_back(std::move(m));
        }
        if (n.user_id > 0) {
            MemoLine m = l;
            m.kind = kUser;
            m.owner_id = n.user_id;
            if (Owner(
                    users, usr_names, n.user_id,
                    [](const useridcd_struct& r) { return std::make_pair(r.name, r.logon); }, &m))
                out->lines.push_back(std::move(m));
        }
        if (n.prd_id > 0) {
            MemoLine m = l;
            m.kind = kProducer;
            m.owner_id = n.prd_id;
            if (Owner(
                    producers, prd_names, n.prd_id,
                    [](const prodcd_struct& r) {
                        return std::make_pair(r.first_name, r.last_name);
                    },
                    &m))
                out->lines.push_back(std::move(m));
        }
        if (req.meter && req.meter->Cancel()) return Outcome::Cancelled;
    }
    if (notes.DbFailed() || patients.DbFailed() || users.DbFailed() || producers.DbFailed()) {
        *error =
            FailureText(*req.launcher->GetMsgPtr(), req.launcher->GetDb(), "Lecture des mémos");
        return Outcome::Failed;
    }
    return Outcome::Done;
}

}  // namespace

std::string MemoKey(MemoLine* line) {
    if (line->kind == kUser && host::Trim(line->type) == "SCH") {
        line->kind = kScheduledUser;
        return host::U8Format("%3d%8ld", line->kind, line->due_date);
    }
    const std::string last = host::U8Fit(line->last_name, 15);
    const std::string first = host::U8Fit(line->first_name, 15);
    return host::U8Format("%3d%8ld", line->kind, line->due_date) + last + first;
}

Outcome Collect(const CollectRequest& req, MemoData* out, std::string* error) {
    out->from = req.from;
    out->to = req.to;
    out->lines.clear();
    GenDB* db = req.launcher ? req.launcher->GetDb() : nullptr;
    if (!db) {
        *error = "Aucune base de données ouverte";
        return Outcome::Failed;
    }
    // No from date: every memo due up to the to date.
    if ((req.from != 0 && !host::IsValidDate(req.from)) || !host::IsValidDate(req.to) ||
        req.to < req.from) {
        *error = "Période invalide : " + std::to_string(req.from) + " à " + std::to_string(req.to);
        return Outcome::Failed;
    }
    int mode = req.mode;
    if (mode < 0) mode = req.launcher->App() ? req.launcher->App()->m_CalAR : 1;
    const Outcome o = mode == 1 ? BySql(req, db, out, error) : ByRecords(req, out, error);
    if (o != Outcome::Done) return o;
    for (MemoLine& l : out->lines)
        l.key = MemoKey(&l);
    // The keyed list: by key, then by memo id so that equal keys keep one order on both
    // paths and engines.
    std::stable_sort(out->lines.begin(), out->lines.end(),
                     [](const MemoLine& a, const MemoLine& b) {
                         if (a.key != b.key) return a.key < b.key;
                         if (a.memo_id != b.memo_id) return a.memo_id < b.memo_id;
                         return a.owner_id < b.owner_id;
                     });
    return Outcome::Done;
}

namespace {

// The character of a Windows-1252 byte, in UTF-8.
std::string FromCp1252(unsigned char c) {
    static const char16_t kHigh[32] = {
        0x20AC, 0x81,   0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021, 0x2C6,  0x2030, 0x160,
        0x2039, 0x152,  0x8D,   0x17D,  0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x2DC,  0x2122, 0x161,  0x203A, 0x153,  0x9D,   0x17E,  0x178};
    const unsigned cp = c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : c;
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string RtfToText(const std::string& s) {
    std::string out;
    // Depth at which a skipped destination ({\fonttbl ...}, {\* ...}) started, or -1.
    int depth = 0, skip_from = -1;
    for (size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (c == '{') {
            ++depth;
            ++i;
            continue;
        }
        if (c == '}') {
            if (skip_from == depth) skip_from = -1;
            --depth;
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '\\') {
            if (skip_from < 0) out += c;
            ++i;
            continue;
        }
        // A control symbol or word.
        if (i + 1 >= s.size()) break;
        const char d = s[i + 1];
        if (d == '\\' || d == '{' || d == '}') {
            if (skip_from < 0) out += d;
            i += 2;
            continue;
        }
        if (d == '\'') {
            const int h = i + 3 < s.size() ? HexDigit(s[i + 2]) : -1;
            const int l = i + 3 < s.size() ? HexDigit(s[i + 3]) : -1;
            if (h >= 0 && l >= 0 && skip_from < 0)
                out += FromCp1252(static_cast<unsigned char>(h * 16 + l));
            i += 4;
            continue;
        }
        if (d == '*') {
            if (skip_from < 0) skip_from = depth;
            i += 2;
            continue;
        }
        size_t j = i + 1;
        while (j < s.size() && std::isalpha(static_cast<unsigned char>(s[j])))
            ++j;
        const std::string word = s.substr(i + 1, j - i - 1);
        if (j < s.size() && (s[j] == '-' || std::isdigit(static_cast<unsigned char>(s[j])))) {
            ++j;
            while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
                ++j;
        }
        if (j < s.size() && s[j] == ' ') ++j;
        if (word.empty()) {
            ++j;  // another control symbol (\~, \-): passed over
        } else if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" ||
                   word == "info" || word == "pict") {
            if (skip_from < 0) skip_from = depth;
        } else if (skip_from < 0) {
            if (word == "par" || word == "line")
                out += '\n';
            else if (word == "tab")
                out += ' ';
        }
        i = j;
    }
    return out;
}

}  // namespace

std::vector<std::string> PlainLines(const std::string& stored) {
    const std::string text = stored.rfind("{\\rtf", 0) == 0 ? RtfToText(stored) : stored;
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t nl = text.find('\n', start);
        std::string line = text.substr(start, nl == std::string::npos ? nl : nl - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(host::TrimRight(line));
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

}  // namespace memo
