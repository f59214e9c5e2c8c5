// The editor: the forward search without wrap, undo and the clipboard commands, the
// colouring of C and of the SX extensions, line numbers and message marks.
#include "ide/c_highlighter.hpp"
#include "ide/find_dialog.hpp"
#include "ide/lumadesk_window.hpp"
#include "ide/source_editor.hpp"
#include "ide_test_support.hpp"

#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

using namespace kavo::ide;
using namespace kavo::ide::testing;

namespace {

struct Editor {
    WorkingFolder folder;
    ScriptedDialogs dialogs;
    TLumadesk w{&dialogs};

    explicit Editor(const QString& text) { w.EditWindow->setPlainText(text); }
    void caretAt(int position) {
        QTextCursor caret(w.EditWindow->document());
        caret.setPosition(position);
        w.EditWindow->setTextCursor(caret);
    }
    int selectionStart() const { return w.EditWindow->textCursor().selectionStart(); }
    QString selected() const { return w.EditWindow->textCursor().selectedText(); }
};

// The colour the highlighter gave the character at column in the first line of text.
QColor colourAt(const QString& text, int column) {
    QTextDocument document;
    CHighlighter highlighter(&document);
    document.setPlainText(text);
    highlighter.rehighlight();
    QTextBlock block = document.firstBlock();
    int offset = column;
    while (offset >= block.length()) {
        offset -= block.length();
        block = block.next();
    }
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        if (offset >= range.start && offset < range.start + range.length)
            return range.format.foreground().color();
    return QColor();
}

QColor colourOf(CHighlighter::Kind kind) {
    return CHighlighter::formatOf(kind).foreground().color();
}

} // namespace

class EditorTest : public QObject {
    Q_OBJECT
private slots:
    void init() { seedSettingsStore(); }

