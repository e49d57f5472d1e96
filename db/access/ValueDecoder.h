#pragma once

#include "TableDefinition.h"

#include "platform/AdoType.h"
#include "platform/Variant.h"

#include <cstdint>
#include <string>

namespace tabulant::db {

class LongValueReader;
class TextDecoder;

// The ADO type code a column is reported with. Calculated columns report their result type; the
// kinds ADO has no code of its own for are reported as text (Date/Time Extended, multi-valued
// and attachment fields) or binary (types this reader does not know).
platform::AdoType AdoTypeCode(const ColumnDef& column);

// Decodes the stored bytes of one non-null value into a Variant, reusing its payload.
// Thread: one reader (the decoders it is given are stateful).
class ValueDecoder {
public:
    ValueDecoder(TextDecoder& text, LongValueReader& longValues)
        : text_(text), longValues_(longValues) {}

    // False when the bytes are too short for the type or a long value cannot be followed.
    bool Decode(const ColumnDef& column, const std::uint8_t* data, std::size_t size,
                platform::Variant& out);

    // Text forms with a fixed layout, shared with the tests.
    static void AppendGuid(const std::uint8_t* data, std::string& out);
    static bool AppendDecimal(const std::uint8_t* data, int scale, std::string& out);
    static bool appendCalculatedDecimal(const std::uint8_t* data, std::size_t size,
                                        std::string& out);
    static bool AppendExtendedDate(const std::uint8_t* data, std::size_t size, std::string& out);

private:
    bool decodeCalculated(const ColumnDef& column, const std::uint8_t* data, std::size_t size,
                          platform::Variant& out);
    bool decodeAs(int type, const ColumnDef& column, const std::uint8_t* data, std::size_t size,
                  platform::Variant& out);

    TextDecoder& text_;
    LongValueReader& longValues_;
    std::string scratch_;
};

} // namespace tabulant::db
