// The revenue distribution's criteria dialog (7995): the report date and, optionally, one
// billing doctor. The day-end builds the report itself; this dialog makes it reachable on
// its own, from `rapports run revdist`.
#pragma once

#include <string>

#include "host/ui/controls.h"
#include "host/ui/reportdlg.h"

class TRevDistDlg : public TReportBaseDlg {
  public:
    TRevDistDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                TModule* module = nullptr, int mode = 0);

    // The report date is today.
    void SetupWindow() override;
    // A valid date (else 12411); a billing doctor, when given, that the producers know
    // (else 12570).
    bool ValidateDlgFields() override;
    bool DisplayReport() override;

    long GetDate() const { return date_; }
    const std::string& GetDoctor() const { return doctor_; }

  private:
    TDateField* date_field_;
    long date_ = 0;
    std::string doctor_;
};
