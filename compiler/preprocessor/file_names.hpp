#pragma once

#include <filesystem>
#include <string>

namespace kavo {

// A file name written in double quotes loses them: #include ""a.h"" opens a.h.
inline std::string withoutQuotes(std::string name) {
    if (!name.empty() && name.front() == '"') {
        name.erase(0, 1);
        if (!name.empty() && name.back() == '"')
            name.pop_back();
    }
    return name;
}

// The same file reached through different spellings of its path is still the same file.
inline std::string identityOf(const std::string& path) {
    std::error_code error;
    const auto canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

} // namespace kavo
