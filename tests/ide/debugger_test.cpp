// The debugger in the main window: breakpoints on the selected lines (red and bold, moved with
// their text, kept in the project file) and the "Simulator" target that runs the compiled
// program to a breakpoint line, steps, stops and shows the variables' values.
#include "debugger/project_file.hpp"
#include "ide/c_highlighter.hpp"
#include "ide/config_window.hpp"
#include "ide/debugger_state.hpp"
#include "ide/lumadesk_window.hpp"
#include "ide/source_editor.hpp"
#include "ide/variable_windows.hpp"
#include "ide_test_support.hpp"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

using namespace kavo::ide;
using namespace kavo::ide::testing;

namespace {

// Ten passes of a loop: count goes up by 1 and sum by 300 each pass (lines are 1-based).
const QString Loop = "#include \"sx28.h\"\n"            // 1
                     "unsigned char count;\n"           // 2
                     "unsigned char total;\n"           // 3
                     "unsigned long sum;\n"             // 4
                     "void main(void)\n"                // 5
                     "{\n"                              // 6
                     "    unsigned char i;\n"           // 7
                     "    total = 5;\n"                 // 8
                     "    for (i = 0; i < 10; i++) {\n" // 9
                     "        count = count + 1;\n"     // 10
                     "        sum = sum + 300;\n"       // 11
                     "    }\n"                          // 12
                     "    total = total + count;\n"     // 13
                     "    while (1)\n"                  // 14
                     "        ;\n"                      // 15
                     "}\n";
constexpr int BodyLine = 10;
constexpr int AfterLine = 13;

const QString Endless = "#include \"sx28.h\"\n"
                        "unsigned char ticks;\n"
                        "void main(void)\n"
                        "{\n"
                        "    while (1) {\n"
                        "        ticks = ticks + 1;\n"
                        "    }\n"
                        "}\n";

struct Debugging {
    WorkingFolder folder;
    ScriptedDialogs dialogs;
    std::unique_ptr<TLumadesk> window;

    explicit Debugging(const QString& source) : window(std::make_unique<TLumadesk>(&dialogs)) {
        window->loadSourceFile(writeProgram(folder, source));
    }
    TLumadesk& w() { return *window; }
    DebuggerState& state() { return w().debuggerState(); }

    void selectLines(int first, int last) {
        QTextCursor cursor(w().EditWindow->document()->findBlockByNumber(first - 1));
        cursor.setPosition(w().EditWindow->document()->findBlockByNumber(last - 1).position() + 2,
                           QTextCursor::KeepAnchor);
        w().EditWindow->setTextCursor(cursor);
    }
    void setBreakpoint(int line) {
        selectLines(line, line);
        w().SpeedBrkClick();
    }
    // Compiles for debugging with the simulator as the target and every variable watched.
    void compileForSimulator() {
        w().ConfigWindow->ProgrammerType->setCurrentText("Simulator");
        w().ConfigWindow->OKButtonClick();
        // Setting breakpoints marks the text modified: the compile asks to save it first.
        dialogs.answers.push_back(Answer::Yes);
        w().CompileDebugCopy1Click();
        QCOMPARE(w().statusText(1), QString("Stopped at 7FFh - 0 cycles"));
        w().All1Click();
    }
    void waitForStop() { QTRY_VERIFY_WITH_TIMEOUT(!w().debugRunning(), 5000); }
    // The monitor's value of a variable (its first record).
    QString shown(const QString& name) {
        QTableWidget* grid = w().VarMonWin->VarMonitor;
        for (int row = 0; row < grid->rowCount(); ++row) {
            if (grid->item(row, 1)->text() == name)
                return grid->item(row, 4)->text().trimmed();
        }
        return "(not shown)";
    }
    bool shownChanged(const QString& name) {
        QTableWidget* grid = w().VarMonWin->VarMonitor;
        for (int row = 0; row < grid->rowCount(); ++row) {
            if (grid->item(row, 1)->text() == name)
                return grid->item(row, 4)->foreground().color() == QColor(255, 0, 0);
        }
        return false;
    }
    int stoppedLine() { return w().EditWindow->executionLine() + 1; }
};

// Whether the editor draws the whole line red and bold.
bool drawnAsBreakpoint(TLumadesk& w, int line) {
    const QTextBlock block = w.EditWindow->document()->findBlockByNumber(line - 1);
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (range.start == 0 && range.length == block.length() - 1 &&
            range.format.foreground().color() == QColor(255, 0, 0) &&
            range.format.fontWeight() == QFont::Bold)
            return true;
    }
    return false;
}

} // namespace

class DebuggerTest : public QObject {
    Q_OBJECT
private slots:
    void init() { seedSettingsStore(); }

