#pragma once

#include "AccessWriter.h"
#include "Bytes.h"
#include "FormatLayout.h"

#include <cstdint>
#include <string>

namespace tabulant::accesswriter {

// A column as it is laid out in the table definition and in every row.
struct ColumnLayout {
    Column def;
    std::uint16_t number = 0; // col_num, also the null-mask bit
    bool fixed = false;       // lives in the fixed area
    bool inNullMask = false;  // a Yes/No: the value is the null-mask bit
    bool longValue = false;   // Memo/OLE: a 12-byte header in the row
    std::uint16_t fixedOffset = 0;
    std::uint16_t varIndex = 0;
    std::uint16_t length = 0; // descriptor length
    std::uint8_t flags = 0;
    std::uint8_t extFlags = 0;
    std::uint32_t complexId = 0; // Complex: the column's ComplexID in MSysComplexColumns
};

// Fills in everything of the layout but the offsets and numbers; throws on an impossible column.
void describeColumn(ColumnLayout& c, const FormatLayout& layout);

// The stored bytes of a non-null value of a column that is not a long value (before the
// calculated-value wrapping). Throws AccessWriterError when the value does not fit the column.
Bytes encodeValue(const ColumnLayout& c, const platform::Variant& v, const FormatLayout& layout,
                  std::uint16_t codePage);

// The bytes of a Memo or OLE value before it is placed inline or on long-value pages.
Bytes encodeLongValue(const ColumnLayout& c, const platform::Variant& v, const FormatLayout& layout,
                      std::uint16_t codePage);

// The 20-byte prefix and 3 trailing bytes every calculated value carries.
Bytes wrapCalculated(const Bytes& data);

// Stored forms of single values, exposed for tests.
Bytes guidBytes(const std::string& text);
Bytes decimalBytes(const std::string& text, int precision, int scale);
Bytes extendedDateBytes(const std::string& text);

} // namespace tabulant::accesswriter
