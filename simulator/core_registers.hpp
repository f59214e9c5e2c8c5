// Register file access, inline because every instruction goes through it. Included only by the
// core's own source files.
//
// Addressing: fr 00h reaches the register FSR points at; fr 01h..0Fh are the global registers
// (special registers first, then global RAM); fr 10h..1Fh reach the bank FSR selects. On the
// 18/20/28 FSR bits 7:5 pick one of 8 banks; on the 48/52 FSR bits 7:4 pick one of 16. Through FSR
// the 18/20/28 reach a global register when FSR bit 4 is clear, the 48/52 when FSR is below 10h.
#pragma once

#include "simulator/core.hpp"

#include <array>

namespace sxsim {

// C and Z of an 8-bit addition by its 9-bit sum.
inline constexpr auto kCarryAndZero = [] {
    std::array<std::uint8_t, 512> table{};
    for (unsigned sum = 0; sum < table.size(); ++sum) {
        table[sum] = static_cast<std::uint8_t>((sum > 0xFF ? status::C : 0) |
                                               ((sum & 0xFF) == 0 ? status::Z : 0));
    }
    return table;
}();

// The flag arithmetic on a STATUS value held as a full register (the run loop keeps it in one).
// a + b + carryIn with C from bit 7 and DC from bit 3 (the carry into bit 4). Subtraction is
// a + ~b + 1, so C and DC read "no borrow" there, as the SX documents.
inline std::uint8_t addInto(unsigned& status, unsigned a, unsigned b, unsigned carryIn) {
    const unsigned sum = a + b + carryIn;
    const unsigned halfCarry = ((a ^ b ^ sum) >> 3) & status::DC;
    status =
        (status & ~unsigned{status::C | status::DC | status::Z}) | kCarryAndZero[sum] | halfCarry;
    return static_cast<std::uint8_t>(sum);
}

inline std::uint8_t withZero(unsigned& status, unsigned value) {
    const auto result = static_cast<std::uint8_t>(value);
    status = (status & ~unsigned{status::Z}) | kCarryAndZero[result]; // below 100h: Z alone
    return result;
}

inline std::uint8_t withCarry(unsigned& status, unsigned value, unsigned carry) {
    status = (status & ~unsigned{status::C}) | carry;
    return static_cast<std::uint8_t>(value);
}

// Stops for an instruction that could not run and changed nothing.
inline bool stoppedBeforeRunning(StopReason reason) {
    return reason == StopReason::StackOverflow || reason == StopReason::StackUnderflow ||
           reason == StopReason::InvalidInstruction;
}

inline unsigned Core::bankedIndex(unsigned fr) const {
    return ((fsr_ >> device_.bankShift) << 4) | (fr & 0x0F);
}

inline bool Core::indirectIsBanked() const {
    return device_.bankShift == 5 ? (fsr_ & 0x10) != 0 : fsr_ >= 0x10;
}

inline unsigned Core::indirectIndex() const {
    return bankedIndex(fsr_);
}

inline std::uint8_t Core::readRegister(unsigned fr) {
    if (fr >= 0x10) {
        return banked_[bankedIndex(fr)];
    }
    if (fr >= device_.firstGlobal) {
        return globals_[fr];
    }
    return readSpecial(fr);
}

inline void Core::writeRegister(unsigned fr, std::uint8_t value, bool flagsWin) {
    if (fr >= 0x10) {
        banked_[bankedIndex(fr)] = value;
    } else if (fr >= device_.firstGlobal) {
        globals_[fr] = value;
    } else {
        writeSpecial(fr, value, flagsWin);
    }
}

inline void Core::storeResult(unsigned fr, bool toRegister, std::uint8_t value, bool flagsWin) {
    if (toRegister) {
        writeRegister(fr, value, flagsWin);
    } else {
        w_ = value;
    }
}

// The register the result reaches decides whether the flags win (see writeSpecial), so STATUS
// written through INDF keeps them as STATUS written directly does.
inline void Core::storeResultWithFlags(unsigned fr, bool toRegister, std::uint8_t value) {
    storeResult(fr, toRegister, value, true);
}

// A taken skip also passes over any PAGE and BANK words that follow, so that "skip; PAGE; JMP"
// and "skip; BANK; op" act as one conditional instruction. Each skipped word costs a cycle.
inline unsigned Core::skipFrom(unsigned next, unsigned& skipped) const {
    unsigned address = next;
    skipped = 1;
    for (unsigned guard = 0; guard < device_.programWords && (program_[address] & 0xFF0) == 0x010;
         ++guard) {
        address = (address + 1) & pcMask_;
        ++skipped;
    }
    return (address + 1) & pcMask_;
}

inline void Core::setZero(std::uint8_t value) {
    unsigned status = status_;
    withZero(status, value);
    status_ = static_cast<std::uint8_t>(status);
}

inline std::uint8_t Core::addWithFlags(std::uint8_t a, std::uint8_t b, unsigned carryIn) {
    unsigned status = status_;
    const std::uint8_t sum = addInto(status, a, b, carryIn);
    status_ = static_cast<std::uint8_t>(status);
    return sum;
}

} // namespace sxsim
