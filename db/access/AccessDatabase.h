#pragma once

#include "DataPage.h"
#include "JetHeader.h"
#include "PageStore.h"
#include "TextDecoder.h"

#include "platform/Cursor.h"
#include "platform/EventLoop.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::db {

// One object of the database's catalogue (a row of MSysObjects).
struct CatalogEntry {
    std::string name;
    int type = 0; // 1 local table, 4 ODBC-linked table, 5 query, 6 linked table, ...
    std::uint32_t flags = 0;
    std::uint32_t page = 0; // the table definition page of a local table
    std::string properties; // LvProp of a local table or a saved query (their properties)
};

// An open Access file: header checked, password checked, catalogue read. Cursors share it and
// keep it alive. Errors: platform::Error with Jet's wording. Thread: one thread at a time.
class AccessTableCursor;
struct TableDefinition;

class AccessDatabase : public std::enable_shared_from_this<AccessDatabase> {
public:
    // `path` is only used in error messages. `codePage`, when not 0, replaces the header's code
    // page for the texts of a Jet 3 file (Jet 4 and later store Unicode).
    static std::shared_ptr<AccessDatabase> Open(std::shared_ptr<ByteSource> bytes, std::string path,
                                                std::string_view password, int codePage = 0);

    // What the tables schema reports for a catalogue entry ("TABLE" for user tables), or an
    // empty text for objects that are not tables.
    static std::string TableType(const CatalogEntry& entry);

    const JetHeader& Header() const { return header_; }
    const JetFormat& Format() const { return *format_; }
    PageStore& Pages() { return *pages_; }
    const std::vector<CatalogEntry>& Catalog() const { return catalog_; }

    // The rows of a local table, found by name without regard to letter case.
    // `events`, when given, is where the cursor lets pending events run during long work.
    std::unique_ptr<platform::Cursor> OpenTable(std::string_view name,
                                                platform::EventLoop* events = nullptr);
    // A table by its definition page (`name` for messages), or by exact catalogue name among
    // all tables, system tables included (nullptr when there is none).
    std::unique_ptr<AccessTableCursor> OpenTableAt(std::uint32_t page, std::string name);
    std::unique_ptr<AccessTableCursor> OpenSystemTable(std::string_view name);
    // While the values of multi-valued fields are being looked up, the hidden tables read for
    // them do not look up values of their own (a damaged catalogue could make that endless).
    class LookupScope {
    public:
        explicit LookupScope(AccessDatabase& db) : db_(db) { ++db_.lookups_; }
        ~LookupScope() { --db_.lookups_; }
        LookupScope(const LookupScope&) = delete;
        LookupScope& operator=(const LookupScope&) = delete;

    private:
        AccessDatabase& db_;
    };
    bool InLookup() const { return lookups_ > 0; }

    // The tables schema: TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE, sorted by type
    // and name as Jet returns them.
    std::unique_ptr<platform::Cursor> TablesSchema() const;
    // The catalogue entries the tables schema lists, in its order.
    std::vector<const CatalogEntry*> SchemaOrder() const;
    // The definition of the table at `page` as its cursor reads it (calculated columns typed by
    // their results); `bytes`, when given, receives the definition's bytes.
    TableDefinition ReadDefinition(std::uint32_t page, const std::string& name,
                                   std::vector<std::uint8_t>* bytes = nullptr) const;

private:
    AccessDatabase() = default;
    void readCatalog();
    // Calculated columns take the type their values are stored in from the table's properties.
    void applyResultTypes(TableDefinition& def) const;

    std::string path_;
    JetHeader header_;
    const JetFormat* format_ = &Jet4Format;
    std::unique_ptr<PageStore> pages_;
    std::vector<CatalogEntry> catalog_;
    int lookups_ = 0;
};

} // namespace tabulant::db
