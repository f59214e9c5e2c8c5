#pragma once

#include "compiler/base/output_stream.hpp"
#include "compiler/base/word_splitter.hpp"
#include "compiler/preprocessor/macro_expansion.hpp"
#include "compiler/run/compilation.hpp"

#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace kavo {

// Reads a C source line by line into the preprocess file: comments removed, #replace and
// #define applied, conditionals and other directives executed, includes followed. Every source line
// yields exactly one output line so that line numbers in the preprocess file match the source.
class Preprocessor {
public:
    Preprocessor(Compilation& compilation, OutputStream& out) : c_(compilation), out_(out) {}

    // Processes one file; false when it cannot be opened (reported and counted).
    bool preprocess(const std::string& fileName);
    // Whether an #error, a missing include or a limit stopped the preprocessing: the
    // compilation then ends without parsing the half-read source.
    bool stopped() const { return stopped_; }

    // Includes deeper than this are refused rather than followed.
    static constexpr std::size_t MaxIncludeDepth = 32;
    // More includes than this in one compilation are refused: a tree of headers, each
    // including the next more than once, would otherwise take exponential time.
    static constexpr std::size_t MaxInclusions = 4096;
    // A source line longer than this once #replace and #define are applied is refused: the
    // scanner's time on one token grows with the square of its length.
    static constexpr std::size_t MaxExpandedLineLength = 65536;
    // Conditionals open at once in one file; deeper is refused.
    static constexpr std::size_t MaxConditionalNesting = 256;

private:
    // An #if, #ifdef or #ifndef whose #endif has not been read yet.
    struct OpenConditional {
        int line = 0;              // of the opening directive
        std::string opener;        // "#if", "#ifdef" or "#ifndef", for the messages
        bool enclosingActive;      // the lines around the conditional are processed
        bool branchActive = false; // the lines of the current branch are processed
        bool branchTaken = false;  // a branch was chosen: later #elif and #else are skipped
        bool elseSeen = false;
    };

    struct SourceFile {
        std::ifstream in;
        std::string name;
        int lineCounter = 0;
        std::vector<OpenConditional> conditionals;
        bool readLine(std::string& line);
        bool active() const {
            return conditionals.empty() ||
                   (conditionals.back().enclosingActive && conditionals.back().branchActive);
        }
    };

    enum class Form { OneWord, TwoWord };
    struct Directive {
        std::string name;
        Form form = Form::OneWord;
        std::size_t arg = 1; // index of the first argument word
    };
    // Whether a line stands outside any conditional or inside one: a few directives report
    // with other message codes inside.
    enum class Context { MainLoop, Region };

    struct PreparedLine {
        std::string text; // comments removed, replace rules applied
        SplitLine split;
    };
    // A line ending in a backslash goes on with the next one: joins them into line and
    // returns how many lines were joined.
    static int spliceContinuedLines(SourceFile& file, std::string& line);
    PreparedLine prepare(const std::string& raw, bool& inBlock) const;
    static std::optional<Directive> recognise(const SplitLine& split);
    static bool isConditional(const std::string& directiveName);
    bool withinWordLimits(const SourceFile& file, const SplitLine& split);

    void processLine(SourceFile& file, const PreparedLine& line);
    // Runs the directives other than the conditionals; false when the directive is not one
    // of them.
    bool executeShared(SourceFile& file, const PreparedLine& line, const Directive& directive,
                       Context context);
    void reportStray(const SourceFile& file, const Directive& directive);

    // #if, #ifdef, #ifndef, #elif, #else and #endif, nested to any depth.
    void conditionalDirective(SourceFile& file, const PreparedLine& line,
                              const Directive& directive);
    bool conditionHolds(const SourceFile& file, const PreparedLine& line,
                        const Directive& directive);
    void reportUnclosed(const SourceFile& file);

    void doDefine(const SourceFile& file, const PreparedLine& line, const Directive& directive,
                  Context context);
    void addFunctionLike(const SourceFile& file, const PreparedLine& line,
                         const Directive& directive, const MacroHead& head);
    void doVpmem(const SourceFile& file, const SplitLine& split, const Directive& directive,
                 Context context);
    void doPragma(const SplitLine& split, const Directive& directive);
    void doMessage(const SourceFile& file, const PreparedLine& line, const Directive& directive);
    void doInclude(SourceFile& file, const SplitLine& split, const Directive& directive);
    void doLoad(const SourceFile& file, const SplitLine& split, const Directive& directive);
    // The file an #include names, searched in the folders in order; nothing when no folder
    // holds it (the folders searched are then in `searched`).
    std::string spelledPath(const std::string& name, const std::string& found) const;
    std::optional<std::string> findInclude(const SourceFile& file, const std::string& name,
                                           bool angled, std::string& searched) const;

    // #loadasm: the assembly file wrapped as the function "__asm_N"; false when it cannot be
    // opened (VP100).
    bool loadAssembly(const std::string& path, int directiveLine, const std::string& includingFile);
    void defineAssemblyName(const std::string& name, const std::string& value);
    static std::string dataWords(const SplitLine& split, int& counter);

    // The #define macros expanded in a line of C text; nothing after an error, reported.
    std::optional<std::string> expandMacros(const SourceFile& file, std::string_view text,
                                            bool objectLikeOnly = false);
    std::string expandAssembly(const SourcePosition& position, const std::string& text);
    void reportMacroError(const SourcePosition& position, const MacroError& error);
    // An error at a line of a file: "ERROR(Ccode): "file" Line: n text".
    void errorAt(const SourceFile& file, int code, const std::string& text);
    // Stops the preprocessing: no further line of any file is read.
    void stop() { stopped_ = true; }

    // A line of C text, after define expansion (C280 when it is too long).
    void writeSourceLine(const SourceFile& file, const std::string& text);
    void writeLine(const std::string& text) { out_.write(text); }
    void writeEmptyLine() { out_.write("\n"); }

    Compilation& c_;
    OutputStream& out_;
    std::vector<std::string> includeChain_;
    std::size_t inclusions_ = 0;
    int asmFunctionCounter_ = 1;
    bool stopped_ = false;
};

} // namespace kavo
