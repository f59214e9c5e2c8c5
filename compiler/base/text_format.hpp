#pragma once

#include <string>

namespace kavo {

// printf-style formatting into a std::string. The compiler's messages are fixed printf
// formats ("%3d", "%-15s"...), so keeping printf semantics keeps every text exact.
std::string strprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace kavo
