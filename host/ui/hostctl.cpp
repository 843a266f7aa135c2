#include "host/ui/hostctl.h"

#include <cstdlib>

#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/records/context.h"
#include "host/records/records.h"

namespace {

// Text of the entry for every producer.
constexpr int kAllProducers = 12448;

}  // namespace

TProdCBox::TProdCBox(TWindow* parent, int id, LauncherInfo* launcher, size_t text_limit,
                     TModule* module)
    : TComboBox(parent, id, text_limit, module), launcher_(launcher) {}

int TProdCBox::LoadProducers() {
    const std::string selected = GetSelIndex() >= 0 ? GetSelValue() : std::string();
    ClearList();
    AddString(host::LoadText(kAllProducers), "*");
    int count = 0;
    if (launcher_ && launcher_->GetDb()) {
        ProdInfo prod(launcher_->GetListPtr(), launcher_->GetMsgPtr());
        prod.SetKey(ProdInfo::KEY_CODE);
        for (bool ok = prod.DBGetFirst(); ok; ok = prod.DBGetNext()) {
            const prodcd_struct* p = prod.GetItem();
            const std::string code = host::Trim(p->code);
            if (code.empty()) continue;
            std::string name =
                host::Trim(host::Trim(p->first_name) + " " + host::Trim(p->last_name));
            AddString(name.empty() ? code : code + " - " + name, code);
            ++count;
        }
        // A producer list that cannot be read leaves "*" alone; the error stays with
        // the launcher's message holder.
    }
    if (!selected.empty()) SelectCode(selected);
    return count;
}

void TProdCBox::SelectCode(const std::string& code) {
    int i = FindValue(host::Trim(code));
    if (i < 0) i = FindValue("*");
    SetSelIndex(i);
}

std::string TProdCBox::GetCode() const {
    return GetSelIndex() >= 0 ? GetSelValue() : std::string("*");
}

void TProdCBox::SetupWindow() {
    TComboBox::SetupWindow();
    LoadProducers();
}

TOverdueCBox::TOverdueCBox(TWindow* parent, int id, TModule* module)
    : TLoadStringCBox(parent, id, kFirstString, kCount, {"1", "2", "3", "4", "5", "6", "7", "8"},
                      module) {}

int TOverdueCBox::GetSelNumber() const {
    return GetSelIndex() >= 0 ? NumberOf(GetSelString()) : 0;
}

int TOverdueCBox::NumberOf(const std::string& text) {
    return std::atoi(text.c_str());
}
