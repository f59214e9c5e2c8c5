#pragma once

#include "compiler/base/diagnostics.hpp"

#include <cstdio>
#include <string>
#include <string_view>

namespace kavo {

// One of the run's output files. Until it is opened it is either closed (writes are dropped)
// or bound to standard output, as the assembly and object streams are at the start of a run.
class OutputStream {
public:
    OutputStream() = default;
    OutputStream(const OutputStream&) = delete;
    OutputStream& operator=(const OutputStream&) = delete;
    ~OutputStream() { close(); }

    void bindToStandardOutput(Diagnostics& diagnostics);
    // Opens path for writing, truncating it; false (with errno set) on failure.
    bool open(const std::string& path);
    void write(std::string_view text);
    // Closes the file; false when data could not be written (disk full, I/O error).
    bool close();

    bool isFile() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }

private:
    std::FILE* file_ = nullptr;
    Diagnostics* standardOutput_ = nullptr;
    std::string path_;
    bool failed_ = false;
};

} // namespace kavo
