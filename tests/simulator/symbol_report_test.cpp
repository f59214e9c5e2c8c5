// Named variables from map, EQU and plain files, and the text and JSON reports of a run.
#include "simulator/state_report.hpp"
#include "simulator/symbol_map.hpp"
#include "tests/simulator/sx_words.hpp"

#include <gtest/gtest.h>

using namespace sxsim;
using namespace sxtest;

namespace {

TEST(SymbolFiles, CompilerMapFileMemoryTable) {
    const auto vars = parseSymbolText("<memory table>\n"
                                      "; NAME          ADDR SIZE SCOPE\n"
                                      ";------------------------------\n"
                                      "counter         16   1    {GLOBAL}\n"
                                      "total           40   2    main\n"
                                      ";\n"
                                      "<pc map>\n"
                                      "; PC LINE FILE\n"
                                      "000   3 t.c\n");
    ASSERT_EQ(vars.size(), 2u);
    EXPECT_EQ(vars[0].name, "counter");
    EXPECT_EQ(vars[0].address, 16u);
    EXPECT_EQ(vars[1].name, "total");
    EXPECT_EQ(vars[1].address, 40u);
    EXPECT_EQ(vars[1].size, 2u);
}

TEST(SymbolFiles, EquSectionTakesTheFullAddressFromTheBankComment) {
    const auto vars = parseSymbolText("; header\n"
                                      "flags        EQU       12\n"
                                      "total        EQU        8    ; Bank 1 (40)\n"
                                      "total_1      EQU        9    ; Bank 1 (41)\n"
                                      "      MOV  W,#5\n"
                                      "      JMP  12\n");
    ASSERT_EQ(vars.size(), 3u);
    EXPECT_EQ(vars[0].address, 12u);
    EXPECT_EQ(vars[1].address, 40u);
    EXPECT_EQ(vars[2].name, "total_1");
    EXPECT_EQ(vars[2].address, 41u);
}

TEST(SymbolFiles, PlainPairsInSeveralNumberForms) {
    const auto vars = parseSymbolText("a 0x30\r\nb $31\nc 32h\nd 51\nnot a pair here\n");
    ASSERT_EQ(vars.size(), 4u);
    for (unsigned i = 0; i < 4; ++i) {
        EXPECT_EQ(vars[i].address, 0x30u + i) << vars[i].name;
    }
}

TEST(SymbolFiles, AMissingFileIsReported) {
    EXPECT_THROW(readSymbolFile("/nonexistent/x.map"), std::runtime_error);
}

TEST(Reports, JsonHoldsTheWholeStateWithGlobalsRepeatedPerBank) {
    Core core = coreWith({movlw(0x2A), movwf(0x0C), bank(2), movwf(0x13), call(0x10), jmp(0x005)});
    core.setWord(0x10, jmp(0x010));
    const RunResult result = core.run(100);
    const std::string json = formatJsonReport(core, result, {{"x", 0x53, 1}, {"pair", 0x0C, 2}});
    EXPECT_NE(json.find("\"stop\":\"self-jump\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"steps\":6"), std::string::npos);
    EXPECT_NE(json.find("\"w\":42,"), std::string::npos);
    EXPECT_NE(json.find("\"pc\":16,"), std::string::npos);
    EXPECT_NE(json.find("\"stack\":[5]"), std::string::npos);
    EXPECT_NE(json.find("\"variables\":{\"x\":42,\"pair\":42}"), std::string::npos);
    // ram: 256 entries; entry 12 and 32*k+12 are the global 0Ch; 2*32+0x13 the banked byte.
    const std::size_t open = json.find("\"ram\":[");
    const std::string ram = json.substr(open + 7, json.find(']', open) - open - 7);
    std::vector<int> values;
    std::size_t pos = 0;
    while (pos <= ram.size()) {
        const std::size_t comma = ram.find(',', pos);
        values.push_back(std::stoi(ram.substr(pos, comma - pos)));
        pos = comma == std::string::npos ? ram.size() + 1 : comma + 1;
    }
    ASSERT_EQ(values.size(), 256u);
    for (unsigned bankNumber = 0; bankNumber < 8; ++bankNumber) {
        EXPECT_EQ(values[bankNumber * 32 + 0x0C], 42) << bankNumber;
        EXPECT_EQ(values[bankNumber * 32 + reg::FSR], 0x40) << bankNumber;
    }
    EXPECT_EQ(values[2 * 32 + 0x13], 42);
    EXPECT_EQ(values[3 * 32 + 0x13], 0);
}

TEST(Reports, TextNamesTheStopAndTheVariables) {
    Core core = coreWith({movlw(7), movwf(0x10), sleep()});
    const RunResult result = core.run(100);
    const std::string text = formatTextReport(core, result, {{"seven", 0x10, 1}});
    EXPECT_NE(text.find("Stopped: sleep at 003h after 3 steps, 3 cycles (sx28)"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("W=07 PC=003"), std::string::npos);
    EXPECT_NE(text.find("seven"), std::string::npos);
    EXPECT_NE(text.find("= 7 (07h)"), std::string::npos);
}

TEST(Reports, ALongVariableNameKeepsItsLineWhole) {
    Core core = coreWith({movlw(7), movwf(0x10), movlw(9), movwf(0x11), sleep()});
    const RunResult result = core.run(100);
    const std::string longName(300, 'v');
    const std::string text =
        formatTextReport(core, result, {{longName, 0x10, 1}, {"nine", 0x11, 1}});
    EXPECT_NE(text.find("  " + longName + " @ 16 (bank 0, 10h) = 7 (07h)\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\n  nine             @ 17 (bank 0, 11h) = 9 (09h)\n"), std::string::npos)
        << text;
}

// An array or a struct is its bytes, each on its own: as one number it would mean nothing.
TEST(Reports, ArraysAndStructsAreShownAsTheirBytes) {
    Core core = coreWith({movlw(1), movwf(0x10), movlw(4), movwf(0x11), movlw(9), movwf(0x12),
                          sleep()});
    const RunResult result = core.run(100);
    const std::vector<NamedVariable> variables = {{"squares", 0x10, 3}, {"pair", 0x10, 2}};
    const std::string text = formatTextReport(core, result, variables);
    EXPECT_NE(text.find("  squares          @ 16 (bank 0, 10h) = {1, 4, 9} (01 04 09h)\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("  pair             @ 16 (bank 0, 10h) = 1025 (0401h)\n"),
              std::string::npos)
        << text;
    const std::string json = formatJsonReport(core, result, variables);
    EXPECT_NE(json.find("\"variables\":{\"squares\":[1,4,9],\"pair\":1025}"), std::string::npos)
        << json;
}

TEST(Reports, TheCompilersOwnRegistersAreTold) {
    for (const char* name : {"@__stat__", "A__SxLtmp_", "_tmp_12", "_prm_1", "_asm_003", "_swt_2",
                             "_itr_1", "_svi_1", "_ret_make"})
        EXPECT_TRUE(isCompilerRegister(name)) << name;
    for (const char* name : {"squares", "A", "tmp_1", "main.i", "Alpha__"})
        EXPECT_FALSE(isCompilerRegister(name)) << name;
}

TEST(Reports, VariablesOutsideTheDevicesRamAreRefused) {
    Core core = coreWith({sleep()});
    // Flat RAM of the SX28 is 256 bytes: 255 holds one byte, not two.
    EXPECT_NO_THROW(checkVariablesInRam(core, {{"last", 255, 1}, {"all", 0, 256}}));
    for (const NamedVariable& outside :
         {NamedVariable{"pair", 255, 2}, NamedVariable{"far", 4294967295u, 4},
          NamedVariable{"beyond", 256, 1}, NamedVariable{"big", 0, 300}}) {
        try {
            checkVariablesInRam(core, {outside});
            ADD_FAILURE() << outside.name << " was accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()).rfind("variable " + outside.name + " at ", 0), 0u)
                << e.what();
            EXPECT_NE(std::string(e.what()).find("outside the 256 bytes of RAM of the sx28"),
                      std::string::npos)
                << e.what();
        }
    }
}

} // namespace
