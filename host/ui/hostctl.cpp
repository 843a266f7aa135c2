#include "host/ui/hostctl.h"

#include <cstdlib>

#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/records/context.h"
#include "host/records/records.h"
#include "host/ui/picker.h"

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
    // A producer list that cannot be read leaves "*" alone; the error stays with the
    // launcher's message holder.
    const std::vector<host::ui::CodeEntry> producers = host::ui::ProducerEntries(launcher_);
    for (const host::ui::CodeEntry& p : producers)
        AddString(p.Line(), p.code);
    const int count = static_cast<int>(producers.size());
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
