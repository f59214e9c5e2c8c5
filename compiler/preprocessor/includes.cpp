// #include: findInclude looks for the file where it always looked (INCLUDE_DIR, or the
// current folder), then, for "name", in the folder of the file holding the directive, then in
// each -I folder and last in the device headers installed with the compiler. A file found
// nowhere stops the compilation there: what follows would only fail on the missing names.
#include "compiler/preprocessor/preprocessor.hpp"

#include "compiler/base/text_format.hpp"
#include "compiler/preprocessor/file_names.hpp"

#include <algorithm>
#include <filesystem>

namespace kavo {

namespace {

bool isReadableFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    return std::ifstream(path, std::ios::binary).is_open();
}

} // namespace

std::optional<std::string> Preprocessor::findInclude(const SourceFile& file,
                                                     const std::string& name, bool angled,
                                                     std::string& searched) const {
    const auto includeDir = c_.pragmas.get("INCLUDE_DIR");
    // The name as the file is opened: a name left in quotes ("#include ""a.h"") opens a.h.
    const std::string first =
        withoutQuotes(withForwardSlashes(includeDir ? *includeDir + name : name));
    std::vector<std::string> candidates = {first};
    searched.clear();
    if (!name.empty() && name.front() != '/') {
        searched = includeDir ? *includeDir : std::string("the current folder");
        std::vector<std::string> folders;
        // A file named without a folder is in the current one, which INCLUDE_DIR replaced.
        const std::string own = std::filesystem::path(file.name).parent_path().string();
        if (!angled && (!own.empty() || includeDir))
            folders.push_back(own.empty() ? "./" : own + "/");
        folders.insert(folders.end(), c_.includeFolders.begin(), c_.includeFolders.end());
        if (!c_.settings.headerDir.empty())
            folders.push_back(c_.settings.headerDir);
        // The -I folder INCLUDE_DIR names was looked in first already.
        std::erase_if(folders, [&](const std::string& folder) {
            return includeDir && folder == *includeDir;
        });
        for (const std::string& folder : folders) {
            candidates.push_back(withoutQuotes(folder + withForwardSlashes(name)));
            searched += ", " + (folder == c_.settings.headerDir ? "the device headers" : folder);
        }
    }
    for (const std::string& candidate : candidates) {
        if (isReadableFile(candidate))
            return candidate;
    }
    return std::nullopt;
}

// The path as the directive spells it (INCLUDE_DIR and the name, quotes and all) when the file
// was found there, as it was always reported; else the folder where the search found it.
std::string Preprocessor::spelledPath(const std::string& name, const std::string& found) const {
    const auto includeDir = c_.pragmas.get("INCLUDE_DIR");
    const std::string spelled = includeDir ? *includeDir + name : name;
    return withoutQuotes(withForwardSlashes(spelled)) == found ? spelled : found;
}

void Preprocessor::doInclude(SourceFile& file, const SplitLine& split, const Directive& directive) {
    std::string name = split.word(directive.arg);
    const bool angled = !name.empty() && name.front() == '<';
    if (!name.empty() && (name.front() == '"' || angled))
        name = name.size() >= 2 ? name.substr(1, name.size() - 2) : std::string();

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
    std::string searched;
    const auto path = findInclude(file, name, angled, searched);
    if (!path) {
        const std::string where = searched.empty() ? "" : ": it is in none of " + searched;
        errorAt(file, 291,
                strprintf("Cannot open include file %s%s.", name.c_str(), where.c_str()));
        writeEmptyLine();
        stop();
        return;
    }
    if (std::find(includeChain_.begin(), includeChain_.end(), identityOf(*path)) !=
        includeChain_.end()) {
        c_.error(strprintf("ERROR(C261): \"%s\" Line: %d %s includes itself.\n", file.name.c_str(),
                           file.lineCounter, path->c_str()));
        writeEmptyLine();
        return;
    }
    writeLine(strprintf("#line %d %s\n", 0, path->c_str()));
    c_.message(strprintf("INCLUDING: %s\n", spelledPath(name, *path).c_str()));
    preprocess(*path);
    writeLine(strprintf("#line %d %s\n", file.lineCounter - 1, file.name.c_str()));
    writeEmptyLine();
}

} // namespace kavo
