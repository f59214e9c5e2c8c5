#include "compiler/codegen/runtime_routines.hpp"

#include "compiler/base/kinds.hpp"
#include "compiler/codegen/emit.hpp"
#include "compiler/symbols/symbols.hpp"
#include "tests/support/capture_io.hpp"
#include "tests/support/instruction_runner.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace kavo {
namespace {

using testing::InstructionRunner;
using testing::InstructionRunnerError;

const std::string High = "_tmp_0";

std::string slot(int n) {
    return "_prm_" + std::to_string(n);
}

// "OPCODE operand,dest" without the PIC_ prefix; "+k" marks an offset.
std::string show(const Instruction* i) {
    std::string text(opcodeName(i->opcode).substr(4));
    if (!i->operand.empty())
        text += " " + i->operand;
    if (i->offset != 0)
        text += "+" + std::to_string(i->offset);
    if (i->dest >= 0)
        text += "," + std::to_string(i->dest);
    return text;
}

class RuntimeRoutinesTest : public ::testing::Test {
protected:
    RuntimeRoutinesTest() {
        pushscope(c, GlobalScope);
        c.codegen.returnHighRegister = High;
    }

    // The start of a program as the driver leaves it before user code.
    void startProgram() {
        emit(c, PIC_LABEL, "@@@@@");
        emit(c, PIC_STRINGLOC, "strings");
    }

    // A caller of routine at label entry: the result goes to "result" (low) and "result"+1
    // (high), then the program stops in a jump to itself.
    void addCaller(const std::string& entry, const std::string& routine) {
        emit(c, PIC_LABEL, entry);
        emit(c, PIC_CALL, routine);
        emit(c, PIC_MOVWF, "result");
        emit(c, PIC_MOVF, High, 0);
        emit(c, PIC_MOVWF, "result", -1, 0, 0, 1);
        emit(c, PIC_LABEL, entry + "_stop");
        emit(c, PIC_GOTO, entry + "_stop");
    }

    std::vector<std::string> listed() const {
        std::vector<std::string> all;
        for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next)
            all.push_back(show(i));
        return all;
    }

    // The records from the one after PIC_STRINGLOC up to (not including) the label stop.
    std::vector<const Instruction*> afterStringLoc(const std::string& stop) const {
        std::vector<const Instruction*> block;
        const Instruction* i = c.instructions.head();
        while (i != nullptr && i->opcode != PIC_STRINGLOC)
            i = i->next;
        for (i = i != nullptr ? i->next : nullptr; i != nullptr; i = i->next) {
            if (i->opcode == PIC_LABEL && i->operand == stop)
                break;
            block.push_back(i);
        }
        return block;
    }

    std::vector<std::string> labels() const {
        std::vector<std::string> all;
        for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
            if (i->opcode == PIC_LABEL)
                all.push_back(i->operand);
        }
        return all;
    }

    bool hasLabel(const std::string& name) const {
        return c.instructions.findLabel(name) != nullptr;
    }

    CompilerSettings settings;
    testing::CaptureIo io;
    Compilation c{settings, io};
};

// Runs the caller at entry with left in slots 1-2 and right in 3-4; the scratch slots,
// return-high and the carry start dirty so that no routine leans on a cleared byte.
std::uint16_t run(InstructionRunner& runner, const std::string& entry, std::uint16_t left,
                  std::uint16_t right) {
    runner.reset();
    runner.setByte(slot(1), static_cast<std::uint8_t>(left));
    runner.setByte(slot(2), static_cast<std::uint8_t>(left >> 8));
    runner.setByte(slot(3), static_cast<std::uint8_t>(right));
    runner.setByte(slot(4), static_cast<std::uint8_t>(right >> 8));
    for (int n = 5; n <= 7; ++n) {
        if (runner.placed(slot(n)))
            runner.setByte(slot(n), 0xA5);
    }
    runner.setByte(High, 0x5A);
    runner.core().setStatus(runner.core().statusRegister() | sxsim::status::C);
    const sxsim::RunResult result = runner.runFrom(entry, 20000);
    if (result.reason != sxsim::StopReason::SelfJump)
        ADD_FAILURE() << entry << " did not finish: " << sxsim::stopReasonName(result.reason);
    return static_cast<std::uint16_t>(runner.byte("result") | runner.byte("result", 1) << 8);
}

// Edge values and a fixed pseudo-random spread, as 16-bit patterns.
std::vector<std::pair<std::uint16_t, std::uint16_t>> operandPairs() {
    const std::vector<std::uint16_t> edges = {
        0,      1,      2,      3,      7,      10,     100,    255,    256,    257,   1000,
        0x1234, 0x7FFE, 0x7FFF, 0x8000, 0x8001, 0xABCD, 0xFF00, 0xFFF9, 0xFFFE, 0xFFFF};
    std::vector<std::pair<std::uint16_t, std::uint16_t>> pairs;
    for (std::uint16_t a : edges) {
        for (std::uint16_t b : edges)
            pairs.emplace_back(a, b);
    }
    std::mt19937 random(5489u);
    for (int n = 0; n < 400; ++n) {
        const auto a = static_cast<std::uint16_t>(random() & 0xFFFF);
        // Small divisors and counts too, not only large ones.
        const auto b = static_cast<std::uint16_t>(n % 2 == 0 ? random() & 0xFFFF : random() & 0x1F);
        pairs.emplace_back(a, b);
    }
    return pairs;
}

