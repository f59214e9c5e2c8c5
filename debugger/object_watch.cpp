// stampOf, objectFileFacts and ObjectFileWatch::changed.
#include "debugger/object_watch.hpp"

#include <ctime>
#include <fstream>

namespace kavo::debugger {

WriteStamp stampOf(std::filesystem::file_time_type time) {
    const auto system = std::chrono::file_clock::to_sys(time);
    const std::time_t seconds = std::chrono::system_clock::to_time_t(system);
    std::tm local{};
    localtime_r(&seconds, &local);
    return {local.tm_hour, local.tm_min, local.tm_sec / 2};
}

std::optional<ObjectFileFacts> objectFileFacts(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error) || !std::ifstream(path, std::ios::binary))
        return std::nullopt;
    const auto time = std::filesystem::last_write_time(path, error);
    if (error)
        return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return std::nullopt;
    return ObjectFileFacts{stampOf(time), size};
}

bool ObjectFileWatch::changed(const std::optional<ObjectFileFacts>& facts) {
    // A file still too small is not remembered: the compiler may finish writing it within the
    // same two-second unit, and the next tick must still see it.
    if (!facts || facts->stamp == remembered_ || facts->size <= MinObjectFileSize)
        return false;
    remembered_ = facts->stamp;
    return true;
}

} // namespace kavo::debugger
