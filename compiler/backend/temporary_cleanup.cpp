// The clean-up after the rule loop: dropUnusedTemporaryStores removes stores into temporaries
// nothing reads, and mergeTemporaries gives temporaries whose uses never overlap one name, so
// that RAM placement needs fewer bytes.
#include "compiler/backend/optimiser.hpp"

#include "compiler/symbols/symbols.hpp"

#include <algorithm>
#include <map>

namespace kavo::optimiser {

namespace {

bool reservedTemporary(const Compilation& c, const std::string& name) {
    return name == c.codegen.returnHighRegister;
}

} // namespace

// A store no instruction anywhere reads can go, whatever the paths; a store a skip guards
// stays, since removing it would make the skip pass the next word instead.
bool dropUnusedTemporaryStores(Compilation& c, Code& code) {
    const auto read = code.readTemporaries();
    bool removed = false;
    for (std::size_t k = code.size(); k-- > 0;) {
        const Instruction& i = *code.at(k);
        if (i.opcode != PIC_MOVWF || !isTemporary(i.operand) || reservedTemporary(c, i.operand) ||
            read.count(i.operand) != 0 || code.readOutside(i.operand) || code.fixed(k) ||
            code.guarded(k))
            continue;
        code.erase(k);
        removed = true;
    }
    if (removed)
        code.refresh();
    return removed;
}

namespace {

// Where a temporary lives: from its first to its last naming word.
struct Span {
    std::size_t first = 0;
    std::size_t last = 0;
    bool eligible = true;
    std::map<int, bool> written; // offsets written so far while scanning
};

// A temporary can share a name when its words form one straight run that starts, for every
// byte, with an unconditional store: no label inside, no transfer or unknown word, no word
// of fixed position. Then every read in the run sees a store of the same run, so another
// temporary's words outside the run can never reach it, nor it theirs.
std::map<std::string, Span> temporarySpans(const Compilation& c, const Code& code) {
    std::map<std::string, Span> spans;
    for (std::size_t k = 0; k < code.size(); ++k) {
        const Instruction& i = *code.at(k);
        if (!isTemporary(i.operand) || reservedTemporary(c, i.operand))
            continue;
        auto [entry, fresh] = spans.try_emplace(i.operand);
        Span& span = entry->second;
        if (fresh)
            span.first = k;
        span.last = k;
        const Effects e = effectsOf(i);
        const bool store = (i.opcode == PIC_MOVWF || i.opcode == PIC_CLRF) && !code.guarded(k);
        if (e.barrier || code.fixed(k) || (!span.written[i.offset] && !store))
            span.eligible = false;
        span.written[i.offset] = true;
    }
    for (auto& [name, span] : spans) {
        for (std::size_t k = span.first; span.eligible && k <= span.last; ++k) {
            const Instruction& i = *code.at(k);
            if (effectsOf(i).barrier || (k > span.first && i.opcode == PIC_LABEL))
                span.eligible = false;
        }
    }
    return spans;
}

int temporarySize(const Compilation& c, const std::string& name) {
    const auto& named = symbolsNamed(c, name);
    return named.size() == 1 ? named.front()->size : -1;
}

void rename(Code& code, const Span& span, const std::string& from, const std::string& to) {
    for (std::size_t k = span.first; k <= span.last; ++k) {
        if (code.at(k)->operand == from)
            code.at(k)->operand = to;
    }
}

} // namespace

// Greedy interval colouring: temporaries in order of their first word; each joins the first
// group of its size whose spans all end before it starts.
bool mergeTemporaries(Compilation& c, Code& code) {
    const auto spans = temporarySpans(c, code);
    std::vector<std::pair<std::size_t, std::string>> order;
    for (const auto& [name, span] : spans) {
        if (span.eligible && temporarySize(c, name) > 0)
            order.emplace_back(span.first, name);
    }
    std::sort(order.begin(), order.end());
    struct Group {
        std::string name;
        int size;
        std::size_t end;
    };
    std::vector<Group> groups;
    bool changed = false;
    for (const auto& [first, name] : order) {
        const Span& span = spans.at(name);
        const int size = temporarySize(c, name);
        Group* home = nullptr;
        for (Group& g : groups) {
            if (g.size == size && g.end < span.first) {
                home = &g;
                break;
            }
        }
        if (home == nullptr) {
            groups.push_back({name, size, span.last});
            continue;
        }
        rename(code, span, name, home->name);
        home->end = span.last;
        changed = true;
    }
    return changed;
}

} // namespace kavo::optimiser
