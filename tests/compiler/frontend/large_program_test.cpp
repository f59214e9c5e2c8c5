#include "bench/frontend/generated_program.hpp"
#include "tests/compiler/frontend/frontend_harness.hpp"

#include <gtest/gtest.h>

namespace kavo::testing {
namespace {

// Far more nodes than one append walk may pass: every append must link directly at a known
// end, or the list walk stops the run as "program too long".
TEST(LargePrograms, TwentyThousandLinesBuildOneListWithoutLongWalks) {
    FrontEndHarness h(bench::generatedProgram(20000));
    ASSERT_EQ(h.parse(), 0) << h.io.messages;
    std::size_t nodes = 0;
    const Node* last = nullptr;
    for (const Node* n = h.c.nodes.head(); n != nullptr; n = n->next) {
        ++nodes;
        last = n;
    }
    EXPECT_GT(nodes, 250000u);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->kind, NULLFUNC) << "main's definition ends the list";
    EXPECT_EQ(h.io.messages, "");
}

TEST(LargePrograms, OneHugeFunctionBodyToo) {
    std::string text = "void f() {\n";
    for (int i = 0; i < 20000; ++i)
        text += "  a = a + 1;\n";
    text += "}\n";
    FrontEndHarness h(text);
    ASSERT_EQ(h.parse(), 0) << h.io.messages;
}

} // namespace
} // namespace kavo::testing
