// The clean-up after the rules: stores into temporaries nothing reads go, temporaries whose
// straight runs never overlap share one name, and adjacent compiler labels merge, each only
// where no later read can tell.
#include "tests/compiler/backend/optimiser_fixture.hpp"

#include <gtest/gtest.h>

namespace kavo::testing {
namespace {

Lines afterCleanup(const Lines& lines, bool (*pass)(Compilation&, optimiser::Code&)) {
    TestList list(lines);
    optimiser::Code code(list.c.instructions);
    pass(list.c, code);
    return list.dump();
}

Lines afterLabelMerging(const Lines& lines) {
    TestList list(lines);
    optimiser::Code code(list.c.instructions);
    optimiser::mergeLabels(code);
    return list.dump();
}

TEST(UnusedTemporaryStores, AStoreNothingReadsGoes) {
    EXPECT_EQ(
        afterCleanup({"MOVF a,W", "MOVWF _tmp_1", "MOVWF x"}, optimiser::dropUnusedTemporaryStores),
        (Lines{"MOVF a,W", "MOVWF x"}));
}

TEST(UnusedTemporaryStores, StoresStayWhenReadGuardedOrReserved) {
    const Lines read = {"MOVWF _tmp_1", "LABEL L", "MOVF _tmp_1,W", "MOVWF x"};
    EXPECT_EQ(afterCleanup(read, optimiser::dropUnusedTemporaryStores), read);
    const Lines guarded = {"BTFSC a.0", "MOVWF _tmp_1", "MOVWF x"};
    EXPECT_EQ(afterCleanup(guarded, optimiser::dropUnusedTemporaryStores), guarded);
    const Lines reserved = {"MOVWF _tmp_0", "MOVWF x"};
    EXPECT_EQ(afterCleanup(reserved, optimiser::dropUnusedTemporaryStores), reserved);
}

const Lines separateRuns = {"MOVWF _tmp_1", "INCF _tmp_1,W", "MOVWF x",       "LABEL L",
                            "MOVWF _tmp_2", "DECF _tmp_2,F", "MOVF _tmp_2,W", "MOVWF y"};

TEST(TemporaryMerging, TemporariesInSeparateRunsShareOneName) {
    Lines merged = separateRuns;
    merged[4] = "MOVWF _tmp_1";
    merged[5] = "DECF _tmp_1,F";
    merged[6] = "MOVF _tmp_1,W";
    EXPECT_EQ(afterCleanup(separateRuns, optimiser::mergeTemporaries), merged);
    Framed before(separateRuns, {}, Framed::Pass::None);
    Framed after(separateRuns, {}, Framed::Pass::All);
    std::mt19937 random(3);
    for (int run = 0; run < 100; ++run) {
        const State s = randomState(random);
        ASSERT_EQ(before.run(s), after.run(s));
    }
}

TEST(TemporaryMerging, OverlapLoopsCallsAndSizesKeepTheirNames) {
    const std::vector<Lines> keep = {
        // Both live at once.
        {"MOVWF _tmp_1", "MOVWF _tmp_2", "MOVF _tmp_1,W", "ADDWF _tmp_2,W", "MOVWF x"},
        // _tmp_1 carries a value around the loop: read before it is stored in its run.
        {"LABEL L", "MOVWF _tmp_2", "MOVF _tmp_2,W", "MOVWF x", "MOVF _tmp_1,W", "MOVWF y",
         "MOVWF _tmp_1", "GOTO L"},
        // A call inside the run: the callee may use the same temporary.
        {"MOVWF _tmp_1", "CALL g", "MOVF _tmp_1,W", "MOVWF x", "MOVWF _tmp_2", "MOVF _tmp_2,W",
         "MOVWF y"},
        // Different sizes.
        {"MOVWF _tmp_1", "MOVF _tmp_1,W", "MOVWF x", "MOVWF _tmp_5", "MOVF _tmp_5,W", "MOVWF y"},
        // A skip guards the first store.
        {"MOVWF _tmp_1", "MOVF _tmp_1,W", "MOVWF x", "BTFSC a.0", "MOVWF _tmp_2", "MOVF _tmp_2,W",
         "MOVWF y"},
    };
    for (const Lines& lines : keep)
        EXPECT_EQ(afterCleanup(lines, optimiser::mergeTemporaries), lines);
}

TEST(LabelMerging, AdjacentCompilerLabelsMerge) {
    EXPECT_EQ(
        afterLabelMerging({"LABEL _LBL_1", "LABEL _LBL_2", "LABEL _x", "GOTO _LBL_2", "CALL _x"}),
        (Lines{"LABEL _LBL_1", "GOTO _LBL_1", "CALL _LBL_1"}));
}

TEST(LabelMerging, BranchLabelsEntriesAndNamedLabelsStay) {
    const Lines branch = {"LABEL _LBL_1", "LABEL _BCL_2", "GOTO _BCL_2"};
    EXPECT_EQ(afterLabelMerging(branch), branch);
    const Lines entries = {"LABEL _LBL_1", "LABEL main", "LABEL _ITR_E", "LABEL __interrupt"};
    EXPECT_EQ(afterLabelMerging(entries), entries);
    EXPECT_EQ(afterLabelMerging({"LABEL _LBL_1", "LABEL _LBL_2", "PAGE _LBL_2", "GOTO _LBL_2"}),
              (Lines{"LABEL _LBL_1", "LABEL _LBL_2", "PAGE _LBL_2", "GOTO _LBL_1"}));
}

} // namespace
} // namespace kavo::testing
