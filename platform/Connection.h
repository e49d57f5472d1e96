#pragma once

#include "Cursor.h"

#include <memory>
#include <string>
#include <string_view>

namespace tabulant::platform {

// The ADO-shaped connection both databases are reached through. The provider is chosen by the
// connection string given to Open (an Access file or the ODBC driver); properties are set before
// Open, as ADO requires. Every failure is a platform::Error. Not thread-safe: one thread per
// connection.
class Connection {
public:
    static constexpr int adUseServer = 2;
    static constexpr int adUseClient = 3;
    static constexpr int adModeReadWrite = 3;
    static constexpr int adSchemaColumns = 4;
    static constexpr int adSchemaIndexes = 12;
    static constexpr int adSchemaTables = 20;
    static constexpr int adSchemaForeignKeys = 27;
    static constexpr int adSchemaPrimaryKeys = 28;

    virtual ~Connection() = default;

    int CursorLocation() const { return cursorLocation_; }
    void CursorLocation(int v) { cursorLocation_ = v; }
    int Mode() const { return mode_; }
    void Mode(int v) { mode_ = v; }
    // Seconds; 0 means no limit.
    int CommandTimeout() const { return commandTimeout_; }
    void CommandTimeout(int v) { commandTimeout_ = v; }
    int ConnectionTimeout() const { return connectionTimeout_; }
    void ConnectionTimeout(int v) { connectionTimeout_ = v; }

    virtual void Open(std::string_view connectionString) = 0;
    // Runs one statement. Returns the rows it produced, or nullptr for a statement without rows.
    virtual std::unique_ptr<Cursor> Execute(std::string_view statement) = 0;
    // A schema rowset of the whole database (no restrictions). A schema a provider does not offer
    // fails with a platform::Error; the PostgreSQL connection offers none. The Access provider
    // offers the tables schema:
    //   adSchemaTables: TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE ("TABLE" for the
    //     tables a conversion copies),
    // and the shape of those "TABLE" tables and their relationships, with ADO's column names and
    // a few columns ADO lacks (marked +). Texts are UTF-8; CATALOG and SCHEMA columns are always
    // null; absent values are null. The shape is read once per connection, at the first call.
    //   adSchemaColumns, a row per column, by table then position:
    //     TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION (1 = first),
    //     IS_NULLABLE (false when no value can be null: Required, Yes/No, a primary-key column,
    //     or a column of an index that requires values), DATA_TYPE (the AdoType the rows report),
    //     CHARACTER_MAXIMUM_LENGTH (Text: characters), NUMERIC_PRECISION, NUMERIC_SCALE (Decimal),
    //     + ACCESS_TYPE (the Access type: "Yes/No", "Byte", "Integer", "Long Integer", "Large
    //       Number", "Currency", "Single", "Double", "Decimal", "Date/Time", "Date/Time Extended",
    //       "Text", "Memo", "Hyperlink", "Replication ID", "Binary", "OLE Object",
    //       "Multi-valued" (also attachments), "Unknown <type byte>"; a calculated column: its
    //       result's type), + IS_REQUIRED (the Required property), + IS_AUTONUMBER (AutoNumber,
    //       Long Integer or Replication ID), + AUTONUMBER_COUNTER (on the AutoNumber Long Integer
    //       column: the last value handed out, so the next is one more; it can exceed the
    //       highest value left in the rows), + IS_CALCULATED.
    //   adSchemaIndexes, a row per key column of every index, by table, then index in the file's
    //   order (by name, letter case ignored), then key position:
    //     TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, INDEX_CATALOG, INDEX_SCHEMA, INDEX_NAME,
    //     PRIMARY_KEY, UNIQUE (booleans), NULLS (0 nulls allowed, 1 not allowed (the index
    //     requires values), 2 rows with a null key left out of the index), ORDINAL_POSITION
    //     (1 = first key column), COLUMN_NAME, COLLATION (1 ascending, 2 descending).
    //     One index per index the file keeps: where Access shows one under two names (a primary
    //     key that a relationship also names, two indexes over the same columns), it is listed
    //     once, under the primary key's or the first such index's name. Access also keeps an index
    //     on the foreign-key columns of every enforced relationship; where no index of the table's
    //     own covers them, that index is listed, named after the relationship, neither unique
    //     nor primary. Access's own indexes over multi-valued and attachment fields are left out.
    //   adSchemaPrimaryKeys, a row per primary-key column, by table then position:
    //     TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, ORDINAL (1 = first), PK_NAME.
    //   adSchemaForeignKeys, a row per column pair of every relationship, by relationship name
    //     (letter case ignored) then position:
    //     PK_TABLE_CATALOG, PK_TABLE_SCHEMA, PK_TABLE_NAME, PK_COLUMN_NAME (the referenced side),
    //     FK_TABLE_CATALOG, FK_TABLE_SCHEMA, FK_TABLE_NAME, FK_COLUMN_NAME (the referencing side),
    //     ORDINAL (1 = first), UPDATE_RULE ("CASCADE" or "NO ACTION"), DELETE_RULE ("CASCADE",
    //     "SET NULL" or "NO ACTION"), PK_NAME (the referenced table's primary key or unique index
    //     over those columns, or null), FK_NAME (the relationship's name), DEFERRABILITY (null),
    //     + IS_ENFORCED (false: Access never checked the rows; both rules are then "NO ACTION").
    //     Relationships are listed whatever their tables are: system and linked tables included.
    // Damage fails a rowset with an error naming what is damaged: a table's definition fails
    // the four shape rowsets, a relationship only the foreign-keys one. The rows of a table
    // whose shape is damaged stay readable.
    virtual std::unique_ptr<Cursor> OpenSchema(int schema) = 0;
    // A schema rowset restricted to one table (ADO's criteria on TABLE_NAME); ComplexSchema.h
    // describes the one the Access provider offers. A provider offers none unless it says so.
    virtual std::unique_ptr<Cursor> OpenTableSchema(int schema, std::string_view table);
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

private:
    int cursorLocation_ = adUseServer;
    int mode_ = 0;
    int commandTimeout_ = 30;
    int connectionTimeout_ = 15;
};

inline std::unique_ptr<Cursor> Connection::OpenTableSchema(int, std::string_view) {
    throw Error(errors::Generic,
                "Object or provider is not capable of performing requested operation.");
}

// Creates connection objects ("ADODB.Connection"). The program wires the real providers; tests
// wire in-memory ones. Throws platform::Error when no connection can be created at all.
class ConnectionFactory {
public:
    virtual ~ConnectionFactory() = default;
    virtual std::unique_ptr<Connection> CreateConnection() = 0;
};

} // namespace tabulant::platform
