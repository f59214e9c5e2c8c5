// sxsim's source-level stops through the executable: a compiled program, its listing and
// assembly file beside the object file.
#include "simulator/sxsim_options.hpp"
#include "tests/support/in_process_compile.hpp"
#include "tests/support/run_command.hpp"
#include "tests/support/sx28_prelude.hpp"

#include <gtest/gtest.h>

#include <cstdio>

namespace kavo::debugger {
namespace {

using Outcome = testing::CommandOutcome;

Outcome runSxsim(const std::string& arguments) {
    return testing::runCommand(std::string(SXSIM_PATH) + " " + arguments);
}

// Line numbers below count from the program's first line, after the prelude.
constexpr int Prelude = testing::Sx28Lines;

class SxsimBreakLine : public ::testing::Test {
protected:
    void SetUp() override {
        compile_.wholeBackEnd = true;
        compile_.run(testing::Sx28 + R"(unsigned char n;
unsigned long total;
void main(void)
{
    unsigned char k;
    total = 1000;
    for (k = 0; k < 4; k++) {
        n = k;
        total = total + 250;
    }
    n = 99;
    while (1)
        ;
}
)");
        ASSERT_TRUE(compile_.c.successFlag) << compile_.io.messages;
    }
    static std::string line(int programLine) { return std::to_string(Prelude + programLine); }

    testing::InProcessCompile compile_;
};

TEST_F(SxsimBreakLine, PrintsTheWatchedVariablesAtEachStop) {
    const Outcome out = runSxsim("prog.obj --source prog.c --break-line " + line(9) +
                                 " --watch n --watch total --watch main.k --continue 2");
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.output, "n = 0\ntotal = 1000\nmain.k = 0\n"
                          "n = 1\ntotal = 1250\nmain.k = 1\n"
                          "n = 2\ntotal = 1500\nmain.k = 2\n");
}

TEST_F(SxsimBreakLine, StopsAtTheFirstOfSeveralLines) {
    const Outcome out = runSxsim("prog.obj --source=prog.c --break-line " + line(11) +
                                 " --break-line " + line(6) + " --watch total --continue 1");
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.output, "total = 0\ntotal = 2000\n");
}

TEST_F(SxsimBreakLine, ARunThatEndsEarlyIsReported) {
    const Outcome out =
        runSxsim("prog.obj --source prog.c --break-line " + line(11) + " --watch n --continue 5");
    EXPECT_EQ(out.status, 0) << "the program's end keeps its exit status";
    EXPECT_EQ(out.output.rfind("n = 3\n", 0), 0u) << out.output;
    EXPECT_NE(out.output.find("ended (self-jump) before its last --break-line stop"),
              std::string::npos)
        << out.output;
}

TEST_F(SxsimBreakLine, TheStepLimitStillHolds) {
    const Outcome out = runSxsim("prog.obj --steps 3 --break-line " + line(11) + " --watch n");
    EXPECT_EQ(out.status, 3) << out.output;
}

TEST_F(SxsimBreakLine, MistakesAreNamed) {
    Outcome out = runSxsim("prog.obj --source prog.c --break-line " + line(9) + " --watch m");
    EXPECT_EQ(out.status, 1);
    EXPECT_NE(out.output.find("no variable 'm'"), std::string::npos) << out.output;
    out = runSxsim("prog.obj --source prog.c --break-line 2 --watch n");
    EXPECT_EQ(out.status, 1);
    EXPECT_NE(out.output.find("line 2 of prog.c produced no code"), std::string::npos)
        << out.output;
    std::remove("prog.lst");
    out = runSxsim("prog.obj --break-line " + line(9));
    EXPECT_EQ(out.status, 1);
    EXPECT_NE(out.output.find("no source line information"), std::string::npos) << out.output;
}

TEST(SxsimWatch, ALargerVariableIsPrintedAsItsBytes) {
    testing::InProcessCompile compile;
    compile.wholeBackEnd = true;
    compile.run(testing::Sx28 + R"(unsigned char text[3];
void main(void)
{
    text[0] = 1;
    text[1] = 2;
    text[2] = 3;
    while (1)
        ;
}
)");
    ASSERT_TRUE(compile.c.successFlag) << compile.io.messages;
    const Outcome out = runSxsim("prog.obj --source prog.c --break-line " +
                                 std::to_string(Prelude + 6) + " --watch text");
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.output, "text = 1 2 0\n");
}

TEST(SxsimBreakLineOptions, ValuesAndMistakes) {
    const auto parsed = sxsim::parseSxsimOptions({"p.obj", "--source", "p.c", "--break-line", "12",
                                                  "--break-line=0x10", "--watch", "a", "--watch=b",
                                                  "--continue", "3"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->sourceFile, "p.c");
    EXPECT_EQ(parsed.options->breakLines, (std::vector<int>{12, 16}));
    EXPECT_EQ(parsed.options->watches, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(parsed.options->continueCount, 3u);
    EXPECT_EQ(sxsim::parseSxsimOptions({"p.obj", "--break-line", "0"}).error,
              "--break-line needs a source line number, not '0'");
    EXPECT_EQ(sxsim::parseSxsimOptions({"p.obj", "--watch", "a"}).error,
              "--watch and --continue need --break-line");
    EXPECT_EQ(sxsim::parseSxsimOptions({"p.obj", "--break-line", "3", "--continue", "x"}).error,
              "--continue needs a whole number, not 'x'");
}

} // namespace
} // namespace kavo::debugger
