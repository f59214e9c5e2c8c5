// The variables table: the RAM variables of the compiled program, read from the symbol listing
// the compiler writes into the assembly file. Variables larger than two bytes are split into
// records of two bytes (and one of one byte for an odd last byte), so that every record is a
// value the monitor can show. Operations: parseSymbolListing, loadVariablesFile, findVariable,
// and the texts of the picker and the monitor (addressText, scopeText, pickerHeader,
// pickerLine, valueText).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavo::debugger {

inline constexpr std::size_t MaxVariables = 510;

enum class VariableKind { CharArray = 1, Other = 2 };

struct VariableRecord {
    VariableKind kind = VariableKind::Other;
    char form = ' ';  // first character of the listing's form column
    int address = -1; // flat RAM address of the record's first byte
    int size = 1;     // 1 or 2
    int listIndex = -1;
    bool picked = false;
    std::string name;
    std::string scope; // the function that uses it; empty for a global
};

// A value the user queued for a variable, written into RAM by the debug target.
struct PendingModification {
    std::string name;
    int address = 0;
    int value = 0;
    bool written = false;
};

// The records of the symbol listing that follows the first 70-dash rule; at most
// MaxVariables. Functions, unplaced symbols, structure definitions and enumeration constants
// give no record.
std::vector<VariableRecord> parseSymbolListing(std::string_view assemblyText);

// Appends a variable the listing does not show, split like the listing's (up to MaxVariables).
void appendVariable(std::vector<VariableRecord>& records, const std::string& name, int address,
                    int size, const std::string& scope = {});

// Reads the assembly file; nothing when it cannot be read.
std::optional<std::vector<VariableRecord>> loadVariablesFile(const std::string& path);

// The first record of name (in scope, when scope is given as "function.name").
const VariableRecord* findVariable(const std::vector<VariableRecord>& records,
                                   std::string_view name);

enum class AddressFormat { Decimal = 0, Hex = 1, BanksHex = 2 };
enum class DataFormat { Decimal = 0, Hex = 1, Ascii = 2 };
enum class ListLayout { ByName = 0, ByAddress = 1, ByScope = 2 };

// Banks of this many bytes in the "Banks & Hex" address format.
inline constexpr int DisplayBankSize = 128;

std::string addressText(int address, AddressFormat format);
std::string scopeText(const std::string& scope);
std::string pickerHeader(ListLayout layout);
std::string pickerLine(const VariableRecord& record, ListLayout layout, AddressFormat format);
// A record's value (its bytes, low byte first) in the monitor's data format.
std::string valueText(unsigned value, int size, DataFormat format);

} // namespace kavo::debugger
