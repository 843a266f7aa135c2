#include "common/rptoptini.h"

#include <cstdlib>
#include <cstring>
#include <exception>
#include <set>

#include "host/base/debuglog.h"
#include "host/base/text.h"
#include "host/records/context.h"
#include "host/records/records.h"

namespace {

using Field = RptOptWDIniObj::Field;
using Family = RptOptWDIniObj::Family;
using O = RptOptWDIniObj;

constexpr int kFirstRow = 5;
constexpr int kLastRow = 8;

// Width of the producer code in row 5 PPST_A11_FIELD01, before the day-end flags.
constexpr int kProducerWidth = 4;

std::string Text(const char* buf, size_t size) {
    return std::string(buf, strnlen(buf, size));
}

template <size_t N>
void SetText(char (&buf)[N], const std::string& text) {
    host::CopyText(buf, N, text);
}

std::string LongText(long v) {
    return std::to_string(v);
}

// Day-end flags are stored as characters 5 to 8 of the producer column; a flag that holds
// nothing is kept as a blank so that the ones after it keep their places.
std::string ProducerAndFlags(const O& o) {
    std::string flags;
    for (char f : o.dayend_flag)
        flags += f ? f : ' ';
    return host::U8Format("%-*.*s", kProducerWidth, kProducerWidth,
                          Text(o.ar_info.producer, sizeof o.ar_info.producer).c_str()) +
           flags;
}

void ReadProducerAndFlags(O& o, const std::string& stored) {
    SetText(o.ar_info.producer, host::TrimRight(host::U8Left(stored, 3)));
    const std::string after = host::U8Left(stored, kProducerWidth).size() < stored.size()
                                  ? stored.substr(host::U8Left(stored, kProducerWidth).size())
                                  : std::string();
    for (size_t i = 0; i < 4; ++i) {
        const char c = i < after.size() ? after[i] : '\0';
        o.dayend_flag[i] = c == ' ' ? '\0' : c;
    }
}

// One 16-bit integer field bound to a member.
#define INT_FIELD(row, k, writers, what, member)                                              \
    Field {                                                                                   \
        row, Family::Int, k, writers, what,                                                   \
            [](O& o, ppset_struct& r) { o.member = r.IntField(k); },                          \
            [](const O& o, ppset_struct& r) { r.IntField(k) = static_cast<short>(o.member); } \
    }

const std::vector<Field> kFields = {
    // Row 5.
    INT_FIELD(5, 1, O::kDayEnd, "day-end option 1", dayend_opt[0]),
    INT_FIELD(5, 2, O::kDayEnd, "day-end option 2", dayend_opt[1]),
    INT_FIELD(5, 3, O::kDayEnd, "day-end option 3", dayend_opt[2]),
    INT_FIELD(5, 4, O::kDayEnd, "day-end option 4", dayend_opt[3]),
    INT_FIELD(5, 5, O::kDayEnd, "day-end option 5", dayend_opt[4]),
    INT_FIELD(5, 6, O::kPracAnal, "practice-analysis option 1", prca_opt[0]),
    INT_FIELD(5, 7, O::kPracAnal, "practice-analysis option 2", prca_opt[1]),
    INT_FIELD(5, 8, O::kPracAnal, "practice-analysis option 3", prca_opt[2]),
    {5, Family::A2, 1, O::kPracAnal, "practice-analysis code",
     [](O& o, ppset_struct& r) { o.prca_code = r.A2Field(1); },
     [](const O& o, ppset_struct& r) { r.A2Field(1) = o.prca_code; }},
    {5, Family::A2, 2, O::kAR, "AR report: overdue selection (its number)",
     [](O& o, ppset_struct& r) {
         const char c = r.A2Field(2);
         SetText(o.ar_info.overdue_text, c ? std::string(1, c) : std::string());
     },
     [](const O& o, ppset_struct& r) { r.A2Field(2) = o.ar_info.overdue_text[0]; }},
    {5, Family::A2, 6, O::kAR, "AR report: future amounts 'Y'/'N'",
     [](O& o, ppset_struct& r) { o.ar_info.future = r.A2Field(6); },
     [](const O& o, ppset_struct& r) { r.A2Field(6) = o.ar_info.future; }},
    {5, Family::A11, 1, O::kAR | O::kDayEnd,
     "\"%-4.4s%c%c%c%c\": AR producer code, day-end flags 1 to 4",
     [](O& o, ppset_struct& r) { ReadProducerAndFlags(o, r.A11Field(1)); },
     [](const O& o, ppset_struct& r) { r.A11Field(1) = ProducerAndFlags(o); }},
    {5, Family::A11, 2, O::kAR, "AR report: as-of date \"%ld\"",
     [](O& o, ppset_struct& r) { o.ar_info.as_of = std::atol(r.A11Field(2).c_str()); },
     [](const O& o, ppset_struct& r) { r.A11Field(2) = LongText(o.ar_info.as_of); }},
    {5, Family::A11, 3, O::kAR, "AR report: minimum balance in cents \"%ld\"",
     [](O& o, ppset_struct& r) { o.ar_info.min_balance = std::atol(r.A11Field(3).c_str()); },
     [](const O& o, ppset_struct& r) { r.A11Field(3) = LongText(o.ar_info.min_balance); }},
    // Row 6.
    INT_FIELD(6, 6, O::kMthEnd, "month-end option 1", mthend_opt[0]),
    INT_FIELD(6, 7, O::kMthEnd, "month-end option 2", mthend_opt[1]),
    INT_FIELD(6, 8, O::kMthEnd, "month-end option 3", mthend_opt[2]),
    INT_FIELD(6, 9, O::kMthEnd, "month-end option 4", mthend_opt[3]),
    INT_FIELD(6, 10, O::kMthEnd, "month-end option 5", mthend_opt[4]),
    INT_FIELD(6, 11, O::kDayEnd, "day-end option 6", dayend_opt[5]),
    INT_FIELD(6, 12, O::kDayEnd, "day-end option 7", dayend_opt[6]),
    INT_FIELD(6, 13, O::kDayEnd, "day-end option 8", dayend_opt[7]),
    INT_FIELD(6, 14, O::kDayEnd, "day-end option 9", dayend_opt[8]),
    INT_FIELD(6, 15, O::kDayEnd, "day-end option 10", dayend_opt[9]),
    INT_FIELD(6, 16, O::kDayEnd, "day-end option 11", dayend_opt[10]),
    INT_FIELD(6, 17, O::kMthEnd, "month-end option 6", mthend_opt[5]),
    // Row 7.
    INT_FIELD(7, 1, O::kMthEnd, "month-end option 7", mthend_opt[6]),
    INT_FIELD(7, 2, O::kMthEnd, "month-end option 8", mthend_opt[7]),
    INT_FIELD(7, 3, O::kAR, "AR report: report-by on its second entry", ar_info.report_by_producer),
    INT_FIELD(7, 4, O::kAR, "AR report: overdue number", ar_info.overdue_num),
    INT_FIELD(7, 5, O::kAR, "AR report: report kind", ar_info.kind),
    INT_FIELD(7, 6, O::kAR, "AR report: grouping", ar_info.grouping),
    INT_FIELD(7, 7, O::kAR, "AR report: option 111", ar_info.option111),
    INT_FIELD(7, 9, O::kOvernite, "overnight job 1", overnite_opt[0]),
    INT_FIELD(7, 10, O::kOvernite, "overnight job 2", overnite_opt[1]),
    INT_FIELD(7, 11, O::kOvernite, "overnight job 3", overnite_opt[2]),
    INT_FIELD(7, 12, O::kOvernite, "overnight job 4", overnite_opt[3]),
    INT_FIELD(7, 13, O::kDayEnd, "day-end option 12", dayend_opt[11]),
    INT_FIELD(7, 15, O::kMthEnd, "month-end option 9", mthend_opt[8]),
    INT_FIELD(7, 16, O::kMthEnd, "month-end option 10", mthend_opt[9]),
    INT_FIELD(7, 17, O::kDayEnd, "day-end option 13", dayend_opt[12]),
    // Row 8.
    INT_FIELD(8, 1, O::kAR, "AR report: notes", ar_info.notes),
    INT_FIELD(8, 2, O::kAR, "AR report: copies", ar_info.copies),
    INT_FIELD(8, 3, O::kDeposit, "deposit option 1", deposit_opt[0]),
    INT_FIELD(8, 4, O::kDeposit, "deposit option 2", deposit_opt[1]),
    INT_FIELD(8, 5, O::kInsAR, "insurance AR: report kind", ins_ar_info.kind),
    INT_FIELD(8, 6, O::kInsAR, "insurance AR: doctor grouping", ins_ar_info.grouping),
    INT_FIELD(8, 7, O::kInsAR, "insurance AR: copies", ins_ar_info.copies),
    INT_FIELD(8, 8, O::kDeposit, "deposit option 3", deposit_opt[2]),
    INT_FIELD(8, 9, O::kDeposit, "deposit option 4", deposit_opt[3]),
    INT_FIELD(8, 10, O::kDeposit, "deposit option 5", deposit_opt[4]),
    INT_FIELD(8, 11, O::kDeposit, "deposit option 6", deposit_opt[5]),
    INT_FIELD(8, 12, O::kDeposit, "deposit option 7", deposit_opt[6]),
    INT_FIELD(8, 13, O::kDeposit, "deposit option 8", deposit_opt[7]),
    INT_FIELD(8, 14, O::kDayEnd, "day-end option 14", dayend_opt[13]),
    INT_FIELD(8, 15, O::kARQuick, "AR quick list: grouping", ar_quick_info.grouping),
    INT_FIELD(8, 16, O::kARQuick, "AR quick list: report-by on its second entry",
              ar_quick_info.report_by_producer),
    INT_FIELD(8, 17, O::kARQuick, "AR quick list: its flag", ar_quick_extra),
    {8, Family::A11, 1, O::kARQuick, "AR quick list: producer code",
     [](O& o, ppset_struct& r) {
         SetText(o.ar_quick_info.producer, host::TrimRight(r.A11Field(1)));
     },
     [](const O& o, ppset_struct& r) {
         r.A11Field(1) = Text(o.ar_quick_info.producer, sizeof o.ar_quick_info.producer);
     }},
    {8, Family::A11, 2, O::kARQuick, "AR quick list: as-of date \"%ld\"",
     [](O& o, ppset_struct& r) { o.ar_quick_info.as_of = std::atol(r.A11Field(2).c_str()); },
     [](const O& o, ppset_struct& r) { r.A11Field(2) = LongText(o.ar_quick_info.as_of); }},
    {8, Family::A11, 3, O::kARQuick, "AR quick list: overdue selection (its first 10 characters)",
     [](O& o, ppset_struct& r) { SetText(o.ar_quick_info.overdue_text, r.A11Field(3)); },
     [](const O& o, ppset_struct& r) {
         r.A11Field(3) = host::U8Left(
             Text(o.ar_quick_info.overdue_text, sizeof o.ar_quick_info.overdue_text), 10);
     }},
    {8, Family::A11, 4, O::kARQuick, "AR quick list: minimum balance in cents \"%ld\"",
     [](O& o, ppset_struct& r) { o.ar_quick_info.min_balance = std::atol(r.A11Field(4).c_str()); },
     [](const O& o, ppset_struct& r) { r.A11Field(4) = LongText(o.ar_quick_info.min_balance); }},
    {8, Family::A51, 1, O::kInsAR, "insurance AR: doctor code",
     [](O& o, ppset_struct& r) { SetText(o.ins_ar_info.doctor, r.A51Field(1)); },
     [](const O& o, ppset_struct& r) {
         r.A51Field(1) = Text(o.ins_ar_info.doctor, sizeof o.ins_ar_info.doctor);
     }},
    {8, Family::A51, 2, O::kInsAR, "insurance AR: insurance company code",
     [](O& o, ppset_struct& r) { SetText(o.ins_ar_info.carrier, r.A51Field(2)); },
     [](const O& o, ppset_struct& r) {
         r.A51Field(2) = Text(o.ins_ar_info.carrier, sizeof o.ins_ar_info.carrier);
     }},
    {8, Family::A51, 3, O::kInsAR, "insurance AR: as-of date \"%ld\"",
     [](O& o, ppset_struct& r) { o.ins_ar_info.as_of = std::atol(r.A51Field(3).c_str()); },
     [](const O& o, ppset_struct& r) { r.A51Field(3) = LongText(o.ins_ar_info.as_of); }},
    {8, Family::A51, 4, O::kInsAR, "insurance AR: overdue selection",
     [](O& o, ppset_struct& r) { SetText(o.ins_ar_info.overdue_text, r.A51Field(4)); },
     [](const O& o, ppset_struct& r) {
         r.A51Field(4) = Text(o.ins_ar_info.overdue_text, sizeof o.ins_ar_info.overdue_text);
     }},
    {8, Family::A51, 5, O::kInsAR, "insurance AR: minimum balance in cents \"%ld\"",
     [](O& o, ppset_struct& r) { o.ins_ar_info.min_balance = std::atol(r.A51Field(5).c_str()); },
     [](const O& o, ppset_struct& r) { r.A51Field(5) = LongText(o.ins_ar_info.min_balance); }},
};

#undef INT_FIELD

}  // namespace

