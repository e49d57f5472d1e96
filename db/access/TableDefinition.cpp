#include "TableDefinition.h"

#include "AccessErrors.h"
#include "LittleEndian.h"
#include "PageStore.h"
#include "TextDecoder.h"

#include <algorithm>
#include <unordered_set>

namespace tabulant::db {

namespace {

// Offsets inside a table definition, per format.
struct Layout {
    std::size_t varCols, numCols, realIndexes, usageMap, columnsStart, realIndexEntry, columnEntry;
    std::size_t colNum, colVar, colFixedOffset, colSize, colFlags, colPrecision, colScale;
};
constexpr Layout Jet3Layout{23, 25, 31, 35, 43, 8, 18, 1, 3, 14, 16, 13, 9, 10};
constexpr Layout Jet4Layout{43, 45, 51, 55, 63, 12, 25, 5, 7, 21, 23, 15, 11, 12};

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
                                      std::uint32_t page, const std::string& tableName) {
    const std::vector<std::uint8_t> b = readChain(pages, f, page, tableName);
    const Layout& L = f.jet3 ? Jet3Layout : Jet4Layout;
    auto need = [&](std::size_t end) {
        if (end > b.size()) throw DamagedTable(tableName);
    };
    need(L.columnsStart);
    TableDefinition t;
    t.page = page;
    t.varColumnCount = le::u16(&b[L.varCols]);
    const unsigned columnCount = le::u16(&b[L.numCols]);
    const std::uint32_t realIndexes = le::u32(&b[L.realIndexes]);
    // Access allows 255 columns and 32 indexes; more can only be damage. (The count of variable
    // columns may include deleted ones, so it is not compared with the column count.)
    if (columnCount > 255 || realIndexes > 1000) throw DamagedTable(tableName);

    std::size_t pos = L.columnsStart + std::size_t{realIndexes} * L.realIndexEntry;
    need(pos + std::size_t{columnCount} * L.columnEntry);
    t.columns.resize(columnCount);
    for (ColumnDef& c : t.columns) {
        const std::uint8_t* d = &b[pos];
        c.type = d[0];
        c.number = d[L.colNum];
        c.varIndex = le::u16(d + L.colVar);
        c.fixedOffset = le::u16(d + L.colFixedOffset);
        c.size = c.type == coltype::Boolean ? 0 : le::u16(d + L.colSize);
        c.flags = d[L.colFlags];
        c.extFlags = f.jet3 ? 0 : d[L.colFlags + 1];
        c.precision = d[L.colPrecision];
        c.scale = d[L.colScale];
        pos += L.columnEntry;
    }
    for (ColumnDef& c : t.columns) {
        std::size_t len;
        if (f.jet3) {
            need(pos + 1);
            len = b[pos];
            pos += 1;
        } else {
            need(pos + 2);
            len = le::u16(&b[pos]);
            pos += 2;
        }
        need(pos + len);
        text.Append(&b[pos], len, c.name);
        pos += len;
    }
    std::stable_sort(t.columns.begin(), t.columns.end(),
                     [](const ColumnDef& x, const ColumnDef& y) { return x.number < y.number; });

    if (!ReadPointedRow(pages, f, le::u32(&b[L.usageMap]), t.usageMap) || t.usageMap.empty())
        throw DamagedTable(tableName);
    return t;
}

} // namespace tabulant::db
