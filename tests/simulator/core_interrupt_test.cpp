// RTCC counting and prescaling, the RTCC rollover interrupt and the return from it.
#include "tests/simulator/sx_words.hpp"

#include <gtest/gtest.h>

using namespace sxtest;
using sxsim::Core;
namespace reg = sxsim::reg;
namespace st = sxsim::status;

namespace {

// OPTION values: RTW set (RTCC at 01h), RTS clear (count cycles).
constexpr unsigned kCountNoInterrupt = 0xC8;   // RTE_IE set, prescaler to WDT
constexpr unsigned kCountInterrupt = 0x88;     // RTE_IE clear: rollover interrupts
constexpr unsigned kCountDivideByTwo = 0xC0;   // PSA clear, PS = 0: 1:2

TEST(Rtcc, CountsInstructionCycles) {
    Core core = coreWith({movlw(kCountNoInterrupt), option(), nop(), jmp(0x004), nop()});
    stepN(core, 4);
    EXPECT_EQ(core.rtcc(), 1u + 1u + 3u) << "OPTION, NOP, JMP; the MOV before OPTION was not counted";
}

TEST(Rtcc, PrescalerDividesTheCount) {
    Core core = coreWith({movlw(kCountDivideByTwo), option(), nop(), nop(), nop(), nop()});
    stepN(core, 6); // OPTION and four NOPs: five cycles, two whole counts
    EXPECT_EQ(core.rtcc(), 2);
}

TEST(Rtcc, AWrittenValueIsWhatTheNextInstructionReads) {
    Core core = coreWith({movlw(kCountNoInterrupt), option(), movlw(0x40), movwf(reg::RTCC),
                          movf(reg::RTCC, W)});
    stepN(core, 5);
    EXPECT_EQ(core.w(), 0x40);
}

TEST(Rtcc, StandsStillWhenCountingThePin) {
    Core core = coreWith({movlw(0xE8), option(), nop(), nop()});
    stepN(core, 4);
    EXPECT_EQ(core.rtcc(), 0);
}

// Interrupt routine at 0: stores a marker, adjusts W, STATUS and FSR, then RETI/RETIW.
void placeInterruptRoutine(Core& core, Word returnWord) {
    place(core, 0x000, {incf(0x08, F), movlw(0x99), movwf(reg::FSR), clrf(reg::STATUS),
                        movlw(0x03), returnWord});
}

TEST(RtccInterrupt, RolloverVectorsToZeroAndRetiRestoresState) {
    Core core(sxsim::deviceFor(sxsim::DeviceKind::SX28));
    placeInterruptRoutine(core, reti());
    place(core, 0x100, {movlw(kCountInterrupt), option(), movlw(0x21), movwf(reg::FSR),
                        movlw(0xFE), movwf(reg::RTCC), page(1), movlw(0x55), nop(), nop(), nop(),
                        jmp(0x10B)});
    core.setPc(0x100);
    core.setStatus(st::TO | st::PD | st::C);
    stepN(core, 8); // up to MOV W,#55h: RTCC written FEh, then +1 for PAGE, +1 for MOV -> 00h
    EXPECT_EQ(core.pc(), 0u) << "the rollover interrupted after the instruction that caused it";
    EXPECT_TRUE(core.inInterrupt());
    EXPECT_EQ(core.statusRegister() & st::PAGE_MASK, 0) << "page bits cleared on entry";
    EXPECT_TRUE(core.stack().empty()) << "the return address is not on the CALL stack";

    stepN(core, 6);
    EXPECT_EQ(core.readFlat(0x08), 1);
    EXPECT_EQ(core.pc(), 0x108u);
    EXPECT_EQ(core.w(), 0x55);
    EXPECT_EQ(core.fsr(), 0x21);
    EXPECT_EQ(core.statusRegister(), st::TO | st::PD | st::C | 0x20);
    EXPECT_FALSE(core.inInterrupt());
}

TEST(RtccInterrupt, RetiwAddsTheRoutinesWToRtcc) {
    Core core(sxsim::deviceFor(sxsim::DeviceKind::SX28));
    placeInterruptRoutine(core, retiw());
    place(core, 0x100, {movlw(kCountInterrupt), option(), movlw(0xFF), movwf(reg::RTCC), nop(),
                        jmp(0x105)});
    core.setPc(0x100);
    stepN(core, 5); // RTCC FFh -> 00h after the NOP: interrupt
    ASSERT_EQ(core.pc(), 0u);
    const std::uint8_t atEntry = core.rtcc();
    stepN(core, 6);
    EXPECT_EQ(core.pc(), 0x105u);
    // Entry 3 cycles, five one-cycle instructions, then W = 3 added by RETIW before its own cycles.
    EXPECT_EQ(core.rtcc(), static_cast<std::uint8_t>(atEntry + 5 + 3 + 3));
    EXPECT_EQ(core.w(), 0xFF) << "W restored after the add";
}

TEST(RtccInterrupt, NoInterruptWhileTheRoutineRuns) {
    Core core(sxsim::deviceFor(sxsim::DeviceKind::SX28));
    place(core, 0x000, {movlw(0xFF), movwf(reg::RTCC), nop(), nop(), reti()});
    place(core, 0x100, {movlw(kCountInterrupt), option(), movlw(0xFF), movwf(reg::RTCC), nop(),
                        jmp(0x105)});
    core.setPc(0x100);
    stepN(core, 5);
    ASSERT_EQ(core.pc(), 0u);
    stepN(core, 4); // the routine's RTCC rolls over again at its second NOP
    EXPECT_EQ(core.pc(), 4u) << "still in the routine, not re-entered";
    core.step();
    EXPECT_EQ(core.pc(), 0x105u);
}

TEST(RtccInterrupt, DisabledInterruptOnlyCounts) {
    Core core = coreWith({movlw(kCountNoInterrupt), option(), movlw(0xFF), movwf(reg::RTCC), nop(),
                          nop()});
    stepN(core, 6);
    EXPECT_EQ(core.pc(), 6u);
    EXPECT_EQ(core.rtcc(), 1);
}

TEST(RtccInterrupt, BigCoreAlsoRestoresM) {
    Core core(sxsim::deviceFor(sxsim::DeviceKind::SX52));
    place(core, 0x000, {mode(0x01), reti()});
    place(core, 0x100, {movlw(kCountInterrupt), option(), mode(0x07), movlw(0xFF),
                        movwf(reg::RTCC), nop(), jmp(0x106)});
    core.setPc(0x100);
    stepN(core, 6);
    ASSERT_EQ(core.pc(), 0u);
    stepN(core, 2);
    EXPECT_EQ(core.m(), 0x17) << "MODE sets M bits 3:0; bit 4 keeps its reset value";
}

} // namespace
