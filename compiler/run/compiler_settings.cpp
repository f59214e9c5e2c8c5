#include "compiler/run/compiler_settings.hpp"

#include <algorithm>
#include <filesystem>

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

std::string installedHeaderDir() {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return (program.parent_path().parent_path() / "share/kavo/include").string() + "/";
}

} // namespace kavo
