// What a debugging session needs from one compile: the object file's image, the source lines
// of the program words and the variables. Operations: filesBesideObject, loadDebugProgram.
#pragma once

#include "debugger/line_map.hpp"
#include "debugger/variable_table.hpp"
#include "simulator/intel_hex.hpp"

#include <stdexcept>
#include <string>
#include <vector>

namespace kavo::debugger {

struct DebugFiles {
    std::string object;
    std::string listing;  // line marks; preferred
    std::string map;      // pc map, used when the listing cannot be read; memory table
    std::string assembly; // symbol listing for the variables
    std::string source;   // the C file: its name picks its lines out of the pc map, its
                          // length tells source lines from the compiler's own routines
};

// The compiler's outputs named after the object file in its folder: ".lst", ".map", and the
// assembly file as ".asm" or, when that does not exist, ".src".
DebugFiles filesBesideObject(const std::string& objectPath, const std::string& sourcePath);

struct DebugProgram {
    sxsim::HexImage image;
    LineMap lines;
    std::vector<VariableRecord> variables;
};

class DebugLoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws DebugLoadError naming the file when the object file cannot be read or neither the
// listing nor the map gives any line; a missing symbol listing only leaves no variables.
DebugProgram loadDebugProgram(const DebugFiles& files);

// The number of lines of a text file; 0 when it cannot be read.
int countFileLines(const std::string& path);

} // namespace kavo::debugger
