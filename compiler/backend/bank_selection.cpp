// Bank selection (`selectbanks`): walks the instruction list keeping the RAM bank FSR
// selects and inserts BANK (and on the 48/52-pin parts the FSR high-bank bit) before each
// register access that needs another bank.
//
// Rules beyond the plain walk, each because the chip would otherwise compute wrong values:
//   - a write to FSR changes the bank: it leaves the bank known (a literal just loaded, or a
//     set-up that names the object it points into) or unknown; the INDF access itself and
//     the steps of FSR over a 16-bit value (INC/DEC) leave it as it is;
//   - a selection between an FSR set-up and its INDF accesses rewrites FSR's bank bits and
//     keeps the register bits, so FSR's bank is selected again before the next INDF access:
//     a known bank by BANK, an unknown one (a pointer) from a copy of FSR the set-up saves
//     in the global scratch byte, bit by bit (or through W where the access overwrites W);
//     only an FSR written otherwise than by a plain set-up (hand-written asm) is refused;
//   - at a label of the compiler's own, the bank stays known when every way in holds it: the
//     word before falls through with it, every jump from before the label held it, and every
//     jump from after the label is an unguarded GOTO, before which the bank is selected
//     again where it differs (a loop's back jump); any other reference keeps it unknown;
//   - after a call the bank is the one the callee returns with, when its body came earlier in
//     the list and every return in it held that bank, no raw assembly ran in it and no jump
//     left it; otherwise it is unknown;
//   - a function's body starts with its bank unknown, so its first access selects one; that
//     selection goes again after the walk when every way in is a call made in that very bank
//     (no fall-through into the body, no reference to it but the calls and its vector's jump);
//   - an instruction a skip guards gets its bank from a BANK word right after the skip (a
//     taken skip passes over BANK words with the instruction); the bank is unknown after it;
//   - where the high-bank bit must change for a guarded instruction (it is no BANK word), a
//     bit test is turned into a copy of the bit that leaves W and the flags alone,
//     "CLRB P0tmp.k; SNB reg.k; SETB P0tmp.k", and the test reads the copy; other skips
//     are refused.
#include "compiler/backend/backend.hpp"
#include "compiler/backend/bank_of.hpp"
#include "compiler/backend/placement_internal.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/tables/opcodes.hpp"

#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

namespace kavo {

using namespace placement;

namespace {

constexpr int UnknownBank = -1;
// The global byte where an FSR set-up of unknown bank keeps its value for the restores.
constexpr const char* FsrCopy = BitCopy;

// FSR from its set-up to the next label, transfer or set-up: what the INDF accesses need.
struct FsrWindow {
    bool live = false;
    int bank = UnknownBank; // the bank FSR's bank bits hold for the INDF accesses
    bool saved = false;     // an unknown bank: FSR was copied to FsrCopy at the set-up
    bool disturbed = false; // a selection since then rewrote FSR's bank bits
    int steps = 0;          // INC minus DEC of FSR since the set-up
};

bool reachesIndirect(const Instruction& i) {
    return isfileregister(i.opcode) && i.operand == Indirect;
}

bool stepsFsr(const Instruction& i) {
    return i.operand == FileSelect && (i.opcode == PIC_INCF || i.opcode == PIC_DECF) && i.dest == 1;
}

bool endsWindow(const Instruction& i) {
    return i.opcode == PIC_LABEL || istransfer(i.opcode) || isreturn(i.opcode) ||
           i.opcode == PIC_RASMSTART;
}

bool carriesBank(const std::string& label) {
    return label.starts_with("_LBL_") || label.starts_with("_BCL_");
}

// How the compiler's labels are reached, from one look at the list before the walk: where
// each label and each reference stands, and whether a reference is a GOTO no skip guards.
struct LabelReferences {
    struct Reference {
        const Instruction* at = nullptr;
        int position = 0;
        bool plainJump = false; // an unguarded GOTO
    };
    std::unordered_map<std::string, int> labelPosition;
    std::unordered_map<std::string, std::vector<Reference>> references;
    std::unordered_map<const Instruction*, int> positions;
    std::unordered_map<std::string, int> anyLabelPosition; // every label, the functions' too

