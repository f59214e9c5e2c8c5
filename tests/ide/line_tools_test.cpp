// The line tokenizer, the number reader, the base name and the "Line:" marks.
#include "common/line_tools.hpp"
#include "ide_test_support.hpp"

#include <QTest>

using namespace kavo::ide;

class LineToolsTest : public QObject {
    Q_OBJECT
private slots:
    void tokensAreSeparatedByBlanksTabsAndLineEnds() {
        const auto tokens = kavo::common::tokenizeLine("  OBJ_DIR\t./out/  \r\n");
        QCOMPARE(tokens, (std::vector<std::string>{"OBJ_DIR", "./out/"}));
    }
    void aDoubleSlashEndsTheLine() {
        QCOMPARE(kavo::common::tokenizeLine("SERIAL_PORT 2 // the second port"),
                 (std::vector<std::string>{"SERIAL_PORT", "2"}));
        QVERIFY(kavo::common::tokenizeLine("// only a comment").empty());
        QVERIFY(kavo::common::tokenizeLine("   \t ").empty());
    }
    void aLineHoldsAtMost256Tokens() {
        std::string line;
        for (int i = 0; i < 300; ++i)
            line += std::to_string(i) + " ";
        const auto tokens = kavo::common::tokenizeLine(line);
        QCOMPARE(tokens.size(), kavo::common::MaxLineTokens);
        QCOMPARE(tokens.back(), std::string("255"));
    }
    void numbersReadInTheirBase() {
        QCOMPARE(kavo::common::readIdeNumber("12"), 12);
        QCOMPARE(kavo::common::readIdeNumber("0x10"), 16);
        QCOMPARE(kavo::common::readIdeNumber("0X1f"), 31);
        QCOMPARE(kavo::common::readIdeNumber("017"), 15);
        QCOMPARE(kavo::common::readIdeNumber("-0x10"), -16);
        QCOMPARE(kavo::common::readIdeNumber("42abc"), 42);
        QCOMPARE(kavo::common::readIdeNumber("09"), 0); // 9 is not an octal digit
        QCOMPARE(kavo::common::readIdeNumber(""), 0);
    }
    void theBaseNameDropsFolderAndEverythingAfterTheFirstDot() {
        QCOMPARE(kavo::common::baseName("src/blink.c"), std::string("blink"));
        QCOMPARE(kavo::common::baseName("C:\\work\\my.test.c"), std::string("my"));
        QCOMPARE(kavo::common::baseName("/home/u/untitled.c"), std::string("untitled"));
        QCOMPARE(kavo::common::baseName(""), std::string(""));
        QCOMPARE(kavo::common::baseName("noextension"), std::string("noextension"));
    }
    void aMessageJumpsToTheLineAfterLine() {
        const int lines = 30;
        QCOMPARE(
            kavo::common::markedSourceLine("ERROR(C63): Line: 12 Identifier b not found.", lines),
            std::optional<int>(11));
        QCOMPARE(kavo::common::markedSourceLine("ERROR(C63): Line: 0x10 x", lines),
                 std::optional<int>(15));
        QCOMPARE(kavo::common::markedSourceLine("002- CC8   MOV W,#200     ; Line: 11", lines),
                 std::optional<int>(10));
    }
    void theFirstLineAndLinesBeyondTheTextAreNoTargets() {
        QCOMPARE(kavo::common::markedSourceLine("ERROR(C02): Line: 1 missing", 30), std::nullopt);
        QCOMPARE(kavo::common::markedSourceLine("ERROR(C02): Line: 31 beyond", 30), std::nullopt);
        QCOMPARE(kavo::common::markedSourceLine("Compilation completed successfully.", 30),
                 std::nullopt);
        QCOMPARE(kavo::common::markedSourceLine("ends with Line:", 30), std::nullopt);
        QCOMPARE(kavo::common::markedSourceLine("", 30), std::nullopt);
    }
    void theMarksOfACompileAreItsErrorAndWarningLines() {
        const auto marks =
            kavo::common::messageMarks("Preprocessing x.c\n"
                                       "WARNING: Line: 4 something odd\n"
                                       "ERROR(C63): Line: 5 Identifier b not found.\n"
                                       "ERROR(C64): Line: 5 again\n"
                                       "ERROR(F01): no line here\n"
                                       "Found 2 errors.\n");
        QCOMPARE(marks.size(), std::size_t(2));
        QCOMPARE(marks[0].line, 3);
        QVERIFY(!marks[0].error);
        QCOMPARE(marks[1].line, 4);
        QVERIFY(marks[1].error);
    }
};

KAVO_IDE_TEST(LineToolsTest)
#include "line_tools_test.moc"
