// The user-interface back end: how the host shows message boxes, progress windows and
// report files. One back end is installed per process: Qt Widgets on the desktop, a
// scripted one in tests, an unattended one for overnight and command-line runs. The host's
// TMeter, TCounter and TPrintScreen, and every message box, go through it.
#pragma once

#include <memory>
#include <string>

#include "host/base/msgsink.h"
#include "host/base/wintypes.h"
#include "host/output/progress.h"

namespace host::ui {

// Message boxes (MessageSink), progress windows and viewers (output::ReportViews, whose
// defaults suit a back end without windows) and windows.
class Backend : public MessageSink, public output::ReportViews {
  public:
    // A short name for logs and tests ("qt", "scripted", "unattended", "headless").
    virtual const char* Name() const = 0;

    // --- Windows (host/ui/window.h, host/ui/dialog.h). Back ends without windows keep
    // the defaults. ---
    // Runs the modal loop of a created dialog until it is closed and returns its result.
    // The default delivers the posted messages (a dialog in unattended mode prints and
    // closes itself that way) and cancels a dialog that is still open.
    virtual int RunModal(TDialog& dialog);
    // A frame, an MDI child or a modeless dialog was created: build its view.
    virtual void WindowCreated(TWindow& window) {}
    // A window is being destroyed: drop its view.
    virtual void WindowDestroyed(TWindow& window) {}
    // Brings a window forward (the MDI focus).
    virtual void ActivateWindow(TWindow& window) {}
    // Messages were posted (TWindow::PostMessage): a back end with an event loop delivers
    // them soon with host::ui::DeliverPostedMessages; the others do it in RunModal.
    virtual void MessagesPosted() {}
};

// Installs backend (not owned) as the process's back end, message sink and report views;
// nullptr restores the headless default.
void SetBackend(Backend* backend);
Backend& GetBackend();

}  // namespace host::ui
