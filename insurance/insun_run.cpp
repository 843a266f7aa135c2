#include "insurance/insun_run.h"

#include "host/base/strings.h"
#include "host/ui/reportdlg.h"
#include "insurance/insun_reports.h"

namespace {

constexpr int kProgress = 6401;

}  // namespace

InsUnResolvedRun::InsUnResolvedRun(const insun::Criteria& criteria, int mode)
    : criteria_(criteria), mode_(mode), table_(insun::ClaimsTable(data_)) {}

std::string InsUnResolvedRun::MeterTitle() const {
    return host::LoadText(kProgress);
}

bool InsUnResolvedRun::Collect(reports::RunContext& ctx) {
    std::string error;
    if (!reports::Settle(
            ctx, insun::Collect(criteria_, ctx.launcher, ctx.meter, &data_, &error, mode_), error))
        return false;
    table_ = insun::ClaimsTable(data_);
    return true;
}

bool InsUnResolvedRun::Print(reports::RunContext& ctx) {
    InsUnresolvedObj report(ctx.launcher, ctx.dialog, data_, ctx.interactive, ctx.text);
    return reports::PrintPages(report, ctx);
}

std::vector<reports::DataFile> InsUnResolvedRun::DataFiles() const {
    return {{"\\XML\\insun.xml", &table_}};
}
