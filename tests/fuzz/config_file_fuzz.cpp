// libFuzzer target: the compiler's reader of kavoconf.cfg on any text.
#include "compiler/base/fatal_stop.hpp"
#include "compiler/pipeline/options.hpp"
#include "compiler/run/compilation.hpp"
#include "tests/fuzz/fuzz_input.hpp"
#include "tests/support/capture_io.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kavo::testing::TempDir dir;
    kavo::testing::writeFile(kavo::ConfigFileName, kavo::fuzzing::inputText(data, size));
    kavo::CompilerSettings settings;
    kavo::testing::CaptureIo io;
    kavo::Compilation c{settings, io};
    try {
        kavo::readConfigFile(c);
    } catch (const kavo::FatalStop&) {
    }
    return 0;
}
