// Random expressions over the dialect's 8- and 16-bit, signed and unsigned variables, compiled
// through the whole compiler and run on the SX core model, must store what the host model of
// the dialect computes. The seed is fixed so that a failure repeats; the benchmark
// differential_bench runs many more.
#include "tests/support/differential_run.hpp"

#include <gtest/gtest.h>

namespace kavo {
namespace {

using testing::DifferentialFigures;
using testing::ExpressionFeatures;

std::string firstDisagreements(const DifferentialFigures& figures) {
    std::string text;
    for (const std::string& example : figures.examples)
        text += example + "\n";
    return text;
}

TEST(DifferentialExpressions, ThreeThousandRandomStatementsStoreWhatTheDialectComputes) {
    const DifferentialFigures figures =
        testing::runDifferentialTest(19, 3000, ExpressionFeatures{});
    EXPECT_EQ(figures.statements, 3000);
    EXPECT_EQ(figures.evaluations, 4 * 3000);
    EXPECT_EQ(figures.disagreements, 0) << firstDisagreements(figures);
}

// The host model's own rules, worked out by hand.
TEST(DifferentialExpressions, TheHostModelKeepsItsOwnRules) {
    using namespace testing::dialect;
    EXPECT_EQ(binary(Op::Mod, {-7, SignedChar}, {2, Literal})->v, -1);
    EXPECT_EQ(binary(Op::Shr, {-32768, SignedLong}, {15, Literal})->v, -1);
    EXPECT_EQ(binary(Op::Add, {-1, SignedChar}, {0, UnsignedLong})->v, 65535);
    EXPECT_EQ(binary(Op::Lt, {-1, SignedChar}, {5, UnsignedChar})->v, 0); // compared as 255
    EXPECT_EQ(binary(Op::Lt, {-1, SignedLong}, {5, UnsignedChar})->v, 1);
    EXPECT_EQ(binary(Op::Gt, {-1, SignedChar}, {200, Literal})->v, 0); // 16-bit, signed
    EXPECT_EQ(binary(Op::Mul, {200, UnsignedChar}, {200, UnsignedChar})->v, -25536);
    EXPECT_EQ(binary(Op::Div, {-7, SignedChar}, {200, UnsignedChar})->v, 0);
    EXPECT_EQ(binary(Op::LogicalAnd, {256, SignedLong}, {2, SignedChar})->v, 1);
    EXPECT_FALSE(binary(Op::Div, {1, SignedChar}, {0, SignedChar}).has_value());
}

// The harness must see a wrong value: a statement whose expectation follows a wrong rule (the
// remainder taken on unsigned bit patterns, -7 % 2 as 65529 % 2 = 1) is counted once per set.
TEST(DifferentialExpressions, AWrongExpectationIsCountedAsADisagreement) {
    testing::GeneratedStatement wrong{
        "rsl = sc0 % 2; out();", testing::dialect::SignedLong, {1, 1}};
    testing::GeneratedStatement right{
        "rsl = sc0 % 2; out();", testing::dialect::SignedLong, {-1, 0}};
    const std::vector<testing::Inputs> sets = {{-7, 0, 0, 0, 0, 0, 0, 0}, {6, 0, 0, 0, 0, 0, 0, 0}};
    testing::CompiledProgram p(testing::differential::programSource({wrong, right}));
    DifferentialFigures figures;
    testing::differential::runBatch(p, {wrong, right}, sets, figures);
    EXPECT_EQ(figures.evaluations, 4);
    EXPECT_EQ(figures.disagreements, 2) << firstDisagreements(figures);
}

} // namespace
} // namespace kavo
