#include "tests/compiler/frontend/frontend_harness.hpp"

#include <gtest/gtest.h>

namespace kavo::testing {
namespace {

std::vector<ScannedToken> scan(const std::string& text, std::string* out = nullptr) {
    FrontEndHarness h(text);
    auto tokens = scanAll(h);
    if (out != nullptr)
        *out = h.io.out;
    return tokens;
}

std::string kinds(const std::string& text) {
    return kindsOf(scan(text));
}

// ---- Numbers ------------------------------------------------------------------------------

TEST(ScannerNumbers, HexadecimalAndOctalTakeTheirValueAndNoText) {
    auto t = scan("0x1F 017 0X0a 42");
    ASSERT_EQ(kindsOf(t), "INTEGER_CONSTANT INTEGER_CONSTANT INTEGER_CONSTANT INTEGER_CONSTANT");
    EXPECT_EQ(t[0].value.ival, 31);
    EXPECT_EQ(t[1].value.ival, 15);
    EXPECT_EQ(t[2].value.ival, 10);
    EXPECT_EQ(t[3].value.ival, 42);
    EXPECT_EQ(t[0].value.cval, "");
    EXPECT_EQ(t[0].value.kind, INTEGER_CONSTANT);
}

// A suffix belongs to the number and travels, in upper case, in the token's secondary text.
TEST(ScannerNumbers, BinaryPrefixIsNotPartOfTheNumberButSuffixesAre) {
    auto t = scan("0b101 123L 7ul 0x1Fu 5lU");
    ASSERT_EQ(kindsOf(t), "INTEGER_CONSTANT IDENTIFIER INTEGER_CONSTANT INTEGER_CONSTANT "
                          "INTEGER_CONSTANT INTEGER_CONSTANT");
    EXPECT_EQ(t[0].value.ival, 0);
    EXPECT_EQ(t[1].value.cval, "b101");
    EXPECT_EQ(t[2].value.ival, 123);
    EXPECT_EQ(t[2].value.text, "L");
    EXPECT_EQ(t[3].value.ival, 7);
    EXPECT_EQ(t[3].value.text, "UL");
    EXPECT_EQ(t[4].value.ival, 31);
    EXPECT_EQ(t[4].value.text, "U");
    EXPECT_EQ(t[5].value.text, "LU");
    EXPECT_EQ(t[0].value.text, "");
}

TEST(ScannerNumbers, FloatsNeedDigitsOnBothSidesAndNoExponent) {
    auto t = scan("1.5e3 .5");
    ASSERT_EQ(kindsOf(t), "FLOATING_CONSTANT IDENTIFIER DOT INTEGER_CONSTANT");
    EXPECT_EQ(t[0].value.cval, "1.5");
    EXPECT_EQ(t[1].value.cval, "e3");
    EXPECT_EQ(t[3].value.ival, 5);
}

TEST(ScannerNumbers, HexPrefixWithoutDigitsIsZeroThenAnIdentifier) {
    auto t = scan("0x");
    ASSERT_EQ(kindsOf(t), "INTEGER_CONSTANT IDENTIFIER");
    EXPECT_EQ(t[1].value.cval, "x");
}

// ---- Words --------------------------------------------------------------------------------

TEST(ScannerWords, Typedef1IsTheOnlyTypedefName) {
    EXPECT_EQ(kinds("typedef1 typedef12 typedef"), "TYPEDEFNAME IDENTIFIER TYPEDEF");
}

TEST(ScannerWords, KeywordsWinTiesAndLongerIdentifiersWinOverKeywords) {
    EXPECT_EQ(kinds("int integer sizeof while_ enum kabum _x9"),
              "INT IDENTIFIER SIZEOF IDENTIFIER ENUM ENUMERATION_CONSTANT IDENTIFIER");
}

TEST(ScannerWords, TokensCarryTheirTextLineAndFile) {
    auto t = scan("#line 4 a.c\nchar c;");
    ASSERT_EQ(kindsOf(t), "CHAR IDENTIFIER SEMICOL");
    EXPECT_EQ(t[0].value.cval, "char");
    EXPECT_EQ(t[0].value.line, 5);
    EXPECT_EQ(t[0].value.file, "a.c");
    EXPECT_EQ(t[1].value.cval, "c");
    EXPECT_EQ(t[0].value.text, "");
}

// ---- Operators ----------------------------------------------------------------------------

TEST(ScannerOperators, LongestMatchWins) {
    EXPECT_EQ(kinds("<<= >>= << >> <= >= < > -> -- -= - ... . == = != !"),
              "SHIFTLEQ SHIFTREQ SHIFTL SHIFTR LESSEQ BIGGEREQ LESSTHAN BIGGERTHAN POINTERSYM "
              "DECR MINUSEQ MINUS ELIPSIS DOT LEQUALS ASSIGN LNOTEQ BANG");
}

TEST(ScannerOperators, EveryPunctuatorHasItsKind) {
    EXPECT_EQ(kinds(", ; : { } ( ) [ ] * @ ? || && | ^ & ++ + / % ~ *= /= %= += &= ^= |="),
              "COMMA SEMICOL COLON LSQUIG RSQUIG LPAREN RPAREN LBRA RBRA STAR AT QUESTION LOR "
              "LAND OR EXOR AND INCR PLUS DIV MOD TILDE STAREQ DIVEQ MODEQ PLUSEQ ANDEQ EXOREQ "
              "OREQ");
}

TEST(ScannerOperators, StrayCharactersAreDropped) {
    EXPECT_EQ(kinds("# $ ` \\ \t\r\x01\xff x"), "IDENTIFIER");
}

// ---- Character constants and strings --------------------------------------------------------

TEST(ScannerCharacters, PlainEscapedAndHexConstantsKeepTheirQuotes) {
    auto t = scan(R"('a' '\n' '\x41')");
    ASSERT_EQ(kindsOf(t), "CHARACTER_CONSTANT CHARACTER_CONSTANT CHARACTER_CONSTANT");
    EXPECT_EQ(t[0].value.cval, "'a'");
    EXPECT_EQ(t[1].value.cval, R"('\n')");
    EXPECT_EQ(t[2].value.cval, R"('\x41')");
    EXPECT_EQ(t[0].value.ival, 0);
}

// '\101' is one character constant (octal 65), not the number 101 between stray quotes.
TEST(ScannerCharacters, OctalEscapeIsACharacterConstant) {
    auto t = scan(R"('\101' '\7')");
    ASSERT_EQ(kindsOf(t), "CHARACTER_CONSTANT CHARACTER_CONSTANT");
    EXPECT_EQ(t[0].value.cval, R"('\101')");
    EXPECT_EQ(t[1].value.cval, R"('\7')");
}

TEST(ScannerStrings, TextIsKeptUnchangedWithoutQuotes) {
    auto t = scan(R"("a\"b\n" x)");
    ASSERT_EQ(kindsOf(t), "STRING IDENTIFIER");
    EXPECT_EQ(t[0].value.cval, R"(a\"b\n)");
}

TEST(ScannerStrings, A257CharacterStringIsReportedAndCutTo256) {
    std::string out;
    auto t = scan("\"" + std::string(256, 'a') + "b\" x", &out);
    ASSERT_EQ(kindsOf(t), "STRING IDENTIFIER");
    EXPECT_EQ(t[0].value.cval, std::string(256, 'a'));
    EXPECT_EQ(out, "ERROR(C103): String too long, started in line 1\n");
}

TEST(ScannerStrings, A256CharacterStringIsFine) {
    std::string out;
    auto t = scan("\"" + std::string(256, 'a') + "\"", &out);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].value.cval.size(), 256u);
    EXPECT_EQ(out, "");
}

