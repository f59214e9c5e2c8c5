// Comment removal for the preprocessor, one line at a time: stripComments drops "//" tails and
// "/* ... */" blocks, carrying an open block comment over to the next line. A string or
// character literal that closes on its line is copied whole, so "http://x" keeps its slashes.
#include "compiler/preprocessor/comment_stripper.hpp"

namespace kavo {

namespace {

// The end of the literal whose quote is at `at`, or 0 when it does not close before the
// line's end (its quote is then an ordinary character).
std::size_t literalEnd(std::string_view line, std::size_t at) {
    for (std::size_t i = at + 1; i < line.size() && line[i] != '\n'; ++i) {
        if (line[i] == '\\')
            ++i;
        else if (line[i] == line[at])
            return i + 1;
    }
    return 0;
}

} // namespace

std::string stripComments(std::string_view line, bool& inBlock) {
    std::string result;
    result.reserve(line.size() + 1);
    std::size_t at = 0;
    while (at < line.size() && line[at] != '\n') {
        const std::string_view pair = line.substr(at, 2);
        if (pair == "//") {
            inBlock = false;
            break;
        }
        if (!inBlock && pair == "/*") {
            inBlock = true;
            at += 2;
        } else if (inBlock && pair == "*/") {
            inBlock = false;
            at += 2;
        } else if (!inBlock && (line[at] == '"' || line[at] == '\'') && literalEnd(line, at)) {
            const std::size_t end = literalEnd(line, at);
            result.append(line.substr(at, end - at));
            at = end;
        } else {
            if (!inBlock)
                result += line[at];
            ++at;
        }
    }
    result += '\n';
    return result;
}

} // namespace kavo
