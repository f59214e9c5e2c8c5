#include "compiler/tables/code_segments.hpp"
#include "compiler/tables/label_table.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kavo {
namespace {

TEST(LabelTable, MissingLabelIsMinusOneAndPagesFollowAddresses) {
    LabelTable labels;
    EXPECT_EQ(labels.address("nowhere"), -1);
    EXPECT_EQ(labels.page("nowhere"), -1);
    labels.record("a", 511);
    labels.record("b", 512);
    EXPECT_EQ(labels.page("a"), 0);
    EXPECT_EQ(labels.page("b"), 1);
    EXPECT_EQ(labels.find("b")->sequence, 2);
    EXPECT_EQ(labels.entries().front()->name, "b"); // newest first
}

TEST(LabelTable, LabelSeenAgainMovesAndKeepsItsNumber) {
    LabelTable labels;
    labels.record("a", 10);
    labels.record("b", 11);
    labels.record("a", 600);
    EXPECT_EQ(labels.address("a"), 600);
    EXPECT_EQ(labels.page("a"), 1);
    EXPECT_EQ(labels.find("a")->sequence, 1);
    EXPECT_EQ(labels.entries().size(), 2u);
}

TEST(LabelTable, NamesAreComparedOnTheirFirst32Characters) {
    LabelTable labels;
    const std::string stem(32, 'x');
    labels.record(stem + "one", 10);
    labels.record(stem + "two", 20);
    EXPECT_EQ(labels.address(stem + "one"), 20); // the newer entry wins
    EXPECT_EQ(labels.address(stem), 20);
    EXPECT_EQ(labels.address(stem.substr(1)), -1);
}

TEST(CodeSegments, LastTwoWordsAreKeptAndRunsMoveWhole) {
    CodeSegments segments;
    segments.reset(0, 99);
    ASSERT_TRUE(segments.add(120, 511));
    EXPECT_EQ(segments.place(97, 1), 97);
    EXPECT_EQ(segments.place(98, 1), 120); // the last two words of a segment stay free
    EXPECT_EQ(segments.place(96, 2), 96);  // a bit test and its skipped word
    EXPECT_EQ(segments.place(97, 2), 120);
    EXPECT_EQ(segments.place(100, 1), 120); // between segments
    EXPECT_EQ(segments.place(600, 1), 600); // past the last segment: kept
}

TEST(CodeSegments, HoldsAtMost32) {
    CodeSegments segments;
    for (int n = 0; n < CodeSegments::MaxSegments; ++n)
        ASSERT_TRUE(segments.add(n * 100, n * 100 + 50));
    EXPECT_FALSE(segments.add(4000, 4050));
    EXPECT_EQ(segments.all().size(), 32u);
}

} // namespace
} // namespace kavo
