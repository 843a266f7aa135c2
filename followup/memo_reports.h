// The practice memo report's renderers and run: TickRptObj prints the memos of
// memo_collect.h by owner kind (a section each), with each memo's text line by line; the
// data table feeds "\XML\tick.xml" and the template tick.rpt.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "common/report_run.h"
#include "followup/memo_collect.h"
#include "host/output/ovreport.h"
#include "host/output/report_table.h"

class TickRptObj : public OvReportObj {
  public:
    TickRptObj(LauncherInfo* launcher, TWindow* parent, const memo::MemoData& data, bool show_meter,
               FILE* out);

    void SetColumns() override;
    bool InitialCriteria() override;
    bool ContinueCriteria() override;
    // The memo's lines, and two more for a section heading when its owner kind changes.
    int GetLineReq() override;
    int PrintDetail(int line) override;
    int PrintSubTitle(int line) override;
    std::string GetTitleStr(int i) override;
    long GetMaxMeterCount() override;
    std::string GetMeterTitle() override;
    int GetTitleLNum() override { return 2; }

    static constexpr int kCols[3] = {0, 32, 44};
    static constexpr int kNoteWidth = 80 - 44;

  private:
    const memo::MemoData& data_;
    size_t i_ = 0;
    int printed_kind_ = -1;
    std::vector<std::string> text_;  // the current memo's printed lines
};

namespace memo {

// The section heading's string of an owner kind.
int SectionText(int kind);
// The memo's text cut into lines of at most width characters, at blanks where possible.
std::vector<std::string> NoteLines(const std::string& stored, size_t width);
host::output::ReportTable MemoTable(const MemoData& data);

}  // namespace memo

class MemoReportRun : public reports::TableReportRun<memo::CollectRequest, memo::MemoData> {
  public:
    MemoReportRun(long from, long to, int mode = -1);

    std::string MeterTitle() const override;
    bool Print(reports::RunContext& ctx) override;
};
