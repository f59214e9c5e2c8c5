// readObjectFile: the object file reader of the program window and the IDE's reload.
#include "programmer/program_image.hpp"

#include <fstream>
#include <optional>
#include <string_view>

namespace kavo::programmer {

namespace {

constexpr std::size_t MaxLineLength = 255;

std::optional<std::uint32_t> hexField(std::string_view line, std::size_t at, std::size_t digits) {
    if (at + digits > line.size())
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : line.substr(at, digits)) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

void storeWord(ProgramImage& image, std::uint32_t address, std::uint32_t word) {
    if (address == FuseWordAddress)
        image.fuse = word;
    else if (address == FusexWordAddress)
        image.fusex = word;
    if (address < ProgramMemoryWords && (word & 0xFFF) != ErasedWord)
        image.words[address] = word;
}

// One record; false when reading must stop here. A record's length must be exactly its
// fields: colon, count, address, type, the data bytes and the checksum (the line end is
// already removed here, a "\r" before it too).
bool loadRecord(std::string_view line, ProgramImage& image) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.empty() || line.front() != ':')
        return false;
    const auto count = hexField(line, 1, 2);
    const auto byteAddress = hexField(line, 3, 4);
    if (!count || !byteAddress || line.substr(7, 2) != "00")
        return false;
    if (line.size() != *count * 2 + 11)
        return false;
    std::uint32_t address = *byteAddress / 2;
    for (std::uint32_t pair = 0; pair + 1 < *count; pair += 2) {
        const auto low = hexField(line, 9 + pair * 2, 2);
        const auto high = hexField(line, 11 + pair * 2, 2);
        if (!low || !high)
            return false;
        storeWord(image, address++, *high * 256 + *low);
    }
    return true;
}

} // namespace

bool readObjectFile(const std::string& path, ProgramImage& image) {
    image.erase();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() > MaxLineLength + 1)
            line.resize(MaxLineLength + 1);
        if (!loadRecord(line, image))
            break;
    }
    return true;
}

} // namespace kavo::programmer
