#pragma once

#include "compiler/tables/call_tree.hpp"

#include <string_view>

namespace kavo {

class Compilation;

// Enters every defined function and every call of the node list.
void buildcalltree(Compilation& c);

// The node list defines a function of that name.
bool isfunction(const Compilation& c, std::string_view name);

} // namespace kavo
