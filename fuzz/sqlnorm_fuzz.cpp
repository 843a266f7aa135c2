// Literal lifting (host/db/sqlnorm): any text through the public entry point, with '?'
// and '$n' placeholders, lifting on and off, with and without explicit parameters.
// Crashes, hangs and sanitizer reports only: what the rewritten text must be is the
// database suites' business.
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
        host::NormalizeSql(sql, dollar, true, &params);
    }
    return 0;
}
