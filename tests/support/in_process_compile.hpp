#pragma once

#include "compiler/pipeline/compiler_main.hpp"
#include "compiler/run/compilation.hpp"
#include "tests/support/capture_io.hpp"
#include "tests/support/temp_dir.hpp"

#include <string>

namespace kavo::testing {

// Compiles a source text through the whole compiler main in a fresh directory and keeps the
// run's state for inspection.
class InProcessCompile {
public:
    void run(const std::string& source) {
        writeFile("prog.c", source);
        compilerMain(c, {"kavo", "prog.c"});
        closeOutputs(c);
    }

    TempDir dir;
    CompilerSettings settings;
    CaptureIo io;
    Compilation c{settings, io};
};

} // namespace kavo::testing
