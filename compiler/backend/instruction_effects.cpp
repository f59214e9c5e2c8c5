// The effects model of the optimiser: for each opcode, what it reads and writes of W, the
// carry, digit carry and zero flags and its operand byte, and whether it may skip the next
// word. Holds effectsOf, isSkip and isTemporary. Anything the model does not know is a
// barrier, which every liveness question treats as a read of everything.
#include "compiler/backend/optimiser.hpp"

#include <cctype>

namespace kavo::optimiser {

namespace {

bool isNumeric(const std::string& operand) {
    return !operand.empty() &&
           (std::isdigit(static_cast<unsigned char>(operand[0])) != 0 || operand[0] == '-');
}

// A flag held in a STATUS bit; 0 for the other bits (page bits, power-down, time-out).
unsigned flagOfStatusBit(int bit) {
    switch (bit) {
    case 0:
        return C;
    case 1:
        return DC;
    case 2:
        return Z;
    default:
        return 0;
    }
}

// Byte-operand arithmetic and logic: reads the operand (and W for the two-operand forms),
// writes W or the operand.
Effects fileOperation(const Instruction& i, bool readsW, unsigned flags) {
    Effects e;
    e.readsRegister = true;
    e.reads = readsW ? unsigned{W} : 0u;
    e.writes = flags;
    if (i.dest == 1)
        e.writesRegister = true;
    else
        e.writes |= W;
    return e;
}

Effects byteEffects(const Instruction& i) {
    switch (i.opcode) {
    case PIC_ADDWF:
    case PIC_SUBWF:
        return fileOperation(i, true, C | DC | Z);
    case PIC_ANDWF:
    case PIC_IORWF:
    case PIC_XORWF:
        return fileOperation(i, true, Z);
    case PIC_COMF:
    case PIC_DECF:
    case PIC_INCF:
        return fileOperation(i, false, Z);
    case PIC_SWAPF:
        return fileOperation(i, false, 0);
    case PIC_RLF:
    case PIC_RRF: {
        Effects e = fileOperation(i, false, C);
        e.reads |= C;
        return e;
    }
    case PIC_DECFSZ:
    case PIC_INCFSZ: {
        Effects e = fileOperation(i, false, 0);
        e.skip = true;
        return e;
    }
    case PIC_MOVF: {
        // MOVF f,F only tests f: the byte keeps its value.
        Effects e = fileOperation(i, false, Z);
        e.writesRegister = false;
        return e;
    }
    case PIC_MOVWF: {
        Effects e;
        e.reads = W;
        e.writesRegister = true;
        return e;
    }
    case PIC_CLRF: {
        Effects e;
        e.writesRegister = true;
        e.writes = Z;
        return e;
    }
    default: {
        Effects e;
        e.barrier = true;
        return e;
    }
    }
}

Effects bitEffects(const Instruction& i) {
    Effects e;
    const bool status = i.operand == StatusRegister;
    const unsigned flag = status ? flagOfStatusBit(i.dest) : 0;
    if (i.opcode == PIC_BTFSC || i.opcode == PIC_BTFSS) {
        e.skip = true;
        if (flag != 0)
            e.reads = flag;
        else
            e.readsRegister = true;
        return e;
    }
    if (flag != 0) {
        e.writes = flag;
        return e;
    }
    // Setting or clearing one bit rewrites the whole byte.
    e.readsRegister = true;
    e.writesRegister = true;
    return e;
}

bool isByteOperation(int opcode) {
    return (opcode >= PIC_ADDWF && opcode <= PIC_XORWF && opcode != PIC_CLRW && opcode != PIC_NOP);
}

// Transfers, markers and everything whose effect is not modelled.
Effects otherEffects(const Instruction& i) {
    Effects e;
    switch (i.opcode) {
    case PIC_CLRW:
        e.writes = W | Z;
        return e;
    case PIC_NOP:
        return e;
    case PIC_MOVLW:
    case PIC_ADDRESSOF:
    case PIC_GETSTRADDR:
    case PIC_GETSTRADDRHI:
    case PIC_LABELADDR:
    case PIC_LABELADDRHI:
    case PIC_ADDMEMLOC:
    case PIC_SIZEOF:
        e.writes = W;
        return e;
    case PIC_ANDLW:
    case PIC_IORLW:
    case PIC_XORLW:
    case PIC_NOTW:
        e.reads = W;
        e.writes = W | Z;
        return e;
    case PIC_CLC:
        e.writes = C;
        return e;
    case PIC_CLZ:
        e.writes = Z;
        return e;
    case PIC_SC:
        e.reads = C;
        e.skip = true;
        return e;
    case PIC_SKIP:
        e.skip = true;
        return e;
    case PIC_SZ:
    case PIC_SNC:
    case PIC_SNZ:
    case PIC_CSA:
    case PIC_CSAE:
    case PIC_CSB:
    case PIC_CSBE:
    case PIC_CSE:
    case PIC_CSNE:
    case PIC_DJNZ:
    case PIC_IJNZ:
    case PIC_JB:
    case PIC_JNB:
    case PIC_ADDB:
    case PIC_SUBB:
    case PIC_MOVB:
    case PIC_MOV:
        // Compound forms expand to several words, some ending in a skip.
        e.barrier = true;
        e.skip = true;
        return e;
    default:
        e.barrier = true;
        return e;
    }
}

} // namespace

bool isTemporary(const std::string& name) {
    return name.starts_with("_tmp_");
}

Effects effectsOf(const Instruction& i) {
    Effects e;
    if (isByteOperation(i.opcode))
        e = byteEffects(i);
    else if (i.opcode >= PIC_BCF && i.opcode <= PIC_BTFSS)
        e = bitEffects(i);
    else
        return otherEffects(i);
    if (i.operand == PcRegister) {
        // Any access to the program counter is a computed jump or reads a moving address.
        e.barrier = true;
        return e;
    }
    if (i.operand == IndirectRegister || isNumeric(i.operand)) {
        // The byte reached may be any byte, so a write proves nothing dead.
        // W and STATUS are bytes of the data space as well.
        e.readsEveryRegister = true;
        e.writesRegister = false;
        e.reads |= W | Flags;
    }
    if (i.operand == StatusRegister && (e.readsRegister || e.writesRegister) &&
        !(i.opcode >= PIC_BCF && i.opcode <= PIC_BTFSS)) {
        if (e.readsRegister)
            e.reads |= Flags;
        if (e.writesRegister)
            e.writes |= Flags;
    }
    return e;
}

bool isSkip(const Instruction& i) {
    return effectsOf(i).skip;
}

} // namespace kavo::optimiser
