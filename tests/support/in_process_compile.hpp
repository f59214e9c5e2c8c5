#pragma once

#include "compiler/pipeline/compiler_main.hpp"
#include "compiler/run/compilation.hpp"
#include "tests/support/capture_io.hpp"
#include "tests/support/temp_dir.hpp"

#include <string>
#include <vector>

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
        std::vector<std::string> argv = {"kavo"};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.push_back("prog.c");
        compilerMain(c, argv);
        closeOutputs(c);
    }

    bool wholeBackEnd = false;
    // Command-line options before the source name ("-f", "x" reads kavoconf.cfg).
    std::vector<std::string> options;
    TempDir dir;
    CompilerSettings settings;
    CaptureIo io;
    Compilation c{settings, io};
};

} // namespace kavo::testing
