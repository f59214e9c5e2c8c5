// Whole-program cases: each folder under tests/e2e/cases holds the files of one compilation,
// a file "args" with the command line after the program name, and the expected results:
// "expected.stdout" (standard output and standard error together), "expected.status" and,
// under "expected/", every output file that must exist with its exact content.
// A file listed in "absent" (one name a line) must not have been written.
#include "tests/support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>

namespace kavo {
namespace {

namespace fs = std::filesystem;

struct RunResult {
    std::string output;
    int status = -1;
};

RunResult runKavo(const std::string& args) {
    const std::string command = std::string(KAVO_BINARY) + " " + args + " 2>&1 </dev/null";
    RunResult result;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    std::array<char, 4096> buffer;
    std::size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.output.append(buffer.data(), got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

class WholeProgram : public ::testing::TestWithParam<std::string> {};

TEST_P(WholeProgram, MatchesItsExpectedOutputs) {
    const fs::path caseDir = fs::path(E2E_CASES_DIR) / GetParam();
    testing::TempDir work;
    for (const auto& entry : fs::directory_iterator(caseDir)) {
        const std::string name = entry.path().filename().string();
        if (name == "expected" || name.starts_with("expected.") || name == "args" ||
            name == "absent")
            continue;
        fs::copy(entry.path(), work.path() / name, fs::copy_options::recursive);
    }
    const RunResult result = runKavo(trimmed(testing::readFile(caseDir / "args")));

    EXPECT_EQ(result.output, testing::readFile(caseDir / "expected.stdout"));
    EXPECT_EQ(std::to_string(result.status),
              trimmed(testing::readFile(caseDir / "expected.status")));
    if (fs::exists(caseDir / "expected")) {
        for (const auto& entry : fs::recursive_directory_iterator(caseDir / "expected")) {
            if (!entry.is_regular_file())
                continue;
            const fs::path relative = fs::relative(entry.path(), caseDir / "expected");
            ASSERT_TRUE(fs::exists(work.path() / relative)) << relative;
            EXPECT_EQ(testing::readFile(work.path() / relative), testing::readFile(entry.path()))
                << relative;
        }
    }
    if (fs::exists(caseDir / "absent")) {
        std::istringstream absent(testing::readFile(caseDir / "absent"));
        for (std::string name; std::getline(absent, name);)
            EXPECT_FALSE(!name.empty() && fs::exists(work.path() / name)) << name;
    }
}

std::vector<std::string> caseNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(E2E_CASES_DIR))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, WholeProgram, ::testing::ValuesIn(caseNames()),
                         [](const auto& caseInfo) { return caseInfo.param; });

} // namespace
} // namespace kavo
