#pragma once

#include "TableDefinition.h"

#include "platform/Variant.h"

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace tabulant::db {

class AccessDatabase;

// The values of multi-valued, attachment and version-history fields. A row holds only a key;
// the values are rows of a hidden table named by MSysComplexColumns. They are given as one text,
// joined with ";" (attachments by their file names), the form Access itself offers for such
// fields as text; a key without values is null. Each hidden table is read once, when its column
// is first met. A column whose values cannot be found or read (a damaged MSysComplexColumns
// entry or hidden table) is null in every row and named once by TakeDamaged(); the rest of the
// table reads on. Thread: one reader.
class ComplexValues {
public:
    ComplexValues(AccessDatabase& database, std::uint32_t tablePage);

    void Text(const ColumnDef& column, std::uint32_t key, platform::Variant& out);
    // The columns found damaged since the last call, in the order met.
    std::vector<std::string> TakeDamaged();

private:
    struct Source {
        std::uint32_t flatPage = 0;
        std::uint32_t typePage = 0;
        bool loaded = false;
        bool damaged = false;
        std::unordered_map<std::uint32_t, std::string> values;
    };
    void readEntries(std::uint32_t tablePage);
    bool load(Source& source);

    AccessDatabase& db_;
    std::map<std::string, Source> columns_; // by column name
    std::vector<std::string> damaged_;
};

} // namespace tabulant::db
