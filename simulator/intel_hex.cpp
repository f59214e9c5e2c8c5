#include "simulator/intel_hex.hpp"

#include <fstream>
#include <limits>
#include <sstream>
#include <vector>

namespace sxsim {

namespace {

struct Record {
    unsigned type;
    std::uint32_t address;
    std::vector<std::uint8_t> data;
};

[[noreturn]] void fail(unsigned line, const std::string& what) {
    throw HexError("line " + std::to_string(line) + ": " + what);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::vector<std::uint8_t> decodeBytes(std::string_view digits, unsigned line) {
    if (digits.size() % 2 != 0) {
        fail(line, "odd number of hexadecimal digits");
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(digits.size() / 2);
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const int high = hexDigit(digits[i]);
        const int low = hexDigit(digits[i + 1]);
        if (high < 0 || low < 0) {
            fail(line, "'" + std::string(digits.substr(high < 0 ? i : i + 1, 1)) +
                           "' is not a hexadecimal digit");
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

Record parseRecord(std::string_view text, unsigned line) {
    if (text.empty() || text.front() != ':') {
        fail(line, "a record must start with ':'");
    }
    const std::vector<std::uint8_t> bytes = decodeBytes(text.substr(1), line);
    if (bytes.size() < 5) {
        fail(line, "record too short");
    }
    const unsigned count = bytes[0];
    if (bytes.size() != count + 5u) {
        fail(line, "byte count " + std::to_string(count) + " does not match the record length");
    }
    unsigned sum = 0;
    for (std::uint8_t b : bytes) {
        sum += b;
    }
    if (sum % 256 != 0) {
        fail(line, "checksum mismatch");
    }
    Record record;
    record.address = static_cast<std::uint32_t>(bytes[1] << 8 | bytes[2]);
    record.type = bytes[3];
    record.data.assign(bytes.begin() + 4, bytes.end() - 1);
    return record;
}

std::string_view trimLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    return line;
}

std::uint32_t extendedBase(const Record& record, unsigned line) {
    if (record.data.size() != 2) {
        fail(line, "an extended address record holds two bytes");
    }
    const std::uint32_t value = static_cast<std::uint32_t>(record.data[0] << 8 | record.data[1]);
    return record.type == 2 ? value << 4 : value << 16;
}

// The byte address of a data record's byte i. An extended linear address near the top
// with a record address and offset on top of it would wrap past 4 GB to address 0.
std::uint32_t byteAddress(std::uint32_t base, const Record& record, std::size_t i, unsigned line) {
    const std::uint64_t address = std::uint64_t{base} + record.address + i;
    if (address > std::numeric_limits<std::uint32_t>::max()) {
        fail(line, "data record reaches past the 4 GB address space");
    }
    return static_cast<std::uint32_t>(address);
}

// Collects bytes by byte address, then pairs them into words (low byte first).
class ByteCollector {
public:
    bool empty() const { return bytes_.empty(); }

    void add(std::uint32_t address, std::uint8_t value, unsigned line) {
        if (!bytes_.emplace(address, value).second) {
            fail(line, "byte address " + std::to_string(address) + " given twice");
        }
    }

    HexImage toImage() const {
        HexImage image;
        for (const auto& [address, value] : bytes_) {
            const std::uint32_t wordAddress = address / 2;
            const unsigned shift = (address % 2) * 8;
            std::uint16_t& word = wordSlot(image, wordAddress);
            word = static_cast<std::uint16_t>((word & ~(0xFFu << shift)) | (value << shift));
        }
        return image;
    }

private:
    // A word with only one of its bytes present keeps 0 in the other byte.
    static std::uint16_t& wordSlot(HexImage& image, std::uint32_t wordAddress) {
        if (wordAddress == HEX_FUSE_ADDRESS) {
            return image.fuse.has_value() ? *image.fuse : image.fuse.emplace(0);
        }
        if (wordAddress == HEX_FUSEX_ADDRESS) {
            return image.fusex.has_value() ? *image.fusex : image.fusex.emplace(0);
        }
        return wordAddress < HEX_CONFIG_BASE ? image.program[wordAddress]
                                             : image.aside[wordAddress];
    }

    std::map<std::uint32_t, std::uint8_t> bytes_;
};

} // namespace

HexImage parseIntelHex(std::string_view text) {
    ByteCollector collector;
    std::uint32_t base = 0;
    bool ended = false;
    unsigned lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trimLineEnd(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (line.empty()) {
            continue;
        }
        if (ended) {
            fail(lineNumber, "record after the end record");
        }
        const Record record = parseRecord(line, lineNumber);
        switch (record.type) {
        case 0:
            for (std::size_t i = 0; i < record.data.size(); ++i) {
                collector.add(byteAddress(base, record, i, lineNumber), record.data[i], lineNumber);
            }
            break;
        case 1:
            ended = true;
            break;
        case 2:
        case 4:
            base = extendedBase(record, lineNumber);
            break;
        default:
            fail(lineNumber, "unsupported record type " + std::to_string(record.type));
        }
    }
    if (!ended) {
        throw HexError("no end record (:00000001FF)");
    }
    if (collector.empty()) {
        throw HexError("no data records: the file holds no program");
    }
    return collector.toImage();
}

HexImage readIntelHexFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw HexError("cannot open '" + path + "'");
    }
    std::ostringstream contents;
    contents << in.rdbuf();
    try {
        return parseIntelHex(contents.str());
    } catch (const HexError& e) {
        throw HexError(path + ": " + e.what());
    }
}

} // namespace sxsim
