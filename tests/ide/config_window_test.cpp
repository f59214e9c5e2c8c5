// The debugger/programmer configuration window: reaching it, the debug target, the port, the
// clock and times, Undo Changes and Cancel.
#include "ide/config_window.hpp"
#include "ide/lumadesk_window.hpp"
#include "ide_test_support.hpp"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

using namespace kavo::ide;
using namespace kavo::ide::testing;

namespace {

struct Setup {
    WorkingFolder folder;
    ScriptedDialogs dialogs;
    TLumadesk w{&dialogs};
    TConfigWindow& c = *w.ConfigWindow;

    Setup() { c.FormShow(); }
    bool buttonShown(const char* name) {
        const QAction* a = w.findChild<QAction*>(name);
        return a->isVisible() && a->isEnabled();
    }
};

} // namespace

class ConfigWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { seedSettingsStore(); }

    void theWindowCanBeReachedFromTheToolBarAndTheMenu() {
        Setup s;
        QVERIFY(s.buttonShown("SpeedButton1"));
        QVERIFY(s.buttonShown("DebuggerProgrammer1"));
        QTimer::singleShot(0, &s.c, [&] { s.c.ConfigCancelClick(); });
        s.w.findChild<QAction*>("DebuggerProgrammer1")->trigger();
        QVERIFY(!s.c.isVisible());
        QCOMPARE(s.c.windowTitle(), QString("ConfigWindow"));
    }

    void theLumadeskTargetShowsTheDebugButtonsAndSxBlitzHidesThem() {
        Setup s;
        s.c.ProgrammerType->setCurrentText("Lumadesk");
        s.c.OKButtonClick();
        for (const char* name : {"SpeedReset", "SpeedStep", "SpeedRun", "SpeedStop", "SpeedVars"})
            QVERIFY2(s.buttonShown(name), name);
        QCOMPARE(s.c.programmerType(), QString("Lumadesk"));
        s.c.ProgrammerType->setCurrentText("SX-Blitz");
        s.c.OKButtonClick();
        QVERIFY(!s.buttonShown("SpeedStep"));
        QVERIFY(s.buttonShown("SpeedReset"));
    }

    void okTakesThePortAndTheTimes() {
        Setup s;
        s.c.PortConfig->setCurrentIndex(2);
        s.c.RomTime->setText("250");
        s.c.FuseTime->setText("0x20");
        s.c.OKButtonClick();
        QCOMPARE(s.w.ideSettings().serialPort, 3);
        QCOMPARE(s.w.ideSettings().serialPortName, std::string("COM3:"));
        QCOMPARE(s.w.ideSettings().e2flashProgTime, 250);
        QCOMPARE(s.w.ideSettings().fuseProgTime, 32);
    }

    // Any device path is a port, offered beside COM1: to COM4: when found, and kept in
    // LUMADESK.CFG as it was typed.
    void aDevicePathIsAPortToo() {
        Setup s;
        QCOMPARE(s.c.PortConfig->itemText(3), QString("COM4:"));
        QVERIFY(s.c.PortConfig->isEditable());
        s.c.PortConfig->setCurrentText("/dev/ttyACM0");
        s.c.OKButtonClick();
        QCOMPARE(s.w.ideSettings().serialPortName, std::string("/dev/ttyACM0"));
        QCOMPARE(s.w.ideSettings().serialPort, 0);
        const std::string file = s.folder.file("ports.cfg").toStdString();
        QVERIFY(writeIdeSettings(file, s.w.ideSettings()));
        IdeSettings again;
        readIdeSettings(file, again);
        QCOMPARE(again.serialPortName, std::string("/dev/ttyACM0"));
    }

    void okReadsTheNamedSettingsFileAgain() {
        Setup s;
        writeText(s.folder.file("other.cfg"), "USER1_EXE fromfile\nPARALLEL_PORT LPT2\n");
        s.c.NewCompilerCfgFile2->setText("other.cfg");
        emit s.c.NewCompilerCfgFile2->textEdited("other.cfg");
        s.c.OKButtonClick();
        QCOMPARE(s.w.ideSettings().compilerConfigFile, std::string("other.cfg"));
        QCOMPARE(s.w.ideSettings().user1Exe, std::string("fromfile"));
        QCOMPARE(s.w.ideSettings().parallelRegisters.data, 0x278);
    }

    void theClockRadiosSetTheSpeedAtOnce() {
        Setup s;
        QVERIFY(s.c.oscillators[3]->isChecked()); // "4 MHz" is index 5
        QCOMPARE(s.c.oscillators[3]->text(), QString("4 MHz"));
        s.c.oscillators[0]->click();
        QCOMPARE(s.w.ideSettings().oscSpeed, 8);
        s.c.oscillators[8]->click();
        QCOMPARE(s.w.ideSettings().oscSpeed, 0);
        s.c.PCspeedScroll->setValue(20);
        QCOMPARE(s.w.ideSettings().pcSpeed, 20);
    }

    void undoAndCancelRestoreWhatTheWindowOpenedWith() {
        Setup s;
        s.c.oscillators[0]->click();
        s.c.PCspeedScroll->setValue(30);
        s.c.DbgExtension->setText("xyz");
        emit s.c.DbgExtension->textEdited("xyz");
        s.c.UndoConfigClick();
        QCOMPARE(s.w.ideSettings().oscSpeed, 5);
        QCOMPARE(s.w.ideSettings().pcSpeed, 1);
        QCOMPARE(s.w.ideSettings().debugExtension, std::string("cdb"));
        QCOMPARE(s.c.DbgExtension->text(), QString("cdb"));
        QVERIFY(s.c.oscillators[3]->isChecked());
        s.c.oscillators[1]->click();
        s.c.ConfigCancelClick();
        QCOMPARE(s.w.ideSettings().oscSpeed, 5);
    }
};

KAVO_IDE_TEST(ConfigWindowTest)
#include "config_window_test.moc"
