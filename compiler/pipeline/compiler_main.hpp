#pragma once

#include "compiler/run/compilation.hpp"

#include <string>
#include <vector>

namespace kavo {

// The compiler main: options, banner, preprocess, outputs, parse, back end. Returns 0 when the
// run stopped before parsing (command-line error, a file that cannot be opened) and 1 when
// parsing was attempted; the outcome is in the error counter and the success flag.
int compilerMain(Compilation& c, const std::vector<std::string>& argv);

// Runs every pass after parsing in their fixed order. Returns 1 when nothing was generated
// because of earlier errors, 2 when the run ended with errors, 1 on success.
int backEndDriver(Compilation& c);

// Closes whichever output streams the run left open. A run that did not succeed leaves none of
// its outputs and removes the object file it would have replaced.
void closeOutputs(Compilation& c);

} // namespace kavo
