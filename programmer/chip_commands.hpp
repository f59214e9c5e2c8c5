// The contract between the programmer drivers and the program that runs them. A chip command
// (read, erase, blank check, verify, program) works on a ChipSession: the program memory image
// with its FUSE and FUSEX words, the chip read buffer, the device size, the cancel flags and the
// programming times. Everything a driver shows or asks goes through a ProgrammerHost: the IDE's
// program window implements it with its dialogs, `sxprog` with lines on standard error. The
// window reaches the drivers only through a ChipCommandRunner, so its tests can run a scripted one.
#pragma once

#include "programmer/program_image.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kavo::programmer {

enum class ChipCommand { Read, Erase, BlankCheck, Verify, Program };

// The programmer types the configuration window offers and the drivers understand.
inline constexpr const char* SxBlitzProgrammer = "SX-Blitz";
inline constexpr const char* IspProgrammer = "Lumadesk";

// Words the chip read buffer holds; a read copies its first `memoryWords` into the image.
constexpr std::size_t ChipReadBufferWords = 8192;

// Milliseconds, as the configuration window and the settings give them.
struct ProgrammingTimes {
    int erase = 1000;
    int fuse = 100;
    int fusex = 100;
    int e2flash = 50;
};

struct ChipSession {
    explicit ChipSession(ProgramImage& programImage) : image(programImage) {}

    ProgramImage& image; // FUSE and FUSEX live in the image
    std::vector<std::uint32_t> readBuffer =
        std::vector<std::uint32_t>(ChipReadBufferWords, ErasedWord);
    std::size_t memoryWords = 2048;
    std::uint32_t deviceWord = ErasedWord;
    bool readCancel = false;
    bool programCancel = false;
    ProgrammingTimes times;
};

// Where the programmer is attached: the programmer type text, the serial port ("COM1:".."COM4:"
// or any device path) and the parallel port number whose data register bit 4 the ISP programmer
// uses.
struct ProgrammerConnection {
    std::string programmerType = SxBlitzProgrammer;
    std::string serialPort = "COM1:";
    int parallelPort = 1;
};

// The words the option controls give: FUSE, FUSEX and the oscillator class the ISP programmer
// enters programming mode with.
struct ConfigurationWords {
    std::uint32_t fuse = ErasedWord;
    std::uint32_t fusex = ErasedWord;
    int oscillatorClass = 3;
};

enum class MessageIcon { Error, Information };
enum class ProgressKind { Read, BlankCheck, Program, Verify };
enum class VerifiedPart { Device, Memory, Fuse, Fusex };

class ProgrammerHost {
public:
    virtual ~ProgrammerHost() = default;

    // A message box (title, text); returns when the user has read it.
    virtual void message(MessageIcon icon, const std::string& title, const std::string& text) = 0;

    // The configuration words of the option controls, and their inverse after a chip read.
    virtual ConfigurationWords configurationFromControls() = 0;
    virtual void showConfiguration(std::uint32_t fuse, std::uint32_t fusex) = 0;
    // Redisplays the image after a read filled it.
    virtual void showMemory() = 0;
    virtual void setStatusText(const std::string& text) = 0;

    // The progress dialog of a sequence: opened with its bar's maximum, fed the address text
    // ("%03X"), the bar position and (programming) the remaining time ("%02d:%02d"); finished
    // turns its Cancel button into "OK"; closed on failure or at the end.
    virtual void openProgress(ProgressKind kind, int maximum) = 0;
    virtual void setProgressAddress(const std::string& text) = 0;
    virtual void setProgressPosition(int position) = 0;
    virtual void setRemainingTime(const std::string& text) = 0;
    virtual void tickVerified(VerifiedPart part) = 0;
    virtual void finishProgress() = 0;
    virtual void closeProgress() = 0;

    // Lets pending window events run, so a Cancel button can set the session's cancel flags.
    virtual void processEvents() = 0;

    // The debug tick must not touch the port or reload files while a sequence holds the port.
    virtual void stopTick() = 0;
    virtual void restartTick(int milliseconds) = 0;
};

class ChipCommandRunner {
public:
    virtual ~ChipCommandRunner() = default;

    // Runs one chip command with the programmer the connection names. False when it failed
    // (the host has been told why); a failure leaves the image, FUSE and FUSEX as they were,
    // except that a read keeps what it received.
    virtual bool run(ChipCommand command, const ProgrammerConnection& connection,
                     ChipSession& session, ProgrammerHost& host) = 0;

    // Resets the target through the SX-Blitz (used by the debugger's Reset).
    virtual bool resetTarget(const ProgrammerConnection& connection, ProgrammerHost& host) = 0;
};

} // namespace kavo::programmer
