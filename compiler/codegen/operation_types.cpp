// The width and sign an operation works at, from the types of its two leaves (the dialect's
// conversions): commonType for + - & | ^ and the relations, widenedType for * / %, shiftType
// for << and >>.
//
// - Two 8-bit operands: 8 bits, unsigned when either is unsigned.
// - A 16-bit operand: 16 bits, unsigned when a 16-bit operand is; the 8-bit one is extended
//   by its own sign.
// - A constant takes the other operand's type when its value fits that type; otherwise the
//   operation is 16-bit: unsigned against an unsigned long or when the constant is above
//   32767, signed otherwise.
// - * / % << >> widen 8-bit operands to signed 16-bit values (C's promotion to a 16-bit int):
//   the result is unsigned only with an unsigned long operand (for a shift, its left one).
#include "compiler/base/kinds.hpp"
#include "compiler/codegen/generator.hpp"

namespace kavo::codegen {

namespace {

OperationType typeOf(const Compilation& c, const Item& leaf) {
    return {isWide(&leaf), signOf(c, leaf)};
}

bool fits(int value, const OperationType& t) {
    const int low = t.sign == UNSIGNED ? 0 : t.wide ? -32768 : -128;
    const int high = t.sign == UNSIGNED ? (t.wide ? 65535 : 255) : (t.wide ? 32767 : 127);
    return value >= low && value <= high;
}

OperationType constantAgainst(int value, const OperationType& other) {
    if (fits(value, other))
        return other;
    if (other.wide && other.sign == UNSIGNED)
        return other;
    return {true, value >= -32768 && value <= 32767 ? SIGNED : UNSIGNED};
}

OperationType promoted(const OperationType& t) {
    return {true, t.wide && t.sign == UNSIGNED ? UNSIGNED : SIGNED};
}

} // namespace

OperationType commonType(const Compilation& c, const Item& a, const Item& b) {
    if (isConstant(&a))
        return constantAgainst(a.ival, typeOf(c, b));
    if (isConstant(&b))
        return constantAgainst(b.ival, typeOf(c, a));
    const OperationType x = typeOf(c, a), y = typeOf(c, b);
    if (!x.wide && !y.wide)
        return {false, x.sign == UNSIGNED || y.sign == UNSIGNED ? UNSIGNED : SIGNED};
    const bool unsignedLong = (x.wide && x.sign == UNSIGNED) || (y.wide && y.sign == UNSIGNED);
    return {true, unsignedLong ? UNSIGNED : SIGNED};
}

OperationType widenedType(const Compilation& c, const Item& a, const Item& b) {
    if (isConstant(&a))
        return constantAgainst(a.ival, promoted(typeOf(c, b)));
    if (isConstant(&b))
        return constantAgainst(b.ival, promoted(typeOf(c, a)));
    const OperationType x = promoted(typeOf(c, a)), y = promoted(typeOf(c, b));
    return {true, x.sign == UNSIGNED || y.sign == UNSIGNED ? UNSIGNED : SIGNED};
}

OperationType shiftType(const Compilation& c, const Item& a) {
    if (isConstant(&a))
        return {true, a.ival >= -32768 && a.ival <= 32767 ? SIGNED : UNSIGNED};
    return promoted(typeOf(c, a));
}

} // namespace kavo::codegen
