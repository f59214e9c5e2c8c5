// parseSymbolListing (the symbol rows after the 70-dash rule, split into 1- and 2-byte
// records), loadVariablesFile, findVariable and the picker's and monitor's texts.
#include "debugger/variable_table.hpp"

#include "common/line_tools.hpp"
#include "debugger/line_map.hpp"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace kavo::debugger {

namespace {

constexpr std::size_t MaxListingLine = 255;
const std::string DashRule(70, '-');

bool isNumber(const std::string& token) {
    return !token.empty() && std::isdigit(static_cast<unsigned char>(token.front()));
}

struct SymbolRow {
    std::string name;
    VariableKind kind;
    char form;
    int size;
    int address;
    std::string scope;
};

// A placed symbol's row ends with its size, its address and, for a local, the name of the
// function that uses it (a global's row ends with the address). The listing with a scope
// column puts the declared scope between size and address. Rows that do not end that way
// (functions, unplaced symbols, structure definitions, enumeration values) are no variables.
std::optional<SymbolRow> symbolRow(const std::vector<std::string>& tokens) {
    if (tokens.size() < 5 || tokens[0] != ";" || tokens[1].empty() || tokens[2] == "FUNCNAME")
        return std::nullopt;
    std::size_t last = tokens.size() - 1;
    std::string scope;
    if (!isNumber(tokens[last])) {
        scope = tokens[last];
        --last;
    }
    std::size_t size = last - 1;
    if (!isNumber(tokens[size]) && size > 3)
        --size;
    if (size <= 3 || !isNumber(tokens[last]) || !isNumber(tokens[size]))
        return std::nullopt;
    bool ofChar = false;
    for (std::size_t i = 3; i < size; ++i)
        ofChar = ofChar || tokens[i] == "CHAR";
    const bool charArray = tokens[2] == "ARRAY" && ofChar;
    return SymbolRow{tokens[1],
                     charArray ? VariableKind::CharArray : VariableKind::Other,
                     tokens[3].front(),
                     common::readIdeNumber(tokens[size]),
                     common::readIdeNumber(tokens[last]),
                     scope};
}

// A row of one or two bytes is one record; a larger one a record for every two bytes and one
// more for an odd last byte.
void addRecords(const SymbolRow& row, std::vector<VariableRecord>& records) {
    const int size = std::max(row.size, 1);
    const int pieceSize = std::min(size, 2);
    for (int offset = 0; offset < size; offset += pieceSize) {
        if (records.size() >= MaxVariables)
            return;
        VariableRecord record;
        record.kind = row.kind;
        record.form = row.form;
        record.address = row.address + offset;
        record.size = std::min(pieceSize, size - offset);
        record.name = row.name;
        record.scope = row.scope;
        records.push_back(record);
    }
}

} // namespace

std::vector<VariableRecord> parseSymbolListing(std::string_view assemblyText) {
    std::vector<VariableRecord> records;
    bool inTable = false;
    for (std::string_view text : textLines(assemblyText)) {
        if (text.size() > MaxListingLine)
            text = text.substr(0, MaxListingLine);
        const std::vector<std::string> tokens = common::tokenizeLine(text);
        if (!inTable) {
            inTable = tokens.size() > 1 && tokens[1].starts_with(DashRule);
            continue;
        }
        if (tokens.empty() || !tokens[0].starts_with(";"))
            break;
        if (const std::optional<SymbolRow> row = symbolRow(tokens))
            addRecords(*row, records);
        if (records.size() >= MaxVariables)
            break;
    }
    return records;
}

void appendVariable(std::vector<VariableRecord>& records, const std::string& name, int address,
                    int size, const std::string& scope) {
    addRecords({name, VariableKind::Other, ' ', size, address, scope}, records);
}

std::optional<std::vector<VariableRecord>> loadVariablesFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return parseSymbolListing(text.str());
}

const VariableRecord* findVariable(const std::vector<VariableRecord>& records,
                                   std::string_view name) {
    std::string_view scope;
    const std::size_t dot = name.find('.');
    if (dot != std::string_view::npos) {
        scope = name.substr(0, dot);
        name = name.substr(dot + 1);
    }
    for (const VariableRecord& record : records) {
        if (record.name == name && (dot == std::string_view::npos || record.scope == scope))
            return &record;
    }
    return nullptr;
}

std::string addressText(int address, AddressFormat format) {
    char text[32];
    switch (format) {
    case AddressFormat::Decimal:
        std::snprintf(text, sizeof text, "%3d", address);
        break;
    case AddressFormat::Hex:
        std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(address));
        break;
    case AddressFormat::BanksHex:
        std::snprintf(text, sizeof text, "%d %02X", address / DisplayBankSize,
                      static_cast<unsigned>(address % DisplayBankSize));
        break;
    }
    return std::string(text).substr(0, 5);
}

std::string scopeText(const std::string& scope) {
    return scope.empty() ? "{Global}" : "{" + scope + "}";
}

namespace {

std::string layoutLine(ListLayout layout, const std::string& name, const std::string& address,
                       const std::string& scope) {
    char text[512];
    switch (layout) {
    case ListLayout::ByName:
        std::snprintf(text, sizeof text, "%-18s | %5s | %s", name.c_str(), address.c_str(),
                      scope.c_str());
        break;
    case ListLayout::ByAddress:
        std::snprintf(text, sizeof text, "%5s | %-18s | %s", address.c_str(), name.c_str(),
                      scope.c_str());
        break;
    case ListLayout::ByScope:
        std::snprintf(text, sizeof text, "%-18s | %-15s | %5s", name.c_str(), scope.c_str(),
                      address.c_str());
        break;
    }
    return text;
}

} // namespace

std::string pickerHeader(ListLayout layout) {
    return layoutLine(layout, "Variable", "Addr", "Scope");
}

std::string pickerLine(const VariableRecord& record, ListLayout layout, AddressFormat format) {
    return layoutLine(layout, record.name, addressText(record.address, format),
                      scopeText(record.scope));
}

std::string valueText(unsigned value, int size, DataFormat format) {
    char text[32];
    switch (format) {
    case DataFormat::Decimal:
        std::snprintf(text, sizeof text, "%5u", value);
        break;
    case DataFormat::Hex:
        std::snprintf(text, sizeof text, size > 1 ? "0x%04X" : "0x%02X", value);
        break;
    case DataFormat::Ascii: {
        std::string chars;
        for (int byte = 0; byte < size; ++byte) {
            const unsigned c = (value >> (8 * byte)) & 0xFF;
            chars += (c >= 32 && c < 127) ? static_cast<char>(c) : '.';
        }
        return "'" + chars + "'";
    }
    }
    return text;
}

} // namespace kavo::debugger
