// `OrvoProgProgramClick`, the RS232 ISP programming sequence: erase, FUSE, FUSEX, then every
// word loaded, programmed and read back, with runs of erased words skipped by command 0x22.
#include "programmer/isp_driver.hpp"

#include "compiler/base/text_format.hpp"
#include "programmer/sequence_scope.hpp"

#include <algorithm>

namespace kavo::programmer {

namespace {

constexpr int FuseTries = 16;
constexpr int ModeSettleMs = 400;
constexpr int FirstPulse = 100;
constexpr int LaterPulse = 20;
constexpr int FusexSetting = 20;
constexpr int MsPerRound = 20;
constexpr int LongestSkip = 100;
constexpr std::uint32_t OptionFusexBits = 0x4FF;

// A programming time shorter than one round still gets one, or nothing would be programmed.
int rounds(int milliseconds) {
    return std::max(1, milliseconds / MsPerRound);
}

int erasedRunAfter(const ChipSession& session, int address) {
    int run = 0;
    while (run < LongestSkip && address + run + 1 < sessionWords(session) &&
           (session.image.words[static_cast<std::size_t>(address + run + 1)] & 0xFFF) == ErasedWord)
        ++run;
    return run;
}

} // namespace

// FUSEX keeps the chip's calibration bits and takes its option bits from the controls, so a
// verify (which compares the option bits) agrees with what was programmed.
bool IspDriver::programConfiguration(ChipSession& session, std::uint32_t chipFusex) {
    const ConfigurationWords configuration = host_.configurationFromControls();
    const std::uint32_t fusex =
        (chipFusex & ~OptionFusexBits & 0xFFF) | (configuration.fusex & OptionFusexBits);
    if (!ispCommand(isp::PulseSetting, LaterPulse) ||
        !ispCommand(isp::LoadData, static_cast<int>(configuration.fuse & 0xFFF)))
        return false;
    for (int n = 0; n < rounds(session.times.fuse); ++n) {
        if (!ispCommand(isp::ProgramData))
            return false;
    }
    if (!ispCommand(isp::ReadData) || !ispCommand(isp::FusexSetting, FusexSetting) ||
        !ispCommand(isp::LoadData, static_cast<int>(fusex)))
        return false;
    for (int n = 0; n < rounds(session.times.fusex); ++n) {
        if (!ispCommand(isp::ProgramFusex, static_cast<int>(fusex)))
            return false;
    }
    return ispCommand(isp::ReadFusex).has_value();
}

bool IspDriver::programWord(std::uint32_t word, int tries) {
    if (!ispCommand(isp::LoadData, static_cast<int>(word)))
        return false;
    for (int n = 0; n < tries; ++n) {
        if (!ispCommand(isp::ProgramData))
            return false;
        const auto readBack = readRegister(isp::ReadData);
        if (!readBack)
            return false;
        if (*readBack == word)
            return true;
    }
    host_.message(MessageIcon::Error, "Programming Error.", "Program Memory Location Failed.");
    return false;
}

bool IspDriver::programMemory(ChipSession& session) {
    RemainingTime remaining(sessionWords(session));
    for (int address = 0; address < sessionWords(session); ++address) {
        host_.setProgressAddress(strprintf("%03X", address));
        const std::uint32_t word = session.image.words[static_cast<std::size_t>(address)] & 0xFFF;
        if (word != ErasedWord) {
            if (!programWord(word, rounds(session.times.e2flash)))
                return false;
        } else if (const int run = erasedRunAfter(session, address); run > 0) {
            if (!ispCommand(isp::SkipErased, run))
                return false;
            address += run;
        }
        if (!ispCommand(isp::NextAddress))
            return false;
        host_.setProgressPosition(address + 1);
        host_.setRemainingTime(remaining.after(address + 1));
        host_.processEvents();
        if (session.programCancel) {
            host_.setStatusText("Cancelled.");
            return false;
        }
    }
    return true;
}

bool IspDriver::OrvoProgProgramClick(ChipSession& session) {
    TickPause tick(host_);
    const int oscillatorClass = host_.configurationFromControls().oscillatorClass;
    if (!programmerCheck())
        return false;
    session.programCancel = false;
    ProgressWindow progress(host_, ProgressKind::Program, sessionWords(session) + 1);
    progress.show(0, 0);
    host_.setRemainingTime("00:00");
    if (!ispCommand(isp::PulseSetting, FirstPulse) || !enterProgrammingMode(oscillatorClass))
        return false;
    link_.wait(ModeSettleMs);
    const auto synced = readWrittenWord(FuseTries, false);
    const auto chipFusex = synced ? readRegister(isp::ReadFusex) : std::nullopt;
    const auto device = chipFusex ? readRegister(isp::ReadDevice) : std::nullopt;
    if (!device)
        return false;
    session.deviceWord = *device;
    if (!eraseCommands(session.times.erase) || !ispCommand(isp::LeaveIsp) ||
        !enterProgrammingMode(oscillatorClass) || !readWrittenWord(FuseTries, false) ||
        !programConfiguration(session, *chipFusex))
        return false;
    if (!ispCommand(isp::PulseSetting, LaterPulse) || !ispCommand(isp::LeaveIsp) ||
        !enterProgrammingMode(oscillatorClass) || !readWrittenWord(FuseTries, true) ||
        !ispCommand(isp::NextAddress))
        return false;
    return programMemory(session) && ispCommand(isp::LeaveIsp).has_value();
}

} // namespace kavo::programmer
