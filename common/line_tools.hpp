// Small readers shared by the IDE's windows and file readers: the line tokenizer, the number
// reader, the base name of a path and the "Line:" mark that ties a message or a listing line
// to its source line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavo::common {

// A line holds at most this many tokens; the rest of a longer line is ignored.
constexpr std::size_t MaxLineTokens = 256;

// The tokens of one text line: separated by blanks, tabs and line ends; "//" ends the line.
std::vector<std::string> tokenizeLine(std::string_view line);

// An integer: a leading "-" negates the rest, "0x"/"0X" is hexadecimal, another leading "0"
// octal, otherwise decimal; reading stops at the first character that is not a digit of the
// base. Text without digits reads as 0.
int readIdeNumber(std::string_view text);

// The file name of a path without its folder, cut at its first "." ("\" and "/" both separate
// folders): "src/blink.c" gives "blink".
std::string baseName(std::string_view path);

// The 0-based source line a message or listing line points at: the number after its first
// "Line:" token, less one. Only lines 1 to lineCount - 1 of the editor are jump targets, so
// "Line: 1" and marks beyond the text give nothing.
std::optional<int> markedSourceLine(std::string_view text, int lineCount);

// Where the messages of a compile point: the 0-based line of every "ERROR" and "WARNING"
// line with a "Line:" mark, in order, each once.
struct MarkedLine {
    int line;
    bool error; // an ERROR line; otherwise a WARNING
};
std::vector<MarkedLine> messageMarks(std::string_view messages);

} // namespace kavo::common
