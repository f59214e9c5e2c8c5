#pragma once

// Random small C expressions over the dialect's four integer types, written as C text and
// valued by the host model of the dialect (dialect_arithmetic.hpp).

#include "tests/support/dialect_arithmetic.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace kavo::testing {

// What the generator may use; each kind of construct can be left out.
struct ExpressionFeatures {
    bool bitwise = true;
    bool runtimeOperations = true; // * / % << >>
    bool relations = true;
    bool logical = true; // && || !
    bool casts = true;
    bool otherTargetTypes = true;    // the value stored into a variable of another type
    bool compoundAssignments = true; // r op= expression
    bool conditionals = true;        // c ? a : b
};

struct Variable {
    std::string name;
    dialect::Type type;
};

// The variables every generated program declares: two of each type.
inline const std::vector<Variable>& expressionVariables() {
    static const std::vector<Variable> variables = {
        {"sc0", dialect::SignedChar},   {"sc1", dialect::SignedChar},
        {"uc0", dialect::UnsignedChar}, {"uc1", dialect::UnsignedChar},
        {"sl0", dialect::SignedLong},   {"sl1", dialect::SignedLong},
        {"ul0", dialect::UnsignedLong}, {"ul1", dialect::UnsignedLong},
    };
    return variables;
}

// The result variable for each type.
inline std::string resultVariable(const dialect::Type& t) {
    if (t.literal)
        return "rsl";
    return std::string(t.isUnsigned ? "ru" : "rs") + (t.bits == 8 ? "c" : "l");
}

inline std::string typeName(const dialect::Type& t) {
    return std::string(t.isUnsigned ? "unsigned " : "") + (t.bits == 8 ? "char" : "long");
}

struct Expression {
    enum class Kind { Variable, Constant, Unary, Binary, Cast, Conditional } kind = Kind::Constant;
    dialect::Op op = dialect::Op::Add;
    int variable = 0;
    std::int32_t constant = 0;
    dialect::Type castTo;
    std::shared_ptr<Expression> a, b, c; // c: the condition of a conditional
};

using ExpressionPtr = std::shared_ptr<Expression>;
using Inputs = std::vector<std::int32_t>; // one value per variable, in its type

inline std::string toC(const Expression& e) {
    switch (e.kind) {
    case Expression::Kind::Variable:
        return expressionVariables()[e.variable].name;
    case Expression::Kind::Constant:
        return e.constant < 0 ? "(" + std::to_string(e.constant) + ")" : std::to_string(e.constant);
    case Expression::Kind::Unary:
        return std::string("(") + dialect::spelling(e.op) + toC(*e.a) + ")";
    case Expression::Kind::Cast:
        return "((" + typeName(e.castTo) + ")" + toC(*e.a) + ")";
    case Expression::Kind::Conditional:
        return "(" + toC(*e.c) + " ? " + toC(*e.a) + " : " + toC(*e.b) + ")";
    default:
        return "(" + toC(*e.a) + " " + dialect::spelling(e.op) + " " + toC(*e.b) + ")";
    }
}

// The value the dialect gives; none when the expression is undefined for these inputs.
inline std::optional<dialect::Value> evaluate(const Expression& e, const Inputs& inputs) {
    switch (e.kind) {
    case Expression::Kind::Variable:
        return dialect::Value{inputs[e.variable], expressionVariables()[e.variable].type};
    case Expression::Kind::Constant:
        return dialect::Value{e.constant, dialect::Literal};
    case Expression::Kind::Unary: {
        const auto a = evaluate(*e.a, inputs);
        if (!a)
            return std::nullopt;
        return dialect::unary(e.op, *a);
    }
    case Expression::Kind::Conditional: {
        // Only the chosen branch is evaluated; the value is a signed 16-bit one, the branch
        // extended by its own sign.
        const auto condition = evaluate(*e.c, inputs);
        if (!condition)
            return std::nullopt;
        const auto branch = evaluate(condition->v != 0 ? *e.a : *e.b, inputs);
        if (!branch)
            return std::nullopt;
        return dialect::convert(*branch, dialect::SignedLong);
    }
    case Expression::Kind::Cast: {
        const auto a = evaluate(*e.a, inputs);
        if (!a)
            return std::nullopt;
        return dialect::convert(*a, e.castTo);
    }
    default: {
        const auto a = evaluate(*e.a, inputs);
        const auto b = evaluate(*e.b, inputs);
        if (!a || !b)
            return std::nullopt;
        return dialect::binary(e.op, *a, *b);
    }
    }
}

inline bool hasVariables(const Expression& e) {
    if (e.kind == Expression::Kind::Variable)
        return true;
    for (const auto* part : {e.a.get(), e.b.get(), e.c.get()}) {
        if (part != nullptr && hasVariables(*part))
            return true;
    }
    return false;
}

// A division or remainder by a constant expression of value 0, anywhere (even in a branch
// never taken): the compiler folds it and refuses the program (C257).
inline bool dividesByConstantZero(const Expression& e) {
    if (e.kind == Expression::Kind::Binary &&
        (e.op == dialect::Op::Div || e.op == dialect::Op::Mod) && !hasVariables(*e.b)) {
        const auto divisor = evaluate(*e.b, {});
        if (!divisor || divisor->v == 0)
            return true;
    }
    for (const auto* part : {e.a.get(), e.b.get(), e.c.get()}) {
        if (part != nullptr && dividesByConstantZero(*part))
            return true;
    }
    return false;
}

