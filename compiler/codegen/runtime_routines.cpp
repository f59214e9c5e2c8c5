// The runtime routines a program calls: generateRuntimeRoutines writes the multiply
// (generateMultiplyRoutine), divide (generateDivideRoutines) and shift (generateShiftRoutines)
// families in front of the user's code, with the signed remainder and the arithmetic right
// shift (writeSignedRemainder, writeSignedShiftRight) when called; saveInterruptContext and
// interruptSlotsFor protect their parameter slots around the interrupt routine.
#include "compiler/codegen/runtime_routines.hpp"

#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/emit.hpp"
#include "compiler/symbols/symbols.hpp"

#include <algorithm>
#include <array>
#include <string>

namespace kavo {

namespace {

constexpr int ToW = 0;
constexpr int ToF = 1;
constexpr int NoDest = -1;
constexpr int CarryBit = 0;
constexpr int ZeroBit = 2;
constexpr int SignBit = 7;
constexpr const char* Status = "@__stat__";

bool calls(const Compilation& c, std::string_view routine) {
    for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        if (i->opcode == PIC_CALL && i->operand == routine)
            return true;
    }
    return false;
}

// Writes one routine family at one source line, every record in the global scope.
class RoutineWriter {
public:
    RoutineWriter(Compilation& c, int line, int slots) : c_(c), line_(line) {
        // Slots are made in ascending order: a slot is made only above the highest one yet.
        for (int n = 1; n <= slots; ++n)
            slot_[static_cast<std::size_t>(n)] = newparm(c, n);
        savedGlobalScope_ = c.codegen.globalScopeFlag;
        c.codegen.globalScopeFlag = true;
    }
    ~RoutineWriter() { c_.codegen.globalScopeFlag = savedGlobalScope_; }
    RoutineWriter(const RoutineWriter&) = delete;
    RoutineWriter& operator=(const RoutineWriter&) = delete;

    const std::string& s(int n) const { return slot_[static_cast<std::size_t>(n)]; }
    const std::string& high() const { return c_.codegen.returnHighRegister; }

    void label(const std::string& name) { emit(c_, PIC_LABEL, name, NoDest, line_); }
    void op(int opcode, const std::string& f, int dest) { emit(c_, opcode, f, dest, line_); }
    void store(int opcode, const std::string& f) { emit(c_, opcode, f, NoDest, line_); }
    void literal(int opcode, int k) { emit(c_, opcode, std::to_string(k), NoDest, line_, k); }
    void jump(int opcode, const std::string& target) { emit(c_, opcode, target, NoDest, line_); }
    void bit(int opcode, const std::string& f, int bitNumber) {
        emit(c_, opcode, f, bitNumber, line_);
    }
    void ret() { emit(c_, PIC_RETURN, {}, NoDest, line_); }

    // Two's complement of the 16-bit operand in (low, high), in place.
    void negate(const std::string& low, const std::string& hi, const std::string& done) {
        op(PIC_COMF, hi, ToF);
        op(PIC_COMF, low, ToF);
        op(PIC_INCFSZ, low, ToF);
        jump(PIC_GOTO, done);
        op(PIC_INCF, hi, ToF);
    }

private:
    Compilation& c_;
    int line_;
    std::array<std::string, 8> slot_;
    bool savedGlobalScope_ = false;
};

// Runs body to emit a family at the end of the list and moves it behind PIC_STRINGLOC.
template <class Body> void writeFamily(Compilation& c, int line, int slots, Body body) {
    Instruction* tail = lastInstruction(c);
    {
        RoutineWriter w(c, line, slots);
        body(w);
    }
    moveEmittedAfter(c, tail, findStringLoc(c));
}

std::string entry(std::string_view routine) {
    return "@" + std::string(routine);
}

std::string endLabel(std::string_view routine) {
    return strprintf("@%s_END", std::string(routine).c_str());
}

constexpr std::string_view Mult = "@__FUNC_MULT";
constexpr std::string_view Div = "@__FUNC_DIV";
constexpr std::string_view Sdiv = "@__FUNC_SDIV";
constexpr std::string_view Mod = "@__FUNC_MOD";
constexpr std::string_view Smod = "@__FUNC_SMOD";
constexpr std::string_view ShiftLeft = "@__FUNC_SHIFTL";
constexpr std::string_view ShiftRight = "@__FUNC_SHIFTR";
constexpr std::string_view SignedShiftRight = "@__FUNC_SSHIFTR";
constexpr std::string_view StringReader = "@__strings_";

} // namespace

