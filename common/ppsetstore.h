// Report options kept in packed text columns of the practice settings table PPSET, read
// and written by SQL. Every dialog that keeps its defaults this way uses the one table of
// rows, columns and layouts below (Layouts()) and binds each value of its columns to a
// field of its criteria record:
//
//   ppset::PPSetStore store(ppset::Owner::CashReceipts);
//   store.Bind("PPST_A11_FIELD05", {ppset::Slot::Text(c.from, sizeof c.from, ppset::kClip),
//                                   ppset::Slot::Text(c.to, sizeof c.to, ppset::kClip),
//                                   ppset::Slot::Char(&c.sort, ppset::kIfNotEmpty),
//                                   ppset::Slot::Char(&c.group, ppset::kIfNotEmpty)});
//   store.Load(db, 80);                  // after setting the built-in defaults
//   ppset::SaveAsDefault(*this, store);  // the save-as-default action
//
// A packed column holds several values side by side at fixed character positions, written
// with a printf layout ("%10ld%10d%-5.5s%-5.5s%c"). Positions count characters, not bytes,
// so an accented code never shifts the values after it. A stored text shorter than its
// layout reads as empty or zero for the missing values.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/db/gendb.h"

class TReportBaseDlg;

namespace ppset {

// The reports whose defaults live in packed PPSET columns.
enum class Owner {
    ARCollections,    // AR collections
    ARPatIns,         // AR patient/insurance split (shares row 8 with AR collections)
    CLPListings,      // monthly procedure listing
    ConsultPayments,  // producer revenue percentage
    CashReceipts,
    ProcComparison,
    PatNoActivity,    // patients not seen recently
    MonthEndClosing,  // the month-end date of the last closing
    DayEndEx,         // extended day-end
    MonthEndEx,       // extended month-end
    PracticeFlag,     // the practice flag of the day-end reports (read only)
    GeneratorLabels,  // the patient flag labels of the report generator (read only)
};

struct ColumnLayout {
    const char* column;  // "PPST_A51_FIELD09"
    const char* layout;  // printf layout of its value; "%d" for an integer column
};

struct OwnerLayout {
    Owner owner;
    const char* name;  // for the README and messages
    int row;           // PPST_ID
    bool writable;
    std::vector<ColumnLayout> columns;  // in the order they are selected
};

// Every owner's row and columns, in the order of the options table.
const std::vector<OwnerLayout>& Layouts();
const OwnerLayout& LayoutOf(Owner owner);

// One conversion of a layout: its printf text, its type ('s', 'c' or 'd'), whether the
// number is a long, and the characters it occupies (0: the rest of the column).
struct Conversion {
    std::string format;
    char type = 's';
    bool is_long = false;
    size_t width = 0;
};
// The conversions of a layout; empty for a layout this mechanism does not handle.
std::vector<Conversion> ParseLayout(std::string_view layout);
// Characters a text column holds (A2: 1, A11: 10, A51: 50, A81: 80); 0 for an integer
// column.
size_t ColumnWidth(std::string_view column);
bool IsIntegerColumn(std::string_view column);

// When a stored value replaces the field's built-in default.
enum Rule : unsigned {
    kAlways = 0,
    kIfNotEmpty = 1,  // a text or character that is empty or blank keeps the default
    kIfPositive = 2,  // a number of 0 or less keeps the default
    kIfYesNo = 4,     // a character other than 'Y' or 'N' keeps the default
    kClip = 8,        // trailing blanks of a text are removed
};

// A criteria field bound to one value of a layout.
struct Slot {
    enum class Kind { Text, Char, Number } kind = Kind::Text;
    unsigned rules = kAlways;
    size_t keep = 0;  // texts: at most this many characters are taken (0: all)
    std::function<std::string()> get_text;
    std::function<void(const std::string&)> set_text;
    std::function<long()> get_number;
    std::function<void(long)> set_number;

    // A text field: a fixed buffer (cut without splitting a character) or a string.
    static Slot Text(char* buf, size_t size, unsigned rules = kAlways, size_t keep = 0);
    static Slot Text(std::string* text, unsigned rules = kAlways, size_t keep = 0);
    // A one-character field; also a text buffer of which the first character is stored.
    static Slot Char(char* c, unsigned rules = kAlways);
    static Slot FirstChar(char* buf, size_t size, unsigned rules = kAlways);
    static Slot Number(long* value, unsigned rules = kAlways);
    static Slot Number(int* value, unsigned rules = kAlways);
    static Slot Number(short* value, unsigned rules = kAlways);
};

class PPSetStore {
  public:
    explicit PPSetStore(Owner owner);

    const OwnerLayout& Layout() const { return *layout_; }
    // Binds the values of one of the owner's columns, in layout order. False (and the
    // store stays incomplete) for a column that is not the owner's or a wrong count.
    bool Bind(const char* column, std::vector<Slot> slots);
    // Every column of the owner is bound.
    bool Complete() const;

    // The value of a column as it is stored (cut to the column's width).
    std::string Pack(std::string_view column) const;
    // Applies a stored value to the bound fields, by the rules of each slot.
    void Unpack(std::string_view column, std::string_view stored);

    // "SELECT <columns> FROM <prefix>PPSET WHERE PPST_ID = <row>".
    std::string SelectStatement(const char* prefix) const;
    // "UPDATE <prefix>PPSET SET <column>='<value>', ... WHERE PPST_ID = <row>", values
    // escaped.
    std::string UpdateStatement(const char* prefix) const;

    // Reads the row on cursor and applies it; false when the row is missing or cannot be
    // read (the fields then keep the defaults they had). Set the defaults first.
    bool Load(GenDB* db, int cursor);
    // Writes the columns in one transaction, creating the row when it is missing; false
    // with *error (the database's text) when the database refuses.
    bool Save(GenDB* db, std::string* error = nullptr);

  private:
    struct Bound {
        const ColumnLayout* column;
        std::vector<Conversion> conversions;
        std::vector<Slot> slots;
    };
    const Bound* Find(std::string_view column) const;

    const OwnerLayout* layout_;
    std::vector<Bound> bound_;
};

// The save-as-default action of a criteria dialog: asks string 6286 with the dialog's
// caption (Yes/No); on No nothing is saved and the result is false. On Yes the controls
// go into the criteria record and the store is saved; a refusal of the database is shown
// and gives false.
bool SaveAsDefault(TReportBaseDlg& dlg, PPSetStore& store);
// The question alone (for the dialogs whose options go through the option object).
bool ConfirmSaveAsDefault(TReportBaseDlg& dlg);

}  // namespace ppset
