// The compiler's options: readCommandLine applies the command-line options (applyOption,
// redirectOutput, useConfigFile), readConfigFile the settings of the configuration file
// (applyConfigSetting).
#include "compiler/pipeline/options.hpp"

#include "compiler/base/number_reader.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/base/word_splitter.hpp"
#include "compiler/pipeline/banner.hpp"

#include <fstream>
#include <map>
#include <optional>

namespace kavo {

namespace {

bool startsWithDash(const std::string& element) {
    return !element.empty() && element.front() == '-';
}

void commandLineError(Compilation& c, const std::string& element) {
    c.error(strprintf("Command line error near \"%s\"\n", element.c_str()));
}

// -e: standard output goes to the file from now on, starting with the banner.
// Returns false when the reader must stop at once (the file opened but could not be made
// standard output).
bool redirectOutput(Compilation& c, const std::string& path) {
    switch (c.diagnostics.io().redirectStandardOutput(path)) {
    case CompilerIo::Redirect::CannotOpen:
        c.error(strprintf("ERROR(F01): Cannot open redirect output file: \"%s\"\n", path.c_str()));
        return true;
    case CompilerIo::Redirect::CannotReopen:
        return false;
    case CompilerIo::Redirect::Done:
        c.diagnostics.standardOutput(banner(""));
        return true;
    }
    return true;
}

// -f: the configuration file starts from these defaults.
void useConfigFile(Compilation& c) {
    CompilerSettings& s = c.settings;
    s.tmpDir.clear();
    s.asmDir.clear();
    s.objDir.clear();
    s.srcDir.clear();
    s.mapDir.clear();
    s.objExtension = "hex";
    s.asmExtension = "asm";
    s.srcExtension = "c";
    s.preExtension = "pre";
    s.mapExtension = "map";
    readConfigFile(c);
}

// The message styles by the names the option and the configuration key take.
std::optional<DiagnosticStyle> diagnosticStyle(std::string_view name) {
    if (name == "kavo")
        return DiagnosticStyle::Kavo;
    if (name == "gcc")
        return DiagnosticStyle::Gcc;
    return std::nullopt;
}

enum class Applied { Done, Failed, StopReading };

Applied applyOption(Compilation& c, char letter, const std::string& value) {
    CompilerSettings& s = c.settings;
    std::string* directory = nullptr;
    std::string* extension = nullptr;
    switch (letter) {
    case 'I':
        // The first place #include looks, as it always was; every -I folder is also searched
        // after the including file's own folder.
        c.pragmas.set("INCLUDE_DIR", normaliseDirectory(value));
        c.includeFolders.push_back(normaliseDirectory(value));
        return Applied::Done;
    case 'o':
        directory = &s.objDir;
        break;
    case 's':
        directory = &s.srcDir;
        break;
    case 't':
        directory = &s.tmpDir;
        break;
    case 'a':
        directory = &s.asmDir;
        break;
    case 'x':
        extension = &s.objExtension;
        break;
    case 'c':
        extension = &s.srcExtension;
        break;
    case 'p':
        extension = &s.preExtension;
        break;
    case 'l':
        extension = &s.lstExtension;
        break;
    case 'v':
        extension = &s.asmExtension;
        break;
    case 'm':
        c.flags.reuseMemory = readCompilerNumber(value);
        return Applied::Done;
    case 'e':
        return redirectOutput(c, value) ? Applied::Done : Applied::StopReading;
    case 'f':
        useConfigFile(c);
        return Applied::Done;
    default:
        return Applied::Failed;
    }
    if (directory != nullptr) {
        *directory = normaliseDirectory(value);
        return Applied::Done;
    }
    if (value.size() > MaxExtensionLength)
        return Applied::Failed;
    *extension = value;
    return Applied::Done;
}

bool isKnownOption(char letter) {
    return std::string_view("Iostaxcplvmefh").find(letter) != std::string_view::npos;
}

} // namespace

bool takeLongOptions(Compilation& c, std::vector<std::string>& argv) {
    constexpr std::string_view Diagnostics = "--diagnostics=";
    for (std::size_t i = 1; i + 1 < argv.size();) {
        if (argv[i].rfind(Diagnostics, 0) != 0) {
            ++i;
            continue;
        }
        const auto style = diagnosticStyle(std::string_view(argv[i]).substr(Diagnostics.size()));
        if (!style) {
            commandLineError(c, argv[i]);
            return false;
        }
        c.diagnostics.setStyle(*style);
        argv.erase(argv.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return true;
}

bool readCommandLine(Compilation& c, const std::vector<std::string>& argv) {
    const std::size_t count = argv.size();
    std::size_t i = 1;
    while (i + 2 < count) {
        const std::string& element = argv[i];
        if (!startsWithDash(element)) {
            ++i;
            continue;
        }
        const char letter = element.size() > 1 ? element[1] : '\0';
        if (!isKnownOption(letter)) {
            commandLineError(c, element);
            return false;
        }
        if (letter == 'h') {
            ++i;
            continue;
        }
        const std::string& value = argv[i + 1];
        if (startsWithDash(value)) {
            // An option without its value is skipped; the next element is read as an option.
            ++i;
            continue;
        }
        switch (applyOption(c, letter, value)) {
        case Applied::Failed:
            commandLineError(c, value);
            return false;
        case Applied::StopReading:
            return true;
        case Applied::Done:
            break;
        }
        i += 2;
    }
    const std::string& stopped = argv[i];
    if (stopped == "-h")
        return true;
    if (startsWithDash(stopped) || (i > 0 && startsWithDash(argv[i - 1]))) {
        commandLineError(c, stopped);
        return false;
    }
    return true;
}

namespace {

void applyConfigSetting(Compilation& c, const std::string& key, const std::string& value) {
    CompilerSettings& s = c.settings;
    RunFlags& f = c.flags;
    const std::map<std::string, std::string*> extensions = {
        {"OBJ_EXTENSION", &s.objExtension}, {"ASM_EXTENSION", &s.asmExtension},
        {"LST_EXTENSION", &s.lstExtension}, {"SRC_EXTENSION", &s.srcExtension},
        {"MAP_EXTENSION", &s.mapExtension}, {"PRE_EXTENSION", &s.preExtension},
        {"VP_EXTENSION", &s.vpExtension}};
    const std::map<std::string, std::uint32_t*> numbers = {
        {"REUSE_MEMORY", &f.reuseMemory},
        {"PRINT_SCOPE", &f.printScope},
        {"ASM_FORMAT", &f.asmFormat},
        {"REPLACE_AT_FLAG", &f.replaceAtFlag},
        {"REPLACE_UNDERSCORE_FLAG", &f.replaceUnderscoreFlag},
        {"DEBUG_FORM", &f.debugForm},
        {"REMAP_FLAG", &f.remapFlag}};
    const std::map<std::string, std::string*> directories = {
        {"TMP_DIR", &s.tmpDir}, {"ASM_DIR", &s.asmDir}, {"SRC_DIR", &s.srcDir},
        {"VP_DIR", &s.vpDir},   {"MAP_DIR", &s.mapDir}, {"OBJ_DIR", &s.objDir}};

    if (auto ext = extensions.find(key); ext != extensions.end()) {
        if (value.size() > MaxExtensionLength) {
            c.message(strprintf("%s: In config file \"%s\" Extensions are limited to 3 "
                                "characters.\n",
                                key.c_str(), ConfigFileName));
            return;
        }
        *ext->second = value;
    } else if (auto number = numbers.find(key); number != numbers.end()) {
        *number->second = readCompilerNumber(value);
    } else if (key == "DIAGNOSTICS") {
        if (const auto style = diagnosticStyle(value))
            c.diagnostics.setStyle(*style);
        else
            c.message(strprintf("DIAGNOSTICS: In config file \"%s\" the value is gcc or kavo.\n",
                                ConfigFileName));
    } else if (key == "INCLUDE_DIR") {
        c.pragmas.set("INCLUDE_DIR", value);
    } else if (auto dir = directories.find(key); dir != directories.end()) {
        *dir->second = normaliseDirectory(value);
        if (key == "MAP_DIR")
            f.mapFileEnabled = true;
    }
}

} // namespace

bool readConfigFile(Compilation& c, const std::string& path) {
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const SplitLine split = splitWords(line);
        if (split.count() == 1 && split.word(0).empty())
            continue;
        if (split.count() != 2) {
            c.message(strprintf("Line %d in config file %s ignored.\n", number, ConfigFileName));
            continue;
        }
        applyConfigSetting(c, split.word(0), split.word(1));
    }
    return true;
}

} // namespace kavo
