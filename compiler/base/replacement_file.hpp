// A file that replaces another whole or not at all: it is written as a temporary file beside
// its target (the same folder, so the same file system and an atomic rename), with the
// permissions the target has or those a new file gets, and renamed over the target only when
// it is complete. The compiler's output streams and the tools' file writer both use it.
#pragma once

#include <optional>
#include <string>

namespace kavo {

struct ReplacementFile {
    int fd = -1;
    std::string temporary; // "DIR/.NAME.XXXXXX" beside "DIR/NAME"
};

// Creates the temporary file for path; none (errno set) on failure.
std::optional<ReplacementFile> openReplacement(const std::string& path);
// Renames temporary over path; on failure removes temporary and leaves path as it was.
bool putInPlace(const std::string& temporary, const std::string& path);
// Removes temporary: the target stays as it was.
void dropReplacement(const std::string& temporary);

} // namespace kavo
