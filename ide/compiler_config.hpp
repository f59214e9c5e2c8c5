// The compiler configuration the IDE keeps in its settings store (the "Configuration" window):
// the directories and extensions of the compiler's files, register reuse, saving before a
// compile, the programming times and the serial port. compileArguments turns it into the
// compiler's argument vector.
#pragma once

#include "ide/ide_settings.hpp"

#include <string>
#include <vector>

namespace kavo::ide {

struct CompilerConfig {
    std::string sourceDir = "./src/";
    std::string includeDir = "./include/";
    std::string assemblyDir = "./out/";
    std::string objectDir = "./out/";
    std::string tempDir = "./tmp/";
    std::string sourceExt = "c";
    std::string assemblyExt = "src";
    std::string listExt = "lst";
    std::string preprocessExt = "pre";
    std::string objectExt = "sxh";
    std::string eraseTime = "1000";
    std::string fuseTime = "100";
    std::string fusexTime = "100";
    std::string codeTime = "50";
    bool reuseMemory = true;
    bool autoSave = true;
    int commPort = 1;
    std::string installDir; // read only: where an installation put the IDE
};

// The argument vector of one compile: "kavo", the options -I -o -a -t -s -x -c -m -p -l -v
// with their values, and the file's base name last; always 24 entries.
std::vector<std::string> compileArguments(const CompilerConfig& config, const std::string& base);

constexpr std::size_t CompileArgumentCount = 24;

// The configuration's directories and extensions replace the IDE's own, so that the files
// the IDE opens after a compile are the ones the compiler wrote.
void applyCompilerConfig(const CompilerConfig& config, IdeSettings& settings);

// The programming times of the configuration into the IDE's settings.
void applyProgrammingTimes(const CompilerConfig& config, IdeSettings& settings);

} // namespace kavo::ide
