#include "host/ui/controls.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "host/base/dates.h"
#include "host/base/numfmt.h"
#include "host/base/strings.h"
#include "host/base/text.h"
#include "host/ui/dlgtemplate.h"

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Compares list texts as a user reads them: blanks around and ASCII case aside.
bool SameText(const std::string& a, const std::string& b) {
    return Lower(host::Trim(a)) == Lower(host::Trim(b));
}

}  // namespace

namespace host::ui {

namespace {

struct KindName {
    ControlKind kind;
    const char* name;
};

constexpr KindName kKindNames[] = {
    {ControlKind::Static, "static"},     {ControlKind::Picture, "picture"},
    {ControlKind::GroupBox, "group"},    {ControlKind::Button, "button"},
    {ControlKind::Edit, "edit"},         {ControlKind::Date, "date"},
    {ControlKind::Time, "time"},         {ControlKind::Amount, "amount"},
    {ControlKind::Spin, "spin"},         {ControlKind::CheckBox, "check"},
    {ControlKind::RadioButton, "radio"}, {ControlKind::ComboBox, "combo"},
    {ControlKind::ListBox, "list"},      {ControlKind::ListView, "listview"},
    {ControlKind::TabControl, "tab"},
};

}  // namespace

const char* ControlKindName(ControlKind kind) {
    for (const KindName& k : kKindNames)
        if (k.kind == kind) return k.name;
    return "?";
}

bool ParseControlKind(const std::string& name, ControlKind* kind) {
    for (const KindName& k : kKindNames)
        if (name == k.name) {
            *kind = k.kind;
            return true;
        }
    return false;
}

bool ParseYesNo(const std::string& text, bool* out) {
    const std::string t = Lower(Trim(text));
    if (t == "yes" || t == "y" || t == "oui" || t == "o" || t == "1" || t == "true") {
        *out = true;
        return true;
    }
    if (t == "no" || t == "n" || t == "non" || t == "0" || t == "false") {
        *out = false;
        return true;
    }
    return false;
}

TControl* MakeControl(TWindow* parent, const ControlTemplate& t) {
    TControl* c = nullptr;
    switch (t.kind) {
        case ControlKind::Static:
            c = new TStatic(parent, t.id);
            break;
        case ControlKind::Picture:
            c = new TButton(parent, t.id, "", nullptr, ControlKind::Picture);
            break;
        case ControlKind::GroupBox:
            c = new TGroupBox(parent, t.id);
            break;
        case ControlKind::Button:
            c = new TButton(parent, t.id);
            break;
        case ControlKind::Edit:
            c = new TEdit(parent, t.id);
            break;
        case ControlKind::Date:
            c = new TDateField(parent, t.id);
            break;
        case ControlKind::Time:
            c = new TTimeField(parent, t.id);
            break;
        case ControlKind::Amount:
            c = new TAmountField(parent, t.id);
            break;
        case ControlKind::Spin:
            c = new TSpinField(parent, t.id);
            break;
        case ControlKind::CheckBox:
            c = new TCheckBox(parent, t.id);
            break;
        case ControlKind::RadioButton:
            c = new TRadioButton(parent, t.id);
            break;
        case ControlKind::ComboBox:
            c = new TComboBox(parent, t.id);
            break;
        case ControlKind::ListBox:
            c = new TListBox(parent, t.id);
            break;
        case ControlKind::ListView:
            c = new TListView(parent, t.id);
            break;
        case ControlKind::TabControl:
            c = new TTabControl(parent, t.id);
            break;
    }
    c->ApplyTemplate(t);
    return c;
}

}  // namespace host::ui

using host::ui::Change;

// --- TControl ---

TControl::TControl(TWindow* parent, int id, Kind kind, const std::string& text, TModule* module)
    : TWindow(parent, text, module), kind_(kind) {
    SetId(id);
}

int TControl::GetText(char* buf, int size) const {
    if (!buf || size <= 0) return 0;
    host::CopyText(buf, static_cast<size_t>(size), GetCaption());
    return static_cast<int>(std::char_traits<char>::length(buf));
}

bool TControl::UserSetValue(const std::string&, std::string* error) {
    if (error) *error = "ce contrôle ne prend pas de valeur";
    return false;
}

