// The SX core as it was before the interpreter was rebuilt for speed: one instruction at a time,
// decoding every word as it runs and updating RTCC after each instruction. Kept only for the tests,
// as the model the fast core must agree with step for step (differential_core_test.cpp).
// Timing follows the turbo clocking mode, counted in instruction cycles, as in simulator/core.hpp.
#pragma once

#include "simulator/core.hpp"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace sxsim::reference {

class ReferenceCore {
public:
    explicit ReferenceCore(Device device);

    const Device& device() const { return device_; }

    // Program memory; words outside the device are ignored by setWord and read as erased.
    void setWord(unsigned address, std::uint16_t word);
    std::uint16_t word(unsigned address) const;
    void setFuses(std::uint16_t fuse, std::uint16_t fusex);
    std::uint16_t fuse() const { return fuse_; }
    std::uint16_t fusex() const { return fusex_; }

    // Power-on reset: PC at the top of program memory, RAM cleared, counters at zero.
    void reset();

    // Runs one instruction (and the interrupt entry it may trigger); ignores breakpoints.
    StopReason step();
    // Runs until a stop condition or maxSteps instructions. A breakpoint at the PC the run
    // starts from does not stop it, so a run can resume from a breakpoint.
    RunResult run(std::uint64_t maxSteps);

    void addBreakpoint(unsigned address);
    void clearBreakpoints();

    // Registers
    std::uint8_t w() const { return w_; }
    void setW(std::uint8_t value) { w_ = value; }
    unsigned pc() const { return pc_; }
    void setPc(unsigned address) { pc_ = address & pcMask_; }
    std::uint8_t statusRegister() const { return status_; }
    void setStatus(std::uint8_t value) { status_ = value; }
    std::uint8_t fsr() const { return fsr_; }
    void setFsr(std::uint8_t value) { fsr_ = value; }
    std::uint8_t m() const { return m_; }
    void setM(std::uint8_t value) { m_ = static_cast<std::uint8_t>(value & device_.modeMask()); }
    std::uint8_t optionRegister() const { return option_; }
    std::uint8_t rtcc() const { return rtcc_; }
    void setRtcc(std::uint8_t value);
    bool inInterrupt() const { return inInterrupt_; }

    // Return addresses, oldest first.
    std::span<const std::uint16_t> stack() const { return {stack_.data(), stackDepth_}; }

    // Ports: index 0 is RA. The pin value read is the latch on output bits and the external
    // input on bits TRIS makes inputs.
    unsigned portCount() const { return device_.ports; }
    std::uint8_t portLatch(unsigned port) const { return portLatch_[port]; }
    std::uint8_t portPins(unsigned port) const;
    std::uint8_t tris(unsigned port) const { return portControl_[port][control::DIRECTION]; }
    // Any port control register by its M value (bits 3:0), for tests and the debugger.
    std::uint8_t portControl(unsigned port, unsigned selector) const {
        return portControl_[port][selector & 0x0F];
    }
    void setPortInput(unsigned port, std::uint8_t value) { portInput_[port] = value; }

    // RAM in the compiler's flat model: bank * 32 + register. Registers below 10h are the
    // global ones whatever the bank; 00h (INDF) reads as 0 and ignores writes.
    unsigned flatRamSize() const { return device_.flatRamSize(); }
    std::uint8_t readFlat(unsigned address) const;
    void writeFlat(unsigned address, std::uint8_t value);

    std::uint64_t cycles() const { return cycles_; }
    std::uint64_t steps() const { return steps_; }

private:
    // Instruction execution (core_execute.cpp)
    StopReason execute(std::uint16_t word);
    StopReason executeMisc(std::uint16_t word);
    StopReason executeSpecial(std::uint16_t word);
    StopReason executeFileOp(std::uint16_t word);
    StopReason executeBitOp(std::uint16_t word);
    StopReason executeLiteralOp(std::uint16_t word);
    StopReason callSubroutine(std::uint16_t word);
    StopReason returnFromSubroutine(bool restorePage);
    StopReason returnFromInterrupt(bool addWToRtcc);
    void skipNext();
    void accessControlRegister(unsigned port);
    void readProgramMemory();

    // Register file (core_registers.cpp and core_registers.hpp)
    std::uint8_t readRegister(unsigned fr);
    // flagsWin: the value is the result of an instruction that also set C, DC and Z, which
    // STATUS keeps when it is the register reached.
    void writeRegister(unsigned fr, std::uint8_t value, bool flagsWin = false);
    void storeResult(unsigned fr, bool toRegister, std::uint8_t value, bool flagsWin = false);
    void storeResultWithFlags(unsigned fr, bool toRegister, std::uint8_t value);
    std::uint8_t readSpecial(unsigned fr);
    void writeSpecial(unsigned fr, std::uint8_t value, bool flagsWin);
    unsigned bankedIndex(unsigned fr) const;
    unsigned indirectIndex() const;
    bool indirectIsBanked() const;
    std::uint8_t peekRegister(unsigned fr) const;
    void setZero(std::uint8_t value);
    std::uint8_t addWithFlags(std::uint8_t a, std::uint8_t b, unsigned carryIn);
    unsigned pageBits() const { return (status_ >> 5) & 0x07; }
    // A jump that can never lead anywhere else: to itself, or back to a PAGE word right before
    // it that selects the page already held (the idle loop at the end of a program whose page
    // bits had to be set at the loop's label).
    bool idleLoop(unsigned target) const;

    // RTCC and interrupt (core_timer.cpp)
    void writeRtcc(std::uint8_t value);
    void advanceClock(unsigned cycles);
    void countRtcc(unsigned cycles);
    void enterInterrupt();
    void recomputeRtccMode();

    Device device_;
    unsigned pcMask_;
    std::vector<std::uint16_t> program_;
    std::vector<std::uint8_t> breakpoints_;
    bool hasBreakpoints_ = false;
    std::uint16_t fuse_ = ERASED_WORD;
    std::uint16_t fusex_ = ERASED_WORD;
    bool carryIntoArithmetic_ = false;

    unsigned pc_ = 0;
    unsigned nextPc_ = 0;
    unsigned cost_ = 1; // cycles of the instruction being executed
    bool pcWritten_ = false;
    std::uint8_t w_ = 0;
    std::uint8_t status_ = 0;
    std::uint8_t fsr_ = 0;
    std::uint8_t m_ = 0;
    std::uint8_t option_ = 0;
    std::array<std::uint8_t, 16> globals_{};
    std::vector<std::uint8_t> banked_;
    std::array<std::uint8_t, 5> portLatch_{};
    std::array<std::uint8_t, 5> portInput_{};
    // Indexed by M bits 3:0; on the 48/52 M bit 4 only chooses reading or writing.
    std::array<std::array<std::uint8_t, 16>, 5> portControl_{};
    std::array<std::uint16_t, STACK_DEPTH> stack_{};
    unsigned stackDepth_ = 0;

    std::uint8_t rtcc_ = 0;
    unsigned prescaleCount_ = 0;
    bool rtccCounts_ = false;
    bool rtccWritten_ = false;
    unsigned prescaleShift_ = 0;
    bool interruptPending_ = false;
    bool inInterrupt_ = false;
    unsigned interruptReturn_ = 0;
    std::uint8_t shadowW_ = 0, shadowStatus_ = 0, shadowFsr_ = 0, shadowM_ = 0;

    std::uint64_t cycles_ = 0;
    std::uint64_t steps_ = 0;
};

} // namespace sxsim::reference
