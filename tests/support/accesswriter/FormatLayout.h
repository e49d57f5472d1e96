#pragma once

// Where Jet 3 and Jet 4/ACE put things; the differences are kept as data, not as branches.

#include "AccessWriter.h"

#include <cstdint>

namespace tabulant::accesswriter {

struct FormatLayout {
    bool jet3 = false;
    std::uint32_t pageSize = 4096;
    // data and long-value pages
    std::uint32_t rowCountOffset = 12; // row offsets follow right after the count
    // table definition
    std::uint32_t tdefRowsOffset = 16;
    std::uint32_t tdefAutoNumberOffset = 20;
    std::uint32_t tdefTableTypeOffset = 40;
    std::uint32_t tdefColumnsOffset = 63;
    std::uint32_t columnEntrySize = 25;
    std::uint32_t columnNumberOffset = 5; // then offset_V, col_num again
    std::uint32_t columnMiscOffset = 11;  // precision/scale, sort order
    std::uint32_t columnFlagsOffset = 15;
    std::uint32_t columnFixedOffset = 21;
    std::uint32_t columnLengthOffset = 23;
    std::uint32_t encryptedHeaderLength = 128;
    std::uint32_t passwordLength = 40;

    std::uint32_t rowOffsetsStart() const { return rowCountOffset + 2; }
    // Bytes a row may take on an empty page, counting its offset entry.
    std::uint32_t maxRowLength() const { return pageSize - rowOffsetsStart() - 2; }
    std::uint32_t tdefHeaderOffset() const { return tdefTableTypeOffset; }
    std::uint32_t columnCountSize() const { return jet3 ? 1 : 2; }

    static FormatLayout of(Format f) {
        FormatLayout l;
        if (f != Format::Jet3) return l;
        l.jet3 = true;
        l.pageSize = 2048;
        l.rowCountOffset = 8;
        l.tdefRowsOffset = 12;
        l.tdefAutoNumberOffset = 16;
        l.tdefTableTypeOffset = 20;
        l.tdefColumnsOffset = 43;
        l.columnEntrySize = 18;
        l.columnNumberOffset = 1;
        l.columnMiscOffset = 7;
        l.columnFlagsOffset = 13;
        l.columnFixedOffset = 14;
        l.columnLengthOffset = 16;
        l.encryptedHeaderLength = 126;
        l.passwordLength = 20;
        return l;
    }
};

} // namespace tabulant::accesswriter
