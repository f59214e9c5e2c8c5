// The fast core against the reference core: thousands of random programs over the whole
// instruction set (special registers, indirect access, skips over PAGE/BANK, calls and returns,
// RTCC with its prescaler and interrupt, port control, IREAD, invalid words) run side by side, and
// every register, flag, RAM byte, port register, the stack, PC, cycles and steps must agree after
// every step and every run. Runs of random length, breakpoints, and program words rewritten
// between runs exercise the run loop and its pre-decoded program.
#include "simulator/core.hpp"
#include "tests/simulator/reference_core/reference_core.hpp"

#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using sxsim::Core;
using sxsim::DeviceKind;
using sxsim::StopReason;
using sxsim::reference::ReferenceCore;

class RandomSx {
public:
    explicit RandomSx(unsigned seed) : rng_(seed) {}

    unsigned below(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(rng_); }
    bool chance(unsigned percent) { return below(100) < percent; }

    // Mostly banked and global RAM, often the special registers and INDF.
    unsigned fileRegister() {
        const unsigned kind = below(10);
        if (kind < 4) {
            return 0x10 + below(16);
        }
        if (kind < 6) {
            return 0x05 + below(11);
        }
        return below(5);
    }

    std::uint16_t instruction() {
        const unsigned kind = below(100);
        if (kind < 36) { // file-register operations 080..3FF, MOVWF, CLRF
            const unsigned op = 2 + below(14);
            if (chance(10)) {
                return static_cast<std::uint16_t>((chance(50) ? 0x020 : 0x060) | fileRegister());
            }
            return static_cast<std::uint16_t>(op << 6 | (chance(50) ? 0x20 : 0) | fileRegister());
        }
        if (kind < 52) { // BCF, BSF, BTFSC, BTFSS
            return static_cast<std::uint16_t>(0x400 | below(4) << 8 | below(8) << 5 |
                                              fileRegister());
        }
        if (kind < 64) { // MOVLW, IORLW, ANDLW, XORLW
            return static_cast<std::uint16_t>((0xC + below(4)) << 8 | below(256));
        }
        if (kind < 72) { // JMP, CALL, RETLW
            const unsigned which = below(3);
            if (which == 0) {
                return static_cast<std::uint16_t>(0xA00 | below(512));
            }
            return static_cast<std::uint16_t>((which == 1 ? 0x900 : 0x800) | below(256));
        }
        if (kind < 82) { // 000..01F: NOP, OPTION, SLEEP, CLRWDT, MOV !port,W, returns, PAGE, BANK
            const unsigned word = below(0x20);
            return static_cast<std::uint16_t>(word == 0x003 && chance(80) ? 0x000 : word);
        }
        if (kind < 90) { // CLRW, IREAD, MOVMW, MOVWM, MODE
            return static_cast<std::uint16_t>(chance(50) ? 0x040 + below(4) : 0x050 + below(16));
        }
        if (kind < 92) { // anything, invalid words included
            return static_cast<std::uint16_t>(below(0x1000));
        }
        // DECSZ: loops and skips
        return static_cast<std::uint16_t>(0x2C0 | (chance(50) ? 0x20 : 0) | fileRegister());
    }

    std::mt19937& engine() { return rng_; }

private:
    std::mt19937 rng_;
};

struct CorePair {
    Core fast;
    ReferenceCore reference;

    explicit CorePair(DeviceKind kind)
        : fast(sxsim::deviceFor(kind)), reference(sxsim::deviceFor(kind)) {}

    template <typename Action> void both(Action action) {
        action(fast);
        action(reference);
    }
};

// Everything a program or a debugger can observe, as numbers; describe() spells it out when two
// snapshots differ.
template <typename AnyCore> std::vector<unsigned> snapshot(const AnyCore& core) {
    std::vector<unsigned> state = {core.pc(),
                                   core.w(),
                                   core.statusRegister(),
                                   core.fsr(),
                                   core.m(),
                                   core.optionRegister(),
                                   core.rtcc(),
                                   core.inInterrupt(),
                                   static_cast<unsigned>(core.cycles()),
                                   static_cast<unsigned>(core.steps())};
    for (std::uint16_t address : core.stack()) {
        state.push_back(address);
    }
    state.push_back(0xFFFF); // the stack's end
    for (unsigned port = 0; port < core.portCount(); ++port) {
        state.push_back(core.portLatch(port));
        state.push_back(core.portPins(port));
        for (unsigned selector = 0; selector < 16; ++selector) {
            state.push_back(core.portControl(port, selector));
        }
    }
    for (unsigned address = 0; address < core.flatRamSize(); ++address) {
        state.push_back(core.readFlat(address));
    }
    return state;
}

