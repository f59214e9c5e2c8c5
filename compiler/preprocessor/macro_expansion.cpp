// Macro expansion of the preprocessor: splitPieces cuts a line into identifiers, literals,
// blanks and single characters; MacroExpander replaces object-like macros by their values and
// calls of function-like macros by their bodies (arguments substituted, # and ## applied),
// rescanning each replacement with the rest of the line. Every piece remembers the macros it
// came out of, so that a macro is never expanded inside its own expansion.
#include "compiler/preprocessor/macro_expansion.hpp"

#include "compiler/base/text_format.hpp"

#include <algorithm>
#include <iterator>

namespace kavo {

namespace {

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isIdentifierStart(char c) {
    return isLetter(c) || c == '_';
}
bool isIdentifierChar(char c) {
    return isIdentifierStart(c) || (c >= '0' && c <= '9');
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The end of a literal opened by the quote at `at`, or npos when it does not close on the line.
std::size_t literalEnd(std::string_view text, std::size_t at) {
    const char quote = text[at];
    for (std::size_t i = at + 1; i < text.size() && text[i] != '\n'; ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == quote)
            return i + 1;
    }
    return std::string_view::npos;
}

std::size_t pieceEnd(std::string_view text, std::size_t at, PieceKind& kind) {
    const char c = text[at];
    if (isIdentifierStart(c)) {
        kind = PieceKind::Identifier;
        while (++at < text.size() && isIdentifierChar(text[at])) {
        }
        return at;
    }
    if (isBlank(c)) {
        kind = PieceKind::Blank;
        while (++at < text.size() && isBlank(text[at])) {
        }
        return at;
    }
    if (c == '"' || c == '\'') {
        const std::size_t end = literalEnd(text, at);
        if (end != std::string_view::npos) {
            kind = PieceKind::Literal;
            return end;
        }
    }
    if (text.substr(at, 2) == "##") {
        kind = PieceKind::Paste;
        return at + 2;
    }
    kind = PieceKind::Other;
    return at + 1;
}

bool hidesItself(const Piece& piece) {
    return std::find(piece.hidden.begin(), piece.hidden.end(), piece.text) != piece.hidden.end();
}

std::size_t nextNonBlank(const std::vector<Piece>& pieces, std::size_t from) {
    while (from < pieces.size() && pieces[from].kind == PieceKind::Blank)
        ++from;
    return from;
}

bool pasteBeside(const std::vector<Piece>& body, std::size_t at) {
    std::size_t before = at;
    while (before > 0 && body[before - 1].kind == PieceKind::Blank)
        --before;
    const std::size_t after = nextNonBlank(body, at + 1);
    return (before > 0 && body[before - 1].kind == PieceKind::Paste) ||
           (after < body.size() && body[after].kind == PieceKind::Paste);
}

void trimBlanks(std::vector<Piece>& pieces) {
    while (!pieces.empty() && pieces.back().kind == PieceKind::Blank)
        pieces.pop_back();
    const std::size_t first = nextNonBlank(pieces, 0);
    pieces.erase(pieces.begin(), pieces.begin() + static_cast<std::ptrdiff_t>(first));
}

// #x: the argument as written, blanks inside it one space, quotes and backslashes inside its
// literals escaped.
Piece stringify(const std::vector<Piece>& argument) {
    std::string text = "\"";
    bool blank = false;
    for (const Piece& piece : argument) {
        if (piece.kind == PieceKind::Blank) {
            blank = true;
            continue;
        }
        if (blank && text.size() > 1)
            text += ' ';
        blank = false;
        for (char c : piece.text) {
            if (piece.kind == PieceKind::Literal && (c == '"' || c == '\\'))
                text += '\\';
            text += c;
        }
    }
    return {PieceKind::Literal, text + "\"", {}};
}

// a ## b: the two pieces beside the operator become one text, read again as pieces.
std::vector<Piece> paste(std::vector<Piece> pieces) {
    std::vector<Piece> result;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].kind != PieceKind::Paste) {
            result.push_back(std::move(pieces[i]));
            continue;
        }
        while (!result.empty() && result.back().kind == PieceKind::Blank)
            result.pop_back();
        std::string glued;
        if (!result.empty()) {
            glued = result.back().text;
            result.pop_back();
        }
        const std::size_t right = nextNonBlank(pieces, i + 1);
        if (right < pieces.size() && pieces[right].kind != PieceKind::Paste) {
            glued += pieces[right].text;
            i = right;
        } else {
            i = right - 1;
        }
        std::vector<Piece> again = splitPieces(glued);
        if (again.empty())
            again.push_back({PieceKind::Placemarker, "", {}});
        std::move(again.begin(), again.end(), std::back_inserter(result));
    }
    std::erase_if(result, [](const Piece& p) { return p.kind == PieceKind::Placemarker; });
    return result;
}

