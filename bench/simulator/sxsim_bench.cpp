// Measures the interpreter's speed on ALU-heavy SX code: a loop of adds, subtracts, logic,
// rotates and increments over banked registers, closed by DECFSZ/JMP. Prints instructions per
// second of host time. Usage: sxsim_bench [instructions] (default 500 million).
#include "simulator/core.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

namespace {

void placeAluLoop(sxsim::Core& core) {
    const std::initializer_list<std::uint16_t> loop = {
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
    };
    unsigned address = 0;
    for (std::uint16_t word : loop) {
        core.setWord(address++, word);
    }
    core.setPc(0);
}

} // namespace

int main(int argc, char** argv) {
    const std::uint64_t instructions = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 500'000'000;
    if (instructions == 0) {
        std::fprintf(stderr, "usage: sxsim_bench [instructions > 0]\n");
        return 2;
    }
    sxsim::Core core(sxsim::deviceFor(sxsim::DeviceKind::SX28));
    placeAluLoop(core);
    const auto start = std::chrono::steady_clock::now();
    const sxsim::RunResult result = core.run(instructions);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%llu instructions (%llu cycles) in %.3f s: %.1f million instructions/s (%s)\n",
                static_cast<unsigned long long>(result.steps),
                static_cast<unsigned long long>(core.cycles()), elapsed.count(),
                static_cast<double>(result.steps) / elapsed.count() / 1e6,
                sxsim::stopReasonName(result.reason));
    return 0;
}
