// Page selection (`selectpages`): inserts a PAGE before every JMP and CALL whose target lies
// in another page than the page bits hold there, and before every computed jump (its table is
// read in the jump's own page). Nothing is inserted in a one-page program.
//
// The walk (`insertpageselections`) tracks the page the bits hold. They are certain at a
// label reached only by jumps and calls (each sets them to the label's page) or by falling
// through with the same page, after a PAGE, and after a call of a function whose code, jumps
// and callees all stay in one page (its exit page). A PAGE goes right before its transfer:
// a skip passes over PAGE words together with the instruction after them, so this never
// separates a skip from what it guards, and the page held after a skipped transfer is the
// one held before it. PAGE operands name the target label, so a PAGE stays right however the
// code moves; the walk and the address assignment repeat until nothing is inserted. In a
// program larger than one page, function placement runs first; the walk sends a call that
// enters its callee's body back through the vector when the body has left CALL's reach.
#include "compiler/backend/backend.hpp"
#include "compiler/backend/placement_internal.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/tables/opcodes.hpp"

#include <map>
#include <string>

namespace kavo {

using namespace placement;

namespace {

constexpr int UnknownPage = -1;
// Enough rounds for one PAGE per transfer of any program that fits in program memory.
constexpr int MaxRounds = 5000;

// Whether i may change the page bits. Clearing bit 7 changes nothing in the first four pages
// (the address resolution clears it before indirect accesses on the 2048-word parts).
bool writesPageBits(const Instruction& i, const ChipLayout& chip) {
    if (i.operand != Status)
        return false;
    if (i.opcode == PIC_BCF && i.dest == 7)
        return chip.usesPageBit2();
    if (i.opcode == PIC_BCF || i.opcode == PIC_BSF)
        return i.dest >= 5;
    return i.opcode == PIC_MOVWF || i.opcode == PIC_CLRF ||
           (isfileregister(i.opcode) && !isbittest(i.opcode) && i.dest == 1);
}

int merged(int a, int b) {
    return a == b ? a : UnknownPage;
}

// The page a PAGE instruction selects: its label's page or its number.
int selectedPage(const Compilation& c, const Instruction& page) {
    if (const auto number = literalvalue(page.operand))
        return *number;
    return c.placement->labels.page(page.operand);
}

// The page a transfer reaches; -1 when its label is missing (C65 later).
int transferPage(const Compilation& c, const Instruction& i, std::string& label) {
    label = i.opcode == PIC_INTERRUPT ? i.operand : targetlabel(c, i);
    if (const auto number = literalvalue(label))
        return pageOfAddress(*number);
    return c.placement->labels.page(label);
}

// Exit pages: the page a function leaves the page bits in, when certain.
class ExitPages {
public:
    explicit ExitPages(Compilation& c) : c_(c), chip_(chiplayout(c)) {
        findFunctions();
        settle();
        publish();
    }

    // A call names its function's vector; the function that leaves the page bits is the
    // body the vector jumps to ("@" + name).
    int of(const std::string& label) const {
        auto found = pages_.find(label);
        if (found == pages_.end())
            found = pages_.find("@" + label);
        return found == pages_.end() ? UnknownPage : found->second.page;
    }

private:
    struct Function {
        const Instruction* start = nullptr;
        const Instruction* end = nullptr;
        int page = UnknownPage;
    };

    void findFunctions() {
        const LabelTable& labels = c_.placement->labels;
        for (const Instruction* i = c_.instructions.head(); i != nullptr; i = i->next) {
            if (i->opcode != PIC_LABEL || !i->operand.starts_with("@") ||
                i->operand.ends_with("_END"))
                continue;
            const Instruction* end = c_.instructions.findLabel(i->operand + "_END");
            if (end == nullptr)
                continue;
            const int page = labels.page(i->operand);
            pages_[i->operand] = {i, end, page == labels.page(end->operand) ? page : UnknownPage};
        }
    }

    // Drops every function that may leave another page until none changes.
    void settle() {
        for (bool changed = true; changed;) {
            changed = false;
            for (auto& [name, f] : pages_) {
                if (f.page != UnknownPage && !staysIn(f)) {
                    f.page = UnknownPage;
                    changed = true;
                }
            }
        }
    }

    bool staysIn(const Function& f) const {
        for (const Instruction* i = f.start; i != nullptr && i != f.end; i = i->next) {
            std::string label;
            // RETP hands back the caller's page, not the function's.
            if (i->opcode == PIC_RASMSTART || i->opcode == PIC_RETP || writesPageBits(*i, chip_))
                return false;
            if (i->opcode == PIC_PAGE && selectedPage(c_, *i) != f.page)
                return false;
            if (i->opcode == PIC_GOTO && transferPage(c_, *i, label) != f.page)
                return false;
            if (i->opcode == PIC_CALL &&
                (transferPage(c_, *i, label) != f.page || of(label) != f.page))
                return false;
        }
        return true;
    }

    // The call tree keeps each function's page (held at 7).
    void publish() {
        for (const auto& [name, f] : pages_) {
            CallTreeEntry* entry = findcall(c_.callTree, std::string_view(name).substr(1));
            if (entry == nullptr)
                continue;
            if (entry->page != UnknownPage && f.page == UnknownPage) {
                entry->fixed = true;
                if (c_.flags.debugForm > 0)
                    c_.message(strprintf("AHA!!  bank changed from %d to -1 for %s\n", entry->page,
                                         entry->name.c_str()));
            }
            entry->page = f.page > 7 ? 7 : f.page;
        }
    }

