// The host's progress windows and text viewer, shown through the user-interface back end
// (host/ui/backend.h): a desktop shows real windows, the headless back end a terminal bar.
#pragma once

#include <memory>
#include <string>

#include "host/ui/backend.h"
#include "host/ui/fwd.h"

// A progress window with a maximum and a Cancel button.
class TMeter {
  public:
    // Shows the meter under parent at position 0; visible false keeps it hidden (it still
    // counts and can still be asked for Cancel).
    TMeter(TWindow* parent, const std::string& title, long max = 100, bool visible = true);
    // Closes the window.
    ~TMeter();
    TMeter(const TMeter&) = delete;
    TMeter& operator=(const TMeter&) = delete;

    void SetTitle(const std::string& title);
    // A maximum below 0 counts as 0.
    void SetMax(long max);
    long GetMax() const { return max_; }
    // Moves the position by step, never past the maximum.
    void Advance(long step = 1);
    // Moves to position, kept within 0..maximum.
    void SetPosition(long position);
    long GetPosition() const { return position_; }
    // True once the user pressed Cancel.
    bool Cancel();
    // Closes the window; later calls only count.
    void Close();

  private:
    std::unique_ptr<host::ui::MeterView> view_;
    long max_;
    long position_ = 0;
};

// A progress window that counts without a maximum: a title, a message and a counter.
class TCounter {
  public:
    explicit TCounter(TWindow* parent);
    ~TCounter();
    TCounter(const TCounter&) = delete;
    TCounter& operator=(const TCounter&) = delete;

    void SetWindowTitle(const std::string& title);
    void SetWindowMsg(const std::string& message);
    // Shows the window (title and message set before are shown with it).
    void DisplayCounterDlg();
    // Adds step to the counter and shows it.
    void IncrementCtr(long step = 1);
    long GetCount() const { return count_; }
    void CloseCounterDlg();

  private:
    TWindow* parent_;
    std::unique_ptr<host::ui::CounterView> view_;
    std::string title_;
    std::string message_;
    long count_ = 0;
};

// The text viewer of report files (".prt"). The file name is a report file name as the
// reports write it ("arrpt.prt", found in the output folder) or an absolute path.
class TPrintScreen {
  public:
    // show_now true shows the file at once and returns when the viewer is closed.
    TPrintScreen(TWindow* parent, const std::string& file, bool show_now = true);
    // Shows the file unless the constructor already did; returns IDOK.
    int Execute();
    // The file's full path.
    const std::string& Path() const { return path_; }

  private:
    TWindow* parent_;
    std::string path_;
    bool shown_ = false;
};
