#pragma once

// The back-end driver's own steps; the passes they sit between live in their layers.
#include "compiler/run/compilation.hpp"

namespace kavo {

// Call-tree entries for the runtime routines and the string table.
void enterRuntimeNames(Compilation& c);
// One fixed-address byte for each address #vpmem reserved.
void enterVpReservations(Compilation& c);
// "@__f0__", "@__pc__", "@__fsr__", "@__stat__".
void enterFixedRegisters(Compilation& c);
// The names DS lines of #loadasm files reserved, at their fixed addresses.
void enterAssemblyDataSymbols(Compilation& c);
// The "__asm_N" functions of #loadasm files as Virtual Peripheral code at the start of
// program memory, taken out of the node list.
void generateVirtualPeripherals(Compilation& c);
// The "@@@@@" label every program starts with.
void emitProgramAnchor(Compilation& c);
// deleteuncalled until nothing more goes; an inspection run keeps every function.
void removeUncalledFunctions(Compilation& c);
// C110 and the interrupt vector.
void checkInterruptPragmas(Compilation& c);
// The placeholder the string table is generated at.
void emitStringPlaceholder(Compilation& c);
// C189, C188 and "@__P0tmp_", "@__SxItmp_", "@__SxLtmp_" at CCTEMP_LOC.
void enterCompilerTemporaries(Compilation& c);
// C109: PAGEBITS_LOC defaults to 3.
void defaultPageBits(Compilation& c);
// Empty message lines for SEMICOL nodes, C500, file names for nodes that lack one.
void prepareNodeList(Compilation& c);
// The byte every 16-bit call result keeps its high half in.
void reserveReturnHighRegister(Compilation& c);
// The jump to main at RESET_LOC unless NO_RESET_VECTOR.
void emitResetJump(Compilation& c);
// "Setting PAGE bits." for programs above 2048 words.
void announcePageBits(Compilation& c);
// Completes the generated list with the runtime routines it calls and ends an inspection run
// there; returns 2, as nothing is written.
int stopForInspection(Compilation& c);
// Ends a compilation whose variables found no RAM: the code names places that do not exist,
// so nothing more is generated or written; returns 2.
int stopAfterRamShortage(Compilation& c);

} // namespace kavo
