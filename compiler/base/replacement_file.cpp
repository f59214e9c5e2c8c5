#include "compiler/base/replacement_file.hpp"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavo {

namespace {

// The permissions of the file being replaced, or those a new file gets.
mode_t modeFor(const std::string& path) {
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        return old.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string temporaryPattern(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, name) + "." + path.substr(name) + ".XXXXXX";
}

} // namespace

std::optional<ReplacementFile> openReplacement(const std::string& path) {
    ReplacementFile file{-1, temporaryPattern(path)};
    file.fd = ::mkstemp(file.temporary.data());
    if (file.fd < 0)
        return std::nullopt;
    if (::fchmod(file.fd, modeFor(path)) != 0) {
        const int error = errno;
        ::close(file.fd);
        ::unlink(file.temporary.c_str());
        errno = error;
        return std::nullopt;
    }
    return file;
}

bool putInPlace(const std::string& temporary, const std::string& path) {
    if (std::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    dropReplacement(temporary);
    return false;
}

void dropReplacement(const std::string& temporary) {
    ::unlink(temporary.c_str());
}

} // namespace kavo
