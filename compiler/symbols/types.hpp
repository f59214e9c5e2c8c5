#pragma once

#include "compiler/run/compilation.hpp"
#include "compiler/tables/symbol_table.hpp"

#include <string_view>

namespace kavo {

// Size in bytes of an object of kind; symbol (may be none) supplies what the kind alone does
// not tell (a pointer's base, an array's size), name the tag or function to look up.
int typesize(Compilation& c, const Symbol* symbol, int kind, std::string_view name);

// Computes the size of every symbol of the main table, then the offsets.
void setsizes(Compilation& c);

// Assigns offsets: base for plain objects, running offsets inside struct tags, base for every
// member of a union tag; C20 for a symbol whose type has no offset rule.
void setoffsets(Compilation& c, SymbolList& list, int base);

} // namespace kavo
