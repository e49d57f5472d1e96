#include "QuerySchema.h"

#include "AccessDatabase.h"
#include "QueryReader.h"
#include "QueryText.h"
#include "RowListCursor.h"
#include "TableProperties.h"

#include "platform/AdoType.h"

#include <map>

namespace tabulant::db {

namespace {

constexpr int QueryObjectType = 5; // MSysObjects.Type of a saved query

} // namespace

std::unique_ptr<platform::Cursor> ViewsSchema(AccessDatabase& database) {
    using platform::Variant;
    std::vector<platform::Field> columns;
    for (const char* name : {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "VIEW_DEFINITION",
                             "QUERY_TYPE", "DAMAGE", "DESCRIPTION", "COLUMN_CAPTIONS"})
        columns.push_back({name, platform::adVarWChar, Variant()});
    for (const char* name : {"IS_HIDDEN", "IS_RECORD_SOURCE"})
        columns.push_back({name, platform::adBoolean, Variant()});
    // Query names are unique among the catalogue's queries.
    TextDecoder text(database.Format().codePageText, database.Header().codePage);
    std::map<std::string, std::string> descriptions, captions;
    for (const CatalogEntry& e : database.Catalog()) {
        if (e.type != QueryObjectType || e.properties.empty()) continue;
        descriptions[e.name] = ObjectDescription(e.properties, text);
        // Column name, caption, ... each ended by a NUL: neither can hold one.
        for (const auto& [column, caption] : ColumnCaptions(e.properties, text))
            captions[e.name] += column + '\0' + caption + '\0';
    }
    std::vector<std::vector<Variant>> rows;
    for (const QueryDefinition& q : ReadQueries(database)) {
        const auto description = descriptions.find(q.name);
        const bool damaged = !q.damage.empty();
        rows.push_back({Variant::null(), Variant::null(), Variant::text(q.name),
                        damaged ? Variant::null() : Variant::text(AccessSqlText(q)),
                        Variant::text(QueryTypeName(q.type)),
                        damaged ? Variant::text(q.damage) : Variant::null(),
                        description == descriptions.end() || description->second.empty()
                            ? Variant::null()
                            : Variant::text(description->second),
                        captions.count(q.name) ? Variant::text(captions[q.name]) : Variant::null(),
                        Variant::boolean(q.hidden), Variant::boolean(q.recordSource)});
    }
    return std::make_unique<RowListCursor>(std::move(columns), std::move(rows));
}

} // namespace tabulant::db
