// Argument lowering: a call's argument markers become moves into the callee's parameters right
// before the call, widening, sign-extending or cutting each argument to its parameter's size,
// with the messages for arguments that fit no parameter. Compiled calls then run on the SX
// core model with the values the source gives, with and without the peephole rules.
#include "compiler/backend/backend.hpp"
#include "tests/support/in_process_compile.hpp"
#include "tests/support/instruction_dump.hpp"
#include "tests/support/instruction_runner.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace kavo::testing {
namespace {

using Lines = std::vector<std::string>;

const char* const Header = "#pragma CCTEMP_LOC 8\n#pragma PAGEBITS_LOC 3\n";

const char* const Calls =
    "long r1, r2, r4; char r3; unsigned char u;\n"
    "long wide(long v) { return v; }\n"
    "char add(char a, char b) { return a + b; }\n"
    "void main(void) { signed char s; s = -3; u = 200; r1 = wide(s); r2 = wide(u);"
    " r3 = add(1, add(2, 3)); r4 = wide(-2); }\n";

struct Lowered {
    explicit Lowered(const std::string& source, bool rules) {
        compile.run(Header + source);
        optimise(compile.c, rules);
    }
    Lines main() const { return instructionsBetween(compile.c.instructions, "@main"); }
    InProcessCompile compile;
};

bool contains(const Lines& code, const Lines& run) {
    return std::search(code.begin(), code.end(), run.begin(), run.end()) != code.end();
}

TEST(ArgumentLowering, MovesFillTheParametersRightBeforeTheCall) {
    Lowered l(Calls, false);
    const Lines code = l.main();
    EXPECT_TRUE(contains(
        code, {"MOVF s,W", "MOVWF v", "CLRF v+1", "BTFSC s.7", "DECF v+1,F", "CALL wide"}));
    EXPECT_TRUE(contains(code, {"MOVF u,W", "MOVWF v", "CLRF v+1", "CALL wide"}));
    EXPECT_TRUE(contains(code, {"MOVLW 255", "MOVWF v+1", "MOVLW 254", "MOVWF v", "CALL wide"}));
    // The outer call's first argument is moved after the inner call, which also fills a.
    EXPECT_TRUE(contains(code, {"CALL add", "MOVWF _tmp_1", "MOVLW 1", "MOVWF a", "MOVF _tmp_1,W",
                                "MOVWF b", "CALL add"}));
    for (const std::string& line : code)
        EXPECT_FALSE(line.starts_with("FUNC")) << line;
    EXPECT_EQ(l.compile.c.errors(), 0) << l.compile.io.messages;
}

TEST(ArgumentLowering, AnArrayPassesItsAddressWithAZeroHighByte) {
    // (A char pointer parameter would read program memory: that is refused, see
    // expression_semantics_test.cpp; a long receives the address as a number.)
    Lowered l("char buf[4]; char first(long p) { return p; }\n"
              "void main(void) { char r; r = first(buf); }\n",
              false);
    const Lines code = l.main();
    ASSERT_TRUE(contains(code, {"ADDRESSOF buf", "MOVWF _tmp_1", "MOVF _tmp_1,W", "MOVWF p"}))
        << l.compile.io.messages;
    EXPECT_FALSE(std::any_of(code.begin(), code.end(),
                             [](const std::string& line) { return line.starts_with("BTFSC"); }));
}

TEST(ArgumentLowering, ArgumentsThatFitNoParameterAreReported) {
    Lowered l("long big; struct S { char a; char b; char c; };\n"
              "char one(char a) { return a; }\n"
              "char st(struct S s) { return 1; }\n"
              "void main(void) { char r; r = one(1, 2); r = one(big); r = one(300);"
              " r = st(5); }\n",
              false);
    const std::string& m = l.compile.io.messages;
    EXPECT_NE(m.find("ERROR(C30): Line: 6 Too many arguments in function call.\n"
                     "ERROR(C81): Line: 6 Too many arguments in function call.\n"),
              std::string::npos)
        << m;
    EXPECT_NE(m.find("WARNING: Line: 6 Argument to function looses MSB.\n"), std::string::npos);
    EXPECT_NE(m.find("ERROR(C310): Line: 6 Parameter s of st takes a variable of type struct S: "
                     "this value cannot be passed for it.\n"),
              std::string::npos)
        << m;
    EXPECT_EQ(l.compile.c.errors(), 3);
    const Lines code = l.main();
    EXPECT_TRUE(contains(code, {"MOVF big,W", "MOVWF a", "CALL one"}));
    EXPECT_TRUE(contains(code, {"MOVLW 44", "MOVWF a", "CALL one"}));
}

class CallsRun : public ::testing::TestWithParam<bool> {};

TEST_P(CallsRun, CompiledCallsComputeTheirValues) {
    Lowered l(Calls, GetParam());
    // The driver runs the optimiser a second time after the call vectors and strings.
    optimise(l.compile.c, GetParam());
    ASSERT_EQ(l.compile.c.errors(), 0) << l.compile.io.messages;
    InstructionRunner runner(l.compile.c.instructions.head());
    ASSERT_EQ(runner.runFrom("@main").reason, sxsim::StopReason::SelfJump);
    auto word = [&](const char* name) { return runner.byte(name) | runner.byte(name, 1) << 8; };
    EXPECT_EQ(word("r1"), 0xFFFD);
    EXPECT_EQ(word("r2"), 200);
    EXPECT_EQ(runner.byte("r3"), 6);
    EXPECT_EQ(word("r4"), 0xFFFE);
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutRules, CallsRun, ::testing::Bool());

} // namespace
} // namespace kavo::testing
