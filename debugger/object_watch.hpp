// The object file watch: after a compile the IDE looks at the object file on every tick and
// takes it in once it has been rewritten. A rewrite is told by the file's write time of day in
// hours, minutes and two-second units (the date is not kept) and a size above 5 bytes, so a
// failed compile that left the old file alone reloads nothing. Operations: stampOf,
// ObjectFileWatch::changed.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>

namespace kavo::debugger {

struct WriteStamp {
    int hours = -1;
    int minutes = -1;
    int twoSeconds = -1;
    bool operator==(const WriteStamp&) const = default;
};

// The local time of day of a file time, in the watch's units.
WriteStamp stampOf(std::filesystem::file_time_type time);

// What the watch needs to know about the file; nothing when it does not exist or cannot be
// opened for reading.
struct ObjectFileFacts {
    WriteStamp stamp;
    std::uintmax_t size = 0;
};
std::optional<ObjectFileFacts> objectFileFacts(const std::filesystem::path& path);

// Bytes an object file must exceed to count as written.
inline constexpr std::uintmax_t MinObjectFileSize = 5;

class ObjectFileWatch {
public:
    // True when the file's stamp differs from the remembered one and the file holds more
    // than 5 bytes; the stamp of such a file is remembered.
    bool changed(const std::optional<ObjectFileFacts>& facts);
    bool changed(const std::filesystem::path& path) { return changed(objectFileFacts(path)); }
    // Forgets the remembered stamp (at start-up).
    void clear() { remembered_ = {}; }

private:
    WriteStamp remembered_;
};

} // namespace kavo::debugger
