// An index of the symbols already placed in RAM, so that placing thousands of variables does
// not walk the whole symbol list for every address tried: `indexplacements`, `noteplaced`,
// `dropplacementindex`, and the two questions placement asks, `addressfree` and
// `symbolscovering`. Without the index both walk the list.
#include "compiler/memory/memory_internal.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/tables/ram_map.hpp"

#include <algorithm>

namespace kavo {

namespace {

// String entries live in program memory and take no RAM.
bool takesRam(const Symbol& s) {
    return s.addr >= 0 && !s.name.starts_with("_str_");
}

int lastAddress(const Symbol& s) {
    return s.addr + (s.size > 1 ? s.size - 1 : 0);
}

// Addresses the index counts: every address a bank entry or a common range can hand out.
int indexedLimit(const RamMap& ram) {
    int limit = 32;
    for (const RamRange& bank : ram.banks)
        limit = std::max(limit, bank.end + 1);
    return std::min(limit, 1 << 16);
}

} // namespace

void indexplacements(Compilation& c) {
    RamMap& ram = *c.ram;
    ram.coverage.assign(static_cast<std::size_t>(indexedLimit(ram)), 0);
    ram.placedAt.clear();
    ram.largestPlaced = 1;
    ram.indexed = true;
    for (Symbol* s = c.symbols.main.head; s != nullptr; s = s->next)
        noteplaced(c, s);
}

void noteplaced(Compilation& c, Symbol* symbol) {
    RamMap& ram = *c.ram;
    if (!ram.indexed || !takesRam(*symbol))
        return;
    const int limit = static_cast<int>(ram.coverage.size());
    for (int a = symbol->addr; a <= lastAddress(*symbol) && a < limit; ++a)
        ++ram.coverage[static_cast<std::size_t>(a)];
    ram.placedAt[symbol->addr].push_back(symbol);
    ram.largestPlaced = std::max(ram.largestPlaced, lastAddress(*symbol) - symbol->addr + 1);
}

void dropplacementindex(Compilation& c) {
    RamMap& ram = *c.ram;
    ram.indexed = false;
    ram.coverage.clear();
    ram.placedAt.clear();
}

bool addressfree(const Compilation& c, int address) {
    const RamMap& ram = *c.ram;
    if (ram.indexed && address >= 0 && address < static_cast<int>(ram.coverage.size()))
        return ram.coverage[static_cast<std::size_t>(address)] == 0;
    return symbolscovering(c, address, address).empty();
}

std::vector<Symbol*> symbolscovering(const Compilation& c, int first, int last) {
    std::vector<Symbol*> covering;
    const RamMap& ram = *c.ram;
    if (ram.indexed) {
        auto from = ram.placedAt.lower_bound(first - ram.largestPlaced + 1);
        auto to = ram.placedAt.upper_bound(last);
        for (auto it = from; it != to; ++it) {
            for (Symbol* s : it->second) {
                if (lastAddress(*s) >= first)
                    covering.push_back(s);
            }
        }
        return covering;
    }
    for (Symbol* s = c.symbols.main.head; s != nullptr; s = s->next) {
        if (takesRam(*s) && s->addr <= last && lastAddress(*s) >= first)
            covering.push_back(s);
    }
    return covering;
}

} // namespace kavo
