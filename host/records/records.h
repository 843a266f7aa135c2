// The host's record classes, one per practice table, built with the caller's record list
// and message holder (LauncherInfo::GetListPtr / GetMsgPtr). Each class names its keys:
// key 0 is always the primary key ("file order"); the others are listed with the class.
//
//   AccountInfo a(launcher->GetListPtr(), launcher->GetMsgPtr());
//   a.SetKey(AccountInfo::KEY_NAME);
//   for (bool ok = a.DBGetFirst(); ok; ok = a.DBGetNext()) use(a.GetItem()->lname);
//
//   DayShtInfo d(list, msg);
//   for (bool ok = d.DBLocateFirst(DayShtInfo::KEY_DATE, {date, 'F'}); ok; ok = d.DBFindNext())
//       ...   // the day's 'F' lines, in id order
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/records/practice.h"
#include "host/records/recbase.h"
#include "host/records/recstructs.h"

// The practice's address and identification record.
class PracInfo : public RecordInfo<pracinfo_struct> {
  public:
    PracInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

class AccountInfo : public RecordInfo<account_struct> {
  public:
    enum { KEY_ID = 0, KEY_NAME = 1 /* last name, first name */ };
    AccountInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

class PersInfo : public RecordInfo<patient_struct> {
  public:
    enum {
        KEY_ID = 0,
        KEY_ACCOUNT = 1,  // account, then patient id
        KEY_NAME = 2,     // last name, first name
        KEY_CHART = 3,    // chart number
    };
    PersInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
    // Loads the account's patients (in patient id order) into the list; false when it has
    // none.
    bool GetAccountPatients(long acc_id, TEmgBase* err = nullptr);
    // Makes the account's main patient current: the first whose responsible flag is 'Y',
    // else the first patient. False when the account has no patient.
    bool FindMainPatient(long acc_id, TEmgBase* err = nullptr);
};

class PatClmInfo : public RecordInfo<patclm_struct> {
  public:
    enum { KEY_ID = 0, KEY_PATIENT = 1 };
    PatClmInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

class ClmTrtInfo : public RecordInfo<clmtrt_struct> {
  public:
    enum { KEY_ID = 0, KEY_CLAIM = 1, KEY_SYSDATE = 2, KEY_DELDATE = 3 };
    ClmTrtInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

class PatOffChgInfo : public RecordInfo<patoch_struct> {
  public:
    enum { KEY_ID = 0, KEY_PATIENT = 1, KEY_SYSDATE = 2 };
    PatOffChgInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

// What part of a payment is held: its amount less what its applications (to treatments,
// office charges and credits) took.
struct pmt_held_info {
    long apmt_id = 0;
    long date = 0;
    std::string payor;
    char type = '\0';
    int64_t total = 0;    // the payment's amount
    int64_t applied = 0;  // the sum of its applications
    int64_t held = 0;     // total - applied
};

class AccPmtInfo : public RecordInfo<accpmt_struct> {
  public:
    enum { KEY_ID = 0, KEY_ACCOUNT = 1, KEY_DATE = 2, KEY_SYSDATE = 3 };
    AccPmtInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
    // A payment is held when part of it is applied to no charge and no credit: its amount
    // less the sum of its applications (those dated up to as_of; 0: all of them) is not
    // zero. A deleted payment (APMT_DELDATE set, on or before as_of) holds nothing. The
    // stored APMT_HELD_AMT is not consulted. False also when the payment does not exist.
    bool IsPmtHeld(long apmt_id, long as_of = 0, TEmgBase* err = nullptr);
    // The figures behind IsPmtHeld; false when the payment does not exist or on failure.
    bool GetPmtHeldInfo(long apmt_id, pmt_held_info* info, long as_of = 0, TEmgBase* err = nullptr);
    // The rule behind both, for readers that have the payment and its applications already
    // (applied: the applications dated up to as_of; deleted: APMT_DELDATE).
    static int64_t HeldAmount(int64_t total, int64_t applied, long deleted, long as_of) {
        const bool gone = deleted != 0 && (as_of == 0 || deleted <= as_of);
        return gone ? 0 : total - applied;
    }
};

class PmtAppInfo : public RecordInfo<pmtapp_struct> {
  public:
    enum {
        KEY_ID = 0,
        KEY_PAYMENT = 1,
        KEY_TREATMENT = 2,
        KEY_CHARGE = 3,  // office charge
        KEY_PATIENT = 4,
        KEY_DATE = 5,
    };
    PmtAppInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
    // The table number of what the current application pays: TBL_CLMTRT (17) for a
    // treatment, TBL_PATOCH (46) for an office charge, TBL_PATIENT (2) for a credit.
    short OwnerKind() const;
};

class PmtsInfo : public RecordInfo<pmtscd_struct> {
  public:
    PmtsInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

class AdjustInfo : public RecordInfo<adjustcd_struct> {
  public:
    AdjustInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

class BankInfo : public RecordInfo<bankcd_struct> {
  public:
    BankInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

class InsCoInfo : public RecordInfo<insco_struct> {
  public:
    InsCoInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

class ProdInfo : public RecordInfo<prodcd_struct> {
  public:
    enum { KEY_ID = 0, KEY_CODE = 1, KEY_TYPE = 2 /* type letter, then code */ };
    ProdInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
    // Makes the producer of this code current; false when there is none.
    bool FindByCode(const std::string& code, TEmgBase* err = nullptr);
};

class UseridInfo : public RecordInfo<useridcd_struct> {
  public:
    enum { KEY_ID = 0, KEY_LOGON = 1 };
    UseridInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

class DayShtInfo : public RecordInfo<daysht_struct> {
  public:
    enum { KEY_ID = 0, KEY_DATE = 1 /* date, sort id, then id */ };
    DayShtInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
    // The current line as a dsht_struct.
    void GetDsht(dsht_struct* out) const;
    // True when a line is dated after today (false also on failure: DbFailed tells).
    bool ContainFutureDaySht(long today, TEmgBase* err = nullptr);
};

class DayEndInfo : public RecordInfo<dayend_struct> {
  public:
    DayEndInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
    // Marks the day-end report of date as printed, in one transaction: DEND_PRINTED of the
    // day-end record becomes 'Y', and so does DDET_PRINTED of that date's day record,
    // which is created when missing. False (nothing changed) when the day-end record is
    // missing or the database refuses.
    bool MarkDendPrinted(long date, TEmgBase* err = nullptr);
};

class DayDetInfo : public RecordInfo<daydet_struct> {
  public:
    enum { KEY_ID = 0, KEY_DATE = 1 };
    DayDetInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

// Practice settings rows, walked in PPST_ID order; fields by position through the
// ppset_struct accessors.
class PPSetInfo : public RecordInfo<ppset_struct> {
  public:
    PPSetInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

// Active payment plans of one billing doctor, summed.
struct pplan_total {
    std::string doctor;
    long plans = 0;
    int64_t amount = 0;   // sum of the plans' amounts
    int64_t balance = 0;  // sum of their balances
};

class PatPPlanInfo : public RecordInfo<patpplan_struct> {
  public:
    enum { KEY_ID = 0, KEY_ACCOUNT = 1 };
    PatPPlanInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
    // Totals of the active plans (status 'A') by doctor, in doctor code order.
    bool TotalsByDoctor(std::vector<pplan_total>* out, TEmgBase* err = nullptr);
    // The balance of the account's active plans; false when it has none.
    bool AccountPlanBalance(long acc_id, int64_t* balance, TEmgBase* err = nullptr);
};

class PatNoteInfo : public RecordInfo<patnote_struct> {
  public:
    enum { KEY_ID = 0, KEY_PATIENT = 1, KEY_DUEDATE = 2 };
    PatNoteInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

class ProcInfo : public RecordInfo<proccd_struct> {
  public:
    enum { KEY_SYSCODE = 0, KEY_CODE = 1 };
    ProcInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

class ProcCatInfo : public RecordInfo<proccat_struct> {
  public:
    ProcCatInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

class OffChgInfo : public RecordInfo<offchgcd_struct> {
  public:
    OffChgInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

class StatusInfo : public RecordInfo<statcd_struct> {
  public:
    StatusInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

// Distribution rules; file order is RDST_ID order.
class RDistInfo : public RecordInfo<rdist_struct> {
  public:
    enum { KEY_ID = 0, KEY_RULE = 1 /* billing doctor, producer, then id */ };
    RDistInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

class EmpPolInfo : public RecordInfo<emppol_struct> {
  public:
    EmpPolInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
};

class DependentInfo : public RecordInfo<patdep_struct> {
  public:
    enum { KEY_ID = 0, KEY_PATIENT = 1 };
    DependentInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
    // Loads the patient's policy memberships into the list (in id order) and returns
    // their number; -1 on failure.
    int GetMembers(long pat_id, TEmgBase* err = nullptr);
};

// Saved report-generator definitions with their criteria (RSCNCRIT rows, read and written
// with the definition).
class RecScanInfo : public RecordInfo<recscan_struct> {
  public:
    enum { KEY_ID = 0, KEY_NUMBER = 1 };
    RecScanInfo(DLnkList* list, MsgInfo* msg);
    static const host::TableDesc& Table();
    // The number for a new definition: the highest + 1, 1 when there is none; -1 on
    // failure.
    short NextRecNo(TEmgBase* err = nullptr);

  protected:
    bool HasChildren() const override { return true; }
    bool OnCurrent(TEmgBase* err) override;
    bool WriteChildren(GenDB& db, TEmgBase* err) override;
    bool DeleteChildren(GenDB& db, TEmgBase* err) override;
};
