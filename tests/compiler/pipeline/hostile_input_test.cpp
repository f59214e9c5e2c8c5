// Inputs no person writes but a program or a slip of the keyboard can: nesting thousands of
// levels deep, operator chains of thousands of terms, escapes with endless digits, lines of
// megabytes, directories as include files. Each ends with a message (or compiles) within a
// time that grows in step with the input.
#include "compiler/base/fatal_stop.hpp"
#include "compiler/run/nesting_level.hpp"
#include "tests/support/in_process_compile.hpp"
#include "tests/support/sx28_prelude.hpp"

#include <gtest/gtest.h>

#include <string>

#include <time.h>

namespace kavo {
namespace {

using testing::Sx28;

struct Outcome {
    bool compiled = false;
    std::string messages;
    std::string errors; // the standard error channel
    double seconds = 0;
};

// The CPU seconds of this thread, which the compilation runs in: on a shared machine other
// programs' work counts against the clock on the wall, not against this.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

Outcome compile(const std::string& source) {
    testing::InProcessCompile run;
    run.wholeBackEnd = true;
    Outcome outcome;
    const double start = threadSeconds();
    try {
        run.run(Sx28 + source);
        outcome.compiled = run.c.successFlag;
    } catch (const FatalStop&) {
        outcome.compiled = false;
    }
    outcome.seconds = threadSeconds() - start;
    outcome.messages = run.io.messages;
    outcome.errors = run.io.err;
    return outcome;
}

bool has(const Outcome& o, const std::string& text) {
    return o.messages.find(text) != std::string::npos;
}

std::string repeated(const std::string& text, int times) {
    std::string out;
    out.reserve(text.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// CPU seconds an input may take. The figures were measured on an optimised build, where the
// quadratic versions took from 3.6 s to 244 s on these inputs; unoptimised and sanitizer
// builds run several times slower and get a larger allowance.
double allowed(double optimisedSeconds) {
#ifdef NDEBUG
    return optimisedSeconds;
#else
    return optimisedSeconds * 8;
#endif
}

const std::string NestingRefused = "ERROR(C278): ";

// One statement carrying count labels, a line each.
std::string labelledStatement(int count) {
    std::string labels;
    for (int i = 0; i < count; ++i)
        labels += "L" + std::to_string(i) + ":\n";
    return "char x;\nvoid main(void) {\n" + labels + "x = 1; }\n";
}

// depth struct declarations, each inside the one before, a line each.
std::string nestedStructs(int depth) {
    std::string source = "struct s0 {\n";
    for (int i = 1; i <= depth; ++i)
        source += "struct s" + std::to_string(i) + " {\n";
    source += "char a;\n";
    for (int i = depth; i >= 1; --i)
        source += "} m" + std::to_string(i) + ";\n";
    return source + "} v;\nvoid main(void) { }\n";
}

TEST(DeepNesting, IsRefusedWithAMessageInsteadOfOverflowingTheStack) {
    struct Case {
        const char* what;
        std::string source;
    };
    const Case cases[] = {
        {"30,000 nested parentheses", "char x;\nvoid main(void) { x = " + repeated("(", 30000) +
                                          "1" + repeated(")", 30000) + "; }\n"},
        {"12,000 nested call arguments",
         "char f(char a) { return a; }\nchar x;\nvoid main(void) { x = " + repeated("f(", 12000) +
             "1" + repeated(")", 12000) + "; }\n"},
        {"30,000 labels on one statement", labelledStatement(30000)},
        {"20,000 nested do loops", "char x;\nvoid main(void) {\n" + repeated("do\n", 20000) +
                                       "x = 1;\n" + repeated("while (x);\n", 20000) + "}\n"},
        {"4,000 nested struct declarations", nestedStructs(4000)},
    };
    for (const Case& c : cases) {
        const Outcome o = compile(c.source);
        EXPECT_FALSE(o.compiled) << c.what;
        EXPECT_TRUE(has(o, NestingRefused)) << c.what << "\n" << o.messages.substr(0, 2000);
        EXPECT_LT(o.seconds, allowed(3.0)) << c.what;
    }
}

TEST(DeepNesting, TheBoundLiesJustPastTheDeepestNestingThatCompiles) {
    // The expression statement itself is one level; each parenthesis adds one.
    const auto parentheses = [](int depth) {
        return "char x;\nvoid main(void) { x = " + repeated("(", depth) + "1 + 2" +
               repeated(")", depth) + "; }\n";
    };
    const Outcome deepest = compile(parentheses(MaxNestingDepth - 1));
    EXPECT_TRUE(deepest.compiled) << deepest.messages.substr(0, 2000);
    const Outcome refused = compile(parentheses(MaxNestingDepth));
    EXPECT_FALSE(refused.compiled);
    EXPECT_TRUE(has(refused, "ERROR(C278): Line: 15 Expressions, statements or declarations "
                             "nested more than 1000 levels deep.\n"))
        << refused.messages.substr(0, 2000);
    // Refused once, not once per enclosing level.
    EXPECT_EQ(refused.messages.find(NestingRefused), refused.messages.rfind(NestingRefused));
}

TEST(DeepNesting, CallArgumentsNestedNearTheBoundStillFitTheStack) {
    // A call argument costs two levels (the argument, then its parenthesised run), and the
    // largest frames of the generator: this depth is what the bound admits for them. The
    // code is then too big for the part, which the back end reports after generating it.
    const int depth = MaxNestingDepth / 2 - 2;
    const Outcome o = compile("char f(char a) { return a + 1; }\nchar x;\nvoid main(void) { x = " +
                              repeated("f(", depth) + "1" + repeated(")", depth) + "; }\n");
    EXPECT_FALSE(has(o, NestingRefused)) << o.messages.substr(0, 2000);
    EXPECT_TRUE(has(o, "Creating assembly code.\n")) << o.messages.substr(0, 2000);
}

TEST(CharacterConstants, EscapesPastAByteAreOutOfRangeWhateverTheirLength) {
    const Outcome o = compile("char x;\nchar *s;\nvoid main(void) {\n"
                              "x = '\\x123456789';\n"
                              "x = '\\x1FFFFFFFFFFFFFFFFFFFFFFFFFFFFFF';\n"
                              "x = '\\777';\n"
                              "s = \"a\\x123456789b\";\n"
                              "x = '\\xFF';\n"
                              "}\n");
    EXPECT_FALSE(o.compiled);
    for (int line : {17, 18, 19, 20})
        EXPECT_TRUE(has(o, "ERROR(C279): Line: " + std::to_string(line) +
                               " Constant value out of range.\n"))
            << line << "\n"
            << o.messages;
    EXPECT_FALSE(has(o, "Line: 21 Constant value")) << o.messages;
}

TEST(LinearTime, LongOperatorAndMemberChains) {
    // Before: 13.9 s, the generator walking the list from its start for every term and the
    // optimiser removing one dead flag setting per term.
    const Outcome sum =
        compile("char x;\nvoid main(void) { x = 1" + repeated("+1", 19999) + "; }\n");
    EXPECT_TRUE(sum.compiled) << sum.messages.substr(0, 2000);
    EXPECT_LT(sum.seconds, allowed(1.5));
    // Before: 3.6 s.
    const Outcome chain = compile("struct s { char a; } v;\nchar x;\nvoid main(void) { x = v" +
                                  repeated(".a", 20000) + "; }\n");
    EXPECT_FALSE(chain.compiled);
    EXPECT_TRUE(has(chain, "ERROR(C28): ")) << chain.messages.substr(0, 2000);
    EXPECT_LT(chain.seconds, allowed(1.0));
}

TEST(LinearTime, ASwitchWithTenThousandCases) {
    // Before: 244 s, each case comparison walking the instruction list to the switch's end.
    std::string cases;
    for (int i = 0; i < 10000; ++i)
        cases += "case " + std::to_string(i) + ": y = 1; break;\n";
    const Outcome o =
        compile("long x;\nchar y;\nvoid main(void) { switch (x) {\n" + cases + "} }\n");
    // Far more code than the part holds.
    EXPECT_FALSE(o.compiled);
    EXPECT_TRUE(has(o, "ERROR(C70): ")) << o.messages.substr(0, 2000);
    EXPECT_LT(o.seconds, allowed(5.0));
}

TEST(LinearTime, FiveHundredFunctions) {
    // Before: 8.8 s, each rewrite of the optimiser re-reading the whole program, and each
    // label merge and call vector scanning it again.
    std::string program = "unsigned char g0, g1, g2, g3;\n";
    std::string calls;
    for (int f = 0; f < 500; ++f) {
        const std::string name = "f" + std::to_string(f);
        program += "void " + name +
                   "(void) {\n    g1 = g0 + 3;\n    if (g1 > 10)\n        g2 = g1 - 1;\n"
                   "    else\n        g2 = g1 + 2;\n    while (g2) g2--;\n"
                   "    for (g3 = 0; g3 < 4; g3++) g0 += g3;\n}\n";
        calls += "    " + name + "();\n";
    }
    const Outcome o = compile(program + "void main(void) {\n" + calls + "}\n");
    // Far more code than the part holds.
    EXPECT_FALSE(o.compiled);
    EXPECT_TRUE(has(o, "ERROR(C70): ")) << o.messages.substr(0, 2000);
    EXPECT_LT(o.seconds, allowed(2.0));
}

TEST(LinearTime, AnIdentifierOfMillionsOfCharactersMadeByReplace) {
    // 66,000 uses of a 62-character #replace value: a 4.2-million-character identifier,
    // 15 s in the scanner before.
    const Outcome o = compile("#replace X " + std::string(62, 'Y') + "\nchar " +
                              repeated("X_", 66000) + "1;\nvoid main(void) { }\n");
    EXPECT_FALSE(o.compiled);
    EXPECT_TRUE(has(o, "ERROR(C280): \"prog.c\" Line: 15 line longer than 65536 characters "
                       "after #replace and #define.\n"))
        << o.messages.substr(0, 2000);
    EXPECT_LT(o.seconds, allowed(1.0));
}

TEST(Includes, ADirectoryIsNotASourceFile) {
    for (const char* name : {"/", ".", ".."}) {
        const Outcome o = compile(std::string("#include \"") + name + "\"\nvoid main(void) { }\n");
        EXPECT_FALSE(o.compiled) << name;
        EXPECT_TRUE(has(o, std::string("Cannot open include file ") + name)) << o.messages;
    }
}

} // namespace
} // namespace kavo