// 16 x 16 multiply by shift and add; the low 16 bits of the product. Slot 5 counts the 16
// multiplier bits, slot 6 and return-high build the product.
void generateMultiplyRoutine(Compilation& c) {
    if (!calls(c, Mult))
        return;
    writeFamily(c, MultiplyRoutineLine, 6, [](RoutineWriter& w) {
        w.label(entry(Mult));
        w.literal(PIC_MOVLW, 16);
        w.store(PIC_MOVWF, w.s(5));
        w.store(PIC_CLRF, w.high());
        w.store(PIC_CLRF, w.s(6));
        w.label("@multloop");
        // The next multiplier bit into carry. Whatever enters at the top is never examined:
        // it takes 16 more steps to reach bit 0.
        w.op(PIC_RRF, w.s(2), ToF);
        w.op(PIC_RRF, w.s(1), ToF);
        w.bit(PIC_BTFSS, Status, CarryBit);
        w.jump(PIC_GOTO, "@noadd");
        w.op(PIC_MOVF, w.s(3), ToW);
        w.op(PIC_ADDWF, w.s(6), ToF);
        w.bit(PIC_BTFSC, Status, CarryBit);
        w.op(PIC_INCF, w.high(), ToF);
        w.op(PIC_MOVF, w.s(4), ToW);
        w.op(PIC_ADDWF, w.high(), ToF);
        w.label("@noadd");
        w.bit(PIC_BCF, Status, CarryBit);
        w.op(PIC_RLF, w.s(3), ToF);
        w.op(PIC_RLF, w.s(4), ToF);
        w.op(PIC_DECFSZ, w.s(5), ToF);
        w.jump(PIC_GOTO, "@multloop");
        w.op(PIC_MOVF, w.s(6), ToW);
        w.ret();
        w.label(endLabel(Mult));
    });
}

// The signed remainder takes the dividend's sign (-7 % 2 is -1): both operands made
// positive, the unsigned remainder taken, and negated when the dividend was negative (its
// sign kept in slot 5 bit 7).
void writeSignedRemainder(RoutineWriter& w) {
    w.label(entry(Smod));
    w.op(PIC_MOVF, w.s(2), ToW);
    w.store(PIC_MOVWF, w.s(5));
    w.bit(PIC_BTFSS, w.s(2), SignBit);
    w.jump(PIC_GOTO, "@compm");
    w.negate(w.s(1), w.s(2), "@compm");
    w.label("@compm");
    w.bit(PIC_BTFSS, w.s(4), SignBit);
    w.jump(PIC_GOTO, "@compn");
    w.negate(w.s(3), w.s(4), "@compn");
    w.label("@compn");
    w.jump(PIC_CALL, std::string(Mod));
    w.bit(PIC_BTFSS, w.s(5), SignBit);
    w.ret();
    w.store(PIC_MOVWF, w.s(5));
    w.op(PIC_COMF, w.s(5), ToF);
    w.op(PIC_COMF, w.high(), ToF);
    w.op(PIC_INCFSZ, w.s(5), ToF);
    w.jump(PIC_GOTO, "@smodd");
    w.op(PIC_INCF, w.high(), ToF);
    w.label("@smodd");
    w.op(PIC_MOVF, w.s(5), ToW);
    w.ret();
    w.label(endLabel(Smod));
}

