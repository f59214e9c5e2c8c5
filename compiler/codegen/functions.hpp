#pragma once

#include "compiler/run/compilation.hpp"

namespace kavo {

// The end of the function being generated (c.codegen.functionName): main stops in an endless loop,
// the interrupt routine returns from the interrupt, any other function returns and gets its
// end label. The function's scope closes.
void generateFunctionEnd(Compilation& c, int line);

// The assembly name of a LABELNAME or GOTO node's label: a C label's joins its function's
// name (labels have function scope, so two functions may each have an "out:"); a compiler
// label stays as it is.
std::string labelName(const Compilation& c, const std::string& label, int source);

// The conditional jump of an IF or NIF node met by the driver's walk (C05 on a bad condition).
void generateWalkConditionalJump(Compilation& c, const Node& node);

// The return size of a function: 0, 1 or 2 bytes; -1 when no function of that name exists.
int returnSize(Compilation& c, std::string_view function);

// A function returning a struct or union returns it in its return area: a hidden static
// object of its type, made at its first use, that the return copies into and the caller
// copies out of. Functions are never recursive here, so one area per function is sound.
// A function returning an aggregate: its symbol; none otherwise.
const Symbol* aggregateReturner(const Compilation& c, std::string_view function);
// The name of the function's return area, made when missing.
std::string returnArea(Compilation& c, const Symbol& function);
// The function whose return area the name is; empty for any other name.
std::string returnAreaOwner(std::string_view name);

// Initialisers of global and static variables run once, before main's own code. Take the
// instructions emitted after mark (the last instruction before them, from startupmark) out
// of the list; placestartupcode puts all of them, in their order, at main's entry.
Instruction* startupmark(const Compilation& c);
void takestartupcode(Compilation& c, Instruction* mark);
void placestartupcode(Compilation& c);

} // namespace kavo
