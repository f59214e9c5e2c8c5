#pragma once

// The C dialect's arithmetic computed on the host, independently of the compiler: the value a
// compiled expression must leave, for checking it on the simulator.
//
// Types: char, short and int are 8 bits, long 16 bits; each signed unless written unsigned.
// An integer constant has no width of its own (a literal): between two literals the operation
// is folded with 32-bit arithmetic, as the compiler folds it.
//
// Binary + - & | ^ and the relations work at a common type:
// - two 8-bit operands: 8 bits, unsigned when either is unsigned;
// - a 16-bit operand: 16 bits, unsigned when a 16-bit operand is unsigned; an 8-bit operand is
//   first extended by its own signedness;
// - a literal takes the other operand's type when its value fits that type; otherwise the
//   operation is 16-bit: unsigned against an unsigned long or when the literal is above
//   32767, signed otherwise.
// Multiplication, division, remainder and shifts work at 16 bits: an 8-bit operand is widened
// by its own signedness to a signed 16-bit value (C's promotion to a 16-bit int); the result is
// unsigned when an operand is an unsigned long (a shift: its left operand). Division truncates
// towards zero and the remainder takes the dividend's sign; >> of a signed value is
// arithmetic. Relations, && and || give a signed 8-bit 0 or 1, and so does ! (of a literal: a
// literal); - and ~ keep their operand's type; a cast converts to its type, a literal too;
// c ? a : b is a signed 16-bit value, the chosen branch extended by its own sign.

#include <cstdint>
#include <optional>

namespace kavo::testing::dialect {

struct Type {
    int bits = 8; // 8 or 16
    bool isUnsigned = false;
    bool literal = false;

