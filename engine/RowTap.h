#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tabulant::engine {

// Sees every row statement a direct run makes for the server, as the run makes it, so that a
// proof of the load can be taken from the very statements sent instead of reading the file again.
// A run previewing its statements or writing them to an output shows it nothing. Its calls must
// not throw: what goes wrong in it is its own.
// Thread: the run's.
class RowTap {
public:
    virtual ~RowTap() = default;
    // The rows of `table` (as the Access file names it) follow; its CREATE statements have run.
    virtual void TableRows(std::string_view table) = 0;
    // One row's statement, whatever becomes of it on the server.
    virtual void Row(const std::string& statement) = 0;
    // The table's rows are over. `whole` when every row of the file was made into a statement
    // (the run did not stop early); `warnings` are the reader's about the table's values.
    virtual void TableDone(bool whole, const std::vector<std::string>& warnings) = 0;
};

} // namespace tabulant::engine
