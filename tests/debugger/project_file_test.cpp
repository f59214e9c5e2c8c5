#include "debugger/project_file.hpp"

#include "tests/support/temp_dir.hpp"

#include <gtest/gtest.h>

namespace kavo::debugger {
namespace {

using kavo::testing::readFile;
using kavo::testing::TempDir;
using kavo::testing::writeFile;

TEST(ProjectFile, WritesAllEntriesInIndexOrder) {
    BreakpointTable table;
    table.set(7);
    const std::string text = projectFileText(table);
    EXPECT_TRUE(text.starts_with("BRK 0 7 1\nBRK 1 -1 0\nBRK 2 -1 0\n"));
    EXPECT_TRUE(text.ends_with("BRK 255 -1 0\n"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 256);
}

TEST(ProjectFile, ReadingSetsTheNamedEntriesOnly) {
    TempDir dir;
    writeFile("blink.dbp", "BRK 3 12 1\r\nBRK 300 9 1\nBRK -1 9 1\nsomething else\n"
                           "BRK 4 0x10 0 // cleared\n");
    BreakpointTable table;
    table.set(40);
    ASSERT_TRUE(readProjectFile("blink.dbp", table));
    EXPECT_EQ(table.entry(3).line, 12);
    EXPECT_EQ(table.entry(3).active, 1);
    EXPECT_EQ(table.entry(4).line, 16);
    EXPECT_EQ(table.entry(4).active, 0);
    EXPECT_TRUE(table.isBreakpointLine(40)) << "entries the file does not name are kept";
    EXPECT_FALSE(table.isBreakpointLine(9)) << "indexes outside 0..255 are ignored";
}

TEST(ProjectFile, AWrittenFileReadsBackTheSameTable) {
    TempDir dir;
    BreakpointTable table;
    table.set(3);
    table.set(9);
    table.clear(3);
    ASSERT_TRUE(writeProjectFile("p.dbp", table));
    BreakpointTable back;
    ASSERT_TRUE(readProjectFile("p.dbp", back));
    EXPECT_EQ(projectFileText(back), projectFileText(table));
    EXPECT_EQ(readFile("p.dbp"), projectFileText(table));
}

TEST(ProjectFile, MissingOrUnwritableFilesAreReported) {
    TempDir dir;
    BreakpointTable table;
    EXPECT_FALSE(readProjectFile("missing.dbp", table));
    EXPECT_FALSE(writeProjectFile("no/such/folder/p.dbp", table));
}

TEST(ProjectFile, PathIsTheFolderTheBaseNameAndTheExtension) {
    EXPECT_EQ(projectFilePath("/work/src", "/work/src/blink.v2.c", "dbp"), "/work/src/blink.dbp");
    EXPECT_EQ(projectFilePath("/work/src/", "C:\\src\\tone.c", "cdb"), "/work/src/tone.cdb");
}

} // namespace
} // namespace kavo::debugger
