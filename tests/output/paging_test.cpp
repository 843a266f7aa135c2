// The paged report base: order of the calls, the page-break rule at its boundary, stops
// (a detail's -1, the meter's Cancel), the meter and the copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "host/base/env.h"
#include "host/output/ovreport.h"
#include "tests/output/helpers.h"

using output_test::ReadFile;
using output_test::TextPages;

namespace {

// A one-line-per-item list that records every call the loop makes.
class ListReport : public OvReportObj {
  public:
    ListReport(FILE* out, int items)
        : OvReportObj(nullptr, nullptr, 'C', true, 0, false, out, false, true), count_(items) {}

    std::vector<std::string> calls;
    int skip = -1;     // this item does not match
    int stop_at = -1;  // PrintDetail of this item returns -1
    int line_req = 1;
    int detail_lines = 1;
    long meter_max = 100;

    bool OpenReport() override {
        calls.push_back("Open");
        return OvReportObj::OpenReport();
    }
    bool InitialCriteria() override {
        calls.push_back("Initial");
        i_ = 0;
        return count_ > 0;
    }
    bool MatchCriteria() override {
        calls.push_back("Match" + std::to_string(i_));
        return i_ != skip;
    }
    bool ContinueCriteria() override {
        calls.push_back("Continue");
        return ++i_ < count_;
    }
    void PageBreak() override {
        calls.push_back("Break");
        OvReportObj::PageBreak();
    }
    int PrintDetail(int line) override {
        calls.push_back("Detail" + std::to_string(i_) + "@" + std::to_string(line));
        if (i_ == stop_at) return -1;
        for (int k = 0; k < detail_lines; ++k)
            PrintFormat(2, line + k, "article %d", i_);
        return detail_lines;
    }
    bool EndReport(int line) override {
        calls.push_back("End@" + std::to_string(line));
        return OvReportObj::EndReport(line);
    }
    void AbortReport() override {
        calls.push_back("Abort");
        OvReportObj::AbortReport();
    }
    int GetLineReq() override { return line_req; }
    int GetTitleLNum() override { return 1; }
    std::string GetTitleStr(int i) override { return i == 0 ? "LISTE D'ESSAI" : ""; }
    long GetMaxMeterCount() override { return meter_max; }

  private:
    int count_;
    int i_ = 0;
};

class PagingTest : public output_test::WithBackend {
  protected:
    void SetUp() override {
        WithBackend::SetUp();
        path_ = host::Env().output_dir + "/paging.prt";
        file_ = std::fopen(path_.c_str(), "w");
        ASSERT_NE(file_, nullptr);
    }
    void TearDown() override {
        if (file_) std::fclose(file_);
        WithBackend::TearDown();
    }
    // The text written so far, split into pages.
    std::vector<std::string> Pages() {
        std::fflush(file_);
        return TextPages(ReadFile(path_));
    }
    std::string path_;
    FILE* file_ = nullptr;
};

TEST_F(PagingTest, CallsComeInTheLoopOrder) {
    ListReport r(file_, 3);
    r.skip = 1;
    EXPECT_TRUE(r.PrintReport());
    // The title takes lines 1-2 and a blank line, so details start at line 4; the skipped
    // item uses no line.
    const std::vector<std::string> expected = {"Open",      "Initial",   "Match0",   "Break",
                                               "Detail0@4", "Continue",  "Match1",   "Continue",
                                               "Match2",    "Detail2@5", "Continue", "End@6"};
    EXPECT_EQ(r.calls, expected);
    EXPECT_FALSE(r.ReportCanceled());
    const auto pages = Pages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find("Date : 15/11/2024"), std::string::npos);
    EXPECT_NE(pages[0].find("Page : 1"), std::string::npos);
    EXPECT_NE(pages[0].find("\n\n  article 0\n  article 2\n"), std::string::npos);
    EXPECT_EQ(pages[0].find("article 1"), std::string::npos);
}

