#include "analysis/revdist_run.h"

#include <memory>

#include "analysis/revdist_collect.h"
#include "analysis/revdist_reports.h"
#include "analysis/revdist_tables.h"
#include "host/base/strings.h"
#include "host/ui/reportdlg.h"

namespace {

constexpr int kMeter = 12568;

}  // namespace

RevDistReportRun::RevDistReportRun(long report_date, int mode)
    : report_date_(report_date), mode_(mode), table_(revdist::DistributionTable(data_)) {}

void RevDistReportRun::SetSummByDoc(bool on, const std::string& billing_doctor) {
    by_doctor_ = on;
    doctor_ = billing_doctor;
}

std::string RevDistReportRun::MeterTitle() const {
    return host::LoadText(kMeter);
}

bool RevDistReportRun::Collect(reports::RunContext& ctx) {
    revdist::CollectRequest request;
    request.report_date = report_date_;
    request.by_doctor = by_doctor_;
    request.doctor = doctor_;
    request.mode = mode_;
    request.launcher = ctx.launcher;
    request.meter = ctx.meter;
    std::string error;
    if (!reports::Settle(ctx, revdist::Collect(request, &data_, &error), error)) return false;
    table_ = revdist::DistributionTable(data_);
    return true;
}

bool RevDistReportRun::Print(reports::RunContext& ctx) {
    RevDistObj report(ctx.launcher, ctx.dialog, data_, ctx.interactive, ctx.text);
    return reports::PrintPages(report, ctx);
}

std::vector<reports::DataFile> RevDistReportRun::DataFiles() const {
    return {{"\\XML\\revdist.xml", &table_}};
}
