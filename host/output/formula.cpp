#include "host/output/formula.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "host/base/text.h"
#include "host/output/page.h"

namespace host::formula {

// --- Values ---

Value Value::Num(double v) {
    Value r;
    r.kind = Kind::Number;
    r.number = v;
    return r;
}

Value Value::Str(std::string v, bool field) {
    Value r;
    r.kind = Kind::Text;
    r.text = std::move(v);
    r.from_field = field;
    return r;
}

Value Value::Logical(bool v) {
    Value r;
    r.kind = Kind::Bool;
    r.boolean = v;
    return r;
}

namespace {

// Reads the whole of text as a decimal number ("12", "-3.50", " 7 "); false otherwise.
bool ReadNumber(const std::string& text, double* out) {
    const std::string t = host::Trim(text);
    if (t.empty()) return false;
    size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    bool digits = false, dot = false;
    for (; i < t.size(); ++i) {
        if (t[i] >= '0' && t[i] <= '9') {
            digits = true;
        } else if (t[i] == '.' && !dot) {
            dot = true;
        } else {
            return false;
        }
    }
    if (!digits) return false;
    *out = std::strtod(t.c_str(), nullptr);
    return true;
}

// "65 536": digits in groups of three, as the messages write counts.
std::string Grouped(size_t n) {
    std::string digits = std::to_string(n);
    for (size_t i = digits.size(); i > 3; i -= 3)
        digits.insert(i - 3, " ");
    return digits;
}

// A number as text with `decimals` places (automatic when negative: none when whole, else
// two; at most ten). Every integer digit is written: past the 17 significant digits that a
// number holds they are zeros, so a 70-digit number prints 70 digits.
std::string NumberText(double v, int decimals) {
    if (!std::isfinite(v)) return {};
    if (decimals < 0) decimals = (std::fabs(v - std::round(v)) < 1e-9) ? 0 : 2;
    if (decimals > 10) decimals = 10;
    std::string s;
    if (std::fabs(v) >= 1e17) {
        char buf[40];  // "-1.2345678901234568e+69"
        std::snprintf(buf, sizeof buf, "%.16e", v);
        const char* p = buf;
        if (*p == '-') s += *p++;
        std::string digits;
        for (; *p && *p != 'e'; ++p)
            if (*p != '.') digits += *p;
        const long exponent = *p == 'e' ? std::strtol(p + 1, nullptr, 10) : 0;
        s += digits;
        if (exponent + 1 > static_cast<long>(digits.size()))
            s.append(static_cast<size_t>(exponent + 1) - digits.size(), '0');
        if (decimals > 0) s += "." + std::string(static_cast<size_t>(decimals), '0');
    } else {
        char buf[64];  // below 1e17 with at most ten places: 30 characters at most
        std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
        s = buf;
    }
    if (s == "-0" || s.rfind("-0.", 0) == 0) {
        // No negative zero in print.
        bool zero = true;
        for (char c : s)
            if (c >= '1' && c <= '9') zero = false;
        if (zero) s.erase(0, 1);
    }
    return s;
}

// Character position (from 1) of byte offset `offset` of text.
int CharPosition(std::string_view text, size_t offset) {
    if (offset > text.size()) offset = text.size();
    return static_cast<int>(host::U8Length(text.substr(0, offset))) + 1;
}

std::string UpperName(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

}  // namespace

bool Value::AsNumber(double* out) const {
    if (kind == Kind::Number) {
        *out = number;
        return true;
    }
    if (kind == Kind::Text && from_field) return ReadNumber(text, out);
    return false;
}

std::string Value::ToText() const {
    switch (kind) {
        case Kind::Null:
            return {};
        case Kind::Number:
            return NumberText(number, -1);
        case Kind::Text:
            return text;
        case Kind::Bool:
            return boolean ? "Vrai" : "Faux";
    }
    return {};
}

std::string Error::Describe() const {
    return "position " + std::to_string(position) + " : " + message;
}

// --- Syntax tree ---

struct Formula::Node {
    enum class Op {
        Literal,
        Field,
        FormulaRef,
        Not,
        Neg,
        And,
        Or,
        Eq,
        Ne,
        Lt,
        Le,
        Gt,
        Ge,
        Sum,      // kids joined left to right by the operators of links: + - &
        Product,  // likewise: * /
        Add,      // operators of a link
        Sub,
        Mul,
        Div,
        Concat,
        InRange,
        InList,
        Subscript,
        Call
    };
    Op op = Op::Literal;
    size_t pos = 0;  // byte offset in the formula text
    int depth = 1;   // height of the subtree
    Value literal;
    std::string table, name;  // field, formula or function name
    std::vector<std::unique_ptr<Node>> kids;
    // Sum and Product: the operator before kids[i + 1] and its offset. Long lists of terms
    // stay one node, so that a sum of 400 amounts is not 400 levels deep.
    struct Link {
        Op op;
        size_t pos;
    };
    std::vector<Link> links;
};

namespace {

using Node = Formula::Node;
using Op = Node::Op;

struct FunctionInfo {
    const char* name;
    int min_args, max_args;
};

constexpr FunctionInfo kFunctions[] = {
    {"ISNULL", 1, 1},    {"LENGTH", 1, 1},    {"TRIM", 1, 1},      {"TRIMLEFT", 1, 1},
    {"TRIMRIGHT", 1, 1}, {"UPPERCASE", 1, 1}, {"LOWERCASE", 1, 1}, {"LOOKSLIKE", 2, 2},
    {"ROUND", 1, 2},     {"CHR", 1, 1},       {"TOTEXT", 1, 2},
};

const FunctionInfo* FindFunction(const std::string& upper) {
    for (const FunctionInfo& f : kFunctions)
        if (upper == f.name) return &f;
    return nullptr;
}

// --- Tokens ---

struct Token {
    enum class Kind { End, Number, String, Field, Ident, Op } kind = Kind::End;
    std::string text;  // operator, identifier, string contents, field contents
    double number = 0;
    size_t pos = 0;
};

struct SyntaxError {
    size_t pos;
    std::string message;
};

class Lexer {
  public:
    explicit Lexer(std::string_view text) : s_(text) {}

