// Reading Intel HEX object files and loading them into a core.
#include "simulator/intel_hex.hpp"
#include "simulator/program_loader.hpp"

#include <gtest/gtest.h>

using namespace sxsim;

namespace {

std::string errorOf(std::string_view text) {
    try {
        parseIntelHex(text);
    } catch (const HexError& e) {
        return e.what();
    }
    return "";
}

TEST(HexWords, WordsAreLowByteFirstAtHalfTheByteAddress) {
    // MOV W,#10 (0C0Ah) at 0 is written 0A0C; a JMP at 7FFh sits at byte address 0FFEh.
    const HexImage image = parseIntelHex(":020000000A0CE8\n:020FFE00000AE7\n:00000001FF\n");
    ASSERT_EQ(image.program.size(), 2u);
    EXPECT_EQ(image.program.at(0), 0x0C0A);
    EXPECT_EQ(image.program.at(0x7FF), 0x0A00);
    EXPECT_FALSE(image.fuse.has_value());
}

TEST(HexWords, CrlfLineEndsAreAccepted) {
    const HexImage image = parseIntelHex(":020000000A0CE8\r\n:00000001FF\r\n");
    EXPECT_EQ(image.program.at(0), 0x0C0A);
}

TEST(HexWords, ConfigurationWordsAndOtherHighAddressesAreSeparated) {
    // FUSE at word 1010h (byte 2020h), FUSEX at 1011h, an ID word at 2000h (byte 4000h).
    const HexImage image = parseIntelHex(":04202000FB0F3F0F64\n"
                                         ":02400000120F9D\n"
                                         ":00000001FF\n");
    EXPECT_TRUE(image.program.empty());
    EXPECT_EQ(image.fuse, 0x0FFB);
    EXPECT_EQ(image.fusex, 0x0F3F);
    EXPECT_EQ(image.aside.at(0x2000), 0x0F12);
}

TEST(HexWords, ExtendedLinearAddressMovesTheBase) {
    const HexImage image = parseIntelHex(":020000040000FA\n:02000200FF0FEE\n:00000001FF\n");
    EXPECT_EQ(image.program.at(1), 0x0FFF);
}

TEST(HexErrors, EachMalformedRecordIsNamedWithItsLine) {
    EXPECT_EQ(errorOf(":020000000A0CE9\n:00000001FF\n"), "line 1: checksum mismatch");
    EXPECT_EQ(errorOf("\n020000000A0CE8\n"), "line 2: a record must start with ':'");
    EXPECT_EQ(errorOf(":020000000A0CE\n"), "line 1: odd number of hexadecimal digits");
    EXPECT_EQ(errorOf(":0200G0000A0CE8\n"), "line 1: 'G' is not a hexadecimal digit");
    EXPECT_EQ(errorOf(":030000000A0CE8\n"),
              "line 1: byte count 3 does not match the record length");
    EXPECT_EQ(errorOf(":0000\n"), "line 1: record too short");
    EXPECT_EQ(errorOf(":00000003FD\n"), "line 1: unsupported record type 3");
    EXPECT_EQ(errorOf(":020000000A0CE8\n"), "no end record (:00000001FF)");
    EXPECT_EQ(errorOf(":00000001FF\n:020000000A0CE8\n"), "line 2: record after the end record");
    EXPECT_EQ(errorOf(":020000000A0CE8\n:020000000A0CE8\n:00000001FF\n"),
              "line 2: byte address 0 given twice");
    EXPECT_EQ(errorOf(""), "no end record (:00000001FF)");
}

TEST(HexErrors, AddressesPastFourGigabytesAndFilesWithoutDataAreRefused) {
    // Extended linear address FFFFh, then two bytes at FFFFh: the second byte would wrap to
    // byte address 0 and run as the first word of the program.
    EXPECT_EQ(errorOf(":02000004FFFFFC\n:02FFFF000A0CEA\n:00000001FF\n"),
              "line 2: data record reaches past the 4 GB address space");
    // The last byte of the address space itself is still an address.
    EXPECT_EQ(errorOf(":02000004FFFFFC\n:01FFFF000AF7\n:00000001FF\n"), "");
    EXPECT_EQ(errorOf(":00000001FF\n"), "no data records: the file holds no program");
    EXPECT_EQ(errorOf("\r\n:00000001FF\r\n\r\n"), "no data records: the file holds no program");
}

TEST(HexErrors, GarbageNeverCrashes) {
    const std::string samples[] = {":", "::::", ":FF", std::string(1000, 'F'), "\r\r\r",
                                   ":0000000", std::string("\0\0\0", 3)};
    for (const std::string& sample : samples) {
        EXPECT_THROW(parseIntelHex(sample), HexError) << sample;
    }
}

TEST(HexFiles, AMissingFileIsAHexError) {
    EXPECT_THROW(readIntelHexFile("/nonexistent/dir/x.hex"), HexError);
}

TEST(Loading, WordsFusesAndResetArrive) {
    HexImage image;
    image.program[0x7FF] = 0x0A05;
    image.program[0x005] = 0x0C42;
    image.fusex = static_cast<std::uint16_t>(0x0FFF & ~FUSEX_CARRY_FLAG_OFF);
    Core core(deviceFor(DeviceKind::SX28));
    core.setWord(0x100, 0x0123);
    loadImage(core, image);
    EXPECT_EQ(core.word(0x005), 0x0C42);
    EXPECT_EQ(core.word(0x100), ERASED_WORD) << "earlier contents are erased";
    EXPECT_EQ(core.fuse(), ERASED_WORD);
    EXPECT_EQ(core.fusex(), 0x0FBF);
    EXPECT_EQ(core.pc(), 0x7FFu);
    core.step();
    core.step();
    EXPECT_EQ(core.w(), 0x42);
}

TEST(Loading, WordsBeyondTheDeviceAreRefusedWithoutChangingIt) {
    HexImage image;
    image.program[0x800] = 0x0000;
    Core core(deviceFor(DeviceKind::SX28));
    core.setWord(0, 0x0C01);
    EXPECT_THROW(loadImage(core, image), LoadError);
    EXPECT_EQ(core.word(0), 0x0C01);
    EXPECT_EQ(deviceKindFor(image), DeviceKind::SX52);
    Core big(deviceFor(DeviceKind::SX52));
    EXPECT_NO_THROW(loadImage(big, image));
}

TEST(Loading, WordsWiderThanTwelveBitsAreRefused) {
    HexImage image;
    image.program[0] = 0x1000;
    Core core(deviceFor(DeviceKind::SX28));
    EXPECT_THROW(loadImage(core, image), LoadError);
}

} // namespace
