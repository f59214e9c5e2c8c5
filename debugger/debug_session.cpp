// DebugSession: loading and reset, the breakpoints a Step or Run arms in the core, the slices
// of advance, and RAM access.
#include "debugger/debug_session.hpp"

#include "simulator/program_loader.hpp"

#include <algorithm>

namespace kavo::debugger {

DebugSession::DebugSession(const sxsim::HexImage& image, LineMap lines,
                           std::optional<sxsim::Device> device)
    : core_(device.value_or(sxsim::deviceFor(sxsim::deviceKindFor(image)))),
      lines_(std::move(lines)), lineEntries_(lines_.allEntries()) {
    sxsim::loadImage(core_, image);
    reset();
}

void DebugSession::reset() {
    core_.reset();
    state_ = SessionState::Stopped;
    endReason_ = sxsim::StopReason::None;
}

void DebugSession::setBreakpointLines(const std::vector<int>& lines) {
    breakpointAddresses_.clear();
    for (int line : lines) {
        const std::vector<unsigned> entries = lines_.entriesOfLine(line);
        breakpointAddresses_.insert(breakpointAddresses_.end(), entries.begin(), entries.end());
    }
}

void DebugSession::startStep() {
    start(Goal::Step);
}

void DebugSession::startRun() {
    start(Goal::Run);
}

void DebugSession::start(Goal goal) {
    goal_ = goal;
    startPc_ = core_.pc();
    startLine_ = currentLine();
    startSteps_ = core_.steps();
    state_ = SessionState::Running;
    endReason_ = sxsim::StopReason::None;
    armBreakpoints();
}

// Step stops at the entry of any source line, Run only at those of the breakpoint lines.
void DebugSession::armBreakpoints() {
    core_.clearBreakpoints();
    for (unsigned address : goal_ == Goal::Step ? lineEntries_ : breakpointAddresses_)
        core_.addBreakpoint(address);
}

// Code of one line may carry a label in its middle (a loop condition after the loop's set-up
// on the same line). Arriving there straight from the start, without a jump back, is still
// the same visit of the line.
bool DebugSession::continuesStartLine(unsigned address) const {
    if (!startLine_ || lines_.lineAt(address) != startLine_ || address <= startPc_)
        return false;
    return core_.steps() - startSteps_ <= address - startPc_;
}

SessionState DebugSession::advance(std::uint64_t maxInstructions) {
    std::uint64_t left = maxInstructions;
    while (state_ == SessionState::Running && left > 0) {
        const sxsim::RunResult result = core_.run(left);
        left -= std::min(left, result.steps);
        if (result.reason == sxsim::StopReason::StepLimit)
            break;
        if (result.reason == sxsim::StopReason::Breakpoint) {
            if (!continuesStartLine(core_.pc()))
                state_ = SessionState::Stopped;
            else if (left == 0)
                break;
            continue;
        }
        state_ = SessionState::Ended;
        endReason_ = result.reason;
    }
    return state_;
}

void DebugSession::stop() {
    if (state_ == SessionState::Running)
        state_ = SessionState::Stopped;
}

bool DebugSession::runToStop(std::uint64_t limit) {
    while (state_ == SessionState::Running && limit > 0) {
        const std::uint64_t slice = std::min(limit, DefaultSlice);
        const std::uint64_t before = core_.steps();
        advance(slice);
        limit -= std::min(limit, std::max<std::uint64_t>(core_.steps() - before, 1));
    }
    return state_ != SessionState::Running;
}

std::uint8_t DebugSession::readRam(unsigned address) const {
    return core_.readFlat(address);
}

void DebugSession::writeRam(unsigned address, std::uint8_t value) {
    core_.writeFlat(address, value);
}

unsigned DebugSession::readValue(unsigned address, int size) const {
    unsigned value = 0;
    for (int byte = size - 1; byte >= 0; --byte)
        value = value << 8 | core_.readFlat(address + static_cast<unsigned>(byte));
    return value;
}

void DebugSession::writeValue(unsigned address, int size, unsigned value) {
    for (int byte = 0; byte < size; ++byte)
        core_.writeFlat(address + static_cast<unsigned>(byte),
                        static_cast<std::uint8_t>(value >> (8 * byte)));
}

} // namespace kavo::debugger
