#include "compiler/run/compilation.hpp"

#include "compiler/tables/assembler_names.hpp"
#include "compiler/tables/placement_state.hpp"
#include "compiler/tables/ram_map.hpp"

namespace kavo {

Compilation::Compilation(CompilerSettings& runSettings, CompilerIo& io)
    : settings(runSettings), diagnostics(io), nodes(diagnostics, strings, currentLine),
      items(diagnostics), pragmas(diagnostics), programImage(ProgramImageWords, FreeWord),
      symbols(diagnostics), instructions(diagnostics), callTree(diagnostics),
      assemblerNames(std::make_unique<AssemblerNames>()), ram(std::make_unique<RamMap>()),
      placement(std::make_unique<PlacementState>()) {}

Compilation::~Compilation() = default;

} // namespace kavo
