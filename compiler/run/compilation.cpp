#include "compiler/run/compilation.hpp"

#include "compiler/tables/placement_state.hpp"

namespace kavo {

Compilation::Compilation(CompilerSettings& settings, CompilerIo& io)
    : settings(settings), diagnostics(io), nodes(diagnostics, strings, currentLine),
      items(diagnostics), pragmas(diagnostics), programImage(ProgramImageWords, FreeWord),
      symbols(diagnostics), instructions(diagnostics), callTree(diagnostics),
      placement(std::make_unique<PlacementState>()) {}

Compilation::~Compilation() = default;

} // namespace kavo
