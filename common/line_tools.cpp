// tokenizeLine, readIdeNumber, baseName, markedSourceLine and messageMarks.
#include "common/line_tools.hpp"

#include "compiler/base/number_reader.hpp"
#include "compiler/base/word_splitter.hpp"

#include <algorithm>

namespace kavo::common {

std::vector<std::string> tokenizeLine(std::string_view line) {
    // The word splitter ends a line at "\n" only; a "\r" of a DOS line end is a line end too.
    const std::size_t end = line.find_first_of("\r\n");
    if (end != std::string_view::npos)
        line = line.substr(0, end);
    std::vector<std::string> tokens = splitWords(line).words;
    if (tokens.size() == 1 && tokens.front().empty())
        tokens.clear();
    if (tokens.size() > MaxLineTokens)
        tokens.resize(MaxLineTokens);
    return tokens;
}

int readIdeNumber(std::string_view text) {
    if (!text.empty() && text.front() == '-')
        return -static_cast<int>(readCompilerNumber(text.substr(1)));
    return static_cast<int>(readCompilerNumber(text));
}

std::string baseName(std::string_view path) {
    const std::size_t folderEnd = path.find_last_of("/\\");
    if (folderEnd != std::string_view::npos)
        path = path.substr(folderEnd + 1);
    return std::string(path.substr(0, path.find('.')));
}

namespace {

std::optional<int> lineAfterMark(const std::vector<std::string>& tokens) {
    const auto mark = std::find(tokens.begin(), tokens.end(), "Line:");
    if (mark == tokens.end() || mark + 1 == tokens.end())
        return std::nullopt;
    return readIdeNumber(*(mark + 1)) - 1;
}

} // namespace

std::optional<int> markedSourceLine(std::string_view text, int lineCount) {
    const std::optional<int> line = lineAfterMark(tokenizeLine(text));
    if (!line || *line <= 0 || *line >= lineCount)
        return std::nullopt;
    return line;
}

std::vector<MarkedLine> messageMarks(std::string_view messages) {
    std::vector<MarkedLine> marks;
    std::size_t at = 0;
    while (at < messages.size()) {
        std::size_t end = messages.find('\n', at);
        if (end == std::string_view::npos)
            end = messages.size();
        const std::string_view line = messages.substr(at, end - at);
        at = end + 1;
        const bool error = line.starts_with("ERROR");
        if (!error && !line.starts_with("WARNING"))
            continue;
        const std::optional<int> source = lineAfterMark(tokenizeLine(line));
        if (!source || *source < 0)
            continue;
        const auto same = [&](const MarkedLine& m) { return m.line == *source; };
        const auto known = std::find_if(marks.begin(), marks.end(), same);
        if (known == marks.end())
            marks.push_back({*source, error});
        else
            known->error = known->error || error;
    }
    return marks;
}

} // namespace kavo::common
