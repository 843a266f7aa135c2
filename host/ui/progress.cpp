#include "host/ui/progress.h"

#include "host/base/wintypes.h"
#include "host/output/paths.h"

TMeter::TMeter(TWindow* parent, const std::string& title, long max, bool visible)
    : view_(host::ui::GetBackend().CreateMeter(parent, title, max < 0 ? 0 : max, visible)),
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
    if (!view_) view_ = host::ui::GetBackend().CreateCounter(parent_);
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
        host::ui::GetBackend().ShowTextFile(parent_, path_);
    }
    return IDOK;
}
