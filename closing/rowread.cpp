#include "closing/rowread.h"

#include <algorithm>

#include "host/base/text.h"
#include "host/db/gendb.h"

namespace rowread {

namespace {

// The cursor when it is open and has the column; null otherwise (the column reads empty).
const host::DbCursor* At(host::GenDB* db, int col, int cursor) {
    const host::DbCursor* c = db->Cursor(cursor);
    return c && col >= 1 && col <= c->Columns() ? c : nullptr;
}

std::string_view Trimmed(host::GenDB* db, int col, int cursor) {
    const host::DbCursor* c = At(db, col, cursor);
    return c ? host::TrimView(c->Text(col)) : std::string_view();
}

}  // namespace

std::string Field(host::GenDB* db, int col, int cursor) {
    return std::string(Trimmed(db, col, cursor));
}

long Long(host::GenDB* db, int col, int cursor) {
    const host::DbCursor* c = At(db, col, cursor);
    return c ? static_cast<long>(c->Int(col)) : 0;
}

char Char(host::GenDB* db, int col, int cursor) {
    const std::string_view s = Trimmed(db, col, cursor);
    return s.empty() ? ' ' : s[0];
}

std::string DrCode(const std::string& billdr) {
    return billdr.empty() ? std::string() : "D" + billdr;
}

bool ForIds(host::GenDB* db, const std::string& select, std::vector<long> ids, int cursor,
            size_t batch, const std::function<void()>& row) {
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return host::SelectByIds(*db, ids, select + " IN (", cursor, batch, row);
}

}  // namespace rowread
