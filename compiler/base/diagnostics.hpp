#pragma once

#include "compiler/base/compiler_io.hpp"

#include <string>
#include <string_view>

namespace kavo {

// How errors and warnings are written: as the compiler always wrote them, or one line each as
// "FILE:LINE: error: TEXT [C19]", the form editors' problem matchers and CI annotations read.
enum class DiagnosticStyle { Kavo, Gcc };

// The run's message channels and its error counter. Every counted error of every pass goes
// through error(), so the counter and the texts can never disagree.
class Diagnostics {
public:
    explicit Diagnostics(CompilerIo& io) : io_(io) {}

    void message(std::string_view text) { io_.message(styled(text)); }
    void error(std::string_view text) {
        io_.message(styled(text));
        ++errors_;
    }
    // An error whose text went to another channel (standard error) but still counts.
    void countError() { ++errors_; }
    void standardOutput(std::string_view text) { io_.standardOutput(text); }
    void standardError(std::string_view text) { io_.standardError(styled(text)); }

    // file names the messages in the gcc style, which has no other way to know it.
    void setStyle(DiagnosticStyle style, std::string file = {}) {
        style_ = style;
        file_ = std::move(file);
    }
    DiagnosticStyle style() const { return style_; }

    int errors() const { return errors_; }
    CompilerIo& io() { return io_; }

private:
    std::string styled(std::string_view text) const;

    CompilerIo& io_;
    int errors_ = 0;
    DiagnosticStyle style_ = DiagnosticStyle::Kavo;
    std::string file_;
};

} // namespace kavo
