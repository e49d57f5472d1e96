#include "ComplexTables.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

namespace tabulant::accesswriter {

using platform::Variant;

namespace {

constexpr std::uint32_t kTypeTableFlags = 0x80030000u;
constexpr std::uint32_t kFlatTableFlags = 0x800A0000u;
constexpr std::uint32_t kComplexColumnsFlags = 0x80000000u;

const char* typeTableName(ComplexKind kind) {
    switch (kind) {
    case ComplexKind::Text:
        return "MSysComplexType_Text";
    case ComplexKind::Long:
        return "MSysComplexType_Long";
    case ComplexKind::Attachment:
        return "MSysComplexType_Attachment";
    }
    return "";
}

std::vector<Column> valueColumns(ComplexKind kind) {
    switch (kind) {
    case ComplexKind::Text:
        return {Column::of("Value", ColumnType::Text, 255)};
    case ComplexKind::Long:
        return {Column::of("Value", ColumnType::Long)};
    case ComplexKind::Attachment:
        return {Column::of("FileURL", ColumnType::Memo),
                Column::of("FileName", ColumnType::Text, 255),
                Column::of("FileType", ColumnType::Text, 255),
                Column::of("FileData", ColumnType::Ole),
                Column::of("FileTimeStamp", ColumnType::DateTime),
                Column::of("FileFlags", ColumnType::Long)};
    }
    return {};
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Access names a flat table after a fresh GUID and the column, cut to 64 characters.
std::string flatTableName(const ComplexColumn& c) {
    std::uint64_t h = 1469598103934665603ull;
    for (const char ch : c.table + '\0' + c.column)
        h = (h ^ static_cast<unsigned char>(ch)) * 1099511628211ull;
    char hex[40];
    std::snprintf(hex, sizeof hex, "%016llX%016llX", static_cast<unsigned long long>(h),
                  static_cast<unsigned long long>(h * 31 + 7));
    std::string name = "f_" + std::string(hex) + "_" + c.column;
    std::size_t chars = 0, cut = 0;
    for (; cut < name.size(); ++cut) {
        if ((static_cast<unsigned char>(name[cut]) & 0xC0) != 0x80 && ++chars > 64) break;
    }
    return name.substr(0, cut);
}

// The flat table of one column: where each of its columns comes from (-1 the owner's key, -2 the
// AutoNumber, otherwise the value column at that index), in the order of their names.
struct FlatLayout {
    std::vector<Column> columns;
    std::vector<int> source;
};

FlatLayout flatLayout(const ComplexColumn& c) {
    std::vector<std::pair<Column, int>> all;
    all.emplace_back(Column::of("_" + c.column, ColumnType::Long), -1);
    Column id = Column::of(c.table + "_" + c.column, ColumnType::Long);
    id.autoNumber = true;
    all.emplace_back(id, -2);
    const std::vector<Column> values = valueColumns(c.kind);
    for (std::size_t i = 0; i < values.size(); ++i)
        all.emplace_back(values[i], static_cast<int>(i));
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
        return lower(a.first.name) < lower(b.first.name);
    });
    FlatLayout out;
    for (auto& [column, source] : all) {
        out.columns.push_back(column);
        out.source.push_back(source);
    }
    return out;
}

} // namespace

void addComplexTables(const std::vector<ComplexColumn>& columns, const AddTable& addTable,
                      const OwnerPage& ownerPage) {
    if (columns.empty()) return;
    TableOptions system;
    system.systemTable = true;
    std::map<ComplexKind, std::uint32_t> typePages;
    for (const ComplexColumn& c : columns) {
        if (typePages.count(c.kind)) continue;
        system.flags = kTypeTableFlags;
        typePages[c.kind] =
            addTable(typeTableName(c.kind), valueColumns(c.kind), system).definitionPage();
    }
    std::vector<Row> entries;
    std::int32_t complexId = 0;
    for (const ComplexColumn& c : columns) {
        ++complexId;
        const std::uint32_t owner = ownerPage(c, static_cast<std::uint32_t>(complexId));
        const FlatLayout layout = flatLayout(c);
        system.flags = kFlatTableFlags;
        TableWriter& flat = addTable(flatTableName(c), layout.columns, system);
        const std::size_t width = valueColumns(c.kind).size();
        std::int32_t id = 0;
        for (const auto& [key, values] : c.values) {
            if (values.size() != width)
                throw AccessWriterError("complex column \"" + c.column + "\": a value needs " +
                                        std::to_string(width) + " fields");
            Row row;
            for (const int source : layout.source)
                row.push_back(source == -1   ? Variant::integer(key)
                              : source == -2 ? Variant::integer(++id)
                                             : values[static_cast<std::size_t>(source)]);
            flat.addRow(row);
        }
        const auto page = [](std::uint32_t p) { return static_cast<std::int32_t>(p); };
        entries.push_back({Variant::text(c.column),
                           Variant::integer(c.typeTableId.value_or(page(typePages[c.kind]))),
                           Variant::integer(c.flatTableId.value_or(page(flat.definitionPage()))),
                           Variant::integer(page(owner)), Variant::integer(complexId)});
    }
    system.flags = kComplexColumnsFlags;
    TableWriter& table = addTable("MSysComplexColumns",
                                  {Column::of("ColumnName", ColumnType::Text, 255),
                                   Column::of("ComplexTypeObjectID", ColumnType::Long),
                                   Column::of("FlatTableID", ColumnType::Long),
                                   Column::of("ConceptualTableID", ColumnType::Long),
                                   Column::of("ComplexID", ColumnType::Long)},
                                  system);
    for (const Row& r : entries) table.addRow(r);
}

} // namespace tabulant::accesswriter
