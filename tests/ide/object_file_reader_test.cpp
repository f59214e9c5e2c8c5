// The object file reader that fills the program memory image.
#include "ide_test_support.hpp"
#include "programmer/program_image.hpp"

#include <QTest>

using namespace kavo::programmer;
using namespace kavo::ide::testing;

namespace {

ProgramImage load(const QString& text, bool* opened = nullptr) {
    WorkingFolder folder;
    writeText(folder.file("p.sxh"), text);
    ProgramImage image;
    image.words[5] = 0x123; // a previous load's word
    const bool ok = readObjectFile(folder.file("p.sxh").toStdString(), image);
    if (opened != nullptr)
        *opened = ok;
    return image;
}

} // namespace

class ObjectFileReaderTest : public QObject {
    Q_OBJECT
private slots:
    void dataRecordsFillWordsLowByteFirst() {
        // Words 0x0A02 at 0 and 0x0C10 at 1; byte address 0x0FFE is word 0x7FF.
        const ProgramImage image = load(":04000000020A100CD4\r\n"
                                        ":020FFE00010AE6\r\n"
                                        ":00000001FF\r\n");
        QCOMPARE(image.words[0], 0xA02u);
        QCOMPARE(image.words[1], 0xC10u);
        QCOMPARE(image.words[0x7FF], 0xA01u);
        QCOMPARE(image.words[5], ErasedWord); // the image was erased first
    }
    void configurationWordsSetFuseAndFusexOnly() {
        const ProgramImage image = load(":042020007B0F7F0F00\n:00000001FF\n");
        QCOMPARE(image.fuse, 0xF7Bu);
        QCOMPARE(image.fusex, 0xF7Fu);
        for (std::uint32_t word : image.words)
            QCOMPARE(word, ErasedWord);
    }
    void anErasedWordLeavesTheImageWordErased() {
        const ProgramImage image = load(":02000000FF0FF0\n");
        QCOMPARE(image.words[0], ErasedWord);
    }
    void anEndRecordFirstLoadsNothingAndSucceeds() {
        bool opened = false;
        const ProgramImage image = load(":00000001FF\n:0200000001000D\n", &opened);
        QVERIFY(opened);
        QCOMPARE(image.words[0], ErasedWord);
    }
    void aRecordOfTheWrongLengthStopsTheReading() {
        const ProgramImage image = load(":0200000001000D\n:0200020002AA\n:0200040003000D\n");
        QCOMPARE(image.words[0], 0x001u);
        QCOMPARE(image.words[1], ErasedWord); // one byte short of its count
        QCOMPARE(image.words[2], ErasedWord); // never reached
    }
    void aLineWithoutItsColonStopsTheReading() {
        const ProgramImage image = load(":0200000001000D\nX0200020002000D\n:0200040003000D\n");
        QCOMPARE(image.words[0], 0x001u);
        QCOMPARE(image.words[1], ErasedWord);
        QCOMPARE(image.words[2], ErasedWord);
    }
    void aMissingFileFails() {
        ProgramImage image;
        QVERIFY(!readObjectFile("/nonexistent/p.sxh", image));
    }
};

KAVO_IDE_TEST(ObjectFileReaderTest)
#include "object_file_reader_test.moc"
