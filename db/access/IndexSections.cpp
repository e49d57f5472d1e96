#include "IndexSections.h"

#include "AccessErrors.h"
#include "LittleEndian.h"
#include "TableDefinition.h"

#include <algorithm>

namespace tabulant::db {

namespace {

constexpr std::uint16_t UnusedKeySlot = 0xFFFF;
constexpr std::uint8_t ReferencedSide = 1;
constexpr std::uint8_t CascadeDeleteFlag = 0x01;
constexpr std::uint8_t CascadeSetNullFlag = 0x02;

} // namespace

IndexSections IndexSections::Read(const std::vector<std::uint8_t>& b, const JetFormat& f,
                                  const TableDefinition& table, TextDecoder& text,
                                  const std::string& tableName) {
    const TableDefinitionLayout& L = f.tableDefinition;
    auto need = [&](std::size_t end) {
        if (end > b.size()) throw DamagedIndexes(tableName);
    };
    // Access allows 32 indexes; the counts are 32-bit, so the sizes below cannot overflow.
    if (table.logicalIndexCount > 1000) throw DamagedIndexes(tableName);
    std::size_t pos = table.indexSectionsStart;
    need(pos + std::size_t{table.realIndexCount} * L.realIndexEntrySize +
         std::size_t{table.logicalIndexCount} * L.logicalIndexEntrySize);

    IndexSections s;
    s.real.resize(table.realIndexCount);
    for (RealIndex& r : s.real) {
        const std::uint8_t* e = &b[pos];
        for (std::size_t k = 0; k < RealIndexLayout::KeySlots; ++k) {
            const std::uint8_t* slot = e + f.realIndex.keys + 3 * k;
            const std::uint16_t column = le::u16(slot);
            if (column == UnusedKeySlot) continue;
            const bool known = std::any_of(table.columns.begin(), table.columns.end(),
                                           [&](const ColumnDef& c) { return c.number == column; });
            if (!known) throw DamagedIndexes(tableName);
            r.keys.push_back({column, slot[2] != 0});
        }
        if (r.keys.empty()) throw DamagedIndexes(tableName);
        r.flags = e[f.realIndex.flags];
        pos += L.realIndexEntrySize;
    }

    const LogicalIndexLayout& G = f.logicalIndex;
    s.logical.resize(table.logicalIndexCount);
    for (LogicalIndex& x : s.logical) {
        const std::uint8_t* e = &b[pos];
        x.number = le::i32(e + G.number);
        const std::uint32_t real = le::u32(e + G.realIndex);
        const std::uint8_t kind = e[G.kind];
        if (real >= s.real.size() || kind > 2) throw DamagedIndexes(tableName);
        x.realIndex = real;
        x.kind = static_cast<LogicalIndex::Kind>(kind);
        // The foreign-key fields hold filler in the other entries.
        if (x.kind == LogicalIndex::Kind::ForeignKey) {
            x.referencedSide = e[G.foreignKeySide] == ReferencedSide;
            x.partnerNumber = le::i32(e + G.partnerNumber);
            x.partnerTablePage = le::u32(e + G.partnerTablePage);
            x.cascadeUpdates = e[G.cascadeUpdates] != 0;
            x.cascadeDeletes = (e[G.cascadeDeletes] & CascadeDeleteFlag) != 0;
            x.cascadeSetsNull = (e[G.cascadeDeletes] & CascadeSetNullFlag) != 0;
        }
        pos += L.logicalIndexEntrySize;
    }
    for (LogicalIndex& x : s.logical)
        if (!ReadDefinitionName(b, pos, f, text, x.name)) throw DamagedIndexes(tableName);
    return s;
}

} // namespace tabulant::db
