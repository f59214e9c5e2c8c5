// The main generation walk: one pass over the node list that opens and closes scopes, enters
// declarations into the symbol table (procsym), generates expressions and statements
// (genstatement), function labels and ends, gotos and the walk's own conditional jumps.
#include "compiler/pipeline/main_walk.hpp"

#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/emit.hpp"
#include "compiler/codegen/functions.hpp"
#include "compiler/codegen/genexpr.hpp"
#include "compiler/codegen/inline_assembly.hpp"
#include "compiler/symbols/procsym.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/tables/ram_map.hpp"

namespace kavo {

namespace {

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

    // False when the walk had to stop (C02, C03). After C114 (RamMap::exhausted) it ends
    // where it is: the driver stops the compilation.
    bool run() {
        Node* node = c_.nodes.head();
        while (node != nullptr && node->next != nullptr && !c_.ram->exhausted) {
            if (node->file != nullptr)
                c_.codegen.codegenFile = node->file;
            node = step(node);
            if (stopped_)
                return false;
        }
        return true;
    }

private:
    Node* step(Node* node) {
        switch (node->kind) {
        case SCOPENAME: {
            Node* next = openScope(node);
            // f(x) { ... }: a K&R definition without declarations; x is an int.
            if (next != nullptr && next->kind != DEC_LIST_START)
                declareIdentifierList(c_, node->line);
            return next;
        }
        case FUNCNAME:
            return functionName(node);
        case LABELNAME:
            emit(c_, PIC_LABEL, labelName(c_, node->cval, node->ival), -1, node->line);
            return node->next;
        case GOTO:
            emit(c_, PIC_GOTO, labelName(c_, node->cval, node->ival), -1, node->line);
            return node->next;
        case NEWSCOPE:
            pushscope(c_, strprintf("_TMPSCOPE_%d", c_.codegen.tempScopeCounter++));
            if (node->ival == FunctionBodyScope)
                c_.symbols.functionBodyScope = curscope(c_);
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
            const Stretch stretch =
                cutStretch(c_.stretchTables(), node->next, DEC_LIST_START, DEC_LIST_END);
            procsym(c_, stretch.items, c_.symbols.main);
            return stretch.after;
        }
        case EXPSTART: {
            Stretch stretch = cutStretch(c_.stretchTables(), node->next, EXPSTART, EXPEND);
            c_.codegen.defaultExpressionType = INT;
            c_.codegen.valueDiscarded = node->ival == ValueDiscarded;
            genstatement(c_, stretch.items);
            return stretch.after;
        }
        case ASM_START: {
            const Stretch stretch = cutStretch(c_.stretchTables(), node->next, ASM_START, ASM_END);
            genasm(c_, stretch.items);
            return stretch.after;
        }
        case FUNCARGS:
            declareIdentifierList(c_, node->line);
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
            c_.codegen.functionName = name->next->cval;
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

bool runMainWalk(Compilation& c) {
    return MainWalk(c).run();
}

} // namespace kavo
