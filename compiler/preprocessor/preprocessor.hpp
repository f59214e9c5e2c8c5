#pragma once

#include "compiler/base/output_stream.hpp"
#include "compiler/base/word_splitter.hpp"
#include "compiler/run/compilation.hpp"

#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace kavo {

// Reads a C source line by line into the preprocess file: comments removed, #replace and
// #define applied, directives executed, includes followed. Every source line yields exactly one
// output line so that line numbers in the preprocess file match the source.
class Preprocessor {
public:
    Preprocessor(Compilation& compilation, OutputStream& out) : c_(compilation), out_(out) {}

    // Processes one file; false when it cannot be opened (reported and counted).
    bool preprocess(const std::string& fileName);

    // Includes deeper than this are refused rather than followed.
    static constexpr std::size_t MaxIncludeDepth = 32;
    // More includes than this in one compilation are refused: a tree of headers, each
    // including the next more than once, would otherwise take exponential time.
    static constexpr std::size_t MaxInclusions = 4096;
    // A source line longer than this once #replace and #define are applied is refused: the
    // scanner's time on one token grows with the square of its length.
    static constexpr std::size_t MaxExpandedLineLength = 65536;

private:
    struct SourceFile {
        std::ifstream in;
        std::string name;
        int lineCounter = 0;
        bool readLine(std::string& line);
    };

    enum class Form { OneWord, TwoWord };
    struct Directive {
        std::string name;
        Form form = Form::OneWord;
        std::size_t arg = 1; // index of the first argument word
    };
    // Whether a line is executed in the main loop or inside an #ifdef region: a few
    // directives report with other message codes there.
    enum class Context { MainLoop, Region };
    // Why a conditional region stopped.
    enum class RegionEnd { Else = 1, Endif = 2, ElifOrEnd = 3 };

    struct PreparedLine {
        std::string text; // comments removed, replace rules applied
        SplitLine split;
    };
    PreparedLine prepare(const std::string& raw, bool& inBlock) const;
    static std::optional<Directive> recognise(const SplitLine& split);
    bool withinWordLimits(const SourceFile& file, const SplitLine& split);

    void processMainLine(SourceFile& file, const PreparedLine& line);
    // Runs the directives valid both in the main loop and in an active region; false when the
    // directive is not one of them.
    bool executeShared(SourceFile& file, const PreparedLine& line, const Directive& directive,
                       Context context);
    void conditional(SourceFile& file, bool nameDefined);
    RegionEnd region(SourceFile& file, bool active);
    void reportUnsupported(const SourceFile& file, const Directive& directive);

    void doDefine(const PreparedLine& line, const Directive& directive, Context context);
    void doVpmem(const SourceFile& file, const SplitLine& split, const Directive& directive,
                 Context context);
    void doPragma(const SplitLine& split, const Directive& directive);
    void doInclude(SourceFile& file, const SplitLine& split, const Directive& directive);
    void doLoad(const SourceFile& file, const SplitLine& split, const Directive& directive);

    // #loadasm: the assembly file wrapped as the function "__asm_N"; false when it cannot be
    // opened (VP100).
    bool loadAssembly(const std::string& path, int directiveLine, const std::string& includingFile);
    void defineAssemblyName(const std::string& name, const std::string& value);
    static std::string dataWords(const SplitLine& split, int& counter);

    // A line of C text, after define expansion (C280 when it is too long).
    void writeSourceLine(const SourceFile& file, const std::string& text);
    void writeLine(const std::string& text) { out_.write(text); }
    void writeEmptyLine() { out_.write("\n"); }

    Compilation& c_;
    OutputStream& out_;
    std::vector<std::string> includeChain_;
    std::size_t inclusions_ = 0;
    int asmFunctionCounter_ = 1;
};

} // namespace kavo
