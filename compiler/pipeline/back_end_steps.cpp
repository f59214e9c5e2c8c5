// The driver's own steps between the passes: the names and registers every program has, the
// interrupt and scratch-register pragmas, and the node-list preparation before the main walk.
#include "compiler/pipeline/back_end_steps.hpp"

#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/emit.hpp"
#include "compiler/codegen/runtime_routines.hpp"
#include "compiler/memory/memory.hpp"
#include "compiler/symbols/symbols.hpp"

namespace kavo {

// Names the call tree knows before any function of the program.
void enterRuntimeNames(Compilation& c) {
    for (std::string_view name : RuntimeRoutineNames)
        addcall(c.callTree, name);
    addcall(c.callTree, "@__strings_");
}

// The RAM that #vpmem lines reserved for Virtual Peripheral code, one byte a symbol.
void enterVpReservations(Compilation& c) {
    int counter = 0;
    for (const VpRamReservation& range : c.vpRamReservations) {
        for (std::uint32_t address = range.first; address <= range.last; ++address)
            setfixedloc(c, strprintf("_asm_%03d", ++counter), static_cast<int>(address), INT);
    }
}

void enterFixedRegisters(Compilation& c) {
    setfixedloc(c, "@__f0__", 0, INT);
    setfixedloc(c, "@__pc__", 2, INT);
    setfixedloc(c, "@__fsr__", 4, INT);
    setfixedloc(c, "@__stat__", 3, INT);
}

void checkInterruptPragmas(Compilation& c) {
    if (isfunction(c, "__interrupt") && !c.pragmas.has("INTERRUPT_LOC")) {
        c.pragmas.set("INTERRUPT_LOC", "0");
        c.message(strprintf("WARNING(C110): %s routine found but pragma %s not defined.\n",
                            "__interrupt", "INTERRUPT_LOC"));
        c.message(strprintf("               Setting INTERRUPT VECTOR to address %d.\n", 0));
    }
    if (c.pragmas.has("INTERRUPT_LOC"))
        emit(c, PIC_INTERRUPT, "__interrupt");
}

// The compiler's scratch registers fill the four bytes at CCTEMP_LOC in the common bank.
void enterCompilerTemporaries(Compilation& c) {
    if (!c.pragmas.has("CCTEMP_LOC")) {
        c.pragmas.set("CCTEMP_LOC", "12");
        c.message(strprintf("WARNING(C189): pragma %s not defined.\n", "CCTEMP_LOC"));
        c.message(strprintf("               Setting pragma %s to address %d.\n", "CCTEMP_LOC", 12));
    }
    const int location = static_cast<int>(c.pragmas.number("CCTEMP_LOC", 12));
    if (location > 12)
        c.error(strprintf("ERROR(C188): Pragma %s MUST be in the common bank (4 bytes).\n",
                          "CCTEMP_LOC"));
    setfixedloc(c, "@__P0tmp_", location, INT);
    setfixedloc(c, "@__SxItmp_", location + 1, INT);
    setfixedloc(c, "@__SxLtmp_", c.flags.remapFlag == 0 ? location + 2 : location, LONG);
}

void defaultPageBits(Compilation& c) {
    if (c.pragmas.has("PAGEBITS_LOC"))
        return;
    c.pragmas.set("PAGEBITS_LOC", "3");
    c.message(strprintf("WARNING(C109): pragma %s not defined.  Setting PAGEBITS to address %d.\n",
                        "PAGEBITS_LOC", 3));
}

namespace {

// Counts the element accesses of each top-level expression; more than one is warned about.
// a[i][j] is one access: its subscripts come in one INDEX_ON.
class SubscriptCounter {
public:
    void see(Compilation& c, const Node& node) {
        if (node.kind == EXPSTART) {
            if (depth_++ == 0)
                subscripts_ = 0;
        } else if (node.kind == EXPEND && depth_ > 0) {
            --depth_;
        } else if (node.kind == INDEX_ON && depth_ > 0 && ++subscripts_ == 2) {
            c.diagnostics.standardError(
                strprintf("WARNING(C500): Line: %d Expression contains more than one subscript.\n",
                          node.line));
        }
    }

private:
    int depth_ = 0;
    int subscripts_ = 0;
};

} // namespace

void prepareNodeList(Compilation& c) {
    SubscriptCounter subscripts;
    const std::string* file = nullptr;
    for (Node* node = c.nodes.head(); node != nullptr; node = node->next) {
        if (node->kind == SEMICOL)
            c.message("\n");
        subscripts.see(c, *node);
        if (node->file != nullptr && !node->file->empty())
            file = node->file;
        else if (file != nullptr)
            node->file = file;
    }
}

void emitProgramAnchor(Compilation& c) {
    emit(c, PIC_LABEL, "@@@@@");
}

void emitStringPlaceholder(Compilation& c) {
    emit(c, PIC_STRINGLOC, "strings");
}

void reserveReturnHighRegister(Compilation& c) {
    c.codegen.returnHighRegister = newtmp(c, INT);
}

void emitResetJump(Compilation& c) {
    if (!c.pragmas.has("NO_RESET_VECTOR") && c.pragmas.has("RESET_LOC"))
        emit(c, PIC_RESET, "main");
}

void removeUncalledFunctions(Compilation& c) {
    if (c.flags.stopAfterCodeGeneration)
        return;
    while (deleteuncalled(c)) {
    }
}

void announcePageBits(Compilation& c) {
    if (c.pragmas.has("ROM_END") && c.pragmas.number("ROM_END", 511) > 2047)
        c.message("Setting PAGE bits.\n");
}

int stopAfterRamShortage(Compilation& c) {
    c.message(strprintf(c.errors() == 1 ? "Found %d error.  No code generated.\n"
                                         : "Found %d errors.  No code generated.\n",
                        c.errors()));
    return 2;
}

int stopForInspection(Compilation& c) {
    generateRuntimeRoutines(c);
    return 2;
}

} // namespace kavo
