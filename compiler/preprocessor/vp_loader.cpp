// Virtual Peripheral loading: ready-made SX code arrives as an Intel HEX file and is copied
// word by word into the program memory image; the compiler later places its own code only in
// the image's blank stretches and writes the peripheral's words into the gaps of its object
// file. Operations: `loadvp` and `storevpword`.
//
// A data line must be exactly what the object file writer makes: ":", byte count, address,
// type 00, the data, the checksum and the line end (a CR before the LF is accepted, so files
// written on Windows load too). The first line of another shape ends the loading.
#include "compiler/preprocessor/vp_loader.hpp"

#include "compiler/base/text_format.hpp"

#include <fstream>
#include <optional>

namespace kavo {

namespace {

constexpr std::size_t LineLimit = 256;
constexpr std::uint32_t BlankWord = 0xFFF;

std::optional<int> hexNumber(const std::string& text, std::size_t at, std::size_t digits) {
    if (at + digits > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t k = at; k < at + digits; ++k) {
        const char ch = text[k];
        int digit = 0;
        if (ch >= '0' && ch <= '9')
            digit = ch - '0';
        else if (ch >= 'A' && ch <= 'F')
            digit = ch - 'A' + 10;
        else if (ch >= 'a' && ch <= 'f')
            digit = ch - 'a' + 10;
        else
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

struct Record {
    int count = 0;
    int address = 0; // byte address
    int type = -1;
    bool wellFormed = false;
};

// The fields of a line (without its line end); a data record must hold exactly its bytes.
Record readRecord(const std::string& line) {
    Record r;
    if (line.empty() || line[0] != ':')
        return r;
    const auto count = hexNumber(line, 1, 2);
    const auto address = hexNumber(line, 3, 4);
    const auto type = hexNumber(line, 7, 2);
    if (!count || !address || !type)
        return r;
    r.count = *count;
    r.address = *address;
    r.type = *type;
    // ":", count, address, type, data, checksum: the line end makes the twelfth character.
    r.wellFormed = line.size() + 1 == static_cast<std::size_t>(2 * r.count + 12);
    return r;
}

} // namespace

void storevpword(Compilation& c, int address, std::uint32_t word, VpConflicts& conflicts) {
    if (address < 0 || address >= static_cast<int>(c.programImage.size()))
        return;
    if ((word & BlankWord) == BlankWord)
        return;
    std::uint32_t& slot = c.programImage[static_cast<std::size_t>(address)];
    if ((slot & BlankWord) != BlankWord) {
        if (conflicts.count++ == 0)
            conflicts.first = address;
    }
    slot = word;
}

void loadvp(Compilation& c, const std::string& path, int line) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        c.error(strprintf("ERROR(VP1): Line %d: Cannot open VP file %s\n", line, path.c_str()));
        return;
    }
    VpConflicts conflicts;
    int loaded = 0;
    int lastType = -1;
    std::string text;
    while (std::getline(in, text)) {
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        if (text.size() > LineLimit)
            text.resize(LineLimit);
        const Record record = readRecord(text);
        lastType = record.type;
        if (record.type != 0 || !record.wellFormed)
            break;
        int address = record.address / 2;
        for (int k = 0; k < record.count / 2; ++k, ++address) {
            const int low = hexNumber(text, 9 + 4 * static_cast<std::size_t>(k), 2).value_or(0);
            const int high = hexNumber(text, 11 + 4 * static_cast<std::size_t>(k), 2).value_or(0);
            const auto word = static_cast<std::uint32_t>(high * 256 + low);
            storevpword(c, address, word, conflicts);
            if ((word & BlankWord) != BlankWord)
                ++loaded;
        }
    }
    if (lastType != 1)
        c.message("WARNING: Stoped loading VP before end of HEX file was found.\n");
    if (conflicts.count == 1)
        c.message(strprintf("WARNING(VP2): There was 1 Virtual Peripheral code conflict at "
                            "0x%04X\n",
                            conflicts.first));
    else if (conflicts.count > 1)
        c.message(strprintf("WARNING(VP3): There were %d Virtual Peripheral code conflicts "
                            "stating at 0x%04X\n",
                            conflicts.count, conflicts.first));
    c.message(strprintf("#loadvp: loaded %d non-blank program locations from %s\n", loaded,
                        path.c_str()));
    c.vpImageLoaded = true;
}

} // namespace kavo
