// markdownTable and figureText.
#include "bench/system/bench_table.hpp"

#include "compiler/base/text_format.hpp"

#include <cmath>

namespace kavo::bench {

namespace {

std::string cell(const std::string& text) {
    std::string escaped;
    for (char ch : text) {
        if (ch == '|')
            escaped += '\\';
        escaped += ch;
    }
    return escaped;
}

} // namespace

std::string markdownTable(const std::vector<BenchRow>& rows) {
    std::string table = "| area | case | figure | unit | notes |\n|---|---|---:|---|---|\n";
    std::string previousArea;
    for (const BenchRow& row : rows) {
        const std::string area = row.area == previousArea ? "" : row.area;
        previousArea = row.area;
        table += "| " + cell(area) + " | " + cell(row.what) + " | " + cell(row.figure) + " | " +
                 cell(row.unit) + " | " + cell(row.notes) + " |\n";
    }
    return table;
}

std::string figureText(double value) {
    const double size = std::fabs(value);
    const int decimals = size < 1 ? 3 : size < 10 ? 2 : size < 1000 ? 1 : 0;
    return strprintf("%.*f", decimals, value);
}

} // namespace kavo::bench
