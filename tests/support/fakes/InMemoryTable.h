#pragma once

#include "InMemoryShape.h"
#include "platform/AdoType.h"
#include "platform/Cursor.h"
#include "platform/Variant.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tabulant::fakes {

struct ColumnDef {
    std::string name;
    std::int16_t type; // a platform::AdoType
};

// Fills the values of row `row` (0-based) into fields that already carry names and types.
using RowGenerator = std::function<void(std::int64_t row, std::vector<platform::Field>& fields)>;

// A table held in memory: named columns and either stored rows or rows made on demand (for
// tables far too large to hold, such as a million rows in a benchmark).
struct InMemoryTable {
    std::string name;
    std::string type = "TABLE"; // TABLE_TYPE in the tables schema ("SYSTEM TABLE", "VIEW", ...)
    std::vector<ColumnDef> columns;
    std::vector<std::vector<platform::Variant>> rows;

    RowGenerator generator; // when set, used instead of `rows`
    std::int64_t generatedRows = 0;

    std::optional<std::int64_t> reportedCount; // RecordCount to report instead of the true one
    std::int64_t failMoveAt = -1;              // moving on from this row fails (and stays put)
    std::string readFailure;                   // when set, opening the table fails with this text

    // What the schema record sets tell beyond the names and type codes of `columns`.
    std::map<std::string, ColumnShape> shapes; // by column name
    std::vector<IndexShape> indexes;
    std::optional<std::int64_t> autoNumberCounter;

    std::int64_t RowCount() const {
        return generator ? generatedRows : static_cast<std::int64_t>(rows.size());
    }
};

// Reads an InMemoryTable front to back. Values at the end of the rows are null. The table must
// outlive the cursor unless the cursor owns it.
class MemoryCursor final : public platform::Cursor {
public:
    explicit MemoryCursor(std::shared_ptr<const InMemoryTable> table);

    std::vector<platform::Field>& fields() override { return fields_; }
    bool atEnd() const override { return row_ >= table_->RowCount(); }
    std::int64_t recordCount() const override;
    void moveNext() override;

private:
    void load();

    std::shared_ptr<const InMemoryTable> table_;
    std::vector<platform::Field> fields_;
    std::int64_t row_ = 0;
};

// A cursor that owns a copy of the table (for results made up on the spot).
std::unique_ptr<platform::Cursor> OwningCursor(InMemoryTable table);
// A cursor over a table that lives elsewhere and outlives it.
std::unique_ptr<platform::Cursor> BorrowingCursor(const InMemoryTable& table);

} // namespace tabulant::fakes
