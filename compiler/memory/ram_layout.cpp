// The register file as the pragmas describe it and the placements fixed before code
// generation: `readbanklayout` fills the bank table and the common ranges, `setfixedloc`
// enters a symbol at a fixed address (C240 when the address is taken), `addressfree` and
// `bankof` answer the questions later passes ask about an address.
#include "compiler/base/kinds.hpp"
#include "compiler/base/number_reader.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/memory/memory.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/tables/ram_map.hpp"

#include <optional>

namespace kavo {

namespace {

// The value of a pragma, or fallback without a word when the pragma is missing.
int pragmaOr(const Compilation& c, const std::string& name, int fallback) {
    const std::optional<std::string> value = c.pragmas.get(name);
    return value ? static_cast<int>(readCompilerNumber(*value)) : fallback;
}

} // namespace

void readbanklayout(Compilation& c) {
    RamMap& ram = *c.ram;
    for (int n = 0; n < 16; ++n) {
        ram.banks[n].start = pragmaOr(c, strprintf("%s%02d", "BANK_START_", n), 0);
        ram.banks[n].end = pragmaOr(c, strprintf("%s%02d", "BANK_END_", n), -1);
    }
    for (int n = 0; n < 4; ++n) {
        const bool first = n == 0;
        ram.common[n].start = pragmaOr(c, strprintf("COMMON_BANK_START_%d", n), first ? 2 : 0);
        ram.common[n].end = pragmaOr(c, strprintf("COMMON_BANK_END_%d", n), first ? 4 : 0);
    }
}

int bankof(const Compilation& c, int address) {
    const int offset = address % 32;
    if (offset == 0)
        return -1;
    for (const RamRange& range : c.ram->common) {
        if (range.start <= offset && offset <= range.end)
            return -1;
    }
    return address / 32;
}

Symbol* setfixedloc(Compilation& c, std::string_view name, int address, int type) {
    const int size = type == INT ? 1 : 2;
    if (address >= 0) {
        for (int a = address; a < address + size; ++a) {
            if (!addressfree(c, a)) {
                c.message(strprintf("WARNING(C240): Memory allocation conflict for %s address %d\n",
                                    std::string(name).c_str(), address));
                break;
            }
        }
    }
    Symbol* symbol = addsym(c, c.symbols.main, 0, type, 0, name, GlobalScope, "", SIGNED, 0);
    symbol->addr = address;
    symbol->size = size;
    return symbol;
}

} // namespace kavo
