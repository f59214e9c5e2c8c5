// The example programs and device headers `make run` compiles: each preprocesses and parses
// without an error, and the headers describe the two memory layouts.
#include "compiler/base/text_format.hpp"
#include "tests/support/in_process_compile.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace kavo {
namespace {

std::filesystem::path examplesDirectory() {
    const char* root = std::getenv("KAVO_SOURCE_DIR");
    return std::filesystem::path(root != nullptr ? root : ".") / "examples";
}

class ExampleProgram : public ::testing::TestWithParam<const char*> {};

TEST_P(ExampleProgram, PreprocessesAndParsesWithoutErrors) {
    testing::InProcessCompile run;
    for (const auto& entry : std::filesystem::directory_iterator(examplesDirectory()))
        std::filesystem::copy_file(entry.path(), run.dir.path() / entry.path().filename());
    compilerMain(run.c, {"kavo", GetParam()});
    closeOutputs(run.c);
    EXPECT_FALSE(run.c.abortFlag) << run.io.messages;
    EXPECT_EQ(run.c.errors(), 0) << run.io.messages;
    EXPECT_EQ(run.io.messages.find("ERROR"), std::string::npos) << run.io.messages;
    EXPECT_NE(run.io.messages.find("INCLUDING: sx"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleProgram,
                         ::testing::Values("blink.c", "table.c", "arith16.c", "timer.c"));

// The headers as the back end reads them: program size, reset vector, banks.
TEST(DeviceHeaders, DescribeTheTwoMemoryLayouts) {
    struct Part {
        const char* header;
        std::uint32_t romEnd;
        int lastBank;
        bool sixteenBanks;
    };
    for (const Part& part : {Part{"sx28.h", 0x7FF, 7, false}, Part{"sx52.h", 0xFFF, 15, true}}) {
        testing::InProcessCompile run;
        std::filesystem::copy_file(examplesDirectory() / part.header, run.dir.path() / part.header);
        run.run(std::string("#include \"") + part.header + "\"\nvoid main(void) { }\n");
        PragmaTable& p = run.c.pragmas;
        EXPECT_EQ(p.number("ROM_END", 0), part.romEnd) << part.header;
        EXPECT_EQ(p.number("RESET_LOC", 0), part.romEnd) << part.header;
        EXPECT_EQ(p.has("SX_52_BANKS"), part.sixteenBanks) << part.header;
        for (int bank = 1; bank <= 15; ++bank) {
            const std::string start = strprintf("BANK_START_%02d", bank);
            EXPECT_EQ(p.has(start), bank <= part.lastBank) << part.header << " " << start;
            if (bank <= part.lastBank) {
                EXPECT_EQ(p.number(start, 0), static_cast<std::uint32_t>(bank * 32 + 0x10));
                EXPECT_EQ(p.number(strprintf("BANK_END_%02d", bank), 0),
                          static_cast<std::uint32_t>(bank * 32 + 0x1F));
            }
        }
        EXPECT_EQ(p.number("CCTEMP_LOC", 99), 0x0Cu) << "four bytes of global RAM";
    }
}

} // namespace
} // namespace kavo
