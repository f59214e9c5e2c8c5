// New, Open, Save, Save As and Exit with the save prompt answered Yes, No or Cancel.
#include "ide/clickable_text.hpp"
#include "ide/lumadesk_window.hpp"
#include "ide/source_editor.hpp"
#include "ide_test_support.hpp"

#include <QApplication>
#include <QFile>
#include <QTest>

using namespace kavo::ide;
using namespace kavo::ide::testing;

namespace {

const QString SavePrompt = "File has changed.  Do you want to save changes?";

// A window with prog.c open and then edited.
struct EditedFile {
    WorkingFolder folder;
    ScriptedDialogs dialogs;
    TLumadesk window{&dialogs};
    QString path = folder.file("prog.c");

    EditedFile() {
        writeText(path, "int a;\n");
        window.loadSourceFile(path);
        window.EditWindow->moveCursor(QTextCursor::End);
        window.EditWindow->insertPlainText("int b;");
    }
};

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { seedSettingsStore(); }

    void openLoadsTheFileAndSetsTheCaption() {
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        writeText(folder.file("blink.c"), "void main(void)\r\n{\r\n}\r\n");
        w.results->setPlainText("old messages");
        dialogs.files.push_back(folder.file("blink.c"));
        w.Open1Click();
        QCOMPARE(w.EditWindow->toPlainText(), QString("void main(void)\n{\n}\n"));
        QVERIFY(!w.EditWindow->document()->isModified());
        QCOMPARE(w.windowTitle(), QString(ProductTitle) + " - [" + folder.file("blink.c") + "]");
        QCOMPARE(w.currentFileName(), folder.file("blink.c"));
        QVERIFY(w.results->toPlainText().isEmpty());
        QCOMPARE(dialogs.fileDialogTitles, QStringList{"Open"});
    }

    void openingAnUnreadableFileSaysSoAndKeepsTheText() {
        EditedFile f;
        f.window.EditWindow->document()->setModified(false);
        QVERIFY(!f.window.loadSourceFile(f.folder.file("missing.c")));
        QCOMPARE(f.dialogs.asked.back().text, "Cannot open file " + f.folder.file("missing.c"));
        QCOMPARE(f.window.EditWindow->toPlainText(), QString("int a;\nint b;"));
    }

    void newWithYesSavesFirst() {
        EditedFile f;
        f.dialogs.answers = {Answer::Yes};
        f.window.New1Click();
        QCOMPARE(f.dialogs.texts(), QStringList{SavePrompt});
        QCOMPARE(f.dialogs.asked[0].title, QString("Kavo C Compiler Message"));
        QCOMPARE(readText(f.path), QString("int a;\nint b;\n"));
        QVERIFY(f.window.EditWindow->toPlainText().isEmpty());
        QCOMPARE(f.window.currentFileName(), QString("untitled.c"));
        QCOMPARE(f.window.windowTitle(), QString(ProductTitle) + " - [untitled.c]");
    }

    void newWithNoDropsTheChanges() {
        EditedFile f;
        f.dialogs.answers = {Answer::No};
        f.window.New1Click();
        QCOMPARE(readText(f.path), QString("int a;\n"));
        QVERIFY(f.window.EditWindow->toPlainText().isEmpty());
    }

    void newWithCancelChangesNothing() {
        EditedFile f;
        f.dialogs.answers = {Answer::Cancel};
        f.window.New1Click();
        QCOMPARE(f.window.EditWindow->toPlainText(), QString("int a;\nint b;"));
        QVERIFY(f.window.EditWindow->document()->isModified());
        QCOMPARE(readText(f.path), QString("int a;\n"));
    }

    void openWithCancelAtThePromptShowsNoDialog() {
        EditedFile f;
        f.dialogs.answers = {Answer::Cancel};
        f.window.Open1Click();
        QVERIFY(f.dialogs.fileDialogTitles.isEmpty());
        QCOMPARE(f.window.currentFileName(), f.path);
    }

    void saveWritesTheCurrentFile() {
        EditedFile f;
        f.window.Save1Click();
        QCOMPARE(readText(f.path), QString("int a;\nint b;\n"));
        QVERIFY(!f.window.EditWindow->document()->isModified());
        QVERIFY(f.dialogs.fileDialogTitles.isEmpty());
    }

    void aNewTextIsSavedThroughSaveAs() {
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        w.New1Click();
        w.EditWindow->setPlainText("char c;");
        dialogs.files.push_back(folder.file("fresh.c"));
        w.Save1Click();
        QCOMPARE(dialogs.fileDialogTitles, QStringList{"Save As"});
        QCOMPARE(readText(folder.file("fresh.c")), QString("char c;\n"));
        QCOMPARE(w.currentFileName(), folder.file("fresh.c"));
        QCOMPARE(w.windowTitle(), QString(ProductTitle) + " - [" + folder.file("fresh.c") + "]");
        QVERIFY(!QFile::exists(folder.file("untitled.c")));
    }

