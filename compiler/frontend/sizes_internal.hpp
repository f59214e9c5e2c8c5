#pragma once

// The front end's sizeof: the sizes the words of a type or an operand tell, and SIZEOF nodes
// for the rest, which the code generator sizes from the symbols.
#include "compiler/base/node.hpp"
#include "compiler/frontend/fragment.hpp"

#include <optional>
#include <vector>

namespace kavo::frontend {

// A size known now: the single-word nodes for 0, 1 and 2, a constant otherwise.
StackValue sizeConstant(FragmentBuilder& b, int size);

// The size of one object as the operand nodes name it (markers included): a variable, an
// element, *p, a member chain, a string, a constant or a cast. As a value (an operand of an
// operator), an array is a pointer to its first element and a string a char pointer.
// Nothing for any other form.
std::optional<StackValue> sizeOfObject(FragmentBuilder& b, const std::vector<const Node*>& nodes,
                                       bool asValue);

// The size of sizeof's operand, which is never evaluated: nothing for a form it cannot type.
std::optional<StackValue> sizeOfExpression(FragmentBuilder& b, const StackValue& operand);

} // namespace kavo::frontend
