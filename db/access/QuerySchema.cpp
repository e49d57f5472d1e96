#include "QuerySchema.h"

#include "QueryReader.h"
#include "QueryText.h"
#include "RowListCursor.h"

#include "platform/AdoType.h"

namespace tabulant::db {

std::unique_ptr<platform::Cursor> ViewsSchema(AccessDatabase& database) {
    using platform::Variant;
    std::vector<platform::Field> columns;
    for (const char* name :
         {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "VIEW_DEFINITION", "QUERY_TYPE", "DAMAGE"})
        columns.push_back({name, platform::adVarWChar, Variant()});
    for (const char* name : {"IS_HIDDEN", "IS_RECORD_SOURCE"})
        columns.push_back({name, platform::adBoolean, Variant()});
    std::vector<std::vector<Variant>> rows;
    for (const QueryDefinition& q : ReadQueries(database)) {
        const bool damaged = !q.damage.empty();
        rows.push_back({Variant::null(), Variant::null(), Variant::text(q.name),
                        damaged ? Variant::null() : Variant::text(AccessSqlText(q)),
                        Variant::text(QueryTypeName(q.type)),
                        damaged ? Variant::text(q.damage) : Variant::null(),
                        Variant::boolean(q.hidden), Variant::boolean(q.recordSource)});
    }
    return std::make_unique<RowListCursor>(std::move(columns), std::move(rows));
}

} // namespace tabulant::db