TEST(ScannerStrings, UnterminatedStringReportsC102OnStandardOutputUncounted) {
    FrontEndHarness h("x\n\"abc");
    auto t = scanAll(h);
    EXPECT_EQ(kindsOf(t), "IDENTIFIER STRING");
    EXPECT_EQ(h.io.out, "ERROR(C102): EOF unexpected. String started in line 2\n");
    EXPECT_EQ(h.io.messages, "");
    EXPECT_EQ(h.c.errors(), 0);
}

// ---- Comments and lines ------------------------------------------------------------------------

TEST(ScannerComments, LineCommentCountsItsLine) {
    auto t = scan("// one\nx");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].value.line, 2);
}

TEST(ScannerComments, NewlinesInsideBlockCommentsAreNotCounted) {
    auto t = scan("/* a\nb\n*/ x\ny");
    ASSERT_EQ(kindsOf(t), "IDENTIFIER IDENTIFIER");
    EXPECT_EQ(t[0].value.line, 1);
    EXPECT_EQ(t[1].value.line, 2);
}

TEST(ScannerComments, StrayCommentCloseIsACommentBodyAndALine) {
    auto t = scan("*/ x");
    ASSERT_EQ(kindsOf(t), "COMMENT_BODY IDENTIFIER");
    EXPECT_EQ(t[1].value.line, 2);
}

