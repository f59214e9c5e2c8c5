// The C program compile time is measured on: globals, then many small functions with an
// assignment, an if/else, a while and a for loop each, then main calling every one of them in
// turn, so that none is removed as unused and all their code is generated.
#pragma once

#include <string>

namespace kavo::bench {

struct GeneratedProgram {
    std::string text;
    int functions = 0;
    int lines = 0;
};

// About `lines` lines (at least one function), including the device header named by its
// absolute path.
GeneratedProgram generatedSxProgram(int lines, const std::string& deviceHeader);

} // namespace kavo::bench
