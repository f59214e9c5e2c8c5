// The strings pass: the program's string literals become a table of data words in program
// memory, read at run time by the routine "@__strings_" with IREAD. Operation: `makestrings`,
// with the plain layout (one byte a word) and the packed one (three bytes in two words).
//
// The reader takes the byte index the way every char-pointer dereference passes it: low byte
// in parameter slot 1, high byte in slot 2 (W holds nothing useful at the call). Slots 1 and 2
// and the return-high register are its only scratch, and those are what the interrupt routine
// saves around a call of the reader.
//
// The reader's code sits at the placeholder, in front of the runtime routines, where CALL can
// reach it; the data words go to the end of the program (before a trailing reset jump) so that
// a long table never pushes the routines' entries out of the first half page.
#include "compiler/backend/backend.hpp"

#include "compiler/backend/placement_internal.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/codegen/emit.hpp"
#include "compiler/symbols/symbols.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace kavo {

namespace {

constexpr int StringTableLine = 8000;
constexpr int LastPlainSize = 169;
constexpr const char* Reader = "@__strings_";
constexpr const char* TableStart = "@__s_start_";
constexpr const char* PackedPart = "@_comp_str";
constexpr const char* Status = "@__stat__";
constexpr const char* FileSelect = "@__fsr__";
constexpr const char* Indirect = "@__f0__";
constexpr int CarryBit = 0;
constexpr int RamTagBit = 7; // CharPointerRamTag's bit in a char pointer's high byte
static_assert(CharPointerRamTag == 1 << RamTagBit);
constexpr int ToW = 0;
constexpr int ToF = 1;

// Every string's bytes at its position, each followed by its terminating 0.
std::vector<std::uint8_t> stringBytes(const Compilation& c) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(c.codegen.stringTableSize), 0);
    for (const StringConstant& s : c.codegen.stringConstants) {
        for (std::size_t k = 0; k < s.text.size(); ++k) {
            const std::size_t at = static_cast<std::size_t>(s.position) + k;
            if (at < bytes.size())
                bytes[at] = static_cast<std::uint8_t>(s.text[k]);
        }
    }
    return bytes;
}

bool readerIsCalled(const Compilation& c) {
    for (const Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        if (i->opcode == PIC_CALL && i->operand == Reader)
            return true;
    }
    return false;
}

struct DataWord {
    int word;
    int character; // the byte the word's low eight bits hold
};

std::vector<DataWord> plainWords(const std::vector<std::uint8_t>& bytes) {
    std::vector<DataWord> words;
    for (std::uint8_t b : bytes)
        words.push_back({b, b});
    return words;
}

// W words hold bytes 0..W-1 in their low eight bits; bytes W, W+1 ... are split into nibbles
// in bits 8-11: the high nibble of byte W+j in word j, its low nibble in word j+H.
std::vector<DataWord> packedWords(const std::vector<std::uint8_t>& bytes) {
    const int size = static_cast<int>(bytes.size());
    const int count = (2 * size + 2) / 3;
    const int half = (count + 1) / 2;
    auto byteAt = [&](int k) { return k < size ? bytes[static_cast<std::size_t>(k)] : 0; };
    std::vector<DataWord> words;
    for (int i = 0; i < count; ++i) {
        const int nibble = i < half ? byteAt(count + i) >> 4 : byteAt(count + i - half) & 0x0F;
        words.push_back({byteAt(i) | nibble << 8, byteAt(i)});
    }
    return words;
}

class StringTableWriter {
public:
    explicit StringTableWriter(Compilation& c) : c_(c) {
        savedGlobalScope_ = c.codegen.globalScopeFlag;
        c.codegen.globalScopeFlag = true;
        low_ = newparm(c, 1);
        high_ = newparm(c, 2);
        scratch_ = c.codegen.returnHighRegister.empty() ? std::string("@__SxItmp_")
                                                        : c.codegen.returnHighRegister;
    }
    ~StringTableWriter() { c_.codegen.globalScopeFlag = savedGlobalScope_; }
    StringTableWriter(const StringTableWriter&) = delete;
    StringTableWriter& operator=(const StringTableWriter&) = delete;

    // Reads the word at the table start plus the index, as plain table entries are read.
    void plainReader() {
        label(strprintf("@%s", Reader));
        ramBranch();
        addTableStart();
        fetch();
        ret();
        label(strprintf("@%s_END", Reader));
    }

    // Indexes below the word count read a low byte; the rest join two nibbles.
    void packedReader(int wordCount, int half) {
        label(strprintf("@%s", Reader));
        ramBranch();
        compareIndex(wordCount, ToW);
        bit(PIC_BTFSC, CarryBit);
        jump(PackedPart);
        addTableStart();
        fetch();
        ret();
        label(PackedPart);
        compareIndex(wordCount, ToF);
        addTableStart();
        fetch();
        emit(c_, PIC_MOVMW, {}, -1, StringTableLine);
        literal(PIC_ANDLW, 0x0F);
        store(scratch_);
        addConstant(half);
        fetch();
        op(PIC_SWAPF, scratch_, ToF);
        emit(c_, PIC_MOVMW, {}, -1, StringTableLine);
        literal(PIC_ANDLW, 0x0F);
        op(PIC_IORWF, scratch_, ToW);
        ret();
        label(strprintf("@%s_END", Reader));
    }

