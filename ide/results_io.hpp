// The compiler's channels during an in-process compile: every text it prints is appended to
// the results pane (texts starting "Bef" are dropped), and the window repaints between
// messages so that a long compile shows its progress.
#pragma once

#include "compiler/base/compiler_io.hpp"

class QPlainTextEdit;

namespace kavo::ide {

class ResultsIo : public CompilerIo {
public:
    explicit ResultsIo(QPlainTextEdit* results) : results_(results) {}

    void message(std::string_view text) override;
    void standardOutput(std::string_view text) override { message(text); }
    void standardError(std::string_view text) override { message(text); }
    // The IDE always names the file, so the compiler never asks for one.
    std::optional<std::string> readWord() override { return std::nullopt; }
    // The IDE never redirects the compiler's output (no -e in its argument vector).
    Redirect redirectStandardOutput(const std::string&) override { return Redirect::CannotOpen; }
    void pumpEvents() override;

private:
    QPlainTextEdit* results_;
};

} // namespace kavo::ide
