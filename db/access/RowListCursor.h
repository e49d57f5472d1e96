#pragma once

#include "platform/Cursor.h"

#include <string>
#include <vector>

namespace tabulant::db {

// A small result held in memory (the tables schema). Thread: one reader.
class RowListCursor final : public platform::Cursor {
public:
    RowListCursor(std::vector<platform::Field> columns,
                  std::vector<std::vector<platform::Variant>> rows)
        : fields_(std::move(columns)), rows_(std::move(rows)) {
        show();
    }

    std::vector<platform::Field>& fields() override { return fields_; }
    bool atEnd() const override { return next_ > rows_.size(); }
    std::int64_t recordCount() const override { return static_cast<std::int64_t>(rows_.size()); }
    void moveNext() override {
        if (!atEnd()) show();
    }

private:
    void show() {
        if (next_ < rows_.size())
            for (std::size_t i = 0; i < fields_.size() && i < rows_[next_].size(); ++i)
                fields_[i].value = rows_[next_][i];
        else
            for (platform::Field& f : fields_) f.value.setNull();
        ++next_;
    }

    std::vector<platform::Field> fields_;
    std::vector<std::vector<platform::Variant>> rows_;
    std::size_t next_ = 0;
};

} // namespace tabulant::db
