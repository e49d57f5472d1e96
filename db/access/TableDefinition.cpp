#include "TableDefinition.h"

#include "AccessErrors.h"
#include "LittleEndian.h"
#include "PageStore.h"
#include "TextDecoder.h"

#include <algorithm>
#include <unordered_set>

namespace tabulant::db {

namespace {

// A table definition that spans pages continues at byte 8 of the page that bytes 4..7 name.
constexpr std::size_t MaxDefinitionPages = 256;

std::vector<std::uint8_t> readChain(PageStore& pages, const JetFormat& f, std::uint32_t first,
                                    const std::string& tableName) {
    std::vector<std::uint8_t> page(f.pageSize);
    std::vector<std::uint8_t> all;
    std::unordered_set<std::uint32_t> seen;
    std::uint32_t next = first;
    while (next != 0 || all.empty()) {
        if (!seen.insert(next).second || seen.size() > MaxDefinitionPages) break;
        if (!pages.Read(next, page.data()) || page[0] != DataPage::TableDefinitionType) {
            if (all.empty()) throw DamagedTable(tableName);
            break;
        }
        all.insert(all.end(), page.begin() + (all.empty() ? 0 : 8), page.end());
        next = le::u32(page.data() + 4);
    }
    return all;
}

} // namespace

bool ReadDefinitionName(const std::vector<std::uint8_t>& b, std::size_t& pos, const JetFormat& f,
                        TextDecoder& text, std::string& out) {
    if (pos + f.nameLengthSize > b.size()) return false;
    const std::size_t len = le::uint(&b[pos], f.nameLengthSize);
    if (pos + f.nameLengthSize + len > b.size()) return false;
    text.Append(&b[pos + f.nameLengthSize], len, out);
    pos += f.nameLengthSize + len;
    return true;
}

bool ReadPointedRow(PageStore& pages, const JetFormat& format, std::uint32_t pointer,
                    std::vector<std::uint8_t>& out) {
    std::vector<std::uint8_t> page(format.pageSize);
    if (!pages.Read(pointer >> 8, page.data())) return false;
    const RowSlot s = DataPage(format, page.data()).Slot(pointer & 0xFF);
    if (!s.valid) return false;
    out.assign(page.begin() + static_cast<std::ptrdiff_t>(s.start),
               page.begin() + static_cast<std::ptrdiff_t>(s.start + s.size));
    return true;
}

TableDefinition TableDefinition::Read(PageStore& pages, const JetFormat& f, TextDecoder& text,
                                      std::uint32_t page, const std::string& tableName,
                                      std::vector<std::uint8_t>* bytes) {
    std::vector<std::uint8_t> b = readChain(pages, f, page, tableName);
    const TableDefinitionLayout& L = f.tableDefinition;
    const ColumnEntryLayout& C = f.column;
    auto need = [&](std::size_t end) {
        if (end > b.size()) throw DamagedTable(tableName);
    };
    need(L.sectionsStart);
    TableDefinition t;
    t.page = page;
    t.varColumnCount = le::u16(&b[L.variableColumnCount]);
    const unsigned columnCount = le::u16(&b[L.columnCount]);
    const std::uint32_t realIndexes = le::u32(&b[L.realIndexCount]);
    // Access allows 255 columns and 32 indexes; more can only be damage. (The count of variable
    // columns may include deleted ones, so it is not compared with the column count.)
    if (columnCount > 255 || realIndexes > 1000) throw DamagedTable(tableName);
    t.realIndexCount = realIndexes;
    t.logicalIndexCount = le::u32(&b[L.logicalIndexCount]);

    std::size_t pos = L.sectionsStart + std::size_t{realIndexes} * L.realIndexCounterSize;
    need(pos + std::size_t{columnCount} * L.columnEntrySize);
    t.columns.resize(columnCount);
    for (ColumnDef& c : t.columns) {
        const std::uint8_t* d = &b[pos];
        c.type = d[C.type];
        c.number = d[C.number];
        c.varIndex = le::u16(d + C.variableIndex);
        c.fixedOffset = le::u16(d + C.fixedOffset);
        c.size = c.type == coltype::Boolean ? 0 : le::u16(d + C.size);
        c.flags = d[C.flags];
        c.extFlags = C.extFlags ? d[*C.extFlags] : 0;
        c.precision = d[C.precision];
        c.scale = d[C.scale];
        pos += L.columnEntrySize;
    }
    for (ColumnDef& c : t.columns)
        if (!ReadDefinitionName(b, pos, f, text, c.name)) throw DamagedTable(tableName);
    t.indexSectionsStart = pos;
    std::stable_sort(t.columns.begin(), t.columns.end(),
                     [](const ColumnDef& x, const ColumnDef& y) { return x.number < y.number; });

    if (!ReadPointedRow(pages, f, le::u32(&b[L.usageMap]), t.usageMap) || t.usageMap.empty())
        throw DamagedTable(tableName);
    if (bytes) *bytes = std::move(b);
    return t;
}

} // namespace tabulant::db
