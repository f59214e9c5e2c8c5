// The entry of one whole run: compile makes a fresh Compilation, runs the compiler main and
// turns a fatal stop or an exhausted memory into an outcome; fatalStopText formats a stop.
#include "compiler/pipeline/compiler_entry.hpp"

#include "compiler/base/text_format.hpp"
#include "compiler/pipeline/compiler_main.hpp"
#include "compiler/run/compilation.hpp"

namespace kavo {

CompileOutcome compile(CompilerSettings& settings, CompilerIo& io,
                       const std::vector<std::string>& argv) {
    CompileOutcome outcome;
    Compilation c(settings, io);
    try {
        outcome.mainResult = compilerMain(c, argv);
    } catch (const FatalStop& stop) {
        outcome.fatal = stop;
    } catch (const std::bad_alloc&) {
        c.message("FATAL ERROR: MALLOC failed, out of memory!\n");
        outcome.fatal = FatalStop(fatal::OutOfMemory);
    }
    closeOutputs(c);
    outcome.errors = c.errors();
    outcome.success = c.successFlag && !outcome.fatal;
    return outcome;
}

std::string fatalStopText(const FatalStop& stop) {
    return strprintf("Error Location Number: %d Error Status Code: %d", stop.location, stop.status);
}

} // namespace kavo
