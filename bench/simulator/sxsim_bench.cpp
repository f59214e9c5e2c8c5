// Measures the interpreter's speed on two loops and, when gpasm and gpsim are on PATH, gpsim's
// speed on the same words run as a PIC16C54 (the loops use only words the two share):
//   - alu: adds, subtracts, logic, rotates and increments over banked registers, closed by
//     DECSZ/JMP;
//   - call-skip: CALL and RETW, bit tests and INCSZ/DECSZ that skip, JMP.
// Prints million instructions per second of wall time, the best and the median of several runs,
// with the load average around them. gpsim counts cycles, not instructions; its
// instructions are its cycles divided by the loop's PIC cycles per instruction, found by stepping
// the loop once on our core (a PIC takes 2 cycles for a jump where the SX takes 3; a taken skip
// costs both 2).
// Usage: sxsim_bench [instructions per run (default 100 million)] [runs (default 7)].
#include "simulator/core.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Loop {
    const char* name;
    std::vector<std::uint16_t> words; // from address 0
};

const Loop kAluLoop = {"alu",
                       {
                           0x0C01, // MOV W,#1
                           0x01F0, // ADD 10h,W
                           0x01D1, // ADD W,11h
                           0x00B2, // SUB 12h,W
                           0x01B3, // XOR 13h,W
                           0x0174, // AND 14h,W
                           0x0135, // OR 15h,W
                           0x0336, // RR 16h
                           0x0377, // RL 17h
                           0x02B8, // INC 18h
                           0x00F9, // DEC 19h
                           0x03BA, // SWAP 1Ah
                           0x027B, // NOT 1Bh
                           0x0208, // MOV W,08h
                           0x01FC, // ADD 1Ch,W
                           0x02FD, // DECSZ 1Dh
                           0x0A00, // JMP 000h
                           0x0A00, // JMP 000h
                       }};

const Loop kCallSkipLoop = {"call-skip",
                            {
                                0x0C01, // 000 MOV W,#1
                                0x0910, // 001 CALL 010h
                                0x0710, // 002 SB 10h.0
                                0x02B1, // 003 INC 11h
                                0x0630, // 004 SNB 10h.1
                                0x00F2, // 005 DEC 12h
                                0x03F3, // 006 INCSZ 13h
                                0x0A01, // 007 JMP 001h
                                0x0A00, // 008 JMP 000h
                                0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,
                                0x01F0, // 010 ADD 10h,W
                                0x02F4, // 011 DECSZ 14h
                                0x0800, // 012 RETW #0
                                0x0801, // 013 RETW #1
                            }};

double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Million instructions per second over several runs: the best run shows the speed when the
// machine let the simulator have a core to itself, the median what a shared machine gave.
struct Rates {
    double best = 0;
    double median = 0;
};

Rates ratesOf(std::vector<double> rates) {
    std::sort(rates.begin(), rates.end());
    return {rates.back(), rates[rates.size() / 2]};
}

