// Cross-check against gpsim's pic16c54, whose base instructions and C, DC and Z flags the SX
// shares: random straight-line programs over registers 10h..17h (with skips) are assembled by
// gpasm, run in both simulators, and must leave the same registers, W and flags. gpasm and gpsim
// must be on PATH.
#include "simulator/core.hpp"
#include "simulator/intel_hex.hpp"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <unistd.h>

namespace {

constexpr unsigned kFirstReg = 0x10;
constexpr unsigned kRegs = 8;

struct FinalState {
    std::uint8_t w = 0;
    std::uint8_t flags = 0; // STATUS bits 2:0
    std::uint8_t regs[kRegs] = {};
    bool operator==(const FinalState&) const = default;
};

std::string randomInstruction(std::mt19937& rng) {
    static const char* fileOps[] = {"addwf", "subwf", "andwf", "iorwf", "xorwf", "comf",
                                    "incf",  "decf",  "rrf",   "rlf",   "swapf", "movf",
                                    "decfsz", "incfsz"};
    static const char* literalOps[] = {"movlw", "andlw", "iorlw", "xorlw"};
    std::uniform_int_distribution<unsigned> pick(0, 99);
    const unsigned reg = kFirstReg + pick(rng) % kRegs;
    const unsigned kind = pick(rng);
    std::ostringstream out;
    if (kind < 55) {
        out << fileOps[pick(rng) % 14] << " 0x" << std::hex << reg << (pick(rng) % 2 ? ",f" : ",w");
    } else if (kind < 75) {
        out << literalOps[pick(rng) % 4] << " 0x" << std::hex << (pick(rng) * 37 % 256);
    } else if (kind < 82) {
        out << "movwf 0x" << std::hex << reg;
    } else if (kind < 86) {
        out << (pick(rng) % 2 ? "clrf 0x" : "clrw ;0x") << std::hex << reg;
    } else if (kind < 93) {
        out << (pick(rng) % 2 ? "bcf" : "bsf") << " 0x" << std::hex << reg << "," << pick(rng) % 8;
    } else if (kind < 96) {
        out << (pick(rng) % 2 ? "bcf" : "bsf") << " 3," << pick(rng) % 3; // C, DC or Z
    } else {
        out << (pick(rng) % 2 ? "btfsc" : "btfss") << " 0x" << std::hex << reg << ","
            << pick(rng) % 8;
    }
    return out.str();
}

std::string randomProgram(unsigned seed, unsigned length) {
    std::mt19937 rng(seed);
    std::ostringstream out;
    out << "        processor 16c54\n        org 0\n";
    for (unsigned r = 0; r < kRegs; ++r) {
        out << "        movlw 0x" << std::hex << (seed * 29 + r * 71) % 256 << "\n"
            << "        movwf 0x" << kFirstReg + r << "\n";
    }
    out << "        bcf 3,0\n        bcf 3,1\n        bcf 3,2\n";
    for (unsigned i = 0; i < length; ++i) {
        out << "        " << randomInstruction(rng) << "\n";
    }
    out << "        nop\nfin     goto fin\n        org 0x1ff\n        goto 0\n        end\n";
    return out.str();
}

std::string runCommand(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
            output.append(buffer, n);
        }
        ::pclose(pipe);
    }
    return output;
}

unsigned hexByteAt(const std::string& line, unsigned column) {
    return static_cast<unsigned>(std::stoul(line.substr(7 + column * 3, 2), nullptr, 16));
}

FinalState parseGpsimDump(const std::string& dump) {
    FinalState state;
    std::istringstream in(dump);
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with("0000:")) {
            state.flags = hexByteAt(line, 3) & 0x07;
        } else if (line.starts_with("0010:")) {
            for (unsigned r = 0; r < kRegs; ++r) {
                state.regs[r] = static_cast<std::uint8_t>(hexByteAt(line, r));
            }
        } else if (line.starts_with("W = ")) {
            state.w = static_cast<std::uint8_t>(std::stoul(line.substr(4), nullptr, 16));
        }
    }
    return state;
}

FinalState runOurs(const sxsim::HexImage& image) {
    sxsim::Core core(sxsim::deviceFor(sxsim::DeviceKind::SX28));
    for (const auto& [address, word] : image.program) {
        if (address < 0x1FF) {
            core.setWord(address, word);
        }
    }
    core.setPc(0);
    EXPECT_EQ(core.run(10000).reason, sxsim::StopReason::SelfJump);
    FinalState state;
    state.w = core.w();
    state.flags = core.statusRegister() & 0x07;
    for (unsigned r = 0; r < kRegs; ++r) {
        state.regs[r] = core.readFlat(kFirstReg + r);
    }
    return state;
}

std::string describe(const FinalState& s) {
    char text[128];
    std::snprintf(text, sizeof text, "W=%02X flags=%u regs=%02X %02X %02X %02X %02X %02X %02X %02X",
                  s.w, s.flags, s.regs[0], s.regs[1], s.regs[2], s.regs[3], s.regs[4], s.regs[5],
                  s.regs[6], s.regs[7]);
    return text;
}

TEST(GpsimCrossCheck, RandomBaseInstructionSequencesAgree) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("sxsim-gpsim-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string script = (dir / "cmd.stc").string();
    std::ofstream(script) << "step 2000\ndump\nquit\n";
    for (unsigned seed = 1; seed <= 24; ++seed) {
        const std::string base = (dir / ("p" + std::to_string(seed))).string();
        std::ofstream(base + ".asm") << randomProgram(seed, 80);
        const std::string assemble = "gpasm -q -p 16c54 -a inhx8m -o " + base + ".hex " + base +
                                     ".asm > /dev/null 2>&1 && echo ok";
        ASSERT_EQ(runCommand(assemble), "ok\n") << "gpasm failed on " << base << ".asm";
        const FinalState theirs =
            parseGpsimDump(runCommand("gpsim -i -s " + base + ".cod -c " + script + " 2>&1"));
        const FinalState ours = runOurs(sxsim::readIntelHexFile(base + ".hex"));
        EXPECT_EQ(describe(ours), describe(theirs)) << "program " << base << ".asm";
    }
    std::filesystem::remove_all(dir);
}

} // namespace
