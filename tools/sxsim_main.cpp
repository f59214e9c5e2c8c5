// sxsim: runs an SX program from an Intel HEX file and reports how and where it stopped.
#include "debugger/break_line_run.hpp"
#include "simulator/core.hpp"
#include "simulator/program_loader.hpp"
#include "simulator/state_report.hpp"
#include "simulator/sxsim_options.hpp"

#include <iostream>

namespace {

int exitStatusFor(sxsim::StopReason reason) {
    switch (reason) {
    case sxsim::StopReason::SelfJump:
    case sxsim::StopReason::Sleep:
    case sxsim::StopReason::Breakpoint:
        return 0;
    case sxsim::StopReason::StepLimit:
        return 3;
    default:
        return 4;
    }
}

// With --break-line the watched variables are printed at each stop instead of a report.
int runToSourceLines(const sxsim::SxsimOptions& options) {
    const sxsim::StopReason reason = kavo::debugger::runToBreakLines(options, std::cout);
    if (reason != sxsim::StopReason::Breakpoint)
        std::cerr << "sxsim: the run ended (" << sxsim::stopReasonName(reason)
                  << ") before its last --break-line stop\n";
    return exitStatusFor(reason);
}

int runProgram(const sxsim::SxsimOptions& options) {
    if (!options.breakLines.empty())
        return runToSourceLines(options);
    const sxsim::HexImage image = sxsim::readIntelHexFile(options.hexFile);
    const sxsim::Device device =
        options.device.value_or(sxsim::deviceFor(sxsim::deviceKindFor(image)));
    std::vector<sxsim::NamedVariable> variables;
    if (!options.mapFile.empty()) {
        variables = sxsim::readSymbolFile(options.mapFile);
    }
    if (!options.all) {
        std::erase_if(variables, [](const sxsim::NamedVariable& v) {
            return sxsim::isCompilerRegister(v.name);
        });
    }
    sxsim::Core core(device);
    sxsim::checkVariablesInRam(core, variables);
    sxsim::loadImage(core, image);
    for (unsigned address : options.breakpoints) {
        core.addBreakpoint(address);
    }
    const sxsim::RunResult result = core.run(options.steps);
    std::cout << (options.json ? sxsim::formatJsonReport(core, result, variables)
                               : sxsim::formatTextReport(core, result, variables));
    return exitStatusFor(result.reason);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const sxsim::ParsedOptions parsed = sxsim::parseSxsimOptions(args);
    if (!parsed.options) {
        std::cerr << "sxsim: " << parsed.error << "\nTry 'sxsim --help'.\n";
        return 2;
    }
    if (parsed.options->help) {
        std::cout << sxsim::sxsimUsage();
        return 0;
    }
    try {
        return runProgram(*parsed.options);
    } catch (const std::exception& e) {
        std::cerr << "sxsim: " << e.what() << "\n";
        return 1;
    }
}
