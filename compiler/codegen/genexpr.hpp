#pragma once

#include "compiler/run/compilation.hpp"

namespace kavo {

// Compiles one expression's item list by repeated reduction: wherever an operator is directly
// followed by the leaves it needs, the operation is done (folded when every operand is a
// constant), and operator and operands become one leaf. The last leaf is left in
// c.codegen.lastResult. Returns false when an error stopped the expression.
//
// Statement nodes among the expression nodes (labels, jumps, loops, switches, calls,
// returns) are generated in order as the scan reaches them. A construct the generator does
// not support is reported, never silently left out.
bool genexpr(Compilation& c, Item*& list);

// genexpr for a whole expression statement: afterwards its items are gone, except that the
// temporary holding its value stays in use until the next expression starts, so that the
// statement reading the value (IF, NIF, a return) still finds it.
bool genstatement(Compilation& c, Item*& list);

// The value of a character constant's text (between the quotes), with C15, C16 and C17.
int characterConstantValue(Compilation& c, const std::string& text, int line);

} // namespace kavo
