// Amounts are signed integers of cents. Stored amounts fit 32 bits; totals and
// accumulators are 64-bit (int64_t) so that a large practice cannot overflow them.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

// "1,234.56" (thousands separated by commas, "-" for a negative amount), right-aligned in
// `width` characters when width > 0. buf must hold max(width, 32) + 1 bytes. Returns buf.
char* MakeNumericFormat(int64_t cents, char* buf, int width);
// The same without thousands separators: "1234.56".
char* MakeNoCommaNumFormat(int64_t cents, char* buf, int width);

namespace host {

std::string FormatAmount(int64_t cents, int width = 0, bool commas = true);
// Reads "1234.56", "1,234.56", "-12", "12,5" (decimal comma), "$ 3.10"; false on anything
// else or an amount beyond 32 bits.
bool ParseAmount(const std::string& text, int64_t* cents);
// True when a value fits a stored 32-bit column (INTEGER): amounts, counts.
constexpr bool FitsStoredInt(int64_t v) {
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}
// The message that refuses a value read from a table beyond that range, naming the table,
// the row (its identifier) and the column.
std::string StoredValueOutOfRange(std::string_view table, std::string_view column, int64_t row_id,
                                  int64_t value);
// cents * percent / 100, rounded half away from zero, in 64-bit arithmetic.
int64_t PercentOf(int64_t cents, double percent);

}  // namespace host
