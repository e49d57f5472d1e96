#pragma once

#include "ServerText.h"
#include "VerifyReport.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::engine::verify {

// Our side's sums of one table, taken row statement by row statement: every value in the text
// the server shows for it in its column, hashed as the server hashes it (ServerHash.h); per
// column its nulls and the sum of its hashes, and the sum of one hash per row. The memory is
// that of one row and one sum per column.
// Thread: any, one at a time.
class RowSums {
public:
    // A table whose columns on the server have `forms`; values past them read as texts.
    void Start(std::vector<ColumnForm> forms);
    // One row, as its INSERT statement (ServerText.h). Throws platform::Error for a statement that
    // cannot be read back, or one with another number of values than the rows before it.
    void Add(std::string_view statement);

    std::int64_t rows() const { return rows_; }
    std::uint64_t rowSum() const { return rowSum_; }
    // Values per row; none before the first row.
    std::size_t columns() const { return sums_.size(); }
    const std::vector<ColumnSum>& sums() const { return sums_; }

private:
    std::vector<ColumnForm> forms_;
    std::vector<Literal> literals_;
    std::vector<ColumnSum> sums_;
    std::string text_;
    std::int64_t rows_ = 0;
    std::uint64_t rowSum_ = 0;
};

} // namespace tabulant::engine::verify
