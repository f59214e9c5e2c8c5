// The label-table pass (`labeltablepass`): gives every instruction its program address,
// records each label's address in the label table, and keeps ordinary code inside the free
// code segments.
//
// Code that moves on to the next segment is reached through a bridge: the two words kept at
// each segment's end take a PAGE and a JMP to a label at the new place (only the JMP in a
// one-page program), unless the code before ends in an unconditional transfer. A skip and the
// words it guards, a PAGE and its jump, and a computed jump and its table move as one piece,
// so that no bridge ever lands between them.
#include "compiler/backend/backend.hpp"
#include "compiler/backend/placement_internal.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/tables/opcodes.hpp"

#include <unordered_map>

namespace kavo {

using namespace placement;

namespace placement {

bool isbridge(const Instruction& i) {
    return i.operand.starts_with(BridgePrefix);
}

int groupwords(const Instruction* i) {
    int words = 0;
    for (const Instruction* n = i; n != nullptr; n = nextword(n)) {
        words += n->pageFlag != 0 ? 2 : 1;
        if (iscomputedjump(*n)) {
            words += tablelength(*n);
            break;
        }
        const bool holdsNext =
            isskip(*n) || n->opcode == PIC_BANK || (n->opcode == PIC_PAGE && !isbridge(*n));
        if (!holdsNext)
            break;
    }
    return words;
}

} // namespace placement

namespace {

class AddressAssignment {
public:
    explicit AddressAssignment(Compilation& c)
        : c_(c), chip_(chiplayout(c)), segments_(segments(c)), labels_(state(c).labels) {}

    void run() {
        labels_.clear();
        counter_ = segments_.place(chip_.romStart, 1);
        for (Instruction* i = c_.instructions.head(); i != nullptr;) {
            Instruction* first = place(i);
            // A bridge went in before i (and the labels in front of it): place it first.
            i = first != i ? first : i->next;
        }
        state(c_).programSize = counter_;
    }

private:
    // Places i; returns the first instruction inserted before it, or i itself.
    Instruction* place(Instruction* i) {
        switch (i->opcode) {
        case PIC_LABEL:
            if (isbridge(*i))
                enterNextSegmentIfNeeded(i);
            i->address = counter_;
            labels_.record(i->operand, counter_);
            return i;
        case PIC_RASMSTART:
        case PIC_RASMEND:
        case PIC_STRINGLOC:
            i->address = counter_;
            return i;
        case PIC_ORG:
            counter_ = literalvalue(i->operand).value_or(counter_);
            i->address = counter_;
            return i;
        case PIC_VPSTART:
            if (!vp_)
                counter_ = 0;
            vp_ = true;
            i->address = counter_;
            return i;
        case PIC_VPDONE:
            vp_ = false;
            i->address = counter_;
            return i;
        case PIC_RESET:
            i->address = chip_.resetLoc; // the reset vector: no word of the sequence
            return i;
        case PIC_INTERRUPT:
            i->address = 1;
            counter_ = 2;
            noteWord(i);
            return i;
        default:
            break;
        }
        if (i->opcode == PIC_PAGE && i->next != nullptr && i->next->opcode == PIC_INTERRUPT) {
            i->address = 0; // the page of the interrupt routine, at the vector itself
            return i;
        }
        if (!vp_ && counter_ <= chip_.romEnd && !isbridge(*i)) {
            const int to = segments_.place(counter_, groupwords(i));
            if (to != counter_) {
                if (fallsInto() && !bridged())
                    return insertBridge(i);
                counter_ = to;
            }
        }
        i->address = counter_;
        counter_ += i->pageFlag != 0 ? 2 : 1;
        noteWord(i);
        return i;
    }

    void noteWord(Instruction* i) {
        wordBefore_ = lastWord_;
        lastWord_ = i;
    }

    // Whether execution can run from the last word placed into the next one.
    bool fallsInto() const {
        if (lastWord_ == nullptr)
            return false;
        const bool guarded = wordBefore_ != nullptr && isskip(*wordBefore_);
        return !endsflow(*lastWord_) || guarded;
    }

    bool bridged() const { return lastWord_->opcode == PIC_GOTO && isbridge(*lastWord_); }

    // [PAGE label;] JMP label; label: right after the last word, so that the labels in front
    // of i move on with it.
    Instruction* insertBridge(const Instruction* i) {
        const std::string label =
            strprintf("%s%d", std::string(BridgePrefix).c_str(), ++state(c_).bridges);
        Instruction* at = lastWord_;
        Instruction* first = nullptr;
        if (chip_.multiPage())
            first = at = insertinstruction(c_, at, PIC_PAGE, label, -1, i->line);
        at = insertinstruction(c_, at, PIC_GOTO, label, -1, i->line);
        if (first == nullptr)
            first = at;
        insertinstruction(c_, at, PIC_LABEL, label, -1, i->line);
        return first;
    }

    // A bridge label takes its code on to the next segment only while that code does not fit
    // where it stands; otherwise the bridge jumps to the very next word.
    void enterNextSegmentIfNeeded(const Instruction* label) {
        const Instruction* code = nextword(label);
        if (code != nullptr && !vp_ && counter_ <= chip_.romEnd)
            counter_ = segments_.place(counter_, groupwords(code));
    }

    Compilation& c_;
    ChipLayout chip_;
    const CodeSegments& segments_;
    LabelTable& labels_;
    int counter_ = 0;
    bool vp_ = false;
    Instruction* lastWord_ = nullptr;
    const Instruction* wordBefore_ = nullptr;
};

std::unordered_map<std::string, int> pagesNow(const LabelTable& labels) {
    std::unordered_map<std::string, int> pages;
    for (const LabelEntry* entry : labels.entries())
        pages.emplace(entry->name, entry->page);
    return pages;
}

// Reports the labels now in another page than the last pass recorded.
bool reportCrossings(Compilation& c, const std::unordered_map<std::string, int>& before) {
    bool crossed = false;
    for (const LabelEntry* entry : state(c).labels.entries()) {
        const auto old = before.find(entry->name);
        if (old == before.end() || old->second == entry->page)
            continue;
        crossed = true;
        if (c.flags.debugForm > 0)
            c.message(strprintf("AHA!!!! label %s changed from bank %d to bank %d labelnum = %d "
                                "pc = %d\n",
                                entry->name.c_str(), old->second, entry->page, entry->sequence,
                                entry->address));
    }
    return crossed;
}

} // namespace

bool labeltablepass(Compilation& c) {
    const bool cache = c.instructions.cacheEnabled();
    c.instructions.setCacheEnabled(false);
    PlacementState& st = state(c);
    const bool watch = st.pagesSelected;
    const auto before = watch ? pagesNow(st.labels) : std::unordered_map<std::string, int>{};
    AddressAssignment(c).run();
    bool crossed = watch && reportCrossings(c, before);
    if (crossed || (watch && anycallleavesreach(c))) {
        crossed = true;
        // Every jump to a moved label gets the page bits it now needs, and a call whose
        // callee moved out of reach goes through the vector again.
        insertpageselections(c);
        if (c.flags.debugForm > 0)
            c.message("Found label page crossing.  need to redo label table.\n");
    }
    c.instructions.setCacheEnabled(cache);
    return crossed;
}

} // namespace kavo
