// parseSxprogOptions and sxprogUsage: the command line of `sxprog`.
#include "programmer/sxprog_options.hpp"

#include "programmer/chip_commands.hpp"

#include <map>

namespace kavo::programmer {

namespace {

const std::map<std::string_view, std::string> ProgrammerTypes = {{"blitz", SxBlitzProgrammer},
                                                                 {"isp", IspProgrammer}};

const std::map<std::string_view, std::size_t> DeviceWords = {
    {"sx18", 2048}, {"sx20", 2048}, {"sx28", 2048}, {"sx48", 4096}, {"sx52", 4096}};

const std::map<std::string_view, SxprogAction> FileActions = {{"--read", SxprogAction::Read},
                                                              {"--write", SxprogAction::Write},
                                                              {"--verify", SxprogAction::Verify}};

const std::map<std::string_view, SxprogAction> PlainActions = {
    {"--erase", SxprogAction::Erase}, {"--blank-check", SxprogAction::BlankCheck}};

ParsedSxprogOptions failure(std::string error) {
    return {std::nullopt, std::move(error)};
}

} // namespace

ParsedSxprogOptions parseSxprogOptions(const std::vector<std::string_view>& args) {
    SxprogOptions options;
    int actions = 0;
    for (std::size_t at = 0; at < args.size(); ++at) {
        const std::string_view arg = args[at];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return {options, {}};
        }
        const bool takesValue = arg == "--port" || arg == "--programmer" || arg == "--device" ||
                                FileActions.count(arg) != 0;
        if (takesValue && at + 1 >= args.size())
            return failure("option " + std::string(arg) + " needs a value");
        if (arg == "--port") {
            options.port = args[++at];
        } else if (arg == "--programmer") {
            const auto type = ProgrammerTypes.find(args[++at]);
            if (type == ProgrammerTypes.end())
                return failure("unknown programmer '" + std::string(args[at]) + "' (blitz or isp)");
            options.programmerType = type->second;
        } else if (arg == "--device") {
            const auto device = DeviceWords.find(args[++at]);
            if (device == DeviceWords.end())
                return failure("unknown device '" + std::string(args[at]) +
                               "' (sx18, sx20, sx28, sx48 or sx52)");
            options.memoryWords = device->second;
        } else if (const auto file = FileActions.find(arg); file != FileActions.end()) {
            options.action = file->second;
            options.file = args[++at];
            ++actions;
        } else if (const auto plain = PlainActions.find(arg); plain != PlainActions.end()) {
            options.action = plain->second;
            ++actions;
        } else {
            return failure("unknown argument '" + std::string(arg) + "'");
        }
    }
    if (options.port.empty())
        return failure("--port DEVICE is required");
    if (actions != 1)
        return failure("give exactly one of --read, --write, --verify, --erase, --blank-check");
    if (options.file.empty() && options.action != SxprogAction::Erase &&
        options.action != SxprogAction::BlankCheck)
        return failure("the file name is empty");
    return {options, {}};
}

std::string sxprogUsage() {
    return "Usage: sxprog --port DEVICE [--programmer blitz|isp] "
           "[--device sx18|sx20|sx28|sx48|sx52] ACTION\n"
           "Reads, programs, verifies, erases or blank-checks an SX chip through an SX-Blitz\n"
           "or an RS232 ISP programmer on a serial port.\n"
           "\n"
           "  --port DEVICE      the serial port: COM1: to COM4: (/dev/ttyUSB0 to /dev/ttyUSB3)\n"
           "                     or a device path such as /dev/ttyS0\n"
           "  --programmer TYPE  blitz (the SX-Blitz, default) or isp (the RS232 ISP "
           "programmer)\n"
           "  --device NAME      sx18, sx20, sx28 (2048 words, default), sx48 or sx52 (4096)\n"
           "\n"
           "Actions (exactly one):\n"
           "  --read FILE.hex    read the chip into an Intel HEX file (FUSE and FUSEX included)\n"
           "  --write FILE.hex   erase, program the words, FUSE and FUSEX of the file, verify\n"
           "  --verify FILE.hex  compare the chip with the file\n"
           "  --erase            erase the chip\n"
           "  --blank-check      check that the chip is erased\n"
           "  --help             show this text\n"
           "\n"
           "Exit status: 0 on success, 1 on any failure (the reason is on standard error).\n";
}

} // namespace kavo::programmer
