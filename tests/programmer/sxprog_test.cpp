// sxprog, the command-line programmer, run as its own process against programmer models on a
// pseudo-terminal: a compiled program is written, read back, verified, blank-checked and
// erased; the file --read writes goes back into sxprog and into sxsim; failures exit 1 and
// leave no file behind.
#include "programmer/object_file_writer.hpp"
#include "simulator/intel_hex.hpp"
#include "tests/programmer/blitz_model.hpp"
#include "tests/programmer/driver_rig.hpp"
#include "tests/programmer/isp_model.hpp"
#include "tests/support/temp_dir.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kavo::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

fs::path binDir() {
    return fs::read_symlink("/proc/self/exe").parent_path();
}

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a program of build/bin with the arguments; its output streams land in files.
ToolRun runTool(const std::string& tool, const std::vector<std::string>& args) {
    std::vector<std::string> all{(binDir() / tool).string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "tool.out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "tool.err", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    ToolRun run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = readFile("tool.out");
    run.err = readFile("tool.err");
    return run;
}

// examples/blink.c compiled by kavo: code at the bottom, the reset jump at 0x7FF, FUSE and
// FUSEX records at 0x1010 and 0x1011.
std::string compiledExample() {
    const fs::path examples = fs::path(KAVO_SOURCE) / "examples";
    fs::copy_file(examples / "blink.c", "blink.c");
    fs::copy_file(examples / "sx28.h", "sx28.h");
    const ToolRun kavo = runTool("kavo", {"blink.c"});
    if (kavo.status != 0)
        throw std::runtime_error("kavo failed: " + kavo.out);
    return "blink.obj";
}

ProgramImage loaded(const std::string& path) {
    ProgramImage image;
    EXPECT_TRUE(readObjectFile(path, image)) << path;
    return image;
}

std::vector<std::uint32_t> firstWords(const ProgramImage& image, std::size_t words) {
    return {image.words.begin(), image.words.begin() + static_cast<std::ptrdiff_t>(words)};
}

class SxprogTest : public ::testing::Test {
protected:
    TempDir dir;
    PtyDevice device;
};

TEST_F(SxprogTest, HelpAndCommandLineMistakes) {
    const ToolRun help = runTool("sxprog", {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, HasSubstr("Usage: sxprog --port DEVICE"));
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--erase"},
             {"--port", device.path()},
             {"--port", device.path(), "--erase", "--blank-check"},
             {"--port", device.path(), "--device", "sx99", "--erase"},
             {"--port", device.path(), "--programmer", "pickit", "--erase"},
             {"--port", device.path(), "--read"}}) {
        const ToolRun run = runTool("sxprog", args);
        EXPECT_EQ(run.status, 1) << ::testing::PrintToString(args);
        EXPECT_THAT(run.err, HasSubstr("Try 'sxprog --help'."));
    }
}

TEST_F(SxprogTest, CompiledProgramThroughTheSxBlitz) {
    BlitzModel blitz(device, 2048);
    const std::string object = compiledExample();
    const ProgramImage program = loaded(object);
    ASSERT_EQ(program.fuse, 0xF7Bu);

    const ToolRun write = runTool("sxprog", {"--port", device.path(), "--write", object});
    ASSERT_EQ(write.status, 0) << write.err;
    EXPECT_THAT(write.err, HasSubstr("Programming"));
    EXPECT_EQ(blitz.chip.memory, firstWords(program, 2048));
    EXPECT_EQ(blitz.chip.fuse, 0xF7Bu);
    EXPECT_EQ(blitz.chip.fusex, program.fusex);

    const ToolRun read = runTool("sxprog", {"--port", device.path(), "--read", "chip.hex"});
    ASSERT_EQ(read.status, 0) << read.err;
    const ProgramImage readBack = loaded("chip.hex");
    EXPECT_EQ(readBack.words, program.words);
    EXPECT_EQ(readBack.fuse, program.fuse);
    EXPECT_EQ(readBack.fusex, program.fusex);
    // The simulator takes the file (checksums and all) and runs it as it runs the compiler's.
    const sxsim::HexImage hex = sxsim::readIntelHexFile("chip.hex");
    EXPECT_EQ(hex.fuse, 0xF7B);
    const ToolRun fromChip = runTool("sxsim", {"chip.hex", "--steps", "5000"});
    const ToolRun fromCompiler = runTool("sxsim", {object, "--steps", "5000"});
    EXPECT_EQ(fromChip.out, fromCompiler.out);
    EXPECT_THAT(fromChip.out, HasSubstr("PC"));

    EXPECT_EQ(runTool("sxprog", {"--port", device.path(), "--verify", "chip.hex"}).status, 0);
    EXPECT_EQ(runTool("sxprog", {"--port", device.path(), "--blank-check"}).status, 1);
    EXPECT_EQ(runTool("sxprog", {"--port", device.path(), "--erase"}).status, 0);
    EXPECT_EQ(runTool("sxprog", {"--port", device.path(), "--blank-check"}).status, 0);
    const ToolRun verify = runTool("sxprog", {"--port", device.path(), "--verify", "chip.hex"});
    EXPECT_EQ(verify.status, 1);
    EXPECT_THAT(verify.err, HasSubstr("Verify Failed!"));
    EXPECT_THAT(verify.err, HasSubstr("verify: program memory differs"));
}

