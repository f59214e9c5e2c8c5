#include "compiler/base/output_stream.hpp"

namespace kavo {

void OutputStream::bindToStandardOutput(Diagnostics& diagnostics) {
    close();
    standardOutput_ = &diagnostics;
}

bool OutputStream::open(const std::string& path) {
    close();
    file_ = std::fopen(path.c_str(), "w");
    if (file_ == nullptr)
        return false;
    path_ = path;
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

bool OutputStream::close() {
    standardOutput_ = nullptr;
    if (file_ == nullptr)
        return true;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return closed && !failed_;
}

} // namespace kavo
