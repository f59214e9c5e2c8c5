#include "compiler/base/number_reader.hpp"
#include "compiler/base/word_splitter.hpp"
#include "compiler/preprocessor/comment_stripper.hpp"

#include <gtest/gtest.h>

namespace kavo {
namespace {

TEST(NumberReader, BasesFollowThePrefix) {
    EXPECT_EQ(readCompilerNumber("2047"), 2047u);
    EXPECT_EQ(readCompilerNumber("0x7FF"), 2047u);
    EXPECT_EQ(readCompilerNumber("0X7ff"), 2047u);
    EXPECT_EQ(readCompilerNumber("0777"), 511u);
    EXPECT_EQ(readCompilerNumber("0"), 0u);
}

TEST(NumberReader, StopsAtTheFirstCharacterOutsideTheBase) {
    EXPECT_EQ(readCompilerNumber("12abc"), 12u);
    EXPECT_EQ(readCompilerNumber("089"), 0u);
    EXPECT_EQ(readCompilerNumber("0x1G"), 1u);
    EXPECT_EQ(readCompilerNumber("10\n5"), 10u);
    EXPECT_EQ(readCompilerNumber("0x"), 0u);
}

TEST(NumberReader, HasNoSignAndReadsNonsenseAsZero) {
    EXPECT_EQ(readCompilerNumber(""), 0u);
    EXPECT_EQ(readCompilerNumber("abc"), 0u);
    EXPECT_EQ(readCompilerNumber("-5"), 0u);
    EXPECT_EQ(readCompilerNumber("4294967297"), 1u) << "wraps at 32 bits";
}

TEST(WordSplitter, BlanksAndTabsSeparateAndDoubleSlashEnds) {
    const SplitLine split = splitWords("  #define\tX  1 // comment words\n");
    EXPECT_EQ(split.words, (std::vector<std::string>{"#define", "X", "1"}));
    EXPECT_EQ(split.offsets, (std::vector<std::size_t>{2, 10, 13}));
    EXPECT_EQ(split.restFrom("  #define\tX  1 // comment words\n", 2), "1 // comment words\n");
    EXPECT_EQ(split.word(5), "");
}

TEST(WordSplitter, AnEmptyLineIsOneEmptyWord) {
    for (const char* line : {"", "\n", "   \t ", "// only a comment"}) {
        const SplitLine split = splitWords(line);
        ASSERT_EQ(split.count(), 1u) << line;
        EXPECT_EQ(split.word(0), "");
    }
}

TEST(WordSplitter, DoubleSlashInsideAWordEndsIt) {
    EXPECT_EQ(splitWords("a//b c").words, (std::vector<std::string>{"a"}));
    EXPECT_EQ(splitWords("x\ny").words, (std::vector<std::string>{"x"}));
}

TEST(CommentStripper, BlockStateCarriesOver) {
    bool inBlock = false;
    EXPECT_EQ(stripComments("a /* b", inBlock), "a \n");
    EXPECT_TRUE(inBlock);
    EXPECT_EQ(stripComments("c */ d /* e */ f", inBlock), " d  f\n");
    EXPECT_FALSE(inBlock);
    EXPECT_EQ(stripComments("*/ stays", inBlock), "*/ stays\n");
}

} // namespace
} // namespace kavo