    Token Next() {
        SkipBlanks();
        Token t;
        t.pos = i_;
        if (i_ >= s_.size()) return t;
        const char c = s_[i_];
        if (c >= '0' && c <= '9') return ReadNumberToken(t);
        if (c == '\'' || c == '"') return ReadString(t, c);
        if (c == '{') return ReadField(t);
        if (IsIdentStart(c)) {
            t.kind = Token::Kind::Ident;
            while (i_ < s_.size() && IsIdentPart(s_[i_]))
                t.text += s_[i_++];
            return t;
        }
        static const char* const kOps[] = {"<>", "<=", ">=", "(", ")", "[", "]", ",",
                                           "=",  "<",  ">",  "+", "-", "*", "/", "&"};
        for (const char* op : kOps) {
            const std::string_view o(op);
            if (s_.substr(i_, o.size()) == o) {
                t.kind = Token::Kind::Op;
                t.text = op;
                i_ += o.size();
                return t;
            }
        }
        const std::vector<std::string> chars = host::output::SplitChars(s_.substr(i_, 4));
        throw SyntaxError{i_, "caractère inattendu « " + host::ToValidUtf8(chars.front()) + " »"};
    }

  private:
    static bool IsIdentStart(char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    }
    static bool IsIdentPart(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }

    void SkipBlanks() {
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++i_;
            } else if (c == '/' && i_ + 1 < s_.size() && s_[i_ + 1] == '/') {
                while (i_ < s_.size() && s_[i_] != '\n')
                    ++i_;
            } else {
                break;
            }
        }
    }

    Token ReadNumberToken(Token& t) {
        t.kind = Token::Kind::Number;
        const size_t start = i_;
        while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9')
            ++i_;
        if (i_ + 1 < s_.size() && s_[i_] == '.' && s_[i_ + 1] >= '0' && s_[i_ + 1] <= '9') {
            ++i_;
            while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9')
                ++i_;
        }
        t.text = std::string(s_.substr(start, i_ - start));
        t.number = std::strtod(t.text.c_str(), nullptr);
        if (!std::isfinite(t.number)) throw SyntaxError{start, "nombre hors limites"};
        return t;
    }

    Token ReadString(Token& t, char quote) {
        t.kind = Token::Kind::String;
        const size_t start = i_++;
        for (;;) {
            if (i_ >= s_.size()) throw SyntaxError{start, "texte non terminé"};
            if (s_[i_] == quote) {
                if (i_ + 1 < s_.size() && s_[i_ + 1] == quote) {
                    t.text += quote;
                    i_ += 2;
                    continue;
                }
                ++i_;
                return t;
            }
            t.text += s_[i_++];
        }
    }

    Token ReadField(Token& t) {
        t.kind = Token::Kind::Field;
        const size_t start = i_++;
        const size_t end = s_.find('}', i_);
        if (end == std::string_view::npos) throw SyntaxError{start, "« } » manquant"};
        t.text = host::Trim(s_.substr(i_, end - i_));
        i_ = end + 1;
        if (t.text.empty() || t.text == "@") throw SyntaxError{start, "nom de champ vide"};
        return t;
    }

