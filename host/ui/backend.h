// The user-interface back end: how the host shows message boxes, progress windows and
// report files. One back end is installed per process: Qt Widgets on the desktop, a
// scripted one in tests, an unattended one for overnight and command-line runs. The host's
// TMeter, TCounter and TPrintScreen, and every message box, go through it.
#pragma once

#include <memory>
#include <string>

#include "host/base/msgsink.h"
#include "host/ui/fwd.h"

namespace host::ui {

// A progress window with a Cancel button (the host's TMeter).
class MeterView {
  public:
    virtual ~MeterView() = default;
    virtual void SetTitle(const std::string& title) = 0;
    virtual void SetMax(long max) = 0;
    virtual void SetPosition(long position) = 0;
    // True once the user pressed Cancel.
    virtual bool Cancelled() = 0;
    virtual void Close() = 0;
};

// A progress window that counts without a maximum (the host's TCounter).
class CounterView {
  public:
    virtual ~CounterView() = default;
    virtual void SetTitle(const std::string& title) = 0;
    virtual void SetMessage(const std::string& message) = 0;
    virtual void SetCount(long count) = 0;
    virtual void Close() = 0;
};

// A counter for back ends without windows: it shows nothing.
class SilentCounter final : public CounterView {
  public:
    void SetTitle(const std::string&) override {}
    void SetMessage(const std::string&) override {}
    void SetCount(long) override {}
    void Close() override {}
};

class Backend : public MessageSink {
  public:
    // A progress window under parent; visible false keeps it hidden but still counting.
    virtual std::unique_ptr<MeterView> CreateMeter(const void* parent, const std::string& title,
                                                   long max, bool visible) = 0;
    virtual std::unique_ptr<CounterView> CreateCounter(const void* parent) = 0;
    // Shows a text report file (".prt") in the text viewer; returns when the viewer closes
    // (at once for back ends without windows).
    virtual void ShowTextFile(const void* parent, const std::string& path) = 0;
    // Shows a PDF file produced by the template printer.
    virtual void ShowPdf(const void* parent, const std::string& path) = 0;
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

// Installs backend (not owned) as the process's back end and as the message sink;
// nullptr restores the headless default.
void SetBackend(Backend* backend);
Backend& GetBackend();

}  // namespace host::ui
