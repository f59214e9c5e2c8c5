#pragma once

#include "compiler/base/compiler_io.hpp"

#include <deque>
#include <string>

namespace kavo::testing {

// Records what the compiler core writes to each channel, and answers its questions.
class CaptureIo : public CompilerIo {
public:
    std::string messages;
    std::string out;
    std::string err;
    std::deque<std::string> input; // words returned by readWord, in order
    std::string redirectedTo;
    Redirect redirectResult = Redirect::Done;

    void message(std::string_view text) override { messages += text; }
    void standardOutput(std::string_view text) override { out += text; }
    void standardError(std::string_view text) override { err += text; }
    std::optional<std::string> readWord() override {
        if (input.empty())
            return std::nullopt;
        std::string word = input.front();
        input.pop_front();
        return word;
    }
    Redirect redirectStandardOutput(const std::string& path) override {
        redirectedTo = path;
        return redirectResult;
    }
};

} // namespace kavo::testing
