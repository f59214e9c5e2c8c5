// The SX-Blitz chip sequences of the program window: `BlitzProgReadClick`,
// `BlitzProgEraseClick`, `BlitzProgBlankCheckClick`, `BlitzProgVerifyClick` and
// `BlitzProgProgramClick`. Words move in blocks of eight, each block announced by command 8;
// the programmer reports a status between blocks.
#include "programmer/blitz_driver.hpp"

#include "compiler/base/text_format.hpp"
#include "programmer/sequence_scope.hpp"

#include <algorithm>

namespace kavo::programmer {

namespace {

constexpr int BlockWords = 8;
constexpr int StatusTimeoutMs = 1000;
constexpr int ConfigStatusTimeoutMs = 2000;
constexpr int BlockStatusTimeoutMs = 8000;
constexpr int ErasePassMs = 200;
constexpr std::uint8_t ConfigCommand = 1;
constexpr std::uint8_t ProgramCommand = 2;
constexpr std::uint8_t BlockCommand = 8;
constexpr int LargestTimeByte = 255;

} // namespace

bool BlitzDriver::blockStatus(int timeoutMs, const std::string& failed) {
    const auto status = link_.receiveNegated(timeoutMs);
    if (!status)
        return fail(failed + " Timedout waiting for status.");
    if (*status != 0) {
        displayBlitzError(*status);
        return false;
    }
    return true;
}

// The words after the identification: a status before every block but the first (the status
// of the read command stands for it), then command 8 and the block's words.
bool BlitzDriver::readWords(ChipSession& session, Purpose purpose, ProgressWindow& progress,
                            const WordSink& sink) {
    const std::string failed =
        purpose == Purpose::BlankCheck ? "Blank Check failed." : "Read failed.";
    for (int address = 0; address < sessionWords(session); ++address) {
        if (address % BlockWords == 0) {
            host_.processEvents();
            if (session.readCancel) {
                host_.setStatusText("Cancelled.");
                return false;
            }
            if (address > 0 && !blockStatus(StatusTimeoutMs, failed))
                return false;
            link_.sendAndAnswer(BlockCommand);
        }
        const auto word = receiveWord(failed, "program data");
        if (!word)
            return false;
        sink(address, *word);
        progress.show(address, address + 1);
    }
    return true;
}

bool BlitzDriver::BlitzProgReadClick(ChipSession& session) {
    TickPause tick(host_);
    session.readCancel = false;
    ProgressWindow progress(host_, ProgressKind::Read, sessionWords(session) + 1);
    const auto id = identify(Purpose::Read);
    if (!id)
        return false;
    session.deviceWord = id->device;
    auto store = [&](int address, std::uint32_t word) {
        session.readBuffer[static_cast<std::size_t>(address)] = word;
    };
    if (!readWords(session, Purpose::Read, progress, store))
        return false;
    release();
    std::copy_n(session.readBuffer.begin(), sessionWords(session), session.image.words.begin());
    session.image.fuse = id->fuse;
    session.image.fusex = id->fusex;
    host_.showMemory();
    host_.showConfiguration(id->fuse, id->fusex);
    host_.setStatusText(
        strprintf("Device = %03X FuseX = %03X Fuse = %03X", id->device, id->fusex, id->fuse));
    return true;
}

bool BlitzDriver::eraseChip(int eraseTimeMs, bool withMessages) {
    if (!BlitzConnect())
        return withMessages ? fail("Erase Failed.") : false;
    link_.drain();
    for (int elapsed = 0; elapsed < eraseTimeMs; elapsed += ErasePassMs) {
        link_.sendAndAnswer(ConfigCommand);
        link_.sendAndAnswer(ErasePassMs);
        const auto status = link_.receiveNegated(StatusTimeoutMs);
        if (!status)
            return withMessages ? fail("Erase Failed. Timedout waiting for status.") : false;
        if (*status != 0)
            return withMessages ? fail(strprintf("Erase Failed. Error Code: 0x%02X", *status))
                                : false;
    }
    release();
    return true;
}

bool BlitzDriver::BlitzProgEraseClick(ChipSession& session) {
    TickPause tick(host_);
    if (!eraseChip(session.times.erase, true))
        return false;
    host_.message(MessageIcon::Information, "Erase", "Erase completed.");
    return true;
}

bool BlitzDriver::BlitzProgBlankCheckClick(ChipSession& session) {
    TickPause tick(host_);
    session.readCancel = false;
    ProgressWindow progress(host_, ProgressKind::BlankCheck, sessionWords(session) + 1);
    const auto id = identify(Purpose::BlankCheck);
    if (!id)
        return false;
    session.deviceWord = id->device;
    bool blank = true;
    auto compare = [&](int, std::uint32_t word) { blank = blank && word == ErasedWord; };
    if (!readWords(session, Purpose::BlankCheck, progress, compare))
        return false;
    release();
    progress.finish();
    host_.message(MessageIcon::Information, "Blank Check Results",
                  blank ? "Device is blank" : "Device is not blank!");
    return blank;
}

// The device word is compared only with one read from the chip earlier; the first verify of
// a session takes the chip's.
bool BlitzDriver::BlitzProgVerifyClick(ChipSession& session) {
    TickPause tick(host_);
    const ConfigurationWords expected = host_.configurationFromControls();
    session.readCancel = false;
    ProgressWindow progress(host_, ProgressKind::Verify, sessionWords(session) + 1);
    const auto id = identify(Purpose::Verify);
    if (!id)
        return false;
    VerifyTally tally(host_);
    tally.check(session.deviceWord == ErasedWord || session.deviceWord == id->device,
                VerifiedPart::Device);
    session.deviceWord = id->device;
    tally.check(id->fusex == (expected.fusex & 0xFFF), VerifiedPart::Fusex);
    tally.check(id->fuse == (expected.fuse & 0xFFF), VerifiedPart::Fuse);
    bool memoryMatches = true;
    auto compare = [&](int address, std::uint32_t word) {
        const auto expectedWord = session.image.words[static_cast<std::size_t>(address)] & 0xFFF;
        memoryMatches = memoryMatches && word == expectedWord;
    };
    if (!readWords(session, Purpose::Verify, progress, compare))
        return false;
    tally.check(memoryMatches, VerifiedPart::Memory);
    release();
    progress.finish();
    return tally.report();
}

// Programming times travel as one byte; a longer time is sent as the longest one byte holds
// (255 ms is several times what the chip's flash needs) and the user is told.
std::uint8_t BlitzDriver::timeByte(int milliseconds, const char* name) {
    if (milliseconds > LargestTimeByte) {
        host_.setStatusText(strprintf("%s programming time %d ms is sent as %d ms.", name,
                                      milliseconds, LargestTimeByte));
        return LargestTimeByte;
    }
    return static_cast<std::uint8_t>(std::max(milliseconds, 0));
}

bool BlitzDriver::programConfigWord(int timeMs, const char* name, std::uint32_t word) {
    link_.sendAndAnswer(ConfigCommand);
    link_.sendAndAnswer(timeByte(timeMs, name));
    link_.sendAndAnswer(static_cast<std::uint8_t>(word & 0xFF));
    link_.sendAndAnswer(static_cast<std::uint8_t>((word >> 8) & 0x0F));
    return blockStatus(ConfigStatusTimeoutMs, "Program failed.");
}

// A status comes before every block, the first included, and after the last one, so that a
// failure in the last eight words is reported too.
bool BlitzDriver::programWords(ChipSession& session) {
    const std::uint8_t wordTime = timeByte(session.times.e2flash, "Program memory");
    ProgressWindow progress(host_, ProgressKind::Program, sessionWords(session) + 1);
    RemainingTime remaining(sessionWords(session));
    for (int address = 0; address < sessionWords(session); ++address) {
        if (address % BlockWords == 0) {
            host_.processEvents();
            if (session.programCancel) {
                host_.setStatusText("Cancelled.");
                return false;
            }
            if (!blockStatus(BlockStatusTimeoutMs, "Program failed."))
                return false;
            link_.sendAndAnswer(BlockCommand);
            link_.sendAndAnswer(wordTime);
        }
        const std::uint32_t word = session.image.words[static_cast<std::size_t>(address)];
        if (!link_.sendAndAnswer(static_cast<std::uint8_t>(word & 0xFF)))
            return fail("Program failed. Timedout waiting for Fuse Word (low).");
        if (!link_.sendAndAnswer(static_cast<std::uint8_t>((word >> 8) & 0x0F)))
            return fail("Program failed. Timedout waiting for Fuse Word (Hi).");
        progress.show(address, address + 1);
        host_.setRemainingTime(remaining.after(address + 1));
    }
    return blockStatus(BlockStatusTimeoutMs, "Program failed.");
}

bool BlitzDriver::BlitzProgProgramClick(ChipSession& session) {
    TickPause tick(host_);
    const ConfigurationWords configuration = host_.configurationFromControls();
    session.programCancel = false;
    if (!eraseChip(session.times.erase, false))
        return fail("Erase failed.  Could not program device.");
    if (!BlitzConnect())
        return fail("Program failed.");
    link_.drain();
    link_.sendAndAnswer(ProgramCommand);
    const auto status = link_.receive(StatusTimeoutMs);
    if (!status)
        return fail("Program failed. Timedout waiting for status.");
    if (*status != 0)
        return fail(strprintf("Program failed. Error Code: 0x%02X", *status));
    if (!programConfigWord(session.times.fusex, "FUSEX", configuration.fusex) ||
        !programConfigWord(session.times.fuse, "FUSE", configuration.fuse) ||
        !programWords(session))
        return false;
    release();
    return true;
}

} // namespace kavo::programmer
