// Reading the rows of the closing reports' statements: a fetched column as trimmed text, a
// number or a one-letter flag, a billing doctor's producer code, and a statement over a
// list of ids run a batch at a time. Shared by the day-end and month-end collectors.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace host {
class GenDB;
}

namespace rowread {

std::string Field(host::GenDB* db, int col, int cursor);
long Long(host::GenDB* db, int col, int cursor);
// The column's first character, ' ' when it is empty.
char Char(host::GenDB* db, int col, int cursor);
// "D" and the billing doctor's code ("01" -> "D01"); "" for none.
std::string DrCode(const std::string& billdr);
// Runs "<select> IN (ids)" a batch at a time (each id once), calling row for each row.
bool ForIds(host::GenDB* db, const std::string& select, std::vector<long> ids, int cursor,
            size_t batch, const std::function<void()>& row);

}  // namespace rowread
