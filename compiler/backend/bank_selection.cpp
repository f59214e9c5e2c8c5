// Bank selection (`selectbanks`): walks the instruction list keeping the RAM bank FSR
// selects and inserts BANK (and on the 48/52-pin parts the FSR high-bank bit) before each
// register access that needs another bank.
//
// Rules beyond the plain walk, each because the chip would otherwise compute wrong values:
//   - a write to FSR changes the bank: it leaves the bank known (a literal just loaded) or
//     unknown; the INDF access itself leaves it as it is;
//   - no selection may sit between an FSR set-up and the INDF accesses that use it (a
//     selection rewrites FSR): such a program is refused;
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
#include "compiler/tables/opcodes.hpp"

namespace kavo {

using namespace placement;

namespace {

constexpr int UnknownBank = -1;

class BankWalk {
public:
    explicit BankWalk(Compilation& c) : c_(c), chip_(chiplayout(c)), common_(c) {}

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
    }

private:
    // Raw assembly is left alone; nothing is known about the bank after it.
    Instruction* skipRawAssembly(Instruction* start) {
        Instruction* i = start;
        while (i->next != nullptr && i->opcode != PIC_RASMEND)
            i = i->next;
        current_ = UnknownBank;
        fsrLive_ = false;
        lastWord_ = nullptr;
        return i;
    }

    // Handles i, whose predecessor is previous; returns i (or what replaced it).
    Instruction* visit(Instruction* previous, Instruction* i) {
        if (i->opcode == PIC_LABEL) {
            current_ = UnknownBank;
            fsrLive_ = false;
            return i;
        }
        if (!checkKnown(i))
            return i;
        if (iswordless(i->opcode))
            return i;
        const bool guarded = lastWord_ != nullptr && isskip(*lastWord_);
        const BankNeed need = guarded ? ownbank(c_, common_, *i) : bankof(c_, common_, i);
        const int before = current_;
        bool certain = false; // the bank is the same after a taken and an untaken skip
        if (need.kind == BankNeed::Bank && need.bank != current_) {
            checkIndirectUse(i);
            if (!guarded)
                select(previous, need.bank, current_, i->line);
            else
                certain = selectGuarded(previous, i, need.bank);
        }
        noteEffects(i);
        if (guarded && !certain && current_ != before)
            current_ = UnknownBank; // a taken skip keeps the bank held before
        lastWordBefore_ = lastWord_;
        lastWordPrevious_ = predecessor(previous, i);
        lastWord_ = i;
        return i;
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
        if (!isbittest(test->opcode) || testGuarded || test->operand == Indirect) {
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

    // A selection rewrites FSR: it must not separate an FSR set-up from its INDF accesses.
    void checkIndirectUse(const Instruction* i) {
        if (!fsrLive_)
            return;
        for (const Instruction* n = i; n != nullptr; n = n->next) {
            const bool freshSetUp =
                n->operand == FileSelect && (n->opcode == PIC_MOVWF || n->opcode == PIC_CLRF);
            if (n->opcode == PIC_LABEL || istransfer(n->opcode) || isreturn(n->opcode) ||
                freshSetUp)
                return;
            if (n->operand == Indirect) {
                c_.error(strprintf("ERROR: Line: %d %s needs a RAM bank selection between the "
                                   "set-up of FSR and its indirect access.\n",
                                   i->line, i->operand.c_str()));
                fsrLive_ = false;
                return;
            }
        }
    }

    void noteEffects(const Instruction* i) {
        if (i->opcode == PIC_CALL || istransfer(i->opcode) || isreturn(i->opcode))
            fsrLive_ = false;
        if (i->opcode == PIC_CALL) {
            current_ = UnknownBank;
        } else if (i->opcode == PIC_BANK) {
            const auto value = literalvalue(i->operand);
            current_ = value && !chip_.bigBanks ? *value % 8 : UnknownBank;
        } else if (writesfsr(*i)) {
            fsrLive_ = true;
            current_ = bankLoaded(i);
        }
    }

    // The bank an FSR write selects: known only for a literal just loaded into FSR.
    int bankLoaded(const Instruction* write) const {
        if (write->opcode != PIC_MOVWF || lastWord_ == nullptr || lastWord_->opcode != PIC_MOVLW)
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
    int current_ = 0;
    bool fsrLive_ = false;
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
