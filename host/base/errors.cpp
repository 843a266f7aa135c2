#include "host/base/errors.h"

#include "host/base/debuglog.h"
#include "host/base/msgsink.h"
#include "host/base/strings.h"

void TEmgBase::SetErrMsgInfo(const void*, int id, const void* window) {
    id_ = id;
    text_.clear();
    window_ = window;
}

void TEmgBase::SetErrText(const std::string& text, const void* window) {
    id_ = 0;
    text_ = text;
    window_ = window;
}

std::string TEmgBase::Text() const {
    if (!text_.empty()) return text_;
    if (id_ == 0) return {};
    const std::string& t = host::LoadText(id_);
    return t.empty() ? "Erreur " + std::to_string(id_) : t;
}

int TEmgBase::ReportError(unsigned flags) {
    if (!HasError()) return IDOK;
    const std::string text = Text();
    WriteDebugLogFile("ERROR: %s", text.c_str());
    return host::ShowMessage(window_, text, "", flags);
}

void TEmgBase::ClearErrMsgInfo() {
    id_ = 0;
    text_.clear();
    window_ = nullptr;
}
