// hexViewText.
#include "ide/hex_view_text.hpp"

#include "compiler/base/text_format.hpp"

namespace kavo::ide {

namespace {

constexpr std::size_t WordsPerRow = 8;

std::size_t lastUsedWord(const programmer::ProgramImage& image) {
    std::size_t last = image.words.size() - 1;
    while (last > 0 && image.words[last] == programmer::ErasedWord)
        --last;
    return last;
}

} // namespace

std::string hexViewText(const programmer::ProgramImage& image) {
    std::string text;
    const std::size_t last = lastUsedWord(image);
    for (std::size_t address = 0; address <= last; ++address) {
        if (address % WordsPerRow == 0) {
            if (address != 0)
                text += "\n";
            text += strprintf("[%04X] => ", static_cast<unsigned>(address));
        }
        text += strprintf("%03X ", static_cast<unsigned>(image.words[address]));
    }
    return text + "\n";
}

} // namespace kavo::ide
