// Programs that compiled before keep their exact outputs: a corpus of programs (the examples,
// the whole-program cases and random programs of every construct, for both part families) is
// compiled through the whole back end and each output file's hash compared with the one
// recorded in output_corpus.txt. A change that alters generated code on purpose records the
// hashes again: run the test with KAVO_RECORD_CORPUS set to the path of that file.
#include "tests/support/example_files.hpp"
#include "tests/support/in_process_compile.hpp"
#include "tests/support/random_program.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace kavo {
namespace {

namespace fs = std::filesystem;

struct CorpusProgram {
    std::string name;
    std::string source;
    std::map<std::string, std::string> otherFiles; // headers beside the source
    std::vector<std::string> options;
};

std::uint64_t fnv1a(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char byte : bytes)
        hash = (hash ^ byte) * 1099511628211ull;
    return hash;
}

std::string hex(std::uint64_t value) {
    std::ostringstream out;
    out << std::hex << value;
    return out.str();
}

std::vector<CorpusProgram> corpus() {
    std::vector<CorpusProgram> programs;
    const std::map<std::string, std::string> sx28 = {{"sx28.h", testing::exampleFile("sx28.h")}};
    for (const char* example : {"blink", "table", "arith16", "timer"})
        programs.push_back({example, testing::exampleFile(std::string(example) + ".c"), sx28, {}});
    const fs::path cases = fs::path(KAVO_EXAMPLES_DIR) / "../tests/e2e/cases";
    programs.push_back({"e2e-blinker",
                        testing::readFile(cases / "blinker_compiles_and_runs/prog.c"),
                        {{"sx28.h", testing::readFile(cases / "blinker_compiles_and_runs/sx28.h")}},
                        {}});
    const fs::path conditionals = cases / "preprocess_includes_and_conditionals";
    programs.push_back({"e2e-conditionals",
                        testing::readFile(conditionals / "prog.c"),
                        {{"inc/chip.h", testing::readFile(conditionals / "inc/chip.h")}},
                        {"-I", "inc"}});
    for (auto device : {sxsim::DeviceKind::SX28, sxsim::DeviceKind::SX52}) {
        const bool big = device == sxsim::DeviceKind::SX52;
        const std::string header = testing::exampleFile(big ? "sx52.h" : "sx28.h");
        // The constructs the corpus was recorded with: newer ones would change its programs.
        auto features = testing::program::passingFeatures(device);
        features.twoDimensions = false;
        features.typedefNames = false;
        features.charPointers = false;
        features.structArguments = false;
        features.pointerPointers = false;
        features.structResults = false;
        features.pointerMembers = false;
        features.pointerChoices = false;
        features.bitFields = false;
        for (std::uint32_t seed = 1; seed <= 20; ++seed) {
            const auto program = testing::program::generateProgram(seed, features, device);
            programs.push_back({std::string(big ? "sx52-" : "sx28-") + std::to_string(seed),
                                header + testing::program::programText(program),
                                {},
                                {}});
        }
    }
    return programs;
}

// One line a program: its name, then each output file's extension and hash, in name order.
std::string outputHashes(const CorpusProgram& program) {
    testing::InProcessCompile compile;
    compile.wholeBackEnd = true;
    compile.options = program.options;
    compile.options.insert(compile.options.begin(), {"-f", "x"});
    testing::writeFile("kavoconf.cfg", "MAP_DIR .\nOBJ_EXTENSION obj\n");
    for (const auto& [name, text] : program.otherFiles) {
        fs::create_directories(fs::path(name).parent_path().empty() ? "."
                                                                    : fs::path(name).parent_path());
        testing::writeFile(name, text);
    }
    try {
        compile.run(program.source);
    } catch (const std::exception&) {
        // A program that stops the compiler is still part of the corpus: its outputs so far.
    }
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(fs::current_path())) {
        const std::string file = entry.path().filename().string();
        if (file.starts_with("prog.") && file != "prog.c")
            files[entry.path().extension().string()] = hex(fnv1a(testing::readFile(entry.path())));
    }
    std::string line = program.name;
    for (const auto& [extension, hash] : files)
        line += " " + extension + "=" + hash;
    return line;
}

std::map<std::string, std::string> recordedLines() {
    std::ifstream in(OUTPUT_CORPUS_FILE);
    std::map<std::string, std::string> lines;
    std::string line;
    while (std::getline(in, line))
        lines[line.substr(0, line.find(' '))] = line;
    return lines;
}

TEST(OutputCorpus, EveryProgramKeepsItsExactOutputs) {
    const auto recorded = recordedLines();
    std::string now;
    for (const CorpusProgram& program : corpus()) {
        const std::string line = outputHashes(program);
        now += line + "\n";
        const auto found = recorded.find(program.name);
        EXPECT_TRUE(found != recorded.end() && found->second == line)
            << "outputs of " << program.name << " changed:\n  now " << line << "\n  was "
            << (found == recorded.end() ? std::string("(not recorded)") : found->second);
    }
    if (const char* path = std::getenv("KAVO_RECORD_CORPUS"))
        testing::writeFile(path, now);
}

} // namespace
} // namespace kavo
