#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace tabulant::db {

// Where a table definition keeps the values the reader uses. Offsets count into the definition
// buffer: the first page whole, then every continuation page from byte 8 on.
struct TableDefinitionLayout {
    std::size_t autoNumber;          // int32, the last AutoNumber value handed out
    std::size_t variableColumnCount; // int16; may count deleted columns
    std::size_t columnCount;         // int16
    std::size_t logicalIndexCount;   // int32
    std::size_t realIndexCount;      // int32
    std::size_t usageMap;            // int32 pointer (page << 8 | row) to the map of owned pages
    // The sections start here, in this order: a counter block per real index, the column
    // descriptors, the column names, the real indexes, the logical indexes, their names.
    std::size_t sectionsStart;
    std::size_t realIndexCounterSize;
    std::size_t columnEntrySize;
    std::size_t realIndexEntrySize;
    std::size_t logicalIndexEntrySize;
};

// Offsets inside one column descriptor.
struct ColumnEntryLayout {
    std::size_t type;          // uint8, the column type byte
    std::size_t number;        // uint8 col_num: the null-mask bit and the order of the columns
    std::size_t variableIndex; // int16, slot in the row's variable-offset table
    std::size_t precision;     // uint8, Decimal only
    std::size_t scale;         // uint8, Decimal only
    std::size_t flags;         // uint8
    std::optional<std::size_t> extFlags; // uint8; formats before Jet 4 have none
    std::size_t fixedOffset;             // int16, place in the row's fixed area
    std::size_t size;                    // int16, bytes in the row
};

// Offsets inside one real-index entry: the index as stored, with its key columns and flags.
struct RealIndexLayout {
    // Ten key slots of three bytes: int16 column number (0xFFFF unused), uint8 order (0
    // descending).
    static constexpr std::size_t KeySlots = 10;
    std::size_t keys;
    std::size_t flags; // uint8: 0x01 unique, 0x02 ignore nulls, 0x08 required
};

// Offsets inside one logical-index entry: an index as Access shows it.
struct LogicalIndexLayout {
    std::size_t number;           // int32, what a foreign-key partner refers to
    std::size_t realIndex;        // int32, the real index holding the columns and flags
    std::size_t foreignKeySide;   // uint8: 1 referenced ("one") side, 2 referencing side
    std::size_t partnerNumber;    // int32, the partner entry in the other table
    std::size_t partnerTablePage; // int32, the other table's definition page
    std::size_t cascadeUpdates;   // uint8
    std::size_t cascadeDeletes;   // uint8: 0x01 cascade, 0x02 set null
    std::size_t kind;             // uint8: 0 ordinary, 1 primary key, 2 foreign key
};

// Everything that differs between the on-disk formats: Jet 3 on one side, Jet 4 and every ACE
// release on the other. Code asks the format instead of testing which one it is.
struct JetFormat {
    std::size_t pageSize;
    // Data and long-value pages: int16 row count here, the row offsets right after it.
    std::size_t rowCountOffset;
    // A stored row starts with its column count, one byte or two.
    std::size_t rowColumnCountSize;
    // The row's variable-column count and offsets, one byte or two each. One-byte offsets hold
    // only the low byte; a jump table says where each further 256 bytes of row begin.
    std::size_t rowOffsetSize;
    // Texts (names, values, the password) are single bytes in the header's code page rather than
    // UTF-16LE.
    bool codePageText;
    // Names in a table definition: a length of this many bytes, then the name's bytes.
    std::size_t nameLengthSize;
    // Page 0 from 0x18 on is obfuscated with a fixed RC4 key over this many bytes.
    std::size_t headerBlockSize;
    // The stored database password at 0x42: its size, and whether it is masked with the days of
    // the creation date.
    std::size_t passwordSize;
    bool passwordMasked;
    TableDefinitionLayout tableDefinition;
    ColumnEntryLayout column;
    RealIndexLayout realIndex;
    LogicalIndexLayout logicalIndex;

    // The format of a header version byte (0 Jet 3, 1 Jet 4, 2..6 the ACE releases).
    static const JetFormat& ForVersion(int version);
};

inline constexpr JetFormat Jet3Format{
    .pageSize = 2048,
    .rowCountOffset = 0x08,
    .rowColumnCountSize = 1,
    .rowOffsetSize = 1,
    .codePageText = true,
    .nameLengthSize = 1,
    .headerBlockSize = 126,
    .passwordSize = 20,
    .passwordMasked = false,
    .tableDefinition = {.autoNumber = 16,
                        .variableColumnCount = 23,
                        .columnCount = 25,
                        .logicalIndexCount = 27,
                        .realIndexCount = 31,
                        .usageMap = 35,
                        .sectionsStart = 43,
                        .realIndexCounterSize = 8,
                        .columnEntrySize = 18,
                        .realIndexEntrySize = 39,
                        .logicalIndexEntrySize = 20},
    .column = {.type = 0,
               .number = 1,
               .variableIndex = 3,
               .precision = 9,
               .scale = 10,
               .flags = 13,
               .extFlags = std::nullopt,
               .fixedOffset = 14,
               .size = 16},
    .realIndex = {.keys = 0, .flags = 38},
    .logicalIndex = {.number = 0,
                     .realIndex = 4,
                     .foreignKeySide = 8,
                     .partnerNumber = 9,
                     .partnerTablePage = 13,
                     .cascadeUpdates = 17,
                     .cascadeDeletes = 18,
                     .kind = 19},
};

inline constexpr JetFormat Jet4Format{
    .pageSize = 4096,
    .rowCountOffset = 0x0C,
    .rowColumnCountSize = 2,
    .rowOffsetSize = 2,
    .codePageText = false,
    .nameLengthSize = 2,
    .headerBlockSize = 128,
    .passwordSize = 40,
    .passwordMasked = true,
    .tableDefinition = {.autoNumber = 20,
                        .variableColumnCount = 43,
                        .columnCount = 45,
                        .logicalIndexCount = 47,
                        .realIndexCount = 51,
                        .usageMap = 55,
                        .sectionsStart = 63,
                        .realIndexCounterSize = 12,
                        .columnEntrySize = 25,
                        .realIndexEntrySize = 52,
                        .logicalIndexEntrySize = 28},
    .column = {.type = 0,
               .number = 5,
               .variableIndex = 7,
               .precision = 11,
               .scale = 12,
               .flags = 15,
               .extFlags = 16,
               .fixedOffset = 21,
               .size = 23},
    // Jet 4 entries start with a constant int32; four varying bytes precede the flags.
    .realIndex = {.keys = 4, .flags = 46},
    .logicalIndex = {.number = 4,
                     .realIndex = 8,
                     .foreignKeySide = 12,
                     .partnerNumber = 13,
                     .partnerTablePage = 17,
                     .cascadeUpdates = 21,
                     .cascadeDeletes = 22,
                     .kind = 23},
};

inline const JetFormat& JetFormat::ForVersion(int version) {
    return version == 0 ? Jet3Format : Jet4Format;
}

} // namespace tabulant::db
