#pragma once

#include "compiler/base/node.hpp"
#include "compiler/run/compilation.hpp"

#include <string_view>

namespace kavo {

// Translates the lines of an asm( ... ) or rasm( ... ) block (its items up to ASM_END) into
// instructions, so that they take part in bank and page selection like compiled code. A line
// that matches no accepted form reports C71 and is dropped.
void genasm(Compilation& c, const Item* items);

// The opcode of an SX-style or PIC-style mnemonic (any case); PIC_UNKNOWN_INSTRUCTION when
// neither style knows it.
int lookupmnemonic(std::string_view mnemonic);

} // namespace kavo
