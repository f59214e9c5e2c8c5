// The special registers (INDF, RTCC, PC, STATUS, FSR, ports) and the flat RAM view.
#include "tests/simulator/reference_core/reference_core_registers.hpp"

namespace sxsim::reference {

// Reading the PC register gives the low byte of the address of the next instruction, so that
// "JMP PC+W" (ADD PC,W) with W = 0 continues with the word after it: jump tables start there.
std::uint8_t ReferenceCore::readSpecial(unsigned fr) {
    switch (fr) {
    case reg::INDF:
        if (indirectIsBanked()) {
            return banked_[indirectIndex()];
        }
        return (fsr_ & 0x0F) == reg::INDF ? 0 : readRegister(fsr_ & 0x0F);
    case reg::RTCC:
        return (option_ & option::RTW) ? rtcc_ : w_;
    case reg::PC:
        return static_cast<std::uint8_t>(nextPc_);
    case reg::STATUS:
        return status_;
    case reg::FSR:
        return fsr_;
    default: {
        const unsigned port = fr - reg::RA;
        return port < device_.ports ? portPins(port) : globals_[fr];
    }
    }
}

// A write to the PC register is a computed jump: bits 7:0 from the value, bit 8 cleared, the
// bits above from the page bits PA2:PA0, like CALL. When STATUS receives the result of an
// instruction that also set flags, the flags win: only the page bits take the written value,
// as on the 12-bit PIC core.
void ReferenceCore::writeSpecial(unsigned fr, std::uint8_t value, bool flagsWin) {
    switch (fr) {
    case reg::INDF:
        if (indirectIsBanked()) {
            banked_[indirectIndex()] = value;
        } else if ((fsr_ & 0x0F) != reg::INDF) {
            writeRegister(fsr_ & 0x0F, value, flagsWin);
        }
        return;
    case reg::RTCC:
        if (option_ & option::RTW) {
            writeRtcc(value);
        } else {
            w_ = value;
        }
        return;
    case reg::PC:
        nextPc_ = ((pageBits() << 9) | value) & pcMask_;
        pcWritten_ = true;
        return;
    case reg::STATUS: // TO and PD are read-only
        if (flagsWin) {
            status_ = static_cast<std::uint8_t>((value & status::PAGE_MASK) |
                                                (status_ & ~status::PAGE_MASK));
            return;
        }
        status_ = static_cast<std::uint8_t>((value & ~(status::TO | status::PD)) |
                                            (status_ & (status::TO | status::PD)));
        return;
    case reg::FSR:
        fsr_ = value;
        return;
    default: {
        const unsigned port = fr - reg::RA;
        if (port < device_.ports) {
            portLatch_[port] = value;
        } else {
            globals_[fr] = value;
        }
        return;
    }
    }
}

std::uint8_t ReferenceCore::portPins(unsigned port) const {
    const std::uint8_t inputs = tris(port);
    return static_cast<std::uint8_t>((portLatch_[port] & ~inputs) | (portInput_[port] & inputs));
}

// A side-effect-free read for the debugger's view; the PC register shows the current PC.
std::uint8_t ReferenceCore::peekRegister(unsigned fr) const {
    switch (fr) {
    case reg::INDF:
        return 0;
    case reg::RTCC:
        return (option_ & option::RTW) ? rtcc_ : w_;
    case reg::PC:
        return static_cast<std::uint8_t>(pc_);
    case reg::STATUS:
        return status_;
    case reg::FSR:
        return fsr_;
    default: {
        const unsigned port = fr - reg::RA;
        return fr < device_.firstGlobal && port < device_.ports ? portPins(port) : globals_[fr];
    }
    }
}

std::uint8_t ReferenceCore::readFlat(unsigned address) const {
    if (address >= flatRamSize()) {
        return 0;
    }
    const unsigned bank = address / 32;
    const unsigned fr = address % 32;
    return fr < 0x10 ? peekRegister(fr) : banked_[bank * 16 + (fr - 0x10)];
}

void ReferenceCore::writeFlat(unsigned address, std::uint8_t value) {
    if (address >= flatRamSize()) {
        return;
    }
    const unsigned bank = address / 32;
    const unsigned fr = address % 32;
    if (fr >= 0x10) {
        banked_[bank * 16 + (fr - 0x10)] = value;
    } else if (fr == reg::PC) {
        pc_ = (pc_ & ~0xFFu) | value;
    } else if (fr != reg::INDF) {
        writeRegister(fr, value);
    }
}

} // namespace sxsim::reference