// The arithmetic right shift of a signed value: the sign bit enters at the top (RLF of the
// high byte puts it into carry first). A count of 16 or more fills every bit with the sign.
void writeSignedShiftRight(RoutineWriter& w) {
    w.label(entry(SignedShiftRight));
    w.op(PIC_MOVF, w.s(2), ToW);
    w.store(PIC_MOVWF, w.high());
    w.op(PIC_MOVF, w.s(4), ToW);
    w.bit(PIC_BTFSS, Status, ZeroBit);
    w.jump(PIC_GOTO, "@ssrfill");
    w.op(PIC_MOVF, w.s(3), ToW);
    w.literal(PIC_ANDLW, 240);
    w.bit(PIC_BTFSS, Status, ZeroBit);
    w.jump(PIC_GOTO, "@ssrfill");
    w.op(PIC_MOVF, w.s(3), ToW);
    w.bit(PIC_BTFSC, Status, ZeroBit);
    w.jump(PIC_GOTO, "@ssrdone");
    w.label("@ssrloop");
    w.op(PIC_RLF, w.high(), ToW);
    w.op(PIC_RRF, w.high(), ToF);
    w.op(PIC_RRF, w.s(1), ToF);
    w.op(PIC_DECFSZ, w.s(3), ToF);
    w.jump(PIC_GOTO, "@ssrloop");
    w.label("@ssrdone");
    w.op(PIC_MOVF, w.s(1), ToW);
    w.ret();
    w.label("@ssrfill");
    w.literal(PIC_MOVLW, 0);
    w.bit(PIC_BTFSC, w.s(2), SignBit);
    w.literal(PIC_MOVLW, 255);
    w.store(PIC_MOVWF, w.high());
    w.ret();
    w.label(endLabel(SignedShiftRight));
}

// Unsigned 16-bit division by restoring shift and subtract, one loop for quotient and
// remainder: slot 6 counts 16 steps in its low five bits and its bit 7 (set by MOD's 144)
// asks for the remainder. The dividend in slots 1-2 shifts out as the quotient shifts in;
// the remainder builds in slot 7 and return-high. The remainder never needs a 17th bit: it
// stays below the divisor, and a divisor above 0x8000 can first be subtracted only at the
// last step. The signed divide, written only when called, makes both operands positive,
// divides, and negates the quotient when the signs differ (slot 5 bit 7).
void generateDivideRoutines(Compilation& c) {
    const bool signedDivide = calls(c, Sdiv);
    const bool signedRemainder = calls(c, Smod);
    if (!signedDivide && !signedRemainder && !calls(c, Div) && !calls(c, Mod))
        return;
    writeFamily(c, DivideRoutinesLine, 7, [signedDivide, signedRemainder](RoutineWriter& w) {
        if (signedRemainder)
            writeSignedRemainder(w);
        if (signedDivide) {
            w.label(entry(Sdiv));
            w.op(PIC_MOVF, w.s(2), ToW);
            w.op(PIC_XORWF, w.s(4), ToW);
            w.store(PIC_MOVWF, w.s(5));
            w.bit(PIC_BTFSS, w.s(2), SignBit);
            w.jump(PIC_GOTO, "@compb");
            w.negate(w.s(1), w.s(2), "@compb");
            w.label("@compb");
            w.bit(PIC_BTFSS, w.s(4), SignBit);
            w.jump(PIC_GOTO, "@compd");
            w.negate(w.s(3), w.s(4), "@compd");
            w.label("@compd");
            w.jump(PIC_CALL, std::string(Div));
            w.bit(PIC_BTFSS, w.s(5), SignBit);
            w.ret();
            w.store(PIC_MOVWF, w.s(5));
            w.op(PIC_COMF, w.s(5), ToF);
            w.op(PIC_COMF, w.high(), ToF);
            w.op(PIC_INCFSZ, w.s(5), ToF);
            w.jump(PIC_GOTO, "@sdivd");
            w.op(PIC_INCF, w.high(), ToF);
            w.label("@sdivd");
            w.op(PIC_MOVF, w.s(5), ToW);
            w.ret();
            w.label(endLabel(Sdiv));
        }
        w.label(entry(Mod));
        w.literal(PIC_MOVLW, 144);
        w.store(PIC_MOVWF, w.s(6));
        w.jump(PIC_GOTO, "@rmod");
        w.label(entry(Div));
        w.literal(PIC_MOVLW, 16);
        w.store(PIC_MOVWF, w.s(6));
        w.label("@rmod");
        w.store(PIC_CLRF, w.s(7));
        w.store(PIC_CLRF, w.high());
        w.label("@divloop");
        w.op(PIC_RLF, w.s(2), ToW);
        w.op(PIC_RLF, w.s(7), ToF);
        w.op(PIC_RLF, w.high(), ToF);
        // Trial subtraction; a borrow out of the low byte takes one more from the high byte
        // (divisor high + 1, which skips the high subtraction when it wraps to 0).
        w.op(PIC_MOVF, w.s(3), ToW);
        w.op(PIC_SUBWF, w.s(7), ToF);
        w.op(PIC_MOVF, w.s(4), ToW);
        w.bit(PIC_BTFSS, Status, CarryBit);
        w.op(PIC_INCFSZ, w.s(4), ToW);
        w.op(PIC_SUBWF, w.high(), ToF);
        w.bit(PIC_BTFSC, Status, CarryBit);
        w.jump(PIC_GOTO, "@uok66ll");
        w.op(PIC_MOVF, w.s(3), ToW);
        w.op(PIC_ADDWF, w.s(7), ToF);
        w.op(PIC_MOVF, w.s(4), ToW);
        w.bit(PIC_BTFSC, Status, CarryBit);
        w.op(PIC_INCFSZ, w.s(4), ToW);
        w.op(PIC_ADDWF, w.high(), ToF);
        w.bit(PIC_BCF, Status, CarryBit);
        w.label("@uok66ll");
        w.op(PIC_RLF, w.s(1), ToF);
        w.op(PIC_RLF, w.s(2), ToF);
        w.op(PIC_DECF, w.s(6), ToF);
        w.literal(PIC_MOVLW, 31);
        w.op(PIC_ANDWF, w.s(6), ToW);
        w.bit(PIC_BTFSS, Status, ZeroBit);
        w.jump(PIC_GOTO, "@divloop");
        w.bit(PIC_BTFSC, w.s(6), 7);
        w.jump(PIC_GOTO, "@modret");
        w.op(PIC_MOVF, w.s(2), ToW);
        w.store(PIC_MOVWF, w.high());
        w.op(PIC_MOVF, w.s(1), ToW);
        w.ret();
        w.label("@modret");
        w.op(PIC_MOVF, w.s(7), ToW);
        w.ret();
        w.label(endLabel(Div));
    });
}

