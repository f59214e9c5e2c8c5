// "LUMADESK.CFG": what each key does when read, what is written on exit, and the round trip.
#include "ide/ide_settings.hpp"
#include "ide_test_support.hpp"

#include <QFile>
#include <QTest>

using namespace kavo::ide;
using namespace kavo::ide::testing;

namespace {

IdeSettings readFrom(const QString& text) {
    WorkingFolder folder;
    writeText(folder.file("LUMADESK.CFG"), text);
    IdeSettings settings;
    readIdeSettings(folder.file("LUMADESK.CFG").toStdString(), settings);
    return settings;
}

} // namespace

class IdeSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void aMissingFileKeepsTheDefaults() {
        WorkingFolder folder;
        IdeSettings settings;
        QVERIFY(!readIdeSettings(folder.file("LUMADESK.CFG").toStdString(), settings));
        QCOMPARE(settings.objExtension, std::string("sxh"));
        QCOMPARE(settings.debugExtension, std::string("cdb"));
        QCOMPARE(settings.serialPort, 1);
        QCOMPARE(settings.oscSpeed, 5);
        QCOMPARE(settings.eraseProgTime, 1000);
        QCOMPARE(settings.e2flashProgTime, 50);
        QCOMPARE(settings.parallelRegisters.data, 0x378);
    }
    void anOverlongExtensionIsIgnoredAndAKeyAloneEmptiesTheValue() {
        QCOMPARE(readFrom("OBJ_EXTENSION abcd\n").objExtension, std::string("sxh"));
        QCOMPARE(readFrom("OBJ_EXTENSION\n").objExtension, std::string(""));
        QCOMPARE(readFrom("OBJ_EXTENSION hex\r\n").objExtension, std::string("hex"));
    }
    void theParallelPortChoosesItsRegisters() {
        const IdeSettings lpt2 = readFrom("PARALLEL_PORT LPT2\n");
        QCOMPARE(lpt2.parallelPort, 2);
        QCOMPARE(lpt2.parallelRegisters.data, 0x278);
        QCOMPARE(lpt2.parallelRegisters.status, 0x279);
        QCOMPARE(lpt2.parallelRegisters.control, 0x27A);
        const IdeSettings other = readFrom("PARALLEL_PORT PRN\n");
        QCOMPARE(other.parallelPort, 3);
        QCOMPARE(other.parallelRegisters.data, 0x178);
    }
    void numbersTagsAndPortNamesAreRead() {
        const IdeSettings s = readFrom("# a comment line\n"
                                       "\n"
                                       "SERIAL_PORT 3\n"
                                       "OSC_SPEED 0x8\n"
                                       "ERASE_PROG_TIME 2000 // ms\n"
                                       "USER1_TAG averyverylongtag\n"
                                       "UNKNOWN_KEY 5\n"
                                       "REUSE_MEMORY 0\n");
        QCOMPARE(s.serialPort, 3);
        QCOMPARE(s.serialPortName, std::string("COM3:"));
        QCOMPARE(s.oscSpeed, 8);
        QCOMPARE(s.eraseProgTime, 2000);
        QCOMPARE(s.user1Tag, std::string("averyveryl"));
    }
    void theWrittenFileLeavesOutTheValuesOthersProvide() {
        const std::string text = ideSettingsText(IdeSettings());
        for (const char* key :
             {"TMP_DIR", "MAP_DIR", "LST_EXTENSION", "MAP_EXTENSION", "PRE_EXTENSION"})
            QVERIFY2(text.find(key) == std::string::npos, key);
        QVERIFY(text.find("PARALLEL_PORT LPT1\r\n") != std::string::npos);
        QVERIFY(text.find("INCLUDE_DIR \r\nASM_DIR") != std::string::npos);
        QVERIFY(text.find("CURR_FILE \r\n\r\nASM_EXTENSION src\r\n") != std::string::npos);
    }
    void whatIsWrittenReadsBackTheSame() {
        WorkingFolder folder;
        IdeSettings written;
        written.includeDir = "./inc/";
        written.asmDir = "./asm/";
        written.srcDir = "./s/";
        written.objDir = "./o/";
        written.currFile = "/home/u/blink.c";
        written.objExtension = "hex";
        written.compilerExe = "kavo";
        written.user1Tag = "tag";
        written.oscSpeed = 7;
        written.parallelPort = 2;
        written.serialPort = 4;
        written.debugDir = "./dbg/";
        written.pcSpeed = 9;
        written.fuseProgTime = 123;
        const std::string path = folder.file("LUMADESK.CFG").toStdString();
        QVERIFY(writeIdeSettings(path, written));
        IdeSettings read;
        QVERIFY(readIdeSettings(path, read));
        QCOMPARE(read.includeDir, written.includeDir);
        QCOMPARE(read.asmDir, written.asmDir);
        QCOMPARE(read.srcDir, written.srcDir);
        QCOMPARE(read.objDir, written.objDir);
        QCOMPARE(read.currFile, written.currFile);
        QCOMPARE(read.objExtension, written.objExtension);
        QCOMPARE(read.compilerExe, written.compilerExe);
        QCOMPARE(read.user1Tag, written.user1Tag);
        QCOMPARE(read.oscSpeed, 7);
        QCOMPARE(read.parallelPort, 2);
        QCOMPARE(read.parallelRegisters.data, 0x278);
        QCOMPARE(read.serialPort, 4);
        QCOMPARE(read.serialPortName, std::string("COM4:"));
        QCOMPARE(read.debugDir, written.debugDir);
        QCOMPARE(read.pcSpeed, 9);
        QCOMPARE(read.fuseProgTime, 123);
    }
    void anUnwritableFileIsReported() {
        WorkingFolder folder;
        QVERIFY(!writeIdeSettings(folder.file("no/such/folder/LUMADESK.CFG").toStdString(),
                                  IdeSettings()));
    }
};

KAVO_IDE_TEST(IdeSettingsTest)
#include "ide_settings_test.moc"
