// sxsim's source-level stops: the program runs to the first entry of a --break-line line,
// prints "NAME = VALUE" for each --watch variable, and goes on for --continue further stops.
// Operations: runToBreakLines, watchedValueText.
#pragma once

#include "debugger/debug_session.hpp"
#include "debugger/variable_table.hpp"
#include "simulator/sxsim_options.hpp"

#include <ostream>
#include <string>
#include <vector>

namespace kavo::debugger {

// The value of a variable as the watch prints it: one or two bytes as one decimal number,
// larger variables as their bytes in decimal, separated by blanks. Throws std::runtime_error
// naming a variable the program does not have.
std::string watchedValueText(const DebugSession& session,
                             const std::vector<VariableRecord>& variables, const std::string& name);

// Returns why the run ended: Breakpoint after the last stop asked for, otherwise the reason
// the program stopped earlier (its final loop, a fault, the step limit). Throws
// DebugLoadError or std::runtime_error for missing outputs, unknown variables and lines
// without code.
sxsim::StopReason runToBreakLines(const sxsim::SxsimOptions& options, std::ostream& out);

} // namespace kavo::debugger
