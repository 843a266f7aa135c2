// The report-by choice of the criteria dialogs: a report made by doctor ("0") or by
// billing doctor ("1"), the texts being strings 6980 and 6981.
#pragma once

#include <cstddef>
#include <string>

#include "host/ui/dialog.h"

class TReportByCBox : public TLoadStringCBox {
  public:
    static constexpr int kFirstString = 6980;
    // value, when given, is the dialog's buffer of the chosen value ("0" or "1"), kept
    // in step by Transfer.
    TReportByCBox(TWindow* parent, int id, char* value = nullptr, size_t size = 0,
                  TModule* module = nullptr);
    // The value of entry index ("0", "1"); empty for an index that is no entry.
    static std::string ValueOf(int index);
    // Copies the buffer into the selection (tdSetData) or the selection into the buffer.
    void Transfer(TTransferDirection direction);

  private:
    char* value_;
    size_t size_;
};
