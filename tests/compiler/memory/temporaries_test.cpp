// Temporaries of their own for every function and for the interrupt routine, and the
// interrupt routine's saving of the scratch bytes the main line may be holding. The simulator
// runs show the value a temporary holds across a call surviving that call.
#include "tests/compiler/memory/memory_harness.hpp"
#include "tests/support/instruction_dump.hpp"
#include "tests/support/instruction_runner.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace kavo {
namespace {

using Code = std::vector<std::string>;

Code codeOf(const Compilation& c, const std::string& from, const std::string& to) {
    return testing::instructionsBetween(c.instructions, from, to);
}

bool has(const Code& code, const std::string& line) {
    return std::find(code.begin(), code.end(), line) != code.end();
}

int count(const Code& code, const std::string& text) {
    return static_cast<int>(std::count_if(code.begin(), code.end(), [&](const std::string& l) {
        return l.find(text) != std::string::npos;
    }));
}

// f's result waits in a temporary while g runs; g works in a temporary of its own.
const char* ResultAcrossACall = "char x, y;\n"
                                "char f(void) { return 5; }\n"
                                "char g(void) { char b; b = y + 100; y = b; return 1; }\n"
                                "void main(void) { x = f() + g(); }\n";
const char* RunnerChip = "#pragma CCTEMP_LOC 12\n#pragma PAGEBITS_LOC 3\n"
                         "#pragma BANK_START_00 8\n#pragma BANK_END_00 11\n"
                         "#pragma BANK_START_01 16\n#pragma BANK_END_01 31\n";

int runMain(const Compilation& c, std::map<std::string, unsigned> presets = {}) {
    testing::InstructionRunner runner(c.instructions.head(), std::move(presets));
    runner.setByte("y", 0);
    const auto result = runner.runFrom("@main", 100000);
    EXPECT_EQ(result.reason, sxsim::StopReason::SelfJump);
    return runner.byte("x");
}

TEST(FunctionTemporaries, APooledTemporaryHeldAcrossACallIsOverwrittenByTheCallee) {
    // The hazard itself, as the code generator leaves it: both functions use one name.
    testing::InProcessCompile run;
    run.run(std::string(RunnerChip) + ResultAcrossACall);
    const Code main = codeOf(run.c, "@main", "");
    const Code g = codeOf(run.c, "@g", "@g_END");
    ASSERT_GE(main.size(), 2u);
    const std::string held = main[1].substr(6); // MOVWF <temporary> after CALL f
    ASSERT_TRUE(held.starts_with("_tmp_")) << main[1];
    ASSERT_TRUE(has(g, "MOVWF " + held)) << "the program no longer shows the hazard";
    EXPECT_EQ(runMain(run.c), 100 + 1);
}

TEST(FunctionTemporaries, EachFunctionWorksInItsOwnAndTheHeldValueSurvives) {
    testing::InProcessCompile run;
    run.run(std::string(RunnerChip) + ResultAcrossACall);
    separatefunctiontemps(run.c);
    const Code main = codeOf(run.c, "@main", "");
    const Code g = codeOf(run.c, "@g", "@g_END");
    EXPECT_EQ(count(main, "_main"), count(main, "_tmp_") + count(main, "_swt_"));
    EXPECT_EQ(count(g, "_g"), count(g, "_tmp_"));
    EXPECT_EQ(runMain(run.c), 5 + 1);
    // Owned by their function, in its scope: register reuse relates them like locals.
    const Symbol* own = findsymin(run.c, main[1].substr(6), "main");
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->owner, "main");
}

TEST(FunctionTemporaries, WithEveryPassAndReuseOnTheProgramStillComputesItsValue) {
    testing::MemoryRun run(ResultAcrossACall, 1, RunnerChip);
    EXPECT_EQ(run.c().errors(), 0) << run.messages();
    EXPECT_EQ(runMain(run.c(), run.placement()), 5 + 1);
}

TEST(FunctionTemporaries, TheReturnHighRegisterStaysShared) {
    testing::MemoryRun run("long w(void) { return 300; }\nlong v;\n"
                           "void main(void) { v = w(); }\n");
    const std::string& high = run.c().codegen.returnHighRegister;
    const Code main = codeOf(run.c(), "@main", "");
    EXPECT_TRUE(has(main, "MOVF " + high + ",W"));
    EXPECT_NE(run.symbol(high, GlobalScope), nullptr);
}

