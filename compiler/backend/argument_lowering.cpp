// Argument lowering (lowerArguments): each call's PIC_FUNCNAME / PIC_FUNCARG markers become
// moves through W into the called function's parameters, placed right before the call, so
// that an argument holding a nested call's result, or a nested call of the same function,
// cannot overwrite a parameter already set. A one-byte argument for a two-byte parameter is
// widened (sign-extended when signed); a two-byte argument for a one-byte parameter passes its
// low byte with a warning; an argument with no parameter gives C30 and C81; any other size
// pairing gives C39. A struct or union parameter takes one of its own type only (a variable,
// an element of an array of them or *q, the last two through FSR at the address the call
// holds), copied byte by byte: the callee changes its own copy. Anything else for it, or such
// a value for a scalar parameter, gives C310. The markers are then removed.
#include "compiler/backend/optimiser.hpp"
#include "compiler/backend/placement_internal.hpp"

#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/symbols/expression_checks.hpp"
#include "compiler/symbols/symbols.hpp"

namespace kavo::optimiser {

namespace {

struct Argument {
    const Instruction* marker;
    bool address;
};

struct PendingCall {
    std::string callee;
    std::vector<Argument> arguments;
};

const Symbol* argumentSymbol(const Compilation& c, const Instruction& argument) {
    if (!argument.scope.empty()) {
        if (const Symbol* s = findsymin(c, argument.operand, argument.scope))
            return s;
    }
    const auto& named = symbolsNamed(c, argument.operand);
    return named.empty() ? nullptr : named.front();
}

int argumentSize(const Compilation& c, const Instruction& argument) {
    if (argument.dest == INTEGER_CONSTANT)
        return argument.value >= -128 && argument.value <= 255 ? 1 : 2;
    if (argument.dest == LONG_IDENTIFIER)
        return 2;
    return argument.dest == IDENTIFIER ? 1 : (argumentSymbol(c, argument) ? 0 : -1);
}

// Writes the moves before position at, in order.
class MoveWriter {
public:
    MoveWriter(Code& code, std::size_t at, const Instruction& call)
        : code_(code), at_(at), call_(call) {}

