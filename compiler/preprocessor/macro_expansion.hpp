#pragma once

#include "compiler/tables/substitution.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavo {

// The pieces of a line the macro expander works on. An identifier starts at a letter or "_"
// wherever it stands (so "1N" holds the identifier "N", as #define has always read it); a
// string or character literal is one piece when it ends on the same line, otherwise its
// quote is an ordinary character.
enum class PieceKind { Identifier, Literal, Blank, Other, Paste, Placemarker };

struct Piece {
    PieceKind kind = PieceKind::Other;
    std::string text;
    // Macros this piece came out of: they are not expanded again where it is rescanned.
    std::vector<std::string> hidden;
};

std::vector<Piece> splitPieces(std::string_view text);

// Where a line comes from, for __FILE__ and __LINE__.
struct SourcePosition {
    std::string file;
    int line = 0;
};

struct MacroError {
    int code = 0;
    std::string text;
};

// How a #define line names its macro: a name directly followed by "(" takes parameters.
struct MacroHead {
    std::string name;
    bool functionLike = false;
    std::vector<std::string> parameters;
    bool variadic = false;
    std::size_t bodyStart = 0; // offset of the text after the name or the ")"
};
// Reads the head of a #define from its name onwards; an error text when the parameter list is
// malformed.
std::optional<MacroHead> readMacroHead(std::string_view text, std::string& error);

// Expands the #define macros in a line as C does: function-like macros take their arguments
// (each expanded first, except beside # and ##), the result is rescanned together with the
// rest of the line, and a macro is never expanded inside its own expansion.
class MacroExpander {
public:
    // Expansions nested deeper than this (a macro's argument holding a call holding a call...)
    // are refused, as is a line whose expansion grows beyond the preprocessor's line limit.
    static constexpr int MaxNesting = 200;

    MacroExpander(const SubstitutionTable& macros, SourcePosition position, std::size_t maxLength)
        : macros_(macros), position_(std::move(position)), maxLength_(maxLength) {}

    // Only object-like macros, as a #define value is expanded once when it is defined.
    void objectLikeOnly() { objectLikeOnly_ = true; }

    std::optional<std::string> expand(std::string_view line);
    std::optional<std::vector<Piece>> expandPieces(std::vector<Piece> pieces);
    const MacroError& error() const { return error_; }

private:
    bool expandInto(std::vector<Piece> input, std::vector<Piece>& output, int depth);
    bool expandCall(const Piece& name, const SubstitutionTable::Entry& macro,
                    std::vector<Piece>& pending, std::vector<Piece>& output, int depth);
    std::optional<std::vector<Piece>> builtIn(const Piece& name) const;
    bool fail(int code, std::string text);
    bool grow(std::size_t pieces);

    const SubstitutionTable& macros_;
    SourcePosition position_;
    std::size_t maxLength_;
    bool objectLikeOnly_ = false;
    std::size_t produced_ = 0;
    MacroError error_;
};

// The text of pieces, as written.
std::string joinPieces(const std::vector<Piece>& pieces);

} // namespace kavo