    explicit LabelReferences(const InstructionList& list) {
        int position = 0;
        const Instruction* lastWord = nullptr;
        for (const Instruction* i = list.head(); i != nullptr; i = i->next, ++position) {
            positions[i] = position;
            if (i->opcode == PIC_LABEL)
                anyLabelPosition.emplace(i->operand, position);
            if (i->opcode == PIC_LABEL && carriesBank(i->operand))
                labelPosition[i->operand] = position;
            else if (carriesBank(i->operand))
                references[i->operand].push_back(
                    {i, position,
                     i->opcode == PIC_GOTO && (lastWord == nullptr || !isskip(*lastWord))});
            if (!iswordless(i->opcode))
                lastWord = i;
        }
    }
};

class BankWalk {
public:
    explicit BankWalk(Compilation& c)
        : c_(c), chip_(chiplayout(c)), common_(c), labels_(c.instructions) {}

    void run() {
        Instruction* previous = nullptr;
        for (Instruction* i = c_.instructions.head(); i != nullptr;) {
            if (i->opcode == PIC_RASMSTART) {
                previous = skipRawAssembly(i);
                i = previous != nullptr ? previous->next : nullptr;
                continue;
            }
            previous = visit(previous, i);
            i = previous->next;
        }
        dropEntrySelections();
    }

private:
    // Raw assembly is left alone; nothing is known about the bank after it.
    Instruction* skipRawAssembly(Instruction* start) {
        Instruction* i = start;
        while (i->next != nullptr && i->opcode != PIC_RASMEND)
            i = i->next;
        current_ = UnknownBank;
        window_ = {};
        lastWord_ = nullptr;
        labelJustBefore_ = false;
        exit_.left = true;
        return i;
    }

    // The body of a function runs from its label "@name" to "@name_END"; a call names its
    // vector or its body, "name", and enters the body "@name".
    void noteFunctionLabel(const std::string& label) {
        if (exit_.open && label == exit_.body + "_END") {
            if (!exit_.left && exit_.returns > 0)
                exitBanks_[exit_.body] = exit_.bank;
            exit_ = {};
            return;
        }
        const auto start = labels_.anyLabelPosition.find(label);
        const auto end = labels_.anyLabelPosition.find(label + "_END");
        if (start == labels_.anyLabelPosition.end() || end == labels_.anyLabelPosition.end())
            return;
        exit_ = {};
        exit_.open = true;
        exit_.body = label;
        exit_.start = start->second;
        exit_.end = end->second;
        // Only jumps and calls may lead in: the word before is a jump or a return no skip
        // guards.
        exit_.onlyJumpedTo = lastWord_ != nullptr &&
                             (lastWord_->opcode == PIC_GOTO || isreturn(lastWord_->opcode)) &&
                             (lastWordBefore_ == nullptr || !isskip(*lastWordBefore_));
    }

    // The selection the first word of a body made, from the bank unknown at its label.
    void noteEntrySelection(Instruction* before, Instruction* last, int bank) {
        if (!exit_.open || exit_.wordSeen || !exit_.onlyJumpedTo || before == nullptr ||
            last == before)
            return;
        entries_[exit_.body] = {bank, before, last};
    }

    // Drops each body's entry selection whose every way in already holds its bank.
    void dropEntrySelections() {
        std::unordered_map<std::string, int> otherReferences;
        std::unordered_map<std::string, int> calls;
        const Instruction* previous = nullptr;
        for (const Instruction* i = c_.instructions.head(); i != nullptr; i = i->next) {
            const bool vectorJump = i->opcode == PIC_GOTO && previous != nullptr &&
                                    previous->opcode == PIC_LABEL &&
                                    "@" + previous->operand == i->operand;
            if (i->opcode == PIC_CALL)
                ++calls["@" + i->operand];
            else if (i->opcode != PIC_LABEL && !vectorJump && !i->operand.empty())
                ++otherReferences[i->operand];
            previous = i;
        }
        for (const auto& [body, entry] : entries_) {
            const auto made = callBanks_.find(body);
            const std::string name = body.substr(1);
            if (made == callBanks_.end() || calls[body] != static_cast<int>(made->second.size()) ||
                otherReferences.count(body) != 0 || otherReferences.count(name) != 0)
                continue;
            bool agree = true;
            for (const int bank : made->second)
                agree = agree && bank == entry.bank;
            if (!agree)
                continue;
            while (entry.before->next != entry.last)
                c_.instructions.remove(entry.before, entry.before->next);
            c_.instructions.remove(entry.before, entry.last);
        }
    }

