#include "host/ui/picker.h"

#include <algorithm>

#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/records/context.h"
#include "host/records/records.h"
#include "host/ui/controls.h"
#include "host/ui/dialog.h"

namespace host::ui {

namespace {

constexpr int kPickerDialog = 7991;
constexpr int kList = 101;
constexpr int kInsurersTitle = 12860;        // "Compagnies d'assurance"
constexpr int kProducersTitle = 12861;       // "Producteurs"
constexpr int kBillingDoctorsTitle = 12862;  // "Dentistes facturants"

class TCodePickDlg : public TDialog {
  public:
    TCodePickDlg(TWindow* parent, std::string title, const std::vector<CodeEntry>& entries,
                 std::string current)
        : TDialog(parent, kPickerDialog),
          title_(std::move(title)),
          entries_(entries),
          current_(std::move(current)) {}

    void SetupWindow() override {
        TDialog::SetupWindow();
        SetCaption(title_);
        auto* list = ChildAs<TListBoxBase>(kList);
        if (!list) return;
        list->ClearList();
        for (const CodeEntry& e : entries_)
            list->AddString(e.Line(), e.code);
        const int at = list->FindValue(host::Trim(current_));
        list->SetSelIndex(at >= 0 ? at : entries_.empty() ? -1 : 0);
    }
    void CmOk() override {
        auto* list = ChildAs<TListBoxBase>(kList);
        chosen_ = list && list->GetSelIndex() >= 0 ? list->GetSelValue() : std::string();
        TDialog::CmOk();
    }
    const std::string& Chosen() const { return chosen_; }

  private:
    std::string title_;
    const std::vector<CodeEntry>& entries_;
    std::string current_;
    std::string chosen_;
};

}  // namespace

// Calls row(producer, "first last") for every producer record, in code order.
template <class F>
void ForEachProducer(LauncherInfo* launcher, F&& row) {
    if (!launcher || !launcher->GetDb()) return;
    ProdInfo prod(launcher->GetListPtr(), launcher->GetMsgPtr());
    prod.SetKey(ProdInfo::KEY_CODE);
    for (bool ok = prod.DBGetFirst(); ok; ok = prod.DBGetNext()) {
        const prodcd_struct* p = prod.GetItem();
        row(*p, host::Trim(host::Trim(p->first_name) + " " + host::Trim(p->last_name)));
    }
}

std::vector<CodeEntry> ProducerEntries(LauncherInfo* launcher) {
    std::vector<CodeEntry> out;
    ForEachProducer(launcher, [&](const prodcd_struct& p, const std::string& name) {
        const std::string code = host::Trim(p.code);
        if (!code.empty()) out.push_back({code, name});
    });
    return out;
}

std::vector<CodeEntry> BillingDoctorEntries(LauncherInfo* launcher) {
    std::vector<CodeEntry> out;
    ForEachProducer(launcher, [&](const prodcd_struct& p, const std::string& name) {
        const std::string code = host::Trim(p.billdr);
        if (!code.empty() && std::none_of(out.begin(), out.end(),
                                          [&](const CodeEntry& e) { return e.code == code; }))
            out.push_back({code, name});
    });
    std::sort(out.begin(), out.end(),
              [](const CodeEntry& a, const CodeEntry& b) { return a.code < b.code; });
    return out;
}

std::vector<CodeEntry> InsuranceEntries(LauncherInfo* launcher) {
    std::vector<CodeEntry> out;
    if (!launcher || !launcher->GetDb()) return out;
    InsCoInfo insco(launcher->GetListPtr(), launcher->GetMsgPtr());
    if (insco.GetAll())
        for (const insco_struct& i : insco.Items())
            if (!host::Trim(i.ins_code).empty())
                out.push_back({host::Trim(i.ins_code), host::Trim(i.name)});
    std::sort(out.begin(), out.end(),
              [](const CodeEntry& a, const CodeEntry& b) { return a.code < b.code; });
    return out;
}

std::string PickCode(TWindow* parent, const std::string& title,
                     const std::vector<CodeEntry>& entries, const std::string& current) {
    TCodePickDlg dlg(parent, title, entries, current);
    if (dlg.Execute() != IDOK) return {};
    return dlg.Chosen();
}

void PickInto(TDialog& dlg, int field, Codes kind, LauncherInfo* launcher) {
    TControl* edit = dlg.GetControl(field);
    if (!edit) return;
    const std::vector<CodeEntry> entries = kind == Codes::Insurers ? InsuranceEntries(launcher)
                                           : kind == Codes::Producers
                                               ? ProducerEntries(launcher)
                                               : BillingDoctorEntries(launcher);
    const int title = kind == Codes::Insurers    ? kInsurersTitle
                      : kind == Codes::Producers ? kProducersTitle
                                                 : kBillingDoctorsTitle;
    const std::string code = PickCode(&dlg, host::LoadText(title), entries, edit->GetText());
    if (!code.empty()) edit->SetText(code);
}

}  // namespace host::ui