const std::vector<Field>& RptOptWDIniObj::Fields() {
    return kFields;
}

// --- Construction ---

RptOptWDIniObj::RptOptWDIniObj() {
    QDSApplication* app = QDSApplication::Instance();
    const DLnkList list(app ? app->GetDb() : nullptr);
    MakeHostObjects(&list);
    read_inisect();
}

RptOptWDIniObj::RptOptWDIniObj(LauncherInfo* launcher) {
    MakeHostObjects(launcher ? launcher->GetListPtr() : nullptr);
    read_inisect();
}

RptOptWDIniObj::RptOptWDIniObj(DLnkList* list) {
    MakeHostObjects(list);
    read_inisect();
}

RptOptWDIniObj::RptOptWDIniObj(const RptOptWDIniObj& other) : WDIniObj(other) {
    MakeHostObjects(other.list_.get());
    CopyOptions(other);
}

RptOptWDIniObj& RptOptWDIniObj::operator=(const RptOptWDIniObj& other) {
    if (this == &other) return *this;
    WDIniObj::operator=(other);
    MakeHostObjects(other.list_.get());
    CopyOptions(other);
    return *this;
}

RptOptWDIniObj::~RptOptWDIniObj() {
    // Only what this object changed is written back, so that closing a dialog never puts
    // back values that another workstation saved in the meantime.
    try {
        const bool changed = std::memcmp(prca_opt, read_prca_opt_, sizeof prca_opt) != 0 ||
                             prca_code != read_prca_code_;
        if (changed && !update_inisect())
            WriteDebugLogFile("Options des rapports : %s", error_.c_str());
    } catch (const std::exception& e) {
        WriteDebugLogFile("Options des rapports : %s", e.what());
    } catch (...) {
        WriteDebugLogFile("Options des rapports : erreur à la fermeture");
    }
}