void TControl::ApplyTemplate(const host::ui::ControlTemplate& t) {
    SetRect(t.rect);
    if (GetCaption().empty() && !t.text.empty()) SetCaption(t.text);
    if (!t.name.empty()) field_name_ = t.name;
    starts_group_ = starts_group_ || t.group;
    default_button_ = default_button_ || t.is_default;
    if (t.tip) tip_ = host::LoadText(t.tip);
    if (t.disabled) EnableWindow(false);
    if (t.hidden) ShowWindow(SW_HIDE);
}

void TControl::NotifyParent(UINT code) {
    if (TWindow* parent = GetParent()) parent->SendCommand(GetId(), this, code);
}

LRESULT TControl::NotifyParentNM(UINT code) {
    TWindow* parent = GetParent();
    if (!parent) return 0;
    NMHDR hdr;
    hdr.hwndFrom = this;
    hdr.idFrom = static_cast<UINT>(GetId());
    hdr.code = code;
    return parent->SendMessage(WM_NOTIFY, static_cast<WPARAM>(GetId()),
                               reinterpret_cast<LPARAM>(&hdr));
}

// --- Buttons ---

void TButton::UserClick() {
    NotifyParent(BN_CLICKED);
}

bool TButton::UserSetValue(const std::string&, std::string* error) {
    if (error) *error = "un bouton ne prend pas de valeur";
    return false;
}

// --- Edits ---

TEdit::TEdit(TWindow* parent, int id, size_t text_limit, TModule* module, Kind kind)
    : TControl(parent, id, kind, "", module), limit_(text_limit) {}

void TEdit::SetReadOnly(bool read_only) {
    if (read_only == read_only_) return;
    read_only_ = read_only;
    Changed(Change::State);
}

void TEdit::UserType(const std::string& text) {
    SetText(limit_ ? host::U8Left(text, limit_) : text);
    NotifyParent(EN_CHANGE);
}

bool TEdit::UserSetValue(const std::string& value, std::string*) {
    UserType(value);
    return true;
}

void TEdit::ApplyTemplate(const host::ui::ControlTemplate& t) {
    // An edit's template text is not its value.
    host::ui::ControlTemplate copy = t;
    copy.text.clear();
    TControl::ApplyTemplate(copy);
    if (t.limit > 0) limit_ = static_cast<size_t>(t.limit);
    if (t.readonly) read_only_ = true;
}

long TDateField::GetDate() const {
    long date = 0;
    const std::string text = host::Trim(GetText());
    if (text.empty() || !host::ParseDate(text, &date)) return 0;
    return date;
}

void TDateField::SetDate(long date) {
    SetText(date ? host::FormatDate(date, DATE_FMT_DMY) : std::string());
}

bool TDateField::IsEmpty() const {
    return host::Trim(GetText()).empty();
}

bool TDateField::IsValid() const {
    return IsEmpty() || GetDate() != 0;
}

std::string TDateField::GetValueText() const {
    const long date = GetDate();
    return date ? std::to_string(date) : std::string();
}

bool TDateField::UserSetValue(const std::string& value, std::string* error) {
    long date = 0;
    const std::string text = host::Trim(value);
    if (!text.empty() && !host::ParseDate(text, &date)) {
        if (error) *error = "date invalide : " + value;
        return false;
    }
    UserType(date ? host::FormatDate(date, DATE_FMT_DMY) : std::string());
    return true;
}

bool TTimeField::IsValid() const {
    const std::string t = host::Trim(GetText());
    if (t.empty()) return true;
    int h = 0, m = 0;
    char extra = 0;
    return std::sscanf(t.c_str(), "%2d:%2d%c", &h, &m, &extra) == 2 && h >= 0 && h < 24 && m >= 0 &&
           m < 60;
}

bool TTimeField::UserSetValue(const std::string& value, std::string* error) {
    const std::string old = GetText();
    SetText(host::Trim(value));
    if (!IsValid()) {
        SetText(old);
        if (error) *error = "heure invalide : " + value;
        return false;
    }
    NotifyParent(EN_CHANGE);
    return true;
}

int64_t TAmountField::GetAmount() const {
    int64_t cents = 0;
    if (!host::ParseAmount(host::Trim(GetText()), &cents)) return 0;
    return cents;
}

