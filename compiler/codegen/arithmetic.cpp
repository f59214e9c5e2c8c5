// Addition, subtraction, the bitwise operators and the operations done by runtime routines.
//
// 16-bit sequences chosen here beyond the plain tables:
// - An operation at 16 bits (operation_types.cpp) first widens an 8-bit operand into a 16-bit
//   temporary, extended by the operand's own sign, then works byte by byte.
// - 16-bit subtraction takes the borrow into the high byte the way the divide loop does
//   (MOVF b+1,W; BTFSS C; INCFSZ b+1,W; SUBWF t+1,F), so the carry afterwards is the borrow
//   of the whole 16-bit difference and relations on it are right. With a constant high byte
//   h the same is MOVLW h; BTFSS C; MOVLW h+1; SUBWF t+1,F (h = 255: MOVLW 255; BTFSC C;
//   SUBWF t+1,F).
// - A signed relation tests bit 7 of the difference; when the subtraction overflows that
//   bit is the wrong sign, so RELMINUS under SIGNED arithmetic flips it by the overflow
//   ((a ^ b) & (a ^ d), bit 7), keeping the carry for the unsigned test untouched.
#include "compiler/base/kinds.hpp"
#include "compiler/codegen/generator.hpp"
#include "compiler/symbols/symbols.hpp"