    bool operator==(const Type&) const = default;
};

inline constexpr Type SignedChar{8, false, false};
inline constexpr Type UnsignedChar{8, true, false};
inline constexpr Type SignedLong{16, false, false};
inline constexpr Type UnsignedLong{16, true, false};
inline constexpr Type Literal{16, false, true};

struct Value {
    std::int32_t v = 0;
    Type type;
};

// The value as the type holds it: the low bits, read signed or unsigned. Literals are kept.
inline std::int32_t normalize(std::int64_t v, const Type& t) {
    if (t.literal)
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    const std::uint32_t mask = t.bits == 8 ? 0xFFu : 0xFFFFu;
    const std::uint32_t bits = static_cast<std::uint32_t>(v) & mask;
    if (!t.isUnsigned && (bits & ((mask >> 1) + 1)) != 0)
        return static_cast<std::int32_t>(bits) - static_cast<std::int32_t>(mask) - 1;
    return static_cast<std::int32_t>(bits);
}

inline bool fits(std::int32_t v, const Type& t) {
    return normalize(v, t) == v;
}

// The type a literal and a typed operand meet at.
inline Type literalAgainst(std::int32_t literal, const Type& other) {
    if (fits(literal, other))
        return other;
    if (other.bits == 16 && other.isUnsigned)
        return UnsignedLong;
    return fits(literal, SignedLong) ? SignedLong : UnsignedLong;
}

// The common type of + - & | ^ and the relations.
inline Type commonType(const Value& a, const Value& b) {
    if (a.type.literal && b.type.literal)
        return Literal;
    if (a.type.literal)
        return literalAgainst(a.v, b.type);
    if (b.type.literal)
        return literalAgainst(b.v, a.type);
    if (a.type.bits == 8 && b.type.bits == 8)
        return a.type.isUnsigned || b.type.isUnsigned ? UnsignedChar : SignedChar;
    const bool unsignedLong =
        (a.type.bits == 16 && a.type.isUnsigned) || (b.type.bits == 16 && b.type.isUnsigned);
    return unsignedLong ? UnsignedLong : SignedLong;
}

// An operand of a multiplication, division, remainder or shift, widened to 16 bits.
inline Value promoted(const Value& a) {
    if (a.type.literal)
        return a;
    return {a.v, a.type.bits == 16 && a.type.isUnsigned ? UnsignedLong : SignedLong};
}

inline Type wideType(const Value& a, const Value& b) {
    return commonType(promoted(a), promoted(b));
}

// A shift has the type of its left operand, widened.
inline Type shiftType(const Value& a, const Value& b) {
    if (a.type.literal && b.type.literal)
        return Literal;
    if (a.type.literal)
        return literalAgainst(a.v, SignedLong);
    return promoted(a).type;
}

inline Value convert(const Value& a, const Type& to) {
    return {normalize(a.v, to), to};
}

inline Value truth(bool value, bool literal = false) {
    return {value ? 1 : 0, literal ? Literal : SignedChar};
}

enum class Op {
    Add,
    Sub,
    And,
    Or,
    Xor,
    Mul,
    Div,
    Mod,
    Shl,
    Shr,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    LogicalAnd,
    LogicalOr,
    Neg,
    Not,
    Complement,
};

inline const char* spelling(Op op) {
    static constexpr const char* texts[] = {"+",  "-",  "&",  "|",  "^",  "*", "/",
                                            "%",  "<<", ">>", "==", "!=", "<", ">",
                                            "<=", ">=", "&&", "||", "-",  "!", "~"};
    return texts[static_cast<int>(op)];
}

inline bool isRelation(Op op) {
    return op >= Op::Eq && op <= Op::Ge;
}

inline bool relationHolds(Op op, std::int32_t a, std::int32_t b) {
    switch (op) {
    case Op::Eq:
        return a == b;
    case Op::Ne:
        return a != b;
    case Op::Lt:
        return a < b;
    case Op::Gt:
        return a > b;
    case Op::Le:
        return a <= b;
    default:
        return a >= b;
    }
}

// A shift count outside 0 to 15 and a division by zero are undefined: no value.
inline std::optional<Value> binary(Op op, const Value& a, const Value& b) {
    if (op == Op::LogicalAnd)
        return truth(a.v != 0 && b.v != 0);
    if (op == Op::LogicalOr)
        return truth(a.v != 0 || b.v != 0);
    if (op == Op::Mul || op == Op::Div || op == Op::Mod || op == Op::Shl || op == Op::Shr) {
        const Type t = op == Op::Shl || op == Op::Shr ? shiftType(a, b) : wideType(a, b);
        const std::int64_t x = normalize(a.v, t), y = normalize(b.v, t);
        switch (op) {
        case Op::Mul:
            return Value{normalize(x * y, t), t};
        case Op::Div:
        case Op::Mod:
            if (y == 0)
                return std::nullopt;
            return Value{normalize(op == Op::Div ? x / y : x % y, t), t};
        default:
            if (b.v < 0 || b.v > 15)
                return std::nullopt;
            if (op == Op::Shl)
                return Value{normalize(x << b.v, t), t};
            return Value{normalize(x >> b.v, t), t};
        }
    }
    const Type t = commonType(a, b);
    const std::int64_t x = normalize(a.v, t), y = normalize(b.v, t);
    if (isRelation(op))
        return truth(relationHolds(op, static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)));
    switch (op) {
    case Op::Add:
        return Value{normalize(x + y, t), t};
    case Op::Sub:
        return Value{normalize(x - y, t), t};
    case Op::And:
        return Value{normalize(x & y, t), t};
    case Op::Or:
        return Value{normalize(x | y, t), t};
    default:
        return Value{normalize(x ^ y, t), t};
    }
}

inline Value unary(Op op, const Value& a) {
    switch (op) {
    case Op::Neg:
        return {normalize(-std::int64_t{a.v}, a.type), a.type};
    case Op::Complement:
        return {normalize(~std::int64_t{a.v}, a.type), a.type};
    default:
        return truth(a.v == 0, a.type.literal);
    }
}

} // namespace kavo::testing::dialect
