#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tabulant::db {

class AccessDatabase;

// Where the values of one multi-valued, attachment or version-history column are kept: a row of
// MSysComplexColumns. The values are rows of a hidden table (`flatPage`) whose value columns are
// those of a template table (`typePage`); each row carries the key the owning row holds.
struct ComplexEntry {
    std::string column;
    std::uint32_t tablePage = 0; // the table the column belongs to
    std::uint32_t flatPage = 0;
    std::uint32_t typePage = 0;
};

// The entries of every table, in MSysComplexColumns' order; none when the file has no such
// table. Throws platform::Error when MSysComplexColumns is damaged.
std::vector<ComplexEntry> ReadComplexEntries(AccessDatabase& db);

// What a column's values are, told by its template's columns: an attachment has FileData, a
// version history a memo and the moment it was saved, a multi-valued field one value.
struct ComplexLayout {
    enum class Kind : std::uint8_t { MultiValued, Attachment, VersionHistory };
    Kind kind = Kind::MultiValued;
    std::vector<std::string> valueColumns; // the template's columns, in its order
    int valueType = 0;    // the type byte of the value (multi-valued) or the memo (version history)
    int valueColumn = -1; // in valueColumns: the value, or the version's memo
    int dateColumn = -1;  // in valueColumns: the version's moment
};

// Throws platform::Error when the template cannot be read.
ComplexLayout ReadComplexLayout(AccessDatabase& db, const ComplexEntry& entry);

// The kind as the complex-columns rowset names it: "multi-valued", "attachment",
// "version history".
const char* ComplexKindName(ComplexLayout::Kind kind);

} // namespace tabulant::db
