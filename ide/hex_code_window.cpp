// TViewHexCode.
#include "ide/hex_code_window.hpp"

#include "common/hex_view_text.hpp"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QResizeEvent>

namespace kavo::ide {

namespace {
constexpr int MemoWidth = 386;
}

TViewHexCode::TViewHexCode(QWidget* parent)
    : QWidget(parent, Qt::Window), ProgramEdit(new QPlainTextEdit(this)) {
    setObjectName("ViewHexCode");
    setWindowTitle("View Hex Code");
    ProgramEdit->setObjectName("ProgramEdit");
    ProgramEdit->setReadOnly(true);
    ProgramEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    ProgramEdit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    resize(MemoWidth, 420);
}

void TViewHexCode::showImage(const programmer::ProgramImage& image) {
    ProgramEdit->hide();
    ProgramEdit->setPlainText(
        QString::fromStdString(common::hexViewText(image.words, programmer::ErasedWord)));
    ProgramEdit->show();
    ProgramEdit->moveCursor(QTextCursor::Start);
    ProgramEdit->ensureCursorVisible();
}

void TViewHexCode::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The memo keeps the width of eight words a row; only its height follows the window.
    ProgramEdit->setGeometry(0, 0, MemoWidth, height());
}

} // namespace kavo::ide
