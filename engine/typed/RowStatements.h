#pragma once

#include "engine/CopyRow.h"
#include "platform/Recordset.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tabulant::engine::typed {

// The INSERT statement of each row of one table: INSERT INTO "T" VALUES (v1, v2, ...); with
// every field's typed literal (TypedLiterals.h) in the record set's order, which is the order of
// the table's columns. Remembers the highest whole number seen in the identity column, for the
// sequence set after the rows.
// The statement is built in one buffer reused from row to row: no allocation once it has grown
// to the longest row; so is the COPY line of BuildCopy. Thread: one at a time.
class RowStatements {
public:
    // The table whose rows follow; `identityColumn` is the position of its identity column, or
    // -1 for none.
    void Start(std::string_view table, int identityColumn, std::string_view schema = {});

    // The statement of the record set's current row; valid until the next call. Throws
    // platform::Error when a field cannot be read.
    const std::string& Build(const platform::Recordset& records);
    // The same row for a bulk load, as its COPY line (engine/CopyRow.h); null for a row of no
    // fields, whose statement (DEFAULT VALUES) has none. Valid until the next call; throws as
    // Build does.
    const CopyRow* BuildCopy(const platform::Recordset& records);

    std::optional<std::int64_t> HighestIdentity() const { return highest_; }

private:
    void NoteIdentity(int k, const platform::Variant& value);

    std::string prefix_; // INSERT INTO "T"
    std::string statement_;
    CopyRow copy_;
    int identityColumn_ = -1;
    std::optional<std::int64_t> highest_;
};

} // namespace tabulant::engine::typed
