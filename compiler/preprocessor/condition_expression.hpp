#pragma once

#include "compiler/preprocessor/macro_expansion.hpp"

#include <cstdint>
#include <optional>
#include <string_view>

namespace kavo {

// The value of an #if or #elif line: `defined NAME` and `defined(NAME)` are read first, then
// the macros are expanded and the integer constant expression is computed as C does, in 64-bit
// arithmetic (unsigned when an operand is); a name that is not a macro counts 0. Nothing when
// the expression is malformed or divides by zero (the error says which).
std::optional<bool> evaluateCondition(std::string_view text, MacroExpander& expander,
                                      const SubstitutionTable& macros, MacroError& error);

} // namespace kavo
