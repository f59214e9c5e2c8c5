// The statement nodes the parser places among the expression nodes: labels and jumps,
// conditional jumps on the last result, the loop and switch stacks, temporaries, scopes.
#include "compiler/base/kinds.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/functions.hpp"
#include "compiler/codegen/generator.hpp"
#include "compiler/symbols/symbols.hpp"

namespace kavo::codegen {

namespace {

std::string top(const std::vector<std::string>& stack) {
    return stack.empty() ? std::string() : stack.back();
}

std::string pop(std::vector<std::string>& stack) {
    std::string name = top(stack);
    if (!stack.empty())
        stack.pop_back();
    return name;
}

// A jump to the innermost break or continue label; outside any loop the jump has no label,
// which label resolution reports.
// Outside its loop (or switch) the jump has no target: an error, and no jump is emitted.
void jumpTo(Compilation& c, const std::vector<std::string>& stack, const char* outOfScope,
            const Item& item) {
    if (stack.empty()) {
        c.error(strprintf(outOfScope, item.line));
        return;
    }
    emit(c, PIC_GOTO, top(stack), -1, item.line);
}

// The case value: the constant just before CASE, else the last result.
ExpressionResult caseValue(Site& s) {
    if (isLeaf(s.previous)) {
        ExpressionResult value = resultOf(*s.previous);
        drop(s, s.previous);
        return value;
    }
    return s.c.codegen.lastResult;
}

bool fitsByte(int value, int sign) {
    return sign == UNSIGNED ? value >= 0 && value <= 255 : value >= -128 && value <= 127;
}

// The comparison of one case, before the switch's marker: a jump to the case label when the
// switch value equals v. An 8-bit value compares its byte; a 16-bit one both bytes.
void compareCase(Compilation& c, const std::string& label, int v, int line) {
    const std::string variable = top(c.symbols.switchStack);
    const std::string switchEnd = top(c.symbols.switchEnds);
    const auto found = c.codegen.switchValueTypes.find(variable);
    const SwitchValueType type =
        found != c.codegen.switchValueTypes.end() ? found->second : SwitchValueType{};
    if (!type.wide && !fitsByte(v, type.sign)) {
        c.message(strprintf("WARNING: Line: %d case %d can never match the switch's 8-bit "
                            "value.\n",
                            line, v));
        return;
    }
    const std::string next = type.wide ? newlabel(c) : std::string();
    auto compareByte = [&](int byte, int offset, bool last) {
        emitbeforeswend(c, PIC_MOVLW, std::to_string(byte), -1, line, byte, switchEnd);
        emitbeforeswend(c, PIC_SUBWF, variable, 0, line, 0, switchEnd)->offset = offset;
        emitbeforeswend(c, last ? PIC_BTFSC : PIC_BTFSS, Status, Zero, line, 0, switchEnd);
        emitbeforeswend(c, PIC_GOTO, last ? label : next, -1, line, 0, switchEnd);
    };
    if (!type.wide) {
        compareByte(v & 0xFF, 0, true);
        return;
    }
    compareByte(v & 0xFF, 0, false);
    compareByte((v >> 8) & 0xFF, 1, true);
    emitbeforeswend(c, PIC_LABEL, next, -1, line, 0, switchEnd);
}

// case and default belong to a switch: outside one there is nowhere to compare.
bool refusedOutsideSwitch(Compilation& c, const char* word, int line) {
    if (!c.symbols.switchEnds.empty())
        return false;
    c.error(strprintf("ERROR(C277): Line: %d %s outside a switch statement.\n", line, word));
    return true;
}

void generateCase(Site& s) {
    Compilation& c = s.c;
    const int line = s.line();
    const ExpressionResult value = caseValue(s);
    if (refusedOutsideSwitch(c, "case", line))
        return;
    if (value.kind != INTEGER_CONSTANT) {
        c.error(strprintf("ERROR(C49): Line: %d Integer Constant expected near %s.\n", line,
                          writtenAs(value).c_str()));
        return;
    }
    // Every case needs a label of its own: the node's text is only the keyword.
    const std::string label = newlabel(c);
    compareCase(c, label, value.value, line);
    emit(c, PIC_LABEL, label, -1, line);
}

// The default is taken only when no case matches, wherever it is written: its jump joins the
// comparisons when the switch ends, after every case's.
void generateDefault(Compilation& c, int line) {
    if (refusedOutsideSwitch(c, "default", line))
        return;
    const std::string label = newlabel(c);
    if (!c.codegen.switchDefaults.empty())
        c.codegen.switchDefaults.back() = label;
    emit(c, PIC_LABEL, label, -1, line);
}

void endSwitch(Compilation& c, int line) {
    const std::string switchEnd = pop(c.symbols.switchEnds);
    if (!c.codegen.switchDefaults.empty()) {
        const std::string defaultLabel = c.codegen.switchDefaults.back();
        c.codegen.switchDefaults.pop_back();
        if (!defaultLabel.empty())
            emitbeforeswend(c, PIC_GOTO, defaultLabel, -1, line, 0, switchEnd);
    }
    dropswend(c, switchEnd);
}

bool namedByLeaf(const Item* list, const std::string& name) {
    for (const Item* i = list; i != nullptr; i = i->next) {
        if (isIdentifier(i) && i->cval == name)
            return true;
    }
    return false;
}

// A loop whose continue must run its step or its test first (for with a step, do-while)
// names the label it places there itself; other loops continue at the label made here.
void openContinueLabel(Compilation& c, const Item& item) {
    if (item.cval.starts_with("_LBL_")) {
        c.symbols.continueLabels.push_back(item.cval);
        return;
    }
    c.symbols.continueLabels.push_back(newlabel(c));
    emit(c, PIC_LABEL, c.symbols.continueLabels.back(), -1, item.line);
}

// TOP_TMP_VAR and TOP_SWT_VAR stand for their variable as an identifier.
void standFor(Compilation& c, Item* item, const std::string& name) {
    const Symbol* symbol = findsym(c, name);
    becomeLeaf(item, symbol != nullptr && symbol->type == LONG ? LONG_IDENTIFIER : IDENTIFIER,
               name);
}

// A ?: takes the pointer type of its branches: a branch stored into its temporary (value
// ASSIGN temporary) that is a pointer, or an array standing for one, gives the type, and the
// temporary standing as the ?:'s value carries it, so that it is subscripted, dereferenced
// and stepped as that pointer.
void typeConditionalValue(Site& s) {
    Compilation& c = s.c;
    std::unordered_map<std::string, std::string>& types = c.codegen.conditionalPointerTypes;
    const std::string& name = s.item->cval;
    if (s.previous != nullptr && s.previous->kind == ASSIGN) {
        Item* value = s.beforePrevious;
        // An array's name is a pointer to its first element here too, not its first byte.
        if (value != nullptr)
            arrayLeafBecomesAddress(c, *value);
        const Symbol* type = value != nullptr ? typeOfLeaf(c, *value) : nullptr;
        const bool pointer = type != nullptr && type->type != FUNCNAME &&
                             (type->type == POINTER || (type->type == LONG && type->base == CHAR));
        if (pointer && !types.contains(name))
            types.emplace(name, markPointerElement(c, *type));
        return;
    }
    const auto found = types.find(name);
    if (found == types.end())
        return;
    s.item->name = found->second;
    // A one-byte pointer is the temporary's low byte (its high byte is 0).
    const Symbol* type = typeOfLeaf(c, *s.item);
    if (type != nullptr && type->type == POINTER)
        s.item->kind = IDENTIFIER;
}

} // namespace

namespace {

// A condition that is a relation just made into a 0/1 byte jumps on the relation's own test:
// the byte is 1 exactly when the test did not skip its increment. What the byte left in W
// and Z is not read on either path: the code after a condition jump starts afresh.
bool jumpOnRelationTest(Compilation& c, bool jumpWhenTrue, const std::string& label, int line) {
    const TruthByte& truth = c.codegen.truthByte;
    const ExpressionResult& r = c.codegen.lastResult;
    if (r.kind != IDENTIFIER || r.name != truth.name || r.value != 0 ||
        truth.increment == nullptr || c.instructions.last() != truth.increment ||
        truth.test->next != truth.increment || truth.clear->unlinked || truth.test->unlinked ||
        (truth.before != nullptr && (truth.before->unlinked || truth.before->next != truth.clear)))
        return false;
    c.instructions.remove(truth.test, truth.increment);
    c.instructions.remove(truth.before, truth.clear);
    if (!jumpWhenTrue)
        truth.test->opcode = truth.test->opcode == PIC_BTFSS ? PIC_BTFSC : PIC_BTFSS;
    emit(c, PIC_GOTO, label, -1, line);
    c.codegen.truthByte = {};
    return true;
}

} // namespace

void generateConditionalJump(Compilation& c, int kind, const std::string& label, int line) {
    const bool jumpWhenTrue = kind == NIF;
    if (c.codegen.lastResult.kind == INTEGER_CONSTANT) {
        if ((c.codegen.lastResult.value != 0) == jumpWhenTrue)
            emit(c, PIC_GOTO, label, -1, line);
        return;
    }
    if (jumpOnRelationTest(c, jumpWhenTrue, label, line))
        return;
    const ExpressionResult r = settledValue(c, c.codegen.lastResult, false, line);
    emit(c, PIC_MOVF, r.name, 0, line, 0, r.value);
    if (r.kind == LONG_IDENTIFIER)
        emit(c, PIC_IORWF, r.name, 0, line, 0, r.value + 1);
    emit(c, jumpWhenTrue ? PIC_BTFSS : PIC_BTFSC, Status, Zero, line);
    emit(c, PIC_GOTO, label, -1, line);
    if (r.name != c.codegen.lastResult.name)
        freetmp(c, r.name);
}

bool generateStatement(Site& s) {
    Compilation& c = s.c;
    SymbolTable& t = c.symbols;
    Item& item = *s.item;
    const int line = item.line;
    switch (item.kind) {
    case LABELNAME:
        emit(c, PIC_LABEL, kavo::labelName(c, item.cval, item.ival), -1, line);
        break;
    case GOTO:
        emit(c, PIC_GOTO, kavo::labelName(c, item.cval, item.ival), -1, line);
        break;
    case IF:
    case NIF: {
        const ExpressionResult& r = c.codegen.lastResult;
        if (r.kind != INTEGER_CONSTANT && r.kind != IDENTIFIER && r.kind != LONG_IDENTIFIER) {
            c.error(strprintf("ERROR(C33): Line: %d Identifier expected near %s.\n", line,
                              writtenAs(r).c_str()));
            break;
        }
        generateConditionalJump(c, item.kind, item.cval, line);
        break;
    }
    case NEW_BRK_LBL:
        t.breakLabels.push_back(newlabel(c));
        break;
    case TOP_BRK_LBL:
        emit(c, PIC_LABEL, top(t.breakLabels), -1, line);
        break;
    case POP_BRK_LBL:
        pop(t.breakLabels);
        break;
    case BREAK:
        jumpTo(c, t.breakLabels, "ERROR(C302): Line: %d break is not inside a loop or a switch.\n",
               item);
        break;
    case NEW_CONT_LBL:
        openContinueLabel(c, item);
        break;
    case CONTINUE:
    case TOP_CONT_LBL:
        jumpTo(c, t.continueLabels, "ERROR(C303): Line: %d continue is not inside a loop.\n", item);
        break;
    case POP_CONT_LBL:
        pop(t.continueLabels);
        break;
    case NEW_TMP_VAR:
    case NEW_TMP_VAR_LONG:
        // The one-byte temporary of && and || holds a signed 0 or 1, the two-byte one of ?: a
        // signed 16-bit value.
        t.temporaryStack.push_back(newTemporaryOfSign(c, item.kind == NEW_TMP_VAR_LONG, SIGNED));
        c.codegen.conditionalPointerTypes.erase(t.temporaryStack.back());
        break;
    case TOP_TMP_VAR:
        standFor(c, s.item, top(t.temporaryStack));
        typeConditionalValue(s);
        return true;
    case POP_TMP_VAR: {
        // A temporary whose value GETEXPVAL put back into the expression belongs to that leaf
        // from now on: it returns to the pool when the leaf is used, not before.
        const std::string name = pop(t.temporaryStack);
        if (!namedByLeaf(s.list, name))
            freetmp(c, name);
        break;
    }
    case NEW_SWT_VAR:
        t.switchStack.push_back(newswt(c));
        break;
    case TOP_SWT_VAR:
        standFor(c, s.item, top(t.switchStack));
        return true;
    case POP_SWT_VAR:
        freeswt(c, pop(t.switchStack));
        break;
    case SWITCH_END:
        t.switchEnds.push_back(newlabel(c));
        c.codegen.switchDefaults.emplace_back();
        emitswend(c, t.switchEnds.back(), line);
        break;
    case CASE:
        generateCase(s);
        break;
    case DEFAULT:
        generateDefault(c, line);
        break;
    case POP_SWITCH:
        endSwitch(c, line);
        break;
    case NEWSCOPE:
        pushscope(c, strprintf("_TMPSCOPE_%d", c.codegen.tempScopeCounter++));
        break;
    case ENDNEWSCOPE:
        popscope(c);
        break;
    default:
        return false;
    }
    drop(s, s.item);
    return true;
}

} // namespace kavo::codegen
