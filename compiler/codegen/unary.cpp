// Unary operators, sizeof, and the increments and decrements.
//
// 16-bit increments and decrements (x a LONG_IDENTIFIER, t a 16-bit temporary):
//   pre-increment:  INCF x,F; BTFSC Z; INCF x+1,F; then t = x
//   post-increment: t = x; then INCF x,F; BTFSC Z; INCF x+1,F
//   pre-decrement:  MOVF x,W; BTFSC Z; DECF x+1,F; DECF x,F; then t = x
//   post-decrement: t = x; then MOVF x,W; BTFSC Z; DECF x+1,F; DECF x,F
// (the borrow into the high byte happens when the low byte was 0 before the decrement).
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/generator.hpp"
#include "compiler/symbols/pointer_types.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/symbols/types.hpp"

namespace kavo::codegen {

namespace {

void stepWide(Compilation& c, const Item& x, bool increment, int line) {
    if (increment) {
        emitOn(c, PIC_INCF, x, 1, line);
        emit(c, PIC_BTFSC, Status, Zero, line);
        emitOn(c, PIC_INCF, x, 1, line, true);
    } else {
        emitOn(c, PIC_MOVF, x, 0, line);
        emit(c, PIC_BTFSC, Status, Zero, line);
        emitOn(c, PIC_DECF, x, 1, line, true);
        emitOn(c, PIC_DECF, x, 1, line);
    }
}

void stepByte(Compilation& c, int kind, const Item& x, const std::string& t, int steps, int line) {
    const bool increment = kind == PREINC || kind == POSTINC;
    const int step = increment ? PIC_INCF : PIC_DECF;
    for (int i = 0; i < steps; ++i)
        emitOn(c, step, x, 1, line);
    if (kind == PREINC || kind == PREDEC) {
        emitOn(c, PIC_MOVF, x, 0, line);
    } else if (steps == 1) {
        // The old value, read back through the opposite step.
        emitOn(c, increment ? PIC_DECF : PIC_INCF, x, 0, line);
    } else {
        const int back = increment ? -steps : steps;
        emit(c, PIC_MOVLW, std::to_string(back), -1, line, back);
        emitOn(c, PIC_ADDWF, x, 0, line);
    }
    emit(c, PIC_MOVWF, t, -1, line);
}

const char* steppingErrorFormat(int kind) {
    switch (kind) {
    case PREINC:
        return "ERROR(C59): Line: %d Identifier expected near %s.\n";
    case POSTINC:
        return "ERROR(C60): Line: %d Identifier expected near %s.\n";
    case PREDEC:
        return "ERROR(C61): Line: %d Identifier expected near %s.\n";
    default:
        return "ERROR(C62): Line: %d Identifier expected near %s.\n";
    }
}

// A char pointer tells a RAM address by its tag, which an 8-bit address lacks. True when the
// items after an address-of are an assignment into a char pointer or an element of an array
// of them.
bool storedIntoCharPointer(const Compilation& c, const Item* after) {
    const Item* assignment = skipBrackets(after);
    if (assignment == nullptr || assignment->kind != ASSIGN)
        return false;
    const Item* target = skipBrackets(assignment->next);
    if (target != nullptr && target->kind == INDEX_ON && isIdentifier(target->next)) {
        // An element of an array of char pointers, not reached yet.
        const Symbol* array = findsym(c, target->next->cval);
        return array != nullptr && array->type == ARRAY && array->base == POINTER &&
               array->pointee == CHAR;
    }
    return isIdentifier(target) && storesCharPointer(c, *target);
}

// What a[i] of an array of arrays (or of a pointer to an array) is: a row of this many
// elements; 1 for an element.
int elementsAfterSubscripts(const Symbol& array, const std::string& subscripts) {
    const std::size_t given = subscripts.empty() ? 1 : std::stoul(subscripts);
    int elements = 1;
    for (std::size_t i = given - 1; i < array.rowDimensions.size(); ++i)
        elements *= array.rowDimensions[i];
    return elements;
}

// A row's value (an array of `dimensions` dimensions) is a pointer to its first element: a
// char pointer is two bytes, the others (a pointer to a row among them) one.
int rowPointerSize(int elementType, std::size_t dimensions) {
    return elementType == CHAR && dimensions == 1 ? 2 : 1;
}

// The subscripts an element item names: its count as the SIZEOF item's text says, 1 for *p.
std::size_t subscriptsGiven(const std::string& subscripts) {
    return subscripts.empty() ? 1 : std::stoul(subscripts);
}

// A part of a variable as sizeof sees it: its bytes and its kind (CHAR, INT, LONG, POINTER,
// ARRAY for a row, STRUCT, ...); -1 bytes when the variable has no such part.
struct Part {
    int size = -1;
    int kind = 0;
};

// A part's size as sizeof's operand, or (asValue) as an operator's operand: an array is
// then a pointer and a struct or union has no size (-1).
Part sizeOfPart(Compilation& c, const Symbol& part, int type, bool asValue) {
    if (asValue && type == ARRAY)
        return {rowPointerSize(part.base, part.rowDimensions.size() + 1), POINTER};
    if (asValue && (type == STRUCT || type == UNION))
        return {};
    return {typesize(c, &part, type, part.typeName), type};
}

// A part of the variable x: itself, an element, what it points at, a member, what it
// returns (the SIZEOF item says which).
Part measurePart(Compilation& c, const Item& sizeOf, const Symbol& symbol) {
    const bool pointer = symbol.type == POINTER || (symbol.type == LONG && symbol.base == CHAR);
    const bool asValue = (sizeOf.ival & SizeOfAsValue) != 0;
    const int what = sizeOf.ival & ~(SizeOfAsValue | SizeOfAddress);
    if (what == SizeOfObject)
        return sizeOfPart(c, symbol, symbol.type, asValue);
    const bool aggregateElements = symbol.base == STRUCT || symbol.base == UNION;
    // a[i], and *a: an array's first element.
    if ((what == SizeOfElement || what == SizeOfTarget) && symbol.type == ARRAY &&
        symbol.count > 0) {
        const int elements = elementsAfterSubscripts(symbol, sizeOf.name);
        const std::size_t dimensions = symbol.rowDimensions.size() + 1;
        if (asValue && elements > 1) // a row
            return {rowPointerSize(symbol.base, dimensions - subscriptsGiven(sizeOf.name)),
                    POINTER};
        if (asValue && aggregateElements)
            return {};
        return {symbol.size / symbol.count * elements, elements > 1 ? ARRAY : symbol.base};
    }
    if ((what == SizeOfElement || what == SizeOfTarget) && pointer) {
        // Through a pointer to an array, fewer subscripts than its dimensions leave a row.
        const std::string& subscripts = what == SizeOfTarget ? std::string() : sizeOf.name;
        const std::size_t rowDimensions =
            symbol.rowDimensions.size() + 1 -
            std::min(subscriptsGiven(subscripts), symbol.rowDimensions.size() + 1);
        if (asValue && rowDimensions > 0)
            return {rowPointerSize(symbol.base, rowDimensions), POINTER};
        if (asValue && aggregateElements)
            return {};
        if (symbol.base == POINTER)
            return {pointerBytes(pointedLevels(symbol) - 1, innermostKind(symbol)), POINTER};
        return {typesize(c, nullptr, symbol.base, symbol.typeName) *
                    elementsAfterSubscripts(symbol, subscripts),
                rowDimensions > 0 ? ARRAY : symbol.base};
    }
    const bool whole = symbol.type == STRUCT || symbol.type == UNION;
    const bool through = pointer && aggregateElements;
    if (what == SizeOfMemberElement && (whole || through)) {
        // The member array measured as an array variable is, with the subscripts' count.
        const std::size_t slash = sizeOf.name.rfind('/');
        const Symbol* array =
            resolveMemberChain(c, symbol.typeName, sizeOf.name.substr(0, slash)).member;
        const bool pointerMember = array != nullptr && (array->type == POINTER ||
                                                        (array->type == LONG && array->base == CHAR));
        if (array == nullptr || (array->type != ARRAY && !pointerMember) ||
            slash == std::string::npos)
            return {};
        // *s.p of a pointer member is what it points at.
        Item element = sizeOf;
        element.ival = (pointerMember ? SizeOfTarget : SizeOfElement) | (asValue ? SizeOfAsValue : 0);
        element.name = pointerMember ? "" : sizeOf.name.substr(slash + 1);
        return measurePart(c, element, *array);
    }
    const bool ofElements = symbol.type == ARRAY && aggregateElements;
    if ((what == SizeOfMember && whole) || (what == SizeOfMemberThroughPointer && through) ||
        (what == SizeOfElementMember && ofElements)) {
        // The member's name, or its chain "in.x".
        const Symbol* member = resolveMemberChain(c, symbol.typeName, sizeOf.name).member;
        const bool bitField = member != nullptr && member->bitWidth > 0 && member->bitWidth < 8;
        if (bitField && (!asValue || (sizeOf.ival & SizeOfAddress) != 0))
            refuseBitFieldAddress(c, sizeOf.line);
        if (member != nullptr)
            return sizeOfPart(c, *member, member->type, asValue);
    }
    return {};
}

// sizeof of a part of the variable x, or of its address (a char's is a two-byte char
// pointer, any other a one-byte RAM address); -1 when x has no such part.
int partSize(Compilation& c, const Item& sizeOf, const Item& x) {
    const Symbol* symbol = findsym(c, x.cval);
    if (symbol == nullptr)
        return -1;
    const Part part = measurePart(c, sizeOf, *symbol);
    if ((sizeOf.ival & SizeOfAddress) == 0 || part.size < 0)
        return part.size;
    return part.kind == CHAR ? 2 : 1;
}

// sizeof f(): the size of what the function the SIZEOF item names returns (a char pointer
// is returned as a LONG, any other pointer as one byte); 0 after an error.
int returnedSize(Compilation& c, const Item& sizeOf, int line) {
    const Symbol* function = functionSymbol(c, sizeOf.name);
    if (function == nullptr) {
        // A function defined but never called is deleted before code is generated; a
        // prototype keeps its type.
        c.error(strprintf("ERROR(C338): Line: %d sizeof of a call to %s needs %s declared "
                          "before it: a function the program never calls is deleted, and only "
                          "a prototype keeps its type.\n",
                          line, sizeOf.name.c_str(), sizeOf.name.c_str()));
        return 0;
    }
    const int type = function->base;
    if (type == VOID) {
        c.error(strprintf("ERROR(C339): Line: %d sizeof of a call to %s, which returns void: a "
                          "void value has no size.\n",
                          line, sizeOf.name.c_str()));
        return 0;
    }
    if ((type == STRUCT || type == UNION) && (sizeOf.ival & SizeOfAsValue) != 0) {
        c.error(strprintf("ERROR(C259): Line: %d sizeof of an expression with a call to %s, "
                          "which returns a struct or union, as an operand is not supported by "
                          "this compiler yet.\n",
                          line, sizeOf.name.c_str()));
        return 0;
    }
    return typesize(c, nullptr, type, function->typeName);
}

// & of a temporary is always refused; what the temporary holds decides the message. A value
// read through FSR (*p, a member of an array element) was copied into it from INDF; anything
// else in it was computed, (x + 1).
bool holdsValueReadThroughFsr(const Compilation& c, const std::string& temporary) {
    bool fromIndf = false;
    const Instruction* previous = nullptr;
    for (const Instruction* i = c.instructions.head(); i != nullptr; previous = i, i = i->next) {
        if (i->opcode == PIC_MOVWF && i->operand == temporary)
            fromIndf = previous != nullptr && previous->opcode == PIC_MOVF &&
                       previous->operand == "@__f0__";
    }
    return fromIndf;
}

// One word of result: the operator becomes the leaf, the operand leaves.
void finishUnary(Site& s, Item* operand, int kind, const std::string& t) {
    becomeLeaf(s.item, kind, t);
    drop(s, operand);
}

} // namespace

bool generateUnary(Site& s) {
    Compilation& c = s.c;
    const int line = s.line();
    const int kind = s.item->kind;
    if (kind == SIZEOFS || kind == SIZEOFL || kind == SIZEOF0) {
        becomeConstant(s.item, kind == SIZEOFS ? 1 : kind == SIZEOFL ? 2 : 0);
        return true;
    }
    if (kind == SIZEOF && s.item->ival == SizeOfTag) {
        const Symbol* tag = findtag(c, visibletag(c, s.item->name));
        if (tag == nullptr)
            c.error(strprintf("ERROR(C27): Line: %d Identifier %s not defined.\n", line,
                              s.item->name.c_str()));
        becomeConstant(s.item, tag != nullptr ? typesize(c, nullptr, tag->type, tag->name) : 0);
        s.item->name.clear();
        return true;
    }
    if (kind == SIZEOF && (s.item->ival & ~SizeOfAsValue) == SizeOfReturn) {
        becomeConstant(s.item, returnedSize(c, *s.item, line));
        s.item->name.clear();
        return true;
    }
    Item* x = s.item->next;
    if (!isLeaf(x))
        return false;
    if (kind == UPLUS) {
        drop(s, s.item);
        return true;
    }
    const std::string name = writtenAs(resultOf(*x));
    if (kind == SIZEOF && s.item->ival != SizeOfObject) {
        const int size = partSize(c, *s.item, *x);
        if (size < 0 && (s.item->ival & SizeOfAsValue) != 0)
            c.error(strprintf("ERROR(C259): Line: %d sizeof of an expression with the struct or "
                              "union %s as an operand is not supported by this compiler yet.\n",
                              line, x->cval.c_str()));
        else if (size < 0)
            c.error(strprintf("ERROR(C259): Line: %d sizeof of this part of %s is not supported "
                              "by this compiler yet.\n",
                              line, x->cval.c_str()));
        becomeConstant(s.item, size < 0 ? 0 : size);
        drop(s, x);
        return true;
    }
    if (kind == SIZEOF) {
        const std::string t = newTemporary(c, false);
        emitOn(c, PIC_SIZEOF, *x, -1, line);
        emit(c, PIC_MOVWF, t, -1, line);
        finishUnary(s, x, IDENTIFIER, t);
        return true;
    }
    if (kind == ADDR) {
        const bool temporary = isIdentifier(x) && x->cval.starts_with("_tmp_");
        if (x->cval == "@__f0__" || (temporary && holdsValueReadThroughFsr(c, x->cval))) {
            // A value read through FSR (a member of an array element, *p) has no address here.
            c.error(strprintf("ERROR(C271): Line: %d The address of a value reached through a "
                              "pointer or an element of an array of structs is not supported.\n",
                              line));
            drop(s, s.item);
            return true;
        }
        if (!isIdentifier(x) || temporary) {
            c.error(strprintf("ERROR(C34): Line: %d Expecting Identifier.\n", line));
            drop(s, s.item);
            return true;
        }
        emitOn(c, PIC_ADDRESSOF, *x, -1, line);
        if (storedIntoCharPointer(c, x->next)) {
            finishUnary(s, x, LONG_IDENTIFIER, charPointerFromW(c, signOf(c, *x), line));
            return true;
        }
        const std::optional<Symbol> pointer = addressType(c, *x);
        const std::string t = newTemporaryOfSign(c, false, UNSIGNED);
        emit(c, PIC_MOVWF, t, -1, line);
        finishUnary(s, x, IDENTIFIER, t);
        // The byte is a pointer: compared with or taken from another it counts elements.
        if (pointer)
            s.item->name = markPointerElement(c, *pointer);
        return true;
    }
    if (!isIdentifier(x)) {
        const char* format = kind == BANG    ? "ERROR(C36): Line: %d Logical Negation Got %s\n"
                             : kind == TILDE ? "ERROR(C37): Line: %d Complement Got %s\n"
                                             : "ERROR(C35): Line: %d Got %s\n";
        c.error(strprintf(format, line, name.c_str()));
        drop(s, s.item);
        return true;
    }
    const bool wide = isWide(x);
    // - and ~ keep their operand's type.
    c.codegen.expressionSign = signOf(c, *x);
    if (kind == BANG) {
        const std::string t = newTemporaryOfSign(c, false, SIGNED);
        emit(c, PIC_CLRF, t, -1, line);
        emitOn(c, PIC_MOVF, *x, 0, line);
        if (wide)
            emitOn(c, PIC_IORWF, *x, 0, line, true);
        emit(c, PIC_BTFSC, Status, Zero, line);
        emit(c, PIC_INCF, t, 1, line);
        finishUnary(s, x, IDENTIFIER, t);
        return true;
    }
    const std::string t = newTemporary(c, wide);
    emitOn(c, PIC_COMF, *x, 0, line);
    emit(c, PIC_MOVWF, t, -1, line);
    if (wide) {
        emitOn(c, PIC_COMF, *x, 0, line, true);
        emit(c, PIC_MOVWF, t, -1, line, 0, 1);
    }
    if (kind == UMINUS && !wide) {
        emit(c, PIC_INCF, t, 1, line);
    } else if (kind == UMINUS) {
        emit(c, PIC_MOVLW, "1", -1, line, 1);
        emit(c, PIC_ADDWF, t, 1, line);
        emit(c, PIC_BTFSC, Status, Carry, line);
        emit(c, PIC_INCF, t, 1, line, 0, 1);
    }
    finishUnary(s, x, wide ? LONG_IDENTIFIER : IDENTIFIER, t);
    return true;
}

// ++ or -- on a 16-bit value at INDF (FSR at its low byte): the step is an addition or
// subtraction of 1 carried into the high byte; t gets the new value, read back from the high
// byte down (FSR ends at the low byte again), then the old one for a post-step.
void stepWideIndirect(Compilation& c, int kind, const std::string& t, int line) {
    const bool increment = kind == PREINC || kind == POSTINC;
    emit(c, PIC_MOVLW, "1", -1, line, 1);
    emit(c, increment ? PIC_ADDWF : PIC_SUBWF, "@__f0__", 1, line);
    emit(c, PIC_INCF, "@__fsr__", 1, line);
    emit(c, increment ? PIC_BTFSC : PIC_BTFSS, Status, Carry, line);
    emit(c, increment ? PIC_INCF : PIC_DECF, "@__f0__", 1, line);
    emit(c, PIC_MOVF, "@__f0__", 0, line);
    emit(c, PIC_MOVWF, t, -1, line, 0, 1);
    emit(c, PIC_DECF, "@__fsr__", 1, line);
    emit(c, PIC_MOVF, "@__f0__", 0, line);
    emit(c, PIC_MOVWF, t, -1, line);
    if (kind == PREINC || kind == PREDEC)
        return;
    emit(c, PIC_MOVLW, "1", -1, line, 1);
    emit(c, increment ? PIC_SUBWF : PIC_ADDWF, t, 1, line);
    emit(c, increment ? PIC_BTFSS : PIC_BTFSC, Status, Carry, line);
    emit(c, increment ? PIC_DECF : PIC_INCF, t, 1, line, 0, 1);
}

bool generateStepping(Site& s) {
    Compilation& c = s.c;
    const int line = s.line();
    const int kind = s.item->kind;
    Item* x = s.item->next;
    if (!isLeaf(x))
        return false;
    if (x->bitWidth > 0)
        return generateBitFieldStep(s);
    if (!isIdentifier(x)) {
        c.error(strprintf(steppingErrorFormat(kind), line, writtenAs(resultOf(*x)).c_str()));
        drop(s, s.item);
        return true;
    }
    const bool wide = isWide(x);
    c.codegen.expressionSign = signOf(c, *x);
    // The value of a stepped pointer is a pointer too: *p++ reads through it.
    const Symbol* pointer =
        ramPointerOf(c, *x) != nullptr ? ramPointerOf(c, *x) : stringPointerOf(c, *x);
    const std::string t = pointer != nullptr ? newpointertmp(c, *pointer) : newTemporary(c, wide);
    if (wide && x->cval == "@__f0__") {
        stepWideIndirect(c, kind, t, line);
    } else if (wide) {
        const bool increment = kind == PREINC || kind == POSTINC;
        const bool before = kind == PREINC || kind == PREDEC;
        if (!before)
            copyInto(c, *x, t, line);
        stepWide(c, *x, increment, line);
        if (before)
            copyInto(c, *x, t, line);
    } else {
        stepByte(c, kind, *x, t, pointer != nullptr ? pointeeSize(c, *pointer) : 1, line);
    }
    finishUnary(s, x, wide ? LONG_IDENTIFIER : IDENTIFIER, t);
    return true;
}

} // namespace kavo::codegen