// Logical 16-bit shifts of slots 1-2 by the count in slots 3-4. With both directions in the
// program they share the checks, and bit 7 of return-high carries the direction until the
// result overwrites it. With one direction only, only that direction's loop is written: the
// common part falls straight into it (falling into the left loop from a lone right shift
// would shift the wrong way).
void generateShiftRoutines(Compilation& c) {
    const bool left = calls(c, ShiftLeft);
    const bool right = calls(c, ShiftRight);
    const bool signedRight = calls(c, SignedShiftRight);
    if (!left && !right && !signedRight)
        return;
    writeFamily(c, ShiftRoutinesLine, 4, [left, right, signedRight](RoutineWriter& w) {
        if (signedRight)
            writeSignedShiftRight(w);
        if (!left && !right)
            return;
        const bool both = left && right;
        if (both) {
            w.label(entry(ShiftRight));
            w.bit(PIC_BSF, w.high(), 7);
            w.jump(PIC_GOTO, "@SLRcommon");
            w.label(entry(ShiftLeft));
            w.bit(PIC_BCF, w.high(), 7);
            w.label("@SLRcommon");
        } else {
            w.label(entry(left ? ShiftLeft : ShiftRight));
        }
        w.op(PIC_MOVF, w.s(2), ToW);
        w.op(PIC_IORWF, w.s(1), ToW);
        w.bit(PIC_BTFSS, Status, ZeroBit);
        w.jump(PIC_GOTO, "@8110");
        w.label("@8120");
        w.store(PIC_CLRF, w.high());
        w.literal(PIC_MOVLW, 0);
        w.ret();
        w.label("@8125");
        w.op(PIC_MOVF, w.s(2), ToW);
        w.store(PIC_MOVWF, w.high());
        w.op(PIC_MOVF, w.s(1), ToW);
        w.ret();
        w.label("@8110");
        w.op(PIC_MOVF, w.s(4), ToW);
        w.bit(PIC_BTFSS, Status, ZeroBit);
        w.jump(PIC_GOTO, "@8120");
        w.op(PIC_MOVF, w.s(3), ToW);
        w.bit(PIC_BTFSC, Status, ZeroBit);
        w.jump(PIC_GOTO, "@8125");
        w.literal(PIC_ANDLW, 240);
        w.bit(PIC_BTFSS, Status, ZeroBit);
        w.jump(PIC_GOTO, "@8120");
        if (both) {
            w.bit(PIC_BTFSC, w.high(), 7);
            w.jump(PIC_GOTO, "@sr");
        }
        if (left) {
            w.op(PIC_MOVF, w.s(2), ToW);
            w.store(PIC_MOVWF, w.high());
            w.label("@8130");
            w.bit(PIC_BCF, Status, CarryBit);
            w.op(PIC_RLF, w.s(1), ToF);
            w.op(PIC_RLF, w.high(), ToF);
            w.op(PIC_DECFSZ, w.s(3), ToF);
            w.jump(PIC_GOTO, "@8130");
            w.op(PIC_MOVF, w.s(1), ToW);
            w.ret();
            w.label(endLabel(ShiftLeft));
        }
        if (right) {
            w.label("@sr");
            w.op(PIC_MOVF, w.s(2), ToW);
            w.store(PIC_MOVWF, w.high());
            w.label("@srloop");
            w.bit(PIC_BCF, Status, CarryBit);
            w.op(PIC_RRF, w.high(), ToF);
            w.op(PIC_RRF, w.s(1), ToF);
            w.op(PIC_DECFSZ, w.s(3), ToF);
            w.jump(PIC_GOTO, "@srloop");
            w.op(PIC_MOVF, w.s(1), ToW);
            w.ret();
            w.label(endLabel(ShiftRight));
        }
    });
}

