#include "receivables/ar_reports.h"

#include <algorithm>
#include <cstring>

#include "host/base/dates.h"
#include "host/base/numfmt.h"
#include "host/base/text.h"
#include "host/records/practice.h"

using host::calc::Aged;
using host::calc::AgedGroups;
using host::calc::kFuture;
using host::calc::kTotal;

namespace {

// String numbers of the receivable reports.
enum : int {
    kDoctorMissing = 6566,
    kReportTitle = 6567,
    kMinBalance = 6568,
    kAsOf = 6569,
    kHeadingByProducer = 6571,
    kHeadingByDoctor = 6572,
    kMarkDeleted = 6573,
    kMarkPlan = 6574,
    kMarkInsurance = 6575,
    kLabelPatient = 6576,
    kLabelInsurance = 6577,
    kLabelTotal = 6578,
    kAccTotalTitle = 6579,
    kSummaries = 6580,
    kSumHeading = 6581,
    kSectionByDoctor = 6583,
    kSectionByProducer = 6584,
    kMeterAccount = 6585,
    kMeterPatient = 6586,
    kMeterSummary = 6587,
    kMeterSumDoctor = 6588,
    kMeterSumProducer = 6589,
    kAccTotalLayout = 6590,
    kQuickTitle = 6591,
    kQuickHeading = 6592,
    kQuickTotalTitle = 6593,
    kQuickMeter = 6594,
    kQuickTotalLayout = 6595,
    kForAll = 6596,
    kToPayPatients = 6597,
    kToPayInsurance = 6598,
    kTotalReceivable = 6599,
    kPercentReceivable = 6600,
    kPlanBalance = 6602,
    kPlansHeading = 6605,
    kPlansColumns = 6606,
    kFamilyDoctor = 7920,
    kStatement = 7921,
    kLastClaim = 7922,
    kPatientCount = 7923,
    kInstalment = 7924,
    kNotesTitle = 7925,
    kAccountsListed = 7926,
    kAccountsInCredit = 7927,
    kPlanBalances = 7928,
};

const std::string& S(int id) {
    return host::LoadText(id);
}

std::string Amount(int64_t cents) {
    return host::FormatAmount(cents);
}

std::string ShortDate(long date) {
    return host::FormatDate(date, DATE_FMT_DMY2);
}

// The last character position of each of the last n words of a heading (words are runs
// of characters separated by two blanks or more).
std::vector<int> WordEnds(const std::string& heading, size_t n) {
    std::vector<int> ends;
    const std::string h = heading;
    int col = 0, last_end = -1;
    bool in_word = false;
    int blanks = 0;
    // Walk by characters so that accented headings give character positions.
    for (size_t i = 0; i < h.size();) {
        const auto c = static_cast<unsigned char>(h[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
        if (h[i] == ' ') {
            ++blanks;
            if (in_word && blanks >= 2) {
                ends.push_back(last_end);
                in_word = false;
            }
        } else {
            blanks = 0;
            in_word = true;
            last_end = col;
        }
        i += len;
        ++col;
    }
    if (in_word) ends.push_back(last_end);
    if (ends.size() > n) ends.erase(ends.begin(), ends.end() - static_cast<long>(n));
    return ends;
}

std::string TrimmedField(const char* s) {
    return host::Trim(s ? s : "");
}

// The criteria line under the titles: the overdue choice, the minimum balance when it
// applies, and the as-of date.
std::string CriteriaLine(const arrpt_info& info) {
    char date[32];
    ldate_to_str1(date, info.as_of, DATE_FMT_DMY);
    const std::string overdue = host::Trim(info.overdue_text);
    if (info.overdue_num >= 3 && info.min_balance != 0)
        return host::U8Format("(%s, %s $%s, %s : %s)", overdue.c_str(), S(kMinBalance).c_str(),
                              Amount(info.min_balance).c_str(), S(kAsOf).c_str(), date);
    return host::U8Format("(%s, %s : %s)", overdue.c_str(), S(kAsOf).c_str(), date);
}

// Prints texts right-aligned so that each ends under the matching word of heading's last
// words; a text too wide for its place is moved right rather than overwrite the previous one.
void PrintUnderHeading(OvReportObj& report, int line, const std::vector<std::string>& texts,
                       const std::string& heading) {
    const std::vector<int> ends = WordEnds(heading, texts.size());
    int previous_end = -1;
    for (size_t i = 0; i < ends.size() && i < texts.size(); ++i) {
        if (texts[i].empty()) continue;
        const int len = static_cast<int>(host::U8Length(texts[i]));
        int start = ends[i] - len + 1;
        if (start <= previous_end) start = previous_end + 1;
        report.PrintText(start, line, texts[i]);
        previous_end = start + len - 1;
    }
}

// The amounts of an aged group as printed texts (its first n columns).
std::vector<std::string> AmountTexts(const Aged& a, size_t n) {
    std::vector<std::string> t;
    for (size_t i = 0; i < n && i < 6; ++i)
        t.push_back(Amount(a.v[i]));
    return t;
}

// The six aged amounts as XML columns prefix + Courant, De30a60, ... AVenir.
void AddAgedColumns(IXmlExportWrapper* xml, const std::string& prefix, const Aged& a) {
    static const char* const kColumns[] = {"Courant", "De30a60", "De60a90",
                                           "Plus90",  "Total",   "AVenir"};
    for (int i = 0; i < 6; ++i)
        xml->AddAmount((prefix + kColumns[i]).c_str(), a.v[i]);
}

}  // namespace

// ================================================================= ARQuickRptObj

ARQuickRptObj::ARQuickRptObj(LauncherInfo* launcher, TWindow* parent, arrpt_info* info, FILE* out,
                             bool show_meter, short copies)
    : OvReportObj(launcher, parent, 'C', show_meter, 0, true, out, false, true),
      info_(info),
      copies_(copies < 1 ? 1 : copies),
      accounts_(launcher->GetListPtr(), launcher->GetMsgPtr()),
      patients_(launcher->GetListPtr(), launcher->GetMsgPtr()),
      plans_(launcher->GetListPtr(), launcher->GetMsgPtr()) {
    SetCopies(copies_);
    SetDocumentName("arrpt");
    xml_ = IXmlExportWrapper::CreateInstance();
    notes_xml_ = IXmlExportWrapper::CreateInstance();
}

ARQuickRptObj::~ARQuickRptObj() {
    UnLockFiles();
    IXmlExportWrapper::Destroy(xml_);
    IXmlExportWrapper::Destroy(notes_xml_);
}

bool ARQuickRptObj::OneProducer() const {
    return info_->grouping == 1 && ProducerCode() != "*";
}

std::string ARQuickRptObj::ProducerCode() const {
    std::string p = TrimmedField(info_->producer);
    return p.empty() ? "*" : p;
}

bool ARQuickRptObj::LockFiles() {
    GenDB* db = Launcher()->GetDb();
    if (!db) return false;
    for (const std::string& t : lock_pkts_) {
        if (!db->Lock(t, 2)) {
            UnLockFiles();
            return false;
        }
        locked_.push_back(t);
    }
    return true;
}

void ARQuickRptObj::UnLockFiles() {
    GenDB* db = Launcher() ? Launcher()->GetDb() : nullptr;
    if (db)
        for (const std::string& t : locked_)
            db->Unlock(t, 2);
    locked_.clear();
}

bool ARQuickRptObj::OpenReport() {
    if (!LockFiles()) return false;
    xml_->Reset();
    notes_xml_->Reset();
    totals_ = {};
    accounts_printed_ = accounts_in_credit_ = 0;
    plan_total_ = 0;
    return OvReportObj::OpenReport();
}

void ARQuickRptObj::SetColumns() {
    SetColumnStarts({0, 24, 46, 58, 61, 71, 83, 95, 107, 119});
}

int ARQuickRptObj::GetColsNum() {
    return 5;
}

long ARQuickRptObj::GetMaxMeterCount() {
    return account_list_.empty() ? accounts_.GetRecCount()
                                 : static_cast<long>(account_list_.size());
}

bool ARQuickRptObj::InitialCriteria() {
    // The accounts in name order, read whole (a few hundred bytes each), so that the
    // report can read ahead a batch at a time.
    account_list_.clear();
    accounts_.SetKey(AccountInfo::KEY_NAME);
    for (bool ok = accounts_.DBGetFirst(); ok; ok = accounts_.DBGetNext())
        account_list_.push_back(*accounts_.GetRecPtr());
    position_ = 0;
    more_ = !account_list_.empty();
    if (more_) {
        PrefetchBatch(0);
        account_ = account_list_[0];
    }
    return more_;
}

bool ARQuickRptObj::ContinueCriteria() {
    more_ = ++position_ < account_list_.size();
    if (more_) {
        if (position_ % kBatch == 0) PrefetchBatch(position_);
        account_ = account_list_[position_];
    }
    return more_;
}

std::vector<long> ARQuickRptObj::BatchIds(size_t first) const {
    std::vector<long> ids;
    for (size_t i = first; i < account_list_.size() && i < first + kBatch; ++i)
        ids.push_back(account_list_[i].acc_id);
    // Every batch has the same size (the last one repeats its last account), so that the
    // batch's statements keep one shape and are compiled once.
    while (!ids.empty() && ids.size() < kBatch)
        ids.push_back(ids.back());
    return ids;
}

void ARQuickRptObj::PrefetchBatch(size_t first) {
    batch_patients_.clear();
    const std::vector<long> ids = BatchIds(first);
    if (ids.empty()) return;
    std::string marks;
    std::vector<host::SqlValue> params;
    for (long id : ids) {
        marks += marks.empty() ? "?" : ", ?";
        params.emplace_back(id);
        batch_patients_[id];  // an account without patients has an empty list
    }
    patients_.SetKey(PersInfo::KEY_ID);
    if (!patients_.FindRecs("PAT_ACCID IN (" + marks + ")", params)) {
        if (patients_.DbFailed()) batch_patients_.clear();  // read per account instead
        return;
    }
    for (const patient_struct& p : patients_.Items())
        batch_patients_[p.acc_id].push_back(p);
}

bool ARQuickRptObj::GetAccARBal() {
    // The quick list does not recompute: it reads the amounts the account stores.
    const account_struct& a = account_;
    Aged& pat = acc_ar_.pat;
    Aged& ins = acc_ar_.ins;
    pat = {};
    ins = {};
    const int32_t p[4] = {a.pat_cur, a.pat_30, a.pat_60, a.pat_90};
    const int32_t n[4] = {a.ins_cur, a.ins_30, a.ins_60, a.ins_90};
    for (int i = 0; i < 4; ++i) {
        pat.v[i] = p[i];
        ins.v[i] = n[i];
        pat.v[kTotal] += p[i];
        ins.v[kTotal] += n[i];
    }
    pat.v[kFuture] = a.pat_fut;
    ins.v[kFuture] = a.ins_fut;
    acc_ar_.tot = pat;
    acc_ar_.tot += ins;
    // The additional amount (not yet aged) is owed now, by the patient.
    for (Aged* g : {&acc_ar_.pat, &acc_ar_.tot}) {
        g->v[0] += a.add_amt;
        g->v[kTotal] += a.add_amt;
    }
    return true;
}

bool ARQuickRptObj::ZeroBalAct() {
    return acc_ar_.pat.v[kTotal] == 0 && acc_ar_.pat.v[kFuture] == 0 &&
           acc_ar_.ins.v[kTotal] == 0 && acc_ar_.ins.v[kFuture] == 0 && account_.pplan_bal == 0;
}

bool ARQuickRptObj::OverdueTest(const AgedGroups& g) const {
    const int k = info_->overdue_num;
    if (k == 1) return true;
    if (k == 2) return !const_cast<ARQuickRptObj*>(this)->ZeroBalAct();
    if (k < 3 || k > 6) return true;
    for (const Aged* a : {&g.pat, &g.ins}) {
        int64_t sum = 0;
        for (int i = k - 3; i <= 3; ++i)
            sum += a->v[i];
        if (sum > info_->min_balance) return true;
    }
    return false;
}

ARQuickRptObj::Verdict ARQuickRptObj::QuickCriteria() {
    acc_ar_ = {};
    account_patients_.clear();
    family_doctor_.clear();
    if (auto it = batch_patients_.find(account_.acc_id); it != batch_patients_.end()) {
        account_patients_ = it->second;  // in patient order, as the batch was read
    } else {
        if (!patients_.GetAccountPatients(account_.acc_id)) return Verdict::Reject;
        account_patients_ = patients_.Items();
    }
    if (account_patients_.empty()) return Verdict::Reject;
    main_patient_ = account_patients_.front();
    for (const patient_struct& p : account_patients_)
        if (p.responsible == 'Y') {
            main_patient_ = p;
            break;
        }
    if (!main_patient_.doctor.empty()) family_doctor_ = GetProdCode(main_patient_.doctor.c_str());

    if (account_.status == 'D' && account_.delete_date <= info_->as_of) return Verdict::Reject;
    if (account_.sys_inactive == 'Y') return Verdict::Reject;
    if (!GetAccARBal()) return Verdict::Reject;
    if (info_->grouping != 1 && ProducerCode() != "*" && family_doctor_ != ProducerCode())
        return Verdict::Reject;
    return OverdueTest(acc_ar_) ? Verdict::Keep : Verdict::FailsOverdue;
}

void ARQuickRptObj::AddToTotals(const AgedGroups& g) {
    totals_ += g;
}

bool ARQuickRptObj::MatchCriteria() {
    if (QuickCriteria() != Verdict::Keep) return false;
    if (!OneProducer()) AddToTotals(acc_ar_);
    return true;
}

int ARQuickRptObj::GetLineReq() {
    return 1;
}

std::string ARQuickRptObj::AccountName() const {
    std::string name = host::U8Format("%s, %s %s%s", account_.lname.c_str(), account_.pname.c_str(),
                                      account_.mname.c_str(), account_.suffix.c_str());
    return host::TrimRight(name);
}

std::string ARQuickRptObj::PhoneText() const {
    const std::string& phone = account_.phone_kind == 'W' ? account_.work_ph : account_.home_ph;
    if (phone.empty()) return {};
    char buf[40];
    mk_phone_no(phone.c_str(), buf, true);
    const char kind =
        std::strchr("HWOE", account_.phone_kind) && account_.phone_kind ? account_.phone_kind : 'H';
    return std::string(buf) + host::U8Format(" (%c)", kind);
}

std::string ARQuickRptObj::LastPaymentText() const {
    if (account_.pmt_date == 0) return {};
    return ShortDate(account_.pmt_date) + " " + account_.pmt_dr;
}

std::string ARQuickRptObj::Markers() const {
    std::string m;
    if (account_.status == 'D') m += S(kMarkDeleted);
    if (has_plan_ || account_.pplan_bal != 0) m += S(kMarkPlan);
    if (account_.ins_billing == 'Y' && acc_ar_.ins.v[kTotal] != 0) m += S(kMarkInsurance);
    return m;
}

void ARQuickRptObj::PrintAmounts(int line, const Aged& a, const std::string& heading, bool future) {
    // Columns: current, 31-60, 61-90, over 90, total (and future).
    std::vector<std::string> texts = AmountTexts(a, 5);
    if (future) texts.push_back(Amount(a.v[kFuture]));
    PrintUnderHeading(*this, line, texts, heading);
}

void ARQuickRptObj::WriteXmlRow(const std::string& patient, long pat_id, const AgedGroups& g) {
    xml_->NewRow();
    xml_->AddColumn("Compte", static_cast<int64_t>(account_.acc_id));
    xml_->AddColumn("Nom", AccountName());
    if (pat_id != 0) {
        xml_->AddColumn("Patient", patient);
        xml_->AddColumn("NoPatient", static_cast<int64_t>(pat_id));
    }
    xml_->AddColumn("Telephone", PhoneText());
    xml_->AddColumn("DernierPaiement", LastPaymentText());
    xml_->AddColumn("Marques", Markers());
    xml_->AddColumn("Criteres", GetTitleStr(2));
    AddAgedColumns(xml_, "Pat", g.pat);
    AddAgedColumns(xml_, "Ass", g.ins);
    AddAgedColumns(xml_, "Tot", g.tot);
    xml_->EndRow();
}

int ARQuickRptObj::PrintDetail(int line) {
    // One line: the account, its telephone, its last payment and its total aged amounts.
    PrintText(0, line, host::U8Fit(AccountName(), 23));
    PrintText(24, line, host::U8Fit(PhoneText(), 21));
    PrintText(46, line, host::U8Fit(LastPaymentText(), 12));
    PrintAmounts(line, acc_ar_.tot, S(kQuickHeading), false);
    WriteXmlRow("", 0, acc_ar_);
    ++accounts_printed_;
    if (acc_ar_.tot.v[kTotal] < 0) ++accounts_in_credit_;
    plan_total_ += account_.pplan_bal;
    return 1;
}

std::string ARQuickRptObj::GetReportTitle() {
    return S(kQuickTitle);
}
std::string ARQuickRptObj::GetSubTitle() {
    return S(kQuickHeading);
}
std::string ARQuickRptObj::GetAccTotalTitle() {
    return S(kQuickTotalTitle);
}
std::string ARQuickRptObj::GetAccTotalFormatStr() {
    return S(kQuickTotalLayout);
}

std::string ARQuickRptObj::GetTitleStr(int i) {
    switch (i) {
        case 0:
            return GetReportTitle();
        case 1: {
            const std::string p = ProducerCode();
            if (p == "*") return S(kForAll);
            return p;
        }
        case 2:
            return CriteriaLine(*info_);
        default:
            return {};
    }
}

std::string ARQuickRptObj::GetMeterTitle() {
    return S(kQuickMeter);
}

int ARQuickRptObj::PrintSubTitle(int line) {
    PrintText(0, line, GetSubTitle());
    PrintRule(line + 1, 0, 131);
    return line + 3;
}

int ARQuickRptObj::PrintFamilyComments(int line) {
    for (size_t i = 0; i < note_lines_.size(); ++i)
        PrintText(4, line + static_cast<int>(i), note_lines_[i]);
    return NotesLines();
}

bool ARQuickRptObj::LoadNotes() {
    note_lines_.clear();
    if (!info_->notes) return true;
    GenDB* db = Launcher()->GetDb();
    if (!db) return false;
    const std::string p = db->dbTablePrefix();
    const std::string q =
        "SELECT PNOT_COMMENT, PNOT_DATE, PAT_PNAME FROM " + p + "PATNOTE," + p + "PATIENT, " + p +
        "ACCOUNT " + "WHERE PAT_ACCID = " + std::to_string(account_.acc_id) +
        " AND PAT_ACCID = ACC_ID " + " AND PNOT_PATID = PAT_ID " + " AND PNOT_TYPE = '" + "A/R" +
        "' " + " ORDER BY PNOT_DATE DESC, PNOT_ID DESC";
    constexpr int kCursor = 117;
    if (db->dbOpen(q, kCursor) != 0) return false;
    for (int r = db->dbFetch(0, kCursor); r == 0; r = db->dbFetch(1, kCursor)) {
        std::string comment, first;
        long date = 0;
        db->dbGetField(1, &comment, kCursor);
        db->dbGetLong(2, &date, kCursor);
        db->dbGetField(3, &first, kCursor);
        if (note_lines_.empty()) note_lines_.push_back(S(kNotesTitle));
        // The comment is folded into lines of at most 96 characters.
        std::string text = host::Trim(comment);
        for (char& c : text)
            if (c == '\n' || c == '\r' || c == '\t') c = ' ';
        const std::string lead = host::U8Format(
            "%-10.10s %-15.15s ", host::FormatDate(date, DATE_FMT_DMY).c_str(), first.c_str());
        bool first_line = true;
        do {
            std::string piece = host::U8Left(text, 96);
            if (host::U8Length(text) > 96) {
                const size_t blank = piece.rfind(' ');
                if (blank != std::string::npos && blank > 40) piece = piece.substr(0, blank);
            }
            text = host::TrimLeft(text.substr(piece.size()));
            note_lines_.push_back((first_line ? lead : std::string(27, ' ')) + piece);
            first_line = false;
        } while (!text.empty());
        notes_xml_->NewRow();
        notes_xml_->AddColumn("Compte", static_cast<int64_t>(account_.acc_id));
        notes_xml_->AddColumn("Nom", AccountName());
        notes_xml_->AddColumn("Date", static_cast<int64_t>(date));
        notes_xml_->AddColumn("Prenom", first);
        notes_xml_->AddColumn("Commentaire", host::Trim(comment));
        notes_xml_->EndRow();
    }
    db->dbClose(kCursor);
    return true;
}

int ARQuickRptObj::PrintTotalAcc(int line) {
    const std::string title = GetAccTotalTitle();
    const std::string layout = GetAccTotalFormatStr();
    const std::string heading = GetSubTitle();
    // The full report's totals title carries its own column words; the quick list's totals
    // follow the list's column heading.
    const bool future = GetColsNum() == 6;
    // A double rule over the totals, on the blank line above them.
    PrintRule(line - 1, 0, 131, true);
    int l = line;
    PrintText(0, l, title);
    const std::string& words = future ? title : heading;
    const std::pair<int, const Aged*> groups[] = {{kLabelPatient, &totals_.pat},
                                                  {kLabelInsurance, &totals_.ins},
                                                  {kLabelTotal, &totals_.tot}};
    for (const auto& [label, aged] : groups) {
        ++l;
        PrintText(0, l, host::U8Format(layout.c_str(), "", S(label).c_str(), ""));
        PrintAmounts(l, *aged, words, future);
    }
    l += 2;
    PrintText(0, l, S(kAccountsListed) + std::to_string(accounts_printed_));
    PrintText(40, l, S(kAccountsInCredit) + std::to_string(accounts_in_credit_));
    PrintText(80, l, S(kPlanBalances) + Amount(plan_total_));
    // The totals also close the XML data.
    xml_->NewRow("T");
    xml_->AddColumn("Nom", host::Trim(title.substr(0, title.find("  "))));
    xml_->AddColumn("Criteres", GetTitleStr(2));
    AddAgedColumns(xml_, "Pat", totals_.pat);
    AddAgedColumns(xml_, "Ass", totals_.ins);
    AddAgedColumns(xml_, "Tot", totals_.tot);
    xml_->AddColumn("Comptes", static_cast<int64_t>(accounts_printed_));
    xml_->EndRow();
    return l + 1;
}

bool ARQuickRptObj::EndReport(int line) {
    int start;
    if (line + 9 >= GetRowPerPage() && PageStarted()) {
        // Not enough room left: the totals go on a page of their own.
        PageBreak();
        start = GetCurLine();
    } else if (!PageStarted()) {
        PageBreak();
        start = GetCurLine();
    } else {
        start = line + 3;
    }
    PrintTotalAcc(start);
    UnLockFiles();
    return OvReportObj::EndReport(start);
}

// ================================================================= ARSumRptObj

ARSumRptObj::ARSumRptObj(LauncherInfo* launcher, TWindow* parent, arrpt_info* info,
                         dr_ar_bucket* entries, int last, FILE* out, short copies)
    : OvReportObj(launcher, parent, 'C', true, 0, true, out, false, true),
      info_(info),
      entries_(entries),
      last_(last),
      copies_(copies < 1 ? 1 : copies),
      producers_(launcher->GetListPtr(), launcher->GetMsgPtr()),
      plans_(launcher->GetListPtr(), launcher->GetMsgPtr()) {
    SetCopies(copies_);
    SetDocumentName("arsum");
    own_xml_ = IXmlExportWrapper::CreateInstance();
    xml_ = own_xml_;
}

ARSumRptObj::~ARSumRptObj() {
    IXmlExportWrapper::Destroy(own_xml_);
}

bool ARSumRptObj::CodeBefore(const std::string& a, const std::string& b) {
    if (!a.empty() && !b.empty() && a[0] != b[0]) {
        const bool aux_a = a[0] == 'A', aux_b = b[0] == 'A';
        if (aux_a != aux_b) return aux_b;
    }
    return a < b;
}

bool ARSumRptObj::OpenReport() {
    xml_->Reset();
    return OvReportObj::OpenReport();
}

void ARSumRptObj::SetColumns() {
    SetColumnStarts({0, 41, 54, 68, 82, 96, 111});
}

bool ARSumRptObj::InitialCriteria() {
    if (!entries_ || last_ < 0) return false;
    std::stable_sort(entries_ + 1, entries_ + last_ + 1,
                     [](const dr_ar_bucket& a, const dr_ar_bucket& b) {
                         return CodeBefore(a.prod_code, b.prod_code);
                     });
    entries_[0].ar = {};
    for (int i = 1; i <= last_; ++i)
        entries_[0].ar += entries_[i].ar;
    current_ = 1;
    while (current_ <= last_ && !Shown(current_))
        ++current_;
    return current_ <= last_;
}

bool ARSumRptObj::Shown(int i) const {
    // Grouped by one producer, the summary shows that producer alone.
    const std::string p = host::Trim(info_->producer);
    if (info_->grouping == 1 && !p.empty() && p != "*") return p == entries_[i].prod_code;
    return true;
}

bool ARSumRptObj::MatchCriteria() {
    return true;
}

bool ARSumRptObj::ContinueCriteria() {
    do {
        ++current_;
    } while (current_ <= last_ && !Shown(current_));
    return current_ <= last_;
}

std::string ARSumRptObj::Identification(const dr_ar_bucket& e) {
    if (producers_.FindByCode(e.prod_code)) {
        const prodcd_struct& p = *producers_.GetRecPtr();
        return host::U8Format("%-4.4s%s %s%c %s", e.prod_code, p.first_name.c_str(),
                              p.last_name.c_str(), p.title.empty() ? ' ' : ',', p.title.c_str());
    }
    return host::U8Format("%s %s", e.prod_code, S(kDoctorMissing).c_str());
}

int ARSumRptObj::PrintDetail(int line) {
    const dr_ar_bucket& e = entries_[current_];
    const std::string ident = Identification(e);
    PrintText(0, line, host::U8Format("%-40.40s", ident.c_str()));
    PrintUnderHeading(*this, line, AmountTexts(e.ar.tot, 6), S(kSumHeading));
    xml_->NewRow();
    xml_->AddColumn("Code", e.prod_code);
    xml_->AddColumn("Producteur", host::Trim(ident.substr(std::min<size_t>(ident.size(), 4))));
    AddAgedColumns(xml_, "", e.ar.tot);
    xml_->AddAmount("PatTotal", e.ar.pat.v[kTotal]);
    xml_->AddAmount("AssTotal", e.ar.ins.v[kTotal]);
    xml_->EndRow();
    return 1;
}

int ARSumRptObj::PrintSubTitle(int line) {
    PrintText(0, line, S(info_->grouping == 1 ? kSectionByProducer : kSectionByDoctor), true);
    PrintText(0, line + 2, S(kSumHeading));
    PrintRule(line + 3, 0, 131);
    return line + 5;
}

std::string ARSumRptObj::GetTitleStr(int i) {
    switch (i) {
        case 0:
            return S(kReportTitle);
        case 1:
            return S(kSummaries);
        case 2: {
            const std::string p = host::Trim(info_->producer);
            return p.empty() || p == "*" ? S(kForAll) : p;
        }
        case 3:
            return CriteriaLine(*info_);
        default:
            return {};
    }
}

std::string ARSumRptObj::GetMeterTitle() {
    return S(info_->grouping == 1 ? kMeterSumProducer : kMeterSumDoctor);
}

int ARSumRptObj::PrintTotalSumAcc(int line) {
    const AgedGroups& t = entries_[0].ar;
    PrintRule(line, 0, 131, true);
    const std::pair<int, const Aged*> lines[] = {
        {kToPayPatients, &t.pat}, {kToPayInsurance, &t.ins}, {kTotalReceivable, &t.tot}};
    int l = line + 1;
    for (const auto& [label, aged] : lines) {
        PrintText(0, l, S(label));
        PrintUnderHeading(*this, l, AmountTexts(*aged, 6), S(kSumHeading));
        xml_->NewRow("T");
        xml_->AddColumn("Producteur", host::Trim(S(label)));
        AddAgedColumns(xml_, "", *aged);
        xml_->EndRow();
        ++l;
    }
    // Each aged column's share of the total (the future is not part of it).
    std::vector<std::string> shares;
    const int64_t total = t.tot.v[kTotal];
    for (int i = 0; i <= kTotal; ++i)
        shares.push_back(host::U8Format(
            "%.2f%%", total == 0
                          ? 0.0
                          : 100.0 * static_cast<double>(t.tot.v[i]) / static_cast<double>(total)));
    PrintText(0, l, S(kPercentReceivable));
    PrintUnderHeading(*this, l, shares, S(kSumHeading));
    return l + 2;
}

int ARSumRptObj::PrintPlanTotal(int line) {
    std::vector<pplan_total> totals;
    if (!plans_.TotalsByDoctor(&totals) || totals.empty()) return line;
    if (line + 4 + static_cast<int>(totals.size()) > GetRowPerPage()) {
        PageBreak();
        line = GetCurLine();
    }
    // The heading keeps its text as it stands, up to its "/d" mark.
    std::string heading = S(kPlansHeading);
    const size_t mark = heading.find("/d");
    if (mark != std::string::npos) heading = heading.substr(0, mark);
    PrintText(0, line, heading, true);
    PrintText(0, line + 1, S(kPlansColumns));
    int l = line + 2;
    for (const pplan_total& p : totals) {
        std::string name = p.doctor;
        const std::string code = GetProdCode(p.doctor.c_str());
        if (producers_.FindByCode(code)) {
            const prodcd_struct& d = *producers_.GetRecPtr();
            name = code + " " + d.first_name + " " + d.last_name;
        }
        PrintText(0, l, host::U8Fit(name, 40));
        PrintUnderHeading(*this, l, {std::to_string(p.plans), Amount(p.balance)}, S(kPlansColumns));
        ++l;
    }
    return l + 1;
}

bool ARSumRptObj::EndReport(int line) {
    if (!PageStarted()) {
        PageBreak();
        line = GetCurLine();
    } else if (line + 6 >= GetRowPerPage()) {
        PageBreak();
        line = GetCurLine();
    } else {
        line += 1;
    }
    line = PrintTotalSumAcc(line);
    PrintPlanTotal(line);
    return OvReportObj::EndReport(line);
}

// ================================================================= ARAccRptObj

ARAccRptObj::ARAccRptObj(LauncherInfo* launcher, TWindow* parent, arrpt_info* info, FILE* out,
                         bool show_meter, short copies)
    : ARQuickRptObj(launcher, parent, info, out, show_meter, copies),
      calc_(launcher->GetListPtr(), launcher->GetMsgPtr()) {
    sum_xml_ = IXmlExportWrapper::CreateInstance();
    SetLockPkts();
}

ARAccRptObj::~ARAccRptObj() {
    UnLockFiles();
    IXmlExportWrapper::Destroy(sum_xml_);
}

void ARAccRptObj::SetLockPkts() {
    lock_pkts_ = {"ACCOUNT", "PATIENT", "PATCLM", "CLMTRT",
                  "PATOCH",  "ACCPMT",  "PMTAPP", "PATNOTE"};
}

bool ARAccRptObj::OpenReport() {
    TEmgBase* err = &Launcher()->GetMsgPtr()->errors();
    calc_.SetIncludeFuture(false);
    if (!calc_.SetupAR(info_->as_of, false, true, false, info_->grouping == 1, false, true, err)) {
        err->ReportError();  // the database's reason, shown to the user
        return false;
    }
    calc_.SetIncludeFuture(info_->future == 'Y');
    // The producer table starts from the calculator's producer list.
    prod_table_.clear();
    for (int i = 0; i <= calc_.LastIndex(); ++i) {
        dr_ar_bucket b;
        std::memcpy(b.prod_code, calc_.Entry(i).prod_code, sizeof b.prod_code);
        prod_table_.push_back(b);
    }
    return ARQuickRptObj::OpenReport();
}

bool ARAccRptObj::PrintReport() {
    return OvReportObj::PrintReport();
}

void ARAccRptObj::PrefetchBatch(size_t first) {
    ARQuickRptObj::PrefetchBatch(first);
    calc_.Prefetch(BatchIds(first), &Launcher()->GetMsgPtr()->errors());
}

bool ARAccRptObj::GetAccARBal() {
    calc_.SetIncludeFuture(info_->future == 'Y');
    if (!calc_.CalcAR(account_.acc_id, true, false, nullptr, &Launcher()->GetMsgPtr()->errors()))
        return false;
    acc_ar_ = {};
    const std::string only = OneProducer() ? ProducerCode() : std::string();
    for (int i = 0; i <= calc_.LastIndex(); ++i) {
        const dr_ar_bucket& e = calc_.Entry(i);
        if (i > 0 && !only.empty() && only != e.prod_code) continue;
        if (i > 0) acc_ar_ += e.ar;
        if (i == 0) CheckOverdueOnAll(e.ar);
    }
    for (Aged* g : {&acc_ar_.pat, &acc_ar_.tot}) {
        g->v[0] += account_.add_amt;
        g->v[kTotal] += account_.add_amt;
    }
    return true;
}

void ARAccRptObj::CheckOverdueOnAll(const AgedGroups& all) {
    // The overdue test on all producers together (entry 0 of the calculator).
    const int k = info_->overdue_num;
    if (!no_overdue_amount_) return;
    for (const Aged* a : {&all.pat, &all.ins, &all.tot}) {
        if (k == 2 && !a->IsZero()) no_overdue_amount_ = false;
        if (k >= 3 && k <= 6 && a->v[k - 3] > info_->min_balance) no_overdue_amount_ = false;
    }
}

const std::vector<dr_ar_bucket>& ARAccRptObj::ProducerEntries() const {
    return calc_.Entries();
}

bool ARAccRptObj::AccumulateProducers() {
    const bool one = OneProducer();
    const std::string only = ProducerCode();
    const std::vector<dr_ar_bucket>& entries = ProducerEntries();
    bool owed = false;
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        const dr_ar_bucket& e = entries[static_cast<size_t>(i)];
        if (one && i > 0 && only != e.prod_code) continue;
        if (static_cast<size_t>(i) >= prod_table_.size())
            prod_table_.resize(static_cast<size_t>(i) + 1);
        dr_ar_bucket& t = prod_table_[static_cast<size_t>(i)];
        std::memcpy(t.prod_code, e.prod_code, sizeof t.prod_code);
        t.ar += e.ar;
        if (one && i > 0) {
            AddToTotals(e.ar);
            if (e.ar.pat.v[kTotal] != 0 || e.ar.ins.v[kTotal] != 0) owed = true;
        }
    }
    return owed;
}

bool ARAccRptObj::MatchCriteria() {
    no_overdue_amount_ = true;
    const Verdict v = QuickCriteria();
    if (v == Verdict::Reject) return false;
    if (v == Verdict::FailsOverdue && no_overdue_amount_) return false;
    if (!OneProducer()) AddToTotals(acc_ar_);
    const bool owed = AccumulateProducers();
    if (OneProducer() && !owed) return false;
    if (info_->kind == 2) return false;  // summary totals only: gathered, not printed
    if (ZeroBalAct() && info_->overdue_num != 1) return false;
    int64_t plan = 0;
    has_plan_ = plans_.AccountPlanBalance(account_.acc_id, &plan);
    plan_balance_ = plan;
    LoadNotes();
    return true;
}

int ARAccRptObj::GetLineReq() {
    return 1 + 3 + (has_plan_ ? 1 : 0) + NotesLines() + 1;
}

int ARAccRptObj::PrintGroups(int line, const AgedGroups& g, const std::string& lead) {
    const std::string heading = GetSubTitle();
    const bool future = true;  // the "À venir" column is printed, zero when not asked for
    const std::string doctor = family_doctor_;
    const std::string stmt =
        account_.statement_date ? S(kStatement) + ShortDate(account_.statement_date) : "";
    const std::string claim =
        account_.claim_date ? S(kLastClaim) + ShortDate(account_.claim_date) : "";
    PrintText(0, line,
              host::U8Format("%-25.25s%-4.4s%-18.18s%-11.11s%2.2s",
                             (lead.empty() ? "  " + S(kFamilyDoctor) + doctor : lead).c_str(), "",
                             stmt.c_str(),
                             account_.statement_date ? Amount(account_.statement_amt).c_str() : "",
                             S(kLabelPatient).c_str()));
    PrintAmounts(line, g.pat, heading, future);
    PrintText(0, line + 1,
              host::U8Format("%-29.29s%-17.17s%-12.12s%2.2s", ("  " + claim).c_str(),
                             account_.claim_date ? Amount(account_.claim_amt).c_str() : "", "",
                             S(kLabelInsurance).c_str()));
    PrintAmounts(line + 1, g.ins, heading, future);
    PrintText(
        0, line + 2,
        host::U8Format("%-29.29s%-21.21s%-8.8s%2.2s",
                       ("  " + S(kPatientCount) + std::to_string(account_patients_.size())).c_str(),
                       "", "", S(kLabelTotal).c_str()));
    PrintAmounts(line + 2, g.tot, heading, future);
    return 3;
}

int ARAccRptObj::PrintDetail(int line) {
    // Name line: the account, its telephone, its last payment and its marks.
    PrintText(0, line, host::U8Fit(AccountName(), 23));
    PrintText(24, line, host::U8Fit(PhoneText(), 20));
    PrintText(45, line, host::U8Fit(LastPaymentText(), 13));
    PrintText(59, line, Markers());
    int l = line + 1;
    l += PrintGroups(l, acc_ar_, "");
    if (has_plan_) {
        PrintText(0, l,
                  host::U8Format("%-47.47s%-13.13s%-72.72s", ("  " + S(kPlanBalance)).c_str(),
                                 Amount(plan_balance_).c_str(), ""));
        ++l;
    }
    l += PrintFamilyComments(l);
    WriteXmlRow("", 0, acc_ar_);
    ++accounts_printed_;
    if (acc_ar_.tot.v[kTotal] < 0) ++accounts_in_credit_;
    plan_total_ += plan_balance_;
    return l + 1 - line;
}

bool ARAccRptObj::EndReport(int line) {
    int end_line = line;
    if (info_->kind != 1 && !ReportCanceled()) {
        if (line + 9 >= GetRowPerPage() && PageStarted()) {
            PageBreak();
            end_line = PrintTotalAcc(GetCurLine());
        } else if (!PageStarted()) {
            PageBreak();
            end_line = PrintTotalAcc(GetCurLine());
        } else {
            end_line = PrintTotalAcc(line + 3);
        }
    }
    UnLockFiles();
    const bool ok = OvReportObj::EndReport(end_line);
    // The aged summary by producer or billing doctor closes the report.
    const int last = static_cast<int>(prod_table_.size()) - 1;
    ARSumRptObj summary(Launcher(), Parent(), info_, prod_table_.data(), last, OutFile(), copies_);
    summary.SetAutomation(OutputChoice(), HasAutomation());
    summary.SetStartPage(GetPageNumber() + 1);
    sum_xml_->Reset();
    summary.SetXml(sum_xml_);
    summary.PrintReport();
    return ok;
}

std::string ARAccRptObj::GetMeterTitle() {
    return S(info_->kind == 1 ? kMeterPatient : info_->kind == 2 ? kMeterSummary : kMeterAccount);
}

std::string ARAccRptObj::GetReportTitle() {
    return S(kReportTitle);
}

std::string ARAccRptObj::GetSubTitle() {
    return S(info_->grouping == 1 ? kHeadingByProducer : kHeadingByDoctor);
}

std::string ARAccRptObj::GetAccTotalTitle() {
    return S(kAccTotalTitle);
}

std::string ARAccRptObj::GetAccTotalFormatStr() {
    return S(kAccTotalLayout);
}

// ================================================================= ARPatRptObj

ARPatRptObj::ARPatRptObj(LauncherInfo* launcher, TWindow* parent, arrpt_info* info, FILE* out,
                         bool show_meter, short copies)
    : ARAccRptObj(launcher, parent, info, out, show_meter, copies) {}

bool ARPatRptObj::GetAccARBal() {
    // Each patient of the account on its own; the account's groups are their sum.
    pat_lines_.clear();
    acc_ar_ = {};
    account_table_.assign(prod_table_.size(), dr_ar_bucket{});
    TEmgBase* err = &Launcher()->GetMsgPtr()->errors();
    const std::string only = OneProducer() ? ProducerCode() : std::string();
    for (const patient_struct& p : account_patients_) {
        PatientLine pl;
        pl.name = host::Trim(p.pname + " " + p.lname);
        pl.file_ref = p.chart_no.empty() ? "" : "(" + p.chart_no + ")";
        pl.pat_id = p.pat_id;
        calc_.SetIncludeFuture(info_->future == 'Y');
        if (!calc_.CalcAR(p.pat_id, false, false, nullptr, err)) return false;
        for (int i = 0; i <= calc_.LastIndex(); ++i) {
            const dr_ar_bucket& e = calc_.Entry(i);
            if (i > 0 && !only.empty() && only != e.prod_code) continue;
            if (i > 0) pl.ar += e.ar;
            if (static_cast<size_t>(i) >= account_table_.size())
                account_table_.resize(static_cast<size_t>(i) + 1);
            std::memcpy(account_table_[static_cast<size_t>(i)].prod_code, e.prod_code, 4);
            account_table_[static_cast<size_t>(i)].ar += e.ar;
            if (i == 0) CheckOverdueOnAll(e.ar);
        }
        acc_ar_ += pl.ar;
        pat_lines_.push_back(std::move(pl));
    }
    for (Aged* g : {&acc_ar_.pat, &acc_ar_.tot}) {
        g->v[0] += account_.add_amt;
        g->v[kTotal] += account_.add_amt;
    }
    return true;
}

int ARPatRptObj::GetLineReq() {
    int shown = 0;
    for (const PatientLine& p : pat_lines_)
        if (!p.ar.tot.IsZero() || !p.ar.pat.IsZero() || !p.ar.ins.IsZero()) ++shown;
    // The name line, then each patient's line and three groups, as much as a page holds.
    return std::min(1 + 4 * std::max(shown, 1) + (has_plan_ ? 1 : 0) + NotesLines() + 1,
                    GetRowPerPage() - 12);
}

int ARPatRptObj::PrintDetail(int line) {
    PrintText(0, line, host::U8Fit(AccountName(), 23));
    PrintText(24, line, host::U8Fit(PhoneText(), 20));
    PrintText(45, line, host::U8Fit(LastPaymentText(), 13));
    PrintText(59, line, Markers());
    int l = line + 1;
    bool any = false;
    for (const PatientLine& p : pat_lines_) {
        if (p.ar.tot.IsZero() && p.ar.pat.IsZero() && p.ar.ins.IsZero() && !pat_lines_.empty() &&
            (any || &p != &pat_lines_.back()))
            continue;  // a patient who owes nothing is left out (one line stays per account)
        if (l + 4 > GetRowPerPage()) {
            PageBreak();
            l = GetCurLine();
        }
        PrintText(2, l, host::U8Fit(p.name + " " + p.file_ref, 40));
        PrintGroups(l + 1, p.ar, "  " + host::U8Left(p.name, 22));
        WriteXmlRow(p.name, p.pat_id, p.ar);
        l += 4;
        any = true;
    }
    if (has_plan_) {
        PrintText(0, l,
                  host::U8Format("%-47.47s%-13.13s%-72.72s", ("  " + S(kPlanBalance)).c_str(),
                                 Amount(plan_balance_).c_str(), ""));
        ++l;
    }
    if (l + NotesLines() > GetRowPerPage()) {
        PageBreak();
        l = GetCurLine();
    }
    l += PrintFamilyComments(l);
    ++accounts_printed_;
    if (acc_ar_.tot.v[kTotal] < 0) ++accounts_in_credit_;
    plan_total_ += plan_balance_;
    return l + 1 - GetCurLine();
}
