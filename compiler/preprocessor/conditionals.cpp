// The conditionals of the preprocessor: #if, #ifdef and #ifndef open a conditional on the
// file's stack, #elif and #else choose the next branch, #endif closes it. Inside a skipped
// branch only the conditionals are read, so that nested ones still pair up; every other line
// stands as an empty line, and so does each conditional directive.
#include "compiler/preprocessor/preprocessor.hpp"

#include "compiler/base/text_format.hpp"
#include "compiler/preprocessor/condition_expression.hpp"

namespace kavo {

bool Preprocessor::isConditional(const std::string& directiveName) {
    return directiveName == "if" || directiveName == "ifdef" || directiveName == "ifndef" ||
           directiveName == "elif" || directiveName == "else" || directiveName == "endif";
}

void Preprocessor::conditionalDirective(SourceFile& file, const PreparedLine& line,
                                        const Directive& directive) {
    writeEmptyLine();
    const std::string& name = directive.name;
    auto& open = file.conditionals;
    if (name == "if" || name == "ifdef" || name == "ifndef") {
        if (open.size() >= MaxConditionalNesting) {
            errorAt(file, 289,
                    strprintf("conditionals nested more than %d deep.",
                              static_cast<int>(MaxConditionalNesting)));
            stop();
            return;
        }
        OpenConditional opened{file.lineCounter, "#" + name, file.active()};
        if (opened.enclosingActive)
            opened.branchActive = opened.branchTaken = conditionHolds(file, line, directive);
        open.push_back(opened);
        return;
    }
    if (open.empty()) {
        reportStray(file, directive);
        return;
    }
    OpenConditional& current = open.back();
    if (name == "endif") {
        open.pop_back();
        return;
    }
    if (current.elseSeen) {
        errorAt(file, 293,
                strprintf("#%s after the #else of the %s on line %d.", name.c_str(),
                          current.opener.c_str(), current.line));
        return;
    }
    if (name == "else") {
        current.elseSeen = true;
        current.branchActive = !current.branchTaken;
        current.branchTaken = true;
        return;
    }
    // #elif: its expression is read only when no earlier branch was taken.
    if (current.branchTaken || !current.enclosingActive) {
        current.branchActive = false;
        return;
    }
    current.branchActive = current.branchTaken = conditionHolds(file, line, directive);
}

bool Preprocessor::conditionHolds(const SourceFile& file, const PreparedLine& line,
                                  const Directive& directive) {
    if (directive.name == "ifdef" || directive.name == "ifndef") {
        const bool defined = c_.defines.has(line.split.word(directive.arg));
        return directive.name == "ifdef" ? defined : !defined;
    }
    const SourcePosition position{file.name, file.lineCounter};
    MacroExpander expander(c_.defines, position, MaxExpandedLineLength);
    MacroError error;
    const auto holds = evaluateCondition(line.split.restFrom(line.text, directive.arg), expander,
                                         c_.defines, error);
    if (!holds)
        reportMacroError(position, error);
    // A condition that cannot be computed takes no branch; the error stops the compilation
    // before any code is generated.
    return holds.value_or(false);
}

void Preprocessor::reportUnclosed(const SourceFile& file) {
    for (auto it = file.conditionals.rbegin(); it != file.conditionals.rend(); ++it) {
        c_.error(strprintf("ERROR(C68): \"%s\" Line: %d End of file reached while searching for "
                           "#else or #endif of this %s\n",
                           file.name.c_str(), it->line, it->opener.c_str()));
    }
}

} // namespace kavo
