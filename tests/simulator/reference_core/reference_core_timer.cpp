// The cycle count, RTCC with its prescaler, and the RTCC rollover interrupt.
//
// RTCC counts instruction cycles when OPTION.RTS is clear (the RTCC pin is not modelled, so with
// RTS set it stands still). With OPTION.PSA clear the prescaler divides by 2^(PS+1). A write to
// RTCC clears the prescaler and the writing instruction's own cycles are not counted, so the next
// instruction reads the value written. A rollover from FFh to 00h with OPTION.RTE_IE clear
// interrupts after the current instruction: W, STATUS, FSR (and M on the 48/52) go to shadow
// registers, the return address to the one-level interrupt stack (not the CALL stack), PA2:PA0
// are cleared and execution continues at 000h. No further interrupt is taken until RETI/RETIW;
// rollovers in the meantime are lost, as RTCC has no pending flag.
#include "tests/simulator/reference_core/reference_core.hpp"

namespace sxsim::reference {

namespace {
constexpr unsigned kInterruptEntryCycles = 3;
}

void ReferenceCore::recomputeRtccMode() {
    rtccCounts_ = (option_ & option::RTS) == 0;
    prescaleShift_ = (option_ & option::PSA) ? 0 : (option_ & option::PS_MASK) + 1u;
}

void ReferenceCore::writeRtcc(std::uint8_t value) {
    rtcc_ = value;
    prescaleCount_ = 0;
    rtccWritten_ = true;
}

void ReferenceCore::advanceClock(unsigned cycles) {
    cycles_ += cycles;
    if (rtccWritten_) {
        rtccWritten_ = false;
        return;
    }
    if (rtccCounts_) {
        countRtcc(cycles);
    }
}

void ReferenceCore::countRtcc(unsigned cycles) {
    unsigned increments = cycles;
    if (prescaleShift_ != 0) {
        prescaleCount_ += cycles;
        increments = prescaleCount_ >> prescaleShift_;
        prescaleCount_ &= (1u << prescaleShift_) - 1;
    }
    const unsigned total = rtcc_ + increments;
    rtcc_ = static_cast<std::uint8_t>(total);
    if (total > 0xFF && (option_ & option::RTE_IE) == 0 && !inInterrupt_) {
        interruptPending_ = true;
    }
}

void ReferenceCore::enterInterrupt() {
    interruptPending_ = false;
    inInterrupt_ = true;
    shadowW_ = w_;
    shadowStatus_ = status_;
    shadowFsr_ = fsr_;
    shadowM_ = m_;
    interruptReturn_ = pc_;
    status_ &= static_cast<std::uint8_t>(~status::PAGE_MASK);
    pc_ = 0;
    advanceClock(kInterruptEntryCycles);
}

} // namespace sxsim::reference
