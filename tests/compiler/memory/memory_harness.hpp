#pragma once

// Compiles C in-process and runs the memory passes after the main walk in the order the
// back end runs them (the optimiser's places between them stay empty here).
#include "compiler/memory/memory.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/tables/ram_map.hpp"
#include "tests/support/in_process_compile.hpp"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

namespace kavo::testing {

// Bank 0 and the global registers 8..31 of an SX28, minus CCTEMP_LOC's four bytes at 12.
inline const char* SmallChip = "#pragma CCTEMP_LOC 12\n#pragma PAGEBITS_LOC 3\n"
                               "#pragma RESET_LOC 0x7FF\n"
                               "#pragma BANK_START_00 8\n#pragma BANK_END_00 11\n"
                               "#pragma BANK_START_01 16\n#pragma BANK_END_01 31\n";

inline void runMemoryPasses(Compilation& c) {
    makecallvectors(c);
    dropunusedtemps(c);
    dropunusedtemps(c);
    makeinterrupttemps(c);
    separatefunctiontemps(c);
    dropunusedtemps(c);
    deleteunusedvars(c);
    figureoutloc(c);
}

class MemoryRun {
public:
    // reuse sets REUSE_MEMORY; head comes before the program (pragmas).
    explicit MemoryRun(const std::string& program, int reuse = 1,
                       const std::string& head = SmallChip, int remap = 0) {
        run_ = std::make_unique<InProcessCompile>();
        run_->c.flags.reuseMemory = static_cast<std::uint32_t>(reuse);
        run_->c.flags.remapFlag = static_cast<std::uint32_t>(remap);
        run_->run(head + program);
        afterMainWalk = run_->io.messages.size();
        runMemoryPasses(run_->c);
    }

    Compilation& c() { return run_->c; }
    // What the memory passes printed.
    std::string messages() const { return run_->io.messages.substr(afterMainWalk); }
    std::string allMessages() const { return run_->io.messages; }
    const Symbol* symbol(const std::string& name, const std::string& scope) const {
        return findsymin(run_->c, name, scope);
    }
    int address(const std::string& name, const std::string& scope) const {
        const Symbol* s = symbol(name, scope);
        return s != nullptr ? s->addr : -100;
    }
    // The address of the only symbol of that name, wherever it is declared; a test failure
    // when there is not exactly one placed symbol of that name.
    int at(const std::string& name) const {
        const auto& named = symbolsNamed(run_->c, name);
        if (named.size() != 1 || named.front()->addr < 0) {
            ADD_FAILURE() << name << " is not one placed symbol";
            return -100;
        }
        return named.front()->addr;
    }
    int used() const { return run_->c.ram->used; }
    int reused() const { return run_->c.ram->reused; }
    // Every placed symbol's address, for a runner that must use this placement.
    std::map<std::string, unsigned> placement() const {
        std::map<std::string, unsigned> at;
        for (const Symbol* s = run_->c.symbols.main.head; s != nullptr; s = s->next) {
            if (s->addr >= 0 && !s->name.starts_with("_str_"))
                at.emplace(s->name, static_cast<unsigned>(s->addr));
        }
        return at;
    }

    std::size_t afterMainWalk = 0;

private:
    std::unique_ptr<InProcessCompile> run_;
};

} // namespace kavo::testing
