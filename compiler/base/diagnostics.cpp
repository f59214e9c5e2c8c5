// The gcc style of the messages: "ERROR(C19): Line: 7 Identifier x not defined ..." becomes
// "prog.c:7: error: Identifier x not defined ... [C19]". Lines that are not errors or warnings
// (progress, summaries, continuation lines) pass unchanged.
#include "compiler/base/diagnostics.hpp"

#include <regex>

namespace kavo {

namespace {

// "ERROR(C19): ", "WARNING: ", "FATAL(C135): ", then an optional "Line: 7", "Line 7:" or
// "Line:  7" before the text.
const std::regex& headed() {
    static const std::regex pattern(
        R"(^(ERROR|WARNING|FATAL)(?:\(([A-Za-z0-9]+)\))?:[ \t]*(?:Line:?[ \t]*([0-9]+):?[ \t]*)?(.*)$)");
    return pattern;
}

std::string gccLine(const std::string& line, const std::string& file) {
    std::smatch m;
    if (!std::regex_match(line, m, headed()))
        return line;
    std::string out = file;
    if (m[3].matched)
        out += ":" + m[3].str();
    out += m[1] == "WARNING" ? ": warning: " : ": error: ";
    out += m[4].str();
    if (m[2].matched)
        out += " [" + m[2].str() + "]";
    return out;
}

} // namespace

std::string Diagnostics::styled(std::string_view text) const {
    if (style_ == DiagnosticStyle::Kavo)
        return std::string(text);
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        out += gccLine(std::string(text.substr(start, stop - start)), file_);
        if (end == std::string_view::npos)
            break;
        out += '\n';
        start = end + 1;
    }
    return out;
}

} // namespace kavo
