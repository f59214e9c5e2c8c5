#pragma once

#include "compiler/run/compilation.hpp"

namespace kavo {

// Generates the whole node list into symbols and instructions. False when the walk had to
// stop (C02, C03: a translation unit without a name).
bool runMainWalk(Compilation& c);

} // namespace kavo
