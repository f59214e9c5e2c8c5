// The emulator map file: where every variable lives (name, address, size and the function that
// uses it) and which source line and file every program address comes from. The simulator and
// debuggers read it to name registers and follow the source. Operation: `writemap`.
#include "compiler/backend/backend.hpp"

#include "compiler/backend/output_internal.hpp"
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/tables/opcodes.hpp"

#include <string>

namespace kavo {

namespace {

void writeMemoryTable(Compilation& c, OutputStream& file) {
    file.write("<memory table>\n");
    file.write("; NAME          ADDR SIZE SCOPE\n");
    file.write(";------------------------------\n");
    for (const Symbol* s = c.symbols.main.head; s != nullptr; s = s->next) {
        if (s->addr < 0 || s->type == FUNCNAME || s->type == STRING)
            continue;
        const std::string name = output::printedName(c, s->name);
        if (s->owner.empty())
            file.write(strprintf("%-15s %-3d  %-3d  {GLOBAL}\n", name.c_str(), s->addr, s->size));
        else
            file.write(strprintf("%-15s %-3d  %-3d  %-15s\n", name.c_str(), s->addr, s->size,
                                 s->owner.c_str()));
    }
    file.write(";\n");
}

// One line per program address: the first record placed there names its source line.
void writePcMap(Compilation& c, OutputStream& file) {
    file.write("<pc map>\n");
    file.write("; PC LINE FILE\n");
    file.write(";-------------\n");
    int lastAddress = -1;
    const std::string* lastFile = nullptr;
    for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        if (i->file != nullptr)
            lastFile = i->file;
        if (i->opcode == PIC_LABEL || i->address == lastAddress)
            continue;
        lastAddress = i->address;
        const std::string fileName = lastFile != nullptr ? *lastFile : std::string();
        file.write(strprintf("%03d %3d %s\n", i->address, i->line, fileName.c_str()));
    }
}

} // namespace

void writemap(Compilation& c, OutputStream& file) {
    writeMemoryTable(c, file);
    writePcMap(c, file);
}

} // namespace kavo
