// Ordinary embedded C, compiled through the whole compiler and run on the SX core model: each
// program checks a construct that used to compile into something else without a word. The
// expected values are worked out by hand from what C says.
#include "tests/support/compiled_program.hpp"
#include "tests/support/example_files.hpp"
#include "tests/support/sx28_prelude.hpp"

#include <gtest/gtest.h>

#include <exception>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>

namespace kavo {
namespace {

using testing::CompiledProgram;
using testing::Sx28;

// Compiles once; every run starts from a power-on reset.
using Program = testing::Sx28Program;

TEST(DialectSemantics, ContinueRunsTheStepOfAForAndTheTestOfADoWhile) {
    Program p("char i, k, j, m, n, w, v;\n"
              "void main(void) {\n"
              "  k = 0; for (i = 0; i < 5; i++) { if (i == 2) continue; k++; }\n"
              "  m = 0; j = 0; do { j++; if (j == 3) continue; m++; } while (j < 6);\n"
              "  n = 0; for (i = 0; ; i++) { if (i > 7) break; if (i & 1) continue; n++; }\n"
              "  v = 0; i = 0; for (; i < 5; i++) { if (i == 1) continue; v++; }\n"
              "  w = 0; i = 0; while (i < 6) { i++; if (i == 4) continue; w++; }\n"
              "}\n");
    p.run();
    EXPECT_EQ(p.value("k"), 4);
    EXPECT_EQ(p.value("j"), 6);
    EXPECT_EQ(p.value("m"), 5);
    EXPECT_EQ(p.value("n"), 4);
    EXPECT_EQ(p.value("v"), 4);
    EXPECT_EQ(p.value("w"), 5);
}

// The reset vector enters main through the initialisers of global and static variables: they
// hold their values whatever the RAM held at power-on, and a static local is set once only.
TEST(DialectSemantics, GlobalAndStaticInitialisersRunOnceBeforeMain) {
    Program p("int g = 5; long l = 1234; unsigned long big = 40000; char neg = -3;\n"
              "char k, c1, c2, c3; long lk; char *s = \"ab\"; char second;\n"
              "void pick(void) { second = *s; }\n"
              "char counter(void) { static char n = 10; n++; return n; }\n"
              "void main(void) { k = g + 1; lk = l + 1; c1 = counter(); c2 = counter();"
              " c3 = counter(); pick(); }\n"
              "long later = -2;\n"
              "char seven(void) { return 7; }\nchar fromCall = seven();\n");
    p.run({{"g", 99}, {"l", 7}, {"big", 1}, {"neg", 0}, {"later", 3}});
    EXPECT_EQ(p.value("g"), 5);
    EXPECT_EQ(p.value("l"), 1234);
    EXPECT_EQ(p.value("big"), 40000);
    EXPECT_EQ(p.signedValue("neg"), -3);
    EXPECT_EQ(p.signedValue("later"), -2) << "an initialiser after main runs before it too";
    EXPECT_EQ(p.value("k"), 6);
    EXPECT_EQ(p.value("lk"), 1235);
    EXPECT_EQ(p.value("c1"), 11);
    EXPECT_EQ(p.value("c2"), 12);
    EXPECT_EQ(p.value("c3"), 13);
    EXPECT_EQ(p.value("second"), 'a') << "a pointer initialised with a string";
    EXPECT_EQ(p.value("fromCall"), 7) << "a call in an initialiser is made from main";
}

TEST(DialectSemantics, ArrayInitialisersStoreEveryElementAndZeroTheRest) {
    Program p("char tbl[3] = {1, 2, 3}; long wide[2] = {1000, -2}; char z[4] = {5,};\n"
              "char t[] = {7, 8, 9, 10}; char msg[] = \"Hi\"; char sum, local, count;\n"
              "void main(void) { char loc[3] = {4, 5, 6};"
              " sum = tbl[0] + tbl[1] + tbl[2]; local = loc[0] + loc[2]; count = sizeof(t); }\n");
    p.run({{"tbl", -1}, {"z", -1}, {"wide", -1}});
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(p.element("tbl", i), i + 1) << i;
    EXPECT_EQ(p.value("sum"), 6);
    EXPECT_EQ(p.value("local"), 10);
    // 1000 = 0x03E8 and -2 = 0xFFFE, low byte first.
    EXPECT_EQ(p.element("wide", 0), 0xE8);
    EXPECT_EQ(p.element("wide", 1), 0x03);
    EXPECT_EQ(p.element("wide", 2), 0xFE);
    EXPECT_EQ(p.element("wide", 3), 0xFF);
    EXPECT_EQ(p.element("z", 0), 5);
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(p.element("z", i), 0) << i;
    EXPECT_EQ(p.value("count"), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(p.element("t", i), 7 + i) << i;
    EXPECT_EQ(p.element("msg", 0), 'H');
    EXPECT_EQ(p.element("msg", 1), 'i');
    EXPECT_EQ(p.element("msg", 2), 0);
}

// A brace list fills the members in order; nested braces fill one element each, and the
// members without a value are 0. A union takes its value through its first member.
TEST(DialectSemantics, StructAndUnionInitialisersFillEveryByte) {
    Program p("struct pt { char x; long y; char z; };\n"
              "struct pt a = {1, 1000, 3}; struct pt b = {9};\n"
              "struct pt pts[2] = {{1, 2, 3}, {4}}; struct pt flat[] = {5, 6, 7, 8};\n"
              "union u { long w; char c; } uu = {0x1234};\n"
              "struct named { char id; char name[4]; } nm = {7, \"ab\"};\n"
              "char n;\n"
              "void main(void) { n = sizeof(flat); }\n");
    p.run({{"a", -1}, {"b", -1}, {"pts", -1}, {"uu", -1}, {"nm", -1}});
    const int aBytes[] = {1, 0xE8, 0x03, 3};
    const int bBytes[] = {9, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(p.element("a", i), aBytes[i]) << i;
        EXPECT_EQ(p.element("b", i), bBytes[i]) << i;
    }
    const int ptsBytes[] = {1, 2, 0, 3, 4, 0, 0, 0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(p.element("pts", i), ptsBytes[i]) << i;
    // Without inner braces the values run on: {5, 6, 7}, then {8, 0, 0}: two elements.
    EXPECT_EQ(p.value("n"), 8);
    EXPECT_EQ(p.element("flat", 4), 8);
    const int nmBytes[] = {7, 'a', 'b', 0, 0};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(p.element("nm", i), nmBytes[i]) << "a string fills a char array member " << i;
    EXPECT_EQ(p.element("uu", 0), 0x34);
    EXPECT_EQ(p.element("uu", 1), 0x12);
}

// The order of the type words does not matter.
TEST(DialectSemantics, SpecifierWordsInAnyOrderNameTheSameType) {
    Program p("long unsigned lu; unsigned long ul; char unsigned cu; short unsigned su;\n"
              "long q1, q2, w; char sizes;\n"
              "void main(void) { lu = 40000; ul = 40000; q1 = lu / 3; q2 = ul / 3;"
              " cu = 200; w = cu; sizes = sizeof(lu) * 10 + sizeof(su); }\n");
    p.run();
    EXPECT_EQ(p.value("lu"), 40000);
    EXPECT_EQ(p.value("q1"), 13333);
    EXPECT_EQ(p.value("q2"), 13333);
    EXPECT_EQ(p.value("w"), 200) << "char unsigned widens as unsigned";
    EXPECT_EQ(p.value("sizes"), 21);
}

// A struct assigned to (or initialised from) another of its type gets every byte.
TEST(DialectSemantics, StructAssignmentCopiesEveryByte) {
    Program p("struct pt { char x; long y; char z; };\n"
              "struct pt a = {1, 1000, 3}; struct pt b; struct pt c = a;\n"
              "union u { long w; char c; } u1, u2;\n"
              "void main(void) { b = a; u1.w = 0x1234; u2 = u1; }\n");
    p.run({{"b", -1}, {"c", -1}, {"u2", 0}});
    const int bytes[] = {1, 0xE8, 0x03, 3};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(p.element("b", i), bytes[i]) << i;
        EXPECT_EQ(p.element("c", i), bytes[i]) << i;
    }
    EXPECT_EQ(p.value("u2"), 0x1234);
}

TEST(DialectSemantics, CompoundAssignmentThroughAPointer) {
    Program p("int v; int *p; char w;\n"
              "void main(void) { v = 10; p = &v; *p += 3; *p -= 1; *p |= 0x20; w = *p; }\n");
    p.run();
    EXPECT_EQ(p.value("v"), 12 | 0x20);
    EXPECT_EQ(p.value("w"), 12 | 0x20);
}

// After a prototype, a call before the definition compiles, and the definition is the one
// called, with its return type and sign.
TEST(DialectSemantics, APrototypeMakesALaterDefinitionCallable) {
    Program p("char later(char a);\nlong twice(long v);\nunsigned char big(void);\n"
              "char r; long w, u;\n"
              "void main(void) { r = later(5); w = twice(-300); u = 1000; u = u + big(); }\n"
              "char later(char a) { return a + 1; }\n"
              "long twice(long v) { return v + v; }\n"
              "unsigned char big(void) { return 200; }\n");
    p.run();
    EXPECT_EQ(p.value("r"), 6);
    EXPECT_EQ(p.signedValue("w"), -600);
    EXPECT_EQ(p.value("u"), 1200);
}

// p->m reaches the member at the pointer's address plus the member's offset. Values worked
// on between setting FSR and the access need the global registers the device header offers.
TEST(DialectSemantics, MembersThroughAPointerToAStruct) {
    std::ifstream header(std::string(KAVO_EXAMPLES_DIR) + "/sx28.h");
    Program p(std::string(std::istreambuf_iterator<char>(header), {}),
              "struct pt { char x; long w; char y; };\n"
              "struct pt a, b; struct pt *p; char rx, ry; long rw;\n"
              "void main(void) { p = &a; p->x = 7; p->w = -1234; p->y = 9; p->y += 3;"
              " p->x++; rx = p->x; rw = p->w; p = &b; p->y = 1; ry = a.y + p->y; }\n");
    p.run();
    EXPECT_EQ(p.value("rx"), 8);
    EXPECT_EQ(p.signedValue("rw"), -1234);
    EXPECT_EQ(p.value("ry"), 13);
    EXPECT_EQ(p.element("a", 0), 8);
    EXPECT_EQ(p.element("a", 3), 12);
    EXPECT_EQ(p.element("b", 3), 1);
}

// +=, -=, &=, |= and ^= on a 16-bit value reached through INDF work byte by byte, the carry
// or borrow going on into the high byte.
TEST(DialectSemantics, CompoundAssignmentAndSteppingOnSixteenBitElementsAndMembers) {
    std::ifstream header(std::string(KAVO_EXAMPLES_DIR) + "/sx28.h");
    Program p(std::string(std::istreambuf_iterator<char>(header), {}),
              "long w[3]; char i; char n; long big; long w3[2]; long post, pre;\n"
              "struct pt { char x; long v; } s, *q;\n"
              "void main(void) { w[0] = 250; w[1] = 1000; w[2] = 0x0F0F; i = 1;"
              " w[i] += 300; w[0] += 10; i = 0; w[i] -= 251; n = -2; i = 2; w[i] &= 0x00FF;"
              " w[i] |= 0x1200; w[i] ^= 0x0001; big = 40000; w[1] += big;"
              " q = &s; q->v = 100; q->v -= 200;"
              " w3[0] = 255; w3[0]++; i = 1; w3[i] = 0; post = w3[i]--; pre = ++w3[i];"
              " --w3[i]; }\n");
    p.run();
    auto word = [&](int i) { return p.element("w", 2 * i) | p.element("w", 2 * i + 1) << 8; };
    // w[0] = 250 + 10 - 251 = 9; w[1] = (1000 + 300 + 40000) & 0xFFFF; w[2] = 0x0F | 0x1200 ^ 1.
    EXPECT_EQ(word(0), 9);
    EXPECT_EQ(word(1), (1000 + 300 + 40000) & 0xFFFF);
    EXPECT_EQ(word(2), (0x000F | 0x1200) ^ 0x0001);
    EXPECT_EQ(p.element("s", 1) | p.element("s", 2) << 8, (100 - 200) & 0xFFFF);
    // ++ and -- carry and borrow across the bytes: 255 + 1, 0 - 1 (post: 0), then back up.
    EXPECT_EQ(p.element("w3", 0) | p.element("w3", 1) << 8, 256);
    EXPECT_EQ(p.value("post"), 0);
    EXPECT_EQ(p.value("pre"), 0);
    EXPECT_EQ(p.element("w3", 2) | p.element("w3", 3) << 8, 0xFFFF);
}

// @address reads and writes the byte at a constant RAM address.
TEST(DialectSemantics, TheAtFormReachesAConstantAddress) {
    Program p("char v @ 0x12; char k;\n"
              "void main(void) { v = 7; k = @0x12; @0x12 = 9; @0x12 += 1; }\n");
    p.run();
    EXPECT_EQ(p.value("k"), 7);
    EXPECT_EQ(p.value("v"), 10);
}

// One program a row, each storing into one variable what C says, where the value used to come
// out otherwise (or the program was refused with a false C135).
TEST(DialectSemantics, EachProgramStoresWhatCSays) {
    struct Row {
        const char* header;
        const char* program;
        const char* variable;
        int expected; // negative: read as a signed value of the variable's width
    };
    const Row rows[] = {
        // Function-like macros, # and ##, and #if over macros compute what the C says.
        {"sx28.h",
         "#define BIT(n) (1 << (n))\n"
         "#define SET(p, b) ((p) |= BIT(b))\n"
         "#define CLEAR(p, b) ((p) &= ~BIT(b))\n"
         "#define CAT(a, b) a##b\n"
         "#if defined(BIT) && BIT(3) == 8 && !defined NONE\n"
         "#  define BASE 100\n"
         "#elif 1\n"
         "#  define BASE 1\n"
         "#endif\n"
         "unsigned char CAT(po, rt);\n"
         "long r;\n"
         "void main(void) { port = 0; SET(port, 3); SET(port, 0); SET(port, BIT(1));"
         " CLEAR(port, 3); r = BASE + CAT(po, rt) * 10; }\n",
         "r", 100 + 0x05 * 10},
        // Shifts by a constant, inline: an unsigned byte shifts zeros in, a signed one its sign,
        // and a 16-bit value carries bits across its bytes.
        {"sx28.h", "unsigned char g;\nvoid main(void) { g = 254; g >>= 1; }\n", "g", 127},
        {"sx28.h", "char g;\nvoid main(void) { g = -7; g >>= 1; }\n", "g", -4},
        {"sx28.h",
         "long l; unsigned long u; long r;\n"
         "void main(void) { l = -20000; u = 40000; r = (l >> 3) + (u >> 9) + (l << 2) + (u << 9); "
         "}\n",
         // -2500 + 78 - 14464 + 32768, modulo 65536.
         "r", 15882},
        // A target that is also the value: the carry into the high byte is counted once, also
        // through a pointer; a value sharing bytes with its target elsewhere (a union) is copied
        // first.
        {"sx28.h",
         "long l;\n"
         "void main(void) { l = 25000; l += l; }\n",
         "l", 50000},
        {"sx28.h",
         "struct sl { char c; long l; } s;\n"
         "long r;\n"
         "void main(void) { s.l = 25000; s.l += s.l; r = s.l; }\n",
         "r", 50000},
        {"sx28.h",
         "long l, *p;\n"
         "void main(void) { l = 25000; p = &l; *p += l; }\n",
         "l", 50000},
        {"sx28.h",
         "union uc { long l; char c; } u;\n"
         "long r;\n"
         "void main(void) { u.l = 840; u.l += u.c; r = u.l; }\n",
         "r", 912},
        {"sx28.h",
         "union ub { long l; struct bytes { char lo; char hi; } b; } u;\n"
         "long r;\n"
         "void main(void) { u.l = 0x8012; u.l = u.b.hi; r = u.l; }\n",
         "r", -128},
        // A struct member as an argument is the member.
        {"sx28.h",
         "struct rec { char a; long val; } r;\n"
         "long l1;\n"
         "long half(long v) { return v / 2; }\n"
         "void main(void) { r.val = 2900; l1 = half(r.val); }\n",
         "l1", 1450},
        // A struct member, an element of an array of structs and a returned member keep the
        // member's own sign.
        {"sx28.h",
         "struct ut { unsigned char a; unsigned long b; } t;\n"
         "long r;\n"
         "void main(void) { t.a = 200; r = t.a; }\n",
         "r", 200},
        {"sx28.h",
         "struct ut { unsigned char a; unsigned long b; } t;\n"
         "long r;\n"
         "void main(void) { t.a = 200; r = t.a / 3; }\n",
         "r", 66},
        {"sx28.h",
         "struct ut { unsigned char a; unsigned long b; } t;\n"
         "char r;\n"
         "void main(void) { t.b = 40000; r = t.b > 100; }\n",
         "r", 1},
        {"sx28.h",
         "struct ut { unsigned char a; unsigned long b; } t;\n"
         "unsigned long r;\n"
         "void main(void) { t.b = 40000; t.b >>= 1; r = t.b; }\n",
         "r", 20000},
        {"sx28.h",
         "struct ut { unsigned char a; } t;\n"
         "long r;\n"
         "long wide(long v) { return v; }\n"
         "void main(void) { t.a = 200; r = wide(t.a); }\n",
         "r", 200},
        {"sx28.h",
         "struct ut { unsigned char a; } t;\n"
         "long r;\n"
         "long get(void) { return t.a; }\n"
         "void main(void) { t.a = 200; r = get(); }\n",
         "r", 200},
        {"sx28.h",
         "struct ut { char k; unsigned char a; } pts[2];\n"
         "char i; long r;\n"
         "void main(void) { i = 1; pts[1].a = 200; r = pts[i].a / 3; }\n",
         "r", 66},
        // ++ and -- on an unsigned element give an unsigned value.
        {"sx28.h",
         "unsigned char ua[2];\n"
         "long q;\n"
         "void main(void) { ua[0] = 200; q = ua[0]++; }\n",
         "q", 200},
        {"sx28.h",
         "unsigned char ua[2];\n"
         "char r;\n"
         "void main(void) { ua[1] = 0; r = (--ua[1]) < 1; }\n",
         "r", 0},
        {"sx28.h",
         "unsigned long ul[1];\n"
         "char r;\n"
         "void main(void) { ul[0] = 40000; r = (++ul[0]) < 1; }\n",
         "r", 0},
        // A cast whose unsigned follows the size word is unsigned.
        {"sx28.h",
         "char c; long r;\n"
         "void main(void) { c = -56; r = (char unsigned)c; }\n",
         "r", 200},
        {"sx28.h",
         "long l, r;\n"
         "void main(void) { l = -2; r = (long unsigned)l / 2; }\n",
         "r", 32767},
        {"sx28.h",
         "long l, r;\n"
         "void main(void) { l = -2; r = (int unsigned)l; }\n",
         "r", 254},
        // A call in another call's arguments is made by the enclosing function: no false cycle
        // (C135), also where the inner function calls the outer one.
        {"sx28.h",
         "char r1, r2;\n"
         "char f1(char a) { return a + 1; }\n"
         "char f3(char b) { return b + b; }\n"
         "void main(void) { r1 = f3(f1(2)); r2 = f1(f3(2)); }\n",
         "r1", 6},
        {"sx28.h",
         "char k, x, r;\n"
         "char g(char a, char b) { k = k + 1; return a + b; }\n"
         "char h(char b) { return g(1, b); }\n"
         "void main(void) { x = 10; r = g(x, h(2)); }\n",
         "r", 13},
        // A call without arguments in a later argument leaves the earlier arguments' temporaries
        // alone.
        {"sx28.h",
         "char x, r1;\n"
         "char h(char a, char b) { return a - b; }\n"
         "char f2(void) { return 1; }\n"
         "void main(void) { x = 10; r1 = h(x + 1, f2() | 4); }\n",
         "r1", 6},
        {"sx28.h",
         "struct pt { char x; char y; } s;\n"
         "char r;\n"
         "unsigned char f2(void) { return 1; }\n"
         "void set(struct pt *q, char v) { q->y = v; }\n"
         "void main(void) { s.y = 0; set(&s, f2() | 4); r = s.y; }\n",
         "r", 5},
        // The value of an assignment through FSR is the element stored, whatever FSR does next; on
        // the 52-pin part also with the elements in upper banks.
        {"sx28.h",
         "int a[3], b[3];\n"
         "char i, j, r;\n"
         "void main(void) { i = 1; j = 2; b[2] = 3; b[j] = a[i] = 5; r = b[2]; }\n",
         "r", 5},
        {"sx28.h",
         "long w[2], lx;\n"
         "char i;\n"
         "void main(void) { i = 1; lx = w[i] = 1000; }\n",
         "lx", 1000},
        {"sx28.h",
         "int a[3], b[3];\n"
         "char i, j, r;\n"
         "void main(void) { i = 1; j = 2; b[2] = 3; r = (a[i] = 4) + b[j]; }\n",
         "r", 7},
        {"sx28.h",
         "int a[3], b[3];\n"
         "char i, j, r;\n"
         "char sub(char x, char y) { return x - y; }\n"
         "void main(void) { i = 1; j = 2; b[2] = 3; r = sub(a[i] = 5, b[j]); }\n",
         "r", 2},
        {"sx28.h",
         "long w[2];\n"
         "char i, r;\n"
         "void main(void) { i = 1; w[1] = 0; r = 0; if (w[i] = 5) r = 1; }\n",
         "r", 1},
        {"sx28.h",
         "long w[2], r;\n"
         "char i;\n"
         "long put(long v) { return w[i] = v; }\n"
         "void main(void) { i = 1; r = put(1000); }\n",
         "r", 1000},
        {"sx52.h",
         "long w[2] @ 0x150; long lx @ 0x34; unsigned char i @ 0x3A;\n"
         "void main(void) { i = 1; lx = w[i] = 1000; }\n",
         "lx", 1000},
        {"sx52.h",
         "int a[3] @ 0x132; int b[3] @ 0x172; int r @ 0xB1;\n"
         "unsigned char i @ 0x3A; unsigned char j @ 0x9A;\n"
         "void main(void) { i = 1; j = 2; b[2] = 3; b[j] = a[i] = 5; r = b[2]; }\n",
         "r", 5},
        {"sx52.h",
         "int a[3] @ 0x132; int b[3] @ 0x172; int r @ 0xB1;\n"
         "unsigned char i @ 0x3A; unsigned char j @ 0x9A;\n"
         "char sub(char x, char y) { return x - y; }\n"
         "void main(void) { i = 1; j = 2; b[2] = 3; r = sub(a[i] = 5, b[j]); }\n",
         "r", 2},
        // typedef names every kind of type, at file and block scope, and an inner declaration of
        // the name hides the type.
        {"sx28.h",
         "typedef unsigned char u8;\n"
         "u8 a; long r;\n"
         "void main(void) { a = 200; r = a; }\n",
         "r", 200},
        {"sx28.h",
         "typedef struct { char x; long y; } pt_t;\n"
         "typedef pt_t *pp_t;\n"
         "pt_t s; pp_t p; long r;\n"
         "void main(void) { p = &s; p->y = -1234; r = s.y + sizeof(pt_t); }\n",
         "r", -1231},
        {"sx28.h",
         "typedef char row[4];\n"
         "row a, b; char r;\n"
         "void main(void) { a[3] = 5; b[0] = 2; r = a[3] * 10 + b[0] + sizeof(row); }\n",
         "r", 56},
        {"sx28.h",
         "typedef char T;\n"
         "long r;\n"
         "void main(void) { typedef long T; T v; v = 1000; { char T; T = 3; r = v + T + sizeof(T); "
         "} }\n",
         "r", 1004},
        {"sx28.h",
         "typedef char T;\n"
         "T g; long r;\n"
         "void f(void) { typedef long T; T v; v = 300; r = v; }\n"
         "void main(void) { f(); g = 100; r = r + g + sizeof(T); }\n",
         "r", 401},
        {"sx28.h",
         "typedef unsigned char u8;\n"
         "typedef long i16;\n"
         "i16 r;\n"
         "i16 twice(u8 v) { return (i16)v + v; }\n"
         "void main(void) { r = twice(200); }\n",
         "r", 400},
        {"sx28.h",
         "typedef unsigned char u8;\n"
         "char c; long r;\n"
         "void main(void) { c = -56; r = (u8)c; }\n",
         "r", 200},
        // A suffix gives a constant its type: U unsigned, L long (16 bits).
        {"sx28.h",
         "char c; char r;\n"
         "void main(void) { c = -1; r = c < 1U; }\n",
         "r", 0},
        {"sx28.h",
         "unsigned char u; long r;\n"
         "void main(void) { u = 200; r = u + 100L; }\n",
         "r", 300},
        {"sx28.h",
         "long l; char r;\n"
         "void main(void) { l = -1; r = l < 0U; }\n",
         "r", 1},
        {"sx28.h",
         "unsigned long r;\n"
         "void main(void) { r = 0xFFFFul >> 4; }\n",
         "r", 4095},
        // sizeof of types and of expressions, which it never evaluates.
        {"sx28.h",
         "char a[5]; long b[3]; struct s { char x; long y; } v;\n"
         "char r;\n"
         "void main(void) { r = sizeof(a) + sizeof a[0] * 10 + sizeof(b[1]) * 20 + sizeof(v.y) * "
         "40; }\n",
         "r", 135},
        {"sx28.h",
         "struct s { char x; long y; } v, *p; long *lp;\n"
         "struct o { char k; struct s in; } w, *q;\n"
         "long r;\n"
         "void main(void) { r = sizeof(struct s) + sizeof(p->y) * 10 + sizeof(*lp) * 20 + "
         "sizeof(long *) * 40 + sizeof(w.in.y) * 100 + sizeof(q->in) * 3 + sizeof(q->in.x); }\n",
         "r", 103 + 200 + 9 + 1},
        {"sx28.h",
         "char r, k;\n"
         "void main(void) { k = 0; r = sizeof(k++) + sizeof(\"ab\" \"c\") * 10 + k * 100; }\n",
         "r", 41},
        // An expression's size is its type's: the wider operand, an int at least; a shift's
        // left operand; an int for relations and logic; an assignment's target; a comma's
        // last operand. Arrays and strings are pointers there (a char pointer is 2 bytes).
        {"sx28.h",
         "char c; long l; char a[5]; long la[3]; long m[2][3]; int *ip;\n"
         "struct pt { char x; long y; } pts[2], s;\n"
         "unsigned long r;\n"
         "void main(void) { c = 7; r = sizeof(c + 1) + sizeof(l + c) * 2 + sizeof(c << l) * 4 + "
         "sizeof(l < 3) * 8 + sizeof(a + 1) * 16 + sizeof(la + 1) * 32 + sizeof(pts[c].y) * 64 + "
         "sizeof(c = 300) * 128 + sizeof(l && c) * 256 + sizeof(-l) * 512 + sizeof(m[1] + 0) * "
         "1024 + sizeof(c, l) * 2048 + sizeof(ip - ip) * 4096 + sizeof(s.x + pts[1].y) * 8192 + "
         "(c == 7) * 16384; }\n",
         "r", 43601},
        {"sx28.h",
         "char c3[2][3][4]; int (*pa)[3];\n"
         "unsigned long r;\n"
         "void main(void) { r = sizeof(c3 + 0) + sizeof(c3[1] + 0) * 10 + sizeof(c3[1][2] + 0) * "
         "100 + sizeof(*pa + 0) * 1000 + sizeof(pa[1]) * 10000; }\n",
         "r", 31211},
        // Tags have a name space of their own: struct point point; *a sizes a's first element;
        // (*p).m is p->m.
        {"sx28.h",
         "struct point { char x, y; } point; struct foo { long v; }; char foo;\n"
         "char *list[] = {\"*\", \"e\"}; long la[2][3];\n"
         "long r;\n"
         "void main(void) { struct point *p = &point; struct foo f; (*p).y = 4; foo = 3; "
         "f.v = 500; r = (*p).y + foo * 10 + f.v + sizeof(struct foo) * 1000 + "
         "sizeof(list) / sizeof(*list) * 10000 + sizeof(*la) * 100; }\n",
         "r", 4 + 30 + 500 + 2000 + 20000 + 600},
        // A typedef'd pointer to an array (of its own, or to a typedef'd array) reaches rows.
        {"sx28.h",
         "typedef int (*rows)[3]; typedef long (*cube)[2][2]; typedef char (*crow)[4];\n"
         "typedef rows rows2; typedef char row4[4]; typedef row4 *prow;\n"
         "int m[2][3] = {{1, 2, 3}, {4, 5, 6}}; long c3[2][2][2] = {1, 2, 3, 4, 5, 6, 7, 8};\n"
         "char names[3][4] = {\"ab\", \"cde\", \"f\"}; long r;\n"
         "int second(rows x) { return x[1][0]; }\n"
         "void main(void) { rows2 q = m; cube c = c3; crow cr = names; row4 *r4 = names; "
         "prow pr = names; q++; cr++; r = second(m) + (*q)[2] * 10 + c[1][1][0] * 100 + "
         "(cr[0][2] == 'e') * 1000 + (r4[2][0] == 'f') * 2000 + (pr[1][1] == 'd') * 4000 + "
         "(sizeof(rows) + sizeof(q) + sizeof(crow) + sizeof(prow)) * 5000; }\n",
         "r", 4 + 60 + 700 + 1000 + 2000 + 4000 + 20000},
        // A ?: of pointers (or of an array, a pointer to its first element) is that pointer.
        {"sx28.h",
         "int a[3], b[3], *p; char k, ca[3], *cp; long la[3], *lp;\n"
         "struct pt { char x, y; } s1, s2, *sp;\n"
         "long r;\n"
         "void main(void) { a[1] = 5; b[2] = 7; k = 1; p = b; s1.x = 3; s2.y = 6; ca[2] = 9; "
         "cp = ca; la[2] = 300; lp = la; (k ? a : p)[2] = 4; r = (k ? p : a)[2] + *(k ? a + 1 : p) "
         "* 10 + (k ? &s1 : sp)->x * 100 + (k ? &s2 : sp)->y * 1000 + (k ? cp : \"ab\")[2] + "
         "*((k ? la : lp) + 2) + a[2] * 5000; }\n",
         "r", 7 + 50 + 300 + 6000 + 9 + 300 + 20000},
        // A conditional's size is its wider branch's, a call's its return type's, &x's a
        // pointer to x's type (a char pointer is 2 bytes).
        {"sx28.h",
         "struct pt { char x, y, z; } s, mk(void); char c, ca[4], *cp, *h(void); int i, *p;\n"
         "long l, g(void); unsigned long r;\n"
         "void main(void) { r = sizeof(c ? i : l) + sizeof(i ? cp : 0) * 3 + sizeof(&c) * 9 + "
         "sizeof(&i) * 27 + sizeof(&p) * 81 + sizeof(&ca[1]) * 243 + sizeof(&s.x) * 729 + "
         "sizeof(&*cp) * 2187 + sizeof(g()) * 6561 + sizeof(h()) + sizeof(mk()) * 10 + "
         "sizeof(i ? (c, l) : c) * 100; }\n",
         "r", 2 + 6 + 18 + 27 + 81 + 486 + 1458 + 4374 + 13122 + 2 + 30 + 200},
        // Enumerations and structs declared inside a struct; a list ending in a comma;
        // adjacent strings are one string, escapes ending where each string ends.
        {"sx28.h",
         "struct rec { enum { LOW = 3, HIGH, } level; struct inner { char a; char b; } in; char c; "
         "} v;\n"
         "long r;\n"
         "void main(void) { v.level = HIGH; v.in.b = 7; v.c = sizeof(struct rec); r = v.level * "
         "100 + v.in.b * 10 + v.c; }\n",
         "r", 474},
        {"sx28.h",
         "char s[] = \"ab\" \"c\\x4\" \"1\";\n"
         "long r;\n"
         "void main(void) { r = sizeof(s) * 1000 + s[3] * 100 + s[4]; }\n",
         "r", 6449},
        {"sx28.h",
         "char *p; char r, k = 1, s3[3] = \"abc\";\n"
         "struct { char n[2]; char z; } m = {\"xy\", 9};\n"
         "void main(void) { p = \"ab\" \"cd\"; r = p[2] + (\"xyz\"[k] == 'y') + "
         "(\"\\377\"[0] == -1) + (s3[2] == 'c') + (m.n[1] == 'y' && m.z == 9); }\n",
         "r", 103},
        // const objects are read as any other.
        {"sx28.h",
         "const char tbl[3] = {1, 2, 3}; const char *s = \"xy\"; char const c = 4;\n"
         "char r;\n"
         "void main(void) { s = \"zw\"; r = tbl[2] + c + (*s == 'z'); }\n",
         "r", 8},
        // Repeated and extern declarations name one object; a struct tag declared in a function
        // hides the outer one there only; unnamed members are reached as the struct's own.
        {"sx28.h",
         "extern char x;\n"
         "char x;\n"
         "char x = 3;\n"
         "char r;\n"
         "void bump(void) { extern char x; x++; }\n"
         "void main(void) { bump(); r = x; }\n",
         "r", 4},
        {"sx28.h",
         "extern long w[];\n"
         "long r;\n"
         "void main(void) { w[1] = 1000; r = w[1] + sizeof(w); }\n"
         "long w[3];\n",
         "r", 1006},
        {"sx28.h",
         "struct s { char a; char b; } g;\n"
         "long r;\n"
         "void main(void) { struct s { long big; char c; } in; in.big = 1000; in.c = 5; g.b = 7; r "
         "= in.big + in.c + g.b + sizeof(struct s) * 100; }\n",
         "r", 1312},
        {"sx28.h",
         "struct s { char a; char b; } g;\n"
         "char r;\n"
         "void f(void) { struct s { long big; } x; x.big = 1; }\n"
         "void main(void) { struct s y; f(); y.b = 9; r = sizeof(y) * 10 + y.b; }\n",
         "r", 29},
        {"sx28.h",
         "struct v { char t; union { long w; struct { char lo; char hi; }; }; } s, *p;\n"
         "long r;\n"
         "void main(void) { s.w = 0x1234; p = &s; r = s.hi * 1000 + p->lo + sizeof(s); }\n",
         "r", 18055},
        // Designated initialisers, in any order and nesting; what they leave out is 0 (the locals
        // are set to other values by the call before).
        {"sx28.h",
         "struct pt { char x; long y; char z; };\n"
         "long r;\n"
         "void f(char k) { struct pt l = { .z = k }; if (k == 1) { l.x = 9; l.y = 9; } else r = "
         "l.x * 100 + l.y * 10 + l.z; }\n"
         "void main(void) { f(1); f(2); }\n",
         "r", 2},
        {"sx28.h",
         "char r;\n"
         "void f(char k) { char a[4] = { [2] = k, [0] = 1 }; if (k == 5) { a[1] = 7; a[3] = 7; } "
         "else r = a[0] * 100 + a[1] * 10 + a[2] + a[3]; }\n"
         "void main(void) { f(5); f(2); }\n",
         "r", 102},
        {"sx28.h",
         "struct pt { char x; char y; char z; };\n"
         "struct box { char id; struct pt p; char tail[2]; };\n"
         "int *q; long r;\n"
         "void main(void) { struct box b = { .p.z = 6, .tail = \"a\", .id = 1, .p.x = 2, 3 }; q = "
         "&b.id; r = q[0] * 10000 + q[1] * 1000 + q[2] * 100 + q[3] * 10 + (q[4] == 'a'); }\n",
         "r", 12361},
        {"sx28.h",
         "struct pt { char x; char y; } pts[3] = { [2].y = 5, [0] = { .y = 4 }, { 7 } };\n"
         "long r;\n"
         "void main(void) { r = pts[0].y * 1000 + pts[1].x * 100 + pts[2].y * 10 + pts[1].y; }\n",
         "r", 4750},
        {"sx28.h",
         "char t[] = { [4] = 1, 2 };\n"
         "char r;\n"
         "void main(void) { r = sizeof(t); }\n",
         "r", 6},
        {"sx28.h",
         "union u { char c; long w; };\n"
         "long r;\n"
         "void f(char k) { union u v = { .c = k }; if (k == 1) v.w = -1; else r = v.w; }\n"
         "void main(void) { f(1); f(5); }\n",
         "r", 5},
        // Arrays of more dimensions: row-major, indices from variables, nested braces, sizes.
        {"sx28.h",
         "int m[2][3] = {{1, 2, 3}, {4, 5, 6}}; char g[][4] = {{1}, {2, 3}, {4, 5, 6}};\n"
         "long r;\n"
         "void main(void) { int i = 1, j = 2; m[i - 1][j] = 9; r = m[i][j] * 1000 + m[0][2] * "
         "100 + g[2][2] * 10 + sizeof(m[0]) + sizeof(g) - 12; }\n",
         "r", 6963},
        {"sx28.h",
         "long w[2][2] = {1000, 2000, 3000, 4000}; int c[2][2][2]; long r;\n"
         "void main(void) { int i, j, k; for (i = 0; i < 2; i++) for (j = 0; j < 2; j++) for "
         "(k = 0; k < 2; k++) c[i][j][k] = i * 4 + j * 2 + k; r = w[1][1] + c[1][0][1] * 10 + "
         "c[0][1][1]; }\n",
         "r", 4053},
        // Pointers to arrays: a row's step, (*pa)[j], pa[i][j], pa - m in rows; the name of
        // an array of arrays is a pointer to its first row, m[1] one to that row's first int.
        {"sx28.h",
         "int m[2][3] = {{1, 2, 3}, {4, 5, 6}};\n"
         "int (*pa)[3]; int *q; char i = 1, j = 2; long r;\n"
         "void main(void) { pa = m; (*pa)[1] = 20; pa[i][j] = 7; pa++; q = m[1]; r = (*pa)[0] * "
         "10000 + m[0][1] * 100 + q[2] * 10 + (pa - m); pa = m + i - 1; pa += i; r = r + pa[0][1] "
         "* 1000L - 5000; pa = pa - 1; r = r + *(pa[1] + j) - 7 + (pa + i == m + 1); }\n",
         "r", 40000 + 2000 + 70 + 1 + 1 - 65536},
        {"sx28.h",
         "long w[3][2] = {{1000, 2000}, {3000, 4000}, {5000, 6000}}; char g[2][4] = {{1, 2, 3, "
         "4}, {5, 6, 7, 8}}; unsigned char u[2][2] = {{200, 201}, {202, 203}};\n"
         "long (*pl)[2]; char (*pc)[4]; unsigned char (*pu)[2], ud = 200; char *cp; char i = 1; "
         "long r;\n"
         "void main(void) { pl = w; pl[i][1] = 4444; pl++; pc = g + i; pc[0][i + 1] = 70; cp = "
         "pc[0]; pu = u; r = pl[1][0] + (*pl)[1] + cp[2] * 100L + (*pc)[3] + pu[i][1] + "
         "sizeof(*pl) * 1000 + (ud > 100) * 10000; }\n",
         "r", 5000 + 4444 + 7000 + 8 + 203 + 4000 + 10000},
        // A parameter that is an array of arrays (or of a typedef'd array type) is a pointer
        // to its first row.
        {"sx28.h",
         "int m[2][3] = {{1, 2, 3}, {4, 5, 6}}; char g[2][2] = {{7, 8}, {9, 10}};\n"
         "typedef char grid[2][2]; long r;\n"
         "int rowsum(int v[][3], char k) { return v[k][0] + v[k][1] + v[k][2]; }\n"
         "int last(int v[2][3], char k) { v[k][2] = 30; return v[k][2]; }\n"
         "int next(int (*p)[3]) { p++; return (*p)[0]; }\n"
         "char corner(grid t) { return t[1][1]; }\n"
         "char bytes(char t[][2], char k) { return t[k][0] + sizeof(t[0]); }\n"
         "void main(void) { r = rowsum(m, 1) * 1000; r = r + last(m, 0) * 100; r = r + next(m) * "
         "10 + m[0][2]; r = r + corner(g) * 1000 + bytes(g + 1, 0); }\n",
         "r", 15000 + 3000 + 40 + 30 + 10000 + 11},
        // Three dimensions, a member array of arrays through a pointer, a typedef of an array
        // of arrays and the size of one, and variable steps of pointers to 3-byte objects.
        {"sx28.h",
         "int c[2][2][3]; int (*p3)[2][3]; int (*p2)[3]; char i, j, k;\n"
         "struct s { char a; int m[2][3]; long w[2][2]; } st, *p; long r;\n"
         "void main(void) { for (i = 0; i < 2; i++) for (j = 0; j < 2; j++) for (k = 0; k < 3; "
         "k++) c[i][j][k] = i * 6 + j * 3 + k; p3 = c; p2 = c[1]; p3++; p = &st; i = 1; "
         "p->m[i][2] = 12; p->w[i][0] = 1234; p2 = p->m; r = p3[0][1][2] * 1000 + p2[1][2] * 10 "
         "+ st.w[1][0] + (*p3)[0][1] + sizeof(*p3) * 100 + sizeof(p->m); }\n",
         "r", 11000 + 120 + 1234 + 7 + 600 + 6},
        {"sx28.h",
         "typedef char grid[2][3]; grid g = {{1, 2, 3}, {4, 5, 6}};\n"
         "struct pt { char x; char y; char z; } pts[4], *sp, *sq; char i = 2; long r;\n"
         "void main(void) { sp = pts + i; sq = pts; sp->y = 5; sp = sp - i + 3; sp->z = 6; r = "
         "g[1][2] * 1000 + (sizeof(grid) + sizeof(long[2][3])) * 100 + (sp - sq) * 10 + "
         "pts[2].y + pts[3].z * 1000; }\n",
         "r", 6000 + 1800 + 30 + 5 + 6000},
        {"sx52.h",
         "char pad1[16]; char pad2[16]; long w[2][3] = {{100, 200, 300}, {400, 500, 600}}; char "
         "pad3[16]; char g[3][4];\n"
         "long (*pl)[3]; char (*pc)[4]; char i = 1, j = 2; long r;\n"
         "void main(void) { pad1[0] = 1; pad2[0] = 2; pad3[0] = 3; pl = w + i; pc = g; pc[j][3] = "
         "9; pc[i][0] = 4; (*pl)[j] += 5; pl--; r = pl[1][2] + pl[0][i] * 10 + g[2][3] * 1000 + "
         "pc[1][0] * 10000L; }\n",
         "r", 605 + 2000 + 9000 + 40000 - 65536},
        // An array's name is a pointer to its first element; an array parameter is a pointer.
        {"sx28.h",
         "int a[4] = {10, 20, 30, 40}; long w[3] = {1000, 2000, 3000}; int m[2][2] = {5, 6, 7, "
         "8};\n"
         "int *p; long *q; long r;\n"
         "int sum(int v[], int n) { int s = 0; int i; for (i = 0; i < n; i++) s += v[i]; return "
         "s; }\n"
         "long ends(long v[3]) { return v[0] + v[2]; }\n"
         "int after(int *e) { return e - a; }\n"
         "void main(void) { p = a; q = w + 1; r = *(a + 1) + p[2] * 2 + sum(a, 4) + *q + "
         "ends(w) + after(a + 3) * 1000 + (p == a) + m[1][1] * 100 + *(m[1] + 0); }\n",
         "r", 9988},
        // Pointers: to pointers, arrays of them, casts to them, functions returning them,
        // and objects reached through them in parentheses.
        {"sx28.h",
         "long a[2] = {100, 200}; long *ps[2]; long **pp; long r;\n"
         "void main(void) { ps[0] = &a[1]; ps[1] = a; pp = ps; r = *pp[0] + **(pp + 1) * 10; "
         "(**pp)++; r = r + a[1]; }\n",
         "r", 1401},
        {"sx28.h",
         "char *names[] = {\"ab\", \"cde\"}; int m[2] = {5, 6}; int *t[2] = {m, &m[1]};\n"
         "char *s; int i = 1; long r;\n"
         "void main(void) { s = names[i]; r = s[2] * 100 + names[0][1] + t[1][0] * 1000 + "
         "t[0][1] * 10000 + sizeof(names) + sizeof(t); }\n",
         "r", 101 * 100 + 98 + 6000 + 60000 - 65536 + 6},
        {"sx28.h",
         "int v @ 0x30; long w[2] = {300, 400}; struct pt { int x; int y; } s; long r;\n"
         "int *f(int *x) { return x + 1; }\n"
         "long *g(void); struct pt *h(void) { return &s; }\n"
         "void main(void) { int *p; int k[3] = {1, 2, 3}; v = 7; p = (int *)0x30; (*p)++; "
         "*f(k) = 5; h()->y = 4; r = *p * 1000 + k[1] * 100 + h()->y * 10 + (*g() == 400); }\n"
         "long *g(void) { return (long *)&w[1]; }\n",
         "r", 8541},
        // Member arrays: elements by index, through a pointer, as pointers; the address of a
        // member of an element of an array of structs.
        {"sx28.h",
         "struct in { char a; long w[2]; };\n"
         "struct pt { char x; char y; char m[3]; struct in n; } s, *p;\n"
         "long r; char i = 1; char *cp; long *lp;\n"
         "void main(void) { p = &s; s.m[2] = 6; p->m[1] = 5; p->m[i] += 2; s.n.w[i] = 1000; "
         "s.n.w[0] = -3; cp = p->m; lp = s.n.w; r = s.m[i] * 100 + p->m[2] * 10 + cp[2] + "
         "s.m[0] + s.n.w[1] + lp[0] + lp[1]; }\n",
         "r", 766 + 1997},
        {"sx28.h",
         "struct pt { char x; char y; long w; } pts[3];\n"
         "long r; char i = 1; char *cp; long *lp; int *ip;\n"
         "void main(void) { cp = &pts[i].y; *cp = 9; lp = &pts[2].w; *lp = 1234; ip = "
         "&pts[i].x; *ip = 4; r = pts[1].y * 1000 + pts[2].w + pts[1].x * 10; }\n",
         "r", 10274},
        // A member struct through a pointer, and the address of an element of an array of
        // structs.
        {"sx28.h",
         "struct in { char a; long w; };\n"
         "struct pt { char x; struct in n; char z; } s, t[3], *p;\n"
         "long r; char i = 2;\n"
         "void main(void) { p = &s; p->n.a = 7; p->n.w = 1234; p->n.a += 2; p = &t[1]; p->x = 4;"
         " p->n.w = -5; p->n.w++; p = &t[i]; p->z = 6; r = s.n.a * 1000 + s.n.w + t[1].n.w * 10 "
         "+ t[1].x + t[2].z; }\n",
         "r", 9000 + 1234 - 40 + 4 + 6},
        // Char pointers reach RAM as well as strings: copied into a buffer, stepped, written
        // (a store through a pointer to a string changes nothing), returned, cast, in arrays.
        {"sx28.h",
         "char buf[6]; char x; long r; char *p; const char *msg = \"hey\";\n"
         "unsigned char len(char *s) { unsigned char n = 0; while (*s) { s++; n++; } return n; }\n"
         "void copy(char *d, const char *s) { while (*s) *d++ = *s++; *d = 0; }\n"
         "void main(void) { copy(buf, msg); p = &x; *p = 4; p = buf; p[4] = 7; (*p)++; p = "
         "\"xyz\"; *p = 1; p[1] = 2; r = len(buf) * 10000 + len(\"ab\") * 1000 + x * 100 + "
         "buf[4] * 10 + (p[0] == 'x' && p[1] == 'y') + buf[0] - 'h'; }\n",
         "r", 32472},
        {"sx28.h",
         "char buf[4] = {5, 6, 7, 8}; char x = 3; char rows[2][3] = {{1, 2, 3}, {4, 5, 6}};\n"
         "int q = 4; int *ip; char *names[2]; long r;\n"
         "char *pick(char k) { if (k) return buf; return \"q\"; }\n"
         "char *addrx(void) { return &x; }\n"
         "char *proto(void);\n"
         "void main(void) { char *p; ip = &q; names[0] = &x; names[1] = buf; p = rows[1]; r = "
         "*pick(1) * 10000 + (*pick(0) == 'q') * 1000 + *addrx() * 100 + names[0][0] * 10 + "
         "names[1][3] + p[2] + *(char *)ip + (proto() == 0) + *(int *)names[1]; }\n"
         "char *proto(void) { return 0; }\n",
         "r", 51354},
        {"sx28.h",
         "unsigned char ub[2] = {200, 201}; char sb[2] = {-3, 4}; unsigned char *up; char *sp;\n"
         "long r;\n"
         "void main(void) { up = ub; sp = sb; r = up[1] * 100 + *sp; }\n",
         "r", 20097},
        {"sx52.h",
         "char buf[6]; long r;\n"
         // 193 characters: a packed string table, read from past its first half.
         "const char *msg = \"0123456789012345678901234567890123456789012345678901234567890\"\n"
         "\"1234567890123456789012345678901234567890123456789012345678901234567890\"\n"
         "\"12345678901234567890123456789012345678901234567890123456789XYZ\";\n"
         "unsigned char len(char *s) { unsigned char n = 0; while (*s) { s++; n++; } return n; }\n"
         "void copy(char *d, const char *s) { while (*s) *d++ = *s++; *d = 0; }\n"
         "void main(void) { copy(buf, msg + 190); r = len(buf) * 1000 + buf[2] + len(msg) * "
         "100L; }\n",
         "r", 22390},
        {"sx28.h",
         "struct pt { char x; long y; char z; } a = { .z = 3, .x = 1, .y = 2, .x = 4 };\n"
         "long r;\n"
         "void main(void) { r = a.x * 100 + a.y * 10 + a.z; }\n",
         "r", 423},
        // Structs and unions as values: an argument is the callee's own copy, a returned one
        // comes back whole (through the function's return area), whatever its members.
        {"sx28.h",
         "struct pt { char x; long y; } a;\n"
         "long r;\n"
         "long f(char k, struct pt p, char m) { p.x = p.x + k; p.y = p.y * m; return p.x + p.y; "
         "}\n"
         "void main(void) { a.x = 3; a.y = 1000; r = f(2, a, 3) + a.x * 1000 + a.y; }\n",
         "r", 3005 + 3000 + 1000},
        {"sx28.h",
         "union w { long l; struct { char lo; char hi; } b; };\n"
         "char r;\n"
         "char high(union w v) { v.b.lo = 0; return v.b.hi + v.b.lo; }\n"
         "void main(void) { union w u; u.l = 0x1234; r = high(u) + u.b.lo; }\n",
         "r", 0x12 + 0x34},
        {"sx28.h",
         "struct pt { char x; long y; } a;\n"
         "long r;\n"
         "struct pt make(char x) { struct pt t; t.x = x; t.y = x * 100; return t; }\n"
         "struct pt twice(char x) { return make(x + x); }\n"
         "void main(void) { a = make(3); r = a.x * 1000 + a.y + twice(4).y * 10; }\n",
         "r", 3000 + 300 + 8000},
        {"sx28.h",
         "struct big { long a; long b; char c; } g, m;\n"
         "long r;\n"
         "struct big make(long v) { struct big t; t.a = v; t.b = -v; t.c = 7; return t; }\n"
         "struct big pass(struct big s) { s.c = s.c + 1; return s; }\n"
         "void main(void) { m = make(1234); g = pass(m); r = g.a + g.b * 2 + g.c * 100 + m.c; }\n",
         "r", 1234 - 2468 + 800 + 7},
        {"sx28.h",
         "struct pt { char x; long y; };\n"
         "struct outer { char k; struct pt in; } o, o2;\n"
         "long r;\n"
         "struct outer wrap(struct outer s) { s.in.y = s.in.y + 1; s.k = s.k * 2; return s; }\n"
         "void main(void) { o.k = 7; o.in.y = 41; o2 = wrap(o); r = o2.in.y * 100 + o.in.y * 10 "
         "+ o2.k + o.k; }\n",
         "r", 4200 + 410 + 14 + 7},
        {"sx28.h",
         "typedef struct pt { char x; long y; } pt_t;\n"
         "pt_t a;\n"
         "long r;\n"
         "pt_t shift(pt_t p, char d);\n"
         "void main(void) { a.x = 1; a.y = 500; a = shift(a, 2); r = a.y * 10 + a.x; }\n"
         "pt_t shift(pt_t p, char d) { p.x = p.x + d; p.y = p.y + d; return p; }\n",
         "r", 5023},
        // Elements of arrays of structs and structs through pointers copy whole too, with
        // variable subscripts (through FSR), as arguments and as returned values.
        {"sx28.h",
         "struct pt { char x; long y; } a, b, pts[4], *q;\n"
         "char i, j;\n"
         "long r;\n"
         "struct pt make(char x) { struct pt t; t.x = x; t.y = x * 100; return t; }\n"
         "void main(void) { i = 1; j = 3; pts[i] = make(5); pts[j] = pts[i]; pts[j].x = 9; "
         "pts[0] = pts[3]; b = pts[0]; q = &a; *q = pts[j]; a.y = a.y + 1; pts[2] = *q; r = "
         "pts[2].y * 10 + pts[1].x + b.x * 1000; }\n",
         "r", 5010 + 5 + 9000},
        {"sx28.h",
         "struct pt { char x; long y; } a, pts[3], *q;\n"
         "char i;\n"
         "long r;\n"
         "struct pt pick(char k) { return pts[k]; }\n"
         "struct pt deref(struct pt *p) { return *p; }\n"
         "long f(char k, struct pt p, char m) { p.y = p.y + k + m; return p.y + p.x; }\n"
         "void main(void) { pts[1].x = 5; pts[1].y = 500; a.x = 9; a.y = 501; q = &a; i = 1; r = "
         "f(1, pts[i], 2) + f(0, *q, 0) * 10; a = pick(i); r = r + a.y + deref(pts + 1).x; r = "
         "r + f(0, pts[1], 0); }\n",
         "r", 508 + 5100 + 500 + 5 + 505},
        // A call whose struct result nothing reads runs for its effects: as a statement, in
        // an if's body, in a for loop's first and third parts, before a comma. A comma
        // statement runs every operand.
        {"sx28.h",
         "struct pt { char x; long y; } a;\n"
         "char n, k, q;\n"
         "long r;\n"
         "struct pt bump(char v) { struct pt t; n = n + v; t.x = n; return t; }\n"
         "void main(void) { n = 1; bump(2); if (n) bump(3); for (bump(1); n < 30; bump(2)) k++; "
         "bump(1), q = 4; r = (bump(1), 50); a = bump(0); n = n + 1, k = k + 1, q = q + 1; r = r "
         "+ a.x * 1000 + n * 100 + k + q * 10; }\n",
         "r", 50 + 33000 + 3400 + 13 + 50},
        // A parenthesised comma expression is its last operand's value, whatever surrounds
        // it and whatever its first operands are.
        {"sx28.h",
         "int x, y, a, b, c; long l;\n"
         "long r;\n"
         "void main(void) { x = 3; y = 0; l = 300; a = 1; b = 2; c = 3; r = (x, 5) + y; r = r * "
         "10 + ((y, x) + 0); r = r + (a, b, c) * 100; r = r + sizeof((x, l)) * 1000; r = r + "
         "((a = 4, b) + a) * 1000; }\n",
         "r", 8353},
        // A call's struct result passed straight on is copied from the call's return area.
        {"sx28.h",
         "struct pt { char x; long y; };\n"
         "char n;\n"
         "long r;\n"
         "struct pt make(char v) { struct pt t; n = n + v; t.x = v; t.y = v * 100; return t; }\n"
         "long sum(struct pt p, char k) { return p.x + p.y + k; }\n"
         "void main(void) { n = 0; r = sum(make(4), n) * 10 + sum(make(2), 3); }\n",
         "r", 4080 + 205},
        // A struct defined among the specifiers keeps the declaration's storage class and
        // its @ address: a static local's initialiser runs once.
        {"sx28.h",
         "struct { char a, b; } regs @ 0x31; char k @ 0x32;\n"
         "char tick(void) { static struct { char n; } s = {1}; s.n++; return s.n; }\n"
         "char tock(void) { static union T { char n; } t = {1}; t.n++; return t.n; }\n"
         "long r;\n"
         "void main(void) { tick(); tock(); regs.b = 4; r = tick() * 100 + tock() * 10 + k; }\n",
         "r", 300 + 30 + 4},
        // &p->m is a pointer of the member's type: a list is walked by the address of its
        // links.
        {"sx28.h",
         "struct node { char v; long w; struct node *next; } n1, n2, n3, *head;\n"
         "void insert(struct node *n) { struct node **pp = &head;\n"
         "  while (*pp && (*pp)->v < n->v) pp = &(*pp)->next; n->next = *pp; *pp = n; }\n"
         "long r;\n"
         "void main(void) { struct node *p = &n1; long *lp = &p->w; char *cp = &p->v;\n"
         "  n1.v = 5; n2.v = 3; n3.v = 9; *lp = 700; *cp += 1; insert(&n1); insert(&n3);\n"
         "  insert(&n2); r = n1.w + head->v * 1000 + head->next->v * 100 + head->next->next->v "
         "* 10 + (n3.next == 0); }\n",
         "r", 700 + 3000 + 600 + 90 + 1},
        // A K&R definition takes its parameters in the identifier list's order; one left
        // undeclared is an int.
        {"sx28.h",
         "struct pt { char x, y; } s; int arr[3] = {4, 5, 6};\n"
         "long g(a, b) char b; long a; { return a - b; }\n"
         "char f(q, k, n) char k; struct pt *q; { return q->y + k * n; }\n"
         "long h(p, n) int n; int *p; { return p[n]; }\n"
         "int one(x) { return x + 1; }\n"
         "long r;\n"
         "void main(void) { s.y = 4; r = g(1000, 3) * 10 + f(&s, 3, 2) + h(arr, 2) * 1000 + "
         "one(99) * 100; }\n",
         "r", 9970 + 10 + 6000 + 10000},
        // A struct call after a comma runs after the operands before it.
        {"sx28.h",
         "struct pt { char x; long y; } g;\n"
         "char n, i;\n"
         "long r;\n"
         "struct pt make(char v) { struct pt t; t.x = v + n; t.y = 0; return t; }\n"
         "void main(void) { n = 5, g = make(3); r = g.x; for (i = 0, g = make(1); i < 2; i++, "
         "g = make(i)) ; n = 1, make(2); r = r * 100 + g.x * 10 + n; }\n",
         "r", 800 + 70 + 1},
        // Member structs copy whole: of a variable, behind a pointer, two members deep, as a
        // returned value.
        {"sx28.h",
         "struct in { char x; long y; };\n"
         "struct out { char k; struct in in; struct in two; } o, *q;\n"
         "struct deep { char a; struct out o; } d, *dp;\n"
         "struct in b, c;\n"
         "long r;\n"
         "struct in second(void) { return q->two; }\n"
         "void main(void) { q = &o; dp = &d; o.in.x = 5; o.in.y = 700; b = q->in; b.x = b.x + "
         "6; q->two = b; d.o.in = o.two; c = dp->o.in; o.in = second(); dp->o.two = o.in; r = "
         "c.x * 1000 + c.y + d.o.two.y * 10 + d.o.in.x * 100; }\n",
         "r", 11000 + 700 + 7000 + 1100},
        // Member structs of elements of arrays of structs copy whole, and member structs pass
        // as arguments.
        {"sx28.h",
         "struct in { char a; long b; };\n"
         "struct out { char k; struct in in; } oa[3], o;\n"
         "union u { char c; long l; }; struct hu { char k; union u u; } hh[2];\n"
         "struct in x; char i;\n"
         "long r;\n"
         "long sum(struct in v) { v.a = v.a + 1; return v.a + v.b; }\n"
         "char low(union u w) { return w.c; }\n"
         "void main(void) { i = 2; oa[i].in.a = 3; oa[2].in.b = 1000; x = oa[i].in; oa[0].in = "
         "x; oa[1].in = oa[i].in; oa[1].in.b = 20; o.in = oa[1].in; hh[1].u.l = 0x1207; r = "
         "sum(oa[i].in) * 10 + sum(o.in) + oa[0].in.b * 10 + low(hh[i - 1].u) + oa[2].in.a; }\n",
         "r", 10040 + 24 + 10000 + 7 + 3},
        // Pointer members of elements of arrays of structs too; * of a call returning a
        // pointer is an object in parentheses.
        {"sx28.h",
         "struct e { char k; int *p; long *lp; struct e *next; } es[3];\n"
         "int v[3]; long w[2]; int g;\n"
         "long r;\n"
         "int *getp(void) { return &g; }\n"
         "long *getw(char i) { return &w[i]; }\n"
         "void main(void) { char i = 1; es[i].p = v; es[1].lp = w; es[0].next = &es[2]; "
         "es[2].k = 3; *es[i].p = 4; es[1].p[2] = 6; es[i].lp++; *es[i].lp = 500; "
         "(*es[1].p)++; *getp() = 3; (*getp())++; (*getw(0)) += 20; ++(*getw(0)); r = v[0] * "
         "1000 + v[2] * 100 + w[1] + es[0].next->k * 10 + (es[i].lp - w) + g * 10000 + w[0]; }\n",
         "r", 5000 + 600 + 500 + 30 + 1 + 40000 + 21},
        // A member array of an element of an array of structs is a pointer to its first
        // element: subscripted, stepped through, passed on.
        {"sx28.h",
         "struct s { char k; long w[2]; char name[3]; } ss[2];\n"
         "union u { int i; char c[2]; } us[2];\n"
         "long r;\n"
         "char len(char *p) { char n = 0; while (p[n]) n++; return n; }\n"
         "long sum(long *p) { return p[0] + p[1]; }\n"
         "void main(void) { char i = 1, j = 1; ss[i].w[j] = 300; ss[i].w[0] = 5; ss[i].w[j] += "
         "2; ss[1].w[j]++; ss[i].name[0] = 'a'; ss[i].name[1] = 'b'; us[i].c[0] = 7; r = "
         "sum(ss[i].w) * 10 + len(ss[i].name) * 1000 + us[1].i * 10000; }\n",
         "r", 3080 + 2000 + 70000 - 65536},
        // Members of elements wherever the elements are: in arrays of more dimensions, in a
        // member array of structs, behind a pointer to structs subscripted (arr[i].x of a
        // parameter), and &q[i].
        {"sx28.h",
         "struct pt { char x; char y; };\n"
         "struct poly { char n; struct pt pts[3]; } pl, *pp;\n"
         "struct wrap { char k; struct poly p; } w;\n"
         "struct pt g[2][3], *q;\n"
         "long r;\n"
         "long total(struct pt *arr, char n) { long s = 0; char i; for (i = 0; i < n; i++) s += "
         "arr[i].x * 10 + arr[i].y; return s; }\n"
         "void main(void) { char i = 2, j = 1; pp = &pl; pl.pts[i].x = 4; pl.pts[1].y = 3; "
         "pp->pts[0].x = 1; pp->pts[i].y = 2; pl.pts[i].x++; pp->pts[j].y += 5; w.p.pts[j].x = "
         "6; g[1][i].y = 7; g[j][0].x = g[1][i].y + 1; q = pl.pts; q = &q[j]; q[1].y = 9; r = "
         "total(pl.pts, 3) * 10 + w.p.pts[1].x + g[1][0].x * 1000 + (q - pl.pts) * 10000; }\n",
         "r", (10 + 8 + 59) * 10 + 6 + 8000 + 10000},
        // A RAM address in an initialiser's char pointer part takes the tag as a store does:
        // a struct's member, an element of an array of char pointers; 0 stays null.
        {"sx28.h",
         "char g0 = 5, g1 = 6; long a[2] = {5, 6};\n"
         "char *t[2] = {&g0, \"ab\"};\n"
         "struct H { char k; char *m; long *lp; } hs[2] = {{1, &g1, a}, {2, 0, 0}};\n"
         "long r;\n"
         "void main(void) { *t[0] = 1; *hs[0].m = 2; r = g0 * 1000 + g1 * 100 + t[1][1] + "
         "(hs[1].m == 0) * 10000 + *(hs[0].lp + 0) * 20000; }\n",
         "r", 1000 + 200 + 'b' + 10000 + 100000 - 65536},
        // A storage class without a type word declares an int, a function returning one too.
        {"sx28.h",
         "static k = 3; extern m; int m = 4;\n"
         "typedef struct pt { char x; } *ptp;\n"
         "static struct pt sp; static enum e { A, B } ee;\n"
         "static twice(char v) { return v * 2; }\n"
         "static ptp self(register ptp p) { return p; }\n"
         "int g(a) register a; { return a + 1; }\n"
         "long r;\n"
         "void main(void) { sp.x = 2; ee = B; r = twice(k) * 100 + g(m) * 10 + sizeof(k) + "
         "self(&sp)->x * 1000 + ee * 10000; }\n",
         "r", 600 + 50 + 1 + 2000 + 10000},
        // The standard headers of a freestanding program name this dialect's widths.
        {"sx28.h",
         "#include <stdint.h>\n#include <stddef.h>\n#include <limits.h>\n"
         "uint8_t u; int8_t s; uint16_t w; int16_t l; size_t n; char *p;\n"
         "long r;\n"
         "void main(void) { u = UINT8_MAX; u++; s = INT8_MAX; s++; w = UINT16_MAX; w = w + 2; l "
         "= INT16_MIN; n = sizeof(uint16_t) + sizeof(int8_t); p = NULL; r = u + (s == INT8_MIN) "
         "* 10 + w * 100 + (l < 0) * 1000 + n * 2000 + (p == NULL) * 2 + (CHAR_BIT == 8) * 4 + "
         "(INT_MAX == 127) * 20 + (ULONG_MAX == 65535) * 200; }\n",
         "r", 10 + 100 + 1000 + 6000 + 2 + 4 + 20 + 200},
        // Pointer members are pointers: read through (*s.p, s.p[i], a list's p->next->v),
        // stepped by what they point at, compared and subtracted as pointers.
        {"sx28.h",
         "struct pt { char x; char y; char z; } pts[4];\n"
         "struct n { char v; struct n *next; struct pt *cur; long *lp; char *cp; int *ip; } a, "
         "b, c, *h, *q;\n"
         "long w[2]; char buf[3]; int k, cnt;\n"
         "long r;\n"
         "void main(void) { a.v = 1; b.v = 2; c.v = 3; a.next = &b; b.next = &c; h = &a; "
         "for (q = h; q; q = q->next) cnt = cnt + q->v; h->next->next->v = 5; a.lp = w; "
         "a.lp++; *a.lp = 300; h->lp--; h->lp[0] = 7; h->cp = buf; h->cp[2] = 4; *a.cp = 1; "
         "a.ip = &k; (*h->ip)++; *a.ip += 2; a.cur = pts; a.cur += 2; h->cur++; "
         "a.cur->y = 6; r = cnt * 1000 + c.v * 100 + w[1] + w[0] * 10 + buf[2] * 100 + buf[0] "
         "+ k * 1000 + (a.cur - pts) * 100 + pts[3].y * 10 + (h->cur == &pts[3]); }\n",
         "r", 6000 + 500 + 300 + 70 + 400 + 1 + 3000 + 300 + 60 + 1},
        // A string's pointer is never the null pointer, the first string's included; an
        // object in double parentheses is stepped in place.
        {"sx28.h",
         "char *s, *t; int v, *p;\n"
         "long r;\n"
         "void main(void) { s = \"ab\"; t = \"cd\"; p = &v; v = 4; ((*p))++; ((v)) += 2; r = (s "
         "== 0) * 10 + (t == 0) + (s != 0) * 100 + v * 1000; if (s) r = r + 1; }\n",
         "r", 100 + 7000 + 1},
        // A const pointer stores where it points: the const covers the pointer only.
        {"sx28.h",
         "int buf[3]; int * const p = buf; typedef int *ip; const ip q = buf;\n"
         "long r;\n"
         "void main(void) { p[1] = 5; q[2] = 7; *p = 1; r = buf[0] * 100 + buf[1] * 10 + "
         "buf[2]; }\n",
         "r", 157},
        // p[i][j] on a pointer to pointers steps the pointer the first subscript reads.
        {"sx28.h",
         "int m[2][3]; int *rows[2]; int **pp; char i, j;\n"
         "long r;\n"
         "void main(void) { rows[0] = m[0]; rows[1] = m[1]; pp = rows; m[1][2] = 9; m[0][1] = 4; "
         "i = 1; j = 2; pp[i][j - 1] = 33; r = pp[i][j] + pp[0][1] * 10 + m[1][1] * 100; }\n",
         "r", 9 + 40 + 3300},
        // A char ** is a RAM pointer to a two-byte char pointer: reads follow its tag into a
        // string or RAM, stores go to its RAM byte, steps move it by one char.
        {"sx28.h",
         "char *s; char **sp; char buf[4]; unsigned char *us; unsigned char **usp; char k;\n"
         "long r;\n"
         "void main(void) { char a, b, c, d, e, f;\n"
         "  s = \"hello\"; sp = &s; a = **sp; b = (*sp)[1]; c = sp[0][2]; (*sp)++; d = **sp;\n"
         "  *sp = buf; **sp = 5; sp[0][1] = 6; *(*sp + 2) = 7; e = *(*sp)++; e += **sp;\n"
         "  f = *sp - buf; us = \"\\xC8\"; usp = &us; *sp = &k; **sp = 9;\n"
         "  r = (long)a + b + c + d + (buf[0] + buf[1] * 2 + buf[2] * 3) * 100 + e * 1000 +\n"
         "      f * 20 + (**usp == 200) * 10 + k; }\n",
         "r", 'h' + 'e' + 'l' + 'e' + 3800 + 11000 + 20 + 10 + 9},
        // A third and a fourth level: reads, stores, compound assignments, steps and
        // subscripts through each.
        {"sx28.h",
         "int x, y; int *p, *p2; int **pp; int ***ppp; int ****pppp; long r;\n"
         "void main(void) { char a, b, c, d;\n"
         "  x = 10; y = 20; p = &x; p2 = &y; pp = &p; ppp = &pp;\n"
         "  ***ppp = 4; ***ppp += 3; (***ppp)++; a = x; **ppp = &y; b = ***ppp;\n"
         "  ppp[0][0][0] = 9; (**ppp)++; c = p - &y; *ppp = &p2; d = ***ppp + ppp[0][0][0];\n"
         "  pppp = &ppp; ****pppp = 30; (****pppp)--;\n"
         "  r = a + b * 10 + d * 100 + c * 2000 + pppp[0][0][0][0] * 500; }\n",
         "r", 8 + 200 + 1800 + 2000 + 29 * 500},
        {"sx28.h",
         "long lx[3]; long *lp; long **lpp; long ***lppp; long r;\n"
         "void main(void) { lx[0] = 1000; lx[1] = 2000; lx[2] = -3; lp = lx; lpp = &lp;\n"
         "  lppp = &lpp; ***lppp += 5; (**lppp)++; r = ***lppp; **lppp += 1;\n"
         "  r = r + lppp[0][0][0] * 10 + lx[0]; }\n",
         "r", 2000 - 30 + 1005},
        // A pointer reached through a pointer, or an element of an array of pointers, steps by
        // its own element: (*pp)++ on a long ** moves the long pointer two bytes.
        {"sx28.h",
         "long a[4]; long *ps[2]; long *lp; long **pp; char buf[4]; char *cp; char **cpp;\n"
         "long r;\n"
         "void main(void) { char r1, r2, r3, r4, r5;\n"
         "  ps[0] = a; ps[1] = a; ps[1]++; ps[1] += 1; r1 = ps[1] - a;\n"
         "  lp = a; pp = &lp; (*pp)++; r2 = lp - a; *pp += 1; r3 = lp - a; (*pp)--;\n"
         "  *(*pp)++ = 700; **pp = 800; r4 = lp - a;\n"
         "  cp = buf; cpp = &cp; *(*cpp)++ = 4; *(*cpp)++ = 5; r5 = cp - buf;\n"
         "  r = r1 + r2 * 10 + r3 * 100 + r4 * 1000 + r5 * 10000 + a[1] + a[2] + buf[0] +\n"
         "      buf[1]; }\n",
         "r", 2 + 10 + 200 + 2000 + 20000 + 1500 + 9},
        // Functions returning a pointer to pointers or a void pointer, with and without
        // prototypes; a void pointer converts to an object pointer without a cast.
        {"sx28.h",
         "int x, y; int *p; long lv; long *lp; char *cp; char buf[3];\n"
         "int **getpp(void);\n"
         "int **getpp(void) { return &p; }\n"
         "long **getlpp() { return &lp; }\n"
         "void *getv() { return &x; }\n"
         "void *getvl(void);\n"
         "char **getcpp() { return &cp; }\n"
         "void *vp; void **vpp; long r;\n"
         "void main(void) { int *q; long *lq; char r1, r2, r3, r4, r5, r6;\n"
         "  p = &y; **getpp() = 5; r1 = y; *getpp() = &x; **getpp() = 6; r2 = x;\n"
         "  lp = &lv; **getlpp() = 1234; q = getv(); *q += 2; r3 = x; lq = getvl(); *lq += 1;\n"
         "  cp = buf; **getcpp() = 9; getcpp()[0][1] = 8; r4 = buf[0] + buf[1];\n"
         "  vpp = &vp; *vpp = &y; q = *vpp; *q = 11; r5 = y; vp = getv(); q = vp; r6 = *q;\n"
         "  r = lv * 10 + r1 * 1000 + r2 * 100 + r3 * 10 + r4 + r5 * 200 + r6 * 1000; }\n"
         "void *getvl(void) { return &lv; }\n",
         "r", 12350 + 5000 + 600 + 80 + 17 + 2200 + 8000},
        // A typedef's pointers go under the declarator's own (ip *q is an int **q, ip t[3] an
        // array of int pointers); a typedef may add two pointers, or an array of pointers.
        {"sx28.h",
         "typedef int *ip; typedef int **ipp; typedef char *str; typedef char *strs[3];\n"
         "typedef long *lptr; typedef ip three[3];\n"
         "int x, y, z; ip p = &x; ip *q; ipp qq; ip arr[3]; str s; str *sp;\n"
         "strs names = {\"ab\", \"cde\", \"f\"}; const ip cpx = &z; lptr lt[2]; long lv[2];\n"
         "three t3; long r;\n"
         "void main(void) { char r1, r2, r3, r4, r5, r6, r7, r8, r9;\n"
         "  q = &p; **q = 3; r1 = x; qq = q; **qq += 1; r2 = x;\n"
         "  arr[0] = &x; arr[1] = &y; arr[2] = &z; *arr[1] = 7; r3 = y + *arr[0];\n"
         "  q = arr; q[2][0] = 12; r4 = z; s = \"xyz\"; sp = &s; r5 = sp[0][1];\n"
         "  r6 = names[1][2] + sizeof(names); r7 = names[2][0]; r8 = *cpx;\n"
         "  lv[0] = 300; lv[1] = 400; lt[0] = lv; lt[1] = &lv[1]; r9 = (*lt[1] - *lt[0]) / 10;\n"
         "  t3[2] = &y; *t3[2] += 1;\n"
         "  r = r1 + r2 * 10 + r3 * 100 + r4 + r5 + r6 + r7 + r8 * 10 + r9 * 100 + y * 1000 +\n"
         "      sizeof(three) * 10 + sizeof(ipp) * 2; }\n",
         "r", 3 + 40 + 1100 + 12 + 'y' + 'e' + 6 + 'f' + 120 + 1000 + 8000 + 30 + 2},
        // Arrays of pointers to pointers, of void pointers and of pointers to char pointers;
        // parameters of each level (char *argv[] is a char **); casts to void * and to
        // pointers to pointers; sizeof of each.
        {"sx28.h",
         "int x, y; int *p; char *s; char buf[3];\n"
         "int **t2[2]; void *vt[2]; char **ct[2];\n"
         "struct pt { char a, b; } st; struct pt *stp; struct pt **spp; void *vp; long r;\n"
         "void setpp(int **pp, int v) { **pp = v; *pp = &y; }\n"
         "void setcpp(char **a) { **a = 'Q'; (*a)++; }\n"
         "void seta(int *a[], char k) { *a[k] = 33; }\n"
         "void setv(void *v) { int *q; q = v; *q = 44; }\n"
         "char firstch(char *argv[]) { return argv[1][0]; }\n"
         "void main(void) { char *two[2]; int *ia[2]; int *q;\n"
         "  char r1, r2, r3, r4, r5, r6, r7, r8, r9, r10, r11, r12, r13;\n"
         "  p = &x; t2[1] = &p; t2[1][0][0] = 20; r1 = x;\n"
         "  vt[0] = &y; vt[1] = vt[0]; q = vt[1]; *q = 2; r2 = y;\n"
         "  s = \"xyz\"; ct[0] = &s; r3 = ct[0][0][2]; setpp(&p, 5); r4 = x; r5 = (p == &y);\n"
         "  s = buf; setcpp(&s); r6 = buf[0]; r7 = s - buf;\n"
         "  ia[0] = &x; ia[1] = &y; seta(ia, 1); r8 = y; setv(&x); r9 = x;\n"
         "  two[0] = \"no\"; two[1] = \"yes\"; r10 = firstch(two);\n"
         "  stp = &st; vp = (void *)&stp; spp = (struct pt **)vp; (*spp)->b = 6; r11 = st.b;\n"
         "  p = &x; vp = &p; *(int **)vp = &y; **(int **)vp = 7; r12 = y;\n"
         "  r13 = sizeof(char **) * 10 + sizeof(char *) + sizeof(int ***) * 100 + sizeof(t2);\n"
         "  r = r1 + r2 * 10 + r3 + r4 * 100 + r5 * 1000 + r6 + r7 * 2000 + r8 * 10 + r9 * 100 +\n"
         "      r10 + r11 * 1000 + r12 * 20 + r13; }\n",
         "r", 20 + 20 + 'z' + 500 + 1000 + 'Q' + 2000 + 330 + 4400 + 'y' + 6000 + 140 + 114},
        // A declarator's * leaves the specifiers to the next declarator (c of unsigned char
        // *p, c is unsigned); a qualifier between two * belongs to the pointer pointed at.
        {"sx28.h",
         "unsigned char *p, c; unsigned int *q, d; int x, y; int *ip; int *const *pp;\n"
         "int **const cpp = &ip; long r;\n"
         "void main(void) { c = 200; d = 200; ip = &x; pp = &ip; **pp = 5; *cpp = &y;\n"
         "  **cpp = 6; r = (c > 100) + (d > 100) * 10 + x * 100 + y * 1000; }\n",
         "r", 1 + 10 + 500 + 6000},
        {"sx28.h",
         "int x; void *vp; long r;\n"
         "void main(void) { vp = &x; *(int *)vp = 3; r = x; }\n",
         "r", 3},
        // Bit-fields share bytes low bits first, keep only their width (a signed one extends
        // its top bit), leave their neighbours alone, and take initialisers, designated ones
        // too; compound assignments, ++ and the values of stores wrap at the field's width.
        {"sx28.h",
         "struct fl { unsigned a:3; unsigned b:1; signed c:4; unsigned char d; int e:5;\n"
         "  unsigned :2; unsigned f:1; };\n"
         "struct fl g = {5, 1, -2, 77, -5, 1}; char k = 3; long r;\n"
         "void main(void) { struct fl l = {.e = k, .a = 6}; r = sizeof g * 10000 +\n"
         "  (long)(g.a + g.b * 10 + g.c * 10 + g.e + g.f) * 100 + g.d + l.a + l.e + l.c + l.f; }\n",
         "r", 29186},
        {"sx28.h",
         "struct fl { unsigned a:3; unsigned b:1; signed c:4; } s; char k, j; long r;\n"
         "void main(void) { s.b = 1; s.c = -1; s.a = 9; k = s.a; s.c += 5; s.a = 7; s.a++;\n"
         "  r = k; r = r * 10 + s.a; r = r * 10 + s.b; r = r * 10 + s.c;\n"
         "  s.c += 6; j = (s.a = 12); k = s.a++;\n"
         "  r = r * 10 + s.c + j + k + s.a; r = r + s.b * 10000; }\n",
         "r", 20147},
        // A field narrower than a byte is promoted to a signed int, unsigned or not: 7 > -8,
        // and 6 / -2 stored into 5 unsigned bits is 29.
        {"sx28.h",
         "struct S { unsigned a:3; signed b:4; unsigned c:5; } s, *p; char m = -2; long r;\n"
         "void main(void) { s.a = 7; s.b = -8; s.c = 6; r = (s.a > s.b) + (~s.a == -8) * 10;\n"
         "  s.c /= m; r = r + s.c * 100; p = &s; p->c = 6; p->c %= m; r = r + p->c * 1000; }\n",
         "r", 1 + 10 + 2900},
        // ... through pointers and elements, in a union over their byte, as arguments and
        // returned values.
        {"sx52.h",
         "union u { unsigned char all; struct { unsigned lo:4; unsigned hi:4; } n; } v;\n"
         "struct st { unsigned on:1; signed lvl:3; unsigned id:4; } arr[3], *p; char i; long r;\n"
         "struct st flip(struct st x) { x.on = !x.on; x.lvl -= 1; return x; }\n"
         "void main(void) { v.all = 0xA5; r = v.n.hi; v.n.lo = 3; r = r * 256 + v.all;\n"
         "  i = 2; p = &arr[i]; p->lvl = -3; p->on = 1; p->id = 9; arr[1] = flip(arr[i]);\n"
         "  r = r * 10 + arr[1].on; r = r + arr[1].lvl + arr[1].id + p->on + p->lvl;\n"
         "  p->lvl += arr[1].lvl; arr[i].id++; r = r + p->lvl + arr[2].id;\n"
         "  v.n.hi--; r = r - v.all; }\n",
         "r", 27097},
        // * of any pointer value in parentheses is the object it points at, to step or store
        // into; n[a] is a[n].
        {"sx52.h",
         "int a[4]; int *p; long la[3]; long *lp; char buf[4]; char *cp; char i, k; long r;\n"
         "void main(void) { a[0] = 5; a[1] = 7; a[2] = 9; la[1] = 1000; buf[1] = 'a';\n"
         "  p = a; k = (*p++)++; i = 1; (*(p + i)) += 3; lp = la; (*(lp + 1)) -= 5;\n"
         "  (*lp++) = 70; cp = buf + 1; (*cp++)++; (*(cp - 1)) -= 32; (*--p) <<= 2;\n"
         "  r = k + a[0] + 2[a] + la[1] + la[0] + buf[1] + (p == a) + (lp - la) * 10000; }\n",
         "r", 5 + 24 + 12 + 995 + 70 + 'B' + 1 + 10000},
        // A struct element of a member array copies whole, of a struct and through a pointer.
        {"sx28.h",
         "struct t { char x; long y; } tt;\n"
         "struct h { char k; struct t in[3]; } O, P, *hp; char i; long r;\n"
         "void main(void) { O.in[1].x = 4; O.in[1].y = 500; O.in[2].x = 9; tt = O.in[1];\n"
         "  r = tt.x + tt.y; i = 2; tt = O.in[i]; r = r + tt.x; hp = &P; hp->in[i] = O.in[1];\n"
         "  tt = hp->in[2]; O.in[0] = hp->in[i]; r = r + tt.y * 10 + O.in[0].x * 1000 + O.k; }\n",
         "r", 504 + 9 + 5000 + 4000},
        // sizeof counts the elements of member arrays (through a pointer too), of a row of a
        // parenthesised element and of an array of structs named as a type.
        {"sx28.h",
         "#define COUNT(a) (sizeof(a) / sizeof((a)[0]))\n"
         "struct pt { char x; long y; };\n"
         "struct cfg { char name[5]; long tab[3]; struct pt pts[2]; } *cp;\n"
         "int m[2][3]; char v[2]; long r;\n"
         "void main(void) { r = COUNT(cp->name) * 1000 + COUNT(cp->tab) * 100 +\n"
         "  COUNT(cp->pts) * 10 + COUNT(m[0]) + sizeof(struct pt[3]) * 1000 +\n"
         "  sizeof(m[v[1]]) * 5000 + sizeof(cp->tab[1]) * 100; }\n",
         "r", 5000 + 300 + 20 + 3 + 9000 + 15000 + 200},
        // (*e).m is e->m for any pointer value e: a call, p + 2, *pp, p->nx.
        {"sx52.h",
         "struct pt { char x; char y; struct pt *nx; } pa[3], *p, **pp; long r;\n"
         "struct pt *ptr(char i) { return &pa[i]; }\n"
         "void main(void) { pa[1].x = 7; pa[2].y = 9; pa[0].nx = &pa[2]; p = pa; pp = &p;\n"
         "  (*(p + 1)).y = 4; r = (*ptr(1)).x + (*(p + 2)).y * 10 + (**pp).nx->y * 100 +\n"
         "  (*p->nx).y * 1000 + pa[1].y * 10000; }\n",
         "r", 7 + 90 + 900 + 9000 + 40000 - 65536},
        // A K&R definition may follow a prototype that agrees with it.
        {"sx28.h",
         "int add(int a, long b); int sub(); long r;\n"
         "int add(a, b) int a; long b; { return a + b; }\n"
         "int sub(a, b) int a, b; { return a - b; }\n"
         "void main(void) { r = add(3, 4) * 10 + sub(5, 2); }\n",
         "r", 73},
        // A member struct's members through a computed pointer.
        {"sx52.h",
         "struct P { char a, b; }; struct O { char k; struct P in; } o1, o2;\n"
         "struct O *q = &o2; struct O **qq = &q; struct O *qs[2]; char k = 1; long r;\n"
         "struct O *gp(void) { return q; }\n"
         "void main(void) { qs[1] = q; (q + 0)->in.a = 2; o1.in.b = 3; (*qq)->in.b = 4;\n"
         "  r = (k ? &o1 : &o2)->in.b + gp()->in.a * 10 + (**qq).in.b * 100 +\n"
         "  (*gp()).in.a * 1000 + (*qs[1]).in.b * 10000; }\n",
         "r", 3 + 20 + 400 + 2000 + 40000 - 65536},
        // Labels belong to their function: two functions may each have an "out:", and a
        // label may be named like a function.
        {"sx28.h",
         "char r;\n"
         "char fa(char k) { if (k) goto out; k = 5; out: return k; }\n"
         "char fb(char k) { if (k) goto out; k = 7; out: return k; }\n"
         "char done(char a) { return a + 1; }\n"
         "char g(void) { goto done; return 1; done: return done(40); }\n"
         "void main(void) { r = fa(0) + fb(1) + g(); }\n",
         "r", 5 + 1 + 41},
        {"sx28.h",
         "struct pt { char x; long y; };\n"
         "struct S { long m[2]; int *ip; char *cp; struct pt *pp; char g[2][3]; } s, *p;\n"
         "long r;\n"
         "void main(void) { r = sizeof(*s.m) + sizeof(*s.ip) * 10 + sizeof(*p->cp) * 100 +\n"
         "  sizeof(*p->pp) * 1000 + sizeof((s.g[1])[0]) * 10000; }\n",
         "r", 2 + 10 + 100 + 3000 + 10000},
        // A constant address cast to a pointer reaches what `@` placed there, on the SX52's
        // sixteen banks too (bank 1 and bank 15).
        {"sx52.h",
         "char a @ 0x31; long w @ 0x1F5; int *g = (int *)0x31; long r;\n"
         "void main(void) { long *lp; a = 7; w = 300; lp = (long *)0x1F5;\n"
         "  *(char *)0x31 += 4; r = *g + *lp * 10 + (&a == (char *)0x31) * 5000; }\n",
         "r", 11 + 3000 + 5000},
        {"sx52.h",
         "union w { long l; struct { char lo; char hi; } b; };\n"
         "char r;\n"
         "char high(char k, union w v) { v.b.lo = k; return v.b.hi + v.b.lo; }\n"
         "void main(void) { union w u; u.l = 0x1234; r = high(1, u) + u.b.lo; }\n",
         "r", 0x12 + 1 + 0x34},
        {"sx52.h",
         "struct pt { char x; long y; };\n"
         "struct outer { char k; struct pt in; } o, o2;\n"
         "long r;\n"
         "struct outer wrap(struct outer s) { s.in.y = s.in.y + 1; return s; }\n"
         "void main(void) { o.k = 7; o.in.y = 41; o2 = wrap(o); r = o2.in.y * 100 + o.in.y + "
         "wrap(o2).in.y * 1000; }\n",
         "r", 4200 + 41 + 43000 - 65536},
        {"sx52.h",
         "struct pt { char x; long y; } pts[4], *q;\n"
         "char i, j;\n"
         "long r;\n"
         "void main(void) { i = 2; j = 0; pts[i].x = 3; pts[i].y = 700; q = pts + 1; pts[j] = "
         "pts[i]; *q = pts[j]; q->x = 4; r = pts[0].y + pts[1].x * 10 + pts[1].y; }\n",
         "r", 700 + 40 + 700},
        // A pointer meets the address it holds: &x is a pointer to x's type, not an element
        // count to scale, and the address of a char is tagged as a char pointer's.
        {"sx28.h",
         "struct s { char a; long b; int c; } foo; union u { long x; char y; } un;\n"
         "long l; int i, *p1, *p2; char ch, *c1; long r;\n"
         "void main(void) { struct s *sp; long *lp; int *ip; char *cp; union u *up; int **pp;\n"
         "  char **cpp;\n"
         "  sp = &foo; lp = &l; ip = &i; cp = &ch; up = &un; r = 0;\n"
         "  if (sp == &foo) r = r + 1; if (!(sp != &foo)) r = r + 2; if (lp == &l) r = r + 4;\n"
         "  if (cp == &ch) r = r + 8; if (up == &un) r = r + 16; if (&foo == sp) r = r + 32;\n"
         "  if (&ch == cp) r = r + 64; if (ip == &i) r = r + 128;\n"
         "  lp = &foo.b; ip = &foo.c; cp = &foo.a; pp = &p2; cpp = &c1;\n"
         "  if (lp == &foo.b) r = r + 256; if (ip == &foo.c) r = r + 512;\n"
         "  if (cp == &foo.a) r = r + 1024; if (pp == &p2 && pp != &p1) r = r + 2048;\n"
         "  if (cpp == &c1) r = r + 4096; cp = (char *)&i; ip = &i; p1 = 0; c1 = 0;\n"
         "  if (cp == ip && !(cp != ip) && c1 == p1 && cp != &foo.c) r = r + 8192; }\n",
         "r", 16383},
        {"sx52.h",
         "struct s { char a; char b; } sa[3]; union u { long x; char y; } un, ua[2];\n"
         "long la[4]; int ia[4]; char ca[4]; long r;\n"
         "void main(void) { struct s *sp; long *lp; int *ip; char *cp; union u *up;\n"
         "  sp = &sa[1]; lp = la + 2; ip = ia + 1; cp = ca + 2; up = &ua[1]; r = 0;\n"
         "  if (sp - &sa[0] == 1 && &sa[2] - sp == 1 && sp > &sa[0]) r = r + 1;\n"
         "  if (lp - &la[0] == 2 && &la[3] - lp == 1 && la + 3 - lp == 1) r = r + 2;\n"
         "  if (cp - &ca[0] == 2 && &ca[3] - cp == 1 && cp - ca == 2) r = r + 4;\n"
         "  if (lp > &la[1] && lp >= &la[2] && lp < &la[3] && lp <= &la[2]) r = r + 8;\n"
         "  if (!(lp < &la[2]) && !(lp > &la[2])) r = r + 16;\n"
         "  if (cp > &ca[1] && cp < &ca[3] && cp <= &ca[2] && cp >= &ca[2]) r = r + 32;\n"
         "  if (ip - ia == 1 && &ia[3] - ip == 2 && ip == &ia[1]) r = r + 64;\n"
         "  if (up - &ua[0] == 1 && up != &un) r = r + 128;\n"
         "  sp = sa; lp = la; cp = ca;\n"
         "  if (sp == &sa[0] && sa == sp && &sa[1] - sp == 1) r = r + 256;\n"
         "  if (lp == la && la + 1 == &la[1] && &la[2] == lp + 2) r = r + 512;\n"
         "  if (cp == ca && &ca[0] == cp && ca + 2 == &ca[2]) r = r + 1024; }\n",
         "r", 2047},
        // &x steps and subtracts by x's size like any pointer.
        {"sx28.h",
         "long l, m; char ch; long r;\n"
         "void main(void) { long *lp; char *cp;\n"
         "  lp = &l + 1; cp = &ch; r = 0;\n"
         "  if (lp - &l == 1 && &l + 1 - &l == 1 && lp - 1 == &l) r = r + 1;\n"
         "  if (&ch == cp && &ch - cp == 0 && cp - &ch == 0) r = r + 2;\n"
         "  if (cp >= &ch && cp <= &ch && !(cp < &ch) && !(&ch > cp)) r = r + 4; }\n",
         "r", 7},
        // A null RAM pointer converted to a char pointer (stored, cast, passed, returned)
        // stays null; one that points somewhere is tagged.
        {"sx28.h",
         "int x, *ip; long r;\n"
         "char *g(void) { return ip; }\n"
         "int h(char *q) { return q == 0; }\n"
         "void main(void) { char *cp; ip = 0; r = 0;\n"
         "  cp = ip; if (cp == 0) r = r + 1; if (!cp) r = r + 2;\n"
         "  cp = (char *)ip; if (cp == 0) r = r + 4; cp = (char *)0; if (cp == 0) r = r + 8;\n"
         "  cp = g(); if (cp == 0) r = r + 16; if (h(ip)) r = r + 32;\n"
         "  x = 9; ip = &x; cp = ip; if (cp != 0 && *cp == 9) r = r + 64;\n"
         "  if (g() == cp && !h(ip) && (char *)ip == cp) r = r + 128; }\n",
         "r", 255},
        // A block that is the body of an if, a loop or a switch declares its own names, which
        // hide outer ones there only; a declaration may follow statements, known from there on.
        {"sx28.h",
         "char x; long r;\n"
         "void main(void) { char j = 5; char k = 1; char t = 0;\n"
         "  if (k) { long j; j = 300; x = j >> 8; } else { char j; j = 9; t = j; }\n"
         "  while (k) { char j; j = 7; t = t + j; k = 0; }\n"
         "  for (k = 0; k < 2; k++) { char j = 3; t = t + j; }\n"
         "  switch (k) { case 2: { char j = 20; t = t + j; } }\n"
         "  do { char q = 1; t = t + q; } while (0);\n"
         "  r = x * 1000 + t * 10 + j; }\n",
         "r", 1000 + 340 + 5},
        {"sx28.h",
         "char y = 3; long r;\n"
         "char outer(void) { return y; }\n"
         "void main(void) { char x; x = 1; y = 7; char y; y = x + 4;\n"
         "  { x = y; long y = 1000; x = x + (y >> 8); } r = x * 100 + y * 10 + outer(); }\n",
         "r", 800 + 50 + 7},
        // An extern inside a block names the file-scope object there, over a local of its name.
        {"sx28.h",
         "char x = 42; long w = 1000; long r;\n"
         "char global(void) { return x; }\n"
         "void main(void) { char x = 10; long w = 5; char t;\n"
         "  { extern char x; extern long w; t = x + (w >> 8); x = 1; }\n"
         "  r = t * 100 + x + w + global() * 1000; }\n",
         "r", 4500 + 10 + 5 + 1000},
        // inline asks nothing of the compiler: the function is called as any other.
        {"sx28.h",
         "char r;\n"
         "static inline char twice(char a) { return a + a; }\n"
         "inline char one(void) { return 1; }\n"
         "void main(void) { char inlined = 4; r = twice(inlined) + one(); }\n",
         "r", 9},
        // A for loop's first part may declare names: they are known only inside the loop,
        // hiding outer ones there, and the loop's body may hide them in turn.
        {"sx28.h",
         "char i = 9; char s; long t; long r;\n"
         "void main(void) {\n"
         "  for (char i = 0; i < 5; i++) s += i;\n"
         "  for (char i = 0, j = 5; i < j; i++) { char i = 2; s += i; }\n"
         "  for (long k = 250; k < 260; k++) t += k;\n"
         "  for (char n = 3; ; ) { s += n; break; }\n"
         "  r = i * 100 + s + t; }\n",
         "r", 900 + 10 + 10 + 3 + 2545},
        // A name in parentheses is the name: a member chain may start from it.
        {"sx28.h",
         "struct in { char x; }; struct st { char code; struct in in; } g; long r;\n"
         "char get(struct st *p) { return (p)->in.x * 10 + (p)->code; }\n"
         "void main(void) { (g).code = 3; (g).in.x = 4; r = get(&g) + (g).code * 100; }\n",
         "r", 43 + 300},
        // Empty parentheses in a declaration leave the parameters unsaid: the definition, with
        // whatever parameters, defines the function, and calls before it compile.
        {"sx28.h",
         "char r;\n"
         "void f(); int g(); char h();\n"
         "void f(void) { r = r + 1; }\n"
         "void main(void) { r = 0; f(); r = r + g(5) + h(2, 3) * 10; }\n"
         "int g(int a) { return a; }\n"
         "char h(char a, char b) { return a + b; }\n",
         "r", 1 + 5 + 50},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.program);
        const std::string device = testing::exampleFile(row.header);
        const auto kind =
            std::string(row.header) == "sx52.h" ? sxsim::DeviceKind::SX52 : sxsim::DeviceKind::SX28;
        try {
            CompiledProgram p(device + row.program, kind);
            p.restart();
            p.runToEnd();
            const int value = row.expected < 0 ? p.signedValue(row.variable)
                                               : static_cast<int>(p.value(row.variable));
            EXPECT_EQ(value, row.expected) << row.variable;
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

} // namespace
} // namespace kavo
