// parseBenchOptions.
#include "bench/system/bench_options.hpp"

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace kavo::bench {

namespace {

bool positiveNumber(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && value > 0;
}

bool readAreas(const std::string& list, std::set<std::string>& areas) {
    const std::set<std::string> known = BenchOptions{}.areas;
    areas.clear();
    std::istringstream in(list);
    for (std::string area; std::getline(in, area, ',');) {
        if (known.count(area) == 0)
            return false;
        areas.insert(area);
    }
    return !areas.empty();
}

// False when the option is unknown or its value is not one it takes.
bool applyOption(BenchOptions& options, const std::string& option, const std::string& value) {
    double number = 0;
    if (option == "--kavo")
        options.kavo = std::filesystem::absolute(value).string();
    else if (option == "--max-lines" && positiveNumber(value, number))
        options.maxLines = static_cast<int>(number);
    else if (option == "--compile-limit" && positiveNumber(value, number))
        options.compileLimitSeconds = number;
    else
        return option == "--only" && readAreas(value, options.areas);
    return true;
}

} // namespace

std::optional<BenchOptions> parseBenchOptions(int argc, char** argv, BenchOptions defaults,
                                              std::string& error) {
    BenchOptions options = std::move(defaults);
    for (int i = 1; i < argc; i += 2) {
        const std::string option = argv[i];
        const std::string value = i + 1 < argc ? argv[i + 1] : "";
        if (i + 1 >= argc || !applyOption(options, option, value)) {
            error = i + 1 >= argc ? "missing value after " + option
                                  : "bad option " + option + " " + value;
            return std::nullopt;
        }
    }
    return options;
}

} // namespace kavo::bench
