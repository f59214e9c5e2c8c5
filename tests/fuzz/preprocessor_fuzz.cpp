// libFuzzer target: the preprocessor on a main file and the files it includes, all taken from
// the input (see inputParts), so that #include, #loadasm and #loadvp chains, nested regions
// across files and the include depth limit are reached. A fatal stop is an ordinary end.
#include "compiler/base/fatal_stop.hpp"
#include "compiler/preprocessor/preprocessor.hpp"
#include "compiler/run/compilation.hpp"
#include "tests/fuzz/fuzz_input.hpp"
#include "tests/support/capture_io.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kavo::testing::TempDir dir;
    const auto parts = kavo::fuzzing::inputParts(kavo::fuzzing::inputText(data, size));
    kavo::testing::writeFile("main.c", parts[0]);
    for (std::size_t i = 1; i < parts.size(); ++i)
        kavo::testing::writeFile(std::to_string(i) + ".h", parts[i]);

    kavo::CompilerSettings settings;
    kavo::testing::CaptureIo io;
    kavo::Compilation c{settings, io};
    kavo::OutputStream out;
    if (!out.open("main.pre"))
        return 0;
    try {
        kavo::Preprocessor(c, out).preprocess("main.c");
    } catch (const kavo::FatalStop&) {
    }
    return 0;
}