    std::string_view s_;
    size_t i_ = 0;
};

// --- Parser ---

// Limits that keep the parser's and the evaluator's recursion shallow whatever the input:
// nested parentheses, negations and signs, and the height of the tree (which subscripts
// chained on one value also raise).
constexpr int kMaxDepth = 200;
constexpr int kMaxTreeDepth = 400;

// Makes child a sub-expression of parent.
void Adopt(Node* parent, std::unique_ptr<Node> child) {
    if (child->depth + 1 > kMaxTreeDepth) throw SyntaxError{parent->pos, "formule trop imbriquée"};
    parent->depth = std::max(parent->depth, child->depth + 1);
    parent->kids.push_back(std::move(child));
}

class Parser {
  public:
    explicit Parser(std::string_view text) : lex_(text) { Advance(); }

    std::unique_ptr<Node> ParseAll() {
        auto root = ParseOr();
        if (tok_.kind != Token::Kind::End) throw SyntaxError{tok_.pos, "fin de formule attendue"};
        return root;
    }

  private:
    void Advance() { tok_ = lex_.Next(); }
    bool IsOp(const char* op) const { return tok_.kind == Token::Kind::Op && tok_.text == op; }
    bool IsWord(const char* word) const {
        return tok_.kind == Token::Kind::Ident && UpperName(tok_.text) == word;
    }
    void Expect(const char* op) {
        if (!IsOp(op)) throw SyntaxError{tok_.pos, std::string("« ") + op + " » attendu"};
        Advance();
    }

    static std::unique_ptr<Node> Make(Op op, size_t pos) {
        auto n = std::make_unique<Node>();
        n->op = op;
        n->pos = pos;
        return n;
    }
    static std::unique_ptr<Node> Binary(Op op, size_t pos, std::unique_ptr<Node> a,
                                        std::unique_ptr<Node> b) {
        auto n = Make(op, pos);
        Adopt(n.get(), std::move(a));
        Adopt(n.get(), std::move(b));
        return n;
    }

    struct DepthGuard {
        DepthGuard(int& depth, size_t pos) : d(depth) {
            if (++d > kMaxDepth) throw SyntaxError{pos, "formule trop imbriquée"};
        }
        ~DepthGuard() { --d; }
        int& d;
    };

    // a or b or ...: one node whatever the number of terms.
    std::unique_ptr<Node> ParseOr() {
        DepthGuard guard(depth_, tok_.pos);
        auto first = ParseAnd();
        if (!IsWord("OR")) return first;
        auto n = Make(Op::Or, tok_.pos);
        Adopt(n.get(), std::move(first));
        while (IsWord("OR")) {
            Advance();
            Adopt(n.get(), ParseAnd());
        }
        return n;
    }

    std::unique_ptr<Node> ParseAnd() {
        auto first = ParseNot();
        if (!IsWord("AND")) return first;
        auto n = Make(Op::And, tok_.pos);
        Adopt(n.get(), std::move(first));
        while (IsWord("AND")) {
            Advance();
            Adopt(n.get(), ParseNot());
        }
        return n;
    }

    std::unique_ptr<Node> ParseNot() {
        if (!IsWord("NOT")) return ParseComparison();
        DepthGuard guard(depth_, tok_.pos);
        auto n = Make(Op::Not, tok_.pos);
        Advance();
        Adopt(n.get(), ParseNot());
        return n;
    }

    std::unique_ptr<Node> ParseComparison() {
        auto left = ParseSum();
        static const std::pair<const char*, Op> kCompare[] = {{"=", Op::Eq}, {"<>", Op::Ne},
                                                              {"<", Op::Lt}, {"<=", Op::Le},
                                                              {">", Op::Gt}, {">=", Op::Ge}};
        for (const auto& [text, op] : kCompare) {
            if (IsOp(text)) {
                const size_t pos = tok_.pos;
                Advance();
                return Binary(op, pos, std::move(left), ParseSum());
            }
        }
        if (!IsWord("IN")) return left;
        const size_t pos = tok_.pos;
        Advance();
        if (IsOp("[")) {
            Advance();
            auto n = Make(Op::InList, pos);
            Adopt(n.get(), std::move(left));
            if (!IsOp("]")) {
                Adopt(n.get(), ParseSum());
                while (IsOp(",")) {
                    Advance();
                    Adopt(n.get(), ParseSum());
                }
            }
            Expect("]");
            return n;
        }
        auto n = Make(Op::InRange, pos);
        Adopt(n.get(), std::move(left));
        Adopt(n.get(), ParseSum());
        if (!IsWord("TO")) throw SyntaxError{tok_.pos, "« to » attendu après « in »"};
        Advance();
        Adopt(n.get(), ParseSum());
        return n;
    }

