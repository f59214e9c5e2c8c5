// RAM placement and register reuse: the bank table from the pragmas, fixed placements with
// C240, the first free block that fits, sharing between functions that are never active
// together, and C135 for recursion.
#include "compiler/base/fatal_stop.hpp"
#include "compiler/base/kinds.hpp"
#include "tests/compiler/memory/memory_harness.hpp"

#include <gtest/gtest.h>

namespace kavo {
namespace {

using testing::MemoryRun;

// Leaf functions called only from main, and their callers.
const char* TwoLeaves = "char out;\n"
                        "void f(void) { char a; a = out; out = a + 1; }\n"
                        "void g(void) { char b; b = out; out = b + 2; }\n"
                        "void main(void) { f(); g(); }\n";

TEST(BankTable, PragmasFillTheEntriesAndCommonRanges) {
    MemoryRun run("void main(void) { }\n", 0,
                  std::string(testing::SmallChip) +
                      "#pragma BANK_START_15 0x1F0\n#pragma BANK_END_15 0x1FF\n"
                      "#pragma COMMON_BANK_START_2 10\n#pragma COMMON_BANK_END_2 15\n");
    const RamMap& ram = *run.c().ram;
    EXPECT_EQ(ram.banks[0].start, 8);
    EXPECT_EQ(ram.banks[0].end, 11);
    EXPECT_EQ(ram.banks[15].start, 0x1F0);
    EXPECT_EQ(ram.banks[15].end, 0x1FF);
    EXPECT_EQ(ram.banks[7].start, 0); // missing pragmas: an empty entry
    EXPECT_EQ(ram.banks[7].end, -1);
    EXPECT_EQ(ram.common[0].start, 2);
    EXPECT_EQ(ram.common[0].end, 4);
    EXPECT_EQ(ram.common[1].end, 0);
    EXPECT_EQ(ram.common[2].start, 10);
    EXPECT_EQ(ram.common[2].end, 15);
    EXPECT_EQ(bankof(run.c(), 0x1F5), 15);
    EXPECT_EQ(bankof(run.c(), 0x3C), 1);
    EXPECT_EQ(bankof(run.c(), 0x2B), -1); // offset 11 lies in common range 2
    EXPECT_EQ(bankof(run.c(), 0x20), -1); // offset 0 is the indirect register
    EXPECT_EQ(bankof(run.c(), 0x23), -1); // so is range 0, 2 to 4
}

// Without any BANK pragma there is no RAM at all: the device header was left out.
TEST(BankTable, WithoutBankPragmasTheDeviceHeaderIsNamed) {
    MemoryRun run("char x;\nvoid main(void) { x = 1; }\n", 0,
                  "#pragma CCTEMP_LOC 12\n#pragma PAGEBITS_LOC 3\n#pragma RESET_LOC 0\n");
    EXPECT_EQ(run.messages(), "ERROR(C301): The chip's memory layout is missing: include its "
                              "device header (#include <sx28.h> or #include <sx52.h>) before "
                              "the program.\n");
    EXPECT_EQ(run.c().errors(), 1);
    EXPECT_EQ(run.address("x", GlobalScope), -1);
    EXPECT_EQ(run.used(), 0);
}

TEST(Placement, FirstFreeBlockInBankOrderAndNeverAcrossTwoEntries) {
    MemoryRun run("char a, b; long l; char c;\nvoid main(void) { a = 1; b = 2; l = 3; c = 4; }\n",
                  0,
                  "#pragma CCTEMP_LOC 12\n#pragma PAGEBITS_LOC 3\n#pragma RESET_LOC 0\n"
                  "#pragma BANK_START_00 8\n#pragma BANK_END_00 10\n"
                  "#pragma BANK_START_01 11\n#pragma BANK_END_01 11\n"
                  "#pragma BANK_START_02 16\n#pragma BANK_END_02 31\n");
    EXPECT_EQ(run.address("a", GlobalScope), 8);
    EXPECT_EQ(run.address("b", GlobalScope), 9);
    EXPECT_EQ(run.address("l", GlobalScope), 16); // 10..11 would span two entries
    EXPECT_EQ(run.address("c", GlobalScope), 10);
    EXPECT_EQ(run.messages(), "");
    EXPECT_EQ(run.used(), 5);
    EXPECT_EQ(run.reused(), 0);
}

TEST(Placement, CommonRangesComeFirstAndABlockNeverEndsOnARangesLastAddress) {
    MemoryRun run("char a, b, c; long l;\nvoid main(void) { a = 1; b = 2; c = 3; l = 4; }\n", 0,
                  std::string(testing::SmallChip) +
                      "#pragma COMMON_BANK_START_1 16\n#pragma COMMON_BANK_END_1 18\n");
    EXPECT_EQ(run.address("a", GlobalScope), 16);
    EXPECT_EQ(run.address("b", GlobalScope), 17);
    EXPECT_EQ(run.address("c", GlobalScope), 8); // 18 is the range's last address
    EXPECT_EQ(run.address("l", GlobalScope), 9);
}

TEST(Placement, FixedAddressesStayAndCountInNeitherTotal) {
    MemoryRun run("char port @ 20;\nchar x;\nvoid main(void) { port = 1; x = 2; }\n", 1);
    EXPECT_EQ(run.address("port", GlobalScope), 20);
    EXPECT_EQ(run.address("x", GlobalScope), 8);
    EXPECT_EQ(run.used(), 1);
    EXPECT_EQ(run.reused(), 0);
}

TEST(FixedPlacement, TheCompilersRegistersAndScratchBytes) {
    MemoryRun run("void main(void) { }\n", 0);
    EXPECT_EQ(run.address("@__f0__", GlobalScope), 0);
    EXPECT_EQ(run.address("@__pc__", GlobalScope), 2);
    EXPECT_EQ(run.address("@__stat__", GlobalScope), 3);
    EXPECT_EQ(run.address("@__fsr__", GlobalScope), 4);
    EXPECT_EQ(run.address("@__P0tmp_", GlobalScope), 12);
    EXPECT_EQ(run.address("@__SxItmp_", GlobalScope), 13);
    EXPECT_EQ(run.address("@__SxLtmp_", GlobalScope), 14);
    EXPECT_EQ(run.symbol("@__SxLtmp_", GlobalScope)->size, 2);
    EXPECT_EQ(run.allMessages().find("C240"), std::string::npos);
}

TEST(FixedPlacement, RemapFlagPutsTheLongScratchOnP0tmpWithC240) {
    MemoryRun run("void main(void) { }\n", 0, testing::SmallChip, 1);
    EXPECT_NE(run.allMessages().find(
                  "WARNING(C240): Memory allocation conflict for @__SxLtmp_ address 12\n"),
              std::string::npos);
    EXPECT_EQ(run.address("@__SxLtmp_", GlobalScope), 12);
    EXPECT_EQ(run.c().errors(), 0); // a warning only
}

TEST(FixedPlacement, SetfixedlocWarnsOnEveryTakenByteAndEntersUnplacedAtMinusOne) {
    MemoryRun run("char x;\nvoid main(void) { x = 1; }\n", 0);
    Compilation& c = run.c();
    const std::size_t before = run.allMessages().size();
    setfixedloc(c, "high", 7, LONG); // 7 is free, 8 holds x
    setfixedloc(c, "free", 30, LONG);
    const Symbol* later = setfixedloc(c, "later", -1, INT);
    EXPECT_EQ(run.allMessages().substr(before),
              "WARNING(C240): Memory allocation conflict for high address 7\n");
    EXPECT_EQ(later->addr, -1);
    EXPECT_EQ(later->size, 1);
    EXPECT_FALSE(addressfree(c, 31));
    EXPECT_TRUE(addressfree(c, 29));
}

TEST(FixedPlacement, VirtualPeripheralRamIsReservedAndAClashWithARegisterIsC240) {
    MemoryRun run("#vpmem 3\n#vpmem 16 17\nchar a, b, c, d, e;\n"
                  "void main(void) { a = 1; b = 2; c = 3; d = 4; e = 5; }\n",
                  0);
    EXPECT_NE(run.allMessages().find(
                  "WARNING(C240): Memory allocation conflict for @__stat__ address 3\n"),
              std::string::npos)
        << run.allMessages();
    EXPECT_EQ(run.address("_asm_002", GlobalScope), 16);
    EXPECT_EQ(run.address("_asm_003", GlobalScope), 17);
    EXPECT_EQ(run.address("d", GlobalScope), 11);
    EXPECT_EQ(run.address("e", GlobalScope), 18); // 16 and 17 belong to the peripheral
}

TEST(Reuse, TwoLeafFunctionsCalledOnlyFromMainShareEqualSizedLocals) {
    MemoryRun run(TwoLeaves, 1);
    EXPECT_GE(run.at("a"), 8);
    EXPECT_EQ(run.at("a"), run.at("b"));
    EXPECT_NE(run.address("out", GlobalScope), run.at("a"));
    EXPECT_GE(run.reused(), 1);
}

// Only the compiler's temporaries share then.
TEST(Reuse, ReuseMemoryZeroSharesNoVariable) {
    MemoryRun run(TwoLeaves, 0);
    EXPECT_NE(run.at("a"), run.at("b"));
    for (const Symbol* s = run.c().symbols.main.head; s != nullptr; s = s->next) {
        if (s->addr >= 0 && s->name != "a" && !s->name.starts_with("_tmp_")) {
            EXPECT_NE(s->addr, run.at("a")) << s->name;
        }
    }
}

TEST(Reuse, TwoFunctionsCallingACommonThirdNeverShare) {
    MemoryRun run("char out;\nvoid h(void) { out = 0; }\n"
                  "void f(void) { char a; a = out; h(); out = a; }\n"
                  "void g(void) { char b; b = out; h(); out = b; }\n"
                  "void main(void) { f(); g(); }\n",
                  1);
    EXPECT_NE(run.at("a"), run.at("b"));
}

TEST(Reuse, ACallerNeverSharesWithWhatItReaches) {
    MemoryRun run("char out;\nvoid g(void) { char b; b = out; out = b; }\n"
                  "void f(void) { char a; a = out; g(); out = a; }\n"
                  "void main(void) { char m; m = out; f(); out = m; }\n",
                  1);
    EXPECT_NE(run.at("a"), run.at("b"));
    EXPECT_NE(run.at("m"), run.at("b"));
    EXPECT_NE(run.at("m"), run.at("a"));
}

TEST(Reuse, OnlyADonorOfExactlyTheRequestedSize) {
    MemoryRun run("char out;\n"
                  "void f(void) { long a; a = out; out = a; }\n"
                  "void g(void) { char b; b = out; out = b; }\n"
                  "void main(void) { f(); g(); }\n",
                  1);
    EXPECT_NE(run.at("b"), run.at("a"));
    EXPECT_NE(run.at("b"), run.at("a") + 1);
}

TEST(Reuse, StaticLocalsNeverShareNorAreShared) {
    MemoryRun run("char out;\n"
                  "void f(void) { static char a; a = out; out = a; }\n"
                  "void g(void) { char b; b = out; out = b; }\n"
                  "void h(void) { static char c; c = out; out = c; }\n"
                  "void main(void) { f(); g(); h(); }\n",
                  1);
    EXPECT_NE(run.at("a"), run.at("b"));
    EXPECT_NE(run.at("c"), run.at("b"));
    EXPECT_NE(run.at("c"), run.at("a"));
}

TEST(Reuse, GlobalsNeverShare) {
    MemoryRun run("char out, other;\nvoid f(void) { char a; a = out; other = a; }\n"
                  "void main(void) { f(); }\n",
                  1);
    EXPECT_NE(run.at("a"), run.address("out", GlobalScope));
    EXPECT_NE(run.at("a"), run.address("other", GlobalScope));
    EXPECT_EQ(run.reused(), 0);
}

// The interrupt can stop the main line anywhere: nothing it reaches shares with anything.
TEST(Reuse, InterruptLocalsAndWhatTheInterruptCallsNeverShare) {
    MemoryRun run("#pragma INTERRUPT_LOC 0\nchar out;\n"
                  "void f(void) { char a; a = out; out = a; }\n"
                  "void g(void) { char b; b = out; out = b; }\n"
                  "void i(void) { char c; c = out; out = c; }\n"
                  "void __interrupt(void) { char d; d = out; i(); out = d; }\n"
                  "void main(void) { f(); g(); }\n",
                  1);
    const int a = run.at("a");
    EXPECT_GE(a, 8);
    EXPECT_EQ(a, run.at("b")); // the main line still shares
    EXPECT_GE(run.at("c"), 8);
    EXPECT_GE(run.at("d"), 8);
    EXPECT_NE(run.at("c"), a);
    EXPECT_NE(run.at("d"), a);
    EXPECT_NE(run.at("c"), run.at("d"));
}

TEST(Reuse, ADirectRecursionEndsInC135) {
    testing::InProcessCompile compile;
    compile.c.flags.reuseMemory = 1;
    compile.run(std::string(testing::SmallChip) +
                "char out;\nvoid g(void) { char b; b = out; out = b; }\n"
                "void f(void) { char a; a = out; if (a) f(); out = a; }\n"
                "void main(void) { f(); g(); }\n");
    const std::size_t before = compile.io.messages.size();
    try {
        testing::runMemoryPasses(compile.c);
        FAIL() << "no fatal stop";
    } catch (const FatalStop& stop) {
        EXPECT_EQ(stop.location, 25);
        EXPECT_EQ(stop.status, 1);
    }
    EXPECT_EQ(compile.io.messages.substr(before),
              "FATAL(C135): Possible recursive or circular call involving f.\n"
              "Compiler exiting. Clear this error before compiling again.\n");
}

TEST(Relation, RuntimeRoutinesGlobalsAndUnknownFunctions) {
    MemoryRun run(TwoLeaves, 1);
    Compilation& c = run.c();
    EXPECT_FALSE(scopesrelated(c, "@__FUNC_MULT", "f"));
    EXPECT_TRUE(scopesrelated(c, "@__other", "f"));
    EXPECT_TRUE(scopesrelated(c, "f", ""));
    EXPECT_TRUE(scopesrelated(c, "f", "f"));
    EXPECT_TRUE(scopesrelated(c, "f", "__interrupt"));
    EXPECT_TRUE(scopesrelated(c, "nowhere", "f"));
    EXPECT_TRUE(scopesrelated(c, "main", "f"));
    EXPECT_FALSE(scopesrelated(c, "f", "main")); // f reaches nothing
    EXPECT_FALSE(scopesrelated(c, "f", "g"));
}

TEST(Relation, FollowingACallChainFor150LevelsIsAFatalStop) {
    MemoryRun run(TwoLeaves, 1);
    Compilation& c = run.c();
    addcall(c.callTree, "ping", "pong");
    addcall(c.callTree, "pong", "ping");
    EXPECT_THROW(scopesrelated(c, "ping", "f"), FatalStop);
    EXPECT_TRUE(run.allMessages().ends_with(
        "FATAL(C135): Possible recursive or circular call involving ping.\n"
        "Compiler exiting. Clear this error before compiling again.\n"))
        << run.allMessages();
}

} // namespace
} // namespace kavo

