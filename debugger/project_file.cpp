// projectFilePath, projectFileText, writeProjectFile and readProjectFile.
#include "debugger/project_file.hpp"

#include "common/line_tools.hpp"

#include <cstdio>
#include <fstream>

namespace kavo::debugger {

namespace {
// Longer lines are read in pieces of this many characters, as the other settings readers do.
constexpr std::size_t MaxProjectLine = 255;
} // namespace

std::string projectFilePath(const std::string& folder, const std::string& sourceFile,
                            const std::string& extension) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/' && path.back() != '\\')
        path += '/';
    return path + common::baseName(sourceFile) + "." + extension;
}

std::string projectFileText(const BreakpointTable& table) {
    std::string text;
    for (int index = 0; index < BreakpointEntries; ++index) {
        char line[64];
        std::snprintf(line, sizeof line, "BRK %d %d %d\n", index, table.entry(index).line,
                      table.entry(index).active);
        text += line;
    }
    return text;
}

bool writeProjectFile(const std::string& path, const BreakpointTable& table) {
    std::ofstream out(path, std::ios::binary);
    if (!out)
        return false;
    out << projectFileText(table);
    return static_cast<bool>(out.flush());
}

bool readProjectFile(const std::string& path, BreakpointTable& table) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() > MaxProjectLine)
            line.resize(MaxProjectLine);
        const std::vector<std::string> tokens = common::tokenizeLine(line);
        if (tokens.size() < 4 || tokens[0] != "BRK")
            continue;
        table.setEntry(common::readIdeNumber(tokens[1]), common::readIdeNumber(tokens[2]),
                       common::readIdeNumber(tokens[3]));
    }
    return true;
}

} // namespace kavo::debugger
