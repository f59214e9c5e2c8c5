#pragma once

#include "compiler/codegen/instruction_list.hpp"
#include "compiler/driver/arena.hpp"
#include "compiler/driver/compiler_io.hpp"
#include "compiler/driver/compiler_settings.hpp"
#include "compiler/driver/diagnostics.hpp"
#include "compiler/driver/node.hpp"
#include "compiler/driver/node_list.hpp"
#include "compiler/driver/output_stream.hpp"
#include "compiler/driver/string_pool.hpp"
#include "compiler/memory/call_tree.hpp"
#include "compiler/preprocessor/pragma_table.hpp"
#include "compiler/preprocessor/substitution.hpp"
#include "compiler/symbols/symbol_table.hpp"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace kavo {

// Flags set by the command line and the configuration file; every run starts with them at 0.
struct RunFlags {
    bool mapFileEnabled = false;
    std::uint32_t reuseMemory = 0;
    std::uint32_t printScope = 0;
    std::uint32_t asmFormat = 0;
    std::uint32_t replaceAtFlag = 0;
    std::uint32_t replaceUnderscoreFlag = 0;
    std::uint32_t debugForm = 0;
    std::uint32_t remapFlag = 0;
};

// A RAM range that #vpmem reserves for Virtual Peripheral code; the symbol table enters one
// fixed-address symbol per address once it exists.
struct VpRamReservation {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    int line = 0;
};

// The most recent leaf the expression generator produced or passed: statements and
// declarations read it after an expression.
struct ExpressionResult {
    int kind = 0;     // INTEGER_CONSTANT, IDENTIFIER, LONG_IDENTIFIER; 0 when none
    std::string name; // operand name
    int value = 0;    // constant value or byte offset
};

// The call tree: entries newest first.
struct CallTree {
    explicit CallTree(Diagnostics& diagnostics) : arena(diagnostics) {}
    Arena<CallTreeEntry> arena;
    CallTreeEntry* head = nullptr;
    int count = 0;
};

// A string literal placed in the string table of program memory.
struct StringConstant {
    std::string name; // "_str_" and its position
    std::string text; // escapes translated
    int position = 0;
};

// The program memory image: 4096 words, 0xFFF marking a free word.
constexpr std::size_t ProgramImageWords = 4096;
constexpr std::uint32_t FreeWord = 0xFFF;

// Everything one compilation knows. A run is one Compilation: constructing it is the run
// reset, destroying it releases every record the run made, and no state survives into the
// next run except the CompilerSettings the caller keeps.
class Compilation {
public:
    Compilation(CompilerSettings& settings, CompilerIo& io);
    Compilation(const Compilation&) = delete;
    Compilation& operator=(const Compilation&) = delete;

    CompilerSettings& settings;
    Diagnostics diagnostics;
    RunFlags flags;

    // Run state.
    bool abortFlag = false;
    bool successFlag = false;
    int tmpPrefixLength = 5;
    int tempScopeCounter = 0;
    bool vpCodeSeen = false;
    bool vpMode = false;
    int defaultExpressionType = 269;
    // The scanner's current line; marker nodes take their line from it.
    int currentLine = 0;

    // Output streams.
    OutputStream preprocessFile;
    OutputStream assemblyFile;
    OutputStream listingFile;
    OutputStream objectFile;
    OutputStream mapFile;
    // The stream the scanner reads: the preprocess file.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> parserInput{nullptr, &std::fclose};

    // Names of this run.
    std::string givenFileName;  // the file name as given, before the cut at "."
    std::string fileStem;       // the file name cut at its first "."
    std::string fileName;       // the most recently formed output file name
    std::string sourceFileName; // SRC_DIR, stem, ".", SRC_EXTENSION
    std::string functionName;
    std::string functionName2;

    // Tables.
    StringPool strings;
    NodeList nodes;
    Arena<Item> items;
    PragmaTable pragmas;
    SubstitutionTable defines;
    SubstitutionTable replaces;
    std::vector<std::uint32_t> programImage;
    std::vector<VpRamReservation> vpRamReservations;
    SymbolTable symbols;
    InstructionList instructions;
    CallTree callTree;

    // Code generator state shared with the symbol table and the instruction list.
    ExpressionResult lastResult;
    // The byte holding the high half of every 16-bit result that crosses a call; taken from
    // the temporary pool before code generation and held for the whole run.
    std::string returnHighRegister;
    // The temporary holding the result of the last nested expression: kept in use until the
    // statement that reads it is done (or GETEXPVAL hands it to the enclosing expression).
    std::string pendingResultTemp;
    // Temporaries holding the arguments of the open calls, released once the call is made.
    std::vector<std::vector<std::string>> argumentTemps;
    // The string table: its literals and the number of characters stored so far.
    std::vector<StringConstant> stringConstants;
    int stringTableSize = 0;
    // Set when an error stops the expression being generated.
    bool abortExpression = false;
    // Arguments passed so far to the call being compiled, and the callees of open calls.
    int argumentCounter = 0;
    std::vector<std::string> calleeNames;
    // How many runtime parameter slots the interrupt routine saves (0 until it is known).
    int interruptSaveCount = 0;
    int expressionSign = 269;                  // SIGNED or UNSIGNED, as last set for an expression
    bool globalScopeFlag = false;              // instructions made now belong to _GLOBAL_
    const std::string* codegenFile = nullptr;  // the source file of the code being generated
    std::vector<const Symbol*> tagsBeingSized; // guards sizing against self-containing tags
    std::vector<const Symbol*> tagsBeingDefined; // their members are still being entered

    // Shorthands for the message channels.
    void message(std::string_view text) { diagnostics.message(text); }
    void error(std::string_view text) { diagnostics.error(text); }
    int errors() const { return diagnostics.errors(); }
};

} // namespace kavo