// Two pieces that would read as one token when written side by side ("-" "-", "a" "b").
bool wouldJoin(const std::string& left, const std::string& right) {
    if (left.empty() || right.empty())
        return false;
    const char a = left.back();
    const char b = right.front();
    static const std::string_view operators = "+-*/%<>=!&|^.#:";
    return (isIdentifierChar(a) && isIdentifierChar(b)) ||
           (operators.find(a) != std::string_view::npos &&
            operators.find(b) != std::string_view::npos);
}

} // namespace

std::vector<Piece> splitPieces(std::string_view text) {
    std::vector<Piece> pieces;
    std::size_t at = 0;
    while (at < text.size()) {
        PieceKind kind;
        const std::size_t end = pieceEnd(text, at, kind);
        pieces.push_back({kind, std::string(text.substr(at, end - at)), {}});
        at = end;
    }
    return pieces;
}

std::string joinPieces(const std::vector<Piece>& pieces) {
    std::string text;
    for (const Piece& piece : pieces)
        text += piece.text;
    return text;
}

std::optional<MacroHead> readMacroHead(std::string_view text, std::string& error) {
    MacroHead head;
    std::size_t at = 0;
    while (at < text.size() && isIdentifierChar(text[at]))
        ++at;
    if (at == 0 || at >= text.size() || text[at] != '(') {
        // Object-like: the name is the whole word, as it has always been read.
        std::size_t end = 0;
        while (end < text.size() && !isBlank(text[end]) && text[end] != '\n')
            ++end;
        head.name = std::string(text.substr(0, end));
        head.bodyStart = end;
        return head;
    }
    head.name = std::string(text.substr(0, at));
    head.functionLike = true;
    ++at;
    for (;;) {
        while (at < text.size() && isBlank(text[at]))
            ++at;
        if (at < text.size() && text[at] == ')' && head.parameters.empty())
            break;
        std::size_t end = at;
        if (text.substr(at, 3) == "...") {
            end = at + 3;
            head.variadic = true;
        } else {
            while (end < text.size() && isIdentifierChar(text[end]))
                ++end;
        }
        std::string parameter(text.substr(at, end - at));
        if (parameter.empty() || (!isIdentifierStart(parameter.front()) && !head.variadic)) {
            error = "parameter list of macro " + head.name + " is malformed";
            return std::nullopt;
        }
        if (head.variadic)
            parameter = "__VA_ARGS__";
        if (std::find(head.parameters.begin(), head.parameters.end(), parameter) !=
            head.parameters.end()) {
            error = "macro " + head.name + " names its parameter " + parameter + " twice";
            return std::nullopt;
        }
        head.parameters.push_back(parameter);
        at = end;
        while (at < text.size() && isBlank(text[at]))
            ++at;
        if (at < text.size() && text[at] == ',' && !head.variadic) {
            ++at;
            continue;
        }
        if (at < text.size() && text[at] == ')')
            break;
        error = "parameter list of macro " + head.name + " is malformed";
        return std::nullopt;
    }
    head.bodyStart = at + 1;
    return head;
}

std::optional<std::string> MacroExpander::expand(std::string_view line) {
    auto pieces = expandPieces(splitPieces(line));
    if (!pieces)
        return std::nullopt;
    return joinPieces(*pieces);
}

std::optional<std::vector<Piece>> MacroExpander::expandPieces(std::vector<Piece> pieces) {
    std::vector<Piece> output;
    if (!expandInto(std::move(pieces), output, 0))
        return std::nullopt;
    return output;
}

bool MacroExpander::fail(int code, std::string text) {
    error_ = {code, std::move(text)};
    return false;
}

// Each line may produce a bounded number of pieces: macros whose values name others twice
// would otherwise grow a line exponentially.
bool MacroExpander::grow(std::size_t pieces) {
    produced_ += pieces;
    if (produced_ <= 16 * maxLength_)
        return true;
    return fail(280, "");
}

std::optional<std::vector<Piece>> MacroExpander::builtIn(const Piece& name) const {
    if (name.text == "__LINE__")
        return std::vector<Piece>{{PieceKind::Other, std::to_string(position_.line), {}}};
    if (name.text != "__FILE__")
        return std::nullopt;
    std::string text = "\"";
    for (char c : position_.file) {
        if (c == '"' || c == '\\')
            text += '\\';
        text += c;
    }
    return std::vector<Piece>{{PieceKind::Literal, text + "\"", {}}};
}

