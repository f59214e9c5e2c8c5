// ClickableText.
#include "ide/clickable_text.hpp"

#include "ide/source_editor.hpp"

#include <QTextBlock>

namespace kavo::ide {

ClickableText::ClickableText(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // Read-only panes still show their caret and take it to a clicked line.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

QString ClickableText::selectCaretLine() {
    const int line = textCursor().blockNumber();
    selectWholeLine(this, line);
    return document()->findBlockByNumber(line).text();
}

void ClickableText::mousePressEvent(QMouseEvent* event) {
    QPlainTextEdit::mousePressEvent(event);
    emit pressed();
}

} // namespace kavo::ide
