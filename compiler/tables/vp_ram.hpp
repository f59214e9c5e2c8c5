#pragma once

#include <cstdint>
#include <string>

namespace kavo {

// A RAM range that #vpmem reserves for Virtual Peripheral code; the back end enters one
// fixed-address symbol per address.
struct VpRamReservation {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    int line = 0;
};

// A name an included assembly file reserves with DS: a one-byte RAM location at the file's
// location counter, entered as a fixed-address global by the back end.
struct AsmDataSymbol {
    std::string name;
    int address = 0;
    int line = 0;
};

} // namespace kavo
