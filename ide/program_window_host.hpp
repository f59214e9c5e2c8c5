// ProgramWindowHost: what a programmer driver shows and asks, carried out by the program
// window. Messages become message boxes, progress goes to the window's progress dialogs, the
// option controls give and show the configuration words, and the main window's Timer1 (the
// post-compile reload tick) rests while a driver holds the port.
#pragma once

#include "ide/dialogs.hpp"
#include "programmer/chip_commands.hpp"

class QTimer;

namespace kavo::ide {

class ProgressDialog;
class TProgram;

class ProgramWindowHost : public programmer::ProgrammerHost {
public:
    ProgramWindowHost(TProgram& window, Dialogs& dialogs, QTimer& tick);

    // A command's first error is its one box: the drivers report a failure at each level it
    // passes (the port, the connection, the command), and three boxes in a row say less than
    // the first, which carries the reason. The later ones go to the status line.
    void beginCommand() { errorShown_ = false; }

    void message(programmer::MessageIcon icon, const std::string& title,
                 const std::string& text) override;
    programmer::ConfigurationWords configurationFromControls() override;
    void showConfiguration(std::uint32_t fuse, std::uint32_t fusex) override;
    void showMemory() override;
    void setStatusText(const std::string& text) override;

    void openProgress(programmer::ProgressKind kind, int maximum) override;
    void setProgressAddress(const std::string& text) override;
    void setProgressPosition(int position) override;
    void setRemainingTime(const std::string& text) override;
    void tickVerified(programmer::VerifiedPart part) override;
    void finishProgress() override;
    void closeProgress() override;

    void processEvents() override;
    void stopTick() override;
    void restartTick(int milliseconds) override;

private:
    bool errorShown_ = false;
    TProgram& window_;
    Dialogs& dialogs_;
    QTimer& tick_;
    ProgressDialog* progress_ = nullptr; // the dialog of the command that runs
};

} // namespace kavo::ide