TEST(ScannerComments, UnterminatedBlockCommentReportsC100) {
    FrontEndHarness h("\n\n/* never closed");
    EXPECT_EQ(kindsOf(scanAll(h)), "");
    EXPECT_EQ(h.io.out, "ERROR(C100): EOF unexpected. Comment started in line 3\n");
    EXPECT_EQ(h.c.errors(), 0);
}

TEST(ScannerComments, OverlongBlockCommentReportsC101OnceAndEndsAtItsClose) {
    std::string out;
    auto t = scan("/*" + std::string(40000, 'c') + "*/ x", &out);
    EXPECT_EQ(kindsOf(t), "IDENTIFIER");
    EXPECT_EQ(out, "ERROR(C101): Comment too long, started in line 1\n");
}

TEST(ScannerComments, OverlongLineCommentReportsC105AndItsRestIsScanned) {
    FrontEndHarness h("//" + std::string(32000, 'c') + "tail\nx");
    auto t = scanAll(h);
    ASSERT_EQ(kindsOf(t), "IDENTIFIER IDENTIFIER");
    EXPECT_EQ(t[0].value.cval, "tail");
    EXPECT_EQ(t[1].value.line, 2);
    EXPECT_EQ(h.io.out, "ERROR(C105): Comment too long, started in line 1\n");
}

TEST(ScannerLines, EmptyLinesAndLineEndsCount) {
    auto t = scan("\n\na\n\n\nb");
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].value.line, 3);
    EXPECT_EQ(t[1].value.line, 6);
}

// ---- Line markers ------------------------------------------------------------------------------

TEST(ScannerLineMarkers, WindowsPathIsRebuiltAndTheNextLineFollowsTheNumber) {
    FrontEndHarness h("#line 12 C:\\work\\sx\\prog_1.c\nx");
    auto t = scanAll(h);
    ASSERT_EQ(kindsOf(t), "IDENTIFIER");
    EXPECT_EQ(t[0].value.line, 13);
    EXPECT_EQ(t[0].value.file, "C:\\work\\sx\\prog_1.c");
    EXPECT_FALSE(h.scanner().lineMarkerMode());
}

TEST(ScannerLineMarkers, UnixPathWithTildeAndBlanksKept) {
    auto t = scan("#line 0 ~/my src/main.c\nx");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].value.file, "~/my src/main.c");
    EXPECT_EQ(t[0].value.line, 1);
}

TEST(ScannerLineMarkers, QuotedPathLosesItsQuotes) {
    auto t = scan("#line 3 \"dir/a b.h\"\nx");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].value.file, "dir/a b.h");
    EXPECT_EQ(t[0].value.line, 4);
}

TEST(ScannerLineMarkers, OutsideAMarkerLineTheSameCharactersAreTokens) {
    EXPECT_EQ(kinds("#line 1 a.c\n: / ~ ."), "COLON DIV TILDE DOT");
}

TEST(ScannerLineMarkers, AnyPathIsTakenWhole) {
    // Keywords and punctuation in a path are part of the name, never tokens.
    FrontEndHarness h("#line 0 asm/int-1.c\n");
    auto t = scanAll(h);
    EXPECT_EQ(kindsOf(t), "");
    EXPECT_EQ(h.scanner().currentFile(), "asm/int-1.c");
}

// ---- Assembly mode -----------------------------------------------------------------------------

TEST(ScannerAsm, BothSpellingsOfTheSkippingIncrementAreMnemonics) {
    EXPECT_EQ(kinds("asm(\nincfsz x, 1\n)"),
              "ASM LPAREN ASMINST IDENTIFIER COMMA INTEGER_CONSTANT RPAREN");
    EXPECT_EQ(kinds("asm(\nINCSZ x\n)"), "ASM LPAREN ASMINST IDENTIFIER RPAREN");
}

TEST(ScannerAsm, LabelMnemonicAndOperands) {
    auto t = scan("asm(\nloop mov w, #1\n)");
    ASSERT_EQ(kindsOf(t), "ASM LPAREN ASMLABEL ASMINST IDENTIFIER COMMA INTEGER_CONSTANT RPAREN");
    EXPECT_EQ(t[2].value.cval, "loop");
    EXPECT_EQ(t[3].value.cval, "mov");
    EXPECT_EQ(t[6].value.ival, 1);
}

