#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kavo {

// The channels through which the compiler core talks to its caller. The CLI routes them to
// the terminal, the IDE to its results pane, tests capture them.
class CompilerIo {
public:
    virtual ~CompilerIo() = default;

    // The compiler message sink: every diagnostic and progress line.
    virtual void message(std::string_view text) = 0;
    // The few texts written to standard output or standard error rather than the sink.
    virtual void standardOutput(std::string_view text) = 0;
    virtual void standardError(std::string_view text) = 0;
    // One blank-separated word from standard input; none at end of input.
    virtual std::optional<std::string> readWord() = 0;

    enum class Redirect { Done, CannotOpen, CannotReopen };
    // Sends standard output (and so the CLI's messages) to the file at path.
    virtual Redirect redirectStandardOutput(const std::string& path) = 0;

    // Lets a user interface process its pending events between steps of a long run.
    virtual void pumpEvents() {}
};

} // namespace kavo
