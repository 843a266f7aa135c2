// Toolkit-neutral controls: each holds its value, enabled and visible state, and notifies
// its parent as the toolkit would (WM_COMMAND with BN_CLICKED, EN_CHANGE, CBN_SELCHANGE;
// WM_NOTIFY for list views and tab controls). Programmatic changes (SetText, SetCheck,
// SetSelIndex) do not notify; the User* operations play a user's action and do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/ui/window.h"

namespace host::ui {

enum class ControlKind {
    Static,
    Picture,
    GroupBox,
    Button,
    Edit,
    Date,
    Time,
    Amount,
    Spin,
    CheckBox,
    RadioButton,
    ComboBox,
    ListBox,
    ListView,
    TabControl,
};

// The template keyword of a kind ("edit", "date", ...) and back.
const char* ControlKindName(ControlKind kind);
bool ParseControlKind(const std::string& name, ControlKind* kind);

struct ControlTemplate;

}  // namespace host::ui

class TControl : public TWindow {
  public:
    using Kind = host::ui::ControlKind;
    TControl(TWindow* parent, int id, Kind kind, const std::string& text = "",
             TModule* module = nullptr);
    Kind GetKind() const { return kind_; }

    // The window text (label of a button, text of an edit).
    std::string GetText() const { return GetCaption(); }
    // Copies the text into buf (at most size - 1 bytes, never splitting a character);
    // returns the bytes copied.
    int GetText(char* buf, int size) const;
    void SetText(const std::string& text) { SetCaption(text); }

    // The stable field name of the command line ("as_of"), empty for none.
    const std::string& GetFieldName() const { return field_name_; }
    void SetFieldName(const std::string& name) { field_name_ = name; }
    // The control starts a group (radio buttons).
    bool StartsGroup() const { return starts_group_; }
    void SetStartsGroup(bool group) { starts_group_ = group; }
    bool IsDefaultButton() const { return default_button_; }
    // Tooltip text (empty: none).
    const std::string& GetTip() const { return tip_; }
    void SetTip(const std::string& tip) { tip_ = tip; }

    // The value as the command line shows it.
    virtual std::string GetValueText() const { return GetText(); }
    // Sets the value as a user would and notifies the parent; false with *error when the
    // value does not fit the control.
    virtual bool UserSetValue(const std::string& value, std::string* error);
    // What UserSetValue accepts, for --help.
    virtual std::string ValueHelp() const { return "texte"; }

    // Takes geometry, label, name and flags from the dialog's template.
    virtual void ApplyTemplate(const host::ui::ControlTemplate& t);

  protected:
    // WM_COMMAND to the parent with this control's id and code.
    void NotifyParent(UINT code);
    // WM_NOTIFY to the parent.
    LRESULT NotifyParentNM(UINT code);

  private:
    Kind kind_;
    std::string field_name_;
    std::string tip_;
    bool starts_group_ = false;
    bool default_button_ = false;
};

class TStatic : public TControl {
  public:
    TStatic(TWindow* parent, int id, const std::string& text = "", TModule* module = nullptr)
        : TControl(parent, id, Kind::Static, text, module) {}
};

class TGroupBox : public TControl {
  public:
    TGroupBox(TWindow* parent, int id, const std::string& text = "", TModule* module = nullptr)
        : TControl(parent, id, Kind::GroupBox, text, module) {}
};

// A push button (also a clickable picture).
class TButton : public TControl {
  public:
    TButton(TWindow* parent, int id, const std::string& text = "", TModule* module = nullptr,
            Kind kind = Kind::Button)
        : TControl(parent, id, kind, text, module) {}
    // A click: BN_CLICKED to the parent.
    void UserClick();
    bool UserSetValue(const std::string& value, std::string* error) override;
};

