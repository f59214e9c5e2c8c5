#include "compiler/base/kinds.hpp"
#include "compiler/codegen/item_list.hpp"
#include "compiler/symbols/expression_checks.hpp"
#include "compiler/symbols/symbols.hpp"
#include "tests/support/capture_io.hpp"

#include <gtest/gtest.h>

namespace kavo {
namespace {

class ExpressionChecksTest : public ::testing::Test {
protected:
    ExpressionChecksTest() {
        pushscope(c, GlobalScope);
        declare("ch", CHAR, SIGNED);
        declare("uc", CHAR, UNSIGNED);
        declare("lg", LONG, SIGNED);
        Symbol* array = declare("la", ARRAY, SIGNED);
        array->base = LONG;
        Symbol* pointer = declare("p", POINTER, SIGNED);
        pointer->base = INT;
    }
    Symbol* declare(std::string_view name, int type, int sign) {
        return addsym(c, c.symbols.main, 0, type, 0, name, GlobalScope, "", sign, 1);
    }
    // Items from (kind, cval) pairs; constants take their value from cval.
    std::vector<Item*> items(std::initializer_list<std::pair<int, const char*>> list) {
        std::vector<Item*> made;
        for (auto [kind, cval] : list) {
            Item* item = linkItemAfter(c, made.empty() ? nullptr : made.back(), kind, cval);
            item->line = 4;
            if (kind == INTEGER_CONSTANT)
                item->ival = std::stoi(cval);
            made.push_back(item);
        }
        return made;
    }

    CompilerSettings settings;
    testing::CaptureIo io;
    Compilation c{settings, io};
};

TEST_F(ExpressionChecksTest, IdentifiersAreRetaggedBySize) {
    auto e = items({{IDENTIFIER, "ch"}, {IDENTIFIER, "lg"}, {IDENTIFIER, "la"}, {IDENTIFIER, "p"}});
    for (Item* item : e)
        EXPECT_EQ(checkvars(c, nullptr, item), 1);
    EXPECT_EQ(e[0]->kind, IDENTIFIER);
    EXPECT_EQ(e[1]->kind, LONG_IDENTIFIER);
    EXPECT_EQ(e[2]->kind, LONG_IDENTIFIER);
    EXPECT_EQ(e[3]->kind, IDENTIFIER);
    EXPECT_EQ(io.messages, "");
}

TEST_F(ExpressionChecksTest, UndefinedIdentifiers) {
    auto e = items({{IDENTIFIER, "nope"}, {LONG_IDENTIFIER, "gone"}});
    EXPECT_EQ(checkvars(c, nullptr, e[0]), 1);
    EXPECT_EQ(checkvars(c, nullptr, e[1]), 0);
    EXPECT_EQ(io.messages, "ERROR(C19): Line: 4 Identifier nope not defined in current scope.\n"
                           "ERROR(C18): Line: 4 Identifier gone not defined in current scope.\n");
    EXPECT_EQ(c.errors(), 2);
}

TEST_F(ExpressionChecksTest, ConstantsOutOfRangeOfAByte) {
    auto assign = items({{INTEGER_CONSTANT, "300"}, {ASSIGN, "="}, {IDENTIFIER, "ch"}});
    checkvars(c, assign[0], assign[1]);
    auto reversed = items({{IDENTIFIER, "ch"}, {ASSIGN, "="}, {INTEGER_CONSTANT, "3"}});
    checkvars(c, reversed[0], reversed[1]);
    auto plus = items({{PLUS, "+"}, {IDENTIFIER, "ch"}, {INTEGER_CONSTANT, "256"}});
    checkvars(c, nullptr, plus[0]);
    auto plus2 = items({{PLUS, "+"}, {INTEGER_CONSTANT, "999"}, {IDENTIFIER, "ch"}});
    checkvars(c, nullptr, plus2[0]);
    auto fine = items({{PLUS, "+"}, {IDENTIFIER, "ch"}, {INTEGER_CONSTANT, "255"}});
    checkvars(c, nullptr, fine[0]);
    EXPECT_EQ(io.messages, "WARNING(C254): Line: 4 Constant value out of range.\n"
                           "WARNING(C255): Line: 4 Constant value out of range.\n"
                           "WARNING(C252): Line: 4 Constant value out of range.\n"
                           "WARNING(C253): Line: 4 Constant value out of range.\n");
    EXPECT_EQ(c.errors(), 0);
    EXPECT_EQ(checkvars(c, nullptr, nullptr), 0);
}

TEST_F(ExpressionChecksTest, SignOfAnOperation) {
    auto signedPlus = items({{PLUS, "+"}, {IDENTIFIER, "ch"}, {IDENTIFIER, "ch"}});
    EXPECT_EQ(setsign(c, nullptr, signedPlus[0], SIGNED), SIGNED);
    auto mixed = items({{PLUS, "+"}, {IDENTIFIER, "ch"}, {IDENTIFIER, "uc"}});
    EXPECT_EQ(setsign(c, nullptr, mixed[0], SIGNED), UNSIGNED);
    auto bigByte = items({{MINUS, "-"}, {IDENTIFIER, "ch"}, {INTEGER_CONSTANT, "128"}});
    EXPECT_EQ(setsign(c, nullptr, bigByte[0], SIGNED), UNSIGNED);
    auto smallByte = items({{MINUS, "-"}, {INTEGER_CONSTANT, "127"}, {IDENTIFIER, "ch"}});
    EXPECT_EQ(setsign(c, nullptr, smallByte[0], SIGNED), SIGNED);
    // An unsigned variable keeps the operation unsigned even against a small constant.
    auto unsignedByte = items({{MINUS, "-"}, {INTEGER_CONSTANT, "7"}, {IDENTIFIER, "uc"}});
    EXPECT_EQ(setsign(c, nullptr, unsignedByte[0], SIGNED), UNSIGNED);
    auto bigWord = items({{PLUS, "+"}, {LONG_IDENTIFIER, "lg"}, {INTEGER_CONSTANT, "32768"}});
    EXPECT_EQ(setsign(c, nullptr, bigWord[0], SIGNED), UNSIGNED);
    auto pointer = items({{IDENTIFIER, "p"}});
    EXPECT_EQ(setsign(c, nullptr, pointer[0], SIGNED), UNSIGNED);
    auto other = items({{SEMICOL, ";"}});
    EXPECT_EQ(setsign(c, nullptr, other[0], UNSIGNED), UNSIGNED);
    EXPECT_EQ(io.messages, "");
    EXPECT_EQ(setsign(c, nullptr, nullptr, SIGNED), 0);
    EXPECT_EQ(io.messages, "WARNING: setsign, got null pointer!\n");
}

} // namespace
} // namespace kavo
