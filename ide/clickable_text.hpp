// A read-only text pane that reports a mouse press once the caret has moved to the pressed
// place: the results pane and the listing use it to jump to a source line.
#pragma once

#include <QPlainTextEdit>

namespace kavo::ide {

class ClickableText : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ClickableText(QWidget* parent = nullptr);

    // The text of the line that holds the caret, after selecting that whole line.
    QString selectCaretLine();

signals:
    void pressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace kavo::ide
