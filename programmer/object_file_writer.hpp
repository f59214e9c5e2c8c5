// The Intel HEX text of a chip's contents, as the compiler writes its object files: the words
// in data records of eight (two bytes a word, low byte first), FUSE at word 0x1010, FUSEX at
// 0x1011, the end record. `sxprog --read` writes it; the object file reader, `sxprog --verify`
// and `sxsim` read it back.
#pragma once

#include "programmer/program_image.hpp"

#include <cstddef>
#include <string>

namespace kavo::programmer {

// The first memoryWords words of the image (records that hold only erased words are left
// out, as a blank chip needs none) and the image's FUSE and FUSEX.
std::string objectFileText(const ProgramImage& image, std::size_t memoryWords);

} // namespace kavo::programmer
