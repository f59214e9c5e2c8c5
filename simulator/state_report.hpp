// sxsim's account of a finished run: a text report for people and one JSON object for scripts.
#pragma once

#include "simulator/core.hpp"
#include "simulator/symbol_map.hpp"

#include <string>
#include <vector>

namespace sxsim {

// The bytes of a variable the report shows: its first four at most.
unsigned bytesShown(const NamedVariable& variable);

// Throws std::runtime_error naming the first variable whose shown bytes lie outside the
// core's flat RAM (a symbol file for another device, or a damaged one).
void checkVariablesInRam(const Core& core, const std::vector<NamedVariable>& variables);

// The value of a named variable: its bytes read from flat RAM, low byte first.
unsigned long variableValue(const Core& core, const NamedVariable& variable);

std::string formatTextReport(const Core& core, const RunResult& result,
                             const std::vector<NamedVariable>& variables);

// Keys: device, stop, steps, cycles, w, pc, status, fsr, m, option, rtcc, stack (oldest first),
// ports (pin values from RA up), ram (indexed by flat address over every bank, the global
// registers repeated at offsets 0..15 of each bank) and, with a symbol file, variables
// (name -> value). Numbers are decimal.
std::string formatJsonReport(const Core& core, const RunResult& result,
                             const std::vector<NamedVariable>& variables);

} // namespace sxsim
