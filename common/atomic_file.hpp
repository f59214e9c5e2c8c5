// Writing a file so that a failure part way never leaves it truncated: the text goes to a
// temporary file in the same folder, which is renamed over the old file once it is complete.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kavo::common {

// Called after each block with the bytes written so far; false abandons the write as a
// failing disk would (tests use it to fail a save part way).
using WriteProgress = std::function<bool(std::size_t written)>;

// True when path now holds exactly text. On failure the old file (if any) is untouched and
// no temporary file is left behind. An existing file's permissions are kept.
bool writeFileAtomically(const std::string& path, std::string_view text,
                         const WriteProgress& progress = {});

// Blocks of this size are written between progress calls.
constexpr std::size_t AtomicWriteBlock = 4096;

} // namespace kavo::common
