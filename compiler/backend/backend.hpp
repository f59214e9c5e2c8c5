#pragma once

// The back end's passes, one function per step of the back-end driver.
#include "compiler/run/compilation.hpp"

namespace kavo {

// ---- Page and bank placement and label resolution ----
// Replaces the address pseudo-instructions by literal loads (after RAM allocation).
void resolveaddresses(Compilation& c);
// Inserts the bank selections every register access needs.
void selectbanks(Compilation& c);
// Inserts the page selections every jump and call needs; no PAGE in a one-page program.
void selectpages(Compilation& c);
// Gives every instruction its program address; true when a label moved to another page
// after page selection had run (the caller runs it again until it reports none).
bool labeltablepass(Compilation& c);
// The remaining address loads whose symbol got a place late, or C89.
void resolveaddressof(Compilation& c);
// Resolves every operand to its numeric field and reports what cannot be resolved; returns
// the address after the last instruction, the program size.
int finalresolution(Compilation& c);

} // namespace kavo
