// Program flow: skips (including the SX's skip over PAGE/BANK), jumps and calls across pages,
// the stack, reads and writes of the PC register, cycle counts and the run's stop reasons.
#include "tests/simulator/sx_words.hpp"

#include <gtest/gtest.h>

using namespace sxtest;
using sxsim::Core;
using sxsim::StopReason;
namespace st = sxsim::status;

namespace {

constexpr unsigned kX = 0x10;

TEST(Skips, TakenSkipPassesOneWordAndCostsTwoCycles) {
    Core core = coreWith({clrf(kX), incf(kX, F), decfsz(kX, F), movlw(1), movlw(2)});
    stepN(core, 2);
    const auto before = core.cycles();
    core.step();
    EXPECT_EQ(core.pc(), 4u);
    EXPECT_EQ(core.cycles() - before, 2u);
}

TEST(Skips, UntakenSkipCostsOneCycle) {
    Core core = coreWith({clrf(kX), btfss(kX, 0)});
    core.step();
    const auto before = core.cycles();
    core.step();
    EXPECT_EQ(core.pc(), 2u);
    EXPECT_EQ(core.cycles() - before, 1u);
}

TEST(Skips, BitTestsSkipOnTheirCondition) {
    Core set = coreWith({movlw(0x80), movwf(kX), btfss(kX, 7), nop()});
    stepN(set, 3);
    EXPECT_EQ(set.pc(), 4u);
    Core clear = coreWith({movlw(0x80), movwf(kX), btfsc(kX, 6), nop()});
    stepN(clear, 3);
    EXPECT_EQ(clear.pc(), 4u);
    Core incToZero = coreWith({movlw(0xFF), movwf(kX), incfsz(kX, F), nop()});
    stepN(incToZero, 3);
    EXPECT_EQ(incToZero.pc(), 4u);
    EXPECT_EQ(incToZero.readFlat(kX), 0);
}

// SX behaviour (user's manual, skip instructions): "If a skip instruction is immediately followed
// by a PAGE or BANK instruction (and the tested condition is true) then two instructions are
// skipped and the operation consumes three cycles ... If several PAGE and BANK instructions
// immediately follow a skip instruction then they are all skipped plus the next instruction and
// a cycle is consumed for each."
TEST(SkipOverPageAndBank, PageAndTheJumpAfterItAreSkippedInThreeCycles) {
    Core core = coreWith({btfss(sxsim::reg::STATUS, 4), page(1), jmp(0x40), movlw(7)});
    core.setStatus(st::TO | st::PD);
    core.step();
    EXPECT_EQ(core.pc(), 3u);
    EXPECT_EQ(core.cycles(), 3u);
    EXPECT_EQ(core.statusRegister() & st::PAGE_MASK, 0) << "the skipped PAGE did not run";
}

TEST(SkipOverPageAndBank, EveryPageAndBankInARowIsSkippedACycleEach) {
    Core core = coreWith({btfss(sxsim::reg::STATUS, 4), page(1), bank(2), incf(kX, F), nop()});
    core.step();
    EXPECT_EQ(core.pc(), 4u);
    EXPECT_EQ(core.cycles(), 4u);
    EXPECT_EQ(core.fsr(), 0);
    EXPECT_EQ(core.readFlat(kX), 0);
}

TEST(SkipOverPageAndBank, APageAfterTheSkippedWordStillRuns) {
    Core core = coreWith({btfss(sxsim::reg::STATUS, 4), nop(), page(1)});
    stepN(core, 2);
    EXPECT_EQ(core.pc(), 3u);
    EXPECT_EQ(core.statusRegister() & st::PAGE_MASK, 0x20);
}

TEST(Jumps, JumpTakesNineBitsAndThePageBits) {
    Core core = coreWith({page(2), jmp(0x123)});
    stepN(core, 2);
    EXPECT_EQ(core.pc(), 0x523u);
    EXPECT_EQ(core.cycles(), 1u + 3u);
}

TEST(Jumps, PageBitsStaySetAfterTheJump) {
    Core core = coreWith({page(1), jmp(0x000)});
    core.setWord(0x200, jmp(0x010));
    stepN(core, 3);
    EXPECT_EQ(core.pc(), 0x210u);
}

TEST(Calls, CallReachesTheFirstHalfOfThePageAndReturnsAfterIt) {
    Core core = coreWith({page(1), call(0x45), movlw(9)});
    core.setWord(0x245, ret());
    stepN(core, 2);
    EXPECT_EQ(core.pc(), 0x245u);
    ASSERT_EQ(core.stack().size(), 1u);
    EXPECT_EQ(core.stack()[0], 2u);
    core.step();
    EXPECT_EQ(core.pc(), 2u);
    EXPECT_EQ(core.statusRegister() & st::PAGE_MASK, 0x20) << "RET leaves the page bits";
}

TEST(Calls, CallTargetClearsBitEightEvenFromTheSecondHalf) {
    Core core = coreWith({jmp(0x180)});
    core.setWord(0x180, call(0x10));
    stepN(core, 2);
    EXPECT_EQ(core.pc(), 0x010u);
}

TEST(Calls, RetpRestoresThePageOfTheReturnAddress) {
    Core core = coreWith({page(3), jmp(0x000)});
    core.setWord(0x600, page(0));
    core.setWord(0x601, call(0x20));
    core.setWord(0x020, retp());
    stepN(core, 5);
    EXPECT_EQ(core.pc(), 0x602u);
    EXPECT_EQ(core.statusRegister() & st::PAGE_MASK, 0x60);
}

TEST(Calls, RetwLoadsWAndTakesThreeCycles) {
    Core core = coreWith({call(0x10), movwf(kX)});
    core.setWord(0x10, retlw(0x5A));
    stepN(core, 3);
    EXPECT_EQ(core.readFlat(kX), 0x5A);
    EXPECT_EQ(core.cycles(), 3u + 3u + 1u);
}

TEST(Stack, EightNestedCallsFitTheNinthStops) {
    Core core = coreWith({call(0x01)});
    for (unsigned a = 1; a < 9; ++a) {
        core.setWord(a, call(a + 1));
    }
    const auto result = core.run(100);
    EXPECT_EQ(result.reason, StopReason::StackOverflow);
    EXPECT_EQ(result.steps, 8u);
    EXPECT_EQ(core.pc(), 8u) << "stopped at the ninth CALL, which did not run";
    EXPECT_EQ(core.stack().size(), 8u);
}

TEST(Stack, ReturnWithAnEmptyStackStops) {
    Core core = coreWith({nop(), ret()});
    const auto result = core.run(10);
    EXPECT_EQ(result.reason, StopReason::StackUnderflow);
    EXPECT_EQ(core.pc(), 1u);
}

// The PC register reads as the low byte of the next instruction's address, so "JMP PC+W"
// (ADD PC,W) with W = n lands on the n-th word after it. Evidence: the SX jump-table idiom, a
// "jmp pc+w" followed directly by its "retw" entries, returns the first entry for W = 0 (the
// instruction notes give JMP PC+W as "add W into PC(L)", PC = (PC & FEFFh) + W, with no
// entry to step over); and the SKIP idiom tests PC bit 0 as SB PC.0 at an even address.
TEST(ProgramCounterRegister, ReadsTheAddressOfTheNextInstruction) {
    Core core = coreWith({nop(), nop(), movf(sxsim::reg::PC, W)});
    stepN(core, 3);
    EXPECT_EQ(core.w(), 3);
}

TEST(ProgramCounterRegister, ComputedJumpIntoARetwTable) {
    for (unsigned index = 0; index < 3; ++index) {
        Core core = coreWith({movlw(index), call(0x10), movwf(kX), jmp(0x03)});
        place(core, 0x10, {addwf(sxsim::reg::PC, F), retlw('a'), retlw('b'), retlw('c')});
        EXPECT_EQ(core.run(100).reason, StopReason::SelfJump);
        EXPECT_EQ(core.readFlat(kX), 'a' + index);
    }
}

// SKIP at an even address is SB PC.0: the next address is odd, so the bit is set and the
// following word is skipped; at an odd address the next address is even and SNB PC.0 skips.
TEST(ProgramCounterRegister, SkipTestsBitZeroOfTheNextAddress) {
    Core even = coreWith({btfss(sxsim::reg::PC, 0), movlw(0x11), movlw(0x22)});
    stepN(even, 2);
    EXPECT_EQ(even.w(), 0x22) << "SB PC.0 at address 0 skips";
    Core odd = coreWith({nop(), btfsc(sxsim::reg::PC, 0), movlw(0x11), movlw(0x22)});
    stepN(odd, 3);
    EXPECT_EQ(odd.w(), 0x22) << "SNB PC.0 at address 1 skips";
}

TEST(ProgramCounterRegister, WritesClearBitEightAndTakeThePageBits) {
    Core core = coreWith({page(2), movlw(0x34), movwf(sxsim::reg::PC)});
    stepN(core, 3);
    EXPECT_EQ(core.pc(), 0x434u);
    EXPECT_EQ(core.cycles(), 1u + 1u + 3u) << "a write to PC costs a jump's three cycles";
}

TEST(ProgramCounterRegister, ComputedJumpFromTheSecondHalfLandsInTheFirst) {
    Core core = coreWith({jmp(0x1F0)});
    place(core, 0x1F0, {movlw(0x02), addwf(sxsim::reg::PC, F)});
    core.setPc(0);
    stepN(core, 3);
    EXPECT_EQ(core.pc(), 0x0F4u);
}

TEST(Reset, StartsAtTheTopOfProgramMemory) {
    Core small(sxsim::deviceFor(sxsim::DeviceKind::SX28));
    EXPECT_EQ(small.pc(), 0x7FFu);
    Core big(sxsim::deviceFor(sxsim::DeviceKind::SX52));
    EXPECT_EQ(big.pc(), 0xFFFu);
    big.setWord(0xFFF, jmp(0x010));
    big.step();
    EXPECT_EQ(big.pc(), 0x010u) << "page bits are 0 after reset";
    EXPECT_TRUE(flag(big, st::TO));
    EXPECT_TRUE(flag(big, st::PD));
}

TEST(RunControl, SelfJumpEndsTheRun) {
    Core core = coreWith({movlw(1), jmp(0x001)});
    const auto result = core.run(1000);
    EXPECT_EQ(result.reason, StopReason::SelfJump);
    EXPECT_EQ(result.steps, 2u);
    EXPECT_EQ(core.pc(), 1u);
}

TEST(RunControl, APageAndJumpLoopOnItselfEndsTheRunToo) {
    Core core = coreWith({movlw(1), page(0), jmp(0x001)});
    EXPECT_EQ(core.run(1000).reason, StopReason::SelfJump);
    // A PAGE that selects another page leads elsewhere: no idle loop.
    Core other = coreWith({movlw(1), page(1), jmp(0x001)});
    other.setWord(0x201, jmp(0x201));
    const auto result = other.run(1000);
    EXPECT_EQ(result.reason, StopReason::SelfJump);
    EXPECT_EQ(other.pc(), 0x201u);
}

TEST(RunControl, SleepEndsTheRunAndClearsPowerDown) {
    Core core = coreWith({nop(), sleep()});
    EXPECT_EQ(core.run(1000).reason, StopReason::Sleep);
    EXPECT_FALSE(flag(core, st::PD));
    EXPECT_TRUE(flag(core, st::TO));
}

TEST(RunControl, BreakpointStopsBeforeTheInstructionAndTheRunCanResume) {
    Core core = coreWith({movlw(1), movlw(2), movlw(3), jmp(0x003)});
    core.addBreakpoint(2);
    auto result = core.run(1000);
    EXPECT_EQ(result.reason, StopReason::Breakpoint);
    EXPECT_EQ(core.pc(), 2u);
    EXPECT_EQ(core.w(), 2);
    result = core.run(1000);
    EXPECT_EQ(result.reason, StopReason::SelfJump);
    EXPECT_EQ(core.w(), 3);
}

TEST(RunControl, InstructionLimitStopsAnEndlessLoop) {
    Core core = coreWith({incf(kX, F), jmp(0x000)});
    const auto result = core.run(1001);
    EXPECT_EQ(result.reason, StopReason::StepLimit);
    EXPECT_EQ(result.steps, 1001u);
    EXPECT_EQ(core.readFlat(kX), 501 % 256);
    EXPECT_EQ(core.steps(), 1001u);
    EXPECT_EQ(core.cycles(), 501u + 500u * 3u);
}

TEST(RunControl, AWordThatIsNoInstructionStopsWithoutRunning) {
    Core core = coreWith({movlw(4), 0x001});
    const auto result = core.run(10);
    EXPECT_EQ(result.reason, StopReason::InvalidInstruction);
    EXPECT_EQ(core.pc(), 1u);
    EXPECT_EQ(result.steps, 1u);
}

TEST(RunControl, ErasedWordsRunAsNotW) {
    Core core = coreWith({movlw(0x0F)}); // address 1 onwards erased: 0xFFF is XOR W,#0FFh
    stepN(core, 2);
    EXPECT_EQ(core.w(), 0xF0);
}

} // namespace
