// Instruction semantics of the words the run loop leaves to this path (see core_decode.hpp):
// every instruction on a special register or through INDF, and the rarer control instructions.
// Encodings (12-bit words):
//   000..01F  NOP, OPTION, SLEEP, CLRWDT, TRIS (MOV !port,W), RET, RETP, RETI, RETIW, PAGE, BANK
//   020..03F  MOVWF      040 CLRW  041 IREAD  042 MOVMW  043 MOVWM  050..05F MODE  060..07F CLRF
//   080..3FF  file-register operations, bit 5 = result to the register (else to W)
//   400..7FF  BCF, BSF, BTFSC, BTFSS       800 RETLW  900 CALL  A00..BFF JMP
//   C00 MOVLW  D00 IORLW  E00 ANDLW  F00 XORLW
#include "simulator/core_registers.hpp"

namespace sxsim {

namespace {

constexpr unsigned kJumpCycles = 3;
constexpr unsigned kIreadCycles = 4;

} // namespace

// The current word, with nextPc_, cost_ and pcWritten_ describing where it leads and what it
// takes. An instruction that cannot run (stack overflow or underflow, an invalid word) changes
// nothing.
StopReason Core::executeGeneric() {
    nextPc_ = (pc_ + 1) & pcMask_;
    cost_ = 1;
    pcWritten_ = false;
    const StopReason reason = execute(program_[pc_]);
    if (stoppedBeforeRunning(reason)) {
        return reason;
    }
    if (pcWritten_) {
        cost_ = 3;
    }
    pc_ = nextPc_;
    return reason;
}

// Literal, jump and call words never arrive here: the run loop carries them out.
StopReason Core::execute(std::uint16_t word) {
    if (word >= 0x400) {
        return executeBitOp(word);
    }
    if (word >= 0x080) {
        return executeFileOp(word);
    }
    return executeMisc(word);
}

void Core::skipNext() {
    if (pcWritten_) {
        return;
    }
    unsigned skipped = 0;
    nextPc_ = skipFrom(nextPc_, skipped);
    cost_ += skipped;
}

StopReason Core::executeFileOp(std::uint16_t word) {
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

StopReason Core::executeBitOp(std::uint16_t word) {
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

// RETIW first adds W (the routine's W, before W is restored) to RTCC: an interrupt routine
// uses it to set the time to its next call.
StopReason Core::returnFromInterrupt(bool addWToRtcc) {
    if (addWToRtcc) {
        bringRtccUpToDate();
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
    planTimerEvent();
    cost_ = kJumpCycles;
    return StopReason::None;
}

StopReason Core::executeMisc(std::uint16_t word) {
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
void Core::readProgramMemory() {
    const std::uint16_t value = program_[((m_ & 0x0Fu) << 8 | w_) & pcMask_];
    m_ = static_cast<std::uint8_t>((m_ & ~0x0Fu) | (value >> 8));
    w_ = static_cast<std::uint8_t>(value);
    cost_ = kIreadCycles;
}

StopReason Core::executeSpecial(std::uint16_t word) {
    if (word >= 0x005 && word - 0x005u < device_.ports) {
        accessControlRegister(word - 0x005u);
        return StopReason::None;
    }
    switch (word) {
    case 0x002: // OPTION
        setOption(w_);
        return StopReason::None;
    case 0x003: // SLEEP
        status_ = static_cast<std::uint8_t>((status_ & ~status::PD) | status::TO);
        return StopReason::Sleep;
    case 0x004: // CLRWDT
        status_ |= status::TO | status::PD;
        return StopReason::None;
    case 0x00E:
        return returnFromInterrupt(false);
    case 0x00F:
        return returnFromInterrupt(true);
    default:
        return StopReason::InvalidInstruction;
    }
}

} // namespace sxsim
