#include "host/output/progress.h"

#include <unistd.h>

#include <cstdio>

#include "host/base/debuglog.h"
#include "host/base/text.h"
#include "host/base/wintypes.h"
#include "host/output/paths.h"

namespace host::output {
namespace {

constexpr int kBarWidth = 30;

bool StderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

// A bar on standard error when it is a terminal, nothing otherwise; it never cancels.
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

ReportViews g_default_views;
ReportViews* g_views = nullptr;

}  // namespace

std::unique_ptr<MeterView> ReportViews::CreateMeter(const void*, const std::string& title, long max,
                                                    bool visible) {
    return std::make_unique<TerminalMeter>(title, max, visible);
}

std::unique_ptr<CounterView> ReportViews::CreateCounter(const void*) {
    return std::make_unique<SilentCounter>();
}

void ReportViews::ShowTextFile(const void*, const std::string& path) {
    WriteDebugLogFile("ShowTextFile %s", path.c_str());
}

void ReportViews::ShowPdf(const void*, const std::string& path) {
    WriteDebugLogFile("ShowPdf %s", path.c_str());
}

void ReportViews::RunStarted(const void*, int) {}

void ReportViews::RunFinished(const void*, int, bool, const std::vector<std::string>&) {}

void SetReportViews(ReportViews* views) {
    g_views = views;
}

ReportViews& GetReportViews() {
    return g_views ? *g_views : g_default_views;
}

}  // namespace host::output

TMeter::TMeter(TWindow* parent, const std::string& title, long max, bool visible)
    : view_(host::output::GetReportViews().CreateMeter(parent, title, max < 0 ? 0 : max, visible)),
      max_(max < 0 ? 0 : max) {
    if (view_) view_->SetPosition(0);
}

TMeter::~TMeter() {
    Close();
}

void TMeter::SetTitle(const std::string& title) {
    if (view_) view_->SetTitle(title);
}

void TMeter::SetMax(long max) {
    max_ = max < 0 ? 0 : max;
    if (position_ > max_) position_ = max_;
    if (view_) view_->SetMax(max_);
}

void TMeter::Advance(long step) {
    SetPosition(position_ + step);
}

void TMeter::SetPosition(long position) {
    if (position < 0) position = 0;
    if (position > max_) position = max_;
    if (position == position_) return;
    position_ = position;
    if (view_) view_->SetPosition(position_);
}

bool TMeter::Cancel() {
    return view_ && view_->Cancelled();
}

void TMeter::Close() {
    if (view_) view_->Close();
    view_.reset();
}

TCounter::TCounter(TWindow* parent) : parent_(parent) {}

TCounter::~TCounter() {
    CloseCounterDlg();
}

void TCounter::SetWindowTitle(const std::string& title) {
    title_ = title;
    if (view_) view_->SetTitle(title_);
}

void TCounter::SetWindowMsg(const std::string& message) {
    message_ = message;
    if (view_) view_->SetMessage(message_);
}

void TCounter::DisplayCounterDlg() {
    if (!view_) view_ = host::output::GetReportViews().CreateCounter(parent_);
    if (!view_) return;
    view_->SetTitle(title_);
    view_->SetMessage(message_);
    view_->SetCount(count_);
}

void TCounter::IncrementCtr(long step) {
    count_ += step;
    if (view_) view_->SetCount(count_);
}

void TCounter::CloseCounterDlg() {
    if (view_) view_->Close();
    view_.reset();
}

TPrintScreen::TPrintScreen(TWindow* parent, const std::string& file, bool show_now)
    : parent_(parent), path_(host::output::OutputPath(file)) {
    if (show_now) Execute();
}

int TPrintScreen::Execute() {
    if (!shown_) {
        shown_ = true;
        host::output::GetReportViews().ShowTextFile(parent_, path_);
    }
    return IDOK;
}
