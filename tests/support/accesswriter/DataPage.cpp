#include "DataPage.h"

#include <algorithm>

namespace tabulant::accesswriter {

DataPage::DataPage(const FormatLayout& layout, std::uint32_t owner)
    : layout_(layout), owner_(owner), page_(layout.pageSize, 0), top_(layout.pageSize) {}

std::uint32_t DataPage::room() const {
    const std::uint32_t used = layout_.rowOffsetsStart() + 2 * (rows_ + 1);
    return top_ > used ? top_ - used : 0;
}

std::uint32_t DataPage::add(const std::uint8_t* data, std::size_t length, std::uint16_t flags) {
    top_ -= static_cast<std::uint32_t>(length);
    std::copy_n(data, length, page_.begin() + top_);
    put16(&page_[layout_.rowOffsetsStart() + 2 * rows_], top_ | flags);
    return rows_++;
}

Bytes& DataPage::finish() {
    page_[0] = 0x01;
    page_[1] = 0x01;
    const std::uint32_t used = layout_.rowOffsetsStart() + 2 * rows_;
    put16(&page_[2], top_ - used);
    put32(&page_[4], owner_);
    put16(&page_[layout_.rowCountOffset], rows_);
    return page_;
}

void DataPage::reset() {
    std::fill(page_.begin(), page_.end(), 0);
    page_.resize(layout_.pageSize, 0);
    rows_ = 0;
    top_ = layout_.pageSize;
}

} // namespace tabulant::accesswriter
