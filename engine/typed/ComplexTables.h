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
//                       "FileData" BYTEA (the file's bytes as they were attached)
//   a multi-valued one: "Value" of the type the values have (as a column of that type would)
//   a version history:  "Value" TEXT, "Modified" TIMESTAMP (to the millisecond Access keeps)
// A table of its own per field rather than an array column: it keeps each value's own type
// whatever that type is, attachments' four parts included, and the rows can be joined, searched
// and referenced like any other table.
// Statements per field: DROP TABLE IF EXISTS (a child left by an earlier run of the same table,
// whose overwrite the user agreed to), CREATE TABLE, one INSERT per value, and, when the table
// has a primary key, the foreign key to it (ON UPDATE CASCADE ON DELETE CASCADE, as Access ties
// the values to their row). Thread: one at a time.
class ComplexTables {
public:
    // The table whose rows follow and its fields of these kinds, from the schema.
    void Start(const TablePlan& parent, const std::vector<ComplexColumn>& all);
    bool Active() const { return !columns_.empty(); }

    // Remembers the key of the record set's current row: called once per row, in order.
    void AddRow(const platform::Recordset& records);

    // The statements of every field from `values`, the table's complex-values rowset (see
    // platform/ComplexSchema.h). Fields whose values cannot be read, and files that cannot, are
    // named in `damage` (a field: no child table; a file: its FileData is null).
    std::vector<std::string> Statements(platform::Recordset& values, NameSet& relationNames,
                                        std::vector<std::string>& damage) const;

private:
    void AppendKey(std::string& out, std::int64_t parentRow) const;

    const TablePlan* parent_ = nullptr;
    std::vector<ComplexColumn> columns_;
    std::vector<int> keyColumns_;   // positions in the parent's fields; empty: rows are numbered
    std::vector<std::string> keys_; // by row: the key's literals, joined by ", "
};

} // namespace tabulant::engine::typed
