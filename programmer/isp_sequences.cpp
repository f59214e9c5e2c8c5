// The RS232 ISP chip sequences that read the chip: `OrvoProgReadClick`,
// `OrvoProgEraseClick`, `OrvoProgBlankCheckClick` and `OrvoProgVerifyClick`. Memory words come
// as a stream after command 0x17, two bytes a word, high byte first.
#include "programmer/isp_driver.hpp"

#include "programmer/sequence_scope.hpp"

#include <algorithm>

namespace kavo::programmer {

namespace {

constexpr int FuseTries = 16;
constexpr int FuseRereads = 6;
constexpr int VerifySettleMs = 4000;
constexpr std::uint32_t VerifiedFusexBits = 0x4FF;

int words(const ChipSession& session) {
    return static_cast<int>(std::min(session.memoryWords, ProgramMemoryWords));
}

} // namespace

bool IspDriver::OrvoProgReadClick(ChipSession& session) {
    TickPause tick(host_);
    const int oscillatorClass = host_.configurationFromControls().oscillatorClass;
    if (!programmerCheck())
        return false;
    setTargetBit();
    session.readCancel = false;
    ProgressWindow progress(host_, ProgressKind::Read, words(session) + 1);
    progress.show(0, 1);
    if (!ispCommand(isp::EnterIsp, oscillatorClass))
        return false;
    const auto fuse = readWrittenWord(FuseTries, false);
    const auto fusex = fuse ? readRegister(isp::ReadFusex) : std::nullopt;
    const auto device = fusex ? readRegister(isp::ReadDevice) : std::nullopt;
    if (!device || !readWrittenWord(FuseRereads, false) || !ispCommand(isp::NextAddress) ||
        !ispCommand(isp::ReadMemory, words(session)))
        return false;
    for (int address = 0; address < words(session); ++address) {
        const auto word = nextMemoryWord();
        if (!word)
            return false;
        session.readBuffer[static_cast<std::size_t>(address)] = *word;
        progress.show(address, address + 1);
        host_.processEvents();
        if (session.readCancel) {
            host_.setStatusText("Cancelled.");
            return false;
        }
    }
    endMemoryStream();
    if (!ispCommand(isp::LeaveIsp))
        return false;
    session.deviceWord = *device;
    std::copy_n(session.readBuffer.begin(), words(session), session.image.words.begin());
    session.image.fuse = *fuse;
    session.image.fusex = *fusex;
    host_.showMemory();
    host_.showConfiguration(*fuse, *fusex);
    return true;
}

bool IspDriver::OrvoProgEraseClick(ChipSession& session) {
    TickPause tick(host_);
    const int oscillatorClass = host_.configurationFromControls().oscillatorClass;
    return programmerCheck() && enterProgrammingMode(oscillatorClass) &&
           eraseCommands(session.times.erase) && ispCommand(isp::LeaveIsp).has_value();
}

bool IspDriver::OrvoProgBlankCheckClick(ChipSession& session) {
    TickPause tick(host_);
    const int oscillatorClass = host_.configurationFromControls().oscillatorClass;
    if (!programmerCheck())
        return false;
    session.readCancel = false;
    ProgressWindow progress(host_, ProgressKind::BlankCheck, words(session) + 1);
    if (!enterProgrammingMode(oscillatorClass) || !readWrittenWord(FuseTries, true) ||
        !ispCommand(isp::NextAddress) || !ispCommand(isp::ReadMemory, words(session)))
        return false;
    bool blank = true;
    for (int address = 0; address < words(session) && blank; ++address) {
        const auto word = nextMemoryWord();
        if (!word)
            return false;
        blank = *word == ErasedWord;
        progress.show(address, address + 1);
        host_.processEvents();
        if (session.readCancel) {
            host_.setStatusText("Cancelled.");
            return false;
        }
    }
    endMemoryStream();
    if (!ispCommand(isp::LeaveIsp))
        return false;
    progress.finish();
    host_.message(MessageIcon::Information, "Blank Check Results",
                  blank ? "Program Memory is Blank" : "Program Memory is Not Blank");
    return blank;
}

// FUSEX is compared in the option bits only: the others hold the chip's own calibration.
bool IspDriver::OrvoProgVerifyClick(ChipSession& session) {
    TickPause tick(host_);
    const ConfigurationWords expected = host_.configurationFromControls();
    if (!programmerCheck())
        return false;
    setTargetBit();
    session.readCancel = false;
    ProgressWindow progress(host_, ProgressKind::Verify, words(session) + 1);
    if (!enterProgrammingMode(expected.oscillatorClass))
        return false;
    bool passed = true;
    auto check = [&](bool matches, VerifiedPart part) {
        if (matches)
            host_.tickVerified(part);
        passed = passed && matches;
    };
    const auto fuse = readWrittenWord(FuseTries, true);
    if (!fuse)
        return false;
    check(*fuse == (expected.fuse & 0xFFF), VerifiedPart::Fuse);
    const auto fusex = readRegister(isp::ReadFusex);
    if (!fusex)
        return false;
    check((*fusex & VerifiedFusexBits) == (expected.fusex & VerifiedFusexBits),
          VerifiedPart::Fusex);
    const auto device = readRegister(isp::ReadDevice);
    if (!device)
        return false;
    check(session.deviceWord == ErasedWord || session.deviceWord == *device, VerifiedPart::Device);
    session.deviceWord = *device;
    if (!readRegister(isp::ReadData) || !ispCommand(isp::NextAddress) ||
        !ispCommand(isp::ReadMemory, words(session)))
        return false;
    bool memoryMatches = true;
    for (int address = 0; address < words(session); ++address) {
        const auto word = nextMemoryWord();
        if (!word)
            return false;
        memoryMatches = memoryMatches &&
                        *word == (session.image.words[static_cast<std::size_t>(address)] & 0xFFF);
        progress.show(address, address + 1);
        host_.processEvents();
        if (session.readCancel) {
            host_.setStatusText("Cancelled.");
            return false;
        }
    }
    check(memoryMatches, VerifiedPart::Memory);
    link_.wait(VerifySettleMs);
    endMemoryStream();
    if (!ispCommand(isp::LeaveIsp))
        return false;
    progress.finish();
    if (!passed)
        host_.message(MessageIcon::Error, "Verify Results", "Verify Failed!");
    session.readCancel = true;
    return passed;
}

} // namespace kavo::programmer
