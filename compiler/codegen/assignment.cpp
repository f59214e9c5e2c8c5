// Assignment and the compound assignments. The value stands before the operator, the target
// after it; the assignment's own value is the target.
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/generator.hpp"
#include "compiler/symbols/symbols.hpp"

namespace kavo::codegen {

namespace {

const char* targetErrorFormat(int kind) {
    switch (kind) {
    case MINUSEQ:
        return "ERROR(C54): Line: %d Identifier expected near %s.\n";
    case ANDEQ:
        return "ERROR(C46): Line: %d Identifier expected near %s.\n";
    case EXOREQ:
        return "ERROR(C45): Line: %d Identifier expected near %s.\n";
    case OREQ:
        return "ERROR(C47): Line: %d Identifier expected near %s.\n";
    default:
        return "ERROR(C48): Line: %d Identifier expected near %s.\n";
    }
}

// The high byte of a 16-bit target: the next register, or, through INDF, the register
// after the one FSR points at. FSR steps there at once, before any skip that guards an
// operation on the high byte (INCF leaves the carry as it is).
class HighByte {
public:
    HighByte(Compilation& c, const Item& target, int line) : c_(c), target_(target), line_(line) {
        if (indirect())
            emit(c_, PIC_INCF, "@__fsr__", 1, line_);
    }

    void operate(int opcode, int dest) {
        if (indirect())
            emit(c_, opcode, "@__f0__", dest, line_);
        else
            emitOn(c_, opcode, target_, dest, line_, true);
    }

