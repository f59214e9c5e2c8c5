// Register file access, inline because every instruction goes through it. Included only by the
// core's own source files.
//
// Addressing: fr 00h reaches the register FSR points at; fr 01h..0Fh are the global registers
// (special registers first, then global RAM); fr 10h..1Fh reach the bank FSR selects. On the
// 18/20/28 FSR bits 7:5 pick one of 8 banks; on the 48/52 FSR bits 7:4 pick one of 16. Through FSR
// the 18/20/28 reach a global register when FSR bit 4 is clear, the 48/52 when FSR is below 10h.
#pragma once

#include "tests/simulator/reference_core/reference_core.hpp"

namespace sxsim::reference {

inline unsigned ReferenceCore::bankedIndex(unsigned fr) const {
    return ((fsr_ >> device_.bankShift) << 4) | (fr & 0x0F);
}

inline bool ReferenceCore::indirectIsBanked() const {
    return device_.bankShift == 5 ? (fsr_ & 0x10) != 0 : fsr_ >= 0x10;
}

inline unsigned ReferenceCore::indirectIndex() const {
    return bankedIndex(fsr_);
}

inline std::uint8_t ReferenceCore::readRegister(unsigned fr) {
    if (fr >= 0x10) {
        return banked_[bankedIndex(fr)];
    }
    if (fr >= device_.firstGlobal) {
        return globals_[fr];
    }
    return readSpecial(fr);
}

inline void ReferenceCore::writeRegister(unsigned fr, std::uint8_t value, bool flagsWin) {
    if (fr >= 0x10) {
        banked_[bankedIndex(fr)] = value;
    } else if (fr >= device_.firstGlobal) {
        globals_[fr] = value;
    } else {
        writeSpecial(fr, value, flagsWin);
    }
}

inline void ReferenceCore::storeResult(unsigned fr, bool toRegister, std::uint8_t value,
                                       bool flagsWin) {
    if (toRegister) {
        writeRegister(fr, value, flagsWin);
    } else {
        w_ = value;
    }
}

// The register the result reaches decides whether the flags win (see writeSpecial), so STATUS
// written through INDF keeps them as STATUS written directly does.
inline void ReferenceCore::storeResultWithFlags(unsigned fr, bool toRegister, std::uint8_t value) {
    storeResult(fr, toRegister, value, true);
}

inline void ReferenceCore::setZero(std::uint8_t value) {
    status_ = static_cast<std::uint8_t>((status_ & ~status::Z) | (value == 0 ? status::Z : 0));
}

// a + b + carryIn with C from bit 7 and DC from bit 3. Subtraction is a + ~b + 1, so C and DC
// read "no borrow" there, as the SX documents.
inline std::uint8_t ReferenceCore::addWithFlags(std::uint8_t a, std::uint8_t b, unsigned carryIn) {
    const unsigned sum = a + b + carryIn;
    const unsigned low = (a & 0x0F) + (b & 0x0F) + carryIn;
    std::uint8_t flags = 0;
    flags |= sum > 0xFF ? status::C : 0;
    flags |= low > 0x0F ? status::DC : 0;
    flags |= (sum & 0xFF) == 0 ? status::Z : 0;
    status_ = static_cast<std::uint8_t>((status_ & ~(status::C | status::DC | status::Z)) | flags);
    return static_cast<std::uint8_t>(sum);
}

} // namespace sxsim::reference
