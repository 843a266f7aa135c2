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
    : TableReportRun({.report_date = report_date, .by_doctor = false, .doctor = {}, .mode = mode},
                     &revdist::Collect, &revdist::DistributionTable, "\\XML\\revdist.xml") {}

void RevDistReportRun::SetSummByDoc(bool on, const std::string& billing_doctor) {
    request_.by_doctor = on;
    request_.doctor = billing_doctor;
}

std::string RevDistReportRun::MeterTitle() const {
    return host::LoadText(kMeter);
}

bool RevDistReportRun::Print(reports::RunContext& ctx) {
    RevDistObj report(ctx.launcher, ctx.dialog, data_, ctx.interactive, ctx.text);
    return reports::PrintPages(report, ctx);
}
