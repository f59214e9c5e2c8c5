// The typedef names in scope: classify tells the parser whether an identifier is a type name,
// define and hide record what each declaration declared, scope by scope.
#include "compiler/frontend/type_names.hpp"

#include "compiler/base/kinds.hpp"

namespace kavo::frontend {

namespace {

bool isTypeWord(int kind) {
    return kind == VOID || kind == CHAR || kind == SHORT || kind == INT || kind == LONG ||
           kind == FLOAT || kind == DOUBLE || kind == SIGNED || kind == UNSIGNED ||
           kind == TYPEDEFNAME;
}

} // namespace

int TypeNames::classify(int kind, const ParserValue& value, bool asmMode) {
    // The scanner's word typedef1 is a name like any other unless a typedef declared it.
    if ((kind == IDENTIFIER || kind == TYPEDEFNAME) && !asmMode) {
        const bool type = !typeWordSeen_ && !tagOrMemberNext_ && find(value.cval) != nullptr;
        kind = type ? TYPEDEFNAME : IDENTIFIER;
    }
    tagOrMemberNext_ =
        kind == STRUCT || kind == UNION || kind == ENUM || kind == DOT || kind == POINTERSYM;
    if (isTypeWord(kind) || kind == STRUCT || kind == UNION || kind == ENUM) {
        typeWordSeen_ = true;
    } else if (kind == LSQUIG) {
        scopes_.emplace_back();
        typeWordSeen_ = false;
    } else if (kind == RSQUIG) {
        if (scopes_.size() > 1)
            scopes_.pop_back();
        typeWordSeen_ = false;
    } else if (kind == LPAREN) {
        ++parentheses_;
        typeWordSeen_ = false;
    } else if (kind == RPAREN) {
        parentheses_ = parentheses_ > 0 ? parentheses_ - 1 : 0;
        typeWordSeen_ = false;
    } else if (kind == SEMICOL || (kind == COMMA && parentheses_ > 0)) {
        // A parameter's specifiers start after each comma; a declaration's declarators share
        // theirs.
        typeWordSeen_ = false;
    }
    return kind;
}

const TypedefType* TypeNames::find(const std::string& name) const {
    for (auto scope = scopes_.rbegin(); scope != scopes_.rend(); ++scope) {
        const auto found = scope->find(name);
        if (found != scope->end())
            return found->second ? &*found->second : nullptr;
    }
    return nullptr;
}

void TypeNames::define(const std::string& name, TypedefType type) {
    scopes_.back()[name] = std::move(type);
}

void TypeNames::hide(const std::string& name) {
    if (find(name) != nullptr)
        scopes_.back()[name] = std::nullopt;
}

void TypeNames::declarationEnd() {
    declarators_.clear();
    typedefPending_ = false;
}

} // namespace kavo::frontend
