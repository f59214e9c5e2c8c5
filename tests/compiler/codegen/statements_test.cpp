#include "compiler/tables/opcodes.hpp"
#include "tests/support/in_process_compile.hpp"
#include "tests/support/instruction_dump.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace kavo {
namespace {

using Code = std::vector<std::string>;

class StatementTest : public ::testing::Test {
protected:
    void compile(const std::string& program) {
        run.reset();
        run = std::make_unique<testing::InProcessCompile>();
        run->run("#pragma CCTEMP_LOC 12\n#pragma PAGEBITS_LOC 3\n" + program);
    }
    Code function(const std::string& name) {
        return testing::instructionsBetween(run->c.instructions, "@" + name, "@" + name + "_END");
    }
    Code all() { return testing::instructionsBetween(run->c.instructions, "@@@@@"); }
    std::string messages() const {
        const std::string& text = run->io.messages;
        std::string after = text.substr(text.find("Compiling prog.c\n") + 17);
        return after.substr(0, after.find("Code generation is not complete"));
    }
    bool contains(const Code& code, const std::string& line) {
        return std::find(code.begin(), code.end(), line) != code.end();
    }

    std::unique_ptr<testing::InProcessCompile> run;
};

TEST_F(StatementTest, IfOnConstants) {
    compile("char x;\nvoid f(void) { if (0) x = 1; if (1) x = 2; }\n");
    EXPECT_EQ(function("f"), (Code{"GOTO _LBL_1", "MOVLW 1", "MOVWF x", "LABEL _LBL_1", "MOVLW 2",
                                   "MOVWF x", "LABEL _LBL_2", "RETURN"}));
}

TEST_F(StatementTest, IfElseJumpsAroundTheElseBranch) {
    compile("char x, c;\nvoid f(void) { if (c) x = 1; else x = 2; }\n");
    EXPECT_EQ(function("f"), (Code{"MOVF c,W", "BTFSC @__stat__.2", "GOTO _LBL_1", "MOVLW 1",
                                   "MOVWF x", "GOTO _LBL_2", "LABEL _LBL_1", "MOVLW 2", "MOVWF x",
                                   "LABEL _LBL_2", "RETURN"}));
}

TEST_F(StatementTest, WhileOnASixteenBitVariableTestsBothBytes) {
    compile("long l; char x;\nvoid f(void) { while (l) x = 1; }\n");
    EXPECT_EQ(function("f"), (Code{"LABEL _LBL_1", "LABEL _BCL_1", "MOVF l,W", "IORWF l+1,W",
                                   "BTFSC @__stat__.2", "GOTO _LBL_2", "MOVLW 1", "MOVWF x",
                                   "GOTO _LBL_1", "LABEL _LBL_2", "LABEL _BCL_0", "RETURN"}));
}

TEST_F(StatementTest, DoWhileJumpsBackWhileTrue) {
    compile("char x;\nvoid f(void) { do x--; while (x); }\n");
    EXPECT_EQ(function("f"),
              (Code{"LABEL _LBL_1", "DECF x,F", "INCF x,W", "MOVWF _tmp_1", "LABEL _LBL_2",
                    "MOVF x,W", "BTFSS @__stat__.2", "GOTO _LBL_1", "LABEL _BCL_0", "RETURN"}));
}

TEST_F(StatementTest, SwitchComparisonsCollectAtTheMarker) {
    compile("char x, c;\nvoid f(void) { switch (c) { case 1: x = 1; break; case 2: x = 2; "
            "break; default: x = 3; } }\n");
    EXPECT_EQ(function("f"),
              (Code{"MOVF c,W", "MOVWF _swt_0", "CLRF _swt_0+1", "BTFSC c.7", "DECF _swt_0+1,F",
                    // the comparisons of the 8-bit value, in case order, then the default
                    "MOVLW 1", "SUBWF _swt_0,W", "BTFSC @__stat__.2", "GOTO _BCL_2", "MOVLW 2",
                    "SUBWF _swt_0,W", "BTFSC @__stat__.2", "GOTO _BCL_3", "GOTO _BCL_4",
                    // no case matched: leave the switch
                    "GOTO _BCL_0",
                    // the body
                    "LABEL _BCL_2", "MOVLW 1", "MOVWF x", "GOTO _BCL_0", "LABEL _BCL_3", "MOVLW 2",
                    "MOVWF x", "GOTO _BCL_0", "LABEL _BCL_4", "MOVLW 3", "MOVWF x", "LABEL _BCL_0",
                    "RETURN"}));
}

TEST_F(StatementTest, ACaseOutsideAnEightBitValuesRangeNeverMatches) {
    compile("char x, c;\nvoid f(void) { switch (c) { case 300: x = 4; } }\n");
    EXPECT_EQ(messages(), "WARNING: Line: 4 case 300 can never match the switch's 8-bit value.\n");
    EXPECT_FALSE(contains(function("f"), "MOVLW 44"));
}

// A long switches on both bytes: 44 and 300 are different cases.
TEST_F(StatementTest, ASwitchOnALongComparesBothBytes) {
    compile("char x; long l;\nvoid f(void) { switch (l) { case 300: x = 4; } }\n");
    EXPECT_EQ(function("f"), (Code{"MOVF l,W", "MOVWF _swt_0", "MOVF l+1,W", "MOVWF _swt_0+1",
                                   "MOVLW 44", "SUBWF _swt_0,W", "BTFSS @__stat__.2", "GOTO _BCL_3",
                                   "MOVLW 1", "SUBWF _swt_0+1,W", "BTFSC @__stat__.2",
                                   "GOTO _BCL_2", "LABEL _BCL_3", "GOTO _BCL_0", "LABEL _BCL_2",
                                   "MOVLW 4", "MOVWF x", "LABEL _BCL_0", "RETURN"}));
}

TEST_F(StatementTest, ACaseNeedsAConstant) {
    compile("char x, c;\nvoid f(void) { switch (c) { case x: x = 4; } }\n");
    EXPECT_EQ(messages(), "ERROR(C49): Line: 4 Integer Constant expected near x.\n");
}

TEST_F(StatementTest, BreakAndContinueOutsideLoops) {
    compile("void f(void) { break; continue; }\n");
    EXPECT_EQ(messages(), "ERROR(C302): Line: 3 break is not inside a loop or a switch.\n"
                          "ERROR(C303): Line: 3 continue is not inside a loop.\n");
    EXPECT_EQ(function("f"), (Code{"RETURN"})) << "no jump to a label that does not exist";
    EXPECT_EQ(run->c.errors(), 2);
}

// A continue goes on with the step: its jump lands just before the increment.
TEST_F(StatementTest, ForLoopWithContinue) {
    compile("char x;\nvoid f(void) { for (x = 0; x != 3; x++) continue; }\n");
    const Code code = function("f");
    EXPECT_EQ(code.front(), "MOVLW 0");
    const auto jump = std::find(code.begin(), code.end(), "GOTO _LBL_3");
    ASSERT_NE(jump, code.end()) << "the continue";
    const auto label = std::find(code.begin(), code.end(), "LABEL _LBL_3");
    ASSERT_NE(label, code.end());
    EXPECT_EQ(*(label + 1), "INCF x,F") << "the step follows the continue label";
}

TEST_F(StatementTest, GotoAndLabels) {
    compile("char x;\nvoid f(void) { top: x++; goto top; }\n");
    const Code code = function("f");
    // A C label's assembly name joins its function's (labels have function scope).
    EXPECT_EQ(code.front(), "LABEL _L1f_top");
    EXPECT_TRUE(contains(code, "GOTO _L1f_top"));
}

TEST_F(StatementTest, ReturnsByReturnSize) {
    compile("char c; long l;\n"
            "char one(void) { return 300; }\n"
            "long two(void) { return l; }\n"
            "long widen(void) { return c; }\n"
            "long constant(void) { return 0x1234; }\n"
            "void none(void) { return; }\n");
    EXPECT_EQ(function("one"), (Code{"BCF @__stat__.2", "MOVLW 44", "RETURN", "RETURN"}));
    EXPECT_EQ(function("two"),
              (Code{"MOVF l+1,W", "MOVWF _tmp_0", "MOVF l,W", "RETURN", "RETURN"}));
    EXPECT_EQ(function("widen"),
              (Code{"CLRF _tmp_0", "BTFSC c.7", "DECF _tmp_0,F", "MOVF c,W", "RETURN", "RETURN"}));
    EXPECT_EQ(function("constant"),
              (Code{"MOVLW 18", "MOVWF _tmp_0", "MOVLW 52", "RETURN", "RETURN"}));
    EXPECT_EQ(function("none"), (Code{"RETURN", "RETURN"}));
    EXPECT_EQ(messages(), "WARNING: Line: 4 Return value constant looses MSB\n");
}

TEST_F(StatementTest, AValueReturnedFromAVoidFunctionIsC42) {
    compile("void f(void) { return 1; }\n");
    EXPECT_EQ(messages(), "ERROR(C42): Line: 3 Return value not supported.\n");
}

TEST_F(StatementTest, CallsWithArgumentsAndResults) {
    compile("char x; char a[3]; long l;\n"
            "char g(char p, char q) { return p; }\n"
            "long h(void) { return 1; }\n"
            "void f(void) { x = g(x, 7); l = h(); g(a, 1); }\n");
    EXPECT_EQ(
        function("f"),
        (Code{"FUNCNAME g",     "FUNCARG x",     "FUNCARG",      "CALL g",          "MOVWF _tmp_1",
              "MOVF _tmp_1,W",  "MOVWF x",       "CALL h",       "MOVWF _tmp_2",    "MOVF _tmp_0,W",
              "MOVWF _tmp_2+1", "MOVF _tmp_2,W", "MOVWF l",      "MOVF _tmp_2+1,W", "MOVWF l+1",
              "FUNCNAME g",     "ADDRESSOF a",   "MOVWF _tmp_1", "FUNCARG _tmp_1",  "FUNCARG",
              "CALL g",         "MOVWF _tmp_3",  "RETURN"}));
}

// Its parameters' widths would be guessed: the call is refused by name, not assumed to
// return one byte.
TEST_F(StatementTest, CallingAnUndeclaredFunctionIsRefused) {
    compile("char x;\nvoid f(void) { x = nowhere(); }\n");
    EXPECT_NE(messages().find("ERROR(C347): Line: 4 The function nowhere is called before it is "
                              "declared"),
              std::string::npos)
        << messages();
    EXPECT_EQ(messages().find("WARNING(C44)"), std::string::npos) << messages();
}

TEST_F(StatementTest, FunctionEnds) {
    compile("#pragma INTERRUPT_LOC 0\nchar x;\nvoid __interrupt(void) { x = 1; }\n"
            "void main(void) { }\n");
    const Code code = all();
    const Code expectedTail{"LABEL __interrupt", "SAVEINT",      "MOVLW 1",
                            "MOVWF x",           "RETFIE",       "LABEL _ITR_E",
                            "LABEL @main",       "LABEL _BCL_0", "GOTO _BCL_0"};
    ASSERT_GE(code.size(), expectedTail.size());
    EXPECT_EQ(Code(code.end() - expectedTail.size(), code.end()), expectedTail);
}

TEST_F(StatementTest, AnInterruptRoutineThatMultipliesSavesItsSlots) {
    compile("#pragma INTERRUPT_LOC 0\nchar x, y;\nvoid __interrupt(void) { x = x * y; }\n"
            "void main(void) { }\n");
    const Code code = all();
    const auto saveint = std::find(code.begin(), code.end(), "SAVEINT");
    ASSERT_NE(saveint, code.end());
    const Code saves(saveint + 1, saveint + 15);
    EXPECT_EQ(saves, (Code{"MOVF _prm_1,W", "MOVWF _svi_1", "MOVF _prm_2,W", "MOVWF _svi_2",
                           "MOVF _prm_3,W", "MOVWF _svi_3", "MOVF _prm_4,W", "MOVWF _svi_4",
                           "MOVF _prm_5,W", "MOVWF _svi_5", "MOVF _prm_6,W", "MOVWF _svi_6",
                           "MOVF _tmp_0,W", "MOVWF _svi_7"}));
    const auto retfie = std::find(code.begin(), code.end(), "RETFIE");
    ASSERT_NE(retfie, code.end());
    EXPECT_EQ(*(retfie - 2), "MOVF _svi_7,W");
    EXPECT_EQ(*(retfie - 1), "MOVWF _tmp_0");
    EXPECT_EQ(run->c.codegen.interruptSaveCount, 6);
}

TEST_F(StatementTest, TheClosingReturnOfAFunctionIsMarked) {
    compile("void f(void) { }\n");
    const Instruction* last = nullptr;
    for (const Instruction* i = run->c.instructions.head(); i != nullptr; i = i->next) {
        if (i->opcode == PIC_RETURN)
            last = i;
    }
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->offset, -9);
    ASSERT_NE(last->next, nullptr);
    EXPECT_EQ(testing::describe(*last->next), "LABEL @f_END");
}

TEST_F(StatementTest, RuntimeRoutinesOnlyWhenCalled) {
    compile("char x, y;\nvoid main(void) { x = x + y; x = x << y; }\n");
    EXPECT_FALSE(contains(all(), "LABEL @@__FUNC_MULT"));
    EXPECT_TRUE(contains(all(), "LABEL @@__FUNC_SHIFTL")) << "a variable shift calls its routine";
    compile("char x, y;\nvoid main(void) { x = x % y; }\n");
    const Code code = all();
    EXPECT_TRUE(contains(code, "LABEL @@__FUNC_MOD"));
    EXPECT_TRUE(contains(code, "LABEL @@__FUNC_DIV"));
    EXPECT_FALSE(contains(code, "LABEL @@__FUNC_SDIV"));
    EXPECT_FALSE(contains(code, "LABEL @@__FUNC_MULT"));
}

} // namespace
} // namespace kavo
