#include "compiler/base/fatal_stop.hpp"
#include "compiler/base/kinds.hpp"
#include "compiler/base/stretch.hpp"
#include "compiler/run/compilation.hpp"
#include "tests/support/capture_io.hpp"

#include <gtest/gtest.h>

namespace kavo {
namespace {

class NodeListTest : public ::testing::Test {
protected:
    Node* node(int kind, const std::string& cval = "x") {
        Node* n = c.nodes.makeNode(kind);
        n->cval = cval;
        return n;
    }
    std::vector<std::string> cvals() const {
        std::vector<std::string> all;
        for (const Node* n = c.nodes.head(); n != nullptr; n = n->next)
            all.push_back(n->cval);
        return all;
    }
    int fatalLocationOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const FatalStop& stop) {
            return stop.location;
        }
        return 0;
    }

    CompilerSettings settings;
    testing::CaptureIo io;
    Compilation c{settings, io};
};

TEST_F(NodeListTest, KindNumbersAndNamesAreFixed) {
    EXPECT_EQ(AUTO, 257);
    EXPECT_EQ(INT, 265);
    EXPECT_EQ(LONG, 266);
    EXPECT_EQ(IDENTIFIER, 367);
    EXPECT_EQ(STRUCT_NAME, 396);
    EXPECT_EQ(UNION_NAME, 400);
    EXPECT_EQ(LOWER_THAN_ELSE, 460);
    EXPECT_EQ(kindName(309), "EQU_MARK");
    EXPECT_EQ(kindName(444), "ASM_START");
    EXPECT_EQ(kindName(256), "");
    EXPECT_EQ(kindName(0), "");
    EXPECT_EQ(CAST, 461); // the first kind that is no token
    EXPECT_EQ(kindName(461), "CAST");
    EXPECT_EQ(kindName(462), "BIT_FIELD");
    EXPECT_EQ(kindName(463), "");
    EXPECT_EQ(kindName(-1), "");
}

TEST_F(NodeListTest, MarkerNodesTakeTheScannersLine) {
    c.currentLine = 42;
    Node* n = c.nodes.makeNode(EXPSTART);
    EXPECT_EQ(n->cval, "ExMk");
    EXPECT_EQ(n->name, "");
    EXPECT_EQ(n->ival, 0);
    EXPECT_EQ(n->line, 42);
    EXPECT_EQ(n->file, nullptr);
    EXPECT_EQ(n->next, nullptr);
}

