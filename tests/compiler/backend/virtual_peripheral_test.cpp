// Virtual Peripheral code: #loadvp reads a HEX file into the program memory image, the
// compiler's own code goes only into the blank stretches, and the object file carries the
// peripheral's words, so that C code can call into them on the chip.
#include "compiler/backend/backend.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/preprocessor/vp_loader.hpp"
#include "compiler/symbols/symbols.hpp"
#include "compiler/tables/placement_state.hpp"
#include "simulator/intel_hex.hpp"
#include "tests/support/compiled_program.hpp"
#include "tests/support/in_process_compile.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace kavo {
namespace {

// One Intel HEX record as the object file writer makes it.
std::string record(int byteAddress, const std::vector<int>& bytes, int type = 0) {
    std::vector<int> all = {static_cast<int>(bytes.size()), byteAddress >> 8, byteAddress & 255,
                            type};
    all.insert(all.end(), bytes.begin(), bytes.end());
    int sum = 0;
    std::string text = ":";
    for (int b : all) {
        text += strprintf("%02X", b);
        sum += b;
    }
    return text + strprintf("%02X", (256 - sum % 256) % 256);
}

// The records of words placed from a word address on, low byte first.
std::string wordsAt(int wordAddress, const std::vector<int>& words) {
    std::vector<int> bytes;
    for (int w : words) {
        bytes.push_back(w & 255);
        bytes.push_back(w >> 8);
    }
    return record(2 * wordAddress, bytes);
}

const std::string EndRecord = ":00000001FF";

struct Loaded {
    Loaded() { run.run("void main(void) { }\n"); }
    std::string load(const std::string& name, const std::string& text) {
        testing::writeFile(name, text);
        const std::size_t before = run.io.messages.size();
        loadvp(run.c, name, 3);
        return run.io.messages.substr(before);
    }
    std::uint32_t word(int address) const {
        return run.c.programImage[static_cast<std::size_t>(address)];
    }
    testing::InProcessCompile run;
};

TEST(VirtualPeripheralLoading, WordsLandInTheImageAndASecondLoadIsAConflict) {
    Loaded l;
    const std::string file = wordsAt(0x80, {0xC2A, 0x00C, 0xFFF}) + "\n" + EndRecord + "\n";
    EXPECT_EQ(l.load("vp.sxh", file),
              "#loadvp: loaded 2 non-blank program locations from vp.sxh\n");
    EXPECT_EQ(l.word(0x80), 0xC2Au);
    EXPECT_EQ(l.word(0x81), 0x00Cu);
    EXPECT_EQ(l.word(0x82), 0xFFFu);
    EXPECT_TRUE(l.run.c.vpImageLoaded);

    EXPECT_EQ(l.load("vp.sxh", file),
              "WARNING(VP3): There were 2 Virtual Peripheral code conflicts stating at 0x0080\n"
              "#loadvp: loaded 2 non-blank program locations from vp.sxh\n");
    EXPECT_EQ(l.load("one.sxh", wordsAt(0x81, {0x001}) + "\n" + EndRecord + "\n"),
              "WARNING(VP2): There was 1 Virtual Peripheral code conflict at 0x0081\n"
              "#loadvp: loaded 1 non-blank program locations from one.sxh\n");
    EXPECT_EQ(l.word(0x81), 0x001u) << "the later file wins";
}

TEST(VirtualPeripheralLoading, WindowsLineEndsLoadAndAMalformedLineStopsTheFile) {
    Loaded l;
    EXPECT_EQ(l.load("crlf.sxh", wordsAt(0x10, {0x123}) + "\r\n" + EndRecord + "\r\n"),
              "#loadvp: loaded 1 non-blank program locations from crlf.sxh\n");
    EXPECT_EQ(l.word(0x10), 0x123u);

    // A data line one character short ends the loading: the words before it stay.
    const std::string broken = wordsAt(0x20, {0x456}) + "\n" + wordsAt(0x30, {0x789}).substr(1) +
                               "\n" + wordsAt(0x40, {0x111}) + "\n" + EndRecord + "\n";
    EXPECT_EQ(l.load("broken.sxh", broken),
              "WARNING: Stoped loading VP before end of HEX file was found.\n"
              "#loadvp: loaded 1 non-blank program locations from broken.sxh\n");
    EXPECT_EQ(l.word(0x20), 0x456u);
    EXPECT_EQ(l.word(0x40), 0xFFFu);

    const std::size_t before = l.run.io.messages.size();
    const int errors = l.run.c.errors();
    loadvp(l.run.c, "no-such.sxh", 7);
    EXPECT_EQ(l.run.io.messages.substr(before),
              "ERROR(VP1): Line 7: Cannot open VP file no-such.sxh\n");
    EXPECT_EQ(l.run.c.errors(), errors + 1);
}

TEST(CodeSegments, BlankStretchesLongerThanSixteenWordsTakeCode) {
    Loaded l;
    l.run.c.vpImageLoaded = true;
    VpConflicts none;
    // Blocks at 0..9, 26..29 (a 16-word gap before), 47..49 (a 17-word gap before).
    for (int a : {0, 9, 26, 29, 47, 49})
        storevpword(l.run.c, a, 0x000, none);
    for (int a = 1; a < 9; ++a)
        storevpword(l.run.c, a, 0x001, none);
    for (int a : {27, 28, 48})
        storevpword(l.run.c, a, 0x001, none);
    makecodesegments(l.run.c);
    const auto& segments = l.run.c.placement->segments.all();
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0].start, 30);
    EXPECT_EQ(segments[0].end, 46);
    EXPECT_EQ(segments[1].start, 50);
    EXPECT_EQ(segments[1].end, 511) << "the last stretch runs to ROM_END";
}

