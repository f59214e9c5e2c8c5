// Compiled C runs on the SX core model: each program goes through the whole compiler into an
// object file, the object file is loaded into the simulator, and the variables the program
// leaves behind must hold what C says.
#include "compiler/tables/placement_state.hpp"
#include "tests/support/compiled_program.hpp"
#include "tests/support/example_files.hpp"
#include "tests/support/sx28_prelude.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>

namespace kavo {
namespace {

using testing::CompiledProgram;
using testing::Sx28;

std::string exampleHeader(const std::string& file) {
    return testing::exampleFile(file);
}

// An example program with its device header pasted in, as the preprocessor would.
std::string exampleSource(const std::string& name) {
    std::string source = exampleHeader(name);
    const std::string include = "#include \"sx28.h\"";
    const std::size_t at = source.find(include);
    if (at != std::string::npos)
        source.replace(at, include.size(), exampleHeader("sx28.h"));
    return source;
}

int u8(int v) {
    return v & 0xFF;
}
int u16(int v) {
    return v & 0xFFFF;
}

using Program = testing::Sx28Program;

TEST(PipelineSemantics, SignedAndUnsignedByteRelations) {
    Program p("char a, b; unsigned char ua, ub; char lt, gt, le, ge, eq, ne, ult, uge;\n"
              "void main(void) { lt = a < b; gt = a > b; le = a <= b; ge = a >= b;"
              " eq = a == b; ne = a != b; ult = ua < ub; uge = ua >= ub; }\n");
    const int values[] = {-128, -1, 0, 1, 100, 127};
    for (int a : values) {
        for (int b : values) {
            p.run({{"a", a}, {"b", b}, {"ua", u8(a)}, {"ub", u8(b)}});
            SCOPED_TRACE(std::to_string(a) + " vs " + std::to_string(b));
            EXPECT_EQ(p.value("lt"), a < b);
            EXPECT_EQ(p.value("gt"), a > b);
            EXPECT_EQ(p.value("le"), a <= b);
            EXPECT_EQ(p.value("ge"), a >= b);
            EXPECT_EQ(p.value("eq"), a == b);
            EXPECT_EQ(p.value("ne"), a != b);
            EXPECT_EQ(p.value("ult"), u8(a) < u8(b));
            EXPECT_EQ(p.value("uge"), u8(a) >= u8(b));
        }
    }
}

TEST(PipelineSemantics, AnUnsignedOperandKeepsAnOperationWithAConstantUnsigned) {
    Program p("unsigned char u; unsigned long ul; char ge, gt, lgt; unsigned long q;\n"
              "void main(void) { ge = u >= 7; gt = u > 100; lgt = ul > 1000; q = ul / 3; }\n");
    p.run({{"u", 150}, {"ul", 40000}});
    EXPECT_EQ(p.value("ge"), 1);
    EXPECT_EQ(p.value("gt"), 1);
    EXPECT_EQ(p.value("lgt"), 1);
    EXPECT_EQ(p.value("q"), 13333);
}

TEST(PipelineSemantics, ByteAndWordArithmetic) {
    Program p("char a, b; char s, d, n, o, x; long m, k, ws, wd;\n"
              "void main(void) { s = a + b; d = a - b; n = a & b; o = a | b; x = a ^ b;"
              " ws = m + k; wd = m - k; }\n");
    for (int a : {0, 1, 127, 128, 255}) {
        for (int b : {0, 7, 200}) {
            const int m = a * 300 - 20000, k = b * 97;
            p.run({{"a", a}, {"b", b}, {"m", m}, {"k", k}});
            SCOPED_TRACE(std::to_string(a) + ", " + std::to_string(b));
            EXPECT_EQ(p.value("s"), u8(a + b));
            EXPECT_EQ(p.value("d"), u8(a - b));
            EXPECT_EQ(p.value("n"), a & b);
            EXPECT_EQ(p.value("o"), a | b);
            EXPECT_EQ(p.value("x"), a ^ b);
            EXPECT_EQ(p.value("ws"), u16(m + k));
            EXPECT_EQ(p.value("wd"), u16(m - k));
        }
    }
}

TEST(PipelineSemantics, RuntimeRoutinesMultiplyDivideShift) {
    Program p("char a, b; unsigned char n; long r, q; long l;\n"
              "void main(void) { r = a * b; q = a / b; l = n << 3; }\n");
    for (int a : {-7, 1, 10, 127}) {
        for (int b : {-1, 2, 3}) {
            p.run({{"a", a}, {"b", b}, {"n", u8(a)}});
            SCOPED_TRACE(std::to_string(a) + ", " + std::to_string(b));
            EXPECT_EQ(p.value("r"), u16(a * b));
            EXPECT_EQ(p.value("q"), u16(a / b));
            EXPECT_EQ(p.value("l"), u16(u8(a) << 3));
        }
    }
}

TEST(PipelineSemantics, ControlStatements) {
    Program p("char i, n, k, r, c; long sum;\n"
              "void main(void) {\n"
              "  sum = 0; for (i = 0; i < n; i++) sum += i;\n"
              "  k = 0; while (k < 9) k++;\n"
              "  do { k--; } while (k > 4);\n"
              "  if (n > 5) r = 1; else r = 2;\n"
              "  switch (c) { case 1: c = 10; break; case 2: c = 20; break; default: c = 99; }\n"
              "}\n");
    for (auto [n, c, expected] : {std::tuple{0, 1, 10}, {10, 2, 20}, {100, 7, 99}}) {
        p.run({{"n", n}, {"c", c}});
        EXPECT_EQ(p.value("sum"), n * (n - 1) / 2) << n;
        EXPECT_EQ(p.value("k"), 4);
        EXPECT_EQ(p.value("r"), n > 5 ? 1 : 2);
        EXPECT_EQ(p.value("c"), expected);
    }
}

TEST(PipelineSemantics, CallsWithArgumentsAndResults) {
    Program p("char x, y; long w; char r1; long r2;\n"
              "char add3(char a, char b, char c) { return a + b + c; }\n"
              "long twice(long v) { return v + v; }\n"
              "void main(void) { r1 = add3(x, y, 5); r2 = twice(w); }\n");
    p.run({{"x", 10}, {"y", 20}, {"w", 1234}});
    EXPECT_EQ(p.value("r1"), 35);
    EXPECT_EQ(p.value("r2"), 2468);
}

TEST(PipelineSemantics, ACallResultWidensByTheSignTheFunctionReturns) {
    Program p("unsigned char big(void) { return 200; }\n"
              "char negative(void) { return -5; }\n"
              "long u, s;\n"
              "void main(void) { u = 1000; u = u + big(); s = 1000; s = s + negative(); }\n");
    p.run();
    EXPECT_EQ(p.value("u"), 1200);
    EXPECT_EQ(p.value("s"), 995);
}

TEST(PipelineSemantics, ArraysStructsAndPointers) {
    Program p("char a[5]; struct pt { char x; char y; } pts[2]; char i, s1, s2; int v; int *ip;\n"
              "void main(void) { for (i = 0; i < 5; i++) a[i] = 7; a[3] = 2;"
              " s1 = a[2] + a[3]; pts[1].x = 7; pts[1].y = 9; s2 = pts[1].x + pts[1].y;"
              " ip = &v; *ip = 42; }\n");
    p.run();
    EXPECT_EQ(p.value("s1"), 9);
    EXPECT_EQ(p.value("s2"), 16);
    EXPECT_EQ(p.value("v"), 42);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(p.element("a", i), i == 3 ? 2 : 7) << i;
}

// On this chip FSR is also the bank select: a banked byte cannot be read between setting FSR
// to an element and the indirect access. Such bytes get the global registers first; this
// layout offers none (its only common range is the one never used for variables), so the
// program is refused with a message naming the byte.
TEST(PipelineSemantics, ValuesStoredThroughFsrGetTheGlobalRegisters) {
    CompiledProgram p(exampleHeader("sx28.h") +
                      "unsigned char squares[16]; long total;\n"
                      "void main(void) { unsigned char i; for (i = 0; i < 16; i++)"
                      " squares[i] = i * i; total = 0;"
                      " for (i = 0; i < 16; i++) total = total + squares[i]; }\n");
    p.restart();
    p.runToEnd();
    // Squares of 128 and up widen as the unsigned bytes they are.
    EXPECT_EQ(p.value("total"), 1240u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(p.element("squares", i), static_cast<unsigned>(i * i)) << i;
}

// Forty small functions need more temporaries (163 bytes) than the chip has RAM unless the
// temporaries of functions that are never active together share it, as they always do.
TEST(PipelineSemantics, TemporariesOfUnrelatedFunctionsShareRamWithoutRegisterReuse) {
    std::string source = exampleHeader("sx28.h") + "long total;\n";
    std::string calls;
    long expected = 1;
    for (int f = 0; f < 40; ++f) {
        source += "long f" + std::to_string(f) + "(void) { return (total ^ " + std::to_string(f) +
                  ") + " + std::to_string(f) + "; }\n";
        calls += "  total = total + f" + std::to_string(f) + "();\n";
        expected = (expected + ((expected ^ f) + f)) & 0xFFFF;
    }
    CompiledProgram program(source + "void main(void) {\n  total = 1;\n" + calls + "}\n");
    program.restart();
    program.runToEnd();
    EXPECT_EQ(program.value("total"), static_cast<unsigned>(expected));
}

// When the RAM runs out, one message says by how much, and nothing follows it: the names
// left without a place are declared, so errors about them would only mislead. An initialiser
// no RAM can hold is refused before its code is made (element by element, it would take
// minutes to generate and optimise).
struct RamShortage {
    const char* name;
    std::string program;
    std::string message;
};

class PipelineRamShortage : public ::testing::TestWithParam<RamShortage> {};

TEST_P(PipelineRamShortage, IsOneMessageAndTheEnd) {
    testing::InProcessCompile run;
    run.wholeBackEnd = true;
    run.run(exampleHeader("sx28.h") + GetParam().program);
    EXPECT_FALSE(run.c.successFlag);
    EXPECT_EQ(run.c.errors(), 1) << run.io.messages;
    const std::string shortage =
        "ERROR(C114): not enough register memory in this chip! " + GetParam().message;
    EXPECT_NE(run.io.messages.find(shortage), std::string::npos) << run.io.messages;
    EXPECT_NE(run.io.messages.find("Found 1 error.  No code generated."), std::string::npos);
    int generated = 0;
    for (const Instruction* i = run.c.instructions.head(); i != nullptr; i = i->next)
        ++generated;
    EXPECT_LT(generated, 1000);
}

std::string arraysUsedInMain() {
    std::string declarations;
    std::string uses;
    for (int a = 0; a < 12; ++a) {
        declarations += "char b" + std::to_string(a) + "[15];\n";
        uses += " b" + std::to_string(a) + "[k] = k;";
    }
    return declarations + "char k;\nvoid main(void) {" + uses + " }\n";
}

INSTANTIATE_TEST_SUITE_P(
    Programs, PipelineRamShortage,
    ::testing::Values(
        RamShortage{"ArraysUsedInCode", arraysUsedInMain(), "The program needs "},
        RamShortage{"AnArrayNoBankHasRoomForInARow",
                    "char a[17]; char i;\nvoid main(void) { a[i] = 1; }\n",
                    "The program needs 18 bytes of RAM for its variables and temporaries; 17 "
                    "bytes found no place (a needs 17 bytes in one piece, and no bank has that "
                    "many free in a row: an object never spans banks)."},
        RamShortage{"AnInitialisedArrayLargerThanAnyBank",
                    "long data[65535] = {1, 2};\nvoid main(void) { data[1] = 3; }\n",
                    "data needs 131070 bytes in one piece; the largest bank holds 24 bytes."},
        RamShortage{"InitialisedArraysTogetherLargerThanTheBanks",
                    "char a[16] = {1}; char b[16] = {2}; char c[16] = {3}; char d[16] = {4};\n"
                    "char e[16] = {5}; char f[16] = {6}; char g[16] = {7}; char h[16] = {8};\n"
                    "char i[16] = {9};\nvoid main(void) { a[0] = i[0]; }\n",
                    "The variables initialised up to i need 144 bytes; the banks hold 136 "
                    "bytes."}),
    [](const auto& shortage) { return std::string(shortage.param.name); });

// Enough code to fill several 512-word pages: every call and jump that leaves a page needs
// its page bits, and calls enter through vectors in the first half of page 0.
TEST(PipelineSemantics, AProgramSpanningSeveralPagesRunsAcrossThem) {
    std::string source = "long total; char k;\n";
    const int functions = 12, steps = 7;
    long expected = 0;
    for (int f = 0; f < functions; ++f) {
        source += "void part" + std::to_string(f) + "(void) {\n";
        for (int i = 0; i < steps; ++i) {
            const int add = (f * 7 + i * 3) % 50 + 1;
            source += "  total = total + " + std::to_string(add) + "; k = k ^ " +
                      std::to_string(add) + ";\n";
            expected += add;
        }
        source += "}\n";
    }
    source += "void main(void) {\n  total = 0; k = 0;\n";
    for (int f = functions - 1; f >= 0; --f)
        source += "  part" + std::to_string(f) + "();\n";
    source += "}\n";
    CompiledProgram program(Sx28 + source);
    int highest = 0;
    for (const Instruction* i = program.compilation().instructions.head(); i != nullptr;
         i = i->next)
        highest = std::max(highest, i->address);
    ASSERT_GT(highest, 1024) << "the program should reach a third page";
    program.restart();
    program.runToEnd();
    EXPECT_EQ(program.value("total"), static_cast<unsigned>(expected & 0xFFFF));
}

// The 52-pin part: sixteen banks, the upper eight reached with FSR bit 7. Direct access and
// access through a pointer must meet at the same byte.
TEST(PipelineSemantics, UpperBanksOfTheFourKPartMeetDirectAndIndirectAccess) {
    std::string source = exampleHeader("sx52.h");
    // high sits in bank 9 (an upper bank), at a fixed address; fill7 is placed by the
    // compiler after seven full banks.
    source += "char high @ 0x13E; char copy; int *p;\n"
              "char fill0[16], fill1[16], fill2[16], fill3[16], fill4[16], fill5[16],"
              " fill6[16], fill7[16];\n"
              "void main(void) { fill0[1] = 1; fill1[1] = 2; fill2[1] = 3; fill3[1] = 4;"
              " fill4[1] = 5; fill5[1] = 6; fill6[1] = 7; fill7[3] = 9;"
              " high = 17; p = &high; *p = *p + 25; copy = high; }\n";
    CompiledProgram program(source, sxsim::DeviceKind::SX52);
    program.restart();
    program.runToEnd();
    const Symbol* high = nullptr;
    for (const Symbol* s = program.compilation().symbols.main.head; s != nullptr; s = s->next) {
        if (s->name == "high")
            high = s;
    }
    ASSERT_NE(high, nullptr);
    EXPECT_GE(high->addr / 32, 8) << "the variable should sit in an upper bank: " << high->addr;
    EXPECT_EQ(program.value("high"), 42u);
    EXPECT_EQ(program.value("copy"), 42u);
    EXPECT_EQ(program.element("fill7", 3), 9u);
    EXPECT_EQ(program.element("fill6", 1), 7u);
}

TEST(PipelineSemantics, ExamplesRunToTheirStatedResults) {
    CompiledProgram table(exampleSource("table.c"));
    table.restart();
    table.runToEnd();
    EXPECT_EQ(table.value("total"), 1240u);
    EXPECT_EQ(table.value("digit"), 65u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(table.element("squares", i), static_cast<unsigned>(i * i)) << i;

    CompiledProgram arithmetic(exampleSource("arith16.c"));
    arithmetic.restart();
    arithmetic.runToEnd();
    EXPECT_EQ(arithmetic.value("fib"), 46368u);
    EXPECT_EQ(arithmetic.value("product"), 60000u);
    EXPECT_EQ(arithmetic.value("quotient"), 8571u);
    EXPECT_EQ(arithmetic.value("remainder"), 3u);

    // The timer's inline assembly sets OPTION: the rollover interrupt counts the ticks.
    CompiledProgram timer(exampleSource("timer.c"));
    timer.restart();
    timer.runToEnd(5'000'000);
    EXPECT_EQ(timer.value("ticks"), 10u);
    EXPECT_EQ(timer.value("toggles"), 2u);
    EXPECT_EQ(timer.value("portb") & 1u, 0u);
    EXPECT_EQ(timer.value("done"), 1u);
}

// Twenty-one functions in seven groups of three, each calling the one or two before it in its
// group, written in an order that scatters every group over the program's three pages.
// Placement gathers each group on one page, where its calls enter the bodies directly: the
// program needed 32 PAGE words before, 14 now.
TEST(PipelineSemantics, CallersAndCalleesShareProgramPages) {
    constexpr int Functions = 21, Group = 3;
    std::string source = exampleHeader("sx28.h") + "unsigned char g, h, r;\n";
    for (int f = 0; f < Functions; ++f)
        source += "unsigned char f" + std::to_string(f) + "(unsigned char a);\n";
    for (int place = 0; place < Functions; ++place) {
        const int f = place % (Functions / Group) * Group + place / (Functions / Group);
        const std::string n = std::to_string(f);
        source += "unsigned char f" + n + "(unsigned char a) {\n unsigned char t = a + " + n +
                  ";\n if (t & 1) t = t ^ " + std::to_string(f * 7) + "; else t = t + g;\n" +
                  " if (t & 2) h = h + t; else h = h ^ " + std::to_string(f * 3) + ";\n" +
                  " t = t + (h ^ " + std::to_string(f * 11) + ");\n";
        if (f % Group >= 1)
            source += " t = t ^ f" + std::to_string(f - 1) + "(t);\n";
        if (f % Group >= 2)
            source += " t = t + f" + std::to_string(f - 2) + "(h);\n";
        source += " g = g + t;\n return t;\n}\n";
    }
    source += "void main(void) {\n";
    for (int head = Group - 1; head < Functions; head += Group)
        source += " r = f" + std::to_string(head) + "(g);\n g = g + r;\n";
    source += "}\n";
    int g = 0, h = 0;
    std::function<int(int, int)> f = [&](int n, int a) {
        int t = u8(a + n);
        t = t & 1 ? t ^ u8(n * 7) : u8(t + g);
        h = t & 2 ? u8(h + t) : h ^ u8(n * 3);
        t = u8(t + (h ^ u8(n * 11)));
        if (n % Group >= 1)
            t ^= f(n - 1, t);
        if (n % Group >= 2) {
            const int r = f(n - 2, h);
            t = u8(t + r);
        }
        g = u8(g + t);
        return t;
    };
    for (int head = Group - 1; head < Functions; head += Group) {
        const int r = f(head, g);
        g = u8(g + r);
    }

    CompiledProgram p(source);
    p.restart();
    p.runToEnd();
    EXPECT_EQ(static_cast<int>(p.value("g")), g);
    EXPECT_EQ(static_cast<int>(p.value("h")), h);
    int pages = 0;
    for (const Instruction* i = p.compilation().instructions.head(); i != nullptr; i = i->next)
        pages += i->opcode == PIC_PAGE ? 1 : 0;
    EXPECT_GT(p.compilation().placement->programSize, 2 * PageWords);
    EXPECT_LT(pages, 20) << "callers and callees no longer share pages";
}

} // namespace
} // namespace kavo