int pairsWithNonZeroRight() {
    int count = 0;
    for (const auto& pair : operandPairs())
        count += pair.second != 0 ? 1 : 0;
    return count;
}

template <class Expected>
int checkPairs(InstructionRunner& runner, const std::string& entry, bool skipZeroRight,
               Expected expected) {
    int checked = 0;
    std::vector<std::string> wrong;
    for (const auto& [a, b] : operandPairs()) {
        if (skipZeroRight && b == 0)
            continue;
        const std::uint16_t got = run(runner, entry, a, b);
        const std::uint16_t want = expected(a, b);
        ++checked;
        if (got != want && wrong.size() < 10)
            wrong.push_back(std::to_string(a) + "," + std::to_string(b) + " gave " +
                            std::to_string(got) + " not " + std::to_string(want));
    }
    EXPECT_TRUE(wrong.empty()) << ::testing::PrintToString(wrong);
    return checked;
}

std::uint16_t signedQuotient(std::uint16_t a, std::uint16_t b) {
    const int q = static_cast<std::int16_t>(a) / static_cast<std::int16_t>(b);
    return static_cast<std::uint16_t>(q);
}

std::uint16_t shiftLeft(std::uint16_t a, std::uint16_t n) {
    return n >= 16 ? 0 : static_cast<std::uint16_t>(a << n);
}

std::uint16_t shiftRight(std::uint16_t a, std::uint16_t n) {
    return n >= 16 ? 0 : static_cast<std::uint16_t>(a >> n);
}

// ---------------------------------------------------------------------------------------
// Which routines are written, where, and with what.

TEST_F(RuntimeRoutinesTest, AProgramWithoutRuntimeCallsGetsNoRoutine) {
    startProgram();
    emit(c, PIC_LABEL, "@main");
    emit(c, PIC_CALL, "helper");
    emit(c, PIC_MOVLW, "3");
    const std::vector<std::string> before = listed();
    generateRuntimeRoutines(c);
    EXPECT_EQ(listed(), before);
    EXPECT_EQ(findsymin(c, slot(1), GlobalScope), nullptr) << "no slot is made either";
}

TEST_F(RuntimeRoutinesTest, ModuloAloneGetsTheSharedLoopWithBothEntriesAndNoSignedDivide) {
    startProgram();
    addCaller("main", "@__FUNC_MOD");
    generateRuntimeRoutines(c);
    const std::vector<const Instruction*> block = afterStringLoc("main");
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(show(block.front()), "LABEL @@__FUNC_MOD") << "right after PIC_STRINGLOC";
    EXPECT_EQ(show(block.back()), "LABEL @@__FUNC_DIV_END");
    EXPECT_TRUE(hasLabel("@@__FUNC_DIV"));
    EXPECT_FALSE(hasLabel("@@__FUNC_SDIV"));
    EXPECT_FALSE(hasLabel("@@__FUNC_SDIV_END"));
    EXPECT_FALSE(hasLabel("@@__FUNC_MULT"));
    EXPECT_FALSE(hasLabel("@@__FUNC_SHIFTL"));
    for (const Instruction* i : block) {
        EXPECT_EQ(i->line, 8300) << show(i);
        EXPECT_EQ(i->scope, "_GLOBAL_") << show(i);
    }
    EXPECT_EQ(labels(), (std::vector<std::string>{"@@@@@", "@@__FUNC_MOD", "@@__FUNC_DIV", "@rmod",
                                                  "@divloop", "@uok66ll", "@modret",
                                                  "@@__FUNC_DIV_END", "main", "main_stop"}));
    for (int n = 1; n <= 7; ++n)
        EXPECT_NE(findsymin(c, slot(n), GlobalScope), nullptr) << slot(n);
    EXPECT_EQ(io.messages, "") << "no label is reported as a duplicate";
}

TEST_F(RuntimeRoutinesTest, MultiplyIsWrittenInstructionForInstruction) {
    startProgram();
    addCaller("main", "@__FUNC_MULT");
    generateRuntimeRoutines(c);
    std::vector<std::string> body;
    for (const Instruction* i : afterStringLoc("main")) {
        body.push_back(show(i));
        EXPECT_EQ(i->line, 8400) << show(i);
    }
    EXPECT_EQ(body, (std::vector<std::string>{"LABEL @@__FUNC_MULT",
                                              "MOVLW 16",
                                              "MOVWF _prm_5",
                                              "CLRF _tmp_0",
                                              "CLRF _prm_6",
                                              "LABEL @multloop",
                                              "RRF _prm_2,1",
                                              "RRF _prm_1,1",
                                              "BTFSS @__stat__,0",
                                              "GOTO @noadd",
                                              "MOVF _prm_3,0",
                                              "ADDWF _prm_6,1",
                                              "BTFSC @__stat__,0",
                                              "INCF _tmp_0,1",
                                              "MOVF _prm_4,0",
                                              "ADDWF _tmp_0,1",
                                              "LABEL @noadd",
                                              "BCF @__stat__,0",
                                              "RLF _prm_3,1",
                                              "RLF _prm_4,1",
                                              "DECFSZ _prm_5,1",
                                              "GOTO @multloop",
                                              "MOVF _prm_6,0",
                                              "RETURN",
                                              "LABEL @@__FUNC_MULT_END"}));
}

