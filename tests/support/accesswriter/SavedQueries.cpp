#include "SavedQueries.h"

#include <map>
#include <utility>

namespace tabulant::accesswriter {

void addSavedQueries(AccessWriter& writer, const std::vector<SavedQuery>& queries, Format format) {
    using platform::Variant;
    const bool jet3 = format == Format::Jet3;
    std::vector<Column> columns = {
        Column::of("ObjectId", ColumnType::Long),     Column::of("Attribute", ColumnType::Byte),
        Column::of("Order", ColumnType::Binary, 255), Column::of("Name1", ColumnType::Text, 255),
        Column::of("Name2", ColumnType::Text, 255),   Column::of("Expression", ColumnType::Memo),
        Column::of("Flag", ColumnType::Integer)};
    if (!jet3) columns.push_back(Column::of("LvExtra", ColumnType::Long));
    TableOptions sys;
    sys.flags = kSystemObjectFlags;
    sys.systemTable = true;
    TableWriter& table = writer.addTable("MSysQueries", columns, sys);
    std::int32_t next = 1;
    for (const SavedQuery& q : queries) {
        // Queries have ids of their own, with the high bit set, that name no page.
        const std::int32_t id = static_cast<std::int32_t>(0x80000000u | 0x100u | unsigned(next++));
        CatalogEntry e;
        e.name = q.name;
        e.type = ObjectType::Query;
        e.flags = q.flags;
        e.id = id;
        e.description = q.description;
        e.columnCaptions = q.captions;
        writer.addCatalogEntry(e);
        std::map<int, std::uint32_t> counters;
        for (const QueryRow& r : q.rows) {
            const std::uint32_t order = r.order.value_or(++counters[r.attribute]);
            std::string bytes;
            for (int shift = 24; shift >= 0; shift -= 8) bytes += char((order >> shift) & 0xFF);
            auto text = [](const std::string& s) {
                return s.empty() ? Variant::null() : Variant::text(s);
            };
            Row row{Variant::integer(id),
                    Variant::integer(r.attribute),
                    Variant::binary(bytes),
                    text(r.name1),
                    text(r.name2),
                    text(r.expression),
                    r.flag ? Variant::integer(*r.flag) : Variant::null()};
            if (!jet3) row.push_back(r.extra ? Variant::integer(*r.extra) : Variant::null());
            table.addRow(row);
        }
    }
}

SavedQuery appendQuery(std::string name, std::string table, std::string column, std::string value) {
    return {std::move(name),
            0x40,
            {{0, {}, {}, {}, {}, {}, {}},
             {1, 3, std::move(table), {}, {}, {}, {}},
             {6, -32768, {}, std::move(column), std::move(value), {}, {}},
             {255, {}, {}, {}, {}, {}, {}}}};
}

} // namespace tabulant::accesswriter