    // Terms joined by operators of one precedence: a Sum or Product node with a link per
    // operator, or the single term itself.
    template <class Term, class OperatorOf>
    std::unique_ptr<Node> ParseChain(Op kind, Term term, OperatorOf operator_of) {
        auto first = (this->*term)();
        std::unique_ptr<Node> chain;
        for (Op op = operator_of(); op != Op::Literal; op = operator_of()) {
            const size_t pos = tok_.pos;
            Advance();
            if (!chain) {
                chain = Make(kind, pos);
                Adopt(chain.get(), std::move(first));
            }
            chain->links.push_back({op, pos});
            Adopt(chain.get(), (this->*term)());
        }
        return chain ? std::move(chain) : std::move(first);
    }

    std::unique_ptr<Node> ParseSum() {
        return ParseChain(Op::Sum, &Parser::ParseProduct, [this] {
            return IsOp("+") ? Op::Add : IsOp("-") ? Op::Sub : IsOp("&") ? Op::Concat : Op::Literal;
        });
    }

    std::unique_ptr<Node> ParseProduct() {
        return ParseChain(Op::Product, &Parser::ParseUnary, [this] {
            return IsOp("*") ? Op::Mul : IsOp("/") ? Op::Div : Op::Literal;
        });
    }

    std::unique_ptr<Node> ParseUnary() {
        if (IsOp("-") || IsOp("+")) {
            DepthGuard guard(depth_, tok_.pos);
            const bool negate = IsOp("-");
            const size_t pos = tok_.pos;
            Advance();
            auto operand = ParseUnary();
            if (!negate) return operand;
            auto n = Make(Op::Neg, pos);
            Adopt(n.get(), std::move(operand));
            return n;
        }
        auto node = ParsePrimary();
        while (IsOp("[")) {
            const size_t pos = tok_.pos;
            Advance();
            auto index = ParseOr();
            Expect("]");
            node = Binary(Op::Subscript, pos, std::move(node), std::move(index));
        }
        return node;
    }

    std::unique_ptr<Node> ParsePrimary() {
        const Token t = tok_;
        switch (t.kind) {
            case Token::Kind::End:
                throw SyntaxError{t.pos, "expression attendue"};
            case Token::Kind::Number: {
                Advance();
                auto n = Make(Op::Literal, t.pos);
                n->literal = Value::Num(t.number);
                return n;
            }
            case Token::Kind::String: {
                Advance();
                auto n = Make(Op::Literal, t.pos);
                n->literal = Value::Str(t.text);
                return n;
            }
            case Token::Kind::Field: {
                Advance();
                if (t.text[0] == '@') {
                    auto n = Make(Op::FormulaRef, t.pos);
                    n->name = host::Trim(t.text.substr(1));
                    return n;
                }
                auto n = Make(Op::Field, t.pos);
                const size_t dot = t.text.find('.');
                if (dot == std::string::npos) {
                    n->name = t.text;
                } else {
                    n->table = host::Trim(t.text.substr(0, dot));
                    n->name = host::Trim(t.text.substr(dot + 1));
                }
                if (n->name.empty()) throw SyntaxError{t.pos, "nom de champ vide"};
                return n;
            }
            case Token::Kind::Op:
                if (t.text == "(") {
                    Advance();
                    auto inner = ParseOr();
                    Expect(")");
                    return inner;
                }
                throw SyntaxError{t.pos, "expression attendue avant « " + t.text + " »"};
            case Token::Kind::Ident:
                break;
        }
        const std::string upper = UpperName(t.text);
        Advance();
        if (upper == "TRUE" || upper == "FALSE") {
            auto n = Make(Op::Literal, t.pos);
            n->literal = Value::Logical(upper == "TRUE");
            return n;
        }
        const FunctionInfo* f = FindFunction(upper);
        if (!f) {
            if (IsOp("(")) throw SyntaxError{t.pos, "fonction inconnue « " + t.text + " »"};
            throw SyntaxError{t.pos, "nom inconnu « " + t.text + " »"};
        }
        if (!IsOp("(")) throw SyntaxError{tok_.pos, "« ( » attendu après " + t.text};
        Advance();
        auto n = Make(Op::Call, t.pos);
        n->name = f->name;
        if (!IsOp(")")) {
            Adopt(n.get(), ParseOr());
            while (IsOp(",")) {
                Advance();
                Adopt(n.get(), ParseOr());
            }
        }
        Expect(")");
        const int count = static_cast<int>(n->kids.size());
        if (count < f->min_args || count > f->max_args)
            throw SyntaxError{t.pos, "nombre d'arguments incorrect pour " + t.text};
        return n;
    }

    Lexer lex_;
    Token tok_;
    int depth_ = 0;
};

}  // namespace

// --- Evaluation ---

// Named formulas citing named formulas: at most this many at once.
constexpr size_t kMaxFormulaNesting = 32;

struct EvalError {
    size_t pos;
    std::string message;
};

