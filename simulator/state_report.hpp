// sxsim's account of a finished run: a text report for people and one JSON object for scripts.
#pragma once

#include "simulator/core.hpp"
#include "simulator/symbol_map.hpp"

#include <string>
#include <vector>

namespace sxsim {

// A variable of one or two bytes is shown as a number; a larger one (an array, a struct) as
// its bytes, each on its own, since no number of that width means anything in the program.
bool shownAsBytes(const NamedVariable& variable);

// Whether a name is one of the compiler's own registers, temporaries or parameter slots
// ("@__stat__" or "A__stat__", "_tmp_3", "_prm_1"), which only interest someone reading the
// generated code.
bool isCompilerRegister(const std::string& name);

// Throws std::runtime_error naming the first variable whose bytes lie outside the
// core's flat RAM (a symbol file for another device, or a damaged one).
void checkVariablesInRam(const Core& core, const std::vector<NamedVariable>& variables);

// The value of a variable of one or two bytes, low byte first.
unsigned long variableValue(const Core& core, const NamedVariable& variable);

// Every byte of a variable, from its lowest address up.
std::vector<unsigned> variableBytes(const Core& core, const NamedVariable& variable);

std::string formatTextReport(const Core& core, const RunResult& result,
                             const std::vector<NamedVariable>& variables);

// Keys: device, stop, steps, cycles, w, pc, status, fsr, m, option, rtcc, stack (oldest first),
// ports (pin values from RA up), ram (indexed by flat address over every bank, the global
// registers repeated at offsets 0..15 of each bank) and, with a symbol file, variables
// (name -> value, or the array of its bytes for a larger variable). Numbers are decimal.
std::string formatJsonReport(const Core& core, const RunResult& result,
                             const std::vector<NamedVariable>& variables);

} // namespace sxsim