class ExpressionGenerator {
public:
    ExpressionGenerator(std::uint32_t seed, ExpressionFeatures features)
        : random_(seed), features_(features) {}

    ExpressionPtr expression(int depth) {
        if (depth == 0 || chance(0.25))
            return leaf();
        const int choice = pick(10);
        if (choice == 0)
            return unaryOf(depth);
        if (choice == 1 && features_.casts)
            return castOf(expression(depth - 1));
        if (choice == 2 && features_.conditionals)
            return conditionalOf(depth);
        return binaryOf(depth);
    }

    // Inputs biased towards the values where widths and signs show.
    Inputs inputs() {
        Inputs values;
        for (const Variable& v : expressionVariables())
            values.push_back(dialect::normalize(chance(0.5) ? edgeValue() : wideRandom(), v.type));
        return values;
    }

    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random_) < p; }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    const ExpressionFeatures& features() const { return features_; }

private:
    ExpressionPtr leaf() {
        auto e = std::make_shared<Expression>();
        if (chance(0.7)) {
            e->kind = Expression::Kind::Variable;
            e->variable = pick(static_cast<int>(expressionVariables().size()));
        } else {
            e->kind = Expression::Kind::Constant;
            e->constant = constant();
        }
        return e;
    }

    std::int32_t constant() {
        const int kind = pick(10);
        if (kind < 4)
            return pick(10);
        if (kind < 7)
            return pick(384) - 128;
        if (kind < 9)
            return static_cast<std::int32_t>(random_() % 98304) - 32768;
        return edgeValue();
    }

    std::int32_t edgeValue() {
        static constexpr std::int32_t edges[] = {0,     1,      2,     -1,    -2,   7,   127,
                                                 128,   255,    256,   -128,  -129, 300, 1000,
                                                 32767, -32768, 32768, 65535, -7,   44};
        return edges[pick(static_cast<int>(std::size(edges)))];
    }

    std::int32_t wideRandom() { return static_cast<std::int32_t>(random_() & 0xFFFF); }

    ExpressionPtr unaryOf(int depth) {
        auto e = std::make_shared<Expression>();
        e->kind = Expression::Kind::Unary;
        const int choice = pick(3);
        e->op = choice == 0         ? dialect::Op::Neg
                : choice == 1       ? dialect::Op::Complement
                : features_.logical ? dialect::Op::Not
                                    : dialect::Op::Neg;
        e->a = expression(depth - 1);
        return e;
    }

    ExpressionPtr castOf(ExpressionPtr operand) {
        auto e = std::make_shared<Expression>();
        e->kind = Expression::Kind::Cast;
        static constexpr dialect::Type types[] = {dialect::SignedChar, dialect::UnsignedChar,
                                                  dialect::SignedLong, dialect::UnsignedLong};
        e->castTo = types[pick(4)];
        e->a = std::move(operand);
        return e;
    }

    ExpressionPtr conditionalOf(int depth) {
        auto e = std::make_shared<Expression>();
        e->kind = Expression::Kind::Conditional;
        e->c = expression(depth - 1);
        e->a = expression(depth - 1);
        e->b = expression(depth - 1);
        return e;
    }

    dialect::Op binaryOperator() {
        using dialect::Op;
        std::vector<Op> ops = {Op::Add, Op::Sub};
        if (features_.bitwise)
            ops.insert(ops.end(), {Op::And, Op::Or, Op::Xor});
        if (features_.runtimeOperations)
            ops.insert(ops.end(), {Op::Mul, Op::Div, Op::Mod, Op::Shl, Op::Shr});
        if (features_.relations)
            ops.insert(ops.end(), {Op::Eq, Op::Ne, Op::Lt, Op::Gt, Op::Le, Op::Ge});
        if (features_.logical)
            ops.insert(ops.end(), {Op::LogicalAnd, Op::LogicalOr});
        return ops[pick(static_cast<int>(ops.size()))];
    }

    // A shift count in 0 to 15: a constant, or an expression masked with 15.
    ExpressionPtr shiftCount(int depth) {
        auto count = std::make_shared<Expression>();
        count->kind = Expression::Kind::Constant;
        count->constant = pick(16);
        if (chance(0.6) || !features_.bitwise)
            return count;
        count->constant = 15;
        auto masked = std::make_shared<Expression>();
        masked->kind = Expression::Kind::Binary;
        masked->op = dialect::Op::And;
        masked->a = expression(depth - 1);
        masked->b = count;
        return masked;
    }

    ExpressionPtr binaryOf(int depth) {
        auto e = std::make_shared<Expression>();
        e->kind = Expression::Kind::Binary;
        e->op = binaryOperator();
        e->a = expression(depth - 1);
        if (e->op == dialect::Op::Shl || e->op == dialect::Op::Shr)
            e->b = shiftCount(depth);
        else
            e->b = expression(depth - 1);
        return e;
    }

    std::mt19937 random_;
    ExpressionFeatures features_;
};

} // namespace kavo::testing
