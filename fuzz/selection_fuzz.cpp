// Record selections as the template printer runs them, on records whose field texts come
// from the input: the first line holds the fields "NAME=value" separated by '|' ("NAME"
// alone is a NULL), the rest is the selection. Besides crashes and hangs, it checks
// three-valued logic on the selection s: not (s) is its negation, s or not (s) is never
// false, and a record is selected only for a true result.
#include <optional>

#include "fuzz/fuzz_support.h"
#include "host/output/formula.h"

using host::formula::Error;
using host::formula::Formula;
using host::formula::Value;

namespace {

class Record : public host::formula::FieldSource {
  public:
    explicit Record(const std::string& line) {
        size_t start = 0;
        while (start <= line.size()) {
            size_t end = line.find('|', start);
            if (end == std::string::npos) end = line.size();
            const std::string item = line.substr(start, end - start);
            const size_t eq = item.find('=');
            if (eq == std::string::npos)
                fields_.emplace_back(item, std::nullopt);
            else
                fields_.emplace_back(item.substr(0, eq), item.substr(eq + 1));
            start = end + 1;
        }
    }
    bool Field(std::string_view, std::string_view name, Value* out) const override {
        for (const auto& [n, v] : fields_)
            if (n == name) {
                *out = v ? Value::Str(*v, true) : Value::Null();
                return true;
            }
        *out = Value::Null();  // as an XML row: a missing column is null
        return true;
    }

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> fields_;
};

// -1 error, 0 null, 1 false, 2 true, 3 another kind of value.
int Logic(const Formula& f, const Record& r) {
    Value v;
    Error e;
    if (!f.Evaluate(&r, nullptr, &v, &e)) return -1;
    if (v.IsNull()) return 0;
    if (v.kind != Value::Kind::Bool) return 3;
    return v.boolean ? 2 : 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = fuzz::Text(data, size);
    const size_t nl = input.find('\n');
    const Record record(input.substr(0, nl));
    const std::string selection = nl == std::string::npos ? std::string() : input.substr(nl + 1);

    Formula s, negated, either;
    Error e;
    if (!s.Parse(selection, &e) || s.Empty()) {
        fuzz::Tally(s.Empty() && e.message.empty() ? "blank" : "refused with a message (syntax)");
        return 0;
    }
    bool selected = false;
    const bool ok = s.Select(&record, nullptr, &selected, &e);
    fuzz::Tally(ok ? "selected or not" : "refused with a message (evaluation)");
    const int value = Logic(s, record);
    fuzz::Check(ok == (value == 0 || value == 1 || value == 2), "Select and Evaluate disagree",
                selection);
    fuzz::Check(selected == (value == 2), "selected without a true result", selection);
    if (value < 0 || value == 3) return 0;

    // The same selection in parentheses parses (a bound on length could refuse it).
    if (!negated.Parse("not (" + selection + "\n)", &e)) return 0;
    if (!either.Parse("(" + selection + "\n) or not (" + selection + "\n)", &e)) return 0;
    const int n = Logic(negated, record);
    const int x = Logic(either, record);
    if (n < 0 || x < 0) return 0;  // a bound on the work reached by the longer formula
    fuzz::Check(n == (value == 0   ? 0
                      : value == 1 ? 2
                                   : 1),
                "not (s) is not the negation of s", selection);
    fuzz::Check(x == (value == 0 ? 0 : 2), "s or not (s) is false", selection);
    return 0;
}
