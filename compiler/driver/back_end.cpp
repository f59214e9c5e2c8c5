#include "compiler/codegen/emit.hpp"
#include "compiler/codegen/functions.hpp"
#include "compiler/codegen/genexpr.hpp"
#include "compiler/codegen/runtime_routines.hpp"
#include "compiler/driver/compiler_main.hpp"
#include "compiler/driver/kinds.hpp"
#include "compiler/driver/stretch.hpp"
#include "compiler/driver/text_format.hpp"
#include "compiler/memory/call_tree.hpp"
#include "compiler/symbols/procsym.hpp"
#include "compiler/symbols/symbols.hpp"

namespace kavo {

namespace {

// Names the call tree knows before any function of the program.
void enterRuntimeNames(Compilation& c) {
    for (const char* name : {"@__FUNC_MULT", "@__FUNC_SHIFTL", "@__FUNC_SHIFTR", "@__FUNC_SDIV",
                             "@__FUNC_DIV", "@__FUNC_MOD", "@__strings_"})
        addcall(c, name);
}

Symbol* enterFixed(Compilation& c, std::string_view name, int type, int address) {
    Symbol* symbol = addsym(c, c.symbols.main, 0, type, 0, name, GlobalScope, "", SIGNED, 0);
    symbol->addr = address;
    return symbol;
}

// The RAM that #vpmem lines reserved for Virtual Peripheral code, one byte a symbol.
void enterVpReservations(Compilation& c) {
    int counter = 0;
    for (const VpRamReservation& range : c.vpRamReservations) {
        for (std::uint32_t address = range.first; address <= range.last; ++address)
            enterFixed(c, strprintf("_asm_%03d", ++counter), INT, static_cast<int>(address));
    }
}

void enterFixedRegisters(Compilation& c) {
    enterFixed(c, "@__f0__", INT, 0);
    enterFixed(c, "@__pc__", INT, 2);
    enterFixed(c, "@__fsr__", INT, 4);
    enterFixed(c, "@__stat__", INT, 3);
}

void checkInterruptPragmas(Compilation& c) {
    if (isfunction(c, "__interrupt") && !c.pragmas.has("INTERRUPT_LOC")) {
        c.pragmas.set("INTERRUPT_LOC", "0");
        c.message(strprintf("WARNING(C110): %s routine found but pragma %s not defined.\n",
                            "__interrupt", "INTERRUPT_LOC"));
        c.message(strprintf("               Setting INTERRUPT VECTOR to address %d.\n", 0));
    }
    if (c.pragmas.has("INTERRUPT_LOC"))
        emit(c, PIC_INTERRUPT, "__interrupt");
}

// The compiler's scratch registers fill the four bytes at CCTEMP_LOC in the common bank.
void enterCompilerTemporaries(Compilation& c) {
    if (!c.pragmas.has("CCTEMP_LOC")) {
        c.pragmas.set("CCTEMP_LOC", "12");
        c.message(strprintf("WARNING(C189): pragma %s not defined.\n", "CCTEMP_LOC"));
        c.message(strprintf("               Setting pragma %s to address %d.\n", "CCTEMP_LOC", 12));
    }
    const int location = static_cast<int>(c.pragmas.number("CCTEMP_LOC", 12));
    if (location > 12)
        c.error(strprintf("ERROR(C188): Pragma %s MUST be in the common bank (4 bytes).\n",
                          "CCTEMP_LOC"));
    enterFixed(c, "@__P0tmp_", INT, location);
    enterFixed(c, "@__SxItmp_", INT, location + 1);
    enterFixed(c, "@__SxLtmp_", LONG, c.flags.remapFlag == 0 ? location + 2 : location);
}

void defaultPageBits(Compilation& c) {
    if (c.pragmas.has("PAGEBITS_LOC"))
        return;
    c.pragmas.set("PAGEBITS_LOC", "3");
    c.message(strprintf("WARNING(C109): pragma %s not defined.  Setting PAGEBITS to address %d.\n",
                        "PAGEBITS_LOC", 3));
}

// Counts the subscripts of each top-level expression; more than one is warned about.
class SubscriptCounter {
public:
    void see(Compilation& c, const Node& node) {
        if (node.kind == EXPSTART) {
            if (depth_++ == 0)
                subscripts_ = 0;
        } else if (node.kind == EXPEND && depth_ > 0) {
            --depth_;
        } else if (node.kind == SUBSCRIPT && depth_ > 0 && ++subscripts_ == 2) {
            c.diagnostics.standardError(
                strprintf("WARNING(C500): Line: %d Expression contains more than one subscript.\n",
                          node.line));
        }
    }

private:
    int depth_ = 0;
    int subscripts_ = 0;
};

void prepareNodeList(Compilation& c) {
    SubscriptCounter subscripts;
    const std::string* file = nullptr;
    for (Node* node = c.nodes.head(); node != nullptr; node = node->next) {
        if (node->kind == SEMICOL)
            c.message("\n");
        subscripts.see(c, *node);
        if (node->file != nullptr && !node->file->empty())
            file = node->file;
        else if (file != nullptr)
            node->file = file;
    }
}

Node* nextIdentifier(Node* node) {
    for (node = node->next; node != nullptr; node = node->next) {
        if (node->kind == IDENTIFIER)
            return node;
    }
    return nullptr;
}

// The walk over the node list that turns it into symbols and instructions.
class MainWalk {
public:
    explicit MainWalk(Compilation& c) : c_(c) {}