    Compilation& c_;
    ChipLayout chip_;
    std::map<std::string, Function> pages_;
};

class PageWalk {
public:
    explicit PageWalk(Compilation& c) : c_(c), chip_(chiplayout(c)), exits_(c) {}

    bool run() {
        Instruction* previous = nullptr;
        for (Instruction* i = c_.instructions.head(); i != nullptr; previous = i, i = i->next) {
            if (i->opcode == PIC_RASMSTART) {
                while (i->next != nullptr && i->opcode != PIC_RASMEND)
                    i = i->next;
                held_ = UnknownPage;
                fallsThrough_ = true;
                continue;
            }
            if (i->opcode == PIC_LABEL) {
                const int page = c_.placement->labels.page(i->operand);
                held_ = fallsThrough_ ? merged(held_, page) : page;
                fallsThrough_ = true;
                reachable_ = true;
                continue;
            }
            if (iswordless(i->opcode))
                continue;
            previous = visit(previous, i);
        }
        return changed_;
    }

private:
    Instruction* visit(Instruction* previous, Instruction* i) {
        const bool guarded = skipPending_;
        int after = held_;
        if (tableEntries_ > 0) {
            --tableEntries_; // a table entry: nothing may be inserted
            after = UnknownPage;
        } else if (i->opcode == PIC_PAGE) {
            after = selectedPage(c_, *i);
        } else if (istransfer(i->opcode) || i->opcode == PIC_INTERRUPT) {
            after = transfer(previous, i);
        } else if (iscomputedjump(*i)) {
            computedJump(previous, i);
            tableEntries_ = tablelength(*i);
            after = UnknownPage;
        } else if (isreturn(i->opcode) || writesPageBits(*i, chip_)) {
            after = UnknownPage;
        }
        if (i->opcode == PIC_PAGE || i->opcode == PIC_BANK) {
            held_ = after; // still in front of the instruction a skip may pass over
        } else if (guarded) {
            // A taken skip passes over the instruction and any PAGE before it.
            held_ = endsflow(*i) ? heldAtSkip_ : merged(heldAtSkip_, after);
            skipPending_ = false;
        } else {
            held_ = after;
        }
        // Words after an unconditional transfer are reached only through a label.
        if (!guarded && endsflow(*i))
            reachable_ = false;
        fallsThrough_ = reachable_;
        if (isskip(*i)) {
            skipPending_ = true;
            heldAtSkip_ = held_;
        }
        return i;
    }

    // Returns the page held after the transfer (when it returns or is skipped).
    int transfer(Instruction* previous, Instruction* i) {
        if (i->opcode == PIC_CALL && keepcallreachable(c_, previous, *i, held_)) {
            changed_ = true;
            // The PAGE in front, if any, now selects the vector's page.
            if (previous != nullptr && previous->opcode == PIC_PAGE)
                held_ = selectedPage(c_, *previous);
        }
        std::string label;
        const int page = transferPage(c_, *i, label);
        // An interrupt clears the page bits: the vector jump runs with page 0 unless a PAGE
        // sits in the vector word before it.
        const bool pageBefore = previous != nullptr && previous->opcode == PIC_PAGE;
        const int at = i->opcode == PIC_INTERRUPT && !pageBefore ? 0 : held_;
        if (page >= 0 && at != page) {
            const std::string operand = literalvalue(label) ? strprintf("%d", page) : label;
            insertinstruction(c_, previous, PIC_PAGE, operand, -1, i->line);
            changed_ = true;
        }
        if (i->opcode == PIC_CALL)
            return exits_.of(label);
        return page;
    }

    // The table after a computed jump is read in the jump's own page.
    void computedJump(Instruction* previous, Instruction* i) {
        const int own = pageOfAddress(i->address);
        if (held_ == own)
            return;
        const std::string operand = strprintf("%d", own);
        if (previous != nullptr && previous->opcode == PIC_PAGE &&
            literalvalue(previous->operand)) {
            if (previous->operand != operand) {
                previous->operand = operand;
                changed_ = true;
            }
            return;
        }
        insertinstruction(c_, previous, PIC_PAGE, operand, -1, i->line);
        changed_ = true;
    }

    Compilation& c_;
    ChipLayout chip_;
    ExitPages exits_;
    int held_ = UnknownPage;
    int heldAtSkip_ = UnknownPage;
    bool skipPending_ = false;
    bool fallsThrough_ = false;
    bool reachable_ = true;
    int tableEntries_ = 0;
    bool changed_ = false;
};

} // namespace

namespace placement {

bool insertpageselections(Compilation& c) {
    if (!chiplayout(c).multiPage())
        return false;
    const bool cache = c.instructions.cacheEnabled();
    c.instructions.setCacheEnabled(false);
    const bool changed = PageWalk(c).run();
    c.instructions.setCacheEnabled(cache);
    return changed;
}

} // namespace placement

void selectpages(Compilation& c) {
    PlacementState& st = state(c);
    st.pagesSelected = false;
    labeltablepass(c);
    if (chiplayout(c).multiPage()) {
        placefunctions(c);
        c.message("Optimizing Page bits.\n");
        int rounds = 0;
        while (insertpageselections(c)) {
            labeltablepass(c);
            if (++rounds == MaxRounds) {
                c.error("ERROR: Page selection did not settle.\n");
                break;
            }
        }
    }
    st.pagesSelected = true;
}

} // namespace kavo