TEST_F(SxprogTest, FullFourThousandWordsThroughTheSxBlitz) {
    BlitzModel blitz(device, 4096);
    ProgramImage image;
    fillImage(image, 4096);
    image.fuse = 0xF1B;
    image.fusex = 0xBFF;
    writeFile("full.hex", programmer::objectFileText(image, 4096));
    const std::vector<std::string> port{"--port", device.path(), "--device", "sx52"};
    auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), port.begin(), port.end());
        return more;
    };
    ASSERT_EQ(runTool("sxprog", with({"--write", "full.hex"})).status, 0);
    ASSERT_EQ(runTool("sxprog", with({"--read", "back.hex"})).status, 0);
    EXPECT_EQ(loaded("back.hex").words, image.words);
    EXPECT_EQ(readFile("back.hex"), readFile("full.hex"));
}

class SxprogIsp : public SxprogTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SxprogIsp, CompiledProgramAtRealSpeed) {
    const std::size_t words = std::string(GetParam()) == "sx52" ? 4096 : 2048;
    IspModel isp(device, words);
    const std::string object = compiledExample();
    const ProgramImage program = loaded(object);
    const std::vector<std::string> ispPort{"--port", device.path(), "--programmer",
                                           "isp",    "--device",    GetParam()};
    auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), ispPort.begin(), ispPort.end());
        return more;
    };
    const ToolRun write = runTool("sxprog", with({"--write", object}));
    ASSERT_EQ(write.status, 0) << write.err;
    EXPECT_EQ(isp.chip.memory, firstWords(program, words));
    EXPECT_EQ(isp.chip.fuse, 0xF7Bu);
    ASSERT_EQ(runTool("sxprog", with({"--read", "chip.hex"})).status, 0);
    EXPECT_EQ(loaded("chip.hex").words, program.words);
    EXPECT_EQ(runTool("sxprog", with({"--verify", "chip.hex"})).status, 0);
}

// 4096 words through sxprog are covered by the SX-Blitz case above, and through the ISP
// driver by its own round trip; this one runs at real speed, so one size is enough.
INSTANTIATE_TEST_SUITE_P(Devices, SxprogIsp, ::testing::Values("sx28"));

TEST_F(SxprogTest, AFailedReadWritesNoFile) {
    BlitzModel blitz(device, 2048);
    blitz.greeting = "SX-Kez";
    const ToolRun fresh = runTool("sxprog", {"--port", device.path(), "--read", "new.hex"});
    EXPECT_EQ(fresh.status, 1);
    EXPECT_THAT(fresh.err, HasSubstr("BlitzConnect called 1"));
    EXPECT_FALSE(fs::exists("new.hex"));

    writeFile("old.hex", ":00000001FF\n");
    blitz.greeting = "SX-Key";
    blitz.faults.closeAfterBytes = 150;
    const ToolRun cut = runTool("sxprog", {"--port", device.path(), "--read", "old.hex"});
    EXPECT_EQ(cut.status, 1);
    EXPECT_THAT(cut.err, HasSubstr("Read failed. Timedout waiting for program data"));
    EXPECT_EQ(readFile("old.hex"), ":00000001FF\n");
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 3)
        << "only old.hex and the tool's two output files";
}

} // namespace
} // namespace kavo::testing
