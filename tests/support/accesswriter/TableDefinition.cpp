#include "TableDefinition.h"

#include "TextCodec.h"

#include <algorithm>

namespace tabulant::accesswriter {

namespace {

void appendName(Bytes& b, const std::string& name, const FormatLayout& layout,
                std::uint16_t codePage) {
    if (layout.jet3) {
        const Bytes n = codePageBytes(name, codePage);
        if (n.size() > 255) throw AccessWriterError("name too long: " + name);
        append8(b, static_cast<std::uint32_t>(n.size()));
        b.insert(b.end(), n.begin(), n.end());
    } else {
        const Bytes n = ucs2Bytes(utf16FromUtf8(name));
        append16(b, static_cast<std::uint32_t>(n.size()));
        b.insert(b.end(), n.begin(), n.end());
    }
}

bool isText(ColumnType t) { return t == ColumnType::Text || t == ColumnType::Memo; }

void appendColumn(Bytes& b, const ColumnLayout& c, const FormatLayout& layout,
                  std::uint16_t codePage) {
    Bytes d(layout.columnEntrySize, 0);
    d[0] = static_cast<std::uint8_t>(c.def.type);
    const std::uint32_t n = layout.columnNumberOffset;
    put16(&d[n], c.number);
    put16(&d[n + 2], c.fixed || c.inNullMask ? 0u : c.varIndex);
    put16(&d[n + 4], c.number);
    const std::uint32_t misc = layout.columnMiscOffset;
    if (layout.jet3) {
        if (isText(c.def.type)) {
            put16(&d[misc], 0x0409);
            put16(&d[misc + 2], codePage);
        } else if (c.def.type == ColumnType::Decimal) {
            d[misc + 2] = static_cast<std::uint8_t>(c.def.precision);
            d[misc + 3] = static_cast<std::uint8_t>(c.def.scale);
        }
    } else {
        put32(&d[1], 1625);
        if (isText(c.def.type)) {
            put16(&d[misc], 0x0409);
        } else if (c.def.type == ColumnType::Decimal) {
            d[misc] = static_cast<std::uint8_t>(c.def.precision);
            d[misc + 1] = static_cast<std::uint8_t>(c.def.scale);
        } else if (c.def.type == ColumnType::Complex) {
            put32(&d[misc], c.complexId);
        }
        d[layout.columnFlagsOffset + 1] = c.extFlags;
    }
    d[layout.columnFlagsOffset] = c.flags;
    put16(&d[layout.columnFixedOffset], c.fixed ? c.fixedOffset : 0u);
    put16(&d[layout.columnLengthOffset], c.length);
    b.insert(b.end(), d.begin(), d.end());
}

void appendRealIndex(Bytes& b, const IndexPlan::Real& r, const FormatLayout& layout) {
    Bytes e(layout.realIndexEntrySize, 0);
    if (!layout.jet3) put32(&e[0], 1923);
    for (std::size_t k = 0; k < 10; ++k) {
        std::uint8_t* slot = &e[layout.realIndexKeysOffset + 3 * k];
        put16(slot, k < r.keys.size() ? r.keys[k].first : 0xFFFFu);
        slot[2] = k < r.keys.size() && !r.keys[k].second ? 0x00 : 0x01;
    }
    // The usage map and first page of the index's own pages stay 0: no index pages are written.
    e[layout.realIndexFlagsOffset] = r.flags;
    b.insert(b.end(), e.begin(), e.end());
}

void appendLogicalIndex(Bytes& b, const IndexPlan::Logical& l, const FormatLayout& layout) {
    Bytes e(layout.logicalIndexEntrySize, 0);
    if (!layout.jet3) put32(&e[0], 1625);
    std::uint8_t* p = &e[layout.logicalIndexNumberOffset];
    put32(p, static_cast<std::uint32_t>(l.number));
    put32(p + 4, l.real);
    p[8] = l.side;
    put32(p + 9, static_cast<std::uint32_t>(l.partner));
    put32(p + 13, l.partnerPage);
    p[17] = l.cascadeUpdates;
    p[18] = l.cascadeDeletes;
    p[19] = l.kind;
    b.insert(b.end(), e.begin(), e.end());
}

} // namespace

Bytes tableDefinition(const TableWriter::State& table, const FormatLayout& layout,
                      std::uint16_t codePage, std::uint32_t usageMap, std::uint32_t freeMap) {
    Bytes b(layout.tdefColumnsOffset, 0);
    b[0] = 0x02;
    b[1] = 0x01;
    if (!layout.jet3) put32(&b[12], 1625);
    put32(&b[layout.tdefRowsOffset], table.options.storedRowCount
                                         ? *table.options.storedRowCount
                                         : static_cast<std::uint32_t>(table.rows));
    std::uint32_t t = layout.tdefTableTypeOffset;
    b[t] = table.options.systemTable ? 0x53 : 0x4E;
    // The highest column count includes deleted columns, the count of descriptors does not.
    const auto cols = static_cast<std::uint32_t>(table.columns.size());
    const auto kept = static_cast<std::uint32_t>(
        std::count_if(table.columns.begin(), table.columns.end(),
                      [](const ColumnLayout& c) { return !c.def.deletedAfterRows; }));
    put16(&b[t + 1], cols);
    put16(&b[t + 3], table.varCount);
    put16(&b[t + 5], kept);
    const IndexPlan& plan = table.indexPlan;
    put32(&b[t + 7], static_cast<std::uint32_t>(plan.logical.size()));
    put32(&b[t + 11], static_cast<std::uint32_t>(plan.real.size()));
    put32(&b[t + 15], usageMap);
    put32(&b[t + 19], freeMap);
    // Per real index a block of counters (rows, distinct keys) that readers do not need.
    b.resize(b.size() + plan.real.size() * layout.realIndexCounterSize, 0);
    bool autoNumber = false;
    for (const ColumnLayout& c : table.columns) {
        if (c.def.deletedAfterRows) continue;
        appendColumn(b, c, layout, codePage);
        autoNumber = autoNumber || (c.def.autoNumber && c.def.type == ColumnType::Long);
    }
    if (autoNumber) {
        // The last number handed out.
        const std::int64_t counter = table.options.autoNumberCounter
                                         ? *table.options.autoNumberCounter
                                         : table.highestAutoNumber;
        put32(&b[layout.tdefAutoNumberOffset], static_cast<std::uint32_t>(counter));
        if (!layout.jet3) b[layout.tdefAutoNumberOffset + 4] = 0x01;
    }
    for (const ColumnLayout& c : table.columns)
        if (!c.def.deletedAfterRows) appendName(b, c.def.name, layout, codePage);
    for (const IndexPlan::Real& r : plan.real) appendRealIndex(b, r, layout);
    for (const IndexPlan::Logical& l : plan.logical) appendLogicalIndex(b, l, layout);
    for (const IndexPlan::Logical& l : plan.logical) appendName(b, l.name, layout, codePage);
    // End of the (empty) list of per-column usage maps.
    append16(b, 0xFFFF);
    put32(&b[8], static_cast<std::uint32_t>(b.size()));
    return b;
}

} // namespace tabulant::accesswriter