    // A return or a jump out of the body being walked.
    void noteExit(const Instruction& i) {
        if (!exit_.open)
            return;
        if (isreturn(i.opcode)) {
            if (current_ == UnknownBank || (exit_.returns > 0 && exit_.bank != current_))
                exit_.left = true;
            exit_.bank = current_;
            ++exit_.returns;
            return;
        }
        if (i.opcode == PIC_JMPW || i.operand == ProgramCounter) {
            exit_.left = true; // a computed jump may go anywhere
            return;
        }
        if (!istransfer(i.opcode) || i.opcode == PIC_CALL)
            return;
        const auto target = labels_.anyLabelPosition.find(i.operand);
        if (i.opcode != PIC_GOTO || target == labels_.anyLabelPosition.end() ||
            target->second < exit_.start || target->second > exit_.end)
            exit_.left = true;
    }

    int bankAfterCall(const Instruction& call) const {
        const auto found = exitBanks_.find("@" + call.operand);
        return found != exitBanks_.end() ? found->second : UnknownBank;
    }

    // Handles i, whose predecessor is previous; returns i (or what replaced it).
    Instruction* visit(Instruction* previous, Instruction* i) {
        if (i->opcode == PIC_LABEL) {
            noteFunctionLabel(i->operand);
            current_ = bankAtLabel(i->operand, fallsThrough());
            window_ = {};
            labelJustBefore_ = true;
            return i;
        }
        if (!iswordless(i->opcode))
            labelJustBefore_ = false;
        if (i->opcode == PIC_GOTO && carriesBank(i->operand))
            previous = noteJump(previous, i);
        if (!checkKnown(i))
            return i;
        if (iswordless(i->opcode))
            return i;
        const bool guarded = lastWord_ != nullptr && isskip(*lastWord_);
        if (window_.live && window_.disturbed && window_.bank == UnknownBank && reachesIndirect(*i))
            restoreFsr(previous, i, guarded);
        const BankNeed need = needOf(i, guarded);
        const int before = current_;
        bool certain = false; // the bank is the same after a taken and an untaken skip
        if (need.kind == BankNeed::Bank && need.bank != current_) {
            checkIndirectUse(i);
            if (!guarded)
                noteEntrySelection(previous, select(previous, need.bank, current_, i->line),
                                   need.bank);
            else
                certain = selectGuarded(previous, i, need.bank);
            window_.disturbed = window_.live;
        }
        noteExit(*i);
        if (i->opcode == PIC_CALL)
            callBanks_["@" + i->operand].push_back(current_);
        exit_.wordSeen = true;
        noteEffects(i);
        if (guarded && !certain && current_ != before)
            current_ = UnknownBank; // a taken skip keeps the bank held before
        lastWordBefore_ = lastWord_;
        lastWordPrevious_ = predecessor(previous, i);
        lastWord_ = i;
        return i;
    }

    // Whether the word before the current position may run on into it.
    bool fallsThrough() const {
        // Right after another label, the way in is that label's: its bank is current_.
        // So does the start of the list, and the end of raw assembly (with its bank unknown).
        if (labelJustBefore_ || lastWord_ == nullptr)
            return true;
        const bool transfer = lastWord_->opcode == PIC_GOTO || isreturn(lastWord_->opcode);
        return !transfer || (lastWordBefore_ != nullptr && isskip(*lastWordBefore_));
    }

    // The bank every way into the label holds, or unknown. Jumps still to come (from after
    // the label) must be plain GOTOs: they select the bank again where it differs.
    int bankAtLabel(const std::string& label, bool fallThrough) {
        if (!carriesBank(label))
            return UnknownBank;
        const auto here = labels_.labelPosition.find(label);
        if (here == labels_.labelPosition.end())
            return UnknownBank;
        int bank = fallThrough ? current_ : UnknownBank;
        bool any = fallThrough;
        const auto found = labels_.references.find(label);
        if (found != labels_.references.end()) {
            for (const auto& reference : found->second) {
                if (!reference.plainJump && reference.at->opcode != PIC_GOTO)
                    return UnknownBank;
                if (reference.position > here->second) {
                    if (!reference.plainJump)
                        return UnknownBank;
                    continue;
                }
                const auto held = jumpBanks_.find(reference.at);
                const int jumpBank = held == jumpBanks_.end() ? UnknownBank : held->second;
                if (jumpBank == UnknownBank || (any && jumpBank != bank))
                    return UnknownBank;
                bank = jumpBank;
                any = true;
            }
        }
        if (!any || bank == UnknownBank)
            return UnknownBank;
        promised_[label] = bank;
        return bank;
    }

