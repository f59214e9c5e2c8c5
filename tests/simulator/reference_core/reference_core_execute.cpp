// Instruction semantics. Encodings (12-bit words):
//   000..01F  NOP, OPTION, SLEEP, CLRWDT, TRIS (MOV !port,W), RET, RETP, RETI, RETIW, PAGE, BANK
//   020..03F  MOVWF      040 CLRW  041 IREAD  042 MOVMW  043 MOVWM  050..05F MODE  060..07F CLRF
//   080..3FF  file-register operations, bit 5 = result to the register (else to W)
//   400..7FF  BCF, BSF, BTFSC, BTFSS       800 RETLW  900 CALL  A00..BFF JMP
//   C00 MOVLW  D00 IORLW  E00 ANDLW  F00 XORLW
#include "tests/simulator/reference_core/reference_core_registers.hpp"

namespace sxsim::reference {

namespace {

constexpr unsigned kJumpCycles = 3;
constexpr unsigned kIreadCycles = 4;

bool isPageOrBank(std::uint16_t word) {
    return word >= 0x010 && word <= 0x01F;
}

} // namespace

StopReason ReferenceCore::execute(std::uint16_t word) {
    if (word >= 0x800) {
        return executeLiteralOp(word);
    }
    if (word >= 0x400) {
        return executeBitOp(word);
    }
    if (word >= 0x080) {
        return executeFileOp(word);
    }
    return executeMisc(word);
}

// A taken skip also passes over any PAGE and BANK words that follow, so that "skip; PAGE; JMP"
// and "skip; BANK; op" act as one conditional instruction. Each skipped word costs a cycle.
void ReferenceCore::skipNext() {
    if (pcWritten_) {
        return;
    }
    unsigned address = nextPc_;
    for (unsigned guard = 0; guard < device_.programWords && isPageOrBank(program_[address]);
         ++guard) {
        address = (address + 1) & pcMask_;
        ++cost_;
    }
    nextPc_ = (address + 1) & pcMask_;
    ++cost_;
}

StopReason ReferenceCore::executeFileOp(std::uint16_t word) {
    const unsigned fr = word & 0x1F;
    const bool toRegister = (word & 0x20) != 0;
    const std::uint8_t f = readRegister(fr);
    const unsigned c = status_ & status::C;
    std::uint8_t result = 0;
    switch (word >> 6) {
    case 0x2: // SUBWF: f - W
        result = addWithFlags(f, static_cast<std::uint8_t>(~w_), carryIntoArithmetic_ ? c : 1);
        break;
    case 0x3: // DECF
        result = static_cast<std::uint8_t>(f - 1);
        setZero(result);
        break;
    case 0x4: // IORWF
        result = f | w_;
        setZero(result);
        break;
    case 0x5: // ANDWF
        result = f & w_;
        setZero(result);
        break;
    case 0x6: // XORWF
        result = f ^ w_;
        setZero(result);
        break;
    case 0x7: // ADDWF
        result = addWithFlags(f, w_, carryIntoArithmetic_ ? c : 0);
        break;
    case 0x8: // MOVF
        result = f;
        setZero(result);
        break;
    case 0x9: // COMF
        result = static_cast<std::uint8_t>(~f);
        setZero(result);
        break;
    case 0xA: // INCF
        result = static_cast<std::uint8_t>(f + 1);
        setZero(result);
        break;
    case 0xB: // DECFSZ
        result = static_cast<std::uint8_t>(f - 1);
        storeResult(fr, toRegister, result);
        if (result == 0) {
            skipNext();
        }
        return StopReason::None;
    case 0xC: // RRF
        result = static_cast<std::uint8_t>((f >> 1) | (c << 7));
        status_ = static_cast<std::uint8_t>((status_ & ~status::C) | (f & 0x01));
        break;
    case 0xD: // RLF
        result = static_cast<std::uint8_t>((f << 1) | c);
        status_ = static_cast<std::uint8_t>((status_ & ~status::C) | (f >> 7));
        break;
    case 0xE: // SWAPF
        storeResult(fr, toRegister, static_cast<std::uint8_t>((f << 4) | (f >> 4)));
        return StopReason::None;
    default: // 0xF INCFSZ
        result = static_cast<std::uint8_t>(f + 1);
        storeResult(fr, toRegister, result);
        if (result == 0) {
            skipNext();
        }
        return StopReason::None;
    }
    storeResultWithFlags(fr, toRegister, result);
    return StopReason::None;
}

StopReason ReferenceCore::executeBitOp(std::uint16_t word) {
    const unsigned fr = word & 0x1F;
    const std::uint8_t mask = static_cast<std::uint8_t>(1u << ((word >> 5) & 0x07));
    const std::uint8_t f = readRegister(fr);
    switch ((word >> 8) & 0x03) {
    case 0: // BCF
        writeRegister(fr, static_cast<std::uint8_t>(f & ~mask));
        break;
    case 1: // BSF
        writeRegister(fr, static_cast<std::uint8_t>(f | mask));
        break;
    case 2: // BTFSC
        if ((f & mask) == 0) {
            skipNext();
        }
        break;
    default: // BTFSS
        if ((f & mask) != 0) {
            skipNext();
        }
        break;
    }
    return StopReason::None;
}

StopReason ReferenceCore::executeLiteralOp(std::uint16_t word) {
    const auto literal = static_cast<std::uint8_t>(word);
    switch (word >> 8) {
    case 0x8: // RETLW
        if (stackDepth_ == 0) {
            return StopReason::StackUnderflow;
        }
        w_ = literal;
        return returnFromSubroutine(false);
    case 0x9:
        return callSubroutine(word);
    case 0xA:
    case 0xB: { // JMP: 9 bits from the word, the rest from PA2:PA0
        const unsigned target = ((pageBits() << 9) | (word & 0x1FF)) & pcMask_;
        nextPc_ = target;
        cost_ = kJumpCycles;
        return idleLoop(target) ? StopReason::SelfJump : StopReason::None;
    }
    case 0xC: // MOVLW
        w_ = literal;
        return StopReason::None;
    case 0xD: // IORLW
        w_ |= literal;
        break;
    case 0xE: // ANDLW
        w_ &= literal;
        break;
    default: // XORLW
        w_ ^= literal;
        break;
    }
    setZero(w_);
    return StopReason::None;
}

// CALL reaches only the first half of a page: bits 7:0 from the word, bit 8 clear, PA2:PA0 above.
StopReason ReferenceCore::callSubroutine(std::uint16_t word) {
    if (stackDepth_ == STACK_DEPTH) {
        return StopReason::StackOverflow;
    }
    stack_[stackDepth_++] = static_cast<std::uint16_t>(nextPc_);
    nextPc_ = ((pageBits() << 9) | (word & 0xFF)) & pcMask_;
    cost_ = kJumpCycles;
    return StopReason::None;
}

// RETP also sets PA2:PA0 to the page of the return address, so that later JMP and CALL
// instructions in the caller need no PAGE of their own.
StopReason ReferenceCore::returnFromSubroutine(bool restorePage) {
    if (stackDepth_ == 0) {
        return StopReason::StackUnderflow;
    }
    nextPc_ = stack_[--stackDepth_];
    if (restorePage) {
        status_ = static_cast<std::uint8_t>((status_ & ~status::PAGE_MASK) |
                                            (((nextPc_ >> 9) & 0x07) << 5));
    }
    cost_ = kJumpCycles;
    return StopReason::None;
}

// RETIW first adds W (the routine's W, before W is restored) to RTCC: an interrupt routine
// uses it to set the time to its next call.
StopReason ReferenceCore::returnFromInterrupt(bool addWToRtcc) {
    if (addWToRtcc) {
        rtcc_ = static_cast<std::uint8_t>(rtcc_ + w_);
    }
    w_ = shadowW_;
    status_ = shadowStatus_;
    fsr_ = shadowFsr_;
    if (device_.savesModeOnInterrupt) {
        m_ = shadowM_;
    }
    nextPc_ = interruptReturn_;
    inInterrupt_ = false;
    cost_ = kJumpCycles;
    return StopReason::None;
}

StopReason ReferenceCore::executeMisc(std::uint16_t word) {
    if (word < 0x020) {
        return executeSpecial(word);
    }
    if (word < 0x040) { // MOVWF (to PC: "JMP W")
        writeRegister(word & 0x1F, w_);
        return StopReason::None;
    }
    if (word >= 0x060) { // CLRF
        storeResultWithFlags(word & 0x1F, true, 0);
        setZero(0);
        return StopReason::None;
    }
    if (word >= 0x050) { // MODE: 4 bits; M bit 4 of the 48/52 keeps its value
        m_ = static_cast<std::uint8_t>((m_ & ~0x0Fu) | (word & 0x0F));
        return StopReason::None;
    }
    switch (word) {
    case 0x040: // CLRW
        w_ = 0;
        setZero(0);
        return StopReason::None;
    case 0x041:
        readProgramMemory();
        return StopReason::None;
    case 0x042: // MOVMW
        w_ = m_;
        return StopReason::None;
    case 0x043: // MOVWM
        m_ = static_cast<std::uint8_t>(w_ & device_.modeMask());
        return StopReason::None;
    default:
        return StopReason::InvalidInstruction;
    }
}

// IREAD: the word at address M:W comes back as its high nibble in M bits 3:0 and low byte in W.
void ReferenceCore::readProgramMemory() {
    const std::uint16_t value = program_[((m_ & 0x0Fu) << 8 | w_) & pcMask_];
    m_ = static_cast<std::uint8_t>((m_ & ~0x0Fu) | (value >> 8));
    w_ = static_cast<std::uint8_t>(value);
    cost_ = kIreadCycles;
}

StopReason ReferenceCore::executeSpecial(std::uint16_t word) {
    if (word >= 0x018) { // BANK: FSR 7:5 on the 18/20/28; FSR 6:4 on the 48/52, where FSR.7
                         // keeps choosing the upper or lower group of eight banks
        const unsigned bits = word & 0x07;
        fsr_ = device_.bankShift == 5 ? static_cast<std::uint8_t>((fsr_ & 0x1F) | (bits << 5))
                                      : static_cast<std::uint8_t>((fsr_ & 0x8F) | (bits << 4));
        return StopReason::None;
    }
    if (word >= 0x010) { // PAGE
        status_ = static_cast<std::uint8_t>((status_ & ~status::PAGE_MASK) | ((word & 0x07) << 5));
        return StopReason::None;
    }
    if (word >= 0x005 && word - 0x005u < device_.ports) {
        accessControlRegister(word - 0x005u);
        return StopReason::None;
    }
    switch (word) {
    case 0x000: // NOP
        return StopReason::None;
    case 0x002: // OPTION
        option_ = w_;
        recomputeRtccMode();
        return StopReason::None;
    case 0x003: // SLEEP
        status_ = static_cast<std::uint8_t>((status_ & ~status::PD) | status::TO);
        return StopReason::Sleep;
    case 0x004: // CLRWDT
        status_ |= status::TO | status::PD;
        return StopReason::None;
    case 0x00C:
        return returnFromSubroutine(false);
    case 0x00D:
        return returnFromSubroutine(true);
    case 0x00E:
        return returnFromInterrupt(false);
    case 0x00F:
        return returnFromInterrupt(true);
    default:
        return StopReason::InvalidInstruction;
    }
}

bool ReferenceCore::idleLoop(unsigned target) const {
    if (target == pc_)
        return true;
    const std::uint16_t before = word(target);
    return target + 1 == pc_ && (before & 0xFF8) == 0x010 && (before & 0x007) == pageBits();
}

} // namespace sxsim::reference
