#pragma once

// Helpers the output writers share; the rest of the compiler uses backend.hpp.
#include "compiler/run/compilation.hpp"
#include "compiler/tables/instruction_list.hpp"
#include "compiler/tables/opcodes.hpp"

#include <string>

namespace kavo::output {

// True for the records that take no program word and have no text of their own: labels and
// the markers of the string table, raw assembly, Virtual Peripheral code and ORG.
bool producesNoWord(int opcode);

// The label that anchors the instruction list; the writers skip it.
inline constexpr const char* ProgramAnchor = "@@@@@";

// The markers around a raw assembly block: they take no word and write no line.
inline bool isRawAssemblyMarker(int opcode) {
    return opcode == PIC_RASMSTART || opcode == PIC_RASMEND;
}

// A character a comment can show as itself.
inline bool isPrintable(int character) {
    return character >= 32 && character <= 126;
}

// The 12-bit machine word of a placed instruction, or NoMachineWord. An opcode the encoder
// does not know reports C67; an operand that does not fit its field reports an error.
int encodeword(Compilation& c, const Instruction& instruction);

// True on the 4096-word parts whose BANK instruction writes FSR bits 6:4.
bool hasSixteenBanks(const Compilation& c);

// A name as the writers print it: every "@" becomes "A" unless REPLACE_AT_FLAG is set, as the
// assembly writer does to the operands.
std::string printedName(const Compilation& c, std::string name);

// The SX assembly text of an instruction ("MOV W,#10", "SNB A__stat__.2"); empty when the
// instruction writes no text.
std::string instructionText(Compilation& c, const Instruction& instruction);

} // namespace kavo::output