    void toggleOnASelectionSetsAndClearsEachLineInRedBold() {
        Debugging d(Loop);
        d.setBreakpoint(4);
        d.selectLines(3, 5);
        d.w().SpeedBrkClick();
        QCOMPARE(d.state().breakpoints.activeLines(), (std::vector<int>{3, 5}));
        QVERIFY(drawnAsBreakpoint(d.w(), 3));
        QVERIFY(!drawnAsBreakpoint(d.w(), 4));
        QVERIFY(drawnAsBreakpoint(d.w(), 5));
        QVERIFY2(!d.w().EditWindow->document()->isModified(), "the text itself is unchanged");
        d.w().ClearAllBreakpoints1Click();
        QVERIFY(!drawnAsBreakpoint(d.w(), 3));
        QVERIFY(d.state().breakpoints.activeLines().empty());
    }

    void setAndClearOnlyDoWhatTheySay() {
        Debugging d(Loop);
        d.setBreakpoint(8);
        d.selectLines(8, 9);
        d.w().SetBreakpoints1Click();
        QCOMPARE(d.state().breakpoints.activeLines(), (std::vector<int>{8, 9}));
        d.selectLines(9, 10);
        d.w().ClearBreakpoints1Click();
        QCOMPARE(d.state().breakpoints.activeLines(), (std::vector<int>{8}));
    }