    // A jump to a label of the compiler's: a jump from before the label records the bank it
    // holds; a jump back to a label that was promised a bank selects that bank first.
    Instruction* noteJump(Instruction* previous, Instruction* jump) {
        const auto promise = promised_.find(jump->operand);
        if (promise == promised_.end()) {
            jumpBanks_[jump] = current_;
            return previous;
        }
        if (current_ != promise->second)
            previous = select(previous, promise->second, current_, jump->line);
        return previous;
    }

    // An INDF access needs FSR's own bank when it is known; every other instruction the bank
    // of the register it names.
    BankNeed needOf(const Instruction* i, bool guarded) const {
        if (window_.live && window_.bank != UnknownBank && reachesIndirect(*i))
            return BankNeed::of(window_.bank);
        return guarded ? ownbank(c_, common_, *i) : bankof(c_, common_, i);
    }

    Instruction* predecessor(Instruction* from, const Instruction* i) const {
        Instruction* p = from != nullptr ? from : c_.instructions.head();
        if (p == i)
            return nullptr;
        while (p->next != i)
            p = p->next;
        return p;
    }

    bool checkKnown(Instruction* i) {
        if (i->opcode == PIC_MOV) {
            c_.error(strprintf("ERROR(C179): Line: %d Possible syntax error in asm() directive.\n",
                               i->line));
            i->opcode = PIC_NOP;
            i->operand.clear();
            return true;
        }
        if (knownforbanks(i->opcode))
            return true;
        c_.error(strprintf("ERROR(C178): Line: %d Unknown instruction: %d\n", i->line, i->opcode));
        return false;
    }

    // Inserts the selection of bank after at; held is the bank selected before it.
    Instruction* select(Instruction* at, int bank, int held, int line) {
        if (held == UnknownBank || held % 8 != bank % 8)
            at = insertinstruction(c_, at, PIC_BANK, strprintf("%d", bank % 8), -1, line);
        if (chip_.bigBanks && (held == UnknownBank || (held & 8) != (bank & 8)))
            at = insertinstruction(c_, at, bank > 7 ? PIC_BSF : PIC_BCF, FileSelect,
                                   chip_.highBanksBit, line);
        current_ = bank;
        return at;
    }

    // Selects the bank of an instruction a skip guards; true when the bank is then certain.
    bool selectGuarded(Instruction* previous, Instruction* i, int bank) {
        const bool highBitChanges =
            chip_.bigBanks && (current_ == UnknownBank || (current_ & 8) != (bank & 8));
        if (!highBitChanges) {
            // One BANK word: the skip passes over it together with the instruction.
            if (current_ == UnknownBank || current_ % 8 != bank % 8)
                insertinstruction(c_, previous, PIC_BANK, strprintf("%d", bank % 8), -1, i->line);
            current_ = UnknownBank;
            return false;
        }
        Instruction* test = lastWord_;
        const bool testGuarded = lastWordBefore_ != nullptr && isskip(*lastWordBefore_);
        // The bit copy goes to the byte that holds FSR's copy while a pointer's window is open.
        if (!isbittest(test->opcode) || testGuarded || test->operand == Indirect ||
            (window_.saved && indirectUseAhead(i))) {
            c_.error(strprintf("ERROR: Line: %d the instruction a skip guards needs RAM bank %d, "
                               "which cannot be selected between the skip and it.\n",
                               i->line, bank));
            current_ = UnknownBank;
            return false;
        }
        copyTestedBit(test, bank);
        return true;
    }

