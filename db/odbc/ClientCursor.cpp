#include "ClientCursor.h"

namespace tabulant::db {

ClientCursor::ClientCursor(OdbcRowReader& reader) : fields_(reader.Columns()) {
    std::vector<platform::Field> row = reader.Columns();
    while (reader.Fetch(row)) {
        for (platform::Field& f : row) values_.push_back(f.value);
        ++rows_;
    }
    show();
}

void ClientCursor::moveNext() {
    if (position_ < rows_) ++position_;
    show();
}

void ClientCursor::show() {
    const std::size_t width = fields_.size();
    for (std::size_t i = 0; i < width; ++i) {
        if (position_ < rows_)
            fields_[i].value = values_[position_ * width + i];
        else
            fields_[i].value.setNull();
    }
}

} // namespace tabulant::db
