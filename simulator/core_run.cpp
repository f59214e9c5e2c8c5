// The run loop: step and run dispatch the decoded program words (core_decode.hpp) from one loop
// that keeps PC, W, STATUS, the cycle count and the selected RAM bank in locals, so that the
// common instructions touch no member but the register they work on. The loop writes its locals
// back before anything that reads or changes the rest of the core: the generic path
// (Core::executeGeneric) for the other instructions, the timer when it reaches its next event,
// and every stop.
//
// Operations held here: the file-register operations, MOVWF, CLRF and the bit operations on RAM,
// the STATUS bit operations, CLRW, the literal operations, JMP (with the idle-loop stop), CALL,
// RET, RETP, RETLW, PAGE, BANK and NOP.
#include "simulator/core_decode.hpp"
#include "simulator/core_registers.hpp"

#include <algorithm>

namespace sxsim {

namespace {
constexpr unsigned kJumpExtraCycles = 2; // jumps take 3 cycles, one of them counted for all
} // namespace

StopReason Core::step() {
    const RunResult result = runFrom(1);
    return result.reason == StopReason::StepLimit ? StopReason::None : result.reason;
}

RunResult Core::run(std::uint64_t maxSteps) {
    if (maxSteps == 0) {
        return {StopReason::StepLimit, 0};
    }
    return runFrom(maxSteps);
}

// The program size is a constant of each loop, so that PC wraps with a constant mask.
RunResult Core::runFrom(std::uint64_t maxSteps) {
    return pcMask_ == 0x7FF ? runLoop<0x7FF>(maxSteps) : runLoop<0xFFF>(maxSteps);
}

bool Core::idleLoop(unsigned from, unsigned target, unsigned pageBits) const {
    if (target == from) {
        return true;
    }
    const std::uint16_t before = program_[target];
    return target + 1 == from && (before & 0xFF8) == 0x010 && (before & 0x007) == pageBits;
}

// File-register operations on RAM in their four forms: `expression` computes the result from f
// (and may set flags); the W forms store it in W, the F forms back in the register.
#define KAVO_RAM_OPERATION(name, expression)                                                       \
    case op::name##WBank: {                                                                        \
        const unsigned f = bankRegister(word);                                                     \
        w = (expression);                                                                          \
        break;                                                                                     \
    }                                                                                              \
    case op::name##WGlobal: {                                                                      \
        const unsigned f = globalRegister(word);                                                   \
        w = (expression);                                                                          \
        break;                                                                                     \
    }                                                                                              \
    case op::name##FBank: {                                                                        \
        std::uint8_t& target = bankRegister(word);                                                 \
        const unsigned f = target;                                                                 \
        target = (expression);                                                                     \
        break;                                                                                     \
    }                                                                                              \
    case op::name##FGlobal: {                                                                      \
        std::uint8_t& target = globalRegister(word);                                               \
        const unsigned f = target;                                                                 \
        target = (expression);                                                                     \
        break;                                                                                     \
    }

// DECSZ and INCSZ: the result, then a skip when it is zero.
#define KAVO_RAM_SKIP_OPERATION(name, expression) KAVO_RAM_OPERATION(name, skipIfZero(expression))

// MOVWF, CLRF and the bit operations on RAM in their two forms; `statement` works on `target`
// (and `mask`, the bit of a bit operation).
#define KAVO_RAM_TWO_FORMS(name, statement)                                                        \
    case op::name##Bank: {                                                                         \
        std::uint8_t& target = bankRegister(word);                                                 \
        [[maybe_unused]] const auto mask = static_cast<std::uint8_t>(op::valueOf(word));           \
        statement;                                                                                 \
        break;                                                                                     \
    }                                                                                              \
    case op::name##Global: {                                                                       \
        std::uint8_t& target = globalRegister(word);                                               \
        [[maybe_unused]] const auto mask = static_cast<std::uint8_t>(op::valueOf(word));           \
        statement;                                                                                 \
        break;                                                                                     \
    }