// The compiler's temporaries share whatever REUSE_MEMORY says of the user's variables.
class SharedTemporaries : public ::testing::TestWithParam<int> {};

TEST_P(SharedTemporaries, UnrelatedFunctionsTemporariesMayShareRelatedOnesNever) {
    testing::MemoryRun run("char x, y;\n"
                           "void f(void) { x = x * y; }\n"
                           "void g(void) { y = x * y; }\n"
                           "void main(void) { f(); g(); }\n",
                           GetParam(), RunnerChip);
    std::vector<const Symbol*> fs, gs, mains;
    for (const Symbol* s = run.c().symbols.main.head; s != nullptr; s = s->next) {
        if (s->name.starts_with("_tmp_") && s->owner == "f")
            fs.push_back(s);
        if (s->name.starts_with("_tmp_") && s->owner == "g")
            gs.push_back(s);
    }
    ASSERT_FALSE(fs.empty());
    ASSERT_FALSE(gs.empty());
    EXPECT_GE(fs.front()->addr, 8);
    EXPECT_TRUE(std::any_of(gs.begin(), gs.end(), [&](const Symbol* g) {
        return g->addr == fs.front()->addr;
    })) << "leaf functions called only from main share their temporaries";
    EXPECT_GT(run.reused(), 0);
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutRegisterReuse, SharedTemporaries, ::testing::Values(0, 1));

// --- The interrupt routine ---------------------------------------------------------------------

const char* WithInterrupt = "#pragma INTERRUPT_LOC 0\n"
                            "char x, y; long v;\n"
                            "char twice(void) { return x * y; }\n"
                            "long wide(void) { return 300; }\n"
                            "void __interrupt(void) { char d; d = x + y + twice(); v = wide(); }\n"
                            "void main(void) { x = y + x + twice(); }\n";

TEST(InterruptTemporaries, TheRoutineWorksInItsOwnTemporariesButTheReturnHighRegister) {
    testing::MemoryRun run(WithInterrupt, 1);
    const Code routine = codeOf(run.c(), "__interrupt", "_ITR_E");
    const std::string& high = run.c().codegen.returnHighRegister;
    EXPECT_GT(count(routine, "_itr_"), 0);
    EXPECT_EQ(count(routine, "_tmp_"), count(routine, high));
    EXPECT_GT(count(routine, high), 0); // wide()'s high byte is read from it
    const Code main = codeOf(run.c(), "@main", "");
    EXPECT_EQ(count(main, "_itr_"), 0);
    const auto first = std::find_if(routine.begin(), routine.end(), [](const std::string& l) {
        return l.find("_itr_") != std::string::npos;
    });
    ASSERT_NE(first, routine.end());
    std::string name = first->substr(first->find("_itr_"));
    name = name.substr(0, name.find_first_of(",+"));
    const Symbol* itr = run.symbol(name, GlobalScope);
    ASSERT_NE(itr, nullptr) << name;
    EXPECT_GE(itr->addr, 0);
}

// Every scratch byte the main line may hold and the routine (or what it calls) changes is
// copied on entry and back before the return from interrupt.
TEST(InterruptTemporaries, ScratchBytesTheRoutineReachesAreSavedAndRestored) {
    testing::MemoryRun run(WithInterrupt, 1);
    const Code routine = codeOf(run.c(), "__interrupt", "_ITR_E");
    const std::string& high = run.c().codegen.returnHighRegister;
    // twice() multiplies: the routine reaches the multiply routine's slots 1 to 6 only
    // through it, and wide() writes the return-high register.
    for (const std::string& name :
         {std::string("@__P0tmp_"), high, std::string("_prm_1"), std::string("_prm_6")}) {
        SCOPED_TRACE(name);
        const auto save = std::find(routine.begin(), routine.end(), "MOVF " + name + ",W");
        ASSERT_NE(save, routine.end());
        ASSERT_NE(save + 1, routine.end());
        const std::string slot = (save + 1)->substr(6);
        EXPECT_TRUE(slot.starts_with("_svi_"));
        const auto restore = std::find(save + 2, routine.end(), "MOVF " + slot + ",W");
        ASSERT_NE(restore, routine.end());
        EXPECT_EQ(*(restore + 1), "MOVWF " + name);
        const auto lastCall = std::find(routine.rbegin(), routine.rend(), "CALL wide");
        ASSERT_NE(lastCall, routine.rend());
        EXPECT_GT(restore - routine.begin(), routine.rend() - lastCall) << "restored after use";
        EXPECT_EQ(routine.back(), "RETFIE");
        EXPECT_EQ(count(routine, "MOVWF " + slot), 1) << "each byte is saved once";
    }
    EXPECT_EQ(count(routine, "MOVF @__SxItmp_,W"), 0); // nothing reached uses it
}

