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

} // namespace

// Command 7 steps from FUSE to word 0, command 0x17 starts the stream; each word goes to the
// sink, which says whether to go on. False when the programmer failed or the user cancelled.
bool IspDriver::streamMemory(ChipSession& session, ProgressWindow& progress,
                             const MemorySink& sink) {
    if (!ispCommand(isp::NextAddress) || !ispCommand(isp::ReadMemory, sessionWords(session)))
        return false;
    for (int address = 0; address < sessionWords(session); ++address) {
        const auto word = nextMemoryWord();
        if (!word)
            return false;
        progress.show(address, address + 1);
        host_.processEvents();
        if (session.readCancel) {
            host_.setStatusText("Cancelled.");
            return false;
        }
        if (!sink(address, *word))
            break;
    }
    endMemoryStream();
    return true;
}

bool IspDriver::OrvoProgReadClick(ChipSession& session) {
    TickPause tick(host_);
    const int oscillatorClass = host_.configurationFromControls().oscillatorClass;
    if (!programmerCheck())
        return false;
    setTargetBit();
    session.readCancel = false;
    ProgressWindow progress(host_, ProgressKind::Read, sessionWords(session) + 1);
    progress.show(0, 1);
    if (!ispCommand(isp::EnterIsp, oscillatorClass))
        return false;
    const auto fuse = readWrittenWord(FuseTries, false);
    const auto fusex = fuse ? readRegister(isp::ReadFusex) : std::nullopt;
    const auto device = fusex ? readRegister(isp::ReadDevice) : std::nullopt;
    auto store = [&](int address, std::uint32_t word) {
        session.readBuffer[static_cast<std::size_t>(address)] = word;
        return true;
    };
    if (!device || !readWrittenWord(FuseRereads, false) ||
        !streamMemory(session, progress, store) || !ispCommand(isp::LeaveIsp))
        return false;
    session.deviceWord = *device;
    std::copy_n(session.readBuffer.begin(), sessionWords(session), session.image.words.begin());
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
    ProgressWindow progress(host_, ProgressKind::BlankCheck, sessionWords(session) + 1);
    bool blank = true;
    auto compare = [&](int, std::uint32_t word) { return blank = word == ErasedWord; };
    if (!enterProgrammingMode(oscillatorClass) || !readWrittenWord(FuseTries, true) ||
        !streamMemory(session, progress, compare) || !ispCommand(isp::LeaveIsp))
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
    ProgressWindow progress(host_, ProgressKind::Verify, sessionWords(session) + 1);
    if (!enterProgrammingMode(expected.oscillatorClass))
        return false;
    VerifyTally tally(host_);
    const auto fuse = readWrittenWord(FuseTries, true);
    if (!fuse)
        return false;
    tally.check(*fuse == (expected.fuse & 0xFFF), VerifiedPart::Fuse);
    const auto fusex = readRegister(isp::ReadFusex);
    if (!fusex)
        return false;
    tally.check((*fusex & VerifiedFusexBits) == (expected.fusex & VerifiedFusexBits),
                VerifiedPart::Fusex);
    const auto device = readRegister(isp::ReadDevice);
    if (!device)
        return false;
    tally.check(session.deviceWord == ErasedWord || session.deviceWord == *device,
                VerifiedPart::Device);
    session.deviceWord = *device;
    bool memoryMatches = true;
    auto compare = [&](int address, std::uint32_t word) {
        memoryMatches = memoryMatches &&
                        word == (session.image.words[static_cast<std::size_t>(address)] & 0xFFF);
        return true;
    };
    if (!readRegister(isp::ReadData) || !streamMemory(session, progress, compare))
        return false;
    tally.check(memoryMatches, VerifiedPart::Memory);
    link_.wait(VerifySettleMs);
    if (!ispCommand(isp::LeaveIsp))
        return false;
    progress.finish();
    session.readCancel = true;
    return tally.report();
}

} // namespace kavo::programmer
