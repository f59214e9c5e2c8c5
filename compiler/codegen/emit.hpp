#pragma once

#include "compiler/run/compilation.hpp"
#include "compiler/tables/instruction_list.hpp"
#include "compiler/tables/opcodes.hpp"

#include <string_view>

namespace kavo {

// Appends an instruction. A PIC_LABEL whose name is already in the list reports C118 with
// the earlier label's line and is appended all the same.
Instruction* emit(Compilation& c, int opcode, std::string_view operand = {}, int dest = -1,
                  int line = 0, int value = 0, int offset = 0);

// As emit(), but inserts the instruction after at (at the head when at is none).
Instruction* emitafter(Compilation& c, Instruction* at, int opcode, std::string_view operand = {},
                       int dest = -1, int line = 0, int value = 0, int offset = 0);

// Inserts an instruction just before the PIC_SWEND marker of switchEnd, where a switch
// statement's comparisons collect; at the end when there is no such marker.
Instruction* emitbeforeswend(Compilation& c, int opcode, std::string_view operand, int dest,
                             int line, int value, std::string_view switchEnd);

// Emits the PIC_SWEND marker of a switch and remembers where it stands.
void emitswend(Compilation& c, const std::string& switchEnd, int line);

// Removes the PIC_SWEND marker of switchEnd.
void dropswend(Compilation& c, std::string_view switchEnd);

// The last record of the list; none when it is empty.
Instruction* lastInstruction(const Compilation& c);

// The PIC_STRINGLOC placeholder; none when there is none.
Instruction* findStringLoc(const Compilation& c);

// Moves every record after tail (the records just emitted at the end) to follow anchor, in
// their order. emit() only appends; emitting first keeps its label check, scope and file.
void moveEmittedAfter(Compilation& c, Instruction* tail, Instruction* anchor);

} // namespace kavo
