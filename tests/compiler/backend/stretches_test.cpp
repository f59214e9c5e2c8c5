// The optimiser's stretches: where the list is cut, and that a stretch still answers for the
// whole program when a temporary or a label is named in another stretch.
#include "tests/compiler/backend/optimiser_fixture.hpp"

#include <gtest/gtest.h>

namespace kavo::testing {
namespace {

// The first word of each stretch.
Lines stretchStarts(const Lines& lines) {
    TestList list(lines);
    Lines starts;
    for (const optimiser::Stretch& s : optimiser::independentStretches(list.c.instructions)) {
        const Instruction* first =
            s.before != nullptr ? s.before->next : list.c.instructions.head();
        starts.push_back(describe(*first));
    }
    return starts;
}

Lines afterOptimiser(const Lines& lines) {
    TestList list(lines);
    optimiser::runOptimiser(list.c, true, nullptr);
    return list.dump();
}

TEST(Stretches, CutsFallAtLabelsNoPathFallsInto) {
    EXPECT_EQ(stretchStarts({"LABEL @f", "MOVF a,W", "RETURN", "LABEL @f_END", "LABEL @g",
                             "GOTO _L1", "LABEL _L2", "MOVWF x", "RETLW 3", "LABEL _L1", "RETURN"}),
              (Lines{"LABEL @f", "LABEL @f_END", "LABEL _L2", "LABEL _L1"}));
}

TEST(Stretches, NoCutWhereAPathOrAPatternCrosses) {
    // A skip may pass the return and fall into the label.
    EXPECT_EQ(stretchStarts({"LABEL @f", "BTFSC a.0", "RETURN", "LABEL _L1", "RETURN"}).size(), 1u);
    // The rules remove a jump to the next word and invert a test around a jump over a jump.
    EXPECT_EQ(stretchStarts({"LABEL @f", "MOVF a,W", "GOTO _L1", "LABEL _L1", "RETURN"}).size(),
              1u);
    EXPECT_EQ(stretchStarts({"LABEL @f", "BTFSC a.0", "GOTO _L1", "GOTO _L2", "LABEL _L1", "RETURN",
                             "LABEL _L2", "RETURN"})
                  .size(),
              2u);
    // Raw assembly keeps every word where it is written.
    EXPECT_EQ(
        stretchStarts({"LABEL @f", "RASMSTART", "RETURN", "LABEL X", "RASMEND", "RETURN"}).size(),
        1u);
}

TEST(Stretches, AStoreReadInAnotherStretchStays) {
    const Lines program = {"LABEL @f", "MOVF a,W",      "MOVWF _tmp_1", "RETURN",
                           "LABEL @g", "MOVF _tmp_1,W", "MOVWF x",      "RETURN"};
    EXPECT_EQ(afterOptimiser(program), program);
    // Read nowhere, the store goes.
    EXPECT_EQ(
        afterOptimiser({"LABEL @f", "MOVF a,W", "MOVWF _tmp_1", "RETURN", "LABEL @g", "MOVF b,W",
                        "MOVWF x", "RETURN"}),
        (Lines{"LABEL @f", "MOVF a,W", "RETURN", "LABEL @g", "MOVF b,W", "MOVWF x", "RETURN"}));
}

TEST(Stretches, ALabelAnotherStretchJumpsToStays) {
    // Inverting the test leaves _L1 named only by itself in its own stretch; the jump in the
    // next stretch still needs it.
    const Lines inverted =
        afterOptimiser({"LABEL @f", "BTFSC a.0", "GOTO _L1", "GOTO _L2", "LABEL _L1", "INCF x,F",
                        "RETURN", "LABEL _L2", "GOTO _L1"});
    EXPECT_EQ(inverted, (Lines{"LABEL @f", "BTFSS a.0", "GOTO _L2", "LABEL _L1", "INCF x,F",
                               "RETURN", "LABEL _L2", "GOTO _L1"}));
    const Lines alone = afterOptimiser({"LABEL @f", "BTFSC a.0", "GOTO _L1", "GOTO _L2",
                                        "LABEL _L1", "INCF x,F", "RETURN", "LABEL _L2", "RETURN"});
    EXPECT_EQ(alone, (Lines{"LABEL @f", "BTFSS a.0", "GOTO _L2", "INCF x,F", "RETURN", "LABEL _L2",
                            "RETURN"}));
}

} // namespace
} // namespace kavo::testing
