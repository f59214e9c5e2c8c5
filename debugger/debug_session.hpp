// A debugging session over the simulated SX core: the compiled program loaded from its object
// file, its source lines known from the line map. Reset, Step (to the next source line) and
// Run (to the next active breakpoint line) execute in bounded slices, so that a window can
// stay responsive and stop a run between two slices. Operations: reset, setBreakpointLines,
// startStep, startRun, advance, stop, runToStop, readRam, writeRam, readValue, writeValue.
#pragma once

#include "debugger/line_map.hpp"
#include "simulator/core.hpp"
#include "simulator/intel_hex.hpp"

#include <cstdint>
#include <optional>
#include <vector>

namespace kavo::debugger {

enum class SessionState {
    Stopped, // at a source line (or after reset, before the first one)
    Running, // a Step or Run is under way; advance goes on with it
    Ended,   // the program stopped for good: its final loop, SLEEP or a fault
};

// Instructions one slice executes at most: a few milliseconds of simulation.
inline constexpr std::uint64_t DefaultSlice = 200'000;

class DebugSession {
public:
    // Throws sxsim::LoadError when the image does not fit the device.
    DebugSession(const sxsim::HexImage& image, LineMap lines,
                 std::optional<sxsim::Device> device = std::nullopt);

    // Power-on reset; the session stops before the program's first instruction.
    void reset();

    // The lines Run stops at (1-based; lines without code are ignored).
    void setBreakpointLines(const std::vector<int>& lines);

    void startStep();
    void startRun();
    // Executes at most maxInstructions of the Step or Run under way and returns the state
    // afterwards: still Running, Stopped at a line, or Ended.
    SessionState advance(std::uint64_t maxInstructions = DefaultSlice);
    // Interrupts a Step or Run between two slices.
    void stop();
    // Advances until the session is no longer running or limit instructions have run; true
    // when it stopped or ended within the limit.
    bool runToStop(std::uint64_t limit);

    SessionState state() const { return state_; }
    // Why the program ended (None while it has not).
    sxsim::StopReason endReason() const { return endReason_; }
    unsigned pc() const { return core_.pc(); }
    std::optional<int> currentLine() const { return lines_.lineAt(core_.pc()); }
    std::uint64_t cycles() const { return core_.cycles(); }
    // Instructions executed since the last reset.
    std::uint64_t steps() const { return core_.steps(); }
    const LineMap& lines() const { return lines_; }

    std::uint8_t readRam(unsigned address) const;
    void writeRam(unsigned address, std::uint8_t value);
    // size bytes from address, low byte first.
    unsigned readValue(unsigned address, int size) const;
    void writeValue(unsigned address, int size, unsigned value);
    unsigned ramSize() const { return core_.flatRamSize(); }

private:
    enum class Goal { Step, Run };
    void start(Goal goal);
    void armBreakpoints();
    // A breakpoint hit that only continues the line the Step or Run started on.
    bool continuesStartLine(unsigned address) const;

    sxsim::Core core_;
    LineMap lines_;
    std::vector<unsigned> breakpointAddresses_;
    std::vector<unsigned> lineEntries_;
    SessionState state_ = SessionState::Stopped;
    sxsim::StopReason endReason_ = sxsim::StopReason::None;
    Goal goal_ = Goal::Run;
    unsigned startPc_ = 0;
    std::optional<int> startLine_;
    std::uint64_t startSteps_ = 0;
};

} // namespace kavo::debugger
