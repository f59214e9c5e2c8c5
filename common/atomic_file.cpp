// writeFileAtomically: the text written whole into a replacement file and flushed to the
// disk, then put in place.
#include "common/atomic_file.hpp"

#include "compiler/base/replacement_file.hpp"

#include <algorithm>

#include <unistd.h>

namespace kavo::common {

namespace {

bool writeAll(int fd, std::string_view text, const WriteProgress& progress) {
    std::size_t written = 0;
    while (written < text.size()) {
        const std::size_t block = std::min(AtomicWriteBlock, text.size() - written);
        const ssize_t done = ::write(fd, text.data() + written, block);
        if (done <= 0)
            return false;
        written += static_cast<std::size_t>(done);
        if (progress && !progress(written))
            return false;
    }
    return ::fsync(fd) == 0;
}

} // namespace

bool writeFileAtomically(const std::string& path, std::string_view text,
                         const WriteProgress& progress) {
    const std::optional<ReplacementFile> file = openReplacement(path);
    if (!file)
        return false;
    bool complete = writeAll(file->fd, text, progress);
    complete = ::close(file->fd) == 0 && complete;
    if (complete)
        return putInPlace(file->temporary, path);
    dropReplacement(file->temporary);
    return false;
}

} // namespace kavo::common
