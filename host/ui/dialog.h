// Toolkit-neutral dialogs. A TDialog takes its controls, labels and caption from its
// template (resources/dialogs/<resource>.dlg); a derived dialog may construct its own
// control objects for some ids before Create, which then take the template's geometry and
// label. Controls can be bound to the fields of a criteria record: TransferData copies the
// record into the controls (tdSetData, done by SetupWindow) or back (tdGetData).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/ui/controls.h"
#include "host/ui/dlgtemplate.h"
#include "host/ui/window.h"

// A resource number (the host's TResId).
struct TResId {
    int id = 0;
    TResId(int i) : id(i) {}  // NOLINT: implicit, as the host's is
    operator int() const { return id; }
};

enum TTransferDirection { tdGetData, tdSetData };

class TDialog : public TWindow {
  public:
    TDialog(TWindow* parent, TResId res_id, TModule* module = nullptr);
    // A dialog over a template given directly (dialogs built in code, tests).
    TDialog(TWindow* parent, std::shared_ptr<const host::ui::DialogTemplate> tmpl,
            TModule* module = nullptr);
    ~TDialog() override;

    int GetResId() const { return res_id_; }
    // The template, or null when its file is missing or malformed (see TemplateError).
    const host::ui::DialogTemplate* GetTemplate() const { return template_.get(); }
    const std::string& TemplateError() const { return template_error_; }

    // Runs the dialog modally: Create, the back end's modal loop, Destroy. Returns the
    // value given to CloseWindow, or -1 when the dialog cannot be shown (its template is
    // missing: the reason is shown in a message box).
    virtual int Execute();
    bool IsModal() const { return modal_; }
    // True while the modal loop runs.
    bool IsRunning() const { return running_; }
    int GetModalResult() const { return modal_result_; }
    // Ends the modal loop with result (no CanClose).
    void EndModal(int result);

    // Creates the template's controls (keeping those the dialog constructed itself, in
    // template order), then SetupWindow.
    bool Create() override;
    // Copies the bound record fields into the controls.
    void SetupWindow() override;
    // Modal: ends the loop when CanClose agrees. Modeless: destroys the window.
    void CloseWindow(int ret_value = 0) override;

    virtual void TransferData(TTransferDirection direction);
    // OK: CanClose, then TransferData(tdGetData) and CloseWindow(IDOK).
    virtual void CmOk();
    virtual void CmCancel();

    // The host's field error (message 3050): the text of string `string_id` in a message
    // box over the dialog. The text variant is for messages without a number.
    void ReportFieldError(int string_id);
    void ReportFieldError(const std::string& text);

    TControl* GetControl(int id) const { return dynamic_cast<TControl*>(ChildWithId(id)); }

    // --- Bindings of controls to record fields ---
    void BindText(int id, char* buf, size_t size);
    void BindText(int id, std::string* text);
    void BindDate(int id, long* date);
    void BindAmount(int id, long* cents);
    void BindAmount(int id, int32_t* cents);
    // 'Y' / 'N'.
    void BindCheck(int id, char* yes_no);
    void BindCheck(int id, int* on);
    void BindCheck(int id, bool* on);
    // The index of the checked radio button among ids (-1: none).
    void BindRadios(std::vector<int> ids, int* index);
    void BindSpin(int id, short* value);
    void BindSpin(int id, int* value);
    // The selected entry of a combo or list box: its index, its text, or its value.
    void BindComboIndex(int id, int* index);
    void BindComboText(int id, char* buf, size_t size);
    void BindComboValue(int id, char* buf, size_t size);
    void BindComboValue(int id, std::string* value);
    // Any other binding.
    void BindCustom(int id, std::function<void(TTransferDirection)> transfer);
    // A binding of control id (of class Control) to *field: set(control, field) fills the
    // control, get(control, field) reads it back.
    template <class Control, class Field, class Set, class Get>
    void BindField(int id, Field* field, Set set, Get get) {
        BindCustom(id, [this, id, field, set, get](TTransferDirection d) {
            auto* c = ChildAs<Control>(id);
            if (!c) return;
            if (d == tdSetData)
                set(*c, *field);
            else
                get(*c, *field);
        });
    }
    int GetBindingCount() const { return static_cast<int>(bindings_.size()); }

    // --- Fields by name (the template's name=), for the command line ---
    // The control holding field `name_or_id` (a name, or a control id in decimal); for a
    // group of radio buttons, its first button. Null when there is none.
    TControl* FindField(const std::string& name_or_id) const;
    // Sets a field as a user would (the dialog's enabling rules run); false with *error
    // for an unknown field, a disabled or hidden one, or a value the control refuses.
    bool SetField(const std::string& name_or_id, const std::string& value, std::string* error);
    // The fields and their current values ("name=value"), in template order.
    std::vector<std::pair<std::string, std::string>> FieldValues() const;

  protected:
    bool IsTopLevel() const override;

  private:
    struct Binding {
        int id;
        std::function<void(TTransferDirection)> transfer;
    };
    void RegisterDefaults();

    int res_id_ = 0;
    std::shared_ptr<const host::ui::DialogTemplate> template_;
    std::string template_error_;
    std::vector<Binding> bindings_;
    bool modal_ = false;
    bool running_ = false;
    int modal_result_ = IDCANCEL;
};