TEST(CodeSegments, WithoutAPeripheralOneSegmentAndMoreThanThirtyTwoIsVp4) {
    Loaded l;
    makecodesegments(l.run.c);
    ASSERT_EQ(l.run.c.placement->segments.all().size(), 1u);
    EXPECT_EQ(l.run.c.placement->segments.all()[0].start, 0);
    EXPECT_EQ(l.run.c.placement->segments.all()[0].end, 511);

    VpConflicts none;
    l.run.c.vpImageLoaded = true;
    l.run.c.pragmas.set("ROM_END", "2047");
    for (int a = 0; a < 2047; a += 18)
        storevpword(l.run.c, a, 0x000, none); // 17-word gaps, more than 32 of them
    const int errors = l.run.c.errors();
    makecodesegments(l.run.c);
    EXPECT_EQ(l.run.c.placement->segments.all().size(), 32u);
    EXPECT_EQ(l.run.c.errors(), errors + 1);
    EXPECT_TRUE(l.run.io.messages.ends_with("ERROR(VP4): Code segment limit of 32 exceeded.\v"));
}

// A routine of the peripheral at 128 (MOV W,#42; RET) is called from C's inline assembly.
TEST(VirtualPeripheralProgram, CCodeCallsIntoThePeripheralAndItsWordsAreInTheObjectFile) {
    std::ifstream header(std::string(KAVO_EXAMPLES_DIR) + "/sx28.h");
    const std::string sx28(std::istreambuf_iterator<char>(header), {});
    testing::InProcessCompile run;
    run.wholeBackEnd = true;
    testing::writeFile("vp.sxh", wordsAt(128, {0xC2A, 0x00C}) + "\n" + EndRecord + "\n");
    run.run(sx28 +
            "#loadvp vp\nunsigned char result;\n"
            "void main(void)\n{\n    asm(\n        CALL 128\n        MOV result,W\n    );\n}\n");
    ASSERT_TRUE(run.c.successFlag) << run.io.messages;
    for (const Instruction* i = run.c.instructions.head(); i != nullptr; i = i->next) {
        if (i->word != NoMachineWord) {
            EXPECT_TRUE(i->address < 128 || i->address > 129) << "code on the peripheral";
        }
    }
    const sxsim::HexImage image = sxsim::readIntelHexFile("prog.obj");
    sxsim::Core core(sxsim::deviceFor(sxsim::DeviceKind::SX28));
    sxsim::loadImage(core, image);
    EXPECT_EQ(core.word(128), 0xC2Au);
    EXPECT_EQ(core.word(129), 0x00Cu);
    const sxsim::RunResult result = core.run(100000);
    EXPECT_EQ(result.reason, sxsim::StopReason::SelfJump);
    const Symbol* symbol = findsymin(run.c, "result", "_GLOBAL_");
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(core.readFlat(static_cast<unsigned>(symbol->addr)), 42u);
}

} // namespace
} // namespace kavo
