// Compiled C runs on the SX core model: each program goes through the whole compiler, its
// object file runs in the simulator, and the generated code must compute what the source says.
#include "tests/support/compiled_program.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace kavo {
namespace {

// An SX28 layout with the global registers open to variables, as examples/sx28.h gives it.
const char* const Layout = "#pragma ROM_START 0\n#pragma ROM_END 0x7FF\n#pragma RESET_LOC 0x7FF\n"
                           "#pragma CCTEMP_LOC 0x0C\n#pragma PAGEBITS_LOC 0x03\n"
                           "#pragma COMMON_BANK_START_1 0x08\n#pragma COMMON_BANK_END_1 0x0F\n"
                           "#pragma BANK_START_00 0x08\n#pragma BANK_END_00 0x1F\n"
                           "#pragma BANK_START_01 0x30\n#pragma BANK_END_01 0x3F\n"
                           "#pragma BANK_START_02 0x50\n#pragma BANK_END_02 0x5F\n";

class CompiledProgram {
public:
    explicit CompiledProgram(const std::string& source) : program_(Layout + source) {}

    // Runs main with the given inputs (name -> value, low byte first).
    void run(std::initializer_list<std::pair<const char*, int>> inputs) {
        program_.restart(inputs);
        program_.runToEnd();
    }
    int byte(const char* name, int offset = 0) const {
        return static_cast<int>(program_.element(name, offset));
    }
    int word(const char* name) const { return static_cast<int>(program_.value(name)); }

private:
    testing::CompiledProgram program_;
};

int u8(int v) {
    return v & 0xFF;
}
int u16(int v) {
    return v & 0xFFFF;
}

TEST(CompiledSemantics, SignedByteRelations) {
    CompiledProgram p("char a, b; char lt, gt, le, ge, eq, ne;\n"
                      "void main(void) { lt = a < b; gt = a > b; le = a <= b; ge = a >= b;"
                      " eq = a == b; ne = a != b; }\n");
    const int values[] = {-128, -100, -2, -1, 0, 1, 2, 100, 127};
    for (int a : values) {
        for (int b : values) {
            p.run({{"a", a}, {"b", b}});
            SCOPED_TRACE(std::to_string(a) + " vs " + std::to_string(b));
            EXPECT_EQ(p.byte("lt"), a < b);
            EXPECT_EQ(p.byte("gt"), a > b);
            EXPECT_EQ(p.byte("le"), a <= b);
            EXPECT_EQ(p.byte("ge"), a >= b);
            EXPECT_EQ(p.byte("eq"), a == b);
            EXPECT_EQ(p.byte("ne"), a != b);
        }
    }
}

TEST(CompiledSemantics, UnsignedByteRelations) {
    CompiledProgram p("unsigned char a, b; char lt, gt, le, ge;\n"
                      "void main(void) { lt = a < b; gt = a > b; le = a <= b; ge = a >= b; }\n");
    const int values[] = {0, 1, 2, 100, 127, 128, 200, 254, 255};
    for (int a : values) {
        for (int b : values) {
            p.run({{"a", a}, {"b", b}});
            SCOPED_TRACE(std::to_string(a) + " vs " + std::to_string(b));
            EXPECT_EQ(p.byte("lt"), a < b);
            EXPECT_EQ(p.byte("gt"), a > b);
            EXPECT_EQ(p.byte("le"), a <= b);
            EXPECT_EQ(p.byte("ge"), a >= b);
        }
    }
}

TEST(CompiledSemantics, ByteArithmetic) {
    CompiledProgram p("char a, b; char s, d, n, o, x, c, m, z;\n"
                      "void main(void) { s = a + b; d = a - b; n = a & b; o = a | b; x = a ^ b;"
                      " c = ~a; m = -a; z = !a; }\n");
    const int values[] = {0, 1, 7, 100, 127, 128, 200, 255};
    for (int a : values) {
        for (int b : values) {
            p.run({{"a", a}, {"b", b}});
            SCOPED_TRACE(std::to_string(a) + ", " + std::to_string(b));
            EXPECT_EQ(p.byte("s"), u8(a + b));
            EXPECT_EQ(p.byte("d"), u8(a - b));
            EXPECT_EQ(p.byte("n"), a & b);
            EXPECT_EQ(p.byte("o"), a | b);
            EXPECT_EQ(p.byte("x"), a ^ b);
            EXPECT_EQ(p.byte("c"), u8(~a));
            EXPECT_EQ(p.byte("m"), u8(-a));
            EXPECT_EQ(p.byte("z"), a == 0);
        }
    }
}

TEST(CompiledSemantics, WordArithmeticAndRelations) {
    CompiledProgram p("long m, n, s, d; char lt, ge, eq;\n"
                      "void main(void) { s = m + n; d = m - n; lt = m < n; ge = m >= n;"
                      " eq = m == n; }\n");
    const int values[] = {-32768, -1000, -256, -1, 0, 1, 255, 256, 1000, 32767};
    for (int m : values) {
        for (int n : values) {
            p.run({{"m", m}, {"n", n}});
            SCOPED_TRACE(std::to_string(m) + ", " + std::to_string(n));
            EXPECT_EQ(p.word("s"), u16(m + n));
            EXPECT_EQ(p.word("d"), u16(m - n));
            EXPECT_EQ(p.byte("lt"), m < n);
            EXPECT_EQ(p.byte("ge"), m >= n);
            EXPECT_EQ(p.byte("eq"), m == n);
        }
    }
}

TEST(CompiledSemantics, UnsignedWordRelations) {
    CompiledProgram p("unsigned long m, n; char lt, le;\n"
                      "void main(void) { lt = m < n; le = m <= n; }\n");
    const int values[] = {0, 1, 255, 256, 0x7FFF, 0x8000, 0xFF00, 0xFFFF};
    for (int m : values) {
        for (int n : values) {
            p.run({{"m", m}, {"n", n}});
            SCOPED_TRACE(std::to_string(m) + ", " + std::to_string(n));
            EXPECT_EQ(p.byte("lt"), m < n);
            EXPECT_EQ(p.byte("le"), m <= n);
        }
    }
}

TEST(CompiledSemantics, RuntimeRoutineOperators) {
    CompiledProgram p("char a, b; long r, q, m;\n"
                      "void main(void) { r = a * b; q = a / b; m = a % b; }\n");
    const int values[] = {-128, -7, -1, 1, 2, 3, 10, 127};
    for (int a : values) {
        for (int b : values) {
            p.run({{"a", a}, {"b", b}});
            SCOPED_TRACE(std::to_string(a) + ", " + std::to_string(b));
            EXPECT_EQ(p.word("r"), u16(a * b));
            EXPECT_EQ(p.word("q"), u16(a / b)) << "signed division truncates";
            EXPECT_EQ(p.word("m"), u16(a % b)) << "the remainder takes the dividend's sign";
        }
    }
}

TEST(CompiledSemantics, Shifts) {
    CompiledProgram p("unsigned char a, n; long l, r;\n"
                      "void main(void) { l = a << n; r = a >> n; }\n");
    for (int a : {0, 1, 0x81, 0xFF}) {
        for (int n : {0, 1, 4, 8, 15, 16, 200}) {
            p.run({{"a", a}, {"n", n}});
            SCOPED_TRACE(std::to_string(a) + " by " + std::to_string(n));
            EXPECT_EQ(p.word("l"), n >= 16 ? 0 : u16(a << n));
            EXPECT_EQ(p.word("r"), n >= 16 ? 0 : a >> n);
        }
    }
}

TEST(CompiledSemantics, LoopsAndCompoundAssignment) {
    CompiledProgram p("char i, n; long sum;\n"
                      "void main(void) { sum = 0; for (i = 0; i < n; i++) sum += i; }\n");
    for (int n : {0, 1, 10, 100, 127}) {
        p.run({{"n", n}});
        EXPECT_EQ(p.word("sum"), n * (n - 1) / 2) << n;
    }
}

TEST(CompiledSemantics, WhileAndDoWhileCountDown) {
    CompiledProgram p("unsigned char n, k; long w;\n"
                      "void main(void) { k = 0; while (n) { n--; k++; } w = 300;"
                      " do { w--; } while (w > 250); }\n");
    p.run({{"n", 37}});
    EXPECT_EQ(p.byte("n"), 0);
    EXPECT_EQ(p.byte("k"), 37);
    EXPECT_EQ(p.word("w"), 250);
}

TEST(CompiledSemantics, Switch) {
    CompiledProgram p("char c, r;\n"
                      "void main(void) { switch (c) { case 1: r = 10; break; case 2: r = 20;"
                      " break; case 300: r = 44; break; default: r = 99; } }\n");
    // A char is never 300: that case can never match, and 44 takes the default.
    for (auto [c, r] : {std::pair{1, 10}, {2, 20}, {44, 99}, {0, 99}, {3, 99}}) {
        p.run({{"c", c}});
        EXPECT_EQ(p.byte("r"), r) << c;
    }
}

TEST(CompiledSemantics, SixteenBitSteps) {
    CompiledProgram p("long up, down, old;\n"
                      "void main(void) { up++; old = down--; }\n");
    for (int v : {0, 0xFF, 0x100, 0xFFFF, 0x1234}) {
        p.run({{"up", v}, {"down", v}});
        EXPECT_EQ(p.word("up"), u16(v + 1)) << v;
        EXPECT_EQ(p.word("down"), u16(v - 1)) << v;
        EXPECT_EQ(p.word("old"), v) << v;
    }
}

TEST(CompiledSemantics, LogicalAndConditionalOperators) {
    CompiledProgram p("char a, b, both, either, pick;\n"
                      "void main(void) { both = a && b; either = a || b; pick = a ? 5 : 7; }\n");
    for (int a : {0, 1, 200}) {
        for (int b : {0, 3}) {
            p.run({{"a", a}, {"b", b}});
            SCOPED_TRACE(std::to_string(a) + ", " + std::to_string(b));
            EXPECT_EQ(p.byte("both") != 0, a != 0 && b != 0);
            EXPECT_EQ(p.byte("either") != 0, a != 0 || b != 0);
            EXPECT_EQ(p.byte("pick"), a != 0 ? 5 : 7);
        }
    }
}

TEST(CompiledSemantics, ArraysThroughTheIndirectRegister) {
    CompiledProgram p("char a[5]; char i, x, y;\n"
                      "void main(void) { for (i = 0; i < 5; i++) a[i] = i + i + i;"
                      " x = a[2] + a[4]; a[1]++; y = a[i - 4]; }\n");
    p.run({});
    EXPECT_EQ(p.byte("x"), 18);
    EXPECT_EQ(p.byte("y"), 4) << "a[1] after its increment";
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(p.byte("a", i), i == 1 ? 4 : 3 * i) << i;
}

// The bytes used between an FSR set-up and its indirect access must fit the four free global
// registers, so the elements and the pointer are proven in two programs.
TEST(CompiledSemantics, SixteenBitElements) {
    CompiledProgram p("long w[3]; char i, c; long r;\n"
                      "void main(void) { for (i = 0; i < 3; i++) w[i] = c; w[2] = 997;"
                      " r = w[2]; }\n");
    p.run({{"c", -3}});
    EXPECT_EQ(p.word("r"), 997);
    EXPECT_EQ(p.byte("w", 0) | (p.byte("w", 1) << 8), u16(-3)) << "sign-extended through INDF";
    EXPECT_EQ(p.byte("w", 2) | (p.byte("w", 3) << 8), u16(-3));
    EXPECT_EQ(p.byte("w", 4) | (p.byte("w", 5) << 8), 997);
}

TEST(CompiledSemantics, SixteenBitStoreThroughAPointer) {
    CompiledProgram p("long *lp; long q;\nvoid main(void) { lp = &q; *lp = -2; }\n");
    p.run({});
    EXPECT_EQ(p.word("q"), u16(-2));
}

TEST(CompiledSemantics, MembersOfArrayElements) {
    CompiledProgram p(
        "struct pt { char x; char y; } pts[3]; char i, sum;\n"
        "void main(void) { for (i = 0; i < 3; i++) { pts[i].x = i; pts[i].y = i + 10; }"
        " sum = pts[1].y + pts[2].x; }\n");
    p.run({});
    EXPECT_EQ(p.byte("sum"), 13);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(p.byte("pts", 2 * i), i);
        EXPECT_EQ(p.byte("pts", 2 * i + 1), i + 10);
    }
}

} // namespace
} // namespace kavo
