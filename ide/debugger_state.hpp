// What the main window keeps for the debugger: the breakpoint table, the variables table and
// the queued modifications with the display choices, the object file watch, and the session
// of the "Simulator" target with the values of its last stop.
#pragma once

#include "debugger/breakpoint_table.hpp"
#include "debugger/debug_session.hpp"
#include "debugger/object_watch.hpp"
#include "debugger/variable_table.hpp"

#include <map>
#include <optional>
#include <vector>

class QTimer;

namespace kavo::ide {

class TVariables;
class TVarMonWin;

// The programmer type that makes the simulator the debug target.
inline constexpr const char* SimulatorTarget = "Simulator";

struct DebuggerState {
    debugger::BreakpointTable breakpoints;
    std::vector<debugger::VariableRecord> variables;
    std::vector<debugger::PendingModification> modifications;
    debugger::ListLayout layout = debugger::ListLayout::ByName;
    debugger::AddressFormat addressFormat = debugger::AddressFormat::Decimal;
    debugger::DataFormat dataFormat = debugger::DataFormat::Decimal;
    bool viewChanged = false;
    debugger::ObjectFileWatch objectWatch;
    int lastLineCount = 1;

    std::optional<debugger::DebugSession> session;
    // Values of the picked records at the stop before the last one, by address; a record
    // whose value differs from it counts as changed.
    std::map<int, unsigned> previousValues;
    std::map<int, unsigned> currentValues;
    QTimer* runTimer = nullptr;

    TVariables* picker = nullptr;
    TVarMonWin* monitor = nullptr;
};

} // namespace kavo::ide