TEST(InterruptTemporaries, ARoutineThatCallsNothingStillSavesP0tmp) {
    testing::MemoryRun run("#pragma INTERRUPT_LOC 0\nchar x;\n"
                           "void __interrupt(void) { x = 1; }\nvoid main(void) { x = 2; }\n");
    const Code routine = codeOf(run.c(), "__interrupt", "_ITR_E");
    EXPECT_EQ(routine.front(), "SAVEINT");
    EXPECT_EQ(routine[1], "MOVF @__P0tmp_,W");
    EXPECT_EQ(routine[routine.size() - 2], "MOVWF @__P0tmp_");
    EXPECT_EQ(routine.back(), "RETFIE");
}

} // namespace
} // namespace kavo

namespace kavo {
namespace {

TEST(InterruptTemporaries, AFunctionCalledFromBothTheRoutineAndTheMainLineIsRefused) {
    testing::MemoryRun shared("#pragma INTERRUPT_LOC 0\nchar x;\n"
                              "void bump(void) { char t; t = x; x = t + 1; }\n"
                              "void inner(void) { bump(); }\n"
                              "void __interrupt(void) { inner(); }\n"
                              "void main(void) { bump(); }\n");
    EXPECT_NE(shared.messages().find("ERROR(C304): Function bump is called both from the "
                                     "interrupt routine and from the main program.\n"),
              std::string::npos)
        << shared.messages();
    EXPECT_EQ(shared.messages().find("Function inner"), std::string::npos);
    EXPECT_EQ(shared.c().errors(), 1);

    testing::MemoryRun separate("#pragma INTERRUPT_LOC 0\nchar x, y;\n"
                                "void bump(void) { x = x * y; }\n"
                                "void __interrupt(void) { bump(); y = x * 3; }\n"
                                "void main(void) { y = x * y; }\n",
                                1,
                                std::string(testing::SmallChip) +
                                    "#pragma BANK_START_02 0x30\n#pragma BANK_END_02 0x3F\n");
    EXPECT_EQ(separate.c().errors(), 0) << separate.messages(); // the multiply is shared safely
}

} // namespace
} // namespace kavo

namespace kavo {
namespace {

TEST(InterruptTemporaries, AReturnStatementLeavesThroughTheRestoresAndRetfie) {
    testing::MemoryRun run("#pragma INTERRUPT_LOC 0\nchar x, y;\n"
                           "void __interrupt(void) { if (x) return; y = 1; }\n"
                           "void main(void) { x = y; }\n");
    const Code routine = codeOf(run.c(), "__interrupt", "_ITR_E");
    EXPECT_EQ(count(routine, "RETURN"), 0);
    const auto jump = std::find_if(routine.begin(), routine.end(), [](const std::string& l) {
        return l.starts_with("GOTO _BCL_");
    });
    ASSERT_NE(jump, routine.end());
    const std::string exitLabel = "LABEL " + jump->substr(5);
    const auto label = std::find(routine.begin(), routine.end(), exitLabel);
    ASSERT_NE(label, routine.end());
    EXPECT_EQ(*(label + 1), "MOVF _svi_1,W"); // the restores follow the label
    EXPECT_EQ(*(label + 2), "MOVWF @__P0tmp_");
    EXPECT_EQ(*(label + 3), "RETFIE");
    EXPECT_TRUE(has(routine, "MOVWF y"));
    EXPECT_LT(jump - routine.begin(), label - routine.begin());
}

} // namespace
} // namespace kavo