TEST_F(RuntimeRoutinesTest, TheSharedDivideLoopIsWrittenInstructionForInstruction) {
    startProgram();
    addCaller("main", "@__FUNC_DIV");
    generateRuntimeRoutines(c);
    std::vector<std::string> body;
    for (const Instruction* i : afterStringLoc("main"))
        body.push_back(show(i));
    EXPECT_EQ(body, (std::vector<std::string>{"LABEL @@__FUNC_MOD",
                                              "MOVLW 144",
                                              "MOVWF _prm_6",
                                              "GOTO @rmod",
                                              "LABEL @@__FUNC_DIV",
                                              "MOVLW 16",
                                              "MOVWF _prm_6",
                                              "LABEL @rmod",
                                              "CLRF _prm_7",
                                              "CLRF _tmp_0",
                                              "LABEL @divloop",
                                              "RLF _prm_2,0",
                                              "RLF _prm_7,1",
                                              "RLF _tmp_0,1",
                                              "MOVF _prm_3,0",
                                              "SUBWF _prm_7,1",
                                              "MOVF _prm_4,0",
                                              "BTFSS @__stat__,0",
                                              "INCFSZ _prm_4,0",
                                              "SUBWF _tmp_0,1",
                                              "BTFSC @__stat__,0",
                                              "GOTO @uok66ll",
                                              "MOVF _prm_3,0",
                                              "ADDWF _prm_7,1",
                                              "MOVF _prm_4,0",
                                              "BTFSC @__stat__,0",
                                              "INCFSZ _prm_4,0",
                                              "ADDWF _tmp_0,1",
                                              "BCF @__stat__,0",
                                              "LABEL @uok66ll",
                                              "RLF _prm_1,1",
                                              "RLF _prm_2,1",
                                              "DECF _prm_6,1",
                                              "MOVLW 31",
                                              "ANDWF _prm_6,0",
                                              "BTFSS @__stat__,2",
                                              "GOTO @divloop",
                                              "BTFSC _prm_6,7",
                                              "GOTO @modret",
                                              "MOVF _prm_2,0",
                                              "MOVWF _tmp_0",
                                              "MOVF _prm_1,0",
                                              "RETURN",
                                              "LABEL @modret",
                                              "MOVF _prm_7,0",
                                              "RETURN",
                                              "LABEL @@__FUNC_DIV_END"}));
}

TEST_F(RuntimeRoutinesTest, SignedDivideIsWrittenOnlyWhenCalledAndPrecedesTheSharedLoop) {
    startProgram();
    addCaller("main", "@__FUNC_SDIV");
    generateRuntimeRoutines(c);
    std::vector<std::string> body;
    for (const Instruction* i : afterStringLoc("@@__FUNC_MOD"))
        body.push_back(show(i));
    EXPECT_EQ(body,
              (std::vector<std::string>{
                  "LABEL @@__FUNC_SDIV",    "MOVF _prm_2,0",  "XORWF _prm_4,0",  "MOVWF _prm_5",
                  "BTFSS _prm_2,7",         "GOTO @compb",    "COMF _prm_2,1",   "COMF _prm_1,1",
                  "INCFSZ _prm_1,1",        "GOTO @compb",    "INCF _prm_2,1",   "LABEL @compb",
                  "BTFSS _prm_4,7",         "GOTO @compd",    "COMF _prm_4,1",   "COMF _prm_3,1",
                  "INCFSZ _prm_3,1",        "GOTO @compd",    "INCF _prm_4,1",   "LABEL @compd",
                  "CALL @__FUNC_DIV",       "BTFSS _prm_5,7", "RETURN",          "MOVWF _prm_5",
                  "COMF _prm_5,1",          "COMF _tmp_0,1",  "INCFSZ _prm_5,1", "GOTO @sdivd",
                  "INCF _tmp_0,1",          "LABEL @sdivd",   "MOVF _prm_5,0",   "RETURN",
                  "LABEL @@__FUNC_SDIV_END"}));
    EXPECT_TRUE(hasLabel("@@__FUNC_DIV_END"));
}

