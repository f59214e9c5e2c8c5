#include "compiler/base/output_stream.hpp"

#include "compiler/base/replacement_file.hpp"

#include <cerrno>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace kavo {

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
    const std::optional<ReplacementFile> replacement = openReplacement(path);
    if (!replacement)
        return false;
    if ((file_ = ::fdopen(replacement->fd, "w")) == nullptr) {
        const int error = errno;
        ::close(replacement->fd);
        dropReplacement(replacement->temporary);
        errno = error;
        return false;
    }
    path_ = path;
    temporary_ = replacement->temporary;
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
    const std::string temporary = std::move(temporary_);
    temporary_.clear();
    if (closed && !failed_)
        return putInPlace(temporary, path_);
    dropReplacement(temporary);
    return false;
}

void OutputStream::discard() {
    standardOutput_ = nullptr;
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty())
        dropReplacement(temporary_);
    temporary_.clear();
}

} // namespace kavo