std::string describe(const std::vector<unsigned>& state) {
    static const char* names[] = {"pc",     "w",    "status", "fsr",    "m",
                                  "option", "rtcc", "int",    "cycles", "steps"};
    std::ostringstream out;
    for (unsigned i = 0; i < state.size(); ++i) {
        if (i < std::size(names)) {
            out << names[i] << "=";
        }
        out << std::hex << state[i] << " ";
    }
    return out.str();
}

struct Coverage {
    unsigned interrupts = 0;
    unsigned reasons[8] = {};
};

void expectSameState(CorePair& cores, const std::string& context) {
    const std::vector<unsigned> fast = snapshot(cores.fast);
    const std::vector<unsigned> reference = snapshot(cores.reference);
    if (fast != reference) {
        FAIL() << context << "\nfast:      " << describe(fast)
               << "\nreference: " << describe(reference);
    }
}

void placeProgram(CorePair& cores, RandomSx& random) {
    const unsigned words = cores.fast.device().programWords;
    for (unsigned address = 0; address < words; ++address) {
        const std::uint16_t word = random.instruction();
        cores.both([&](auto& core) { core.setWord(address, word); });
    }
    // Often start by letting RTCC count fast with its interrupt enabled.
    if (random.chance(60)) {
        const auto optionValue = static_cast<std::uint16_t>(random.below(256) & ~0x60u);
        cores.both([&](auto& core) {
            core.setWord(0, static_cast<std::uint16_t>(0xC00 | optionValue));
            core.setWord(1, 0x002);
        });
    }
    const std::uint16_t fusex = random.chance(50) ? 0x0FBF : 0x0FFF;
    cores.both([&](auto& core) { core.setFuses(0x0FFF, fusex); });
}

void randomizeState(CorePair& cores, RandomSx& random) {
    const std::uint8_t w = static_cast<std::uint8_t>(random.below(256));
    const std::uint8_t fsr = static_cast<std::uint8_t>(random.below(256));
    cores.both([&](auto& core) {
        core.setPc(0);
        core.setW(w);
        core.setFsr(fsr);
    });
    for (unsigned address = 0; address < cores.fast.flatRamSize(); ++address) {
        if (address % 32 >= 0x10 || random.chance(30)) {
            const auto value = static_cast<std::uint8_t>(random.below(256));
            cores.both([&](auto& core) { core.writeFlat(address, value); });
        }
    }
    for (unsigned port = 0; port < cores.fast.portCount(); ++port) {
        const auto value = static_cast<std::uint8_t>(random.below(256));
        cores.both([&](auto& core) { core.setPortInput(port, value); });
    }
}

// Between runs the outside world acts as a debugger or programmer would.
void interfere(CorePair& cores, RandomSx& random) {
    const unsigned words = cores.fast.device().programWords;
    const unsigned what = random.below(100);
    if (what < 10) {
        const unsigned address = random.below(words);
        cores.both([&](auto& core) { core.addBreakpoint(address); });
    } else if (what < 13) {
        cores.both([](auto& core) { core.clearBreakpoints(); });
    } else if (what < 20) {
        const unsigned address = random.below(words);
        const std::uint16_t word = random.instruction();
        cores.both([&](auto& core) { core.setWord(address, word); });
    } else if (what < 23) {
        const auto value = static_cast<std::uint8_t>(random.below(256));
        cores.both([&](auto& core) { core.setRtcc(value); });
    } else if (what < 26) {
        const unsigned address = random.below(cores.fast.flatRamSize());
        const auto value = static_cast<std::uint8_t>(random.below(256));
        cores.both([&](auto& core) { core.writeFlat(address, value); });
    } else if (what < 28) {
        const auto value = static_cast<std::uint8_t>(random.below(256));
        cores.both([&](auto& core) { core.setStatus(value); });
    }
}

