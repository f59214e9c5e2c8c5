// Intel HEX object files of 12-bit SX words: each word is two bytes, low byte first, at byte
// address 2 * word address. Word addresses below 1000h are program memory; 1010h and 1011h hold
// the FUSE and FUSEX configuration words; other addresses from 1000h up (IDs, configuration
// words placed elsewhere) are kept aside unchanged.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sxsim {

inline constexpr std::uint32_t HEX_CONFIG_BASE = 0x1000;
inline constexpr std::uint32_t HEX_FUSE_ADDRESS = 0x1010;
inline constexpr std::uint32_t HEX_FUSEX_ADDRESS = 0x1011;

struct HexImage {
    std::map<std::uint32_t, std::uint16_t> program; // word address -> word
    std::optional<std::uint16_t> fuse;
    std::optional<std::uint16_t> fusex;
    std::map<std::uint32_t, std::uint16_t> aside;   // other words at 1000h and above
};

// A malformed file; the message names the line and what is wrong with it.
class HexError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses the text of a HEX file. Accepts LF and CRLF line ends, data (00), end (01), extended
// segment (02) and extended linear (04) address records; verifies every checksum.
HexImage parseIntelHex(std::string_view text);

// Reads and parses a file; a file that cannot be read is a HexError too.
HexImage readIntelHexFile(const std::string& path);

} // namespace sxsim
