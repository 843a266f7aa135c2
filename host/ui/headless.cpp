// The headless back end: no window at all. Message boxes go to standard error and get the
// answer of their first button; meters draw a progress bar on standard error when it is a
// terminal and stay silent otherwise; viewers only log the file they were asked to show.
#include <unistd.h>

#include <cstdio>

#include "host/base/debuglog.h"
#include "host/base/text.h"
#include "host/ui/backend.h"

namespace host::ui {
namespace {

constexpr int kBarWidth = 30;

bool StderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

class TerminalMeter final : public MeterView {
  public:
    TerminalMeter(std::string title, long max, bool visible)
        : title_(std::move(title)), max_(max), draw_(visible && StderrIsTerminal()) {
        Draw();
    }
    ~TerminalMeter() override { Close(); }

    void SetTitle(const std::string& title) override {
        title_ = title;
        last_percent_ = -1;
        Draw();
    }
    void SetMax(long max) override {
        max_ = max;
        Draw();
    }
    void SetPosition(long position) override {
        position_ = position;
        Draw();
    }
    bool Cancelled() override { return false; }
    void Close() override {
        if (drawn_) std::fputc('\n', stderr);
        drawn_ = false;
        draw_ = false;
    }

  private:
    // Redraws the bar only when the shown percentage changes.
    void Draw() {
        if (!draw_) return;
        long pct = max_ > 0 ? position_ * 100 / max_ : 0;
        if (pct < 0) pct = 0;
        if (pct > 100) pct = 100;
        if (pct == last_percent_) return;
        last_percent_ = pct;
        const int filled = static_cast<int>(pct * kBarWidth / 100);
        std::string bar(filled, '#');
        bar.append(kBarWidth - filled, ' ');
        std::fprintf(stderr, "\r%s [%s] %3ld%%", host::U8Fit(title_, 40).c_str(), bar.c_str(), pct);
        std::fflush(stderr);
        drawn_ = true;
    }

    std::string title_;
    long max_;
    long position_ = 0;
    long last_percent_ = -1;
    bool draw_;
    bool drawn_ = false;
};

class Headless final : public Backend {
  public:
    int Show(const void*, const std::string& text, const std::string& title,
             unsigned flags) override {
        if (title.empty())
            std::fprintf(stderr, "%s\n", text.c_str());
        else
            std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
        WriteDebugLogFile("MESSAGE %s", text.c_str());
        return FirstButton(flags);
    }
    std::unique_ptr<MeterView> CreateMeter(const void*, const std::string& title, long max,
                                           bool visible) override {
        return std::make_unique<TerminalMeter>(title, max, visible);
    }
    std::unique_ptr<CounterView> CreateCounter(const void*) override {
        return std::make_unique<SilentCounter>();
    }
    void ShowTextFile(const void*, const std::string& path) override {
        WriteDebugLogFile("ShowTextFile %s", path.c_str());
    }
    void ShowPdf(const void*, const std::string& path) override {
        WriteDebugLogFile("ShowPdf %s", path.c_str());
    }
    const char* Name() const override { return "headless"; }
};

}  // namespace

Backend& HeadlessBackend() {
    static Headless backend;
    return backend;
}

}  // namespace host::ui