// After a stop that leaves the core where it is, continue somewhere else.
void moveOnAfter(StopReason reason, CorePair& cores, RandomSx& random) {
    if (reason == StopReason::SelfJump || reason == StopReason::StackOverflow ||
        reason == StopReason::StackUnderflow || reason == StopReason::InvalidInstruction ||
        (reason == StopReason::Breakpoint && random.chance(30))) {
        const unsigned address = random.below(cores.fast.device().programWords);
        cores.both([&](auto& core) { core.setPc(address); });
    }
}

void runSideBySide(unsigned seed, DeviceKind kind, unsigned rounds, Coverage& coverage) {
    RandomSx random(seed);
    CorePair cores(kind);
    placeProgram(cores, random);
    randomizeState(cores, random);
    expectSameState(cores, "after setup");
    for (unsigned round = 0; round < rounds && !::testing::Test::HasFatalFailure(); ++round) {
        const std::string context =
            "seed " + std::to_string(seed) + " round " + std::to_string(round);
        const bool wasInInterrupt = cores.fast.inInterrupt();
        StopReason reason;
        if (random.chance(60)) {
            reason = cores.fast.step();
            ASSERT_EQ(reason, cores.reference.step()) << context << " step";
        } else {
            const std::uint64_t limit = random.below(60);
            const sxsim::RunResult fast = cores.fast.run(limit);
            const sxsim::RunResult reference = cores.reference.run(limit);
            ASSERT_EQ(fast.reason, reference.reason) << context << " run " << limit;
            ASSERT_EQ(fast.steps, reference.steps) << context << " run " << limit;
            reason = fast.reason;
        }
        expectSameState(cores, context);
        coverage.reasons[static_cast<unsigned>(reason)]++;
        coverage.interrupts += !wasInInterrupt && cores.fast.inInterrupt();
        moveOnAfter(reason, cores, random);
        interfere(cores, random);
    }
}

// The random programs reach what they are meant to test.
void expectCoverage(const Coverage& coverage, unsigned atLeast) {
    EXPECT_GE(coverage.interrupts, atLeast) << "RTCC interrupts";
    for (StopReason reason : {StopReason::Breakpoint, StopReason::SelfJump, StopReason::Sleep,
                              StopReason::StackOverflow, StopReason::StackUnderflow,
                              StopReason::InvalidInstruction, StopReason::StepLimit}) {
        EXPECT_GE(coverage.reasons[static_cast<unsigned>(reason)], atLeast)
            << sxsim::stopReasonName(reason);
    }
}

void runMany(DeviceKind kind, unsigned firstSeed, unsigned programs) {
    Coverage coverage;
    for (unsigned seed = firstSeed; seed < firstSeed + programs; ++seed) {
        runSideBySide(seed, kind, 120, coverage);
        if (::testing::Test::HasFatalFailure()) {
            return;
        }
    }
    expectCoverage(coverage, programs / 100);
}

TEST(DifferentialCore, RandomProgramsAgreeOnTheSx28) {
    runMany(DeviceKind::SX28, 1, 1500);
}

TEST(DifferentialCore, RandomProgramsAgreeOnTheSx52) {
    runMany(DeviceKind::SX52, 100000, 1500);
}

TEST(DifferentialCore, RandomProgramsAgreeOnTheSx18) {
    runMany(DeviceKind::SX18, 200000, 500);
}

// Long runs reach the RTCC interrupt many times over and keep the counters exact.
TEST(DifferentialCore, LongRunsAgree) {
    for (unsigned seed = 1; seed <= 200; ++seed) {
        RandomSx random(seed * 31);
        CorePair cores(seed % 2 ? DeviceKind::SX28 : DeviceKind::SX48);
        placeProgram(cores, random);
        randomizeState(cores, random);
        for (unsigned round = 0; round < 20; ++round) {
            const sxsim::RunResult fast = cores.fast.run(5000);
            const sxsim::RunResult reference = cores.reference.run(5000);
            ASSERT_EQ(fast.reason, reference.reason) << "seed " << seed;
            ASSERT_EQ(fast.steps, reference.steps) << "seed " << seed;
            expectSameState(cores, "long run, seed " + std::to_string(seed));
            if (HasFatalFailure()) {
                return;
            }
            moveOnAfter(fast.reason, cores, random);
        }
    }
}

} // namespace
