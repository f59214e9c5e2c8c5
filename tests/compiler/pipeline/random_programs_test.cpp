// Random whole programs (functions calling one another, globals in every RAM bank, arrays,
// structs, pointers, loops, switches, side effects inside expressions), compiled for the SX28
// and the SX52 and run on the SX core model, must leave every global as the host model of the
// dialect says. The seed is fixed so that a failure repeats; program_differential_bench runs
// many more, with any set of constructs.
#include "tests/support/program_differential_run.hpp"

#include <gtest/gtest.h>

namespace kavo {
namespace {

using namespace testing::program;

std::string examplesText(const ProgramFigures& figures) {
    std::string text;
    for (const std::string& example : figures.examples)
        text += example + "\n";
    return text;
}

// With a global placed at the end of every bank above the first, the globals reach each of
// them, and the SX28's bank 0 too.
int banksReached(const Features& f, sxsim::DeviceKind device) {
    if (!f.fixedAddresses)
        return 2;
    if (device != sxsim::DeviceKind::SX52)
        return 8;
    return f.upperBanks ? 15 : 7;
}

class RandomPrograms : public ::testing::TestWithParam<sxsim::DeviceKind> {};

TEST_P(RandomPrograms, LeaveEveryGlobalAsTheDialectSays) {
    const Features features = passingFeatures(GetParam());
    const ProgramFigures figures = runRandomPrograms(23, 250, features, GetParam());
    EXPECT_EQ(figures.programs, 250);
    // Every construct at once makes some programs too big for the chip's words or RAM.
    EXPECT_LT(figures.undefined + figures.tooBig, figures.programs / 4)
        << "the generator should seldom write a program without a defined result, or one too "
           "big for the chip";
    EXPECT_EQ(figures.refused, 0) << examplesText(figures);
    EXPECT_EQ(figures.disagreements, 0) << examplesText(figures);
    EXPECT_GE(figures.banks, banksReached(features, GetParam()));
    // Most span pages of program memory, where function placement changes the layout.
    EXPECT_GT(figures.multiPage, figures.programs / 2);
}

INSTANTIATE_TEST_SUITE_P(Devices, RandomPrograms,
                         ::testing::Values(sxsim::DeviceKind::SX28, sxsim::DeviceKind::SX52),
                         [](const auto& device) {
                             return device.param == sxsim::DeviceKind::SX52 ? "Sx52" : "Sx28";
                         });

// The harness must see a wrong value: expectations one off in every cell are a disagreement
// naming the cells, on a program that compiles and runs.
TEST(RandomProgramHarness, AWrongExpectationIsCountedAsADisagreement) {
    const Program p =
        generateProgram(5, passingFeatures(sxsim::DeviceKind::SX28), sxsim::DeviceKind::SX28);
    auto expected = modelRun(p);
    ASSERT_TRUE(expected.has_value());
    ASSERT_EQ(check(p, *expected, sxsim::DeviceKind::SX28).verdict, Verdict::Agrees);
    for (auto& cells : *expected) {
        for (auto& cell : cells) {
            if (cell)
                *cell = *cell == 0 ? 1 : 0;
        }
    }
    const Outcome wrong = check(p, *expected, sxsim::DeviceKind::SX28);
    EXPECT_EQ(wrong.verdict, Verdict::Disagrees);
    EXPECT_NE(wrong.message.find(", expected "), std::string::npos) << wrong.message;
}

} // namespace
} // namespace kavo
