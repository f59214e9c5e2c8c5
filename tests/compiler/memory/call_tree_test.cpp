// The call tree and the removal of what the program never uses: functions nobody calls,
// variables and temporaries no instruction names, and the call vectors of called functions.
#include "compiler/base/kinds.hpp"
#include "compiler/codegen/emit.hpp"
#include "compiler/memory/memory.hpp"
#include "compiler/tables/ram_map.hpp"
#include "tests/compiler/frontend/frontend_harness.hpp"
#include "tests/compiler/memory/memory_harness.hpp"
#include "tests/support/instruction_dump.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace kavo {
namespace {

using Names = std::vector<std::string>;

// The front end over a program, then the call tree as the back end starts it.
class CallTreeTest : public ::testing::Test {
protected:
    void parse(const std::string& program) {
        h = std::make_unique<testing::FrontEndHarness>(program);
        ASSERT_EQ(h->parse(), 0) << h->io.messages;
        for (const char* name : {"@__FUNC_MULT", "@__strings_"})
            addcall(h->c.callTree, name);
        buildcalltree(h->c);
    }
    int removeAll() {
        int passes = 0;
        while (deleteuncalled(h->c))
            ++passes;
        return passes;
    }
    Names entries() const {
        Names names;
        for (const CallTreeEntry* e = h->c.callTree.head; e != nullptr; e = e->next)
            names.push_back(e->name);
        return names;
    }
    Names calls(const std::string& function) const {
        const CallTreeEntry* e = findcall(h->c.callTree, function);
        return e != nullptr ? e->calls : Names{"<no entry>"};
    }
    bool defined(const std::string& function) const { return isfunction(h->c, function); }