TEST_F(RuntimeRoutinesTest, FamiliesSitInLineOrderInFrontOfTheUserCode) {
    startProgram();
    addCaller("first", "@__FUNC_MULT");
    addCaller("second", "@__FUNC_DIV");
    addCaller("third", "@__FUNC_SHIFTR");
    generateRuntimeRoutines(c);
    const std::vector<const Instruction*> block = afterStringLoc("first");
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(show(block.front()), "LABEL @@__FUNC_SHIFTR");
    EXPECT_EQ(show(block.back()), "LABEL @@__FUNC_MULT_END");
    int previousLine = 0;
    for (const Instruction* i : block) {
        EXPECT_GE(i->line, previousLine) << show(i);
        previousLine = i->line;
    }
    EXPECT_EQ(block.front()->line, 8100);
    EXPECT_TRUE(hasLabel("@@__FUNC_SHIFTR_END"));
    EXPECT_FALSE(hasLabel("@@__FUNC_SHIFTL"));
}

TEST_F(RuntimeRoutinesTest, ALoneRightShiftHasNoLeftLoop) {
    startProgram();
    addCaller("main", "@__FUNC_SHIFTR");
    generateRuntimeRoutines(c);
    EXPECT_TRUE(hasLabel("@sr"));
    EXPECT_TRUE(hasLabel("@srloop"));
    EXPECT_FALSE(hasLabel("@8130"));
    EXPECT_FALSE(hasLabel("@SLRcommon"));
    EXPECT_FALSE(hasLabel("@@__FUNC_SHIFTL_END"));
    for (const Instruction* i : afterStringLoc("main"))
        EXPECT_EQ(i->line, 8100) << show(i);
}

TEST_F(RuntimeRoutinesTest, BothShiftsShareTheChecksAndChooseByBitSevenOfReturnHigh) {
    startProgram();
    addCaller("l", "@__FUNC_SHIFTL");
    addCaller("r", "@__FUNC_SHIFTR");
    generateRuntimeRoutines(c);
    const std::vector<const Instruction*> block = afterStringLoc("l");
    ASSERT_GE(block.size(), 6u);
    std::vector<std::string> head;
    for (std::size_t n = 0; n < 6; ++n)
        head.push_back(show(block[n]));
    EXPECT_EQ(head, (std::vector<std::string>{"LABEL @@__FUNC_SHIFTR", "BSF _tmp_0,7",
                                              "GOTO @SLRcommon", "LABEL @@__FUNC_SHIFTL",
                                              "BCF _tmp_0,7", "LABEL @SLRcommon"}));
    EXPECT_EQ(labels(), (std::vector<std::string>{
                            "@@@@@", "@@__FUNC_SHIFTR", "@@__FUNC_SHIFTL", "@SLRcommon", "@8120",
                            "@8125", "@8110", "@8130", "@@__FUNC_SHIFTL_END", "@sr", "@srloop",
                            "@@__FUNC_SHIFTR_END", "l", "l_stop", "r", "r_stop"}));
}

TEST_F(RuntimeRoutinesTest, TheSharedShiftPartIsWrittenInstructionForInstruction) {
    startProgram();
    addCaller("l", "@__FUNC_SHIFTL");
    addCaller("r", "@__FUNC_SHIFTR");
    generateRuntimeRoutines(c);
    std::vector<std::string> body;
    for (const Instruction* i : afterStringLoc("l")) {
        if (!body.empty() || show(i) == "LABEL @SLRcommon")
            body.push_back(show(i));
    }
    EXPECT_EQ(body, (std::vector<std::string>{"LABEL @SLRcommon",
                                              "MOVF _prm_2,0",
                                              "IORWF _prm_1,0",
                                              "BTFSS @__stat__,2",
                                              "GOTO @8110",
                                              "LABEL @8120",
                                              "CLRF _tmp_0",
                                              "MOVLW 0",
                                              "RETURN",
                                              "LABEL @8125",
                                              "MOVF _prm_2,0",
                                              "MOVWF _tmp_0",
                                              "MOVF _prm_1,0",
                                              "RETURN",
                                              "LABEL @8110",
                                              "MOVF _prm_4,0",
                                              "BTFSS @__stat__,2",
                                              "GOTO @8120",
                                              "MOVF _prm_3,0",
                                              "BTFSC @__stat__,2",
                                              "GOTO @8125",
                                              "ANDLW 240",
                                              "BTFSS @__stat__,2",
                                              "GOTO @8120",
                                              "BTFSC _tmp_0,7",
                                              "GOTO @sr",
                                              "MOVF _prm_2,0",
                                              "MOVWF _tmp_0",
                                              "LABEL @8130",
                                              "BCF @__stat__,0",
                                              "RLF _prm_1,1",
                                              "RLF _tmp_0,1",
                                              "DECFSZ _prm_3,1",
                                              "GOTO @8130",
                                              "MOVF _prm_1,0",
                                              "RETURN",
                                              "LABEL @@__FUNC_SHIFTL_END",
                                              "LABEL @sr",
                                              "MOVF _prm_2,0",
                                              "MOVWF _tmp_0",
                                              "LABEL @srloop",
                                              "BCF @__stat__,0",
                                              "RRF _tmp_0,1",
                                              "RRF _prm_1,1",
                                              "DECFSZ _prm_3,1",
                                              "GOTO @srloop",
                                              "MOVF _prm_1,0",
                                              "RETURN",
                                              "LABEL @@__FUNC_SHIFTR_END"}));
    for (const Instruction* i : afterStringLoc("l"))
        EXPECT_EQ(i->line, 8100) << show(i);
}

