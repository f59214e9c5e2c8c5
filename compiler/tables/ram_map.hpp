#pragma once

#include <array>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace kavo {

struct Symbol;

// An inclusive address range; end below start means an empty range.
struct RamRange {
    int start = 0;
    int end = -1;
};

// The register file as the chip's pragmas describe it, and what RAM placement has done so
// far in this run.
struct RamMap {
    // Where variables may go: up to sixteen address ranges, in the order they are filled.
    std::array<RamRange, 16> banks{};
    // Bank offsets reachable whatever bank is selected; entry 0 is the compiler's own.
    std::array<RamRange, 4> common{};
    // Bytes placed fresh, and bytes placed on a location another variable already holds.
    int used = 0;
    int reused = 0;
    int unplaced = 0; // bytes no location was found for
    // Bytes of the objects initialised before main so far: they are never shared, so more
    // than the bank table holds can never be placed.
    int initialisedBytes = 0;
    // Set with C114: the code would name places that do not exist, so nothing more is made.
    bool exhausted = false;

    // Calls the call tree does not list but that make two functions live at the same time:
    // calls written in inline assembly. Caller -> callees.
    std::map<std::string, std::vector<std::string>> extraCalls;
    // Functions the interrupt routine can reach: they may run in the middle of any other.
    std::set<std::string> interruptReachable;
    // Relation answers already worked out, keyed by the ordered pair of names joined by a
    // zero byte.
    std::unordered_map<std::string, bool> relatedMemo;

    // An index of the placed symbols, kept while every variable is being placed: how many
    // symbols cover each address up to coverage.size() - 1, and the symbols by first address.
    bool indexed = false;
    std::vector<int> coverage;
    std::map<int, std::vector<Symbol*>> placedAt;
    int largestPlaced = 1;
};

// The largest variable the bank table can hold: placement keeps each variable inside one
// entry. 0 without a bank table (no device header).
int largestBank(const RamMap& ram);
// Every byte of the bank table.
int bankBytes(const RamMap& ram);
// On the 48/52-pin parts the chip's banks are FSR bits 7:4 while the compiler counts
// bank x 32 + offset: the value FSR must hold to reach address through INDF.
int fsrform(int address);

} // namespace kavo