TEST_F(NodeListTest, AppendBuildsTheGlobalListInOrder) {
    c.nodes.append(1, nullptr, node(IDENTIFIER, "a"));
    c.nodes.append(2, nullptr, node(IDENTIFIER, "b"));
    c.nodes.append(3, nullptr, node(IDENTIFIER, "c"));
    c.nodes.append(4, c.nodes.head(), node(IDENTIFIER, "d"));
    EXPECT_EQ(cvals(), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST_F(NodeListTest, AppendToALocalListLeavesTheGlobalListAlone) {
    Node* local = node(EXPSTART, "local");
    c.nodes.append(1, nullptr, node(IDENTIFIER, "g"));
    c.nodes.append(2, local, node(IDENTIFIER, "l1"));
    c.nodes.append(3, local, node(IDENTIFIER, "l2"));
    c.nodes.append(4, nullptr, node(IDENTIFIER, "g2"));
    EXPECT_EQ(cvals(), (std::vector<std::string>{"g", "g2"}));
    EXPECT_EQ(local->next->cval, "l1");
    EXPECT_EQ(local->next->next->cval, "l2");
}

TEST_F(NodeListTest, NullNodeIsFatalStopSeven) {
    EXPECT_EQ(fatalLocationOf([&] { c.nodes.append(0, nullptr, nullptr); }), fatal::NullAppend);
    EXPECT_EQ(io.messages, "FATAL: Null pointer passed to append!\n");
}

TEST_F(NodeListTest, NodeAlreadyFollowingTheStartIsFatalStopEight) {
    Node* a = node(IDENTIFIER, "a");
    Node* b = node(IDENTIFIER, "b");
    c.nodes.append(0, nullptr, a);
    c.nodes.append(0, nullptr, b);
    c.nodes.append(0, nullptr, node(IDENTIFIER, "c"));
    c.nodes.forgetTailMemo();
    EXPECT_EQ(fatalLocationOf([&] { c.nodes.append(0, nullptr, b); }), fatal::NodeAlreadyInList);
    EXPECT_EQ(io.messages, "FATAL: Node already in list!\nOffending node: b type: IDENTIFIER\n");
}

TEST_F(NodeListTest, AppendingAListToItselfIsRefusedInsteadOfMakingALoop) {
    Node* a = node(IDENTIFIER, "a");
    c.nodes.append(0, nullptr, a);
    EXPECT_EQ(fatalLocationOf([&] { c.nodes.append(0, nullptr, a); }), fatal::NodeAlreadyInList);
    EXPECT_EQ(a->next, nullptr);
}

TEST_F(NodeListTest, TailMemoKeepsLongRunsOfAppendsCheap) {
    // 70,000 appends in a row would pass the walk limit many times over without the memo.
    for (int i = 0; i < 70000; ++i)
        c.nodes.append(0, nullptr, node(INTEGER_CONSTANT, std::to_string(i)));
    EXPECT_EQ(c.nodes.allocated(), 70000u);
    // Once the memo points elsewhere, a walk over the whole list passes the limit.
    Node* other = node(EXPSTART);
    c.nodes.append(0, other, node(IDENTIFIER));
    c.nodes.append(0, other, node(IDENTIFIER));
    EXPECT_EQ(fatalLocationOf([&] { c.nodes.append(0, nullptr, node(IDENTIFIER)); }),
              fatal::ListTooLong);
    EXPECT_NE(io.messages.find("FATAL: append failure, program too long!!!\n"), std::string::npos);
}

TEST_F(NodeListTest, CopiesShareTheFileAndDropTheSuccessor) {
    ParserValue value;
    value.kind = IDENTIFIER;
    value.text = "secondary";
    value.cval = "count";
    value.line = 7;
    value.ival = 3;
    value.file = "prog.c";
    Node* n = c.nodes.nodeFromValue(value);
    n->next = node(SEMICOL);
    Node* copy = c.nodes.myndup(n);
    EXPECT_EQ(copy->name, "secondary");
    EXPECT_EQ(copy->cval, "count");
    EXPECT_EQ(copy->kind, IDENTIFIER);
    EXPECT_EQ(copy->line, 7);
    EXPECT_EQ(copy->ival, 3);
    EXPECT_EQ(copy->file, n->file);
    EXPECT_EQ(copy->file, c.strings.intern("prog.c"));
    EXPECT_EQ(copy->next, nullptr);
    EXPECT_EQ(fatalLocationOf([&] { c.nodes.myndup(nullptr); }), fatal::MyndupBadPointer);
}

TEST_F(NodeListTest, DupidentFindsTheNextIdentifierOrStops) {
    Node* start = node(FUNCNAME);
    start->line = 12;
    start->next = node(POINTER);
    start->next->next = node(IDENTIFIER, "f");
    EXPECT_EQ(c.nodes.dupident(start)->cval, "f");

    Node* lonely = node(SEMICOL);
    lonely->line = 5;
    EXPECT_EQ(fatalLocationOf([&] { c.nodes.dupident(lonely); }), fatal::IdentifierNotFound);
    EXPECT_EQ(io.messages, "ERROR(C06): Line:   5 Identifier not found.\n");
    EXPECT_EQ(c.errors(), 1);
}

TEST_F(NodeListTest, LabelNodesCountFromOneInEveryRun) {
    EXPECT_EQ(c.nodes.newLabelNode()->cval, "_LBL_1");
    Node* second = c.nodes.newLabelNode();
    EXPECT_EQ(second->cval, "_LBL_2");
    EXPECT_EQ(second->kind, DESTLABEL);
    Compilation next(settings, io);
    EXPECT_EQ(next.nodes.newLabelNode()->cval, "_LBL_1");
}

// Builds a node chain from (kind, cval) pairs.
Node* chain(Compilation& c, std::initializer_list<std::pair<int, const char*>> nodes) {
    Node* head = nullptr;
    Node* tail = nullptr;
    for (auto [kind, cval] : nodes) {
        Node* n = c.nodes.makeNode(kind);
        n->cval = cval;
        (tail ? tail->next : head) = n;
        tail = n;
    }
    return head;
}

TEST_F(NodeListTest, CutStretchNestsInnerStretchesAsSublists) {
    Node* first = chain(c, {{IDENTIFIER, "a"},
                            {ASSIGN, "="},
                            {EXPSTART, "ExMk"},
                            {IDENTIFIER, "b"},
                            {EXPSTART, "ExMk"},
                            {INTEGER_CONSTANT, "1"},
                            {EXPEND, "ExMk"},
                            {EXPEND, "ExMk"},
                            {EXPEND, "ExMk"},
                            {SEMICOL, ";"}});
    first->file = c.strings.intern("main.c");
    const Stretch s = cutStretch(c.stretchTables(), first, EXPSTART, EXPEND);
    ASSERT_NE(s.after, nullptr);
    EXPECT_EQ(s.after->kind, SEMICOL);
    ASSERT_NE(s.items, nullptr);
    EXPECT_EQ(s.items->cval, "a");
    const Item* inner = s.items->next->next;
    EXPECT_EQ(inner->kind, EXPSTART);
    EXPECT_EQ(inner->next, nullptr);
    ASSERT_NE(inner->sublist, nullptr);
    EXPECT_EQ(inner->sublist->cval, "b");
    const Item* innermost = inner->sublist->next;
    EXPECT_EQ(innermost->sublist->cval, "1");
    EXPECT_EQ(innermost->sublist->next, nullptr);
    // Nodes without a file take the nearest earlier one.
    EXPECT_EQ(*innermost->sublist->file, "main.c");
}

TEST_F(NodeListTest, CutStretchNotesFunctionNamesAndReportsC07) {
    Node* first = chain(c, {{FUNCNAME, "ExMk"},
                            {POINTER, "*"},
                            {IDENTIFIER, "getp"},
                            {FUNCNAME, "ExMk"},
                            {SEMICOL, ";"},
                            {DEC_LIST_END, "ExMk"}});
    first->next->next->next->line = 9;
    const Stretch s = cutStretch(c.stretchTables(), first, DEC_LIST_START, DEC_LIST_END);
    EXPECT_EQ(s.after, nullptr);
    EXPECT_EQ(c.codegen.functionName, "getp");
    EXPECT_EQ(c.codegen.functionName2, "getp");
    EXPECT_EQ(io.messages, "ERROR(C07): Line: 9 Expecting identifier for function name.\n");
    EXPECT_EQ(c.errors(), 1);
}

TEST_F(NodeListTest, CutStretchSurvivesDeepNestingAndAnUnclosedEnd) {
    Node* head = c.nodes.makeNode(EXPSTART);
    Node* tail = head;
    for (int i = 0; i < 200000; ++i) {
        tail->next = c.nodes.makeNode(EXPSTART);
        tail = tail->next;
    }
    const Stretch s = cutStretch(c.stretchTables(), head, EXPSTART, EXPEND);
    EXPECT_EQ(s.after, nullptr);
    int depth = 0;
    for (const Item* item = s.items; item != nullptr; item = item->sublist)
        ++depth;
    EXPECT_EQ(depth, 200001);
}

} // namespace
} // namespace kavo
