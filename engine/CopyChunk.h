#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::engine {

// Rows of a table on their way to the server together: their COPY lines, one after the other,
// and each row's INSERT statement for the reject file. A chunk with no COPY statement holds one
// row that has no COPY line; it is executed as its statement. The buffers are kept from one use
// to the next, so a load of any length needs the memory of a few chunks.
struct CopyChunk {
    std::string copy;                    // COPY "T" FROM STDIN; empty: statements[0] alone
    std::string lines;                   // the rows' COPY lines
    std::vector<std::size_t> ends;       // where each row's line ends in `lines`
    std::vector<std::string> statements; // each row's INSERT; only the first `rows` are in use
    std::size_t rows = 0;
    std::int64_t firstRow = 1; // the table's row number of the first row

    void Clear() {
        copy.clear();
        lines.clear();
        ends.clear();
        rows = 0;
    }
    // Keeps the row whose COPY line was just appended to `lines`.
    void Keep(const std::string& statement) {
        if (rows == statements.size()) statements.emplace_back();
        statements[rows++].assign(statement);
        ends.push_back(lines.size());
    }
    // The COPY lines of rows [first, last).
    std::string_view Lines(std::size_t first, std::size_t last) const {
        const std::size_t from = first == 0 ? 0 : ends[first - 1];
        return std::string_view(lines).substr(from, ends[last - 1] - from);
    }
};

} // namespace tabulant::engine
