// The account statements dialog (7013, catalog 107): the statement date, the billed
// period, the last-name range and stacked forms; asks whether alignment forms come first,
// then prints the month-end statements ("etats.pdf") and their run file.
#pragma once

#include <string>

#include "closing/mendstmt.h"
#include "host/ui/reportdlg.h"

class AccStatementDlg : public TReportBaseDlg {
  public:
    AccStatementDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                    TModule* module = nullptr, int mode = 0);

    // Statement date today; the period ends today and starts one month earlier.
    void SetupWindow() override;
    // Valid dates in order (12972, 6643), names in order (12973).
    bool ValidateDlgFields() override;
    // ConfirmOnAlign, the alignment forms when asked for, then the statements.
    bool DisplayReport() override;
    // "Désirez-vous imprimer des formulaires d'alignement?" (6020, title 6021).
    bool ConfirmOnAlign();

    const MSFormInfo& GetInfo() const { return info_; }
    // The run's form and its files, after DisplayReport.
    const std::string& RunFile() const { return run_file_; }
    bool AlignmentPrinted() const { return aligned_; }
    static constexpr const char* kPdf = "etats.pdf";
    static constexpr const char* kAlignPdf = "etats-alignement.pdf";

  private:
    MSFormInfo info_;
    bool stacked_ = false;
    std::string run_file_;
    bool aligned_ = false;
};
