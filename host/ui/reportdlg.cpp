#include "host/ui/reportdlg.h"

#include <cstdlib>

#include "host/base/debuglog.h"
#include "host/base/env.h"
#include "host/base/msgsink.h"
#include "host/output/progress.h"

TReportBaseDlg::TReportBaseDlg(TWindow* parent, TResId res_id, LauncherInfo* launcher,
                               TModule* module, int run_mode)
    : TGenDlg(parent, res_id, module, launcher), run_mode_(run_mode) {
    RegisterHandlers();
}

TReportBaseDlg::TReportBaseDlg(TWindow* parent,
                               std::shared_ptr<const host::ui::DialogTemplate> tmpl,
                               LauncherInfo* launcher, TModule* module, int run_mode)
    : TGenDlg(parent, std::move(tmpl), module, launcher), run_mode_(run_mode) {
    RegisterHandlers();
}

void TReportBaseDlg::RegisterHandlers() {
    OnCommand(host::ui::IDC_PREVIEW, [this] { ActionOnPreview(); });
    OnCommand(host::ui::IDC_SAVEDEFAULT, [this] {
        TransferData(tdGetData);
        ActionOnSaveAsDefault();
    });
    OnCommandNotify(host::ui::IDC_DESTINATION, CBN_SELCHANGE, [this] {
        if (auto* dest = ChildAs<TListBoxBase>(host::ui::IDC_DESTINATION))
            output_choice_ = std::atoi(dest->GetSelValue().c_str());
    });
    // The unattended run: print without asking anything, then close.
    OnMessage(WM_START_OVERNITES, [this](WPARAM, LPARAM lp) -> LRESULT {
        overnite_param_ = lp;
        show_messages_ = false;
        RunReport();
        CloseWindow(IDOK);
        return 1;
    });
}

void TReportBaseDlg::SetOutputChoice(int choice) {
    output_choice_ = choice;
    if (auto* dest = ChildAs<TListBoxBase>(host::ui::IDC_DESTINATION))
        dest->SetSelIndex(dest->FindValue(std::to_string(choice < 3 ? choice : 3)));
}

void TReportBaseDlg::SetupWindow() {
    TGenDlg::SetupWindow();
    if (run_mode_ == 2) output_choice_ = 0;
    SetOutputChoice(output_choice_);
    if (run_mode_ == 1 || run_mode_ == 2)
        if (TWindow* ok = ChildWithId(IDOK)) ok->EnableWindow(false);
    if (run_mode_ == 2) PostMessage(WM_START_OVERNITES, 0, 0);
}

bool TReportBaseDlg::RunReport() {
    TransferData(tdGetData);
    last_ok_ = false;
    if (!ValidateDlgFields()) return false;
    ++print_count_;
    last_ok_ = DisplayReport();
    return last_ok_;
}

bool TReportBaseDlg::ActionOnPrint() {
    if (auto* dest = ChildAs<TListBoxBase>(host::ui::IDC_DESTINATION);
        dest && dest->GetSelIndex() >= 0)
        output_choice_ = std::atoi(dest->GetSelValue().c_str());
    return RunReport();
}

bool TReportBaseDlg::ActionOnPreview() {
    output_choice_ = 1;
    return RunReport();
}

void TReportBaseDlg::CmOk() {
    ActionOnPrint();
}

bool TReportBaseDlg::ValidateDlgFields() {
    for (TWindow* w : GetChildren()) {
        auto* edit = dynamic_cast<TEdit*>(w);
        if (!edit || !edit->IsWindowVisible() || !edit->IsWindowEnabled() || edit->IsValid())
            continue;
        int message = 12413;
        switch (edit->GetKind()) {
            case host::ui::ControlKind::Date:
                message = 12411;
                break;
            case host::ui::ControlKind::Amount:
                message = 12412;
                break;
            case host::ui::ControlKind::Time:
                message = 12415;
                break;
            default:
                break;
        }
        ReportFieldError(message);
        edit->SetFocus();
        return false;
    }
    return true;
}

int TReportBaseDlg::MessageBox(const std::string& text, const std::string& caption,
                               unsigned flags) {
    if (ShowsMessages()) return TGenDlg::MessageBox(text, caption, flags);
    WriteDebugLogFile("%s%s%s", caption.c_str(), caption.empty() ? "" : ": ", text.c_str());
    return host::FirstButton(flags);
}

FILE* TReportBaseDlg::OpenReportFile(const std::string& name) {
    return std::fopen(host::ReportFilePath(name).c_str(), "w");
}

void TReportBaseDlg::ShowReportFile(const std::string& name) {
    TPrintScreen(this, name, true);
}
