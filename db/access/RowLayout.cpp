#include "RowLayout.h"

#include "LittleEndian.h"

namespace tabulant::db {

namespace {
constexpr std::size_t JumpSpan = 256;
}

RowLayout::RowLayout(const JetFormat& format, const TableDefinition& definition)
    : format_(format), columns_(definition.columns),
      hasVariableColumns_(definition.varColumnCount > 0), fields_(definition.columns.size()) {}

bool RowLayout::Read(const std::uint8_t* row, std::size_t size) {
    const std::size_t countSize = format_.rowColumnCountSize;
    if (size <= countSize) return false;
    const std::size_t rowColumns = le::uint(row, countSize);
    const std::size_t maskSize = (rowColumns + 7) / 8;
    if (countSize + maskSize > size) return false;
    const std::uint8_t* mask = row + size - maskSize;

    // A table without variable columns stores no offset table at all.
    std::size_t tableStart = size - maskSize;
    offsets_.clear();
    if (hasVariableColumns_ && !readOffsets(row, size, maskSize, tableStart)) return false;
    const std::size_t rowVariable = offsets_.empty() ? 0 : offsets_.size() - 1;
    if (rowVariable > rowColumns) return false;
    const std::size_t rowFixed = rowColumns - rowVariable;

    std::size_t fixedSeen = 0;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const ColumnDef& c = columns_[i];
        RowField& f = fields_[i];
        const auto number = static_cast<std::size_t>(c.number);
        f.present = number < rowColumns && (mask[number / 8] & (1u << (number % 8))) != 0;
        bool held = false;
        if (c.fixed()) {
            // The row holds as many fixed columns as its counts leave for them, the first ones
            // of the table.
            held = fixedSeen++ < rowFixed;
            f.start = countSize + static_cast<std::size_t>(c.fixedOffset);
            f.size = static_cast<std::size_t>(c.size);
        } else {
            const auto index = static_cast<std::size_t>(c.varIndex);
            held = index < rowVariable;
            if (held) {
                f.start = offsets_[index];
                // Offsets running backwards are damage, not an empty value.
                if (offsets_[index + 1] < f.start) return false;
                f.size = offsets_[index + 1] - f.start;
            }
        }
        f.present = f.present && held;
        if (!held) {
            f.start = 0;
            f.size = 0;
        }
        if (f.present &&
            (f.start < countSize || f.start > tableStart || f.size > tableStart - f.start))
            return false;
    }
    return true;
}

// Reads the variable-column count and the offsets that precede the null mask, into offsets_,
// and sets `tableStart` to where these tables begin.
bool RowLayout::readOffsets(const std::uint8_t* row, std::size_t size, std::size_t maskSize,
                            std::size_t& tableStart) {
    const std::size_t countSize = format_.rowColumnCountSize;
    const std::size_t entry = format_.rowOffsetSize;
    std::size_t end = size - maskSize; // the count lies just before the mask
    if (end < countSize + entry) return false;
    end -= entry;
    const std::size_t n = le::uint(row + end, entry);
    if (entry == 2) {
        // Two-byte offsets, the first nearest the count.
        const std::size_t bytes = 2 * (n + 1);
        if (end < countSize + bytes) return false;
        tableStart = end - bytes;
        offsets_.resize(n + 1);
        for (std::size_t i = 0; i <= n; ++i) offsets_[i] = le::u16(row + end - 2 * (i + 1));
        return true;
    }
    // One-byte offsets: the jump table lies between the count and the offsets, one entry per
    // 256 bytes of row beyond the first, nearest the count first; entry j names the first
    // offset that lies 256 × (j + 1) bytes or more into the row.
    std::size_t jumps = (size - 1) / JumpSpan;
    if (end < countSize + jumps + n + 1) return false;
    const std::size_t first = end - jumps - 1; // offset 0; offset i lies i bytes lower
    tableStart = first - n;
    // When the offsets themselves start below the last boundary, no value can lie beyond it:
    // that jump entry is only a place holder.
    if (tableStart / JumpSpan < jumps) --jumps;
    offsets_.resize(n + 1);
    std::size_t used = 0;
    for (std::size_t i = 0; i <= n; ++i) {
        while (used < jumps && row[end - 1 - used] == i) ++used;
        offsets_[i] = row[first - i] + JumpSpan * used;
    }
    return true;
}

} // namespace tabulant::db
