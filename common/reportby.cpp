#include "common/reportby.h"

#include <cstring>

#include "host/base/text.h"

TReportByCBox::TReportByCBox(TWindow* parent, int id, char* value, size_t size, TModule* module)
    : TLoadStringCBox(parent, id, kFirstString, 2, {"0", "1"}, module),
      value_(value),
      size_(size) {}

std::string TReportByCBox::ValueOf(int index) {
    switch (index) {
        case 0:
            return "0";
        case 1:
            return "1";
        default:
            return {};
    }
}

void TReportByCBox::Transfer(TTransferDirection direction) {
    if (!value_ || !size_) return;
    if (direction == tdSetData) {
        const int i = FindValue(std::string(value_, strnlen(value_, size_)));
        SetSelIndex(i >= 0 ? i : 0);
    } else {
        host::CopyText(value_, size_, ValueOf(GetSelIndex()));
    }
}
