// The compile command: the compiler runs in-process on a real file, its messages land in the
// results pane, the status panel tells the outcome, a message or listing line leads to its
// source line, and the outputs reach the listing and hex views.
#include "compiler/pipeline/compiler_entry.hpp"
#include "ide/assembly_window.hpp"
#include "ide/clickable_text.hpp"
#include "ide/compiler_config_window.hpp"
#include "ide/hex_code_window.hpp"
#include "ide/lumadesk_window.hpp"
#include "ide/program_window.hpp"
#include "ide/results_io.hpp"
#include "ide/source_editor.hpp"
#include "ide_test_support.hpp"
#include "simulator/intel_hex.hpp"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

using namespace kavo::ide;
using namespace kavo::ide::testing;

namespace {

const QString Blinker = "#include \"sx28.h\"\n"
                        "unsigned char portb @ 0x06;\n"
                        "unsigned char count;\n"
                        "void main(void)\n"
                        "{\n"
                        "    while (1) {\n"
                        "        portb = portb ^ 1;\n"
                        "        count = count + 1;\n"
                        "    }\n"
                        "}\n";

// Line 6 (index 5) names a variable that does not exist.
const QString WithError = "#include \"sx28.h\"\n"
                          "unsigned char a;\n"
                          "void main(void)\n"
                          "{\n"
                          "    a = 1;\n"
                          "    b = 2;\n"
                          "}\n";

const QString Recursive = "#include \"sx28.h\"\n"
                          "void f(void) { f(); }\n"
                          "void main(void) { f(); }\n";

// A start-up folder as the configuration's defaults expect it: include/ with the device
// header, the source in src/, outputs in out/ and tmp/.
struct Project {
    WorkingFolder folder;
    ScriptedDialogs dialogs;
    std::unique_ptr<TLumadesk> window;

    explicit Project(const QString& source, const QString& sourceFolder = "src",
                     bool withDeviceHeader = true) {
        if (withDeviceHeader)
            copyDeviceHeader(folder.path());
        QDir(folder.path()).mkpath(sourceFolder);
        writeText(folder.file(sourceFolder + "/prog.c"), source);
        window = std::make_unique<TLumadesk>(&dialogs);
        window->loadSourceFile(folder.file(sourceFolder + "/prog.c"));
    }
    TLumadesk& w() { return *window; }
    // Places the results caret on the line holding text and presses there.
    void clickResultsLine(const QString& text) {
        const qsizetype at = w().results->toPlainText().indexOf(text);
        QVERIFY2(at >= 0, qPrintable(text));
        QTextCursor caret(w().results->document());
        caret.setPosition(static_cast<int>(at));
        w().results->setTextCursor(caret);
        w().resultsMouseDown();
    }
};

QString selectedLine(const TLumadesk& w) {
    return w.EditWindow->textCursor().selectedText();
}

} // namespace

class CompileTest : public QObject {
    Q_OBJECT
private slots:
    void init() { seedSettingsStore(); }

    void aGoodProgramCompilesWithItsMessagesInTheResults() {
        Project p(Blinker);
        p.w().SpeedCompileClick();
        const QString messages = p.w().results->toPlainText();
        QVERIFY(messages.contains("Preprocessing " + p.folder.file("src/prog.c")));
        QVERIFY(messages.contains("Compilation completed successfully."));
        QCOMPARE(p.w().statusText(1), QString("Compilation completed successfully."));
        QVERIFY(p.w().compiledFlag());
        QVERIFY(QFile::exists(p.folder.file("out/prog.sxh")));
        QVERIFY(QFile::exists(p.folder.file("out/prog.lst")));
        QVERIFY(QFile::exists(p.folder.file("out/prog.src")));
        QVERIFY(QFile::exists(p.folder.file("tmp/prog.pre")));
        QVERIFY(p.dialogs.asked.empty());
    }

