#pragma once

#include "compiler/base/output_stream.hpp"

#include <cstdio>
#include <memory>
#include <string>

namespace kavo {

// The files of one run and the names they were made from.
struct RunFiles {
    OutputStream preprocessFile;
    OutputStream assemblyFile;
    OutputStream listingFile;
    OutputStream objectFile;
    OutputStream mapFile;
    // The stream the scanner reads: the preprocess file.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> parserInput{nullptr, &std::fclose};

    std::string givenFileName;  // the file name as given, before the cut at "."
    std::string fileStem;       // the file name cut at its first "."
    std::string fileName;       // the most recently formed output file name
    std::string sourceFileName; // SRC_DIR, stem, ".", SRC_EXTENSION
    // The object file this run replaces: a run that fails removes it, so that no stale image
    // of an older source can be programmed.
    std::string objectFileName;
};

} // namespace kavo
