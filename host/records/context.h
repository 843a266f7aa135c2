// The host's application context: the application object (database, calculation mode,
// user rights, current patient), the record list and message holder that record objects
// are built with, and the LauncherInfo that comes with every dialog and report.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "host/base/errors.h"
#include "host/db/gendb.h"

class PersInfo;

// The database context record objects work in (the host's record list).
class DLnkList {
  public:
    explicit DLnkList(GenDB* db = nullptr) : db_(db) {}
    // A list that works on the same database as another one.
    DLnkList(const DLnkList& other) = default;
    GenDB* db() const { return db_; }

  private:
    GenDB* db_;
};

// The message holder of record objects: where their errors are recorded.
class MsgInfo {
  public:
    MsgInfo(int number, DLnkList* list) : number_(number), list_(list) {}
    int number() const { return number_; }
    DLnkList* list() const { return list_; }
    TEmgBase& errors() { return errors_; }
    void SetWindow(const void* window) { window_ = window; }
    const void* window() const { return window_; }

  private:
    int number_;
    DLnkList* list_;
    TEmgBase errors_;
    const void* window_ = nullptr;
};

// The text of a failure to read the practice: what failed, then why (the message the record
// classes left in the error object, else the database's last error, when there is one). The
// error object is cleared, so that the next failure says its own reason.
std::string FailureText(MsgInfo& msg, GenDB* db, const std::string& what);

// Printer settings handed to reports (the host's print information).
struct PrintInfo {
    std::string printer;  // empty: the PDF "printer" of the output folder
    int copies = 1;
};

// The host application object.
class QDSApplication {
  public:
    // The application of this process (set by the executable at start-up); may be null.
    static QDSApplication* Instance();
    static void SetInstance(QDSApplication* app);

    explicit QDSApplication(GenDB* db = nullptr) : db_(db) {}
    virtual ~QDSApplication() = default;

    GenDB* GetDb() const { return db_; }
    void SetDb(GenDB* db) { db_ = db; }
    // Reads the practice's settings (PRACINFO: calculation mode, future receivable,
    // special version, doctor codes) into the members below; false when the database
    // holds no practice row (the members keep their values).
    bool LoadPracticeSettings();

    // Calculation mode of the closing reports: 1 computes by SQL over the practice tables
    // (CALC_FROM_DATABASE); any other value reads the day sheet and the record objects.
    int m_CalAR = 1;
    // The host's special-version code (10 shows the custom tab of the Reports Manager).
    int special_version = 0;
    // Whether the future-receivable feature is on.
    bool future_ar = true;
    // Whether doctor codes are shown as producer codes (1) or billing codes.
    int doctor_code_option = 0;
    // Whether the billing doctors are taken from the personnel records (the producer
    // records that IsBillingDr accepts) rather than from their codes alone.
    bool billdr_from_personnel = false;
    // The current patient (0: none).
    long current_patient = 0;
    std::string user_login;

    // Rights of the user in the rights system of module `module` (the reports: 20115).
    bool UserHasAccess(int module, int right, const void* window = nullptr,
                       bool show_message = false) const;
    void SetRights(std::set<int> rights) { rights_ = std::move(rights); }
    const std::set<int>& rights() const { return rights_; }

  private:
    GenDB* db_;
    std::set<int> rights_{2, 3, 4, 5, 6, 7, 8, 9, 10};
};

// What comes with every dialog and report: the application, the record list and message
// holder for record objects, the printer settings and the current patient.
class LauncherInfo {
  public:
    explicit LauncherInfo(QDSApplication* app);
    ~LauncherInfo() = default;
    LauncherInfo(const LauncherInfo&) = delete;
    LauncherInfo& operator=(const LauncherInfo&) = delete;

    QDSApplication* App() const { return app_; }
    GenDB* GetDb() const { return app_ ? app_->GetDb() : nullptr; }
    DLnkList* GetListPtr() { return &list_; }
    MsgInfo* GetMsgPtr() { return &msg_; }
    PrintInfo* GetPrintInfoPtr() { return &print_; }
    // The printer device of the host: there is none; output goes to PDF files.
    void* GetPrinterDC() const { return nullptr; }
    // The current patient's record (loaded on demand), or null when there is none.
    // (Defined with the record classes.)
    PersInfo* GetPatInfoPtr();

  private:
    QDSApplication* app_;
    DLnkList list_;
    MsgInfo msg_;
    PrintInfo print_;
    std::shared_ptr<PersInfo> patient_;
};
