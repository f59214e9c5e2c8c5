// A programmer host that remembers what the drivers showed and did to the window, for tests.
#pragma once

#include "programmer/chip_commands.hpp"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kavo::testing {

using namespace kavo::programmer;

struct ShownMessage {
    MessageIcon icon;
    std::string title;
    std::string text;
};

class RecordingHost final : public ProgrammerHost {
public:
    ConfigurationWords words;
    std::vector<ShownMessage> messages;
    std::vector<std::string> statusTexts;
    int tickStops = 0;
    int tickRestarts = 0;
    int lastTickInterval = 0;
    int progressOpened = 0;
    int progressFinished = 0;
    int progressClosed = 0;
    int lastPosition = 0;
    std::string lastAddress;
    std::set<VerifiedPart> verified;
    int eventsProcessed = 0;
    int memoryShown = 0;
    std::optional<std::pair<std::uint32_t, std::uint32_t>> shownConfiguration;
    std::function<void()> onEvents;

    void message(MessageIcon icon, const std::string& title, const std::string& text) override {
        messages.push_back({icon, title, text});
    }
    ConfigurationWords configurationFromControls() override { return words; }
    void showConfiguration(std::uint32_t fuse, std::uint32_t fusex) override {
        shownConfiguration = {fuse, fusex};
    }
    void showMemory() override { ++memoryShown; }
    void setStatusText(const std::string& text) override { statusTexts.push_back(text); }
    void openProgress(ProgressKind, int) override { ++progressOpened; }
    void setProgressAddress(const std::string& text) override { lastAddress = text; }
    void setProgressPosition(int position) override { lastPosition = position; }
    void setRemainingTime(const std::string&) override {}
    void tickVerified(VerifiedPart part) override { verified.insert(part); }
    void finishProgress() override { ++progressFinished; }
    void closeProgress() override { ++progressClosed; }
    void processEvents() override {
        ++eventsProcessed;
        if (onEvents)
            onEvents();
    }
    void stopTick() override { ++tickStops; }
    void restartTick(int milliseconds) override {
        ++tickRestarts;
        lastTickInterval = milliseconds;
    }

    // Every stop was followed by a restart at 20 ms.
    bool tickRunning() const {
        return tickStops > 0 && tickStops == tickRestarts && lastTickInterval == 20;
    }
    // Each progress dialog opened was closed or finished.
    bool progressEnded() const { return progressOpened == progressFinished + progressClosed; }
    std::vector<std::string> texts() const {
        std::vector<std::string> all;
        for (const auto& m : messages)
            all.push_back(m.text);
        return all;
    }
    bool showed(const std::string& title, const std::string& text) const {
        for (const auto& m : messages)
            if (m.title == title && m.text == text)
                return true;
        return false;
    }
};

} // namespace kavo::testing
