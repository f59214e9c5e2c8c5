// runToBreakLines and watchedValueText.
#include "debugger/break_line_run.hpp"

#include "debugger/debug_program.hpp"

#include <stdexcept>

namespace kavo::debugger {

namespace {

// All records of the variable a name picks (a larger variable is split into several).
std::vector<const VariableRecord*> recordsOf(const std::vector<VariableRecord>& variables,
                                             const std::string& name) {
    const VariableRecord* first = findVariable(variables, name);
    if (first == nullptr)
        throw std::runtime_error("the program has no variable '" + name + "'");
    std::vector<const VariableRecord*> records;
    for (const VariableRecord& r : variables) {
        if (r.name == first->name && r.scope == first->scope && r.address >= first->address)
            records.push_back(&r);
    }
    return records;
}

void checkLinesHaveCode(const sxsim::SxsimOptions& options, const LineMap& lines) {
    for (int line : options.breakLines) {
        if (lines.entriesOfLine(line).empty())
            throw std::runtime_error(
                "line " + std::to_string(line) + " of " +
                (options.sourceFile.empty() ? std::string("the source") : options.sourceFile) +
                " produced no code");
    }
}

} // namespace

std::string watchedValueText(const DebugSession& session,
                             const std::vector<VariableRecord>& variables,
                             const std::string& name) {
    const std::vector<const VariableRecord*> records = recordsOf(variables, name);
    if (records.size() == 1)
        return std::to_string(session.readValue(records[0]->address, records[0]->size));
    std::string text;
    for (const VariableRecord* r : records) {
        for (int byte = 0; byte < r->size; ++byte) {
            if (!text.empty())
                text += ' ';
            text += std::to_string(session.readRam(static_cast<unsigned>(r->address + byte)));
        }
    }
    return text;
}

sxsim::StopReason runToBreakLines(const sxsim::SxsimOptions& options, std::ostream& out) {
    DebugFiles files = filesBesideObject(options.hexFile, options.sourceFile);
    if (!options.mapFile.empty())
        files.map = options.mapFile;
    const DebugProgram program = loadDebugProgram(files);
    checkLinesHaveCode(options, program.lines);
    for (const std::string& name : options.watches)
        recordsOf(program.variables, name);

    DebugSession session(program.image, program.lines, options.device);
    session.setBreakpointLines(options.breakLines);
    std::uint64_t stepsLeft = options.steps;
    for (std::uint64_t stop = 0; stop <= options.continueCount; ++stop) {
        session.startRun();
        const std::uint64_t before = session.steps();
        session.runToStop(stepsLeft);
        stepsLeft -= std::min(stepsLeft, session.steps() - before);
        if (session.state() == SessionState::Ended)
            return session.endReason();
        if (session.state() == SessionState::Running)
            return sxsim::StopReason::StepLimit;
        for (const std::string& name : options.watches)
            out << name << " = " << watchedValueText(session, program.variables, name) << "\n";
    }
    return sxsim::StopReason::Breakpoint;
}

} // namespace kavo::debugger
