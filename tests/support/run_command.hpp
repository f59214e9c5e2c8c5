#pragma once

// Runs a shell command line and keeps its exit status and everything it printed (standard
// error joined to standard output).

#include <array>
#include <cstdio>
#include <string>

#include <sys/wait.h>

namespace kavo::testing {

struct CommandOutcome {
    int status = -1; // -1 when the command did not exit normally
    std::string output;
};

inline CommandOutcome runCommand(const std::string& commandLine) {
    CommandOutcome outcome;
    FILE* pipe = ::popen((commandLine + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return outcome;
    std::array<char, 4096> buffer{};
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        outcome.output.append(buffer.data(), n);
    const int raw = ::pclose(pipe);
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return outcome;
}

} // namespace kavo::testing
