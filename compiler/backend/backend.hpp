#pragma once

#include "compiler/run/compilation.hpp"

namespace kavo {

// Lowers the call-argument markers into moves into the callee's parameters; with rules on,
// then rewrites short instruction patterns into cheaper ones until none applies, drops stores
// into temporaries nothing reads, merges temporaries whose uses never overlap and merges
// adjacent compiler labels. Every rewrite keeps what later code reads.
void optimise(Compilation& c, bool rules = true);

} // namespace kavo
