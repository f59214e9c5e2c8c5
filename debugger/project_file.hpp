// The project file keeps the breakpoint table next to the source: one "BRK index line active"
// line for each of the 256 entries, in index order. Operations: projectFilePath,
// projectFileText, writeProjectFile, readProjectFile.
#pragma once

#include "debugger/breakpoint_table.hpp"

#include <string>

namespace kavo::debugger {

// folder, the source's base name and the extension: "folder/blink.dbp".
std::string projectFilePath(const std::string& folder, const std::string& sourceFile,
                            const std::string& extension);

std::string projectFileText(const BreakpointTable& table);

// False when the file cannot be written.
bool writeProjectFile(const std::string& path, const BreakpointTable& table);

// Applies the file's "BRK" lines to the table; entries the file does not name keep their
// values, indexes outside 0..255 and other lines are ignored. False when the file cannot be
// read (which is no error: a source without a project yet).
bool readProjectFile(const std::string& path, BreakpointTable& table);

} // namespace kavo::debugger