// What one evaluation shares across the named formulas it cites: the row, the formulas,
// the memo of their values on this row, the ones being evaluated, and the work done.
struct EvalState {
    const FieldSource* fields = nullptr;
    const FormulaSet* named = nullptr;
    RecordMemo* memo = nullptr;
    std::vector<std::string> active;  // named formulas under evaluation (capitals)
    long steps = 0;
    int depth = 0;
};

class Evaluator {
  public:
    explicit Evaluator(EvalState& state) : s_(state) {}

    Value Eval(const Node& n) {
        if (s_.depth >= kMaxEvalDepth)
            throw EvalError{
                n.pos, "formules trop imbriquées (plus de " + Grouped(kMaxEvalDepth) + " niveaux)"};
        ++s_.depth;
        Value v = EvalNode(n);
        --s_.depth;
        CheckText(v, n.pos);
        return v;
    }

    bool Logical(const Value& v, size_t pos) {
        if (v.kind != Value::Kind::Bool) throw EvalError{pos, "valeur logique attendue"};
        return v.boolean;
    }

  private:
    Value EvalNode(const Node& n) {
        switch (n.op) {
            case Op::Literal:
                return n.literal;
            case Op::Field:
                return FieldValue(n);
            case Op::FormulaRef:
                return FormulaValue(n);
            case Op::Not: {
                const Value v = Eval(*n.kids[0]);
                if (v.IsNull()) return v;
                return Value::Logical(!Logical(v, n.kids[0]->pos));
            }
            case Op::And:
            case Op::Or:
                return AndOr(n);
            case Op::Neg: {
                const Value v = Eval(*n.kids[0]);
                if (v.IsNull()) return v;
                return Value::Num(-Number(v, n.kids[0]->pos));
            }
            case Op::Eq:
            case Op::Ne:
            case Op::Lt:
            case Op::Le:
            case Op::Gt:
            case Op::Ge:
                return Comparison(n);
            case Op::Sum:
            case Op::Product:
                return Chain(n);
            case Op::InRange:
                return InRange(n);
            case Op::InList:
                return InList(n);
            case Op::Subscript:
                return Subscript(n);
            case Op::Call:
                return Call(n);
            case Op::Add:
            case Op::Sub:
            case Op::Mul:
            case Op::Div:
            case Op::Concat:
                break;  // operators of a chain's links, never nodes
        }
        return {};
    }

    // Counts work against the bound of one evaluation.
    void Charge(size_t pos, long steps) {
        s_.steps += steps;
        if (s_.steps > kMaxSteps)
            throw EvalError{pos, "formule trop coûteuse (plus de " +
                                     Grouped(static_cast<size_t>(kMaxSteps)) + " opérations)"};
    }

    // Every value made counts one step, and its text's length: copying and scanning long
    // texts is what costs.
    void CheckText(const Value& v, size_t pos) {
        if (v.text.size() > kMaxTextLength)
            throw EvalError{pos,
                            "texte trop long (plus de " + Grouped(kMaxTextLength) + " octets)"};
        Charge(pos, 1 + static_cast<long>(v.text.size() / 16));
    }

    static Value Finite(double v, size_t pos) {
        if (!std::isfinite(v)) throw EvalError{pos, "nombre hors limites"};
        return Value::Num(v);
    }

    // v as a number (a field's text that reads as one too), which must be finite.
    static bool AsFiniteNumber(const Value& v, size_t pos, double* out) {
        if (!v.AsNumber(out)) return false;
        if (!std::isfinite(*out)) throw EvalError{pos, "nombre hors limites"};
        return true;
    }

    static double Number(const Value& v, size_t pos) {
        double d = 0;
        if (!AsFiniteNumber(v, pos, &d)) throw EvalError{pos, "nombre attendu"};
        return d;
    }

    Value FieldValue(const Node& n) {
        Value v;
        if (!s_.fields || !s_.fields->Field(n.table, n.name, &v)) {
            const std::string full = n.table.empty() ? n.name : n.table + "." + n.name;
            throw EvalError{n.pos, "champ inconnu « " + full + " »"};
        }
        return v;
    }

    // A named formula's value on this row: from the memo, or evaluated once and kept.
    Value FormulaValue(const Node& n) {
        const Formula* f = s_.named ? s_.named->Find(n.name) : nullptr;
        if (!f) throw EvalError{n.pos, "formule inconnue « " + n.name + " »"};
        const std::string key = UpperName(n.name);
        if (auto it = s_.memo->values_.find(key); it != s_.memo->values_.end()) return it->second;
        if (s_.active.size() >= kMaxFormulaNesting)
            throw EvalError{n.pos, "formules citées les unes dans les autres trop profondément"};
        if (std::find(s_.active.begin(), s_.active.end(), key) != s_.active.end())
            throw EvalError{n.pos, "la formule « " + n.name + " » se cite elle-même"};
        s_.active.push_back(key);
        Value v;
        try {
            v = f->Empty() ? Value::Null() : Eval(*f->root_);
        } catch (const EvalError& e) {
            s_.active.pop_back();
            const Error inner{CharPosition(f->Text(), e.pos), e.message};
            throw EvalError{n.pos, "dans la formule « " + n.name + " », " + inner.Describe()};
        }
        s_.active.pop_back();
        s_.memo->values_.emplace(key, v);
        return v;
    }

