#pragma once

#include "JetFormat.h"
#include "TableDefinition.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tabulant::db {

// Where one column's value lies in a stored row. `present` is false for a null value and for a
// column the row does not hold (added to the table after the row was written); for a Yes/No
// field it is the value itself.
struct RowField {
    std::size_t start = 0; // from the row's first byte
    std::size_t size = 0;
    bool present = false;
};

// Splits stored rows of one table into their values. A row is laid out as: its column count,
// the fixed-size values at their offsets, the variable-size values, then (read from the end)
// the null mask (one bit per column the row holds, by column number), the number of variable
// columns the row holds, and their offsets (one more than that count: the last says where the
// variable data ends). Rows written before a column was deleted still hold it, rows written
// before one was added do not: the row's own counts decide, the table's only name the columns.
// Thread: one reader.
class RowLayout {
public:
    RowLayout(const JetFormat& format, const TableDefinition& definition);

    // Finds every column's value in the `size` bytes at `row`; nothing outside them is read.
    // False when the row is damaged: a count or offset points outside it, or a value would
    // overlap the row's own tables.
    bool Read(const std::uint8_t* row, std::size_t size);
    // One per column of the definition, in its order; valid after Read returned true.
    const std::vector<RowField>& Fields() const { return fields_; }

private:
    bool readOffsets(const std::uint8_t* row, std::size_t size, std::size_t maskSize,
                     std::size_t& tableStart);

    const JetFormat& format_;
    const std::vector<ColumnDef>& columns_;
    bool hasVariableColumns_;
    std::vector<RowField> fields_;
    std::vector<std::size_t> offsets_; // the row's variable offsets, the end of the data last
};

} // namespace tabulant::db
