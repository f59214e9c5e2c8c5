// The core runs from a decoded copy of program memory, with breakpoints marked in it and RTCC
// counted only when it is looked at: words rewritten between runs, breakpoints set and cleared
// around them, and long runs must still behave as if every word were read and RTCC counted at
// every instruction.
#include "simulator/core.hpp"
#include "tests/simulator/sx_words.hpp"

#include <gtest/gtest.h>

using namespace sxtest;
using sxsim::Core;
using sxsim::StopReason;

namespace {

constexpr unsigned kX = 0x10;

TEST(DecodedProgram, AWordRewrittenBetweenRunsRunsAsTheNewInstruction) {
    Core core = coreWith({movlw(1), movwf(kX), jmp(0x002)});
    EXPECT_EQ(core.run(100).reason, StopReason::SelfJump);
    EXPECT_EQ(core.readFlat(kX), 1);
    core.setWord(0, movlw(7));
    core.setWord(2, incf(kX, F));
    core.setWord(3, jmp(0x003));
    core.setPc(0);
    EXPECT_EQ(core.run(100).reason, StopReason::SelfJump);
    EXPECT_EQ(core.readFlat(kX), 8);
}

TEST(DecodedProgram, ABreakpointSurvivesARewriteOfItsWord) {
    Core core = coreWith({movlw(1), movlw(2), jmp(0x002)});
    core.addBreakpoint(1);
    core.setWord(1, movlw(5));
    EXPECT_EQ(core.run(100).reason, StopReason::Breakpoint);
    EXPECT_EQ(core.pc(), 1u);
    EXPECT_EQ(core.step(), StopReason::None); // stepping runs the rewritten word
    EXPECT_EQ(core.w(), 5);
}

TEST(DecodedProgram, ClearedBreakpointsNoLongerStopTheRun) {
    Core core = coreWith({incf(kX, F), jmp(0x000)});
    core.addBreakpoint(0);
    core.addBreakpoint(1);
    EXPECT_EQ(core.run(100).reason, StopReason::Breakpoint);
    EXPECT_EQ(core.pc(), 1u);
    core.clearBreakpoints();
    const auto result = core.run(100);
    EXPECT_EQ(result.reason, StopReason::StepLimit);
    EXPECT_EQ(result.steps, 100u);
}

TEST(DecodedProgram, AWordOutsideTheDeviceChangesNothing) {
    Core core = coreWith({movlw(3), jmp(0x001)});
    core.setWord(0x800, movlw(9)); // the SX28 has 2048 words
    core.addBreakpoint(0x800);
    EXPECT_EQ(core.run(10).reason, StopReason::SelfJump);
    EXPECT_EQ(core.w(), 3);
    EXPECT_EQ(core.word(0x800), sxsim::ERASED_WORD);
}

// A run with no limit to speak of still stops at the program's end.
TEST(DecodedProgram, TheLargestStepLimitIsNoLimit) {
    Core core = coreWith({incf(kX, F), decfsz(0x11, F), jmp(0x000), jmp(0x003)});
    const auto result = core.run(~std::uint64_t{0});
    EXPECT_EQ(result.reason, StopReason::SelfJump);
    EXPECT_EQ(result.steps, 256u * 3u); // 256 rounds, the last ending on the JMP to itself
}

// RTCC through the 1:4 prescaler with its interrupt off, over many rollovers: every cycle from
// the OPTION instruction on counts.
TEST(LazyRtcc, ALongRunCountsEveryCycle) {
    Core core = coreWith({movlw(0xC1), option(), incf(kX, F), jmp(0x002)});
    for (unsigned run = 0; run < 5; ++run) {
        core.run(10'001);
        const std::uint64_t counted = core.cycles() - 1; // all but MOV W,#
        EXPECT_EQ(core.rtcc(), (counted / 4) % 256) << "after " << core.steps() << " steps";
    }
}

// An RTCC interrupt after thousands of instructions arrives at the same instruction whether the
// run goes in one piece or step by step.
TEST(LazyRtcc, TheInterruptArrivesAtTheSameInstructionInOneRunAndStepByStep) {
    auto program = [] {
        Core core(sxsim::deviceFor(sxsim::DeviceKind::SX28));
        place(core, 0x000, {incf(0x11, F), reti()});
        place(core, 0x100, {movlw(0x87), option(), incf(kX, F), jmp(0x102)}); // 1:256
        core.setPc(0x100);
        return core;
    };
    Core whole = program();
    Core stepped = program();
    whole.run(40'000);
    for (unsigned i = 0; i < 40'000; ++i) {
        stepped.step();
    }
    EXPECT_GT(whole.readFlat(0x11), 0) << "the interrupt ran";
    EXPECT_EQ(whole.readFlat(0x11), stepped.readFlat(0x11));
    EXPECT_EQ(whole.readFlat(kX), stepped.readFlat(kX));
    EXPECT_EQ(whole.cycles(), stepped.cycles());
    EXPECT_EQ(whole.rtcc(), stepped.rtcc());
    EXPECT_EQ(whole.pc(), stepped.pc());
}

} // namespace