    // and/or over any number of terms, left to right, in three-valued logic; a term that
    // settles the result ends the evaluation.
    Value AndOr(const Node& n) {
        const bool is_and = n.op == Op::And;
        Value acc = Eval(*n.kids[0]);
        const size_t first_pos = n.kids[0]->pos;
        for (size_t i = 1; i < n.kids.size(); ++i) {
            if (!acc.IsNull()) {
                const bool av = Logical(acc, first_pos);
                if (is_and && !av) return Value::Logical(false);
                if (!is_and && av) return Value::Logical(true);
            }
            const Value b = Eval(*n.kids[i]);
            if (!b.IsNull()) {
                const bool bv = Logical(b, n.kids[i]->pos);
                if (is_and && !bv) return Value::Logical(false);
                if (!is_and && bv) return Value::Logical(true);
            }
            acc = acc.IsNull() || b.IsNull() ? Value::Null() : Value::Logical(is_and);
        }
        return acc;
    }

    // Compares a and b: -1, 0 or 1 in *order; false when either is null.
    bool Compare(const Value& a, const Value& b, size_t pos, int* order) {
        if (a.IsNull() || b.IsNull()) return false;
        using K = Value::Kind;
        if (a.kind == K::Bool || b.kind == K::Bool) {
            if (a.kind != b.kind) throw EvalError{pos, "comparaison d'une valeur logique"};
            *order = static_cast<int>(a.boolean) - static_cast<int>(b.boolean);
            return true;
        }
        if (a.kind == K::Number || b.kind == K::Number) {
            const Value& other = a.kind == K::Number ? b : a;
            double x = 0, y = 0;
            if (!AsFiniteNumber(a, pos, &x) || !AsFiniteNumber(b, pos, &y)) {
                if (other.from_field && host::Trim(other.text).empty()) return false;
                throw EvalError{pos, "comparaison d'un nombre et d'un texte"};
            }
            *order = x < y ? -1 : x > y ? 1 : 0;
            return true;
        }
        const int c = a.text.compare(b.text);
        *order = c < 0 ? -1 : c > 0 ? 1 : 0;
        return true;
    }

    Value Comparison(const Node& n) {
        const Value a = Eval(*n.kids[0]);
        const Value b = Eval(*n.kids[1]);
        int order = 0;
        if (!Compare(a, b, n.pos, &order)) return Value::Null();
        switch (n.op) {
            case Op::Eq:
                return Value::Logical(order == 0);
            case Op::Ne:
                return Value::Logical(order != 0);
            case Op::Lt:
                return Value::Logical(order < 0);
            case Op::Le:
                return Value::Logical(order <= 0);
            case Op::Gt:
                return Value::Logical(order > 0);
            default:
                return Value::Logical(order >= 0);
        }
    }

    // A Sum or Product: the terms combined left to right. An error about the running value
    // names the operator that made it.
    Value Chain(const Node& n) {
        Value acc = Eval(*n.kids[0]);
        size_t acc_pos = n.kids[0]->pos;
        for (size_t i = 1; i < n.kids.size(); ++i) {
            const Node::Link& link = n.links[i - 1];
            Value b = Eval(*n.kids[i]);
            switch (link.op) {
                case Op::Add:
                    Plus(link.pos, &acc, b);
                    break;
                case Op::Concat:
                    acc = Value::Str(acc.ToText() + b.ToText());
                    break;
                default:
                    acc = Arithmetic(link.op, link.pos, acc, acc_pos, b, n.kids[i]->pos);
                    break;
            }
            CheckText(acc, link.pos);
            acc_pos = link.pos;
        }
        return acc;
    }

    // + joins when either side is a text that is not a number, else adds.
    void Plus(size_t pos, Value* acc, const Value& b) {
        const Value& a = *acc;
        if (a.IsNull() || b.IsNull()) {
            *acc = Value::Null();
            return;
        }
        using K = Value::Kind;
        double x = 0, y = 0;
        const bool an = AsFiniteNumber(a, pos, &x), bn = AsFiniteNumber(b, pos, &y);
        if (a.kind == K::Text && b.kind == K::Text && !(an && bn)) {
            acc->text += b.text;
            acc->from_field = false;
            return;
        }
        if (an && bn) {
            *acc = Finite(x + y, pos);
            return;
        }
        const Value& other = an ? b : a;
        if (other.from_field && host::Trim(other.text).empty()) {
            *acc = Value::Null();
            return;
        }
        throw EvalError{pos, "« + » entre un nombre et un texte"};
    }

