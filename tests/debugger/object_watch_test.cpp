#include "debugger/object_watch.hpp"

#include "tests/support/temp_dir.hpp"

#include <gtest/gtest.h>

namespace kavo::debugger {
namespace {

ObjectFileFacts facts(int h, int m, int s, std::uintmax_t size) {
    return {{h, m, s / 2}, size};
}

TEST(ObjectFileWatch, SeesANewWriteTimeOnce) {
    ObjectFileWatch watch;
    EXPECT_TRUE(watch.changed(facts(10, 5, 20, 400)));
    EXPECT_FALSE(watch.changed(facts(10, 5, 20, 400)));
    EXPECT_TRUE(watch.changed(facts(10, 5, 22, 400)));
}

TEST(ObjectFileWatch, TheSameTwoSecondUnitCountsAsUnchanged) {
    ObjectFileWatch watch;
    ASSERT_TRUE(watch.changed(facts(10, 5, 20, 400)));
    EXPECT_FALSE(watch.changed(facts(10, 5, 21, 900))) << "20 and 21 s share a unit";
    EXPECT_TRUE(watch.changed(facts(11, 5, 21, 900)));
    EXPECT_TRUE(watch.changed(facts(11, 6, 21, 900)));
}

TEST(ObjectFileWatch, FilesOfFiveBytesOrLessAreNotYetWritten) {
    ObjectFileWatch watch;
    EXPECT_FALSE(watch.changed(facts(9, 0, 0, 5)));
    EXPECT_FALSE(watch.changed(facts(9, 0, 0, 0)));
    EXPECT_TRUE(watch.changed(facts(9, 0, 0, 6))) << "the watch stays armed for the same file";
}

TEST(ObjectFileWatch, AMissingFileIsNoChange) {
    kavo::testing::TempDir dir;
    ObjectFileWatch watch;
    EXPECT_FALSE(watch.changed(std::filesystem::path("none.sxh")));
    kavo::testing::writeFile("prog.sxh", ":00000001FF\n");
    EXPECT_TRUE(watch.changed(std::filesystem::path("prog.sxh")));
    EXPECT_FALSE(watch.changed(std::filesystem::path("prog.sxh"))) << "a failed compile "
                                                                      "leaves the old file";
}

TEST(ObjectFileWatch, StampsAreTheLocalTimeOfDay) {
    const auto now = std::filesystem::file_time_type::clock::now();
    const WriteStamp a = stampOf(now);
    const WriteStamp b = stampOf(now + std::chrono::hours(24));
    EXPECT_EQ(a, b) << "the same time on another day";
    EXPECT_GE(a.twoSeconds, 0);
    EXPECT_LT(a.twoSeconds, 30);
}

} // namespace
} // namespace kavo::debugger
