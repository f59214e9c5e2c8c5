#pragma once

#include "compiler/run/compilation.hpp"

#include <string_view>

namespace kavo {

// Source lines the runtime routines carry, so that listings show where they come from.
constexpr int ShiftRoutinesLine = 8100;
constexpr int DivideRoutinesLine = 8300;
constexpr int MultiplyRoutineLine = 8400;

// The names of the runtime routines a PIC_CALL can name (the string table reader aside).
inline constexpr std::string_view RuntimeRoutineNames[] = {
    "@__FUNC_MULT", "@__FUNC_SHIFTL", "@__FUNC_SHIFTR", "@__FUNC_SSHIFTR",
    "@__FUNC_SDIV", "@__FUNC_DIV",    "@__FUNC_MOD",    "@__FUNC_SMOD"};

// Writes the runtime routines the program calls (a PIC_CALL naming one of them anywhere in
// the list) directly after the PIC_STRINGLOC record, in front of the user's code; without a
// PIC_STRINGLOC they stay at the end of the list. Runs once, after all user code exists.
//
// Program order of the families is shifts (8100), divide family (8300), multiply (8400), so
// that the listing reads in line order. Each generator inserts right after PIC_STRINGLOC, so
// they run in the reverse order: multiply, then the divide family, then the shifts.
//
// Operands: slots 1 and 2 hold the left operand (low, high), 3 and 4 the right one, 5 to 7
// are scratch; results come back low byte in W, high byte in c.codegen.returnHighRegister.
void generateRuntimeRoutines(Compilation& c);

// The three generators one by one (generateRuntimeRoutines runs them in the order above);
// each writes its family only when the program calls one of its routines.
void generateMultiplyRoutine(Compilation& c);
void generateDivideRoutines(Compilation& c);
void generateShiftRoutines(Compilation& c);

// Runtime parameter slots the interrupt routine must protect when it calls routine (a
// PIC_CALL operand): 4 for the shifts, 6 for multiply, 2 for the string reader, 7 for the
// divide family, 0 for anything else.
int interruptSlotsFor(std::string_view routine);

// The interrupt context of "__interrupt", for the end of that function when INTERRUPT_LOC is
// defined, before the caller emits PIC_RETFIE and "_ITR_E". N is the largest slot need of
// the calls from the routine's label to the end of the list; when N > 0 the slots 1..N and
// the return-high register are copied into "_svi_1".."_svi_{N+1}" right after the routine's
// PIC_SAVEINT and copied back, in the same order, at the end of the list (restores carry
// line). Sets c.codegen.interruptSaveCount to N.
void saveInterruptContext(Compilation& c, int line = 0);

} // namespace kavo