    std::unique_ptr<testing::FrontEndHarness> h;
};

TEST_F(CallTreeTest, EntriesRunNewestFirstAndRecordEachCallOnce) {
    parse("void g(void) { }\nvoid f(void) { g(); g(); g(); }\n"
          "void main(void) { f(); g(); f(); }\n");
    EXPECT_EQ(entries(), (Names{"main", "f", "g", "@__strings_", "@__FUNC_MULT"}));
    EXPECT_EQ(calls("f"), (Names{"g"}));
    EXPECT_EQ(calls("main"), (Names{"g", "f"})); // newest first
    EXPECT_EQ(findcall(h->c.callTree, "main")->number, 5);
    EXPECT_EQ(calls("g"), Names{});
    addcall(h->c.callTree, "main", "f");
    EXPECT_EQ(calls("main"), (Names{"g", "f"}));
}

TEST_F(CallTreeTest, AFunctionCalledOnlyFromADeletedFunctionGoesInTheNextPass) {
    // Callers come first, so each pass finds only the outermost caller uncalled.
    parse("char x;\nvoid top(void) { middle(); }\nvoid middle(void) { leaf(); }\n"
          "void leaf(void) { x = 1; }\nvoid main(void) { x = 2; }\n");
    EXPECT_EQ(removeAll(), 3);
    EXPECT_EQ(h->io.messages, "WARNING: function top never called, deleted.\n"
                              "WARNING: function middle never called, deleted.\n"
                              "WARNING: function leaf never called, deleted.\n");
    EXPECT_EQ(entries(), (Names{"main", "@__strings_", "@__FUNC_MULT"}));
    EXPECT_FALSE(defined("leaf"));
    EXPECT_FALSE(defined("middle"));
    EXPECT_FALSE(defined("top"));
    EXPECT_TRUE(defined("main"));
    // What is left of the node list is main's definition, whole.
    int starts = 0, ends = 0;
    for (const Node* n = h->c.nodes.head(); n != nullptr; n = n->next) {
        starts += n->kind == FUNCSTART;
        ends += n->kind == FUNCEND;
    }
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(ends, 1);
}

TEST_F(CallTreeTest, MainTheInterruptRoutineAndAssemblyFunctionsStay) {
    parse("void main(void) { }\nvoid __interrupt(void) { }\nvoid __asm_uart(void) { }\n"
          "void lonely(void) { }\n");
    EXPECT_EQ(removeAll(), 1);
    EXPECT_EQ(h->io.messages, "WARNING: function lonely never called, deleted.\n");
    EXPECT_TRUE(defined("main"));
    EXPECT_TRUE(defined("__interrupt"));
    EXPECT_TRUE(defined("__asm_uart"));
}

TEST_F(CallTreeTest, ACallFromAssemblyKeepsItsTarget) {
    parse("void byAsm(void) { }\nvoid byInstruction(void) { }\nvoid unused(void) { }\n"
          "void main(void) { asm( call byAsm ); }\n");
    emit(h->c, PIC_CALL, "byInstruction");
    EXPECT_EQ(removeAll(), 1);
    EXPECT_EQ(h->io.messages, "WARNING: function unused never called, deleted.\n");
    EXPECT_TRUE(defined("byAsm"));
    EXPECT_TRUE(defined("byInstruction"));
}

TEST_F(CallTreeTest, ARecursiveFunctionNobodyElseCallsStaysAndNothingUndefinedIsCut) {
    // Its own call names it; prototypes and the runtime routines have no definition to cut.
    parse("int proto(int a);\nvoid self(void) { self(); }\nvoid main(void) { }\n");
    EXPECT_EQ(removeAll(), 0);
    EXPECT_TRUE(defined("self"));
    EXPECT_NE(findcall(h->c.callTree, "@__FUNC_MULT"), nullptr);
}

TEST_F(CallTreeTest, APrototypeBetweenDefinitionsDoesNotMisleadTheCut) {
    parse("void a(void) { }\nvoid b(void);\nvoid b(void) { }\nvoid main(void) { a(); }\n");
    EXPECT_EQ(removeAll(), 1);
    EXPECT_TRUE(defined("a"));
    EXPECT_FALSE(defined("b"));
}

TEST_F(CallTreeTest, ACallInAnotherCallsArgumentsIsMadeByTheFunctionItIsWrittenIn) {
    parse("char g(void) { return 1; }\nvoid f(char a, char b) { }\n"
          "void main(void) { f(1, g()); }\n");
    EXPECT_EQ(calls("main"), (Names{"f", "g"}));
    EXPECT_EQ(calls("f"), Names{});
    EXPECT_TRUE(h->c.ram->extraCalls.empty());
}

TEST_F(CallTreeTest, FunctionPageIsTheEntrysPage) {
    parse("void main(void) { }\n");
    EXPECT_EQ(functionpage(h->c, "main"), -1);
    findcall(h->c.callTree, "main")->page = 2;
    EXPECT_EQ(functionpage(h->c, "main"), 2);
    EXPECT_EQ(functionpage(h->c, "nothing"), -1);
}

// --- Unused variables and temporaries, call vectors (after code generation) -----------------

TEST(UnusedSymbols, VariablesNoInstructionNamesAreDeletedWithAWarning) {
    testing::MemoryRun run("char used, unused;\nstruct tag { char m; };\n"
                           "void main(void) { char local, idle; used = 1; local = used; }\n");
    const std::string said = run.messages();
    EXPECT_NE(said.find("WARNING: Variable unused never used, deleting.\n"), std::string::npos);
    EXPECT_NE(said.find("WARNING: Variable idle never used, deleting.\n"), std::string::npos);
    EXPECT_EQ(said.find("Variable used "), std::string::npos);
    EXPECT_EQ(said.find("Variable local "), std::string::npos);
    EXPECT_EQ(said.find("Variable tag "), std::string::npos); // tags stay
    EXPECT_EQ(said.find("@__"), std::string::npos);           // so do the compiler's registers
    EXPECT_EQ(run.symbol("unused", GlobalScope), nullptr);
    EXPECT_NE(findtag(run.c(), "tag"), nullptr);
}

TEST(UnusedSymbols, FunctionsAndEnumeratorsAreNotVariables) {
    // Without RESET_LOC nothing names main: no reset jump is made.
    const std::string noResetJump = "#pragma CCTEMP_LOC 12\n#pragma PAGEBITS_LOC 3\n"
                                    "#pragma BANK_START_00 8\n#pragma BANK_END_00 11\n";
    testing::MemoryRun run("enum colour { RED, GREEN };\nchar x;\n"
                           "void main(void) { x = 1; }\n",
                           1, noResetJump);
    const std::string said = run.messages();
    EXPECT_EQ(said.find("never used"), std::string::npos) << said;
    EXPECT_TRUE(run.c().symbols.byName.contains("main"));
    EXPECT_TRUE(run.c().symbols.byName.contains("GREEN"));
}

TEST(UnusedSymbols, TheFirstSymbolIsCheckedLastAndWithoutItsTagAndStringExemptions) {
    testing::InProcessCompile run;
    run.run(std::string(testing::SmallChip) + "void main(void) { }\n");
    Compilation& c = run.c;
    Symbol* first =
        addsym(c, c.symbols.main, 0, STRUCT_NAME, 0, "_str_first", GlobalScope, "", SIGNED, 0);
    // Put it at the head of the list.
    Symbol* previous = c.symbols.main.head;
    while (previous->next != first)
        previous = previous->next;
    previous->next = nullptr;
    c.symbols.main.tail = previous;
    first->next = c.symbols.main.head;
    c.symbols.main.head = first;
    addsym(c, c.symbols.main, 0, STRUCT_NAME, 0, "tagLater", GlobalScope, "", SIGNED, 0);
    const std::size_t before = run.io.messages.size();
    deleteunusedvars(c);
    const std::string said = run.io.messages.substr(before);
    EXPECT_TRUE(said.ends_with("WARNING: Variable _str_first never used, deleting.\n")) << said;
    EXPECT_EQ(said.find("tagLater"), std::string::npos);
    EXPECT_NE(c.symbols.main.head, first);
}

TEST(UnusedSymbols, UnusedTemporariesGoSilently) {
    testing::InProcessCompile run;
    run.run(std::string(testing::SmallChip) + "char x;\nvoid main(void) { x = 1; }\n");
    Compilation& c = run.c;
    const std::string spare = newtmp(c, INT);
    freetmp(c, spare);
    const std::size_t before = run.io.messages.size();
    dropunusedtemps(c);
    EXPECT_EQ(findsymin(c, spare, GlobalScope), nullptr);
    EXPECT_EQ(run.io.messages.size(), before);
    EXPECT_NE(findsymin(c, "x", GlobalScope), nullptr);
}

Names vectorsOf(const Compilation& c) {
    Names code;
    for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        if (i->opcode == PIC_STRINGLOC)
            break;
        if (i->opcode == PIC_LABEL || i->opcode == PIC_GOTO)
            code.push_back(testing::describe(*i));
    }
    return code;
}

