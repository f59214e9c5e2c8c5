#pragma once

#include "compiler/base/compiler_io.hpp"
#include "compiler/base/fatal_stop.hpp"
#include "compiler/run/compiler_settings.hpp"

#include <optional>
#include <string>
#include <vector>

namespace kavo {

struct CompileOutcome {
    int mainResult = 0;             // the compiler main's return value
    int errors = 0;                 // the run's error counter
    bool success = false;           // "Compilation completed successfully." was reached
    std::optional<FatalStop> fatal; // the run ended in an unrecoverable condition
};

// One whole run: a fresh run state, the compiler main, and the outputs closed afterwards.
// A fatal stop ends the run, never the caller's process.
CompileOutcome compile(CompilerSettings& settings, CompilerIo& io,
                       const std::vector<std::string>& argv);

// "Error Location Number: %d Error Status Code: %d" for a fatal stop.
std::string fatalStopText(const FatalStop& stop);

} // namespace kavo
