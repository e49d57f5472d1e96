#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::engine {

// Rows of a table on their way to the server together: each row's INSERT statement as the run
// made it (also what the reject file gets), and the COPY lines the sender reads from them
// (CopyText.h), one after the other. The buffers are kept from one use to the next, so a load of
// any length needs the memory of a few chunks.
struct CopyChunk {
    std::string copy;                    // COPY "T" FROM STDIN
    std::vector<std::string> statements; // each row's INSERT; only the first `rows` are in use
    std::size_t rows = 0;
    std::size_t bytes = 0;         // of the statements in use
    std::int64_t firstRow = 1;     // the table's row number of the first row
    std::string lines;             // the rows' COPY lines; a row that has none takes no room
    std::vector<std::size_t> ends; // where each row's line ends in `lines`

    void Clear() {
        copy.clear();
        lines.clear();
        ends.clear();
        rows = 0;
        bytes = 0;
    }
    void Keep(const std::string& statement) {
        if (rows == statements.size()) statements.emplace_back();
        statements[rows++].assign(statement);
        bytes += statement.size();
    }
    // The COPY lines of rows [first, last).
    std::string_view Lines(std::size_t first, std::size_t last) const {
        const std::size_t from = first == 0 ? 0 : ends[first - 1];
        return std::string_view(lines).substr(from, ends[last - 1] - from);
    }
};

} // namespace tabulant::engine
