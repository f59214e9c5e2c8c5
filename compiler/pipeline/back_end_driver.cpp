// The back-end driver: every pass after parsing, in the order they run.
#include "compiler/pipeline/compiler_main.hpp"

#include "compiler/backend/backend.hpp"
#include "compiler/codegen/functions.hpp"
#include "compiler/codegen/runtime_routines.hpp"
#include "compiler/memory/memory.hpp"
#include "compiler/pipeline/back_end_steps.hpp"
#include "compiler/pipeline/main_walk.hpp"
#include "compiler/pipeline/output_sequence.hpp"
#include "compiler/symbols/procsym.hpp"
#include "compiler/symbols/types.hpp"
#include "compiler/tables/ram_map.hpp"

namespace kavo {

int backEndDriver(Compilation& c) {
    if (c.abortFlag)
        return 1;
    if (c.errors() > 0) {
        c.abortFlag = true;
        return 1;
    }
    enterRuntimeNames(c);
    readbanklayout(c);
    enterVpReservations(c);
    enterAssemblyDataSymbols(c);
    enterFixedRegisters(c);
    emitProgramAnchor(c);
    generateVirtualPeripherals(c);
    buildcalltree(c);
    removeUncalledFunctions(c);
    checkInterruptPragmas(c);
    emitStringPlaceholder(c);
    enterCompilerTemporaries(c);
    defaultPageBits(c);
    if (c.abortFlag) {
        c.message("Errors found, No code generated!\n");
        return 2;
    }
    prepareNodeList(c);
    reserveReturnHighRegister(c);
    if (!runMainWalk(c))
        return 2;
    if (c.ram->exhausted)
        return stopAfterRamShortage(c);
    placestartupcode(c);
    checkprototypes(c);
    emitResetJump(c);
    if (c.flags.stopAfterCodeGeneration)
        return stopForInspection(c);
    optimise(c);
    generateRuntimeRoutines(c);
    makecallvectors(c);
    makestrings(c);
    dropunusedtemps(c);
    optimise(c);
    dropunusedtemps(c);
    makeinterrupttemps(c);
    separatefunctiontemps(c);
    setsizes(c);
    dropunusedtemps(c);
    deleteunusedvars(c);
    if (!figureoutloc(c))
        return stopAfterRamShortage(c);
    resolveaddresses(c);
    mergelabels(c);
    selectbanks(c);
    announcePageBits(c);
    selectpages(c);
    while (labeltablepass(c)) {
    }
    resolveaddressof(c);
    finalresolution(c);
    checkcalldepth(c);
    return writeoutputs(c, {c.ram->used, c.ram->reused});
}

} // namespace kavo
