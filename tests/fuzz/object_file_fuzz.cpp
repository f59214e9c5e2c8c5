// libFuzzer target: the programmer's reader of Intel HEX object files on any text.
#include "programmer/program_image.hpp"
#include "tests/fuzz/fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kavo::testing::TempDir dir;
    kavo::testing::writeFile("program.sxh", kavo::fuzzing::inputText(data, size));
    kavo::programmer::ProgramImage image;
    kavo::programmer::readObjectFile("program.sxh", image);
    return 0;
}
