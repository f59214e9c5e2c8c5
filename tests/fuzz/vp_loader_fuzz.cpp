// libFuzzer target: the Virtual Peripheral loader on any text, loaded twice so that the
// conflict reports between files are reached too.
#include "compiler/base/fatal_stop.hpp"
#include "compiler/preprocessor/vp_loader.hpp"
#include "compiler/run/compilation.hpp"
#include "tests/fuzz/fuzz_input.hpp"
#include "tests/support/capture_io.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kavo::testing::TempDir dir;
    kavo::testing::writeFile("peripheral.hex", kavo::fuzzing::inputText(data, size));
    kavo::CompilerSettings settings;
    kavo::testing::CaptureIo io;
    kavo::Compilation c{settings, io};
    try {
        kavo::loadvp(c, "peripheral.hex", 1);
        kavo::loadvp(c, "peripheral.hex", 2);
    } catch (const kavo::FatalStop&) {
    }
    return 0;
}
