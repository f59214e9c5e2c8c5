// sxprog: reads, programs, verifies, erases or blank-checks an SX chip through the SX-Blitz or
// the RS232 ISP programmer, on the drivers the IDE's program window uses.
#include "common/atomic_file.hpp"
#include "programmer/configuration_words.hpp"
#include "programmer/console_host.hpp"
#include "programmer/object_file_writer.hpp"
#include "programmer/programmer_drivers.hpp"
#include "programmer/sxprog_options.hpp"

#include <iostream>

#include <unistd.h>

namespace {

using namespace kavo::programmer;

bool loadFile(const SxprogOptions& options, ProgramImage& image) {
    if (!readObjectFile(options.file, image)) {
        std::cerr << "sxprog: cannot open " << options.file << "\n";
        return false;
    }
    if (image.fuse == ErasedWord || image.fusex == ErasedWord)
        std::cerr << "sxprog: " << options.file
                  << " sets no FUSE or FUSEX word (records at word 0x1010, 0x1011); "
                     "what it lacks stays erased (0xFFF)\n";
    return true;
}

bool readChip(const SxprogOptions& options, ChipCommandRunner& runner,
              const ProgrammerConnection& connection, ChipSession& session, ProgrammerHost& host) {
    if (!runner.run(ChipCommand::Read, connection, session, host))
        return false;
    if (!kavo::common::writeFileAtomically(options.file,
                                           objectFileText(session.image, session.memoryWords))) {
        std::cerr << "sxprog: cannot write " << options.file << "\n";
        return false;
    }
    std::cerr << "sxprog: read " << session.memoryWords << " words into " << options.file << "\n";
    return true;
}

bool runAction(const SxprogOptions& options) {
    ProgramImage image;
    ChipSession session(image);
    session.memoryWords = options.memoryWords;
    const bool needsFile =
        options.action == SxprogAction::Write || options.action == SxprogAction::Verify;
    if (needsFile && !loadFile(options, image))
        return false;
    ConsoleProgrammerHost host(
        std::cerr,
        {image.fuse, image.fusex,
         oscillatorClass(optionsFromConfigurationWords(image.fuse, image.fusex, {}))},
        ::isatty(STDERR_FILENO) != 0);
    ProgrammerConnection connection;
    connection.programmerType = options.programmerType;
    connection.serialPort = options.port;
    const auto runner = makeSerialChipCommandRunner();
    switch (options.action) {
    case SxprogAction::Read:
        return readChip(options, *runner, connection, session, host);
    case SxprogAction::Write:
        return runner->run(ChipCommand::Program, connection, session, host) &&
               runner->run(ChipCommand::Verify, connection, session, host);
    case SxprogAction::Verify:
        return runner->run(ChipCommand::Verify, connection, session, host);
    case SxprogAction::Erase:
        return runner->run(ChipCommand::Erase, connection, session, host);
    case SxprogAction::BlankCheck:
        return runner->run(ChipCommand::BlankCheck, connection, session, host);
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParsedSxprogOptions parsed = parseSxprogOptions(args);
    if (!parsed.options) {
        std::cerr << "sxprog: " << parsed.error << "\nTry 'sxprog --help'.\n";
        return 1;
    }
    if (parsed.options->help) {
        std::cout << sxprogUsage();
        return 0;
    }
    if (!runAction(*parsed.options))
        return 1;
    std::cerr << "sxprog: done\n";
    return 0;
}
