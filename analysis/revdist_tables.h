// The revenue distribution as a data table: one row per rule and, after each group's
// rules, the group's totals (rows marked "T"). It feeds the XML data file and the
// spreadsheet export.
#pragma once

#include "analysis/revdist_rows.h"
#include "host/output/report_table.h"

namespace revdist {

host::output::ReportTable DistributionTable(const RevDistData& data);

}  // namespace revdist
