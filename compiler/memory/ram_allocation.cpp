// RAM placement: `figureoutloc` gives every variable still unplaced an address, through
// `findregloc`, which tries register reuse first, then the common ranges, then the bank
// table, and reports C114 when nothing fits. The used and reused counters add up what was
// placed fresh and what was placed on a reused location.
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/memory/memory_internal.hpp"
#include "compiler/tables/opcodes.hpp"
#include "compiler/tables/ram_map.hpp"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

namespace kavo {

namespace {

// Enumerators, functions and tags take no RAM; string entries live in program memory.
bool takesNoRam(const Symbol& s) {
    return s.type == ENUM || s.type == FUNCNAME || s.type == FUNCPTR || s.type == STRUCT_NAME ||
           s.type == UNION_NAME || s.name.starts_with("_str_");
}

bool insideOneBank(const Compilation& c, int first, int size) {
    for (const RamRange& bank : c.ram->banks) {
        if (bank.start <= first && first + size - 1 <= bank.end)
            return true;
    }
    return false;
}

bool blockFree(const Compilation& c, int first, int size) {
    for (int a = first; a < first + size; ++a) {
        if (!addressfree(c, a))
            return false;
    }
    return true;
}

bool fits(const Compilation& c, int first, int size) {
    return insideOneBank(c, first, size) && blockFree(c, first, size);
}

// A block in common ranges 1 to 3 (range 0 is the compiler's own). A block never ends on a
// range's last address.
int commonBlock(const Compilation& c, int size) {
    for (int n = 1; n <= 3; ++n) {
        const RamRange& range = c.ram->common[static_cast<std::size_t>(n)];
        for (int a = range.start; a < range.end - size + 1 && a < 32; ++a) {
            if (fits(c, a, size))
                return a;
        }
    }
    return -1;
}

int bankBlock(const Compilation& c, int size) {
    for (const RamRange& bank : c.ram->banks) {
        for (int a = bank.start; a <= bank.end - size + 1; ++a) {
            if (fits(c, a, size))
                return a;
        }
    }
    return -1;
}

// Drops the placement index however placement ends (C135 unwinds through it).
struct IndexedPlacement {
    explicit IndexedPlacement(Compilation& run) : c(run) { indexplacements(run); }
    ~IndexedPlacement() { dropplacementindex(c); }
    IndexedPlacement(const IndexedPlacement&) = delete;
    IndexedPlacement& operator=(const IndexedPlacement&) = delete;
    Compilation& c;
};

} // namespace

int findregloc(Compilation& c, int size, std::string_view usedBy, int cls, bool tryCommon,
               bool compilerTemporary) {
    RamMap& ram = *c.ram;
    // The compiler's temporaries are its own: they share whatever the user asked of reuse.
    if ((c.flags.reuseMemory >= 1 || compilerTemporary) && cls != STATIC) {
        const int shared = reuseloc(c, size, usedBy, c.flags.reuseMemory < 1);
        if (shared >= 1) {
            ram.reused += size;
            return shared;
        }
    }
    int address = tryCommon ? commonBlock(c, size) : -1;
    if (address < 0)
        address = bankBlock(c, size);
    if (address >= 0) {
        ram.used += size;
        return address;
    }
    ram.unplaced += size;
    return -1;
}

namespace {

// On the 18/20/28-pin parts FSR is also the bank select: a byte read or written between
// setting FSR and the indirect access that uses it is only reachable from the global
// registers. Those bytes are offered the global registers first, then the compiler's
// temporaries (which often carry such values), then everything else.
enum class Priority { IndirectWindow, Temporary, Other };

// The names used directly between a write to FSR and the next indirect access, and those
// used after an indirect access before FSR is stepped on to the next byte (a 16-bit element
// is read through INDF, stored, FSR stepped, and read again).
std::unordered_set<std::string> namesInIndirectWindows(const Compilation& c) {
    std::unordered_set<std::string> names;
    std::vector<std::string> sinceIndirect;
    bool open = false;
    for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        if (i->opcode == PIC_LABEL) {
            open = false;
            sinceIndirect.clear();
        } else if (i->operand == "@__f0__") {
            open = false;
            sinceIndirect.clear();
        } else if (i->operand == "@__fsr__") {
            const bool step = i->opcode == PIC_INCF || i->opcode == PIC_DECF;
            if (step)
                names.insert(sinceIndirect.begin(), sinceIndirect.end());
            sinceIndirect.clear();
            open = true;
        } else if (!i->operand.empty() && !i->operand.starts_with("@")) {
            if (open)
                names.insert(i->operand);
            else
                sinceIndirect.push_back(i->operand);
        }
    }
    return names;
}

Priority priorityOf(const Symbol& s, const std::unordered_set<std::string>& windowNames) {
    if (windowNames.contains(s.name))
        return Priority::IndirectWindow;
    if (s.name.starts_with("_tmp_") || s.name.starts_with("_itr_"))
        return Priority::Temporary;
    return Priority::Other;
}

void placeSymbols(Compilation& c, Priority priority,
                  const std::unordered_set<std::string>& windowNames) {
    for (Symbol* s = c.symbols.main.head; s != nullptr; s = s->next) {
        if (s->addr >= 0 || takesNoRam(*s) || priorityOf(*s, windowNames) != priority)
            continue;
        // A symbol whose size is unknown still gets an address of its own.
        const int size = s->size > 0 ? s->size : 1;
        const bool temporary = s->name.starts_with("_tmp_") || s->name.starts_with("_swt_");
        s->addr = findregloc(c, size, usedby(*s), s->cls, true, temporary && !usedby(*s).empty());
        noteplaced(c, s);
    }
}

} // namespace