void RptOptWDIniObj::MakeHostObjects(const DLnkList* list) {
    ppset_.reset();
    msg_.reset();
    list_ = std::make_unique<DLnkList>(list ? *list : DLnkList());
    msg_ = std::make_unique<MsgInfo>(3300, list_.get());
    ppset_ = std::make_unique<PPSetInfo>(list_.get(), msg_.get());
    rec_ = ppset_->GetItem();
}

void RptOptWDIniObj::CopyOptions(const RptOptWDIniObj& o) {
    ar_quick_info = o.ar_quick_info;
    ar_quick_extra = o.ar_quick_extra;
    ar_info = o.ar_info;
    ar_extra = o.ar_extra;
    ins_ar_info = o.ins_ar_info;
    std::memcpy(dayend_opt, o.dayend_opt, sizeof dayend_opt);
    std::memcpy(dayend_flag, o.dayend_flag, sizeof dayend_flag);
    std::memcpy(mthend_opt, o.mthend_opt, sizeof mthend_opt);
    std::memcpy(deposit_opt, o.deposit_opt, sizeof deposit_opt);
    std::memcpy(overnite_opt, o.overnite_opt, sizeof overnite_opt);
    std::memcpy(prca_opt, o.prca_opt, sizeof prca_opt);
    prca_code = o.prca_code;
    std::memcpy(read_prca_opt_, o.read_prca_opt_, sizeof read_prca_opt_);
    read_prca_code_ = o.read_prca_code_;
    error_ = o.error_;
}

