// The compiler configuration store: the first run's defaults, the values read into the
// "Configuration" window and over "LUMADESK.CFG", OK and Cancel, and settings that survive a
// restart.
#include "ide/compiler_config.hpp"
#include "ide/compiler_config_window.hpp"
#include "ide/lumadesk_window.hpp"
#include "ide_test_support.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

using namespace kavo::ide;
using namespace kavo::ide::testing;

namespace {

QString stored(const char* name) {
    return QSettings("Orvo", "KAVO").value(name).toString();
}

void store(const char* name, const QString& value) {
    QSettings("Orvo", "KAVO").setValue(name, value);
}

} // namespace

class SettingsStoreTest : public QObject {
    Q_OBJECT
private slots:
    void theStoreLivesInTheTestsOwnFolder() {
        const QString file = QSettings("Orvo", "KAVO").fileName();
        QVERIFY2(!file.startsWith(QDir::homePath() + "/.config"), qPrintable(file));
    }

    void theFirstRunWritesTheDefaults() {
        clearSettingsStore();
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        QCOMPARE(dialogs.asked.size(), std::size_t(1));
        QCOMPARE(dialogs.asked[0].title, QString("checking key"));
        QCOMPARE(dialogs.asked[0].text, QString(FirstStartText));
        const std::pair<const char*, const char*> defaults[] = {
            {"SRC_DIR", "./src/"},  {"INCLUDE_DIR", "./include/"},
            {"ASM_DIR", "./out/"},  {"OBJ_DIR", "./out/"},
            {"TMP_DIR", "./tmp/"},  {"SRC_EXT", "c"},
            {"ASM_EXT", "src"},     {"LST_EXT", "lst"},
            {"PRE_EXT", "pre"},     {"OBJ_EXT", "sxh"},
            {"ERASE_TIME", "1000"}, {"FUSE_TIME", "100"},
            {"FUSEX_TIME", "100"},  {"ROM_TIME", "50"},
            {"REUSE_MEM", "1"},     {"AUTO_SAVE", "1"},
            {"COMM_PORT", "1"}};
        for (const auto& [name, value] : defaults)
            QCOMPARE(stored(name), QString(value));
        QCOMPARE(w.ideSettings().objExtension, std::string("sxh"));
        QCOMPARE(w.ideSettings().objDir, std::string("./out/"));
    }

    void aStoreWithoutASourceFolderIsRewrittenSilently() {
        clearSettingsStore();
        store("OBJ_EXT", "hex");
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        QVERIFY(dialogs.asked.empty());
        QCOMPARE(stored("SRC_DIR"), QString("./src/"));
        QCOMPARE(stored("OBJ_EXT"), QString("sxh")); // the form's defaults were written
    }

    void theStoreWinsOverTheSettingsFile() {
        seedSettingsStore();
        store("OBJ_EXT", "obj");
        store("OBJ_DIR", "./build/");
        store("COMM_PORT", "3");
        WorkingFolder folder;
        writeText(folder.file("LUMADESK.CFG"), "OBJ_EXTENSION hex\nOBJ_DIR ./x/\nUSER1_TAG t\n");
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        QCOMPARE(w.ideSettings().objExtension, std::string("obj"));
        QCOMPARE(w.ideSettings().objDir, std::string("./build/"));
        QCOMPARE(w.ideSettings().user1Tag, std::string("t"));
        QCOMPARE(w.ideSettings().serialPortName, std::string("COM3:"));
        QVERIFY(w.CompilerConfig->PortCom3->isChecked());
    }

    void onlyTheValueOneTicksABox() {
        seedSettingsStore();
        store("REUSE_MEM", "yes");
        store("AUTO_SAVE", "1");
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        QVERIFY(!w.CompilerConfig->ReuseMemory->isChecked());
        QVERIFY(w.CompilerConfig->AutoSave->isChecked());
        QCOMPARE(w.CompilerConfig->config().reuseMemory, false);
    }

    void okWritesTheFieldsAndTheTimes() {
        seedSettingsStore();
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        TCompilerConfig& c = *w.CompilerConfig;
        c.ObjectExt->setText("hex");
        c.EraseTime->setText("0x10");
        c.ReuseMemory->setChecked(false);
        c.PortCom2->setChecked(true);
        c.SaveRegistryClick();
        QCOMPARE(stored("OBJ_EXT"), QString("hex"));
        QCOMPARE(stored("REUSE_MEM"), QString("0"));
        QCOMPARE(stored("COMM_PORT"), QString("2"));
        QCOMPARE(w.ideSettings().eraseProgTime, 16);
        c.ReadRegistry();
        QCOMPARE(w.ideSettings().objExtension, std::string("hex"));
    }

    void aDevicePathIsStoredAsThePort() {
        seedSettingsStore();
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        TCompilerConfig& c = *w.CompilerConfig;
        c.PortDevice->setCurrentText("/dev/ttyUSB7");
        QVERIFY(!c.PortCom1->isChecked() && !c.PortCom2->isChecked());
        c.SaveRegistryClick();
        QCOMPARE(stored("COMM_PORT"), QString("/dev/ttyUSB7"));
        c.ReadRegistry();
        QCOMPARE(w.ideSettings().serialPortName, std::string("/dev/ttyUSB7"));
        c.PortCom3->setChecked(true);
        QVERIFY(c.PortDevice->currentText().isEmpty());
        c.SaveRegistryClick();
        QCOMPARE(stored("COMM_PORT"), QString("3"));
    }

    void cancelKeepsTheStoreAsItWas() {
        seedSettingsStore();
        WorkingFolder folder;
        ScriptedDialogs dialogs;
        TLumadesk w(&dialogs);
        w.CompilerConfig->ObjectExt->setText("zzz");
        w.CompilerConfig->Button2Click();
        w.CompilerConfig->ReadRegistry();
        QCOMPARE(w.CompilerConfig->ObjectExt->text(), QString("sxh"));
        QCOMPARE(stored("OBJ_EXT"), QString("sxh"));
    }

    void theArgumentVectorHasItsTwentyFourEntries() {
        kavo::ide::CompilerConfig config;
        config.reuseMemory = false;
        const auto arguments = compileArguments(config, "blink");
        QCOMPARE(arguments.size(), CompileArgumentCount);
        const std::vector<std::string> expected = {
            "kavo",   "-I", "./include/", "-o", "./out/", "-a", "./out/", "-t",
            "./tmp/", "-s", "./src/",     "-x", "sxh",    "-c", "c",      "-m",
            "0",      "-p", "pre",        "-l", "lst",    "-v", "src",    "blink"};
        QCOMPARE(arguments, expected);
    }

    void settingsSurviveARestart() {
        seedSettingsStore();
        WorkingFolder folder;
        {
            ScriptedDialogs dialogs;
            TLumadesk first(&dialogs);
            first.CompilerConfig->ObjectDir->setText("./objects/");
            first.CompilerConfig->SaveRegistryClick();
            first.ideSettings().oscSpeed = 2;
            first.ideSettings().user1Exe = "tool";
            first.show();
            first.Exit1Click();
        }
        ScriptedDialogs dialogs;
        TLumadesk second(&dialogs);
        QCOMPARE(second.CompilerConfig->ObjectDir->text(), QString("./objects/"));
        QCOMPARE(second.ideSettings().objDir, std::string("./objects/"));
        QCOMPARE(second.ideSettings().oscSpeed, 2);
        QCOMPARE(second.ideSettings().user1Exe, std::string("tool"));
    }
};

KAVO_IDE_TEST(SettingsStoreTest)
#include "settings_store_test.moc"
