#pragma once

// Helpers the output writers share; the rest of the compiler uses backend.hpp.
#include "compiler/run/compilation.hpp"
#include "compiler/tables/instruction_list.hpp"

#include <string>

namespace kavo::output {

// True for the records that take no program word and have no text of their own: labels and
// the markers of the string table, raw assembly, Virtual Peripheral code and ORG.
bool producesNoWord(int opcode);

// The 12-bit machine word of a placed instruction, or NoMachineWord. An opcode the encoder
// does not know reports C67; an operand that does not fit its field reports an error.
int encodeword(Compilation& c, const Instruction& instruction);

// True on the 4096-word parts whose BANK instruction writes FSR bits 6:4.
bool hasSixteenBanks(const Compilation& c);

// The SX assembly text of an instruction ("MOV W,#10", "SNB A__stat__.2"); empty when the
// instruction writes no text.
std::string instructionText(Compilation& c, const Instruction& instruction);

} // namespace kavo::output
