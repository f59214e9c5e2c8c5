#include "compiler/base/word_splitter.hpp"

namespace kavo {

namespace {
const std::string noWord;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool endsLine(std::string_view line, std::size_t at) {
    return line[at] == '\n' || line.substr(at, 2) == "//";
}
} // namespace

const std::string& SplitLine::word(std::size_t index) const {
    return index < words.size() ? words[index] : noWord;
}

std::string_view SplitLine::restFrom(std::string_view line, std::size_t index) const {
    if (index >= offsets.size())
        return {};
    return line.substr(offsets[index]);
}

SplitLine splitWords(std::string_view line) {
    SplitLine split;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && isBlank(line[at]))
            ++at;
        if (at >= line.size() || endsLine(line, at))
            break;
        const std::size_t start = at;
        while (at < line.size() && !isBlank(line[at]) && !endsLine(line, at))
            ++at;
        split.words.emplace_back(line.substr(start, at - start));
        split.offsets.push_back(start);
        if (at < line.size() && endsLine(line, at))
            break;
    }
    if (split.words.empty()) {
        split.words.emplace_back();
        split.offsets.push_back(0);
    }
    return split;
}

} // namespace kavo
