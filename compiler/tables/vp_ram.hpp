#pragma once

#include <cstdint>

namespace kavo {

// A RAM range that #vpmem reserves for Virtual Peripheral code; the back end enters one
// fixed-address symbol per address.
struct VpRamReservation {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    int line = 0;
};

} // namespace kavo
