// The source editor: a plain-text editor with a line-number margin, coloured marks on the
// lines the last compile's messages point at, the mark of the line the debugger stopped at and
// of the caret's line; tabs of four columns, and Return keeps the line's indentation.
#pragma once

#include "common/line_tools.hpp"

#include <QPlainTextEdit>

#include <vector>

namespace kavo::ide {

class SourceEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit SourceEditor(QWidget* parent = nullptr);

    // Selects the whole 0-based line (without its line end) and shows it.
    void selectLine(int line);
    // The 0-based line and column of the caret.
    int caretLine() const;
    int caretColumn() const;

    void setMessageMarks(std::vector<common::MarkedLine> marks);
    const std::vector<common::MarkedLine>& messageMarks() const { return marks_; }

    // The 0-based line where the program stopped; -1 removes the mark.
    void setExecutionLine(int line);
    int executionLine() const { return executionLine_; }

    // Columns a tab advances.
    static constexpr int TabColumns = 4;

    int lineNumberWidth() const;
    void paintLineNumbers(QPaintEvent* event);

signals:
    // A mouse press, once the caret has moved to the pressed place.
    void pressed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateMargin();
    void scrollMargin(const QRect& rect, int dy);
    void showMarks();
    void setTabColumns();

    QWidget* lineNumbers_;
    std::vector<common::MarkedLine> marks_;
    int executionLine_ = -1;
};

// Selects the whole 0-based line of any plain-text editor.
void selectWholeLine(QPlainTextEdit* editor, int line);

} // namespace kavo::ide
