// Expressions compute what C computes in this dialect (char, short and int 8 bits, long 16),
// run through the whole compiler on the SX core model. Every expected value is worked out by
// hand from C's rules, never read from the compiler. Constructs the compiler cannot compile
// right are refused with a message naming them.
#include "tests/support/compiled_program.hpp"
#include "tests/support/sx28_prelude.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace kavo {
namespace {

using testing::CompiledProgram;
using testing::Sx28;

using Program = testing::Sx28Program;

// The messages of a program the compiler must refuse.
std::string refusal(const std::string& source) {
    testing::InProcessCompile run;
    run.wholeBackEnd = true;
    run.run(Sx28 + source);
    EXPECT_FALSE(run.c.successFlag) << "the program should be refused:\n" << source;
    return run.io.messages;
}

TEST(ExpressionSemantics, TheRemainderTakesTheDividendsSign) {
    Program p("char a, b; long l, m; unsigned char ua; unsigned long ul;\n"
              "char r1, r2, r3; long r4, r5; unsigned char r6; unsigned long r7;\n"
              "void main(void) { r1 = a % 2; r2 = a % b; r3 = 7 % b; r4 = l % 10; r5 = l % m;"
              " r6 = ua % 7; r7 = ul % 10; }\n");
    p.run({{"a", -7}, {"b", -3}, {"l", -1234}, {"m", 100}, {"ua", 250}, {"ul", 65535}});
    EXPECT_EQ(p.signedValue("r1"), -1);   // -7 % 2
    EXPECT_EQ(p.signedValue("r2"), -1);   // -7 % -3
    EXPECT_EQ(p.signedValue("r3"), 1);    // 7 % -3
    EXPECT_EQ(p.signedValue("r4"), -4);   // -1234 % 10
    EXPECT_EQ(p.signedValue("r5"), -34);  // -1234 % 100
    EXPECT_EQ(p.unsignedValue("r6"), 5u); // 250 % 7
    EXPECT_EQ(p.unsignedValue("r7"), 5u); // 65535 % 10
}

TEST(ExpressionSemantics, RightShiftsOfSignedValuesKeepTheSign) {
    Program p("char c; long l; unsigned char uc; unsigned long ul; char n;\n"
              "char r1; long r2, r3, r4; unsigned long r5; unsigned char r6;\n"
              "void main(void) { r1 = c >> 1; r2 = l >> 3; r3 = l >> n; r4 = l >> 15;"
              " r5 = ul >> 3; r6 = uc >> 7; l >>= 4; }\n");
    p.run({{"c", -8}, {"l", -32768}, {"n", 9}, {"ul", 0x8000}, {"uc", 0x80}});
    EXPECT_EQ(p.signedValue("r1"), -4);
    EXPECT_EQ(p.signedValue("r2"), -4096);
    EXPECT_EQ(p.signedValue("r3"), -64);
    EXPECT_EQ(p.signedValue("r4"), -1);
    EXPECT_EQ(p.unsignedValue("r5"), 4096u); // unsigned: zeros enter at the top
    EXPECT_EQ(p.unsignedValue("r6"), 1u);
    EXPECT_EQ(p.signedValue("l"), -2048);
}

TEST(ExpressionSemantics, LogicalOperatorsGiveZeroOrOneAndTestEveryByte) {
    Program p("long l; char c, z; char r1, r2, r3, r4, r5, r6, r7, r8; long r9;\n"
              "void main(void) { r1 = l && c; r2 = z || l; r3 = c && z; r4 = z || z;"
              " r5 = !l; if (l) r6 = 1; else r6 = 2; r7 = 0; while (l) { r7++; l = l - 256; }"
              " r8 = (c || z) + (c && c); l = 512; r9 = l ? 7 : 9; }\n");
    p.run({{"l", 256}, {"c", 5}, {"z", 0}});
    EXPECT_EQ(p.signedValue("r1"), 1);
    EXPECT_EQ(p.signedValue("r2"), 1);
    EXPECT_EQ(p.signedValue("r3"), 0);
    EXPECT_EQ(p.signedValue("r4"), 0);
    EXPECT_EQ(p.signedValue("r5"), 0); // 256 is true
    EXPECT_EQ(p.signedValue("r6"), 1);
    EXPECT_EQ(p.signedValue("r7"), 1);
    EXPECT_EQ(p.signedValue("r8"), 2);
    EXPECT_EQ(p.signedValue("r9"), 7);
}

TEST(ExpressionSemantics, ASwitchComparesAtItsValuesWidthAndTakesDefaultLast) {
    Program p("long l; char c; unsigned char u; char r1, r2, r3;\n"
              "void main(void) {\n"
              "  switch (l) { case 44: r1 = 1; break; case 300: r1 = 2; break;"
              " case -1: r1 = 3; break; }\n"
              "  switch (c) { default: r2 = 9; break; case 1: r2 = 1; break;"
              " case -2: r2 = 2; break; }\n"
              "  switch (u) { case -1: r3 = 1; break; case 255: r3 = 2; break;"
              " default: r3 = 3; }\n"
              "}\n");
    p.run({{"l", 300}, {"c", -2}, {"u", 255}});
    EXPECT_EQ(p.signedValue("r1"), 2);
    EXPECT_EQ(p.signedValue("r2"), 2); // a case after the default still matches
    EXPECT_EQ(p.signedValue("r3"), 2); // an unsigned char of 255 is not -1
    p.run({{"l", 44}, {"c", 7}, {"u", 3}});
    EXPECT_EQ(p.signedValue("r1"), 1);
    EXPECT_EQ(p.signedValue("r2"), 9);
    EXPECT_EQ(p.signedValue("r3"), 3);
    p.run({{"l", -1}, {"c", 1}, {"u", 3}});
    EXPECT_EQ(p.signedValue("r1"), 3);
    EXPECT_EQ(p.signedValue("r2"), 1);
}

TEST(ExpressionSemantics, AnEightBitOperandExtendsByItsOwnSign) {
    Program p("char c; unsigned char uc; long l; unsigned long ul;\n"
              "long r1, r2, r3, r4, r5, r6; unsigned long r7;\n"
              "long widen(char v) { return v; }\n"
              "long widenU(unsigned char v) { return v; }\n"
              "void main(void) { r1 = l + c; r2 = l + uc; r3 = c & l; r4 = l; r4 += c;"
              " r5 = l; r5 -= c; r6 = widen(c) + widenU(uc); r7 = ul; r7 |= c; }\n");
    p.run({{"c", -3}, {"uc", 253}, {"l", 1000}, {"ul", 0x1200}});
    EXPECT_EQ(p.signedValue("r1"), 997);
    EXPECT_EQ(p.signedValue("r2"), 1253);
    EXPECT_EQ(p.signedValue("r3"), 1000 & -3); // 1000
    EXPECT_EQ(p.signedValue("r4"), 997);
    EXPECT_EQ(p.signedValue("r5"), 1003);
    EXPECT_EQ(p.signedValue("r6"), -3 + 253);
    EXPECT_EQ(p.unsignedValue("r7"), 0xFFFDu);
}

TEST(ExpressionSemantics, SixteenBitRelationsKeepTheBorrowAndTheSign) {
    Program p("unsigned long a, b; long s, t; char x, y; unsigned long big;\n"
              "char r1, r2, r3, r4, r5, r6, r7, r8;\n"
              "void main(void) { r1 = a < b; r2 = b > a; r3 = s < t; r4 = t > s; r5 = x < y;"
              " r6 = a < 65535; r7 = s <= -32768; r8 = big > 1000; }\n");
    p.run({{"a", 0},
           {"b", 65535},
           {"s", -32768},
           {"t", 32767},
           {"x", -128},
           {"y", 127},
           {"big", 40000}});
    EXPECT_EQ(p.signedValue("r1"), 1);
    EXPECT_EQ(p.signedValue("r2"), 1);
    EXPECT_EQ(p.signedValue("r3"), 1);
    EXPECT_EQ(p.signedValue("r4"), 1);
    EXPECT_EQ(p.signedValue("r5"), 1);
    EXPECT_EQ(p.signedValue("r6"), 1);
    EXPECT_EQ(p.signedValue("r7"), 1);
    EXPECT_EQ(p.signedValue("r8"), 1);
}

TEST(ExpressionSemantics, CastsConvertAsCDoes) {
    Program p("char c; long l; unsigned long ul;\n"
              "unsigned long r1; long r2; char r3; long r4; unsigned char r5; long r6;\n"
              "void main(void) { r1 = (unsigned char)c; r2 = (long)c; r3 = (char)l;"
              " r4 = (unsigned char)c + 1; r5 = (unsigned char)300; r6 = (char)ul + 1; }\n");
    p.run({{"c", -56}, {"l", 0x1280}, {"ul", 0xFFFF}});
    EXPECT_EQ(p.unsignedValue("r1"), 200u);
    EXPECT_EQ(p.signedValue("r2"), -56);
    EXPECT_EQ(p.signedValue("r3"), -128);
    EXPECT_EQ(p.signedValue("r4"), 201); // an unsigned char of 200, plus 1
    EXPECT_EQ(p.unsignedValue("r5"), 44u);
    EXPECT_EQ(p.signedValue("r6"), 0); // (char)65535 is -1
}

TEST(ExpressionSemantics, CastsToOtherTypesAreRefused) {
    const std::string messages =
        refusal("int v; int *p; char r;\nvoid main(void) { r = (void)p; }\n");
    EXPECT_NE(messages.find("ERROR(C270): Line: 15 A cast to void is not supported: casts "
                            "convert to char, short, int, long or a pointer (to one of them, a "
                            "struct, void or a pointer) only."),
              std::string::npos)
        << messages;
}

TEST(ExpressionSemantics, OctalCharacterEscapesAreOctal) {
    Program p("char a, b, c, d;\n"
              "void main(void) { a = '\\101'; b = '\\7'; c = '\\377'; d = '\\0'; }\n");
    p.run();
    EXPECT_EQ(p.signedValue("a"), 65);
    EXPECT_EQ(p.signedValue("b"), 7);
    EXPECT_EQ(p.signedValue("c"), -1);
    EXPECT_EQ(p.signedValue("d"), 0);
}

TEST(ExpressionSemantics, ACallInsideAnotherCallsArgumentsCountsItsOwnArguments) {
    Program p(
        "char r1, r2; long r3;\n"
        "char g(char a) { return a + 1; }\n"
        "char f(char a, char b) { return a * 10 + b; }\n"
        "long h(long a, char b, char c) { return a + b + c; }\n"
        "void main(void) { r1 = f(g(1), 2); r2 = f(3, g(g(4))); r3 = h(1000, f(1, 2), g(0)); }\n");
    p.run();
    EXPECT_EQ(p.signedValue("r1"), 22);
    EXPECT_EQ(p.signedValue("r2"), 36);
    EXPECT_EQ(p.signedValue("r3"), 1013);
}

TEST(ExpressionSemantics, AddressesOfElementsAndMembersPointAtThem) {
    Program p("char a[4]; long w[3]; struct pt { char x; char y; } s; char i;\n"
              "int *p; int *q; int *m; char r1, r2, r3;\n"
              "void main(void) { a[2] = 5; a[3] = 6; s.y = 9; p = &a[i]; q = &a[3]; m = &s.y;"
              " r1 = *p; r2 = *q; r3 = *m; *p = 11; }\n");
    p.run({{"i", 2}});
    EXPECT_EQ(p.signedValue("r1"), 5);
    EXPECT_EQ(p.signedValue("r2"), 6);
    EXPECT_EQ(p.signedValue("r3"), 9);
    p.run({{"i", 3}});
    EXPECT_EQ(p.signedValue("r1"), 6);
}

TEST(ExpressionSemantics, TheAddressOfAValueReachedThroughAPointerIsRefused) {
    std::string messages = refusal("int *p; int *q;\nvoid main(void) { p = &*q; }\n");
    EXPECT_NE(messages.find("ERROR(C271): Line: 15 The address of a value reached through a "
                            "pointer or an element of an array of structs is not supported."),
              std::string::npos)
        << messages;
}

// A char pointer reaches RAM as well as strings; an int pointer reads RAM.
TEST(ExpressionSemantics, ACharPointerReachesRamAndStringsAndAnIntPointerReadsRam) {
    Program p("char x, r, r2; int *ip; char *text; char *cp;\n"
              "char first(char *s) { return *s; }\n"
              "void main(void) { x = 42; ip = &x; r = *ip; *ip = 7; text = \"AB\"; x = x + *text;"
              " cp = &x; r2 = first(&x) - *cp + first(text); }\n");
    p.run();
    EXPECT_EQ(p.signedValue("r"), 42);
    EXPECT_EQ(p.signedValue("x"), 7 + 65);
    EXPECT_EQ(p.signedValue("r2"), 65);
}

// The dialect's ?: gives a 16-bit value, each branch extended by its own sign (C would first
// convert both branches to their common type: 44 and 251 here).
TEST(ExpressionSemantics, AConditionalExpressionIsSixteenBitsWide) {
    Program p("unsigned char u, v; char c, k; long r1, r2, r3;\n"
              "void main(void) { r1 = (k ? u : v) + 100; r2 = k ? c : u; r3 = k ? 70000 : 1; }\n");
    p.run({{"u", 200}, {"v", 100}, {"c", -5}, {"k", 1}});
    EXPECT_EQ(p.signedValue("r1"), 300);
    EXPECT_EQ(p.signedValue("r2"), -5);
    EXPECT_EQ(p.signedValue("r3"), 70000 - 65536);
    p.run({{"u", 200}, {"v", 100}, {"c", -5}, {"k", 0}});
    EXPECT_EQ(p.signedValue("r1"), 200);
    EXPECT_EQ(p.signedValue("r2"), 200);
}

} // namespace
} // namespace kavo
