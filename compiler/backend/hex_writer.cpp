// The Intel HEX object file: the program's words in data records of at most eight words, the
// Virtual Peripheral image's words in the gaps the program leaves, the configuration words the
// pragmas give, and the end record. Operations: `writehex`, `fillhex`, `hexword`,
// `hexchecksum`.
//
// Each 12-bit word takes two bytes, low byte first, at byte address twice its word address.
#include "compiler/backend/backend.hpp"

#include "compiler/backend/output_internal.hpp"
#include "compiler/base/text_format.hpp"
#include "compiler/tables/opcodes.hpp"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace kavo {

namespace {

constexpr int RecordWords = 8;
constexpr int DataRecord = 0;

int hexDigit(char digit) {
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    return 0;
}

// The debug form spaces the fields out and the data into groups of one word.
std::string spacedRecord(int byteAddress, const std::string& data, int checksum) {
    std::string record =
        strprintf(":%02X %04X %02X ", static_cast<int>(data.size() / 2), byteAddress, DataRecord);
    for (std::size_t at = 0; at < data.size(); at += 4)
        record += " " + data.substr(at, 4);
    return record + strprintf("  %02X\n", checksum);
}

void writeDataRecord(OutputStream& file, int wordAddress, const std::string& data, bool spaced) {
    const int byteCount = static_cast<int>(data.size() / 2);
    const int byteAddress = 2 * wordAddress;
    const int checksum = hexchecksum(byteCount, byteAddress, DataRecord, data);
    if (spaced) {
        file.write(spacedRecord(byteAddress, data, checksum));
        return;
    }
    file.write(strprintf(":%02X%04X%02X%s%02X\n", byteCount, byteAddress, DataRecord, data.c_str(),
                         checksum));
}

struct ConfigRecord {
    int location;
    std::string data;
};

// A configuration value goes through "0x%04X" and back in the original, which holds it to
// 16 bits.
int configValue(Compilation& c, const std::string& name) {
    return static_cast<int>(c.pragmas.number(name, 0) & 0xFFFF);
}

std::optional<ConfigRecord> configWord(Compilation& c, const char* valueName,
                                       const char* locationName, int defaultLocation) {
    if (!c.pragmas.has(valueName))
        return std::nullopt;
    const int value = configValue(c, valueName);
    const int location = static_cast<int>(
        c.pragmas.number(locationName, static_cast<std::uint32_t>(defaultLocation)));
    return ConfigRecord{location, hexword(value)};
}

// "PROC_ID_VAL_0", "PROC_ID_VAL_1" ... up to the first name that is not defined.
std::optional<ConfigRecord> processorId(Compilation& c) {
    const char* base = "PROC_ID_VAL";
    std::string data;
    for (int n = 0;; ++n) {
        const std::string name = n == 0 ? strprintf("%s_0", base) : strprintf("%s_%d", base, n);
        if (!c.pragmas.has(name))
            break;
        data += hexword(configValue(c, name));
    }
    if (data.empty())
        return std::nullopt;
    return ConfigRecord{static_cast<int>(c.pragmas.number("PROC_ID_LOC", 0x2000)), data};
}

void writeConfigRecords(Compilation& c, OutputStream& file) {
    std::vector<ConfigRecord> records;
    if (auto id = processorId(c))
        records.push_back(*id);
    if (auto code = configWord(c, "PROC_CODE_WORD_VAL", "PROC_CODE_WORD_LOC", 0x2007))
        records.push_back(*code);
    auto fuse = configWord(c, "FUSE_WORD_VAL", "FUSE_WORD_LOC", 0x1FFF);
    auto fusex = configWord(c, "FUSEX_WORD_VAL", "FUSEX_WORD_LOC", 0x1FFF);
    if (fuse && fusex && fusex->location < fuse->location)
        std::swap(fuse, fusex);
    for (auto* word : {&fuse, &fusex}) {
        if (*word)
            records.push_back(**word);
    }
    for (const ConfigRecord& record : records)
        writeDataRecord(file, record.location, record.data, false);
}

// The program's words in list order, each with its word stored on the instruction.
std::vector<const Instruction*> encodeProgram(Compilation& c) {
    std::vector<const Instruction*> placed;
    for (Instruction* i = c.instructions.head(); i != nullptr; i = i->next) {
        i->word = output::encodeword(c, *i);
        if (i->word != NoMachineWord)
            placed.push_back(i);
    }
    return placed;
}

// The end of the code and the reset jump: the last word in the list normally is the reset
// jump at the top of memory, so the last word but one ends the code.
int programMemoryUsed(const std::vector<const Instruction*>& placed) {
    if (placed.empty())
        return 0;
    if (placed.size() == 1)
        return placed.front()->address + 1;
    return placed[placed.size() - 2]->address + 2;
}

class HexWriter {
public:
    HexWriter(Compilation& c, OutputStream& file)
        : c_(c), file_(file), spaced_(c.flags.debugForm == 2) {}

