#include "receivables/ar_run.h"

#include <memory>

#include "host/base/strings.h"
#include "host/output/progress.h"
#include "host/ui/reportdlg.h"
#include "receivables/ar_collect.h"
#include "receivables/ar_reports.h"
#include "receivables/ar_tables.h"

namespace {

constexpr int kMeterAccount = 6585;
constexpr int kMeterPatient = 6586;
constexpr int kMeterSummary = 6587;
constexpr int kQuickMeter = 6594;

}  // namespace

ARReportRun::ARReportRun(const arrpt_info& criteria, bool quick, short copies)
    : criteria_(criteria),
      quick_(quick),
      copies_(copies),
      accounts_(ar::AccountsTable(data_)),
      summary_(ar::SummaryTable(data_)),
      notes_(ar::NotesTable(data_)) {
    data_.criteria = criteria;
    data_.quick = quick;
}

std::string ARReportRun::MeterTitle() const {
    if (quick_) return host::LoadText(kQuickMeter);
    const int kind = criteria_.kind;
    return host::LoadText(kind == 1 ? kMeterPatient : kind == 2 ? kMeterSummary : kMeterAccount);
}

void ARReportRun::BuildTables() {
    accounts_ = ar::AccountsTable(data_);
    summary_ = ar::SummaryTable(data_);
    notes_ = ar::NotesTable(data_);
}

bool ARReportRun::Collect(reports::RunContext& ctx) {
    ar::CollectRequest request;
    request.criteria = criteria_;
    request.quick = quick_;
    request.launcher = ctx.launcher;
    request.meter = ctx.meter;
    std::string error;
    if (!reports::Settle(ctx, ar::Collect(request, &data_, &error), error)) return false;
    BuildTables();
    return true;
}

bool ARReportRun::Print(reports::RunContext& ctx) {
    std::unique_ptr<ARQuickRptObj> report;
    TWindow* parent = ctx.dialog;
    if (quick_)
        report = std::make_unique<ARQuickRptObj>(ctx.launcher, parent, data_, ctx.text,
                                                 ctx.interactive, 1);
    else if (criteria_.kind == 1)
        report = std::make_unique<ARPatRptObj>(ctx.launcher, parent, data_, ctx.text,
                                               ctx.interactive, copies_);
    else
        report = std::make_unique<ARAccRptObj>(ctx.launcher, parent, data_, ctx.text,
                                               ctx.interactive, copies_);
    return reports::PrintPages(*report, ctx);
}

std::vector<reports::DataFile> ARReportRun::DataFiles() const {
    std::vector<reports::DataFile> files;
    if (quick_) return {{"\\XML\\arquick.xml", &accounts_}};
    reports::DataFile accounts{"\\XML\\agedrc.xml", &accounts_};
    reports::DataFile summary{"\\XML\\aracc.xml", &summary_};
    if (criteria_.kind == 2)
        files = {summary, accounts};
    else
        files = {accounts, summary};
    if (criteria_.notes) files.push_back({"\\XML\\arnotes.xml", &notes_});
    return files;
}

std::string ARReportRun::TemplateName() const {
    return !quick_ && criteria_.kind == 2 ? "aracc.rpt" : "";
}
