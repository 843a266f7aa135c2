#include "host/ui/dialog.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/base/debuglog.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/ui/backend.h"

namespace host::ui {

int Backend::RunModal(TDialog& dialog) {
    DeliverPostedMessages();
    if (dialog.IsRunning()) dialog.EndModal(IDCANCEL);
    return dialog.GetModalResult();
}

}  // namespace host::ui

TDialog::TDialog(TWindow* parent, TResId res_id, TModule* module)
    : TWindow(parent, "", module), res_id_(res_id) {
    template_ = host::ui::LoadDialogTemplate(res_id_, &template_error_);
    RegisterDefaults();
}

TDialog::TDialog(TWindow* parent, std::shared_ptr<const host::ui::DialogTemplate> tmpl,
                 TModule* module)
    : TWindow(parent, "", module), template_(std::move(tmpl)) {
    if (template_) res_id_ = template_->id;
    RegisterDefaults();
}

TDialog::~TDialog() = default;

void TDialog::RegisterDefaults() {
    OnCommand(IDOK, [this] { CmOk(); });
    OnCommand(IDCANCEL, [this] { CmCancel(); });
    OnMessage(WM_FIELD_ERROR, [this](WPARAM wp, LPARAM lp) -> LRESULT {
        std::string text;
        if (wp)
            text = host::LoadText(static_cast<int>(wp));
        else if (lp)
            text = reinterpret_cast<const char*>(lp);
        if (text.empty()) text = "Valeur invalide (" + std::to_string(wp) + ")";
        MessageBox(text, GetCaption(), MB_OK | MB_ICONEXCLAMATION);
        return 1;
    });
}

int TDialog::Execute() {
    if (!template_ && GetChildren().empty()) {
        std::string text = host::LoadText(12414);
        char buf[1024];
        std::snprintf(buf, sizeof buf, text.c_str(), template_error_.c_str());
        MessageBox(buf, "", MB_OK | MB_ICONERROR);
        return -1;
    }
    modal_ = true;
    running_ = true;
    modal_result_ = IDCANCEL;
    if (!Create()) {
        running_ = modal_ = false;
        return -1;
    }
    // The dialog may already have ended during SetupWindow.
    const int result = running_ ? host::ui::GetBackend().RunModal(*this) : modal_result_;
    running_ = false;
    Destroy(result);
    modal_ = false;
    return result;
}

void TDialog::EndModal(int result) {
    if (!running_) return;
    modal_result_ = result;
    running_ = false;
    Changed(host::ui::Change::Closed);
}

bool TDialog::Create() {
    if (created_) return true;
    if (template_) {
        if (GetCaption().empty()) SetCaption(template_->caption);
        SetRect({0, 0, template_->width, template_->height});
        std::vector<TWindow*> order;
        for (const host::ui::ControlTemplate& ct : template_->controls) {
            TWindow* w = ct.id >= 0 ? ChildWithId(ct.id) : nullptr;
            if (auto* c = dynamic_cast<TControl*>(w)) {
                if (c->GetKind() != ct.kind)
                    WriteDebugLogFile("Dialogue %d : le contrôle %d est un %s dans le modèle",
                                      res_id_, ct.id, host::ui::ControlKindName(ct.kind));
                c->ApplyTemplate(ct);
            } else if (!w) {
                w = host::ui::MakeControl(this, ct);
            }
            order.push_back(w);
        }
        ReorderChildren(order);
    }
    return TWindow::Create();
}

void TDialog::SetupWindow() {
    TWindow::SetupWindow();
    TransferData(tdSetData);
}

bool TDialog::IsTopLevel() const {
    if (modal_) return false;
    auto* frame = dynamic_cast<TFrameWindow*>(GetParent());
    return !(frame && frame->GetClientWindow() == this);
}

void TDialog::CloseWindow(int ret_value) {
    if (modal_) {
        if (running_ && CanClose()) EndModal(ret_value);
        return;
    }
    TWindow::CloseWindow(ret_value);
}

void TDialog::TransferData(TTransferDirection direction) {
    for (Binding& b : bindings_)
        b.transfer(direction);
}

void TDialog::CmOk() {
    if (!CanClose()) return;
    TransferData(tdGetData);
    if (modal_)
        EndModal(IDOK);
    else
        TWindow::CloseWindow(IDOK);
}

void TDialog::CmCancel() {
    if (modal_)
        EndModal(IDCANCEL);
    else
        Destroy(IDCANCEL);
}

