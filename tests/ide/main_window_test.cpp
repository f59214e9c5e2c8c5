// The main window as it starts: its components, the tool bar and menu inventory with the
// compiler-only state, the caption, the timer, the position and the caret display.
#include "ide/clickable_text.hpp"
#include "ide/debugger_state.hpp"
#include "ide/lumadesk_window.hpp"
#include "ide/source_editor.hpp"
#include "ide_test_support.hpp"

#include <QApplication>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

using namespace kavo::ide;
using namespace kavo::ide::testing;

namespace {

// "name|text|shortcut|hidden" of a menu's actions; "-" for a separator.
QStringList inventory(const QList<QAction*>& actions) {
    QStringList rows;
    for (const QAction* a : actions) {
        if (a->isSeparator()) {
            rows << "-";
            continue;
        }
        QString row = a->objectName() + "|" + a->text();
        if (!a->shortcut().isEmpty())
            row += "|" + a->shortcut().toString();
        if (!a->isVisible())
            row += "|hidden";
        if (!a->isEnabled())
            row += "|disabled";
        rows << row;
    }
    return rows;
}

QMenu* menuNamed(TLumadesk& w, const char* name) {
    return w.findChild<QMenu*>(name);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { seedSettingsStore(); }

    void theComponentsCarryTheirNames() {
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        for (const char* name : {"EditWindow", "Splitter1", "results", "DebugStatusBar", "ToolBar1",
                                 "MainMenu1", "Timer1", "FindDialog1"})
            QVERIFY2(w.findChild<QObject*>(name) != nullptr, name);
        QVERIFY(w.results->isReadOnly());
        QCOMPARE(w.results->toolTip(), QString("Click on a WARNING or ERROR message to locate "
                                               "source line that generated it."));
        QCOMPARE(w.EditWindow->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(w.results->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(w.Splitter1->handleWidth(), 8);
        QCOMPARE(w.Splitter1->orientation(), Qt::Vertical);
    }

    void startUpSetsCaptionTimerAndPosition() {
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        QCOMPARE(w.windowTitle(), QString(ProductTitle));
        QCOMPARE(w.Timer1->interval(), 500);
        QVERIFY(w.Timer1->isActive());
        QCOMPARE(w.pos(), QPoint(25, 50));
        QVERIFY(w.EditWindow->toPlainText().isEmpty());
        QVERIFY(dialogs.asked.empty());
        for (std::uint32_t word : w.programImage().words)
            QCOMPARE(word, 0xFFFu);
    }

    void theToolBarHoldsItsButtonsInOrder() {
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        QStringList hints;
        for (const QAction* a : w.ToolBar1->actions()) {
            QString row = a->isSeparator() ? "-" : a->objectName() + "|" + a->toolTip();
            if (!a->isSeparator() && !a->isVisible())
                row += "|hidden";
            if (!a->isSeparator() && !a->isEnabled())
                row += "|disabled";
            hints << row;
        }
        const QStringList expected = {"SpeedOpen|Open",
                                      "SpeedSave|Save",
                                      "-",
                                      "SpeedCopy|Copy",
                                      "SpeedCut|Cut",
                                      "SpeedPaste|Paste",
                                      "-",
                                      "SpeedBrk|Set/Clear Breakpoints",
                                      "SpeedButton1|Setup",
                                      "SpeedCompile|Compile",
                                      "SpeedProgram|Launch Programmer",
                                      "SpeedExit2|Exit|hidden|disabled",
                                      "SpeedReset|Reset",
                                      "SpeedStep|Step|hidden|disabled",
                                      "SpeedRun|Run|hidden|disabled",
                                      "SpeedStop|Stop|hidden|disabled",
                                      "-",
                                      "SpeedVars|Pick Variables|hidden|disabled",
                                      "SpeedExit|Exit"};
        QCOMPARE(hints, expected);
    }

    void theMenusHoldTheirItemsInOrder() {
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        QCOMPARE(inventory(w.MainMenu1->actions()),
                 (QStringList{"File1|File", "Edit1|Edit", "Tools1|Tools",
                              "Breakpoints1|Breakpoints|hidden|disabled", "View1|View",
                              "Variables1|Variables|hidden|disabled", "Programmer1|Programmer",
                              "Help1|Help|hidden|disabled"}));
        QCOMPARE(inventory(menuNamed(w, "File1")->actions()),
                 (QStringList{"New1|New", "Open1|Open|Ctrl+O", "Save1|Save|Ctrl+S",
                              "SaveAs1|Save As...|Ctrl+Shift+S",
                              "SaveProject1|Save Project|hidden|disabled", "-", "Print1|Print...",
                              "-", "Exit1|Exit"}));
        QCOMPARE(inventory(menuNamed(w, "Edit1")->actions()),
                 (QStringList{
                     "Undo1|Undo", "-", "Cut1|Cut|Ctrl+X", "Copy1|Copy|Ctrl+C",
                     "Paste1|Paste|Ctrl+V", "SelectAll|Select All|Ctrl+A", "-",
                     "Find1|Find...|Ctrl+F", "Next1|Next|Ctrl+N", "Replace1|Replace...|Ctrl+R",
                     "GoToLine1|Go to Line...|Ctrl+G", "-", "Configuration1|Configuration...",
                     "DebuggerProgrammer1|Debugger/Programmer...", "Font1|Font|hidden|disabled"}));
        QCOMPARE(inventory(menuNamed(w, "Font1")->actions()),
                 (QStringList{"Editor1|Editor", "AssemblyListing1|Assembly Listing"}));
        QCOMPARE(inventory(menuNamed(w, "Tools1")->actions()),
                 (QStringList{"CompileOriginal1|Compile Original|F7",
                              "CompileDebugCopy1|Compile Debug Copy|hidden|disabled"}));
        QCOMPARE(
            inventory(menuNamed(w, "Breakpoints1")->actions()),
            (QStringList{"SetBreakpoints1|Set Breakpoints", "ClearBreakpoints1|Clear Breakpoints",
                         "ClearAllBreakpoints1|Clear All Breakpoints"}));
        QCOMPARE(inventory(menuNamed(w, "View1")->actions()),
                 (QStringList{"VarAddressesIn1|Var Addresses In|hidden|disabled",
                              "VarDataIn1|Var Data In|hidden|disabled",
                              "SortVariables1|Sort Variables|hidden|disabled",
                              "AssemblyFile1|Assembly File", "HexFile1|Hex File"}));
        QCOMPARE(inventory(menuNamed(w, "VarAddressesIn1")->actions()),
                 (QStringList{"Hex1|Hex", "Decimal1|Decimal", "BanksHex1|Banks && Hex"}));
        QCOMPARE(inventory(menuNamed(w, "VarDataIn1")->actions()),
                 (QStringList{"Hex2|Hex", "Decimal2|Decimal", "ASCII1|ASCII"}));
        QCOMPARE(inventory(menuNamed(w, "SortVariables1")->actions()),
                 (QStringList{"byName1|by Name", "byAddress1|by Address", "byScope1|by Scope"}));
        QCOMPARE(inventory(menuNamed(w, "Variables1")->actions()),
                 (QStringList{"Load1|Load...", "All1|All", "None1|None", "Pick1|Pick", "Done1|Done",
                              "-", "ViewChanged1|View Changed", "Add1|Add..."}));
        QVERIFY(menuNamed(w, "Help1")->actions().isEmpty());
    }

    // The keys people expect, each reaching its command; the debugger's only once its
    // buttons are shown, and every shown button fits the default width outside the overflow.
    void theUsualKeysReachTheirCommandsAndTheButtonsFit() {
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        const QStringList keys = {"SpeedBrk|F9", "SpeedStep|F10", "SpeedRun|F5",
                                  "SpeedStop|Shift+F5"};
        for (const QString& row : keys) {
            const QStringList parts = row.split('|');
            QCOMPARE(w.findChild<QAction*>(parts[0])->shortcut().toString(), parts[1]);
        }
        w.showDebuggerControls(true);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (QAction* a : w.ToolBar1->actions()) {
            if (a->isSeparator() || !a->isVisible())
                continue;
            QWidget* button = w.ToolBar1->widgetForAction(a);
            QVERIFY2(button != nullptr && button->isVisible() &&
                         w.ToolBar1->rect().contains(button->geometry()),
                     qPrintable(a->objectName() + " is in the overflow"));
        }

        QApplication::setActiveWindow(&w);
        w.EditWindow->setFocus();
        w.EditWindow->setPlainText("a\nb\nc\nd\n");
        dialogs.lines = {3};
        QTest::keyClick(w.EditWindow, Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(w.EditWindow->caretLine(), 2);
        QTest::keyClick(w.EditWindow, Qt::Key_F9);
        QCOMPARE(w.debuggerState().breakpoints.activeLines(), (std::vector<int>{3}));
    }

    void theCaretDisplayOfAnEmptyEditor() {
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        QCOMPARE(w.statusText(0), QString("Line: 1 Col: 1 of 2"));
    }

    void theCaretDisplayFollowsTheCaret() {
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        w.EditWindow->setPlainText("first\nsecond line\nthird");
        QTextCursor caret(w.EditWindow->document());
        caret.setPosition(QString("first\nsecon").size());
        w.EditWindow->setTextCursor(caret);
        QCOMPARE(w.statusText(0), QString("Line: 2 Col: 6 of 4"));
    }

    void resizingKeepsAResultsBand() {
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        w.show();
        w.resize(800, 700);
        QCoreApplication::processEvents();
        const QList<int> sizes = w.Splitter1->sizes();
        QVERIFY(sizes[1] >= 100);
        QVERIFY(sizes[0] > sizes[1]);
    }
};

KAVO_IDE_TEST(MainWindowTest)
#include "main_window_test.moc"
