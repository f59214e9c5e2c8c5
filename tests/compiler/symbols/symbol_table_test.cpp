#include "compiler/base/fatal_stop.hpp"
#include "compiler/base/kinds.hpp"
#include "compiler/run/compilation.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/symbols/types.hpp"
#include "tests/support/capture_io.hpp"

#include <gtest/gtest.h>

namespace kavo {
namespace {

class SymbolTableTest : public ::testing::Test {
protected:
    SymbolTableTest() { pushscope(c, GlobalScope); }

    Symbol* declare(std::string_view name, int type = INT, int line = 1) {
        return addsym(c, c.symbols.main, 0, type, 0, name, curscope(c), "", SIGNED, line);
    }

    CompilerSettings settings;
    testing::CaptureIo io;
    Compilation c{settings, io};
};

TEST_F(SymbolTableTest, NewSymbolsStartUnplacedAndKeepInsertionOrder) {
    c.codegen.functionName = "main";
    Symbol* a = declare("a");
    Symbol* b = declare("b", LONG);
    EXPECT_EQ(c.symbols.main.head, a);
    EXPECT_EQ(a->next, b);
    EXPECT_EQ(a->addr, -1);
    EXPECT_EQ(a->offset, -1);
    EXPECT_EQ(a->size, 0);
    EXPECT_EQ(a->owner, "main");
    EXPECT_EQ(declare("_tmp_9")->owner, "") << "compiler temporaries belong to no function";
}

TEST_F(SymbolTableTest, TwiceAtFileLevelIsOneC116) {
    declare("a", INT, 3);
    declare("a", INT, 4);
    EXPECT_EQ(io.messages, "ERROR(C116): Line: 4 Identifier a previously defined.\n");
    EXPECT_EQ(c.errors(), 1);
    EXPECT_EQ(c.symbols.main.count, 2) << "the record is entered all the same";
}

TEST_F(SymbolTableTest, TwiceInAFunctionIsC116AndC117) {
    pushscope(c, "f");
    declare("a", INT, 5);
    declare("a", INT, 6);
    EXPECT_EQ(io.messages, "ERROR(C116): Line: 6 Identifier a previously defined.\n"
                           "ERROR(C117): Line: 6 Identifier a previously defined.\n");
}

TEST_F(SymbolTableTest, AnInnerBlockMayHideAnyNameButABodyNotAParameter) {
    declare("x");
    pushscope(c, "f");
    Symbol* local = declare("x");
    EXPECT_EQ(io.messages, "");
    EXPECT_EQ(findsym(c, "x"), local) << "the innermost scope wins";
    EXPECT_EQ(scopeof(c, "x"), "f");
    pushscope(c, "_TMPSCOPE_0");
    c.symbols.functionBodyScope = "_TMPSCOPE_0";
    declare("x", INT, 9);
    EXPECT_EQ(io.messages, "ERROR(C117): Line: 9 Identifier x previously defined.\n");
    pushscope(c, "_TMPSCOPE_1");
    Symbol* inner = declare("x", INT, 10);
    EXPECT_EQ(io.messages, "ERROR(C117): Line: 9 Identifier x previously defined.\n");
    EXPECT_EQ(findsym(c, "x"), inner);
    popscope(c);
    popscope(c);
    popscope(c);
    EXPECT_EQ(scopeof(c, "x"), GlobalScope);
}

TEST_F(SymbolTableTest, AFunctionNamedLikeAGlobalIsC116AndFunctionsAreGlobal) {
    declare("count", INT, 2);
    declare("count", FUNCNAME, 7);
    EXPECT_EQ(io.messages, "ERROR(C116): Line: 7 Identifier count previously defined.\n");
    pushscope(c, "f");
    addsym(c, c.symbols.main, 0, FUNCNAME, 0, "g", "f", "", SIGNED, 8);
    EXPECT_TRUE(definedin(c, "g", GlobalScope));
}

TEST_F(SymbolTableTest, ReservedNamesBypassTheChecks) {
    declare("@__fsr__");
    declare("@__fsr__");
    EXPECT_EQ(c.errors(), 0);
}

TEST_F(SymbolTableTest, AFullListIsAFatalStop) {
    for (int i = 0; i < MaxSymbolsPerList; ++i)
        addsym(c, c.symbols.main, 0, INT, 0, "@x", GlobalScope, "", SIGNED, 1);
    try {
        declare("@one_more");
        FAIL() << "no fatal stop";
    } catch (const FatalStop& stop) {
        EXPECT_EQ(stop.location, 27);
    }
    EXPECT_EQ(io.messages, "FATAL: append failure, list too long!!!\n");
}

TEST_F(SymbolTableTest, ScopeStack) {
    pushscope(c, "main");
    EXPECT_EQ(curscope(c), "main");
    EXPECT_TRUE(inscope(c, GlobalScope));
    EXPECT_TRUE(inscope(c, "main"));
    EXPECT_FALSE(inscope(c, "f"));
    EXPECT_EQ(popscope(c), "main");
    EXPECT_EQ(popscope(c), GlobalScope);
    EXPECT_EQ(popscope(c), "") << "popping an empty stack is harmless";
}

TEST_F(SymbolTableTest, TemporariesAreReusedByPoolOrderSizeAndSign) {
    setsizes(c);
    const std::string t0 = newtmp(c, INT);
    const std::string t1 = newtmp(c, INT);
    EXPECT_EQ(t0, "_tmp_0");
    EXPECT_EQ(t1, "_tmp_1");
    freetmp(c, t1);
    freetmp(c, t0);
    EXPECT_EQ(newtmp(c, CHAR), "_tmp_0") << "the lowest free one of the same size";
    EXPECT_EQ(newtmp(c, LONG), "_tmp_2") << "a different size makes a new one";
    c.codegen.expressionSign = UNSIGNED;
    EXPECT_EQ(newtmp(c, INT), "_tmp_3") << "a different sign makes a new one";
    EXPECT_EQ(getsize(c, "_tmp_2"), 2);
    EXPECT_EQ(getbase(c, "_tmp_2"), LONG);
    EXPECT_EQ(getsign(c, "_tmp_3"), UNSIGNED);
}

TEST_F(SymbolTableTest, TemporariesOnTheGeneratorStacksStayInUse) {
    const std::string t0 = newtmp(c, INT);
    c.symbols.temporaryStack.push_back(t0);
    freetmp(c, t0);
    EXPECT_EQ(newtmp(c, INT), "_tmp_1");
    freetmp(c, "");
    EXPECT_EQ(io.messages, "Attempt to return null temp variable!\n");
}

TEST_F(SymbolTableTest, SwitchVariablesParameterSlotsAndLabels) {
    EXPECT_EQ(newswt(c), "_swt_0");
    EXPECT_EQ(newswt(c), "_swt_1");
    freeswt(c, "_swt_0");
    EXPECT_EQ(newswt(c), "_swt_0");
    EXPECT_EQ(newparm(c, 1), "_prm_1");
    EXPECT_EQ(newparm(c, 2), "_prm_2");
    EXPECT_EQ(newparm(c, 1), "_prm_1");
    int slots = 0;
    for (const Symbol* s = c.symbols.main.head; s != nullptr; s = s->next)
        slots += s->name.starts_with("_prm_");
    EXPECT_EQ(slots, 2) << "each slot is made once";
    EXPECT_EQ(newlabel(c), "_BCL_0");
    EXPECT_EQ(newlabel(c), "_BCL_1");
}

TEST_F(SymbolTableTest, GetbaseAndGetaddr) {
    Symbol* p = declare("p", POINTER);
    p->base = CHAR;
    Symbol* ps = declare("ps", POINTER);
    ps->base = STRUCT;
    Symbol* a = declare("a", ARRAY);
    a->base = LONG;
    a->addr = 20;
    EXPECT_EQ(getbase(c, "p"), CHAR);
    EXPECT_EQ(getbase(c, "ps"), INT);
    EXPECT_EQ(getbase(c, "a"), LONG);
    EXPECT_EQ(getbase(c, "nothing"), 0);
    EXPECT_EQ(getaddr(c, "a", GlobalScope), 20);
    EXPECT_EQ(getaddr(c, "a", "f"), -1);
    newparm(c, 1)[0];
    findsym(c, "_prm_1")->addr = 9;
    EXPECT_EQ(getaddr(c, "_prm_1", "any"), 9) << "parameter slots are found by name alone";
}

TEST_F(SymbolTableTest, MostUsedTakesTheBusiestUnplacedSymbolFirst) {
    declare("rare");
    declare("busy");
    declare("tie");
    declare("f", FUNCNAME);
    for (const char* operand : {"busy", "busy", "rare", "tie", "tie"}) {
        Instruction* i = c.instructions.make();
        i->operand = operand;
        c.instructions.append(i);
    }
    countuses(c);
    EXPECT_EQ(findsym(c, "f")->uses, -1);
    EXPECT_EQ(mostused(c)->name, "tie") << "on a tie the later one";
    EXPECT_EQ(mostused(c)->name, "busy");
    EXPECT_EQ(mostused(c)->name, "rare");
    EXPECT_EQ(mostused(c), nullptr);
    EXPECT_EQ(findsym(c, "busy")->uses, -3);
}

TEST_F(SymbolTableTest, GetoffsetFindsMembersAndReportsUnknownNames) {
    Symbol* tag = declare("point", STRUCT_NAME);
    addsym(c, tag->members, 0, CHAR, 0, "x", GlobalScope, "", SIGNED, 1);
    addsym(c, tag->members, 0, LONG, 0, "y", GlobalScope, "", SIGNED, 1);
    setsizes(c);
    EXPECT_EQ(getoffset(c, 3, "point", 0, "y"), 1);
    EXPECT_EQ(getoffset(c, 3, "point", 0, "z"), -1);
    EXPECT_EQ(getoffset(c, 3, "nope", 0, "y"), -1);
    EXPECT_EQ(io.messages, "GETOFFSET: Found y\n"
                           "ERROR(C23): Line 3 Identifier z not found.\n"
                           "ERROR(C21): Line 3 identifier nope not found.\n");
}

} // namespace
} // namespace kavo
