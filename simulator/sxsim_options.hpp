// The command line of sxsim: FILE [--help] [--steps N] [--device NAME] [--map FILE] [--json]
// [--all] [--break ADDR]... [--source FILE.c --break-line N... --watch NAME... --continue K].
// Options take their value as the next argument or after "=".
#pragma once

#include "simulator/device.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sxsim {

inline constexpr std::uint64_t DEFAULT_STEP_LIMIT = 100'000'000;

struct SxsimOptions {
    std::string hexFile;
    std::optional<Device> device; // none: chosen from the HEX file
    std::string mapFile;
    std::uint64_t steps = DEFAULT_STEP_LIMIT;
    bool json = false;
    bool help = false;
    // The compiler's own registers and temporaries are left out of the report unless asked for.
    bool all = false;
    std::vector<unsigned> breakpoints;
    // Source-level stops: the run halts at each entry of these lines of sourceFile and prints
    // the watched variables, continueCount times more after the first stop.
    std::string sourceFile;
    std::vector<int> breakLines;
    std::vector<std::string> watches;
    std::uint64_t continueCount = 0;
};

struct ParsedOptions {
    std::optional<SxsimOptions> options; // set when the command line was valid
    std::string error;                   // otherwise the reason
};

ParsedOptions parseSxsimOptions(const std::vector<std::string_view>& args);

std::string sxsimUsage();

} // namespace sxsim