    void write() {
        // An instruction that cannot be encoded leaves the object file empty rather than
        // holding a program with a word missing.
        const int errorsBefore = c_.errors();
        const std::vector<const Instruction*> placed = encodeProgram(c_);
        if (c_.errors() > errorsBefore)
            return;
        if (!placed.empty())
            fillhex(c_, file_, 0, placed.front()->address - 1);
        for (std::size_t k = 0; k < placed.size(); ++k) {
            add(*placed[k]);
            const Instruction* next = k + 1 < placed.size() ? placed[k + 1] : nullptr;
            if (next == nullptr)
                break;
            if (words_ == RecordWords || next->address != placed[k]->address + 1) {
                flush();
                fillhex(c_, file_, placed[k]->address + 1, next->address - 1);
            }
        }
        c_.message(strprintf("Program memory used: %d locations.\n", programMemoryUsed(placed)));
        flush();
        const int afterProgram = placed.empty() ? 0 : placed.back()->address + 1;
        fillhex(c_, file_, afterProgram, static_cast<int>(c_.pragmas.number("ROM_END", 511)));
        writeConfigRecords(c_, file_);
        file_.write(spaced_ ? ":00 0000 01 FF\n" : ":00000001FF\n");
    }

private:
    void add(const Instruction& i) {
        if (words_ == 0)
            start_ = i.address;
        data_ += hexword(i.word);
        ++words_;
    }

    void flush() {
        if (words_ > 0)
            writeDataRecord(file_, start_, data_, spaced_);
        data_.clear();
        words_ = 0;
    }

    Compilation& c_;
    OutputStream& file_;
    bool spaced_;
    int start_ = 0;
    int words_ = 0;
    std::string data_;
};

} // namespace

std::string hexword(int value) {
    return strprintf("%04X", (value % 256) * 256 + value / 256);
}

int hexchecksum(int byteCount, int byteAddress, int recordType, std::string_view dataText) {
    int sum = byteCount + (byteAddress >> 8) + (byteAddress & 0xFF) + recordType;
    for (std::size_t at = 0; at + 1 < dataText.size(); at += 2)
        sum += hexDigit(dataText[at]) * 16 + hexDigit(dataText[at + 1]);
    return (256 - sum % 256) % 256;
}

void fillhex(Compilation& c, OutputStream& file, int first, int last) {
    if (!c.vpImageLoaded || first >= last)
        return;
    const int end = std::min(last, static_cast<int>(c.programImage.size()) - 1);
    for (int start = first; start <= end; start += RecordWords) {
        std::string data;
        for (int a = start; a <= end && a < start + RecordWords; ++a)
            data += hexword(static_cast<int>(c.programImage[static_cast<std::size_t>(a)]));
        writeDataRecord(file, start, data, false);
    }
}

void writehex(Compilation& c, OutputStream& file) {
    HexWriter(c, file).write();
}

} // namespace kavo
