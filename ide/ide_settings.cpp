// readIdeSettings, ideSettingsText and writeIdeSettings: "LUMADESK.CFG" in and out.
#include "ide/ide_settings.hpp"

#include "common/atomic_file.hpp"
#include "common/line_tools.hpp"
#include "compiler/base/text_format.hpp"

#include <fstream>
#include <functional>
#include <map>

namespace kavo::ide {

namespace {

constexpr std::size_t MaxSettingsLine = 255;
constexpr std::size_t MaxExtension = 3;
constexpr std::size_t MaxUserTag = 10;

using Apply = std::function<void(IdeSettings&, const std::string&)>;

Apply extension(std::string IdeSettings::*field) {
    return [field](IdeSettings& s, const std::string& value) {
        if (value.size() <= MaxExtension)
            s.*field = value;
    };
}

Apply text(std::string IdeSettings::*field) {
    return [field](IdeSettings& s, const std::string& value) { s.*field = value; };
}

Apply number(int IdeSettings::*field) {
    return [field](IdeSettings& s, const std::string& value) {
        s.*field = common::readIdeNumber(value);
    };
}

void applySerialPort(IdeSettings& s, const std::string& value) {
    if (!value.empty() && value.front() == '/') {
        setSerialPortName(s, value);
        return;
    }
    s.serialPort = common::readIdeNumber(value);
    s.serialPortName = strprintf("COM%d:", s.serialPort);
}

void applyParallelPort(IdeSettings& s, const std::string& value) {
    s.parallelPort = value == "LPT1" ? 1 : value == "LPT2" ? 2 : 3;
    s.parallelRegisters = parallelPortRegisters(s.parallelPort);
}

void applyUserTag(IdeSettings& s, const std::string& value) {
    s.user1Tag = value.substr(0, MaxUserTag);
}

void ignore(IdeSettings&, const std::string&) {}

const std::map<std::string, Apply>& keyTable() {
    static const std::map<std::string, Apply> table = {
        {"OBJ_EXTENSION", extension(&IdeSettings::objExtension)},
        {"ASM_EXTENSION", extension(&IdeSettings::asmExtension)},
        {"LST_EXTENSION", extension(&IdeSettings::lstExtension)},
        {"SRC_EXTENSION", extension(&IdeSettings::srcExtension)},
        {"MAP_EXTENSION", extension(&IdeSettings::mapExtension)},
        {"PRE_EXTENSION", extension(&IdeSettings::preExtension)},
        {"DEBUG_EXTENSION", extension(&IdeSettings::debugExtension)},
        {"USER1_EXTENSION", extension(&IdeSettings::user1Extension)},
        {"INCLUDE_DIR", text(&IdeSettings::includeDir)},
        {"CURR_FILE", text(&IdeSettings::currFile)},
        {"TMP_DIR", text(&IdeSettings::tmpDir)},
        {"ASM_DIR", text(&IdeSettings::asmDir)},
        {"SRC_DIR", text(&IdeSettings::srcDir)},
        {"MAP_DIR", text(&IdeSettings::mapDir)},
        {"OBJ_DIR", text(&IdeSettings::objDir)},
        {"DEBUG_DIR", text(&IdeSettings::debugDir)},
        {"COMPILER_CONFIG_FILE", text(&IdeSettings::compilerConfigFile)},
        {"COMPILER_DIR", text(&IdeSettings::compilerDir)},
        {"COMPILER_EXE", text(&IdeSettings::compilerExe)},
        {"USER1_DIR", text(&IdeSettings::user1Dir)},
        {"USER1_EXE", text(&IdeSettings::user1Exe)},
        {"USER1_TAG", applyUserTag},
        {"SERIAL_PORT", applySerialPort},
        {"PARALLEL_PORT", applyParallelPort},
        {"OSC_SPEED", number(&IdeSettings::oscSpeed)},
        {"PC_SPEED", number(&IdeSettings::pcSpeed)},
        {"ERASE_PROG_TIME", number(&IdeSettings::eraseProgTime)},
        {"FUSE_PROG_TIME", number(&IdeSettings::fuseProgTime)},
        {"FUSEX_PROG_TIME", number(&IdeSettings::fusexProgTime)},
        {"E2FLASH_PROG_TIME", number(&IdeSettings::e2flashProgTime)},
        // Settings of earlier versions, accepted so that their files still read.
        {"REUSE_MEMORY", ignore},
        {"PRINT_SCOPE", ignore},
        {"DEBUG_FORM", ignore},
        {"BACKGROUND", ignore},
        {"VIEWDECIMAL", ignore},
        {"VIEWDATADECIMAL", ignore},
        {"VIEWLISTNAME", ignore},
    };
    return table;
}

void applyLine(IdeSettings& settings, std::string_view line) {
    const std::vector<std::string> tokens = common::tokenizeLine(line.substr(0, MaxSettingsLine));
    if (tokens.empty() || (tokens.size() == 1 && tokens.front().starts_with("#")))
        return;
    const auto key = keyTable().find(tokens[0]);
    if (key != keyTable().end())
        key->second(settings, tokens.size() > 1 ? tokens[1] : std::string());
}

} // namespace

ParallelPortRegisters parallelPortRegisters(int portNumber) {
    const int data = portNumber == 2 ? 0x278 : portNumber == 3 ? 0x178 : 0x378;
    return {data, data + 1, data + 2};
}

void setSerialPortName(IdeSettings& settings, const std::string& name) {
    const bool comName = name.size() == 5 && name.starts_with("COM") && name[3] >= '1' &&
                         name[3] <= '4' && name[4] == ':';
    settings.serialPort = comName ? name[3] - '0' : 0;
    settings.serialPortName = name;
}

bool readIdeSettings(const std::string& path, IdeSettings& settings) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line))
        applyLine(settings, line);
    return true;
}