void printRow(const char* simulator, const char* loop, double instructions, const Rates& rates) {
    std::printf("%-7s %-10s %13.0f %10.1f %10.1f\n", simulator, loop, instructions, rates.best,
                rates.median);
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

sxsim::Core coreWithLoop(const Loop& loop) {
    sxsim::Core core(sxsim::deviceFor(sxsim::DeviceKind::SX28));
    unsigned address = 0;
    for (std::uint16_t word : loop.words) {
        core.setWord(address++, word);
    }
    core.setPc(0);
    return core;
}

double timeOurs(const Loop& loop, std::uint64_t instructions) {
    sxsim::Core core = coreWithLoop(loop);
    const double start = wallSeconds();
    const sxsim::RunResult result = core.run(instructions);
    return static_cast<double>(result.steps) / (wallSeconds() - start) / 1e6;
}

bool isJump(std::uint16_t word) {
    return word >= 0x800 && word < 0xC00;
} // RETW, CALL, JMP

double picCyclesPerInstruction(const Loop& loop) {
    sxsim::Core core = coreWithLoop(loop);
    constexpr unsigned kSteps = 1'000'000;
    std::uint64_t jumps = 0;
    for (unsigned i = 0; i < kSteps; ++i) {
        jumps += isJump(core.word(core.pc()));
        core.step();
    }
    return static_cast<double>(core.cycles() - jumps) / kSteps;
}

bool toolsPresent() {
    return std::system("command -v gpasm >/dev/null 2>&1 && command -v gpsim >/dev/null 2>&1") == 0;
}

// Writes the loop as a PIC16C54 program with gpasm; the path of its .cod file, or "" on failure.
std::string assembleForGpsim(const std::filesystem::path& dir, const Loop& loop) {
    const std::string base = (dir / loop.name).string();
    {
        std::ofstream source(base + ".asm");
        source << "        processor 16c54\n        org 0\n";
        for (std::uint16_t word : loop.words) {
            source << "        dw 0x" << std::hex << word << "\n";
        }
        source << "        org 0x1ff\n        goto 0\n        end\n";
    }
    const std::string assemble = "gpasm -q -p 16c54 -o " + base + ".hex " + base + ".asm";
    return std::system(assemble.c_str()) == 0 ? base + ".cod" : "";
}

// Wall time of a whole gpsim process running the program for `cycles` cycles.
double gpsimSeconds(const std::string& cod, std::uint64_t cycles) {
    const std::string script = cod + "." + std::to_string(cycles) + ".stc";
    std::ofstream(script) << "break c " << cycles << "\nrun\nquit\n";
    const std::string simulate =
        "gpsim -i -S disable -s " + cod + " -c " + script + " >/dev/null 2>&1";
    const double start = wallSeconds();
    const int status = std::system(simulate.c_str());
    return status == 0 ? wallSeconds() - start : 0;
}

// gpsim's rate without its start-up: a long run less the quickest short one.
std::vector<double> timeGpsim(const Loop& loop, std::uint64_t instructions, unsigned runs) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("sxsim-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::vector<double> rates;
    const std::string cod = assembleForGpsim(dir, loop);
    if (!cod.empty()) {
        const double perInstruction = picCyclesPerInstruction(loop);
        const auto cycles =
            static_cast<std::uint64_t>(static_cast<double>(instructions) * perInstruction);
        double startUp = 1e9;
        for (unsigned run = 0; run < runs; ++run) {
            startUp = std::min(startUp, gpsimSeconds(cod, 1000));
        }
        for (unsigned run = 0; run < runs; ++run) {
            const double seconds = gpsimSeconds(cod, cycles) - startUp;
            if (seconds > 0) {
                rates.push_back(static_cast<double>(instructions) / seconds / 1e6);
            }
        }
    }
    std::filesystem::remove_all(dir);
    return rates;
}

} // namespace

int main(int argc, char** argv) {
    const std::uint64_t instructions = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100'000'000;
    const unsigned runs = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 7;
    if (instructions == 0 || runs == 0) {
        std::fprintf(stderr, "usage: sxsim_bench [instructions per run > 0] [runs > 0]\n");
        return 2;
    }
    std::printf("load average before: %s\n", loadAverage().c_str());
    std::printf("%-7s %-10s %13s %10s %10s\n", "sim", "loop", "instr/run", "best M/s",
                "median M/s");
    for (const Loop* loop : {&kAluLoop, &kCallSkipLoop}) {
        std::vector<double> rates;
        for (unsigned run = 0; run < runs; ++run) {
            rates.push_back(timeOurs(*loop, instructions));
        }
        printRow("sxsim", loop->name, static_cast<double>(instructions), ratesOf(rates));
    }
    if (!toolsPresent()) {
        std::printf("gpsim or gpasm not on PATH: no comparison\n");
        return 0;
    }
    const std::uint64_t gpsimInstructions = instructions / 5;
    for (const Loop* loop : {&kAluLoop, &kCallSkipLoop}) {
        const std::vector<double> rates = timeGpsim(*loop, gpsimInstructions, runs);
        if (rates.empty()) {
            std::printf("gpsim %s: did not run\n", loop->name);
            continue;
        }
        printRow("gpsim", loop->name, static_cast<double>(gpsimInstructions), ratesOf(rates));
    }
    std::printf("load average after: %s\n", loadAverage().c_str());
    return 0;
}