class TEdit : public TControl {
  public:
    TEdit(TWindow* parent, int id, size_t text_limit = 0, TModule* module = nullptr,
          Kind kind = Kind::Edit);
    // Maximum number of characters (0: none).
    size_t GetTextLimit() const { return limit_; }
    void SetTextLimit(size_t limit) { limit_ = limit; }
    bool IsReadOnly() const { return read_only_; }
    void SetReadOnly(bool read_only);
    // Typing: the text (cut to the limit) and EN_CHANGE.
    void UserType(const std::string& text);
    bool UserSetValue(const std::string& value, std::string* error) override;
    void ApplyTemplate(const host::ui::ControlTemplate& t) override;
    // Whether the text is acceptable for the field (edits: always).
    virtual bool IsValid() const { return true; }

  private:
    size_t limit_;
    bool read_only_ = false;
};

// A date field: the text is a day/month/year date ("15/11/2024"), empty for none.
class TDateField : public TEdit {
  public:
    TDateField(TWindow* parent, int id, TModule* module = nullptr)
        : TEdit(parent, id, 10, module, Kind::Date) {}
    // The date as YYYYMMDD; 0 when empty or not a real date.
    long GetDate() const;
    void SetDate(long date);
    bool IsEmpty() const;
    bool IsValid() const override;
    std::string GetValueText() const override;
    bool UserSetValue(const std::string& value, std::string* error) override;
    std::string ValueHelp() const override { return "date AAAAMMJJ, AAAA-MM-JJ ou JJ/MM/AAAA"; }
};

// A time field "HH:MM".
class TTimeField : public TEdit {
  public:
    TTimeField(TWindow* parent, int id, TModule* module = nullptr)
        : TEdit(parent, id, 5, module, Kind::Time) {}
    bool IsValid() const override;
    bool UserSetValue(const std::string& value, std::string* error) override;
    std::string ValueHelp() const override { return "heure HH:MM"; }
};

// An amount field: the text is an amount ("1234.56"), held in cents.
class TAmountField : public TEdit {
  public:
    TAmountField(TWindow* parent, int id, TModule* module = nullptr)
        : TEdit(parent, id, 16, module, Kind::Amount) {}
    // Cents; 0 when empty or not an amount.
    int64_t GetAmount() const;
    void SetAmount(int64_t cents);
    bool IsValid() const override;
    bool UserSetValue(const std::string& value, std::string* error) override;
    std::string ValueHelp() const override { return "montant (1234.56)"; }
};

// A number with up and down arrows over a range (the copies of a report).
class TSpinField : public TEdit {
  public:
    TSpinField(TWindow* parent, int id, int low = 0, int high = 100, TModule* module = nullptr)
        : TEdit(parent, id, 6, module, Kind::Spin), low_(low), high_(high) {}
    void SetRange(int low, int high);
    int GetLow() const { return low_; }
    int GetHigh() const { return high_; }
    // The number typed; 0 when it is not a number.
    int GetValue() const;
    void SetValue(int value);
    // A whole number (the range is the dialog's own check).
    bool IsValid() const override;
    bool UserSetValue(const std::string& value, std::string* error) override;
    std::string ValueHelp() const override;
    void ApplyTemplate(const host::ui::ControlTemplate& t) override;

  private:
    int low_, high_;
};

class TRadioButton;

class TCheckBox : public TControl {
  public:
    TCheckBox(TWindow* parent, int id, const std::string& text = "", TModule* module = nullptr,
              Kind kind = Kind::CheckBox)
        : TControl(parent, id, kind, text, module) {}
    int GetCheck() const { return checked_ ? BF_CHECKED : BF_UNCHECKED; }
    void SetCheck(int state);
    void Check() { SetCheck(BF_CHECKED); }
    void Uncheck() { SetCheck(BF_UNCHECKED); }
    void Toggle() { SetCheck(checked_ ? BF_UNCHECKED : BF_CHECKED); }
    bool IsChecked() const { return checked_; }
    // A click: the state changes (radio buttons: this one on, the rest of its group
    // off) and BN_CLICKED goes to the parent.
    virtual void UserClick();
    std::string GetValueText() const override { return checked_ ? "yes" : "no"; }
    bool UserSetValue(const std::string& value, std::string* error) override;
    std::string ValueHelp() const override { return "yes|no"; }

  private:
    bool checked_ = false;
};

