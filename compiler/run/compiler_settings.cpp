#include "compiler/run/compiler_settings.hpp"

#include <algorithm>

namespace kavo {

std::string withForwardSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string normaliseDirectory(std::string value) {
    value = withForwardSlashes(std::move(value));
    if (!value.empty() && value.back() != '/')
        value += '/';
    return value;
}

} // namespace kavo
