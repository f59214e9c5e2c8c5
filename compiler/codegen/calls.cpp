// Call sites, return statements and function ends.
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/functions.hpp"
#include "compiler/codegen/generator.hpp"
#include "compiler/codegen/genexpr.hpp"
#include "compiler/codegen/runtime_routines.hpp"
#include "compiler/symbols/pointer_types.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/symbols/types.hpp"

namespace kavo {

namespace {

// A function returning a char pointer returns two bytes, as one returning a long does.
bool returnsCharPointer(const Symbol& function) {
    return function.base == LONG && function.pointee == CHAR;
}

} // namespace

int returnSize(Compilation& c, std::string_view function) {
    const Symbol* symbol = functionSymbol(c, function);
    if (symbol == nullptr)
        return -1;
    return typesize(c, nullptr, symbol->base, symbol->typeName);
}

namespace {

constexpr std::string_view ReturnAreaPrefix = "_ret_";

} // namespace

const Symbol* aggregateReturner(const Compilation& c, std::string_view function) {
    const Symbol* symbol = functionSymbol(c, function);
    return symbol != nullptr && (symbol->base == STRUCT || symbol->base == UNION) ? symbol
                                                                                  : nullptr;
}

std::string returnArea(Compilation& c, const Symbol& function) {
    const std::string name = std::string(ReturnAreaPrefix) + function.name;
    if (findsymin(c, name, GlobalScope) == nullptr) {
        addsym(c, c.symbols.main, STATIC, function.base, 0, name, GlobalScope, function.typeName,
               SIGNED, c.currentLine);
        setsizes(c);
    }
    return name;
}

std::string returnAreaOwner(std::string_view name) {
    return name.starts_with(ReturnAreaPrefix) ? std::string(name.substr(ReturnAreaPrefix.size()))
                                              : std::string();
}

namespace codegen {

namespace {

// The argument just compiled, as the call's argument lowering will read it: a constant's
// marker holds its value, an identifier's its offset and its sign (a struct member's leaf
// names the whole variable, whose symbol does not know the member's sign).
void passArgument(Site& s, const std::string& callee) {
    Compilation& c = s.c;
    const int line = s.line();
    const ExpressionResult& r = c.codegen.lastResult;
    if (r.kind == INTEGER_CONSTANT) {
        emit(c, PIC_FUNCARG, "", INTEGER_CONSTANT, line, r.value);
        return;
    }
    if (r.kind != IDENTIFIER && r.kind != LONG_IDENTIFIER) {
        c.error(strprintf("ERROR(C39): Line: %d Bad argument in function call. Got %s size = %d "
                          "argsize = %d. funcname = %s\n",
                          line, writtenAs(r).c_str(), getsize(c, r.name), 0, callee.c_str()));
        return;
    }
    if (namesWholeArray(c, r.name, r.sign)) {
        // An array is passed by its address.
        const std::string t = newtmp(c, INT);
        emit(c, PIC_ADDRESSOF, r.name, -1, line, 0, r.value);
        emit(c, PIC_MOVWF, t, -1, line);
        emit(c, PIC_FUNCARG, t, IDENTIFIER, line, UNSIGNED);
    } else {
        // A leaf naming a struct or union stands for one of its members: a whole one is
        // refused as a value before it gets here.
        emit(c, PIC_FUNCARG, r.name, r.kind, line, signOf(c, r), r.value);
    }
}

bool startCall(Site& s) {
    Compilation& c = s.c;
    Item* callee = s.item->next;
    if (callee == nullptr || callee->kind != IDENTIFIER) {
        c.error(strprintf("ERROR(C43): Line: %d Expecting function name.\n", s.line()));
        c.codegen.abortExpression = true;
        return true;
    }
    c.symbols.argumentCounters.push_back(c.codegen.argumentCounter);
    c.codegen.argumentCounter = 0;
    c.codegen.calleeNames.push_back(callee->cval);
    c.codegen.argumentTemps.emplace_back();
    emit(c, PIC_FUNCNAME, callee->cval, callee->kind, s.line(), 0, callee->ival);
    drop(s, callee);
    drop(s, s.item);
    return true;
}

// One argument passed: the call counts it, and its items go.
bool argumentDone(Site& s, Item* argument) {
    ++s.c.codegen.argumentCounter;
    drop(s, argument);
    drop(s, s.item);
    return true;
}

bool pushArgument(Site& s) {
    Compilation& c = s.c;
    Item* argument = s.item->next;
    if (argument == nullptr || argument->kind != EXPSTART)
        return false;
    std::string address;
    if (passAggregateArgument(c, argument->sublist, argument->next, s.line(), address)) {
        // The argument lowering copies it byte by byte into the parameter, just before the call.
        if (!address.empty() && !c.codegen.argumentTemps.empty())
            c.codegen.argumentTemps.back().push_back(address);
        return argumentDone(s, argument);
    }
    if (!genexpr(c, argument->sublist)) {
        // Refused already: its marker names no value, and the lowering passes nothing for it.
        emit(c, PIC_FUNCARG, "", 0, s.line());
        return argumentDone(s, argument);
    }
    // The argument's value must live until the call: the call's argument moves read it,
    // after the later arguments, which may move FSR.
    std::string held = takePendingResult(c);
    if (held.empty())
        for (const Item* i = argument->sublist; i != nullptr; i = i->next)
            if (isLeaf(i) && i->cval.starts_with("_tmp_") && i->next == nullptr)
                held = i->cval;
    const ExpressionResult settled = settledValue(c, c.codegen.lastResult, true, s.line());
    if (settled.name != c.codegen.lastResult.name)
        held = settled.name;
    c.codegen.lastResult = settled;
    passArgument(s, c.codegen.calleeNames.empty() ? std::string() : c.codegen.calleeNames.back());
    if (!held.empty() && !c.codegen.argumentTemps.empty())
        c.codegen.argumentTemps.back().push_back(held);
    return argumentDone(s, argument);
}

// The temporary that takes a call's result carries the sign the function returns, not the
// sign of the expression around the call: an unsigned char result of 200 widens to 200.
std::string resultTemporary(Compilation& c, const std::string& function, bool wide) {
    const Symbol* symbol = functionSymbol(c, function);
    if (symbol != nullptr && symbol->base == POINTER) {
        // A returned pointer keeps what it points at (the function describes it as a pointer
        // to it would).
        return newpointertmp(c, pointerReached(*symbol));
    }
    if (symbol != nullptr && returnsCharPointer(*symbol))
        return newpointertmp(c, charPointerType(symbol->sign));
    return newTemporaryOfSign(c, wide, symbol != nullptr ? symbol->sign : 0);
}

bool call(Site& s) {
    Compilation& c = s.c;
    const int line = s.line();
    Item* callee = s.item->next;
    if (callee == nullptr || callee->kind != IDENTIFIER)
        return false;
    const std::string name = callee->cval;
    emit(c, PIC_CALL, name, -1, line);
    if (const Symbol* returner = aggregateReturner(c, name)) {
        // The value stays in the return area: what uses it copies it out at once.
        becomeLeaf(s.item, IDENTIFIER, returnArea(c, *returner));
        drop(s, callee);
        return true;
    }
    int size = returnSize(c, name);
    if (size != 0 && size != 1 && size != 2) {
        c.message(strprintf("WARNING(C44): Line: %d Assuming int return value for function call "
                            "to %s.\n",
                            line, name.c_str()));
        size = 1;
    }
    const std::string t = resultTemporary(c, name, size == 2);
    if (size >= 1)
        emit(c, PIC_MOVWF, t, -1, line);
    if (size == 2) {
        emit(c, PIC_MOVF, c.codegen.returnHighRegister, 0, line);
        emit(c, PIC_MOVWF, t, -1, line, 0, 1);
    }
    becomeLeaf(s.item, size == 2 ? LONG_IDENTIFIER : IDENTIFIER, t);
    drop(s, callee);
    return true;
}

// Only a call with arguments has this end (and its start): the temporaries holding its
// arguments are freed here, never at a call without arguments, which may be nested in
// another call's argument list while that call's earlier arguments wait in temporaries.
bool endCall(Site& s) {
    Compilation& c = s.c;
    if (!c.symbols.argumentCounters.empty()) {
        c.codegen.argumentCounter = c.symbols.argumentCounters.back();
        c.symbols.argumentCounters.pop_back();
    }
    if (!c.codegen.calleeNames.empty())
        c.codegen.calleeNames.pop_back();
    if (!c.codegen.argumentTemps.empty()) {
        for (const std::string& held : c.codegen.argumentTemps.back())
            freetmp(c, held);
        c.codegen.argumentTemps.pop_back();
    }
    drop(s, s.item);
    return true;
}

void returnOneByte(Compilation& c, const ExpressionResult& r, int line) {
    if (r.kind == IDENTIFIER) {
        emit(c, PIC_MOVF, r.name, 0, line, 0, r.value);
    } else if (r.kind == LONG_IDENTIFIER) {
        c.message(strprintf("WARNING: Line: %d Return value might loose MSB\n", line));
        emit(c, PIC_MOVF, r.name, 0, line, 0, r.value);
    } else if (r.kind == INTEGER_CONSTANT) {
        if (r.value > 255)
            c.message(strprintf("WARNING: Line: %d Return value constant looses MSB\n", line));
        emit(c, r.value == 0 ? PIC_BSF : PIC_BCF, Status, Zero, line);
        emit(c, PIC_MOVLW, lowByte(r.value), -1, line, r.value & 0xFF);
    } else {
        c.error(strprintf("ERROR(C40): Line: %d Return value not supported.\n", line));
        return;
    }
    emit(c, PIC_RETURN, "", -1, line);
}

// A null RAM pointer returned as a char pointer stays null: the high byte is cleared when
// the byte just loaded is 0 (the load set the zero flag).
void clearTagOfNullPointer(Compilation& c, const ExpressionResult& r, const std::string& high,
                           int line) {
    Item leaf;
    leaf.kind = r.kind;
    leaf.cval = r.name;
    leaf.ival = r.value;
    if (!codegen::mayBeNullPointer(c, leaf))
        return;
    emit(c, PIC_BTFSC, Status, Zero, line);
    emit(c, PIC_CLRF, high, -1, line);
}

void returnTwoBytes(Compilation& c, const ExpressionResult& r, int line) {
    const std::string& high = c.codegen.returnHighRegister;
    const Symbol* function = functionSymbol(c, c.codegen.functionName);
    if (r.kind == IDENTIFIER && function != nullptr && returnsCharPointer(*function)) {
        // A byte returned as a char pointer is a RAM address (&x, an int pointer): it takes
        // the tag that tells it from a string's position.
        c.codegen.charPointersReachRam = true;
        emit(c, PIC_MOVLW, std::to_string(CharPointerRamTag), -1, line, CharPointerRamTag);
        emit(c, PIC_MOVWF, high, -1, line);
        emit(c, PIC_MOVF, r.name, 0, line, 0, r.value);
        clearTagOfNullPointer(c, r, high, line);
    } else if (r.kind == IDENTIFIER) {
        // An 8-bit value widens by its own sign.
        emit(c, PIC_CLRF, high, -1, line);
        if (codegen::signOf(c, r) == SIGNED) {
            emit(c, PIC_BTFSC, r.name, 7, line, 0, r.value);
            emit(c, PIC_DECF, high, 1, line);
        }
        emit(c, PIC_MOVF, r.name, 0, line, 0, r.value);
    } else if (r.kind == LONG_IDENTIFIER) {
        emit(c, PIC_MOVF, r.name, 0, line, 0, r.value + 1);
        emit(c, PIC_MOVWF, high, -1, line);
        emit(c, PIC_MOVF, r.name, 0, line, 0, r.value);
    } else if (r.kind == INTEGER_CONSTANT) {
        emit(c, PIC_MOVLW, highByte(r.value), -1, line, (r.value >> 8) & 0xFF);
        emit(c, PIC_MOVWF, high, -1, line);
        emit(c, PIC_MOVLW, lowByte(r.value), -1, line, r.value & 0xFF);
    } else {
        c.error(strprintf("ERROR(C41): Line: %d Return value not supported.\n", line));
        return;
    }
    emit(c, PIC_RETURN, "", -1, line);
}

} // namespace

bool generateCallSite(Site& s) {
    switch (s.item->kind) {
    case FUNC_START_PARAM:
        return startCall(s);
    case PUSH:
        return pushArgument(s);
    case FUNCCALL:
        return call(s);
    case FUNC_CLEAR_PARAM:
        return endCall(s);
    default:
        return false;
    }
}

// `return a;` of an array: the array's address, in a temporary (a return's expression that is
// one name keeps the name).
ExpressionResult arrayAddressOrValue(Compilation& c, const ExpressionResult& value, int line) {
    if (value.kind != IDENTIFIER || !namesWholeArray(c, value.name, value.sign))
        return value;
    ExpressionResult address;
    address.kind = IDENTIFIER;
    address.name = newTemporaryOfSign(c, false, UNSIGNED);
    emit(c, PIC_ADDRESSOF, value.name, -1, line, 0, value.value);
    emit(c, PIC_MOVWF, address.name, -1, line);
    return address;
}

bool generateReturn(Site& s) {
    Compilation& c = s.c;
    const int line = s.line();
    if (s.item->kind == RETURN) {
        emit(c, PIC_RETURN, "", -1, line);
    } else {
        const int size = returnSize(c, c.codegen.functionName);
        const ExpressionResult value =
            arrayAddressOrValue(c, settledValue(c, c.codegen.lastResult, false, line), line);
        if (size == 1)
            returnOneByte(c, value, line);
        else if (size == 2)
            returnTwoBytes(c, value, line);
        else
            c.error(strprintf("ERROR(C42): Line: %d Return value not supported.\n", line));
        if (value.name != c.codegen.lastResult.name)
            freetmp(c, value.name);
    }
    drop(s, s.item);
    return true;
}

} // namespace codegen

void generateFunctionEnd(Compilation& c, int line) {
    const std::string& name = c.codegen.functionName;
    if (name == "main") {
        const std::string loop = newlabel(c);
        emit(c, PIC_LABEL, loop, -1, line);
        emit(c, PIC_GOTO, loop, -1, line);
    } else if (name == "__interrupt") {
        if (c.pragmas.has("INTERRUPT_LOC")) {
            saveInterruptContext(c, line);
            emit(c, PIC_RETFIE, "", -1, line);
            emit(c, PIC_LABEL, "_ITR_E", -1, line);
        } else {
            emit(c, PIC_RETURN, "", -1, line);
        }
    } else {
        // Offset -9 marks the closing return of a function.
        emit(c, PIC_RETURN, "", -1, line, 0, -9);
        emit(c, PIC_LABEL, strprintf("@%s_END", name.c_str()), -1, line);
    }
    popscope(c);
}

void generateWalkConditionalJump(Compilation& c, const Node& node) {
    const int kind = c.codegen.lastResult.kind;
    if (kind != INTEGER_CONSTANT && kind != IDENTIFIER && kind != LONG_IDENTIFIER) {
        c.error(strprintf("ERROR(C05): %d: Line: %d Identifier expected.\n", kind, node.line));
        return;
    }
    codegen::generateConditionalJump(c, node.kind, node.cval, node.line);
}

std::string labelName(const Compilation& c, const std::string& label, int source) {
    if (source != SourceLabel)
        return label;
    const std::string& function = c.codegen.functionName;
    return strprintf("_L%zu%s_%s", function.size(), function.c_str(), label.c_str());
}

} // namespace kavo
