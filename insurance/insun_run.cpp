#include "insurance/insun_run.h"

#include "host/base/strings.h"
#include "host/ui/reportdlg.h"
#include "insurance/insun_reports.h"

namespace {

constexpr int kProgress = 6401;

}  // namespace

InsUnResolvedRun::InsUnResolvedRun(const insun::Criteria& criteria)
    : criteria_(criteria), table_(insun::ClaimsTable(data_)) {}

std::string InsUnResolvedRun::MeterTitle() const {
    return host::LoadText(kProgress);
}

bool InsUnResolvedRun::Collect(reports::RunContext& ctx) {
    std::string error;
    switch (insun::Collect(criteria_, ctx.launcher, ctx.meter, &data_, &error)) {
        case insun::Outcome::Done:
            table_ = insun::ClaimsTable(data_);
            return true;
        case insun::Outcome::Cancelled:
            ctx.cancelled = true;
            return false;
        case insun::Outcome::Failed:
            ctx.error = error;
            return false;
    }
    return false;
}

bool InsUnResolvedRun::Print(reports::RunContext& ctx) {
    InsUnresolvedObj report(ctx.launcher, ctx.dialog, data_, ctx.interactive, ctx.text);
    report.SetDocumentName(ctx.document);
    report.SetAutomation(ctx.output_choice, false);
    const bool ok = report.PrintReport();
    if (report.ReportCanceled()) ctx.cancelled = true;
    return ok;
}

std::vector<reports::DataFile> InsUnResolvedRun::DataFiles() const {
    return {{"\\XML\\insun.xml", &table_}};
}