void TAmountField::SetAmount(int64_t cents) {
    SetText(host::FormatAmount(cents, 0, false));
}

bool TAmountField::IsValid() const {
    int64_t cents = 0;
    const std::string text = host::Trim(GetText());
    return text.empty() || host::ParseAmount(text, &cents);
}

bool TAmountField::UserSetValue(const std::string& value, std::string* error) {
    int64_t cents = 0;
    if (!host::Trim(value).empty() && !host::ParseAmount(host::Trim(value), &cents)) {
        if (error) *error = "montant invalide : " + value;
        return false;
    }
    UserType(host::FormatAmount(cents, 0, false));
    return true;
}

void TSpinField::SetRange(int low, int high) {
    low_ = low;
    high_ = high;
    Changed(Change::State);
}

int TSpinField::GetValue() const {
    return IsValid() ? std::atoi(host::Trim(GetText()).c_str()) : 0;
}

void TSpinField::SetValue(int value) {
    SetText(std::to_string(value));
}

bool TSpinField::IsValid() const {
    const std::string t = host::Trim(GetText());
    if (t.empty()) return false;
    size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (i == t.size() || t.size() > 9) return false;
    for (; i < t.size(); ++i)
        if (t[i] < '0' || t[i] > '9') return false;
    return true;
}

bool TSpinField::UserSetValue(const std::string& value, std::string* error) {
    const std::string old = GetText();
    SetText(host::Trim(value));
    if (!IsValid()) {
        SetText(old);
        if (error) *error = "nombre entier attendu : " + value;
        return false;
    }
    NotifyParent(EN_CHANGE);
    return true;
}

std::string TSpinField::ValueHelp() const {
    return "nombre de " + std::to_string(low_) + " à " + std::to_string(high_);
}

void TSpinField::ApplyTemplate(const host::ui::ControlTemplate& t) {
    TEdit::ApplyTemplate(t);
    if (t.has_range) {
        low_ = t.range_low;
        high_ = t.range_high;
    }
    if (GetText().empty()) SetValue(low_);
}

// --- Check boxes and radio buttons ---

void TCheckBox::SetCheck(int state) {
    const bool checked = state == BF_CHECKED;
    if (checked == checked_) return;
    checked_ = checked;
    Changed(Change::Check);
}

void TCheckBox::UserClick() {
    Toggle();
    NotifyParent(BN_CLICKED);
}

bool TCheckBox::UserSetValue(const std::string& value, std::string* error) {
    bool on = false;
    if (!host::ui::ParseYesNo(value, &on)) {
        if (error) *error = "oui ou non attendu : " + value;
        return false;
    }
    if (on != checked_) UserClick();
    return true;
}

std::vector<TRadioButton*> TRadioButton::Group() const {
    std::vector<TRadioButton*> group;
    TWindow* parent = GetParent();
    if (!parent) return {const_cast<TRadioButton*>(this)};
    bool contains_this = false;
    for (TWindow* w : parent->GetChildren()) {
        auto* radio = dynamic_cast<TRadioButton*>(w);
        if (!radio || radio->StartsGroup()) {
            if (contains_this) break;
            group.clear();
            if (!radio) continue;
        }
        group.push_back(radio);
        if (radio == this) contains_this = true;
    }
    if (!contains_this) return {const_cast<TRadioButton*>(this)};
    return group;
}

void TRadioButton::UserClick() {
    for (TRadioButton* r : Group())
        if (r != this) r->Uncheck();
    Check();
    NotifyParent(BN_CLICKED);
}

// --- Combo and list boxes ---

int TListBoxBase::AddString(const std::string& text, const std::string& value) {
    items_.push_back({text, value, 0});
    Changed(Change::Items);
    return GetCount() - 1;
}

int TListBoxBase::InsertString(const std::string& text, int index) {
    if (index < 0 || index > GetCount()) index = GetCount();
    items_.insert(items_.begin() + index, Item{text, "", 0});
    if (sel_ >= index) ++sel_;
    Changed(Change::Items);
    return index;
}

int TListBoxBase::DeleteString(int index) {
    if (index < 0 || index >= GetCount()) return -1;
    items_.erase(items_.begin() + index);
    if (sel_ == index)
        sel_ = -1;
    else if (sel_ > index)
        --sel_;
    Changed(Change::Items);
    return GetCount();
}

