// writeFileAtomically: temporary file, complete write and flush, then rename.
#include "common/atomic_file.hpp"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavo::common {

namespace {

namespace fs = std::filesystem;

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

// The permissions of the file being replaced, or the usual ones of a new file.
mode_t modeFor(const std::string& path) {
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0)
        return old.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

bool writeFileAtomically(const std::string& path, std::string_view text,
                         const WriteProgress& progress) {
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return false;
    bool complete = ::fchmod(fd, modeFor(path)) == 0 && writeAll(fd, text, progress);
    complete = ::close(fd) == 0 && complete;
    if (complete && std::rename(pattern.c_str(), path.c_str()) == 0)
        return true;
    ::unlink(pattern.c_str());
    return false;
}

} // namespace kavo::common
