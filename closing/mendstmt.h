// Month-end statements: MEndStmntForm prints a statement for every account that receives
// statements (not deleted, statement flag set, last name in the run's range), each with
// its open transactions, its aged amounts and its balance as of the statement date, and
// writes the run file "<today>-<hhmm>.stm" in the statement folder (system setting
// "StmtDir"). AlgnMEndStmntForm prints alignment forms: the stationery filled with
// placeholders, no account data.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/output/stmtform.h"

class ArCalc;
class LauncherInfo;

// One printed statement of the run file.
struct MendInfoElem {
    long acc_id = 0;
    long stmt_date = 0;
    int64_t balance = 0;
    bool flag = false;  // the account receives its statements by e-mail
};

// One account as the selection reads it.
struct MendAccountRow {
    long acc_id = 0;
    char emailstmt = 'N';
    long statement_date = 0;
    char status = 'A';
    char statements = 'Y';
    StmtAccount account;  // name and address
};

class MEndStmntForm : public StatementForm {
  public:
    MEndStmntForm(LauncherInfo* launcher, TWindow* parent, const MSFormInfo& info,
                  void* printer_dc = nullptr, void* window = nullptr);
    ~MEndStmntForm() override;

    // Stacked forms: three per sheet, a new sheet before forms 4, 7, 10...
    void PageBreak() override;
    // The whole run: the statements to the PDF file and the run file. False with Error()
    // set when the run could not be made (the files are then incomplete or absent).
    bool PrintForm() override;
    std::string GetFormtype() override { return "S"; }
    int StartRowOfHeader() override;

    // False for a deleted account ('D'), one without statements ('N') or outside the name
    // range; otherwise ages the account into the form.
    bool MatchCriteria(const MendAccountRow& row);
    // The same, reading the account's ledger by SQL or through the record classes as the
    // calculation mode says.
    bool MatchCriteriaByDatabase(long date, const MendAccountRow& row);
    // Selects the accounts and prints their statements.
    bool PrintFormByDatabase();
    void AddtoMEInfoList(long acc_id, long stmt_date, int64_t balance, bool flag);

    // Holding the ledger tables shared while the run ages the accounts.
    void SetLockFiles(bool on) { lock_files_ = on; }
    bool LockFiles();
    void UnLockFiles();

    // The selection: accounts not deleted that receive statements, in the name range
    // (the upper bound with "Z" appended), by name. Bounds are compared in capitals so
    // that both engines select alike; MatchCriteria decides on the exact rule.
    static std::string SelectionSql(const std::string& prefix, const std::string& from,
                                    const std::string& to);
    // lname within [from, to], case-insensitive; to is compared on its own length.
    static bool NameInRange(const std::string& lname, const std::string& from,
                            const std::string& to);
    // The statement folder: setting "StmtDir" (relative: under the data folder).
    static std::string StatementDir();

    const std::vector<MendInfoElem>& MEInfoList() const { return me_list_; }
    const MSFormInfo& Info() const { return info_; }
    const std::string& RunFilePath() const { return run_path_; }
    const std::string& Error() const { return error_; }
    int RowOffset() const { return row_offset_; }

  protected:
    bool OpenRunFile();
    bool WriteRunFile();
    LauncherInfo* launcher_;
    void* window_;
    int form_count_ = 0;
    int row_offset_ = 0;
    FILE* summary_ = nullptr;
    std::string run_path_;
    std::vector<MendInfoElem> me_list_;
    std::unique_ptr<ArCalc> calc_;
    bool lock_files_ = false;
    std::string error_;
};

class AlgnMEndStmntForm : public MEndStmntForm {
  public:
    using MEndStmntForm::MEndStmntForm;

    // Three forms (one with the single-form option) of placeholders.
    bool PrintForm() override;
    void PrintHeader() override;
    void PrintMiddleSection() override;
    void PrintFooter(bool last) override;
    void AdditionalMiddleInfo() override {}
    void AdditionalDetailInfo() override {}
    void MakeDetailLineCol1(size_t line, std::string* text) override;
    void MakeDetailLineCol2(size_t line, std::string* text) override;
    void MakeDetailLineCol3(size_t line, std::string* text) override;
    void MakeDetailLineCol4(size_t line, std::string* text) override;
    void MakeDetailLineCol5(size_t line, std::string* text) override;
};