    void breakpointsMoveWithInsertedAndDeletedLines() {
        Debugging d(Loop);
        d.setBreakpoint(10);
        QTextCursor top(d.w().EditWindow->document());
        d.w().EditWindow->setTextCursor(top);
        top.insertText("// one\n// two\n");
        QCOMPARE(d.state().breakpoints.activeLines(), (std::vector<int>{12}));
        QVERIFY(drawnAsBreakpoint(d.w(), 12));
        QVERIFY(!drawnAsBreakpoint(d.w(), 10));
        QTextCursor first(d.w().EditWindow->document());
        first.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor);
        first.removeSelectedText();
        QCOMPARE(d.state().breakpoints.activeLines(), (std::vector<int>{11}));
    }

    void theProjectFileKeepsTheBreakpointsNextToTheSource() {
        Debugging d(Loop);
        d.setBreakpoint(7);
        d.w().SaveProject1Click();
        const QString path = d.folder.file("src/prog.cdb");
        QVERIFY(readText(path).startsWith("BRK 0 7 1\nBRK 1 -1 0\n"));
        Debugging other(Loop);
        writeText(other.folder.file("src/prog.cdb"), "BRK 0 9 1\nBRK 300 2 1\n");
        other.w().loadSourceFile(other.folder.file("src/prog.c"));
        QCOMPARE(other.state().breakpoints.activeLines(), (std::vector<int>{9}));
        QVERIFY(drawnAsBreakpoint(other.w(), 9));
        QVERIFY(!other.w().EditWindow->document()->isModified());
    }

    void anUnwritableProjectFileIsReported() {
        Debugging d(Loop);
        d.w().ideSettings().debugExtension = "d/x";
        d.w().SaveProject1Click();
        QCOMPARE(d.dialogs.asked.size(), std::size_t(1));
        QVERIFY(d.dialogs.asked[0].text.startsWith("Cannot open Lumadesk project file "));
    }

    void theSimulatorIsTheTargetOfferedWhenNoProgrammerIsSet() {
        Debugging d(Loop);
        QCOMPARE(d.w().ConfigWindow->ProgrammerType->currentText(), QString("Simulator"));
        QVERIFY(!d.w().findChild<QAction*>("SpeedRun")->isVisible());
        d.w().ConfigWindow->OKButtonClick();
        QVERIFY(d.w().findChild<QAction*>("SpeedRun")->isVisible());
        QVERIFY(d.w().findChild<QAction*>("SaveProject1")->isEnabled());
        QVERIFY(d.w().findChild<QMenu*>("Breakpoints1")->menuAction()->isVisible());
        QVERIFY(d.w().findChild<QMenu*>("Variables1")->menuAction()->isEnabled());
    }

    void runStopsAtTheBreakpointLineWithTheValuesShown() {
        Debugging d(Loop);
        d.setBreakpoint(BodyLine);
        d.compileForSimulator();
        d.w().VarMonWin->show();
        d.w().SpeedRunClick();
        d.waitForStop();
        QCOMPARE(d.stoppedLine(), BodyLine);
        QCOMPARE(d.w().EditWindow->caretLine() + 1, BodyLine);
        QCOMPARE(d.shown("count"), QString("0"));
        QCOMPARE(d.shown("total"), QString("5"));
        QVERIFY(d.w().statusText(1).startsWith(QString("Stopped at line %1 - ").arg(BodyLine)));
        QVERIFY(d.w().statusText(1).endsWith(" cycles"));
        d.w().SpeedRunClick();
        d.waitForStop();
        QCOMPARE(d.shown("count"), QString("1"));
        QCOMPARE(d.shown("sum"), QString("300"));
        QVERIFY(d.shownChanged("count"));
        QVERIFY(!d.shownChanged("total"));
        d.w().ViewChanged1Click();
        QCOMPARE(d.w().VarMonWin->MonChangedBut->text(), QString("View All Selected"));
        QCOMPARE(d.shown("total"), QString("(not shown)"));
        QCOMPARE(d.shown("count"), QString("1"));
    }

    void stepAdvancesOneSourceLine() {
        Debugging d(Loop);
        d.setBreakpoint(BodyLine);
        d.compileForSimulator();
        d.w().SpeedRunClick();
        d.waitForStop();
        d.w().SpeedStepClick();
        d.waitForStop();
        QCOMPARE(d.stoppedLine(), BodyLine + 1);
        QCOMPARE(d.shown("count"), QString("1"));
        QCOMPARE(d.shown("sum"), QString("0"));
    }

    void stopInterruptsARunningProgramWithinATenthOfASecond() {
        Debugging d(Endless);
        d.compileForSimulator();
        d.w().SpeedRunClick();
        QVERIFY(d.w().debugRunning());
        // A Stop pressed 50 ms into the run is handled as soon as the running slice ends.
        QElapsedTimer clock;
        clock.start();
        qint64 handledAt = -1;
        bool runningWhenPressed = false;
        QTimer::singleShot(50, &d.w(), [&] {
            handledAt = clock.elapsed();
            runningWhenPressed = d.w().debugRunning();
            d.w().SpeedStopClick();
        });
        QTRY_VERIFY_WITH_TIMEOUT(handledAt >= 0, 2000);
        QVERIFY(runningWhenPressed);
        QVERIFY(!d.w().debugRunning());
        QVERIFY2(handledAt < 50 + 100, qPrintable(QString::number(handledAt)));
        // The program ran: the status bar counts its cycles ("ticks" itself wraps to 0 once in
        // every 256 passes, so its value proves nothing).
        const QRegularExpressionMatch cycles =
            QRegularExpression("(\\d+) cycles").match(d.w().statusText(1));
        QVERIFY(cycles.hasMatch());
        QVERIFY(cycles.captured(1).toULongLong() > 1000);
    }

    void aModificationWrittenBeforeRunChangesTheResult() {
        Debugging d(Loop);
        d.setBreakpoint(AfterLine);
        d.compileForSimulator();
        d.w().SpeedRunClick();
        d.waitForStop();
        QCOMPARE(d.shown("count"), QString("10"));
        TVarModifyDialog* modify = d.w().Variables->VarModifyDialog;
        const auto& vars = d.state().variables;
        const auto total =
            std::find_if(vars.begin(), vars.end(), [](const auto& r) { return r.name == "total"; });
        modify->showRecord(&*total);
        modify->NewValue->setText("20");
        modify->ModVarButOkClick();
        QCOMPARE(d.shown("total"), QString("20"));
        d.w().ClearAllBreakpoints1Click();
        d.w().SpeedRunClick();
        d.waitForStop();
        QCOMPARE(d.shown("total"), QString("30"));
        QVERIFY(d.w().statusText(1).startsWith("Program ended (self-jump)"));
    }

    void resetStartsTheProgramAgain() {
        Debugging d(Loop);
        d.compileForSimulator();
        d.w().SpeedRunClick();
        d.waitForStop();
        QCOMPARE(d.shown("total"), QString("15"));
        d.w().SpeedResetClick();
        QCOMPARE(d.shown("total"), QString("0"));
        QCOMPARE(d.stoppedLine(), 0);
    }

    void withoutACompiledProgramTheSimulatorSaysSo() {
        Debugging d(Loop);
        d.w().ConfigWindow->ProgrammerType->setCurrentText("Simulator");
        d.w().ConfigWindow->OKButtonClick();
        d.w().SpeedRunClick();
        QVERIFY(!d.w().debugRunning());
        QCOMPARE(d.dialogs.asked.size(), std::size_t(1));
        QVERIFY(d.dialogs.asked[0].text.startsWith("Cannot start the simulator: "));
    }

    void resetOfTheSxBlitzWithoutADriverFails() {
        Debugging d(Loop);
        d.w().ConfigWindow->ProgrammerType->setCurrentText("SX-Blitz");
        d.w().ConfigWindow->OKButtonClick();
        d.w().SpeedResetClick();
        QCOMPARE(d.dialogs.asked.size(), std::size_t(1));
        QCOMPARE(d.dialogs.asked[0].title, QString("Programmer Error"));
        QCOMPARE(d.dialogs.asked[0].text, QString("Reset failed."));
    }
};

KAVO_IDE_TEST(DebuggerTest)
#include "debugger_test.moc"
