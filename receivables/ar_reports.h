// The receivable reports: the quick receivable list (ARQuickRptObj), the full receivable
// report by account (ARAccRptObj) or by patient (ARPatRptObj), and the aged summary by
// producer or billing doctor (ARSumRptObj) that closes the full report. All print through
// the paged report base and keep the rows of their XML data for the templates.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/arrpt_info.h"
#include "host/base/strings.h"
#include "host/calc/arcalc.h"
#include "host/output/ovreport.h"
#include "host/output/xmlexport.h"
#include "host/records/records.h"

// The quick receivable list: one line per account, from the aged amounts stored on the
// account. Also the base of the full receivable report.
class ARQuickRptObj : public OvReportObj {
  public:
    ARQuickRptObj(LauncherInfo* launcher, TWindow* parent, arrpt_info* info, FILE* out,
                  bool show_meter, short copies);
    ~ARQuickRptObj() override;

    arrpt_info* GetARRptInfo() const { return info_; }
    // The rows of the report's XML data ("agedrc.xml"), and of its A/R notes ("arnotes.xml").
    IXmlExportWrapper* Xml() const { return xml_; }
    IXmlExportWrapper* NotesXml() const { return notes_xml_; }
    // The report's totals (patient, insurance, total groups) and its account count.
    const host::calc::AgedGroups& Totals() const { return totals_; }
    long AccountsPrinted() const { return accounts_printed_; }

    // --- Base operations ---
    bool OpenReport() override;
    bool EndReport(int line) override;
    void SetColumns() override;
    bool InitialCriteria() override;
    bool MatchCriteria() override;
    bool ContinueCriteria() override;
    int PrintDetail(int line) override;
    int PrintSubTitle(int line) override;
    int GetLineReq() override;
    int GetColsNum() override;
    long GetMaxMeterCount() override;
    std::string GetTitleStr(int i) override;
    std::string GetMeterTitle() override;

    // --- Operations of the receivable reports ---
    virtual bool LockFiles();
    // The current account's three groups of aged amounts into acc_ar_; false skips it.
    virtual bool GetAccARBal();
    // True when nothing is owed on the account (nor in the future) and its last counter
    // (the payment-plan balance) is zero.
    virtual bool ZeroBalAct();
    virtual void UnLockFiles();
    // Prints the account's A/R notes from line; returns the lines used.
    virtual int PrintFamilyComments(int line);
    // Prints the report's account totals from line; returns the next free line.
    virtual int PrintTotalAcc(int line);
    virtual std::string GetReportTitle();
    virtual std::string GetSubTitle();
    virtual std::string GetAccTotalTitle();
    virtual std::string GetAccTotalFormatStr();
    virtual int GetAmntStrLen() { return 13; }
    virtual int GetTotalAmntStrLen() { return 13; }

  protected:
    // Accounts are read a batch at a time: their patients (and, in the full report, their
    // ledgers) with one query per table for the whole batch.
    static constexpr size_t kBatch = 100;
    virtual void PrefetchBatch(size_t first);
    std::vector<long> BatchIds(size_t first) const;

    enum class Verdict { Keep, Reject, FailsOverdue };
    // The quick list's criteria for the current account: Keep, Reject (no patient, deleted,
    // inactive, balance failure, another doctor's family), or FailsOverdue.
    Verdict QuickCriteria();
    bool OverdueTest(const host::calc::AgedGroups& g) const;
    // Whether one producer is selected while the report is grouped by producer.
    bool OneProducer() const;
    std::string ProducerCode() const;
    void AddToTotals(const host::calc::AgedGroups& g);
    // Prints the six amounts of a group right-aligned under the heading's column words.
    void PrintAmounts(int line, const host::calc::Aged& a, const std::string& heading, bool future);
    std::string AccountName() const;
    std::string PhoneText() const;
    std::string LastPaymentText() const;
    std::string Markers() const;
    void WriteXmlRow(const std::string& patient, long pat_id, const host::calc::AgedGroups& g);
    int NotesLines() const { return static_cast<int>(note_lines_.size()); }
    bool LoadNotes();

    arrpt_info* info_;
    short copies_;
    TDLoadString strings_;
    AccountInfo accounts_;
    PersInfo patients_;
    PatPPlanInfo plans_;
    account_struct account_;
    std::vector<account_struct> account_list_;  // every account, in name order
    size_t position_ = 0;
    std::unordered_map<long, std::vector<patient_struct>> batch_patients_;
    std::vector<patient_struct> account_patients_;
    patient_struct main_patient_;
    std::string family_doctor_;  // producer code of the main patient's doctor
    host::calc::AgedGroups acc_ar_;
    host::calc::AgedGroups totals_;
    int64_t plan_balance_ = 0;
    bool has_plan_ = false;
    long accounts_printed_ = 0;
    long accounts_in_credit_ = 0;
    int64_t plan_total_ = 0;
    std::vector<std::string> note_lines_;
    IXmlExportWrapper* xml_ = nullptr;
    IXmlExportWrapper* notes_xml_ = nullptr;
    // The tables held shared during the run (the full report adds its ledger tables).
    std::vector<std::string> lock_pkts_{"ACCOUNT", "PATIENT"};
    std::vector<std::string> locked_;
    bool more_ = false;
};

