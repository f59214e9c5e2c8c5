// Each peephole rule fires on its pattern and the rewritten list computes the same on the SX
// core model from many random states; each rule stays put where its guard says it must (a
// skip before it, a register later code reads, a different scope, a jump table, a hardware
// byte).
#include "tests/compiler/backend/optimiser_fixture.hpp"

#include <gtest/gtest.h>

namespace kavo::testing {
namespace {

// Makes W and every flag dead: CLRW writes W and Z, the add writes C, DC and Z.
Lines killing(Lines body) {
    body.push_back("CLRW");
    body.push_back("ADDWF k,W");
    return body;
}

struct RuleCase {
    const char* rule;
    Lines before;
    Lines after;
    Lines tail = {};
    Lines tailAfter = {};
    bool simulate = true;
};

Lines framedDump(const Lines& body, const Lines& tail) {
    return TestList(Framed::frame(body, tail)).dump();
}

void expectSameRuns(const RuleCase& rc) {
    Framed before(rc.before, rc.tail, Framed::Pass::None);
    Framed after(rc.before, rc.tail, Framed::Pass::Rules);
    std::mt19937 random(7);
    for (int run = 0; run < 200; ++run) {
        const State s = randomState(random);
        const Observation a = before.run(s);
        const Observation b = after.run(s);
        ASSERT_EQ(a, b) << rc.rule << " run " << run << "\n before: " << show(a)
                        << "\n after:  " << show(b);
    }
}

const std::vector<RuleCase>& firingCases() {
    static const std::vector<RuleCase> cases = {
        {"1", {"GETSTRADDRHI s", "GETSTRADDR s"}, {"GETSTRADDR s"}, {}, {}, false},
        {"2", {"MOVLW 3", "MOVLW 4", "MOVWF x"}, {"MOVLW 4", "MOVWF x"}},
        {"3",
         {"CALL g", "MOVWF x"},
         {"CALL g", "MOVWF x"},
         {"LABEL @g", "MOVLW 5", "RETURN"},
         {"LABEL @g", "RETLW 5"}},
        {"4", killing({"ADDRESSOF y", "MOVWF x", "INCF x,F", "MOVLW 3", "ADDWF x,F", "MOVF x,W"}),
         killing({"ADDRESSOF y+4", "MOVWF x"})},
        {"5", {"BSF @__stat__.0", "BCF a.1", "BCF @__stat__.0"}, {"BCF a.1", "BCF @__stat__.0"}},
        {"6", {"BSF @__stat__.2", "BCF @__stat__.2"}, {"BCF @__stat__.2"}},
        {"7", {"BCF @__stat__.0", "BSF @__stat__.0"}, {"BSF @__stat__.0"}},
        {"8", {"MOVWF x", "MOVLW 7", "MOVF x,W"}, {"MOVWF x", "MOVF x,W"}},
        {"9",
         {"MOVF a,W", "MOVWF _tmp_1", "MOVLW 4", "IORWF _tmp_1,W", "MOVWF y"},
         {"MOVF a,W", "IORLW 4", "MOVWF y"}},
        {"10",
         {"MOVF a,W", "MOVWF _tmp_1", "MOVLW 4", "ANDWF _tmp_1,W", "MOVWF y"},
         {"MOVF a,W", "ANDLW 4", "MOVWF y"}},
        {"11", {"GOTO L", "LABEL L", "MOVWF x"}, {"LABEL L", "MOVWF x"}},
        {"12",
         {"GOTO L1", "GOTO L2", "GOTO L3", "LABEL L1", "MOVWF x", "LABEL L2", "LABEL L3"},
         {"GOTO L1", "GOTO L2", "LABEL L1", "MOVWF x", "LABEL L2", "LABEL L3"}},
        {"13", {"BCF @__stat__.2", "BCF @__stat__.2"}, {"BCF @__stat__.2"}},
        {"14", {"BSF @__stat__.2", "BSF @__stat__.2"}, {"BSF @__stat__.2"}},
        {"15", killing({"MOVLW 0", "ADDWF a,F", "BTFSC @__stat__.0", "INCF b,F"}), killing({})},
        {"16", killing({"MOVLW 0", "ADDWF a,F"}), killing({})},
        {"17",
         {"BSF @__stat__.0", "CLRF _tmp_1", "BTFSC @__stat__.0", "INCF _tmp_1,F", "MOVF _tmp_1,W",
          "MOVWF x", "BCF @__stat__.0"},
         {"BCF @__stat__.2", "MOVLW 1", "MOVWF x", "BCF @__stat__.0"}},
        {"18",
         {"BCF @__stat__.0", "CLRF _tmp_1", "BTFSS @__stat__.0", "INCF _tmp_1,F", "MOVF _tmp_1,W",
          "MOVWF x", "BSF @__stat__.0"},
         {"BCF @__stat__.2", "MOVLW 1", "MOVWF x", "BSF @__stat__.0"}},
        {"19",
         {"MOVWF x", "MOVF y,W", "ADDWF x,W", "MOVWF b"},
         {"MOVWF x", "ADDWF y,W", "MOVWF b"}},
        {"20", killing({"MOVLW 4", "MOVWF x", "INCF x,F"}), killing({"MOVLW 5", "MOVWF x"})},
        {"21",
         {"MOVWF @__SxItmp_", "MOVF @__SxItmp_,W", "MOVWF x", "CLRF y"},
         {"MOVWF @__SxItmp_", "MOVWF x", "CLRF y"}},
        {"22", {"MOVWF x", "MOVF x,W", "MOVWF y", "CLRF b"}, {"MOVWF x", "MOVWF y", "CLRF b"}},
        {"23", killing({"MOVLW 8", "IORWF x,F"}), killing({"BSF x.3"})},
        {"24", killing({"MOVLW 247", "ANDWF x,F"}), killing({"BCF x.3"})},
        {"25",
         {"CALL g", "BTFSC @__stat__.2", "MOVWF x"},
         {"CALL g", "IORLW 0", "BTFSC @__stat__.2", "MOVWF x"},
         {"LABEL @g", "MOVF a,W", "RETURN"},
         {"LABEL @g", "MOVF a,W", "RETURN"}},
        {"26",
         {"ADDWF x,W", "MOVWF x", "BTFSC @__stat__.0", "INCF b,F", "CLRW"},
         {"ADDWF x,F", "BTFSC @__stat__.0", "INCF b,F", "CLRW"}},
        {"27",
         {"MOVF x,W", "MOVWF x", "BTFSC @__stat__.0", "INCF b,F", "CLRW"},
         {"BTFSC @__stat__.0", "INCF b,F", "CLRW"}},
        {"28",
         {"ANDLW 15", "MOVWF _tmp_1", "MOVF _tmp_1,W", "BTFSC @__stat__.2", "INCF b,F", "MOVWF x"},
         {"ANDLW 15", "BTFSC @__stat__.2", "INCF b,F", "MOVWF x"}},
        {"29",
         {"MOVF a,W", "MOVWF _tmp_1", "MOVF _tmp_1,W", "BTFSC @__stat__.2", "INCF b,F", "MOVWF x"},
         {"MOVF a,W", "BTFSC @__stat__.2", "INCF b,F", "MOVWF x"}},
        {"30", {"IORLW 0", "MOVWF _tmp_1", "MOVF _tmp_1,W", "MOVWF x"}, {"IORLW 0", "MOVWF x"}},
        {"31", killing({"MOVLW 0", "MOVWF x"}), killing({"CLRF x"})},
        {"32", killing({"MOVLW 1", "ADDWF x,W", "MOVWF x"}), killing({"INCF x,F"})},
        {"33", killing({"MOVLW 1", "SUBWF x,W", "MOVWF x"}), killing({"DECF x,F"})},
        {"34",
         {"MOVLW 16", "MOVWF @__fsr__", "MOVF @__f0__,W", "MOVWF _tmp_1", "COMF _tmp_1,W",
          "MOVWF _tmp_2", "MOVF _tmp_2,W", "MOVWF x"},
         {"MOVLW 16", "MOVWF @__fsr__", "COMF @__f0__,W", "MOVWF x"}},
        {"35", killing({"MOVLW 1", "ADDWF x,F"}), killing({"INCF x,F"})},
        {"36", killing({"DECF x,W", "MOVWF x"}), killing({"DECF x,F"})},
        {"37", {"INCF x,F", "DECF x,F", "CLRF b"}, {"CLRF b"}},
        {"38",
         {"BTFSC a.0", "GOTO _BCL_1", "GOTO _BCL_2", "LABEL _BCL_1", "MOVLW 1", "MOVWF x",
          "LABEL _BCL_2"},
         {"BTFSS a.0", "GOTO _BCL_2", "MOVLW 1", "MOVWF x", "LABEL _BCL_2"}},
        {"38 keeps a function's label",
         {"BTFSC a.0", "GOTO L", "GOTO M", "LABEL L", "MOVLW 1", "MOVWF x", "LABEL M"},
         {"BTFSS a.0", "GOTO M", "LABEL L", "MOVLW 1", "MOVWF x", "LABEL M"}},
        {"38 keeps a label other jumps name",
         {"BTFSS b.1", "GOTO _BCL_1", "BTFSC a.0", "GOTO _BCL_1", "GOTO M", "LABEL _BCL_1",
          "MOVLW 1", "MOVWF x", "LABEL M"},
         {"BTFSS b.1", "GOTO _BCL_1", "BTFSS a.0", "GOTO M", "LABEL _BCL_1", "MOVLW 1", "MOVWF x",
          "LABEL M"}},
        {"39", {"DECF x,W", "MOVF y,W", "MOVWF b"}, {"MOVF y,W", "MOVWF b"}},
        {"40", {"MOVF x,W", "MOVF y,W", "MOVWF b"}, {"MOVF y,W", "MOVWF b"}},
        {"41", {"MOVF x,W", "MOVLW 3", "SUBWF b,F"}, {"MOVLW 3", "SUBWF b,F"}},
        {"43",
         {"CALL g", "MOVWF _tmp_1", "MOVWF l", "CLRW", "BTFSC _tmp_1.7", "MOVLW 255", "MOVWF l+1"},
         {"CALL g", "MOVWF l", "CLRW", "BTFSC l.7", "MOVLW 255", "MOVWF l+1"},
         {"LABEL @g", "MOVF a,W", "RETURN"},
         {"LABEL @g", "MOVF a,W", "RETURN"}},
        {"44", {"MOVF x,W", "INCFSZ x,F", "INCF b,F", "CLRW"}, {"INCFSZ x,F", "INCF b,F", "CLRW"}},
        {"45", killing({"INCF x,F", "DECF x,W"}), killing({"INCF x,F"})},
        {"47",
         {"MOVF a,W", "MOVWF _tmp_1", "MOVLW 2", "MOVWF _tmp_1", "MOVWF b"},
         {"MOVF a,W", "MOVLW 2", "MOVWF b"}},
        {"48",
         {"CALL g", "MOVWF x"},
         {"CALL g", "MOVWF x"},
         {"LABEL @g", "MOVLW 5", "MOVWF y", "RETURN", "RETURN"},
         {"LABEL @g", "MOVLW 5", "MOVWF y", "RETURN"}},
        {"45 past a jump", killing({"MOVF a,W", "GOTO _L", "MOVWF x", "LABEL _L"}),
         killing({"GOTO _L", "MOVWF x", "LABEL _L"})},
    };
    return cases;
}

// Lists no rule may change.
const std::vector<std::pair<const char*, Lines>>& stayingCases() {
    static const std::vector<std::pair<const char*, Lines>> cases = {
        {"1 after a skip", {"BTFSC a.0", "GETSTRADDRHI s", "GETSTRADDR s"}},
        {"2 after a skip", {"BTFSS a.1", "MOVLW 3", "MOVLW 4", "MOVWF x"}},
        {"3 after a skip",
         {"CALL g", "MOVWF x", "LABEL _e", "GOTO _e", "LABEL @g", "BTFSC a.0", "MOVLW 5",
          "RETURN"}},
        {"4 with the flags read later",
         {"ADDRESSOF y", "MOVWF x", "INCF x,F", "MOVLW 3", "ADDWF x,F", "MOVF x,W"}},
        {"5 after a skip", {"BTFSC b.0", "BSF @__stat__.0", "BCF a.1", "BCF @__stat__.0"}},
        {"6 after a skip", {"BTFSC b.0", "BSF @__stat__.2", "BCF @__stat__.2"}},
        {"7 after a skip", {"BTFSC b.0", "BCF @__stat__.0", "BSF @__stat__.0"}},
        {"9 with the stored byte read later",
         {"MOVF a,W", "MOVWF x", "MOVLW 4", "IORWF x,W", "MOVWF y"}},
        {"9 with the temporary read after a jump",
         {"MOVF a,W", "MOVWF _tmp_1", "MOVLW 4", "IORWF _tmp_1,W", "MOVWF y", "GOTO _LBL_9", "NOP",
          "LABEL _LBL_9", "MOVF _tmp_1,W", "MOVWF b"}},
        {"10 on a variable", {"MOVF a,W", "MOVWF x", "MOVLW 4", "ANDWF x,W", "MOVWF y"}},
        {"11 after a decrement skip", {"DECFSZ a,F", "GOTO L", "LABEL L", "MOVWF x"}},
        {"11 after an increment skip", {"INCFSZ a,F", "GOTO L", "LABEL L", "MOVWF x"}},
        {"11 after a carry skip", {"SC", "GOTO L", "LABEL L", "MOVWF x"}},
        {"11 after SKIP", {"SKIP", "GOTO L", "LABEL L", "MOVWF x"}},
        {"11 after a compare-and-skip", {"CSE a", "GOTO L", "LABEL L", "MOVWF x"}},
        {"2 after a skip and a label", {"BTFSS a.1", "LABEL L", "MOVLW 3", "MOVLW 4", "MOVWF x"}},
        {"2 after a skip and a page selection",
         {"BTFSS a.1", "PAGE 1", "MOVLW 3", "MOVLW 4", "MOVWF x"}},
        {"11 in a jump table", {"MOVF a,W", "ADDWF @__pc__,F", "GOTO L", "LABEL L", "MOVWF x"}},
        {"12 in a jump table",
         {"ANDLW 1", "ADDWF @__pc__,F", "GOTO L1", "GOTO L2", "GOTO L3", "LABEL L1", "LABEL L2",
          "LABEL L3"}},
        {"12 after JMP W",
         {"JMPW", "GOTO L1", "GOTO L2", "GOTO L3", "LABEL L1", "LABEL L2", "LABEL L3"}},
        {"13 after a skip", {"BTFSC b.0", "BCF @__stat__.2", "BCF @__stat__.2"}},
        {"14 after a skip", {"BTFSC b.0", "BSF @__stat__.2", "BSF @__stat__.2"}},
        {"15 with W read later", {"MOVLW 0", "ADDWF a,F", "BTFSC @__stat__.0", "INCF b,F"}},
        {"16 with the flags read later", {"MOVLW 0", "ADDWF a,F"}},
        {"17 with the carry read later",
         {"BSF @__stat__.0", "CLRF _tmp_1", "BTFSC @__stat__.0", "INCF _tmp_1,F", "MOVF _tmp_1,W",
          "MOVWF x"}},
        {"19 after a skip", {"BTFSC a.0", "MOVWF x", "MOVF y,W", "ADDWF x,W", "MOVWF b"}},
        {"20 with W read later", {"MOVLW 4", "MOVWF x", "INCF x,F"}},
        {"21 with Z read later", {"MOVWF @__SxItmp_", "MOVF @__SxItmp_,W", "MOVWF x"}},
        {"22 with Z read later: y = x = x - 1",
         {"MOVWF x", "MOVF x,W", "MOVWF y", "BTFSC @__stat__.2", "INCF b,F"}},
        {"23 with W read later", {"MOVLW 8", "IORWF x,F"}},
        {"24 with W read later", {"MOVLW 247", "ANDWF x,F"}},
        {"25 when a skip passes the call",
         {"BTFSC b.0", "CALL g", "BTFSC @__stat__.2", "MOVWF x", "LABEL _e", "GOTO _e", "LABEL @g",
          "RETURN"}},
        {"26 with W read later", {"ADDWF x,W", "MOVWF x", "BTFSC @__stat__.0", "INCF b,F"}},
        {"27 with W read later", {"MOVF x,W", "MOVWF x", "BTFSC @__stat__.0", "INCF b,F"}},
        {"28 after a swap into W (no Z from W)",
         {"SWAPF a,W", "MOVWF _tmp_1", "MOVF _tmp_1,W", "BTFSC @__stat__.2", "INCF b,F"}},
        {"29 after a test of another byte",
         {"MOVF a,F", "MOVWF _tmp_1", "MOVF _tmp_1,W", "BTFSC @__stat__.2", "INCF b,F"}},
        {"30 after a call",
         {"CALL g", "MOVWF _tmp_1", "MOVF _tmp_1,W", "MOVWF x", "LABEL _e", "GOTO _e", "LABEL @g",
          "RETURN"}},
        {"31 with Z read later", {"MOVLW 0", "MOVWF x"}},
        {"32 with the carry read later",
         {"MOVLW 1", "ADDWF x,W", "MOVWF x", "BTFSC @__stat__.0", "INCF b,F"}},
        {"33 with the carry read later",
         {"MOVLW 1", "SUBWF x,W", "MOVWF x", "BTFSS @__stat__.0", "DECF b,F"}},
        {"34 with the temporary read later",
         {"MOVF @__f0__,W", "MOVWF _tmp_1", "COMF _tmp_1,W", "MOVWF _tmp_2", "MOVF _tmp_1,W",
          "MOVWF y", "MOVF _tmp_2,W", "MOVWF x"}},
        {"35 with the carry read later: l + 1 over 16 bits",
         {"MOVLW 1", "ADDWF l,F", "BTFSC @__stat__.0", "INCF l+1,F", "CLRW"}},
        {"36 in another scope", {"DECF x,W", "MOVWF x [f]", "CLRW", "ADDWF k,W"}},
        {"37 on a hardware byte", {"INCF p,F", "DECF p,F", "CLRF b"}},
        {"38 after a skip",
         {"BTFSS b.1", "BTFSC a.0", "GOTO L", "GOTO M", "LABEL L", "MOVLW 1", "MOVWF x",
          "LABEL M"}},
        {"39 after a skip", {"BTFSC a.0", "DECF x,W", "MOVF y,W", "MOVWF b"}},
        {"40 after a skip", {"BTFSC a.0", "MOVF x,W", "MOVF y,W", "MOVWF b"}},
        {"41 after a skip", {"BTFSC a.0", "MOVF x,W", "MOVLW 3", "SUBWF b,F"}},
        {"43 with the temporary read later",
         {"CALL g", "MOVWF _tmp_1", "MOVWF l", "CLRW", "BTFSC _tmp_1.7", "MOVLW 255", "MOVWF l+1",
          "MOVF _tmp_1,W", "MOVWF b", "LABEL _e", "GOTO _e", "LABEL @g", "RETURN"}},
        {"44 with W read later", {"MOVF x,W", "INCFSZ x,F", "INCF b,F"}},
        {"nothing inside raw assembly", {"RASMSTART", "MOVLW 3", "MOVLW 4", "MOVWF x", "RASMEND"}},
    };
    return cases;
}

TEST(PeepholeRules, EachRuleFiresOnItsPatternAndComputesTheSame) {
    for (const RuleCase& rc : firingCases()) {
        SCOPED_TRACE(std::string("rule ") + rc.rule);
        EXPECT_EQ(afterRules(Framed::frame(rc.before, rc.tail)),
                  framedDump(rc.after, rc.tailAfter.empty() ? rc.tail : rc.tailAfter));
        if (rc.simulate)
            expectSameRuns(rc);
    }
}

TEST(PeepholeRules, GuardsKeepTheListWhereARewriteWouldChangeWhatIsRead) {
    for (const auto& [name, body] : stayingCases()) {
        SCOPED_TRACE(std::string("rule ") + name);
        const Lines framed = Framed::frame(body, {});
        EXPECT_EQ(afterRules(framed), TestList(framed).dump());
    }
}

} // namespace
} // namespace kavo::testing
