// The register file's sizes as the bank table gives them, for the questions asked before
// any variable is placed.
#include "compiler/tables/ram_map.hpp"

#include <algorithm>

namespace kavo {

namespace {

int bytesOf(const RamRange& range) {
    return std::max(0, range.end - range.start + 1);
}

} // namespace

int largestBank(const RamMap& ram) {
    int largest = 0;
    for (const RamRange& bank : ram.banks)
        largest = std::max(largest, bytesOf(bank));
    return largest;
}

int bankBytes(const RamMap& ram) {
    int total = 0;
    for (const RamRange& bank : ram.banks)
        total += bytesOf(bank);
    return total;
}

int fsrform(int address) {
    const int offset = address % 32;
    if (offset < 16)
        return offset; // the global registers answer in every bank
    return ((address / 32) << 4) | (offset & 15);
}

} // namespace kavo
