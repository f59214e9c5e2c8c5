#pragma once

#include "compiler/run/compilation.hpp"

namespace kavo {

// RAM use as the allocator counted it, for the summary after the object file.
struct RegisterMemoryUse {
    int used = 0;
    int reused = 0;
};

// The back end's last step: the assembly file, the object file (or the error count when
// errors were found), the listing, closing the files and the outcome. Returns 1 when the run
// succeeded (and sets the success flag), 2 when it counted errors.
int writeoutputs(Compilation& c, const RegisterMemoryUse& ram);

} // namespace kavo
