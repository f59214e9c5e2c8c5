#include "compiler/run/compilation.hpp"

#include "compiler/tables/assembler_names.hpp"

namespace kavo {

Compilation::Compilation(CompilerSettings& settings, CompilerIo& io)
    : settings(settings), diagnostics(io), nodes(diagnostics, strings, currentLine),
      items(diagnostics), pragmas(diagnostics), programImage(ProgramImageWords, FreeWord),
      symbols(diagnostics), instructions(diagnostics), callTree(diagnostics),
      assemblerNames(std::make_unique<AssemblerNames>()) {}

Compilation::~Compilation() = default;

} // namespace kavo
