// The host's code pickers: the producers, billing doctors and insurance companies of the practice
// as "code - name" lines, and a dialog (7991) in which the user chooses one, opened by the
// "..." button beside a code field.
#pragma once

#include <string>
#include <vector>

class LauncherInfo;
class TDialog;
class TWindow;

namespace host::ui {

struct CodeEntry {
    std::string code;
    std::string name;  // may be empty
    // "code - name", or the code alone.
    std::string Line() const { return name.empty() ? code : code + " - " + name; }
};

// The practice's producers and insurance companies in code order; empty when there is no
// database or it cannot be read (the error stays with the launcher's message holder).
std::vector<CodeEntry> ProducerEntries(LauncherInfo* launcher);
std::vector<CodeEntry> InsuranceEntries(LauncherInfo* launcher);
// The billing doctors (PROD_BILLDR), each once, named after its first producer record.
std::vector<CodeEntry> BillingDoctorEntries(LauncherInfo* launcher);

// Opens the picker titled `title` over parent with `current` selected; the chosen code, or
// "" when the user cancels or chooses nothing.
std::string PickCode(TWindow* parent, const std::string& title,
                     const std::vector<CodeEntry>& entries, const std::string& current);

enum class Codes { Producers, BillingDoctors, Insurers };

// The "..." button of a code field: opens the picker over dlg on the practice's codes of
// that kind; the field takes the chosen code, a cancelled picker leaves it as it was.
void PickInto(TDialog& dlg, int field, Codes kind, LauncherInfo* launcher);

}  // namespace host::ui
