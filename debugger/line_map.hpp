// Which source line each program word belongs to, read from the compiler's outputs: the line
// marks of the assembly listing ("AAA- WWW  instruction ; Line: N", hexadecimal addresses,
// labels on lines of their own) or the pc map of the map file ("PC LINE FILE", decimal).
// Operations: readListingLines, readPcMap, entriesOfLine, isLineEntry, lineAt.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kavo::debugger {

class LineMap {
public:
    // Records that the program word at address comes from line (0 or less: no source line).
    void addWord(unsigned address, int line);
    // Records a label at address: execution may arrive there from elsewhere.
    void addLabel(unsigned address) { labels_.insert(address); }
    // Lines above this count (the compiler's own routines carry large line numbers) are no
    // source lines; 0 accepts every positive line.
    void setSourceLineCount(int count) { sourceLineCount_ = count; }

    bool empty() const { return lines_.empty(); }
    // The source line of the word at address, when it has one.
    std::optional<int> lineAt(unsigned address) const;
    // An address where the code of a source line begins or is entered: the first word of a
    // run of words of that line, or a word of the line that carries a label.
    bool isLineEntry(unsigned address) const;
    // Every entry address of line, ascending; empty when the line produced no code.
    std::vector<unsigned> entriesOfLine(int line) const;
    // Every entry address of every source line.
    std::vector<unsigned> allEntries() const;
    // The first source line at or after line that produced code; nothing when none does.
    std::optional<int> firstLineWithCodeFrom(int line) const;

private:
    bool isSourceLine(int line) const {
        return line > 0 && (sourceLineCount_ == 0 || line <= sourceLineCount_);
    }

    std::map<unsigned, int> lines_;
    std::set<unsigned> labels_;
    int sourceLineCount_ = 0;
};

// The line marks of an assembly listing.
LineMap readListingLines(std::string_view listing);

// The pc map of a map file; words of other files than sourceName (compared without folders)
// get no source line. An empty sourceName takes every file.
LineMap readPcMap(std::string_view map, const std::string& sourceName);

// The listing's line numbers do not say which file a line is of: code from an included file
// carries that file's numbers. The map's pc map does; its words of other files than sourceName
// lose their source line in lines.
void dropOtherFiles(LineMap& lines, std::string_view map, const std::string& sourceName);

// The text split at line ends ("\n" or "\r\n").
std::vector<std::string_view> textLines(std::string_view text);

} // namespace kavo::debugger
