// The two loops the simulator's speed is measured on, in words the SX and the PIC16C54 share:
//   - alu: adds, subtracts, logic, rotates and increments over banked registers, closed by
//     DECSZ/JMP;
//   - call-skip: CALL and RETW, bit tests and INCSZ/DECSZ that skip, JMP.
// Any core made from a device with setWord, setPc, step, word, pc and cycles (the interpreter
// and the reference core kept for the tests) can be loaded with them.
#pragma once

#include <cstdint>
#include <vector>

namespace kavo::bench {

struct SpeedLoop {
    const char* name;
    std::vector<std::uint16_t> words; // from address 0
};

const SpeedLoop& aluLoop();
const SpeedLoop& callSkipLoop();

template <class Core> void loadLoop(Core& core, const SpeedLoop& loop) {
    unsigned address = 0;
    for (std::uint16_t word : loop.words)
        core.setWord(address++, word);
    core.setPc(0);
}

// RETW, CALL and JMP: the words a PIC runs in 2 cycles where the SX takes 3.
inline bool isJump(std::uint16_t word) {
    return word >= 0x800 && word < 0xC00;
}

// PIC cycles per instruction of the loop, found by stepping it on an SX core: the SX's cycles
// less one for each jump (a taken skip costs both 2).
template <class Core, class Device>
double picCyclesPerInstruction(const Device& device, const SpeedLoop& loop) {
    Core core(device);
    loadLoop(core, loop);
    constexpr unsigned Steps = 1'000'000;
    std::uint64_t jumps = 0;
    for (unsigned i = 0; i < Steps; ++i) {
        jumps += isJump(core.word(core.pc()));
        core.step();
    }
    return static_cast<double>(core.cycles() - jumps) / Steps;
}

} // namespace kavo::bench
