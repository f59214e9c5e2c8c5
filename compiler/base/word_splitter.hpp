#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kavo {

// The words of one line: separated by blanks and tabs, ended by a newline or "//".
// A line without any word yields one empty word, so words is never empty.
struct SplitLine {
    std::vector<std::string> words;
    std::vector<std::size_t> offsets; // where each word starts in the line

    std::size_t count() const { return words.size(); }
    // The word at index, or "" past the end (a missing argument reads as empty).
    const std::string& word(std::size_t index) const;
    // The text from the start of word index to the end of the line ("" past the end).
    std::string_view restFrom(std::string_view line, std::size_t index) const;
};

SplitLine splitWords(std::string_view line);

// The word tables of directive lines hold this many words of this many characters.
constexpr std::size_t MaxDirectiveWords = 64;
constexpr std::size_t MaxDirectiveWordLength = 63;

} // namespace kavo