    void theFileTheEditorShowsIsCompiledWhereverItLies() {
        Project p(Blinker, "elsewhere");
        writeText(p.folder.file("src/prog.c"), WithError); // same name in the source folder
        p.w().SpeedCompileClick();
        QVERIFY(p.w().results->toPlainText().contains("Preprocessing " +
                                                      p.folder.file("elsewhere/prog.c")));
        QCOMPARE(p.w().statusText(1), QString("Compilation completed successfully."));
    }

    // Without include/ in the start-up folder the installed device header is found, and a
    // header beside the source too.
    void headersAreFoundWithoutConfiguration() {
        QString source = Blinker;
        source.replace("#include \"sx28.h\"", "#include <sx28.h>\n#include \"pins.h\"");
        source.replace("portb ^ 1", "portb ^ (1 << LED_PIN)");
        Project p(source, "src", false);
        writeText(p.folder.file("src/pins.h"), "#define LED_PIN 0\n");
        p.w().SpeedCompileClick();
        QCOMPARE(p.w().statusText(1), QString("Compilation completed successfully."));
    }

    void theListingIsReadWhereTheCompilerWroteIt() {
        Project p(Blinker);
        p.w().CompilerConfig->AssemblyDir->setText("./asm/");
        p.w().CompilerConfig->ObjectDir->setText("./obj/");
        p.w().CompilerConfig->SaveRegistryClick();
        p.w().CompilerConfig->ReadRegistry();
        p.w().SpeedCompileClick();
        QVERIFY(QFile::exists(p.folder.file("asm/prog.lst")));
        QVERIFY(QFile::exists(p.folder.file("obj/prog.sxh")));
        p.w().AssemblyFile1Click();
        QVERIFY(p.w().Assembly->AsmListFile->toPlainText().contains("; Line: 7"));
    }

    void errorsShowFoundErrorsAndMarkTheirLines() {
        Project p(WithError);
        p.w().SpeedCompileClick();
        QCOMPARE(p.w().statusText(1), QString("Found errors."));
        QVERIFY(p.w().results->toPlainText().contains("ERROR(C63): Line: 6"));
        const auto& marks = p.w().EditWindow->messageMarks();
        QCOMPARE(marks.size(), std::size_t(1));
        QCOMPARE(marks[0].line, 5);
        QVERIFY(marks[0].error);
        QVERIFY2(!QFileInfo::exists(p.folder.file("out/prog.sxh")), "no object file at all");
    }

    void clickingAnErrorSelectsItsSourceLine() {
        Project p(WithError);
        p.w().SpeedCompileClick();
        p.clickResultsLine("ERROR(C63)");
        QCOMPARE(selectedLine(p.w()), QString("    b = 2;"));
        QCOMPARE(p.w().results->textCursor().selectedText(),
                 QString("ERROR(C63): Line: 6 Identifier b not found."));
    }

    void messageLinesLeadToTheirLineOrNowhere() {
        QString source;
        for (int i = 1; i <= 20; ++i)
            source += QString("// line %1\n").arg(i);
        Project p(source);
        p.w().results->setPlainText("WARNING: Line: 12 twelve\n"
                                    "WARNING: Line: 0x10 sixteen\n"
                                    "WARNING: Line: 1 first\n"
                                    "no mark on this line\n");
        p.clickResultsLine("twelve");
        QCOMPARE(selectedLine(p.w()), QString("// line 12"));
        p.clickResultsLine("sixteen");
        QCOMPARE(selectedLine(p.w()), QString("// line 16"));
        p.clickResultsLine("first");
        QCOMPARE(selectedLine(p.w()), QString("// line 16")); // unchanged
        p.clickResultsLine("no mark");
        QCOMPARE(selectedLine(p.w()), QString("// line 16"));
    }

    void aModifiedEditorAnsweredNoDoesNotCompile() {
        Project p(Blinker);
        p.w().EditWindow->appendPlainText("// more");
        p.dialogs.answers = {Answer::No};
        p.w().SpeedCompileClick();
        QCOMPARE(p.dialogs.texts(),
                 QStringList{"File has changed.  Do you want to save changes before compiling?"});
        QVERIFY(p.w().results->toPlainText().isEmpty());
        QVERIFY(!p.w().compiledFlag());
        QVERIFY(!QFile::exists(p.folder.file("out/prog.sxh")));
    }

