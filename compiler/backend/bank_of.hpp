#pragma once

// What RAM bank an instruction needs, for the bank selection.
#include "compiler/run/compilation.hpp"
#include "compiler/tables/instruction_list.hpp"

#include <array>

namespace kavo::placement {

struct BankNeed {
    enum Kind { None, Unknown, Bank } kind = None;
    int bank = 0;
    static BankNeed none() { return {}; }
    static BankNeed unknown() { return {Unknown, 0}; }
    static BankNeed of(int bank) { return {Bank, bank}; }
};

// The bank offsets every bank reaches: offsets 0 to 15 always, plus the common ranges the
// pragmas name.
class CommonRanges {
public:
    explicit CommonRanges(const Compilation& c);
    bool common(int address) const;

private:
    std::array<std::array<int, 2>, 4> ranges_{};
};

// The bank the instruction itself reaches directly.
BankNeed ownbank(const Compilation& c, const CommonRanges& common, const Instruction& i);
// The bank needed from instruction i on: instructions that reach no register let the next
// one decide; a label or the end of the list leaves it unknown.
BankNeed bankof(const Compilation& c, const CommonRanges& common, const Instruction* i);
// Whether the bank pass knows the opcode at all (C178 otherwise).
bool knownforbanks(int opcode);

} // namespace kavo::placement