    void findGoesForwardFromTheCaretAndSelectsTheMatch() {
        Editor e("count = 1;\ncount++;\nCount--;\n");
        e.caretAt(3);
        e.w.FindDialog1->setFindText("count");
        e.w.FindDialog1Find();
        QCOMPARE(e.selectionStart(), 11);
        QCOMPARE(e.selected(), QString("count"));
    }
    void nextStartsAfterTheCurrentMatchAndIsCaseSensitive() {
        Editor e("count = 1;\ncount++;\nCount--;\n");
        e.caretAt(0);
        e.w.FindDialog1->setFindText("count");
        e.w.FindDialog1Find();
        QCOMPARE(e.selectionStart(), 0);
        e.w.Next1Click();
        QCOMPARE(e.selectionStart(), 11);
        e.w.Next1Click(); // "Count" does not match
        QCOMPARE(e.selectionStart(), 11);
        QCOMPARE(e.selected(), QString("count"));
    }
    void findAfterTheLastOccurrenceDoesNotWrap() {
        Editor e("abc abc xyz");
        e.caretAt(8);
        e.w.FindDialog1->setFindText("abc");
        e.w.FindDialog1Find();
        QCOMPARE(e.w.EditWindow->textCursor().position(), 8);
        QVERIFY(!e.w.EditWindow->textCursor().hasSelection());
        QVERIFY(e.dialogs.asked.empty());
    }
    void undoAndTheClipboardCommandsActOnTheEditor() {
        Editor e("alpha");
        e.w.EditWindow->document()->setModified(false);
        e.w.SelectAllClick();
        e.w.Cut1Click();
        QVERIFY(e.w.EditWindow->toPlainText().isEmpty());
        e.w.Paste1Click();
        e.w.Paste1Click();
        QCOMPARE(e.w.EditWindow->toPlainText(), QString("alphaalpha"));
        e.w.Undo1Click();
        QCOMPARE(e.w.EditWindow->toPlainText(), QString("alpha"));
    }
    void keywordsNumbersStringsAndCommentsAreColoured() {
        QCOMPARE(colourAt("unsigned char x;", 0), colourOf(CHighlighter::Kind::Keyword));
        QCOMPARE(colourAt("unsigned char x;", 14), QColor());
        QCOMPARE(colourAt("x = 0x1F;", 5), colourOf(CHighlighter::Kind::Number));
        QCOMPARE(colourAt("s = \"while\";", 6), colourOf(CHighlighter::Kind::String));
        QCOMPARE(colourAt("x = 1; // while", 10), colourOf(CHighlighter::Kind::Comment));
        QCOMPARE(colourAt("#pragma ROM_END 0x7FF", 1), colourOf(CHighlighter::Kind::Directive));
        QCOMPARE(colourAt("forward = 2;", 0), QColor()); // a keyword only as a whole word
    }
    void theSxExtensionsAreColoured() {
        QCOMPARE(colourAt("void __interrupt isr(void)", 6),
                 colourOf(CHighlighter::Kind::Extension));
        QCOMPARE(colourAt("unsigned char portb @ 0x06;", 20),
                 colourOf(CHighlighter::Kind::Extension));
        QCOMPARE(colourAt("asm { MOV W,#1 }", 0), colourOf(CHighlighter::Kind::Extension));
    }
    void aBlockCommentSpansLines() {
        const QString text = "int a; /* starts\nwhile inside\nends */ int b;";
        QCOMPARE(colourAt(text, 8), colourOf(CHighlighter::Kind::Comment));
        QCOMPARE(colourAt(text, 18), colourOf(CHighlighter::Kind::Comment));
        QCOMPARE(colourAt(text, 35), colourOf(CHighlighter::Kind::Comment));
        QCOMPARE(colourAt(text, 38), colourOf(CHighlighter::Kind::Keyword));
    }
    void theLineNumberMarginWidensWithTheLineCount() {
        Editor e("one line");
        const int narrow = e.w.EditWindow->lineNumberWidth();
        e.w.EditWindow->setPlainText(QString("x\n").repeated(1200));
        QVERIFY(e.w.EditWindow->lineNumberWidth() > narrow);
    }
    void messageMarksColourTheirLines() {
        Editor e("a\nb\nc\n");
        e.w.EditWindow->setMessageMarks({{1, true}, {2, false}, {40, true}});
        const auto selections = e.w.EditWindow->extraSelections();
        // The caret's line, then the marks; a mark beyond the text is dropped.
        QCOMPARE(selections.size(), 3);
        QCOMPARE(selections[0].cursor.blockNumber(), e.w.EditWindow->caretLine());
        QCOMPARE(selections[1].cursor.blockNumber(), 1);
        QVERIFY(selections[1].format.background() != selections[2].format.background());
    }
    void tabsAreFourColumnsAndReturnKeepsTheIndentation() {
        Editor e("");
        const QFontMetrics metrics(e.w.EditWindow->font());
        QCOMPARE(e.w.EditWindow->tabStopDistance(), metrics.horizontalAdvance(' ') * 4.0);
        e.w.EditWindow->setPlainText("void f(void) {\n\t  x = 1;");
        e.caretAt(static_cast<int>(e.w.EditWindow->toPlainText().size()));
        QTest::keyClick(e.w.EditWindow, Qt::Key_Return);
        QTest::keyClicks(e.w.EditWindow, "y");
        QCOMPARE(e.w.EditWindow->toPlainText(), QString("void f(void) {\n\t  x = 1;\n\t  y"));
        e.caretAt(0);
        QTest::keyClick(e.w.EditWindow, Qt::Key_Return);
        QVERIFY(e.w.EditWindow->toPlainText().startsWith("\nvoid f"));
    }

    void openingKeepsTheCaretAndTheUnmodifiedState() {
        Editor e("");
        writeText(e.folder.file("x.c"), "int a;\nint b;\n");
        QVERIFY(e.w.loadSourceFile(e.folder.file("x.c")));
        QVERIFY(!e.w.EditWindow->document()->isModified());
        QVERIFY(e.w.EditWindow->isEnabled());
        QCOMPARE(e.w.EditWindow->textCursor().position(), 0);
    }
};

KAVO_IDE_TEST(EditorTest)
#include "editor_test.moc"
