// The sxsim executable end to end: exit status, the JSON state and error messages.
#include "tests/simulator/assembled_program.hpp"
#include "tests/support/run_command.hpp"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using Outcome = kavo::testing::CommandOutcome;

Outcome runSxsim(const std::string& arguments) {
    return kavo::testing::runCommand(std::string(SXSIM_PATH) + " " + arguments);
}

TEST(SxsimCommand, JsonOfAnAssembledProgramWithNamedVariables) {
    const auto hex = sxtest::assemble("arithmetic", "sx28");
    ASSERT_FALSE(hex.empty());
    const Outcome out = runSxsim("--json --map " + sxtest::programSource("arithmetic").string() +
                                 " " + hex.string());
    EXPECT_EQ(out.status, 0) << out.output;
    EXPECT_EQ(out.output.rfind("{\"device\":\"sx28\",\"stop\":\"self-jump\"", 0), 0u) << out.output;
    EXPECT_NE(out.output.find("\"prodlo\":143"), std::string::npos);
    EXPECT_EQ(out.output.back(), '\n');
}

TEST(SxsimCommand, StepLimitHasItsOwnExitStatus) {
    const auto hex = sxtest::assemble("arithmetic", "sx28");
    ASSERT_FALSE(hex.empty());
    const Outcome out = runSxsim("--steps 5 " + hex.string());
    EXPECT_EQ(out.status, 3);
    EXPECT_NE(out.output.find("Stopped: step-limit"), std::string::npos) << out.output;
}

TEST(SxsimCommand, MalformedHexIsReportedWithItsLine) {
    const auto path = std::filesystem::temp_directory_path() / "sxsim-bad-checksum.hex";
    std::ofstream(path) << ":020000000A0CE9\r\n:00000001FF\r\n";
    const Outcome out = runSxsim(path.string());
    EXPECT_EQ(out.status, 1);
    EXPECT_NE(out.output.find("sxsim: " + path.string() + ": line 1: checksum mismatch"),
              std::string::npos)
        << out.output;
    std::filesystem::remove(path);
}

// A file written into the temporary directory for one test, removed afterwards.
struct TemporaryFile {
    explicit TemporaryFile(const std::string& name, const std::string& contents)
        : path(std::filesystem::temp_directory_path() / name) {
        std::ofstream(path) << contents;
    }
    ~TemporaryFile() { std::filesystem::remove(path); }
    std::filesystem::path path;
};

TEST(SxsimCommand, FilesThatWouldRunSomethingElseAreRefused) {
    const TemporaryFile onlyEnd("sxsim-only-end.hex", ":00000001FF\n");
    const Outcome empty = runSxsim(onlyEnd.path.string());
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.output.find("no data records"), std::string::npos) << empty.output;

    const TemporaryFile wrapping("sxsim-wrapping.hex",
                                 ":02000004FFFFFC\n:02FFFF000A0CEA\n:00000001FF\n");
    const Outcome wrapped = runSxsim(wrapping.path.string());
    EXPECT_EQ(wrapped.status, 1);
    EXPECT_NE(wrapped.output.find("line 2: data record reaches past the 4 GB address space"),
              std::string::npos)
        << wrapped.output;

    const TemporaryFile program("sxsim-sleep.hex", ":020000000300FB\n:00000001FF\n");
    const TemporaryFile farMap("sxsim-far.map", "far 4294967295\n");
    const Outcome far = runSxsim("--map " + farMap.path.string() + " " + program.path.string());
    EXPECT_EQ(far.status, 1);
    EXPECT_NE(far.output.find("sxsim: variable far at 4294967295 (1 bytes) lies outside"),
              std::string::npos)
        << far.output;
}

TEST(SxsimCommand, BadOptionsPointToHelp) {
    const Outcome out = runSxsim("--device sx99 x.hex");
    EXPECT_EQ(out.status, 2);
    EXPECT_NE(out.output.find("Try 'sxsim --help'."), std::string::npos);
    EXPECT_EQ(runSxsim("--help").status, 0);
}

} // namespace
