#include "TableSchema.h"

#include "platform/Utf8.h"

namespace tabulant::engine::typed {

bool SameName(std::string_view a, std::string_view b) {
    if (a == b) return true;
    return platform::LowerCase(a) == platform::LowerCase(b);
}

const Column* TableSchema::FindColumn(std::string_view column) const {
    for (const Column& c : columns)
        if (SameName(c.name, column)) return &c;
    return nullptr;
}

const TableSchema* DatabaseSchema::FindTable(std::string_view table) const {
    for (const TableSchema& t : tables)
        if (SameName(t.name, table)) return &t;
    return nullptr;
}

} // namespace tabulant::engine::typed
