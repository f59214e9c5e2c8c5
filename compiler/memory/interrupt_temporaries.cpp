// The interrupt routine's own temporaries and context: `makeinterrupttemps` renames every
// "_tmp_" operand of the routine to "_itr_" (same suffix), so that the routine never works in
// a temporary the main line may be holding, and saves on entry and restores on exit each
// compiler scratch byte that the routine, or any function it reaches, changes.
//
// The return-high register keeps its name: the routine's own calls return their high byte
// in it like every other call. Because the routine can land between a main-line call's
// return and the read of that high byte, the register is saved and restored instead.
// "@__P0tmp_" is always saved: the bank pass, which runs later, may use it anywhere.
//
// A return statement in the routine jumps to the restores and the return from interrupt.
//
// A function both the routine and the main line call cannot run twice at once (its
// variables have one place each): such a program is refused with C304.
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/emit.hpp"
#include "compiler/memory/memory_internal.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/symbols/types.hpp"
#include "compiler/tables/ram_map.hpp"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>

namespace kavo {

namespace {

using ScratchByte = std::pair<std::string, int>; // name and byte offset

const FunctionSpan* interruptSpan(const std::vector<FunctionSpan>& spans) {
    for (const FunctionSpan& span : spans) {
        if (span.function == "__interrupt")
            return &span;
    }
    return nullptr;
}

void renameTemporaries(Compilation& c, const FunctionSpan& span) {
    const std::string& high = c.codegen.returnHighRegister;
    forEachInSpan(span, [&](Instruction& i) {
        if (!i.operand.starts_with("_tmp_") || i.operand == high)
            return;
        const std::string renamed = "_itr_" + i.operand.substr(5);
        if (findsymin(c, renamed, GlobalScope) == nullptr) {
            const Symbol* original = findsymin(c, i.operand, GlobalScope);
            Symbol* made = addsym(c, c.symbols.main, 0, original ? original->type : INT, 0, renamed,
                                  GlobalScope, "", original ? original->sign : SIGNED, i.line);
            made->size = original ? original->size : 1;
        }
        i.operand = renamed;
        i.scope = GlobalScope;
    });
}

// Scratch bytes the main line may hold while the interrupt routine runs and that the routine
// or a function it reaches writes or reads.
std::set<ScratchByte> scratchToSave(const Compilation& c, const std::vector<FunctionSpan>& spans) {
    std::set<ScratchByte> bytes{{ScratchP0, 0}};
    const std::string& high = c.codegen.returnHighRegister;
    for (const FunctionSpan& span : spans) {
        if (!c.ram->interruptReachable.contains(span.function))
            continue;
        forEachInSpan(span, [&](const Instruction& i) {
            const std::string& name = i.operand;
            if (name == ScratchInt || name == ScratchP0 || (!high.empty() && name == high) ||
                name.starts_with("_prm_"))
                bytes.insert({name, 0});
            else if (name == ScratchLong)
                bytes.insert({name, i.offset});
        });
    }
    if (bytes.contains({ScratchLong, 0}) || bytes.contains({ScratchLong, 1})) {
        bytes.insert({ScratchLong, 0});
        bytes.insert({ScratchLong, 1});
    }
    return bytes;
}

bool isSaveSlot(const Instruction* i) {
    return i != nullptr && i->opcode == PIC_MOVWF && i->operand.starts_with("_svi_");
}

// The bytes the routine's entry already copies into "_svi_" slots, and the last such copy.
std::set<ScratchByte> savedAlready(const FunctionSpan& span, Instruction*& lastSave) {
    std::set<ScratchByte> saved;
    forEachInSpan(span, [&](Instruction& i) {
        if (i.opcode == PIC_MOVF && isSaveSlot(i.next)) {
            saved.insert({i.operand, i.offset});
            lastSave = i.next;
        }
    });
    return saved;
}

Instruction* entryPoint(const FunctionSpan& span) {
    Instruction* at = span.label;
    forEachInSpan(span, [&](Instruction& i) {
        if (i.opcode == PIC_SAVEINT && at == span.label)
            at = &i;
    });
    return at;
}

// The instruction before the routine's closing return from interrupt.
Instruction* beforeExit(const FunctionSpan& span) {
    Instruction* before = nullptr;
    for (Instruction* i = span.label; i != span.last && i->next != nullptr; i = i->next) {
        if (i->next->opcode == PIC_RETFIE)
            before = i;
    }
    return before;
}

int highestSaveSlot(const Compilation& c) {
    int highest = 0;
    for (const Symbol* s = c.symbols.main.head; s != nullptr; s = s->next) {
        if (s->name.starts_with("_svi_"))
            highest = std::max(highest, std::atoi(s->name.c_str() + 5));
    }
    return highest;
}

void saveScratch(Compilation& c, const FunctionSpan& span, const std::set<ScratchByte>& bytes) {
    Instruction* lastSave = nullptr;
    const std::set<ScratchByte> saved = savedAlready(span, lastSave);
    Instruction* exitAt = beforeExit(span);
    if (exitAt == nullptr)
        return; // no return from interrupt: nothing resumes the main line
    Instruction* saveAt = lastSave != nullptr ? lastSave : entryPoint(span);
    int slot = highestSaveSlot(c);
    const bool globalScope = c.codegen.globalScopeFlag;
    c.codegen.globalScopeFlag = true;
    for (const auto& [name, offset] : bytes) {
        if (saved.contains({name, offset}))
            continue;
        const std::string copy = strprintf("_svi_%d", ++slot);
        addsym(c, c.symbols.main, 0, INT, 0, copy, GlobalScope, "", SIGNED, saveAt->line);
        setsizes(c);
        const int line = saveAt->line;
        saveAt = emitafter(c, saveAt, PIC_MOVF, name, 0, line, 0, offset);
        saveAt = emitafter(c, saveAt, PIC_MOVWF, copy, -1, line);
        exitAt = emitafter(c, exitAt, PIC_MOVF, copy, 0, exitAt->line);
        exitAt = emitafter(c, exitAt, PIC_MOVWF, name, -1, exitAt->line, 0, offset);
    }
    c.codegen.globalScopeFlag = globalScope;
}

// Functions of the main line the interrupt routine also calls: their variables and
// temporaries have one place each, so a call from the interrupt in the middle of a main-line
// call would overwrite them. The runtime routines are safe: their slots are saved above.
void refuseSharedFunctions(Compilation& c) {
    const auto& fromInterrupt = c.ram->interruptReachable;
    std::set<std::string> fromMain;
    std::vector<std::string> pending{"main"};
    while (!pending.empty()) {
        const std::string function = pending.back();
        pending.pop_back();
        if (function == "__interrupt" || !fromMain.insert(function).second)
            continue;
        for (const std::string& callee : relatedcallees(c, function))
            pending.push_back(callee);
    }
    for (const std::string& function : fromMain) {
        if (fromInterrupt.contains(function) && !function.starts_with("@"))
            c.error(strprintf("ERROR(C304): Function %s is called both from the interrupt "
                              "routine and from the main program.\n",
                              function.c_str()));
    }
}

bool isRestore(const Instruction* load, const Instruction* store) {
    return load->opcode == PIC_MOVF && load->operand.starts_with("_svi_") &&
           store->opcode == PIC_MOVWF;
}

// A return statement inside the routine would leave with a plain return, skipping the
// restores and the return from interrupt: it jumps to the exit sequence instead.
void routeReturnsThroughExit(Compilation& c, const FunctionSpan& span) {
    std::vector<Instruction*> body;
    forEachInSpan(span, [&](Instruction& i) { body.push_back(&i); });
    std::size_t exit = body.size();
    while (exit > 0 && body[exit - 1]->opcode != PIC_RETFIE)
        --exit;
    if (exit-- == 0)
        return;
    while (exit >= 3 && isRestore(body[exit - 2], body[exit - 1]))
        exit -= 2;
    std::string label;
    for (std::size_t n = 0; n < exit; ++n) {
        if (body[n]->opcode != PIC_RETURN)
            continue;
        if (label.empty()) {
            label = newlabel(c);
            emitafter(c, body[exit - 1], PIC_LABEL, label, -1, body[exit]->line);
        }
        body[n]->opcode = PIC_GOTO;
        body[n]->operand = label;
        body[n]->scope = GlobalScope;
    }
}

} // namespace

void makeinterrupttemps(Compilation& c) {
    const std::vector<FunctionSpan> spans = functionspans(c);
    const FunctionSpan* routine = interruptSpan(spans);
    if (routine == nullptr)
        return;
    renameTemporaries(c, *routine);
    preparerelation(c);
    refuseSharedFunctions(c);
    saveScratch(c, *routine, scratchToSave(c, spans));
    routeReturnsThroughExit(c, *routine);
}

} // namespace kavo
