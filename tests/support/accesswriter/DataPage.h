#pragma once

#include "Bytes.h"
#include "FormatLayout.h"

#include <cstdint>

namespace tabulant::accesswriter {

// One page of rows (table data, long values or usage maps) being filled; rows are packed down
// from the page end and indexed by the offset table after the header.
class DataPage {
public:
    static constexpr std::uint32_t kLongValueOwner = 0x4C41564C; // "LVAL"
    static constexpr std::uint16_t kDeleted = 0x8000;
    static constexpr std::uint16_t kOverflow = 0x4000;
    // Rows are addressed by one byte in page pointers.
    static constexpr std::uint32_t kMaxRows = 255;

    DataPage(const FormatLayout& layout, std::uint32_t owner);

    bool empty() const { return rows_ == 0; }
    std::uint32_t rows() const { return rows_; }
    // Bytes a new row can take, after its offset entry.
    std::uint32_t room() const;
    bool fits(std::size_t length) const { return rows_ < kMaxRows && length <= room(); }
    // Adds the row and returns its index; the caller has checked fits().
    std::uint32_t add(const std::uint8_t* data, std::size_t length, std::uint16_t flags = 0);
    std::uint32_t add(const Bytes& row, std::uint16_t flags = 0) {
        return add(row.data(), row.size(), flags);
    }
    // The finished page; the builder is then empty again for the same owner.
    Bytes& finish();
    void reset();

private:
    const FormatLayout& layout_;
    std::uint32_t owner_;
    Bytes page_;
    std::uint32_t rows_ = 0;
    std::uint32_t top_; // lowest byte used by rows
};

} // namespace tabulant::accesswriter