TEST_F(RuntimeRoutinesTest, TheGlobalScopeFlagIsRestored) {
    startProgram();
    addCaller("main", "@__FUNC_MULT");
    c.codegen.globalScopeFlag = false;
    generateRuntimeRoutines(c);
    EXPECT_FALSE(c.codegen.globalScopeFlag);
    for (const Instruction* i : afterStringLoc("main"))
        EXPECT_EQ(i->scope, "_GLOBAL_") << show(i);
}

TEST_F(RuntimeRoutinesTest, WithoutAStringLocationTheRoutinesFollowTheCode) {
    addCaller("main", "@__FUNC_MULT");
    generateRuntimeRoutines(c);
    ASSERT_NE(c.instructions.head(), nullptr);
    EXPECT_EQ(show(c.instructions.head()), "LABEL main");
    EXPECT_EQ(labels().back(), "@@__FUNC_MULT_END");
}

TEST_F(RuntimeRoutinesTest, AppendingAfterTheRoutinesStillGoesToTheEnd) {
    startProgram();
    addCaller("main", "@__FUNC_DIV");
    generateRuntimeRoutines(c);
    emit(c, PIC_NOP);
    const Instruction* last = c.instructions.head();
    while (last->next != nullptr)
        last = last->next;
    EXPECT_EQ(last->opcode, PIC_NOP);
}

// ---------------------------------------------------------------------------------------
// The interrupt context.

class InterruptContextTest : public RuntimeRoutinesTest {
protected:
    // main calls before, the interrupt routine calls inside; then the function end.
    void interruptRoutine(const std::vector<std::string>& before,
                          const std::vector<std::string>& inside) {
        startProgram();
        emit(c, PIC_LABEL, "@main");
        for (const std::string& routine : before)
            emit(c, PIC_CALL, routine);
        emit(c, PIC_LABEL, "__interrupt", -1, 20);
        emit(c, PIC_SAVEINT, "", -1, 20);
        emit(c, PIC_MOVLW, "1", -1, 21);
        for (const std::string& routine : inside)
            emit(c, PIC_CALL, routine, -1, 22);
        emit(c, PIC_MOVWF, "x", -1, 23);
        saveInterruptContext(c, 24);
        emit(c, PIC_RETFIE, "", -1, 24);
        emit(c, PIC_LABEL, "_ITR_E", -1, 24);
    }

    // The records between the label and the marker (exclusive), and after the last call.
    std::vector<std::string> between(int fromOpcode, const std::string& fromOperand,
                                     int toOpcode) const {
        std::vector<std::string> run;
        const Instruction* i = c.instructions.head();
        while (i != nullptr && !(i->opcode == fromOpcode && i->operand == fromOperand))
            i = i->next;
        for (i = i != nullptr ? i->next : nullptr; i != nullptr && i->opcode != toOpcode;
             i = i->next)
            run.push_back(show(i));
        return run;
    }
};

std::vector<std::string> copies(int count, bool save) {
    std::vector<std::string> run;
    for (int n = 1; n <= count + 1; ++n) {
        const std::string from = n <= count ? slot(n) : High;
        const std::string to = "_svi_" + std::to_string(n);
        run.push_back("MOVF " + (save ? from : to) + ",0");
        run.push_back("MOVWF " + (save ? to : from));
    }
    return run;
}

TEST_F(InterruptContextTest, AMultiplyingInterruptRoutineSavesSlotsOneToSixAndReturnHigh) {
    interruptRoutine({}, {"@__FUNC_MULT"});
    EXPECT_EQ(c.codegen.interruptSaveCount, 6);
    std::vector<std::string> saves = copies(6, true);
    saves.push_back("MOVLW 1");
    EXPECT_EQ(between(PIC_SAVEINT, "", PIC_CALL), saves);
    std::vector<std::string> restores = copies(6, false);
    restores.insert(restores.begin(), "MOVWF x");
    EXPECT_EQ(between(PIC_CALL, "@__FUNC_MULT", PIC_RETFIE), restores);
    for (int n = 1; n <= 7; ++n) {
        const Symbol* save = findsymin(c, "_svi_" + std::to_string(n), GlobalScope);
        ASSERT_NE(save, nullptr) << n;
        EXPECT_EQ(save->type, INT);
    }
    EXPECT_EQ(findsymin(c, "_svi_8", GlobalScope), nullptr);
    // Saves carry the line of PIC_SAVEINT, restores the line the function end gave.
    for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        if (!i->operand.starts_with("_svi_"))
            continue;
        EXPECT_EQ(i->scope, "_GLOBAL_");
        EXPECT_EQ(i->line, i->opcode == PIC_MOVWF ? 20 : 24) << show(i);
    }
    EXPECT_EQ(io.messages, "");
}

