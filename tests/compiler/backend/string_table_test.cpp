// The string table: its layouts, and its reader run on the simulator for every index.
#include "tests/compiler/backend/backend_fixture.hpp"

#include "simulator/core.hpp"
#include "simulator/device.hpp"

#include <map>
#include <random>
#include <vector>

namespace kavo {
namespace {

using testing::BackendTest;

constexpr int CallerLine = 50;

class StringTableTest : public BackendTest {
protected:
    StringTableTest() {
        c.codegen.returnHighRegister = "_tmp_0";
        emit(c, PIC_LABEL, "@@@@@");
        emit(c, PIC_STRINGLOC, "strings");
    }

    // Strings of random bytes (1 to 255) that fill size bytes of table with their zeros.
    std::vector<std::uint8_t> addStrings(int size, unsigned seed = 7) {
        std::mt19937 random(seed);
        std::vector<std::uint8_t> bytes;
        while (static_cast<int>(bytes.size()) < size) {
            const int length = std::min(size - static_cast<int>(bytes.size()) - 1,
                                        static_cast<int>(random() % 40));
            std::string text;
            for (int k = 0; k < length; ++k)
                text += static_cast<char>(1 + random() % 255);
            c.codegen.stringConstants.push_back(
                {"_str_" + std::to_string(bytes.size()), text, static_cast<int>(bytes.size())});
            bytes.insert(bytes.end(), text.begin(), text.end());
            bytes.push_back(0);
        }
        c.codegen.stringTableSize = size;
        return bytes;
    }

    // A caller of the reader, as a char-pointer dereference makes one.
    void addCaller() {
        emit(c, PIC_LABEL, "caller", -1, CallerLine);
        emit(c, PIC_CALL, "@__strings_", -1, CallerLine);
        emit(c, PIC_LABEL, "stop", -1, CallerLine);
        emit(c, PIC_GOTO, "stop", -1, CallerLine);
    }

    std::vector<const Instruction*> dataWords() const {
        std::vector<const Instruction*> words;
        for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
            if (i->opcode == PIC_PROGLOC)
                words.push_back(i);
        }
        return words;
    }

    bool hasLabel(const std::string& name) const {
        return c.instructions.findLabel(name) != nullptr;
    }
};

TEST_F(StringTableTest, UpTo169BytesOneWordABytePlainReader) {
    const auto bytes = addStrings(169);
    addCaller();
    makestrings(c);
    const auto words = dataWords();
    ASSERT_EQ(words.size(), 169u);
    for (std::size_t k = 0; k < words.size(); ++k) {
        EXPECT_EQ(words[k]->operand, std::to_string(bytes[k]));
        EXPECT_EQ(words[k]->value, bytes[k]);
    }
    EXPECT_TRUE(hasLabel("@@__strings_"));
    EXPECT_TRUE(hasLabel("@__s_start_"));
    EXPECT_TRUE(hasLabel("@@__strings__END"));
    EXPECT_FALSE(hasLabel("@_comp_str"));
}

TEST_F(StringTableTest, From170BytesThreeBytesInTwoWords) {
    const auto bytes = addStrings(170);
    addCaller();
    makestrings(c);
    const auto words = dataWords();
    ASSERT_EQ(words.size(), 114u);
    EXPECT_TRUE(hasLabel("@_comp_str"));
    // Word i: byte i low; high nibble of byte 114+i (i < 57) or low nibble of byte 57+i.
    const int w = 114;
    const int h = 57;
    for (int i = 0; i < w; ++i) {
        const int byteAt = w + (i < h ? i : i - h);
        const int nibble = byteAt < 170 ? (i < h ? bytes[byteAt] >> 4 : bytes[byteAt] & 15) : 0;
        EXPECT_EQ(std::stoi(words[static_cast<std::size_t>(i)]->operand), bytes[i] | nibble << 8)
            << "word " << i;
        EXPECT_EQ(words[static_cast<std::size_t>(i)]->value, bytes[i]);
    }
}

TEST_F(StringTableTest, ThePackedLayoutHoldsEveryTableSize) {
    for (int size = 170; size <= 8191; ++size) {
        const int count = (2 * size + 2) / 3;
        const int half = (count + 1) / 2;
        ASSERT_LE(size - count, half) << size << ": high nibbles";
        ASSERT_LE(size - count, count - half) << size << ": low nibbles";
    }
}

TEST_F(StringTableTest, NoStringsAndNoReaderRemovesThePlaceholder) {
    makestrings(c);
    EXPECT_EQ(c.instructions.head()->next, nullptr);
    EXPECT_EQ(io.messages, "");
}

// A char pointer may be read although the program has no string literal: the reader must
// exist for the CALL to land, over a table of one zero word.
TEST_F(StringTableTest, ReaderWithoutStringsWarnsAndReadsAZero) {
    addCaller();
    makestrings(c);
    EXPECT_EQ(io.messages, "WARNING: String operator \"@\" used but no strings defined.\n");
    const auto words = dataWords();
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words[0]->operand, "0");
    EXPECT_TRUE(hasLabel("@@__strings_"));
}

