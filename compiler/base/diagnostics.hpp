#pragma once

#include "compiler/base/compiler_io.hpp"

#include <string_view>

namespace kavo {

// The run's message channels and its error counter. Every counted error of every pass goes
// through error(), so the counter and the texts can never disagree.
class Diagnostics {
public:
    explicit Diagnostics(CompilerIo& io) : io_(io) {}

    void message(std::string_view text) { io_.message(text); }
    void error(std::string_view text) {
        io_.message(text);
        ++errors_;
    }
    // An error whose text went to another channel (standard error) but still counts.
    void countError() { ++errors_; }
    void standardOutput(std::string_view text) { io_.standardOutput(text); }
    void standardError(std::string_view text) { io_.standardError(text); }

    int errors() const { return errors_; }
    CompilerIo& io() { return io_; }

private:
    CompilerIo& io_;
    int errors_ = 0;
};

} // namespace kavo
