// oscillatorClassOfFuse: the ISP programmer's oscillator class from the FUSE word.
#include "programmer/fuse_oscillator_class.hpp"

namespace kavo::programmer {

namespace {
constexpr int InternalClass = 1;
constexpr int OtherClass = 3;
constexpr std::uint32_t InternalSpeed32KHz = 3;
} // namespace

int oscillatorClassOfFuse(std::uint32_t fuse) {
    const bool internal = (fuse & 0x80) == 0;
    if (!internal)
        return OtherClass;
    return ((fuse >> 5) & 3) == InternalSpeed32KHz ? OtherClass : InternalClass;
}

} // namespace kavo::programmer
