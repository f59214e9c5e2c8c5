// The operations the run loop carries out itself, as decoded from program words, and the layout
// of a decoded word. Included only by the core's own source files.
//
// The loop handles the instructions programs spend their time in, on the registers that have no
// side effects: banked RAM, global RAM and the STATUS bits. Everything else (the special
// registers and INDF, OPTION, SLEEP, port control, RETI, MODE, IREAD, invalid words) decodes to
// Generic and runs through Core::execute, the one place that knows those rules.
//
// A decoded word is op | register << 8 | value << 16: register is the RAM operand's index in the
// selected bank or in the globals; value is the literal, the bit mask of a bit operation, or the
// address bits of JMP and CALL.
#pragma once

#include "simulator/core.hpp"

#include <cstdint>

namespace sxsim::op {

// The file-register operations on RAM, each in four forms: the result to W or to the register
// (F), the register in the selected bank or global. SubCarry and AddCarry take the carry flag as
// an input (the fuse that makes ADD and SUB do so is known when the word is decoded).
#define KAVO_SX_RAM_OPERATIONS(FORMS)                                                              \
    FORMS(Sub)                                                                                     \
    FORMS(SubCarry)                                                                                \
    FORMS(Dec)                                                                                     \
    FORMS(Ior)                                                                                     \
    FORMS(And)                                                                                     \
    FORMS(Xor)                                                                                     \
    FORMS(Add)                                                                                     \
    FORMS(AddCarry)                                                                                \
    FORMS(Mov)                                                                                     \
    FORMS(Com)                                                                                     \
    FORMS(Inc)                                                                                     \
    FORMS(DecSkip)                                                                                 \
    FORMS(Rr)                                                                                      \
    FORMS(Rl)                                                                                      \
    FORMS(Swap)                                                                                    \
    FORMS(IncSkip)
#define KAVO_SX_FOUR_FORMS(name) name##WBank, name##WGlobal, name##FBank, name##FGlobal,
// Operations with a RAM operand and no W form: the bank form, then the global one.
#define KAVO_SX_TWO_FORMS(name) name##Bank, name##Global,

enum : std::uint8_t {
    Generic,
    Breakpoint, // a marked word: the run stops before it
    Nop,
    KAVO_SX_RAM_OPERATIONS(KAVO_SX_FOUR_FORMS) KAVO_SX_TWO_FORMS(MovWF) KAVO_SX_TWO_FORMS(ClrF)
        KAVO_SX_TWO_FORMS(BitClear) KAVO_SX_TWO_FORMS(BitSet) KAVO_SX_TWO_FORMS(SkipIfClear)
            KAVO_SX_TWO_FORMS(SkipIfSet) StatusBitClear,
    StatusBitSet,
    StatusSkipIfClear,
    StatusSkipIfSet,
    ClrW,
    MovLW,
    IorLW,
    AndLW,
    XorLW,
    RetLW,
    Call,
    Jmp,
    Ret,
    RetP,
    Page,
    Bank,
};

#undef KAVO_SX_FOUR_FORMS
#undef KAVO_SX_TWO_FORMS

inline constexpr std::uint32_t decoded(std::uint8_t op, unsigned reg = 0, unsigned value = 0) {
    return op | reg << 8 | value << 16;
}
inline constexpr std::uint8_t opOf(std::uint32_t decoded) {
    return decoded & 0xFF;
}
inline constexpr unsigned registerOf(std::uint32_t decoded) {
    return (decoded >> 8) & 0xFF;
}
inline constexpr unsigned valueOf(std::uint32_t decoded) {
    return decoded >> 16;
}

} // namespace sxsim::op
