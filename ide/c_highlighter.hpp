// Colours the editor's C source: keywords, the SX extensions, numbers, strings and character
// constants, preprocessor lines and comments (a block comment may span lines).
#pragma once

#include <QRegularExpression>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include <vector>

namespace kavo::ide {

class CHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit CHighlighter(QTextDocument* document);

    // What the highlighter calls a stretch of a line (for tests and for the legend).
    enum class Kind { Keyword, Extension, Number, String, Directive, Comment };
    static QTextCharFormat formatOf(Kind kind);

protected:
    void highlightBlock(const QString& text) override;

private:
    struct Rule {
        QRegularExpression pattern;
        Kind kind;
    };
    void colourBlockComments(const QString& text);

    std::vector<Rule> rules_;
};

} // namespace kavo::ide