    Value Arithmetic(Op op, size_t pos, const Value& a, size_t a_pos, const Value& b,
                     size_t b_pos) {
        if (a.IsNull() || b.IsNull()) return Value::Null();
        const double x = Number(a, a_pos);
        const double y = Number(b, b_pos);
        if (op == Op::Sub) return Finite(x - y, pos);
        if (op == Op::Mul) return Finite(x * y, pos);
        if (y == 0) throw EvalError{pos, "division par zéro"};
        return Finite(x / y, pos);
    }

    Value InRange(const Node& n) {
        const Value x = Eval(*n.kids[0]);
        const Value lo = Eval(*n.kids[1]);
        const Value hi = Eval(*n.kids[2]);
        int a = 0, b = 0;
        if (!Compare(x, lo, n.pos, &a) || !Compare(x, hi, n.pos, &b)) return Value::Null();
        return Value::Logical(a >= 0 && b <= 0);
    }

    Value InList(const Node& n) {
        const Value x = Eval(*n.kids[0]);
        if (x.IsNull()) return x;
        bool unknown = false;
        for (size_t i = 1; i < n.kids.size(); ++i) {
            int order = 0;
            if (!Compare(x, Eval(*n.kids[i]), n.kids[i]->pos, &order))
                unknown = true;
            else if (order == 0)
                return Value::Logical(true);
        }
        return unknown ? Value::Null() : Value::Logical(false);
    }

    Value Subscript(const Node& n) {
        const Value s = Eval(*n.kids[0]);
        const Value i = Eval(*n.kids[1]);
        if (s.IsNull() || i.IsNull()) return Value::Null();
        const double index = std::round(Number(i, n.kids[1]->pos));
        const std::vector<std::string> chars = host::output::SplitChars(s.ToText());
        if (index < 1 || index > static_cast<double>(chars.size()))
            return Value::Str("", s.from_field);
        return Value::Str(chars[static_cast<size_t>(index) - 1], s.from_field);
    }

    // s matches mask m (* any run, ? one character). Iterative, backtracking on the last
    // '*' only; each step counts, since a mask can make it quadratic.
    bool LooksLike(const std::vector<std::string>& s, const std::vector<std::string>& m,
                   size_t pos) {
        size_t i = 0, j = 0;
        size_t star = std::string::npos, mark = 0;
        long steps = 0;
        while (i < s.size()) {
            if (++steps == 4096) {
                Charge(pos, steps);
                steps = 0;
            }
            if (j < m.size() && (m[j] == "?" || m[j] == s[i])) {
                ++i;
                ++j;
            } else if (j < m.size() && m[j] == "*") {
                star = j++;
                mark = i;
            } else if (star != std::string::npos) {
                j = star + 1;
                i = ++mark;
            } else {
                return false;
            }
        }
        while (j < m.size() && m[j] == "*")
            ++j;
        return j == m.size();
    }

    // Round(x, d): halves away from zero, even when the binary value lies just below (2.345
    // is 2.34499...). More places than a number holds leave it as it is; fewer than its
    // magnitude give 0.
    static double RoundTo(double x, double places) {
        auto half_away = [](double y) {
            const double whole = std::trunc(y);
            return std::fabs(std::fabs(y - whole) - 0.5) < 1e-9 ? whole + (y < 0 ? -1 : 1)
                                                                : std::round(y);
        };
        if (places >= 0) {
            const double scale = places > 308 ? HUGE_VAL : std::pow(10.0, places);
            const double y = x * scale;
            if (!std::isfinite(y) || std::fabs(y) >= 9007199254740992.0) return x;  // 2^53
            return half_away(y) / scale;
        }
        const double scale = places < -308 ? HUGE_VAL : std::pow(10.0, -places);
        const double r = half_away(x / scale);
        return r == 0 ? 0 : r * scale;
    }

