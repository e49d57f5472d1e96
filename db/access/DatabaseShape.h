#pragma once

#include "platform/AdoType.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tabulant::db {

// The shape of an Access database beyond its rows: per user table the columns' sizes and
// properties and the indexes, and the relationships between tables. Plain data, read once by
// ReadDatabaseShape.

struct ColumnShape {
    std::string name;
    int accessType = 0; // the type byte (a calculated column: its result type)
    platform::AdoType adoType = platform::adEmpty; // as the rows report it
    std::optional<int> length;                     // Text: characters
    std::optional<int> precision;                  // Decimal: digits
    std::optional<int> scale;                      // Decimal: digits after the point
    bool required = false;                         // the column's Required property
    bool notNull = false;    // no value can be null: required, Yes/No, a primary-key
                             // column, or a column of an index that requires values
    bool autoNumber = false; // AutoNumber: Long Integer, or GUID (Replication ID)
    bool hyperlink = false;  // Memo shown as a hyperlink
    bool calculated = false; // computed by Access from an expression
    // Properties kept as text: Access expressions (the default and the rule) and plain texts.
    std::string defaultValue, validationRule, validationText, description;
    std::optional<bool> allowZeroLength; // Text and Memo; absent when the file does not say
};

struct IndexShape {
    enum class Kind : std::uint8_t { Ordinary, PrimaryKey, ForeignKey };

    std::string name;
    Kind kind = Kind::Ordinary;
    std::vector<std::pair<std::string, bool>> columns; // name and ascending, in key order
    bool unique = false;
    bool ignoreNulls = false; // rows with a null key are left out of the index
    bool required = false;    // every key column must hold a value
    // The stored index this one names (equal numbers: the same index under two names).
    std::uint32_t storedIndex = 0;
    // Foreign-key entries: this table is the referenced ("one") side of the relationship.
    bool referencedSide = false;
};

struct TableShape {
    std::string name;
    std::vector<ColumnShape> columns; // in the order the rows give them
    std::vector<IndexShape> indexes;  // in stored order (by name)
    // The last AutoNumber value handed out (the next one is one more); only for a table with an
    // AutoNumber Long Integer column.
    std::optional<std::int64_t> autoNumberCounter;
    // The table's own properties: a record rule over its fields and its text, its description,
    // and the named conditions data-definition statements keep (name, Access expression).
    std::string description, validationRule, validationText;
    std::vector<std::pair<std::string, std::string>> checkConstraints;
    std::string propertyDamage; // why the property list could be read only in part; empty if whole
};

struct RelationshipShape {
    static constexpr std::uint32_t OneToOne = 0x1;
    static constexpr std::uint32_t NotEnforced = 0x2;
    static constexpr std::uint32_t CascadeUpdatesFlag = 0x100;
    static constexpr std::uint32_t CascadeDeletesFlag = 0x1000;
    static constexpr std::uint32_t CascadeSetNullFlag = 0x2000;

    std::string name;
    std::string table;           // the referencing ("many") side, holding the foreign key
    std::string referencedTable; // the referenced ("one") side
    // Column of `table`, column of `referencedTable`, in key order.
    std::vector<std::pair<std::string, std::string>> columns;
    std::uint32_t attributes = 0; // MSysRelationships.grbit

    bool Enforced() const { return (attributes & NotEnforced) == 0; }
    bool CascadeUpdates() const { return (attributes & CascadeUpdatesFlag) != 0; }
    bool CascadeDeletes() const { return (attributes & CascadeDeletesFlag) != 0; }
    bool CascadeSetsNull() const { return (attributes & CascadeSetNullFlag) != 0; }
};

struct DatabaseShape {
    std::vector<TableShape> tables; // the tables the tables schema reports as "TABLE", in its order
    std::vector<RelationshipShape> relationships; // by name, letter case ignored
};

// The Access name of a column's type ("Text", "Long Integer", "Date/Time Extended", ...).
std::string AccessTypeName(const ColumnShape& column);

} // namespace tabulant::db
