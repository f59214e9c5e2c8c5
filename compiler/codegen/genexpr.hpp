#pragma once

#include "compiler/run/compilation.hpp"

#include <string>
#include <vector>

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

// Compiles a declaration's expression. An initialiser ("value = name" at the top level)
// of an array, struct or union fills the object part by part from its brace list or string,
// the parts without a value with 0 (C270 when there are more values than parts); anything
// else is compiled by genexpr.
bool geninitialiser(Compilation& c, Item*& list);
// Whether a declaration's expression is an initialiser.
bool isinitialiser(const Item* list);
// The element count an array declared without a size takes from its initialiser list (the
// list's values, or a string's characters and its closing 0, or the highest designated
// index and those after it); -1 when there is no list. Designator indices become constants.
// For an array of more dimensions (rows: the sizes after the first) it counts rows.
int initialisercount(Compilation& c, Item* list, int elementType, const std::string& typeName,
                     const std::vector<int>& rows);

// The value of a character constant's text (between the quotes), with C15, C16 and C17.
int characterConstantValue(Compilation& c, const std::string& text, int line);

} // namespace kavo
