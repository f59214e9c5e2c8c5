#include "compiler/base/number_reader.hpp"

namespace kavo {

namespace {

int digitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

std::uint32_t readDigits(std::string_view digits, std::uint32_t base) {
    std::uint32_t value = 0;
    for (char c : digits) {
        const int digit = digitValue(c);
        if (digit >= static_cast<int>(base))
            break;
        value = value * base + static_cast<std::uint32_t>(digit);
    }
    return value;
}

} // namespace

std::uint32_t readCompilerNumber(std::string_view text) {
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return readDigits(text.substr(2), 16);
    if (!text.empty() && text[0] == '0')
        return readDigits(text.substr(1), 8);
    return readDigits(text, 10);
}

} // namespace kavo