    void aModifiedEditorAnsweredYesIsSavedAndCompiled() {
        Project p(WithError);
        typeOver(p.w().EditWindow, Blinker);
        p.dialogs.answers = {Answer::Yes};
        p.w().SpeedCompileClick();
        QCOMPARE(readText(p.folder.file("src/prog.c")), Blinker);
        QCOMPARE(p.w().statusText(1), QString("Compilation completed successfully."));
    }

    void saveBeforeCompilingSavesWithoutAsking() {
        Project p(WithError);
        p.w().CompilerConfig->AutoSave->setChecked(true);
        typeOver(p.w().EditWindow, Blinker);
        p.w().SpeedCompileClick();
        QVERIFY(p.dialogs.asked.empty());
        QCOMPARE(readText(p.folder.file("src/prog.c")), Blinker);
        QCOMPARE(p.w().statusText(1), QString("Compilation completed successfully."));
    }

    void aFileWithoutANameCompilesTheEmptyName() {
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        w.SpeedCompileClick();
        QVERIFY(w.results->toPlainText().contains("Cannot open file ./src/.c to preprocess."));
        QCOMPARE(w.statusText(1), QString("Found errors."));
    }

    void aNewTextCompilesUnderTheNameUntitled() {
        Project p(Blinker);
        p.w().New1Click();
        p.w().SpeedCompileClick();
        QVERIFY(p.w().results->toPlainText().contains("Preprocessing ./src/untitled.c"));
        QCOMPARE(p.w().statusText(1), QString("Found errors."));
    }

    void aFatalStopShowsItsBoxAndTheIdeKeepsTheText() {
        Project p(Recursive);
        p.w().SpeedCompileClick();
        QCOMPARE(p.dialogs.asked.size(), std::size_t(1));
        QCOMPARE(p.dialogs.asked[0].title, QString("Unrecoverable Error."));
        QCOMPARE(p.dialogs.asked[0].text,
                 QString("Error Location Number: 25 Error Status Code: 1"));
        QCOMPARE(p.w().statusText(1), QString("Found errors."));
        QCOMPARE(p.w().EditWindow->toPlainText(), Recursive);
        // The IDE goes on: the next compile of a good text succeeds.
        p.w().EditWindow->setPlainText(Blinker);
        p.w().Save1Click();
        p.w().SpeedCompileClick();
        QCOMPARE(p.w().statusText(1), QString("Compilation completed successfully."));
    }

    void aSecondCompileSeesNoneOfTheFirst() {
        Project p(WithError);
        p.w().SpeedCompileClick();
        QCOMPARE(p.w().statusText(1), QString("Found errors."));
        p.w().EditWindow->setPlainText(Blinker);
        p.w().Save1Click();
        p.w().SpeedCompileClick();
        QCOMPARE(p.w().statusText(1), QString("Compilation completed successfully."));
        QVERIFY(!p.w().results->toPlainText().contains("ERROR"));
        QVERIFY(p.w().EditWindow->messageMarks().empty());
        // And the first text compiled again gives the same error, counted once.
        p.w().EditWindow->setPlainText(WithError);
        p.w().Save1Click();
        p.w().SpeedCompileClick();
        QCOMPARE(p.w().results->toPlainText().count("ERROR(C63)"), 1);
    }

    void textsStartingBefAreNotShown() {
        QPlainTextEdit pane;
        ResultsIo io(&pane);
        io.message("Before anything\n");
        io.message("Kept\n");
        io.standardOutput("Bef too\n");
        QCOMPARE(pane.toPlainText(), QString("Kept\n"));
    }

