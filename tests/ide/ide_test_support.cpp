// The test program of the IDE: every registered Qt Test class, or the one named as the first
// argument. The settings store is moved into a temporary folder before anything reads it, so
// no test ever touches the user's own settings.
#include "ide_test_support.hpp"

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QSettings>
#include <QTest>

#include <cstdio>
#include <map>
#include <string>

namespace kavo::ide::testing {

namespace {

std::map<std::string, TestFactory>& registry() {
    static std::map<std::string, TestFactory> classes;
    return classes;
}

} // namespace

bool registerTestClass(const char* name, TestFactory factory) {
    registry()[name] = std::move(factory);
    return true;
}

bool ScriptedDialogs::choosePrinter(QPrinter& printer) {
    if (printTo.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printTo);
    return true;
}

void clearSettingsStore() {
    QSettings store("Orvo", "KAVO");
    store.clear();
    store.sync();
}

void seedSettingsStore() {
    clearSettingsStore();
    QSettings store("Orvo", "KAVO");
    const std::pair<const char*, const char*> values[] = {
        {"SRC_DIR", "./src/"},  {"INCLUDE_DIR", "./include/"},
        {"ASM_DIR", "./out/"},  {"OBJ_DIR", "./out/"},
        {"TMP_DIR", "./tmp/"},  {"SRC_EXT", "c"},
        {"ASM_EXT", "src"},     {"LST_EXT", "lst"},
        {"PRE_EXT", "pre"},     {"OBJ_EXT", "sxh"},
        {"ERASE_TIME", "1000"}, {"FUSE_TIME", "100"},
        {"FUSEX_TIME", "100"},  {"ROM_TIME", "50"},
        {"REUSE_MEM", "1"},     {"AUTO_SAVE", "0"},
        {"COMM_PORT", "1"}};
    for (const auto& [name, value] : values)
        store.setValue(name, value);
    store.sync();
}

void writeText(const QString& path, const QString& text) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toUtf8());
}

QString readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void copyDeviceHeader(const QString& folder) {
    QDir(folder).mkpath("include");
    QFile::copy(QString(KAVO_EXAMPLES_DIR) + "/sx28.h", QDir(folder).filePath("include/sx28.h"));
}

QString writeProgram(const WorkingFolder& folder, const QString& source) {
    copyDeviceHeader(folder.path());
    QDir(folder.path()).mkpath("src");
    writeText(folder.file("src/prog.c"), source);
    return folder.file("src/prog.c");
}

} // namespace kavo::ide::testing

int main(int argc, char** argv) {
    QTemporaryDir settingsHome;
    qputenv("XDG_CONFIG_HOME", settingsHome.path().toUtf8());
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsHome.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsHome.path());

    const std::string only = argc > 1 ? argv[1] : "";
    int failures = 0;
    int ran = 0;
    for (const auto& [name, factory] : kavo::ide::testing::registry()) {
        if (!only.empty() && name != only)
            continue;
        ++ran;
        std::unique_ptr<QObject> tests = factory();
        failures += QTest::qExec(tests.get(), 1, argv);
    }
    if (ran == 0) {
        std::fprintf(stderr, "no IDE test class named %s\n", only.c_str());
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
