// Construction and reset of the SX core.
#include "simulator/core.hpp"

#include <algorithm>

namespace sxsim {

const char* stopReasonName(StopReason reason) {
    switch (reason) {
    case StopReason::None:
        return "none";
    case StopReason::Breakpoint:
        return "breakpoint";
    case StopReason::SelfJump:
        return "self-jump";
    case StopReason::Sleep:
        return "sleep";
    case StopReason::StackOverflow:
        return "stack-overflow";
    case StopReason::StackUnderflow:
        return "stack-underflow";
    case StopReason::InvalidInstruction:
        return "invalid-instruction";
    case StopReason::StepLimit:
        return "step-limit";
    }
    return "unknown";
}

Core::Core(Device device)
    : device_(device), pcMask_(device.programWords - 1), program_(device.programWords, ERASED_WORD),
      decoded_(device.programWords, decode(ERASED_WORD, device, false)),
      breakpoints_(device.programWords, 0), banked_(device.banks * 16u, 0) {
    reset();
}

std::uint16_t Core::word(unsigned address) const {
    return address < device_.programWords ? program_[address] : ERASED_WORD;
}

void Core::reset() {
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
    inInterrupt_ = false;
    interruptReturn_ = 0;
    shadowW_ = shadowStatus_ = shadowFsr_ = shadowM_ = 0;
    cycles_ = 0;
    steps_ = 0;
    rtccWritten_ = false;
    setRtcc(0);
}

} // namespace sxsim
