// kavo: the Kavo C compiler on the command line. Messages go to standard output; the exit
// status is 0 when the compilation succeeded and 1 otherwise.
#include "compiler/pipeline/compiler_entry.hpp"

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

class TerminalIo : public kavo::CompilerIo {
public:
    void message(std::string_view text) override { write(stdout, text); }
    void standardOutput(std::string_view text) override { write(stdout, text); }
    void standardError(std::string_view text) override { write(stderr, text); }

    std::optional<std::string> readWord() override {
        std::string word;
        if (std::cin >> word)
            return word;
        return std::nullopt;
    }

    Redirect redirectStandardOutput(const std::string& path) override {
        std::FILE* probe = std::fopen(path.c_str(), "w");
        if (probe == nullptr)
            return Redirect::CannotOpen;
        std::fclose(probe);
        std::fflush(stdout);
        if (std::freopen(path.c_str(), "w", stdout) == nullptr)
            return Redirect::CannotReopen;
        return Redirect::Done;
    }

private:
    static void write(std::FILE* stream, std::string_view text) {
        std::fwrite(text.data(), 1, text.size(), stream);
        std::fflush(stream);
    }
};

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv, argv + argc);
    if (arguments.empty())
        arguments.emplace_back("kavo");
    kavo::CompilerSettings settings;
    TerminalIo io;
    const kavo::CompileOutcome outcome = kavo::compile(settings, io, arguments);
    if (outcome.fatal) {
        io.message(kavo::fatalStopText(*outcome.fatal) + "\n");
        return 1;
    }
    return outcome.success ? 0 : 1;
}
