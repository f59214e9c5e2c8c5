// The command line of `sxprog`, the command-line chip programmer:
//   sxprog --port DEVICE [--programmer blitz|isp] [--device sx18|sx20|sx28|sx48|sx52] ACTION
// with exactly one ACTION of --read FILE, --write FILE, --verify FILE, --erase, --blank-check.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavo::programmer {

enum class SxprogAction { Read, Write, Verify, Erase, BlankCheck };

struct SxprogOptions {
    bool help = false;
    std::string port;
    std::string programmerType = "SX-Blitz";
    std::size_t memoryWords = 2048;
    SxprogAction action = SxprogAction::Verify;
    std::string file; // for --read, --write and --verify
};

struct ParsedSxprogOptions {
    std::optional<SxprogOptions> options;
    std::string error; // when options is empty
};

ParsedSxprogOptions parseSxprogOptions(const std::vector<std::string_view>& args);

std::string sxprogUsage();

} // namespace kavo::programmer
