// Literal lifting (host/db/sqlnorm): any text through the public entry point, with '?'
// and '$n' placeholders, lifting on and off, with and without explicit parameters, and the
// values written back in as literals (COPY's text). Crashes, hangs, sanitizer reports and
// one property: text with its values written in reads as well-formed again, since a value's
// quotes must never open or close anything. The rest is the database suites' business.
#include "fuzz/fuzz_support.h"
#include "host/db/sqlnorm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string sql = fuzz::Text(data, size);
    const std::vector<host::SqlValue> params = {host::SqlValue(12), host::SqlValue("l'île"),
                                                host::SqlValue()};
    fuzz::Tally(host::NormalizeSql(sql, false).liftable ? "one statement, lifted"
                                                        : "left as it is");
    for (bool dollar : {false, true}) {
        host::NormalizeSql(sql, dollar, true);
        host::NormalizeSql(sql, dollar, false);
        const host::NormalizedSql n = host::NormalizeSql(sql, dollar, true, &params);
        if (!n.error.empty() || !dollar) continue;
        const std::string inlined =
            host::InlineParams(n, [](const host::SqlValue& v) { return v.s; });
        if (!host::NormalizeSql(inlined, true, false).error.empty()) __builtin_trap();
    }
    return 0;
}