TEST_F(InterruptContextTest, TheLargestNeedWins) {
    interruptRoutine({}, {"@__FUNC_SHIFTL", "@__FUNC_MOD", "@__strings_"});
    EXPECT_EQ(c.codegen.interruptSaveCount, 7);
    EXPECT_NE(findsymin(c, "_svi_8", GlobalScope), nullptr);
    EXPECT_EQ(between(PIC_SAVEINT, "", PIC_MOVLW), copies(7, true));
}

TEST_F(InterruptContextTest, TheStringReaderAloneNeedsTwo) {
    interruptRoutine({}, {"@__strings_"});
    EXPECT_EQ(c.codegen.interruptSaveCount, 2);
    EXPECT_EQ(between(PIC_SAVEINT, "", PIC_MOVLW), copies(2, true));
}

TEST_F(InterruptContextTest, CallsOutsideTheInterruptRoutineDoNotCount) {
    interruptRoutine({"@__FUNC_DIV"}, {"helper"});
    EXPECT_EQ(c.codegen.interruptSaveCount, 0);
    EXPECT_EQ(between(PIC_SAVEINT, "", PIC_CALL), (std::vector<std::string>{"MOVLW 1"}));
    EXPECT_EQ(between(PIC_CALL, "helper", PIC_RETFIE), (std::vector<std::string>{"MOVWF x"}));
    EXPECT_EQ(findsymin(c, "_svi_1", GlobalScope), nullptr);
}

TEST(InterruptSlots, PerRoutine) {
    EXPECT_EQ(interruptSlotsFor("@__FUNC_SHIFTL"), 4);
    EXPECT_EQ(interruptSlotsFor("@__FUNC_SHIFTR"), 4);
    EXPECT_EQ(interruptSlotsFor("@__FUNC_MULT"), 6);
    EXPECT_EQ(interruptSlotsFor("@__strings_"), 2);
    EXPECT_EQ(interruptSlotsFor("@__FUNC_DIV"), 7);
    EXPECT_EQ(interruptSlotsFor("@__FUNC_SDIV"), 7);
    EXPECT_EQ(interruptSlotsFor("@__FUNC_MOD"), 7);
    EXPECT_EQ(interruptSlotsFor("@__FUNC_MULTX"), 0);
    EXPECT_EQ(interruptSlotsFor("main"), 0);
}

// ---------------------------------------------------------------------------------------
// The routines run on the SX core model.

class RoutineRunTest : public RuntimeRoutinesTest {
protected:
    // A program calling each routine from an entry of its own name ("MULT" for
    // "@__FUNC_MULT"), with the routines generated.
    InstructionRunner build(const std::vector<std::string>& routines) {
        startProgram();
        for (const std::string& routine : routines)
            addCaller(routine, "@__FUNC_" + routine);
        generateRuntimeRoutines(c);
        return InstructionRunner(c.instructions.head());
    }
};

TEST_F(RoutineRunTest, MultiplyGivesTheLowSixteenBitsOfTheProduct) {
    InstructionRunner runner = build({"MULT"});
    EXPECT_EQ(run(runner, "MULT", 300, 300), 0x5F90);
    EXPECT_EQ(run(runner, "MULT", 0xFFFF, 0xFFFF), 1) << "-1 x -1";
    const int checked = checkPairs(runner, "MULT", false, [](std::uint16_t a, std::uint16_t b) {
        // Multiplied as unsigned: two uint16_t promote to int, where 32769 * 65535 overflows.
        return static_cast<std::uint16_t>(unsigned{a} * unsigned{b});
    });
    EXPECT_EQ(checked, 841);
}

TEST_F(RoutineRunTest, DivideAndModuloAreUnsigned) {
    InstructionRunner runner = build({"DIV", "MOD"});
    EXPECT_EQ(run(runner, "DIV", 0xFFFF, 0x8001), 1);
    EXPECT_EQ(run(runner, "MOD", 0xFFFF, 0x8001), 0x7FFE);
    EXPECT_EQ(run(runner, "MOD", 0xFFF9, 2), 1) << "-7 % 2 on the bit patterns";
    int checked =
        checkPairs(runner, "DIV", true, [](std::uint16_t a, std::uint16_t b) { return a / b; });
    checked +=
        checkPairs(runner, "MOD", true, [](std::uint16_t a, std::uint16_t b) { return a % b; });
    EXPECT_EQ(checked, 2 * pairsWithNonZeroRight());
}

TEST_F(RoutineRunTest, DivisionByZeroGivesAllOnesAndTheDividendBack) {
    InstructionRunner runner = build({"DIV", "MOD"});
    for (std::uint16_t a : {0, 1, 0x1234, 0xFFFF}) {
        EXPECT_EQ(run(runner, "DIV", a, 0), 0xFFFF) << a;
        EXPECT_EQ(run(runner, "MOD", a, 0), a) << a;
    }
}

