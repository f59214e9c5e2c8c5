#include "compiler/base/kinds.hpp"
#include "compiler/run/compilation.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/symbols/types.hpp"
#include "tests/support/capture_io.hpp"

#include <gtest/gtest.h>

namespace kavo {
namespace {

class TypesTest : public ::testing::Test {
protected:
    TypesTest() { pushscope(c, GlobalScope); }

    Symbol* declare(SymbolList& list, std::string_view name, int type,
                    std::string_view typeName = "") {
        return addsym(c, list, 0, type, 0, name, GlobalScope, typeName, SIGNED, 1);
    }
    Symbol* declare(std::string_view name, int type, std::string_view typeName = "") {
        return declare(c.symbols.main, name, type, typeName);
    }

    CompilerSettings settings;
    testing::CaptureIo io;
    Compilation c{settings, io};
};

TEST_F(TypesTest, ScalarSizes) {
    EXPECT_EQ(typesize(c, nullptr, CHAR, ""), 1);
    EXPECT_EQ(typesize(c, nullptr, SHORT, ""), 1);
    EXPECT_EQ(typesize(c, nullptr, INT, ""), 1);
    EXPECT_EQ(typesize(c, nullptr, LONG, ""), 2);
    EXPECT_EQ(typesize(c, nullptr, VOID, ""), 0);
    EXPECT_EQ(typesize(c, nullptr, FARPOINTER, ""), 2);
    Symbol charPointer;
    charPointer.base = CHAR;
    EXPECT_EQ(typesize(c, &charPointer, POINTER, ""), 2);
    Symbol intPointer;
    intPointer.base = INT;
    EXPECT_EQ(typesize(c, &intPointer, POINTER, ""), 1);
    EXPECT_EQ(io.messages, "");
    EXPECT_EQ(typesize(c, nullptr, INTEGER_CONSTANT, ""), 1);
    EXPECT_EQ(io.messages, "UNKNOWN type size? 361\n");
}

TEST_F(TypesTest, StructMembersRunAndUnionMembersOverlap) {
    Symbol* s = declare("s", STRUCT_NAME);
    declare(s->members, "a", CHAR);
    declare(s->members, "b", LONG);
    declare(s->members, "c", CHAR);
    Symbol* u = declare("u", UNION_NAME);
    declare(u->members, "a", CHAR);
    declare(u->members, "b", LONG);
    declare(u->members, "c", CHAR);
    Symbol* v = declare("v", STRUCT, "s");
    setsizes(c);
    EXPECT_EQ(s->size, 4);
    EXPECT_EQ(findmember(s->members, "a")->offset, 0);
    EXPECT_EQ(findmember(s->members, "b")->offset, 1);
    EXPECT_EQ(findmember(s->members, "c")->offset, 3);
    EXPECT_EQ(u->size, 2);
    for (const char* m : {"a", "b", "c"})
        EXPECT_EQ(findmember(u->members, m)->offset, 0) << m;
    EXPECT_EQ(v->size, 4);
    EXPECT_EQ(v->offset, -1) << "aggregate variables keep their offset";
}

TEST_F(TypesTest, NestedAggregatesAreSizedThroughTheirTags) {
    Symbol* inner = declare("inner", STRUCT_NAME);
    declare(inner->members, "x", LONG);
    declare(inner->members, "y", LONG);
    Symbol* outer = declare("outer", STRUCT_NAME);
    declare(outer->members, "tag", CHAR);
    declare(outer->members, "in", STRUCT, "inner");
    setsizes(c);
    EXPECT_EQ(outer->size, 5);
    EXPECT_EQ(findmember(outer->members, "in")->size, 4);
}

TEST_F(TypesTest, UnknownAndSelfContainingTagsHaveNoSize) {
    Symbol* loop = declare("loop", STRUCT_NAME);
    declare(loop->members, "self", STRUCT, "loop");
    declare("w", STRUCT, "missing");
    setsizes(c);
    EXPECT_EQ(loop->size, 0);
    EXPECT_NE(io.messages.find("Symbol: loop: Unknown size!\n"), std::string::npos);
    EXPECT_NE(io.messages.find("Symbol: missing: Unknown size!\n"), std::string::npos);
}

TEST_F(TypesTest, FunctionsTakeTheSizeOfTheirReturnType) {
    Symbol* f = declare("f", FUNCNAME);
    f->base = LONG;
    setsizes(c);
    EXPECT_EQ(f->size, 2);
    EXPECT_EQ(f->offset, -1);
    EXPECT_EQ(typesize(c, nullptr, FUNCNAME, "nothing"), -1);
}

TEST_F(TypesTest, ASymbolWithoutTypeIsC20Once) {
    declare("x", 0);
    setsizes(c);
    setsizes(c);
    EXPECT_EQ(io.messages, "ERROR(C20): Unknown type 0 () (x)\n");
    EXPECT_EQ(c.errors(), 1);
}

} // namespace
} // namespace kavo
