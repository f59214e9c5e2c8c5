// LineMap and its two readers: readListingLines (the listing's "; Line: N" marks) and
// readPcMap (the map file's "<pc map>" section).
#include "debugger/line_map.hpp"

#include "common/line_tools.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace kavo::debugger {

void LineMap::addWord(unsigned address, int line) {
    lines_[address] = line;
}

std::optional<int> LineMap::lineAt(unsigned address) const {
    const auto found = lines_.find(address);
    if (found == lines_.end() || !isSourceLine(found->second))
        return std::nullopt;
    return found->second;
}

bool LineMap::isLineEntry(unsigned address) const {
    const std::optional<int> line = lineAt(address);
    if (!line)
        return false;
    if (labels_.contains(address) || address == 0)
        return true;
    const auto before = lines_.find(address - 1);
    return before == lines_.end() || before->second != *line;
}

std::vector<unsigned> LineMap::entriesOfLine(int line) const {
    std::vector<unsigned> entries;
    for (const auto& [address, wordLine] : lines_) {
        if (wordLine == line && isLineEntry(address))
            entries.push_back(address);
    }
    return entries;
}

std::vector<unsigned> LineMap::allEntries() const {
    std::vector<unsigned> entries;
    for (const auto& [address, line] : lines_) {
        if (isLineEntry(address))
            entries.push_back(address);
    }
    return entries;
}

std::optional<int> LineMap::firstLineWithCodeFrom(int line) const {
    std::optional<int> best;
    for (const auto& [address, wordLine] : lines_) {
        if (wordLine >= line && isSourceLine(wordLine) && (!best || wordLine < *best))
            best = wordLine;
    }
    return best;
}

std::vector<std::string_view> textLines(std::string_view text) {
    std::vector<std::string_view> result;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        result.push_back(line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return result;
}

namespace {

std::optional<unsigned> hexNumber(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The number after the line's last "Line:" token.
std::optional<int> lineMark(std::string_view text) {
    const std::size_t mark = text.rfind("; Line:");
    if (mark == std::string_view::npos)
        return std::nullopt;
    const std::vector<std::string> tokens = common::tokenizeLine(text.substr(mark + 7));
    if (tokens.empty() || !std::isdigit(static_cast<unsigned char>(tokens.front()[0])))
        return std::nullopt;
    return common::readIdeNumber(tokens.front());
}

} // namespace

// A code line starts with its address and "-"; a program word follows after one blank, while
// a label line has blanks where the word would be.
LineMap readListingLines(std::string_view listing) {
    LineMap map;
    for (std::string_view text : textLines(listing)) {
        const std::size_t dash = text.find('-');
        if (dash == 0 || dash == std::string_view::npos || dash > 4)
            continue;
        const std::optional<unsigned> address = hexNumber(text.substr(0, dash));
        const std::optional<int> line = lineMark(text);
        if (!address || !line)
            continue;
        const bool hasWord = text.size() > dash + 2 && text[dash + 1] == ' ' &&
                             std::isxdigit(static_cast<unsigned char>(text[dash + 2]));
        if (hasWord)
            map.addWord(*address, *line);
        else
            map.addLabel(*address);
    }
    return map;
}

namespace {

std::string_view withoutFolder(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

namespace {

// Calls word(address, line, ofSource) for every word of the pc map.
template <typename Word>
void forEachPcMapWord(std::string_view mapText, const std::string& sourceName, Word word) {
    bool inPcMap = false;
    for (std::string_view text : textLines(mapText)) {
        if (text.starts_with("<")) {
            inPcMap = text.starts_with("<pc map>");
            continue;
        }
        const std::vector<std::string> tokens = common::tokenizeLine(text);
        if (!inPcMap || tokens.size() < 2 || tokens[0].starts_with(";"))
            continue;
        const bool thisFile = sourceName.empty() || tokens.size() < 3 ||
                              withoutFolder(tokens[2]) == withoutFolder(sourceName);
        // The addresses are decimal with leading zeros, which the number reader would take
        // for octal.
        unsigned address = 0;
        const auto [end, error] =
            std::from_chars(tokens[0].data(), tokens[0].data() + tokens[0].size(), address);
        if (error != std::errc() || end != tokens[0].data() + tokens[0].size())
            continue;
        word(address, common::readIdeNumber(tokens[1]), thisFile);
    }
}

} // namespace

LineMap readPcMap(std::string_view mapText, const std::string& sourceName) {
    LineMap map;
    forEachPcMapWord(mapText, sourceName, [&map](unsigned address, int line, bool ofSource) {
        map.addWord(address, ofSource ? line : 0);
    });
    return map;
}

void dropOtherFiles(LineMap& lines, std::string_view mapText, const std::string& sourceName) {
    forEachPcMapWord(mapText, sourceName, [&lines](unsigned address, int, bool ofSource) {
        if (!ofSource)
            lines.addWord(address, 0);
    });
}

} // namespace kavo::debugger
