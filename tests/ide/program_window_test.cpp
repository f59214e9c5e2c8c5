// The program window: its controls and device layouts, the object file it loads, and the chip
// commands it hands to a scripted runner that drives the window as a programmer driver does
// (progress dialogs, Cancel, the read buffer, failures).
#include "common/hex_view_text.hpp"
#include "ide/config_window.hpp"
#include "ide/lumadesk_window.hpp"
#include "ide/program_window.hpp"
#include "ide/progress_dialogs.hpp"
#include "ide_test_support.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>

using namespace kavo::ide;
using namespace kavo::ide::testing;
using namespace kavo::programmer;

namespace {

constexpr ChipCommand EveryCommand[] = {ChipCommand::Read, ChipCommand::Erase,
                                        ChipCommand::BlankCheck, ChipCommand::Verify,
                                        ChipCommand::Program};

// Stands in for the programmer drivers: records each command and runs a script against the
// session and the host, as a driver would.
class ScriptedRunner : public ChipCommandRunner {
public:
    struct Call {
        ChipCommand command;
        ProgrammerConnection connection;
        std::size_t memoryWords;
        ProgrammingTimes times;
    };
    using Script = std::function<bool(ChipCommand, ChipSession&, ProgrammerHost&)>;

    std::vector<Call> calls;
    Script script;

    bool run(ChipCommand command, const ProgrammerConnection& connection, ChipSession& session,
             ProgrammerHost& host) override {
        calls.push_back({command, connection, session.memoryWords, session.times});
        return script ? script(command, session, host) : true;
    }
    bool resetTarget(const ProgrammerConnection&, ProgrammerHost&) override { return true; }
};

struct Setup {
    WorkingFolder folder;
    ScriptedDialogs dialogs;
    TLumadesk w{&dialogs};
    TProgram& p = *w.Program;
    ScriptedRunner runner;

    Setup() { w.setChipCommandRunner(&runner); }

    void chooseProgrammer(const QString& type) {
        QComboBox* types = w.ConfigWindow->ProgrammerType;
        if (types->findText(type) < 0)
            types->addItem(type);
        types->setCurrentText(type);
        w.ConfigWindow->OKButtonClick();
    }
    void run(ChipCommand command) {
        switch (command) {
        case ChipCommand::Read:
            return p.ProgReadClick();
        case ChipCommand::Erase:
            return p.ProgEraseClick();
        case ChipCommand::BlankCheck:
            return p.ProgBlankCheckClick();
        case ChipCommand::Verify:
            return p.ProgVerifyClick();
        case ChipCommand::Program:
            return p.ProgProgramClick();
        }
    }
};

bool shown(const QWidget* widget) {
    return !widget->isHidden();
}

// A driver that waits for the user's Cancel, letting window events run, as the word loops do.
bool waitForCancel(ProgressKind kind, const bool& flag, ProgrammerHost& host) {
    host.openProgress(kind, 2049);
    for (int i = 0; i < 1000 && !flag; ++i)
        host.processEvents();
    host.closeProgress();
    return flag;
}

} // namespace

class ProgramWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { seedSettingsStore(); }

    void theWindowOpensWithItsCaptionPlaceAndStartingChoices() {
        Setup s;
        QCOMPARE(s.p.windowTitle(), QString("Program SX chip"));
        QCOMPARE(s.p.pos(), QPoint(55, 70));
        for (QAbstractButton* ticked : std::initializer_list<QAbstractButton*>{
                 s.p.Pins_18, s.p.Stack, s.p.SX48_Sleep, s.p.OscDiv[0], s.p.Brown_off,
                 s.p.Reset_18ms, s.p.Crystal_Drive, s.p.Crystal_Feedback})
            QVERIFY2(ticked->isChecked(), qPrintable(ticked->objectName()));
        QVERIFY(!s.p.Turbo->isChecked() && !s.p.Watchdog->isChecked());
        QVERIFY(s.p.Pins_48->isHidden() && !s.p.Pins_48->isEnabled());
        QVERIFY(s.p.GroupBox5->isHidden());
        QCOMPARE(s.p.OscCalibration->currentText(), QString("Preserve"));
        QCOMPARE(s.p.OscCalibration->count(), 4);
        QCOMPARE(s.p.IDWord->toolTip(), QString("Device ID"));
        QCOMPARE(s.p.session().memoryWords, std::size_t(2048));
        QVERIFY(s.p.ProgramEdit->isReadOnly());
        // The window's words at start: an 18-pin part with the stack extension.
        const ConfigurationWords words = computeConfigurationWords(s.p.options());
        QCOMPARE(words.fuse, 0xFFBu);
        QCOMPARE(words.fusex, 0xB7Fu);
    }

    void theToolBarOffersItsCommandsWithTheirHints() {
        Setup s;
        QStringList hints;
        for (const QAction* a : s.p.ProgToolBar->actions())
            hints << a->objectName() + "|" + a->toolTip();
        QCOMPARE(hints, (QStringList{"ProgOpen|Open Hex File", "ProgSave|Save Hex File",
                                     "ProgBlankCheck|Check If Microcontroller is erased",
                                     "ProgProgram|Program Microcontroller",
                                     "ProgVerify|Verify Microcontroller Code",
                                     "ProgRead|Read From Microcontroller",
                                     "ProgErase|Erase Microcontroller Program Memory"}));
        s.chooseProgrammer("SX-Blitz");
        s.p.ProgVerify->trigger();
        s.p.ProgSave->trigger(); // no command
        QCOMPARE(s.runner.calls.size(), std::size_t(1));
        QCOMPARE(s.runner.calls[0].command, ChipCommand::Verify);
    }

    void eachDeviceShowsItsOwnGroupsInTheirPlaces() {
        Setup s;
        s.p.Pins_48->setChecked(true);
        s.p.Pins_48Click();
        QCOMPARE(s.p.session().memoryWords, std::size_t(4096));
        QVERIFY(!shown(s.p.GroupBox2));
        QVERIFY(shown(s.p.GroupBox_52Options) && shown(s.p.Reset_timer) &&
                shown(s.p.Crystal_options));
        QCOMPARE(s.p.GroupBox_52Options->pos(), QPoint(416, 24));
        QCOMPARE(s.p.Reset_timer->pos(), QPoint(416, 128));
        QCOMPARE(s.p.Crystal_options->x(), 416);
        QCOMPARE(s.p.GroupBox3->y(), 176);
        QCOMPARE(s.p.Brownout->y(), 360);
        for (QRadioButton* pins : {s.p.Pins_28, s.p.Pins_18}) {
            pins->click();
            QCOMPARE(s.p.session().memoryWords, std::size_t(2048));
            QVERIFY(shown(s.p.GroupBox2));
            QVERIFY(!shown(s.p.GroupBox_52Options) && !shown(s.p.Reset_timer) &&
                    !shown(s.p.Crystal_options));
            QCOMPARE(s.p.GroupBox2->y(), 38);
            QCOMPARE(s.p.GroupBox3->y(), 200);
            QCOMPARE(s.p.Brownout->y(), 352);
        }
    }

    void theOpenedObjectFileIsShownAndNamedInTheStatusBar() {
        Setup s;
        const QString hex = s.folder.file("blink.sxh");
        writeText(hex, ":04000000AB0A0C0C3D\r\n:00000001FF\r\n");
        s.dialogs.files = {hex};
        s.p.ProgOpenClick();
        QCOMPARE(s.p.statusText(), "Loaded hex file \"" + hex + "\"");
        QVERIFY(s.p.ProgramEdit->toPlainText().startsWith("[0000] => AAB C0C \n"));
        QCOMPARE(s.w.programImage().words[1], 0xC0Cu);
        QCOMPARE(s.dialogs.fileDialogTitles, QStringList{"Open Hex File"});

        const QString missing = s.folder.file("gone.sxh");
        s.dialogs.files = {missing};
        s.p.ProgOpenClick();
        QCOMPARE(s.p.statusText(), "Load hex file \"" + missing + "\" FAILED!");
        QCOMPARE(s.dialogs.asked.back().title, QString(MessageTitle));
        QCOMPARE(s.dialogs.asked.back().text, "Cannot open Hex file " + missing + "\n");
        QVERIFY(s.p.ProgramEdit->toPlainText().isEmpty());

        s.dialogs.files = {""}; // the dialog is cancelled: nothing changes
        s.p.ProgOpenClick();
        QCOMPARE(s.p.statusText(), "Load hex file \"" + missing + "\" FAILED!");
    }

    void launchProgrammerShowsTheWindowWithTheCompiledImage() {
        Setup s;
        QDir(s.folder.path()).mkpath("src");
        QDir(s.folder.path()).mkpath("out");
        writeText(s.folder.file("src/prog.c"), "void main(void) {}\n");
        writeText(s.folder.file("out/prog.sxh"), ":02000000AB0A49\n:00000001FF\n");
        QVERIFY(s.w.loadSourceFile(s.folder.file("src/prog.c")));
        s.w.findChild<QAction*>("SpeedProgram")->trigger();
        QVERIFY(s.p.isVisible());
        QCOMPARE(s.p.ProgramEdit->toPlainText(), QString("[0000] => AAB \n"));
        QCOMPARE(s.p.ProgramEdit->textCursor().position(), 0);
        QVERIFY(s.dialogs.asked.empty());
    }

    void aChipCommandGoesToTheRunnerWithTheConfiguredProgrammer() {
        Setup s;
        s.w.ConfigWindow->PortConfig->setCurrentIndex(2);
        for (const char* type : {"SX-Blitz", "Lumadesk"}) {
            s.chooseProgrammer(type);
            // The erase time is the configuration window's field as it stands now.
            s.w.ConfigWindow->EraseTime->setText("4500");
            s.runner.calls.clear();
            for (ChipCommand command : EveryCommand)
                s.run(command);
            QCOMPARE(s.runner.calls.size(), std::size_t(5));
            for (std::size_t i = 0; i < 5; ++i) {
                const ScriptedRunner::Call& call = s.runner.calls[i];
                QCOMPARE(call.command, EveryCommand[i]);
                QCOMPARE(call.connection.programmerType, std::string(type));
                QCOMPARE(call.connection.serialPort, std::string("COM3:"));
                QCOMPARE(call.times.erase, 4500);
                QCOMPARE(call.times.fuse, s.w.ideSettings().fuseProgTime);
                QCOMPARE(call.times.e2flash, s.w.ideSettings().e2flashProgTime);
            }
        }
        QVERIFY(s.dialogs.asked.empty());
    }

    void anUnknownProgrammerTypeIsRefusedForEveryCommand() {
        Setup s;
        s.chooseProgrammer("Parallel Thing");
        for (ChipCommand command : EveryCommand)
            s.run(command);
        QVERIFY(s.runner.calls.empty());
        QCOMPARE(s.dialogs.texts(),
                 (QStringList{"Programmer not supported yet", "Programmer not supported yet",
                              "Programmer not supported yet", "Programmer not supported yet.",
                              "Programmer not supported yet"}));
        for (const ScriptedDialogs::Asked& box : s.dialogs.asked)
            QCOMPARE(box.title, QString("Programmer Error"));
    }

    void withoutDriversACommandSaysSoAndChangesNothing() {
        Setup s;
        s.w.setChipCommandRunner(nullptr);
        s.p.ProgReadClick();
        QCOMPARE(s.dialogs.texts(),
                 QStringList{"No programmer driver is available for \"SX-Blitz\"."});
        QCOMPARE(s.dialogs.asked[0].title, QString("Programmer Error"));
    }

    void theControlsGiveTheWordsTheDriverProgramsAndVerifies() {
        Setup s;
        s.p.Radio_LP->click();
        s.p.Stack->setChecked(false);
        s.p.Brown_26->click();
        std::vector<ConfigurationWords> given;
        s.runner.script = [&](ChipCommand, ChipSession&, ProgrammerHost& host) {
            given.push_back(host.configurationFromControls());
            return true;
        };
        s.p.ProgProgramClick();
        s.p.Radio_RC->click();
        s.p.ProgVerifyClick();
        QCOMPARE(given.size(), std::size_t(2));
        QCOMPARE(given[0].fuse, 0xF1Bu);
        QCOMPARE(given[0].fusex, 0xBDFu);
        QCOMPARE(given[0].oscillatorClass, 1);
        QCOMPARE(given[1].fuse, 0xFFBu);
        QCOMPARE(given[1].oscillatorClass, 2);
    }

    void aReadShowsTheMemoryAndTheChipsOptions() {
        Setup s;
        s.runner.script = [](ChipCommand, ChipSession& session, ProgrammerHost& host) {
            host.openProgress(ProgressKind::Read, int(session.memoryWords) + 1);
            for (std::size_t a = 0; a < session.memoryWords; ++a)
                session.readBuffer[a] = a < 20 ? 0x100 + a : ErasedWord;
            std::copy_n(session.readBuffer.begin(), session.memoryWords,
                        session.image.words.begin());
            session.image.fuse = 0x71B;  // turbo, internal 4 MHz, no watchdog
            session.image.fusex = 0xFCF; // 28 pins, no stack extension, brown-out 4.2 V
            host.closeProgress();
            host.showMemory();
            host.showConfiguration(session.image.fuse, session.image.fusex);
            host.setStatusText("Device = 0FE FuseX = FCF Fuse = 71B");
            return true;
        };
        s.p.ProgReadClick();
        QCOMPARE(s.p.ProgramEdit->toPlainText().toStdString(),
                 kavo::common::hexViewText(s.w.programImage().words, ErasedWord));
        QVERIFY(s.p.ProgramEdit->toPlainText().startsWith("[0000] => 100 101 "));
        QVERIFY(s.p.Pins_28->isChecked());
        QVERIFY(s.p.Turbo->isChecked());
        QVERIFY(s.p.Radio_LP->isChecked());
        QVERIFY(!s.p.Stack->isChecked());
        QVERIFY(s.p.Brown_42->isChecked());
        QVERIFY(!s.p.Watchdog->isChecked());
        QCOMPARE(s.p.statusText(), QString("Device = 0FE FuseX = FCF Fuse = 71B"));
        QVERIFY(!s.p.ReadMem->isVisible());
    }

    void aFailedCommandLeavesImageFuseAndFusexAsTheyWere() {
        Setup s;
        for (ChipCommand command : EveryCommand) {
            s.runner.script = [](ChipCommand, ChipSession& session, ProgrammerHost& host) {
                session.readBuffer[0] = 0x123; // what a read received before it failed
                session.image.words[0] = 0x123;
                session.image.fuse = 0x000;
                session.image.fusex = 0x000;
                host.showMemory();
                host.message(MessageIcon::Error, "Programmer Error", "Programming failed.");
                return false;
            };
            s.run(command);
            QCOMPARE(s.w.programImage().words[0], ErasedWord);
            QCOMPARE(s.w.programImage().fuse, ErasedWord);
            QCOMPARE(s.w.programImage().fusex, ErasedWord);
            QCOMPARE(s.p.session().readBuffer[0], 0x123u);
            QCOMPARE(s.p.ProgramEdit->toPlainText(), QString("[0000] => FFF \n"));
        }
        QCOMPARE(s.dialogs.asked.size(), std::size_t(5));
        QCOMPARE(s.dialogs.asked[0].text, QString("Programming failed."));
    }

    void cancelSetsTheFlagOfItsCommandWhileItRuns() {
        struct Case {
            ChipCommand command;
            ProgressKind kind;
            bool ChipSession::*flag;
        };
        const Case cases[] = {
            {ChipCommand::Read, ProgressKind::Read, &ChipSession::readCancel},
            {ChipCommand::BlankCheck, ProgressKind::BlankCheck, &ChipSession::readCancel},
            {ChipCommand::Verify, ProgressKind::Verify, &ChipSession::readCancel},
            {ChipCommand::Program, ProgressKind::Program, &ChipSession::programCancel},
        };
        for (const Case& c : cases) {
            Setup s;
            bool cancelled = false;
            bool otherFlag = true;
            s.runner.script = [&](ChipCommand, ChipSession& session, ProgrammerHost& host) {
                cancelled = waitForCancel(c.kind, session.*c.flag, host);
                otherFlag = session.readCancel && session.programCancel;
                return true;
            };
            QTimer::singleShot(0, &s.p, [&] { s.p.progressDialog(c.kind)->CancelButton->click(); });
            s.run(c.command);
            QVERIFY(cancelled);
            QVERIFY(!otherFlag); // only the command's own flag was set
        }
    }

    void aNewCommandStartsWithItsCancelFlagsCleared() {
        Setup s;
        s.p.session().readCancel = true;
        s.p.session().programCancel = true;
        bool clear = false;
        s.runner.script = [&](ChipCommand, ChipSession& session, ProgrammerHost&) {
            clear = !session.readCancel && !session.programCancel;
            return true;
        };
        s.p.ProgReadClick();
        QVERIFY(clear);
    }

    void cancelBecomesOkWhenTheCommandHasEnded() {
        Setup s;
        s.runner.script = [](ChipCommand, ChipSession&, ProgrammerHost& host) {
            host.openProgress(ProgressKind::BlankCheck, 2049);
            host.finishProgress();
            return true;
        };
        s.p.ProgBlankCheckClick();
        QVERIFY(s.p.BlankCheck->isVisible());
        QCOMPARE(s.p.BlankCheck->CancelButton->text(), QString("OK"));
        s.p.BlankCheck->CancelButton->click();
        QVERIFY(!s.p.BlankCheck->isVisible());
        QVERIFY(!s.p.session().readCancel);
    }

    void aDialogLeftRunningByItsDriverCanBeClosedAfterwards() {
        Setup s;
        s.runner.script = [](ChipCommand, ChipSession&, ProgrammerHost& host) {
            host.openProgress(ProgressKind::Verify, 2049);
            return false;
        };
        s.p.ProgVerifyClick();
        QCOMPARE(s.p.VerifyMem->CancelButton->text(), QString("OK"));
        s.p.VerifyMem->close();
        QVERIFY(!s.p.VerifyMem->isVisible());
    }

    void closingARunningDialogCancelsItsCommandInsteadOfClosing() {
        Setup s;
        bool cancelled = false;
        bool stayedOpen = false;
        s.runner.script = [&](ChipCommand, ChipSession& session, ProgrammerHost& host) {
            host.openProgress(ProgressKind::Program, 2049);
            s.p.ProgMem->close();
            cancelled = session.programCancel;
            stayedOpen = s.p.ProgMem->isVisible();
            host.closeProgress();
            return true;
        };
        s.p.ProgProgramClick();
        QVERIFY(cancelled);
        QVERIFY(stayedOpen);
    }

    void theProgressDialogsShowWhatTheDriverSends() {
        Setup s;
        QStringList seen;
        s.runner.script = [&](ChipCommand command, ChipSession&, ProgrammerHost& host) {
            if (command == ChipCommand::Program) {
                host.openProgress(ProgressKind::Program, 2049);
                host.setProgressAddress("7FF");
                host.setProgressPosition(2048);
                host.setRemainingTime("01:05");
                seen << s.p.ProgMem->ProgMemAddrVal->text()
                     << QString::number(s.p.ProgMem->ProgressBar->maximum())
                     << QString::number(s.p.ProgMem->ProgressBar->value())
                     << s.p.ProgMem->Remaining->text()
                     << (s.p.ProgMem->Erasing->isHidden() ? "no erase shown" : "erasing");
                host.closeProgress();
                return true;
            }
            host.openProgress(ProgressKind::Verify, 2049);
            // The last verify's ticks are gone.
            seen << (s.p.VerifyMem->Fuse->isChecked() ? "old tick" : "cleared");
            host.tickVerified(VerifiedPart::Fuse);
            host.tickVerified(VerifiedPart::Device);
            host.finishProgress();
            return true;
        };
        s.p.ProgProgramClick();
        QCOMPARE(seen, (QStringList{"7FF", "2049", "2048", "01:05", "no erase shown"}));
        QVERIFY(!s.p.ProgMem->isVisible());
        s.p.ProgVerifyClick();
        QVERIFY(s.p.VerifyMem->Fuse->isChecked() && s.p.VerifyMem->Device->isChecked());
        QVERIFY(!s.p.VerifyMem->Mem->isChecked() && !s.p.VerifyMem->Fusex->isChecked());
        s.p.ProgVerifyClick();
        QCOMPARE(seen.mid(5), (QStringList{"cleared", "cleared"}));
        QCOMPARE(s.p.ReadMem->windowTitle(), QString("Read Program Memory"));
        QCOMPARE(s.p.BlankCheck->windowTitle(), QString("Blank Check"));
        QCOMPARE(s.p.ProgMem->windowTitle(), QString("Program SX"));
        QCOMPARE(s.p.VerifyMem->windowTitle(), QString("Verify Program Memory"));
        QCOMPARE(s.p.VerifyMem->Device->text(), QString("SX"));
        QCOMPARE(s.p.VerifyMem->Fusex->text(), QString("FuseX"));
    }

    void theReloadTickRestsDuringACommandAndRunsAgainAfterIt() {
        Setup s;
        bool restedDuringCommand = false;
        s.runner.script = [&](ChipCommand, ChipSession&, ProgrammerHost& host) {
            host.stopTick();
            restedDuringCommand = !s.w.Timer1->isActive();
            return true; // a driver that ends without starting the tick again
        };
        s.p.ProgEraseClick();
        QVERIFY(restedDuringCommand);
        QVERIFY(s.w.Timer1->isActive());
        QCOMPARE(s.w.Timer1->interval(), TickInterval);
    }

    void aSecondCommandCannotStartWhileOneRuns() {
        Setup s;
        bool toolBarEnabled = true;
        s.runner.script = [&](ChipCommand, ChipSession&, ProgrammerHost&) {
            toolBarEnabled = s.p.ProgToolBar->isEnabled();
            s.p.ProgEraseClick();
            return true;
        };
        s.p.ProgReadClick();
        QCOMPARE(s.runner.calls.size(), std::size_t(1));
        QVERIFY(!toolBarEnabled);
        QVERIFY(s.p.ProgToolBar->isEnabled());
        QVERIFY(!s.p.commandRunning());
    }

    void closingTheWindowDuringACommandCancelsItAndTheWindowStays() {
        Setup s;
        s.p.show();
        bool stayed = false;
        bool cancelled = false;
        s.runner.script = [&](ChipCommand, ChipSession& session, ProgrammerHost&) {
            s.p.close();
            stayed = s.p.isVisible();
            cancelled = session.readCancel && session.programCancel;
            return true;
        };
        s.p.ProgReadClick();
        QVERIFY(stayed);
        QVERIFY(cancelled);
        s.p.close();
        QVERIFY(!s.p.isVisible());
    }

    void aReadOfALargePartKeepsItsMemorySize() {
        Setup s;
        s.p.Pins_48->setChecked(true);
        s.p.Pins_48Click();
        s.runner.script = [](ChipCommand, ChipSession&, ProgrammerHost& host) {
            host.showConfiguration(0xFFF, 0xBFF); // FUSEX bit 10 is no package bit here
            return true;
        };
        s.p.ProgReadClick();
        QVERIFY(s.p.Pins_48->isChecked());
        QCOMPARE(s.p.session().memoryWords, std::size_t(4096));
        QVERIFY(shown(s.p.GroupBox_52Options));
    }
};

KAVO_IDE_TEST(ProgramWindowTest)
#include "program_window_test.moc"
