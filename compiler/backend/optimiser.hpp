#pragma once

// Internal interface of the optimiser: the instruction effects model, the liveness query
// every rewrite rests on, the editable view of the list, and the passes.

#include "compiler/run/compilation.hpp"
#include "compiler/tables/instruction_list.hpp"
#include "compiler/tables/opcodes.hpp"

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace kavo::optimiser {

// Flag resources, as a bit mask.
enum : unsigned { W = 1, C = 2, DC = 4, Z = 8, Flags = C | DC | Z };

inline const std::string StatusRegister = "@__stat__";
inline const std::string IndirectRegister = "@__f0__";
inline const std::string FileSelectRegister = "@__fsr__";
inline const std::string PcRegister = "@__pc__";

// What one instruction reads and writes. A barrier (a label, a transfer, anything the model
// does not know) counts as a read of everything.
struct Effects {
    bool barrier = false;
    bool skip = false;               // may skip the next word
    unsigned reads = 0;              // of W and the flags
    unsigned writes = 0;             // of W and the flags
    bool readsRegister = false;      // the operand byte
    bool writesRegister = false;     // the operand byte
    bool readsEveryRegister = false; // an indirect or numeric operand may be any byte
};

Effects effectsOf(const Instruction& i);
bool isSkip(const Instruction& i);
bool isTemporary(const std::string& name);

// One resource a rewrite may change: W, a flag, or a register byte.
struct Resource {
    unsigned flag = 0;                // W, C, DC or Z; 0 for a register
    const Instruction* reg = nullptr; // name, offset and scope of the register
};

// What the words of one stretch of the list name: how many words name each operand, the
// temporaries some word reads, and the temporaries that are not run-local there (see
// Code::runLocal). Summed over the stretches, it is what the whole list names.
using NameCounts = std::unordered_map<std::string, int>;

struct NameTally {
    NameCounts uses;
    NameCounts readTemporaries;
    NameCounts brokenTemporaries;
    // Reads of each byte of a temporary ("name+offset"), and under EveryRegister the words
    // that read every register.
    NameCounts readTemporaryBytes;

    // Adds other's counts, times sign (+1 or -1).
    void add(const NameTally& other, int sign);
};

// The instructions after `before` (the list's head when none) up to `end` (the list's end when
// none): one function, say, that the rules can work on alone.
struct Stretch {
    Instruction* before = nullptr;
    Instruction* end = nullptr;
};

// The list, or a stretch of it, as a vector the rules index, kept in step with the list itself.
// A stretch's Code answers every question about names (uses, reads, run-local temporaries) for
// the whole program: what its own words say, plus what the program's tally says of the rest.
class Code {
public:
    explicit Code(InstructionList& list, Stretch stretch = {}, const NameTally* program = nullptr);

    std::size_t size() const { return v_.size(); }
    Instruction* at(std::size_t k) const { return k < v_.size() ? v_[k] : nullptr; }
    bool is(std::size_t k, int opcode) const { return at(k) != nullptr && at(k)->opcode == opcode; }
    void erase(std::size_t k);
    // Inserts a copy of the source-position fields of like, with the given instruction fields,
    // before position k.
    Instruction* insertBefore(std::size_t k, const Instruction& like, int opcode,
                              const std::string& operand, int dest);
    // A word the rules must not touch: raw assembly, Virtual Peripheral code or a computed
    // jump table (every word there has a fixed position).
    bool fixed(std::size_t k) const { return k < fixed_.size() && fixed_[k]; }
    // The word before k is a skip (looking back over PAGE and BANK words and over records that
    // take no word, such as labels).
    bool guarded(std::size_t k) const;
    // Where the label of that name stands in this view.
    std::optional<std::size_t> labelPosition(const std::string& name) const;
    void refresh();
    InstructionList& list() { return list_; }
    // A temporary every read of which follows a store of the same byte within one straight
    // run (no label, transfer or unknown word between them, the store not guarded by a skip):
    // whatever path reaches such a read passes that store, so at a label, a transfer or the
    // end of the list the temporary's value is never read again.
    bool runLocal(const std::string& temporary) const {
        return runLocal_.count(temporary) != 0 &&
               outside(&NameTally::brokenTemporaries, temporary) == 0;
    }
    // A byte of a temporary that no word of the program reads, and no word that reads every
    // register: a store into it is never seen (the high byte of a value only whose low byte
    // is stored).
    bool neverRead(const Instruction& temporaryByte) const;
    // Words outside this stretch naming the operand, or reading the temporary.
    int usesOutside(const std::string& name) const { return outside(&NameTally::uses, name); }
    bool readOutside(const std::string& temporary) const {
        return outside(&NameTally::readTemporaries, temporary) != 0;
    }
    // What this stretch's words name now, and named when this view was made.
    NameTally tally() const;
    const NameTally& tallyAtStart() const { return atStart_; }
    // The temporaries this stretch's words read, with the number of reading words.
    NameCounts readTemporaries() const;
    NameCounts readTemporaryBytes() const;

private:
    InstructionList& list_;
    Stretch stretch_;
    const NameTally* program_;
    NameTally atStart_; // this stretch's part of program_
    std::vector<Instruction*> v_;
    std::vector<bool> fixed_;
    std::set<std::string> runLocal_;
    std::set<std::string> broken_;
    NameCounts readBytes_; // this stretch's readTemporaryBytes, as of the last refresh
    // Label positions, found again after the list changed.
    mutable std::unordered_map<std::string, std::size_t> labels_;
    mutable bool labelsKnown_ = false;

    void findRunLocalTemporaries();
    int outside(NameCounts NameTally::*counts, const std::string& name) const;
};

// The resource is written before it is read on every path from position k on (k itself
// included); labels, transfers and the end of the list count as reads.
bool deadFrom(const Code& code, std::size_t k, const Resource& r);
bool flagsDeadFrom(const Code& code, std::size_t k, unsigned flags);
bool registerDeadFrom(const Code& code, std::size_t k, const Instruction& reg);

// Same register byte: name, offset and scope.
bool sameRegister(const Instruction& a, const Instruction& b);
// Same name and offset (any scope): a read of either may read the other.
bool mayAlias(const Instruction& a, const Instruction& b);
// A label the compiler made for its own jumps (not a function entry or a vector target).
bool isCompilerLabel(const std::string& name);
// Number of instructions in the program naming the operand.
int usesOf(const Code& code, const std::string& name);

// The rule loop and the removal of unused temporary stores, stretch by stretch: each function
// on its own, so that the work grows with the program and not with its square.
void optimiseStretches(Compilation& c, std::vector<int>* fired);
// Where the list may be cut into stretches the rules can work on alone.
std::vector<Stretch> independentStretches(InstructionList& list);

void lowerArguments(Compilation& c);
// fired, when given, counts the rewrites of each rule (index in peepholeRules()).
bool runRules(Compilation& c, Code& code, std::vector<int>* fired = nullptr);
// optimise, with the rewrites of each rule counted into fired when given.
void runOptimiser(Compilation& c, bool rules, std::vector<int>* fired);
bool dropUnusedTemporaryStores(Compilation& c, Code& code);
bool mergeTemporaries(Compilation& c, Code& code);
void mergeLabels(Code& code);

} // namespace kavo::optimiser