    // False when the walk had to stop (C02, C03).
    bool run() {
        Node* node = c_.nodes.head();
        while (node != nullptr && node->next != nullptr) {
            if (node->file != nullptr)
                c_.codegenFile = node->file;
            node = step(node);
            if (stopped_)
                return false;
        }
        return true;
    }

private:
    Node* step(Node* node) {
        switch (node->kind) {
        case SCOPENAME:
            return openScope(node);
        case FUNCNAME:
            return functionName(node);
        case LABELNAME:
            emit(c_, PIC_LABEL, node->cval, -1, node->line);
            return node->next;
        case GOTO:
            emit(c_, PIC_GOTO, node->cval, -1, node->line);
            return node->next;
        case NEWSCOPE:
            pushscope(c_, strprintf("_TMPSCOPE_%d", c_.tempScopeCounter++));
            return node->next;
        case ENDNEWSCOPE:
            popscope(c_);
            return node->next;
        case FUNCEND:
            generateFunctionEnd(c_, node->line);
            return node->next;
        case IF:
        case NIF:
            generateWalkConditionalJump(c_, *node);
            return node->next;
        case DEC_LIST_START: {
            const Stretch stretch = cutStretch(c_, node->next, DEC_LIST_START, DEC_LIST_END);
            procsym(c_, stretch.items, c_.symbols.main);
            return stretch.after;
        }
        case EXPSTART: {
            Stretch stretch = cutStretch(c_, node->next, EXPSTART, EXPEND);
            c_.defaultExpressionType = INT;
            genstatement(c_, stretch.items);
            return stretch.after;
        }
        case ASM_START:
            c_.message(strprintf("WARNING: Line: %d inline assembly is not generated by this "
                                 "build of the compiler.\n",
                                 node->line));
            return cutStretch(c_, node->next, ASM_START, ASM_END).after;
        case FUNCARGS:
            return node->next != nullptr ? node->next->next : nullptr;
        case FUNC_PROTO_START:
            return skipTo(node, FUNC_PROTO_END);
        default:
            return node->next;
        }
    }

    Node* openScope(Node* node) {
        Node* name = nextIdentifier(node);
        if (name == nullptr || name->cval.empty()) {
            c_.error(strprintf(name == nullptr
                                   ? "ERROR(C02): Line: %3d translation unit name missing.\n"
                                   : "ERROR(C03): Line: %3d translation unit name missing.\n",
                               node->line));
            stopped_ = true;
            return nullptr;
        }
        if (!inscope(c_, name->cval))
            pushscope(c_, name->cval);
        return name->next;
    }

    Node* functionName(Node* node) {
        Node* name = node->next;
        if (name != nullptr && name->kind == IDENTIFIER) {
            const bool interrupt = name->cval == "__interrupt";
            if (interrupt && !c_.pragmas.has("INTERRUPT_LOC"))
                c_.message(strprintf("WARNING(C111): Line: %d Found interrupt routine \"%s\" but "
                                     "pragma \"%s\" is not defined.\n",
                                     node->line, name->cval.c_str(), "INTERRUPT_LOC"));
            emit(c_, PIC_LABEL, interrupt ? name->cval : "@" + name->cval, -1, node->line);
            emit(c_, PIC_SAVEINT, "", -1, node->line);
            return name->next;
        }
        c_.error(strprintf("ERROR(C04): Line %d: Bad function definition\n", node->line));
        if (name != nullptr && name->kind == POINTER && name->next != nullptr &&
            name->next->kind == IDENTIFIER)
            c_.functionName = name->next->cval;
        return node->next;
    }

    static Node* skipTo(Node* node, int kind) {
        while (node != nullptr && node->kind != kind)
            node = node->next;
        return node != nullptr ? node->next : nullptr;
    }

    Compilation& c_;
    bool stopped_ = false;
};

} // namespace

int backEndDriver(Compilation& c) {
    if (c.abortFlag)
        return 1;
    if (c.errors() > 0) {
        c.abortFlag = true;
        return 1;
    }
    enterRuntimeNames(c);
    enterVpReservations(c);
    enterFixedRegisters(c);
    emit(c, PIC_LABEL, "@@@@@");
    buildcalltree(c);
    checkInterruptPragmas(c);
    emit(c, PIC_STRINGLOC, "strings");
    enterCompilerTemporaries(c);
    defaultPageBits(c);
    if (c.abortFlag) {
        c.message("Errors found, No code generated!\n");
        return 2;
    }
    prepareNodeList(c);
    // Every 16-bit result that crosses a call keeps its high byte here.
    c.returnHighRegister = newtmp(c, INT);
    if (!MainWalk(c).run())
        return 2;
    if (!c.pragmas.has("NO_RESET_VECTOR") && c.pragmas.has("RESET_LOC"))
        emit(c, PIC_RESET, "main");
    generateRuntimeRoutines(c);
    // Placement in RAM and program memory, and the assembly, listing and object writers, are
    // not part of this build yet: say so plainly instead of writing outputs that look complete.
    c.message("Code generation is not complete in this build of the compiler: no code "
              "generated.\n");
    return 2;
}

} // namespace kavo
