// RptOptWDIniObj: the practice's defaults of the receivable, quick list, insurance
// receivable, day-end, deposit, month-end, overnight and practice-analysis dialogs, kept in
// fixed fields of the settings rows 5 to 8 of PPSET and reached record by record through
// PPSetInfo (lock mode 2 to read, 3 to update). Each update_* routine writes its own fields
// only, in one transaction; the field map is RptOptWDIniObj::Fields().
//
// Option blocks whose meaning belongs to their report are kept by position:
//   dayend_opt[0..4]   row 5 PPST_INT_FIELD01..05   dayend_opt[5]  row 6 PPST_INT_FIELD11
//   dayend_opt[6..10]  row 6 PPST_INT_FIELD12..16   dayend_opt[11] row 7 PPST_INT_FIELD13
//   dayend_opt[12]     row 7 PPST_INT_FIELD17       dayend_opt[13] row 8 PPST_INT_FIELD14
//   dayend_flag[0..3]  row 5 PPST_A11_FIELD01 characters 5 to 8
//   mthend_opt[0..4]   row 6 PPST_INT_FIELD06..10   mthend_opt[5]  row 6 PPST_INT_FIELD17
//   mthend_opt[6..7]   row 7 PPST_INT_FIELD01..02   mthend_opt[8..9] row 7 PPST_INT_FIELD15..16
//   overnite_opt[0..3] row 7 PPST_INT_FIELD09..12
//   deposit_opt[0..1]  row 8 PPST_INT_FIELD03..04   deposit_opt[2..7] row 8 PPST_INT_FIELD08..13
//   prca_opt[0..2]     row 5 PPST_INT_FIELD06..08   prca_code      row 5 PPST_A2_FIELD01
// The quick list's own three integer options (grouping, report-by and its flag, kept in
// ar_quick_extra) live in row 8 PPST_INT_FIELD15..17, so that they overwrite neither the
// receivable report's options nor the deposit's.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/arrpt_info.h"
#include "common/insarrpt_info.h"
#include "host/base/ini.h"

class DLnkList;
class LauncherInfo;
class MsgInfo;
class PPSetInfo;
struct ppset_struct;

class RptOptWDIniObj : public WDIniObj {
  public:
    // The options of the application's database (QDSApplication::Instance()).
    RptOptWDIniObj();
    // The options of a launcher's database, or of a record list's.
    explicit RptOptWDIniObj(LauncherInfo* launcher);
    explicit RptOptWDIniObj(DLnkList* list);
    RptOptWDIniObj(const RptOptWDIniObj& other);
    RptOptWDIniObj& operator=(const RptOptWDIniObj& other);
    // Writes the practice-analysis fields back when this object changed them; never throws.
    ~RptOptWDIniObj() override;

    const char* get_inisect() const override { return "REPORTS"; }

    // Loads every member from rows 5 to 8; a missing row leaves its members cleared.
    // False when the rows could not be read (no database, lock refused, read failure).
    bool read_inisect();
    // Each writes its own fields, creating a missing row; false (nothing changed) when the
    // database refuses.
    bool update_ar();
    bool update_arquicklst();
    bool update_dayend();
    bool update_deposit();
    bool update_inisect();  // the practice-analysis fields
    bool update_ins_ar();
    bool update_mthend();
    bool update_overnite();

    // The database's text of the last failure ("" when none).
    const std::string& LastError() const { return error_; }

    // --- The options ---
    arrpt_info ar_quick_info{};
    short ar_quick_extra = 0;  // the quick list's flag
    arrpt_info ar_info{};
    short ar_extra = 0;
    insarrpt_info ins_ar_info{};
    short dayend_opt[14] = {};
    char dayend_flag[4] = {};
    short mthend_opt[10] = {};
    short deposit_opt[8] = {};
    short overnite_opt[4] = {};
    short prca_opt[3] = {};
    char prca_code = '\0';

    // --- The field map ---
    enum Writer : unsigned {
        kAR = 1,
        kARQuick = 2,
        kDayEnd = 4,
        kDeposit = 8,
        kPracAnal = 16,
        kInsAR = 32,
        kMthEnd = 64,
        kOvernite = 128,
    };
    enum class Family { Int, A2, A11, A51 };
    struct Field {
        int row;
        Family family;
        int k;             // position in the family, from 1
        unsigned writers;  // the update_* routines that write it
        const char* what;  // for the README
        // Members <-> the record's field.
        void (*read)(RptOptWDIniObj& o, ppset_struct& r);
        void (*write)(const RptOptWDIniObj& o, ppset_struct& r);
    };
    static const std::vector<Field>& Fields();

  private:
    void MakeHostObjects(const DLnkList* list);
    void CopyOptions(const RptOptWDIniObj& other);
    void Clear();
    bool Update(unsigned writer);
    bool Fail(const std::string& what);

    std::unique_ptr<DLnkList> list_;
    std::unique_ptr<MsgInfo> msg_;
    std::unique_ptr<PPSetInfo> ppset_;
    ppset_struct* rec_ = nullptr;  // the record buffer of ppset_
    std::string error_;
    // The practice-analysis fields as read, to tell whether this object changed them.
    short read_prca_opt_[3] = {};
    char read_prca_code_ = '\0';
};
