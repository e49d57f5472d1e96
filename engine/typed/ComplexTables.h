#pragma once

#include "NameSet.h"
#include "TablePlan.h"
#include "TableSchema.h"

#include "platform/Recordset.h"

#include <string>
#include <vector>

namespace tabulant::engine::typed {

// The contents of a table's attachment, multi-valued and version-history fields, each as a table
// of its own beside the table (whose column keeps the values' text). The child is named after the
// table and the field joined by "_" and holds a row per value, in the order stored:
//   the owning row's primary-key columns (same names and types), or "ParentRow" BIGINT, its
//   position among the table's rows, when the table has no primary key; then
//   an attachment:      "FileName" TEXT, "FileType" TEXT, "FileTimeStamp" TIMESTAMP,
//                       "FileData" BYTEA (the file's bytes as they were attached),
//                       "FileURL" TEXT, "FileFlags" INTEGER (as Access keeps them)
//   a multi-valued one: "Value" of the type the values have (as a column of that type would)
//   a version history:  "Value" TEXT, "Modified" TIMESTAMP (to the millisecond Access keeps)
// A table of its own per field rather than an array column: it keeps each value's own type
// whatever that type is, attachments' four parts included, and the rows can be joined, searched
// and referenced like any other table.
// Statements per field: DROP TABLE IF EXISTS (a child left by an earlier run of the same table,
// whose overwrite the user agreed to), CREATE TABLE, one INSERT per value, and, when the table
// has a primary key, the foreign key to it (ON UPDATE CASCADE ON DELETE CASCADE, as Access ties
// the values to their row). The statements are handed out one at a time, read from the values
// as they go, so a table's files need not fit in memory at once. Thread: one at a time.
class ComplexTables {
public:
    // The table whose rows follow and its fields of these kinds, from the schema.
    void Start(const TablePlan& parent, const std::vector<ComplexColumn>& all);
    bool Active() const { return !columns_.empty(); }

    // Remembers the key of the record set's current row: called once per row, in order.
    void AddRow(const platform::Recordset& records);

    // Starts the statements of every field from `values`, the table's complex-values rowset (see
    // platform/ComplexSchema.h), which must outlive the walk. Fields whose values cannot be read
    // are named in `damage` at once (they get no child table).
    void Begin(platform::Recordset& values, NameSet& relationNames,
               std::vector<std::string>& damage);
    // The next statement into `statement`; false after the last. Files that cannot be read are
    // named in `damage` as they are met (their FileData is null).
    bool Next(std::string& statement, std::vector<std::string>& damage);

private:
    void AppendKey(std::string& out, std::int64_t parentRow) const;
    void CreateStatement(std::string& out, const ComplexColumn& c) const;
    void ForeignKeyStatement(std::string& out) const;
    bool ValueStatement(std::string& out, std::vector<std::string>& damage);

    enum class Step : std::uint8_t { Drop, Create, Values, ForeignKey };

    const TablePlan* parent_ = nullptr;
    std::vector<ComplexColumn> columns_;
    std::vector<int> keyColumns_;   // positions in the parent's fields; empty: rows are numbered
    std::vector<std::string> keys_; // by row: the key's literals, joined by ", "
    // The walk Begin starts: the field (in columns_) and its step, the child tables' quoted names
    // (empty for a field without one), and whether values_ is still on a row already written.
    platform::Recordset* values_ = nullptr;
    std::vector<std::string> children_;
    std::size_t field_ = 0;
    Step step_ = Step::Drop;
    bool written_ = false;
};

} // namespace tabulant::engine::typed
