// objectFileText: a chip read as an Intel HEX object file.
#include "programmer/object_file_writer.hpp"

#include "compiler/backend/backend.hpp"
#include "compiler/base/text_format.hpp"

#include <algorithm>

namespace kavo::programmer {

namespace {

constexpr std::size_t RecordWords = 8;

std::string dataRecord(std::uint32_t wordAddress, const std::string& data) {
    const int byteCount = static_cast<int>(data.size() / 2);
    const int byteAddress = static_cast<int>(wordAddress * 2);
    return strprintf(":%02X%04X00%s%02X\n", byteCount, byteAddress, data.c_str(),
                     hexchecksum(byteCount, byteAddress, 0, data));
}

std::string wordText(std::uint32_t word) {
    return hexword(static_cast<int>(word & 0xFFF));
}

} // namespace

std::string objectFileText(const ProgramImage& image, std::size_t memoryWords) {
    const std::size_t words = std::min(memoryWords, ProgramMemoryWords);
    std::string text;
    for (std::size_t start = 0; start < words; start += RecordWords) {
        const std::size_t end = std::min(start + RecordWords, words);
        const auto first = image.words.begin() + static_cast<std::ptrdiff_t>(start);
        const auto last = image.words.begin() + static_cast<std::ptrdiff_t>(end);
        if (std::all_of(first, last, [](std::uint32_t w) { return (w & 0xFFF) == ErasedWord; }))
            continue;
        std::string data;
        for (auto word = first; word != last; ++word)
            data += wordText(*word);
        text += dataRecord(static_cast<std::uint32_t>(start), data);
    }
    text += dataRecord(FuseWordAddress, wordText(image.fuse));
    text += dataRecord(FusexWordAddress, wordText(image.fusex));
    return text + ":00000001FF\n";
}

} // namespace kavo::programmer
