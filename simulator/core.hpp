// The SX core: program memory, register file, W, M, stack, RTCC and its interrupt, and the
// instruction interpreter. Timing follows the turbo clocking mode, counted in instruction cycles:
//   - every instruction takes 1 cycle;
//   - a taken skip costs 1 more cycle per word skipped (a skip over PAGE/BANK words skips those
//     words and the instruction after them, a cycle each);
//   - JMP, CALL, RET, RETP, RETW, RETI, RETIW and any instruction that writes the PC register take
//     3 cycles; IREAD takes 4;
//   - entering the RTCC interrupt takes 3 cycles and is not counted as a step.
// RTCC counts those cycles (through the prescaler when it is assigned to RTCC).
//
// For speed, program memory is decoded once, when a word is placed, into an operation and its
// operands; a run dispatches on those from one loop that keeps PC, W, STATUS and the counters in
// locals. Breakpoints are marked in the decoded words, and RTCC is brought up to date only when it
// is read or changed, or when it reaches its next rollover with the interrupt enabled.
#pragma once

#include "simulator/device.hpp"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace sxsim {

enum class StopReason {
    None,
    Breakpoint,         // PC reached a breakpoint address (the instruction there has not run)
    SelfJump,           // a JMP to its own address, the usual end of main
    Sleep,              // SLEEP executed
    StackOverflow,      // a CALL with all 8 stack levels in use (the CALL has not run)
    StackUnderflow,     // a return with an empty stack (the return has not run)
    InvalidInstruction, // a word that is no SX instruction (it has not run)
    StepLimit,          // the instruction limit of the run was reached
};

const char* stopReasonName(StopReason reason);

struct RunResult {
    StopReason reason;
    std::uint64_t steps; // instructions executed by this run
};

namespace reg {
inline constexpr unsigned INDF = 0x00, RTCC = 0x01, PC = 0x02, STATUS = 0x03, FSR = 0x04;
inline constexpr unsigned RA = 0x05;
} // namespace reg

namespace status {
inline constexpr std::uint8_t C = 0x01, DC = 0x02, Z = 0x04, PD = 0x08, TO = 0x10;
inline constexpr std::uint8_t PAGE_MASK = 0xE0;
} // namespace status

// Port control registers, by the value of M bits 3:0 that selects them for MOV !port,W.
namespace control {
inline constexpr unsigned COMPARATOR = 0x08, WAKE_UP_PENDING = 0x09, WAKE_UP_EDGE = 0x0A;
inline constexpr unsigned WAKE_UP_ENABLE = 0x0B, SCHMITT = 0x0C, LEVEL = 0x0D, PULL_UP = 0x0E;
inline constexpr unsigned DIRECTION = 0x0F;
} // namespace control

namespace option {
inline constexpr std::uint8_t RTW = 0x80, RTE_IE = 0x40, RTS = 0x20, PSA = 0x08, PS_MASK = 0x07;
} // namespace option

// FUSEX bit 6 clear: ADD and SUB take the carry flag as an input ("CARRYX").
inline constexpr std::uint16_t FUSEX_CARRY_FLAG_OFF = 0x0040;
inline constexpr std::uint16_t ERASED_WORD = 0x0FFF;
inline constexpr unsigned STACK_DEPTH = 8;

class Core {
public:
    explicit Core(Device device);

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
    std::uint8_t rtcc() const;
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
    // A program word as the run loop dispatches it (layout and operations in core_decode.hpp);
    // carryIn: ADD and SUB take the carry flag as an input.
    static std::uint32_t decode(std::uint16_t word, const Device& device, bool carryIn);
    void redecode(unsigned address);

    // The run loop (core_run.cpp), for a program memory of pcMask + 1 words.
    RunResult runFrom(std::uint64_t maxSteps);
    template <unsigned pcMask> RunResult runLoop(std::uint64_t maxSteps);
    StopReason executeGeneric();
    std::uint8_t* selectedBank() { return &banked_[(fsr_ >> device_.bankShift) * 16u]; }

    // Instruction execution of everything the run loop does not handle itself (core_execute.cpp)
    StopReason execute(std::uint16_t word);
    StopReason executeMisc(std::uint16_t word);
    StopReason executeSpecial(std::uint16_t word);
    StopReason executeFileOp(std::uint16_t word);
    StopReason executeBitOp(std::uint16_t word);
    StopReason returnFromInterrupt(bool addWToRtcc);
    void skipNext();
    // Where a taken skip leads from the word after the skip (next): past any PAGE and BANK words
    // and the instruction after them; skipped counts the words passed.
    unsigned skipFrom(unsigned next, unsigned& skipped) const;
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
    // A jump from `from` that can never lead anywhere else: to itself, or back to a PAGE word
    // right before it that selects the page already held (the idle loop at the end of a program
    // whose page bits had to be set at the loop's label).
    bool idleLoop(unsigned from, unsigned target, unsigned pageBits) const;

    // RTCC and interrupt (core_timer.cpp)
    struct RtccCount {
        std::uint8_t value;
        unsigned prescaleCount;
        bool rolledOver;
    };
    RtccCount rtccAt(std::uint64_t cycle) const;
    void bringRtccUpToDate();
    void writeRtcc(std::uint8_t value);
    void planTimerEvent();
    void handleTimerEvent();
    void enterInterrupt();
    void recomputeRtccMode();
    void setOption(std::uint8_t value);

    Device device_;
    unsigned pcMask_;
    std::vector<std::uint16_t> program_;
    std::vector<std::uint32_t> decoded_;
    std::vector<std::uint8_t> breakpoints_;
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

    // RTCC holds rtcc_ (and the prescaler prescaleCount_) as of cycle rtccSince_; the cycles
    // after it are counted in when RTCC is read or changed. timerEvent_ is the cycle after which
    // the run loop must look at the timer: the next rollover that interrupts, or at once when
    // an instruction wrote RTCC (its own cycles are not counted).
    std::uint8_t rtcc_ = 0;
    unsigned prescaleCount_ = 0;
    std::uint64_t rtccSince_ = 0;
    std::uint64_t timerEvent_ = 0;
    bool rtccCounts_ = false;
    bool rtccWritten_ = false;
    unsigned prescaleShift_ = 0;
    bool inInterrupt_ = false;
    unsigned interruptReturn_ = 0;
    std::uint8_t shadowW_ = 0, shadowStatus_ = 0, shadowFsr_ = 0, shadowM_ = 0;

    std::uint64_t cycles_ = 0;
    std::uint64_t steps_ = 0;
};

} // namespace sxsim
