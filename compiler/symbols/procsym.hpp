#pragma once

#include "compiler/run/compilation.hpp"
#include "compiler/tables/symbol_table.hpp"

namespace kavo {

// Turns the declaration items of one run (a stretch cut from DEC_LIST_START to DEC_LIST_END,
// nested runs as sublists) into symbols of target: the main table, or a tag's member list.
// Sizes and offsets of the whole table are recomputed at the end.
void procsym(Compilation& c, Item* first, SymbolList& target);

// A K&R definition's parameters, once its declarations are read, are the names of its
// identifier list (SymbolTable::identifierList), in that order whatever the order of their
// declarations (f(a, b) int b; int a;); a name not declared is an int, as in C89.
void declareIdentifierList(Compilation& c, int line);

// After all definitions: a function called through its prototype that is never defined
// (C274, once per function).
void checkprototypes(Compilation& c);

} // namespace kavo
