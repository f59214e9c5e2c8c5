// The random differential test of expressions at scale. Not a test: it prints its figures.
//   differential_bench [statements] [seed] [features]
// features: the letters of the constructs left out (b bitwise, r * / % << >>, c relations,
// l && || !, k casts, t stores into another type, a compound assignments, q ?:).
#include "tests/support/differential_run.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100'000;
    const auto seed = static_cast<std::uint32_t>(argc > 2 ? std::atol(argv[2]) : 2026);
    kavo::testing::ExpressionFeatures features;
    const std::string without = argc > 3 ? argv[3] : "";
    features.bitwise = without.find('b') == std::string::npos;
    features.runtimeOperations = without.find('r') == std::string::npos;
    features.relations = without.find('c') == std::string::npos;
    features.logical = without.find('l') == std::string::npos;
    features.casts = without.find('k') == std::string::npos;
    features.otherTargetTypes = without.find('t') == std::string::npos;
    features.compoundAssignments = without.find('a') == std::string::npos;
    features.conditionals = without.find('q') == std::string::npos;
    const auto start = std::chrono::steady_clock::now();
    const kavo::testing::DifferentialFigures figures =
        kavo::testing::runDifferentialTest(seed, count, features);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("seed %u: %d statements in %d programs, %d evaluations, %d disagreements, "
                "%d refused, %.1f s\n",
                seed, figures.statements, figures.programs, figures.evaluations,
                figures.disagreements, figures.refused, seconds);
    for (const std::string& example : figures.examples)
        std::printf("  %s\n", example.c_str());
    return figures.disagreements == 0 ? 0 : 1;
}