void TListBoxBase::ClearList() {
    items_.clear();
    sel_ = -1;
    Changed(Change::Items);
}

std::string TListBoxBase::GetString(int index) const {
    if (index < 0 || index >= GetCount()) return {};
    return items_[static_cast<size_t>(index)].text;
}

int TListBoxBase::SetSelIndex(int index) {
    if (index < -1 || index >= GetCount()) return -1;
    if (index != sel_) {
        sel_ = index;
        Changed(Change::Selection);
    }
    return index;
}

std::string TListBoxBase::GetSelValue() const {
    if (sel_ < 0) return {};
    const Item& item = items_[static_cast<size_t>(sel_)];
    return item.value.empty() ? item.text : item.value;
}

int TListBoxBase::FindString(const std::string& text, int start) const {
    const int n = GetCount();
    for (int k = 1; k <= n; ++k) {
        const int i = (start + k) % n;
        if (i < 0) continue;
        const std::string& t = items_[static_cast<size_t>(i)].text;
        if (Lower(t).rfind(Lower(text), 0) == 0) return i;
    }
    return -1;
}

int TListBoxBase::FindStringExact(const std::string& text, int start) const {
    const int n = GetCount();
    for (int k = 1; k <= n; ++k) {
        const int i = (start + k) % n;
        if (i < 0) continue;
        if (Lower(items_[static_cast<size_t>(i)].text) == Lower(text)) return i;
    }
    return -1;
}

int TListBoxBase::FindValue(const std::string& value) const {
    for (int i = 0; i < GetCount(); ++i)
        if (!items_[static_cast<size_t>(i)].value.empty() &&
            items_[static_cast<size_t>(i)].value == value)
            return i;
    return -1;
}

void TListBoxBase::SetItemData(int index, long data) {
    if (index >= 0 && index < GetCount()) items_[static_cast<size_t>(index)].data = data;
}

long TListBoxBase::GetItemData(int index) const {
    if (index < 0 || index >= GetCount()) return 0;
    return items_[static_cast<size_t>(index)].data;
}

void TListBoxBase::SetItemValue(int index, const std::string& value) {
    if (index >= 0 && index < GetCount()) items_[static_cast<size_t>(index)].value = value;
}

void TListBoxBase::UserSelect(int index) {
    if (index < -1 || index >= GetCount()) return;
    SetSelIndex(index);
    NotifyParent(sel_change_);
}

bool TListBoxBase::UserSetValue(const std::string& value, std::string* error) {
    int index = FindValue(value);
    if (index < 0)
        for (int i = 0; i < GetCount() && index < 0; ++i)
            if (SameText(items_[static_cast<size_t>(i)].text, value)) index = i;
    if (index < 0 && value.size() > 1 && value[0] == '#') {
        char* end = nullptr;
        const long n = std::strtol(value.c_str() + 1, &end, 10);
        if (*end == '\0' && n >= 0 && n < GetCount()) index = static_cast<int>(n);
    }
    if (index < 0) {
        if (error) *error = "valeur inconnue « " + value + " » (choix : " + ValueHelp() + ")";
        return false;
    }
    UserSelect(index);
    return true;
}

std::string TListBoxBase::ValueHelp() const {
    if (items_.empty()) return "élément de la liste";
    std::string out;
    for (const Item& item : items_) {
        if (!out.empty()) out += "|";
        out += item.value.empty() ? host::Trim(item.text) : item.value;
    }
    return out;
}

void TListBoxBase::ApplyTemplate(const host::ui::ControlTemplate& t) {
    host::ui::ControlTemplate copy = t;
    copy.text.clear();
    TControl::ApplyTemplate(copy);
    if (!items_.empty()) return;
    for (int id = t.strings_first; id && id <= t.strings_last; ++id)
        items_.push_back({host::LoadText(id), "", 0});
    for (const std::string& text : t.items)
        items_.push_back({text, "", 0});
    for (size_t i = 0; i < t.values.size() && i < items_.size(); ++i)
        items_[i].value = t.values[i];
    if (!items_.empty()) Changed(Change::Items);
}

