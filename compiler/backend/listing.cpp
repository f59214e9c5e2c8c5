// The sections that describe the compiled program in front of its code, in the assembly file
// and the listing: the call tree with each function's page, the symbol table, and the EQU
// lines that give every placed byte its assembler name. Operations: `listcalltree`,
// `listsymbols`, `listequ`.
//
// Every line starts with the caller's margin: nothing in the assembly file, fourteen blanks in
// the listing, where the EQU lines also carry the byte's address in the address column.
#include "compiler/backend/backend.hpp"

#include "compiler/backend/output_internal.hpp"
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/tables/assembler_names.hpp"
#include "compiler/tables/call_tree.hpp"
#include "compiler/tables/placement_state.hpp"

#include <string>

namespace kavo {

namespace {

constexpr int RegistersPerBank = 32;

std::string kindText(int kind) {
    return std::string(kindName(kind));
}

// The form column shows the sign's first letter; a symbol without a sign gets a blank rather
// than a zero byte in a text file.
char formLetter(int sign) {
    const std::string_view name = kindName(sign);
    return name.empty() ? ' ' : name.front();
}

bool isAggregate(int kind) {
    return kind == STRUCT_NAME || kind == UNION_NAME || kind == STRUCT || kind == UNION;
}

std::string callTreeLine(Compilation& c, const CallTreeEntry& entry, const std::string& m) {
    std::string line = strprintf("%s; %-17s|%3d |", m.c_str(),
                                 output::printedName(c, entry.name).c_str(), entry.page);
    for (std::size_t k = 0; k < entry.calls.size(); ++k) {
        if (k > 0)
            line += ",";
        line += " " + output::printedName(c, entry.calls[k]);
    }
    return line + "\n";
}

class SymbolLister {
public:
    SymbolLister(Compilation& c, OutputStream& file, const std::string& margin)
        : c_(c), file_(file), m_(margin), scoped_(c.flags.printScope == 1) {}

    void list(const SymbolList& symbols) {
        writeHeader();
        for (const Symbol* s = symbols.head; s != nullptr; s = s->next) {
            if (s->type == STRING)
                continue;
            writeRow(*s);
            if (isAggregate(s->type) && s->members.head != nullptr)
                listMembers(*s);
            if (s->type == ENUM)
                file_.write(
                    strprintf("%s;ENUM: %s VAL: %d\n", m_.c_str(), name(*s).c_str(), s->qual));
        }
        file_.write(m_ + ";\n");
    }

private:
    void writeHeader() {
        if (scoped_) {
            file_.write(strprintf("%s; Name        Type        Class  Base        Typename   Size "
                                  "  Scope        Addr Used-by\n",
                                  m_.c_str()));
            file_.write(strprintf("%s; --------------------------------------------------------"
                                  "------------------------------\n",
                                  m_.c_str()));
            return;
        }
        file_.write(strprintf(
            "%s; Name        Type        Form Class  Base        Typename   Size Addr Used-by\n",
            m_.c_str()));
        file_.write(strprintf(
            "%s; -------------------------------------------------------------------------\n",
            m_.c_str()));
    }

    void listMembers(const Symbol& aggregate) {
        file_.write(m_ + ";\n");
        file_.write(strprintf("%s; Definition for %s \"%s\" follows:\n", m_.c_str(),
                              kindText(aggregate.type).c_str(), name(aggregate).c_str()));
        list(aggregate.members);
        file_.write(strprintf(
            "%s; -----------------------------------------------------------------------\n",
            m_.c_str()));
        file_.write(m_ + ";\n");
    }

    void writeRow(const Symbol& s) {
        // Name, kind, form letter, class, base: the columns every row starts with.
        const std::string lead =
            strprintf("%s; %-11s %-11s   %c  %-7s%-11s ", m_.c_str(), name(s).c_str(),
                      kindText(s.type).c_str(), formLetter(s.sign), kindText(s.cls).c_str(),
                      kindText(s.base).c_str());
        if (s.type == FUNCNAME) {
            file_.write(lead + strprintf("%-10s %3d  %3d\n", "", s.size, entryAddress(s)));
            return;
        }
        const std::string sized = lead + strprintf("%-10s %3d", s.typeName.c_str(), s.size);
        const std::string usedBy = output::printedName(c_, s.owner);
        if (scoped_) {
            if (s.addr < 0)
                file_.write(sized + strprintf("    %-12s\n", s.scope.c_str()));
            else
                file_.write(sized + strprintf("    %-12s %3d %s\n", s.scope.c_str(), s.addr,
                                              usedBy.c_str()));
            return;
        }
        if (s.addr < 0)
            file_.write(sized + "\n");
        else
            file_.write(sized + strprintf("  %3d  %s\n", s.addr, usedBy.c_str()));
    }

    // A function's place is the address of its entry label.
    int entryAddress(const Symbol& function) const {
        return c_.placement->labels.address("@" + function.name);
    }

    std::string name(const Symbol& s) const { return output::printedName(c_, s.name); }

    Compilation& c_;
    OutputStream& file_;
    const std::string& m_;
    bool scoped_;
};

std::string equLine(const std::string& m, const std::string& name, int address) {
    if (address < RegistersPerBank)
        return strprintf("%s%-11s  EQU      %3d\n", m.c_str(), name.c_str(), address);
    return strprintf("%s%-11s  EQU      %3d    ; Bank %d (%d)\n", m.c_str(), name.c_str(),
                     address % RegistersPerBank, address / RegistersPerBank, address);
}

} // namespace

void listcalltree(Compilation& c, OutputStream& file, const std::string& margin) {
    const char* m = margin.c_str();
    file.write(strprintf("%s; Call tree information follows:\n%s;\n", m, m));
    file.write(strprintf("%s; Function         |Page| Calls\n", m));
    file.write(
        strprintf("%s; -----------------|----|------------------------------------------\n", m));
    for (const CallTreeEntry* entry = c.callTree.head; entry != nullptr; entry = entry->next)
        file.write(callTreeLine(c, *entry, margin));
    file.write(strprintf("%s;\n", m));
}

void listsymbols(Compilation& c, OutputStream& file, const SymbolList& symbols,
                 const std::string& margin) {
    SymbolLister(c, file, margin).list(symbols);
}

void listequ(Compilation& c, OutputStream& file, const SymbolList& symbols,
             const std::string& margin, int listingMode) {
    for (const Symbol* s = symbols.head; s != nullptr; s = s->next) {
        if (s->addr < 0 || s->name.starts_with("_str_"))
            continue;
        const std::string& name =
            c.assemblerNames->nameFor(output::printedName(c, s->name), s->scope);
        for (int k = 0; k < s->size; ++k) {
            const int address = s->addr + k;
            if (listingMode != 0)
                file.write(strprintf("=%08X     ", address));
            const std::string byteName = k == 0 ? name : strprintf("%s_%d", name.c_str(), k);
            file.write(equLine(margin, byteName, address));
        }
    }
    file.write(margin + ";\n");
}

} // namespace kavo
