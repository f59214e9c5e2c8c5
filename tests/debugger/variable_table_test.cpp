#include "debugger/variable_table.hpp"

#include <gtest/gtest.h>

namespace kavo::debugger {
namespace {

const std::string Rule = "; " + std::string(73, '-') + "\n";

// The symbol listing as the compiler writes it, with a structure definition, enumeration
// values, a function and unplaced symbols among the variables.
const std::string Listing =
    "; Call tree information follows:\n"
    "; -----------------|----|------------------------------------------\n"
    "; main             | -1 |\n"
    ";\n"
    "; Name        Type        Form Class  Base        Typename   Size Addr Used-by\n" +
    Rule +
    "; A__f0__     INT           S                                  1    0  \n"
    "; pt          STRUCT_NAME   S                                  2\n"
    ";\n"
    "; Definition for STRUCT_NAME \"pt\" follows:\n"
    "; Name        Type        Form Class  Base        Typename   Size Addr Used-by\n" +
    Rule +
    "; x           CHAR          S                                  1\n"
    ";\n"
    "; -----------------------------------------------------------------------\n"
    "; p           STRUCT        S                     pt           2   10  \n"
    "; buf         ARRAY         S         CHAR                     5   40  \n"
    "; RED         ENUM          S                                  0\n"
    ";ENUM: RED VAL: 0\n"
    "; main        FUNCNAME      S         VOID                     0    0\n"
    "; i           CHAR          U                                  1    8  main\n"
    ";\n"
    "A__f0__      EQU        0\n"
    "; later       CHAR          U                                  1    9  \n";

TEST(VariableTable, ReadsPlacedSymbolsAndSkipsTheRest) {
    const auto records = parseSymbolListing(Listing);
    std::vector<std::string> names;
    for (const auto& r : records)
        names.push_back(r.name);
    EXPECT_EQ(names, (std::vector<std::string>{"A__f0__", "p", "buf", "buf", "buf", "i"}));
}

TEST(VariableTable, SplitsAFiveByteVariableIntoTwoTwoAndOne) {
    const auto records = parseSymbolListing(Listing);
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[2].address, 40);
    EXPECT_EQ(records[2].size, 2);
    EXPECT_EQ(records[3].address, 42);
    EXPECT_EQ(records[3].size, 2);
    EXPECT_EQ(records[4].address, 44);
    EXPECT_EQ(records[4].size, 1);
    EXPECT_EQ(records[2].kind, VariableKind::CharArray);
    EXPECT_EQ(records[1].kind, VariableKind::Other);
}

TEST(VariableTable, KeepsFormAndScope) {
    const auto records = parseSymbolListing(Listing);
    EXPECT_EQ(records[5].form, 'U');
    EXPECT_EQ(records[5].scope, "main");
    EXPECT_EQ(records[5].address, 8);
    EXPECT_EQ(records[1].scope, "");
}

TEST(VariableTable, ReadsTheListingWithAScopeColumn) {
    const std::string listing =
        "; Name        Type        Class  Base        Typename   Size   Scope        Addr Used-by\n"
        "; " +
        std::string(86, '-') +
        "\n"
        "; count       CHAR          U                                  1    _GLOBAL_      21 \n"
        "; i           CHAR          U                                  1    main           8 "
        "main\n"
        "; x           CHAR          U                                  1    main\n";
    const auto records = parseSymbolListing(listing);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].address, 21);
    EXPECT_EQ(records[0].size, 1);
    EXPECT_EQ(records[1].scope, "main");
}

TEST(VariableTable, StopsAtTheRecordLimit) {
    std::string listing = Rule;
    for (int i = 0; i < 300; ++i)
        listing += "; v" + std::to_string(i) + " LONG U 2 " + std::to_string(i) + "\n";
    listing += "; big ARRAY U CHAR 500 100\n";
    EXPECT_EQ(parseSymbolListing(listing).size(), MaxVariables);
}

TEST(VariableTable, AddedVariablesAreSplitToo) {
    std::vector<VariableRecord> records;
    appendVariable(records, "port", 300, 3);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].address, 302);
    EXPECT_EQ(records[1].size, 1);
    appendVariable(records, "flag", 9, 0);
    EXPECT_EQ(records.back().size, 1) << "a size of 0 still shows one byte";
}

TEST(VariableTable, FindsByNameOrByFunctionAndName) {
    const std::string listing = Rule + "; i CHAR U 1 8 main\n; i CHAR U 1 9 other\n";
    const auto records = parseSymbolListing(listing);
    ASSERT_NE(findVariable(records, "i"), nullptr);
    EXPECT_EQ(findVariable(records, "i")->address, 8);
    EXPECT_EQ(findVariable(records, "other.i")->address, 9);
    EXPECT_EQ(findVariable(records, "j"), nullptr);
}

TEST(VariableTable, AddressTextsInTheThreeFormats) {
    EXPECT_EQ(addressText(300, AddressFormat::BanksHex), "2 2C");
    EXPECT_EQ(addressText(40, AddressFormat::BanksHex), "0 28");
    EXPECT_EQ(addressText(9, AddressFormat::Decimal), "  9");
    EXPECT_EQ(addressText(300, AddressFormat::Hex), "0x12C");
    EXPECT_EQ(addressText(123456, AddressFormat::Decimal), "12345") << "cut to 5 characters";
}

TEST(VariableTable, PickerLinesInTheThreeLayouts) {
    VariableRecord global;
    global.name = "count";
    global.address = 21;
    EXPECT_EQ(scopeText(global.scope), "{Global}");
    EXPECT_EQ(pickerLine(global, ListLayout::ByName, AddressFormat::Decimal),
              "count              |    21 | {Global}");
    EXPECT_EQ(pickerLine(global, ListLayout::ByAddress, AddressFormat::Hex),
              " 0x15 | count              | {Global}");
    global.scope = "main";
    EXPECT_EQ(pickerLine(global, ListLayout::ByScope, AddressFormat::Decimal),
              "count              | {main}          |    21");
    EXPECT_EQ(pickerHeader(ListLayout::ByName), "Variable           |  Addr | Scope");
}

TEST(VariableTable, ValueTextsInTheThreeDataFormats) {
    EXPECT_EQ(valueText(3000, 2, DataFormat::Decimal), " 3000");
    EXPECT_EQ(valueText(3000, 2, DataFormat::Hex), "0x0BB8");
    EXPECT_EQ(valueText(10, 1, DataFormat::Hex), "0x0A");
    EXPECT_EQ(valueText(0x4241, 2, DataFormat::Ascii), "'AB'");
    EXPECT_EQ(valueText(7, 1, DataFormat::Ascii), "'.'");
}

} // namespace
} // namespace kavo::debugger