void TDialog::ReportFieldError(int string_id) {
    SendMessage(WM_FIELD_ERROR, static_cast<WPARAM>(string_id),
                reinterpret_cast<LPARAM>(GetModule()));
}

void TDialog::ReportFieldError(const std::string& text) {
    SendMessage(WM_FIELD_ERROR, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// --- Bindings ---

void TDialog::BindCustom(int id, std::function<void(TTransferDirection)> transfer) {
    bindings_.push_back({id, std::move(transfer)});
}

void TDialog::BindText(int id, char* buf, size_t size) {
    BindCustom(id, [this, id, buf, size](TTransferDirection d) {
        TControl* c = GetControl(id);
        if (!c || !buf || !size) return;
        if (d == tdSetData)
            c->SetText(std::string(buf, strnlen(buf, size)));
        else
            host::CopyText(buf, size, c->GetText());
    });
}

void TDialog::BindText(int id, std::string* text) {
    BindCustom(id, [this, id, text](TTransferDirection d) {
        TControl* c = GetControl(id);
        if (!c) return;
        if (d == tdSetData)
            c->SetText(*text);
        else
            *text = c->GetText();
    });
}

void TDialog::BindDate(int id, long* date) {
    BindField<TDateField>(
        id, date, [](auto& c, auto& v) { c.SetDate(v); },
        [](auto& c, auto& v) { v = c.GetDate(); });
}

void TDialog::BindAmount(int id, long* cents) {
    BindField<TAmountField>(
        id, cents, [](auto& c, auto& v) { c.SetAmount(v); },
        [](auto& c, auto& v) { v = static_cast<long>(c.GetAmount()); });
}

void TDialog::BindAmount(int id, int32_t* cents) {
    BindField<TAmountField>(
        id, cents, [](auto& c, auto& v) { c.SetAmount(v); },
        [](auto& c, auto& v) { v = static_cast<int32_t>(c.GetAmount()); });
}

void TDialog::BindCheck(int id, char* yes_no) {
    BindField<TCheckBox>(
        id, yes_no,
        [](auto& c, auto& v) { c.SetCheck(v == 'Y' || v == 'y' ? BF_CHECKED : BF_UNCHECKED); },
        [](auto& c, auto& v) { v = c.IsChecked() ? 'Y' : 'N'; });
}

void TDialog::BindCheck(int id, int* on) {
    BindField<TCheckBox>(
        id, on, [](auto& c, auto& v) { c.SetCheck(v ? BF_CHECKED : BF_UNCHECKED); },
        [](auto& c, auto& v) { v = c.IsChecked() ? 1 : 0; });
}

void TDialog::BindCheck(int id, bool* on) {
    BindField<TCheckBox>(
        id, on, [](auto& c, auto& v) { c.SetCheck(v ? BF_CHECKED : BF_UNCHECKED); },
        [](auto& c, auto& v) { v = c.IsChecked(); });
}

void TDialog::BindRadios(std::vector<int> ids, int* index) {
    const int first = ids.empty() ? 0 : ids.front();
    BindCustom(first, [this, ids, index](TTransferDirection d) {
        if (d == tdSetData) {
            for (size_t k = 0; k < ids.size(); ++k)
                if (auto* r = ChildAs<TCheckBox>(ids[k]))
                    r->SetCheck(static_cast<int>(k) == *index ? BF_CHECKED : BF_UNCHECKED);
            return;
        }
        *index = -1;
        for (size_t k = 0; k < ids.size(); ++k)
            if (auto* r = ChildAs<TCheckBox>(ids[k]); r && r->IsChecked()) {
                *index = static_cast<int>(k);
                break;
            }
    });
}

void TDialog::BindSpin(int id, short* value) {
    BindField<TSpinField>(
        id, value, [](auto& c, auto& v) { c.SetValue(v); },
        [](auto& c, auto& v) { v = static_cast<short>(c.GetValue()); });
}

void TDialog::BindSpin(int id, int* value) {
    BindField<TSpinField>(
        id, value, [](auto& c, auto& v) { c.SetValue(v); },
        [](auto& c, auto& v) { v = c.GetValue(); });
}

void TDialog::BindComboIndex(int id, int* index) {
    BindField<TListBoxBase>(
        id, index, [](auto& c, auto& v) { c.SetSelIndex(v); },
        [](auto& c, auto& v) { v = c.GetSelIndex(); });
}

void TDialog::BindComboText(int id, char* buf, size_t size) {
    BindCustom(id, [this, id, buf, size](TTransferDirection d) {
        auto* c = ChildAs<TListBoxBase>(id);
        if (!c || !buf || !size) return;
        if (d == tdSetData) {
            const std::string text(buf, strnlen(buf, size));
            int i = c->FindStringExact(text);
            if (i < 0 && !text.empty()) i = c->FindString(text);
            c->SetSelIndex(i);
        } else {
            host::CopyText(buf, size, c->GetSelString());
        }
    });
}

void TDialog::BindComboValue(int id, char* buf, size_t size) {
    BindCustom(id, [this, id, buf, size](TTransferDirection d) {
        auto* c = ChildAs<TListBoxBase>(id);
        if (!c || !buf || !size) return;
        if (d == tdSetData) {
            const std::string value(buf, strnlen(buf, size));
            int i = c->FindValue(value);
            if (i < 0) i = c->FindStringExact(value);
            c->SetSelIndex(i);
        } else {
            host::CopyText(buf, size, c->GetSelValue());
        }
    });
}

void TDialog::BindComboValue(int id, std::string* value) {
    BindCustom(id, [this, id, value](TTransferDirection d) {
        auto* c = ChildAs<TListBoxBase>(id);
        if (!c) return;
        if (d == tdSetData) {
            int i = c->FindValue(*value);
            if (i < 0) i = c->FindStringExact(*value);
            c->SetSelIndex(i);
        } else {
            *value = c->GetSelValue();
        }
    });
}

// --- Fields by name ---

TControl* TDialog::FindField(const std::string& name_or_id) const {
    if (name_or_id.empty()) return nullptr;
    char* end = nullptr;
    const long id = std::strtol(name_or_id.c_str(), &end, 10);
    if (*end == '\0') return GetControl(static_cast<int>(id));
    for (TWindow* w : GetChildren())
        if (auto* c = dynamic_cast<TControl*>(w); c && c->GetFieldName() == name_or_id) return c;
    return nullptr;
}

bool TDialog::SetField(const std::string& name_or_id, const std::string& value,
                       std::string* error) {
    auto fail = [&](const std::string& message) {
        if (error) *error = message;
        return false;
    };
    TControl* c = FindField(name_or_id);
    if (!c) return fail("champ inconnu « " + name_or_id + " »");
    if (auto* radio = dynamic_cast<TRadioButton*>(c); radio && !radio->GetFieldName().empty()) {
        // A named group: the value is the index of a button or its label.
        const std::vector<TRadioButton*> group = radio->Group();
        TRadioButton* chosen = nullptr;
        char* end = nullptr;
        const long n = std::strtol(value.c_str(), &end, 10);
        if (!value.empty() && *end == '\0' && n >= 0 && n < static_cast<long>(group.size()))
            chosen = group[static_cast<size_t>(n)];
        for (TRadioButton* r : group)
            if (!chosen && host::Trim(r->GetText()) == host::Trim(value)) chosen = r;
        if (!chosen) {
            std::string choices;
            for (size_t k = 0; k < group.size(); ++k)
                choices += (k ? "|" : "") + std::to_string(k);
            return fail("valeur invalide pour « " + name_or_id + " » : " + value +
                        " (choix : " + choices + ")");
        }
        if (!chosen->IsWindowEnabled() || !chosen->IsWindowVisible())
            return fail("le choix « " + value + " » de « " + name_or_id +
                        " » n'est pas offert dans ce dialogue");
        chosen->UserClick();
        return true;
    }
    if (!c->IsWindowVisible()) return fail("le champ « " + name_or_id + " » n'est pas offert");
    if (!c->IsWindowEnabled())
        return fail("le champ « " + name_or_id + " » est désactivé dans ce dialogue");
    std::string why;
    if (!c->UserSetValue(value, &why)) return fail("« " + name_or_id + " » : " + why);
    return true;
}

std::vector<std::pair<std::string, std::string>> TDialog::FieldValues() const {
    std::vector<std::pair<std::string, std::string>> out;
    for (TWindow* w : GetChildren()) {
        auto* c = dynamic_cast<TControl*>(w);
        if (!c || c->GetFieldName().empty()) continue;
        if (auto* radio = dynamic_cast<TRadioButton*>(c)) {
            const auto group = radio->Group();
            std::string value;
            for (size_t k = 0; k < group.size(); ++k)
                if (group[k]->IsChecked()) value = std::to_string(k);
            out.emplace_back(c->GetFieldName(), value);
        } else {
            out.emplace_back(c->GetFieldName(), c->GetValueText());
        }
    }
    return out;
}
