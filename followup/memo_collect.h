// The practice memo report's rows and collector: the memos (PATNOTE) due in a date range,
// one line per owner (a patient, a user or a producer), in the order the report prints
// them. The collector is the only code of this report that reads the database.
#pragma once

#include <string>
#include <vector>

#include "common/report_run.h"

class LauncherInfo;
class TMeter;

namespace memo {

// Owner kinds, which also order the sections of the report.
enum : int { kPatient = 2, kUser = 25, kProducer = 37, kScheduledUser = 65 };

struct MemoLine {
    long memo_id = 0;
    long due_date = 0;
    std::string type;  // "SCH", "MEMO", ...
    int kind = 0;      // owner kind
    long owner_id = 0;
    std::string first_name;
    std::string last_name;
    std::string text;  // the memo as stored (rich text or plain)
    std::string key;   // sort key (MemoKey)
};

struct MemoData {
    long from = 0;
    long to = 0;
    std::vector<MemoLine> lines;  // in key order
};

// The sort key: "%3d%8ld%-15.15s%-15.15s" (kind, due date, last name, first name); a
// user's scheduled memo ("SCH") takes kind 65 and "%3d%8ld", so that those come after
// every other memo, by date. Sets line->kind to 65 for those.
std::string MemoKey(MemoLine* line);

struct CollectRequest {
    long from = 0;
    long to = 0;
    int mode = -1;  // 1 one SQL union; other values walk the memo records; -1 the application's
    LauncherInfo* launcher = nullptr;
    TMeter* meter = nullptr;
};

using reports::Outcome;

Outcome Collect(const CollectRequest& request, MemoData* out, std::string* error);

// The memo's text as plain lines: rich text ("{\rtf...") loses its control words and
// groups, \par and \line break lines, \'hh gives the Windows-1252 character; plain text is
// split at its line breaks. Empty lines at the end are dropped.
std::vector<std::string> PlainLines(const std::string& stored);

}  // namespace memo
