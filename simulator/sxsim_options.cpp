#include "simulator/sxsim_options.hpp"

#include <charconv>

namespace sxsim {

namespace {

std::optional<std::uint64_t> parseCount(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Applies one option that takes a value; returns an error text or "".
std::string applyValue(SxsimOptions& options, std::string_view name, std::string_view value) {
    if (name == "--steps") {
        const auto steps = parseCount(value);
        if (!steps || *steps == 0) {
            return "--steps needs a positive whole number, not '" + std::string(value) + "'";
        }
        options.steps = *steps;
    } else if (name == "--device") {
        options.device = deviceByName(value);
        if (!options.device) {
            return "unknown device '" + std::string(value) + "' (known: " + deviceNames() + ")";
        }
    } else if (name == "--map") {
        options.mapFile = std::string(value);
    } else if (name == "--source") {
        options.sourceFile = std::string(value);
    } else if (name == "--watch") {
        options.watches.emplace_back(value);
    } else if (name == "--break-line") {
        const auto line = parseCount(value);
        if (!line || *line == 0 || *line > 1'000'000) {
            return "--break-line needs a source line number, not '" + std::string(value) + "'";
        }
        options.breakLines.push_back(static_cast<int>(*line));
    } else if (name == "--continue") {
        const auto count = parseCount(value);
        if (!count) {
            return "--continue needs a whole number, not '" + std::string(value) + "'";
        }
        options.continueCount = *count;
    } else {
        const auto address = parseCount(value);
        if (!address || *address > 0xFFF) {
            return "--break needs a program address up to 0xFFF, not '" + std::string(value) +
                   "'";
        }
        options.breakpoints.push_back(static_cast<unsigned>(*address));
    }
    return "";
}

bool takesValue(std::string_view name) {
    return name == "--steps" || name == "--device" || name == "--map" || name == "--break" ||
           name == "--source" || name == "--break-line" || name == "--watch" ||
           name == "--continue";
}

} // namespace

ParsedOptions parseSxsimOptions(const std::vector<std::string_view>& args) {
    SxsimOptions options;
    std::vector<std::string_view> files;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || !arg.starts_with("-") || arg == "-") {
            files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--all") {
            options.all = true;
        } else {
            const std::size_t equals = arg.find('=');
            const std::string_view name = arg.substr(0, equals);
            if (!takesValue(name)) {
                return {std::nullopt, "unknown option '" + std::string(arg) + "'"};
            }
            std::string_view value;
            if (equals != std::string_view::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return {std::nullopt, std::string(name) + " needs a value"};
            }
            if (std::string error = applyValue(options, name, value); !error.empty()) {
                return {std::nullopt, error};
            }
        }
    }
    if (options.help) {
        return {options, ""};
    }
    if (files.size() != 1) {
        return {std::nullopt, files.empty() ? "no HEX file given" : "more than one HEX file given"};
    }
    options.hexFile = std::string(files.front());
    if (options.breakLines.empty() && (!options.watches.empty() || options.continueCount > 0)) {
        return {std::nullopt, "--watch and --continue need --break-line"};
    }
    return {options, ""};
}

std::string sxsimUsage() {
    return "Usage: sxsim FILE [options]\n"
           "Runs an SX program from an Intel HEX file and reports the final state.\n"
           "\n"
           "Options:\n"
           "  --device NAME   sx18, sx20, sx28, sx48 or sx52 (default: sx28, or sx52 when the\n"
           "                  file holds words above 7FFh)\n"
           "  --steps N       stop after N instructions (default 100000000)\n"
           "  --break ADDR    stop before the instruction at ADDR (decimal or 0x...); repeatable\n"
           "  --map FILE      name variables from the compiler's map file, the EQU section of\n"
           "                  its assembly file, or \"NAME address\" lines\n"
           "  --json          print the final state as one JSON object\n"
           "  --all           report the compiler's own registers and temporaries too\n"
           "  --source FILE.c the C source of the program, for --break-line\n"
           "  --break-line N  stop where source line N begins (the compiler's listing or map\n"
           "                  next to FILE gives the lines); repeatable\n"
           "  --watch NAME    at each such stop print \"NAME = VALUE\" (decimal; a variable of\n"
           "                  a function as FUNCTION.NAME); repeatable\n"
           "  --continue K    go on to K further stops (default 0)\n"
           "  -h, --help      show this text\n"
           "\n"
           "The run stops at a self-jump (JMP to itself), SLEEP, a breakpoint, a stack overflow\n"
           "or underflow, a word that is no instruction, or the step limit.\n"
           "Exit status: 0 self-jump, SLEEP or breakpoint; 3 step limit; 4 stack overflow,\n"
           "underflow or invalid instruction; 1 unreadable input; 2 bad command line.\n";
}

} // namespace sxsim
