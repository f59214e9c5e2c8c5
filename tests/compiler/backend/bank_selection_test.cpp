#include "tests/compiler/backend/placement_fixture.hpp"

namespace kavo::testing {
namespace {

using BankSelection = PlacementTest;
using sxsim::DeviceKind;

constexpr int Bank1 = 1 * 32 + 16;
constexpr int Bank2 = 2 * 32 + 16;
constexpr int Global = 0x0A;

TEST_F(BankSelection, AccessAfterALabelSelectsItsBank) {
    variable("v7", 7 * 32 + 20);
    label("main");
    literal(5);
    op(PIC_MOVWF, "v7");
    op(PIC_MOVWF, "v7");
    selectbanks(c);
    // The selection goes before the literal load that feeds the store, once.
    EXPECT_EQ(listing(), (std::vector<std::string>{"LABEL main", "BANK 7", "MOVLW 5", "MOVWF v7",
                                                   "MOVWF v7"}));
}

TEST_F(BankSelection, GlobalRegistersAndCallsFollowTheirRules) {
    variable("b1", Bank1);
    variable("g", Global);
    label("main");
    op(PIC_MOVWF, "b1");
    op(PIC_MOVWF, "g"); // global: no selection, the bank stays
    op(PIC_MOVWF, "b1");
    op(PIC_CALL, "f"); // the callee may leave any bank
    op(PIC_MOVWF, "b1");
    selectbanks(c);
    EXPECT_EQ(listing(), (std::vector<std::string>{"LABEL main", "BANK 1", "MOVWF b1", "MOVWF g",
                                                   "MOVWF b1", "CALL f", "BANK 1", "MOVWF b1"}));
}

// A loop's head keeps the bank its ways in hold: the back jump selects it again. A label
// right after another is entered from it as well as by its own jumps.
TEST_F(BankSelection, ALabelKeepsTheBankEveryWayInHolds) {
    variable("b1", Bank1);
    variable("b2", Bank2);
    label("main");
    op(PIC_MOVWF, "b1");
    label("_LBL_1");
    op(PIC_MOVWF, "b1");
    op(PIC_BTFSC, "b1", 0);
    op(PIC_GOTO, "_BCL_3");
    op(PIC_MOVWF, "b2");
    op(PIC_BTFSC, "b2", 0);
    op(PIC_GOTO, "_LBL_2");
    op(PIC_GOTO, "_LBL_1");
    label("_LBL_2");
    label("_BCL_3");
    op(PIC_MOVWF, "b1");
    selectbanks(c);
    // _LBL_2 is entered in bank 2, _BCL_3 from it and in bank 1: unknown, so selected.
    EXPECT_EQ(listing(),
              (std::vector<std::string>{
                  "LABEL main", "BANK 1", "MOVWF b1", "LABEL _LBL_1", "MOVWF b1", "BTFSC b1.0",
                  "GOTO _BCL_3", "BANK 2", "MOVWF b2", "BTFSC b2.0", "GOTO _LBL_2", "BANK 1",
                  "GOTO _LBL_1", "LABEL _LBL_2", "LABEL _BCL_3", "BANK 1", "MOVWF b1"}));
}

// How a callee's body ends, and whether its caller still knows the bank after the call: only
// when the body came first and every way out of it returns in one bank.
enum class CalleeEnd { OneReturn, ReturnsInTwoBanks, JumpOut, BodyAfterCaller };

class CallExitBank : public PlacementTest,
                     public ::testing::WithParamInterface<std::pair<CalleeEnd, bool>> {
protected:
    void callee(CalleeEnd end) {
        label("@f");
        op(PIC_MOVWF, "b1");
        op(PIC_BTFSC, "g", 0);
        if (end == CalleeEnd::ReturnsInTwoBanks) {
            op(PIC_RETURN);
            op(PIC_MOVWF, "b2");
        } else if (end == CalleeEnd::JumpOut) {
            op(PIC_GOTO, "elsewhere");
        }
        op(PIC_RETURN);
        label("@f_END");
    }
};

TEST_P(CallExitBank, KeepsTheBankTheCalleeReturnsWith) {
    const auto [end, kept] = GetParam();
    variable("b1", Bank1);
    variable("b2", Bank2);
    variable("g", Global);
    if (end != CalleeEnd::BodyAfterCaller)
        callee(end);
    label("main");
    op(PIC_MOVWF, "b1");
    op(PIC_CALL, "f");
    op(PIC_MOVWF, "b1");
    if (end == CalleeEnd::BodyAfterCaller)
        callee(CalleeEnd::OneReturn);
    selectbanks(c);
    EXPECT_EQ(find(PIC_CALL, "f")->next->opcode != PIC_BANK, kept);
}

INSTANTIATE_TEST_SUITE_P(Ends, CallExitBank,
                         ::testing::Values(std::pair{CalleeEnd::OneReturn, true},
                                           std::pair{CalleeEnd::ReturnsInTwoBanks, false},
                                           std::pair{CalleeEnd::JumpOut, false},
                                           std::pair{CalleeEnd::BodyAfterCaller, false}));

// A body's first selection goes when every call into it is made in that bank already.
class CallEntryBank : public PlacementTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CallEntryBank, DropsTheSelectionEveryCallAlreadyMade) {
    const bool sameBank = GetParam();
    variable("b1", Bank1);
    variable("b2", Bank2);
    label("main");
    op(PIC_MOVWF, "b1");
    op(PIC_CALL, "f");
    op(PIC_MOVWF, sameBank ? "b1" : "b2");
    op(PIC_CALL, "f");
    endProgram();
    label("@f");
    op(PIC_MOVWF, "b1");
    op(PIC_RETURN);
    label("@f_END");
    selectbanks(c);
    EXPECT_EQ(find(PIC_LABEL, "@f")->next->opcode != PIC_BANK, sameBank);
}

INSTANTIATE_TEST_SUITE_P(SecondCall, CallEntryBank, ::testing::Bool());

TEST_F(BankSelection, UnknownAndMalformedInstructionsAreReported) {
    label("main");
    op(23);
    op(PIC_MOV, "x");
    selectbanks(c);
    EXPECT_EQ(io.messages, "ERROR(C178): Line: 2 Unknown instruction: 23\n"
                           "ERROR(C179): Line: 3 Possible syntax error in asm() directive.\n");
    EXPECT_EQ(c.errors(), 2);
    EXPECT_EQ(count(PIC_NOP), 1);
}

// A bit test on a bank-1 register guarding a store into bank 2: the BANK word sits between
// them (a taken skip passes over it with the store); W and the flags are untouched.
class BitTestAcrossBanks : public BankSelection, public ::testing::WithParamInterface<int> {};

TEST_P(BitTestAcrossBanks, SelectsTheGuardedWordsBankAfterTheTest) {
    const int tested = GetParam();
    variable("a", Bank1);
    variable("b", Bank2);
    variable("g", Global);
    label("main");
    literal(tested);
    op(PIC_MOVWF, "a");
    literal(55);
    op(PIC_MOVWF, "b");
    literal(77);
    op(PIC_BTFSC, "a", 0);
    op(PIC_CLRF, "b");
    op(PIC_MOVWF, "g");
    op(PIC_MOVF, "b", 0);
    op(PIC_MOVWF, "g", -1, 1);
    endProgram();
    resetTo();
    PlacedProgram program = runPlaced();
    EXPECT_EQ(instructionsBetween(c.instructions, "main").at(8), "BTFSC a.0");
    EXPECT_EQ(instructionsBetween(c.instructions, "main").at(9), "BANK 2");
    EXPECT_EQ(program.core().readFlat(Bank2), tested == 1 ? 0 : 55);
    EXPECT_EQ(program.core().readFlat(Global), 77); // W kept across the test
}

INSTANTIATE_TEST_SUITE_P(BothOutcomes, BitTestAcrossBanks, ::testing::Values(0, 1));

// CLRW; SNB c.7; MOV W,#255; MOV z+1,W with c in bank 1 and z in bank 2. Copying the tested
// register through W (MOVF c,W; MOVWF P0tmp) leaves c's value in W instead of 0.
class SignExtension : public BankSelection {
protected:
    void build(bool copyThroughW) {
        variable("cv", Bank1);
        variable("z", Bank2, 2);
        label("main");
        if (copyThroughW)
            op(PIC_BANK, "1");
        literal(0x7F);
        op(PIC_MOVWF, "cv");
        op(PIC_CLRW);
        if (copyThroughW) {
            op(PIC_MOVF, "cv", 0);
            op(PIC_MOVWF, "@__P0tmp_");
            op(PIC_BANK, "2");
            op(PIC_BTFSC, "@__P0tmp_", 7);
        } else {
            op(PIC_BTFSC, "cv", 7);
        }
        literal(255);
        op(PIC_MOVWF, "z", -1, 1);
        endProgram();
        resetTo();
    }
};

TEST_F(SignExtension, CopyThroughWGivesTheWrongHighByte) {
    build(true);
    labeltablepass(c);
    finalresolution(c);
    PlacedProgram before(c, DeviceKind::SX28);
    before.run();
    EXPECT_EQ(before.core().readFlat(Bank2 + 1), 0x7F);
}

TEST_F(SignExtension, PlacedCodeGivesZero) {
    build(false);
    PlacedProgram after = runPlaced();
    EXPECT_EQ(after.core().readFlat(Bank2 + 1), 0);
    EXPECT_EQ(count(PIC_MOVF), 0);
}

// DECFSZ skips too: a BANK put in front of the word it guards is passed over with it, so
// the bank is unknown afterwards. Assuming the new bank after a taken skip leaves the next
// bank-2 access in bank 1.
class CountedSkip : public BankSelection {
protected:
    void build(bool assumeNewBank) {
        variable("n", Bank1);
        variable("b", Bank2);
        variable("b2", Bank2 + 1);
        label("main");
        if (assumeNewBank)
            op(PIC_BANK, "1");
        literal(1);
        op(PIC_MOVWF, "n");
        literal(5);
        op(PIC_DECFSZ, "n", 1); // n becomes 0: the store into b is skipped
        if (assumeNewBank)
            op(PIC_BANK, "2");
        op(PIC_MOVWF, "b");
        op(PIC_MOVWF, "b2");
        endProgram();
        resetTo();
    }
};

TEST_F(CountedSkip, AssumingTheGuardedWordsBankWritesTheWrongByte) {
    build(true);
    labeltablepass(c);
    finalresolution(c);
    PlacedProgram before(c, DeviceKind::SX28);
    before.run();
    EXPECT_EQ(before.core().readFlat(Bank2 + 1), 0);
    EXPECT_EQ(before.core().readFlat(Bank1 + 1), 5);
}

TEST_F(CountedSkip, BankIsSelectedAgainAfterTheGuardedWord) {
    build(false);
    PlacedProgram after = runPlaced();
    EXPECT_EQ(after.core().readFlat(Bank2 + 1), 5);
    EXPECT_EQ(after.core().readFlat(Bank2), 0);
    EXPECT_EQ(after.core().readFlat(Bank1 + 1), 0);
}

// On the 48/52-pin parts the high-bank bit is an instruction of its own, which a skip does
// not pass over: the tested bit is copied into P0tmp without W or the flags, and the test
// reads the copy after the guarded word's bank is selected.
class HighBankBitTest : public BankSelection, public ::testing::WithParamInterface<int> {};

TEST_P(HighBankBitTest, CopiesTheBitWhenTheHighBankBitChanges) {
    const int tested = GetParam();
    c.pragmas.set("SX_52_BANKS", "1");
    c.pragmas.set("ROM_END", "4095");
    c.pragmas.set("RESET_LOC", "4095");
    variable("a", Bank1);
    variable("b", 9 * 32 + 16);
    variable("g", Global);
    label("main");
    literal(tested);
    op(PIC_MOVWF, "a");
    literal(55);
    op(PIC_MOVWF, "b");
    literal(77);
    op(PIC_CLZ);
    op(PIC_BTFSS, "a", 0);
    op(PIC_MOVWF, "b");
    op(PIC_MOVWF, "g");
    op(PIC_MOVF, "@__stat__", 0);
    op(PIC_MOVWF, "g", -1, 1);
    endProgram();
    resetTo();
    PlacedProgram program = runPlaced(DeviceKind::SX52);
    EXPECT_NE(find(PIC_BTFSS, "@__P0tmp_"), nullptr);
    EXPECT_EQ(program.core().readFlat(9 * 32 + 16), tested == 1 ? 55 : 77);
    EXPECT_EQ(program.core().readFlat(Global), 77);
    EXPECT_EQ(program.core().readFlat(Global + 1) & sxsim::status::Z, 0); // Z still clear
}

INSTANTIATE_TEST_SUITE_P(BothOutcomes, HighBankBitTest, ::testing::Values(0, 1));

TEST_F(BankSelection, SkipsOtherThanBitTestsAreRefusedAcrossTheHighBankBit) {
    c.pragmas.set("SX_52_BANKS", "1");
    variable("n", Bank1);
    variable("b", 9 * 32 + 16);
    label("main");
    op(PIC_MOVWF, "n");
    op(PIC_DECFSZ, "n", 1);
    op(PIC_CLRF, "b");
    selectbanks(c);
    EXPECT_EQ(c.errors(), 1);
    EXPECT_NE(io.messages.find("needs RAM bank 9"), std::string::npos);
}

// A write to FSR selects the bank: after MOV FSR,W with an unknown value the bank must be
// selected again, though the walk held bank 0 before.
class FsrWrite : public BankSelection {
protected:
    void build(bool selectAfterIndirect) {
        variable("x", 0x10);
        variable("p", Global);
        variable("target", Bank2);
        variable("g", Global + 1);
        label("main");
        literal(Bank2);
        op(PIC_MOVWF, "p");
        if (selectAfterIndirect)
            op(PIC_BANK, "0");
        literal(11);
        op(PIC_MOVWF, "x");
        literal(99);
        op(PIC_MOVWF, "@__P0tmp_");
        op(PIC_MOVF, "p", 0);
        op(PIC_MOVWF, "@__fsr__");
        op(PIC_MOVF, "@__P0tmp_", 0);
        op(PIC_MOVWF, "@__f0__");
        literal(22);
        op(PIC_MOVWF, "x");
        endProgram();
        resetTo();
    }
};

TEST_F(FsrWrite, KeepingTheBankAcrossItWritesTheWrongByte) {
    build(true);
    labeltablepass(c);
    finalresolution(c);
    PlacedProgram before(c, DeviceKind::SX28);
    before.run();
    EXPECT_EQ(before.core().readFlat(0x10), 11);
    EXPECT_EQ(before.core().readFlat(Bank2), 22);
}

TEST_F(FsrWrite, MakesTheBankUnknown) {
    build(false);
    PlacedProgram after = runPlaced();
    EXPECT_EQ(after.core().readFlat(0x10), 22);
    EXPECT_EQ(after.core().readFlat(Bank2), 99);
}

TEST_F(BankSelection, LiteralFsrLoadMakesItsBankKnown) {
    variable("t", Bank2 + 1);
    label("main");
    literal(Bank2);
    op(PIC_MOVWF, "@__fsr__");
    op(PIC_MOVF, "@__f0__", 0);
    op(PIC_MOVWF, "t");
    selectbanks(c);
    EXPECT_EQ(count(PIC_BANK), 0);
}

// A 16-bit read through a pointer storing its low byte into another bank: the selection
// rewrites FSR's bank bits, so they are selected again from the copy the set-up saved before
// the high byte is read; an FSR written otherwise (ADD FSR,W) cannot be mended and is refused.
TEST_F(BankSelection, AnUnknownFsrBankIsSelectedAgainBeforeItsIndirectAccess) {
    variable("p", Global);
    variable("lowByte", Bank1);
    variable("highByte", Global + 1);
    variable("element", Bank2);
    label("main");
    literal(0x34);
    op(PIC_MOVWF, "element");
    literal(0x12);
    op(PIC_MOVWF, "element", -1, 1);
    literal(Bank2);
    op(PIC_MOVWF, "p");
    op(PIC_MOVF, "p", 0);
    op(PIC_MOVWF, "@__fsr__");
    op(PIC_MOVF, "@__f0__", 0);
    op(PIC_MOVWF, "lowByte");
    op(PIC_INCF, "@__fsr__", 1);
    op(PIC_MOVF, "@__f0__", 0);
    op(PIC_MOVWF, "highByte");
    endProgram();
    resetTo();
    PlacedProgram program = runPlaced();
    EXPECT_EQ(c.errors(), 0) << io.messages;
    EXPECT_EQ(program.core().readFlat(Bank1), 0x34);
    EXPECT_EQ(program.core().readFlat(Global + 1), 0x12);
}

TEST_F(BankSelection, AnFsrWrittenOtherwiseThanByASetUpIsRefusedBeforeABankSelection) {
    variable("p", Global);
    variable("lowByte", Bank1);
    label("main");
    op(PIC_MOVF, "p", 0);
    op(PIC_ADDWF, "@__fsr__", 1);
    op(PIC_MOVF, "@__f0__", 0);
    op(PIC_MOVWF, "lowByte");
    op(PIC_MOVF, "@__f0__", 0);
    selectbanks(c);
    EXPECT_EQ(c.errors(), 1);
    EXPECT_NE(io.messages.find("lowByte needs a RAM bank selection between the set-up of FSR"),
              std::string::npos);
}

// The 48/52-pin parts: direct access to bank 9 (BANK 1 and FSR bit 7) and indirect access
// through the address taken meet at the same byte.
TEST_F(BankSelection, UpperBankDirectAndIndirectMeetOnTheFourKPart) {
    c.pragmas.set("SX_52_BANKS", "1");
    c.pragmas.set("ROM_END", "4095");
    c.pragmas.set("RESET_LOC", "4095");
    variable("v", 9 * 32 + 16 + 5);
    variable("w", 12 * 32 + 16 + 1);
    variable("g", Global);
    label("main");
    literal(42);
    op(PIC_MOVWF, "v");
    op(PIC_ADDRESSOF, "v");
    op(PIC_SETIRP, "v");
    op(PIC_MOVWF, "@__fsr__");
    op(PIC_MOVF, "@__f0__", 0);
    op(PIC_MOVWF, "g");
    op(PIC_ADDRESSOF, "w");
    op(PIC_MOVWF, "@__fsr__");
    literal(43);
    op(PIC_MOVWF, "@__f0__");
    op(PIC_MOVF, "w", 0);
    op(PIC_MOVWF, "g", -1, 1);
    endProgram();
    resetTo();
    PlacedProgram program = runPlaced(DeviceKind::SX52);
    EXPECT_EQ(program.core().readFlat(Global), 42);
    EXPECT_EQ(program.core().readFlat(Global + 1), 43);
    EXPECT_EQ(program.core().readFlat(9 * 32 + 16 + 5), 42);
}

// The literal rewrite for comparison: the folded address and STATUS bit 7 reach another
// byte (and select page 4 for the next jump).
TEST_F(BankSelection, FoldedAddressMissesTheUpperBankByte) {
    variable("g", Global);
    label("main");
    op(PIC_BANK, "1");
    op(PIC_BSF, "@__fsr__", 7);
    literal(42);
    op(PIC_MOVWF, "v9", -1, 0)->operand = std::to_string(9 * 32 + 16 + 5);
    literal(((9 * 32 + 16 + 5) & 0xFF) & ~0x10);
    op(PIC_BSF, "@__stat__", 7);
    op(PIC_MOVWF, "@__fsr__");
    op(PIC_MOVF, "@__f0__", 0);
    op(PIC_MOVWF, "g");
    endProgram();
    labeltablepass(c);
    finalresolution(c);
    PlacedProgram before(c, DeviceKind::SX52);
    before.core().setPc(0);
    before.run(50);
    EXPECT_NE(before.core().readFlat(Global), 42);
}

} // namespace
} // namespace kavo::testing
