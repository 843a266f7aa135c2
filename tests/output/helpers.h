// Shared pieces of the output suites: a back end that records what it is asked to show and
// can press Cancel, and readers for the files the printers write.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/ui/backend.h"
#include "tests/support/process.h"

namespace output_test {

struct MeterLog {
    std::string title;
    long max = -1;
    std::vector<long> positions;
    bool closed = false;
};

// Records meters and viewers; the meter answers Cancel once its position reaches
// cancel_at (never when -1).
class RecordingBackend : public host::ui::Backend {
  public:
    long cancel_at = -1;
    std::vector<MeterLog> meters;
    std::vector<std::string> messages;
    std::vector<std::string> shown_text, shown_pdf;

    int Show(const void*, const std::string& text, const std::string&, unsigned) override {
        messages.push_back(text);
        return 1;
    }
    std::unique_ptr<host::output::MeterView> CreateMeter(const void*, const std::string& title,
                                                         long max, bool) override {
        meters.push_back(MeterLog{title, max, {}, false});
        return std::make_unique<Meter>(this, meters.size() - 1);
    }
    std::unique_ptr<host::output::CounterView> CreateCounter(const void*) override {
        return nullptr;
    }
    void ShowTextFile(const void*, const std::string& path) override { shown_text.push_back(path); }
    void ShowPdf(const void*, const std::string& path) override { shown_pdf.push_back(path); }
    const char* Name() const override { return "recording"; }

  private:
    class Meter : public host::output::MeterView {
      public:
        Meter(RecordingBackend* b, size_t i) : b_(b), i_(i) {}
        void SetTitle(const std::string& t) override { b_->meters[i_].title = t; }
        void SetMax(long m) override { b_->meters[i_].max = m; }
        void SetPosition(long p) override { b_->meters[i_].positions.push_back(p); }
        bool Cancelled() override {
            const auto& pos = b_->meters[i_].positions;
            return b_->cancel_at >= 0 && !pos.empty() && pos.back() >= b_->cancel_at;
        }
        void Close() override { b_->meters[i_].closed = true; }

      private:
        RecordingBackend* b_;
        size_t i_;
    };
};

// Installs a RecordingBackend for the life of a test.
class WithBackend : public testing::Test {
  protected:
    void SetUp() override { host::ui::SetBackend(&backend_); }
    void TearDown() override { host::ui::SetBackend(nullptr); }
    RecordingBackend backend_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Standard output of a shell command.
inline std::string Shell(const std::string& command) {
    return testing_support::RunShell(command).out;
}

// Page count of a PDF as pdfinfo reads it (-1 when it cannot be read).
inline int PdfPages(const std::string& path) {
    const std::string info = Shell("pdfinfo '" + path + "' 2>/dev/null");
    const size_t p = info.find("Pages:");
    return p == std::string::npos ? -1 : std::stoi(info.substr(p + 6));
}

// Text of page `page` (from 1; 0 for all) as pdftotext reads it, layout kept.
inline std::string PdfText(const std::string& path, int page = 0) {
    std::string range =
        page > 0 ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : std::string();
    return Shell("pdftotext -layout" + range + " '" + path + "' - 2>/dev/null");
}

// Pages of a text report file (form feeds separate them).
inline std::vector<std::string> TextPages(const std::string& text) {
    std::vector<std::string> pages(1);
    for (char c : text) {
        if (c == '\f')
            pages.emplace_back();
        else
            pages.back() += c;
    }
    return pages;
}

}  // namespace output_test
