// The formula parser and evaluator. The input is a formula, with named formulas on lines
// "@name=text" anywhere; what parses is evaluated on a record of numbers, texts, blanks and
// nulls. Besides crashes and hangs, it checks that a number is never infinite or NaN, that
// a memo shared with other evaluations of the record changes nothing, and that a
// selection agrees with the value it selects on.
#include <cmath>

#include "fuzz/fuzz_support.h"
#include "host/output/formula.h"

using host::formula::Error;
using host::formula::Formula;
using host::formula::FormulaSet;
using host::formula::RecordMemo;
using host::formula::Value;

namespace {

class Record : public host::formula::FieldSource {
  public:
    bool Field(std::string_view, std::string_view name, Value* out) const override {
        static const struct {
            const char* name;
            const char* value;  // null: NULL
        } kFields[] = {{"ID", "123"},        {"MONTANT", "-3.50"}, {"VIDE", ""},
                       {"NUL", nullptr},     {"NOM", "Tremblay"},  {"PRENOM", "émilie"},
                       {"DATE", "20241115"}, {"CODE", "  01202"}};
        for (const auto& f : kFields)
            if (name == f.name) {
                *out = f.value ? Value::Str(f.value, true) : Value::Null();
                return true;
            }
        return false;
    }
};

// The outcome as one comparable text.
std::string Outcome(bool ok, const Value& v, const Error& e) {
    if (!ok) return "error " + e.Describe();
    if (v.kind == Value::Kind::Number)
        fuzz::Check(std::isfinite(v.number), "a number that is not finite", v.ToText());
    return std::to_string(static_cast<int>(v.kind)) + ":" + v.ToText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = fuzz::Text(data, size);
    FormulaSet named;
    std::string text;
    size_t start = 0;
    while (start <= input.size()) {
        size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        const std::string line = input.substr(start, end - start);
        const size_t eq = line.find('=');
        Error e;
        if (line.size() > 1 && line[0] == '@' && eq != std::string::npos)
            named.Add(line.substr(1, eq - 1), line.substr(eq + 1), &e);
        else
            text += line + "\n";
        start = end + 1;
    }

    Formula f;
    Error e;
    if (!f.Parse(text, &e)) {
        fuzz::Check(e.position >= 1 && !e.message.empty(), "a syntax error without its place");
        fuzz::Tally("refused with a message (syntax)");
        return 0;
    }
    if (f.Empty()) return 0;  // a blank formula: null, and it selects every record
    const Record record;
    Value alone;
    Error alone_error;
    const bool alone_ok = f.Evaluate(&record, &named, &alone, &alone_error);
    const std::string first = Outcome(alone_ok, alone, alone_error);
    if (!alone_ok)
        fuzz::Check(!alone_error.message.empty(), "an evaluation error without a message");
    fuzz::Tally(alone_ok ? "evaluated" : "refused with a message (evaluation)");

    // Again with a memo that earlier evaluations of the record filled.
    RecordMemo memo;
    Formula other;
    if (other.Parse("{@a} & {@b} & {@c}", &e)) {
        Value ignored;
        other.Evaluate(&record, &named, &ignored, &e, &memo);
    }
    Value shared;
    Error shared_error;
    const bool shared_ok = f.Evaluate(&record, &named, &shared, &shared_error, &memo);
    fuzz::Check(Outcome(shared_ok, shared, shared_error) == first, "the memo changed the value",
                first);

    bool selected = false;
    Error select_error;
    const bool select_ok = f.Select(&record, &named, &selected, &select_error, &memo);
    if (alone_ok) {
        const bool logical = alone.kind == Value::Kind::Bool || alone.IsNull();
        fuzz::Check(select_ok == logical, "a selection that disagrees with its value", first);
        if (select_ok)
            fuzz::Check(selected == (alone.kind == Value::Kind::Bool && alone.boolean),
                        "a selection that disagrees with its value", first);
    }
    return 0;
}
