#pragma once

// Helpers the page and bank placement passes share.
#include "compiler/run/compilation.hpp"
#include "compiler/tables/instruction_list.hpp"
#include "compiler/tables/placement_state.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace kavo::placement {

inline constexpr const char* FileSelect = "@__fsr__";
inline constexpr const char* Indirect = "@__f0__";
inline constexpr const char* ProgramCounter = "@__pc__";
inline constexpr const char* Status = "@__stat__";
inline constexpr const char* BitCopy = "@__P0tmp_";
inline constexpr const char* GlobalScopeName = "_GLOBAL_";
// Labels made for the jump that carries execution on to the next code segment.
inline constexpr std::string_view BridgePrefix = "@__seg_";

// The chip description the placement reads from the pragmas.
struct ChipLayout {
    int romStart = 0;
    int romEnd = 511;
    int resetLoc = 2047;
    bool bigBanks = false; // SX_52_BANKS: 16 banks, the upper eight through FSR's high bit
    int highBanksBit = 7;
    bool multiPage() const { return romEnd >= PageWords; }
    // STATUS bit 7 is a page bit that matters once there are more than four pages.
    bool usesPageBit2() const { return romEnd > 2047; }
};
ChipLayout chiplayout(const Compilation& c);

PlacementState& state(Compilation& c);
// The code segments, made now as the single default segment when nothing built them.
const CodeSegments& segments(Compilation& c);

// The value of a numeric operand text (decimal, hexadecimal, octal, a character constant or a
// leading minus); nothing for a name.
std::optional<int> literalvalue(std::string_view text);
// The RAM address of the operand plus its offset, or -1 when it has none.
int operandaddress(const Compilation& c, const Instruction& i);
// The symbol's own size; -1 when unknown.
int operandsize(const Compilation& c, const Instruction& i);
// The label a CALL or GOTO names: "@name" when the function label exists, else the name.
std::string targetlabel(const Compilation& c, const Instruction& i);

bool isfileregister(int opcode); // the W/F and bit instructions that name a register
bool isbittest(int opcode);
bool isskip(const Instruction& i); // anything that may pass over the next word
bool isreturn(int opcode);
bool iscomputedjump(const Instruction& i); // writes PC: JMP PC+W, JMP W
bool istransfer(int opcode);               // CALL, GOTO
bool iswordless(int opcode);               // labels and markers that take no program word
// Execution never continues with the next word (when not guarded by a skip).
bool endsflow(const Instruction& i);
// Writes FSR (which also selects the RAM bank).
bool writesfsr(const Instruction& i);
// The entries of the table a computed jump reads (GOTO or RETLW words right after it).
int tablelength(const Instruction& jump);

// The next instruction that takes a word, or none.
Instruction* nextword(const Instruction* i);
// Inserts a new instruction (scope "_GLOBAL_") after at, or at the head when at is none.
Instruction* insertinstruction(Compilation& c, Instruction* at, int opcode,
                               const std::string& operand, int dest, int line);

// Inserts the PAGE selections missing before jumps and calls at the current addresses; true
// when it changed the list (the addresses must then be assigned again).
bool insertpageselections(Compilation& c);
// How many words from i on must stay together in one code segment: a skip with the words it
// guards, a PAGE with its jump, a computed jump with its table.
int groupwords(const Instruction* i);
bool isbridge(const Instruction& i);

// In a program larger than one page, orders the functions so that callers and callees share
// pages, and points the calls whose callee's body begins in the first half of the caller's
// page at the body instead of the vector (function_placement.cpp).
void placefunctions(Compilation& c);
// A call placefunctions pointed at its callee's body, now out of CALL's reach.
bool callleavesreach(const Compilation& c, const Instruction& call);
bool anycallleavesreach(const Compilation& c);
// Sends such a call back through its vector (and the PAGE right before it, previous, with
// it), or one the vector still in place reaches without a PAGE where the page bits hold
// page 0 (held); true when it did.
bool keepcallreachable(Compilation& c, Instruction* previous, Instruction& call, int held);

} // namespace kavo::placement
