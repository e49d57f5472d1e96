#pragma once

#include "platform/EventLoop.h"

#include "LongValueReader.h"
#include "RowLayout.h"
#include "TableDefinition.h"
#include "TableScanner.h"
#include "TextDecoder.h"
#include "ValueDecoder.h"

#include "platform/Cursor.h"

#include <memory>
#include <string>
#include <vector>

namespace tabulant::db {

class AccessDatabase;
class ComplexValues;

// The rows of one table, read one at a time: the scanner finds each live row, the row layout
// gives the field boundaries, and the values are decoded in place into fields(), so the
// table is never held in memory. RecordCount counts the live rows from the pages' row tables
// the first time it is asked. Errors: platform::Error for a damaged row. Thread: one reader.
class AccessTableCursor final : public platform::Cursor {
public:
    AccessTableCursor(std::shared_ptr<AccessDatabase> database, TableDefinition definition,
                      std::string name);
    ~AccessTableCursor() override;

    std::vector<platform::Field>& fields() override { return fields_; }
    bool atEnd() const override { return atEnd_; }
    std::int64_t recordCount() const override;
    void moveNext() override;
    // Multi-valued and attachment fields whose values are damaged: one warning for the table.
    std::vector<platform::Error> takeWarnings() override;

    const TableDefinition& Definition() const { return def_; }
    // The key a multi-valued, attachment or version-history field of the current row holds into
    // its hidden table (column by position); -1 when it holds none or is another kind of field.
    std::int64_t ComplexKey(std::size_t column) const {
        return column < keys_.size() ? keys_[column] : -1;
    }
    // Only these columns (by position) are decoded from the next row on; the others are null.
    // Empty: all of them.
    void ReadOnly(std::vector<bool> columns) { read_ = std::move(columns); }
    // Where the current row is, and back to a row found so (decoded again, as the walk would).
    TableScanner::Place Place() const { return scanner_.Current(); }
    void MoveTo(TableScanner::Place place);
    // Where long work (counting the rows) lets pending events run; nullptr for none.
    void SetEventLoop(platform::EventLoop* events) { events_ = events; }

private:
    void decodeRow();

    std::shared_ptr<AccessDatabase> db_;
    TableDefinition def_;
    std::string name_;
    std::vector<platform::Field> fields_;
    std::vector<std::int64_t> keys_; // by column, when the table has complex columns
    std::vector<bool> read_;         // by column; empty: all

    RowLayout layout_;
    TextDecoder text_;
    LongValueReader longValues_;
    ValueDecoder values_;
    std::uint64_t missingPages_ = 0; // set while scanner_ is built
    std::unique_ptr<ComplexValues> complex_;
    TableScanner scanner_;
    mutable std::int64_t count_ = -1;
    platform::EventLoop* events_ = nullptr;
    bool atEnd_ = false;
};

} // namespace tabulant::db
