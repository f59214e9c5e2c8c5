#include "tests/compiler/backend/placement_fixture.hpp"

namespace kavo::testing {
namespace {

using FinalResolution = PlacementTest;

TEST_F(FinalResolution, OperandsBecomeTheirInstructionFields) {
    variable("v", 0x35);
    label("main");
    Instruction* add = op(PIC_ADDWF, "v", 1);
    Instruction* bit = op(PIC_BSF, "v", 6);
    Instruction* store = op(PIC_MOVWF, "v", -1, 1);
    Instruction* load = literal(-7);
    Instruction* jump = op(PIC_GOTO, "main");
    const int size = place();
    EXPECT_EQ(c.errors(), 0) << io.messages;
    EXPECT_EQ(add->resolved, 0x15 + 32);
    EXPECT_EQ(bit->resolved, 0x15 + 6 * 32);
    EXPECT_EQ(store->resolved, 0x16);
    EXPECT_EQ(load->resolved, -7);
    EXPECT_EQ(jump->resolved, 0);
    EXPECT_EQ(size, 6); // BANK 1 comes first
}

TEST_F(FinalResolution, TransfersNameTheirTargetLabelAndFunction) {
    addcall(c.callTree, "main");
    addcall(c.callTree, "f");
    label("main");
    Instruction* call = op(PIC_CALL, "f");
    label("@f");
    op(PIC_RETURN);
    place();
    EXPECT_EQ(call->targetLabel, 2);
    EXPECT_EQ(call->targetFunction, findcall(c.callTree, "f")->number);
}

TEST_F(FinalResolution, HardcodedJumpTargetWarnsAndIsUsed) {
    label("main");
    Instruction* jump = op(PIC_GOTO, "100");
    place();
    EXPECT_EQ(io.messages, "WARNING(C202): Line: 2 hardcoded label 100 found.\n");
    EXPECT_EQ(c.errors(), 0);
    EXPECT_EQ(jump->resolved, 100);
}

TEST_F(FinalResolution, HardcodedCallIntoTheSecondHalfIsC250Too) {
    label("main");
    op(PIC_CALL, "300");
    place();
    EXPECT_EQ(io.messages,
              "WARNING(C202): Line: 2 hardcoded label 300 found.\n"
              "ERROR(C250): Line: 2 address (300) of 300 not in first half of page.\n");
}

TEST_F(FinalResolution, CallIntoTheSecondHalfOfAPageIsC250) {
    label("main");
    op(PIC_CALL, "f");
    filler(255);
    label("@f"); // at 256, in the same page as the call
    op(PIC_RETURN);
    place();
    EXPECT_EQ(labelAddress("@f"), 256);
    EXPECT_EQ(io.messages, "ERROR(C250): Line: 2 address (256) of @f not in first half of page.\n");
    EXPECT_EQ(c.errors(), 1);
}

TEST_F(FinalResolution, CounterPastRomEndIsC70) {
    label("main");
    filler(512);
    EXPECT_EQ(place(), 512);
    EXPECT_EQ(io.messages, "ERROR(C70): Memory limit exceeded (pragma ROM_END = 511 needs 512).\n");
}

TEST_F(FinalResolution, FitsExactlyAtRomEnd) {
    label("main");
    filler(512 - CodeSegments::ReservedWords);
    EXPECT_EQ(place(), 510);
    EXPECT_EQ(c.errors(), 0);
}

TEST_F(FinalResolution, EveryUnresolvableOperandIsReportedInOneRun) {
    label("main");
    op(PIC_MOVF, "nothing", 0);                             // C64
    op(PIC_CLRF, "nowhere");                                // C63
    op(PIC_GOTO, "missing");                                // C65
    op(PIC_PAGE, "gone");                                   // C201
    literal(300);                                           // C251
    op(PIC_UNKNOWN_INSTRUCTION);                            // C66
    op(PIC_RESET, "main2");                                 // C73
    Instruction* vector = op(PIC_INTERRUPT, "__interrupt"); // C74
    place();
    EXPECT_EQ(io.messages, "ERROR(C178): Line: 7 Unknown instruction: 0\n"
                           "ERROR(C64): Line: 2 Identifier nothing not found.\n"
                           "ERROR(C63): Line: 3 Identifier nowhere not found.\n"
                           "ERROR(C65): Line: 4 label missing not found.\n"
                           "ERROR(C201): Line: 5 PAGE: label gone not found.\n"
                           "ERROR(C251): Line: 6 Constant value out of range.\n"
                           "ERROR(C66): Unknown instruction: UNKNOWN_INSTRUCTION\n"
                           "ERROR(C73): Line: 8 reset label main2 not found.\n"
                           "ERROR(C74): Line: 9 interrupt label __interrupt not found.\n")
        << io.messages;
    EXPECT_EQ(c.errors(), 8 + 1); // and C178 from the bank pass for it
    EXPECT_EQ(vector->opcode, PIC_GOTO);
    EXPECT_EQ(vector->address, 1);
}

TEST_F(FinalResolution, ResetJumpMustReachPageZero) {
    c.pragmas.set("ROM_END", "2047");
    label("start");
    filler(600);
    label("main");
    endProgram();
    resetTo();
    place();
    EXPECT_NE(io.messages.find("ERROR(C330): Line: 605 address (600) of main not in page 0"),
              std::string::npos)
        << io.messages;
}

TEST_F(FinalResolution, InterruptVectorSitsAtOneWithItsPageBeforeIt) {
    c.pragmas.set("ROM_END", "2047");
    label("@@@@@");
    op(PIC_INTERRUPT, "__interrupt");
    label("main");
    endProgram();
    filler(600);
    label("__interrupt");
    op(PIC_RETFIE);
    place();
    EXPECT_EQ(c.errors(), 0) << io.messages;
    const Instruction* page = find(PIC_PAGE, "1");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->address, 0);
    EXPECT_EQ(page->next->address, 1);
    EXPECT_EQ(labelAddress("main"), 2);
}

// SKIP reads PC bit 0, which holds the next instruction's address: it is encoded by its
// own address and must skip at either parity.
class SkipParity : public PlacementTest, public ::testing::WithParamInterface<int> {};

TEST_P(SkipParity, SkipsAtEveryAddress) {
    variable("g", 0x0A);
    label("main");
    filler(GetParam());
    literal(5);
    op(PIC_SKIP);
    literal(9);
    op(PIC_MOVWF, "g");
    endProgram();
    resetTo();
    PlacedProgram program = runPlaced();
    EXPECT_EQ(find(PIC_SKIP, "")->address % 2, (GetParam() + 1) % 2);
    EXPECT_EQ(program.core().readFlat(0x0A), 5);
}

INSTANTIATE_TEST_SUITE_P(EvenAndOdd, SkipParity, ::testing::Values(0, 1));

TEST_F(FinalResolution, JumpTableOutsideTheFirstHalfPageIsRefused) {
    label("main");
    filler(250);
    literal(1);
    op(PIC_ADDWF, "@__pc__", 1);
    for (int k = 0; k < 8; ++k)
        op(PIC_RETLW, std::to_string(k));
    place();
    EXPECT_NE(io.messages.find("of jump table not in first half of page"), std::string::npos)
        << io.messages;
}

TEST_F(FinalResolution, CarryxOnIsRefused) {
    label("main");
    c.pragmas.set("FUSEX_WORD_VAL", "0xFBF");
    place();
    EXPECT_EQ(c.errors(), 1);
    EXPECT_NE(io.messages.find("turns CARRYX on"), std::string::npos);
}

TEST_F(FinalResolution, CarryxOffIsAccepted) {
    label("main");
    c.pragmas.set("FUSEX_WORD_VAL", "0xFFF");
    place();
    EXPECT_EQ(c.errors(), 0);
}

TEST_F(FinalResolution, RunThatFitsInNoSegmentIsRefused) {
    label("main");
    filler(10);
    literal(0);
    op(PIC_ADDWF, "@__pc__", 1);
    for (int k = 0; k < 20; ++k)
        op(PIC_RETLW, std::to_string(k));
    c.placement->segments.reset(0, 20);
    c.placement->segments.add(40, 50);
    c.placement->segments.add(60, 511);
    c.placement->segmentsBuilt = true;
    place();
    EXPECT_NE(io.messages.find("21 words that must stay together fit in no free code segment"),
              std::string::npos)
        << io.messages;
}

} // namespace
} // namespace kavo::testing
