// The output sequence that ends a compilation: writes the assembly source, the object file
// and the listing in that order, closes them and reports the outcome. Operation:
// `writeoutputs`.
//
// The assembly file and the listing both describe the program (call tree, symbols, EQU
// lines) in front of its code; the map file, when enabled, follows the assembly file.
#include "compiler/pipeline/output_sequence.hpp"

#include "compiler/backend/backend.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/pipeline/banner.hpp"

#include <string>

namespace kavo {

namespace {

const std::string ListingMargin(14, ' ');

// The sections every description of the program opens with.
void writeProgramDescription(Compilation& c, OutputStream& file, const std::string& margin,
                             int listingMode) {
    listcalltree(c, file, margin);
    listsymbols(c, file, c.symbols.main, margin);
    listequ(c, file, c.symbols.main, margin, listingMode);
}

void writeAssemblyFile(Compilation& c) {
    c.message("Creating assembly code.\n");
    OutputStream& file = c.files.assemblyFile;
    file.write(banner("; "));
    writeProgramDescription(c, file, "", 0);
    if (c.flags.asmFormat == 0)
        writeasm(c, file, 0, "");
    else
        listcode(c, file);
}

void writeMapFile(Compilation& c) {
    if (c.flags.mapFileEnabled)
        writemap(c, c.files.mapFile);
}

void writeObjectFile(Compilation& c, const RegisterMemoryUse& ram) {
    if (c.errors() > 0) {
        const char* format = c.errors() == 1 ? "Found %d error.  No code generated.\n"
                                             : "Found %d errors.  No code generated.\n";
        c.message(strprintf(format, c.errors()));
        return;
    }
    c.message("Creating object code.\n");
    writehex(c, c.files.objectFile);
    c.message(strprintf("Register memory used: %d locations.\n", ram.used));
    c.message(strprintf("Register memory reused: %d locations.\n", ram.reused));
}

void writeListingFile(Compilation& c) {
    c.message("Creating assembly listing file.\n");
    OutputStream& file = c.files.listingFile;
    file.write(banner(ListingMargin + "; "));
    writeProgramDescription(c, file, ListingMargin, 1);
    if (c.flags.asmFormat == 0)
        writeasm(c, file, 1, ListingMargin);
}

// Only a run without errors puts its files in the place of the old ones (closing a stream
// renames its temporary file); the streams of a failed run are discarded by closeOutputs. A
// file that cannot be written completely (a full disk) is an error, and the files after it
// stay where they were: the object file goes last, so it never outlives its listing.
void closeOutputFiles(Compilation& c) {
    for (OutputStream* file : {&c.files.preprocessFile, &c.files.assemblyFile,
                               &c.files.listingFile, &c.files.mapFile, &c.files.objectFile}) {
        const std::string path = file->path();
        if (c.errors() == 0 && !file->close())
            c.error(strprintf("Cannot write %s!\n", path.c_str()));
    }
}

} // namespace

int writeoutputs(Compilation& c, const RegisterMemoryUse& ram) {
    writeAssemblyFile(c);
    writeMapFile(c);
    writeObjectFile(c, ram);
    writeListingFile(c);
    closeOutputFiles(c);
    if (c.errors() > 0) {
        c.successFlag = false;
        return 2;
    }
    c.message(strprintf("Object file is: %s\n", c.files.fileName.c_str()));
    c.message("Compilation completed successfully.\n");
    c.successFlag = true;
    return 1;
}

} // namespace kavo
