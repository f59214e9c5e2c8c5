// The rule loop stretch by stretch (optimiseStretches): the list is cut at the labels no path
// falls through to (independentStretches), after a return or a jump, and the rules and the
// removal of unused temporary stores run on each stretch alone until nothing changes. A
// rewrite re-reads only its own stretch, so the optimiser's time grows with the program
// rather than with its square.
//
// A cut must not change what any rule sees. At a cut, the word before is a return or a jump
// that surely runs, so no path falls through and no skip reaches past it; the label after it ends
// every liveness walk there anyway; and no raw assembly, Virtual Peripheral code or jump table
// spans it. What the rest of the program names (the uses of a label or temporary, the reads
// of a temporary, whether a temporary is run-local) comes from a tally of every stretch, kept
// up to date as each stretch is finished.
#include "compiler/backend/optimiser.hpp"

#include <cassert>

namespace kavo::optimiser {

namespace {

bool isReturn(const Instruction& i) {
    switch (i.opcode) {
    case PIC_RETURN:
    case PIC_RETLW:
    case PIC_RETP:
    case PIC_RETIW:
    case PIC_RETFIE:
        return true;
    default:
        return false;
    }
}

bool jumpsTo(const Instruction& i, const std::string& label) {
    return i.opcode == PIC_GOTO && i.operand == label;
}

// A label right after a return or a jump elsewhere that surely runs, outside any
// fixed-position code. A jump to the label itself stays inside, since the rules that remove
// a jump to the next word, or turn a test around a jump over a jump, look across the label.
bool cutBefore(const Code& whole, std::size_t k) {
    if (k == 0 || !whole.is(k, PIC_LABEL) || whole.fixed(k))
        return false;
    const std::string& label = whole.at(k)->operand;
    const Instruction& before = *whole.at(k - 1);
    const bool transfer =
        isReturn(before) || (before.opcode == PIC_GOTO && before.operand != label);
    return transfer && !whole.guarded(k - 1) && !whole.fixed(k - 1) &&
           !(k >= 2 && jumpsTo(*whole.at(k - 2), label));
}

// Rules and store removal on one stretch until neither changes anything; true when anything
// changed.
bool optimiseStretch(Compilation& c, Code& code, std::vector<int>* fired) {
    bool changed = runRules(c, code, fired);
    while (dropUnusedTemporaryStores(c, code)) {
        runRules(c, code, fired);
        changed = true;
    }
    return changed;
}

} // namespace

std::vector<Stretch> independentStretches(InstructionList& list) {
    const Code whole(list);
    std::vector<Stretch> stretches(1);
    for (std::size_t k = 1; k < whole.size(); ++k) {
        if (cutBefore(whole, k)) {
            stretches.back().end = whole.at(k);
            stretches.push_back({whole.at(k - 1), nullptr});
        }
    }
    return stretches;
}

void optimiseStretches(Compilation& c, std::vector<int>* fired) {
    std::vector<Stretch> stretches = independentStretches(c.instructions);
    if (stretches.size() == 1) {
        Code whole(c.instructions);
        optimiseStretch(c, whole, fired);
        return;
    }
    NameTally program;
    for (const Stretch& s : stretches)
        program.add(Code(c.instructions, s).tally(), 1);
    // A change in one stretch (a temporary no longer read, say) may let another change, so a
    // stretch runs again while any other stretch changed after its last run. The bound only
    // keeps a mistake from hanging the compiler.
    int changes = 0;
    std::vector<int> changesSeen(stretches.size(), -1);
    bool ranAny = true;
    for (int round = 0; ranAny && round < 1000; ++round) {
        ranAny = false;
        for (std::size_t s = 0; s < stretches.size(); ++s) {
            if (changesSeen[s] == changes)
                continue;
            ranAny = true;
            Code code(c.instructions, stretches[s], &program);
            if (optimiseStretch(c, code, fired)) {
                ++changes;
                program.add(code.tallyAtStart(), -1);
                program.add(code.tally(), 1);
            }
            changesSeen[s] = changes;
            // The next stretch starts after this one's last word, whatever the rules removed.
            // No rule removes the label that starts a stretch: the one rule that removes labels
            // looks at a label three words into its pattern.
            if (s + 1 < stretches.size()) {
                assert(!stretches[s].end->unlinked);
                stretches[s + 1].before =
                    code.size() > 0 ? code.at(code.size() - 1) : stretches[s].before;
            }
        }
    }
}

} // namespace kavo::optimiser
