// Evaluation of #if and #elif: definedOperators replaces `defined` by 0 or 1 before the
// macros are expanded, ConditionParser computes C's integer constant expression over the
// expanded text by precedence climbing, with C's usual arithmetic conversions between signed
// and unsigned 64-bit values and with the operands that C leaves unevaluated (the right of
// `&&` and `||`, the branch of `?:` not taken) parsed without evaluating them.
#include "compiler/preprocessor/condition_expression.hpp"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace kavo {

namespace {

struct Value {
    std::uint64_t bits = 0;
    bool isUnsigned = false;
    std::int64_t signedValue() const { return static_cast<std::int64_t>(bits); }
};

bool identifierStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool identifierChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

class ConditionParser {
public:
    ConditionParser(std::string_view text, MacroError& error) : text_(text), error_(error) {}

    std::optional<Value> whole() {
        Value value = conditional(true);
        skipBlanks();
        if (!failed_ && at_ < text_.size())
            malformed("unexpected \"" + std::string(text_.substr(at_, 1)) + "\"");
        if (failed_)
            return std::nullopt;
        return value;
    }

private:
    void skipBlanks() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])))
            ++at_;
    }
    bool take(std::string_view op) {
        skipBlanks();
        if (text_.substr(at_, op.size()) != op)
            return false;
        // "<" must not take the first character of "<<" or "<=", and so on.
        const std::string_view longer = text_.substr(at_, op.size() + 1);
        for (std::string_view other : {"<<", ">>", "<=", ">=", "==", "!=", "&&", "||"}) {
            if (op.size() == 1 && longer == other)
                return false;
        }
        at_ += op.size();
        return true;
    }
    void malformed(const std::string& what) {
        if (failed_)
            return;
        failed_ = true;
        error_ = {284, "#if expression is malformed: " + what + "."};
    }

    // Parentheses, unary operators and ?: nest at most this deep: the parser's own stack.
    static constexpr int MaxNesting = 256;

    Value conditional(bool live) {
        const Nested nested(*this);
        if (failed_)
            return {};
        const Value test = binary(0, live);
        if (!take("?"))
            return test;
        const bool chooseFirst = test.bits != 0;
        const Value first = conditional(live && chooseFirst);
        if (!take(":")) {
            malformed("\"?\" without \":\"");
            return {};
        }
        const Value second = conditional(live && !chooseFirst);
        Value result = chooseFirst ? first : second;
        result.isUnsigned = first.isUnsigned || second.isUnsigned;
        return result;
    }

    // The binary operators from the loosest (||) to the tightest (* / %).
    static constexpr int Levels = 10;
    Value binary(int level, bool live) {
        if (level == Levels)
            return unary(live);
        Value left = binary(level + 1, live);
        for (;;) {
            const std::string_view op = binaryOperator(level);
            if (op.empty())
                return left;
            const bool rightLive =
                live && !(op == "&&" && left.bits == 0) && !(op == "||" && left.bits != 0);
            const Value right = binary(level + 1, rightLive);
            left = apply(op, left, right, rightLive);
        }
    }

    std::string_view binaryOperator(int level) {
        static const std::vector<std::vector<std::string_view>> operators = {{"||"},
                                                                             {"&&"},
                                                                             {"|"},
                                                                             {"^"},
                                                                             {"&"},
                                                                             {"==", "!="},
                                                                             {"<=", ">=", "<", ">"},
                                                                             {"<<", ">>"},
                                                                             {"+", "-"},
                                                                             {"*", "/", "%"}};
        for (std::string_view op : operators[level]) {
            if (take(op))
                return op;
        }
        return {};
    }

    Value apply(std::string_view op, Value a, Value b, bool live) {
        if (op == "&&" || op == "||") {
            const bool truth = op == "&&" ? a.bits && b.bits : a.bits || b.bits;
            return {truth ? 1u : 0u, false};
        }
        if (op == "<<" || op == ">>")
            return shift(op, a, b);
        const bool unsignedOp = a.isUnsigned || b.isUnsigned;
        auto truth = [](bool t) { return Value{t ? 1u : 0u, false}; };
        if (op == "==")
            return truth(a.bits == b.bits);
        if (op == "!=")
            return truth(a.bits != b.bits);
        if (op == "<" || op == ">" || op == "<=" || op == ">=") {
            const bool less = unsignedOp ? a.bits < b.bits : a.signedValue() < b.signedValue();
            const bool equal = a.bits == b.bits;
            if (op == "<")
                return truth(less);
            if (op == ">")
                return truth(!less && !equal);
            return truth(op == "<=" ? less || equal : !less);
        }
        Value result{0, unsignedOp};
        if (op == "+")
            result.bits = a.bits + b.bits;
        else if (op == "-")
            result.bits = a.bits - b.bits;
        else if (op == "*")
            result.bits = a.bits * b.bits;
        else if (op == "&")
            result.bits = a.bits & b.bits;
        else if (op == "|")
            result.bits = a.bits | b.bits;
        else if (op == "^")
            result.bits = a.bits ^ b.bits;
        else
            result.bits = divide(op, a, b, unsignedOp, live);
        return result;
    }

    std::uint64_t divide(std::string_view op, Value a, Value b, bool unsignedOp, bool live) {
        if (b.bits == 0) {
            if (live && !failed_) {
                failed_ = true;
                error_ = {285, "division by zero in #if expression."};
            }
            return 0;
        }
        if (unsignedOp)
            return op == "/" ? a.bits / b.bits : a.bits % b.bits;
        // The one quotient that does not fit wraps, as the host's 64-bit arithmetic would trap.
        if (b.signedValue() == -1)
            return op == "/" ? 0 - a.bits : 0;
        return static_cast<std::uint64_t>(op == "/" ? a.signedValue() / b.signedValue()
                                                    : a.signedValue() % b.signedValue());
    }

    static Value shift(std::string_view op, Value a, Value b) {
        std::int64_t count = b.isUnsigned && b.bits > 64 ? 64 : b.signedValue();
        bool left = op == "<<";
        if (count < 0) {
            left = !left;
            count = count < -64 ? 64 : -count;
        }
        Value result{0, a.isUnsigned};
        if (left)
            result.bits = count >= 64 ? 0 : a.bits << count;
        else if (a.isUnsigned)
            result.bits = count >= 64 ? 0 : a.bits >> count;
        else
            result.bits = static_cast<std::uint64_t>(a.signedValue() >> (count >= 64 ? 63 : count));
        return result;
    }

    Value unary(bool live) {
        const Nested nested(*this);
        if (failed_)
            return {};
        if (take("!")) {
            const Value v = unary(live);
            return {v.bits == 0 ? 1u : 0u, false};
        }
        if (take("~")) {
            Value v = unary(live);
            v.bits = ~v.bits;
            return v;
        }
        if (take("-")) {
            Value v = unary(live);
            v.bits = 0 - v.bits;
            return v;
        }
        if (take("+"))
            return unary(live);
        if (take("(")) {
            const Value v = conditional(live);
            if (!take(")"))
                malformed("missing \")\"");
            return v;
        }
        return primary();
    }

    Value primary() {
        skipBlanks();
        if (at_ >= text_.size()) {
            malformed("an operand is missing");
            return {};
        }
        const char c = text_[at_];
        if (std::isdigit(static_cast<unsigned char>(c)))
            return number();
        if (c == '\'')
            return character();
        if (identifierStart(c)) {
            // A name left after expansion is not a macro: it counts 0.
            while (at_ < text_.size() && identifierChar(text_[at_]))
                ++at_;
            return {};
        }
        malformed("unexpected \"" + std::string(1, c) + "\"");
        return {};
    }

    Value number() {
        const std::size_t start = at_;
        while (at_ < text_.size() && (identifierChar(text_[at_]) || text_[at_] == '.'))
            ++at_;
        std::string digits(text_.substr(start, at_ - start));
        bool isUnsigned = false;
        while (!digits.empty() && std::strchr("uUlL", digits.back()) != nullptr) {
            isUnsigned = isUnsigned || digits.back() == 'u' || digits.back() == 'U';
            digits.pop_back();
        }
        int base = 10;
        std::size_t from = 0;
        if (digits.size() > 1 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            base = 16;
            from = 2;
        } else if (digits.size() > 1 && digits[0] == '0') {
            base = 8;
            from = 1;
        }
        if (from >= digits.size() && base == 16) {
            malformed("\"" + digits + "\" is not a number");
            return {};
        }
        char* end = nullptr;
        errno = 0;
        const std::uint64_t bits = std::strtoull(digits.c_str() + from, &end, base);
        if (*end != '\0' || errno == ERANGE) {
            malformed("\"" + digits + "\" is not an integer constant");
            return {};
        }
        // A decimal constant too big for the signed type is unsigned, as is any with a U.
        return {bits, isUnsigned || bits > static_cast<std::uint64_t>(INT64_MAX)};
    }

    Value character() {
        const std::size_t start = at_++;
        std::int64_t value = 0;
        if (at_ < text_.size() && text_[at_] == '\\') {
            ++at_;
            value = escape();
        } else if (at_ < text_.size()) {
            value = static_cast<unsigned char>(text_[at_++]);
        }
        if (at_ >= text_.size() || text_[at_] != '\'') {
            malformed("character constant " + std::string(text_.substr(start, at_ - start)) +
                      " is not closed");
            return {};
        }
        ++at_;
        // Plain char is signed in this dialect.
        return {static_cast<std::uint64_t>(static_cast<std::int64_t>(
                    static_cast<signed char>(static_cast<unsigned char>(value)))),
                false};
    }

    std::int64_t escape() {
        if (at_ >= text_.size())
            return 0;
        const char c = text_[at_++];
        switch (c) {
        case 'n':
            return '\n';
        case 't':
            return '\t';
        case 'r':
            return '\r';
        case 'a':
            return '\a';
        case 'b':
            return '\b';
        case 'f':
            return '\f';
        case 'v':
            return '\v';
        case 'x': {
            std::int64_t value = 0;
            while (at_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[at_])))
                // Only the low byte counts: a char constant holds one.
                value = (value * 16 + std::stoi(std::string(1, text_[at_++]), nullptr, 16)) & 0xFF;
            return value;
        }
        default:
            break;
        }
        if (c >= '0' && c <= '7') {
            std::int64_t value = c - '0';
            for (int i = 0; i < 2 && at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '7';
                 ++i)
                value = value * 8 + (text_[at_++] - '0');
            return value;
        }
        return static_cast<unsigned char>(c);
    }

    // Counts the depth of conditional and unary while one of them runs.
    struct Nested {
        explicit Nested(ConditionParser& parser) : parser_(parser) {
            if (++parser_.nesting_ > MaxNesting)
                parser_.malformed("nested more than 256 deep");
        }
        ~Nested() { --parser_.nesting_; }
        ConditionParser& parser_;
    };

    std::string_view text_;
    std::size_t at_ = 0;
    bool failed_ = false;
    int nesting_ = 0;
    MacroError& error_;
};