    void table(const std::vector<DataWord>& words) {
        label(TableStart);
        for (const DataWord& w : words)
            emit(c_, PIC_PROGLOC, std::to_string(w.word), -1, StringTableLine, w.character);
    }

private:
    // A char pointer given a RAM address holds it with the RAM tag in its high byte: its byte
    // is read through FSR. FSR stays at that byte, so callers take the bank as unknown after
    // the call.
    void ramBranch() {
        if (!c_.codegen.charPointersReachRam)
            return;
        const std::string table = strprintf("@%s_ROM", Reader);
        emit(c_, PIC_BTFSS, high_, RamTagBit, StringTableLine);
        jump(table);
        op(PIC_MOVF, low_, ToW);
        store(FileSelect);
        op(PIC_MOVF, Indirect, ToW);
        ret();
        label(table);
    }

    // The index minus count (16 bits); the carry is set when the index is count or more. With
    // ToF the difference replaces the index.
    void compareIndex(int count, int dest) {
        literal(PIC_MOVLW, count & 0xFF);
        op(PIC_SUBWF, low_, dest);
        literal(PIC_MOVLW, count >> 8);
        bit(PIC_BTFSS, CarryBit);
        literal(PIC_MOVLW, (count >> 8) + 1);
        op(PIC_SUBWF, high_, dest);
    }

    // The index becomes the program address of its word.
    void addTableStart() {
        emit(c_, PIC_LABELADDR, TableStart, -1, StringTableLine);
        op(PIC_ADDWF, low_, ToF);
        bit(PIC_BTFSC, CarryBit);
        op(PIC_INCF, high_, ToF);
        emit(c_, PIC_LABELADDRHI, TableStart, -1, StringTableLine);
        op(PIC_ADDWF, high_, ToF);
    }

    void addConstant(int value) {
        literal(PIC_MOVLW, value & 0xFF);
        op(PIC_ADDWF, low_, ToF);
        bit(PIC_BTFSC, CarryBit);
        op(PIC_INCF, high_, ToF);
        literal(PIC_MOVLW, value >> 8);
        op(PIC_ADDWF, high_, ToF);
    }

    // IREAD of the word at the address in the slots: low byte in W, bits 8-11 in M.
    void fetch() {
        op(PIC_MOVF, high_, ToW);
        // On the 4096-word parts M has a fifth bit, which makes MOV !port,W write the port
        // control registers (clear, it reads them); IREAD uses bits 3:0, so keep bit 4 set.
        if (placement::chiplayout(c_).usesPageBit2())
            literal(PIC_IORLW, 0x10);
        emit(c_, PIC_MOVWM, {}, -1, StringTableLine);
        op(PIC_MOVF, low_, ToW);
        emit(c_, PIC_IREAD, {}, -1, StringTableLine);
    }

    void label(const std::string& name) { emit(c_, PIC_LABEL, name, -1, StringTableLine); }
    void op(int opcode, const std::string& f, int dest) {
        emit(c_, opcode, f, dest, StringTableLine);
    }
    void store(const std::string& f) { emit(c_, PIC_MOVWF, f, -1, StringTableLine); }
    void literal(int opcode, int k) { emit(c_, opcode, std::to_string(k), -1, StringTableLine, k); }
    void bit(int opcode, int bitNumber) { emit(c_, opcode, Status, bitNumber, StringTableLine); }
    void jump(const std::string& target) { emit(c_, PIC_GOTO, target, -1, StringTableLine); }
    void ret() { emit(c_, PIC_RETURN, {}, -1, StringTableLine); }

    Compilation& c_;
    bool savedGlobalScope_ = false;
    std::string low_;
    std::string high_;
    std::string scratch_;
};

void removePlaceholder(Compilation& c, Instruction* placeholder) {
    Instruction* previous = nullptr;
    for (Instruction* i = c.instructions.head(); i != placeholder; i = i->next)
        previous = i;
    const bool cache = c.instructions.cacheEnabled();
    c.instructions.setCacheEnabled(false);
    c.instructions.remove(previous, placeholder);
    c.instructions.setCacheEnabled(cache);
}

// The data words go last, but in front of a trailing reset jump: that jump has its own
// address at the top of memory, and the program's words stay one run.
Instruction* tableAnchor(Compilation& c, Instruction* last) {
    if (last == nullptr || last->opcode != PIC_RESET)
        return last;
    Instruction* previous = c.instructions.head();
    while (previous != nullptr && previous->next != last)
        previous = previous->next;
    return previous != nullptr ? previous : last;
}

} // namespace

namespace {

// A string's address, as the address loads give it to the reader, is its position in the
// table; the string entries take no RAM.
void locateStrings(Compilation& c) {
    for (const StringConstant& s : c.codegen.stringConstants) {
        if (Symbol* symbol = findsymin(c, s.name, "_GLOBAL_"))
            symbol->addr = s.position;
    }
}

} // namespace

void makestrings(Compilation& c) {
    locateStrings(c);
    Instruction* placeholder = findStringLoc(c);
    if (placeholder == nullptr)
        return;
    std::vector<std::uint8_t> bytes = stringBytes(c);
    if (bytes.empty()) {
        if (!readerIsCalled(c)) {
            removePlaceholder(c, placeholder);
            return;
        }
        // Char pointers that only ever point at RAM need no table; a null one reads 0.
        if (!c.codegen.charPointersReachRam)
            c.message("WARNING: String operator \"@\" used but no strings defined.\n");
        bytes.push_back(0);
    }
    const bool packed = bytes.size() > LastPlainSize;
    const std::vector<DataWord> words = packed ? packedWords(bytes) : plainWords(bytes);
    StringTableWriter writer(c);
    Instruction* tail = lastInstruction(c);
    if (packed)
        writer.packedReader(static_cast<int>(words.size()),
                            (static_cast<int>(words.size()) + 1) / 2);
    else
        writer.plainReader();
    moveEmittedAfter(c, tail, placeholder);
    tail = lastInstruction(c);
    writer.table(words);
    moveEmittedAfter(c, tail, tableAnchor(c, tail));
}

} // namespace kavo
