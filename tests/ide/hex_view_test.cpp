// The text of the View Hex Code window.
#include "common/hex_view_text.hpp"
#include "ide/hex_code_window.hpp"
#include "ide_test_support.hpp"

#include <QPlainTextEdit>
#include <QTest>

using namespace kavo::ide;
using kavo::programmer::ProgramImage;

namespace {

std::string hexText(const ProgramImage& image) {
    return kavo::common::hexViewText(image.words, kavo::programmer::ErasedWord);
}

} // namespace

class HexViewTest : public QObject {
    Q_OBJECT
private slots:
    void anErasedImageShowsTheFirstWordOnly() {
        QCOMPARE(hexText(ProgramImage()), std::string("[0000] => FFF \n"));
    }
    void rowsHoldEightWordsUpToTheLastUsedOne() {
        ProgramImage image;
        image.words[0] = 0xA02;
        image.words[9] = 0x00C;
        QCOMPARE(hexText(image), std::string("[0000] => A02 FFF FFF FFF FFF FFF FFF FFF \n"
                                             "[0008] => FFF 00C \n"));
    }
    void theLastWordOfMemoryEndsTheView() {
        ProgramImage image;
        image.words[4095] = 0x123;
        const std::string text = hexText(image);
        QVERIFY(text.ends_with("[0FF8] => FFF FFF FFF FFF FFF FFF FFF 123 \n"));
        QCOMPARE(std::count(text.begin(), text.end(), '\n'), 512);
    }
    void theWindowShowsTheTextFromItsStart() {
        TViewHexCode window;
        ProgramImage image;
        image.words[100] = 0x555;
        window.showImage(image);
        QCOMPARE(window.windowTitle(), QString("View Hex Code"));
        QCOMPARE(window.ProgramEdit->toPlainText().toStdString(), hexText(image));
        QVERIFY(window.ProgramEdit->isReadOnly());
        QCOMPARE(window.ProgramEdit->textCursor().position(), 0);
    }
};

KAVO_IDE_TEST(HexViewTest)
#include "hex_view_test.moc"
