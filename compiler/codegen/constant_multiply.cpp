// Multiplication by a constant, inline where that is no longer than calling the multiply
// routine: the product is built over the constant's bits from the top (Horner's rule), one
// shift left through the carry a bit and one addition of the operand a set bit.
//
// An 8-bit operand is loaded into W once and stays there to the last addition (the shifts
// and additions leave W alone), so it is read once, a volatile one too. The sign of a signed
// 8-bit operand's widened high byte, and both bytes of a 16-bit operand, are read again at
// each addition, which only a quiet place allows. A product stored whole into an 8-bit place
// is built at 8 bits: the low byte of C's 16-bit product depends only on the operands' low
// bytes. A pointer's step by a variable count of elements is such a product too, of the
// count's low byte and the element's size (loadByteProduct).
#include "compiler/base/kinds.hpp"
#include "compiler/codegen/generator.hpp"
#include "compiler/symbols/symbols.hpp"

#include <bit>
#include <cstdint>

namespace kavo::codegen {

namespace {

// How the product is built: the words of one shift and of one addition, and whether the
// operand stays in W (read once) or is read again at each addition.
struct MultiplyShape {
    bool narrow = false; // 8 bits
    bool wideOperand = false;
    bool signedByte = false; // an 8-bit operand whose widened high byte copies its sign
    int shiftWords = 0;
    int addWords = 0;
};

MultiplyShape shapeOf(const Compilation& c, const Item& a, bool narrow) {
    MultiplyShape shape;
    shape.narrow = narrow;
    if (narrow) {
        shape.shiftWords = 2;
        shape.addWords = 1;
        return shape;
    }
    shape.shiftWords = 3;
    shape.wideOperand = isWide(&a);
    shape.signedByte = !shape.wideOperand && signOf(c, a) == SIGNED;
    shape.addWords = shape.wideOperand ? 6 : shape.signedByte ? 5 : 3;
    return shape;
}

// Words after the operand's load; none when the product cannot be built inline.
int multiplyWords(const MultiplyShape& shape, std::uint32_t k) {
    const int bits = std::bit_width(k);
    const int additions = std::popcount(k) - 1;
    return shape.shiftWords * (bits - 1) + shape.addWords * additions;
}

void shiftLeft(Compilation& c, const std::string& t, bool narrow, int line) {
    emit(c, PIC_BCF, Status, Carry, line);
    emit(c, PIC_RLF, t, 1, line);
    if (!narrow)
        emit(c, PIC_RLF, t, 1, line, 0, 1);
}

// t += a: an 8-bit a is in W already.
void addOperand(Compilation& c, const Item& a, const std::string& t, const MultiplyShape& shape,
                int line) {
    if (shape.wideOperand)
        emitOn(c, PIC_MOVF, a, 0, line);
    emit(c, PIC_ADDWF, t, 1, line);
    if (shape.narrow)
        return;
    emit(c, PIC_BTFSC, Status, Carry, line);
    emit(c, PIC_INCF, t, 1, line, 0, 1);
    if (shape.signedByte) {
        emitOn(c, PIC_BTFSC, a, 7, line);
        emit(c, PIC_DECF, t, 1, line, 0, 1);
    }
    if (shape.wideOperand) {
        emitOn(c, PIC_MOVF, a, 0, line, true);
        emit(c, PIC_ADDWF, t, 1, line, 0, 1);
    }
}

} // namespace

void loadByteProduct(Compilation& c, const Item& index, int k, int line) {
    const auto factor = static_cast<std::uint32_t>(k) & 0xFFu;
    if (factor == 0) {
        emit(c, PIC_MOVLW, "0", -1, line);
        return;
    }
    const std::string t = newTemporary(c, false);
    emitOn(c, PIC_MOVF, index, 0, line);
    emit(c, PIC_MOVWF, t, -1, line);
    for (int bit = std::bit_width(factor) - 2; bit >= 0; --bit) {
        shiftLeft(c, t, true, line);
        if ((factor >> bit) & 1u)
            emit(c, PIC_ADDWF, t, 1, line);
    }
    emit(c, PIC_MOVF, t, 0, line);
    freetmp(c, t);
}

bool generateConstantMultiply(Site& s) {
    Compilation& c = s.c;
    const int line = s.line();
    Item* a = s.item->next;
    Item* b = a->next;
    Item* last = b;
    if (s.item->kind != STAR)
        return false;
    if (isConstant(a))
        std::swap(a, b);
    if (!isIdentifier(a) || !isConstant(b))
        return false;
    const auto k = static_cast<std::uint32_t>(b->ival) & 0xFFFFu;
    const MultiplyShape shape = shapeOf(c, *a, storedAsByte(s, last));
    const bool readsAgain = !shape.narrow && (shape.wideOperand || shape.signedByte);
    if (k == 0 || multiplyWords(shape, k) > MaxInlineWords ||
        (readsAgain && std::popcount(k) > 1 && !isQuietPlace(c, *a)))
        return false;
    c.codegen.expressionSign = widenedType(c, *a, *b).sign;
    const std::string t = newTemporary(c, !shape.narrow);
    if (shape.narrow) {
        emitOn(c, PIC_MOVF, *a, 0, line);
        emit(c, PIC_MOVWF, t, -1, line);
    } else {
        loadWidened(c, *a, t, line);
    }
    for (int bit = std::bit_width(k) - 2; bit >= 0; --bit) {
        shiftLeft(c, t, shape.narrow, line);
        if ((k >> bit) & 1u)
            addOperand(c, *a, t, shape, line);
    }
    becomeLeaf(s.item, shape.narrow ? IDENTIFIER : LONG_IDENTIFIER, t);
    drop(s, b);
    drop(s, a);
    return true;
}

} // namespace kavo::codegen
