#pragma once

#include "compiler/driver/compilation.hpp"

namespace kavo {

// Compiles one expression's item list by repeated reduction: wherever an operator is directly
// followed by the leaves it needs, the operation is done (folded when every operand is a
// constant), and operator and operands become one leaf. The last leaf is left in
// c.lastResult. Returns false when an error stopped the expression.
//
// This generator folds constant operations (what declarations need for array sizes,
// enumerator values and fixed addresses); operations on variables are left unreduced.
bool genexpr(Compilation& c, Item*& list);

// The value of a character constant's text (between the quotes), with C15, C16 and C17.
int characterConstantValue(Compilation& c, const std::string& text, int line);

} // namespace kavo