TLoadStringCBox::TLoadStringCBox(TWindow* parent, int id, int first_string, int count,
                                 std::vector<std::string> values, TModule* module)
    : TComboBox(parent, id, 0, module),
      first_(first_string),
      count_(count),
      values_(std::move(values)) {}

void TLoadStringCBox::LoadStrings() {
    const int sel = GetSelIndex();
    ClearList();
    for (int i = 0; i < count_; ++i) {
        const int index = AddString(host::LoadText(first_ + i));
        if (static_cast<size_t>(i) < values_.size())
            SetItemValue(index, values_[static_cast<size_t>(i)]);
    }
    SetSelIndex(sel < GetCount() ? sel : -1);
}

void TLoadStringCBox::SetupWindow() {
    TComboBox::SetupWindow();
    LoadStrings();
}

// --- List views ---

TListView::TListView(TWindow* parent, int id, TModule* module)
    : TControl(parent, id, Kind::ListView, "", module) {}

int TListView::InsertColumn(int index, const std::string& text, int width) {
    if (index < 0 || index > static_cast<int>(columns_.size()))
        index = static_cast<int>(columns_.size());
    columns_.insert(columns_.begin() + index, Column{text, width});
    Changed(Change::Items);
    return index;
}

void TListView::SetColumnWidth(int column, int width) {
    if (column < 0) return;
    if (column >= static_cast<int>(columns_.size()))
        columns_.resize(static_cast<size_t>(column) + 1);
    columns_[static_cast<size_t>(column)].width = width;
    Changed(Change::View);
}

int TListView::GetColumnWidth(int column) const {
    if (column < 0 || column >= static_cast<int>(columns_.size())) return 0;
    return columns_[static_cast<size_t>(column)].width;
}

int TListView::AddItem(const std::string& text, int image, long data) {
    Item item;
    item.texts.push_back(text);
    item.image = image;
    item.data = data;
    items_.push_back(std::move(item));
    Changed(Change::Items);
    return GetItemCount() - 1;
}

void TListView::SetItemText(int index, int column, const std::string& text) {
    if (index < 0 || index >= GetItemCount() || column < 0) return;
    auto& texts = items_[static_cast<size_t>(index)].texts;
    if (static_cast<size_t>(column) >= texts.size()) texts.resize(static_cast<size_t>(column) + 1);
    texts[static_cast<size_t>(column)] = text;
    Changed(Change::Items);
}

std::string TListView::GetItemText(int index, int column) const {
    if (index < 0 || index >= GetItemCount() || column < 0) return {};
    const auto& texts = items_[static_cast<size_t>(index)].texts;
    return static_cast<size_t>(column) < texts.size() ? texts[static_cast<size_t>(column)] : "";
}

void TListView::SetItemData(int index, long data) {
    if (index >= 0 && index < GetItemCount()) items_[static_cast<size_t>(index)].data = data;
}

void TListView::SetItemDimmed(int index, bool dimmed, const std::string& tip) {
    if (index < 0 || index >= GetItemCount()) return;
    Item& item = items_[static_cast<size_t>(index)];
    item.dimmed = dimmed;
    item.tip = tip;
    Changed(Change::Items);
}

bool TListView::IsItemDimmed(int index) const {
    return index >= 0 && index < GetItemCount() && items_[static_cast<size_t>(index)].dimmed;
}

long TListView::GetItemData(int index) const {
    if (index < 0 || index >= GetItemCount()) return 0;
    return items_[static_cast<size_t>(index)].data;
}

int TListView::GetItemImage(int index) const {
    if (index < 0 || index >= GetItemCount()) return -1;
    return items_[static_cast<size_t>(index)].image;
}

void TListView::DeleteAllItems() {
    items_.clear();
    Changed(Change::Items);
}

int TListView::GetNextItem(int start, int flags) const {
    for (int i = std::max(start + 1, 0); i < GetItemCount(); ++i)
        if (flags == LVNI_ALL || items_[static_cast<size_t>(i)].selected) return i;
    return -1;
}

void TListView::SetSel(int index) {
    bool changed = false;
    for (int i = 0; i < GetItemCount(); ++i) {
        const bool sel = i == index;
        if (items_[static_cast<size_t>(i)].selected != sel) {
            items_[static_cast<size_t>(i)].selected = sel;
            changed = true;
        }
    }
    if (changed) Changed(Change::Selection);
}