namespace kavo::optimiser {

// The rule under the cursor: c is position i, p1 to p6 the words after it.
class Match {
public:
    Match(Compilation& c, Code& code, std::size_t i) : c_(c), code_(code), i_(i) {}

    Instruction* p(int k) const { return code_.at(i_ + static_cast<std::size_t>(k)); }
    bool op(int k, int opcode) const { return p(k) != nullptr && p(k)->opcode == opcode; }
    // A literal load of exactly value.
    bool loads(int k, int value) const;
    // The literal operand of p(k) as a number; -1 when it is not a plain decimal.
    int literal(int k) const;
    // Words from..to exist and none has a fixed position.
    bool movable(int from, int to) const;
    // p(k) surely runs when the word before it runs: no skip precedes it.
    bool unguarded(int k) const { return !code_.guarded(i_ + static_cast<std::size_t>(k)); }
    // W and the given flags are dead from p(k) on.
    bool dead(int k, unsigned flags) const;
    bool registerDead(int k, const Instruction& reg) const;
    // A byte of RAM that holds what was last written to it: a compiler temporary or scratch
    // byte, or a variable that is neither volatile nor at a fixed (hardware) address.
    bool ordinary(int k) const;
    // A byte of RAM a store reaches as one write: ordinary, or a volatile variable that is
    // not at a fixed address.
    bool plainRam(int k) const;
    bool status(int k, int bit) const;
    bool same(int a, int b) const { return p(a) && p(b) && sameRegister(*p(a), *p(b)); }
    // p(k) is a temporary no word outside the given ones names, or is dead after them.
    bool storeUnneeded(int k, int usesInPattern, int after) const;
    void erase(int from, int to);
    Code& code() { return code_; }
    Compilation& compilation() { return c_; }
    std::size_t index() const { return i_; }

private:
    Compilation& c_;
    Code& code_;
    std::size_t i_;
};

using Rule = bool (*)(Match&);
// The rules in the order they are tried at each position.
const std::vector<Rule>& peepholeRules();

} // namespace kavo::optimiser
