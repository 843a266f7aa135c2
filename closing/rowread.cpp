#include "closing/rowread.h"

#include <algorithm>

#include "host/base/text.h"
#include "host/db/gendb.h"

namespace rowread {

std::string Field(host::GenDB* db, int col, int cursor) {
    std::string s;
    db->dbGetField(col, &s, cursor);
    return host::Trim(s);
}

long Long(host::GenDB* db, int col, int cursor) {
    long v = 0;
    db->dbGetLong(col, &v, cursor);
    return v;
}

char Char(host::GenDB* db, int col, int cursor) {
    const std::string s = Field(db, col, cursor);
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
