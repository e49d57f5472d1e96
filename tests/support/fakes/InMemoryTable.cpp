#include "InMemoryTable.h"

#include "platform/Error.h"

namespace tabulant::fakes {

MemoryCursor::MemoryCursor(std::shared_ptr<const InMemoryTable> table) : table_(std::move(table)) {
    for (const ColumnDef& c : table_->columns) fields_.push_back({c.name, c.type, {}});
    load();
}

std::int64_t MemoryCursor::recordCount() const {
    return table_->reportedCount ? *table_->reportedCount : table_->RowCount();
}

void MemoryCursor::moveNext() {
    if (row_ == table_->failMoveAt)
        throw platform::Error(platform::errors::Generic, "Could not read the next record.");
    ++row_;
    load();
}

void MemoryCursor::load() {
    if (atEnd()) {
        for (platform::Field& f : fields_) f.value.setNull();
        return;
    }
    if (table_->generator) {
        table_->generator(row_, fields_);
        return;
    }
    const auto& values = table_->rows[static_cast<std::size_t>(row_)];
    for (std::size_t k = 0; k < fields_.size(); ++k)
        fields_[k].value = k < values.size() ? values[k] : platform::Variant();
}

std::unique_ptr<platform::Cursor> OwningCursor(InMemoryTable table) {
    return std::make_unique<MemoryCursor>(std::make_shared<const InMemoryTable>(std::move(table)));
}

std::unique_ptr<platform::Cursor> BorrowingCursor(const InMemoryTable& table) {
    return std::make_unique<MemoryCursor>(
        std::shared_ptr<const InMemoryTable>(std::shared_ptr<void>(), &table));
}

} // namespace tabulant::fakes
