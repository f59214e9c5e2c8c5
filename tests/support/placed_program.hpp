#pragma once

// Loads a placed and resolved instruction list (after the final resolution) into the SX core
// model, so that tests can run what page and bank placement produced. Words come from the
// object file's own encoder.

#include "compiler/backend/output_internal.hpp"
#include "compiler/run/compilation.hpp"
#include "compiler/tables/instruction_list.hpp"
#include "compiler/tables/opcodes.hpp"
#include "simulator/core.hpp"
#include "simulator/device.hpp"

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>

namespace kavo::testing {

// The core with the program loaded; words are also kept by address for inspection.
class PlacedProgram {
public:
    PlacedProgram(Compilation& c, sxsim::DeviceKind kind) : core_(sxsim::deviceFor(kind)) {
        for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
            const int word = output::encodeword(c, *i);
            if (word == NoMachineWord)
                continue;
            if (word < 0)
                throw std::runtime_error("cannot encode " + std::string(opcodeName(i->opcode)));
            if (!words_.emplace(i->address, static_cast<std::uint16_t>(word)).second)
                throw std::runtime_error("two words at " + std::to_string(i->address));
        }
        core_.reset();
        for (const auto& [address, word] : words_)
            core_.setWord(static_cast<unsigned>(address), word);
    }

    // Runs from the reset vector until a self-jump or another stop.
    sxsim::RunResult run(std::uint64_t maxSteps = 100000) { return core_.run(maxSteps); }
    sxsim::Core& core() { return core_; }
    const std::map<int, std::uint16_t>& words() const { return words_; }

private:
    sxsim::Core core_;
    std::map<int, std::uint16_t> words_;
};

} // namespace kavo::testing
