// The variable views: the picker lists the compiled program's variables in three layouts and
// three address formats, picks the ones the monitor shows, and the modify and add dialogs
// answer mistakes with their messages. The object file watch reloads the variables once per
// compile.
#include "ide/debugger_state.hpp"
#include "ide/lumadesk_window.hpp"
#include "ide/source_editor.hpp"
#include "ide/variable_windows.hpp"
#include "ide_test_support.hpp"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTest>

using namespace kavo::ide;
using namespace kavo::ide::testing;

namespace {

const QString Program = "#include \"sx28.h\"\n"
                        "unsigned char count;\n"
                        "unsigned char text[5];\n"
                        "void main(void)\n"
                        "{\n"
                        "    unsigned char i;\n"
                        "    for (i = 0; i < 5; i++)\n"
                        "        text[i] = i;\n"
                        "    count = i;\n"
                        "    while (1)\n"
                        "        ;\n"
                        "}\n";

struct Picking {
    WorkingFolder folder;
    ScriptedDialogs dialogs;
    std::unique_ptr<TLumadesk> window;

    Picking() : window(std::make_unique<TLumadesk>(&dialogs)) {
        window->loadSourceFile(writeProgram(folder, Program));
    }
    TLumadesk& w() { return *window; }
    DebuggerState& state() { return w().debuggerState(); }
    // Compiles; the next tick takes the new outputs in.
    void compileAndTick() {
        w().SpeedCompileClick();
        w().Timer1Timer();
    }
    QStringList lines() {
        QStringList all;
        for (int row = 0; row < w().Variables->PickVariables->count(); ++row)
            all << w().Variables->PickVariables->item(row)->text();
        return all;
    }
    QListWidgetItem* lineOf(const QString& name) {
        for (int row = 0; row < w().Variables->PickVariables->count(); ++row) {
            QListWidgetItem* item = w().Variables->PickVariables->item(row);
            if (item->text().startsWith(name + " ") || item->text().contains("| " + name + " "))
                return item;
        }
        return nullptr;
    }
    int monitorRows() { return w().VarMonWin->VarMonitor->rowCount(); }
};

} // namespace

class VariableWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { seedSettingsStore(); }

    void anUncompiledSourceHasNoVariablesInformation() {
        Picking p;
        QCOMPARE(p.w().statusText(1),
                 QString("Cannot load variables information. [./out/prog.src]"));
        QVERIFY(p.state().variables.empty());
    }

    void theTickAfterACompileLoadsTheVariablesOnce() {
        Picking p;
        p.compileAndTick();
        const QStringList lines = p.lines();
        QCOMPARE(lines.filter(QRegularExpression("^count +\\| +\\d+ \\| \\{Global\\}$")).size(), 1);
        // 5 bytes: records of 2, 2 and 1.
        QCOMPARE(lines.filter(QRegularExpression("^text ")).size(), 3);
        QCOMPARE(lines.filter(QRegularExpression("^i .*\\{main\\}$")).size(), 1);
        QCOMPARE(p.w().Variables->VarHeader->text(), QString("Variable           |  Addr | Scope"));
        // A later tick without a new compile reloads nothing.
        p.state().variables.clear();
        p.w().Timer1Timer();
        QVERIFY(p.state().variables.empty());
    }

    void aFailedCompileDoesNotReload() {
        Picking p;
        p.compileAndTick();
        const std::size_t loaded = p.state().variables.size();
        typeOver(p.w().EditWindow, "void main(void) { nothing = 1; }\n");
        p.dialogs.answers.push_back(Answer::Yes);
        p.state().variables.clear();
        p.w().SpeedCompileClick();
        QCOMPARE(p.w().statusText(1), QString("Found errors."));
        p.w().Timer1Timer();
        QVERIFY(p.state().variables.empty());
        QVERIFY(loaded > 0);
    }

    void layoutsAndAddressFormatsFromTheViewMenu() {
        Picking p;
        p.compileAndTick();
        p.w().findChild<QAction*>("BanksHex1")->trigger();
        p.w().findChild<QAction*>("byAddress1")->trigger();
        QCOMPARE(p.w().Variables->VarHeader->text(), QString(" Addr | Variable           | Scope"));
        // Sorted by the address text.
        QVERIFY(p.lines().first().startsWith(" 0 0"));
        p.w().findChild<QAction*>("byScope1")->trigger();
        QVERIFY(
            !p.lines().filter(QRegularExpression("^i +\\| \\{main\\} +\\|  0 0\\d$")).isEmpty());
        QVERIFY(p.w().findChild<QAction*>("byScope1")->isChecked());
        QVERIFY(!p.w().findChild<QAction*>("byName1")->isChecked());
    }

    void picksDecideWhatTheMonitorShows() {
        Picking p;
        p.compileAndTick();
        QCOMPARE(p.monitorRows(), 0);
        p.w().Variables->PickVariablesClick(p.lineOf("count"));
        QCOMPARE(p.monitorRows(), 1);
        QCOMPARE(p.w().VarMonWin->VarMonitor->item(0, 1)->text(), QString("count"));
        QCOMPARE(p.w().VarMonWin->VarMonitor->item(0, 3)->text(), QString("  1"));
        // No target ran yet: no value.
        QCOMPARE(p.w().VarMonWin->VarMonitor->item(0, 4)->text(), QString());
        p.w().Variables->PickVariables->setCurrentItem(p.lineOf("i"));
        p.w().Variables->VarInScopeClick();
        const auto inMain = std::count_if(p.state().variables.begin(), p.state().variables.end(),
                                          [](const auto& r) { return r.scope == "main"; });
        QVERIFY(inMain >= 1);
        QCOMPARE(p.monitorRows(), 1 + static_cast<int>(inMain));
        p.w().All1Click();
        QCOMPARE(p.monitorRows(), static_cast<int>(p.state().variables.size()));
        p.w().None1Click();
        QCOMPARE(p.monitorRows(), 0);
    }

    void picksSurviveTheReloadAfterTheNextCompile() {
        Picking p;
        p.compileAndTick();
        p.w().Variables->PickVariablesClick(p.lineOf("count"));
        p.w().loadVariables(true);
        QCOMPARE(p.monitorRows(), 1);
    }

    void theModifyDialogRefusesMistakes() {
        Picking p;
        p.compileAndTick();
        TVarModifyDialog* modify = p.w().Variables->VarModifyDialog;
        modify->showRecord(nullptr);
        modify->ModVarButOkClick();
        modify->showRecord(&p.state().variables[0]);
        modify->ModVarButOkClick();
        QCOMPARE(p.dialogs.texts(), (QStringList{"You must first select a variable to modify.",
                                                 "You have entered an invalid value!."}));
        QCOMPARE(p.dialogs.asked[0].title, QString("Kavo C Compiler Message"));
        modify->NewValue->setText("0x20");
        modify->ModVarButOkClick();
        QCOMPARE(p.state().modifications.size(), std::size_t(1));
        QCOMPARE(p.state().modifications[0].value, 32);
        // No session to write it into yet.
        QVERIFY(!p.state().modifications[0].written);
    }

    void theAddDialogAppendsAVariable() {
        Picking p;
        p.compileAndTick();
        const std::size_t before = p.state().variables.size();
        TAddVarDialog* add = p.w().Variables->AddVarDialog;
        add->VarName->setText("porta");
        add->VarAddress->setText("0x05");
        add->VarSize->setText("1");
        add->AddVarButOkClick();
        QCOMPARE(p.state().variables.size(), before + 1);
        QVERIFY(p.lineOf("porta") != nullptr);
        QVERIFY(p.lineOf("porta")->text().contains("  5 | {Global}"));
    }
};

KAVO_IDE_TEST(VariableWindowsTest)
#include "variable_windows_test.moc"
