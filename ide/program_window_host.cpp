// ProgramWindowHost.
#include "ide/program_window_host.hpp"

#include "ide/program_window.hpp"
#include "ide/progress_dialogs.hpp"

#include <QCoreApplication>
#include <QTimer>

namespace kavo::ide {

ProgramWindowHost::ProgramWindowHost(TProgram& window, Dialogs& dialogs, QTimer& tick)
    : window_(window), dialogs_(dialogs), tick_(tick) {}

void ProgramWindowHost::message(programmer::MessageIcon icon, const std::string& title,
                                const std::string& text) {
    if (icon == programmer::MessageIcon::Error) {
        if (errorShown_) {
            setStatusText(text);
            return;
        }
        errorShown_ = true;
    }
    dialogs_.message(QString::fromStdString(title), QString::fromStdString(text), Buttons::Ok,
                     icon == programmer::MessageIcon::Error ? Icon::Error : Icon::Information);
}

programmer::ConfigurationWords ProgramWindowHost::configurationFromControls() {
    return programmer::computeConfigurationWords(window_.options());
}

void ProgramWindowHost::showConfiguration(std::uint32_t fuse, std::uint32_t fusex) {
    window_.showOptions(programmer::optionsFromConfigurationWords(fuse, fusex, window_.options()));
}

void ProgramWindowHost::showMemory() {
    window_.showMemory();
}

void ProgramWindowHost::setStatusText(const std::string& text) {
    window_.setStatusText(QString::fromStdString(text));
}

void ProgramWindowHost::openProgress(programmer::ProgressKind kind, int maximum) {
    progress_ = window_.progressDialog(kind);
    progress_->start(maximum);
}

void ProgramWindowHost::setProgressAddress(const std::string& text) {
    if (progress_ != nullptr)
        progress_->setAddress(QString::fromStdString(text));
}

void ProgramWindowHost::setProgressPosition(int position) {
    if (progress_ != nullptr)
        progress_->setPosition(position);
}

void ProgramWindowHost::setRemainingTime(const std::string& text) {
    window_.ProgMem->setRemaining(QString::fromStdString(text));
}

void ProgramWindowHost::tickVerified(programmer::VerifiedPart part) {
    window_.VerifyMem->tick(part);
}

void ProgramWindowHost::finishProgress() {
    if (progress_ != nullptr)
        progress_->finish();
}

void ProgramWindowHost::closeProgress() {
    if (progress_ != nullptr)
        progress_->dismiss();
    progress_ = nullptr;
}

void ProgramWindowHost::processEvents() {
    QCoreApplication::processEvents();
}

void ProgramWindowHost::stopTick() {
    tick_.stop();
}

void ProgramWindowHost::restartTick(int milliseconds) {
    tick_.start(milliseconds);
}

} // namespace kavo::ide
