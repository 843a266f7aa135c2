#include "insurance/insar_run.h"

#include <memory>

#include "host/base/strings.h"
#include "host/ui/reportdlg.h"
#include "insurance/insar_collect.h"
#include "insurance/insar_reports.h"
#include "insurance/insar_tables.h"

namespace {

constexpr int kProgress = 6431;

}  // namespace

InsARReportRun::InsARReportRun(const insarrpt_info& criteria, int mode)
    : criteria_(criteria),
      mode_(mode),
      claims_(insar::ClaimsTable(data_, criteria.kind == 0)),
      totals_(insar::TotalsTable(data_)) {}

std::string InsARReportRun::MeterTitle() const {
    return host::LoadText(kProgress);
}

bool InsARReportRun::Collect(reports::RunContext& ctx) {
    insar::CollectRequest request;
    request.criteria = criteria_;
    request.mode = mode_;
    request.launcher = ctx.launcher;
    request.meter = ctx.meter;
    std::string error;
    if (!reports::Settle(ctx, insar::Collect(request, &data_, &error), error)) return false;
    claims_ = insar::ClaimsTable(data_, criteria_.kind == 0);
    totals_ = insar::TotalsTable(data_);
    return true;
}

bool InsARReportRun::Print(reports::RunContext& ctx) {
    std::unique_ptr<InsARSumRpt> report;
    const short copies = criteria_.copies < 1 ? 1 : criteria_.copies;
    if (criteria_.kind == 2)
        report = std::make_unique<InsPrnTotOnlyRpt>(ctx.launcher, ctx.dialog, data_, ctx.text,
                                                    copies, ctx.interactive);
    else if (criteria_.kind == 1)
        report = std::make_unique<InsARClaimRpt>(ctx.launcher, ctx.dialog, data_, ctx.text, copies,
                                                 ctx.interactive);
    else
        report = std::make_unique<InsARDetailRpt>(ctx.launcher, ctx.dialog, data_, ctx.text, copies,
                                                  ctx.interactive);
    return reports::PrintPages(*report, ctx);
}

std::vector<reports::DataFile> InsARReportRun::DataFiles() const {
    const char* main = criteria_.kind == 2   ? "\\XML\\instotonly.xml"
                       : criteria_.kind == 1 ? "\\XML\\insarsum.xml"
                                             : "\\XML\\insardet.xml";
    if (criteria_.kind == 2) return {{main, &totals_}, {"\\XML\\insartot.xml", &totals_}};
    return {{main, &claims_}, {"\\XML\\insartot.xml", &totals_}};
}

std::string InsARReportRun::TemplateName() const {
    return criteria_.kind == 2   ? "instotonly.rpt"
           : criteria_.kind == 1 ? "insarsum.rpt"
                                 : "insardet.rpt";
}
