// The preprocessor pass: reads the source and its includes line by line into the preprocess
// file. preprocess drives the files, recognise and processMainLine dispatch the directives
// (doDefine, doPragma, doInclude; #ifdef/#ifndef through conditional and region), and
// reportUnsupported names the directives it refuses.
#include "compiler/preprocessor/preprocessor.hpp"
#include "compiler/preprocessor/vp_loader.hpp"

#include "compiler/base/number_reader.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/preprocessor/comment_stripper.hpp"
#include "compiler/tables/substitution.hpp"

#include <algorithm>
#include <filesystem>

namespace kavo {

namespace {

std::string withoutQuotes(std::string name) {
    if (!name.empty() && name.front() == '"') {
        name.erase(0, 1);
        if (!name.empty() && name.back() == '"')
            name.pop_back();
    }
    return name;
}

// The same file reached through different spellings of its path is still the same file.
std::string identityOf(const std::string& path) {
    std::error_code error;
    const auto canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

// Highest RAM address of the largest part (16 banks of 32 registers).
constexpr std::uint32_t HighestRamAddress = 511;

} // namespace

bool Preprocessor::SourceFile::readLine(std::string& line) {
    if (!std::getline(in, line))
        return false;
    // Sources written on other systems end their lines in CR LF.
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    ++lineCounter;
    return true;
}

bool Preprocessor::preprocess(const std::string& fileName) {
    SourceFile file;
    file.name = withoutQuotes(fileName);
    // A directory opens as a stream on Linux, but holds no source.
    std::error_code error;
    if (!std::filesystem::is_directory(file.name, error))
        file.in.open(file.name, std::ios::binary);
    if (!file.in.is_open() || !file.in) {
        c_.diagnostics.standardError(
            strprintf("Cannot open file %s to preprocess.\n", file.name.c_str()));
        c_.diagnostics.countError();
        return false;
    }
    includeChain_.push_back(identityOf(file.name));
    bool inBlock = false;
    std::string raw;
    while (file.readLine(raw))
        processMainLine(file, prepare(raw, inBlock));
    includeChain_.pop_back();
    return true;
}

Preprocessor::PreparedLine Preprocessor::prepare(const std::string& raw, bool& inBlock) const {
    PreparedLine line;
    line.text = replaceExpand(stripComments(raw, inBlock), c_.replaces);
    line.split = splitWords(line.text);
    return line;
}

std::optional<Preprocessor::Directive> Preprocessor::recognise(const SplitLine& split) {
    const std::string& first = split.word(0);
    if (first.empty() || first.front() != '#')
        return std::nullopt;
    Directive directive;
    if (first == "#") {
        directive.name = split.word(1);
        directive.form = Form::TwoWord;
        directive.arg = 2;
    } else {
        directive.name = first.substr(1);
    }
    static const char* const known[] = {"replace", "vpmem",   "define", "undef", "loadasm",
                                        "loadvp",  "include", "pragma", "ifdef", "ifndef",
                                        "elif",    "else",    "endif",  "if"};
    if (std::find(std::begin(known), std::end(known), directive.name) == std::end(known))
        return std::nullopt;
    return directive;
}

bool Preprocessor::withinWordLimits(const SourceFile& file, const SplitLine& split) {
    if (split.count() > MaxDirectiveWords) {
        c_.error(strprintf("ERROR(C262): \"%s\" Line: %d directive has more than %d words.\n",
                           file.name.c_str(), file.lineCounter,
                           static_cast<int>(MaxDirectiveWords)));
        return false;
    }
    for (const std::string& word : split.words) {
        if (word.size() > MaxDirectiveWordLength) {
            c_.error(strprintf(
                "ERROR(C263): \"%s\" Line: %d directive word longer than %d characters.\n",
                file.name.c_str(), file.lineCounter, static_cast<int>(MaxDirectiveWordLength)));
            return false;
        }
    }
    return true;
}

void Preprocessor::writeSourceLine(const SourceFile& file, const std::string& text) {
    if (text.size() <= MaxExpandedLineLength) {
        writeLine(text);
        return;
    }
    c_.error(strprintf("ERROR(C280): \"%s\" Line: %d line longer than %d characters after "
                       "#replace and #define.\n",
                       file.name.c_str(), file.lineCounter,
                       static_cast<int>(MaxExpandedLineLength)));
    writeEmptyLine();
}

void Preprocessor::processMainLine(SourceFile& file, const PreparedLine& line) {
    const auto directive = recognise(line.split);
    if (!directive) {
        writeSourceLine(file, defineExpand(line.text, c_.defines));
        return;
    }
    if (!withinWordLimits(file, line.split)) {
        writeEmptyLine();
        return;
    }
    if (executeShared(file, line, *directive, Context::MainLoop))
        return;
    if (directive->name == "ifdef" || directive->name == "ifndef") {
        const bool defined = c_.defines.has(line.split.word(directive->arg));
        conditional(file, directive->name == "ifdef" ? defined : !defined);
        return;
    }
    reportUnsupported(file, *directive);
    // The line still stands for itself in the output, so later line numbers stay right.
    writeEmptyLine();
}

bool Preprocessor::executeShared(SourceFile& file, const PreparedLine& line,
                                 const Directive& directive, Context context) {
    const SplitLine& split = line.split;
    const std::string& name = directive.name;
    if (name == "replace") {
        c_.replaces.add(split.word(directive.arg),
                        directiveValue(split.restFrom(line.text, directive.arg + 1)));
    } else if (name == "vpmem") {
        doVpmem(file, split, directive, context);
    } else if (name == "define") {
        doDefine(line, directive, context);
    } else if (name == "undef") {
        c_.defines.remove(split.word(directive.arg));
    } else if (name == "pragma") {
        doPragma(split, directive);
    } else if (name == "loadasm" || name == "loadvp") {
        doLoad(file, split, directive);
    } else if (name == "include") {
        doInclude(file, split, directive);
        return true;
    } else {
        return false;
    }
    writeEmptyLine();
    return true;
}

void Preprocessor::reportUnsupported(const SourceFile& file, const Directive& directive) {
    const bool two = directive.form == Form::TwoWord;
    const char* format = nullptr;
    if (directive.name == "elif") {
        format = two ? "ERROR(C122): \"%s\" Line: %d #elif preprocessor directive not supported.\n"
                     : "ERROR(C123): \"%s\" Line: %d #elif preprocessor directive not supported.\n";
    } else if (directive.name == "else") {
        format = two ? "ERROR(C92): \"%s\" Line: %d found #else with no matching #ifdef or "
                       "#ifndef\n"
                     : "ERROR(C93): \"%s\" Line: %d found #else with no matching #ifdef or "
                       "#ifndef\n";
    } else if (directive.name == "endif") {
        format = two ? "ERROR(C94): \"%s\" Line: %d found #endif with no matching #ifdef or "
                       "#ifndef\n"
                     : "ERROR(C95): \"%s\" Line: %d found #endif with no matching #ifdef or "
                       "#ifndef\n";
    } else {
        format = two ? "ERROR(C120): \"%s\" Line: %d #if preprocessor directive not supported.\n"
                     : "ERROR(C121): \"%s\" Line: %d #if preprocessor directive not supported.\n";
    }
    c_.error(strprintf(format, file.name.c_str(), file.lineCounter));
}

void Preprocessor::doDefine(const PreparedLine& line, const Directive& directive, Context context) {
    const std::string name = line.split.word(directive.arg);
    if (c_.defines.has(name)) {
        const bool two = directive.form == Form::TwoWord;
        const char* format =
            context == Context::MainLoop
                ? (two ? "WARNING(C220): %s redefined.\n" : "WARNING(C219): %s redefined.\n")
                : (two ? "WARNING(C221): %s redefined.\n" : "WARNING(C222): %s redefined.\n");
        c_.message(strprintf(format, name.c_str()));
        c_.defines.remove(name);
    }
    // Earlier macros are expanded in the value once, when it is defined.
    const std::string expanded = defineExpand(line.text, c_.defines);
    const SplitLine again = splitWords(expanded);
    c_.defines.add(name, directiveValue(again.restFrom(expanded, directive.arg + 1)));
}

void Preprocessor::doVpmem(const SourceFile& file, const SplitLine& split,
                           const Directive& directive, Context context) {
    const std::size_t arguments = split.count() - std::min(split.count(), directive.arg);
    if (arguments != 1 && arguments != 2) {
        const bool two = directive.form == Form::TwoWord;
        const char* format = context == Context::MainLoop
                                 ? (two ? "ERROR(C231): Line %d syntax error for #vpmem\n"
                                        : "ERROR(C232): Line %d syntax error for #vpmem\n")
                                 : (two ? "ERROR(C232): Line %d syntax error for #vpmem\n"
                                        : "ERROR(C233): Line %d syntax error for #vpmem\n");
        c_.error(strprintf(format, file.lineCounter));
        return;
    }
    const std::uint32_t first = readCompilerNumber(split.word(directive.arg));
    const std::uint32_t last =
        arguments == 2 ? readCompilerNumber(split.word(directive.arg + 1)) : first;
    if (first > HighestRamAddress || last > HighestRamAddress) {
        c_.error(strprintf("ERROR(C264): Line %d #vpmem address outside RAM (0 to %d).\n",
                           file.lineCounter, static_cast<int>(HighestRamAddress)));
        return;
    }
    c_.vpRamReservations.push_back({first, last, file.lineCounter});
}

void Preprocessor::doPragma(const SplitLine& split, const Directive& directive) {
    const std::string& name = split.word(directive.arg);
    if (name == "PROC_ID_VAL") {
        for (std::size_t i = directive.arg + 1; i < split.count(); ++i) {
            c_.pragmas.set(
                strprintf("%s_%d", name.c_str(), static_cast<int>(i - directive.arg - 1)),
                split.word(i));
        }
        return;
    }
    c_.pragmas.set(name, split.word(directive.arg + 1));
}

void Preprocessor::doLoad(const SourceFile& file, const SplitLine& split,
                          const Directive& directive) {
    const std::string path = withForwardSlashes(c_.settings.vpDir + split.word(directive.arg) +
                                                "." + c_.settings.vpExtension);
    if (directive.name == "loadvp")
        loadvp(c_, path, file.lineCounter);
    else
        loadAssembly(path, file.lineCounter, file.name);
}

void Preprocessor::doInclude(SourceFile& file, const SplitLine& split, const Directive& directive) {
    std::string name = split.word(directive.arg);
    if (!name.empty() && (name.front() == '"' || name.front() == '<'))
        name = name.size() >= 2 ? name.substr(1, name.size() - 2) : std::string();
    const auto includeDir = c_.pragmas.get("INCLUDE_DIR");
    // The name as the file is opened: a name left in quotes ("#include ""a.h"") opens a.h.
    const std::string path =
        withoutQuotes(withForwardSlashes(includeDir ? *includeDir + name : name));

    if (includeChain_.size() >= MaxIncludeDepth) {
        c_.error(strprintf("ERROR(C260): \"%s\" Line: %d #include nested more than %d deep.\n",
                           file.name.c_str(), file.lineCounter, static_cast<int>(MaxIncludeDepth)));
        writeEmptyLine();
        return;
    }
    // Headers that each include the next twice would be read 2^depth times.
    if (++inclusions_ > MaxInclusions) {
        c_.error(strprintf("ERROR(C281): \"%s\" Line: %d more than %d #include in one "
                           "compilation.\n",
                           file.name.c_str(), file.lineCounter, static_cast<int>(MaxInclusions)));
        writeEmptyLine();
        return;
    }
    if (std::find(includeChain_.begin(), includeChain_.end(), identityOf(path)) !=
        includeChain_.end()) {
        c_.error(strprintf("ERROR(C261): \"%s\" Line: %d %s includes itself.\n", file.name.c_str(),
                           file.lineCounter, path.c_str()));
        writeEmptyLine();
        return;
    }
    writeLine(strprintf("#line %d %s\n", 0, path.c_str()));
    c_.message(strprintf("INCLUDING: %s\n", path.c_str()));
    preprocess(path);
    writeLine(strprintf("#line %d %s\n", file.lineCounter - 1, file.name.c_str()));
    writeEmptyLine();
}

void Preprocessor::conditional(SourceFile& file, bool takeFirstBranch) {
    writeEmptyLine();
    // Regions do not nest: the first #else or #endif ends the region, whatever it belongs to.
    if (region(file, takeFirstBranch) == RegionEnd::Else)
        region(file, !takeFirstBranch);
}

Preprocessor::RegionEnd Preprocessor::region(SourceFile& file, bool active) {
    bool inBlock = false;
    std::string raw;
    while (file.readLine(raw)) {
        const PreparedLine line = prepare(raw, inBlock);
        const auto directive = recognise(line.split);
        const std::string name = directive ? directive->name : std::string();
        if (name == "else" || name == "endif") {
            writeEmptyLine();
            return name == "else" ? RegionEnd::Else : RegionEnd::Endif;
        }
        if (name == "elif") {
            c_.error(strprintf(directive->form == Form::TwoWord
                                   ? "ERROR(C124): \"%s\" Line: %d #elif preprocessor directive "
                                     "not supported.\n"
                                   : "ERROR(C125): \"%s\" Line: %d #elif preprocessor directive "
                                     "not supported.\n",
                               file.name.c_str(), file.lineCounter));
            writeEmptyLine();
            return RegionEnd::ElifOrEnd;
        }
        if (!active) {
            writeEmptyLine();
            continue;
        }
        if (directive) {
            if (!withinWordLimits(file, line.split) ||
                !executeShared(file, line, *directive, Context::Region))
                writeEmptyLine();
            continue;
        }
        if (line.split.word(0).starts_with("#"))
            writeEmptyLine();
        else
            writeSourceLine(file, defineExpand(line.text, c_.defines));
    }
    c_.error("ERROR(C68): End of file reached while searching for #else or #endif");
    return RegionEnd::ElifOrEnd;
}

} // namespace kavo
