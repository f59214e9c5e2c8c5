// The random differential test of whole programs at scale. Not a test: it prints its figures.
//   program_differential_bench [programs] [seed] [sx28|sx52] [features] [examples]
// features: all (the default), none, pass (what the test runs) or letters, each optionally
// followed by +letters and -letters, e.g. pass+pi or all-b. examples: how many reduced
// programs to show of the refusals (one per message) and of the wrong values (3).
#include "tests/support/program_differential_run.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace program = kavo::testing::program;

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10'000;
    const auto seed = static_cast<std::uint32_t>(argc > 2 ? std::atol(argv[2]) : 2026);
    const std::string deviceName = argc > 3 ? argv[3] : "sx28";
    const auto device = deviceName == "sx52" ? sxsim::DeviceKind::SX52 : sxsim::DeviceKind::SX28;
    const auto features = program::parseFeatures(argc > 4 ? argv[4] : "all", device);
    const int examples = argc > 5 ? std::atoi(argv[5]) : 3;
    if ((deviceName != "sx28" && deviceName != "sx52") || !features) {
        std::fprintf(stderr,
                     "usage: program_differential_bench [programs] [seed] [sx28|sx52] "
                     "[features] [examples]\nfeatures: all, none, pass, or letters, then "
                     "+letters or -letters:\n%s",
                     program::featureHelp().c_str());
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const program::ProgramFigures figures =
        program::runRandomPrograms(seed, count, *features, device, examples);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("seed %u, %s, features %s: %d programs (%d undefined ones thrown away, %d too "
                "big for the chip), %d refused, %d disagreements, globals in up to %d banks, "
                "%d larger than one page, %.1f s\n",
                seed, deviceName.c_str(), program::featureLetters(*features).c_str(),
                figures.programs, figures.undefined, figures.tooBig, figures.refused,
                figures.disagreements, figures.banks, figures.multiPage, seconds);
    for (const auto& [message, times] : figures.refusals)
        std::printf("  refused %d times: %s\n", times, message.c_str());
    for (const std::string& example : figures.examples)
        std::printf("\n%s", example.c_str());
    return figures.refused == 0 && figures.disagreements == 0 ? 0 : 1;
}