bool MacroExpander::expandInto(std::vector<Piece> input, std::vector<Piece>& output, int depth) {
    if (depth > MaxNesting)
        return fail(290, strprintf("macro expansion nested more than %d deep.", MaxNesting));
    // The pieces still to read, the next one last: a replacement is pushed back in front of
    // the rest of the line and read again with it.
    std::vector<Piece> pending(std::make_move_iterator(input.rbegin()),
                               std::make_move_iterator(input.rend()));
    while (!pending.empty()) {
        Piece piece = std::move(pending.back());
        pending.pop_back();
        const SubstitutionTable::Entry* macro = nullptr;
        if (piece.kind == PieceKind::Identifier && !hidesItself(piece))
            macro = macros_.find(piece.text);
        if (macro == nullptr) {
            auto fixed = piece.kind == PieceKind::Identifier ? builtIn(piece) : std::nullopt;
            if (fixed)
                std::move(fixed->begin(), fixed->end(), std::back_inserter(output));
            else
                output.push_back(std::move(piece));
            continue;
        }
        if (macro->functionLike && objectLikeOnly_) {
            output.push_back(std::move(piece));
            continue;
        }
        if (macro->functionLike) {
            if (!expandCall(piece, *macro, pending, output, depth))
                return false;
            continue;
        }
        std::vector<Piece> body = splitPieces(macro->value);
        if (std::any_of(body.begin(), body.end(),
                        [](const Piece& p) { return p.kind == PieceKind::Paste; }))
            body = paste(std::move(body));
        for (Piece& p : body) {
            if (p.kind != PieceKind::Identifier)
                continue;
            p.hidden = piece.hidden;
            p.hidden.push_back(piece.text);
        }
        if (!grow(body.size()))
            return false;
        pending.insert(pending.end(), std::make_move_iterator(body.rbegin()),
                       std::make_move_iterator(body.rend()));
    }
    return true;
}

bool MacroExpander::expandCall(const Piece& name, const SubstitutionTable::Entry& macro,
                               std::vector<Piece>& pending, std::vector<Piece>& output, int depth) {
    // Without a "(" after it (blanks may come between), the name stands for itself.
    std::size_t open = pending.size();
    while (open > 0 && pending[open - 1].kind == PieceKind::Blank)
        --open;
    if (open == 0 || pending[open - 1].text != "(" || pending[open - 1].kind != PieceKind::Other) {
        output.push_back(name);
        return true;
    }
    pending.resize(open - 1);

    std::vector<std::vector<Piece>> arguments(1);
    int nesting = 1;
    for (;;) {
        if (pending.empty()) {
            return fail(288, "call of macro " + macro.name +
                                 " is not closed on its line: a macro call cannot span lines.");
        }
        Piece piece = std::move(pending.back());
        pending.pop_back();
        const bool other = piece.kind == PieceKind::Other;
        if (other && piece.text == "(") {
            ++nesting;
        } else if (other && piece.text == ")" && --nesting == 0) {
            break;
        } else if (other && piece.text == "," && nesting == 1 &&
                   (!macro.variadic || arguments.size() < macro.parameters.size())) {
            arguments.emplace_back();
            continue;
        }
        arguments.back().push_back(std::move(piece));
    }
    for (auto& argument : arguments)
        trimBlanks(argument);
    const std::size_t wanted = macro.parameters.size();
    if (macro.variadic && arguments.size() + 1 == wanted)
        arguments.emplace_back();
    const bool noArguments = wanted == 0 && arguments.size() == 1 && arguments[0].empty();
    if (arguments.size() != wanted && !noArguments) {
        return fail(287, strprintf("macro %s takes %d argument%s, not %d.", macro.name.c_str(),
                                   static_cast<int>(wanted), wanted == 1 ? "" : "s",
                                   static_cast<int>(arguments.size())));
    }

    const std::vector<Piece> body = splitPieces(macro.value);
    auto parameterOf = [&](const Piece& p) -> int {
        if (p.kind != PieceKind::Identifier)
            return -1;
        const auto found = std::find(macro.parameters.begin(), macro.parameters.end(), p.text);
        return found == macro.parameters.end() ? -1
                                               : static_cast<int>(found - macro.parameters.begin());
    };
    std::vector<Piece> result;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i].kind == PieceKind::Other && body[i].text == "#") {
            const std::size_t next = nextNonBlank(body, i + 1);
            if (next < body.size() && parameterOf(body[next]) >= 0) {
                result.push_back(stringify(arguments[parameterOf(body[next])]));
                i = next;
                continue;
            }
        }
        const int parameter = parameterOf(body[i]);
        if (parameter < 0) {
            result.push_back(body[i]);
        } else if (pasteBeside(body, i)) {
            const auto& argument = arguments[parameter];
            if (argument.empty())
                result.push_back({PieceKind::Placemarker, "", {}});
            result.insert(result.end(), argument.begin(), argument.end());
        } else if (!expandInto(arguments[parameter], result, depth + 1)) {
            return false;
        }
    }
    result = paste(std::move(result));
    for (Piece& p : result) {
        if (p.kind != PieceKind::Identifier)
            continue;
        p.hidden.insert(p.hidden.end(), name.hidden.begin(), name.hidden.end());
        p.hidden.push_back(name.text);
    }
    if (!result.empty() && !output.empty() && wouldJoin(output.back().text, result.front().text))
        result.insert(result.begin(), Piece{PieceKind::Blank, " ", {}});
    if (!result.empty() && !pending.empty() && wouldJoin(result.back().text, pending.back().text))
        result.push_back(Piece{PieceKind::Blank, " ", {}});
    if (!grow(result.size()))
        return false;
    pending.insert(pending.end(), std::make_move_iterator(result.rbegin()),
                   std::make_move_iterator(result.rend()));
    return true;
}

} // namespace kavo
