#include "LongValueStore.h"

#include <algorithm>

namespace tabulant::accesswriter {

namespace {
// A chain piece smaller than this starts a fresh page instead of filling the current one.
constexpr std::uint32_t kMinPiece = 64;
} // namespace

LongValueStore::LongValueStore(PageFile& file, const FormatLayout& layout)
    : file_(file), layout_(layout), page_(layout, DataPage::kLongValueOwner) {}

void LongValueStore::startPage() {
    flush();
    pageNo_ = file_.allocate();
    open_ = true;
}

void LongValueStore::flush() {
    if (!open_) return;
    file_.write(pageNo_, page_.finish());
    page_.reset();
    open_ = false;
}

std::uint32_t LongValueStore::place(const std::uint8_t* data, std::size_t n) {
    if (!open_ || !page_.fits(n)) startPage();
    const std::uint32_t row = page_.add(data, n);
    return pageRow(pageNo_, row);
}

std::uint32_t LongValueStore::storeSingle(const Bytes& value) {
    if (value.size() > singlePageLimit())
        throw AccessWriterError("long value too large for one page");
    return place(value.data(), value.size());
}

std::uint32_t LongValueStore::storeChain(const Bytes& value, bool atLeastTwo) {
    // Pieces are written last first, so that each one knows where its successor went.
    std::size_t end = value.size();
    std::uint32_t next = 0;
    std::size_t cap = singlePageLimit() - 4;
    if (atLeastTwo && value.size() >= 2) cap = std::min(cap, (value.size() + 1) / 2);
    Bytes piece;
    do {
        if (!open_ || !page_.fits(4 + std::min<std::size_t>(end, kMinPiece))) startPage();
        const std::size_t take = std::min({end, cap, static_cast<std::size_t>(page_.room() - 4)});
        piece.assign(4, 0);
        put32(piece.data(), next);
        piece.insert(piece.end(), value.begin() + static_cast<std::ptrdiff_t>(end - take),
                     value.begin() + static_cast<std::ptrdiff_t>(end));
        next = pageRow(pageNo_, page_.add(piece));
        end -= take;
    } while (end > 0);
    return next;
}

} // namespace tabulant::accesswriter
