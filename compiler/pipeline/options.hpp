#pragma once

#include "compiler/run/compilation.hpp"

#include <string>
#include <vector>

namespace kavo {

// Reads the options of an argument vector of three or more elements. The last two elements
// are never options (the file name is the last). False on a command-line error, which is
// reported and counted; the compiler main then compiles nothing.
bool readCommandLine(Compilation& c, const std::vector<std::string>& argv);

// Takes the long options ("--diagnostics=gcc") out of argv, which the reader above never sees:
// they may stand anywhere before the file name, even as its only companion. False on an
// unknown value, reported as a command-line error.
bool takeLongOptions(Compilation& c, std::vector<std::string>& argv);

constexpr const char* ConfigFileName = "kavoconf.cfg";

// Reads settings from the configuration file; false, silently, when it cannot be opened.
bool readConfigFile(Compilation& c, const std::string& path = ConfigFileName);

} // namespace kavo
