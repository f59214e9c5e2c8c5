#pragma once

#include <string>

namespace kavo {

// The folder of the device headers installed with the compiler: share/kavo/include/ beside the
// folder of the running program (build/bin and build/share in a build tree alike); empty when
// the program's own path is unknown.
std::string installedHeaderDir();

// Directories and extensions: they outlive a run, so the caller keeps them and passes them in
// (the IDE sets them again from its configuration before every compile).
// A directory is empty (the current directory) or ends in "/".
struct CompilerSettings {
    std::string tmpDir;
    std::string asmDir;
    std::string objDir;
    std::string srcDir;
    std::string mapDir;
    std::string vpDir;

    std::string objExtension = "obj";
    std::string asmExtension = "asm";
    std::string lstExtension = "lst";
    std::string srcExtension = "c";
    std::string preExtension = "pre";
    std::string mapExtension = "map";
    std::string vpExtension = "sxh";

    // The device headers that come with the compiler, searched last for #include files.
    std::string headerDir = installedHeaderDir();
};

// Extensions are at most this long; longer values are refused.
constexpr std::size_t MaxExtensionLength = 3;

// A directory value as the user wrote it, made usable as a prefix: "\" is read as a
// separator and a "/" is added when the value does not end in one; empty stays empty.
std::string normaliseDirectory(std::string value);

// "\" in a path the user wrote is a separator on this system.
std::string withForwardSlashes(std::string path);

} // namespace kavo