namespace kavo {
namespace {

// Every variable has one place: a function cannot be active twice, reuse or not.
std::string fatalMessages(const std::string& program, int reuse) {
    testing::InProcessCompile compile;
    compile.c.flags.reuseMemory = static_cast<std::uint32_t>(reuse);
    compile.run(std::string(testing::SmallChip) + program);
    const std::size_t before = compile.io.messages.size();
    try {
        testing::runMemoryPasses(compile.c);
    } catch (const FatalStop& stop) {
        return compile.io.messages.substr(before) + "stop " + std::to_string(stop.location);
    }
    return "no stop";
}

TEST(Recursion, ACallCycleIsRefusedWithReuseOff) {
    EXPECT_EQ(fatalMessages("char x;\nvoid b(void);\nvoid a(void) { x--; if (x) b(); }\n"
                            "void b(void) { a(); }\nvoid main(void) { a(); }\n",
                            0),
              "FATAL(C135): Possible recursive or circular call involving a.\n"
              "Compiler exiting. Clear this error before compiling again.\nstop 25");
}

TEST(Recursion, ARecursiveFunctionAloneIsRefusedWithReuseOn) {
    EXPECT_NE(fatalMessages("char x;\nvoid f(void) { x--; if (x) f(); }\n"
                            "void main(void) { f(); }\n",
                            1)
                  .find("FATAL(C135): Possible recursive or circular call involving f.\n"),
              std::string::npos);
}

// f's parameters are loaded right before f is called, after g has returned: g calling f, or
// the two calls nested both ways, is no cycle.
TEST(Recursion, ACallInsideAnotherCallsArgumentsIsNoRecursion) {
    EXPECT_EQ(fatalMessages("char x;\nvoid f(char p, char q) { x = p + q; }\n"
                            "char g(void) { f(3, 4); return 2; }\n"
                            "void main(void) { f(1, g()); }\n",
                            0),
              "no stop");
    EXPECT_EQ(fatalMessages("char x;\nvoid f(char p, char q) { x = p + q; }\n"
                            "char g(void) { return 2; }\n"
                            "void main(void) { f(1, g()); f(g(), 1); }\n",
                            0),
              "no stop");
}

} // namespace
} // namespace kavo
