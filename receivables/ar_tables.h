// The receivable reports' rows as data tables: the XML data files the templates print
// ("agedrc.xml", "aracc.xml", "arnotes.xml") and the sheets of the spreadsheet export.
#pragma once

#include "host/output/report_table.h"
#include "receivables/ar_rows.h"

namespace ar {

// Accounts (or patients of the by-patient report) with their aged amounts, then a total
// row "T". The quick list and the summary-only report list no account: only the total.
host::output::ReportTable AccountsTable(const ARData& data);
// The summary: a row per producer, the additional amounts when there are any, and the
// total rows "T" (patients, insurance, total).
host::output::ReportTable SummaryTable(const ARData& data);
// The A/R notes of the listed accounts.
host::output::ReportTable NotesTable(const ARData& data);

// The criteria line under the titles: "(overdue, Solde Min. $x, En Date du : date)" or
// "(overdue, En Date du : date)".
std::string CriteriaLine(const arrpt_info& info);

}  // namespace ar
