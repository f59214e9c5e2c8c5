#pragma once

// What the generator of random programs works with: the dice, the features, the program so
// far and where in it the generator is; and the part of it that writes expressions and the
// places they read and store into.

#include "tests/support/random_program.hpp"
#include "tests/support/random_program_effects.hpp"

#include <optional>
#include <random>
#include <utility>

namespace kavo::testing::program {

inline constexpr Type AllTypes[] = {dialect::SignedChar, dialect::UnsignedChar, dialect::SignedLong,
                                    dialect::UnsignedLong};

inline Expr constantExpr(std::int32_t v) {
    Expr e;
    e.constant = v;
    return e;
}

inline Expr binaryExpr(dialect::Op op, Expr a, Expr b) {
    Expr e;
    e.kind = Expr::Kind::Binary;
    e.op = op;
    e.operands = {std::move(a), std::move(b)};
    return e;
}

inline Expr readOf(Place at) {
    Expr e;
    e.kind = Expr::Kind::Read;
    e.place = std::move(at);
    return e;
}

struct Generation {
    Generation(std::uint32_t seed, const Features& f, sxsim::DeviceKind device)
        : random(seed), features(f), sx52(device == sxsim::DeviceKind::SX52) {}
    Generation(const Generation&) = delete; // effects refers to program

    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    template <typename T> T any(const std::vector<T>& v) {
        return v[pick(static_cast<int>(v.size()))];
    }
    Type anyType() { return AllTypes[pick(4)]; }

    std::string spelling(const Type& t, bool pointee = false, bool charAllowed = true);
    // A pointer to 8-bit cells spelled with char: two bytes.
    static bool charPointer(const Variable& pointer);
    std::int32_t value(const Type& t);
    std::int32_t constant();

    // The type of what the place names.
    Type cellTypeOf(const Place& at) const;
    // The pointers the function may use; those walking an array.
    std::vector<int> pointers(bool walking = false) const;
    std::vector<int> pointerPointers() const;
    std::vector<int> listPointers() const;
    // The array a walking pointer, or the pointers a pointer to pointers points at, walk.
    const Variable& walkedArray(int pointer) const;

    std::mt19937 random;
    Features features;
    bool sx52;
    Program program;
    EffectTable effects{program};
    int function = -1;             // the function being built
    bool writesLocalsOnly = false; // it stores only into its own variables: calls of it mix
    std::vector<int> visible;      // the variables it may use
    std::vector<std::pair<int, int>> loops; // the loops around: counter, its highest value
};

class ExpressionMaker {
public:
    explicit ExpressionMaker(Generation& g) : g_(g) {}

    // With effects, the expression may call functions and step variables.
    Expr expression(int depth, bool effects);
    Expr condition(bool effects);
    Place place(bool forWriting, bool effects);
    Expr call(int function, int depth);
    // A call whose arguments call nothing.
    Expr callAlone(int function);
    // A struct variable of the type, read whole.
    Expr wholeStruct(int structType);
    Expr step(const Place& at);
    // &g, &a[k], &s.m for the pointer, &n for a pointer to list nodes; for a walking pointer an
    // element of its array's first half.
    Place cellOf(const Variable& pointer, int target);
    // An index below the bound; an offset keeping a walking pointer inside its array.
    Expr index(int bound, bool effects);
    // The subscripts of an element among the array's first bound cells: one, or a row and a
    // column (without side effects: C does not order them) for an array of two dimensions.
    std::vector<Expr> elementIndex(const Variable& array, int bound, bool effects);
    Expr pointerOffset(int pointer, bool effects);
    std::vector<Expr> rowIndex(int pointer, Place::Form form);
    Expr shiftCount(int depth, bool effects);
    Expr divisor(int depth, bool effects);
    // A value reading the target itself or another element of its array.
    Expr alias(const Place& target);
    // The type an expression has (and its value when it is a literal).
    dialect::Value shape(const Expr& e) const;

private:
    Expr leaf();
    Expr unary(int depth, bool effects);
    Expr cast(int depth, bool effects);
    Expr conditional(int depth, bool effects);
    Expr binary(int depth, bool effects);
    Expr sideEffect(int depth);
    Expr argumentOf(int depth, const Type& parameter);
    Expr readOfType(const Type& t);
    std::vector<int> callable() const;
    std::vector<int> memberPointers() const;
    Expr addressTest();
    bool readsCounter(int counter, bool forWriting) const;
    Place pointee(int pointer, bool effects);
    std::optional<int> sameTypePointer(int pointer);
    Place pointeePointee(int pointer, bool effects);
    Place arrow(int pointer);

    Generation& g_;
    int callsBlocked_ = 0; // inside an argument, calls do not nest
};

} // namespace kavo::testing::program
