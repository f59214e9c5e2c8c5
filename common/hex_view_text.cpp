// hexViewText.
#include "common/hex_view_text.hpp"

#include "compiler/base/text_format.hpp"

namespace kavo::common {

namespace {

constexpr std::size_t WordsPerRow = 8;

std::size_t lastUsedWord(std::span<const std::uint32_t> words, std::uint32_t erased) {
    std::size_t last = words.empty() ? 0 : words.size() - 1;
    while (last > 0 && words[last] == erased)
        --last;
    return last;
}

} // namespace

std::string hexViewText(std::span<const std::uint32_t> words, std::uint32_t erased) {
    std::string text;
    const std::size_t last = lastUsedWord(words, erased);
    for (std::size_t address = 0; address < words.size() && address <= last; ++address) {
        if (address % WordsPerRow == 0) {
            if (address != 0)
                text += "\n";
            text += strprintf("[%04X] => ", static_cast<unsigned>(address));
        }
        text += strprintf("%03X ", static_cast<unsigned>(words[address]));
    }
    return text + "\n";
}

} // namespace kavo::common