    void theListingOpensAndLeadsBackToTheSource() {
        Project p(Blinker);
        p.w().SpeedCompileClick();
        p.w().show();
        p.w().AssemblyFile1Click();
        QVERIFY(p.w().Assembly->isVisible());
        QCOMPARE(p.w().Assembly->windowTitle(), QString("Assembly Listing File"));
        const QString listing = p.w().Assembly->AsmListFile->toPlainText();
        QVERIFY(listing.contains("; Line: 7"));
        // A press on the line of "portb = portb ^ 1" selects source line 7.
        const qsizetype at = listing.indexOf("; Line: 7");
        QTextCursor caret(p.w().Assembly->AsmListFile->document());
        caret.setPosition(static_cast<int>(at));
        p.w().Assembly->AsmListFile->setTextCursor(caret);
        p.w().Assembly->AsmListFileMouseDown();
        QCOMPARE(selectedLine(p.w()), QString("        portb = portb ^ 1;"));
        // The listing follows the editor's caret to a source line.
        QVERIFY(p.w().Assembly->followSourceLine(8));
        QCOMPARE(p.w().Assembly->AsmListFile->textCursor().selectedText(), QString("; Line: 8"));
        QVERIFY(!p.w().Assembly->followSourceLine(99));
    }

    void aMissingListingLeavesTheWindowAsItWasAndShowsIt() {
        Project p(Blinker);
        p.w().show();
        p.w().Assembly->AsmListFile->setPlainText("earlier listing");
        p.w().AssemblyFile1Click();
        QVERIFY(p.w().Assembly->isVisible());
        QCOMPARE(p.w().Assembly->AsmListFile->toPlainText(), QString("earlier listing"));
    }

    void theHexViewShowsTheCompiledProgramAfterTheReload() {
        Project p(Blinker);
        p.w().SpeedCompileClick();
        p.w().Timer1Timer();
        // The simulator's own HEX reader is the independent view of the same file.
        const sxsim::HexImage object =
            sxsim::readIntelHexFile(p.folder.file("out/prog.sxh").toStdString());
        const auto& image = p.w().programImage();
        QVERIFY(!object.program.empty());
        for (const auto& [address, word] : object.program)
            QCOMPARE(image.words[address], std::uint32_t(word));
        QCOMPARE(image.fuse, std::uint32_t(*object.fuse));
        p.w().HexFile1Click();
        QString firstRow = "[0000] => ";
        for (int i = 0; i < 8; ++i)
            firstRow += QString("%1 ").arg(image.words[i], 3, 16, QChar('0')).toUpper();
        const QString text = p.w().ViewHexCode->ProgramEdit->toPlainText();
        QVERIFY(text.startsWith(firstRow + "\n[0008] => "));
        // The reset vector at 7FFh is the last used word: the view ends on its row.
        QVERIFY(
            text.endsWith(QString("%1 \n").arg(image.words[0x7FF], 3, 16, QChar('0')).toUpper()));
        QVERIFY(text.contains("[07F8] => "));
        QVERIFY(!text.contains("[0800]"));
    }

    // Without an object file (none yet, or a compile failed and removed it) the hex view and
    // the program window say so, and the image is erased: nothing stale can be programmed.
    void launchProgrammerLoadsTheObjectFileOrSaysThereIsNone() {
        Project p(Blinker);
        const QString none = p.w().noObjectFileText();
        QVERIFY(none.startsWith("There is no object file "));
        p.w().SpeedProgramClick();
        QVERIFY(p.dialogs.asked.empty());
        QCOMPARE(p.w().Program->ProgramEdit->toPlainText(), none);
        p.w().SpeedCompileClick();
        p.w().SpeedProgramClick();
        QVERIFY(p.dialogs.asked.empty());
        QVERIFY(p.w().programImage().words[0] != 0xFFF);

        writeText(p.folder.file("src/prog.c"), WithError);
        p.w().loadSourceFile(p.folder.file("src/prog.c"));
        p.w().SpeedCompileClick();
        QCOMPARE(p.w().programImage().words[0], 0xFFFu);
        QCOMPARE(p.w().ViewHexCode->ProgramEdit->toPlainText(), none);
        QCOMPARE(p.w().Program->ProgramEdit->toPlainText(), none);
        QVERIFY(p.dialogs.asked.empty());
    }
};

KAVO_IDE_TEST(CompileTest)
#include "compile_test.moc"