TEST_F(RoutineRunTest, SignedDivideTruncatesTowardZero) {
    InstructionRunner runner = build({"SDIV", "MOD"});
    EXPECT_EQ(run(runner, "SDIV", static_cast<std::uint16_t>(-7), 2),
              static_cast<std::uint16_t>(-3));
    EXPECT_EQ(run(runner, "SDIV", 7, static_cast<std::uint16_t>(-2)),
              static_cast<std::uint16_t>(-3));
    EXPECT_EQ(run(runner, "SDIV", static_cast<std::uint16_t>(-7), static_cast<std::uint16_t>(-2)),
              3);
    EXPECT_EQ(run(runner, "SDIV", 0x8000, 0xFFFF), 0x8000) << "-32768 / -1 wraps";
    EXPECT_EQ(run(runner, "MOD", static_cast<std::uint16_t>(-7), 2), 1)
        << "the remainder stays unsigned next to the signed divide";
    const int checked = checkPairs(runner, "SDIV", true, signedQuotient);
    EXPECT_EQ(checked, pairsWithNonZeroRight());
}

TEST_F(RoutineRunTest, ShiftsAreLogicalAndSaturateAtSixteen) {
    InstructionRunner runner = build({"SHIFTL", "SHIFTR"});
    EXPECT_EQ(run(runner, "SHIFTL", 0x1234, 0), 0x1234);
    EXPECT_EQ(run(runner, "SHIFTR", 0x1234, 0), 0x1234);
    EXPECT_EQ(run(runner, "SHIFTL", 0xFFFF, 16), 0);
    EXPECT_EQ(run(runner, "SHIFTR", 0xFFFF, 16), 0);
    EXPECT_EQ(run(runner, "SHIFTR", 0xFFFF, 0x0101), 0) << "a count high byte means 16 or more";
    EXPECT_EQ(run(runner, "SHIFTR", 0x8000, 15), 1) << "no sign is kept";
    EXPECT_EQ(run(runner, "SHIFTL", 0x0001, 15), 0x8000);
    int checked = checkPairs(runner, "SHIFTL", false, shiftLeft);
    checked += checkPairs(runner, "SHIFTR", false, shiftRight);
    EXPECT_EQ(checked, 2 * 841);
}

TEST_F(RoutineRunTest, ALoneLeftShiftShiftsLeft) {
    InstructionRunner runner = build({"SHIFTL"});
    EXPECT_EQ(checkPairs(runner, "SHIFTL", false, shiftLeft), 841);
}

TEST_F(RoutineRunTest, ALoneRightShiftShiftsRight) {
    InstructionRunner runner = build({"SHIFTR"});
    EXPECT_EQ(run(runner, "SHIFTR", 0x1234, 4), 0x0123);
    EXPECT_EQ(checkPairs(runner, "SHIFTR", false, shiftRight), 841);
}

TEST_F(RoutineRunTest, EveryFamilyTogetherInOneProgram) {
    InstructionRunner runner = build({"MULT", "SDIV", "DIV", "MOD", "SHIFTL", "SHIFTR"});
    EXPECT_EQ(run(runner, "MULT", 1234, 56), static_cast<std::uint16_t>(1234 * 56));
    EXPECT_EQ(run(runner, "SDIV", static_cast<std::uint16_t>(-1000), 7),
              static_cast<std::uint16_t>(-142));
    EXPECT_EQ(run(runner, "DIV", 60000, 7), 60000 / 7);
    EXPECT_EQ(run(runner, "MOD", 60000, 7), 60000 % 7);
    EXPECT_EQ(run(runner, "SHIFTL", 0x00F0, 4), 0x0F00);
    EXPECT_EQ(run(runner, "SHIFTR", 0x00F0, 4), 0x000F);
}

// An interrupt that multiplies lands again and again inside the divisions of main; with the
// context saved, main's quotients all come out right.
class InterruptRunTest : public RuntimeRoutinesTest {
protected:
    static constexpr int Loops = 60;
    static constexpr int Quotient = 50000 / 3;

    void literalTo(int value, const std::string& to) {
        emit(c, PIC_MOVLW, std::to_string(value & 0xFF));
        emit(c, PIC_MOVWF, to);
    }

    // Returns the runner after running main; "wrong" counts the wrong quotient bytes.
    InstructionRunner buildAndRun(bool saveContext) {
        emit(c, PIC_LABEL, "vector");
        emit(c, PIC_GOTO, "__interrupt");
        startProgram();
        emit(c, PIC_LABEL, "main");
        // OPTION 0x88: RTCC counts every cycle and interrupts on its rollover.
        emit(c, PIC_MOVLW, "136");
        emit(c, PIC_OPTION);
        literalTo(Loops, "loops");
        emit(c, PIC_LABEL, "again");
        literalTo(50000, slot(1));
        literalTo(50000 >> 8, slot(2));
        literalTo(3, slot(3));
        literalTo(0, slot(4));
        emit(c, PIC_CALL, "@__FUNC_DIV");
        // Count the quotients that differ from 50000 / 3 = 16666 (0x411A).
        emit(c, PIC_XORLW, std::to_string(Quotient & 0xFF));
        emit(c, PIC_BTFSS, "@__stat__", 2);
        emit(c, PIC_INCF, "wrong", 1);
        emit(c, PIC_MOVF, High, 0);
        emit(c, PIC_XORLW, std::to_string(Quotient >> 8));
        emit(c, PIC_BTFSS, "@__stat__", 2);
        emit(c, PIC_INCF, "wrong", 1);
        emit(c, PIC_DECFSZ, "loops", 1);
        emit(c, PIC_GOTO, "again");
        emit(c, PIC_LABEL, "stop");
        emit(c, PIC_GOTO, "stop");
        emit(c, PIC_LABEL, "__interrupt");
        emit(c, PIC_SAVEINT);
        literalTo(0x77, slot(1));
        literalTo(0x66, slot(2));
        literalTo(0x55, slot(3));
        literalTo(0x44, slot(4));
        emit(c, PIC_CALL, "@__FUNC_MULT");
        emit(c, PIC_INCF, "interrupts", 1);
        if (saveContext)
            saveInterruptContext(c);
        emit(c, PIC_RETFIE);
        emit(c, PIC_LABEL, "_ITR_E");
        generateRuntimeRoutines(c);
        InstructionRunner runner(c.instructions.head());
        const sxsim::RunResult result = runner.runFrom("main", 200000);
        EXPECT_EQ(result.reason, sxsim::StopReason::SelfJump);
        return runner;
    }
};

