// Colours the editor's C source: keywords, the SX extensions, numbers, strings and character
// constants, preprocessor lines and comments (a block comment may span lines). A line that
// carries a breakpoint is drawn red and bold over all of that.
#pragma once

#include <QRegularExpression>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include <functional>
#include <vector>

namespace kavo::ide {

class CHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit CHighlighter(QTextDocument* document);

    // What the highlighter calls a stretch of a line (for tests and for the legend).
    enum class Kind { Keyword, Extension, Number, String, Directive, Comment };
    static QTextCharFormat formatOf(Kind kind);
    static QTextCharFormat breakpointFormat();

    // Tells which 1-based lines carry a breakpoint; redraws every line.
    void setBreakpointLines(std::function<bool(int)> isBreakpointLine);
    // Redraws one 1-based line after its breakpoint changed.
    void redrawLine(int line);

protected:
    void highlightBlock(const QString& text) override;

private:
    struct Rule {
        QRegularExpression pattern;
        Kind kind;
    };
    void colourBlockComments(const QString& text);

    std::vector<Rule> rules_;
    std::function<bool(int)> isBreakpointLine_;
};

} // namespace kavo::ide
