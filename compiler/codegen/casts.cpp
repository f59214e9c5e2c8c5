// Casts (generateCast): the operand converted to char, short or int (8 bits) or long
// (16 bits), signed or unsigned. Narrowing keeps the low byte; widening extends by the
// operand's own sign; the result is a temporary of the cast's type, so that the operations
// after it see that type, a cast constant too. A cast
// to any other type (a pointer, a struct, void, a floating type) is refused: its conversion
// would not be what C does.
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/generator.hpp"

namespace kavo::codegen {

namespace {

int converted(int value, bool wide, int sign) {
    const int bits = value & (wide ? 0xFFFF : 0xFF);
    const int top = wide ? 0x8000 : 0x80;
    return sign == SIGNED && (bits & top) != 0 ? bits - 2 * top : bits;
}

// The cast's type words in any order: "unsigned char", "char unsigned", "long unsigned".
int castSign(const Item& cast) {
    return (" " + cast.cval + " ").find(" unsigned ") != std::string::npos ? UNSIGNED : SIGNED;
}

} // namespace

bool generateCast(Site& s) {
    Compilation& c = s.c;
    const int line = s.line();
    Item* x = s.item->next;
    if (s.item->ival == 0) {
        c.error(strprintf("ERROR(C270): Line: %d A cast to %s is not supported: casts convert "
                          "to char, short, int or long only.\n",
                          line, s.item->cval.c_str()));
        drop(s, s.item);
        return true;
    }
    if (!isLeaf(x))
        return false;
    const bool wide = s.item->ival == 16;
    const int sign = castSign(*s.item);
    if (x->kind == INTEGER_CONSTANT) {
        // A constant of the cast's type: a temporary, since a bare constant would take the
        // type of whatever it meets.
        c.codegen.expressionSign = sign;
        const std::string t = newTemporary(c, wide);
        becomeConstant(x, converted(x->ival, wide, sign));
        loadW(c, *x, line);
        emit(c, PIC_MOVWF, t, -1, line);
        if (wide) {
            loadW(c, *x, line, true);
            emit(c, PIC_MOVWF, t, -1, line, 0, 1);
        }
        becomeLeaf(s.item, wide ? LONG_IDENTIFIER : IDENTIFIER, t);
        drop(s, x);
        return true;
    }
    if (!isIdentifier(x) || (isWide(x) == wide && signOf(c, *x) == sign)) {
        drop(s, s.item);
        return true;
    }
    c.codegen.expressionSign = sign;
    if (wide && !isWide(x)) {
        x = widen(s, x); // extended by the operand's own sign into a temporary of this sign
        drop(s, s.item);
        return true;
    }
    const std::string t = newTemporary(c, wide);
    emitOn(c, PIC_MOVF, *x, 0, line);
    emit(c, PIC_MOVWF, t, -1, line);
    if (wide) {
        emitOn(c, PIC_MOVF, *x, 0, line, true);
        emit(c, PIC_MOVWF, t, -1, line, 0, 1);
    }
    becomeLeaf(s.item, wide ? LONG_IDENTIFIER : IDENTIFIER, t);
    drop(s, x);
    return true;
}

} // namespace kavo::codegen
