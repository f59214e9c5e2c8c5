// CHighlighter: one pattern a kind, later kinds over earlier ones, then block comments.
#include "ide/c_highlighter.hpp"

#include <QTextBlock>

namespace kavo::ide {

namespace {

enum BlockState { Plain = 0, InsideComment = 1 };

const QRegularExpression CommentStart(QStringLiteral("/\\*"));
const QRegularExpression CommentEnd(QStringLiteral("\\*/"));

QString wordsPattern(const QStringList& words) {
    return QStringLiteral("\\b(?:") + words.join('|') + QStringLiteral(")\\b");
}

} // namespace

CHighlighter::CHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
    const QStringList keywords = {
        "auto",   "break",  "case",     "char",   "const",    "continue", "default",  "do",
        "double", "else",   "enum",     "extern", "float",    "for",      "goto",     "if",
        "int",    "long",   "register", "return", "short",    "signed",   "sizeof",   "static",
        "struct", "switch", "typedef",  "union",  "unsigned", "void",     "volatile", "while"};
    const QStringList extensions = {"__interrupt", "asm", "rasm"};
    rules_ = {
        {QRegularExpression(wordsPattern(keywords)), Kind::Keyword},
        {QRegularExpression(wordsPattern(extensions) + QStringLiteral("|@")), Kind::Extension},
        {QRegularExpression(QStringLiteral("\\b(?:0[xX][0-9A-Fa-f]+|[0-9]+)[uUlL]*\\b")),
         Kind::Number},
        {QRegularExpression(QStringLiteral("^\\s*#\\s*[A-Za-z]+")), Kind::Directive},
        {QRegularExpression(QStringLiteral("\"(?:[^\"\\\\]|\\\\.)*\"|'(?:[^'\\\\]|\\\\.)*'")),
         Kind::String},
        {QRegularExpression(QStringLiteral("//.*$")), Kind::Comment},
    };
}

QTextCharFormat CHighlighter::formatOf(Kind kind) {
    QTextCharFormat format;
    switch (kind) {
    case Kind::Keyword:
        format.setForeground(QColor(0, 0, 160));
        format.setFontWeight(QFont::Bold);
        break;
    case Kind::Extension:
        format.setForeground(QColor(128, 0, 128));
        format.setFontWeight(QFont::Bold);
        break;
    case Kind::Number:
        format.setForeground(QColor(0, 110, 110));
        break;
    case Kind::String:
        format.setForeground(QColor(163, 21, 21));
        break;
    case Kind::Directive:
        format.setForeground(QColor(120, 80, 0));
        break;
    case Kind::Comment:
        format.setForeground(QColor(0, 128, 0));
        format.setFontItalic(true);
        break;
    }
    return format;
}

// Red (colour value 255) and bold, the breakpoint mark.
QTextCharFormat CHighlighter::breakpointFormat() {
    QTextCharFormat format;
    format.setForeground(QColor(255, 0, 0));
    format.setFontWeight(QFont::Bold);
    return format;
}

void CHighlighter::setBreakpointLines(std::function<bool(int)> isBreakpointLine) {
    isBreakpointLine_ = std::move(isBreakpointLine);
    rehighlight();
}

void CHighlighter::redrawLine(int line) {
    const QTextBlock block = document()->findBlockByNumber(line - 1);
    if (block.isValid())
        rehighlightBlock(block);
}

void CHighlighter::highlightBlock(const QString& text) {
    if (isBreakpointLine_ && isBreakpointLine_(currentBlock().blockNumber() + 1)) {
        colourBlockComments(text);
        setFormat(0, static_cast<int>(text.size()), breakpointFormat());
        return;
    }
    for (const Rule& rule : rules_) {
        auto matches = rule.pattern.globalMatch(text);
        while (matches.hasNext()) {
            const auto match = matches.next();
            setFormat(static_cast<int>(match.capturedStart()),
                      static_cast<int>(match.capturedLength()), formatOf(rule.kind));
        }
    }
    colourBlockComments(text);
}

void CHighlighter::colourBlockComments(const QString& text) {
    setCurrentBlockState(Plain);
    const bool continued = previousBlockState() == InsideComment;
    qsizetype start = continued ? 0 : text.indexOf(CommentStart);
    qsizetype searchFrom = continued ? 0 : start + 2;
    while (start >= 0) {
        const auto end = CommentEnd.match(text, searchFrom);
        qsizetype length = text.size() - start;
        if (end.hasMatch())
            length = end.capturedEnd() - start;
        else
            setCurrentBlockState(InsideComment);
        setFormat(static_cast<int>(start), static_cast<int>(length), formatOf(Kind::Comment));
        start = text.indexOf(CommentStart, start + length);
        searchFrom = start + 2;
    }
}

} // namespace kavo::ide
