#include "UsageMap.h"

#include "LittleEndian.h"
#include "PageStore.h"

namespace tabulant::db {

namespace {

void addBits(const std::uint8_t* bits, std::size_t size, std::uint64_t firstPage,
             std::uint32_t pageCount, std::vector<std::uint32_t>& out, std::uint64_t& missing) {
    for (std::size_t i = 0; i < size; ++i) {
        if (bits[i] == 0) continue;
        for (int bit = 0; bit < 8; ++bit) {
            if ((bits[i] & (1u << bit)) == 0) continue;
            const std::uint64_t page = firstPage + i * 8 + static_cast<unsigned>(bit);
            if (page >= pageCount) {
                ++missing;
                continue;
            }
            out.push_back(static_cast<std::uint32_t>(page));
        }
    }
}

} // namespace

std::vector<std::uint32_t> UsageMapPages(PageStore& pages, const JetFormat& format,
                                         const std::vector<std::uint8_t>& map,
                                         std::uint64_t& missing) {
    missing = 0;
    std::vector<std::uint32_t> out;
    if (map.empty()) return out;
    if (map[0] == 0) {
        if (map.size() < 5) return out;
        addBits(map.data() + 5, map.size() - 5, le::u32(map.data() + 1), pages.PageCount(), out,
                missing);
    } else if (map[0] == 1) {
        const std::size_t perPage = (format.pageSize - 4) * 8;
        std::vector<std::uint8_t> bitmap(format.pageSize);
        for (std::size_t i = 0; 1 + 4 * i + 4 <= map.size(); ++i) {
            const std::uint32_t mapPage = le::u32(map.data() + 1 + 4 * i);
            if (mapPage == 0) continue;
            if (!pages.Read(mapPage, bitmap.data())) {
                ++missing;
                continue;
            }
            const std::size_t before = out.size();
            addBits(bitmap.data() + 4, format.pageSize - 4, std::uint64_t{i} * perPage,
                    pages.PageCount(), out, missing);
            // Map pages cover ascending ranges, so anything out of order is damage.
            if (before > 0 && out.size() > before && out[before] <= out[before - 1])
                out.resize(before);
        }
    }
    return out;
}

} // namespace tabulant::db
