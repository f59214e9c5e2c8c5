// The lumadesk program as a user starts it: "lumadesk FILE.c" opens the file; the screenshot
// run compiles it and saves the window's picture without asking anyone anything.
#include "ide/compiler_config_window.hpp"
#include "ide_test_support.hpp"

#include <QImage>
#include <QProcess>
#include <QTest>

using namespace kavo::ide::testing;

namespace {

struct Run {
    int exitCode = -1;
    QString errors;
};

Run lumadesk(const WorkingFolder& folder, const QStringList& arguments) {
    QProcess process;
    process.setWorkingDirectory(folder.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", folder.file("config"));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(environment);
    process.start(LUMADESK_PROGRAM, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class ProgramTest : public QObject {
    Q_OBJECT
private slots:
    void theScreenshotRunCompilesTheFileAndSavesThePicture() {
        WorkingFolder folder;
        copyDeviceHeader(folder.path());
        QDir(folder.path()).mkpath("src");
        writeText(folder.file("src/blink.c"), "#include \"sx28.h\"\n"
                                              "unsigned char portb @ 0x06;\n"
                                              "void main(void) { while (1) portb = 1; }\n");
        const Run run = lumadesk(folder, {"--screenshot", "shot.png", "src/blink.c"});
        QCOMPARE(run.exitCode, 0);
        // A first run finds no settings: its box is reported instead of waiting for a user.
        QVERIFY2(run.errors.contains(QString("checking key: ") + kavo::ide::FirstStartText),
                 qPrintable(run.errors));
        const QImage shot(folder.file("shot.png"));
        QVERIFY(shot.width() >= 400 && shot.height() >= 300);
        QVERIFY(QFile::exists(folder.file("out/blink.sxh")));
        QVERIFY(!QFile::exists(folder.file("LUMADESK.CFG"))); // nothing was exited
    }

    void theDebugScreenshotRunStopsAtTheBreakpointLine() {
        WorkingFolder folder;
        const QString source = writeProgram(folder, "#include \"sx28.h\"\n"
                                                    "unsigned char n;\n"
                                                    "void main(void)\n"
                                                    "{\n"
                                                    "    n = 7;\n"
                                                    "    n = n + 1;\n"
                                                    "    while (1)\n"
                                                    "        ;\n"
                                                    "}\n");
        const Run run = lumadesk(folder, {"--screenshot", "debug.png", "--break", "6", source});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(!run.errors.contains("Cannot"), qPrintable(run.errors));
        const QImage shot(folder.file("debug.png"));
        QVERIFY(shot.width() >= 800 && shot.height() >= 300);
    }

    void aWrongArgumentIsRefusedWithItsUsage() {
        WorkingFolder folder;
        const Run run = lumadesk(folder, {"a.c", "b.c"});
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.errors.contains("usage: lumadesk [--screenshot PNG [--break LINE]] [FILE.c]"));
    }
};

KAVO_IDE_TEST(ProgramTest)
#include "program_test.moc"
