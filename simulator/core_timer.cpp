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
//
// RTCC is not counted instruction by instruction: it is held as of a cycle (rtccSince_) and the
// cycles since then are added when it is read or changed. Counting a run of cycles at once gives
// the same value and prescaler as counting them one instruction at a time, since the prescaler
// only carries the remainder. The run loop looks at the timer only after the instruction that
// reaches timerEvent_.
#include "simulator/core.hpp"

#include <limits>

namespace sxsim {

namespace {
constexpr unsigned kInterruptEntryCycles = 3;
constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();
} // namespace

void Core::recomputeRtccMode() {
    rtccCounts_ = (option_ & option::RTS) == 0;
    prescaleShift_ = (option_ & option::PSA) ? 0 : (option_ & option::PS_MASK) + 1u;
}

Core::RtccCount Core::rtccAt(std::uint64_t cycle) const {
    if (!rtccCounts_ || cycle == rtccSince_) {
        return {rtcc_, prescaleCount_, false};
    }
    std::uint64_t increments = cycle - rtccSince_;
    unsigned prescaleCount = prescaleCount_;
    if (prescaleShift_ != 0) {
        const std::uint64_t ticks = prescaleCount_ + increments;
        increments = ticks >> prescaleShift_;
        prescaleCount = static_cast<unsigned>(ticks & ((1u << prescaleShift_) - 1));
    }
    return {static_cast<std::uint8_t>(rtcc_ + increments), prescaleCount,
            rtcc_ + increments > 0xFF};
}

std::uint8_t Core::rtcc() const {
    return rtccAt(cycles_).value;
}

// Rollovers counted here are ones no interrupt could take: the run loop handles every one that
// can at the end of the instruction that causes it, before anything else reads RTCC.
void Core::bringRtccUpToDate() {
    const RtccCount count = rtccAt(cycles_);
    rtcc_ = count.value;
    prescaleCount_ = count.prescaleCount;
    rtccSince_ = cycles_;
}

void Core::setRtcc(std::uint8_t value) {
    rtcc_ = value;
    prescaleCount_ = 0;
    rtccSince_ = cycles_;
    planTimerEvent();
}

void Core::writeRtcc(std::uint8_t value) {
    rtcc_ = value;
    prescaleCount_ = 0;
    rtccSince_ = cycles_;
    rtccWritten_ = true;
    planTimerEvent();
}

void Core::setOption(std::uint8_t value) {
    bringRtccUpToDate(); // the cycles so far count in the old mode
    option_ = value;
    recomputeRtccMode();
    planTimerEvent();
}

// The first cycle count at which RTCC has rolled over, when that rollover would interrupt.
// Rollovers up to now could not interrupt (or were taken already), so they are counted in first.
void Core::planTimerEvent() {
    if (rtccWritten_) {
        timerEvent_ = 0;
        return;
    }
    bringRtccUpToDate();
    if (!rtccCounts_ || (option_ & option::RTE_IE) != 0 || inInterrupt_) {
        timerEvent_ = kNever;
        return;
    }
    const std::uint64_t increments = 0x100u - rtcc_;
    std::uint64_t cycles = increments;
    if (prescaleShift_ != 0) {
        const std::uint64_t ticks = increments << prescaleShift_;
        cycles = ticks > prescaleCount_ ? ticks - prescaleCount_ : 0;
    }
    timerEvent_ = rtccSince_ + cycles;
}

// Called with cycles_ at the end of the instruction that reached timerEvent_.
void Core::handleTimerEvent() {
    if (rtccWritten_) {
        rtccWritten_ = false;
        rtccSince_ = cycles_;
        planTimerEvent();
        return;
    }
    const bool rolledOver = rtccAt(cycles_).rolledOver;
    bringRtccUpToDate();
    if (rolledOver && (option_ & option::RTE_IE) == 0 && !inInterrupt_) {
        enterInterrupt();
    }
    planTimerEvent(); // the entry's own cycles count, and no interrupt follows until RETI
}

void Core::enterInterrupt() {
    inInterrupt_ = true;
    shadowW_ = w_;
    shadowStatus_ = status_;
    shadowFsr_ = fsr_;
    shadowM_ = m_;
    interruptReturn_ = pc_;
    status_ &= static_cast<std::uint8_t>(~status::PAGE_MASK);
    pc_ = 0;
    cycles_ += kInterruptEntryCycles;
}

} // namespace sxsim
