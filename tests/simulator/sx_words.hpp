// Hand encoders for SX instruction words, written from the SX instruction table, and a helper
// that places a program at address 0 of a fresh core. Tests use them to state programs briefly.
#pragma once

#include "simulator/core.hpp"

#include <cstdint>
#include <initializer_list>

namespace sxtest {

using Word = std::uint16_t;
inline constexpr bool W = false; // result to W
inline constexpr bool F = true;  // result to the register

constexpr Word fileOp(Word base, unsigned fr, bool toF) { return base | (toF ? 0x20 : 0) | fr; }
constexpr Word nop() { return 0x000; }
constexpr Word option() { return 0x002; }
constexpr Word sleep() { return 0x003; }
constexpr Word clrwdt() { return 0x004; }
constexpr Word tris(unsigned port) { return static_cast<Word>(0x005 + port); }
constexpr Word ret() { return 0x00C; }
constexpr Word retp() { return 0x00D; }
constexpr Word reti() { return 0x00E; }
constexpr Word retiw() { return 0x00F; }
constexpr Word page(unsigned n) { return static_cast<Word>(0x010 | n); }
constexpr Word bank(unsigned n) { return static_cast<Word>(0x018 | n); }
constexpr Word movwf(unsigned fr) { return static_cast<Word>(0x020 | fr); }
constexpr Word clrw() { return 0x040; }
constexpr Word iread() { return 0x041; }
constexpr Word movmw() { return 0x042; }
constexpr Word movwm() { return 0x043; }
constexpr Word mode(unsigned n) { return static_cast<Word>(0x050 | n); }
constexpr Word clrf(unsigned fr) { return static_cast<Word>(0x060 | fr); }
constexpr Word subwf(unsigned fr, bool d) { return fileOp(0x080, fr, d); }
constexpr Word decf(unsigned fr, bool d) { return fileOp(0x0C0, fr, d); }
constexpr Word iorwf(unsigned fr, bool d) { return fileOp(0x100, fr, d); }
constexpr Word andwf(unsigned fr, bool d) { return fileOp(0x140, fr, d); }
constexpr Word xorwf(unsigned fr, bool d) { return fileOp(0x180, fr, d); }
constexpr Word addwf(unsigned fr, bool d) { return fileOp(0x1C0, fr, d); }
constexpr Word movf(unsigned fr, bool d) { return fileOp(0x200, fr, d); }
constexpr Word comf(unsigned fr, bool d) { return fileOp(0x240, fr, d); }
constexpr Word incf(unsigned fr, bool d) { return fileOp(0x280, fr, d); }
constexpr Word decfsz(unsigned fr, bool d) { return fileOp(0x2C0, fr, d); }
constexpr Word rrf(unsigned fr, bool d) { return fileOp(0x300, fr, d); }
constexpr Word rlf(unsigned fr, bool d) { return fileOp(0x340, fr, d); }
constexpr Word swapf(unsigned fr, bool d) { return fileOp(0x380, fr, d); }
constexpr Word incfsz(unsigned fr, bool d) { return fileOp(0x3C0, fr, d); }
constexpr Word bitOp(Word base, unsigned fr, unsigned bit) {
    return static_cast<Word>(base | (bit << 5) | fr);
}
constexpr Word bcf(unsigned fr, unsigned bit) { return bitOp(0x400, fr, bit); }
constexpr Word bsf(unsigned fr, unsigned bit) { return bitOp(0x500, fr, bit); }
constexpr Word btfsc(unsigned fr, unsigned bit) { return bitOp(0x600, fr, bit); }
constexpr Word btfss(unsigned fr, unsigned bit) { return bitOp(0x700, fr, bit); }
constexpr Word retlw(unsigned k) { return static_cast<Word>(0x800 | k); }
constexpr Word call(unsigned a) { return static_cast<Word>(0x900 | (a & 0xFF)); }
constexpr Word jmp(unsigned a) { return static_cast<Word>(0xA00 | (a & 0x1FF)); }
constexpr Word movlw(unsigned k) { return static_cast<Word>(0xC00 | k); }
constexpr Word iorlw(unsigned k) { return static_cast<Word>(0xD00 | k); }
constexpr Word andlw(unsigned k) { return static_cast<Word>(0xE00 | k); }
constexpr Word xorlw(unsigned k) { return static_cast<Word>(0xF00 | k); }

// Places words from `at` upwards and starts execution at address 0.
inline void place(sxsim::Core& core, unsigned at, std::initializer_list<Word> words) {
    for (Word w : words) {
        core.setWord(at++, w);
    }
    core.setPc(0);
}

inline sxsim::Core coreWith(std::initializer_list<Word> words,
                            sxsim::DeviceKind kind = sxsim::DeviceKind::SX28) {
    sxsim::Core core(sxsim::deviceFor(kind));
    place(core, 0, words);
    return core;
}

inline void stepN(sxsim::Core& core, unsigned n) {
    for (unsigned i = 0; i < n; ++i) {
        core.step();
    }
}

inline bool flag(const sxsim::Core& core, std::uint8_t mask) {
    return (core.statusRegister() & mask) != 0;
}

} // namespace sxtest
