// The insurance receivable criteria record, kept whole by the report option object as the
// practice's defaults of the insurance receivable report.
#pragma once

struct insarrpt_info {
    char doctor[61] = "";  // producer or billing doctor code, "*" = all
    char carrier[6] = "";  // insurance company code, "*" = all
    long as_of = 0;        // YYYYMMDD
    long min_balance = 0;  // cents
    short overdue_num = 0;
    char overdue_text[50] = "";
    int kind = 0;      // 0 treatment details, 1 claim summary, 2 totals only
    int grouping = 0;  // doctor grouping (radio buttons 110, 111)
    short copies = 0;
};