    // CLRB P0tmp.k; SNB reg.k; SETB P0tmp.k; <select bank>; SB/SNB P0tmp.k; guarded word.
    void copyTestedBit(Instruction* test, int bank) {
        const int bit = test->dest;
        Instruction* at = lastWordPrevious_;
        at = insertinstruction(c_, at, PIC_BCF, BitCopy, bit, test->line);
        Instruction* copy = insertinstruction(c_, at, PIC_BTFSC, test->operand, bit, test->line);
        copy->scope = test->scope;
        copy->offset = test->offset;
        at = insertinstruction(c_, copy, PIC_BSF, BitCopy, bit, test->line);
        // The test's own bank stays selected up to here; the guarded word's goes next.
        select(at, bank, current_, test->line);
        test->operand = BitCopy;
        test->scope = GlobalScopeName;
        test->offset = 0;
    }

    // Whether an INDF access of the open window follows from i on.
    bool indirectUseAhead(const Instruction* i) const {
        for (const Instruction* n = i; n != nullptr; n = n->next) {
            if (endsWindow(*n) || (writesfsr(*n) && !stepsFsr(*n)))
                return false;
            if (reachesIndirect(*n))
                return true;
        }
        return false;
    }

    // A selection rewrites FSR's bank bits; a window whose bank is neither known nor saved
    // (FSR written by hand-written asm otherwise than by a plain set-up) cannot be mended.
    void checkIndirectUse(const Instruction* i) {
        if (!window_.live || window_.bank != UnknownBank || window_.saved)
            return;
        for (const Instruction* n = i; n != nullptr; n = n->next) {
            const bool freshSetUp = writesfsr(*n) && !stepsFsr(*n);
            if (endsWindow(*n) || freshSetUp)
                return;
            if (reachesIndirect(*n)) {
                c_.error(strprintf("ERROR: Line: %d %s needs a RAM bank selection between the "
                                   "set-up of FSR and its indirect access. Set FSR with "
                                   "MOV FSR,W after the last access to a banked variable, or "
                                   "place that variable in the global registers.\n",
                                   i->line, i->operand.c_str()));
                window_ = {};
                return;
            }
        }
    }

    // Selects FSR's own bank again before the INDF access i, from the copy the set-up saved:
    // through W where i overwrites W and Z anyway, else bit by bit, which leaves W and the
    // flags alone (before the skip when i is guarded).
    void restoreFsr(Instruction* previous, Instruction* i, bool guarded) {
        if (!window_.saved)
            return; // refused where the selection was made
        Instruction* at = previous;
        if (guarded) {
            if (ownbank(c_, common_, *lastWord_).kind == BankNeed::Bank ||
                (lastWordBefore_ != nullptr && isskip(*lastWordBefore_))) {
                c_.error(strprintf("ERROR: Line: %d a bit test of a banked variable guards an "
                                   "access through a pointer; the RAM bank cannot be selected "
                                   "between them.\n",
                                   i->line));
                window_.disturbed = false;
                return;
            }
            at = lastWordPrevious_;
        }
        Instruction* last = nullptr;
        if (!guarded && i->opcode == PIC_MOVF && i->dest == 0) {
            last = insertinstruction(c_, at, PIC_MOVF, FsrCopy, 0, i->line);
            last = insertinstruction(c_, last, PIC_MOVWF, FileSelect, -1, i->line);
            for (int k = 0; k < std::abs(window_.steps); ++k)
                last = insertinstruction(c_, last, window_.steps > 0 ? PIC_INCF : PIC_DECF,
                                         FileSelect, 1, i->line);
        } else {
            last = at;
            for (int bit = chip_.bigBanks ? 4 : 5; bit <= 7; ++bit) {
                last = insertinstruction(c_, last, PIC_BCF, FileSelect, bit, i->line);
                last = insertinstruction(c_, last, PIC_BTFSC, FsrCopy, bit, i->line);
                last = insertinstruction(c_, last, PIC_BSF, FileSelect, bit, i->line);
            }
        }
        current_ = UnknownBank;
        window_.disturbed = false;
        if (!guarded) {
            lastWordBefore_ = nullptr;
            lastWord_ = last;
        }
    }

