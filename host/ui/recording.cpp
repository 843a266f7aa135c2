#include "host/ui/recording.h"

#include <unistd.h>

#include <cstdio>

#include "host/base/debuglog.h"
#include "host/ui/dialog.h"
#include "host/ui/window.h"

namespace host::ui {

namespace {

class RecordedMeter final : public output::MeterView {
  public:
    RecordedMeter(std::string title, long max, long cancel_at, bool terminal)
        : title_(std::move(title)), max_(max), cancel_at_(cancel_at), terminal_(terminal) {}
    ~RecordedMeter() override { Close(); }
    void SetTitle(const std::string& title) override { title_ = title; }
    void SetMax(long max) override { max_ = max; }
    void SetPosition(long position) override {
        position_ = position;
        if (!terminal_ || max_ <= 0) return;
        const int percent = static_cast<int>(position_ * 100 / max_);
        if (percent == drawn_) return;
        drawn_ = percent;
        const int filled = percent * 30 / 100;
        std::fprintf(stderr, "\r[%.*s%*s] %3d%% %s", filled, "##############################",
                     30 - filled, "", percent, title_.c_str());
        std::fflush(stderr);
    }
    bool Cancelled() override { return cancel_at_ > 0 && position_ >= cancel_at_; }
    void Close() override {
        if (terminal_ && drawn_ >= 0) std::fprintf(stderr, "\n");
        drawn_ = -1;
        terminal_ = false;
    }

  private:
    std::string title_;
    long max_;
    long position_ = 0;
    long cancel_at_;
    bool terminal_;
    int drawn_ = -1;
};

}  // namespace

std::string DescribeWindow(const TWindow& window) {
    std::string out = window.ClassName();
    if (auto* dialog = dynamic_cast<const TDialog*>(&window); dialog && dialog->GetResId())
        out += " " + std::to_string(dialog->GetResId());
    out += " «" + window.GetCaption() + "»";
    return out;
}

void RecordingBackend::ClearRecords() {
    messages_.clear();
    events_.clear();
    files_.clear();
}

int RecordingBackend::Record(const std::string& text, const std::string& title, unsigned flags,
                             int answer) {
    messages_.push_back({text, title, flags, answer});
    return answer;
}

int RecordingBackend::RunModal(TDialog& dialog) {
    AddEvent("modal " + DescribeWindow(dialog));
    DeliverPostedMessages();
    if (dialog.IsRunning()) {
        DialogDriver driver;
        if (!drivers_.empty()) {
            driver = std::move(drivers_.front());
            drivers_.erase(drivers_.begin());
        } else {
            driver = default_driver_;
        }
        if (driver) driver(dialog);
        DeliverPostedMessages();
    }
    if (dialog.IsRunning()) dialog.EndModal(IDCANCEL);
    return dialog.GetModalResult();
}

void RecordingBackend::WindowCreated(TWindow& window) {
    AddEvent("window " + DescribeWindow(window));
}

void RecordingBackend::ActivateWindow(TWindow& window) {
    AddEvent("activate " + DescribeWindow(window));
}

std::unique_ptr<output::MeterView> RecordingBackend::CreateMeter(const void*,
                                                                 const std::string& title, long max,
                                                                 bool visible) {
    AddEvent("meter «" + title + "» " + std::to_string(max));
    return std::make_unique<RecordedMeter>(title, max, cancel_at_,
                                           visible && terminal_meters_ && isatty(2));
}

std::unique_ptr<output::CounterView> RecordingBackend::CreateCounter(const void*) {
    AddEvent("counter");
    return std::make_unique<output::SilentCounter>();
}

void RecordingBackend::ShowTextFile(const void*, const std::string& path) {
    AddEvent("text " + path);
    files_.push_back(path);
}

void RecordingBackend::ShowPdf(const void*, const std::string& path) {
    AddEvent("pdf " + path);
    files_.push_back(path);
}

int ScriptedBackend::Show(const void*, const std::string& text, const std::string& title,
                          unsigned flags) {
    int answer = 0;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.erase(answers_.begin());
    } else {
        answer = default_answer_;
    }
    if (!answer) answer = FirstButton(flags);
    return Record(text, title, flags, answer);
}

UnattendedBackend::UnattendedBackend() {
    terminal_meters_ = true;
}

int UnattendedBackend::Show(const void*, const std::string& text, const std::string& title,
                            unsigned flags) {
    WriteDebugLogFile("MESSAGE %s%s%s", title.c_str(), title.empty() ? "" : ": ", text.c_str());
    return Record(text, title, flags, FirstButton(flags));
}

}  // namespace host::ui