namespace {

// The runtime routines' parameter slots are worked on together in tight loops, guarded by
// skips: in one bank a skip never has to guard a selection of another bank. They go as one
// block where one is free, else each on its own.
void placeParameterSlots(Compilation& c) {
    std::vector<Symbol*> slots;
    int total = 0;
    for (Symbol* s = c.symbols.main.head; s != nullptr; s = s->next) {
        if (s->addr < 0 && !takesNoRam(*s) && s->name.starts_with("_prm_")) {
            slots.push_back(s);
            total += s->size > 0 ? s->size : 1;
        }
    }
    if (slots.size() < 2)
        return;
    int address = findregloc(c, total, "", 0, false);
    if (address < 0) {
        c.ram->unplaced -= total; // each slot is offered a place of its own next
        return;
    }
    for (Symbol* s : slots) {
        s->addr = address;
        noteplaced(c, s);
        address += s->size > 0 ? s->size : 1;
    }
}

void placeAll(Compilation& c) {
    IndexedPlacement index(c);
    const std::unordered_set<std::string> windowNames = namesInIndirectWindows(c);
    placeParameterSlots(c);
    placeSymbols(c, Priority::IndirectWindow, windowNames);
    placeSymbols(c, Priority::Temporary, windowNames);
    placeSymbols(c, Priority::Other, windowNames);
}

// The bytes the program needs with register reuse on: the placement made again (the
// compilation stops after C114, so its first result is not needed any more).
int neededWithReuse(Compilation& c, const std::vector<Symbol*>& placedHere) {
    for (Symbol* s : placedHere)
        s->addr = -1;
    c.ram->used = c.ram->reused = c.ram->unplaced = 0;
    const int reuse = c.flags.reuseMemory;
    c.flags.reuseMemory = 1;
    placeAll(c);
    c.flags.reuseMemory = reuse;
    return c.ram->used + c.ram->unplaced;
}

// Without any BANK pragma there is no RAM at all: the device header is missing, and saying
// so is the only useful message.
bool hasBankLayout(const Compilation& c) {
    for (int n = 0; n < 16; ++n) {
        if (c.pragmas.has(strprintf("BANK_START_%02d", n)) ||
            c.pragmas.has(strprintf("BANK_END_%02d", n)))
            return true;
    }
    return false;
}

// One message for the whole shortage, with what the program needs: the names left without
// a place would only repeat it.
void reportShortage(Compilation& c, const std::vector<Symbol*>& placedHere) {
    if (!hasBankLayout(c)) {
        c.error("ERROR(C301): The chip's memory layout is missing: include its device header "
                "(#include <sx28.h> or #include <sx52.h>) before the program.\n");
        return;
    }
    const auto bytes = [](int n) { return strprintf(n == 1 ? "%d byte" : "%d bytes", n); };
    const int unplaced = c.ram->unplaced;
    std::string text = "ERROR(C114): not enough register memory in this chip! The program needs " +
                       bytes(c.ram->used + unplaced) +
                       " of RAM for its variables and temporaries; " + bytes(unplaced) +
                       " found no place";
    // An object never spans banks: an array may find no place while the chip has bytes
    // free enough, which the totals alone would not tell.
    const bool freeElsewhere = c.ram->used + unplaced <= bankBytes(*c.ram);
    for (const Symbol* s : placedHere) {
        if (freeElsewhere && s->addr < 0 && s->size > 1) {
            text += strprintf(" (%s needs %s in one piece, and no bank has that many free in "
                              "a row: an object never spans banks)",
                              s->name.c_str(), bytes(s->size).c_str());
            break;
        }
    }
    if (c.flags.reuseMemory < 1)
        text += ". With register reuse (-m 1) it needs " + bytes(neededWithReuse(c, placedHere));
    c.error(text + ".\n");
}

} // namespace

namespace {

// A variable placed with @ beyond the last address of the chip's RAM would be reached through
// a bank that does not exist: the chip would wrap it onto another variable. The parts have 8
// banks (addresses to 0xFF), the 48/52-pin ones 16 (to 0x1FF, as the compiler numbers them).
void refuseAddressesBeyondRam(Compilation& c) {
    const int last = c.pragmas.has("SX_52_BANKS") ? 0x1FF : 0xFF;
    for (const Symbol* s = c.symbols.main.head; s != nullptr; s = s->next) {
        if (s->addr < 0 || takesNoRam(*s) || s->line <= 0 || s->name.starts_with("@") ||
            s->addr + std::max(s->size, 1) - 1 <= last)
            continue;
        c.error(strprintf("ERROR(C348): Line: %d %s, %d byte%s at %d (0x%X), reaches beyond the "
                          "chip's RAM, whose last address is %d (0x%X).\n",
                          s->line, s->name.c_str(), std::max(s->size, 1), s->size > 1 ? "s" : "",
                          s->addr, s->addr, last, last));
    }
}

} // namespace

int figureoutloc(Compilation& c) {
    preparerelation(c);
    refuserecursion(c);
    refuseAddressesBeyondRam(c);
    std::vector<Symbol*> unplaced;
    for (Symbol* s = c.symbols.main.head; s != nullptr; s = s->next) {
        if (s->addr < 0 && !takesNoRam(*s))
            unplaced.push_back(s);
    }
    placeAll(c);
    if (c.ram->unplaced == 0)
        return 1;
    reportShortage(c, unplaced);
    return 0;
}

} // namespace kavo
