#pragma once

#include "JetFormat.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tabulant::db {

class TextDecoder;
struct TableDefinition;

// One column of a stored index.
struct IndexKey {
    int columnNumber = 0; // ColumnDef::number of the column
    bool ascending = true;
};

// An index as the file stores it: its columns and flags. Several logical indexes can share one
// (a primary key and the foreign-key entry of a relationship that refers to it, or two indexes
// over the same columns).
struct RealIndex {
    static constexpr std::uint8_t UniqueFlag = 0x01;
    static constexpr std::uint8_t IgnoreNullsFlag = 0x02;
    static constexpr std::uint8_t RequiredFlag = 0x08; // no key column may be null

    std::vector<IndexKey> keys; // in key order, at least one
    std::uint8_t flags = 0;

    bool Unique() const { return (flags & UniqueFlag) != 0; }
    bool IgnoreNulls() const { return (flags & IgnoreNullsFlag) != 0; }
    bool Required() const { return (flags & RequiredFlag) != 0; }
};

// An index as Access shows it: a name over a stored index. Foreign-key entries exist in pairs,
// one in each table of a relationship whose integrity is enforced; the constraint itself is
// described by MSysRelationships.
struct LogicalIndex {
    enum class Kind : std::uint8_t { Ordinary = 0, PrimaryKey = 1, ForeignKey = 2 };

    std::string name;
    std::int32_t number = 0;     // the identity the partner entry of a foreign key refers to
    std::uint32_t realIndex = 0; // position in IndexSections::real
    Kind kind = Kind::Ordinary;
    // Foreign-key entries only: whether this table is the referenced ("one") side, the partner
    // entry's number and its table's definition page, and the cascade rules.
    bool referencedSide = false;
    std::int32_t partnerNumber = -1;
    std::uint32_t partnerTablePage = 0;
    bool cascadeUpdates = false;
    bool cascadeDeletes = false;
    bool cascadeSetsNull = false;
};

// The index sections of a table definition, which follow the column names.
struct IndexSections {
    std::vector<RealIndex> real;
    std::vector<LogicalIndex> logical; // in stored order, which is by name

    // Reads them from the definition's bytes (as TableDefinition::Read returns them). Every count,
    // offset, column and index reference is checked; damage throws platform::Error naming the
    // table.
    static IndexSections Read(const std::vector<std::uint8_t>& definition, const JetFormat& format,
                              const TableDefinition& table, TextDecoder& text,
                              const std::string& tableName);
};

} // namespace tabulant::db
