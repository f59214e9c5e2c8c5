// The programmer host of `sxprog`: messages and a progress line on standard error, the
// configuration words of the file being programmed in place of the window's option controls.
// On a terminal the progress line is rewritten in place; in a log it is a line a quarter.
#pragma once

#include "programmer/chip_commands.hpp"

#include <ostream>
#include <set>
#include <string>

namespace kavo::programmer {

class ConsoleProgrammerHost final : public ProgrammerHost {
public:
    ConsoleProgrammerHost(std::ostream& out, ConfigurationWords words, bool terminal = true)
        : out_(out), words_(words), terminal_(terminal) {}

    void message(MessageIcon icon, const std::string& title, const std::string& text) override;
    ConfigurationWords configurationFromControls() override { return words_; }
    void showConfiguration(std::uint32_t, std::uint32_t) override {}
    void showMemory() override {}
    void setStatusText(const std::string& text) override;

    void openProgress(ProgressKind kind, int maximum) override;
    void setProgressAddress(const std::string& text) override { address_ = text; }
    void setProgressPosition(int position) override;
    void setRemainingTime(const std::string& text) override { remaining_ = text; }
    void tickVerified(VerifiedPart part) override { verified_.insert(part); }
    void finishProgress() override;
    void closeProgress() override { endProgressLine(); }

    void processEvents() override {}
    void stopTick() override {}
    void restartTick(int) override {}

private:
    void endProgressLine();

    std::ostream& out_;
    ConfigurationWords words_;
    bool terminal_;
    ProgressKind kind_ = ProgressKind::Read;
    int maximum_ = 1;
    int shownPercent_ = -1;
    bool lineOpen_ = false;
    std::string address_;
    std::string remaining_;
    std::set<VerifiedPart> verified_;
};

} // namespace kavo::programmer
