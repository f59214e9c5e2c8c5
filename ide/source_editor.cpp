// SourceEditor: the line-number margin (LineNumberMargin) and the message marks.
#include "ide/source_editor.hpp"

#include <QKeyEvent>
#include <QPainter>
#include <QTextBlock>

namespace kavo::ide {

namespace {

constexpr int MarginPadding = 6;

class LineNumberMargin : public QWidget {
public:
    explicit LineNumberMargin(SourceEditor* editor) : QWidget(editor), editor_(editor) {}
    QSize sizeHint() const override { return {editor_->lineNumberWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { editor_->paintLineNumbers(event); }

private:
    SourceEditor* editor_;
};

QColor markColour(bool error) {
    return error ? QColor(255, 205, 205) : QColor(255, 242, 190);
}

} // namespace

SourceEditor::SourceEditor(QWidget* parent)
    : QPlainTextEdit(parent), lineNumbers_(new LineNumberMargin(this)) {
    connect(this, &QPlainTextEdit::blockCountChanged, this, &SourceEditor::updateMargin);
    connect(this, &QPlainTextEdit::updateRequest, this, &SourceEditor::scrollMargin);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &SourceEditor::showMarks);
    updateMargin();
    setTabColumns();
    showMarks();
}

void SourceEditor::setTabColumns() {
    setTabStopDistance(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * TabColumns);
}

void SourceEditor::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        setTabColumns();
}

// Return starts the new line at the indentation of the line it breaks.
void SourceEditor::keyPressEvent(QKeyEvent* event) {
    const bool newLine = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!newLine || event->modifiers() != Qt::NoModifier || isReadOnly()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const QString line = textCursor().block().text();
    qsizetype blanks = 0;
    while (blanks < line.size() && (line[blanks] == ' ' || line[blanks] == '\t'))
        ++blanks;
    blanks = qMin<qsizetype>(blanks, textCursor().positionInBlock());
    textCursor().insertText("\n" + line.left(blanks));
    ensureCursorVisible();
}

int SourceEditor::lineNumberWidth() const {
    const int digits = QString::number(qMax(1, blockCount())).size();
    return MarginPadding * 2 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

void SourceEditor::updateMargin() {
    setViewportMargins(lineNumberWidth(), 0, 0, 0);
}

void SourceEditor::scrollMargin(const QRect& rect, int dy) {
    if (dy != 0)
        lineNumbers_->scroll(0, dy);
    else
        lineNumbers_->update(0, rect.y(), lineNumbers_->width(), rect.height());
}

void SourceEditor::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    lineNumbers_->setGeometry(area.left(), area.top(), lineNumberWidth(), area.height());
}

void SourceEditor::mousePressEvent(QMouseEvent* event) {
    QPlainTextEdit::mousePressEvent(event);
    emit pressed();
}

void SourceEditor::paintLineNumbers(QPaintEvent* event) {
    QPainter painter(lineNumbers_);
    painter.fillRect(event->rect(), palette().color(QPalette::AlternateBase));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid() && top <= event->rect().bottom()) {
        const int height = qRound(blockBoundingRect(block).height());
        if (block.isVisible() && top + height >= event->rect().top())
            painter.drawText(0, top, lineNumbers_->width() - MarginPadding, fontMetrics().height(),
                             Qt::AlignRight, QString::number(block.blockNumber() + 1));
        top += height;
        block = block.next();
    }
}

void SourceEditor::setMessageMarks(std::vector<common::MarkedLine> marks) {
    marks_ = std::move(marks);
    showMarks();
}

void SourceEditor::setExecutionLine(int line) {
    executionLine_ = line;
    showMarks();
}

void SourceEditor::showMarks() {
    QList<QTextEdit::ExtraSelection> selections;
    // The caret's line first: the marks drawn after it stay visible on that line.
    QTextEdit::ExtraSelection current;
    current.format.setBackground(QColor(242, 242, 236));
    current.format.setProperty(QTextFormat::FullWidthSelection, true);
    current.cursor = QTextCursor(textCursor().block());
    selections << current;
    const QTextBlock stopped = document()->findBlockByNumber(executionLine_);
    if (executionLine_ >= 0 && stopped.isValid()) {
        QTextEdit::ExtraSelection selection;
        selection.format.setBackground(QColor(200, 235, 255));
        selection.format.setProperty(QTextFormat::FullWidthSelection, true);
        selection.cursor = QTextCursor(stopped);
        selections << selection;
    }
    for (const common::MarkedLine& mark : marks_) {
        const QTextBlock block = document()->findBlockByNumber(mark.line);
        if (!block.isValid())
            continue;
        QTextEdit::ExtraSelection selection;
        selection.format.setBackground(markColour(mark.error));
        selection.format.setProperty(QTextFormat::FullWidthSelection, true);
        selection.cursor = QTextCursor(block);
        selections << selection;
    }
    setExtraSelections(selections);
}

void SourceEditor::selectLine(int line) {
    selectWholeLine(this, line);
}

int SourceEditor::caretLine() const {
    return textCursor().blockNumber();
}

int SourceEditor::caretColumn() const {
    return textCursor().positionInBlock();
}

void selectWholeLine(QPlainTextEdit* editor, int line) {
    const QTextBlock block = editor->document()->findBlockByNumber(line);
    if (!block.isValid())
        return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    editor->setTextCursor(cursor);
    editor->ensureCursorVisible();
}

} // namespace kavo::ide
