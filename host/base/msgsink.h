// Where the host's message boxes go. The user-interface back end installs its own sink
// (Qt message boxes, a scripted queue for tests, the log for unattended runs); until then
// messages go to standard error and every question is answered with its first button.
#pragma once

#include <string>

#include "host/base/wintypes.h"

namespace host {

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // Shows text under title with the MB_* buttons and icon of flags; returns the ID* answer.
    virtual int Show(const void* parent, const std::string& text, const std::string& title,
                     unsigned flags) = 0;
};

// Installs sink (not owned; nullptr restores the default). Returns the previous sink.
MessageSink* SetMessageSink(MessageSink* sink);
MessageSink& GetMessageSink();

// The answer of a user who presses Enter: the box's first button (IDYES or IDOK).
int FirstButton(unsigned flags);

// Shows a message through the installed sink.
int ShowMessage(const void* parent, const std::string& text, const std::string& title,
                unsigned flags);

}  // namespace host
