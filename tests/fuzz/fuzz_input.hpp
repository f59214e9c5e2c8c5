// Shared by the libFuzzer targets whose readers take a file name: the input as text, and a
// fresh working directory for each input so that no run sees the files of another.
#pragma once

#include "tests/support/temp_dir.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kavo::fuzzing {

inline std::string inputText(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

// The input cut at every line that holds only "----": the first part is the main file, the
// others the files it may include ("1.h", "2.h", ...).
inline std::vector<std::string> inputParts(std::string_view text) {
    constexpr std::string_view separator = "\n----\n";
    std::vector<std::string> parts;
    for (;;) {
        const auto at = text.find(separator);
        if (at == std::string_view::npos)
            break;
        parts.emplace_back(text.substr(0, at + 1));
        text.remove_prefix(at + separator.size());
    }
    parts.emplace_back(text);
    return parts;
}

} // namespace kavo::fuzzing
