#pragma once

#include "Bytes.h"
#include "FormatLayout.h"
#include "TableState.h"

#include <algorithm>
#include <cstdint>

namespace tabulant::accesswriter {

// The table definition (TDEF) of a filled table, as one byte string that may span pages:
// the first pageSize bytes go on the table's own page, the rest on continuation pages.
Bytes tableDefinition(const TableWriter::State& table, const FormatLayout& layout,
                      std::uint16_t codePage, std::uint32_t usageMap, std::uint32_t freeMap);

// Splits a definition into pages, allocating continuation pages from `allocate`.
template <typename Allocate, typename Write>
void writeDefinitionPages(const Bytes& def, std::uint32_t firstPage, const FormatLayout& layout,
                          Allocate allocate, Write write) {
    std::uint32_t page = firstPage;
    std::size_t at = 0;
    bool first = true;
    while (true) {
        Bytes out(layout.pageSize, 0);
        const std::size_t start = first ? 0 : 8;
        const std::size_t take = std::min(def.size() - at, layout.pageSize - start);
        std::copy_n(def.begin() + static_cast<std::ptrdiff_t>(at), take,
                    out.begin() + static_cast<std::ptrdiff_t>(start));
        at += take;
        out[0] = 0x02;
        out[1] = 0x01;
        if (layout.jet3) {
            out[2] = 'V';
            out[3] = 'C';
        } else {
            put16(&out[2], static_cast<std::uint32_t>(layout.pageSize - start - take));
        }
        const std::uint32_t next = at < def.size() ? allocate() : 0;
        put32(&out[4], next);
        write(page, out);
        if (next == 0) break;
        page = next;
        first = false;
    }
}

} // namespace tabulant::accesswriter
