// TLumadesk's target commands: SpeedResetClick (the simulator's reset, or the SX-Blitz reset
// through the programmer drivers), SpeedStepClick, SpeedRunClick and SpeedStopClick driving
// the simulator target in time slices (runSlice), the stop display (showStop) and
// CompileDebugCopy1Click.
#include "ide/lumadesk_window.hpp"

#include "common/line_tools.hpp"
#include "debugger/debug_program.hpp"
#include "ide/config_window.hpp"
#include "ide/debugger_state.hpp"
#include "ide/source_editor.hpp"
#include "ide/variable_windows.hpp"
#include "programmer/chip_commands.hpp"

#include <QElapsedTimer>
#include <QTextBlock>

#include <QTimer>
#include <algorithm>

namespace kavo::ide {

namespace {

// One slice of simulation keeps the window responsive: Stop acts between two slices.
constexpr qint64 SliceMilliseconds = 20;
constexpr std::uint64_t InstructionsPerCheck = 20'000;
const QString ProgrammerError = "Programmer Error";

// The SX-Blitz reset shows only messages; the rest of a programmer host stays idle.
class ResetHost : public programmer::ProgrammerHost {
public:
    ResetHost(Dialogs& dialogs, QTimer& tick) : dialogs_(dialogs), tick_(tick) {}
    void message(programmer::MessageIcon icon, const std::string& title,
                 const std::string& text) override {
        dialogs_.message(QString::fromStdString(title), QString::fromStdString(text), Buttons::Ok,
                         icon == programmer::MessageIcon::Error ? Icon::Error : Icon::Information);
    }
    programmer::ConfigurationWords configurationFromControls() override { return {}; }
    void showConfiguration(std::uint32_t, std::uint32_t) override {}
    void showMemory() override {}
    void setStatusText(const std::string&) override {}
    void openProgress(programmer::ProgressKind, int) override {}
    void setProgressAddress(const std::string&) override {}
    void setProgressPosition(int) override {}
    void setRemainingTime(const std::string&) override {}
    void tickVerified(programmer::VerifiedPart) override {}
    void finishProgress() override {}
    void closeProgress() override {}
    void processEvents() override {}
    void stopTick() override { tick_.stop(); }
    void restartTick(int milliseconds) override { tick_.start(milliseconds); }

private:
    Dialogs& dialogs_;
    QTimer& tick_;
};

} // namespace

bool TLumadesk::simulatorTarget() const {
    return ConfigWindow->programmerType() == SimulatorTarget;
}

bool TLumadesk::debugRunning() const {
    return debug_->session && debug_->session->state() == debugger::SessionState::Running;
}

// The session is loaded from the last compile's outputs the first time it is needed.
bool TLumadesk::ensureSession() {
    if (debug_->session)
        return true;
    debugger::DebugFiles files;
    files.object = objectPath().toStdString();
    files.listing = listingPath().toStdString();
    // The compile the IDE runs writes a map only where a map folder is configured.
    if (!settings_.mapDir.empty())
        files.map = outputPath(settings_.mapDir, settings_.mapExtension).toStdString();
    files.assembly = outputPath(settings_.asmDir, settings_.asmExtension).toStdString();
    files.source = currentFile_.toStdString();
    try {
        const debugger::DebugProgram program = debugger::loadDebugProgram(files);
        debug_->session.emplace(program.image, program.lines);
    } catch (const std::exception& e) {
        dialogs_->message(
            MessageTitle,
            QString("Cannot start the simulator: %1").arg(QString::fromUtf8(e.what())), Buttons::Ok,
            Icon::Error);
        return false;
    }
    debug_->previousValues.clear();
    debug_->currentValues.clear();
    return true;
}

void TLumadesk::SpeedResetClick() {
    const QString type = ConfigWindow->programmerType();
    if (type == SimulatorTarget) {
        if (debugRunning())
            debug_->runTimer->stop();
        if (!ensureSession())
            return;
        debug_->session->reset();
        debug_->previousValues.clear();
        debug_->currentValues.clear();
        showStop();
    } else if (type == programmer::SxBlitzProgrammer) {
        ResetHost host(*dialogs_, *Timer1);
        programmer::ProgrammerConnection connection;
        connection.serialPort = settings_.serialPortName;
        connection.parallelPort = settings_.parallelPort;
        if (chipRunner_ == nullptr || !chipRunner_->resetTarget(connection, host))
            dialogs_->message(ProgrammerError, "Reset failed.", Buttons::Ok, Icon::Error);
    } else if (type != programmer::IspProgrammer) {
        dialogs_->message(ProgrammerError, "Programmer not supported yet", Buttons::Ok,
                          Icon::Error);
    }
}

void TLumadesk::SpeedStepClick() {
    startSimulation(true);
}

void TLumadesk::SpeedRunClick() {
    startSimulation(false);
}

// Only the simulator target has a link; the "Lumadesk" hardware target has none in this build.
void TLumadesk::startSimulation(bool step) {
    if (!simulatorTarget() || debugRunning() || !ensureSession())
        return;
    applyPendingModifications();
    if (step) {
        debug_->session->startStep();
    } else {
        debug_->session->setBreakpointLines(debug_->breakpoints.activeLines());
        debug_->session->startRun();
    }
    setStatus(1, step ? "Stepping..." : "Running...");
    debug_->runTimer->start(0);
}

void TLumadesk::runSlice() {
    if (!debug_->session) {
        debug_->runTimer->stop();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    while (debug_->session->advance(InstructionsPerCheck) == debugger::SessionState::Running &&
           clock.elapsed() < SliceMilliseconds) {
    }
    if (!debugRunning()) {
        debug_->runTimer->stop();
        showStop();
    }
}

void TLumadesk::SpeedStopClick() {
    if (!debugRunning())
        return;
    debug_->session->stop();
    debug_->runTimer->stop();
    showStop();
}

// The stopped line is marked and shown, the monitor gets the values of this stop, and the
// status bar the cycle count.
void TLumadesk::showStop() {
    const debugger::DebugSession& session = *debug_->session;
    const std::optional<int> line = session.currentLine();
    EditWindow->setExecutionLine(line ? *line - 1 : -1);
    if (line) {
        QTextCursor caret(EditWindow->document()->findBlockByNumber(*line - 1));
        EditWindow->setTextCursor(caret);
        EditWindow->ensureCursorVisible();
    }
    debug_->previousValues = debug_->currentValues;
    debug_->currentValues.clear();
    for (const debugger::VariableRecord& record : debug_->variables)
        debug_->currentValues[record.address] =
            session.readValue(static_cast<unsigned>(record.address), record.size);
    VarMonWin->VarMonitorClick();

    const QString cycles = QString("%1 cycles").arg(session.cycles());
    if (session.state() == debugger::SessionState::Ended)
        setStatus(1, QString("Program ended (%1) - %2")
                         .arg(sxsim::stopReasonName(session.endReason()), cycles));
    else if (line)
        setStatus(1, QString("Stopped at line %1 - %2").arg(*line).arg(cycles));
    else
        setStatus(1, QString("Stopped at %1h - %2")
                         .arg(QString::number(session.pc(), 16).rightJustified(3, '0').toUpper(),
                              cycles));
}

void TLumadesk::applyPendingModifications() {
    if (!debug_->session || debugRunning())
        return;
    for (debugger::PendingModification& m : debug_->modifications) {
        if (m.written)
            continue;
        const auto record = std::find_if(
            debug_->variables.begin(), debug_->variables.end(),
            [&m](const debugger::VariableRecord& r) { return r.address == m.address; });
        const int size = record != debug_->variables.end() ? record->size : 1;
        debug_->session->writeValue(static_cast<unsigned>(m.address), size,
                                    static_cast<unsigned>(m.value));
        debug_->currentValues[m.address] = static_cast<unsigned>(m.value);
        m.written = true;
    }
    VarMonWin->VarMonitorClick();
}

// A compile whose outputs are taken in at once, the simulator reset to the new program.
void TLumadesk::CompileDebugCopy1Click() {
    SpeedCompileClick();
    if (statusText(1) != "Compilation completed successfully.")
        return;
    loadVariables(true);
    if (simulatorTarget() && ensureSession())
        showStop();
}

} // namespace kavo::ide
