// The appointment list on pages (ApptListObj): a heading per day and per producer, a line
// per appointment, the producer's and the day's totals and the list's; as a data table
// ("\XML\apptlist.xml", template apptlist.rpt); and one run of the report.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "common/report_run.h"
#include "followup/apptlist_collect.h"
#include "host/output/ovreport.h"
#include "host/output/report_table.h"

class ApptListObj : public OvReportObj {
  public:
    ApptListObj(LauncherInfo* launcher, TWindow* parent, const apptlist::ApptData& data,
                bool show_meter, FILE* out);

    void SetColumns() override;
    bool InitialCriteria() override;
    bool MatchCriteria() override;
    bool ContinueCriteria() override;
    int GetLineReq() override;
    int PrintDetail(int line) override;
    int PrintSubTitle(int line) override;
    std::string GetTitleStr(int i) override;
    bool EndReport(int line) override;
    long GetMaxMeterCount() override;
    std::string GetMeterTitle() override;

    static constexpr int kCols[10] = {0, 7, 14, 20, 50, 60, 78, 84, 110, 115};

  private:
    struct Pos {
        size_t day, producer, row;
    };
    const apptlist::ProducerGroup& Group(const Pos& p) const;
    bool StartsDay() const;
    bool StartsProducer() const;
    // The total lines of the group that the previous line ended, then of its day when the
    // day ended too; returns the next free line.
    int CloseGroups(int line, bool day_ends);
    int PrintTotal(int line, const std::string& label, size_t count, int64_t units);

    const apptlist::ApptData& data_;
    std::vector<Pos> pos_;
    size_t i_ = 0;
    size_t printed_ = 0;  // the position whose groups are still open
};

namespace apptlist {
// "08:30" for 830.
std::string TimeText(int hhmm);
host::output::ReportTable ApptTable(const ApptData& data);
}  // namespace apptlist

class ApptListReportRun
    : public reports::TableReportRun<apptlist::CollectRequest, apptlist::ApptData> {
  public:
    explicit ApptListReportRun(const apptlist::Criteria& criteria);

    std::string MeterTitle() const override;
    bool Print(reports::RunContext& ctx) override;
};

namespace apptlist {

// The day's list as the day-end's closing prints it: default criteria, to the printer
// ("apptlist.pdf" in the output folder). With a copy folder, the same pages are also kept
// there as "Schedule.pdf", written beside and moved into place so that nobody opens half a
// copy. False with *error when the list or its copy could not be written.
bool PrintDayList(LauncherInfo* launcher, long day, const std::string& copy_folder,
                  std::string* error);

}  // namespace apptlist