// `defined NAME` and `defined ( NAME )` become 1 or 0 before anything is expanded.
bool definedOperators(std::vector<Piece>& pieces, const SubstitutionTable& macros,
                      MacroError& error) {
    std::vector<Piece> result;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].kind != PieceKind::Identifier || pieces[i].text != "defined") {
            result.push_back(std::move(pieces[i]));
            continue;
        }
        auto next = [&](std::size_t from) {
            while (from < pieces.size() && pieces[from].kind == PieceKind::Blank)
                ++from;
            return from;
        };
        std::size_t at = next(i + 1);
        const bool parenthesised = at < pieces.size() && pieces[at].text == "(";
        if (parenthesised)
            at = next(at + 1);
        if (at >= pieces.size() || pieces[at].kind != PieceKind::Identifier) {
            error = {284, "#if expression is malformed: \"defined\" without a macro name."};
            return false;
        }
        const bool isDefined = macros.has(pieces[at].text);
        if (parenthesised) {
            at = next(at + 1);
            if (at >= pieces.size() || pieces[at].text != ")") {
                error = {284, "#if expression is malformed: \"defined(\" without \")\"."};
                return false;
            }
        }
        result.push_back({PieceKind::Other, isDefined ? "1" : "0", {}});
        i = at;
    }
    pieces = std::move(result);
    return true;
}

} // namespace

std::optional<bool> evaluateCondition(std::string_view text, MacroExpander& expander,
                                      const SubstitutionTable& macros, MacroError& error) {
    std::vector<Piece> pieces = splitPieces(text);
    if (!definedOperators(pieces, macros, error))
        return std::nullopt;
    const auto expanded = expander.expandPieces(std::move(pieces));
    if (!expanded) {
        error = expander.error();
        return std::nullopt;
    }
    std::string line = joinPieces(*expanded);
    if (line.find_first_not_of(" \t\n") == std::string::npos) {
        error = {284, "#if expression is malformed: the expression is missing."};
        return std::nullopt;
    }
    const auto value = ConditionParser(line, error).whole();
    if (!value)
        return std::nullopt;
    return value->bits != 0;
}

} // namespace kavo