    Instruction* add(int opcode, const std::string& operand, int dest, int offset,
                     const std::string& scope, int value = 0) {
        Instruction* made = code_.insertBefore(at_++, call_, opcode, operand, dest);
        made->offset = offset;
        made->scope = scope;
        made->value = value;
        return made;
    }
    std::size_t position() const { return at_; }

private:
    Code& code_;
    std::size_t at_;
    const Instruction& call_;
};

void moveConstant(MoveWriter& out, const Instruction& argument, const Symbol& parameter) {
    const int value = argument.value;
    if (parameter.size == 2) {
        const int high = (value >> 8) & 0xFF;
        out.add(PIC_MOVLW, std::to_string(high), -1, 0, "", high);
        out.add(PIC_MOVWF, parameter.name, -1, 1, parameter.scope);
    }
    const int low = value & 0xFF;
    out.add(PIC_MOVLW, std::to_string(low), -1, 0, "", low);
    out.add(PIC_MOVWF, parameter.name, -1, 0, parameter.scope);
}

void moveByte(MoveWriter& out, const Instruction& argument, int byte, const Symbol& parameter,
              int parameterByte) {
    out.add(PIC_MOVF, argument.operand, 0, argument.offset + byte, argument.scope);
    out.add(PIC_MOVWF, parameter.name, -1, parameterByte, parameter.scope);
}

// An array argument arrives as its address, stored into a temporary just before the marker:
// an address is widened with a zero high byte, never sign-extended.
bool isAddress(const Code& code, std::size_t marker) {
    return marker >= 2 && code.is(marker - 1, PIC_MOVWF) && code.is(marker - 2, PIC_ADDRESSOF) &&
           code.at(marker - 1)->operand == code.at(marker)->operand;
}

// A RAM pointer (&c of a char too) other than a char pointer.
bool holdsRamAddress(const Compilation& c, const Instruction& argument) {
    const Symbol* symbol = argumentSymbol(c, argument);
    return symbol != nullptr && symbol->type == POINTER;
}

constexpr int ZeroFlag = 2;

// A RAM pointer variable, which may be null: a temporary holds an address computed there.
bool mayBeNullPointer(const Compilation& c, const Instruction& argument) {
    return holdsRamAddress(c, argument) && !isTemporary(argument.operand);
}

// The generator writes an identifier argument's sign into its marker's value.
bool isSigned(const Instruction& argument) {
    return argument.value == SIGNED;
}

bool isAggregate(int type) {
    return type == STRUCT || type == UNION;
}

// An aggregate argument names its variable (or an array, at a constant element's offset), or
// (an element, *q) holds its address in the marker's temporary and names the array or
// pointer as the marker's object.
const Symbol* passedAggregate(const Compilation& c, const Instruction& argument, int& type) {
    if (!isAggregate(argument.dest))
        return nullptr;
    if (argument.object.empty()) {
        // A variable, or an array at a constant element's offset.
        const Symbol* variable = argumentSymbol(c, argument);
        type = variable == nullptr ? 0 : variable->type == ARRAY ? variable->base : variable->type;
        return variable;
    }
    const Symbol* reached = findsymin(c, argument.object, argument.objectScope);
    type = reached != nullptr ? reached->base : 0;
    return reached;
}

// Byte k through FSR at the held address, which then steps on; the FSR set-up names an
// array, so that the bank pass knows its bank.
void moveIndirectByte(MoveWriter& out, const Instruction& argument, const Symbol& reached,
                      const Symbol& parameter, int byte) {
    out.add(PIC_MOVF, argument.operand, 0, 0, argument.scope);
    Instruction* setUp = out.add(PIC_MOVWF, FileSelectRegister, -1, 0, GlobalScope);
    if (reached.type == ARRAY) {
        setUp->object = argument.object;
        setUp->objectScope = argument.objectScope;
    }
    out.add(PIC_MOVF, IndirectRegister, 0, 0, GlobalScope);
    out.add(PIC_MOVWF, parameter.name, -1, byte, parameter.scope);
    out.add(PIC_INCF, argument.operand, 1, 0, argument.scope);
}

// The argument as the program wrote it: the struct pt a, an element of the struct pt array
// pts, the struct pt *q.
std::string passedWords(const Symbol& passed, int type, const Instruction& argument) {
    const std::string kind = std::string(type == UNION ? "union " : "struct ") + passed.typeName;
    if (passed.type == ARRAY)
        return "an element of the " + kind + " array " + passed.name;
    if (!argument.object.empty())
        return "the " + kind + " *" + passed.name;
    return "the " + kind + " " + passed.name;
}

void moveAggregate(Compilation& c, MoveWriter& out, const Instruction& argument,
                   const Symbol& parameter, const std::string& callee) {
    int type = 0;
    const Symbol* passed = passedAggregate(c, argument, type);
    // A member struct's type is checked where the call is generated, which knows it.
    const bool checked = argument.value == AggregateArgumentChecked;
    if (passed == nullptr || !isAggregate(parameter.type) ||
        (!checked && (type != parameter.type || passed->typeName != parameter.typeName))) {
        reportParameterMismatch(c, argument.line, parameter, callee,
                                passed != nullptr ? passedWords(*passed, type, argument)
                                                  : std::string("this value"));
        return;
    }
    for (int byte = 0; byte < parameter.size; ++byte) {
        if (argument.object.empty())
            moveByte(out, argument, byte, parameter, byte);
        else
            moveIndirectByte(out, argument, *passed, parameter, byte);
    }
}

void moveArgument(Compilation& c, MoveWriter& out, const Argument& passed, const Symbol& parameter,
                  const std::string& callee) {
    const Instruction& argument = *passed.marker;
    if (argument.dest == 0)
        return; // its expression was refused
    if (isAggregate(argument.dest) || isAggregate(parameter.type)) {
        moveAggregate(c, out, argument, parameter, callee);
        return;
    }
    const int size = argumentSize(c, argument);
    const int line = argument.line;
    if (size == 1 && parameter.type == LONG && parameter.base == CHAR &&
        (passed.address || holdsRamAddress(c, argument))) {
        // A RAM address in a char pointer carries the tag that tells it from a string's
        // position.
        c.codegen.charPointersReachRam = true;
        moveByte(out, argument, 0, parameter, 0);
        out.add(PIC_MOVLW, std::to_string(CharPointerRamTag), -1, 0, "", CharPointerRamTag);
        if (!passed.address && mayBeNullPointer(c, argument)) {
            // A null pointer stays null (no object lives at RAM address 0, INDF's): the move
            // set the zero flag, which the literal keeps.
            out.add(PIC_BTFSC, placement::Status, ZeroFlag, 0, "");
            out.add(PIC_MOVLW, "0", -1, 0, "", 0);
        }
        out.add(PIC_MOVWF, parameter.name, -1, 1, parameter.scope);
        return;
    }
    if (argument.dest == INTEGER_CONSTANT && (parameter.size == 1 || parameter.size == 2)) {
        if (size == 2 && parameter.size == 1)
            c.message(strprintf("WARNING: Line: %d Argument to function looses MSB.\n", line));
        moveConstant(out, argument, parameter);
    } else if (size == 1 && parameter.size == 1) {
        moveByte(out, argument, 0, parameter, 0);
    } else if (size == 1 && parameter.size == 2) {
        moveByte(out, argument, 0, parameter, 0);
        out.add(PIC_CLRF, parameter.name, -1, 1, parameter.scope);
        if (!passed.address && isSigned(argument)) {
            out.add(PIC_BTFSC, argument.operand, 7, argument.offset, argument.scope);
            out.add(PIC_DECF, parameter.name, 1, 1, parameter.scope);
        }
    } else if (size == 2 && parameter.size == 2) {
        moveByte(out, argument, 0, parameter, 0);
        moveByte(out, argument, 1, parameter, 1);
    } else if (size == 2 && parameter.size == 1) {
        c.message(strprintf("WARNING: Line: %d Argument to function looses MSB.\n", line));
        moveByte(out, argument, 0, parameter, 0);
    } else {
        c.error(strprintf("ERROR(C39): Line: %d Argument expected Got %s size = %d argsize = "
                          "%d. funcname = %s\n",
                          line, std::string(kindSpelling(argument.dest)).c_str(), size,
                          parameter.size, callee.c_str()));
    }
}

void lowerCall(Compilation& c, Code& code, std::size_t callAt, const PendingCall& call) {
    const std::vector<const Symbol*> parameters = parametersOf(c, call.callee);
    MoveWriter out(code, callAt, *code.at(callAt));
    for (std::size_t k = 0; k < call.arguments.size(); ++k) {
        const Instruction& argument = *call.arguments[k].marker;
        if (k >= parameters.size()) {
            c.error(strprintf("ERROR(C30): Line: %d Too many arguments in function call.\n",
                              argument.line));
            c.error(strprintf("ERROR(C81): Line: %d Too many arguments in function call.\n",
                              argument.line));
            continue;
        }
        moveArgument(c, out, call.arguments[k], *parameters[k], call.callee);
    }
}

} // namespace

void lowerArguments(Compilation& c) {
    Code code(c.instructions);
    std::vector<PendingCall> open;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const Instruction& at = *code.at(i);
        if (at.opcode == PIC_FUNCNAME) {
            open.push_back({at.operand, {}});
        } else if (at.opcode == PIC_FUNCARG && !open.empty()) {
            open.back().arguments.push_back({&at, isAddress(code, i)});
        } else if (at.opcode == PIC_CALL && !open.empty() && open.back().callee == at.operand) {
            const std::size_t before = code.size();
            lowerCall(c, code, i, open.back());
            i += code.size() - before;
            open.pop_back();
        }
    }
    for (std::size_t i = code.size(); i-- > 0;) {
        if (code.is(i, PIC_FUNCNAME) || code.is(i, PIC_FUNCARG))
            code.erase(i);
    }
}

} // namespace kavo::optimiser