    void noteEffects(Instruction* i) {
        if (endsWindow(*i))
            window_ = {};
        if (i->opcode == PIC_CALL) {
            current_ = bankAfterCall(*i);
        } else if (i->opcode == PIC_BANK) {
            const auto value = literalvalue(i->operand);
            current_ = value && !chip_.bigBanks ? *value % 8 : UnknownBank;
        } else if (stepsFsr(*i) && window_.live) {
            // A value never crosses a bank: the bank bits stay.
            window_.steps += i->opcode == PIC_INCF ? 1 : -1;
        } else if (writesfsr(*i)) {
            openWindow(i);
        }
    }

    void openWindow(Instruction* setUp) {
        window_ = {};
        window_.live = true;
        window_.bank = bankLoaded(setUp);
        current_ = window_.bank;
        if (window_.bank == UnknownBank && setUp->opcode == PIC_MOVWF &&
            selectionBeforeIndirectUse(setUp)) {
            // W still holds what the set-up wrote; MOVWF leaves the flags alone.
            insertinstruction(c_, setUp, PIC_MOVWF, FsrCopy, -1, setUp->line);
            window_.saved = true;
        }
    }

    // Whether a register of some bank is reached after the set-up and before an INDF access
    // of the same window: the bank is unknown there, so that access needs a selection.
    bool selectionBeforeIndirectUse(const Instruction* setUp) const {
        bool banked = false;
        for (const Instruction* n = setUp->next; n != nullptr; n = n->next) {
            if (endsWindow(*n) || (writesfsr(*n) && !stepsFsr(*n)))
                return false;
            if (reachesIndirect(*n) && banked)
                return true;
            banked = banked || ownbank(c_, common_, *n).kind == BankNeed::Bank;
        }
        return false;
    }

    // The bank an FSR write selects: known for a literal just loaded into FSR and for a
    // set-up that names the object it points into.
    int bankLoaded(const Instruction* write) const {
        if (write->opcode != PIC_MOVWF)
            return UnknownBank;
        if (!write->object.empty()) {
            const int address = getaddr(c_, write->object, write->objectScope);
            return address < 0 ? UnknownBank : address / 32;
        }
        // A literal a skip guards may not be what FSR gets (a char pointer's store chooses
        // between its RAM byte and a scratch byte).
        if (lastWord_ == nullptr || lastWord_->opcode != PIC_MOVLW ||
            (lastWordBefore_ != nullptr && isskip(*lastWordBefore_)))
            return UnknownBank;
        const auto value = literalvalue(lastWord_->operand);
        if (!value)
            return UnknownBank;
        const int fsr = *value & 0xFF;
        return chip_.bigBanks ? fsr >> 4 : fsr >> 5;
    }

    Compilation& c_;
    ChipLayout chip_;
    CommonRanges common_;
    LabelReferences labels_;
    // The bank held at each jump to a label still ahead, and the bank promised to each label
    // whose later jumps must select it.
    std::unordered_map<const Instruction*, int> jumpBanks_;
    std::unordered_map<std::string, int> promised_;
    // The function body being walked, and the bank each body walked returns with.
    struct FunctionExit {
        bool open = false;
        std::string body;
        int start = 0;
        int end = 0;
        int returns = 0;
        int bank = UnknownBank;
        bool left = false;         // a return of unknown or another bank, raw assembly, a jump out
        bool onlyJumpedTo = false; // no word before the body runs on into it
        bool wordSeen = false;
    };
    FunctionExit exit_;
    std::unordered_map<std::string, int> exitBanks_;
    // Each body's entry selection (from the word after `before` to `last`), and the banks
    // held at the calls of each body.
    struct EntrySelection {
        int bank = UnknownBank;
        Instruction* before = nullptr;
        Instruction* last = nullptr;
    };
    std::unordered_map<std::string, EntrySelection> entries_;
    std::unordered_map<std::string, std::vector<int>> callBanks_;
    bool labelJustBefore_ = false; // no word since the last label
    int current_ = 0;
    FsrWindow window_;
    Instruction* lastWord_ = nullptr;         // the last instruction that takes a word
    Instruction* lastWordPrevious_ = nullptr; // its predecessor in the list
    Instruction* lastWordBefore_ = nullptr;   // the word instruction before that one
};

} // namespace

void selectbanks(Compilation& c) {
    const bool cache = c.instructions.cacheEnabled();
    c.instructions.setCacheEnabled(false);
    BankWalk(c).run();
    c.instructions.setCacheEnabled(cache);
}

} // namespace kavo
