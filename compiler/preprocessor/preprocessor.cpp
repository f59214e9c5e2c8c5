// The preprocessor pass: reads the source and its includes line by line into the preprocess
// file. preprocess drives the files, recognise and processLine dispatch the directives
// (doDefine, doPragma, doMessage; the conditionals in conditionals.cpp, #include in
// includes.cpp), and expandMacros applies the #define macros to the lines of C text.
#include "compiler/preprocessor/preprocessor.hpp"
#include "compiler/preprocessor/vp_loader.hpp"

#include "compiler/base/number_reader.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/preprocessor/comment_stripper.hpp"
#include "compiler/preprocessor/file_names.hpp"
#include "compiler/tables/substitution.hpp"

#include <algorithm>
#include <filesystem>

namespace kavo {

namespace {

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
    while (!stopped_ && file.readLine(raw)) {
        const int spliced = spliceContinuedLines(file, raw);
        processLine(file, prepare(raw, inBlock));
        // The lines joined to this one stand as empty lines, so that later lines keep their
        // numbers; the line count moves past them.
        for (int i = 0; i < spliced; ++i)
            writeEmptyLine();
        file.lineCounter += spliced;
    }
    if (!stopped_)
        reportUnclosed(file);
    includeChain_.pop_back();
    return true;
}

int Preprocessor::spliceContinuedLines(SourceFile& file, std::string& line) {
    int spliced = 0;
    std::string next;
    while (!line.empty() && line.back() == '\\' && file.readLine(next)) {
        line.pop_back();
        line += next;
        ++spliced;
    }
    // Messages and __LINE__ name the first line of the group.
    file.lineCounter -= spliced;
    return spliced;
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
    static const char* const known[] = {
        "replace", "vpmem",  "define", "undef", "loadasm", "loadvp", "include", "pragma",
        "ifdef",   "ifndef", "elif",   "else",  "endif",   "if",     "error",   "warning"};
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

void Preprocessor::processLine(SourceFile& file, const PreparedLine& line) {
    const auto directive = recognise(line.split);
    if (directive && isConditional(directive->name)) {
        conditionalDirective(file, line, *directive);
        return;
    }
    if (!file.active()) {
        writeEmptyLine();
        return;
    }
    const Context context = file.conditionals.empty() ? Context::MainLoop : Context::Region;
    if (!directive) {
        // Inside a conditional an unknown directive stands for an empty line; outside it
        // ("#line") it passes through.
        if (context == Context::Region && line.split.word(0).starts_with("#")) {
            writeEmptyLine();
            return;
        }
        const auto expanded = expandMacros(file, line.text);
        if (expanded)
            writeSourceLine(file, *expanded);
        else
            writeEmptyLine();
        return;
    }
    if (!withinWordLimits(file, line.split) || !executeShared(file, line, *directive, context))
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
        doDefine(file, line, directive, context);
    } else if (name == "undef") {
        c_.defines.remove(split.word(directive.arg));
    } else if (name == "pragma") {
        doPragma(split, directive);
    } else if (name == "loadasm" || name == "loadvp") {
        doLoad(file, split, directive);
    } else if (name == "error" || name == "warning") {
        doMessage(file, line, directive);
    } else if (name == "include") {
        doInclude(file, split, directive);
        return true;
    } else {
        return false;
    }
    writeEmptyLine();
    return true;
}

void Preprocessor::reportStray(const SourceFile& file, const Directive& directive) {
    const bool two = directive.form == Form::TwoWord;
    const char* format = nullptr;
    if (directive.name == "else") {
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
        format = "ERROR(C286): \"%s\" Line: %d found #elif with no matching #if, #ifdef or "
                 "#ifndef\n";
    }
    c_.error(strprintf(format, file.name.c_str(), file.lineCounter));
}

void Preprocessor::errorAt(const SourceFile& file, int code, const std::string& text) {
    c_.error(strprintf("ERROR(C%d): \"%s\" Line: %d %s\n", code, file.name.c_str(),
                       file.lineCounter, text.c_str()));
}

void Preprocessor::reportMacroError(const SourcePosition& position, const MacroError& error) {
    if (error.code == 280) {
        c_.error(strprintf("ERROR(C280): \"%s\" Line: %d line longer than %d characters after "
                           "#replace and #define.\n",
                           position.file.c_str(), position.line,
                           static_cast<int>(MaxExpandedLineLength)));
        return;
    }
    c_.error(strprintf("ERROR(C%d): \"%s\" Line: %d %s\n", error.code, position.file.c_str(),
                       position.line, error.text.c_str()));
}

std::optional<std::string> Preprocessor::expandMacros(const SourceFile& file, std::string_view text,
                                                      bool objectLikeOnly) {
    const SourcePosition position{file.name, file.lineCounter};
    MacroExpander expander(c_.defines, position, MaxExpandedLineLength);
    if (objectLikeOnly)
        expander.objectLikeOnly();
    auto expanded = expander.expand(text);
    if (!expanded)
        reportMacroError(position, expander.error());
    return expanded;
}

std::string Preprocessor::expandAssembly(const SourcePosition& position, const std::string& text) {
    MacroExpander expander(c_.defines, position, MaxExpandedLineLength);
    expander.objectLikeOnly();
    auto expanded = expander.expand(text);
    if (expanded)
        return *expanded;
    reportMacroError(position, expander.error());
    return "\n";
}

void Preprocessor::doMessage(const SourceFile& file, const PreparedLine& line,
                             const Directive& directive) {
    std::string text(line.split.restFrom(line.text, directive.arg));
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    if (directive.name == "warning") {
        c_.message(strprintf("WARNING(C283): \"%s\" Line: %d #warning %s\n", file.name.c_str(),
                             file.lineCounter, text.c_str()));
        return;
    }
    errorAt(file, 282, "#error " + text);
    stop();
}

void Preprocessor::doDefine(const SourceFile& file, const PreparedLine& line,
                            const Directive& directive, Context context) {
    std::string problem;
    auto head = readMacroHead(line.split.restFrom(line.text, directive.arg), problem);
    if (!head) {
        errorAt(file, 292, "#define: " + problem + ".");
        return;
    }
    const std::string& name = head->name;
    if (c_.defines.has(name)) {
        const bool two = directive.form == Form::TwoWord;
        const char* format =
            context == Context::MainLoop
                ? (two ? "WARNING(C220): %s redefined.\n" : "WARNING(C219): %s redefined.\n")
                : (two ? "WARNING(C221): %s redefined.\n" : "WARNING(C222): %s redefined.\n");
        c_.message(strprintf(format, name.c_str()));
        c_.defines.remove(name);
    }
    if (head->functionLike) {
        addFunctionLike(file, line, directive, *head);
        return;
    }
    // Earlier object-like macros are expanded in the value once, when it is defined.
    const auto expanded = expandMacros(file, line.text, true);
    if (!expanded)
        return;
    const SplitLine again = splitWords(*expanded);
    c_.defines.add(name, directiveValue(again.restFrom(*expanded, directive.arg + 1)));
}

// A function-like macro keeps its body as written: the body is expanded at each call, after
// the arguments are in place.
void Preprocessor::addFunctionLike(const SourceFile& file, const PreparedLine& line,
                                   const Directive& directive, const MacroHead& head) {
    const std::string_view rest = line.split.restFrom(line.text, directive.arg);
    std::string body = directiveValue(rest.substr(std::min(head.bodyStart, rest.size())));
    body.erase(0, body.find_first_not_of(" \t"));
    const std::vector<Piece> pieces = splitPieces(body);
    auto isParameter = [&](std::size_t at) {
        return at < pieces.size() && pieces[at].kind == PieceKind::Identifier &&
               std::find(head.parameters.begin(), head.parameters.end(), pieces[at].text) !=
                   head.parameters.end();
    };
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        std::size_t next = i + 1;
        while (next < pieces.size() && pieces[next].kind == PieceKind::Blank)
            ++next;
        if (pieces[i].kind == PieceKind::Other && pieces[i].text == "#" && !isParameter(next)) {
            errorAt(file, 292,
                    "#define: \"#\" in macro " + head.name + " is not followed by a parameter.");
            return;
        }
    }
    if (!pieces.empty() &&
        (pieces.front().kind == PieceKind::Paste || pieces.back().kind == PieceKind::Paste)) {
        errorAt(file, 292, "#define: \"##\" cannot begin or end macro " + head.name + ".");
        return;
    }
    SubstitutionTable::Entry entry;
    entry.name = head.name;
    entry.value = body;
    entry.functionLike = true;
    entry.parameters = head.parameters;
    entry.variadic = head.variadic;
    c_.defines.add(std::move(entry));
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

} // namespace kavo