TEST(ScannerAsm, BangBeforeOptionIsAnAsmBangAndOptionAnOperand) {
    EXPECT_EQ(kinds("asm( mov !option, w )"),
              "ASM LPAREN ASMINST ASMBANG IDENTIFIER COMMA IDENTIFIER RPAREN");
}

TEST(ScannerAsm, OptionAsTheFirstWordIsTheMnemonic) {
    EXPECT_EQ(kinds("rasm(\nOPTION\n)"), "RASM LPAREN ASMINST RPAREN");
}

TEST(ScannerAsm, CloseParenEndsAsmMode) {
    FrontEndHarness h("asm( nop ) mov");
    auto t = scanAll(h);
    EXPECT_EQ(kindsOf(t), "ASM LPAREN ASMINST RPAREN IDENTIFIER");
    EXPECT_FALSE(h.scanner().asmMode());
}

TEST(ScannerAsm, GotoIsAMnemonicOnlyInsideAsm) {
    EXPECT_EQ(kinds("goto asm( goto x )"), "GOTO ASM LPAREN ASMINST IDENTIFIER RPAREN");
}

TEST(ScannerAsm, EquAndCompareJumpMacros) {
    auto t = scan("asm(\nsize equ 4\ncjne a, b, out\n)");
    ASSERT_EQ(kindsOf(t), "ASM LPAREN ASMLABEL ASMEQU INTEGER_CONSTANT ASMMACRO3 IDENTIFIER COMMA "
                          "IDENTIFIER COMMA IDENTIFIER RPAREN");
    // The parser sees ASMMACRO3; the value makes an ordinary mnemonic node.
    EXPECT_EQ(t[5].value.kind, ASMINST);
    EXPECT_EQ(t[5].value.cval, "cjne");
}

TEST(ScannerAsm, DotAndBangDependOnAMnemonicOnTheLine) {
    EXPECT_EQ(kinds("asm(\nrb.1 !x\nsetb rb.1\n!x\n)"),
              "ASM LPAREN ASMLABEL DOT INTEGER_CONSTANT BANG ASMLABEL ASMINST "
              "IDENTIFIER ASMDOT INTEGER_CONSTANT BANG ASMLABEL RPAREN");
}

TEST(ScannerAsm, AtIsAsmAtInsideAsm) {
    EXPECT_EQ(kinds("@ asm( jmp @far )"), "AT ASM LPAREN ASMINST ASMAT IDENTIFIER RPAREN");
}

TEST(ScannerAsm, MnemonicsAreMatchedInAnyCase) {
    EXPECT_EQ(kinds("asm(\nMoV a, b\nx Setb c\n)"),
              "ASM LPAREN ASMINST IDENTIFIER COMMA IDENTIFIER ASMLABEL ASMINST IDENTIFIER RPAREN");
}

// ---- Reading characters ----------------------------------------------------------------------

TEST(ScannerReading, SkipLineStopsAfterTheNewline) {
    FrontEndHarness h("a b c\nd");
    ParserValue v;
    EXPECT_EQ(h.scanner().nextToken(v), IDENTIFIER);
    h.scanner().skipLine();
    EXPECT_EQ(h.scanner().nextToken(v), IDENTIFIER);
    EXPECT_EQ(v.cval, "d");
}

TEST(ScannerReading, DrainReachesTheEndEvenBeforeAnyToken) {
    FrontEndHarness h("a b c\nd\n");
    h.scanner().drain();
    ParserValue v;
    EXPECT_EQ(h.scanner().nextToken(v), 0);
    EXPECT_EQ(h.scanner().readChar(), -1);
}

TEST(ScannerReading, NulBytesAreCharactersNotTheEnd) {
    FrontEndHarness h(std::string("a\0b", 3));
    EXPECT_EQ(kindsOf(scanAll(h)), "IDENTIFIER IDENTIFIER");
}

TEST(ScannerReading, EachRunStartsAtTheFirstCharacterOfItsOwnInput) {
    std::string first;
    std::string second;
    {
        FrontEndHarness h("alpha beta gamma");
        ParserValue v;
        h.scanner().nextToken(v);
        first = v.cval;
    }
    {
        FrontEndHarness h("delta");
        ParserValue v;
        h.scanner().nextToken(v);
        second = v.cval;
        EXPECT_EQ(v.line, 1);
    }
    EXPECT_EQ(first, "alpha");
    EXPECT_EQ(second, "delta");
}

} // namespace
} // namespace kavo::testing
