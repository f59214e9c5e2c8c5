// libFuzzer target: the debugger's readers on the same text: the project file's breakpoint
// lines, the symbol listing's variables table, and the line map from an assembly listing and
// from a map file's pc map.
#include "debugger/line_map.hpp"
#include "debugger/project_file.hpp"
#include "debugger/variable_table.hpp"
#include "tests/fuzz/fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kavo::testing::TempDir dir;
    const std::string text = kavo::fuzzing::inputText(data, size);
    kavo::testing::writeFile("prog.dbp", text);
    kavo::debugger::BreakpointTable breakpoints;
    kavo::debugger::readProjectFile("prog.dbp", breakpoints);

    for (const auto& record : kavo::debugger::parseSymbolListing(text))
        kavo::debugger::pickerLine(record, kavo::debugger::ListLayout::ByScope,
                                   kavo::debugger::AddressFormat::BanksHex);

    auto lines = kavo::debugger::readListingLines(text);
    kavo::debugger::dropOtherFiles(lines, text, "prog.c");
    lines.allEntries();
    lines.firstLineWithCodeFrom(1);
    kavo::debugger::readPcMap(text, "prog.c").allEntries();
    return 0;
}
