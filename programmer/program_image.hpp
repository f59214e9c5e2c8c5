// The IDE's program memory image and the object file reader that fills it. The image holds the
// 12-bit words of the chip's program memory, 0xFFF where erased, and the FUSE and FUSEX words
// an object file placed at word addresses 0x1010 and 0x1011.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kavo::programmer {

constexpr std::size_t ProgramMemoryWords = 4096;
constexpr std::uint32_t ErasedWord = 0xFFF;
constexpr std::uint32_t FuseWordAddress = 0x1010;
constexpr std::uint32_t FusexWordAddress = 0x1011;

struct ProgramImage {
    std::array<std::uint32_t, ProgramMemoryWords> words;
    std::uint32_t fuse = ErasedWord;
    std::uint32_t fusex = ErasedWord;

    ProgramImage() { erase(); }
    void erase() { words.fill(ErasedWord); }
};

// Erases the image and loads the data records of an Intel HEX object file into it, two bytes
// (low first) a word. Reading stops at the first record that is not a data record and at the
// first line whose length does not match its byte count; checksums are not checked. False
// only when the file cannot be opened.
bool readObjectFile(const std::string& path, ProgramImage& image);

} // namespace kavo::programmer