void RptOptWDIniObj::Clear() {
    ar_quick_info = arrpt_info{};
    ar_quick_extra = 0;
    ar_info = arrpt_info{};
    ar_extra = 0;
    ins_ar_info = insarrpt_info{};
    std::memset(dayend_opt, 0, sizeof dayend_opt);
    std::memset(dayend_flag, 0, sizeof dayend_flag);
    std::memset(mthend_opt, 0, sizeof mthend_opt);
    std::memset(deposit_opt, 0, sizeof deposit_opt);
    std::memset(overnite_opt, 0, sizeof overnite_opt);
    std::memset(prca_opt, 0, sizeof prca_opt);
    prca_code = '\0';
}

bool RptOptWDIniObj::Fail(const std::string& what) {
    const char* db_error = list_ && list_->db() ? list_->db()->dbLastError() : nullptr;
    const std::string pending = msg_ ? msg_->errors().Text() : std::string();
    error_ = what;
    if (!pending.empty())
        error_ += " : " + pending;
    else if (db_error)
        error_ += " : " + std::string(db_error);
    if (msg_) msg_->errors().ClearErrMsgInfo();
    return false;
}

// --- Reading ---

bool RptOptWDIniObj::read_inisect() {
    Clear();
    error_.clear();
    bool ok = true;
    if (!list_->db()) {
        ok = Fail("aucune base de données");
    } else if (!ppset_->LockIt(2)) {
        ok = Fail("verrou des paramètres refusé");
    } else {
        for (bool more = ppset_->DBGetFirst(); more && rec_->ppst_id <= kLastRow;
             more = ppset_->DBGetNext()) {
            const int row = static_cast<int>(rec_->ppst_id);
            if (row < kFirstRow) continue;
            for (const Field& f : kFields)
                if (f.row == row) f.read(*this, *rec_);
        }
        if (ppset_->DbFailed()) ok = Fail("lecture des paramètres");
        ppset_->UnLockIt(2);
    }
    std::memcpy(read_prca_opt_, prca_opt, sizeof prca_opt);
    read_prca_code_ = prca_code;
    return ok;
}