std::string ideSettingsText(const IdeSettings& s) {
    const auto line = [](const char* key, const std::string& value) {
        return strprintf("%s %s\r\n", key, value.c_str());
    };
    const auto numberLine = [](const char* key, int value) {
        return strprintf("%s %d\r\n", key, value);
    };
    const std::string groupEnd = "\r\n";
    std::string out;
    out += line("INCLUDE_DIR", s.includeDir) + line("ASM_DIR", s.asmDir) +
           line("SRC_DIR", s.srcDir) + line("OBJ_DIR", s.objDir) + line("CURR_FILE", s.currFile) +
           groupEnd;
    out += line("ASM_EXTENSION", s.asmExtension) + line("SRC_EXTENSION", s.srcExtension) +
           line("OBJ_EXTENSION", s.objExtension) + groupEnd;
    out += line("COMPILER_EXE", s.compilerExe) + line("COMPILER_DIR", s.compilerDir) +
           line("COMPILER_CONFIG_FILE", s.compilerConfigFile) + groupEnd;
    out += line("USER1_EXE", s.user1Exe) + line("USER1_DIR", s.user1Dir) +
           line("USER1_EXTENSION", s.user1Extension) + line("USER1_TAG", s.user1Tag) + groupEnd;
    out += numberLine("OSC_SPEED", s.oscSpeed) + groupEnd;
    out += strprintf("PARALLEL_PORT LPT%d\r\n", s.parallelPort) + groupEnd;
    out += (s.serialPort > 0 ? numberLine("SERIAL_PORT", s.serialPort)
                             : line("SERIAL_PORT", s.serialPortName)) +
           groupEnd;
    out += line("DEBUG_DIR", s.debugDir) + line("DEBUG_EXTENSION", s.debugExtension) + groupEnd;
    out += numberLine("PC_SPEED", s.pcSpeed) + groupEnd;
    out += numberLine("ERASE_PROG_TIME", s.eraseProgTime) +
           numberLine("FUSE_PROG_TIME", s.fuseProgTime) +
           numberLine("FUSEX_PROG_TIME", s.fusexProgTime) +
           numberLine("E2FLASH_PROG_TIME", s.e2flashProgTime) + groupEnd;
    return out;
}

bool writeIdeSettings(const std::string& path, const IdeSettings& settings) {
    return common::writeFileAtomically(path, ideSettingsText(settings));
}

} // namespace kavo::ide
