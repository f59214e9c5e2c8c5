// The Virtual Peripheral pass of the back-end driver: functions named "__asm_N" (the wrappers
// of #loadasm files) are generated first, as Virtual Peripheral code from address 0 on, and
// taken out of the node list so that the main walk does not generate them again; the compiler's
// own code then starts after them. Also the fixed-address names the files' DS lines reserved.
#include "compiler/pipeline/back_end_steps.hpp"

#include "compiler/codegen/emit.hpp"
#include "compiler/codegen/inline_assembly.hpp"
#include "compiler/memory/memory.hpp"
#include "compiler/tables/placement_state.hpp"

#include <string>

namespace kavo {

namespace {

constexpr std::string_view AssemblyFunctionPrefix = "__asm_";

// One function definition of the node list, FUNCSTART to its FUNCEND.
struct Definition {
    Node* before = nullptr; // the node before FUNCSTART; none at the head
    Node* start = nullptr;
    Node* end = nullptr;
    std::string name;
};

// The definition that starts at start (a FUNCSTART), with its name and matching end.
Definition definitionFrom(Node* before, Node* start) {
    Definition d{before, start, nullptr, {}};
    int depth = 0;
    for (Node* node = start; node != nullptr; node = node->next) {
        if (node->kind == FUNCSTART) {
            ++depth;
        } else if (node->kind == FUNCEND && --depth == 0) {
            d.end = node;
            return d;
        } else if (node->kind == FUNCNAME && depth == 1 && d.name.empty() &&
                   node->next != nullptr && node->next->kind == IDENTIFIER) {
            d.name = node->next->cval;
        }
    }
    return d;
}

// The asm blocks of the definition as Virtual Peripheral code, in the global scope.
void generateDefinition(Compilation& c, const Definition& d) {
    c.codegen.vpCodeSeen = true;
    c.codegen.vpMode = true;
    c.codegen.globalScopeFlag = true;
    for (Node* node = d.start; node != d.end; node = node->next) {
        if (node->kind == SEMICOL)
            c.message("\n");
        if (node->kind != ASM_START)
            continue;
        emit(c, PIC_VPSTART, {}, -1, node->line);
        const Stretch stretch = cutStretch(c.stretchTables(), node->next, ASM_START, ASM_END);
        genasm(c, stretch.items);
    }
    c.codegen.vpMode = false;
    c.codegen.globalScopeFlag = false;
}

bool takesOneWord(int opcode) {
    return (opcode >= 1 && opcode <= 22) || (opcode >= 24 && opcode <= 33) ||
           (opcode >= 35 && opcode <= 43) || (opcode >= 70 && opcode <= 78) || opcode == 80 ||
           opcode == 81 || opcode == 95;
}

int wordsGenerated(const Compilation& c) {
    int words = 0;
    for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next)
        words += takesOneWord(i->opcode) ? 1 : 0;
    return words;
}

} // namespace

void generateVirtualPeripherals(Compilation& c) {
    Node* before = nullptr;
    for (Node* node = c.nodes.head(); node != nullptr;) {
        if (node->kind != FUNCSTART) {
            before = node;
            node = node->next;
            continue;
        }
        const Definition d = definitionFrom(before, node);
        if (d.end == nullptr)
            break;
        if (!d.name.starts_with(AssemblyFunctionPrefix)) {
            before = d.end;
            node = d.end->next;
            continue;
        }
        generateDefinition(c, d);
        if (d.before != nullptr)
            d.before->next = d.end->next;
        else
            c.nodes.setHead(d.end->next);
        c.nodes.forgetTailMemo();
        node = d.end->next;
    }
    if (!c.codegen.vpCodeSeen)
        return;
    // The compiler's code starts after the peripheral's words.
    c.placement->segments.advanceFirstStart(wordsGenerated(c));
    emit(c, PIC_VPDONE);
}

void enterAssemblyDataSymbols(Compilation& c) {
    for (const AsmDataSymbol& s : c.asmDataSymbols)
        setfixedloc(c, s.name, s.address, INT);
}

} // namespace kavo