// The loop keeps pc at the address of the next instruction while an instruction runs: jumps and
// skips replace it, and the current address is pc - 1 (mod the program size).
template <unsigned pcMask> RunResult Core::runLoop(std::uint64_t maxSteps) {
    const std::uint32_t* const code = decoded_.data();
    std::size_t pc = pc_;
    // W and STATUS as full registers: 8-bit locals would be packed together by the compiler.
    unsigned w = w_;
    unsigned status = status_;
    std::uint64_t cycles = cycles_;
    std::uint64_t timerEvent = timerEvent_;
    std::uint8_t* bank = selectedBank();
    std::uint64_t executed = 0;
    // One test after each instruction covers the timer and the step limit: every instruction
    // takes at least a cycle, so the last step cannot be reached before this cycle count.
    auto checkpoint = [&] {
        const std::uint64_t stepsLeft = maxSteps - executed;
        const std::uint64_t lastStep = stepsLeft > ~cycles ? ~std::uint64_t{0} : cycles + stepsLeft;
        return std::min(timerEvent, lastStep);
    };
    std::uint64_t limit = checkpoint();

    auto save = [&] {
        pc_ = static_cast<unsigned>(pc);
        w_ = static_cast<std::uint8_t>(w);
        status_ = static_cast<std::uint8_t>(status);
        cycles_ = cycles;
    };
    auto load = [&] {
        pc = pc_;
        w = w_;
        status = status_;
        cycles = cycles_;
        timerEvent = timerEvent_;
        bank = selectedBank();
        limit = checkpoint();
    };
    auto stop = [&](StopReason reason) {
        save();
        steps_ += executed;
        return RunResult{reason, executed};
    };
    // Before a stop on an instruction that did not run: pc back to it.
    auto stopBefore = [&](StopReason reason) {
        pc = (pc - 1) & pcMask;
        return stop(reason);
    };
    auto timerIfDue = [&] {
        if (cycles >= timerEvent) {
            save();
            handleTimerEvent();
            load();
        }
    };
    // An instruction that stops the run has run all the same: count it, let the timer act.
    auto completeAndStop = [&](StopReason reason) {
        cycles += 1;
        ++executed;
        timerIfDue();
        return stop(reason);
    };
    auto bankRegister = [&](std::uint32_t decoded) -> std::uint8_t& {
        return bank[op::registerOf(decoded)];
    };
    auto globalRegister = [&](std::uint32_t decoded) -> std::uint8_t& {
        return globals_[op::registerOf(decoded)];
    };
    auto skip = [&] {
        unsigned skipped = 0;
        pc = skipFrom(static_cast<unsigned>(pc), skipped);
        cycles += skipped;
    };
    auto skipIfZero = [&](unsigned value) {
        const auto result = static_cast<std::uint8_t>(value);
        if (result == 0) {
            skip();
        }
        return result;
    };
    auto pageBase = [&] { return static_cast<unsigned>(status >> 5) << 9; };
    auto jumpTo = [&](unsigned target) {
        pc = target & pcMask;
        cycles += kJumpExtraCycles;
    };

    // A run may start on a breakpoint; it runs the word there.
    std::uint32_t word = code[pc];
    if (op::opOf(word) == op::Breakpoint) {
        word = decode(program_[pc], device_, carryIntoArithmetic_);
    }
    for (;;) {
        pc = (pc + 1) & pcMask;
        switch (op::opOf(word)) {
        case op::Generic: {
            pc_ = static_cast<unsigned>((pc - 1) & pcMask);
            w_ = static_cast<std::uint8_t>(w);
            status_ = static_cast<std::uint8_t>(status);
            cycles_ = cycles;
            const StopReason reason = executeGeneric();
            if (stoppedBeforeRunning(reason)) {
                steps_ += executed;
                return {reason, executed};
            }
            load();
            cycles += cost_ - 1;
            if (reason != StopReason::None) {
                return completeAndStop(reason);
            }
            break;
        }
        case op::Breakpoint:
            return stopBefore(StopReason::Breakpoint);
        case op::Nop:
            break;
            KAVO_RAM_OPERATION(Sub, addInto(status, f, w ^ 0xFFu, 1))
            KAVO_RAM_OPERATION(SubCarry, addInto(status, f, w ^ 0xFFu, status & status::C))
            KAVO_RAM_OPERATION(Dec, withZero(status, f - 1))
            KAVO_RAM_OPERATION(Ior, withZero(status, f | w))
            KAVO_RAM_OPERATION(And, withZero(status, f & w))
            KAVO_RAM_OPERATION(Xor, withZero(status, f ^ w))
            KAVO_RAM_OPERATION(Add, addInto(status, f, w, 0))
            KAVO_RAM_OPERATION(AddCarry, addInto(status, f, w, status & status::C))
            KAVO_RAM_OPERATION(Mov, withZero(status, f))
            KAVO_RAM_OPERATION(Com, withZero(status, ~f))
            KAVO_RAM_OPERATION(Inc, withZero(status, f + 1))
            KAVO_RAM_OPERATION(Rr, withCarry(status, (f >> 1) | ((status & status::C) << 7), f & 1))
            KAVO_RAM_OPERATION(Rl, withCarry(status, (f << 1) | (status & status::C), f >> 7))
            KAVO_RAM_OPERATION(Swap, static_cast<std::uint8_t>((f << 4) | (f >> 4)))
            KAVO_RAM_SKIP_OPERATION(DecSkip, f - 1)
            KAVO_RAM_SKIP_OPERATION(IncSkip, f + 1)
            KAVO_RAM_TWO_FORMS(MovWF, target = w)
            KAVO_RAM_TWO_FORMS(ClrF, (target = 0, status |= status::Z))
            KAVO_RAM_TWO_FORMS(BitClear, target &= static_cast<std::uint8_t>(~mask))
            KAVO_RAM_TWO_FORMS(BitSet, target |= mask)
            KAVO_RAM_TWO_FORMS(SkipIfClear, if ((target & mask) == 0) skip())
            KAVO_RAM_TWO_FORMS(SkipIfSet, if ((target & mask) != 0) skip())
        case op::StatusBitClear:
            status &= static_cast<std::uint8_t>(~op::valueOf(word));
            break;
        case op::StatusBitSet:
            status |= static_cast<std::uint8_t>(op::valueOf(word));
            break;
        case op::StatusSkipIfClear:
            if ((status & op::valueOf(word)) == 0) {
                skip();
            }
            break;
        case op::StatusSkipIfSet:
            if ((status & op::valueOf(word)) != 0) {
                skip();
            }
            break;
        case op::ClrW:
            w = 0;
            status |= status::Z;
            break;
        case op::MovLW:
            w = static_cast<std::uint8_t>(op::valueOf(word));
            break;
        case op::IorLW:
            w = withZero(status, w | op::valueOf(word));
            break;
        case op::AndLW:
            w = withZero(status, w & op::valueOf(word));
            break;
        case op::XorLW:
            w = withZero(status, w ^ op::valueOf(word));
            break;
        case op::Jmp: { // 9 bits from the word, the rest from PA2:PA0
            const auto from = static_cast<unsigned>((pc - 1) & pcMask);
            jumpTo(pageBase() | op::valueOf(word));
            if (idleLoop(from, static_cast<unsigned>(pc), status >> 5)) {
                return completeAndStop(StopReason::SelfJump);
            }
            break;
        }
        case op::Call: // CALL reaches the first half of a page: bit 8 clear
            if (stackDepth_ == STACK_DEPTH) {
                return stopBefore(StopReason::StackOverflow);
            }
            stack_[stackDepth_++] = static_cast<std::uint16_t>(pc);
            jumpTo(pageBase() | op::valueOf(word));
            break;
        case op::RetLW:
        case op::Ret:
        case op::RetP:
            if (stackDepth_ == 0) {
                return stopBefore(StopReason::StackUnderflow);
            }
            jumpTo(stack_[--stackDepth_]);
            if (op::opOf(word) == op::RetLW) {
                w = static_cast<std::uint8_t>(op::valueOf(word));
            } else if (op::opOf(word) == op::RetP) { // the caller's page, for its next JMP or CALL
                status = static_cast<std::uint8_t>((status & ~status::PAGE_MASK) |
                                                   (((pc >> 9) & 0x07) << 5));
            }
            break;
        case op::Page:
            status =
                static_cast<std::uint8_t>((status & ~status::PAGE_MASK) | (op::valueOf(word) << 5));
            break;
        case op::Bank: // FSR 7:5 on the 18/20/28; FSR 6:4 on the 48/52, where FSR.7 keeps
                       // choosing the upper or lower group of eight banks
            fsr_ = device_.bankShift == 5
                       ? static_cast<std::uint8_t>((fsr_ & 0x1F) | (op::valueOf(word) << 5))
                       : static_cast<std::uint8_t>((fsr_ & 0x8F) | (op::valueOf(word) << 4));
            bank = selectedBank();
            break;
        default:
            __builtin_unreachable();
        }
        cycles += 1;
        ++executed;
        if (cycles >= limit) [[unlikely]] {
            timerIfDue();
            if (executed == maxSteps) {
                return stop(StopReason::StepLimit);
            }
            limit = checkpoint();
        }
        word = code[pc];
    }
}

#undef KAVO_RAM_OPERATION
#undef KAVO_RAM_SKIP_OPERATION
#undef KAVO_RAM_TWO_FORMS

} // namespace sxsim
