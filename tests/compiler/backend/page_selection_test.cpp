#include "tests/compiler/backend/placement_fixture.hpp"

namespace kavo::testing {
namespace {

using PageSelection = PlacementTest;
using sxsim::DeviceKind;

constexpr int R1 = 0x08, R2 = 0x09, R3 = 0x0A;

// main calls f in page 1 and g in page 2, jumps to page 3 and back.
class MultiPage : public PageSelection {
protected:
    void build() {
        c.pragmas.set("ROM_END", "2047");
        variable("r1", R1);
        variable("r2", R2);
        variable("r3", R3);
        label("main");
        op(PIC_CALL, "f");
        op(PIC_CALL, "g");
        op(PIC_GOTO, "far");
        label("back");
        endProgram();
        filler(520);
        label("@f");
        literal(5);
        op(PIC_MOVWF, "r1");
        op(PIC_GOTO, "f_done");
        literal(99);
        op(PIC_MOVWF, "r1");
        label("f_done");
        op(PIC_RETURN);
        label("@f_END");
        filler(520);
        label("@g");
        op(PIC_CALL, "f"); // back into page 1 and home again
        literal(7);
        op(PIC_MOVWF, "r2");
        op(PIC_RETURN);
        label("@g_END");
        filler(520);
        label("far");
        literal(9);
        op(PIC_MOVWF, "r3");
        op(PIC_GOTO, "back");
        resetTo();
    }
};

TEST_F(MultiPage, CallsAndJumpsAcrossPagesRunCorrectly) {
    build();
    PlacedProgram program = runPlaced();
    EXPECT_EQ(pageOfAddress(labelAddress("@f")), 1);
    EXPECT_EQ(pageOfAddress(labelAddress("@g")), 2);
    EXPECT_EQ(pageOfAddress(labelAddress("far")), 3);
    EXPECT_EQ(program.core().readFlat(R1), 5);
    EXPECT_EQ(program.core().readFlat(R2), 7);
    EXPECT_EQ(program.core().readFlat(R3), 9);
    EXPECT_NE(io.messages.find("Optimizing Page bits.\n"), std::string::npos);
}

TEST_F(MultiPage, PageOnlyWhereTheHeldPageDiffers) {
    build();
    place();
    // Into f, into g, to far; back from far; g's call of f. The jump inside f needs none, nor
    // the end of main after the jump back.
    EXPECT_EQ(
        instructionsBetween(c.instructions, "main", "back"),
        (std::vector<std::string>{"PAGE 1", "CALL f", "PAGE 2", "CALL g", "PAGE 3", "GOTO far"}));
    EXPECT_EQ(
        instructionsBetween(c.instructions, "@f", "f_done"),
        (std::vector<std::string>{"MOVLW 5", "MOVWF r1", "GOTO f_done", "MOVLW 99", "MOVWF r1"}));
    EXPECT_EQ(count(PIC_PAGE), 5) << ::testing::PrintToString(listing());
}

// Code added after page selection moves a label into another page: the label-table pass
// reports the crossing, gives the jumps to it their page bits, and then settles.
TEST_F(MultiPage, LabelCrossingAfterPageSelectionIsMended) {
    build();
    c.pragmas.set("ROM_END", "4095"); // room for the code added below
    c.pragmas.set("RESET_LOC", "4095");
    resolveaddresses(c);
    selectbanks(c);
    selectpages(c);
    EXPECT_FALSE(labeltablepass(c));
    Instruction* before = c.instructions.head();
    while (before->next->operand != "back")
        before = before->next;
    for (int k = 0; k < 600; ++k) {
        Instruction* nop = c.instructions.make();
        nop->opcode = PIC_NOP;
        c.instructions.insertAfter(before, nop);
    }
    c.flags.debugForm = 1;
    EXPECT_TRUE(labeltablepass(c));
    EXPECT_NE(io.messages.find("AHA!!!! label back changed from bank 0 to bank 1"),
              std::string::npos);
    EXPECT_NE(io.messages.find("Found label page crossing.  need to redo label table.\n"),
              std::string::npos);
    while (labeltablepass(c)) {
    }
    resolveaddressof(c);
    finalresolution(c);
    EXPECT_EQ(c.errors(), 0) << io.messages;
    PlacedProgram program(c, DeviceKind::SX52);
    EXPECT_EQ(program.run().reason, sxsim::StopReason::SelfJump);
    EXPECT_EQ(program.core().readFlat(R3), 9);
}

TEST_F(PageSelection, OnePageProgramHasNoPage) {
    label("main");
    op(PIC_CALL, "f");
    endProgram();
    label("@f");
    op(PIC_RETURN);
    label("@f_END");
    resetTo();
    place();
    EXPECT_EQ(count(PIC_PAGE), 0);
    EXPECT_EQ(io.messages, "");
}

TEST_F(PageSelection, ProgramInPageZeroOfABigPartHasNoPage) {
    c.pragmas.set("ROM_END", "2047");
    label("main");
    op(PIC_CALL, "f");
    op(PIC_CALL, "f");
    endProgram();
    label("@f");
    op(PIC_GOTO, "inner");
    label("inner");
    op(PIC_RETURN);
    label("@f_END");
    resetTo();
    place();
    EXPECT_EQ(count(PIC_PAGE), 0) << ::testing::PrintToString(listing());
}

TEST_F(PageSelection, ClearingStatusBit7KeepsTheHeldPageOnTwoKParts) {
    c.pragmas.set("ROM_END", "2047");
    variable("arr", 0x30);
    label("main");
    op(PIC_GOTO, "there");
    filler(600);
    label("there");
    op(PIC_SETIRP, "arr");
    op(PIC_GOTO, "there");
    resetTo();
    place();
    EXPECT_EQ(find(PIC_BCF, "@__stat__")->dest, 7);
    EXPECT_EQ(count(PIC_PAGE), 1) << ::testing::PrintToString(listing());
}

// DECFSZ guarding a jump to page 1, then a jump in page 0. Deciding from the jump's own
// address leaves the second jump without PAGE while the bits hold page 1.
class GuardedJump : public PageSelection {
protected:
    void build(bool asDecidedByOwnAddress) {
        c.pragmas.set("ROM_END", "2047");
        variable("cnt", R1);
        variable("r", R2);
        label("main");
        literal(1); // DECFSZ skips the jump to far
        op(PIC_MOVWF, "cnt");
        if (asDecidedByOwnAddress)
            op(PIC_PAGE, "1");
        op(PIC_DECFSZ, "cnt", 1);
        op(PIC_GOTO, "far");
        op(PIC_GOTO, "near");
        label("near");
        literal(1);
        op(PIC_MOVWF, "r");
        endProgram();
        filler(520);
        label("far");
        literal(2);
        op(PIC_MOVWF, "r");
        label("far_end");
        op(PIC_GOTO, "far_end");
        resetTo();
    }
};

TEST_F(GuardedJump, OwnAddressDecisionRunsIntoTheWrongPage) {
    build(true);
    labeltablepass(c);
    finalresolution(c);
    PlacedProgram before(c, DeviceKind::SX28);
    before.run(1000);
    EXPECT_NE(before.core().readFlat(R2), 1);
}

TEST_F(GuardedJump, HeldPageDecidesAfterAFallThrough) {
    build(false);
    PlacedProgram after = runPlaced();
    EXPECT_EQ(after.core().readFlat(R2), 1);
}

// Code moved on to the next free code segment: a bridge carries execution over the words
// that belong to something else.
class SegmentBridge : public PageSelection {
protected:
    void build(bool withoutBridge) {
        variable("count", R1);
        label("main");
        op(PIC_CLRF, "count");
        for (int k = 0; k < 40; ++k)
            op(PIC_INCF, "count", 1);
        if (withoutBridge) {
            // What the words look like when the code is moved without a jump.
            Instruction* i = c.instructions.head();
            for (int k = 0; k < 39; ++k)
                i = i->next;
            Instruction* org = c.instructions.make();
            org->opcode = PIC_ORG;
            org->operand = "60";
            c.instructions.insertAfter(i, org);
        }
        op(PIC_BTFSC, "count", 0);
        op(PIC_INCF, "count", 1);
        endProgram();
        resetTo();
        c.placement->segments.reset(0, 40);
        c.placement->segments.add(60, 511);
        c.placement->segmentsBuilt = true;
    }
    // The words between the segments clear the count.
    static void foreignCode(PlacedProgram& program) {
        for (int a = 41; a < 60; ++a)
            program.core().setWord(static_cast<unsigned>(a), 0x060 + R1);
    }
};

TEST_F(SegmentBridge, WithoutABridgeTheForeignCodeRuns) {
    build(true);
    labeltablepass(c);
    finalresolution(c);
    PlacedProgram before(c, DeviceKind::SX28);
    foreignCode(before);
    before.run();
    EXPECT_NE(before.core().readFlat(R1), 40);
}

TEST_F(SegmentBridge, BridgeJumpsToTheNextSegment) {
    build(false);
    place();
    EXPECT_EQ(c.errors(), 0) << io.messages;
    PlacedProgram after(c, DeviceKind::SX28);
    foreignCode(after);
    EXPECT_EQ(after.run().reason, sxsim::StopReason::SelfJump);
    EXPECT_EQ(after.core().readFlat(R1), 40);
    const Instruction* bridge = find(PIC_GOTO, "@__seg_1");
    ASSERT_NE(bridge, nullptr);
    EXPECT_EQ(bridge->address, 39);
    EXPECT_EQ(labelAddress("@__seg_1"), 60);
    EXPECT_EQ(count(PIC_PAGE), 0); // one page: the jump alone
}

TEST_F(SegmentBridge, SkipMovesWithTheWordItGuards) {
    variable("count", R1);
    label("main");
    filler(38);
    Instruction* test = op(PIC_BTFSC, "count", 0); // at 38 its guarded word would take 39
    Instruction* guarded = op(PIC_INCF, "count", 1);
    endProgram();
    c.placement->segments.reset(0, 40);
    c.placement->segments.add(60, 511);
    c.placement->segmentsBuilt = true;
    place();
    EXPECT_EQ(c.errors(), 0) << io.messages;
    EXPECT_EQ(find(PIC_GOTO, "@__seg_1")->address, 38);
    EXPECT_EQ(test->address, 60);
    EXPECT_EQ(guarded->address, 61);
}

TEST_F(SegmentBridge, BridgeIntoAnotherPageSetsThePageBits) {
    c.pragmas.set("ROM_END", "2047");
    variable("count", R1);
    label("main");
    op(PIC_CLRF, "count");
    for (int k = 0; k < 505; ++k)
        op(PIC_INCF, "count", 1);
    endProgram();
    resetTo();
    c.placement->segments.reset(0, 500);
    c.placement->segments.add(530, 2047);
    c.placement->segmentsBuilt = true;
    place();
    EXPECT_EQ(c.errors(), 0) << io.messages;
    EXPECT_EQ(find(PIC_PAGE, "1")->address, 499);
    EXPECT_EQ(labelAddress("@__seg_1"), 530);
    PlacedProgram program(c, DeviceKind::SX28);
    for (int a = 501; a < 530; ++a)
        program.core().setWord(static_cast<unsigned>(a), 0x060 + R1);
    EXPECT_EQ(program.run().reason, sxsim::StopReason::SelfJump);
    EXPECT_EQ(program.core().readFlat(R1), 505 % 256);
}

TEST_F(SegmentBridge, CodeReachingVirtualPeripheralCodeMovesPastIt) {
    label("main");
    filler(0xFE);
    label("moved");
    op(PIC_NOP);
    endProgram();
    c.placement->segments.reset(0, 0xFF);
    c.placement->segments.add(0x180, 511);
    c.placement->segmentsBuilt = true;
    place();
    EXPECT_EQ(c.errors(), 0) << io.messages;
    EXPECT_EQ(find(PIC_GOTO, "@__seg_1")->address, 0xFE);
    EXPECT_EQ(labelAddress("@__seg_1"), 0x180);
    EXPECT_EQ(labelAddress("moved"), 0x180);
}

// A computed jump reads its table in the page the bits hold: after a call into page 0 the
// bits must be set back to the jump's own page.
class ComputedJump : public PageSelection {
protected:
    void build(bool dropPage) {
        c.pragmas.set("ROM_END", "2047");
        variable("r", R1);
        label("main");
        op(PIC_GOTO, "table_code");
        label("@h");
        op(PIC_RETURN);
        label("@h_END");
        filler(520);
        label("table_code");
        op(PIC_CALL, "h");
        literal(1);
        op(PIC_ADDWF, "@__pc__", 1);
        op(PIC_GOTO, "e0");
        op(PIC_GOTO, "e1");
        label("e0");
        literal(10);
        op(PIC_GOTO, "done");
        label("e1");
        literal(11);
        label("done");
        op(PIC_MOVWF, "r");
        endProgram();
        resetTo();
        if (!dropPage)
            return;
        place();
        for (Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
            if (i->next != nullptr && i->next->opcode == PIC_ADDWF && i->opcode == PIC_PAGE)
                i->opcode = PIC_NOP;
        }
    }
};

TEST_F(ComputedJump, WithoutPageTheTableIsReadInTheWrongPage) {
    build(true);
    PlacedProgram before(c, DeviceKind::SX28);
    before.run(1000);
    EXPECT_NE(before.core().readFlat(R1), 11);
}

TEST_F(ComputedJump, PageOfTheJumpItselfIsSetBeforeIt) {
    build(false);
    PlacedProgram after = runPlaced();
    EXPECT_EQ(after.core().readFlat(R1), 11);
}

} // namespace
} // namespace kavo::testing
