#include "debugger/breakpoint_table.hpp"

#include <gtest/gtest.h>

namespace kavo::debugger {
namespace {

std::vector<int> lines(std::initializer_list<int> l) {
    return l;
}

TEST(BreakpointTable, StartsWithEveryEntryUnused) {
    BreakpointTable table;
    for (int i = 0; i < BreakpointEntries; ++i) {
        EXPECT_EQ(table.entry(i).line, -1);
        EXPECT_EQ(table.entry(i).active, 0);
    }
    EXPECT_TRUE(table.activeLines().empty());
}

TEST(BreakpointTable, ToggleOverASelectionFlipsEachLine) {
    BreakpointTable table;
    table.set(4);
    for (int line = 3; line <= 5; ++line)
        table.toggle(line);
    EXPECT_EQ(table.activeLines(), lines({3, 5}));
    EXPECT_FALSE(table.isBreakpointLine(4));
}

TEST(BreakpointTable, SettingAClearedLineAgainReusesItsEntry) {
    BreakpointTable table;
    table.set(3);
    table.set(10);
    table.clear(10);
    EXPECT_EQ(table.entry(1).line, 10) << "a cleared entry keeps its line";
    EXPECT_EQ(table.entry(1).active, 0);
    table.set(20);
    table.set(10);
    EXPECT_EQ(table.entry(1).line, 10);
    EXPECT_EQ(table.entry(1).active, 1);
    EXPECT_EQ(table.entry(2).line, 20);
}

TEST(BreakpointTable, AFullTableTakesClearedEntriesThenRefuses) {
    BreakpointTable table;
    for (int line = 1; line <= BreakpointEntries; ++line)
        ASSERT_TRUE(table.set(line));
    EXPECT_FALSE(table.set(1000));
    EXPECT_FALSE(table.isBreakpointLine(1000));
    table.clear(7);
    EXPECT_TRUE(table.set(1000));
    EXPECT_EQ(table.entry(6).line, 1000) << "the first cleared entry is taken";
}

TEST(BreakpointTable, InsertedLinesMoveOnlyBreakpointsBelowTheCaret) {
    BreakpointTable table;
    table.set(10);
    table.set(12);
    table.shiftLines(2, 10);
    EXPECT_EQ(table.activeLines(), lines({10, 14}));
}

TEST(BreakpointTable, DeletedLinesDoNotMoveOntoAnotherBreakpoint) {
    BreakpointTable table;
    table.set(11);
    table.set(12);
    table.shiftLines(-1, 10);
    EXPECT_EQ(table.activeLines(), lines({11, 12}));
}

TEST(BreakpointTable, DeletedLinesMoveBreakpointsUpAndLeaveClearedEntries) {
    BreakpointTable table;
    table.set(20);
    table.set(30);
    table.clear(30);
    table.shiftLines(-3, 5);
    EXPECT_EQ(table.activeLines(), lines({17}));
    EXPECT_EQ(table.entry(1).line, 30) << "an entry that is not active never moves";
}

TEST(BreakpointTable, ClearAllReportsTheUsedLinesAndEmptiesTheTable) {
    BreakpointTable table;
    table.set(5);
    table.set(8);
    table.clear(8);
    EXPECT_EQ(table.clearAll(), lines({5, 8}));
    EXPECT_EQ(table.entry(0).line, -1);
    EXPECT_EQ(table.entry(1).line, -1);
}

} // namespace
} // namespace kavo::debugger
