#pragma once

// Where Jet 3 and Jet 4/ACE put things; the differences are kept as data, not as branches.

#include "AccessWriter.h"

#include <cstdint>

namespace tabulant::accesswriter {

struct FormatLayout {
    bool jet3;
    std::uint32_t pageSize;
    // data and long-value pages
    std::uint32_t rowCountOffset; // row offsets follow right after the count
    // table definition
    std::uint32_t tdefRowsOffset;
    std::uint32_t tdefAutoNumberOffset;
    std::uint32_t tdefTableTypeOffset; // then max columns, variable columns, columns, logical and
                                       // real index counts, usage maps
    std::uint32_t tdefColumnsOffset;   // the sections start here
    std::uint32_t realIndexCounterSize;
    std::uint32_t columnEntrySize;
    std::uint32_t columnNumberOffset; // then offset_V, col_num again
    std::uint32_t columnMiscOffset;   // precision/scale, sort order
    std::uint32_t columnFlagsOffset;
    std::uint32_t columnFixedOffset;
    std::uint32_t columnLengthOffset;
    // index sections
    std::uint32_t realIndexEntrySize;
    std::uint32_t realIndexKeysOffset; // ten slots of int16 col_num, uint8 order
    std::uint32_t realIndexFlagsOffset;
    std::uint8_t realIndexFlagsAlways; // set in every index flags byte of the format
    std::uint32_t logicalIndexEntrySize;
    std::uint32_t logicalIndexNumberOffset; // then real index, side, partner, partner page,
                                            // cascade updates, cascade deletes, kind
    // header
    std::uint32_t encryptedHeaderLength;
    std::uint32_t passwordLength;

    std::uint32_t rowOffsetsStart() const { return rowCountOffset + 2; }
    // Bytes a row may take on an empty page, counting its offset entry.
    std::uint32_t maxRowLength() const { return pageSize - rowOffsetsStart() - 2; }
    std::uint32_t tdefHeaderOffset() const { return tdefTableTypeOffset; }
    std::uint32_t columnCountSize() const { return jet3 ? 1 : 2; }

    static FormatLayout of(Format f);
};

inline constexpr FormatLayout kJet3Layout{
    .jet3 = true,
    .pageSize = 2048,
    .rowCountOffset = 8,
    .tdefRowsOffset = 12,
    .tdefAutoNumberOffset = 16,
    .tdefTableTypeOffset = 20,
    .tdefColumnsOffset = 43,
    .realIndexCounterSize = 8,
    .columnEntrySize = 18,
    .columnNumberOffset = 1,
    .columnMiscOffset = 7,
    .columnFlagsOffset = 13,
    .columnFixedOffset = 14,
    .columnLengthOffset = 16,
    .realIndexEntrySize = 39,
    .realIndexKeysOffset = 0,
    .realIndexFlagsOffset = 38,
    .realIndexFlagsAlways = 0x00,
    .logicalIndexEntrySize = 20,
    .logicalIndexNumberOffset = 0,
    .encryptedHeaderLength = 126,
    .passwordLength = 20,
};

inline constexpr FormatLayout kJet4Layout{
    .jet3 = false,
    .pageSize = 4096,
    .rowCountOffset = 12,
    .tdefRowsOffset = 16,
    .tdefAutoNumberOffset = 20,
    .tdefTableTypeOffset = 40,
    .tdefColumnsOffset = 63,
    .realIndexCounterSize = 12,
    .columnEntrySize = 25,
    .columnNumberOffset = 5,
    .columnMiscOffset = 11,
    .columnFlagsOffset = 15,
    .columnFixedOffset = 21,
    .columnLengthOffset = 23,
    .realIndexEntrySize = 52,
    .realIndexKeysOffset = 4,
    .realIndexFlagsOffset = 46,
    .realIndexFlagsAlways = 0x80,
    .logicalIndexEntrySize = 28,
    .logicalIndexNumberOffset = 4,
    .encryptedHeaderLength = 128,
    .passwordLength = 40,
};

inline FormatLayout FormatLayout::of(Format f) {
    return f == Format::Jet3 ? kJet3Layout : kJet4Layout;
}

} // namespace tabulant::accesswriter