// --- Writing ---

bool RptOptWDIniObj::Update(unsigned writer) {
    error_.clear();
    GenDB* db = list_->db();
    if (!db) return Fail("aucune base de données");
    std::set<int> rows;
    for (const Field& f : kFields)
        if (f.writers & writer) rows.insert(f.row);
    auto write_row = [&](ppset_struct& r) {
        for (const Field& f : kFields)
            if (f.row == r.ppst_id && (f.writers & writer)) f.write(*this, r);
    };

    if (!ppset_->LockIt(3)) return Fail("verrou des paramètres refusé");
    bool ok = true;
    {
        host::DbTransaction tx(*db);
        ok = tx.ok();
        std::set<int> done;
        for (bool more = ok && ppset_->DBGetFirst(); ok && more && rec_->ppst_id <= kLastRow;
             more = ppset_->DBGetNext()) {
            const int row = static_cast<int>(rec_->ppst_id);
            if (!rows.count(row)) continue;
            write_row(*rec_);
            ok = ppset_->WriteRec();
            done.insert(row);
        }
        if (ok && ppset_->DbFailed()) ok = false;
        // A row the table does not have yet is added with this object's fields.
        for (int row : rows) {
            if (!ok || done.count(row)) continue;
            ppset_->ClearRec();
            rec_->ppst_id = row;
            write_row(*rec_);
            ok = ppset_->AddRec();
        }
        if (ok) ok = tx.Commit();
    }
    ppset_->UnLockIt(3);
    if (!ok) return Fail("enregistrement des paramètres");
    if (writer & kPracAnal) {
        std::memcpy(read_prca_opt_, prca_opt, sizeof prca_opt);
        read_prca_code_ = prca_code;
    }
    return true;
}

bool RptOptWDIniObj::update_ar() {
    return Update(kAR);
}
bool RptOptWDIniObj::update_arquicklst() {
    return Update(kARQuick);
}
bool RptOptWDIniObj::update_dayend() {
    return Update(kDayEnd);
}
bool RptOptWDIniObj::update_deposit() {
    return Update(kDeposit);
}
bool RptOptWDIniObj::update_inisect() {
    return Update(kPracAnal);
}
bool RptOptWDIniObj::update_ins_ar() {
    return Update(kInsAR);
}
bool RptOptWDIniObj::update_mthend() {
    return Update(kMthEnd);
}
bool RptOptWDIniObj::update_overnite() {
    return Update(kOvernite);
}
