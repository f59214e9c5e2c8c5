#pragma once

#include "compiler/run/compilation.hpp"

#include <cstdint>
#include <string>

namespace kavo {

// Reads the Intel HEX file of a Virtual Peripheral into the program memory image, reporting
// VP1 when it cannot be opened, VP2/VP3 for words that land on words loaded before, and a
// warning when the file stops before its end record. line is the #loadvp line.
void loadvp(Compilation& c, const std::string& path, int line);

// Where two peripheral files put words on the same address.
struct VpConflicts {
    int count = 0;
    int first = -1;
};

// Stores a non-blank word at address (below 4096) in the image; a word already there is a
// conflict, and the later one stays.
void storevpword(Compilation& c, int address, std::uint32_t word, VpConflicts& conflicts);

} // namespace kavo
