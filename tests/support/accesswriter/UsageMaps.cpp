#include "UsageMaps.h"

namespace tabulant::accesswriter {

UsageMaps::UsageMaps(PageFile& file, const FormatLayout& layout)
    : file_(file), layout_(layout), page_(layout, 0) {}

std::uint32_t UsageMaps::place(const Bytes& row) {
    if (!page_.fits(row.size())) {
        flush();
        pageNo_ = file_.allocate();
    }
    return pageRow(pageNo_, page_.add(row));
}

void UsageMaps::flush() {
    if (page_.empty()) return;
    file_.write(pageNo_, page_.finish());
    page_.reset();
}

std::pair<std::uint32_t, std::uint32_t> UsageMaps::add(const std::vector<std::uint32_t>& pages) {
    Bytes freeMap{0x00};
    append32(freeMap, pages.empty() ? 0 : pages.front());
    freeMap.resize(5 + 64, 0);

    const std::uint32_t first = pages.empty() ? 0 : pages.front();
    const std::uint32_t span = pages.empty() ? 1 : pages.back() - first + 1;
    const std::uint32_t bitmapBytes = std::max<std::uint32_t>(64, (span + 7) / 8);
    Bytes map;
    if (bitmapBytes <= kInlineBitmapLimit) {
        map.assign(5 + bitmapBytes, 0);
        put32(&map[1], first);
        for (std::uint32_t p : pages)
            map[5 + (p - first) / 8] |= static_cast<std::uint8_t>(1u << ((p - first) % 8));
    } else {
        const std::uint32_t perPage = (layout_.pageSize - 4) * 8;
        const std::uint32_t count = pages.back() / perPage + 1;
        map.assign(1 + 4 * count, 0);
        map[0] = 0x01;
        std::size_t i = 0;
        for (std::uint32_t k = 0; k < count; ++k) {
            if (i == pages.size() || pages[i] >= (k + 1) * perPage) continue;
            Bytes bitmap(layout_.pageSize, 0);
            bitmap[0] = 0x05;
            bitmap[1] = 0x01;
            for (; i < pages.size() && pages[i] < (k + 1) * perPage; ++i) {
                const std::uint32_t bit = pages[i] - k * perPage;
                bitmap[4 + bit / 8] |= static_cast<std::uint8_t>(1u << (bit % 8));
            }
            const std::uint32_t at = file_.allocate();
            file_.write(at, bitmap);
            put32(&map[1 + 4 * k], at);
        }
    }
    const std::uint32_t usage = place(map);
    return {usage, place(freeMap)};
}

} // namespace tabulant::accesswriter
