#pragma once

#include "RowSums.h"
#include "ServerQuery.h"

#include "db/ConnectionFields.h"
#include "engine/RowTap.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::engine::verify {

// Our side's sums of a verification, taken while a direct run loads the tables: from the row
// statements it sends (RowTap.h), in the forms of the columns the server's table has once the
// run has created it. A verification after the run then only asks the server for its side.
// A table whose rows were not all made into statements (the run stopped early), whose
// statements could not be read back, or whose columns could not be asked for has no sums here:
// the verifier reads that table from the file as it reads any other.
// Thread: the run's.
class LoadSums final : public RowTap {
public:
    struct Table {
        std::vector<ServerColumn> columns; // of the server's table as its rows were sent
        std::int64_t rows = 0;
        std::uint64_t rowSum = 0;
        std::size_t accessColumns = 0; // values per row
        std::vector<ColumnSum> sums;
        std::string problem; // the reader's warnings about the table's values
    };

    // The server of `fields`, reached on a connection of its own at the first table; the tables
    // in `schema` (empty: the server's current schema).
    LoadSums(const db::ConnectionFields& fields, std::string schema);
    ~LoadSums() override;

    void TableRows(std::string_view table) override;
    void Row(const std::string& statement) override;
    void TableDone(bool whole, const std::vector<std::string>& warnings) override;

    // The sums of `table` as the Access file names it, or null.
    const Table* Find(std::string_view table) const;

private:
    const db::ConnectionFields& fields_;
    std::string schema_;
    std::unique_ptr<db::QueryConnection> server_;
    bool unreachable_ = false;
    std::optional<std::string> table_; // the table whose rows are being taken
    std::vector<ServerColumn> columns_;
    RowSums sums_;
    std::map<std::string, Table, std::less<>> tables_;
};

} // namespace tabulant::engine::verify
