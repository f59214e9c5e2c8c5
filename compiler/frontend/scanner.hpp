#pragma once

#include "compiler/base/node.hpp"

#include <cstdio>
#include <string>
#include <string_view>

namespace kavo {
class Compilation;
}

namespace kavo::frontend {

// The token scanner over the preprocess file. One Scanner per run: it starts at the stream's
// current position with an empty buffer and line 1, so nothing read by an earlier run in the
// same process can leak into this one. The current line lives in Compilation::currentLine
// because marker nodes take their line from it.
class Scanner {
public:
    Scanner(Compilation& c, std::FILE* input);
    ~Scanner();
    Scanner(const Scanner&) = delete;
    Scanner& operator=(const Scanner&) = delete;

    // The next token's kind, 0 at end of input; value is cleared and then filled.
    int nextToken(ParserValue& value);
    // The next input character, -1 at end of input.
    int readChar();
    // Reads up to and including the next newline, at most 32000 characters.
    void skipLine();
    // Reads and discards everything up to the end of input.
    void drain();

    bool asmMode() const { return asmMode_; }
    bool instructionSeen() const { return instructionSeen_; }
    bool lineMarkerMode() const { return lineMarkerMode_; }
    const std::string& currentFile() const { return currentFile_; }
    int currentLine() const;
    // After a syntax error the assembly state must not leak into what follows.
    void leaveAsmMode() {
        asmMode_ = false;
        instructionSeen_ = false;
    }

    // The rule actions of the generated scanner call these; text is the matched text.
    int token(int kind, std::string_view text);
    int keyword(int kind, std::string_view text);
    int integer(std::string_view text);
    int identifier(std::string_view text);
    int string();
    // Returns 0 when the character went into the file name of a "#line" marker.
    int markerText(int kind, std::string_view text);
    int asmToken(int kind, int asmKind, bool asAsm, std::string_view text);
    int closeParen(std::string_view text);
    void lineComment();
    void blockComment();
    void startLineMarker();
    void enterAsmMode() { asmMode_ = true; }
    void countLine() { ++line(); }
    void endOfLine();
    void ignoreBackslash(std::string_view text);
    // Called by the generated input routine when the stream has no more data.
    void noteInputExhausted() { inputExhausted_ = true; }
    std::size_t readInput(char* buffer, std::size_t size);

private:
    int& line();

    Compilation& c_;
    std::FILE* input_;
    void* scanner_ = nullptr; // the generated scanner's state
    ParserValue* value_ = nullptr;
    bool asmMode_ = false;
    bool instructionSeen_ = false;
    bool lineMarkerMode_ = false;
    bool inputExhausted_ = false;
    std::string currentFile_;
};

} // namespace kavo::frontend