// The aged summary by producer or billing doctor.
class ARSumRptObj : public OvReportObj {
  public:
    // entries: the producer table (entry 0 the totals), last: its last index.
    ARSumRptObj(LauncherInfo* launcher, TWindow* parent, arrpt_info* info, dr_ar_bucket* entries,
                int last, FILE* out, short copies);
    ~ARSumRptObj() override;

    // Where the summary's XML rows go: its own wrapper, or one given (not owned).
    IXmlExportWrapper* Xml() const { return xml_; }
    void SetXml(IXmlExportWrapper* xml) { xml_ = xml ? xml : own_xml_; }

    bool OpenReport() override;
    bool EndReport(int line) override;
    void SetColumns() override;
    bool InitialCriteria() override;
    bool MatchCriteria() override;
    bool ContinueCriteria() override;
    int PrintDetail(int line) override;
    int PrintSubTitle(int line) override;
    int GetTitleLNum() override { return 4; }
    // The summary continues the page numbers of the report it closes.
    int GetStartPageNo() override { return start_page_; }
    void SetStartPage(int page) { start_page_ = page < 1 ? 1 : page; }
    long GetMaxMeterCount() override { return last_; }
    std::string GetTitleStr(int i) override;
    std::string GetMeterTitle() override;

    // Prints the payment plans per doctor from line; returns the next free line.
    virtual int PrintPlanTotal(int line);
    // Prints the totals of entry 0 and the share of each aged column; returns the next line.
    virtual int PrintTotalSumAcc(int line);

    // The order in which the summary lists producer codes: byte order, except that when
    // the first characters differ, a code beginning with 'A' (an auxiliary) comes after.
    static bool CodeBefore(const std::string& a, const std::string& b);

  private:
    std::string Identification(const dr_ar_bucket& e);
    bool Shown(int i) const;

    arrpt_info* info_;
    dr_ar_bucket* entries_;
    int last_;
    short copies_;
    int current_ = 0;
    int start_page_ = 1;
    TDLoadString strings_;
    ProdInfo producers_;
    PatPPlanInfo plans_;
    IXmlExportWrapper* own_xml_ = nullptr;
    IXmlExportWrapper* xml_ = nullptr;
};

// The full receivable report, one block per account, with the receivable recomputed as of
// the criteria's date; it ends with the account totals and the aged summary.
class ARAccRptObj : public ARQuickRptObj {
  public:
    ARAccRptObj(LauncherInfo* launcher, TWindow* parent, arrpt_info* info, FILE* out,
                bool show_meter, short copies);
    ~ARAccRptObj() override;

    // The summary's XML data ("aracc.xml"), kept after the run.
    IXmlExportWrapper* SummaryXml() const { return sum_xml_; }
    // The producer table: entry i sums calculator entry i over the printed accounts.
    const std::vector<dr_ar_bucket>& ProducerTable() const { return prod_table_; }

    bool PrintReport() override;
    bool OpenReport() override;
    bool EndReport(int line) override;
    bool MatchCriteria() override;
    std::string GetMeterTitle() override;
    bool GetAccARBal() override;
    std::string GetReportTitle() override;
    std::string GetSubTitle() override;
    std::string GetAccTotalTitle() override;
    std::string GetAccTotalFormatStr() override;
    int GetAmntStrLen() override { return 11; }
    int GetColsNum() override { return 6; }
    int PrintDetail(int line) override;
    int GetLineReq() override;

    virtual bool bHasFutureARStatus() const { return calc_.bHasFutureARStatus(); }
    void PrefetchBatch(size_t first) override;
    virtual void SetLockPkts();

  protected:
    // The current account's receivable by producer (entry 0: all of them): the
    // calculator's entries, or for the by-patient report the sum over the patients.
    virtual const std::vector<dr_ar_bucket>& ProducerEntries() const;
    // Adds the current account's producer entries to the producer table; returns whether
    // one of the selected producer's entries has an amount owed.
    bool AccumulateProducers();
    // Clears the no-overdue-amount flag when all producers together are overdue.
    void CheckOverdueOnAll(const host::calc::AgedGroups& all);
    // Prints the three group lines of g from line.
    int PrintGroups(int line, const host::calc::AgedGroups& g, const std::string& lead);

    ArCalc calc_;
    std::vector<dr_ar_bucket> prod_table_;
    bool no_overdue_amount_ = true;
    IXmlExportWrapper* sum_xml_ = nullptr;
};

// The full receivable report, one block per patient of each account.
class ARPatRptObj : public ARAccRptObj {
  public:
    ARPatRptObj(LauncherInfo* launcher, TWindow* parent, arrpt_info* info, FILE* out,
                bool show_meter, short copies);

    int PrintDetail(int line) override;
    bool GetAccARBal() override;
    int GetLineReq() override;
    const std::vector<dr_ar_bucket>& ProducerEntries() const override { return account_table_; }

    struct PatientLine {
        std::string name;      // "first last"
        std::string file_ref;  // "(chart number)"
        long pat_id = 0;
        host::calc::AgedGroups ar;
    };
    const std::vector<PatientLine>& Patients() const { return pat_lines_; }

  private:
    std::vector<PatientLine> pat_lines_;
    std::vector<dr_ar_bucket> account_table_;  // the account's producer table
};
