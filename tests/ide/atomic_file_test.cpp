// A save replaces the old file only once the new text is complete.
#include "common/atomic_file.hpp"
#include "ide_test_support.hpp"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace kavo::ide;
using namespace kavo::ide::testing;

class AtomicFileTest : public QObject {
    Q_OBJECT
private slots:
    void aCompleteWriteReplacesTheFile() {
        WorkingFolder folder;
        const QString path = folder.file("prog.c");
        writeText(path, "old text\n");
        QVERIFY(kavo::common::writeFileAtomically(path.toStdString(), "new text\n"));
        QCOMPARE(readText(path), QString("new text\n"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"prog.c"});
    }
    void aWriteThatFailsHalfwayLeavesTheOldFileWhole() {
        WorkingFolder folder;
        const QString path = folder.file("prog.c");
        const QString old = QString("int x;\n").repeated(2000);
        writeText(path, old);
        const std::string replacement(3 * kavo::common::AtomicWriteBlock, 'y');
        std::size_t calls = 0;
        const bool written = kavo::common::writeFileAtomically(
            path.toStdString(), replacement, [&](std::size_t) { return ++calls < 2; });
        QVERIFY(!written);
        QCOMPARE(calls, std::size_t(2)); // it did fail part way, after two blocks
        QCOMPARE(readText(path), old);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"prog.c"});
    }
    void theFilesPermissionsAreKept() {
        WorkingFolder folder;
        const QString path = folder.file("run.sh");
        writeText(path, "echo\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(kavo::common::writeFileAtomically(path.toStdString(), "echo hi\n"));
        QVERIFY(QFile::permissions(path).testFlag(QFile::ExeOwner));
        QVERIFY(!QFile::permissions(path).testFlag(QFile::ReadOther));
    }
    void aFolderThatDoesNotExistFailsCleanly() {
        WorkingFolder folder;
        QVERIFY(
            !kavo::common::writeFileAtomically(folder.file("missing/prog.c").toStdString(), "x"));
    }
};

KAVO_IDE_TEST(AtomicFileTest)
#include "atomic_file_test.moc"
