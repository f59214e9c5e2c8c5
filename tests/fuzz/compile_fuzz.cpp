// libFuzzer target: the whole compile of one source file (preprocessor, parser, generator,
// back end and writers), in process as the IDE runs it. Every input must end with messages,
// never a crash, a hang or undefined behaviour; a fatal stop is an ordinary end.
#include "compiler/base/fatal_stop.hpp"
#include "tests/fuzz/fuzz_input.hpp"
#include "tests/support/in_process_compile.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kavo::testing::InProcessCompile run;
    run.wholeBackEnd = true;
    try {
        run.run(kavo::fuzzing::inputText(data, size));
    } catch (const kavo::FatalStop&) {
    }
    return 0;
}
