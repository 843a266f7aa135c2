// The receivable criteria record: what the receivable dialogs hand to the receivable
// report objects, and what the option object keeps as the practice's defaults.
#pragma once

struct arrpt_info {
    char producer[4] = "*";  // producer code, "*" = every producer
    long as_of = 0;          // aging date, YYYYMMDD
    long min_balance = 0;    // cents
    short overdue_num = 0;   // the number the overdue text begins with, set at run time
    char overdue_text[50] = "";
    int kind = 0;      // 0 account balances, 1 patient balances, 2 summary totals only
    int grouping = 0;  // 0 by billing doctor, 1 by producer
    int option111 = 0;
    int notes = 0;  // also export the receivable notes
    short copies = 1;
    bool report_by_producer = false;  // the report-by list is on its second entry
    char reserved1 = '\0';            // kept with the record, no meaning of its own
    char reserved4[4] = {};           // kept with the record, no meaning of its own
    char future = 'N';                // 'Y' shows the amounts dated after the as-of date
};