class TRadioButton : public TCheckBox {
  public:
    TRadioButton(TWindow* parent, int id, const std::string& text = "", TModule* module = nullptr)
        : TCheckBox(parent, id, text, module, Kind::RadioButton) {}
    // The radio buttons of this one's group, in order: the run of radio buttons among
    // the parent's children that begins at the last one marked as starting a group.
    std::vector<TRadioButton*> Group() const;
    void UserClick() override;
};

// Common part of combo and list boxes: items with a text, a value and item data.
class TListBoxBase : public TControl {
  public:
    struct Item {
        std::string text;
        std::string value;
        long data = 0;
    };
    int AddString(const std::string& text, const std::string& value = "");
    int InsertString(const std::string& text, int index);
    int DeleteString(int index);
    void ClearList();
    int GetCount() const { return static_cast<int>(items_.size()); }
    std::string GetString(int index) const;
    const std::vector<Item>& Items() const { return items_; }
    // -1 when nothing is selected.
    int GetSelIndex() const { return sel_; }
    // Selects index (-1: nothing); returns the index or -1 when out of range.
    int SetSelIndex(int index);
    std::string GetSelString() const { return GetString(sel_); }
    // The selected item's value, or its text when it has none.
    std::string GetSelValue() const;
    // First item whose text begins with (exact: equals) text from start + 1, wrapping;
    // -1 when none.
    int FindString(const std::string& text, int start = -1) const;
    int FindStringExact(const std::string& text, int start = -1) const;
    int FindValue(const std::string& value) const;
    void SetItemData(int index, long data);
    long GetItemData(int index) const;
    // Dims an item with the reason (or offers it again when tip is empty and dimmed false).
    void SetItemDimmed(int index, bool dimmed, const std::string& tip);
    bool IsItemDimmed(int index) const;
    void SetItemValue(int index, const std::string& value);

    // A choice: selection and the selection-change notification.
    void UserSelect(int index);
    std::string GetValueText() const override { return GetSelValue(); }
    // Accepts an item's value, its text (case and blanks aside), or "#n" for the n-th.
    bool UserSetValue(const std::string& value, std::string* error) override;
    std::string ValueHelp() const override;
    void ApplyTemplate(const host::ui::ControlTemplate& t) override;

  protected:
    TListBoxBase(TWindow* parent, int id, Kind kind, UINT sel_change, TModule* module)
        : TControl(parent, id, kind, "", module), sel_change_(sel_change) {}

  private:
    std::vector<Item> items_;
    int sel_ = -1;
    UINT sel_change_;
};

class TComboBox : public TListBoxBase {
  public:
    TComboBox(TWindow* parent, int id, size_t text_limit = 0, TModule* module = nullptr)
        : TListBoxBase(parent, id, Kind::ComboBox, CBN_SELCHANGE, module) {}
};

class TListBox : public TListBoxBase {
  public:
    TListBox(TWindow* parent, int id, TModule* module = nullptr)
        : TListBoxBase(parent, id, Kind::ListBox, LBN_SELCHANGE, module) {}
};

// A combo box filled from consecutive strings of the string table (first, first + 1, ...),
// with optional values for the items.
class TLoadStringCBox : public TComboBox {
  public:
    TLoadStringCBox(TWindow* parent, int id, int first_string, int count,
                    std::vector<std::string> values = {}, TModule* module = nullptr);
    // (Re)fills the items; called on creation.
    void LoadStrings();
    void SetupWindow() override;

  private:
    int first_;
    int count_;
    std::vector<std::string> values_;
};

// A list view: columns, items with an image and item data, one selected item at most,
// and a display mode (LV_VIEW_ICON, LV_VIEW_SMALLICON, LV_VIEW_LIST, LV_VIEW_DETAILS).
class TListView : public TControl {
  public:
    struct Column {
        std::string text;
        int width = 0;
    };
    struct Item {
        std::vector<std::string> texts;  // column 0, then the sub-items
        int image = -1;
        long data = 0;
        bool selected = false;
        // An entry shown but not offered (drawn greyed, not selectable on a desktop), and
        // the tip that says why.
        bool dimmed = false;
        std::string tip;
    };
    TListView(TWindow* parent, int id, TModule* module = nullptr);

