// The program window on the real programmer drivers: a programmer model on a pseudo-terminal,
// a program loaded from an object file, and Program, Verify, Read, Blank Check and Erase given
// from the window's own commands; and a programmer that refuses the greeting.
#include "ide/config_window.hpp"
#include "ide/lumadesk_window.hpp"
#include "ide/program_window.hpp"
#include "ide_test_support.hpp"
#include "programmer/object_file_writer.hpp"
#include "programmer/programmer_drivers.hpp"
#include "tests/programmer/blitz_model.hpp"
#include "tests/programmer/driver_rig.hpp"
#include "tests/programmer/isp_model.hpp"

#include <QComboBox>
#include <QFile>
#include <QTest>
#include <QTimer>

using namespace kavo::ide;
using namespace kavo::ide::testing;
using namespace kavo::programmer;

namespace {

constexpr std::size_t ChipWords = 2048;

// The window with the serial drivers plugged in, the port naming the pseudo-terminal.
struct WindowOnDrivers {
    WorkingFolder folder;
    ScriptedDialogs dialogs;
    TLumadesk w{&dialogs};
    TProgram& p = *w.Program;
    kavo::testing::PtyDevice device;
    std::unique_ptr<ChipCommandRunner> runner;

    WindowOnDrivers(const QString& programmerType, DriverOptions options = {}) {
        options.makeParallelPort = [](int) {
            return std::make_unique<kavo::testing::FakeParallelPort>(
                std::make_shared<kavo::testing::ParallelRecord>());
        };
        runner = makeSerialChipCommandRunner(options);
        w.setChipCommandRunner(runner.get());
        QComboBox* types = w.ConfigWindow->ProgrammerType;
        if (types->findText(programmerType) < 0)
            types->addItem(programmerType);
        types->setCurrentText(programmerType);
        w.ConfigWindow->OKButtonClick();
        w.ideSettings().serialPortName = device.path();
    }

    // Loads a program of mostly programmed words through an object file, as Open does.
    void loadProgram() {
        ProgramImage program;
        kavo::testing::fillImage(program, ChipWords);
        QFile file("prog.sxh");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(objectFileText(program, ChipWords)));
        file.close();
        QVERIFY(w.loadObjectFile("prog.sxh", true));
        QCOMPARE(w.programImage().words, program.words);
    }

    std::vector<std::uint32_t> imageWords() const {
        const auto& words = w.programImage().words;
        return {words.begin(), words.begin() + ChipWords};
    }
    bool asked(const QString& text) const {
        for (const auto& question : dialogs.asked)
            if (question.text == text)
                return true;
        return false;
    }
};

} // namespace

class ProgramWindowDriversTest : public QObject {
    Q_OBJECT
private slots:
    void init() { seedSettingsStore(); }

    void aProgramGoesThroughTheSxBlitzAndComesBack() {
        WindowOnDrivers s(SxBlitzProgrammer);
        kavo::testing::BlitzModel blitz(s.device, ChipWords);
        s.loadProgram();

        s.p.ProgProgramClick();
        {
            auto lock = blitz.lock();
            QCOMPARE(blitz.chip.memory, s.imageWords());
        }
        s.p.ProgVerifyClick();
        QVERIFY(!s.asked("Verify Failed!"));
        {
            auto lock = blitz.lock();
            blitz.chip.memory[5] ^= 0x001;
        }
        s.p.ProgVerifyClick();
        QVERIFY(s.asked("Verify Failed!"));

        std::vector<std::uint32_t> chip;
        {
            auto lock = blitz.lock();
            chip = blitz.chip.memory;
        }
        s.p.ProgReadClick();
        QCOMPARE(s.imageWords(), chip);

        s.p.ProgBlankCheckClick();
        QVERIFY(s.asked("Device is not blank!"));
        s.p.ProgEraseClick();
        QVERIFY(s.asked("Erase completed."));
        s.p.ProgBlankCheckClick();
        QVERIFY(s.asked("Device is blank"));
        QVERIFY(s.w.Timer1->isActive());
    }

    void aProgramGoesThroughTheIspProgrammerAndComesBack() {
        DriverOptions options;
        options.timing.waitDivisor = 1000; // the protocol's pauses, not its time-outs
        WindowOnDrivers s(IspProgrammer, options);
        kavo::testing::IspModel isp(s.device, ChipWords);
        s.loadProgram();

        s.p.ProgProgramClick();
        {
            auto lock = isp.lock();
            QCOMPARE(isp.chip.memory, s.imageWords());
        }
        s.p.ProgVerifyClick();
        QVERIFY(!s.asked("Verify Failed!"));

        const std::vector<std::uint32_t> programmed = s.imageWords();
        s.w.loadObjectFile("missing.sxh", false); // empties the image
        s.p.ProgReadClick();
        QCOMPARE(s.imageWords(), programmed);
        s.p.ProgBlankCheckClick();
        QVERIFY(s.asked("Program Memory is Not Blank"));
        QVERIFY(s.w.Timer1->isActive());
    }

    // A command on a port with no device behind it: one box, carrying the system's reason.
    void aMissingDeviceGivesOneBoxWithTheReason() {
        for (const QString& type : {QString(SxBlitzProgrammer), QString(IspProgrammer)}) {
            WindowOnDrivers s(type);
            s.w.ideSettings().serialPortName = "/dev/kavo-no-such-port";
            s.p.ProgReadClick();
            QCOMPARE(s.dialogs.asked.size(), std::size_t(1));
            QCOMPARE(s.dialogs.asked[0].text,
                     QString("Could not Open Serial Port!\n/dev/kavo-no-such-port: No such file or "
                             "directory"));
        }
    }

    void aProgrammerThatRefusesTheGreetingLeavesTheImageAsItWas() {
        WindowOnDrivers s(SxBlitzProgrammer);
        kavo::testing::BlitzModel blitz(s.device, ChipWords);
        blitz.greeting = "SX-Kez";
        s.loadProgram();
        const auto before = s.w.programImage().words;

        s.p.ProgReadClick();
        // One box, with what the programmer answered; the failures that follow from it go to
        // the status line, the last one staying there.
        QCOMPARE(s.dialogs.asked.size(), std::size_t(1));
        QVERIFY(s.dialogs.asked[0].text.contains("SX-Kez"));
        QCOMPARE(s.p.statusText(), QString("Read failed."));
        QCOMPARE(s.w.programImage().words, before);
        QVERIFY(s.w.Timer1->isActive());
    }
};

KAVO_IDE_TEST(ProgramWindowDriversTest)
#include "program_window_drivers_test.moc"
