// The insurance receivable report as data tables, for the XML data files and the
// spreadsheet export: the claims (one row per treatment in the details form, per claim in
// the others) and the totals (rows "C" per carrier, "D" per doctor, "P" the practice).
#pragma once

#include "host/output/report_table.h"
#include "insurance/insar_rows.h"

namespace insar {

host::output::ReportTable ClaimsTable(const InsARData& data, bool details);
host::output::ReportTable TotalsTable(const InsARData& data);

}  // namespace insar
