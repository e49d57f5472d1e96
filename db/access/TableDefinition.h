#pragma once

#include "DataPage.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tabulant::db {

class PageStore;
class TextDecoder;

// Column type bytes of the table definition.
namespace coltype {
inline constexpr int Boolean = 0x01, Byte = 0x02, Integer = 0x03, Long = 0x04, Money = 0x05,
                     Float = 0x06, Double = 0x07, DateTime = 0x08, Binary = 0x09, Text = 0x0A,
                     Ole = 0x0B, Memo = 0x0C, Guid = 0x0F, Numeric = 0x10, Complex = 0x12,
                     BigInt = 0x13, ExtendedDate = 0x14;
}

struct ColumnDef {
    std::string name;
    int type = 0;
    int number = 0;      // position in the row's null mask; the columns are sorted by it
    int varIndex = 0;    // slot in the row's variable-offset table
    int fixedOffset = 0; // place in the row's fixed area
    int size = 0;        // bytes in the row (0 for Yes/No and long values)
    int flags = 0;
    int extFlags = 0; // Jet 4 and later only
    int precision = 0;
    int scale = 0;

    bool fixed() const { return (flags & 0x01) != 0; }
    bool hyperlink() const { return (flags & 0x80) != 0; }
    bool calculated() const { return (extFlags & 0xC0) == 0xC0; }
};

// The parts of a table definition page (and its continuation pages) that reading rows needs.
struct TableDefinition {
    std::uint32_t page = 0;
    unsigned varColumnCount = 0;
    std::vector<ColumnDef> columns; // sorted by ColumnDef::number
    std::vector<std::uint8_t> usageMap;
    // Where the index sections start (just past the column names), and their counts.
    std::size_t indexSectionsStart = 0;
    std::uint32_t realIndexCount = 0;
    std::uint32_t logicalIndexCount = 0;

    // Throws platform::Error naming the table when the definition is missing or damaged. When
    // `bytes` is given, it receives the definition's bytes: the first page whole, then every
    // continuation page from byte 8 on (the buffer every offset of the definition counts in).
    static TableDefinition Read(PageStore& pages, const JetFormat& format, TextDecoder& text,
                                std::uint32_t page, const std::string& tableName,
                                std::vector<std::uint8_t>* bytes = nullptr);
};

// The name at `pos` of a definition's bytes (a length of JetFormat::nameLengthSize bytes, then the
// name), appended to `out`; `pos` moves past it. False when it runs past the end.
bool ReadDefinitionName(const std::vector<std::uint8_t>& definition, std::size_t& pos,
                        const JetFormat& format, TextDecoder& text, std::string& out);

// The bytes of the row that `pointer` (page << 8 | row) names; false when it does not resolve.
bool ReadPointedRow(PageStore& pages, const JetFormat& format, std::uint32_t pointer,
                    std::vector<std::uint8_t>& out);

} // namespace tabulant::db