TEST_F(InterruptRunTest, SavedSlotsKeepMainsDivisionsRight) {
    InstructionRunner runner = buildAndRun(true);
    EXPECT_GT(runner.byte("interrupts"), 20) << "the interrupt must really land in the loop";
    EXPECT_EQ(runner.byte("wrong"), 0);
}

TEST_F(InterruptRunTest, WithoutTheSavesMainsDivisionsGoWrong) {
    InstructionRunner runner = buildAndRun(false);
    EXPECT_GT(runner.byte("interrupts"), 20);
    EXPECT_GT(runner.byte("wrong"), 10);
}

// ---------------------------------------------------------------------------------------
// The runner itself.

TEST_F(RuntimeRoutinesTest, RunnerEncodesAsTheObjectFileDoes) {
    emit(c, PIC_LABEL, "start");
    const Instruction* movf = emit(c, PIC_MOVF, "x", 0);
    const Instruction* addwf = emit(c, PIC_ADDWF, "x", 1, 0, 0, 1);
    const Instruction* movwf = emit(c, PIC_MOVWF, "y");
    const Instruction* clrf = emit(c, PIC_CLRF, "@__fsr__");
    const Instruction* btfss = emit(c, PIC_BTFSS, "@__stat__", 2);
    const Instruction* movlw = emit(c, PIC_MOVLW, "144");
    const Instruction* call = emit(c, PIC_CALL, "sub");
    emit(c, PIC_LABEL, "stop");
    const Instruction* jump = emit(c, PIC_GOTO, "stop");
    emit(c, PIC_LABEL, "@sub");
    const Instruction* ret = emit(c, PIC_RETURN);
    InstructionRunner runner(c.instructions.head());
    EXPECT_EQ(runner.ramAddress("x"), 0x10u);
    EXPECT_EQ(runner.ramAddress("y"), 0x12u) << "x takes two bytes";
    EXPECT_EQ(runner.wordOf(movf), 0x210);
    EXPECT_EQ(runner.wordOf(addwf), 0x1C0 + 0x11 + 32);
    EXPECT_EQ(runner.wordOf(movwf), 0x032);
    EXPECT_EQ(runner.wordOf(clrf), 0x064);
    EXPECT_EQ(runner.wordOf(btfss), 0x743);
    EXPECT_EQ(runner.wordOf(movlw), 0xC90);
    EXPECT_EQ(runner.wordOf(call), 0x908) << "a call of sub enters at @sub";
    EXPECT_EQ(runner.wordOf(jump), 0xA07);
    EXPECT_EQ(runner.wordOf(ret), 0x00C);
    EXPECT_EQ(runner.labelAddress("stop"), 7u);
}

TEST_F(RuntimeRoutinesTest, RunnerRefusesWhatItCannotPlace) {
    emit(c, PIC_GETSTRADDR, "_str_0");
    EXPECT_THROW(InstructionRunner(c.instructions.head()), InstructionRunnerError);
}

TEST_F(RuntimeRoutinesTest, RunnerRefusesAMissingLabel) {
    emit(c, PIC_GOTO, "nowhere");
    EXPECT_THROW(InstructionRunner(c.instructions.head()), InstructionRunnerError);
}

TEST_F(RuntimeRoutinesTest, RunnerRefusesACallBeyondTheFirstHalfPage) {
    emit(c, PIC_CALL, "far");
    for (int n = 0; n < 300; ++n)
        emit(c, PIC_NOP);
    emit(c, PIC_LABEL, "@far");
    emit(c, PIC_RETURN);
    EXPECT_THROW(InstructionRunner(c.instructions.head()), InstructionRunnerError);
}

TEST_F(RuntimeRoutinesTest, RunnerRefusesMoreNamesThanItsRam) {
    for (int n = 0; n < 25; ++n)
        emit(c, PIC_CLRF, "v" + std::to_string(n));
    EXPECT_THROW(InstructionRunner(c.instructions.head()), InstructionRunnerError);
}

} // namespace
} // namespace kavo
