// Construction, reset and the run control of the reference core.
#include "tests/simulator/reference_core/reference_core.hpp"

#include <algorithm>

namespace sxsim::reference {

ReferenceCore::ReferenceCore(Device device)
    : device_(device), pcMask_(device.programWords - 1), program_(device.programWords, ERASED_WORD),
      breakpoints_(device.programWords, 0), banked_(device.banks * 16u, 0) {
    reset();
}

void ReferenceCore::setWord(unsigned address, std::uint16_t word) {
    if (address < device_.programWords) {
        program_[address] = word & 0x0FFF;
    }
}

std::uint16_t ReferenceCore::word(unsigned address) const {
    return address < device_.programWords ? program_[address] : ERASED_WORD;
}

void ReferenceCore::setFuses(std::uint16_t fuse, std::uint16_t fusex) {
    fuse_ = fuse;
    fusex_ = fusex;
    carryIntoArithmetic_ = (fusex_ & FUSEX_CARRY_FLAG_OFF) == 0;
}

void ReferenceCore::setRtcc(std::uint8_t value) {
    rtcc_ = value;
    prescaleCount_ = 0;
}

void ReferenceCore::reset() {
    pc_ = pcMask_;
    nextPc_ = pc_;
    w_ = 0;
    status_ = status::TO | status::PD;
    fsr_ = 0;
    m_ = static_cast<std::uint8_t>(device_.modeMask());
    option_ = 0xFF;
    recomputeRtccMode();
    globals_.fill(0);
    std::fill(banked_.begin(), banked_.end(), 0);
    portLatch_.fill(0);
    portInput_.fill(0);
    for (auto& controls : portControl_) {
        controls.fill(0xFF); // every pin an input, pull-ups and the rest off (active low)
    }
    // The chip leaves the wake-up pending bits undefined; starting clear keeps runs repeatable.
    for (auto& controls : portControl_) {
        controls[control::WAKE_UP_PENDING] = 0;
    }
    stackDepth_ = 0;
    rtcc_ = 0;
    prescaleCount_ = 0;
    rtccWritten_ = false;
    interruptPending_ = false;
    inInterrupt_ = false;
    interruptReturn_ = 0;
    shadowW_ = shadowStatus_ = shadowFsr_ = shadowM_ = 0;
    cycles_ = 0;
    steps_ = 0;
}

StopReason ReferenceCore::step() {
    nextPc_ = (pc_ + 1) & pcMask_;
    cost_ = 1;
    pcWritten_ = false;
    const StopReason reason = execute(program_[pc_]);
    if (reason == StopReason::StackOverflow || reason == StopReason::StackUnderflow ||
        reason == StopReason::InvalidInstruction) {
        return reason; // the instruction did not run
    }
    if (pcWritten_) {
        cost_ = 3;
    }
    pc_ = nextPc_;
    ++steps_;
    advanceClock(cost_);
    if (interruptPending_) {
        enterInterrupt();
    }
    return reason;
}

RunResult ReferenceCore::run(std::uint64_t maxSteps) {
    const std::uint64_t start = steps_;
    bool first = true;
    while (steps_ - start < maxSteps) {
        if (hasBreakpoints_ && !first && breakpoints_[pc_]) {
            return {StopReason::Breakpoint, steps_ - start};
        }
        first = false;
        const StopReason reason = step();
        if (reason != StopReason::None) {
            return {reason, steps_ - start};
        }
    }
    return {StopReason::StepLimit, steps_ - start};
}

void ReferenceCore::addBreakpoint(unsigned address) {
    if (address < device_.programWords) {
        breakpoints_[address] = 1;
        hasBreakpoints_ = true;
    }
}

void ReferenceCore::clearBreakpoints() {
    std::fill(breakpoints_.begin(), breakpoints_.end(), 0);
    hasBreakpoints_ = false;
}

} // namespace sxsim::reference
