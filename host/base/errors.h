// The host's error object: a routine that fails records which message to show
// (SetErrMsgInfo with a string number, or a text such as the database's last error),
// and its caller decides when to show it (ReportError).
#pragma once

#include <string>

#include "host/base/wintypes.h"

class TEmgBase {
  public:
    // Records string `id` of the module's table as the pending message.
    void SetErrMsgInfo(const void* module, int id, const void* window = nullptr);
    // Records a literal text (for example a database error) as the pending message.
    void SetErrText(const std::string& text, const void* window = nullptr);
    // Shows the pending message through the host's message sink (error icon unless
    // flags say otherwise) and returns the answer; IDOK when nothing is pending.
    int ReportError(unsigned flags = MB_OK | MB_ICONERROR);
    void ClearErrMsgInfo();

    bool HasError() const { return id_ != 0 || !text_.empty(); }
    int StringId() const { return id_; }
    // The pending message's text.
    std::string Text() const;

  private:
    int id_ = 0;
    std::string text_;
    const void* window_ = nullptr;
};
