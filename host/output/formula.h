// The formula language of record selections and named formulas:
//   fields {table.FIELD} (or {FIELD}), named formulas {@name}, numbers, 'single' and
//   "double" quoted strings (a doubled quote stands for one), true, false;
//   = <> < <= > >=, and, or, not, parentheses, + (numbers add, strings join), - * /, &
//   (joins as text), x in a to b, x in [a, b, ...], s[n] (character n of s, from 1);
//   IsNull, Length, Trim, TrimLeft, TrimRight, UpperCase, LowerCase, LooksLike(s, mask)
//   with * and ?, Round(x[, decimals]), Chr(n), ToText(x[, decimals]); // comments.
// Keywords and function names are matched without regard to case.
//
// Values are null, numbers, texts or logical values. Numbers are always finite: a result
// out of range is an error; Round to more places than a number holds leaves it as it is.
// A field's text counts as a number where a number is expected when it reads as one ("12",
// "-3.50"); the empty text of a field compared with a number is null. Null propagates
// through operators and functions (IsNull excepted); and/or follow three-valued logic. A
// record is selected only when the selection gives true.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace host::formula {

struct Value {
    enum class Kind { Null, Number, Text, Bool };
    Kind kind = Kind::Null;
    double number = 0;
    std::string text;
    bool boolean = false;
    bool from_field = false;  // a field's text: may act as a number

    static Value Null() { return {}; }
    static Value Num(double v);
    static Value Str(std::string v, bool from_field = false);
    static Value Logical(bool v);

    bool IsNull() const { return kind == Kind::Null; }
    // The value as a number: a number, or a field's text that reads as one.
    bool AsNumber(double* out) const;
    // The value as display text: numbers without decimals when whole, else two; logical
    // values "Vrai"/"Faux"; null is empty.
    std::string ToText() const;
};

// An error with the character position (from 1) where it was found.
struct Error {
    int position = 0;
    std::string message;
    // "position 12 : « ) » attendu"
    std::string Describe() const;
};

// Where field values come from (a database row, an XML row).
class FieldSource {
  public:
    virtual ~FieldSource() = default;
    // The value of {table.name} (table may be empty); false when there is no such field.
    virtual bool Field(std::string_view table, std::string_view name, Value* out) const = 0;
};

class FormulaSet;
class Evaluator;

// Bounds on what one formula may ask, so that no input hangs or exhausts the machine; each
// gives a French error naming it.
inline constexpr size_t kMaxFormulaLength = 65536;  // characters of a formula's text
inline constexpr size_t kMaxTextLength = 65536;     // bytes of a text value
inline constexpr int kMaxEvalDepth = 1000;          // nested operations, across named formulas
inline constexpr long kMaxSteps = 2000000;          // operations of one evaluation

// The values of the named formulas already computed on one record, so that each is
// evaluated once however often it is cited. Give the same memo to every evaluation on a
// record (its selection, groups, columns); Clear it, or take a new one, for the next record.
class RecordMemo {
  public:
    void Clear() { values_.clear(); }

  private:
    friend class Evaluator;
    std::map<std::string, Value, std::less<>> values_;
};

class Formula {
  public:
    Formula();
    ~Formula();
    Formula(Formula&&) noexcept;
    Formula& operator=(Formula&&) noexcept;

    // Parses text; false with *error (and an empty formula) on a syntax error. A blank
    // text is an empty formula.
    bool Parse(std::string_view text, Error* error);
    bool Empty() const { return root_ == nullptr; }
    const std::string& Text() const { return text_; }

    // Evaluates against a row (fields may be null: every field is then unknown) and the
    // named formulas (may be null). An empty formula gives null. memo (may be null) keeps
    // the named formulas' values of this row between evaluations.
    bool Evaluate(const FieldSource* fields, const FormulaSet* named, Value* out, Error* error,
                  RecordMemo* memo = nullptr) const;
    // Evaluates as a record selection: *selected is true only for a true result; an empty
    // formula selects every record. A result that is not logical is an error.
    bool Select(const FieldSource* fields, const FormulaSet* named, bool* selected, Error* error,
                RecordMemo* memo = nullptr) const;

    struct Node;

  private:
    friend class Evaluator;
    std::unique_ptr<Node> root_;
    std::string text_;
};

// Named formulas, referred to as {@name}; names match without regard to case.
class FormulaSet {
  public:
    // Parses and adds (or replaces) a formula; false with *error on a syntax error.
    bool Add(const std::string& name, const std::string& text, Error* error);
    const Formula* Find(std::string_view name) const;
    bool Contains(std::string_view name) const { return Find(name) != nullptr; }

  private:
    std::map<std::string, std::shared_ptr<Formula>> formulas_;
};

}  // namespace host::formula
