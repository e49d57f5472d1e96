#include "Catalog.h"

#include "TextCodec.h"

namespace tabulant::accesswriter {

using platform::Variant;

namespace {

constexpr std::int32_t kTablesContainerId = 0x0F000001;
constexpr std::int32_t kRootContainerId = 0x0F000000;
// Ids of entries without a definition lie far beyond any page a test file has.
constexpr std::int32_t kFirstBareId = 0x00FFF000;

std::vector<Column> catalogColumns() {
    std::vector<Column> c{
        Column::of("Id", ColumnType::Long),
        Column::of("ParentId", ColumnType::Long),
        Column::of("Name", ColumnType::Text, 255),
        Column::of("Type", ColumnType::Integer),
        Column::of("DateCreate", ColumnType::DateTime),
        Column::of("DateUpdate", ColumnType::DateTime),
        Column::of("Owner", ColumnType::Binary, 255),
        Column::of("Flags", ColumnType::Long),
        Column::of("Database", ColumnType::Memo),
        Column::of("Connect", ColumnType::Memo),
        Column::of("ForeignName", ColumnType::Text, 255),
        Column::of("RmtInfoShort", ColumnType::Binary, 255),
        Column::of("RmtInfoLong", ColumnType::Ole),
        Column::of("Lv", ColumnType::Ole),
        Column::of("LvProp", ColumnType::Ole),
        Column::of("LvModule", ColumnType::Ole),
        Column::of("LvExtra", ColumnType::Ole),
    };
    return c;
}

Variant textOrNull(const std::string& s) { return s.empty() ? Variant::null() : Variant::text(s); }

Row catalogRow(std::int32_t id, std::int32_t parent, const std::string& name, std::int32_t type,
               std::uint32_t flags, double date, const CatalogEntry* extra) {
    Row r(17);
    r[0] = Variant::integer(id);
    r[1] = Variant::integer(parent);
    r[2] = Variant::text(name);
    r[3] = Variant::integer(type);
    r[4] = Variant::date(date);
    r[5] = Variant::date(date);
    r[7] = Variant::integer(static_cast<std::int32_t>(flags));
    if (extra) {
        r[8] = textOrNull(extra->database);
        r[9] = textOrNull(extra->connect);
        r[10] = textOrNull(extra->foreignName);
    }
    return r;
}

Bytes propertyText(const std::string& text, const FormatLayout& layout, std::uint16_t codePage) {
    return layout.jet3 ? codePageBytes(text, codePage) : ucs2Bytes(utf16FromUtf8(text));
}

// A block of a property list: int32 length counting its 6-byte head, int16 kind, the body.
void appendBlock(Bytes& out, std::uint16_t kind, const Bytes& body) {
    append32(out, static_cast<std::uint32_t>(body.size() + 6));
    append16(out, kind);
    out.insert(out.end(), body.begin(), body.end());
}

// The table's property list (LvProp): the Required property of the columns that have it; none
// (null) when no column has a property.
Variant propertyList(const TableWriter::State& t, const FormatLayout& layout,
                     std::uint16_t codePage) {
    Bytes out;
    for (const ColumnLayout& c : t.columns) {
        if (!c.def.required) continue;
        if (out.empty()) {
            const char* magic = layout.jet3 ? "KKD" : "MR2";
            out.assign(magic, magic + 4); // with its NUL
            const Bytes name = propertyText("Required", layout, codePage);
            Bytes names;
            append16(names, static_cast<std::uint32_t>(name.size()));
            names.insert(names.end(), name.begin(), name.end());
            appendBlock(out, 0x80, names);
        }
        // A column's block: its name, then values {length, DDL flag, type, name index, size,
        // data}; Required is a Yes/No (type 1) of one byte.
        const Bytes name = propertyText(c.def.name, layout, codePage);
        Bytes body;
        append32(body, static_cast<std::uint32_t>(6 + name.size()));
        append16(body, static_cast<std::uint32_t>(name.size()));
        body.insert(body.end(), name.begin(), name.end());
        append16(body, 9); // the value's length
        append8(body, 0);  // DDL flag
        append8(body, 1);  // type: Yes/No
        append16(body, 0); // "Required", first in the name list
        append16(body, 1); // data size
        append8(body, 1);  // true
        appendBlock(out, 0x01, body);
    }
    if (out.empty()) return Variant::null();
    return Variant::binary(std::string(out.begin(), out.end()));
}

} // namespace

std::unique_ptr<TableWriter::State> buildCatalog(const std::vector<CatalogItem>& items,
                                                 const WriterOptions& options, PageFile& file,
                                                 LongValueStore& longValues,
                                                 const FormatLayout& layout) {
    TableOptions sys;
    sys.flags = kSystemObjectFlags;
    sys.systemTable = true;
    auto catalog = std::make_unique<TableWriter::State>("MSysObjects", catalogColumns(), sys, 2,
                                                        file, longValues, layout, options.codePage);
    const double date = options.creationDate;
    catalog->addRow(
        catalogRow(kTablesContainerId, kRootContainerId, "Tables", 3, 0x80000000u, date, nullptr),
        RowKind::Normal);
    catalog->addRow(
        catalogRow(2, kTablesContainerId, "MSysObjects", 1, kSystemObjectFlags, date, nullptr),
        RowKind::Normal);
    std::int32_t bareId = kFirstBareId;
    for (const CatalogItem& item : items) {
        if (item.table) {
            Row row =
                catalogRow(static_cast<std::int32_t>(item.table->tdefPage), kTablesContainerId,
                           item.table->name, 1, item.table->options.flags, date, nullptr);
            row[14] = propertyList(*item.table, layout, options.codePage);
            catalog->addRow(row, RowKind::Normal);
            continue;
        }
        const CatalogEntry& e = item.entry;
        const std::int32_t id = e.id ? *e.id : bareId++;
        const std::int32_t type = e.rawType != 0 ? e.rawType : static_cast<std::int32_t>(e.type);
        catalog->addRow(catalogRow(id, kTablesContainerId, e.name, type, e.flags, date, &e),
                        RowKind::Normal);
    }
    catalog->flush();
    return catalog;
}

} // namespace tabulant::accesswriter
