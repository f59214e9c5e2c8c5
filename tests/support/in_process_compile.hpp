#pragma once

#include "compiler/pipeline/compiler_main.hpp"
#include "compiler/run/compilation.hpp"
#include "tests/support/capture_io.hpp"
#include "tests/support/temp_dir.hpp"

#include <string>

namespace kavo::testing {

// Compiles a source text through the compiler main in a fresh directory and keeps the run's
// state for inspection. By default the run stops once the code is generated (every function,
// called or not, with the runtime routines), so that tests see the generator's own list;
// set wholeBackEnd to run every pass and write the output files.
class InProcessCompile {
public:
    void run(const std::string& source) {
        c.flags.stopAfterCodeGeneration = !wholeBackEnd;
        writeFile("prog.c", source);
        compilerMain(c, {"kavo", "prog.c"});
        closeOutputs(c);
    }

    bool wholeBackEnd = false;
    TempDir dir;
    CompilerSettings settings;
    CaptureIo io;
    Compilation c{settings, io};
};

} // namespace kavo::testing
