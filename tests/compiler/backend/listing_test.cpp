// The sections that describe a compiled program (call tree, symbols, EQU lines), the
// intermediate listing and the map file, read from the files a whole compile writes.
#include "tests/support/in_process_compile.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kavo {
namespace {

const std::string Chip = "#pragma ROM_START 0\n#pragma ROM_END 0x7FF\n#pragma RESET_LOC 0x7FF\n"
                         "#pragma CCTEMP_LOC 0x0C\n#pragma PAGEBITS_LOC 0x03\n"
                         "#pragma BANK_START_00 0x10\n#pragma BANK_END_00 0x1F\n"
                         "#pragma BANK_START_01 0x30\n#pragma BANK_END_01 0x3F\n"
                         "#pragma COMMON_BANK_START_0 0x08\n#pragma COMMON_BANK_END_0 0x0B\n";

// A whole compile with kavoconf.cfg holding config (empty: none).
class Written {
public:
    explicit Written(const std::string& program, const std::string& config = "") {
        if (!config.empty()) {
            testing::writeFile("kavoconf.cfg", config);
            run_.options = {"-f", "x"};
        }
        run_.wholeBackEnd = true;
        run_.run(Chip + program);
    }
    std::string file(const char* name) const { return testing::readFile(run_.dir.path() / name); }
    bool exists(const char* name) const { return std::filesystem::exists(run_.dir.path() / name); }
    const std::string& messages() const { return run_.io.messages; }

private:
    testing::InProcessCompile run_;
};

// The lines of text that start with prefix.
std::vector<std::string> linesStartingWith(const std::string& text, const std::string& prefix) {
    std::vector<std::string> found;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(at, end - at);
        if (line.starts_with(prefix))
            found.push_back(line);
        at = end + 1;
    }
    return found;
}

int occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(ListingSections, CallTreeNamesARuntimeRoutineOnceWithAnAInPlaceOfTheAt) {
    Written w("char a, b, r;\n"
              "void scale(void) { r = a * b; r = r * a; }\n"
              "void main(void) { scale(); }\n");
    const std::string assembly = w.file("prog.asm");
    EXPECT_NE(
        assembly.find("; Call tree information follows:\n;\n"
                      "; Function         |Page| Calls\n"
                      "; -----------------|----|------------------------------------------\n"),
        std::string::npos);
    const auto scale = linesStartingWith(assembly, "; scale            |");
    ASSERT_EQ(scale.size(), 1u) << assembly;
    EXPECT_EQ(occurrences(scale[0], "A__FUNC_MULT"), 1) << scale[0];
    EXPECT_TRUE(scale[0].ends_with("| A__FUNC_MULT")) << scale[0];
    EXPECT_EQ(linesStartingWith(assembly, "; main             |")[0].substr(25), " scale");
    // The listing repeats the section behind its fourteen-blank margin.
    EXPECT_EQ(linesStartingWith(w.file("prog.lst"), "              ; scale            |"),
              std::vector<std::string>{"              " + scale[0]});
}

TEST(ListingSections, EquLinesGiveEveryByteItsBankedRegister) {
    Written w("long wide @ 40;\nchar low @ 12;\nchar plain;\n"
              "void main(void) { wide = 300; low = 1; plain = 2; }\n");
    const std::string assembly = w.file("prog.asm");
    EXPECT_NE(assembly.find("wide         EQU        8    ; Bank 1 (40)\n"
                            "wide_1       EQU        9    ; Bank 1 (41)\n"),
              std::string::npos)
        << assembly;
    EXPECT_NE(assembly.find("low          EQU       12\n"), std::string::npos);
    // The code names the second byte as the EQU section defines it.
    EXPECT_NE(assembly.find("MOV wide_1,W"), std::string::npos);
    const std::string listing = w.file("prog.lst");
    EXPECT_NE(
        listing.find("=00000029                   wide_1       EQU        9    ; Bank 1 (41)\n"),
        std::string::npos)
        << listing;
}

TEST(ListingSections, SymbolRowsShowMembersEnumeratorsAndFunctions) {
    Written w("struct point { char x; long y; };\nstruct point p;\n"
              "enum level { LOW, HIGH = 5 };\nunsigned char u;\n"
              "void main(void) { p.x = HIGH; u = 1; }\n");
    const std::string assembly = w.file("prog.asm");
    const auto u = linesStartingWith(assembly, "; u ");
    ASSERT_EQ(u.size(), 1u) << assembly;
    EXPECT_TRUE(u[0].starts_with("; u           CHAR          U  ")) << u[0];
    EXPECT_TRUE(u[0].ends_with("  ")) << "a global is used by no function";
    EXPECT_NE(assembly.find(";ENUM: HIGH VAL: 5\n"), std::string::npos);
    EXPECT_NE(assembly.find(";\n; Definition for STRUCT_NAME \"point\" follows:\n"
                            "; Name        Type        Form Class  Base"),
              std::string::npos)
        << assembly;
    EXPECT_NE(assembly.find("; y           LONG"), std::string::npos);
    EXPECT_NE(assembly.find(
                  "; -----------------------------------------------------------------------\n;\n"),
              std::string::npos);
    const auto mainRow = linesStartingWith(assembly, "; main        FUNCNAME");
    ASSERT_EQ(mainRow.size(), 1u);
    EXPECT_TRUE(mainRow[0].ends_with("VOID                     0  " +
                                     mainRow[0].substr(mainRow[0].size() - 3)));
    // Without a reset jump naming it, main is still a function, not an unused variable.
    EXPECT_EQ(w.messages().find("never used"), std::string::npos) << w.messages();
}