void generateRuntimeRoutines(Compilation& c) {
    // Each family lands right after PIC_STRINGLOC, in front of the one written before it.
    generateMultiplyRoutine(c);
    generateDivideRoutines(c);
    generateShiftRoutines(c);
}

int interruptSlotsFor(std::string_view routine) {
    if (routine == ShiftLeft || routine == ShiftRight || routine == SignedShiftRight)
        return 4;
    if (routine == Mult)
        return 6;
    if (routine == StringReader)
        return 2;
    if (routine == Div || routine == Sdiv || routine == Mod || routine == Smod)
        return 7;
    return 0;
}

void saveInterruptContext(Compilation& c, int line) {
    Instruction* label = nullptr;
    for (Instruction* i = c.instructions.head(); i != nullptr && label == nullptr; i = i->next) {
        if (i->opcode == PIC_LABEL && i->operand == "__interrupt")
            label = i;
    }
    int count = 0;
    Instruction* saveAt = label;
    bool saveSeen = false;
    for (Instruction* i = label; i != nullptr; i = i->next) {
        if (i->opcode == PIC_CALL)
            count = std::max(count, interruptSlotsFor(i->operand));
        if (!saveSeen && i->opcode == PIC_SAVEINT) {
            saveAt = i;
            saveSeen = true;
        }
    }
    c.codegen.interruptSaveCount = count;
    if (count == 0)
        return;

    std::vector<std::string> slots;
    std::vector<std::string> saves;
    for (int n = 1; n <= count; ++n)
        slots.push_back(newparm(c, n));
    slots.push_back(c.codegen.returnHighRegister);
    for (int n = 1; n <= count + 1; ++n) {
        const std::string name = strprintf("_svi_%d", n);
        if (findsymin(c, name, GlobalScope) == nullptr)
            addsym(c, c.symbols.main, 0, INT, 0, name, GlobalScope, "", SIGNED, line);
        saves.push_back(name);
    }

    const bool savedGlobalScope = c.codegen.globalScopeFlag;
    c.codegen.globalScopeFlag = true;
    const int saveLine = saveAt->line;
    Instruction* tail = lastInstruction(c);
    for (std::size_t n = 0; n < slots.size(); ++n) {
        emit(c, PIC_MOVF, slots[n], ToW, saveLine);
        emit(c, PIC_MOVWF, saves[n], NoDest, saveLine);
    }
    moveEmittedAfter(c, tail, saveAt);
    for (std::size_t n = 0; n < slots.size(); ++n) {
        emit(c, PIC_MOVF, saves[n], ToW, line);
        emit(c, PIC_MOVWF, slots[n], NoDest, line);
    }
    c.codegen.globalScopeFlag = savedGlobalScope;
}

} // namespace kavo
