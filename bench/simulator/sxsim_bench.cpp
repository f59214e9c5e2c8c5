// Measures the interpreter's speed on two loops and, when gpasm and gpsim are on PATH, gpsim's
// speed on the same words run as a PIC16C54 (the loops use only words the two share):
//   - alu: adds, subtracts, logic, rotates and increments over banked registers, closed by
//     DECSZ/JMP;
//   - call-skip: CALL and RETW, bit tests and INCSZ/DECSZ that skip, JMP.
// Prints million instructions per second of process CPU time (what the simulator itself used,
// steady on a loaded machine) and of wall time. gpsim counts cycles, not instructions; its
// instructions are its cycles divided by the loop's PIC cycles per instruction, found by stepping
// the loop once on our core (a PIC takes 2 cycles for a jump where the SX takes 3; a taken skip
// costs both 2).
// Usage: sxsim_bench [instructions] (default 500 million).
#include "simulator/core.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
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

double cpuSeconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Timing {
    double instructions = 0;
    double cpu = 0;
    double wall = 0;
};

void printRow(const char* simulator, const char* loop, const Timing& t) {
    std::printf("%-8s %-10s %13.0f %9.3f %9.3f %11.1f %11.1f\n", simulator, loop, t.instructions,
                t.cpu, t.wall, t.instructions / t.cpu / 1e6, t.instructions / t.wall / 1e6);
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

Timing timeOurs(const Loop& loop, std::uint64_t instructions) {
    sxsim::Core core = coreWithLoop(loop);
    const double cpu = cpuSeconds(RUSAGE_SELF);
    const double wall = wallSeconds();
    const sxsim::RunResult result = core.run(instructions);
    return {static_cast<double>(result.steps), cpuSeconds(RUSAGE_SELF) - cpu, wallSeconds() - wall};
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

// Runs gpsim on the loop for `cycles` cycles; CPU and wall time of the whole gpsim process.
Timing runGpsim(const std::filesystem::path& dir, const Loop& loop, std::uint64_t cycles) {
    const std::string base = (dir / loop.name).string();
    {
        std::ofstream source(base + ".asm");
        source << "        processor 16c54\n        org 0\n";
        for (std::uint16_t word : loop.words) {
            source << "        dw 0x" << std::hex << word << "\n";
        }
        source << "        org 0x1ff\n        goto 0\n        end\n";
        std::ofstream(base + ".stc") << "break c " << std::dec << cycles << "\nrun\nquit\n";
    }
    const std::string assemble = "gpasm -q -p 16c54 -o " + base + ".hex " + base + ".asm";
    const std::string simulate =
        "gpsim -i -S disable -s " + base + ".cod -c " + base + ".stc >/dev/null 2>&1";
    Timing timing;
    if (std::system(assemble.c_str()) != 0) {
        return timing;
    }
    const double cpu = cpuSeconds(RUSAGE_CHILDREN);
    const double wall = wallSeconds();
    if (std::system(simulate.c_str()) != 0) {
        return timing;
    }
    timing.cpu = cpuSeconds(RUSAGE_CHILDREN) - cpu;
    timing.wall = wallSeconds() - wall;
    return timing;
}

// gpsim's rate without its start-up: a long run less a short one.
Timing timeGpsim(const Loop& loop, std::uint64_t instructions) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("sxsim-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const double perInstruction = picCyclesPerInstruction(loop);
    const auto cycles =
        static_cast<std::uint64_t>(static_cast<double>(instructions) * perInstruction);
    const Timing shortRun = runGpsim(dir, loop, 1000);
    Timing longRun = runGpsim(dir, loop, cycles);
    std::filesystem::remove_all(dir);
    longRun.instructions = static_cast<double>(cycles) / perInstruction;
    longRun.cpu -= shortRun.cpu;
    longRun.wall -= shortRun.wall;
    return longRun;
}

} // namespace

int main(int argc, char** argv) {
    const std::uint64_t instructions = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 500'000'000;
    if (instructions == 0) {
        std::fprintf(stderr, "usage: sxsim_bench [instructions > 0]\n");
        return 2;
    }
    std::printf("%-8s %-10s %13s %9s %9s %11s %11s\n", "sim", "loop", "instructions", "cpu s",
                "wall s", "M/s (cpu)", "M/s (wall)");
    for (const Loop* loop : {&kAluLoop, &kCallSkipLoop}) {
        printRow("sxsim", loop->name, timeOurs(*loop, instructions));
    }
    if (!toolsPresent()) {
        std::printf("gpsim or gpasm not on PATH: no comparison\n");
        return 0;
    }
    for (const Loop* loop : {&kAluLoop, &kCallSkipLoop}) {
        printRow("gpsim", loop->name, timeGpsim(*loop, instructions / 5));
    }
    return 0;
}