    int InsertColumn(int index, const std::string& text, int width);
    const std::vector<Column>& Columns() const { return columns_; }
    void SetColumnWidth(int column, int width);
    int GetColumnWidth(int column) const;

    // Appends an item; returns its index.
    int AddItem(const std::string& text, int image = -1, long data = 0);
    void SetItemText(int index, int column, const std::string& text);
    std::string GetItemText(int index, int column = 0) const;
    void SetItemData(int index, long data);
    long GetItemData(int index) const;
    // Dims an item with the reason (or offers it again when tip is empty and dimmed false).
    void SetItemDimmed(int index, bool dimmed, const std::string& tip);
    bool IsItemDimmed(int index) const;
    int GetItemImage(int index) const;
    void DeleteAllItems();
    int GetItemCount() const { return static_cast<int>(items_.size()); }
    const std::vector<Item>& Items() const { return items_; }
    // The next item after start (-1: from the first) matching flags (LVNI_SELECTED or
    // LVNI_ALL); -1 when none.
    int GetNextItem(int start, int flags) const;
    // Selects index alone (-1: nothing selected).
    void SetSel(int index);
    int GetSelIndex() const { return GetNextItem(-1, LVNI_SELECTED); }

    void SetView(int view);
    int GetView() const { return view_; }
    // Image lists by bitmap resource number (0: none).
    void SetImageLists(int large_bitmap, int small_bitmap);
    int GetLargeImageList() const { return large_bitmap_; }
    int GetSmallImageList() const { return small_bitmap_; }
    // Whether items show their images.
    bool ShowsImages() const { return show_images_; }
    void SetShowImages(bool show) { show_images_ = show; }

    // A click on an item (-1: empty space): selection and LVN_ITEMCHANGED.
    void UserSelect(int index);
    // A double click: selection, then NM_DBLCLK to the parent.
    void UserDoubleClick(int index);
    std::string GetValueText() const override;
    bool UserSetValue(const std::string& value, std::string* error) override;
    std::string ValueHelp() const override { return "texte d'un élément ou #n"; }
    void ApplyTemplate(const host::ui::ControlTemplate& t) override;
    // LVM_SETVIEW, LVM_DELETEALLITEMS and LVM_SETCOLUMNWIDTH.
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    std::vector<Column> columns_;
    std::vector<Item> items_;
    int view_ = LV_VIEW_ICON;
    int large_bitmap_ = 0;
    int small_bitmap_ = 0;
    bool show_images_ = true;
};

// A tab control: tabs with a caption, an image, a colour and the page window they show.
class TTabControl : public TControl {
  public:
    struct Tab {
        std::string caption;
        TWindow* page = nullptr;
        int image = -1;
        TColor color;
    };
    TTabControl(TWindow* parent, int id, TModule* module = nullptr);
    // Adds a tab; the page becomes a child of the tab control. Returns its index.
    int Add(const std::string& caption, TWindow* page = nullptr, int image = -1,
            TColor color = TColorLtGray);
    int GetCount() const { return static_cast<int>(tabs_.size()); }
    const std::vector<Tab>& Tabs() const { return tabs_; }
    // The selected tab, -1 when there is none.
    int GetSel() const { return sel_; }
    // Selects a tab: its page is shown and the others hidden.
    int SetSel(int index);
    TWindow* GetPage(int index) const;
    // Image list by bitmap resource number and its image count and size.
    void SetImageList(int bitmap, int count, int width, int height);
    int GetImageList() const { return image_bitmap_; }
    // A click on a tab: selection and TCN_SELCHANGE.
    void UserSelect(int index);
    std::string GetValueText() const override;
    bool UserSetValue(const std::string& value, std::string* error) override;

  private:
    std::vector<Tab> tabs_;
    int sel_ = -1;
    int image_bitmap_ = 0;
};

namespace host::ui {
// A control of the template's kind (generic classes), for the ids a dialog did not
// construct itself.
TControl* MakeControl(TWindow* parent, const ControlTemplate& t);
// Reads "yes"/"no" in their usual spellings (oui/non, o/n, y/n, 1/0, true/false).
bool ParseYesNo(const std::string& text, bool* out);
}  // namespace host::ui