TEST(CallVectors, EachCalledFunctionOnceBeforeTheStringTableNumbersAndInterruptLeftOut) {
    testing::InProcessCompile run;
    run.run(std::string(testing::SmallChip) +
            "#pragma INTERRUPT_LOC 0\n#pragma RESET_LOC 0x7FF\n"
            "char x;\nvoid g(void) { x = 1; }\nvoid f(void) { g(); x = x * x; g(); }\n"
            "void __interrupt(void) { }\nvoid main(void) { f(); g(); }\n");
    emit(run.c, PIC_CALL, "12");
    makecallvectors(run.c);
    EXPECT_EQ(vectorsOf(run.c),
              (Names{"LABEL @@@@@", "LABEL g", "GOTO @g", "LABEL @__FUNC_MULT",
                     "GOTO @@__FUNC_MULT", "LABEL f", "GOTO @f", "LABEL main", "GOTO @main"}));
}

TEST(CallVectors, NoResetVectorGivesMainAVectorThoughNothingCallsIt) {
    testing::InProcessCompile run;
    run.run(std::string(testing::SmallChip) + "#pragma NO_RESET_VECTOR 1\n"
                                              "void main(void) { }\n");
    makecallvectors(run.c);
    EXPECT_EQ(vectorsOf(run.c), (Names{"LABEL @@@@@", "LABEL main", "GOTO @main"}));
}

} // namespace
} // namespace kavo
