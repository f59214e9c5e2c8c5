// Comment removal for the preprocessor, one line at a time: stripComments drops "//" tails and
// "/* ... */" blocks, carrying an open block comment over to the next line.
#include "compiler/preprocessor/comment_stripper.hpp"

namespace kavo {

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
