#pragma once

#include "compiler/run/compilation.hpp"

namespace kavo {

// Makes an item of kind with cval and links it after at.
Item* linkItemAfter(Compilation& c, Item* at, int kind, std::string_view cval);

// Unlinks item from the list starting at head; an identifier leaf naming a temporary returns
// it to its pool first. False, with the delete-failure text, when item is not in the list.
bool unlinkItem(Compilation& c, Item*& head, Item* item);

} // namespace kavo
