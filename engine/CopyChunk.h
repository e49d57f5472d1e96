#pragma once

#include "CopyRow.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::engine {

// Rows of a table on their way to the server together, given in one of two ways: each row's
// INSERT statement as the run made it, from which the sender reads the COPY lines (CopyText.h);
// or, `made`, each row's COPY line made from its values with the letters that write its statement
// again (CopyRow.h). The buffers are kept from one use to the next, so a load of any length
// needs the memory of a few chunks.
struct CopyChunk {
    std::string copy;                    // COPY "T" FROM STDIN
    std::string into;                    // INSERT INTO "T"
    bool made = false;                   // the rows came as COPY lines
    std::vector<std::string> statements; // each row's INSERT; only the first `rows` are in use
    std::size_t rows = 0;
    std::size_t bytes = 0;         // of the statements, or lines and letters, in use
    std::int64_t firstRow = 1;     // the table's row number of the first row
    std::string lines;             // the rows' COPY lines; a row that has none takes no room
    std::vector<std::size_t> ends; // where each row's line ends in `lines`
    std::string forms;             // the letters of made rows, one after the other
    std::vector<std::size_t> formEnds;
    CopyRow::StatementWriter writer = nullptr;

    void Clear() {
        copy.clear();
        lines.clear();
        ends.clear();
        forms.clear();
        formEnds.clear();
        made = false;
        rows = 0;
        bytes = 0;
    }
    void Keep(const std::string& statement) {
        if (rows == statements.size()) statements.emplace_back();
        statements[rows++].assign(statement);
        bytes += statement.size();
    }
    void Keep(const CopyRow& row) {
        lines += row.line;
        ends.push_back(lines.size());
        forms += row.forms;
        formEnds.push_back(forms.size());
        writer = row.statement;
        ++rows;
        bytes += row.line.size() + row.forms.size();
    }
    // The COPY lines of rows [first, last).
    std::string_view Lines(std::size_t first, std::size_t last) const {
        const std::size_t from = first == 0 ? 0 : ends[first - 1];
        return std::string_view(lines).substr(from, ends[last - 1] - from);
    }
    // Row i's INSERT statement.
    std::string Statement(std::size_t i) const {
        if (!made) return statements[i];
        std::string statement;
        const std::size_t from = i == 0 ? 0 : formEnds[i - 1];
        writer(statement, into, Lines(i, i + 1),
               std::string_view(forms).substr(from, formEnds[i] - from));
        return statement;
    }
};

} // namespace tabulant::engine
