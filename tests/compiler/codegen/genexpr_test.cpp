#include "compiler/tables/opcodes.hpp"
#include "tests/support/in_process_compile.hpp"
#include "tests/support/instruction_dump.hpp"

#include <gtest/gtest.h>

namespace kavo {
namespace {

using Code = std::vector<std::string>;

class GenexprTest : public ::testing::Test {
protected:
    // Compiles the globals and the body of a function f; returns f's instructions up to its
    // closing return and end label. _tmp_0 is the return-high register.
    Code body(const std::string& globals, const std::string& statements) {
        // Every compilation is a run of its own.
        run.reset();
        run = std::make_unique<testing::InProcessCompile>();
        run->run("#pragma CCTEMP_LOC 12\n#pragma PAGEBITS_LOC 3\n" + globals +
                 "\nvoid f(void) {\n" + statements + "\n}\n");
        Code code = testing::instructionsBetween(run->c.instructions, "@f", "@f_END");
        if (!code.empty() && code.back() == "RETURN")
            code.pop_back();
        return code;
    }
    std::string messages() const {
        const std::string& all = run->io.messages;
        std::string text = all.substr(all.find("Compiling prog.c\n") + 17);
        return text.substr(0, text.find("Code generation is not complete"));
    }

    std::unique_ptr<testing::InProcessCompile> run;
};

TEST_F(GenexprTest, FoldedConstantsSetTheZeroFlag) {
    EXPECT_EQ(body("char x;", "x = 2 + 3;"), (Code{"BCF @__stat__.2", "MOVLW 5", "MOVWF x"}));
    EXPECT_EQ(body("char x;", "x = 3 - 3;"),
              (Code{"BSF @__stat__.2", "BSF @__stat__.0", "MOVLW 0", "MOVWF x"}));
    EXPECT_EQ(body("char x;", "x = 2 - 3;"),
              (Code{"BCF @__stat__.2", "BCF @__stat__.0", "MOVLW 255", "MOVWF x"}));
}

TEST_F(GenexprTest, AddingZeroIsTheVariableItself) {
    EXPECT_EQ(body("char x, a;", "x = a + 0;"), (Code{"MOVF a,W", "MOVWF x"}));
    EXPECT_EQ(body("char x, a;", "x = 0 + a;"), (Code{"MOVF a,W", "MOVWF x"}));
}

TEST_F(GenexprTest, EightBitAdditionAndSubtraction) {
    EXPECT_EQ(body("char x, a, b;", "x = a + b;"),
              (Code{"MOVF a,W", "ADDWF b,W", "MOVWF _tmp_1", "MOVF _tmp_1,W", "MOVWF x"}));
    EXPECT_EQ(body("char x, a;", "x = 7 + a;"),
              (Code{"MOVLW 7", "ADDWF a,W", "MOVWF _tmp_1", "MOVF _tmp_1,W", "MOVWF x"}));
    EXPECT_EQ(body("char x, a, b;", "x = a - b;"),
              (Code{"MOVF b,W", "SUBWF a,W", "MOVWF _tmp_1", "MOVF _tmp_1,W", "MOVWF x"}));
    EXPECT_EQ(body("char x, b;", "x = 9 - b;"),
              (Code{"MOVLW 9", "MOVWF _tmp_1", "MOVF b,W", "SUBWF _tmp_1,F", "MOVF _tmp_1,W",
                    "MOVWF x"}));
    EXPECT_EQ(body("char x, a;", "x = a - 4;"),
              (Code{"MOVLW 4", "SUBWF a,W", "MOVWF _tmp_1", "MOVF _tmp_1,W", "MOVWF x"}));
}

TEST_F(GenexprTest, SixteenBitAdditionCarriesIntoTheHighByte) {
    EXPECT_EQ(body("long l, m;", "l = m + 1;"),
              (Code{"MOVLW 1", "ADDWF m,W", "MOVWF _tmp_1", "MOVF m+1,W", "MOVWF _tmp_1+1",
                    "BTFSC @__stat__.0", "INCF _tmp_1+1,F", "MOVF _tmp_1,W", "MOVWF l",
                    "MOVF _tmp_1+1,W", "MOVWF l+1"}));
    EXPECT_EQ(
        body("long l, m;", "l = m + 256;"),
        (Code{"MOVLW 0", "ADDWF m,W", "MOVWF _tmp_1", "MOVF m+1,W", "MOVWF _tmp_1+1", "MOVLW 1",
              "ADDWF _tmp_1+1,F", "MOVF _tmp_1,W", "MOVWF l", "MOVF _tmp_1+1,W", "MOVWF l+1"}));
}

TEST_F(GenexprTest, SixteenBitSubtractionTakesTheBorrowAlong) {
    EXPECT_EQ(body("unsigned long l, m, n;", "l = m - n;"),
              (Code{"MOVF n,W", "SUBWF m,W", "MOVWF _tmp_1", "MOVF m+1,W", "MOVWF _tmp_1+1",
                    "MOVF n+1,W", "BTFSS @__stat__.0", "INCFSZ n+1,W", "SUBWF _tmp_1+1,F",
                    "MOVF _tmp_1,W", "MOVWF l", "MOVF _tmp_1+1,W", "MOVWF l+1"}));
}

TEST_F(GenexprTest, DivisionBySign) {
    const Code signedDivision = body("char a, b; long l;", "l = a / b;");
    EXPECT_EQ(signedDivision,
              (Code{"MOVF a,W", "MOVWF _prm_1", "CLRF _prm_2", "BTFSC a.7", "DECF _prm_2,F",
                    "MOVF b,W", "MOVWF _prm_3", "CLRF _prm_4", "BTFSC b.7", "DECF _prm_4,F",
                    "CALL @__FUNC_SDIV", "MOVWF _tmp_1", "MOVF _tmp_0,W", "MOVWF _tmp_1+1",
                    "MOVF _tmp_1,W", "MOVWF l", "MOVF _tmp_1+1,W", "MOVWF l+1"}));
    // Unsigned chars widen to signed 16-bit values (C's promotion to int): a signed division
    // of two values that are never negative.
    const Code bytes = body("unsigned char a, b; long l;", "l = a / b;");
    EXPECT_EQ(bytes[2], "CLRF _prm_2") << "no sign extension";
    EXPECT_EQ(bytes[3], "MOVF b,W");
    EXPECT_EQ(bytes[6], "CALL @__FUNC_SDIV");
    const Code words = body("unsigned long a; char b; unsigned long l;", "l = a / b;");
    EXPECT_EQ(words[9], "CALL @__FUNC_DIV") << "an unsigned long makes the division unsigned";
}

TEST_F(GenexprTest, EqualityWithZeroTestsTheZeroFlag) {
    EXPECT_EQ(body("char x, c;", "x = (c == 0);"),
              (Code{"CLRF _tmp_1", "MOVF c,W", "BTFSC @__stat__.2", "INCF _tmp_1,F",
                    "MOVF _tmp_1,W", "MOVWF x"}));
    EXPECT_EQ(body("char x; long l;", "x = (l != 0);"),
              (Code{"CLRF _tmp_1", "MOVF l,W", "IORWF l+1,W", "BTFSS @__stat__.2", "INCF _tmp_1,F",
                    "MOVF _tmp_1,W", "MOVWF x"}));
}

TEST_F(GenexprTest, ACharBelowANegativeConstantUsesTheSignedTest) {
    EXPECT_EQ(body("char x, c;", "x = (c < -5);"),
              (Code{// -5 folded
                    "BCF @__stat__.2",
                    // d = c - (-5)
                    "MOVLW 251", "SUBWF c,W", "MOVWF _tmp_1",
                    // bit 7 of d corrected by the signed overflow
                    "MOVF c,W", "XORLW 251", "MOVWF @__SxItmp_", "MOVF c,W", "XORWF _tmp_1,W",
                    "ANDWF @__SxItmp_,W", "XORWF _tmp_1,F",
                    // t = 1 when d is negative
                    "CLRF _tmp_2", "BTFSC _tmp_1.7", "INCF _tmp_2,F", "MOVF _tmp_2,W", "MOVWF x"}));
}

TEST_F(GenexprTest, UnsignedRelationsTestTheCarry) {
    EXPECT_EQ(body("char x; unsigned char u, v;", "x = (u >= v);"),
              (Code{"MOVF v,W", "SUBWF u,W", "MOVWF _tmp_1", "CLRF _tmp_2", "BTFSC @__stat__.0",
                    "INCF _tmp_2,F", "MOVF _tmp_2,W", "MOVWF x"}));
    EXPECT_EQ(body("char x; unsigned char u, v;", "x = (u > v);"),
              (Code{"MOVF u,W", "SUBWF v,W", "MOVWF _tmp_1", "CLRF _tmp_2", "BTFSS @__stat__.0",
                    "INCF _tmp_2,F", "MOVF _tmp_2,W", "MOVWF x"}));
}

TEST_F(GenexprTest, AssignmentsAcrossWidths) {
    EXPECT_EQ(body("char x; long l;", "x = l;"), (Code{"MOVF l,W", "MOVWF x"}));
    EXPECT_EQ(body("char x; long l;", "l = x;"),
              (Code{"MOVF x,W", "MOVWF l", "CLRF l+1", "BTFSC x.7", "DECF l+1,F"}));
    EXPECT_EQ(body("unsigned char u; long l;", "l = u;"),
              (Code{"MOVF u,W", "MOVWF l", "CLRF l+1"}));
    EXPECT_EQ(body("long l;", "l = 300;"), (Code{"MOVLW 44", "MOVWF l", "MOVLW 1", "MOVWF l+1"}));
    EXPECT_EQ(body("long l;", "l = -2;"),
              (Code{"BCF @__stat__.2", "MOVLW 254", "MOVWF l", "MOVLW 255", "MOVWF l+1"}));
    EXPECT_EQ(body("char x;", "x = 300;"), (Code{"MOVLW 44", "MOVWF x"}));
    EXPECT_EQ(messages(), "WARNING(C254): Line: 5 Constant value out of range.\n");
}

TEST_F(GenexprTest, CompoundAssignments) {
    EXPECT_EQ(body("long l; char c;", "l += c;"),
              (Code{"MOVF c,W", "ADDWF l,F", "BTFSC @__stat__.0", "INCF l+1,F", "BTFSC c.7",
                    "DECF l+1,F"}));
    EXPECT_EQ(body("long l;", "l -= 1;"),
              (Code{"MOVLW 1", "SUBWF l,F", "BTFSS @__stat__.0", "DECF l+1,F"}));
    EXPECT_EQ(body("char x, y;", "x |= y;"), (Code{"MOVF y,W", "IORWF x,F"}));
    // The 8-bit value's high byte is its sign extension: 0 when unsigned, else 0 or 255.
    EXPECT_EQ(body("long l; unsigned char y;", "l &= y;"),
              (Code{"MOVF y,W", "ANDWF l,F", "CLRF l+1"}));
    EXPECT_EQ(body("long l; char y;", "l &= y;"),
              (Code{"MOVF y,W", "ANDWF l,F", "MOVLW 0", "BTFSC y.7", "MOVLW 255", "ANDWF l+1,F"}));
    EXPECT_EQ(body("char x, y;", "x *= y;"),
              (Code{"MOVF x,W", "MOVWF _prm_1", "CLRF _prm_2", "BTFSC x.7", "DECF _prm_2,F",
                    "MOVF y,W", "MOVWF _prm_3", "CLRF _prm_4", "BTFSC y.7", "DECF _prm_4,F",
                    "CALL @__FUNC_MULT", "MOVWF x"}));
}

TEST_F(GenexprTest, IncrementsAndDecrements) {
    EXPECT_EQ(body("char x;", "x++;"), (Code{"INCF x,F", "DECF x,W", "MOVWF _tmp_1"}));
    EXPECT_EQ(body("char x;", "--x;"), (Code{"DECF x,F", "MOVF x,W", "MOVWF _tmp_1"}));
    EXPECT_EQ(body("long l;", "l--;"),
              (Code{"MOVF l,W", "MOVWF _tmp_1", "MOVF l+1,W", "MOVWF _tmp_1+1", "MOVF l,W",
                    "BTFSC @__stat__.2", "DECF l+1,F", "DECF l,F"}));
    EXPECT_EQ(body("long l;", "++l;"),
              (Code{"INCF l,F", "BTFSC @__stat__.2", "INCF l+1,F", "MOVF l,W", "MOVWF _tmp_1",
                    "MOVF l+1,W", "MOVWF _tmp_1+1"}));
}

TEST_F(GenexprTest, UnaryOperators) {
    EXPECT_EQ(body("char x, y;", "x = ~y;"),
              (Code{"COMF y,W", "MOVWF _tmp_1", "MOVF _tmp_1,W", "MOVWF x"}));
    EXPECT_EQ(body("char x, y;", "x = !y;"), (Code{"CLRF _tmp_1", "MOVF y,W", "BTFSC @__stat__.2",
                                                   "INCF _tmp_1,F", "MOVF _tmp_1,W", "MOVWF x"}));
    EXPECT_EQ(body("char x, y;", "x = -y;"),
              (Code{"COMF y,W", "MOVWF _tmp_1", "INCF _tmp_1,F", "MOVF _tmp_1,W", "MOVWF x"}));
    EXPECT_EQ(body("char x;", "x = sizeof(long);"), (Code{"MOVLW 2", "MOVWF x"}));
}

TEST_F(GenexprTest, BitwiseWithALongOperand) {
    // The char is widened by its sign first: a negative one keeps the long's high byte.
    EXPECT_EQ(body("long l, m; char c;", "l = m & c;"),
              (Code{"MOVF c,W", "MOVWF _tmp_1", "CLRF _tmp_1+1", "BTFSC c.7", "DECF _tmp_1+1,F",
                    "MOVF _tmp_1,W", "ANDWF m,W", "MOVWF _tmp_2", "MOVF _tmp_1+1,W", "ANDWF m+1,W",
                    "MOVWF _tmp_2+1", "MOVF _tmp_2,W", "MOVWF l", "MOVF _tmp_2+1,W", "MOVWF l+1"}));
    EXPECT_EQ(body("long l, m;", "l = m | 0x1234;"),
              (Code{"MOVLW 52", "IORWF m,W", "MOVWF _tmp_1", "MOVLW 18", "IORWF m+1,W",
                    "MOVWF _tmp_1+1", "MOVF _tmp_1,W", "MOVWF l", "MOVF _tmp_1+1,W", "MOVWF l+1"}));
}

TEST_F(GenexprTest, CharacterConstants) {
    EXPECT_EQ(body("char x;", "x = 'A';"), (Code{"MOVLW 65", "MOVWF x"}));
    EXPECT_EQ(body("char x;", "x = '\\n';"), (Code{"MOVLW 10", "MOVWF x"}));
    EXPECT_EQ(body("char x;", "x = '\\x41';"), (Code{"MOVLW 65", "MOVWF x"}));
    EXPECT_EQ(body("char x;", "x = '\\012';"), (Code{"MOVLW 10", "MOVWF x"}));
    body("char x;", "x = '\\q';");
    EXPECT_EQ(messages(), "ERROR(C17): Line 5 Invalid hex char constant.\n");
}

TEST_F(GenexprTest, UnsupportedConstructsAreReportedNotDropped) {
    body("long a[2][2]; char k;", "a[1] = k;");
    EXPECT_NE(messages().find("is not supported by this compiler yet"), std::string::npos)
        << messages();
    EXPECT_GT(run->c.errors(), 0);
}

TEST_F(GenexprTest, ArrayElementsThroughTheIndirectRegisterOrDirectly) {
    EXPECT_EQ(body("char a[4]; char x, i;", "x = a[i];"),
              (Code{"ADDMEMLOC a", "ADDWF i,W", "SETIRP a", "MOVWF @__fsr__", "MOVF @__f0__,W",
                    "MOVWF _tmp_1", "MOVF _tmp_1,W", "MOVWF x"}));
    // An element at a constant index inside the array is reached directly; outside it, the
    // address is still computed.
    EXPECT_EQ(body("char a[4]; char x;", "a[2] = x;"), (Code{"MOVF x,W", "MOVWF a+2"}));
    EXPECT_EQ(body("char a[4]; char x;", "a[4] = x;"),
              (Code{"ADDMEMLOC a+4", "SETIRP a", "MOVWF @__fsr__", "MOVF x,W", "MOVWF @__f0__"}));
    EXPECT_EQ(
        body("long la[3]; char x, i;", "x = la[i];"),
        (Code{"BCF @__stat__.0", "RLF i,W", "MOVWF _tmp_1", "ADDMEMLOC la", "ADDWF _tmp_1,W",
              "SETIRP la", "MOVWF @__fsr__", "MOVF @__f0__,W", "MOVWF _tmp_2", "INCF @__fsr__,F",
              "MOVF @__f0__,W", "MOVWF _tmp_2+1", "MOVF _tmp_2,W", "MOVWF x"}));
    EXPECT_EQ(body("char a[4]; char i;", "a[i]++;"),
              (Code{"ADDMEMLOC a", "ADDWF i,W", "SETIRP a", "MOVWF @__fsr__", "INCF @__f0__,F",
                    "DECF @__f0__,W", "MOVWF _tmp_1"}));
}

TEST_F(GenexprTest, SubscriptingSomethingElseIsC55) {
    body("char x, y;", "x = y[1];");
    EXPECT_EQ(messages(), "ERROR(C55): Line: 5 Identifier y not an array.\n");
}

TEST_F(GenexprTest, PointersThroughTheIndirectRegister) {
    EXPECT_EQ(body("int *p; char x;", "x = *p;"),
              (Code{"MOVF p,W", "MOVWF @__fsr__", "MOVF @__f0__,W", "MOVWF _tmp_1", "MOVF _tmp_1,W",
                    "MOVWF x"}));
    EXPECT_EQ(body("int *p;", "*p = 3;"),
              (Code{"MOVF p,W", "MOVWF @__fsr__", "MOVLW 3", "MOVWF @__f0__"}));
    EXPECT_EQ(body("char *s; char x;", "x = *s;"),
              (Code{"MOVF s,W", "MOVWF _prm_1", "MOVF s+1,W", "MOVWF _prm_2", "CALL @__strings_",
                    "MOVWF _tmp_1", "MOVF _tmp_1,W", "MOVWF x"}));
    // A store through a char pointer goes to its RAM byte when the tag says RAM, otherwise
    // to a scratch byte; a RAM address stored into a char pointer takes the tag.
    EXPECT_EQ(body("char *s;", "*s = 3;"),
              (Code{"MOVF s,W", "BTFSS s+1.7", "ADDRESSOF @__SxItmp_", "MOVWF @__fsr__",
                    "MOVLW 3", "MOVWF @__f0__"}));
    EXPECT_EQ(body("char *q; char a;", "q = &a;"),
              (Code{"ADDRESSOF a", "MOVWF _tmp_1", "MOVLW 128", "MOVWF _tmp_1+1", "MOVF _tmp_1,W",
                    "MOVWF q", "MOVF _tmp_1+1,W", "MOVWF q+1"}));
}

TEST_F(GenexprTest, StructMembersAreOffsetsOfTheirVariable) {
    EXPECT_EQ(body("struct in { char q; long r; };\nstruct out { char t; struct in n; } w; "
                   "long l;",
                   "l = w.n.r;"),
              (Code{"MOVF w+2,W", "MOVWF l", "MOVF w+3,W", "MOVWF l+1"}));
    EXPECT_EQ(body("struct { char a; char b; } v;", "v.b = 1;"), (Code{"MOVLW 1", "MOVWF v+1"}));
    body("struct { char a; } v; char x;", "x = v.nope;");
    EXPECT_EQ(messages(), "ERROR(C29): Line: 5 Identifier nope not defined.\n");
}

// The table starts with a spare 0, so that no string's pointer is the null pointer.
TEST_F(GenexprTest, StringsGoToTheStringTable) {
    EXPECT_EQ(body("char *s;", "s = \"hi\\n\";"),
              (Code{"GETSTRADDRHI _str_1", "MOVWF _tmp_1+1", "GETSTRADDR _str_1", "MOVWF _tmp_1",
                    "MOVF _tmp_1,W", "MOVWF s", "MOVF _tmp_1+1,W", "MOVWF s+1"}));
    ASSERT_EQ(run->c.codegen.stringConstants.size(), 1u);
    EXPECT_EQ(run->c.codegen.stringConstants[0].text, "hi\n");
    EXPECT_EQ(run->c.codegen.stringTableSize, 5);
    EXPECT_EQ(body("char *s;", "s = &\"ab\";"),
              (Code{"ADDRESSOF _str_1", "MOVWF _tmp_1", "ADDRESSOF _str_1+1", "MOVWF _tmp_1+1",
                    "MOVF _tmp_1,W", "MOVWF s", "MOVF _tmp_1+1,W", "MOVWF s+1"}));
    body("char *s;", "s = \"a\\q\";");
    EXPECT_EQ(messages(), "WARNING: Line: 5 Illegal string construct. \"\\q not valid.\n");
}

TEST_F(GenexprTest, TheStringTableHoldsPositionsUpTo8190) {
    // 33 strings of 249 characters (250 positions each) run past position 8190.
    std::string statements;
    for (int i = 0; i < 33; ++i)
        statements += "s = \"" + std::string(249, 'x') + "\";\n";
    body("char *s;", statements);
    EXPECT_EQ(run->c.codegen.stringConstants.size(), 32u);
    EXPECT_NE(messages().find("ERROR(C31): Line: 37 No space for string"), std::string::npos)
        << messages();
}

} // namespace
} // namespace kavo