    bool indirect() const { return target_.cval == "@__f0__"; }

private:
    Compilation& c_;
    const Item& target_;
    int line_;
};

void storeHighByte(Compilation& c, int opcode, const Item& target, int line) {
    HighByte(c, target, line).operate(opcode, -1);
}

void assignPlain(Compilation& c, const Item& value, const Item& target, int line) {
    if (value.kind == ADDRESS)
        emit(c, PIC_MVFADDR, std::to_string(value.ival), -1, line, value.ival);
    else
        loadW(c, value, line);
    emitOn(c, PIC_MOVWF, target, -1, line);
    if (!isWide(&target))
        return;
    if (value.kind == LONG_IDENTIFIER || value.kind == INTEGER_CONSTANT) {
        loadW(c, value, line, true);
        storeHighByte(c, PIC_MOVWF, target, line);
        return;
    }
    if (target.cval == "@__f0__" && value.kind == IDENTIFIER && signOf(c, value) == SIGNED) {
        // Sign-extend through W: FSR moves on to the high byte before it is written.
        emit(c, PIC_MOVLW, "0", -1, line);
        emitOn(c, PIC_BTFSC, value, 7, line);
        emit(c, PIC_MOVLW, "255", -1, line, 255);
        storeHighByte(c, PIC_MOVWF, target, line);
        return;
    }
    storeHighByte(c, PIC_CLRF, target, line);
    if (target.cval == "@__f0__")
        return;
    if (value.kind == IDENTIFIER && signOf(c, value) == SIGNED) {
        emitOn(c, PIC_BTFSC, value, 7, line);
        emitOn(c, PIC_DECF, target, 1, line, true);
    }
}

// The high byte of an 8-bit SIGNED value added to (or taken from) a 16-bit target.
void adjustForNegativeByte(Compilation& c, const Item& value, HighByte& high, int step, int line) {
    if (value.kind != IDENTIFIER || signOf(c, value) != SIGNED)
        return;
    if (high.indirect()) {
        // One operation on the high byte with 0 or 255 in W: a bit test of the value's bank
        // never guards the access through FSR.
        emit(c, PIC_MOVLW, "0", -1, line);
        emitOn(c, PIC_BTFSC, value, 7, line);
        emit(c, PIC_MOVLW, "255", -1, line, 255);
        high.operate(step == PIC_DECF ? PIC_ADDWF : PIC_SUBWF, 1);
        return;
    }
    emitOn(c, PIC_BTFSC, value, 7, line);
    high.operate(step, 1);
}

// W = the value an assignment adds or subtracts: on a RAM pointer it counts elements.
void loadStepW(Compilation& c, const Item& value, const Item& target, int line) {
    const Symbol* pointer = ramPointerOf(c, target);
    if (pointer == nullptr || ramPointerOf(c, value) != nullptr)
        loadW(c, value, line);
    else
        loadScaledW(c, value, pointeeSize(c, *pointer), line);
}

// Whether the value has a high byte of its own to add or subtract.
bool hasHighByte(const Item& value) {
    return value.kind == LONG_IDENTIFIER ||
           (value.kind == INTEGER_CONSTANT && (value.ival >> 8) != 0);
}

// The value's high byte goes into W before the carry (or borrow) of the low bytes changes
// the target's: the value may be the target itself (l += l, or *p += l with p at l).
// Loading W keeps the carry.
void assignAdding(Compilation& c, const Item& value, const Item& target, int line) {
    loadStepW(c, value, target, line);
    emitOn(c, PIC_ADDWF, target, 1, line);
    if (!isWide(&target))
        return;
    HighByte high(c, target, line);
    if (hasHighByte(value))
        loadW(c, value, line, true);
    emit(c, PIC_BTFSC, Status, Carry, line);
    high.operate(PIC_INCF, 1);
    if (hasHighByte(value))
        high.operate(PIC_ADDWF, 1);
    adjustForNegativeByte(c, value, high, PIC_DECF, line);
}

void assignSubtracting(Compilation& c, const Item& value, const Item& target, int line) {
    loadStepW(c, value, target, line);
    emitOn(c, PIC_SUBWF, target, 1, line);
    if (!isWide(&target))
        return;
    HighByte high(c, target, line);
    if (hasHighByte(value))
        loadW(c, value, line, true);
    emit(c, PIC_BTFSS, Status, Carry, line);
    high.operate(PIC_DECF, 1);
    if (hasHighByte(value))
        high.operate(PIC_SUBWF, 1);
    adjustForNegativeByte(c, value, high, PIC_INCF, line);
}

// An 8-bit value meets a 16-bit target extended by its own sign: its high byte is 0 when
// it is unsigned, else 0 or 255 by its bit 7.
void assignBitwise(Compilation& c, int op, const Item& value, const Item& target, int line) {
    loadW(c, value, line);
    emitOn(c, op, target, 1, line);
    if (!isWide(&target))
        return;
    HighByte high(c, target, line);
    if (value.kind == LONG_IDENTIFIER || value.kind == INTEGER_CONSTANT) {
        loadW(c, value, line, true);
        high.operate(op, 1);
    } else if (signOf(c, value) == SIGNED) {
        emit(c, PIC_MOVLW, "0", -1, line);
        emitOn(c, PIC_BTFSC, value, 7, line);
        emit(c, PIC_MOVLW, "255", -1, line, 255);
        high.operate(op, 1);
    } else if (op == PIC_ANDWF) {
        // An unsigned 8-bit value's high byte counts as 0.
        high.operate(PIC_CLRF, -1);
    }
}

// The routine's call moves FSR: the value at FSR is worked on in a temporary, and FSR is set
// up again from the address kept before the call to store the result.
void assignIndirectThroughRoutine(Compilation& c, int kind, const Item& value, const Item& target,
                                  int line) {
    const bool wide = isWide(&target);
    const std::string address = newTemporaryOfSign(c, false, UNSIGNED);
    emit(c, PIC_MOVF, "@__fsr__", 0, line);
    emit(c, PIC_MOVWF, address, -1, line);
    Item copy = target;
    copy.cval = newTemporaryOfSign(c, wide, signOf(c, target));
    copy.ival = 0;
    emit(c, PIC_MOVF, "@__f0__", 0, line);
    emitOn(c, PIC_MOVWF, copy, -1, line);
    if (wide) {
        emit(c, PIC_INCF, "@__fsr__", 1, line);
        emit(c, PIC_MOVF, "@__f0__", 0, line);
        emitOn(c, PIC_MOVWF, copy, -1, line, true);
    }
    callRuntimeRoutine(c, kind, copy, value, line);
    emitOn(c, PIC_MOVWF, copy, -1, line);
    emit(c, PIC_MOVF, address, 0, line);
    emit(c, PIC_MOVWF, "@__fsr__", -1, line);
    emitOn(c, PIC_MOVF, copy, 0, line);
    emit(c, PIC_MOVWF, "@__f0__", -1, line);
    if (wide) {
        emit(c, PIC_INCF, "@__fsr__", 1, line);
        emit(c, PIC_MOVF, c.codegen.returnHighRegister, 0, line);
        emit(c, PIC_MOVWF, "@__f0__", -1, line);
    }
    freetmp(c, copy.cval);
    freetmp(c, address);
}

// x <<= n and x >>= n for a small constant n, in place: one rotate through the carry per
// bit and byte. An 8-bit target keeps only the low byte of C's 16-bit result, which is the
// 8-bit shift itself (a signed right shift copies the sign bit into the carry first).
bool shiftInPlace(Compilation& c, int kind, const Item& value, const Item& target, int line) {
    if ((kind != SHIFTLEQ && kind != SHIFTREQ) || value.kind != INTEGER_CONSTANT ||
        value.ival < 1 || value.ival > 7 || !isQuietPlace(c, target))
        return false;
    const bool wide = isWide(&target);
    const int n = static_cast<int>(value.ival);
    if ((wide ? 3 : 2) * n > 12)
        return false;
    // The sign C's widened value carries: an unsigned 8-bit target widens with zeros.
    const int sign = wide ? shiftType(c, target).sign : signOf(c, target);
    const bool arithmetic = kind == SHIFTREQ && sign == SIGNED;
    for (int k = 0; k < n; ++k) {
        if (kind == SHIFTLEQ) {
            emit(c, PIC_BCF, Status, Carry, line);
            emitOn(c, PIC_RLF, target, 1, line);
            if (wide)
                emitOn(c, PIC_RLF, target, 1, line, true);
            continue;
        }
        if (arithmetic)
            emitOn(c, PIC_RLF, target, 0, line, wide);
        else
            emit(c, PIC_BCF, Status, Carry, line);
        if (wide)
            emitOn(c, PIC_RRF, target, 1, line, true);
        emitOn(c, PIC_RRF, target, 1, line);
    }
    return true;
}

void assignThroughRoutine(Compilation& c, int kind, const Item& value, const Item& target,
                          int line) {
    if (shiftInPlace(c, kind, value, target, line))
        return;
    if (target.cval == "@__f0__") {
        assignIndirectThroughRoutine(c, kind, value, target, line);
        return;
    }
    callRuntimeRoutine(c, kind, target, value, line);
    emitOn(c, PIC_MOVWF, target, -1, line);
    if (isWide(&target)) {
        emit(c, PIC_MOVF, c.codegen.returnHighRegister, 0, line);
        emitOn(c, PIC_MOVWF, target, -1, line, true);
    }
}

// Whether the value and a 16-bit target are different places sharing a byte (members of a
// union). The target's bytes are written one by one, and the value's bytes read after the
// first write would already be changed; the same place is safe, since each of its bytes is
// read before it is written.
bool overlapsElsewhere(const Item& value, const Item& target) {
    if (!isIdentifier(&value) || !isWide(&target) || value.cval != target.cval)
        return false;
    const int valueEnd = value.ival + (isWide(&value) ? 2 : 1);
    const int targetEnd = target.ival + 2;
    const bool samePlace = value.ival == target.ival && valueEnd == targetEnd;
    return !samePlace && value.ival < targetEnd && target.ival < valueEnd;
}

// The value moves into a 16-bit temporary of its own, extended by its sign when it is 8-bit
// (as the operation would extend it).
void copyAside(Site& s, Item* value) {
    if (!isWide(value)) {
        widen(s, value);
        return;
    }
    const std::string t = newTemporaryOfSign(s.c, true, signOf(s.c, *value));
    copyInto(s.c, *value, t, s.line());
    becomeLeaf(value, LONG_IDENTIFIER, t);
}

// In a chain (b[j] = a[i] = 5) this assignment's value, its target, is the next one's value.
// A target at INDF is read into a temporary before the next target is reached, which may
// move FSR.
void keepValueForChain(Site& s, Item* target) {
    const Item* next = skipBrackets(target->next);
    if (next == nullptr || next->kind < ASSIGN || next->kind > OREQ)
        return;
    const ExpressionResult kept =
        settledValue(s.c, resultOf(*target), !isLeaf(skipBrackets(next->next)), s.line());
    if (kept.name != target->cval)
        becomeLeaf(target, kept.kind, kept.name);
}

// The sign a compound assignment done by a runtime routine works at; the others work byte
// by byte, where the sign does not matter.
int operationSign(const Compilation& c, int kind, const Item& value, const Item& target) {
    if (kind == SHIFTLEQ || kind == SHIFTREQ)
        return shiftType(c, target).sign;
    if (kind == STAREQ || kind == DIVEQ || kind == MODEQ)
        return widenedType(c, target, value).sign;
    return commonType(c, target, value).sign;
}

// The width of the place an assignment's target names before it is reduced to a leaf: 1 for
// an 8-bit variable or an element of an array of 8-bit elements, 0 when not known here.
int targetBytes(const Compilation& c, const Item* target) {
    if (target == nullptr)
        return 0;
    const Item* named = target->kind == INDEX_ON ? target->next : target;
    if (named == nullptr || named->kind != IDENTIFIER)
        return 0;
    const Symbol* symbol = findsym(c, named->cval);
    if (symbol == nullptr || (target->kind == INDEX_ON) != (symbol->type == ARRAY))
        return 0;
    const int type = symbol->type == ARRAY ? symbol->base : symbol->type;
    return type == CHAR || type == INT || type == SHORT ? 1 : 0;
}

} // namespace

bool isQuietPlace(const Compilation& c, const Item& place) {
    if (!isIdentifier(&place) || place.cval.empty() || place.cval[0] == '@')
        return false;
    if (place.cval.starts_with("_tmp_"))
        return true;
    const Symbol* symbol = findsym(c, place.cval);
    return symbol != nullptr && symbol->qual != VOLATILE && symbol->addr < 0;
}

bool storedAsByte(const Site& s, const Item* lastOperand) {
    if (skipBrackets(s.list) != s.item)
        return false;
    const Item* assignment = skipBrackets(lastOperand->next);
    return assignment != nullptr && assignment->kind == ASSIGN &&
           targetBytes(s.c, skipBrackets(assignment->next)) == 1;
}

namespace {

// A one-byte value stored into a char pointer is a RAM address: a pointer that is not a char
// pointer, &c (of a char too), a pointer read through a pointer to pointers.
bool holdsRamAddress(const Item& leaf) {
    return leaf.kind == IDENTIFIER;
}

} // namespace

bool generateAssignment(Site& s) {
    Compilation& c = s.c;
    const int line = s.line();
    const int kind = s.item->kind;
    Item* value = s.previous;
    Item* target = s.item->next;
    // An assignment with a missing side stops the expression at once.
    if (target == nullptr || value == nullptr) {
        c.error(strprintf(target == nullptr ? "ERROR(C50): Line: %d Syntax error near =.\n"
                                            : "ERROR(C51): Line: %d Syntax error near =.\n",
                          line));
        c.codegen.abortExpression = true;
        return true;
    }
    if (!isLeaf(value) || !isLeaf(target))
        return false;
    if (target->bitWidth > 0)
        return generateBitFieldAssignment(s);
    if (!isIdentifier(target)) {
        c.error(kind == ASSIGN ? strprintf("ERROR(C50): Line: %d Syntax error near =.\n", line)
                               : strprintf(targetErrorFormat(kind), line,
                                           writtenAs(resultOf(*target)).c_str()));
        drop(s, s.item);
        return true;
    }
    if (kind == ASSIGN && holdsRamAddress(*value) && storesCharPointer(c, *target)) {
        // The RAM address takes the tag that tells it from a string's position.
        const std::string tagged = charPointerFromRamAddress(c, *value, signOf(c, *value), line);
        freetmp(c, value->cval);
        becomeLeaf(value, LONG_IDENTIFIER, tagged);
    }
    c.codegen.expressionSign = operationSign(c, kind, *value, *target);
    if (overlapsElsewhere(*value, *target))
        copyAside(s, value);
    switch (kind) {
    case ASSIGN:
        if (target->cval.starts_with("_swt_"))
            c.codegen.switchValueTypes[target->cval] = {value->kind != IDENTIFIER,
                                                        signOf(c, *value)};
        assignPlain(c, *value, *target, line);
        break;
    case PLUSEQ:
        assignAdding(c, *value, *target, line);
        break;
    case MINUSEQ:
        assignSubtracting(c, *value, *target, line);
        break;
    case ANDEQ:
        assignBitwise(c, PIC_ANDWF, *value, *target, line);
        break;
    case OREQ:
        assignBitwise(c, PIC_IORWF, *value, *target, line);
        break;
    case EXOREQ:
        assignBitwise(c, PIC_XORWF, *value, *target, line);
        break;
    default:
        assignThroughRoutine(c, kind, *value, *target, line);
        break;
    }
    // The target stays in the list as the assignment's value.
    keepValueForChain(s, target);
    drop(s, value);
    drop(s, s.item);
    return true;
}

} // namespace kavo::codegen
