// The SX-Blitz connection: `BlitzConnect` (the SX-Key greeting), the identification words that
// open the read, blank check and verify sequences, `displayBlitzError`, the release of the
// chip at the end of an exchange and the target reset `BlitzSpeedResetClick`.
#include "programmer/blitz_driver.hpp"

#include "compiler/base/text_format.hpp"

namespace kavo::programmer {

namespace {

constexpr const char* Greeting = "SX-Key";
constexpr int ByteTimeoutMs = 1000;
constexpr int GreetingTrailerBytes = 3;
constexpr std::uint8_t ReadCommand = 3;
constexpr std::uint8_t NextWordCommand = 1;
constexpr std::uint8_t ReleaseCommand = 4;

// What the programmer answered, readable even when it answered garbage.
std::string printable(const std::string& received) {
    std::string text;
    for (unsigned char c : received)
        text +=
            c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : strprintf("\\x%02X", c);
    return text;
}

std::string failedText(BlitzDriver::Purpose purpose) {
    switch (purpose) {
    case BlitzDriver::Purpose::Read:
        return "Read failed.";
    case BlitzDriver::Purpose::BlankCheck:
        return "Blank Check failed.";
    case BlitzDriver::Purpose::Verify:
        return "Verify failed.";
    }
    return "Read failed.";
}

// The time-out texts of the verify sequence are those of the read.
std::string timeoutPrefix(BlitzDriver::Purpose purpose) {
    return purpose == BlitzDriver::Purpose::BlankCheck ? "Blank Check failed." : "Read failed.";
}

} // namespace

bool BlitzDriver::fail(const std::string& text) {
    host_.message(MessageIcon::Error, ProgrammerErrorTitle, text);
    return false;
}

bool BlitzDriver::BlitzConnect() {
    if (!link_.open())
        return fail("Cannot Open Serial Port... Check Configuration.");
    link_.drain();
    std::string answers;
    // A programmer that does not answer at all is not asked the whole greeting.
    if (link_.sendAndAnswer(0)) {
        for (const char* c = Greeting; *c != '\0'; ++c) {
            const auto answer = link_.sendAndAnswer(static_cast<std::uint8_t>(*c));
            if (!answer)
                break;
            answers += static_cast<char>(*answer);
        }
    }
    if (answers != Greeting) {
        fail(printable(answers));
        return fail("BlitzConnect called 1 ");
    }
    for (int n = 0; n < GreetingTrailerBytes; ++n)
        link_.receive(ByteTimeoutMs);
    return true;
}

void BlitzDriver::displayBlitzError(int status) {
    switch (status) {
    case 1:
        fail("Vpp generation failed.");
        break;
    case 2:
        fail("Chip Connection failed.");
        break;
    case 3:
        fail("Programming failed.");
        break;
    default:
        fail(strprintf("Error code: 0x%02X", status));
        break;
    }
}

std::optional<std::uint32_t> BlitzDriver::receiveWord(const std::string& failed, const char* name) {
    const auto low = link_.receiveNegated(ByteTimeoutMs);
    if (!low) {
        fail(strprintf("%s Timedout waiting for %s (low).", failed.c_str(), name));
        return std::nullopt;
    }
    const auto high = link_.receiveNegated(ByteTimeoutMs);
    if (!high) {
        fail(strprintf("%s Timedout waiting for %s (hi).", failed.c_str(), name));
        return std::nullopt;
    }
    return (static_cast<std::uint32_t>(*high & 0x0F) << 8) | *low;
}

std::optional<BlitzDriver::Identification> BlitzDriver::identify(Purpose purpose) {
    if (!BlitzConnect()) {
        fail(failedText(purpose));
        return std::nullopt;
    }
    link_.drain();
    link_.sendAndAnswer(ReadCommand);
    const auto status = link_.receiveNegated(ByteTimeoutMs);
    if (!status) {
        fail(timeoutPrefix(purpose) + " Timedout waiting for status.");
        return std::nullopt;
    }
    if (*status != 0) {
        if (purpose == Purpose::Read)
            displayBlitzError(*status);
        else
            fail(strprintf("%s Error Code: 0x%02X", failedText(purpose).c_str(), *status));
        return std::nullopt;
    }
    Identification words{};
    const std::string prefix = timeoutPrefix(purpose);
    std::uint32_t* targets[] = {&words.device, &words.fusex, &words.fuse};
    const char* names[] = {"Device Word", "FuseX Word", "Fuse Word"};
    for (int n = 0; n < 3; ++n) {
        link_.sendAndAnswer(NextWordCommand);
        const auto word = receiveWord(prefix, names[n]);
        if (!word)
            return std::nullopt;
        *targets[n] = *word;
    }
    return words;
}

void BlitzDriver::release() {
    link_.sendAndAnswer(ReleaseCommand);
    link_.sendAndAnswer(0);
}

bool BlitzDriver::BlitzSpeedResetClick() {
    link_.drain();
    if (!BlitzConnect())
        return fail("Reset failed.");
    release();
    link_.drain();
    return true;
}

} // namespace kavo::programmer
