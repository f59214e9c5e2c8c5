// The compiler main: compilerMain reads the options, takes the file name, preprocesses
// (preprocessSource), opens the outputs and the parser input, parses and runs the back end
// (compileParsedInput); closeOutputs closes whatever the run left open.
#include "compiler/pipeline/compiler_main.hpp"

#include "compiler/backend/backend.hpp"

#include "compiler/base/text_format.hpp"
#include "compiler/frontend/front_end.hpp"
#include "compiler/pipeline/banner.hpp"
#include "compiler/pipeline/options.hpp"
#include "compiler/preprocessor/preprocessor.hpp"
#include "compiler/symbols/symbols.hpp"

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace kavo {

namespace {

std::optional<std::string> takeFileName(Compilation& c, std::vector<std::string> argv) {
    if (!takeLongOptions(c, argv))
        return std::nullopt;
    if (argv.size() <= 1) {
        c.diagnostics.standardOutput("Enter File to compile [file.c]: ");
        auto word = c.diagnostics.io().readWord();
        if (!word || word->empty()) {
            c.error("No file name given: nothing to compile.\n");
            return std::nullopt;
        }
        return word;
    }
    if (argv.size() == 2)
        return argv[1];
    if (!readCommandLine(c, argv))
        return std::nullopt;
    return argv.back();
}

// The name without its extension: everything from the first "." of the file's own name on
// is dropped. The dots of the directories (./prog.c, ../v1.2/prog.c) and those that lead a
// file's name (.hidden.c) are no extension's.
std::string fileStem(const std::string& name) {
    const std::size_t slash = name.rfind('/');
    std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    while (start < name.size() && name[start] == '.')
        ++start;
    return name.substr(0, name.find('.', start));
}

std::string outputName(const std::string& directory, const std::string& stem,
                       const std::string& extension) {
    return directory + stem + "." + extension;
}

bool openOutput(Compilation& c, OutputStream& stream, const std::string& directory,
                const std::string& extension, const char* failure) {
    c.files.fileName = outputName(directory, c.files.fileStem, extension);
    if (stream.open(c.files.fileName))
        return true;
    c.message(strprintf(failure, c.files.fileName.c_str()));
    return false;
}

// Two files of one run under one name would overwrite each other (the object file written
// over the assembly file, the preprocess file over the source): such settings are refused
// before anything is written.
bool outputNamesDistinct(Compilation& c) {
    namespace fs = std::filesystem;
    const CompilerSettings& s = c.settings;
    struct Named {
        const char* what;
        std::string name;
    };
    std::vector<Named> files = {
        {"source", c.files.sourceFileName},
        {"preprocess", outputName(s.tmpDir, c.files.fileStem, s.preExtension)},
        {"assembly", outputName(s.asmDir, c.files.fileStem, s.asmExtension)},
        {"listing", outputName(s.asmDir, c.files.fileStem, s.lstExtension)},
        {"object", outputName(s.objDir, c.files.fileStem, s.objExtension)}};
    if (c.flags.mapFileEnabled)
        files.push_back({"map", outputName(s.mapDir, c.files.fileStem, s.mapExtension)});
    const auto same = [](const std::string& a, const std::string& b) {
        std::error_code error;
        return fs::absolute(a, error).lexically_normal() ==
               fs::absolute(b, error).lexically_normal();
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        for (std::size_t j = i + 1; j < files.size(); ++j) {
            if (!same(files[i].name, files[j].name))
                continue;
            c.error(strprintf("ERROR(C300): The %s file and the %s file would both be %s: give "
                              "them different extensions or folders.\n",
                              files[i].what, files[j].what, files[j].name.c_str()));
            return false;
        }
    }
    c.files.objectFileName = files[4].name;
    return true;
}

bool openOutputs(Compilation& c) {
    const CompilerSettings& s = c.settings;
    if (!openOutput(c, c.files.assemblyFile, s.asmDir, s.asmExtension,
                    "Cannot open assembler output file %s!... exiting.\n"))
        return false;
    if (!openOutput(c, c.files.listingFile, s.asmDir, s.lstExtension,
                    "Cannot open assembler listing file %s!... exiting.\n"))
        return false;
    if (c.flags.mapFileEnabled && !openOutput(c, c.files.mapFile, s.mapDir, s.mapExtension,
                                              "Cannot open emulator map file %s!... exiting.\n"))
        return false;
    return openOutput(c, c.files.objectFile, s.objDir, s.objExtension,
                      "Cannot open object output file %s!... exiting.\n");
}

bool preprocessSource(Compilation& c) {
    const CompilerSettings& s = c.settings;
    c.files.fileName = outputName(s.tmpDir, c.files.fileStem, s.preExtension);
    if (!c.files.preprocessFile.open(c.files.fileName)) {
        c.message(strprintf("Cannot open preprocess file %s!...(%d - %d)\n",
                            c.files.fileName.c_str(), errno, 2));
        return false;
    }
    c.message(strprintf("Preprocessing %s\n", c.files.sourceFileName.c_str()));
    c.files.preprocessFile.write(banner("//"));
    c.files.preprocessFile.write(strprintf("#line 0 %s\n", c.files.sourceFileName.c_str()));
    Preprocessor preprocessor(c, c.files.preprocessFile);
    preprocessor.preprocess(c.files.sourceFileName);
    c.message(strprintf("Done preprocessing %s\n", c.files.sourceFileName.c_str()));
    // The file stays open until the run's end (the parser reads it where it is): only a
    // successful run puts it in place.
    if (!c.files.preprocessFile.flush()) {
        c.error(strprintf("Cannot write preprocess file %s!\n", c.files.fileName.c_str()));
        return false;
    }
    return !preprocessor.stopped();
}

bool openParserInput(Compilation& c) {
    const std::string input = c.files.preprocessFile.writtenPath();
    c.files.parserInput.reset(std::fopen(input.c_str(), "r"));
    if (!c.files.parserInput) {
        c.message(strprintf("Cannot open %s!... exiting.\n", input.c_str()));
        return false;
    }
    return true;
}

// Parsing and everything after it. A syntax error sets the abort flag: the rest of the
// input is then read away and nothing is generated.
void compileParsedInput(Compilation& c) {
    frontend::FrontEnd frontEnd(c);
    c.diagnostics.io().pumpEvents();
    while (frontEnd.parse() != 0 && !c.abortFlag)
        c.diagnostics.io().pumpEvents();
    if (c.abortFlag)
        frontEnd.drain();
    else
        backEndDriver(c);
}

} // namespace

int compilerMain(Compilation& c, const std::vector<std::string>& argv) {
    c.diagnostics.standardOutput(banner(""));
    c.tmpPrefixLength = static_cast<int>(std::string("_tmp_").size());
    c.files.assemblyFile.bindToStandardOutput(c.diagnostics);
    c.files.objectFile.bindToStandardOutput(c.diagnostics);

    const auto given = takeFileName(c, argv);
    if (!given)
        return 0;
    c.files.givenFileName = *given;
    c.files.fileStem = fileStem(*given);
    const CompilerSettings& s = c.settings;
    c.files.sourceFileName =
        *c.strings.intern(outputName(s.srcDir, c.files.fileStem, s.srcExtension));
    c.diagnostics.setStyle(c.diagnostics.style(), c.files.sourceFileName);

    if (!outputNamesDistinct(c) || !preprocessSource(c) || !openParserInput(c) ||
        !openOutputs(c))
        return 0;
    pushscope(c, GlobalScope);
    c.message(strprintf("Compiling %s\n", c.files.sourceFileName.c_str()));
    makecodesegments(c);
    compileParsedInput(c);
    return 1;
}

// The outputs of a successful run were committed by the output sequence; whatever is still
// open belongs to a run that failed and is dropped, with the object file of an earlier run.
void closeOutputs(Compilation& c) {
    c.files.parserInput.reset();
    c.files.preprocessFile.discard();
    c.files.assemblyFile.discard();
    c.files.listingFile.discard();
    c.files.objectFile.discard();
    c.files.mapFile.discard();
    if (!c.successFlag && !c.files.objectFileName.empty())
        std::remove(c.files.objectFileName.c_str());
}

} // namespace kavo
