#pragma once

#include "compiler/run/compilation.hpp"

namespace kavo {

// Makes an item of kind with cval and links it after at.
Item* linkItemAfter(Compilation& c, Item* at, int kind, std::string_view cval);

// Unlinks item from the list starting at head; an identifier leaf naming a temporary returns
// it to its pool first. False, with the delete-failure text, when item is not in the list.
// from, when given, is an item of the list thought to come before item: the search for
// item's predecessor starts there, so that removing near the place being reduced does not
// walk the whole list.
bool unlinkItem(Compilation& c, Item*& head, Item* item, Item* from = nullptr);

} // namespace kavo
