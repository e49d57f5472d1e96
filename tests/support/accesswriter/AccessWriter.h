#pragma once

// Writes Microsoft Access files (Jet 3 .mdb, Jet 4 .mdb, ACE .accdb) with exactly the tables,
// catalogue entries and rows a test asks for, so that reader tests know every fixture's content.
//
// Contract: one AccessWriter owns one output file. Tables are declared with addTable() and filled
// row by row; rows go to disk page by page as they fill, so memory stays bounded whatever the row
// count. finish() writes the table definitions, the catalogue and the header; the file is not a
// valid database before it returns. Every error (bad path, value that does not fit its column,
// use after finish) throws AccessWriterError. Not thread-safe; use one writer per thread.

#include "cryptowriter/EncryptDatabase.h"
#include "platform/Variant.h"

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tabulant::accesswriter {

class AccessWriterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file version; the value is the version byte at 0x14 of page 0.
enum class Format : std::uint8_t {
    Jet3 = 0,    // 2 KB pages, one-byte text in the code page
    Jet4 = 1,    // .mdb of Access 2000..2003
    Ace2007 = 2, // .accdb
    Ace2010 = 3,
    Ace2013 = 4,
    Ace2016 = 5,
    Ace2019 = 6,
};

// The value is the type byte of the column descriptor.
enum class ColumnType : std::uint8_t {
    Boolean = 0x01,
    Byte = 0x02,
    Integer = 0x03,
    Long = 0x04,
    Currency = 0x05,
    Single = 0x06,
    Double = 0x07,
    DateTime = 0x08,
    Binary = 0x09,
    Text = 0x0A,
    Ole = 0x0B,
    Memo = 0x0C,
    Guid = 0x0F,
    Decimal = 0x10,
    Complex = 0x12,          // multi-valued or attachment: the cell holds a key (see ComplexColumn)
    LargeNumber = 0x13,      // int64
    DateTimeExtended = 0x14, // 42-byte encoded text
};

// Where a Memo or OLE value goes. Auto keeps small values in the row, values up to about a page
// on one long-value page, and chains longer ones.
enum class LongValueStorage : std::uint8_t { Auto, Inline, SinglePage, Chained };

struct Column {
    std::string name; // UTF-8; any characters
    ColumnType type = ColumnType::Long;
    int size = 0;               // Text: characters (default 255); Binary: bytes (default 255)
    bool fixedLength = false;   // Text and Binary only (flag 0x01)
    bool hyperlink = false;     // Memo only (flag 0x80)
    bool autoNumber = false;    // Long (flag 0x04) or Guid (flag 0x40)
    bool compressedText = true; // Text and Memo: "Unicode compression" (ext flag 0x01); values
                                // are stored compressed where the format allows it
    bool calculated = false;    // ext flag 0xC0: every value carries the 20-byte prefix
    bool required = false;      // the Required property (in the table's LvProp)
    int precision = 18;         // Decimal
    int scale = 0;              // Decimal
    LongValueStorage storage = LongValueStorage::Auto;
    std::optional<bool> allowZeroLength; // the AllowZeroLength property, when given
    // Text properties by name (DefaultValue, ValidationRule, ValidationText, Description, ...).
    std::vector<std::pair<std::string, std::string>> properties;
    // Changes made after every row was written. A deleted column keeps its place in the rows
    // (column number, null bit, offset slot, fixed bytes) but leaves the table definition; an
    // added one, which must come after all others, is in the definition but in no row (its
    // value in each row must be Null).
    bool deletedAfterRows = false;
    bool addedAfterRows = false;

    static Column of(std::string name, ColumnType type, int size = 0) {
        Column c;
        c.name = std::move(name);
        c.type = type;
        c.size = size;
        return c;
    }
    static Column decimal(std::string name, int precision, int scale) {
        Column c = of(std::move(name), ColumnType::Decimal);
        c.precision = precision;
        c.scale = scale;
        return c;
    }
};

// How a cell value is taken, by column type (a Null variant is always a null cell):
//   Boolean          Boolean, or Integer (non-zero = Yes)
//   Byte/Integer/Long/LargeNumber   Integer (range-checked)
//   Currency         Currency (ten-thousandths) or Integer (whole units)
//   Single, Double   Single or Double or Integer
//   DateTime         Date (days since 1899-12-30) or Double
//   Text, Memo       Text (UTF-8; characters outside the BMP become surrogate pairs)
//   Binary, Ole      Binary (or Text: its bytes)
//   Guid             Text "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional)
//   Decimal          Decimal or Text (canonical text, rescaled to the column's scale), Integer
//   DateTimeExtended Text "YYYY-MM-DD hh:mm:ss[.fffffff]" (date alone allowed)
//   Complex          Integer: the key of the cell's values in the column's hidden table
// For any column, a Binary variant is written as the stored bytes themselves (for a fixed-size
// column it must have exactly that size; for Text it is the UCS-2 bytes as stored): the way to
// put odd or damaged values into a file.
using Row = std::vector<platform::Variant>;

// Catalogue object types (MSysObjects.Type).
enum class ObjectType : std::int16_t {
    Table = 1,
    Container = 3,
    OdbcLinkedTable = 4,
    Query = 5,
    LinkedTable = 6,
};

// Flags of MSysObjects rows often met in real files.
inline constexpr std::uint32_t kSystemObjectFlags = 0x80000002u;    // MSys* tables
inline constexpr std::uint32_t kHiddenObjectFlags = 0x00000008u;    // hidden user table
inline constexpr std::uint32_t kTemporaryObjectFlags = 0x00001001u; // ~TMPCLP… tables

// One key column of an index.
struct IndexColumn {
    std::string name;
    bool ascending = true;
};

// An index as Access shows it. Each is stored as an index of its own, numbered in the order
// given; Access keeps the entries sorted by name.
struct Index {
    std::string name;
    std::vector<IndexColumn> columns; // 1 to 10, in key order
    bool primaryKey = false;          // also unique and requiring values, as Access makes it
    bool unique = false;
    bool ignoreNulls = false;
    bool required = false; // no key column may be null

    static Index primary(std::string name, std::vector<IndexColumn> columns) {
        return {std::move(name), std::move(columns), true, true, false, true};
    }
};

struct TableOptions {
    std::uint32_t flags = 0;  // MSysObjects.Flags
    bool systemTable = false; // TDEF marks it as system (0x53 instead of 0x4E)
    // Row count written into the definition instead of the true one (Access leaves 0 there
    // after an unclean close).
    std::optional<std::uint32_t> storedRowCount;
    std::vector<Index> indexes;
    // The AutoNumber counter (the last number handed out) instead of the highest AutoNumber
    // value of the rows (Access keeps counting past deleted rows).
    std::optional<std::int32_t> autoNumberCounter;
    // The table's own text properties by name (Description, ValidationRule, ...); a name starting
    // with "memo:" is written as a Memo value under the rest of the name (CheckConstraints).
    std::vector<std::pair<std::string, std::string>> properties;
};

// A relationship between two tables, written to MSysRelationships (one row per column pair).
// When its integrity is enforced, both tables also get the foreign-key index entries Access
// keeps: the referenced table needs a primary key or unique index over exactly the referenced
// columns; the referencing table's columns use its index over them, or one made for them.
struct Relationship {
    std::string name;
    std::string table;           // the referencing ("many") side, holding the foreign key
    std::string referencedTable; // the referenced ("one") side
    // Column of `table`, column of `referencedTable`, in key order.
    std::vector<std::pair<std::string, std::string>> columns;
    bool enforced = true;
    bool cascadeUpdates = false;
    bool cascadeDeletes = false;
    bool cascadeSetsNull = false; // on delete
    bool oneToOne = false;
};

// A catalogue row without a table definition (queries, linked tables, containers, or a table
// entry that deliberately has none).
struct CatalogEntry {
    std::string name;
    ObjectType type = ObjectType::Query;
    std::int32_t rawType = 0; // when not 0, written instead of `type`
    std::uint32_t flags = 0;
    std::string foreignName;        // linked tables: name in the other database
    std::string database;           // Type 6: path of the other database
    std::string connect;            // Type 4: ODBC connection string
    std::optional<std::int32_t> id; // default: a fresh id that names no page of the file
    std::string description{};      // its Description property (LvProp), when not empty
    // Caption properties of a query's columns (LvProp): the column as named, the caption.
    std::vector<std::pair<std::string, std::string>> columnCaptions{};
};

// What the values of a complex column are, by the type table Access describes them with.
enum class ComplexKind : std::uint8_t {
    Text,       // multi-valued text: "MSysComplexType_Text", one column Value (Text 255)
    Long,       // multi-valued numbers: "MSysComplexType_Long", one column Value (Long)
    Attachment, // "MSysComplexType_Attachment": FileURL (Memo), FileName, FileType (Text 255),
                // FileData (OLE), FileTimeStamp (DateTime), FileFlags (Long)
};

// The values behind a column of type Complex, kept the way Access keeps them: a row of
// MSysComplexColumns names the column's type table and its hidden flat table
// ("f_<hex>_<column>", flags 0x800A0000), which holds one row per value: the key the owning
// cell holds, the type's columns, and an AutoNumber of its own, in the order of their names.
struct ComplexColumn {
    std::string table;  // a table added with addTable
    std::string column; // its column of type Complex
    ComplexKind kind = ComplexKind::Text;
    // One entry per value, in the order stored: the owning cell's key and the type's columns in
    // the order listed at ComplexKind.
    std::vector<std::pair<std::int32_t, Row>> values;
    // Written into MSysComplexColumns instead of the true pages, to make a damaged entry.
    std::optional<std::int32_t> flatTableId;
    std::optional<std::int32_t> typeTableId;
};

struct WriterOptions {
    Format format = Format::Jet4;
    std::string password;              // UTF-8; empty = none. Jet 4: 20 characters at most,
                                       // Jet 3: 20 bytes in the code page
    double creationDate = 45292.5;     // 2024-01-01 12:00, fixes the password mask
    std::uint16_t codePage = 1252;     // header code page; Jet 3 text is written in it
    std::uint32_t pageEncodingKey = 0; // not 0: Jet RC4 page encoding with this key
    // ACE formats only: protect the finished file with `password` the way Access does (page
    // encryption); the header then holds no password of its own. Tests may lower the agile
    // spin count to keep fixtures quick.
    std::optional<db::crypto::EncryptionOptions> encryption;
};

// Row placement variants, for reader robustness tests.
enum class RowKind : std::uint8_t {
    Normal,
    Deleted, // offset flag 0x8000: a reader must skip it
    Moved,   // offset flag 0x4000 stub pointing to the row kept (flagged 0x8000) on another page
};

class AccessWriter;

// Handle to one table being filled; owned by its AccessWriter and valid until it is destroyed.
class TableWriter {
public:
    void addRow(std::span<const platform::Variant> values, RowKind kind = RowKind::Normal);
    void addRow(std::initializer_list<platform::Variant> values, RowKind kind = RowKind::Normal) {
        addRow(std::span<const platform::Variant>(values.begin(), values.size()), kind);
    }
    std::uint64_t rowCount() const; // rows written as Normal or Moved
    const std::string& name() const;
    std::uint32_t definitionPage() const; // where the table definition starts

    struct State; // the writer's own bookkeeping, not part of the interface

private:
    friend class AccessWriter;
    explicit TableWriter(State* s) : s_(s) {}
    State* s_;
};

class AccessWriter {
public:
    explicit AccessWriter(const std::filesystem::path& path, WriterOptions options = {});
    ~AccessWriter(); // finishes silently when finish() was not called; errors are lost then
    AccessWriter(const AccessWriter&) = delete;
    AccessWriter& operator=(const AccessWriter&) = delete;

    TableWriter& addTable(const std::string& name, std::vector<Column> columns,
                          TableOptions options = {});
    void addCatalogEntry(const CatalogEntry& entry);
    // Its tables and columns must exist by the time finish() is called.
    void addRelationship(const Relationship& relationship);
    // Values of a complex column; the hidden tables are written by finish().
    void addComplexColumn(ComplexColumn column);
    void finish();

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

// A whole table given at once, for small fixtures.
struct TableData {
    std::string name;
    std::vector<Column> columns;
    std::vector<Row> rows;
    TableOptions options = {};
};

// The OLE automation date (days since 1899-12-30, time as the fraction; before 1899-12-30 the
// fraction still counts forward as the time of day) of a proleptic Gregorian date and time.
double oleDate(int year, int month, int day, int hour = 0, int minute = 0, double second = 0);

void writeDatabase(const std::filesystem::path& path, const std::vector<TableData>& tables,
                   const WriterOptions& options = {});
void writeDatabase(const std::filesystem::path& path, const std::vector<TableData>& tables,
                   const std::vector<Relationship>& relationships,
                   const WriterOptions& options = {});

} // namespace tabulant::accesswriter
