// What `kavo_bench` measures and with which compiler:
//   kavo_bench [--kavo PATH] [--max-lines N] [--only AREAS] [--compile-limit SECONDS]
// AREAS is a comma list of compile, simulator, programming and size (all by default).
#pragma once

#include <optional>
#include <set>
#include <string>

namespace kavo::bench {

struct BenchOptions {
    std::string kavo;                 // the compiler under test
    std::string sourceDir;            // the source tree: examples/ and the device headers
    int maxLines = 50'000;            // the largest generated program compiled
    double compileLimitSeconds = 120; // one compile longer than this is stopped
    std::set<std::string> areas = {"compile", "simulator", "programming", "size",
                                      "density"};

    bool measures(const std::string& area) const { return areas.count(area) != 0; }
};

// The options of the command line, or nothing with the reason in `error`. defaults holds the
// compiler and source paths of this build.
std::optional<BenchOptions> parseBenchOptions(int argc, char** argv, BenchOptions defaults,
                                              std::string& error);

} // namespace kavo::bench
