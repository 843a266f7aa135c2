// The host's choice lists of the receivable dialogs: the producers of the practice
// (TProdCBox) and the overdue selections (TOverdueCBox).
#pragma once

#include <string>

#include "host/ui/controls.h"

class LauncherInfo;

// The producers, in code order, after an entry for all of them ("*"). Each entry's value
// is the producer's code; its text is "code - first name last name". Filled when created,
// from the launcher's database (only "*" when there is none or it cannot be read).
class TProdCBox : public TComboBox {
  public:
    TProdCBox(TWindow* parent, int id, LauncherInfo* launcher, size_t text_limit = 4,
              TModule* module = nullptr);
    // (Re)reads the producers; returns their number (the "*" entry aside).
    int LoadProducers();
    // Selects the entry of code ("*" when code is empty or not a producer's).
    void SelectCode(const std::string& code);
    // The selected code; "*" when nothing is selected.
    std::string GetCode() const;
    void SetupWindow() override;

  private:
    LauncherInfo* launcher_;
};

// The overdue selections. Each text begins with its number, 1 to 8, which the reports
// read back with atoi; the entries' values are those numbers.
class TOverdueCBox : public TLoadStringCBox {
  public:
    static constexpr int kFirstString = 12440;
    static constexpr int kCount = 8;
    TOverdueCBox(TWindow* parent, int id, TModule* module = nullptr);
    // The number the selected text begins with (0 when nothing is selected).
    int GetSelNumber() const;
    // The number a text begins with.
    static int NumberOf(const std::string& text);
};
