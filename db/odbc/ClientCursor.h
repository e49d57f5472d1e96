#pragma once

#include "OdbcRowReader.h"
#include "platform/Cursor.h"

#include <cstddef>
#include <vector>

namespace tabulant::db {

// A result read whole into memory when the cursor is made (CursorLocation 3), so its record
// count is known and the statement handle is free again at once.
class ClientCursor final : public platform::Cursor {
public:
    explicit ClientCursor(OdbcRowReader& reader);

    std::vector<platform::Field>& fields() override { return fields_; }
    bool atEnd() const override { return position_ >= rows_; }
    std::int64_t recordCount() const override { return static_cast<std::int64_t>(rows_); }
    void moveNext() override;

private:
    void show();

    std::vector<platform::Field> fields_;
    std::vector<platform::Variant> values_; // row after row
    std::size_t rows_ = 0;
    std::size_t position_ = 0;
};

} // namespace tabulant::db
