#pragma once

#include <string>
#include <string_view>

namespace kavo {

// The compiler's seven-line banner, each line preceded by prefix: "" on standard output,
// "//" in the preprocess file, "; " in the assembly file, 14 blanks and "; " in the listing.
std::string banner(std::string_view prefix);

} // namespace kavo