    void saveAsCancelledWritesNothing() {
        EditedFile f;
        f.window.SaveAs1Click();
        QCOMPARE(f.window.currentFileName(), f.path);
        QVERIFY(f.window.EditWindow->document()->isModified());
    }

    void aSaveThatFailsHalfwayLeavesTheOldFileWhole() {
        EditedFile f;
        const QString old = QString("int old;\n").repeated(1000);
        writeText(f.path, old);
        typeOver(f.window.EditWindow, QString("int changed;\n").repeated(1000));
        int blocks = 0;
        f.window.setSaveProgress([&](std::size_t) { return ++blocks < 2; });
        f.window.Save1Click();
        QCOMPARE(blocks, 2);
        QCOMPARE(readText(f.path), old);
        QVERIFY(f.window.EditWindow->document()->isModified());
        QCOMPARE(f.dialogs.asked.back().text, "Cannot save file " + f.path);
    }

    void printWritesTheTextUnderTheCaption() {
        EditedFile f;
        f.window.Print1Click(); // cancelled
        QVERIFY(!QFile::exists(f.folder.file("out.pdf")));
        f.dialogs.printTo = f.folder.file("out.pdf");
        f.window.Print1Click();
        QFile pdf(f.folder.file("out.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        // The document title is the window caption, stored as UTF-16 big-endian.
        QByteArray title;
        for (const QChar c : f.window.windowTitle()) {
            title += char(c.unicode() >> 8);
            title += char(c.unicode() & 0xFF);
        }
        QVERIFY(bytes.contains(title));
    }

    void exitWithCancelKeepsTheWindow() {
        EditedFile f;
        f.window.show();
        f.dialogs.answers = {Answer::Cancel};
        f.window.Exit1Click();
        QVERIFY(f.window.isVisible());
        QVERIFY(!QFile::exists(f.folder.file("LUMADESK.CFG")));
    }

    void exitWithNoClosesAndWritesTheSettings() {
        EditedFile f;
        f.window.show();
        f.dialogs.answers = {Answer::No};
        f.window.Exit1Click();
        QVERIFY(!f.window.isVisible());
        QCOMPARE(f.dialogs.texts(), QStringList{SavePrompt});
        QCOMPARE(readText(f.path), QString("int a;\n"));
        const QString settings = readText(f.folder.file("LUMADESK.CFG"));
        QVERIFY(settings.contains("CURR_FILE " + f.path + "\r\n"));
    }

    // The title carries a "*" exactly while the text holds unsaved changes; Ctrl+S saves.
    void theTitleMarksUnsavedTextUntilCtrlSSavesIt() {
        EditedFile f;
        const QString title = QString(ProductTitle) + " - [" + f.path + "]";
        QCOMPARE(f.window.windowTitle(), title + " *");
        f.window.show();
        QApplication::setActiveWindow(&f.window);
        f.window.EditWindow->setFocus();
        QTest::keyClick(f.window.EditWindow, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(readText(f.path), QString("int a;\nint b;\n"));
        QCOMPARE(f.window.windowTitle(), title);
    }

    // LUMADESK.CFG names the file edited last: the next start opens it again, unless it is gone.
    void theLastFileIsReopenedAtStart() {
        EditedFile f;
        f.dialogs.answers = {Answer::No};
        f.window.Exit1Click();
        ScriptedDialogs dialogs;
        TLumadesk next(&dialogs);
        QVERIFY(next.reopenLastFile());
        QCOMPARE(next.currentFileName(), f.path);
        QCOMPARE(next.EditWindow->toPlainText(), QString("int a;\n"));
        QFile::remove(f.path);
        TLumadesk after(&dialogs);
        QVERIFY(!after.reopenLastFile());
        QVERIFY(dialogs.asked.empty());
    }

    void exitWithYesSavesAndCloses() {
        EditedFile f;
        f.window.show();
        f.dialogs.answers = {Answer::Yes};
        f.window.Exit1Click();
        QVERIFY(!f.window.isVisible());
        QCOMPARE(readText(f.path), QString("int a;\nint b;\n"));
    }

    void anUnchangedTextExitsWithoutAQuestion() {
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        w.show();
        w.SpeedExitClick();
        QVERIFY(!w.isVisible());
        QVERIFY(dialogs.asked.empty());
        QVERIFY(QFile::exists(folder.file("LUMADESK.CFG")));
    }
};

KAVO_IDE_TEST(FileCommandsTest)
#include "file_commands_test.moc"