TEST_F(PagingTest, PageBreaksWhenPageLengthIsReached) {
    struct Case {
        int line_req, detail_lines, items;
        std::vector<int> per_page;  // items on each page, computed by hand
    };
    // Page length 10, details from line 4. A detail at line n is printed on the page while
    // 10 > n + line_req: with 1 line each, lines 4..8 (5 items); asking 3 lines, lines 4..6;
    // two-line details asking 2 lines, lines 4-5 and 6-7.
    const Case cases[] = {
        {1, 1, 12, {5, 5, 2}},
        {3, 1, 7, {3, 3, 1}},
        {2, 2, 5, {2, 2, 1}},
        {1, 1, 5, {5}},
    };
    for (const Case& c : cases) {
        std::fclose(file_);
        file_ = std::fopen(path_.c_str(), "w");
        ListReport r(file_, c.items);
        r.SetRowPerPage(10);
        r.line_req = c.line_req;
        r.detail_lines = c.detail_lines;
        ASSERT_TRUE(r.PrintReport());
        const auto pages = Pages();
        ASSERT_EQ(pages.size(), c.per_page.size()) << "line_req " << c.line_req;
        int item = 0;
        for (size_t p = 0; p < pages.size(); ++p) {
            EXPECT_NE(pages[p].find("Page : " + std::to_string(p + 1)), std::string::npos);
            for (int k = 0; k < c.per_page[p]; ++k, ++item)
                EXPECT_NE(pages[p].find("article " + std::to_string(item) + "\n"),
                          std::string::npos)
                    << "item " << item << " on page " << p + 1;
        }
        EXPECT_EQ(item, c.items);
        EXPECT_EQ(r.GetPageNumber(), static_cast<int>(c.per_page.size()));
    }
}

TEST_F(PagingTest, MinusOneStopsTheRunWithoutEnd) {
    ListReport r(file_, 5);
    r.stop_at = 2;
    EXPECT_FALSE(r.PrintReport());
    EXPECT_TRUE(r.ReportCanceled());
    ASSERT_GE(r.calls.size(), 2u);
    EXPECT_EQ(r.calls.back(), "Abort");
    EXPECT_EQ(r.calls[r.calls.size() - 2], "Detail2@6");  // no ContinueCriteria after -1
    for (const std::string& c : r.calls)
        EXPECT_EQ(c.rfind("End", 0), std::string::npos);
    const std::string text = ReadFile(path_);
    EXPECT_NE(text.find("article 1"), std::string::npos);
    EXPECT_EQ(text.find("article 2"), std::string::npos);
    EXPECT_NE(text.find("Rapport interrompu"), std::string::npos);
}

TEST_F(PagingTest, CancelAbortsAndTheMeterStaysWithinItsMaximum) {
    backend_.cancel_at = 2;
    ListReport r(file_, 5);
    EXPECT_FALSE(r.PrintReport());
    EXPECT_EQ(r.calls.back(), "Abort");
    EXPECT_EQ(std::count(r.calls.begin(), r.calls.end(), "End@6"), 0);
    const std::string text = ReadFile(path_);
    EXPECT_NE(text.find("article 1"), std::string::npos);
    EXPECT_EQ(text.find("article 2"), std::string::npos);

    // A meter smaller than the data: it climbs to its maximum and stays there.
    backend_.cancel_at = -1;
    backend_.meters.clear();
    ListReport small(file_, 5);
    small.meter_max = 3;
    EXPECT_TRUE(small.PrintReport());
    ASSERT_EQ(backend_.meters.size(), 1u);
    EXPECT_EQ(backend_.meters[0].title, "LISTE D'ESSAI");
    EXPECT_EQ(backend_.meters[0].max, 3);
    EXPECT_EQ(backend_.meters[0].positions, (std::vector<long>{0, 1, 2, 3}));
    EXPECT_TRUE(backend_.meters[0].closed);
}

TEST_F(PagingTest, EmptyReportPrintsItsTitlePage) {
    ListReport r(file_, 0);
    EXPECT_TRUE(r.PrintReport());
    EXPECT_EQ(r.calls, (std::vector<std::string>{"Open", "Initial", "End@60", "Break"}));
    const auto pages = Pages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find("LISTE D'ESSAI"), std::string::npos);
}

TEST_F(PagingTest, PrinterCopiesRepeatThePagesInThePdfOnly) {
    // Output kind 0 with the text file open: the text holds each page once, the PDF named
    // after the text file holds every page of each copy.
    ListReport r(file_, 12);
    r.SetRowPerPage(10);
    r.SetAutomation(0, true);
    r.SetCopies(2);
    ASSERT_TRUE(r.PrintReport());
    EXPECT_EQ(Pages().size(), 3u);
    const std::string pdf = host::Env().output_dir + "/paging.pdf";
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_EQ(output_test::PdfPages(pdf), 6);
    EXPECT_NE(output_test::PdfText(pdf, 4).find("Page : 1"), std::string::npos);
    EXPECT_NE(output_test::PdfText(pdf, 6).find("article 11"), std::string::npos);
}

}  // namespace
