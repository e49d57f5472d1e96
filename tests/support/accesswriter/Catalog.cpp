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

// One property value: {length, DDL flag, type, index into the name list, size, data}.
void appendValue(Bytes& out, std::uint8_t type, std::size_t name, const Bytes& data) {
    append16(out, static_cast<std::uint32_t>(8 + data.size()));
    append8(out, 0); // DDL flag
    append8(out, type);
    append16(out, static_cast<std::uint32_t>(name));
    append16(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
}

// An object's property list (LvProp): its own text properties and the Required, AllowZeroLength
// and text properties of the columns that have them; none (null) when there is none. Blocks: the
// names, the table's values (kind 0x00), then one per column (kind 0x01) naming it.
Variant propertyList(const std::string& owner,
                     const std::vector<std::pair<std::string, std::string>>& own,
                     const std::vector<ColumnLayout>& columns, const FormatLayout& layout,
                     std::uint16_t codePage) {
    std::vector<std::string> names;
    auto nameIndex = [&](const std::string& name) {
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return i;
        names.push_back(name);
        return names.size() - 1;
    };
    auto block = [&](std::uint16_t kind, const std::string& owner, const Bytes& values,
                     Bytes& out) {
        const Bytes name = propertyText(owner, layout, codePage);
        Bytes body;
        append32(body, static_cast<std::uint32_t>(6 + name.size()));
        append16(body, static_cast<std::uint32_t>(name.size()));
        body.insert(body.end(), name.begin(), name.end());
        body.insert(body.end(), values.begin(), values.end());
        appendBlock(out, kind, body);
    };
    auto texts = [&](const std::vector<std::pair<std::string, std::string>>& properties,
                     Bytes& values) {
        for (const auto& [name, value] : properties) {
            const bool memo = name.rfind("memo:", 0) == 0;
            appendValue(values, memo ? 12 : 10, nameIndex(memo ? name.substr(5) : name),
                        propertyText(value, layout, codePage));
        }
    };
    Bytes blocks;
    Bytes tableValues;
    texts(own, tableValues);
    if (!tableValues.empty()) block(0x00, owner, tableValues, blocks);
    for (const ColumnLayout& c : columns) {
        Bytes values;
        if (c.def.required) appendValue(values, 1, nameIndex("Required"), Bytes{1});
        if (c.def.allowZeroLength)
            appendValue(values, 1, nameIndex("AllowZeroLength"),
                        Bytes{static_cast<std::uint8_t>(*c.def.allowZeroLength ? 1 : 0)});
        texts(c.def.properties, values);
        if (!values.empty()) block(0x01, c.def.name, values, blocks);
    }
    if (blocks.empty()) return Variant::null();
    const char* magic = layout.jet3 ? "KKD" : "MR2";
    Bytes out(magic, magic + 4); // with its NUL
    Bytes list;
    for (const std::string& name : names) {
        const Bytes bytes = propertyText(name, layout, codePage);
        append16(list, static_cast<std::uint32_t>(bytes.size()));
        list.insert(list.end(), bytes.begin(), bytes.end());
    }
    appendBlock(out, 0x80, list);
    out.insert(out.end(), blocks.begin(), blocks.end());
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
            row[14] = propertyList(item.table->name, item.table->options.properties,
                                   item.table->columns, layout, options.codePage);
            catalog->addRow(row, RowKind::Normal);
            continue;
        }
        const CatalogEntry& e = item.entry;
        const std::int32_t id = e.id ? *e.id : bareId++;
        const std::int32_t type = e.rawType != 0 ? e.rawType : static_cast<std::int32_t>(e.type);
        Row row = catalogRow(id, kTablesContainerId, e.name, type, e.flags, date, &e);
        std::vector<std::pair<std::string, std::string>> own;
        if (!e.description.empty()) own.emplace_back("Description", e.description);
        std::vector<ColumnLayout> columns;
        for (const auto& [column, caption] : e.columnCaptions) {
            columns.emplace_back();
            columns.back().def.name = column;
            columns.back().def.properties = {{"Caption", caption}};
        }
        if (!own.empty() || !columns.empty())
            row[14] = propertyList(e.name, own, columns, layout, options.codePage);
        catalog->addRow(row, RowKind::Normal);
    }
    catalog->flush();
    return catalog;
}

} // namespace tabulant::accesswriter
