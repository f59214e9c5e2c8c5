// Named variables for sxsim's report, read from one of three text forms:
//   - the compiler's map file: the lines between "<memory table>" and the next "<...>" section,
//     "NAME ADDR SIZE SCOPE" with decimal flat addresses;
//   - the EQU section of the compiler's assembly file: "NAME EQU value", where the comment
//     "; Bank b (address)" after it, when present, gives the flat address;
//   - a plain list of "NAME value" lines (used only when the file has neither of the above).
// Values are decimal, or hexadecimal written 0x1F, $1F or 1Fh. Other lines are ignored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sxsim {

struct NamedVariable {
    std::string name;
    unsigned address; // flat RAM address: bank * 32 + register
    unsigned size;    // bytes, low byte first
};

std::vector<NamedVariable> parseSymbolText(std::string_view text);

// Reads a file; throws std::runtime_error when it cannot be read.
std::vector<NamedVariable> readSymbolFile(const std::string& path);

} // namespace sxsim