void TListView::SetView(int view) {
    if (view == view_) return;
    view_ = view;
    Changed(Change::View);
}

void TListView::SetImageLists(int large_bitmap, int small_bitmap) {
    large_bitmap_ = large_bitmap;
    small_bitmap_ = small_bitmap;
    Changed(Change::View);
}

void TListView::UserSelect(int index) {
    if (index >= GetItemCount()) return;
    SetSel(index);
    NotifyParentNM(LVN_ITEMCHANGED);
}

void TListView::UserDoubleClick(int index) {
    if (index >= GetItemCount()) return;
    SetSel(index);
    NotifyParentNM(NM_DBLCLK);
}

std::string TListView::GetValueText() const {
    return GetItemText(GetSelIndex(), 0);
}

bool TListView::UserSetValue(const std::string& value, std::string* error) {
    for (int i = 0; i < GetItemCount(); ++i)
        if (SameText(GetItemText(i), value)) {
            UserSelect(i);
            return true;
        }
    if (value.size() > 1 && value[0] == '#') {
        char* end = nullptr;
        const long n = std::strtol(value.c_str() + 1, &end, 10);
        if (*end == '\0' && n >= 0 && n < GetItemCount()) {
            UserSelect(static_cast<int>(n));
            return true;
        }
    }
    if (error) *error = "élément inconnu : " + value;
    return false;
}

void TListView::ApplyTemplate(const host::ui::ControlTemplate& t) {
    host::ui::ControlTemplate copy = t;
    copy.text.clear();
    TControl::ApplyTemplate(copy);
    if (columns_.empty())
        for (const auto& [text, width] : t.columns)
            columns_.push_back({text, width});
    if (t.bitmap) large_bitmap_ = small_bitmap_ = t.bitmap;
    if (t.view >= 0) view_ = t.view;
}

LRESULT TListView::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case LVM_SETVIEW:
            SetView(static_cast<int>(wp));
            return 1;
        case LVM_DELETEALLITEMS:
            DeleteAllItems();
            return 1;
        case LVM_SETCOLUMNWIDTH:
            SetColumnWidth(static_cast<int>(wp), static_cast<int>(lp));
            return 1;
        default:
            return TControl::WindowProc(msg, wp, lp);
    }
}

// --- Tab controls ---

TTabControl::TTabControl(TWindow* parent, int id, TModule* module)
    : TControl(parent, id, Kind::TabControl, "", module) {}

int TTabControl::Add(const std::string& caption, TWindow* page, int image, TColor color) {
    if (page) page->SetParent(this);
    tabs_.push_back({caption, page, image, color});
    const int index = GetCount() - 1;
    if (sel_ < 0)
        sel_ = index;
    else if (page)
        page->ShowWindow(SW_HIDE);
    if (page && IsCreated()) page->Create();
    Changed(Change::Items);
    return index;
}

int TTabControl::SetSel(int index) {
    if (index < 0 || index >= GetCount()) return -1;
    sel_ = index;
    for (int i = 0; i < GetCount(); ++i)
        if (TWindow* page = tabs_[static_cast<size_t>(i)].page)
            page->ShowWindow(i == index ? SW_SHOW : SW_HIDE);
    Changed(Change::Selection);
    return index;
}

TWindow* TTabControl::GetPage(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return tabs_[static_cast<size_t>(index)].page;
}

void TTabControl::SetImageList(int bitmap, int, int, int) {
    image_bitmap_ = bitmap;
}

void TTabControl::UserSelect(int index) {
    if (SetSel(index) < 0) return;
    NotifyParentNM(TCN_SELCHANGE);
}

std::string TTabControl::GetValueText() const {
    return sel_ >= 0 ? host::Trim(tabs_[static_cast<size_t>(sel_)].caption) : std::string();
}

bool TTabControl::UserSetValue(const std::string& value, std::string* error) {
    for (int i = 0; i < GetCount(); ++i)
        if (SameText(tabs_[static_cast<size_t>(i)].caption, value)) {
            UserSelect(i);
            return true;
        }
    if (error) *error = "onglet inconnu : " + value;
    return false;
}
