#pragma once

#include "compiler/base/arena.hpp"
#include "compiler/base/compiler_io.hpp"
#include "compiler/base/diagnostics.hpp"
#include "compiler/base/node.hpp"
#include "compiler/base/node_list.hpp"
#include "compiler/base/stretch.hpp"
#include "compiler/base/string_pool.hpp"
#include "compiler/run/codegen_state.hpp"
#include "compiler/run/compiler_settings.hpp"
#include "compiler/run/run_files.hpp"
#include "compiler/tables/call_tree.hpp"
#include "compiler/tables/instruction_list.hpp"
#include "compiler/tables/pragma_table.hpp"
#include "compiler/tables/program_image.hpp"
#include "compiler/tables/substitution.hpp"
#include "compiler/tables/symbol_table.hpp"
#include "compiler/tables/vp_ram.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kavo {

struct RamMap;
class AssemblerNames;
struct PlacementState;

// Flags set by the command line and the configuration file; every run starts with them at 0.
struct RunFlags {
    bool mapFileEnabled = false;
    std::uint32_t reuseMemory = 0;
    std::uint32_t printScope = 0;
    std::uint32_t asmFormat = 0;
    std::uint32_t replaceAtFlag = 0;
    std::uint32_t replaceUnderscoreFlag = 0;
    std::uint32_t debugForm = 0;
    std::uint32_t remapFlag = 0;
    // Inspection runs (the unit tests of the generator and of single back-end passes) stop
    // once the code is generated, the runtime routines included, and write nothing.
    bool stopAfterCodeGeneration = false;
};

// Everything one compilation knows. A run is one Compilation: constructing it is the run
// reset, destroying it releases every record the run made, and no state survives into the
// next run except the CompilerSettings the caller keeps.
class Compilation {
public:
    Compilation(CompilerSettings& runSettings, CompilerIo& io);
    Compilation(const Compilation&) = delete;
    Compilation& operator=(const Compilation&) = delete;
    // Out of line, so that back-end state held through unique_ptr can stay an incomplete
    // type here: a change to a back-end table must not rebuild the front end.
    ~Compilation();

    CompilerSettings& settings;
    Diagnostics diagnostics;
    RunFlags flags;
    RunFiles files;

    // Run status.
    bool abortFlag = false;
    bool successFlag = false;
    int tmpPrefixLength = 5;
    // The scanner's current line; marker nodes take their line from it.
    int currentLine = 0;

    // Tables.
    StringPool strings;
    NodeList nodes;
    Arena<Item> items;
    PragmaTable pragmas;
    SubstitutionTable defines;
    SubstitutionTable replaces;
    // The -I folders of the command line, each ending in "/", searched for #include files.
    std::vector<std::string> includeFolders;
    std::vector<std::uint32_t> programImage;
    // Set when a Virtual Peripheral file filled programImage: the object file then fills the
    // gaps the program leaves with the image's words.
    bool vpImageLoaded = false;
    std::vector<VpRamReservation> vpRamReservations;
    std::vector<AsmDataSymbol> asmDataSymbols;
    SymbolTable symbols;
    InstructionList instructions;
    CallTree callTree;
    // The names the assembly text gives symbols, shared by the EQU section and the code.
    std::unique_ptr<AssemblerNames> assemblerNames;

    // State the passes carry between their calls.
    CodegenState codegen;
    // The register file and RAM placement's counters.
    std::unique_ptr<RamMap> ram;
    // Addresses, labels and code segments of the placed program.
    std::unique_ptr<PlacementState> placement;

    // The tables a stretch is cut into.
    StretchTables stretchTables() {
        return {items, strings, diagnostics, codegen.functionName, codegen.functionName2};
    }

    // Shorthands for the message channels.
    void message(std::string_view text) { diagnostics.message(text); }
    void error(std::string_view text) { diagnostics.error(text); }
    int errors() const { return diagnostics.errors(); }
};

} // namespace kavo