TEST(ListingSections, PrintScopeAddsTheScopeColumn) {
    Written w("char g;\nvoid main(void) { char local; local = 3; g = local; }\n",
              "PRINT_SCOPE 1\n");
    const std::string assembly = w.file("prog.asm");
    EXPECT_NE(assembly.find("; Name        Type        Class  Base        Typename   Size   Scope "
                            "       Addr Used-by\n"),
              std::string::npos)
        << assembly;
    const auto local = linesStartingWith(assembly, "; local ");
    ASSERT_EQ(local.size(), 1u);
    EXPECT_NE(local[0].find("    _TMPSCOPE_"), std::string::npos) << local[0];
    EXPECT_TRUE(local[0].ends_with(" main")) << local[0];
}

TEST(MapFile, ListsVariablesByScopeAndEachAddressOnce) {
    Written w("char g;\nvoid bump(void) { char step; step = 2; g = g + step; }\n"
              "void main(void) { bump(); }\n",
              "MAP_DIR .\n");
    ASSERT_TRUE(w.exists("prog.map")) << w.messages();
    const std::string map = w.file("prog.map");
    EXPECT_TRUE(map.starts_with("<memory table>\n; NAME          ADDR SIZE SCOPE\n"
                                ";------------------------------\n"))
        << map;
    EXPECT_EQ(linesStartingWith(map, "g ").size(), 1u);
    EXPECT_TRUE(linesStartingWith(map, "g ")[0].ends_with("{GLOBAL}"));
    ASSERT_EQ(linesStartingWith(map, "step ").size(), 1u);
    EXPECT_TRUE(linesStartingWith(map, "step ")[0].ends_with("  bump           "));
    EXPECT_TRUE(linesStartingWith(map, "main").empty()) << "functions are not variables";
    EXPECT_TRUE(linesStartingWith(map, "bump").empty());

    const std::size_t pcMap = map.find("<pc map>\n; PC LINE FILE\n;-------------\n");
    ASSERT_NE(pcMap, std::string::npos);
    // Addresses climb, each written once, and every line names the source file.
    int previous = -1;
    int fromSource = 0;
    for (const std::string& line : linesStartingWith(map.substr(pcMap), "0")) {
        const int address = std::stoi(line.substr(0, 3));
        EXPECT_GT(address, previous) << line;
        previous = address;
        fromSource += line.ends_with(" prog.c") ? 1 : 0;
    }
    EXPECT_GT(fromSource, 3) << map;
}

TEST(MapFile, NoMapDirectoryWritesNoMapFile) {
    Written w("char g;\nvoid main(void) { g = 1; }\n");
    EXPECT_FALSE(w.exists("prog.map"));
    EXPECT_NE(w.messages().find("Compilation completed successfully."), std::string::npos);
}

TEST(IntermediateListing, AsmFormatWritesTheCompilersOwnOpcodes) {
    Written plain("char g, h;\nvoid main(void) { h = g; g = 65; }\n", "ASM_FORMAT 1\n");
    const std::string assembly = plain.file("prog.asm");
    EXPECT_NE(assembly.find(";     OPCODE     VARIABLE/LABEL ,DEST         SOURCE-LINE\n"),
              std::string::npos);
    EXPECT_NE(assembly.find("      MOVLW      65                           ; Line: 13\n"),
              std::string::npos)
        << assembly;
    EXPECT_NE(assembly.find("      MOVF       g              ,0            ; Line: 13\n"),
              std::string::npos);
    EXPECT_EQ(assembly.find("DEVICE"), std::string::npos) << "no SX code in this form";
    // The listing keeps its sections but leaves the code out.
    EXPECT_EQ(plain.file("prog.lst").find("MOV W,#65"), std::string::npos);

    Written detailed("char g;\nvoid set(void) { g = 1; }\nvoid main(void) { set(); }\n",
                     "ASM_FORMAT 1\nDEBUG_FORM 2\n");
    const std::string full = detailed.file("prog.asm");
    EXPECT_NE(
        full.find(";SCOPE          PC    OPCODE     VARIABLE/LABEL (OFFSET),DEST SOURCE-LINE\n"),
        std::string::npos);
    const std::size_t call = full.find("CALL       set            (0)       ");
    ASSERT_NE(call, std::string::npos) << full;
    // A call shows its target, here the call vector at the start of the program.
    const std::string callLine = full.substr(call, full.find('\n', call) - call);
    EXPECT_TRUE(callLine.ends_with("; Line: 14 (addr: 0)")) << callLine;
}

} // namespace
} // namespace kavo
