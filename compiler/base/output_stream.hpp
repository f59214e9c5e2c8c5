#pragma once

#include "compiler/base/diagnostics.hpp"

#include <cstdio>
#include <string>
#include <string_view>

namespace kavo {

// One of the run's output files. Until it is opened it is either closed (writes are dropped)
// or bound to standard output, as the assembly and object streams are at the start of a run.
// An opened stream writes a temporary file in the target's folder; only close() puts it in
// the target's place, so a compilation that stops part way (and discards its streams) never
// leaves a truncated or empty output behind, and the old file stays until the new one is whole.
class OutputStream {
public:
    OutputStream() = default;
    OutputStream(const OutputStream&) = delete;
    OutputStream& operator=(const OutputStream&) = delete;
    ~OutputStream() { discard(); }

    void bindToStandardOutput(Diagnostics& diagnostics);
    // Opens a temporary file for path; false (with errno set) on failure.
    bool open(const std::string& path);
    void write(std::string_view text);
    // Writes out what is buffered; false when data could not be written (disk full, I/O error).
    bool flush();
    // Closes the temporary file and renames it over path; false when data could not be written
    // or the rename failed (the temporary file is removed then and path is left as it was).
    bool close();
    // Closes and removes the temporary file; path is left as it was.
    void discard();

    bool isFile() const { return file_ != nullptr; }
    // The target's name.
    const std::string& path() const { return path_; }
    // The file holding what was written so far (the temporary file until the close).
    const std::string& writtenPath() const { return temporary_; }

private:
    std::FILE* file_ = nullptr;
    Diagnostics* standardOutput_ = nullptr;
    std::string path_;
    std::string temporary_;
    bool failed_ = false;
};

} // namespace kavo