TEST_F(StringTableTest, TheReaderSitsAtThePlaceholderAndTheDataAtTheEnd) {
    addStrings(20);
    addCaller();
    makestrings(c);
    const Instruction* i = c.instructions.head()->next;
    ASSERT_EQ(i->opcode, PIC_STRINGLOC);
    EXPECT_EQ(i->next->operand, "@@__strings_");
    const Instruction* last = i;
    while (last->next != nullptr)
        last = last->next;
    EXPECT_EQ(last->opcode, PIC_PROGLOC);
    EXPECT_EQ(i->next->scope, GlobalScope);
}

TEST_F(StringTableTest, TheDataStaysInFrontOfATrailingResetJump) {
    addStrings(5);
    addCaller();
    emit(c, PIC_RESET, "main");
    makestrings(c);
    const Instruction* beforeLast = nullptr;
    const Instruction* last = c.instructions.head();
    while (last->next != nullptr) {
        beforeLast = last;
        last = last->next;
    }
    EXPECT_EQ(last->opcode, PIC_RESET);
    ASSERT_NE(beforeLast, nullptr);
    EXPECT_EQ(beforeLast->opcode, PIC_PROGLOC);
    EXPECT_EQ(dataWords().size(), 5u);
}

// --- The reader on the simulator ---------------------------------------------------------

// Places the list from start the way the placement does for a one-page program in bank 0,
// resolves the operands and loads the words into a core.
class PlacedProgram {
public:
    PlacedProgram(Compilation& c, int start) : core_(sxsim::deviceFor(sxsim::DeviceKind::SX28)) {
        ram_ = {{"@__stat__", 3}, {"_prm_1", 0x10}, {"_prm_2", 0x11}, {"_tmp_0", 0x12}};
        int address = start;
        for (Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
            i->address = address;
            if (i->opcode == PIC_LABEL)
                labels_[i->operand] = address;
            else if (!output::producesNoWord(i->opcode))
                ++address;
        }
        core_.reset();
        // Resolved on a copy: the list stays as makestrings left it, to be placed again.
        for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
            Instruction copy = *i;
            resolve(copy);
            const int word = output::encodeword(c, copy);
            if (word != NoMachineWord)
                core_.setWord(static_cast<unsigned>(i->address), static_cast<std::uint16_t>(word));
        }
    }

    int label(const std::string& name) const { return labels_.at(name); }

    // The character the reader returns for index.
    int read(int index) {
        core_.writeFlat(0x10, static_cast<std::uint8_t>(index & 0xFF));
        core_.writeFlat(0x11, static_cast<std::uint8_t>(index >> 8));
        core_.setPc(static_cast<unsigned>(label("caller")));
        const auto result = core_.run(1000);
        EXPECT_EQ(result.reason, sxsim::StopReason::SelfJump);
        return core_.w();
    }

private:
    void resolve(Instruction& i) {
        const int op = i.opcode;
        if (op == PIC_LABELADDR || op == PIC_LABELADDRHI) {
            const int start = label(i.operand);
            i.resolved = op == PIC_LABELADDR ? start & 0xFF : start >> 8;
            i.opcode = PIC_MOVLW;
        } else if (op == PIC_CALL) {
            i.resolved = label("@" + i.operand);
        } else if (op == PIC_GOTO) {
            i.resolved = label(i.operand);
        } else if (ram_.count(i.operand) != 0) {
            const int reg = ram_.at(i.operand) % 32;
            i.resolved = reg + 32 * std::max(i.dest, 0);
        } else if (op == PIC_MOVLW || op == PIC_ANDLW) {
            i.resolved = std::stoi(i.operand);
        }
    }

    sxsim::Core core_;
    std::map<std::string, int> ram_;
    std::map<std::string, int> labels_;
};

// The table starts at 0xF8 so that the index carries into the high address byte.
void expectEveryByteRead(Compilation& c, const std::vector<std::uint8_t>& bytes) {
    const int tableOffset = PlacedProgram(c, 0).label("@__s_start_");
    PlacedProgram program(c, 0xF8 - tableOffset);
    ASSERT_EQ(program.label("@__s_start_"), 0xF8);
    ASSERT_LT(program.label("@@__strings_"), 256) << "CALL reaches the reader";
    for (std::size_t k = 0; k < bytes.size(); ++k)
        ASSERT_EQ(program.read(static_cast<int>(k)), bytes[k]) << "index " << k;
}

TEST_F(StringTableTest, ThePlainReaderReturnsEveryByte) {
    const auto bytes = addStrings(169, 3);
    addCaller();
    makestrings(c);
    expectEveryByteRead(c, bytes);
    EXPECT_EQ(c.errors(), 0) << io.messages;
}

class PackedReader : public StringTableTest, public ::testing::WithParamInterface<int> {};

TEST_P(PackedReader, ReturnsEveryByte) {
    const auto bytes = addStrings(GetParam(), 11);
    addCaller();
    makestrings(c);
    expectEveryByteRead(c, bytes);
    EXPECT_EQ(c.errors(), 0) << io.messages;
}

INSTANTIATE_TEST_SUITE_P(TableSizes, PackedReader, ::testing::Values(170, 171, 172, 600));

} // namespace
} // namespace kavo
