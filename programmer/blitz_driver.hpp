// The SX-Blitz driver: the programmer answers the SX-Key greeting, echoes every byte the PC
// sends, and sends its status and data bytes negated. Internal to the drivers.
#pragma once

#include "programmer/chip_commands.hpp"
#include "programmer/port_link.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kavo::programmer {

class ProgressWindow;

class BlitzDriver {
public:
    BlitzDriver(PortLink& link, ProgrammerHost& host) : link_(link), host_(host) {}

    bool BlitzConnect();
    bool BlitzProgReadClick(ChipSession& session);
    bool BlitzProgEraseClick(ChipSession& session);
    bool BlitzProgBlankCheckClick(ChipSession& session);
    bool BlitzProgVerifyClick(ChipSession& session);
    bool BlitzProgProgramClick(ChipSession& session);
    // The debugger's target reset.
    bool BlitzSpeedResetClick();
    void displayBlitzError(int status);

    // The sequences that start with the chip's identification words, for their texts.
    enum class Purpose { Read, BlankCheck, Verify };

private:
    struct Identification {
        std::uint32_t device;
        std::uint32_t fusex;
        std::uint32_t fuse;
    };
    using WordSink = std::function<void(int address, std::uint32_t word)>;

    std::optional<Identification> identify(Purpose purpose);
    std::optional<std::uint32_t> receiveWord(const std::string& failed, const char* name);
    bool readWords(ChipSession& session, Purpose purpose, ProgressWindow& progress,
                   const WordSink& sink);
    bool eraseChip(int eraseTimeMs, bool withMessages);
    bool programConfigWord(int timeMs, const char* name, std::uint32_t word);
    bool programWords(ChipSession& session);
    bool blockStatus(int timeoutMs, const std::string& failed);
    std::uint8_t timeByte(int milliseconds, const char* name);
    void release();
    bool fail(const std::string& text);

    PortLink& link_;
    ProgrammerHost& host_;
};

} // namespace kavo::programmer
