#include "compiler/base/output_stream.hpp"

#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavo {

namespace {

// The permissions of the file being replaced, or those fopen would give a new one.
mode_t modeFor(const std::string& path) {
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        return old.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// "DIR/.NAME.XXXXXX" beside "DIR/NAME": the same file system, so the rename is atomic.
std::string temporaryPattern(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, name) + "." + path.substr(name) + ".XXXXXX";
}

} // namespace

void OutputStream::bindToStandardOutput(Diagnostics& diagnostics) {
    discard();
    standardOutput_ = &diagnostics;
}

bool OutputStream::open(const std::string& path) {
    discard();
    standardOutput_ = nullptr;
    // A directory, or a folder that does not exist, fails here as fopen would have.
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) {
        errno = EISDIR;
        return false;
    }
    std::string temporary = temporaryPattern(path);
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    if (::fchmod(fd, modeFor(path)) != 0 || (file_ = ::fdopen(fd, "w")) == nullptr) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        errno = error;
        return false;
    }
    path_ = path;
    temporary_ = temporary;
    failed_ = false;
    return true;
}

void OutputStream::write(std::string_view text) {
    if (file_ != nullptr) {
        if (std::fwrite(text.data(), 1, text.size(), file_) != text.size())
            failed_ = true;
    } else if (standardOutput_ != nullptr) {
        standardOutput_->standardOutput(text);
    }
}

bool OutputStream::flush() {
    if (file_ != nullptr && std::fflush(file_) != 0)
        failed_ = true;
    return !failed_;
}

bool OutputStream::close() {
    standardOutput_ = nullptr;
    if (file_ == nullptr)
        return true;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (closed && !failed_ && std::rename(temporary_.c_str(), path_.c_str()) == 0) {
        temporary_.clear();
        return true;
    }
    ::unlink(temporary_.c_str());
    temporary_.clear();
    return false;
}

void OutputStream::discard() {
    standardOutput_ = nullptr;
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

} // namespace kavo
