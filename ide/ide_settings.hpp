// The IDE's own settings, kept in "LUMADESK.CFG" in the working directory: directories and
// extensions of the files the IDE opens, the serial and parallel ports and the programming
// times. The registry's compiler configuration overwrites the matching values when it is read.
#pragma once

#include <string>

namespace kavo::ide {

constexpr const char* IdeSettingsFileName = "LUMADESK.CFG";

struct ParallelPortRegisters {
    int data = 0x378;
    int status = 0x379;
    int control = 0x37A;
};

// The registers of LPT1, LPT2 or LPT3; any other number gives LPT1's.
ParallelPortRegisters parallelPortRegisters(int portNumber);

struct IdeSettings {
    std::string objExtension = "sxh";
    std::string asmExtension = "src";
    std::string lstExtension = "lst";
    std::string srcExtension = "c";
    std::string mapExtension = "map";
    std::string preExtension = "pre";
    std::string debugExtension = "cdb";
    std::string user1Extension;

    std::string includeDir;
    std::string currFile;
    std::string tmpDir;
    std::string asmDir;
    std::string srcDir;
    std::string mapDir;
    std::string objDir;
    std::string debugDir;
    std::string compilerConfigFile;
    std::string compilerDir;
    std::string compilerExe;
    std::string user1Dir;
    std::string user1Exe;
    std::string user1Tag;

    int serialPort = 1;
    std::string serialPortName = "COM1:";
    int parallelPort = 1;
    ParallelPortRegisters parallelRegisters;
    int oscSpeed = 5;
    int pcSpeed = 1;
    int eraseProgTime = 1000;
    int fuseProgTime = 100;
    int fusexProgTime = 100;
    int e2flashProgTime = 50;
};

// Chooses the serial port by name: "COM1:".."COM4:" keep their number (the settings file and
// the store write it), any other name is a device path ("/dev/ttyACM0") and has number 0.
void setSerialPortName(IdeSettings& settings, const std::string& name);

// Applies the settings file's lines over the values already held. A file that cannot be
// opened changes nothing; unknown keys and over-long extensions are ignored. False when the
// file could not be opened.
bool readIdeSettings(const std::string& path, IdeSettings& settings);

// The settings file's text: the values that outlive a run, in groups separated by empty lines.
std::string ideSettingsText(const IdeSettings& settings);

// Writes ideSettingsText to path, replacing the old file only once the new one is whole.
bool writeIdeSettings(const std::string& path, const IdeSettings& settings);

} // namespace kavo::ide
