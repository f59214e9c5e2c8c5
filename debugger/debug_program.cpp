// filesBesideObject, loadDebugProgram (object file, line map from the listing or the map,
// variables from the symbol listing or the map's memory table) and countFileLines.
#include "debugger/debug_program.hpp"

#include "simulator/symbol_map.hpp"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace kavo::debugger {

namespace {

std::optional<std::string> readText(const std::string& path) {
    if (path.empty())
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

LineMap readLines(const DebugFiles& files) {
    const auto map = readText(files.map);
    if (const auto listing = readText(files.listing)) {
        LineMap lines = readListingLines(*listing);
        if (map)
            dropOtherFiles(lines, *map, files.source);
        if (!lines.empty())
            return lines;
    }
    if (map) {
        LineMap lines = readPcMap(*map, files.source);
        if (!lines.empty())
            return lines;
    }
    throw DebugLoadError("no source line information in '" + files.listing + "' or '" + files.map +
                         "' (compile the program first)");
}

// The map's memory table names the variables with their sizes when the assembly file is
// missing; its records are split like the symbol listing's.
std::vector<VariableRecord> variablesFromMap(const std::string& mapText) {
    std::string listing = "; " + std::string(70, '-') + "\n";
    for (const sxsim::NamedVariable& v : sxsim::parseSymbolText(mapText))
        listing += "; " + v.name + " VAR M " + std::to_string(v.size) + " " +
                   std::to_string(v.address) + "\n";
    return parseSymbolListing(listing);
}

std::vector<VariableRecord> readVariables(const DebugFiles& files) {
    if (const auto assembly = readText(files.assembly)) {
        std::vector<VariableRecord> records = parseSymbolListing(*assembly);
        if (!records.empty())
            return records;
    }
    if (const auto map = readText(files.map))
        return variablesFromMap(*map);
    return {};
}

} // namespace

DebugFiles filesBesideObject(const std::string& objectPath, const std::string& sourcePath) {
    const std::filesystem::path object(objectPath);
    std::filesystem::path stem = object;
    stem.replace_extension();
    const auto beside = [&](const char* extension) { return stem.string() + extension; };
    std::string assembly = beside(".asm");
    if (!std::filesystem::exists(assembly) && std::filesystem::exists(beside(".src")))
        assembly = beside(".src");
    return {objectPath, beside(".lst"), beside(".map"), assembly, sourcePath};
}

DebugProgram loadDebugProgram(const DebugFiles& files) {
    DebugProgram program;
    try {
        program.image = sxsim::readIntelHexFile(files.object);
    } catch (const std::exception& e) {
        throw DebugLoadError(e.what());
    }
    program.lines = readLines(files);
    program.lines.setSourceLineCount(countFileLines(files.source));
    program.variables = readVariables(files);
    return program;
}

int countFileLines(const std::string& path) {
    const auto text = readText(path);
    if (!text)
        return 0;
    return static_cast<int>(textLines(*text).size());
}

} // namespace kavo::debugger
