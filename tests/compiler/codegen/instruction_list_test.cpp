#include "compiler/base/kinds.hpp"
#include "compiler/codegen/emit.hpp"
#include "compiler/codegen/item_list.hpp"
#include "compiler/symbols/symbols.hpp"
#include "tests/support/capture_io.hpp"

#include <gtest/gtest.h>

namespace kavo {
namespace {

class InstructionListTest : public ::testing::Test {
protected:
    InstructionListTest() { pushscope(c, GlobalScope); }

    std::vector<std::string> listed() const {
        std::vector<std::string> all;
        for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next)
            all.push_back(std::string(opcodeName(i->opcode)) + " " + i->operand);
        return all;
    }

    CompilerSettings settings;
    testing::CaptureIo io;
    Compilation c{settings, io};
};

TEST_F(InstructionListTest, OpcodeNamesAndNumbersAreFixed) {
    EXPECT_EQ(opcodeName(0), "PIC_UNKNOWN_INSTRUCTION");
    EXPECT_EQ(opcodeName(22), "PIC_BTFSS");
    EXPECT_EQ(opcodeName(23), "");
    EXPECT_EQ(opcodeName(34), "");
    EXPECT_EQ(opcodeName(PIC_CSNE), "PIC_CSNE");
    EXPECT_EQ(PIC_CSNE, 64);
    EXPECT_EQ(PIC_LABEL, 99);
    EXPECT_EQ(PIC_CJNE, 105);
    EXPECT_EQ(opcodeName(109), "PIC_MOVB");
    EXPECT_EQ(opcodeName(110), "");
}

TEST_F(InstructionListTest, EmitAppendsInProgramOrderWithItsFields) {
    Instruction* i = emit(c, PIC_MOVLW, "10", -1, 4, 10);
    emit(c, PIC_MOVWF, "x", 1, 4);
    emit(c, PIC_RETURN);
    EXPECT_EQ(listed(), (std::vector<std::string>{"PIC_MOVLW 10", "PIC_MOVWF x", "PIC_RETURN "}));
    EXPECT_EQ(i->line, 4);
    EXPECT_EQ(i->value, 10);
    EXPECT_EQ(i->targetFunction, -1);
    EXPECT_EQ(i->targetLabel, -1);
}

TEST_F(InstructionListTest, RepeatedLabelIsC118WithTheEarlierLine) {
    emit(c, PIC_LABEL, "loop", -1, 3);
    emit(c, PIC_NOP);
    emit(c, PIC_LABEL, "loop", -1, 8);
    EXPECT_EQ(io.messages, "ERROR(C118): Line: 8 Label loop previously declared near line 3.\n");
    EXPECT_EQ(c.errors(), 1);
    EXPECT_EQ(listed().size(), 3u) << "both labels stay";
}

TEST_F(InstructionListTest, ARemovedLabelMayBeDeclaredAgain) {
    Instruction* first = emit(c, PIC_LABEL, "l", -1, 3);
    c.instructions.remove(nullptr, first);
    emit(c, PIC_LABEL, "l", -1, 5);
    EXPECT_EQ(c.errors(), 0);
}

TEST_F(InstructionListTest, TheScopeFieldFollowsTheOperandsSymbol) {
    addsym(c, c.symbols.main, 0, INT, 0, "g", GlobalScope, "", SIGNED, 1);
    pushscope(c, "f");
    addsym(c, c.symbols.main, 0, INT, 0, "local", "f", "", SIGNED, 1);
    const std::string t = newtmp(c, INT);
    EXPECT_EQ(emit(c, PIC_MOVF, "local", 0)->scope, "f");
    EXPECT_EQ(emit(c, PIC_MOVF, t, 0)->scope, GlobalScope);
    EXPECT_EQ(emit(c, PIC_MOVF, "g", 0)->scope, GlobalScope);
    EXPECT_EQ(emit(c, PIC_GOTO, "somewhere")->scope, "");
    c.codegen.globalScopeFlag = true;
    EXPECT_EQ(emit(c, PIC_MOVF, "local", 0)->scope, GlobalScope);
}

TEST_F(InstructionListTest, InstructionsCarryTheGeneratorsFile) {
    c.codegen.codegenFile = c.strings.intern("inc/dev.h");
    EXPECT_EQ(*emit(c, PIC_NOP)->file, "inc/dev.h");
}

TEST_F(InstructionListTest, SwitchComparisonsCollectBeforeTheirEndMarker) {
    emit(c, PIC_GOTO, "test");
    emit(c, PIC_SWEND, "_BCL_1");
    emit(c, PIC_LABEL, "after");
    Instruction* compare = emitbeforeswend(c, PIC_XORLW, "1", -1, 5, 1, "_BCL_1");
    emitbeforeswend(c, PIC_XORLW, "2", -1, 6, 2, "_BCL_1");
    EXPECT_EQ(compare->scope, GlobalScope);
    EXPECT_EQ(listed(), (std::vector<std::string>{"PIC_GOTO test", "PIC_XORLW 1", "PIC_XORLW 2",
                                                  "PIC_SWEND _BCL_1", "PIC_LABEL after"}));
    dropswend(c, "_BCL_1");
    emitbeforeswend(c, PIC_NOP, "", -1, 7, 0, "_BCL_1");
    emit(c, PIC_RETURN);
    EXPECT_EQ(listed(), (std::vector<std::string>{"PIC_GOTO test", "PIC_XORLW 1", "PIC_XORLW 2",
                                                  "PIC_LABEL after", "PIC_NOP ", "PIC_RETURN "}));
}

TEST_F(InstructionListTest, AppendsWalkToTheEndWhileTheCacheIsOff) {
    emit(c, PIC_NOP, "a");
    c.instructions.setCacheEnabled(false);
    Instruction* inserted = c.instructions.make();
    inserted->operand = "tail";
    Instruction* last = c.instructions.head();
    c.instructions.insertAfter(last, inserted);
    emit(c, PIC_NOP, "b");
    c.instructions.setCacheEnabled(true);
    emit(c, PIC_NOP, "c");
    EXPECT_EQ(listed(), (std::vector<std::string>{"PIC_NOP a", "PIC_UNKNOWN_INSTRUCTION tail",
                                                  "PIC_NOP b", "PIC_NOP c"}));
}

TEST_F(InstructionListTest, UnlinkingATemporaryReturnsItToItsPool) {
    const std::string t = newtmp(c, INT);
    Item* head = linkItemAfter(c, nullptr, EXPSTART, "ExMk");
    Item* temp = linkItemAfter(c, head, IDENTIFIER, t);
    linkItemAfter(c, temp, SEMICOL, ";");
    ASSERT_TRUE(unlinkItem(c, head, temp));
    EXPECT_EQ(head->next->kind, SEMICOL);
    EXPECT_EQ(newtmp(c, INT), t) << "the temporary was freed";

    Item stranger;
    stranger.kind = INTEGER_CONSTANT;
    stranger.ival = 5;
    stranger.cval = "5";
    EXPECT_FALSE(unlinkItem(c, head, &stranger));
    EXPECT_EQ(io.messages,
              "======== DELETE FAILURE!!! type = 361 ival = 5 name =  cval = 5 ====\n");
}

} // namespace
} // namespace kavo
