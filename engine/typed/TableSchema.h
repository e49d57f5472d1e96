#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tabulant::engine::typed {

// The Access types the typed conversion tells apart. Each maps to one PostgreSQL type that holds
// every value of it (TypeMapping.h).
enum class AccessType : std::uint8_t {
    YesNo,
    Byte,
    Integer,
    LongInteger,
    LargeNumber,
    Currency,
    Single,
    Double,
    Decimal,
    DateTime,
    DateTimeExtended,
    Text,
    Memo,
    Hyperlink,
    ReplicationId,
    Binary,
    OleObject,
    MultiValued, // also attachments: the values joined with ";"
    Unknown,     // a type byte no Access version is known to write: its stored bytes
};

// A column as the source describes it. Without a schema for the table, only the name and the
// type (from the record set's type code) are known.
struct Column {
    std::string name;
    AccessType type = AccessType::Unknown;
    std::optional<int> length;    // Text: characters
    std::optional<int> precision; // Decimal: digits
    std::optional<int> scale;     // Decimal: digits after the point
    bool nullable = true;         // false when the source never lets a value be null
    bool autoNumber = false;      // Long Integer counting up, or a Replication ID made anew
    bool calculated = false;      // a value Access computes from an expression
    // Access expressions: the value a new row gets, and the condition a value must meet.
    std::string defaultValue, validationRule;
    std::string validationText; // what Access tells whoever breaks the rule
    std::string description;
    std::optional<bool> allowZeroLength; // texts: whether "" is a value; unknown when unsaid
};

struct IndexColumn {
    std::string name;
    bool ascending = true;
};

// An index as the source keeps it: one per stored index, whatever names Access shows for it.
struct Index {
    std::string name;
    std::vector<IndexColumn> columns; // in key order
    bool primaryKey = false;
    bool unique = false;
};

// A relationship between two tables. Column pairs are (referencing, referenced), in key order.
struct ForeignKey {
    std::string name;
    std::string table;           // the referencing side, holding the key
    std::string referencedTable; // the side with the primary key or unique index
    std::vector<std::pair<std::string, std::string>> columns;
    std::string updateRule = "NO ACTION"; // "CASCADE" or "NO ACTION"
    std::string deleteRule = "NO ACTION"; // "CASCADE", "SET NULL" or "NO ACTION"
    bool enforced = true;                 // Access checked every row against it
};

// A condition on a table's rows: its validation rule (no name) or a named condition that a
// data-definition statement gave it.
struct TableCheck {
    std::string name;
    std::string condition; // an Access expression over the table's fields
    std::string text;      // what Access tells whoever breaks it
};

// A field whose values are kept apart from its rows: an attachment field, a multi-valued field,
// or the version history of an append-only memo.
struct ComplexColumn {
    enum class Kind : std::uint8_t { MultiValued, Attachment, VersionHistory };
    std::string table;
    std::string column;
    Kind kind = Kind::MultiValued;
    AccessType valueType = AccessType::Text; // a multi-valued field's values
    std::string damage;                      // why its values cannot be read; empty when they can
};

struct TableSchema {
    std::string name;
    std::vector<Column> columns; // in the order the rows give them
    std::vector<Index> indexes;
    // The last AutoNumber value handed out; the next one is one more.
    std::optional<std::int64_t> autoNumberCounter;
    std::string description;
    std::vector<TableCheck> checks;
    std::string propertyDamage; // why its properties were read only in part; empty if whole

    // By name, letter case ignored (as Access compares names); null when there is none.
    const Column* FindColumn(std::string_view column) const;
};

// The shape of a whole Access file, as far as the schema record sets tell it. Plain data.
struct DatabaseSchema {
    std::vector<TableSchema> tables;
    std::vector<ForeignKey> foreignKeys;
    std::vector<ComplexColumn> complexColumns; // by table, then the file's order

    // By name, letter case ignored; null when there is none.
    const TableSchema* FindTable(std::string_view table) const;
};

// Whether two names are the same to Access: letter case ignored, every letter (not only ASCII).
bool SameName(std::string_view a, std::string_view b);

} // namespace tabulant::engine::typed
