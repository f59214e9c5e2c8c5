// The M register and MOV !port,W: which port control register each M value reaches and whether
// the instruction writes it, reads it into W or exchanges it with W, on the 4-bit M of the
// 18/20/28 and the 5-bit M of the 48/52, and M's value after reset.
//
// Evidence: the SX data sheets' port configuration tables (SX18/20/28: 08h exchange CMP_B,
// 09h exchange WKPND_B, 0Ah WKED_B, 0Bh WKEN_B, 0Ch ST, 0Dh LVL, 0Eh PLP, 0Fh TRIS); public SX
// code that clears the wake-up pending bits with "mode $09 / clr w / mov !rb,w"; the SX
// port set-up notes ("upon reset, the MODE register is initialized to 0Fh in the SX18 and 28
// and to 1Fh in the SX48 and 52"); Parallax's SX48 note that M = 0Fh reads the direction
// registers there and 1Fh writes them.
#include "tests/simulator/sx_words.hpp"

#include <gtest/gtest.h>

using namespace sxtest;
using sxsim::Core;
using sxsim::DeviceKind;
namespace control = sxsim::control;

namespace {

constexpr unsigned kPortA = 0, kPortB = 1, kPortC = 2;

enum class Access { None, Write, Read, Exchange };

// Sets M with MOVWM (all bits), then "W = 5Ah; MOV !port,W" and reports what happened, told
// apart by W and the selected register afterwards.
Access observedAccess(DeviceKind kind, unsigned port, unsigned m) {
    Core core = coreWith({movlw(m), movwm(), movlw(0x5A), tris(port)}, kind);
    const std::uint8_t before = core.portControl(port, m);
    stepN(core, 4);
    const std::uint8_t after = core.portControl(port, m);
    if (after == 0x5A) { // no register starts at 5Ah
        return core.w() == before ? Access::Exchange : Access::Write;
    }
    return core.w() == before ? Access::Read : Access::None;
}

const char* accessName(Access access) {
    switch (access) {
    case Access::None:
        return "none";
    case Access::Write:
        return "write";
    case Access::Read:
        return "read";
    case Access::Exchange:
        return "exchange";
    }
    return "?";
}

// The SX18/20/28 table, port B: 08h and 09h exchange, 0Ah..0Fh write, 00h..07h reach nothing.
TEST(SmallCoreModeTable, EveryModeValueOnPortB) {
    for (unsigned m = 0; m < 0x10; ++m) {
        Access expected = m < 0x08 ? Access::None : Access::Write;
        if (m == control::COMPARATOR || m == control::WAKE_UP_PENDING) {
            expected = Access::Exchange;
        }
        EXPECT_STREQ(accessName(observedAccess(DeviceKind::SX28, kPortB, m)), accessName(expected))
            << "M = " << m;
    }
}

// Port A has level, pull-up and direction only; port C adds the Schmitt trigger selection.
// The comparator and wake-up registers are port B's alone.
TEST(SmallCoreModeTable, RegistersAPortDoesNotHaveAreNotReached) {
    for (unsigned m = 0x08; m < 0x10; ++m) {
        const Access onA = m >= control::LEVEL ? Access::Write : Access::None;
        const Access onC = m >= control::SCHMITT ? Access::Write : Access::None;
        EXPECT_STREQ(accessName(observedAccess(DeviceKind::SX28, kPortA, m)), accessName(onA))
            << "port A, M = " << m;
        EXPECT_STREQ(accessName(observedAccess(DeviceKind::SX28, kPortC, m)), accessName(onC))
            << "port C, M = " << m;
    }
}

// "mode $09 / clr w / mov !rb,w" clears the pending bits and hands the old ones to W; a second
// exchange reads back what the first one stored.
TEST(WakeUpPending, ModeNineExchangesTheRegisterWithW) {
    Core core =
        coreWith({mode(0x09), movlw(0x81), tris(kPortB), movwf(0x10), clrw(), tris(kPortB)});
    stepN(core, 6);
    EXPECT_EQ(core.readFlat(0x10), 0x00) << "the pending bits start clear";
    EXPECT_EQ(core.w(), 0x81) << "the second exchange returns what the first stored";
    EXPECT_EQ(core.portControl(kPortB, control::WAKE_UP_PENDING), 0x00);
    EXPECT_EQ(core.portControl(kPortB, control::COMPARATOR), 0xFF) << "M = 08h is not reached";
}

TEST(WakeUpPending, ModeEightIsTheComparatorNotThePendingRegister) {
    Core core = coreWith({mode(0x08), movlw(0x3C), tris(kPortB)});
    stepN(core, 3);
    EXPECT_EQ(core.w(), 0xFF) << "the comparator register's reset value comes back";
    EXPECT_EQ(core.portControl(kPortB, control::COMPARATOR), 0x3C);
    EXPECT_EQ(core.portControl(kPortB, control::WAKE_UP_PENDING), 0x00);
}

// On the 48/52, M bit 4 chooses writing (1Ah..1Fh) or reading into W (0Ah..0Fh); 08h and 09h
// exchange with either value of bit 4.
TEST(BigCoreModeTable, BitFourChoosesWriteOrRead) {
    for (unsigned m = 0x08; m < 0x20; ++m) {
        const unsigned selector = m & 0x0F;
        Access expected = Access::None;
        if (selector == control::COMPARATOR || selector == control::WAKE_UP_PENDING) {
            expected = Access::Exchange;
        } else if (selector > control::WAKE_UP_PENDING) {
            expected = (m & 0x10) ? Access::Write : Access::Read;
        }
        if (m >= 0x10 && m < 0x18) {
            continue; // the multi-function timer registers are not modelled
        }
        EXPECT_STREQ(accessName(observedAccess(DeviceKind::SX52, kPortB, m)), accessName(expected))
            << "M = " << m;
    }
}

TEST(BigCoreModeTable, ModeFifteenReadsTheDirectionAfterMovwmClearedBitFour) {
    Core core = coreWith({movlw(0x0F), movwm(), movlw(0x00), tris(kPortB)}, DeviceKind::SX52);
    stepN(core, 4);
    EXPECT_EQ(core.tris(kPortB), 0xFF) << "M = 0Fh does not write the direction";
    EXPECT_EQ(core.w(), 0xFF) << "it reads it into W";
}

// The reset value of M: 0Fh (direction registers) on the 18/20/28, 1Fh on the 48/52, where
// it makes MOV !port,W write the direction registers as on the smaller parts.
TEST(ModeReset, FourBitsSetOnTheSmallCoreFiveOnTheBigCore) {
    EXPECT_EQ(Core(sxsim::deviceFor(DeviceKind::SX18)).m(), 0x0F);
    EXPECT_EQ(Core(sxsim::deviceFor(DeviceKind::SX28)).m(), 0x0F);
    EXPECT_EQ(Core(sxsim::deviceFor(DeviceKind::SX48)).m(), 0x1F);
    EXPECT_EQ(Core(sxsim::deviceFor(DeviceKind::SX52)).m(), 0x1F);
}

TEST(ModeReset, BigCoreWritesTheDirectionStraightAfterReset) {
    Core core = coreWith({movlw(0x0C), tris(kPortC)}, DeviceKind::SX52);
    stepN(core, 2);
    EXPECT_EQ(core.tris(kPortC), 0x0C);
}

// MODE carries four bits: on the 48/52 it keeps M bit 4, so "MODE 0Fh" after reset still
// selects writing the direction registers. MOVWM sets all five bits from W.
TEST(ModeReset, ModeKeepsBitFourMovwmSetsIt) {
    Core core = coreWith({mode(0x0E), movmw(), movlw(0xF6), movwm()}, DeviceKind::SX52);
    stepN(core, 2);
    EXPECT_EQ(core.w(), 0x1E);
    stepN(core, 2);
    EXPECT_EQ(core.m(), 0x16);
    Core small = coreWith({movlw(0xF6), movwm()});
    stepN(small, 2);
    EXPECT_EQ(small.m(), 0x06);
}

} // namespace
