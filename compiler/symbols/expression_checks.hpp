#pragma once

#include "compiler/run/compilation.hpp"

namespace kavo {

// Checks the item of an expression (with the operand before it, for the infix assignment;
// the parser's operand markers do not count as operands):
// identifiers must be visible and are retagged by size (LONG_IDENTIFIER for 16-bit objects);
// constants out of range of an 8-bit operand are warned about. 0 when the expression may not
// be compiled.
int checkvars(Compilation& c, Item* previous, Item* item);

// SIGNED or UNSIGNED arithmetic for the operation at item; fallback when nothing decides.
int setsign(Compilation& c, Item* previous, Item* item, int fallback);

// C310: a struct or union parameter given anything but a value of its own type, or a scalar
// parameter given a struct or union; given names the argument as the program wrote it.
void reportParameterMismatch(Compilation& c, int line, const Symbol& parameter,
                             const std::string& callee, const std::string& given);

} // namespace kavo