    Value Call(const Node& n) {
        std::vector<Value> args;
        args.reserve(n.kids.size());
        for (const auto& k : n.kids)
            args.push_back(Eval(*k));
        const std::string& f = n.name;
        if (f == "ISNULL") return Value::Logical(args[0].IsNull());
        for (const Value& a : args)
            if (a.IsNull()) return Value::Null();
        const Value& a = args[0];
        if (f == "LENGTH") return Value::Num(static_cast<double>(host::U8Length(a.ToText())));
        if (f == "TRIM") return Value::Str(host::Trim(a.ToText()), a.from_field);
        if (f == "TRIMLEFT") return Value::Str(host::TrimLeft(a.ToText()), a.from_field);
        if (f == "TRIMRIGHT") return Value::Str(host::TrimRight(a.ToText()), a.from_field);
        if (f == "UPPERCASE") return Value::Str(host::ToUpper(a.ToText()), a.from_field);
        if (f == "LOWERCASE") return Value::Str(Lower(a.ToText()), a.from_field);
        if (f == "LOOKSLIKE") {
            const auto s = host::output::SplitChars(host::ToUpper(a.ToText()));
            const auto m = host::output::SplitChars(host::ToUpper(args[1].ToText()));
            return Value::Logical(LooksLike(s, m, n.pos));
        }
        if (f == "ROUND") {
            const double x = Number(a, n.kids[0]->pos);
            const double places = args.size() > 1 ? std::round(Number(args[1], n.kids[1]->pos)) : 0;
            return Finite(RoundTo(x, places), n.pos);
        }
        if (f == "CHR") {
            const double code = std::round(Number(a, n.kids[0]->pos));
            if (code < 1 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
                throw EvalError{n.pos, "code de caractère invalide"};
            return Value::Str(Utf8(static_cast<unsigned long>(code)));
        }
        // TOTEXT
        if (a.kind == Value::Kind::Number && args.size() > 1) {
            const double places = std::round(Number(args[1], n.kids[1]->pos));
            return Value::Str(NumberText(a.number, places < 0    ? -1
                                                   : places > 10 ? 10
                                                                 : static_cast<int>(places)));
        }
        return Value::Str(a.ToText());
    }

    static std::string Lower(const std::string& s) {
        std::string out = s;
        for (size_t i = 0; i < out.size(); ++i) {
            const auto c = static_cast<unsigned char>(out[i]);
            if (c >= 'A' && c <= 'Z') {
                out[i] = static_cast<char>(c - 'A' + 'a');
            } else if (c == 0xC3 && i + 1 < out.size()) {
                const auto n = static_cast<unsigned char>(out[i + 1]);
                if (n >= 0x80 && n <= 0x9E && n != 0x97) out[i + 1] = static_cast<char>(n + 0x20);
                ++i;
            }
        }
        return out;
    }

    static std::string Utf8(unsigned long cp) {
        std::string out;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
        return out;
    }

    EvalState& s_;
};

// --- Formula ---

Formula::Formula() = default;
Formula::~Formula() = default;
Formula::Formula(Formula&&) noexcept = default;
Formula& Formula::operator=(Formula&&) noexcept = default;

bool Formula::Parse(std::string_view text, Error* error) {
    root_.reset();
    text_ = std::string(text);
    if (host::Trim(text).empty()) return true;
    const size_t length = host::U8Length(text_);
    if (length > kMaxFormulaLength) {
        if (error) {
            error->position = 1;
            error->message = "formule trop longue (" + Grouped(length) + " caractères ; au plus " +
                             Grouped(kMaxFormulaLength) + ")";
        }
        return false;
    }
    try {
        root_ = Parser(text_).ParseAll();
        return true;
    } catch (const SyntaxError& e) {
        if (error) {
            error->position = CharPosition(text_, e.pos);
            error->message = e.message;
        }
        root_.reset();
        return false;
    }
}

bool Formula::Evaluate(const FieldSource* fields, const FormulaSet* named, Value* out, Error* error,
                       RecordMemo* memo) const {
    *out = Value::Null();
    if (!root_) return true;
    RecordMemo own;
    EvalState state;
    state.fields = fields;
    state.named = named;
    state.memo = memo ? memo : &own;
    try {
        *out = Evaluator(state).Eval(*root_);
        return true;
    } catch (const EvalError& e) {
        if (error) {
            error->position = CharPosition(text_, e.pos);
            error->message = e.message;
        }
        return false;
    }
}

bool Formula::Select(const FieldSource* fields, const FormulaSet* named, bool* selected,
                     Error* error, RecordMemo* memo) const {
    *selected = true;
    if (!root_) return true;
    Value v;
    if (!Evaluate(fields, named, &v, error, memo)) {
        *selected = false;
        return false;
    }
    if (v.kind != Value::Kind::Bool && !v.IsNull()) {
        if (error) {
            error->position = 1;
            error->message = "la sélection doit donner une valeur logique";
        }
        *selected = false;
        return false;
    }
    *selected = v.kind == Value::Kind::Bool && v.boolean;
    return true;
}

// --- FormulaSet ---

bool FormulaSet::Add(const std::string& name, const std::string& text, Error* error) {
    auto f = std::make_shared<Formula>();
    if (!f->Parse(text, error)) return false;
    formulas_[UpperName(host::Trim(name))] = std::move(f);
    return true;
}

const Formula* FormulaSet::Find(std::string_view name) const {
    auto it = formulas_.find(UpperName(host::Trim(name)));
    return it == formulas_.end() ? nullptr : it->second.get();
}

}  // namespace host::formula
