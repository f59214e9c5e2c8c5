#include "simulator/symbol_map.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace sxsim {

namespace {

std::vector<std::string_view> splitWords(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
        if (i > start) {
            words.push_back(line.substr(start, i - start));
        }
    }
    return words;
}

std::optional<unsigned> parseNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    } else if (text.size() > 1 && text[0] == '$') {
        text.remove_prefix(1);
        base = 16;
    } else if (text.size() > 1 && (text.back() == 'h' || text.back() == 'H')) {
        text.remove_suffix(1);
        base = 16;
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

bool isEqu(std::string_view word) { return word == "EQU" || word == "equ"; }

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> result;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        result.push_back(line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return result;
}

// "; Bank 1 (40)" -> 40
std::optional<unsigned> bankCommentAddress(std::string_view comment) {
    const std::size_t open = comment.find('(');
    const std::size_t close = comment.find(')', open);
    if (comment.find("Bank") == std::string_view::npos || open == std::string_view::npos ||
        close == std::string_view::npos) {
        return std::nullopt;
    }
    return parseNumber(comment.substr(open + 1, close - open - 1));
}

std::optional<NamedVariable> equLine(std::string_view line) {
    const std::size_t semicolon = line.find(';');
    const auto words = splitWords(line.substr(0, semicolon));
    if (words.size() != 3 || !isEqu(words[1])) {
        return std::nullopt;
    }
    std::optional<unsigned> address = parseNumber(words[2]);
    if (semicolon != std::string_view::npos) {
        if (auto full = bankCommentAddress(line.substr(semicolon))) {
            address = full;
        }
    }
    if (!address) {
        return std::nullopt;
    }
    return NamedVariable{std::string(words[0]), *address, 1};
}

std::vector<NamedVariable> memoryTable(const std::vector<std::string_view>& text) {
    std::vector<NamedVariable> result;
    bool inTable = false;
    for (std::string_view line : text) {
        if (!line.empty() && line.front() == '<') {
            inTable = line.starts_with("<memory table>");
            continue;
        }
        const auto words = splitWords(line);
        if (!inTable || words.size() < 3 || words[0].front() == ';') {
            continue;
        }
        const auto address = parseNumber(words[1]);
        const auto size = parseNumber(words[2]);
        if (address && size) {
            result.push_back({std::string(words[0]), *address, std::max(*size, 1u)});
        }
    }
    return result;
}

std::vector<NamedVariable> plainPairs(const std::vector<std::string_view>& text) {
    std::vector<NamedVariable> result;
    for (std::string_view line : text) {
        const auto words = splitWords(line.substr(0, line.find(';')));
        if (words.size() == 2) {
            if (auto address = parseNumber(words[1])) {
                result.push_back({std::string(words[0]), *address, 1});
            }
        }
    }
    return result;
}

} // namespace

std::vector<NamedVariable> parseSymbolText(std::string_view text) {
    const auto allLines = lines(text);
    const bool isMap = std::any_of(allLines.begin(), allLines.end(), [](std::string_view l) {
        return l.starts_with("<memory table>");
    });
    if (isMap) {
        return memoryTable(allLines);
    }
    std::vector<NamedVariable> equs;
    for (std::string_view line : allLines) {
        if (auto variable = equLine(line)) {
            equs.push_back(std::move(*variable));
        }
    }
    return equs.empty() ? plainPairs(allLines) : equs;
}

std::vector<NamedVariable> readSymbolFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open '" + path + "'");
    }
    std::ostringstream contents;
    contents << in.rdbuf();
    return parseSymbolText(contents.str());
}

} // namespace sxsim
