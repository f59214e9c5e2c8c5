// Assembles a test program from tests/simulator/programs with gpasm (which must be on PATH) into
// a temporary HEX file, for tests that run whole programs.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace sxtest {

inline std::filesystem::path programSource(const std::string& name) {
    const char* root = std::getenv("KAVO_SOURCE_DIR");
    return std::filesystem::path(root ? root : ".") / "tests/simulator/programs" / (name + ".asm");
}

// A per-process scratch directory, removed when the test program ends.
inline const std::filesystem::path& scratchDirectory() {
    struct Scratch {
        std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("sxsim-test-" + std::to_string(::getpid()));
        Scratch() { std::filesystem::create_directories(path); }
        ~Scratch() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const Scratch scratch;
    return scratch.path;
}

// Returns the HEX file's path, or an empty path when gpasm failed.
inline std::filesystem::path assemble(const std::string& name, const std::string& processor) {
    const auto& dir = scratchDirectory();
    const auto hex = dir / (name + ".hex");
    const std::string command = "gpasm -q -p " + processor + " -a inhx8m -o '" + hex.string() +
                                "' '" + programSource(name).string() + "' > /dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        return {};
    }
    return hex;
}

} // namespace sxtest
