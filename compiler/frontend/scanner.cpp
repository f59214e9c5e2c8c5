// The scanner's actions behind the Flex rules: token, keyword, asmToken, integer, identifier
// and string make the tokens; lineComment, blockComment, startLineMarker, endOfLine and
// skipLine track comments and line numbers; readInput feeds Flex from the preprocess file.
#include "compiler/frontend/scanner.hpp"

#include "compiler/base/fatal_stop.hpp"
#include "compiler/base/kinds.hpp"
#include "compiler/base/number_reader.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/run/compilation.hpp"
#include "compiler/tables/mnemonics.hpp"

#include <string>

namespace kavo::frontend {

namespace {

// Beyond these lengths a comment or string is reported as too long.
constexpr int MaxCommentLength = 32000;
constexpr std::size_t MaxStringLength = 256;
constexpr int EndOfInput = -1;

} // namespace

// The generated scanner only fails when it cannot get memory for its buffer: that is the
// compiler allocator's unrecoverable condition.
[[noreturn]] void scannerFailure(const char* /*message*/) {
    throw FatalStop(fatal::OutOfMemory);
}

int& Scanner::line() {
    return c_.currentLine;
}
int Scanner::currentLine() const {
    return c_.currentLine;
}

std::size_t Scanner::readInput(char* buffer, std::size_t size) {
    if (input_ == nullptr || inputExhausted_)
        return 0;
    const std::size_t got = std::fread(buffer, 1, size, input_);
    // A read error ends the input like the end of the file does.
    if (got == 0)
        inputExhausted_ = true;
    return got;
}

int Scanner::token(int kind, std::string_view text) {
    value_->kind = kind;
    value_->cval.assign(text);
    value_->line = line();
    value_->file = currentFile_;
    return kind;
}

int Scanner::keyword(int kind, std::string_view text) {
    // Inside asm( ... ) "goto" is the jump mnemonic, not the C statement.
    if (asmMode_) {
        instructionSeen_ = true;
        return token(ASMINST, text);
    }
    return token(kind, text);
}

int Scanner::asmToken(int kind, int asmKind, bool asAsm, std::string_view text) {
    return token(asAsm ? asmKind : kind, text);
}

int Scanner::markerText(int kind, std::string_view text) {
    if (lineMarkerMode_) {
        currentFile_.append(text);
        return 0;
    }
    return token(kind, text);
}

int Scanner::closeParen(std::string_view text) {
    asmMode_ = false;
    instructionSeen_ = false;
    return token(RPAREN, text);
}

// A suffix (u, l, ul, lu in either case) travels in the token's secondary text: the parser
// gives the constant its type from it.
int Scanner::integer(std::string_view text) {
    std::size_t digits = text.size();
    while (digits > 0 && (text[digits - 1] == 'u' || text[digits - 1] == 'U' ||
                          text[digits - 1] == 'l' || text[digits - 1] == 'L'))
        --digits;
    const std::string_view suffix = text.substr(digits);
    const int value = static_cast<int>(readCompilerNumber(text.substr(0, digits)));
    if (lineMarkerMode_) {
        line() = value;
        return 0;
    }
    token(INTEGER_CONSTANT, "");
    value_->ival = value;
    if (!suffix.empty()) {
        std::string upper;
        for (const char ch : suffix)
            upper.push_back(ch == 'u' ? 'U' : ch == 'l' ? 'L' : ch);
        if (upper != "U" && upper != "L" && upper != "UL" && upper != "LU") {
            c_.error(
                strprintf("ERROR(C259): Line: %d the integer suffix %s (u, l, ul and lu are: there "
                          "is no 32-bit type) is not supported by this compiler yet.\n",
                          line(), std::string(suffix).c_str()));
            upper.clear();
        }
        value_->text = upper;
    }
    return INTEGER_CONSTANT;
}

int Scanner::identifier(std::string_view text) {
    if (lineMarkerMode_) {
        currentFile_.append(text);
        return 0;
    }
    if (!asmMode_)
        return token(IDENTIFIER, text);
    // "option" after a mnemonic is the register operand, not the OPTION instruction.
    if (instructionSeen_ && (text == "option" || text == "OPTION"))
        return token(IDENTIFIER, text);
    if (text == "EQU" || text == "equ") {
        // The value after EQU is an operand: "size EQU count" names count, not a new label.
        instructionSeen_ = true;
        return token(ASMEQU, text);
    }
    switch (classifyMnemonic(text)) {
    case MnemonicClass::CompareJump:
        instructionSeen_ = true;
        // The parser sees a three-operand form; the node made from it is an ordinary mnemonic.
        token(ASMINST, text);
        return ASMMACRO3;
    case MnemonicClass::Instruction:
        instructionSeen_ = true;
        return token(ASMINST, text);
    case MnemonicClass::None:
        break;
    }
    // The first word of a line is a label, later words are operands.
    return token(instructionSeen_ ? IDENTIFIER : ASMLABEL, text);
}

int Scanner::string() {
    const int startLine = line();
    std::string text;
    bool tooLong = false;
    int previous = 0;
    for (;;) {
        const int ch = readChar();
        if (ch == EndOfInput) {
            c_.diagnostics.standardOutput(
                strprintf("ERROR(C102): EOF unexpected. String started in line %d\n", startLine));
            break;
        }
        if (ch == '"' && previous != '\\')
            break;
        previous = ch;
        if (text.size() < MaxStringLength) {
            text.push_back(static_cast<char>(ch));
        } else if (!tooLong) {
            tooLong = true;
            c_.diagnostics.standardOutput(
                strprintf("ERROR(C103): String too long, started in line %d\n", startLine));
        }
    }
    if (lineMarkerMode_) {
        currentFile_.append(text);
        return 0;
    }
    return token(STRING, text);
}

void Scanner::lineComment() {
    const int startLine = line();
    for (int count = 0;; ++count) {
        if (count == MaxCommentLength) {
            // The rest of the line is scanned as program text and its newline counted there.
            c_.diagnostics.standardOutput(
                strprintf("ERROR(C105): Comment too long, started in line %d\n", startLine));
            return;
        }
        const int ch = readChar();
        if (ch == '\n' || ch == EndOfInput)
            break;
    }
    ++line();
}

void Scanner::blockComment() {
    const int startLine = line();
    int count = 0;
    int previous = 0;
    for (;;) {
        const int ch = readChar();
        if (ch == EndOfInput) {
            c_.diagnostics.standardOutput(
                strprintf("ERROR(C100): EOF unexpected. Comment started in line %d\n", startLine));
            return;
        }
        if (previous == '*' && ch == '/')
            return;
        previous = ch;
        if (++count == MaxCommentLength + 1) {
            c_.diagnostics.standardOutput(
                strprintf("ERROR(C101): Comment too long, started in line %d\n", startLine));
        }
    }
}

// A marker "#line N path" names the line and the file of the text that follows. The path is
// the rest of the line as written, so that any file name works, also one that contains a
// keyword ("int.c", "asm/x.c") or punctuation ("my-dir/x.c").
void Scanner::startLineMarker() {
    std::string rest;
    int ch = readChar();
    while (ch != '\n' && ch != EndOfInput) {
        rest.push_back(static_cast<char>(ch));
        ch = readChar();
    }
    std::size_t at = rest.find_first_not_of(" \t");
    std::size_t digits = at;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9')
        ++digits;
    if (at != std::string::npos && digits > at)
        line() = static_cast<int>(readCompilerNumber(rest.substr(at, digits - at)));
    std::string path = digits < rest.size() ? rest.substr(digits) : std::string();
    const std::size_t first = path.find_first_not_of(" \t");
    const std::size_t last = path.find_last_not_of(" \t\r");
    path = first == std::string::npos ? std::string() : path.substr(first, last - first + 1);
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
        path = path.substr(1, path.size() - 2);
    currentFile_ = path;
    if (ch == '\n')
        endOfLine();
}

void Scanner::endOfLine() {
    ++line();
    lineMarkerMode_ = false;
    instructionSeen_ = false;
}

void Scanner::ignoreBackslash(std::string_view text) {
    if (lineMarkerMode_)
        currentFile_.append(text);
}

void Scanner::skipLine() {
    for (int count = 0; count < MaxCommentLength; ++count) {
        const int ch = readChar();
        if (ch == '\n' || ch == EndOfInput)
            return;
    }
}

void Scanner::drain() {
    while (readChar() != EndOfInput) {
    }
}

} // namespace kavo::frontend
