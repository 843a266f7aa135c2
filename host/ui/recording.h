// Back ends without windows. Both remember what a user would have seen (message boxes,
// windows and dialogs opened, report files shown) and let a driver play the user's part
// in modal dialogs:
// - ScriptedBackend (tests): answers message boxes from a queue; meters can be made to
//   report Cancel at a given position.
// - UnattendedBackend (overnight runs and the command line): every question is answered
//   yes, messages go to the debug log, meters draw a progress bar on a terminal.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/ui/backend.h"

namespace host::ui {

struct ShownMessage {
    std::string text;
    std::string title;
    unsigned flags = 0;
    int answer = 0;
};

class RecordingBackend : public Backend {
  public:
    using DialogDriver = std::function<void(TDialog&)>;

    const std::vector<ShownMessage>& Messages() const { return messages_; }
    // "window CReportsMDI «Reports Manager»", "modal TDateRngDlg 7004 «...»", "activate
    // ...", "maximize ...", "meter «title» 120", "text PATH", "pdf PATH".
    const std::vector<std::string>& Events() const { return events_; }
    // Report files shown in the text viewer or as PDF.
    const std::vector<std::string>& FilesShown() const { return files_; }
    void ClearRecords();

    // Plays the user's part in the next modal dialog (drivers are used in order); with
    // none queued the default driver is used, if any. The driver runs after the posted
    // messages are delivered and only while the dialog is still open; a dialog left open
    // afterwards is cancelled.
    void QueueDialog(DialogDriver driver) { drivers_.push_back(std::move(driver)); }
    void SetDefaultDriver(DialogDriver driver) { default_driver_ = std::move(driver); }
    size_t PendingDrivers() const { return drivers_.size(); }

    int RunModal(TDialog& dialog) override;
    void WindowCreated(TWindow& window) override;
    void ActivateWindow(TWindow& window) override;
    std::unique_ptr<output::MeterView> CreateMeter(const void* parent, const std::string& title,
                                                   long max, bool visible) override;
    std::unique_ptr<output::CounterView> CreateCounter(const void* parent) override;
    void ShowTextFile(const void* parent, const std::string& path) override;
    void ShowPdf(const void* parent, const std::string& path) override;

  protected:
    // Remembers a message and its answer; returns the answer.
    int Record(const std::string& text, const std::string& title, unsigned flags, int answer);
    void AddEvent(std::string event) { events_.push_back(std::move(event)); }
    // Meters report Cancel once their position reaches this (0: never).
    long cancel_at_ = 0;
    // Draw meters as a bar on standard error when it is a terminal.
    bool terminal_meters_ = false;

  private:
    std::vector<ShownMessage> messages_;
    std::vector<std::string> events_;
    std::vector<std::string> files_;
    std::vector<DialogDriver> drivers_;
    DialogDriver default_driver_;
};

class ScriptedBackend : public RecordingBackend {
  public:
    // Answers for the next message boxes, in order (IDYES, IDNO, IDOK, IDCANCEL).
    void QueueAnswer(int answer) { answers_.push_back(answer); }
    // The answer once the queue is empty; 0 answers with the box's first button.
    void SetDefaultAnswer(int answer) { default_answer_ = answer; }
    size_t PendingAnswers() const { return answers_.size(); }
    void CancelMetersAt(long position) { cancel_at_ = position; }

    int Show(const void* parent, const std::string& text, const std::string& title,
             unsigned flags) override;
    const char* Name() const override { return "scripted"; }

  private:
    std::vector<int> answers_;
    int default_answer_ = 0;
};

class UnattendedBackend : public RecordingBackend {
  public:
    UnattendedBackend();
    // Yes to every question, OK to everything else; the text goes to the debug log.
    int Show(const void* parent, const std::string& text, const std::string& title,
             unsigned flags) override;
    const char* Name() const override { return "unattended"; }
};

using host::FirstButton;
// "TDateRngDlg 7004 «Rapport des Mémos du Cabinet»".
std::string DescribeWindow(const TWindow& window);

}  // namespace host::ui
