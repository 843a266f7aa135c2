// The windows a report opens while it runs and after: progress meters, counters and the
// viewer of its text files. They are drawn through ReportViews, which the user-interface back
// end (host/ui/backend.h) implements and installs: a desktop shows real windows, tests record
// what was shown. Until one is installed, meters draw a bar on standard error when it is a
// terminal, counters stay silent and viewers only log the file they were asked to show.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/base/wintypes.h"

namespace host::output {

// A progress window with a Cancel button (TMeter's view).
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

// A progress window that counts without a maximum (TCounter's view).
class CounterView {
  public:
    virtual ~CounterView() = default;
    virtual void SetTitle(const std::string& title) = 0;
    virtual void SetMessage(const std::string& message) = 0;
    virtual void SetCount(long count) = 0;
    virtual void Close() = 0;
};

// A counter that shows nothing.
class SilentCounter final : public CounterView {
  public:
    void SetTitle(const std::string&) override {}
    void SetMessage(const std::string&) override {}
    void SetCount(long) override {}
    void Close() override {}
};

// How the progress windows and viewers are shown. The defaults are those of a process
// without windows (see above).
class ReportViews {
  public:
    virtual ~ReportViews() = default;
    // A progress window under parent; visible false keeps it hidden but still counting.
    virtual std::unique_ptr<MeterView> CreateMeter(const void* parent, const std::string& title,
                                                   long max, bool visible);
    virtual std::unique_ptr<CounterView> CreateCounter(const void* parent);
    // Shows a text report file (".prt") in the text viewer; returns when the viewer closes
    // (at once without windows).
    virtual void ShowTextFile(const void* parent, const std::string& path);
    // Shows a PDF file produced by the template printer.
    virtual void ShowPdf(const void* parent, const std::string& path);
    // A report run from a criteria dialog starts and ends. A desktop shows a run's output
    // as a whole when it ends: the pages it printed (output kind 0 offers them to the
    // printer, kind 1 previews them), the export it wrote (kind 2, to be saved where the
    // user says). files are the paths written in the output folder, in the order written;
    // ok is false when the run failed or was cancelled. The defaults do nothing.
    virtual void RunStarted(const void* parent, int output_choice);
    virtual void RunFinished(const void* parent, int output_choice, bool ok,
                             const std::vector<std::string>& files);
};

// Installs views (not owned); nullptr restores the defaults.
void SetReportViews(ReportViews* views);
ReportViews& GetReportViews();

}  // namespace host::output

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
    std::unique_ptr<host::output::MeterView> view_;
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
    std::unique_ptr<host::output::CounterView> view_;
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