namespace kavo::codegen {

namespace {

// Identifiers and constants are what these operations work on.
bool isValue(const Item* item) {
    return isIdentifier(item) || isConstant(item);
}

// The operator item becomes the result leaf; the two operands leave the list.
void finish(Site& s, Item* a, Item* b, int kind, const std::string& name) {
    becomeLeaf(s.item, kind, name);
    drop(s, b);
    drop(s, a);
}

// The operator and the constant 0 leave; the other operand is the result.
void keepOperand(Site& s, Item* zero) {
    drop(s, zero);
    drop(s, s.item);
}

// The 16-bit sum; a char pointer's sum is a char pointer.
void addSixteen(Site& s, Item* a, Item* b) {
    Compilation& c = s.c;
    const int line = s.line();
    const Symbol* pointer =
        stringPointerOf(c, *a) != nullptr ? stringPointerOf(c, *a) : stringPointerOf(c, *b);
    const std::string t = pointer != nullptr ? newpointertmp(c, *pointer) : newTemporary(c, true);
    if (isConstant(a))
        std::swap(a, b);
    if (isConstant(b)) {
        const int value = b->ival;
        loadW(c, *b, line);
        emitOn(c, PIC_ADDWF, *a, 0, line);
        emit(c, PIC_MOVWF, t, -1, line);
        emitOn(c, PIC_MOVF, *a, 0, line, true);
        emit(c, PIC_MOVWF, t, -1, line, 0, 1);
        if (value % 256 != 0) {
            emit(c, PIC_BTFSC, Status, Carry, line);
            emit(c, PIC_INCF, t, 1, line, 0, 1);
        }
        if ((value >> 8) != 0) {
            loadW(c, *b, line, true);
            emit(c, PIC_ADDWF, t, 1, line, 0, 1);
        }
    } else {
        emitOn(c, PIC_MOVF, *a, 0, line);
        emitOn(c, PIC_ADDWF, *b, 0, line);
        emit(c, PIC_MOVWF, t, -1, line);
        emitOn(c, PIC_MOVF, *a, 0, line, true);
        emit(c, PIC_MOVWF, t, -1, line, 0, 1);
        emit(c, PIC_BTFSC, Status, Carry, line);
        emit(c, PIC_INCF, t, 1, line, 0, 1);
        emitOn(c, PIC_MOVF, *b, 0, line, true);
        emit(c, PIC_ADDWF, t, 1, line, 0, 1);
    }
    finish(s, a, b, LONG_IDENTIFIER, t);
}

// t+1 -= high byte of b, with the borrow of the low bytes (carry clear) taken along.
void subtractHighWithBorrow(Compilation& c, const Item& b, const std::string& t, int line) {
    if (b.kind == INTEGER_CONSTANT) {
        const int high = (b.ival >> 8) & 0xFF;
        if (high == 255) {
            emit(c, PIC_MOVLW, "255", -1, line, 255);
            emit(c, PIC_BTFSC, Status, Carry, line);
        } else {
            emit(c, PIC_MOVLW, std::to_string(high), -1, line, high);
            emit(c, PIC_BTFSS, Status, Carry, line);
            emit(c, PIC_MOVLW, std::to_string(high + 1), -1, line, high + 1);
        }
    } else if (c.pragmas.has("SX_52_BANKS")) {
        // The skip that guards the subtraction reads a global copy: on the 48/52 the bank of
        // t cannot be selected between a skip and what it guards when it differs from b's in
        // FSR bit 7, so both skips must need no bank at all.
        emitOn(c, PIC_MOVF, b, 0, line, true);
        emit(c, PIC_MOVWF, "@__SxItmp_", -1, line);
        emit(c, PIC_BTFSS, Status, Carry, line);
        emit(c, PIC_INCFSZ, "@__SxItmp_", 0, line);
    } else {
        emitOn(c, PIC_MOVF, b, 0, line, true);
        emit(c, PIC_BTFSS, Status, Carry, line);
        emitOn(c, PIC_INCFSZ, b, 0, line, true);
    }
    emit(c, PIC_SUBWF, t, 1, line, 0, 1);
}

// Flips bit 7 of the difference's top byte by the signed overflow of a - b.
void correctSignedOverflow(Compilation& c, const Item& a, const Item& b, const std::string& d,
                           bool wide, int line) {
    const std::string scratch = "@__SxItmp_";
    const int top = wide ? 1 : 0;
    loadW(c, a, line, wide);
    if (b.kind == INTEGER_CONSTANT) {
        const int byte = wide ? (b.ival >> 8) & 0xFF : b.ival & 0xFF;
        emit(c, PIC_XORLW, std::to_string(byte), -1, line, byte);
    } else {
        emitOn(c, PIC_XORWF, b, 0, line, wide);
    }
    emit(c, PIC_MOVWF, scratch, -1, line);
    loadW(c, a, line, wide);
    emit(c, PIC_XORWF, d, 0, line, 0, top);
    emit(c, PIC_ANDWF, scratch, 0, line);
    emit(c, PIC_XORWF, d, 1, line, 0, top);
}

} // namespace

// p + k and k + p on a RAM pointer: k counts elements, so it is scaled by the element's size;
// the sum is a pointer of p's type.
bool addToPointer(Site& s, Item* a, Item* b) {
    Compilation& c = s.c;
    const Symbol* pa = ramPointerOf(c, *a);
    const Symbol* pb = ramPointerOf(c, *b);
    if ((pa == nullptr) == (pb == nullptr))
        return false;
    Item* pointer = pa != nullptr ? a : b;
    const Symbol& type = pa != nullptr ? *pa : *pb;
    loadScaledW(c, pa != nullptr ? *b : *a, pointeeSize(c, type), s.line());
    emitOn(c, PIC_ADDWF, *pointer, 0, s.line());
    const std::string t = newpointertmp(c, type);
    emit(c, PIC_MOVWF, t, -1, s.line());
    finish(s, a, b, IDENTIFIER, t);
    return true;
}

// t, a signed byte difference of two pointers into one array, divided by the element's
// size, which divides it exactly: halved with its sign kept for each factor 2 of the size,
// then multiplied by the inverse of the odd factor modulo 256 (3 * 171 is 1 modulo 256, so
// a difference of 3k bytes times 171 is k).
void divideExactly(Compilation& c, const std::string& t, int size, int line) {
    for (; size > 1 && size % 2 == 0; size /= 2) {
        emit(c, PIC_BCF, Status, Carry, line);
        emit(c, PIC_BTFSC, t, 7, line);
        emit(c, PIC_BSF, Status, Carry, line);
        emit(c, PIC_RRF, t, 1, line);
    }
    if ((size & 0xFF) == 1)
        return;
    int inverse = 1;
    for (int i = 0; i < 3; ++i)
        inverse = (inverse * (2 - size * inverse)) & 0xFF; // Newton's step: twice the bits
    Item difference;
    difference.kind = IDENTIFIER;
    difference.cval = t;
    loadByteProduct(c, difference, inverse, line);
    emit(c, PIC_MOVWF, t, -1, line);
}

// p - k (a pointer of p's type) and p - q (the elements between them, an int) on RAM
// pointers.
bool subtractFromPointer(Site& s, Item* a, Item* b) {
    Compilation& c = s.c;
    const int line = s.line();
    const Symbol* pa = ramPointerOf(c, *a);
    if (pa == nullptr || s.item->kind == RELMINUS)
        return false;
    const int size = pointeeSize(c, *pa);
    if (ramPointerOf(c, *b) != nullptr) {
        emitOn(c, PIC_MOVF, *b, 0, line);
        emitOn(c, PIC_SUBWF, *a, 0, line);
        const std::string t = newTemporaryOfSign(c, false, SIGNED);
        emit(c, PIC_MOVWF, t, -1, line);
        divideExactly(c, t, size, line);
        finish(s, a, b, IDENTIFIER, t);
        return true;
    }
    loadScaledW(c, *b, size, line);
    emitOn(c, PIC_SUBWF, *a, 0, line);
    const std::string t = newpointertmp(c, *pa);
    emit(c, PIC_MOVWF, t, -1, line);
    finish(s, a, b, IDENTIFIER, t);
    return true;
}

bool generateAddition(Site& s) {
    Item* a = s.item->next;
    Item* b = a->next;
    Compilation& c = s.c;
    const int line = s.line();
    if (a->kind == ADDRESS && b->kind == ADDRESS) {
        const int sum = a->ival + b->ival;
        finish(s, a, b, ADDRESS, std::to_string(sum));
        s.item->ival = sum;
        return true;
    }
    if (!isIdentifier(a) && !isIdentifier(b))
        return false;
    if (isConstant(b) && b->ival == 0 && isIdentifier(a)) {
        keepOperand(s, b);
        return true;
    }
    if (isConstant(a) && a->ival == 0 && isIdentifier(b)) {
        keepOperand(s, a);
        return true;
    }
    if (!isValue(a) || !isValue(b))
        return false;
    if (addToPointer(s, a, b))
        return true;
    const OperationType type = commonType(c, *a, *b);
    c.codegen.expressionSign = type.sign;
    if (type.wide) {
        a = widen(s, a);
        b = widen(s, b);
        addSixteen(s, a, b);
        return true;
    }
    const std::string t = newTemporary(c, false);
    if (isConstant(a) || isConstant(b)) {
        Item* constant = isConstant(a) ? a : b;
        Item* identifier = isConstant(a) ? b : a;
        loadW(c, *constant, line);
        emitOn(c, PIC_ADDWF, *identifier, 0, line);
    } else {
        emitOn(c, PIC_MOVF, *a, 0, line);
        emitOn(c, PIC_ADDWF, *b, 0, line);
    }
    emit(c, PIC_MOVWF, t, -1, line);
    finish(s, a, b, IDENTIFIER, t);
    return true;
}

namespace {

// A one-byte RAM address (&c, &s[i], an int *) that meets a char pointer (cp == &c,
// cp - &s[0]) becomes the char pointer it stands for: tagged, as a store into one tags it,
// so that both sides name the same byte alike.
void tagCharAddress(Site& s, Item* address, const Item& other) {
    Compilation& c = s.c;
    const Symbol* pointer = stringPointerOf(c, other);
    const bool ramAddress = isCharAddress(c, *address) || ramPointerOf(c, *address) != nullptr;
    if (pointer == nullptr || !ramAddress)
        return;
    const std::string tagged = charPointerFromRamAddress(c, *address, pointer->sign, s.line());
    freetmp(c, address->cval);
    becomeLeaf(address, LONG_IDENTIFIER, tagged);
}

} // namespace

bool generateSubtraction(Site& s) {
    Item* a = s.item->next;
    Item* b = a->next;
    Compilation& c = s.c;
    const int line = s.line();
    if (!isValue(a) || !isValue(b))
        return false;
    tagCharAddress(s, a, *b);
    tagCharAddress(s, b, *a);
    if (subtractFromPointer(s, a, b))
        return true;
    const bool relation = s.item->kind == RELMINUS;
    const OperationType type = commonType(c, *a, *b);
    c.codegen.expressionSign = type.sign;
    // a - 0 is a itself. An unsigned relation still needs the carry the subtraction leaves;
    // a signed one reads only the difference's sign bit and whether it is 0, a's own (a - 0
    // never overflows).
    if ((!relation || type.sign == SIGNED) && isConstant(b) && b->ival == 0 && isIdentifier(a)) {
        keepOperand(s, b);
        return true;
    }
    const bool wide = type.wide;
    if (wide) {
        a = widen(s, a);
        b = widen(s, b);
    }
    const Symbol* pointer = relation ? nullptr : stringPointerOf(c, *a);
    const std::string t = pointer != nullptr && stringPointerOf(c, *b) == nullptr
                              ? newpointertmp(c, *pointer)
                              : newTemporary(c, wide);
    if (isConstant(a)) {
        loadW(c, *a, line);
        emit(c, PIC_MOVWF, t, -1, line);
        emitOn(c, PIC_MOVF, *b, 0, line);
        emit(c, PIC_SUBWF, t, 1, line);
    } else {
        loadW(c, *b, line);
        emitOn(c, PIC_SUBWF, *a, 0, line);
        emit(c, PIC_MOVWF, t, -1, line);
    }
    if (wide) {
        loadW(c, *a, line, true);
        emit(c, PIC_MOVWF, t, -1, line, 0, 1);
        subtractHighWithBorrow(c, *b, t, line);
    }
    if (relation && c.codegen.expressionSign == SIGNED)
        correctSignedOverflow(c, *a, *b, t, wide, line);
    finish(s, a, b, wide ? LONG_IDENTIFIER : IDENTIFIER, t);
    return true;
}

bool generateBitwise(Site& s) {
    Item* a = s.item->next;
    Item* b = a->next;
    Compilation& c = s.c;
    const int line = s.line();
    if (!isValue(a) || !isValue(b))
        return false;
    const int kind = s.item->kind;
    const int op = kind == OR ? PIC_IORWF : kind == AND ? PIC_ANDWF : PIC_XORWF;
    if (isConstant(a))
        std::swap(a, b);
    const OperationType type = commonType(c, *a, *b);
    c.codegen.expressionSign = type.sign;
    if (type.wide) {
        a = widen(s, a);
        b = widen(s, b);
    }
    const std::string t = newTemporary(c, type.wide);
    loadW(c, *b, line);
    emitOn(c, op, *a, 0, line);
    emit(c, PIC_MOVWF, t, -1, line);
    if (type.wide) {
        loadW(c, *b, line, true);
        emitOn(c, op, *a, 0, line, true);
        emit(c, PIC_MOVWF, t, -1, line, 0, 1);
    }
    finish(s, a, b, type.wide ? LONG_IDENTIFIER : IDENTIFIER, t);
    return true;
}

namespace {

// Words of an inline shift by n after the value is in the temporary.
int shiftWords(int n, bool arithmetic) {
    if (n < 8)
        return 3 * n;
    return (arithmetic ? 5 : 2) + 2 * (n - 8);
}

// t's high byte filled with the sign of its low byte.
void extendLowByte(Compilation& c, const std::string& t, int line) {
    emit(c, PIC_CLRF, t, -1, line, 0, 1);
    emit(c, PIC_BTFSC, t, 7, line);
    emit(c, PIC_DECF, t, 1, line, 0, 1);
}

// One bit of a 16-bit shift through the carry: left, logical right, or arithmetic right
// (the carry loaded with the sign bit first, without changing the byte).
void shiftOneBit(Compilation& c, const std::string& t, int kind, bool arithmetic, int line) {
    if (kind == SHIFTL) {
        emit(c, PIC_BCF, Status, Carry, line);
        emit(c, PIC_RLF, t, 1, line);
        emit(c, PIC_RLF, t, 1, line, 0, 1);
        return;
    }
    if (arithmetic)
        emit(c, PIC_RLF, t, 0, line, 0, 1);
    else
        emit(c, PIC_BCF, Status, Carry, line);
    emit(c, PIC_RRF, t, 1, line, 0, 1);
    emit(c, PIC_RRF, t, 1, line);
}

// Moves t by whole bytes: eight bits at once.
void shiftOneByte(Compilation& c, const std::string& t, int kind, bool arithmetic, int line) {
    if (kind == SHIFTL) {
        emit(c, PIC_MOVF, t, 0, line);
        emit(c, PIC_MOVWF, t, -1, line, 0, 1);
        emit(c, PIC_CLRF, t, -1, line);
        return;
    }
    emit(c, PIC_MOVF, t, 0, line, 0, 1);
    emit(c, PIC_MOVWF, t, -1, line);
    if (arithmetic)
        extendLowByte(c, t, line);
    else
        emit(c, PIC_CLRF, t, -1, line, 0, 1);
}

// Only the byte that still holds bits moves for the shifts left after a whole byte.
void shiftRemainingBits(Compilation& c, const std::string& t, int kind, bool arithmetic, int bits,
                        int line) {
    for (int k = 0; k < bits; ++k) {
        if (kind == SHIFTL) {
            emit(c, PIC_BCF, Status, Carry, line);
            emit(c, PIC_RLF, t, 1, line, 0, 1);
        } else {
            if (arithmetic)
                emit(c, PIC_RLF, t, 0, line, 0, 1);
            else
                emit(c, PIC_BCF, Status, Carry, line);
            emit(c, PIC_RRF, t, 1, line);
        }
    }
}

// x = a << n and x = a >> n into an 8-bit x: the 8-bit shift itself, one rotate a bit. A
// right shift needs an 8-bit a, whose widened high byte only copies its sign or zeros.
bool shiftByte(Site& s, Item* a, Item* b) {
    Compilation& c = s.c;
    const int line = s.line();
    const int kind = s.item->kind;
    const int n = static_cast<int>(b->ival);
    if (n > 7 || 2 * n > MaxInlineWords || (kind == SHIFTR && isWide(a)))
        return false;
    const bool arithmetic = kind == SHIFTR && signOf(c, *a) == SIGNED;
    c.codegen.expressionSign = shiftType(c, *a).sign;
    const std::string t = newTemporary(c, false);
    emitOn(c, PIC_MOVF, *a, 0, line);
    emit(c, PIC_MOVWF, t, -1, line);
    for (int k = 0; k < n; ++k) {
        if (arithmetic)
            emit(c, PIC_RLF, t, 0, line);
        else
            emit(c, PIC_BCF, Status, Carry, line);
        emit(c, kind == SHIFTL ? PIC_RLF : PIC_RRF, t, 1, line);
    }
    finish(s, a, b, IDENTIFIER, t);
    return true;
}

} // namespace

void loadWidened(Compilation& c, const Item& a, const std::string& t, int line) {
    if (isWide(&a)) {
        copyInto(c, a, t, line);
        return;
    }
    emitOn(c, PIC_MOVF, a, 0, line);
    emit(c, PIC_MOVWF, t, -1, line);
    emit(c, PIC_CLRF, t, -1, line, 0, 1);
    if (signOf(c, a) == SIGNED) {
        emitOn(c, PIC_BTFSC, a, 7, line);
        emit(c, PIC_DECF, t, 1, line, 0, 1);
    }
}

// A shift by a constant count from 1 to 15, inline where that is shorter than the routine's
// call: the value widened to 16 bits in a temporary, whole bytes moved first, then one rotate
// through the carry per remaining bit. Counts outside 1..15 keep the routine's rules. A shift
// stored whole into an 8-bit place is done at 8 bits.
bool generateConstantShift(Site& s) {
    Item* a = s.item->next;
    Item* b = a->next;
    Compilation& c = s.c;
    const int line = s.line();
    const int kind = s.item->kind;
    if ((kind != SHIFTL && kind != SHIFTR) || !isValue(a) || isConstant(a) || !isConstant(b) ||
        b->ival < 1 || b->ival > 15)
        return false;
    if (storedAsByte(s, b) && shiftByte(s, a, b))
        return true;
    const int n = static_cast<int>(b->ival);
    const OperationType type = shiftType(c, *a);
    const bool arithmetic = kind == SHIFTR && type.sign == SIGNED;
    if (shiftWords(n, arithmetic) > MaxInlineWords)
        return false;
    c.codegen.expressionSign = type.sign;
    const std::string t = newTemporary(c, true);
    loadWidened(c, *a, t, line);
    if (n >= 8) {
        shiftOneByte(c, t, kind, arithmetic, line);
        shiftRemainingBits(c, t, kind, arithmetic, n - 8, line);
    } else {
        for (int k = 0; k < n; ++k)
            shiftOneBit(c, t, kind, arithmetic, line);
    }
    finish(s, a, b, LONG_IDENTIFIER, t);
    return true;
}

bool generateRuntimeOperation(Site& s) {
    Item* a = s.item->next;
    Item* b = a->next;
    Compilation& c = s.c;
    const int line = s.line();
    if (!isValue(a) || !isValue(b))
        return false;
    if (generateConstantShift(s) || generateConstantMultiply(s))
        return true;
    const int kind = s.item->kind;
    c.codegen.expressionSign =
        kind == SHIFTL || kind == SHIFTR ? shiftType(c, *a).sign : widenedType(c, *a, *b).sign;
    callRuntimeRoutine(c, s.item->kind, *a, *b, line);
    const std::string t = newTemporary(c, true);
    emit(c, PIC_MOVWF, t, -1, line);
    emit(c, PIC_MOVF, c.codegen.returnHighRegister, 0, line);
    emit(c, PIC_MOVWF, t, -1, line, 0, 1);
    finish(s, a, b, LONG_IDENTIFIER, t);
    return true;
}

} // namespace kavo::codegen
