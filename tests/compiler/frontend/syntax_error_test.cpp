#include "tests/compiler/frontend/frontend_harness.hpp"

#include <gtest/gtest.h>

#include <random>

namespace kavo::testing {
namespace {

using std::string;

const char* const C01Line1 = "ERROR(C01): Line:   1 Syntax error.  Unknown construct.\n";

// ---- The syntax-error routine --------------------------------------------------------------

TEST(SyntaxErrors, AnEmptyFileIsASyntaxError) {
    FrontEndHarness h("");
    EXPECT_EQ(h.parse(), 1);
    EXPECT_EQ(h.io.messages, C01Line1);
    EXPECT_EQ(h.c.errors(), 1);
    EXPECT_TRUE(h.c.abortFlag);
    EXPECT_EQ(h.c.nodes.head(), nullptr);
}

TEST(SyntaxErrors, OnlyTheMessageNamedByTheFormatIsShown) {
    FrontEndHarness h("int x int y;");
    EXPECT_EQ(h.parse(), 1);
    EXPECT_EQ(h.io.messages, C01Line1);
    EXPECT_EQ(h.io.out, "");
}

TEST(SyntaxErrors, TwoErrorsOnOneLineCountOnce) {
    FrontEndHarness h("x y\nz w\n");
    EXPECT_EQ(h.parse(), 1);
    // The skipped rest of the line is not counted, so the next parse is still on line 1.
    EXPECT_EQ(h.parse(), 1);
    EXPECT_EQ(h.io.messages, C01Line1);
    EXPECT_EQ(h.c.errors(), 1);
}

TEST(SyntaxErrors, TheRoutineItselfReportsALineOnce) {
    FrontEndHarness h("a\nb\n");
    h.frontEnd->syntaxError("syntax error");
    h.frontEnd->syntaxError("yacc stack overflow");
    EXPECT_EQ(h.io.messages, C01Line1);
    EXPECT_EQ(h.c.errors(), 1);
}

TEST(SyntaxErrors, AnErrorOnAnotherLineIsReportedAgain) {
    FrontEndHarness h("a b\n\nc d\n");
    EXPECT_EQ(h.parse(), 1);
    EXPECT_EQ(h.parse(), 1);
    EXPECT_EQ(h.io.messages, string(C01Line1) +
                                 "ERROR(C01): Line:   2 Syntax error.  Unknown construct.\n");
    EXPECT_EQ(h.c.errors(), 2);
}

TEST(SyntaxErrors, AsmModeIsClearedAndTheRestOfTheLineSkipped) {
    FrontEndHarness h("void f() { asm( mov , , x y\nnext");
    EXPECT_EQ(h.parse(), 1);
    EXPECT_FALSE(h.scanner().asmMode());
    EXPECT_FALSE(h.scanner().instructionSeen());
    ParserValue v;
    EXPECT_EQ(h.scanner().nextToken(v), IDENTIFIER);
    EXPECT_EQ(v.cval, "next");
}

TEST(SyntaxErrors, NodesOfEarlierDeclarationsStayOnTheList) {
    FrontEndHarness h("int a;\nint b c;\n");
    EXPECT_EQ(h.parse(), 1);
    EXPECT_EQ(h.run(), "DEC_LIST_START INT:int IDENTIFIER:a DEC_LIST_END");
    EXPECT_EQ(h.io.messages, "ERROR(C01): Line:   2 Syntax error.  Unknown construct.\n");
}

TEST(SyntaxErrors, ATokenNoRuleUsesIsAnError) {
    // The scanner makes COMMENT_BODY of a stray "*/": allowed only before the first declaration.
    FrontEndHarness before("*/ */ int a;");
    EXPECT_EQ(before.parse(), 0);
    EXPECT_EQ(before.run(), "DEC_LIST_START INT:int IDENTIFIER:a DEC_LIST_END");
    FrontEndHarness after("int a; */");
    EXPECT_EQ(after.parse(), 1);
}

// ---- Stack growth and hostile input ------------------------------------------------------------

TEST(ParserStacks, GrowBeyondTheirInitialSize) {
    // Deeper than the generator's own default limit of 10000 entries.
    const int depth = 12000;
    FrontEndHarness h("int x = " + string(depth, '(') + "1" + string(depth, ')') + ";");
    ASSERT_EQ(h.parse(), 0) << h.io.messages;
    const string run = h.run();
    std::size_t count = 0;
    for (std::size_t at = run.find("GETEXPVAL"); at != string::npos;
         at = run.find("GETEXPVAL", at + 1))
        ++count;
    EXPECT_EQ(count, static_cast<std::size_t>(depth));
}

TEST(ParserStacks, AbsurdNestingEndsWithASyntaxErrorNotACrash) {
    // Balanced, so only the stack limit can make it fail.
    FrontEndHarness h("int x = " + string(400000, '(') + "1" + string(400000, ')') + ";");
    EXPECT_EQ(h.parse(), 1);
    EXPECT_EQ(h.io.messages, C01Line1);
    EXPECT_TRUE(h.c.abortFlag);
}

TEST(ParserStacks, DeeplyNestedBlocksToo) {
    FrontEndHarness h("void f() " + string(300000, '{') + string(300000, '}'));
    EXPECT_EQ(h.parse(), 1);
    EXPECT_EQ(h.c.errors(), 1);
}

TEST(HostileInput, RandomBytesEndWithAtMostOneMessageAndNoCrash) {
    std::mt19937 random(20240601);
    for (int round = 0; round < 300; ++round) {
        string bytes(1 + random() % 3000, '\0');
        for (char& ch : bytes)
            ch = static_cast<char>(random() & 0xFF);
        FrontEndHarness h(bytes);
        const int result = h.parse();
        EXPECT_TRUE(result == 0 || (result == 1 && h.c.abortFlag && h.c.errors() == 1))
            << "round " << round;
        h.frontEnd->drain();
        EXPECT_EQ(h.scanner().readChar(), -1);
    }
}

TEST(HostileInput, RandomTokenSoupNeverCrashes) {
    const char* const words[] = {
        "int ",  "char ", "x ",  "y ",     "( ",     ") ",     "{ ",    "} ",    "; ",   ", ",
        "= ",    "+ ",    "* ",  "if ",    "else ",  "while ", "for ",  "do ",   "1 ",   "0x1F ",
        "[ ",    "] ",    "@ ",  "asm(",   "rasm(",  "mov ",   "w ",    "\n",    ". ",   "! ",
        "? ",    ": ",    "<> ", "struct ", "enum ", "sizeof ", "return ", "\"s\" ", "'c' ", "*/ "};
    std::mt19937 random(77);
    for (int round = 0; round < 500; ++round) {
        string text;
        const int length = 1 + static_cast<int>(random() % 200);
        for (int i = 0; i < length; ++i)
            text += words[random() % std::size(words)];
        FrontEndHarness h(text);
        const int result = h.parse();
        EXPECT_TRUE(result == 0 || h.c.abortFlag) << text;
    }
}

TEST(HostileInput, UnterminatedCommentAndStringEndTheParseWithMessages) {
    FrontEndHarness comment("int a; /* open");
    EXPECT_EQ(comment.parse(), 0);
    EXPECT_EQ(comment.io.out, "ERROR(C100): EOF unexpected. Comment started in line 1\n");
    FrontEndHarness text("char *s = \"open");
    EXPECT_EQ(text.parse(), 1);
    EXPECT_EQ(text.io.out, "ERROR(C102): EOF unexpected. String started in line 1\n");
    EXPECT_EQ(text.io.messages, C01Line1);
}

} // namespace
} // namespace kavo::testing
