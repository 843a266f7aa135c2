// TReportBaseDlg, the criteria dialog base of every report: the Print, Preview, Save as
// default and Cancel buttons and the destination list of the template's "reportbar", the
// output kind and copies handed to the report, the validation of the fields and the run
// mode (0 interactive; 2 unattended: no message box, every question answered yes, and
// the dialog prints and closes itself through message 4005).
#pragma once

#include <cstdio>
#include <string>

#include "host/ui/qds.h"

class TReportBaseDlg : public TGenDlg {
  public:
    TReportBaseDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher = nullptr,
                   TModule* module = nullptr, int run_mode = 0);
    TReportBaseDlg(TWindow* parent, std::shared_ptr<const host::ui::DialogTemplate> tmpl,
                   LauncherInfo* launcher = nullptr, TModule* module = nullptr, int run_mode = 0);

    // Output kind: 0 printer (a PDF file in the output folder), 1 preview on screen,
    // 2 export to a file, 3 and above a text file.
    int GetOutputChoice() const { return output_choice_; }
    void SetOutputChoice(int choice);
    int GetCopies() const { return copies_; }
    void SetCopies(int copies) { copies_ = copies; }
    // 0 interactive, 1 opened by another report without its Print button, 2 unattended.
    int GetRunMode() const { return run_mode_; }
    void SetRunMode(int mode) { run_mode_ = mode; }
    bool IsUnattended() const { return run_mode_ == 2; }

    // Runs the report with the criteria read from the controls; true when it ran.
    virtual bool DisplayReport() { return false; }
    // Print: the destination list, TransferData(tdGetData), ValidateDlgFields, then
    // DisplayReport.
    virtual bool ActionOnPrint();
    // Preview: the same with output kind 1.
    virtual bool ActionOnPreview();
    // Save as default: TransferData(tdGetData) then the dialog saves its record.
    virtual bool ActionOnSaveAsDefault() { return true; }
    // The host's checks: every visible, enabled date, time, amount and number field holds
    // a valid value; a refusal is reported with message 3050. Dialogs add their own rules
    // after calling this one.
    virtual bool ValidateDlgFields();
    virtual int GetDlgFieldCount() const { return GetBindingCount(); }

    // Selects the destination, disables Print in run modes 1 and 2, and in run mode 2
    // posts message 4005 to the dialog.
    void SetupWindow() override;
    // The Print button (IDOK): ActionOnPrint; the dialog stays open.
    void CmOk() override;
    // In run mode 2, or once messages are turned off, message boxes go to the debug log
    // and are answered yes (or OK).
    int MessageBox(const std::string& text, const std::string& caption = "",
                   unsigned flags = MB_OK) override;

    // Reports run by the print and preview actions, and whether the last one succeeded
    // (validation passed and DisplayReport returned true).
    int GetPrintCount() const { return print_count_; }
    bool LastPrintSucceeded() const { return last_ok_; }
    bool ShowsMessages() const { return show_messages_ && run_mode_ != 2; }
    // The parameter of the last message 4005.
    LPARAM GetOverniteParam() const { return overnite_param_; }

  protected:
    // Opens the report's text file ("arrpt.prt") for writing in the output folder; null
    // when it cannot be opened.
    FILE* OpenReportFile(const std::string& name);
    // Shows a report's text file in the text viewer.
    void ShowReportFile(const std::string& name);
    // Turns message boxes off (the unattended run).
    void SetShowMessages(bool show) { show_messages_ = show; }

  private:
    void RegisterHandlers();
    bool RunReport();

    int output_choice_ = 0;
    int copies_ = 1;
    int run_mode_;
    int print_count_ = 0;
    bool last_ok_ = false;
    bool show_messages_ = true;
    LPARAM overnite_param_ = 0;
};
