// The compiler's sources read as text. Its folders are layers: a file may include its own
// layer and the layers listed before it, never a later one. The one sanctioned exception is
// the declaration processing, which folds array sizes and fixed addresses through the
// expression generator. And each message code names one message, so that a code is enough
// to look a message up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> Layers = {"base",     "tables",  "run",     "preprocessor",
                                         "frontend", "symbols", "codegen", "memory",
                                         "backend",  "pipeline"};

// file (relative to compiler/) -> the later layer it may include.
const std::set<std::pair<std::string, std::string>> Exceptions = {
    {"symbols/procsym.cpp", "codegen"},
};

int layerIndex(const std::string& folder) {
    const auto it = std::find(Layers.begin(), Layers.end(), folder);
    return it == Layers.end() ? -1 : static_cast<int>(it - Layers.begin());
}

fs::path compilerRoot() {
    const char* root = std::getenv("KAVO_SOURCE_DIR");
    return fs::path(root != nullptr ? root : ".") / "compiler";
}

struct Include {
    std::string file;   // relative to compiler/
    std::string target; // what the #include names
};

std::vector<Include> includesOf(const fs::path& root) {
    static const std::regex includeLine(R"(^\s*#\s*include\s*[<"]([^">]+)[">])");
    std::vector<Include> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() ||
            (ext != ".cpp" && ext != ".hpp" && ext != ".y" && ext != ".l"))
            continue;
        std::ifstream in(entry.path());
        std::string line;
        std::smatch match;
        while (std::getline(in, line)) {
            if (std::regex_search(line, match, includeLine))
                found.push_back({fs::relative(entry.path(), root).generic_string(), match[1]});
        }
    }
    return found;
}

std::string folderOf(const std::string& relative) {
    return relative.substr(0, relative.find('/'));
}

TEST(Layering, EveryCompilerFolderIsALayer) {
    for (const auto& entry : fs::directory_iterator(compilerRoot())) {
        if (!entry.is_directory())
            continue;
        EXPECT_NE(layerIndex(entry.path().filename().string()), -1)
            << entry.path().filename() << " is not in the list of layers";
    }
}

TEST(Layering, NoFileIncludesALaterLayer) {
    const std::vector<Include> includes = includesOf(compilerRoot());
    ASSERT_GT(includes.size(), 100u) << "the source tree was not found";
    for (const Include& include : includes) {
        if (include.target.rfind("compiler/", 0) != 0)
            continue;
        const std::string own = folderOf(include.file);
        const std::string used = folderOf(include.target.substr(9));
        if (layerIndex(used) <= layerIndex(own) || Exceptions.count({include.file, used}) != 0)
            continue;
        ADD_FAILURE() << include.file << " includes " << include.target << ": " << used
                      << " is a later layer than " << own;
    }
}

TEST(Layering, TheCompilerNeedsNeitherQtNorTheSimulatorNorTheTools) {
    for (const Include& include : includesOf(compilerRoot())) {
        EXPECT_NE(include.target.front(), 'Q') << include.file << " includes Qt";
        EXPECT_NE(include.target.rfind("simulator/", 0), 0u) << include.file;
        EXPECT_NE(include.target.rfind("tools/", 0), 0u) << include.file;
    }
}

// Below the IDE nothing includes Qt, and nothing includes a folder above its own: tools and
// ide over debugger and programmer, over common, the compiler and the simulator.
TEST(Layering, NoFolderBelowTheIdeIncludesQtOrAFolderAboveIt) {
    const struct {
        const char* folder;
        std::vector<std::string> above;
    } rows[] = {
        {"simulator", {"tools/", "ide/", "debugger/", "programmer/", "common/"}},
        {"common", {"tools/", "ide/", "debugger/", "programmer/", "simulator/"}},
        {"programmer", {"tools/", "ide/", "debugger/"}},
        {"debugger", {"tools/", "ide/", "programmer/"}},
    };
    for (const auto& row : rows) {
        const std::vector<Include> includes = includesOf(compilerRoot().parent_path() / row.folder);
        ASSERT_GT(includes.size(), 3u) << row.folder << "'s sources were not found";
        for (const Include& include : includes) {
            EXPECT_NE(include.target.front(), 'Q') << include.file << " includes Qt";
            for (const std::string& above : row.above)
                EXPECT_NE(include.target.rfind(above, 0), 0u)
                    << row.folder << "/" << include.file << " includes " << include.target;
        }
    }
}

// What a message says, for telling two messages apart: its first sentence or the part before
// a colon, after the line number (one message may go on with the details of the case).
std::string gist(const std::string& text) {
    static const std::regex lineNumber(R"(^"?Line:? ?%[0-9]?d:? ?)");
    static const std::regex end(R"([.!:](\s|\\n|$))");
    const std::string message = std::regex_replace(text, lineNumber, "");
    std::smatch stop;
    return std::regex_search(message, stop, end) ? message.substr(0, stop.position()) : message;
}

// The gist of every "ERROR(Cnn): ..." and "WARNING(Cnn): ..." message in the compiler's
// sources, its string literals joined, by code.
std::map<std::string, std::set<std::string>> messagesByCode() {
    static const std::regex message(
        R"re("(?:ERROR|WARNING|FATAL)\((C[0-9]+)\): ((?:[^"\\]|\\.)*)")re");
    static const std::regex continuation(R"re(^\s*"((?:[^"\\]|\\.)*)")re");
    std::map<std::string, std::set<std::string>> found;
    for (const auto& entry : fs::recursive_directory_iterator(compilerRoot())) {
        if (!entry.is_regular_file() || entry.path().extension() != ".cpp")
            continue;
        std::ifstream in(entry.path());
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        for (auto it = std::sregex_iterator(text.begin(), text.end(), message);
             it != std::sregex_iterator(); ++it) {
            const std::size_t lineStart = text.rfind('\n', it->position()) + 1;
            if (text.compare(text.find_first_not_of(" \t", lineStart), 2, "//") == 0)
                continue; // a comment quoting a message
            std::string joined = (*it)[2];
            std::smatch next;
            auto rest = text.cbegin() + (it->position() + it->length());
            while (std::regex_search(rest, text.cend(), next, continuation)) {
                joined += next[1];
                rest = next[0].second;
            }
            found[(*it)[1]].insert(gist(joined));
        }
    }
    return found;
}

TEST(MessageCodes, EachCodeNamesOneMessage) {
    // C259 is one message, "... is not supported by this compiler yet.", about many
    // constructs; C39 has always named two faults of a call's arguments.
    const std::set<std::string> families = {"C259", "C39"};
    const auto messages = messagesByCode();
    ASSERT_GT(messages.size(), 100u) << "the source tree was not found";
    for (const auto& [code, texts] : messages) {
        if (families.count(code) != 0)
            continue;
        std::ostringstream list;
        for (const std::string& text : texts)
            list << "\n  " << text;
        EXPECT_EQ(texts.size(), 1u) << code << " names more than one message:" << list.str();
    }
}

} // namespace
