// Commits each of the errors the sanitizer build must catch, chosen by the first argument, so
// that CTest can see the build really is sanitized: "heap" writes past a heap block, "signed"
// overflows a signed addition. The values come from the command line so that the compiler
// cannot see the error coming and drop it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

int writePastHeapBlock(int size) {
    const auto block = std::make_unique<char[]>(size);
    block[size] = 1;
    return block[0];
}

int overflowSignedAddition(int value) {
    const int biggest = 0x7fffffff;
    return biggest + value;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sanitizer_canary heap|signed\n");
        return 2;
    }
    const int one = argc - 1;
    if (std::strcmp(argv[1], "heap") == 0)
        return writePastHeapBlock(one * 8);
    if (std::strcmp(argv[1], "signed") == 0)
        return overflowSignedAddition(one) == 0 ? 0 : 1;
    return 2;
}
