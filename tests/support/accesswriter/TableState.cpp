#include "TableState.h"

#include <algorithm>

namespace tabulant::accesswriter {

namespace {
// Auto storage keeps long values up to this size in the row itself.
constexpr std::size_t kInlineLimit = 256;
constexpr std::uint32_t kInlineFlag = 0x80000000u;
constexpr std::uint32_t kSinglePageFlag = 0x40000000u;
} // namespace

TableWriter::State::State(std::string tableName, std::vector<Column> defs,
                          TableOptions tableOptions, std::uint32_t definitionPage, PageFile& file,
                          LongValueStore& longValues, const FormatLayout& layout,
                          std::uint16_t codePage)
    : name(std::move(tableName)), options(tableOptions), tdefPage(definitionPage), file_(file),
      longValues_(longValues), layout_(layout), codePage_(codePage), page_(layout, definitionPage),
      movedPage_(layout, definitionPage) {
    if (defs.empty()) throw AccessWriterError("table \"" + name + "\" has no columns");
    if (defs.size() > 255)
        throw AccessWriterError("table \"" + name + "\" has more than 255 columns");
    std::uint16_t number = 0;
    for (Column& d : defs) {
        ColumnLayout c;
        c.def = std::move(d);
        c.number = number++;
        describeColumn(c, layout_);
        if (c.def.addedAfterRows && c.def.deletedAfterRows)
            throw AccessWriterError("column \"" + c.def.name + "\": added or deleted, not both");
        if (rowColumnCount != c.number && !c.def.addedAfterRows)
            throw AccessWriterError("column \"" + c.def.name + "\" comes after an added one");
        if (c.fixed) {
            c.fixedOffset = fixedAreaSize;
            fixedAreaSize = static_cast<std::uint16_t>(fixedAreaSize + c.length);
        } else if (!c.inNullMask) {
            c.varIndex = varCount++;
        }
        if (!c.def.addedAfterRows) {
            rowColumnCount = number;
            rowVarCount = varCount;
            rowFixedAreaSize = fixedAreaSize;
        }
        columns.push_back(std::move(c));
    }
}

void TableWriter::State::addRow(std::span<const platform::Variant> values, RowKind kind) {
    if (values.size() != columns.size())
        throw AccessWriterError("table \"" + name + "\": row has " + std::to_string(values.size()) +
                                " values for " + std::to_string(columns.size()) + " columns");
    encodeRow(values, true);
    // Small long values are kept in the row only while the row still fits a page.
    if (row_.size() > layout_.maxRowLength()) encodeRow(values, false);
    if (row_.size() > layout_.maxRowLength())
        throw AccessWriterError("table \"" + name + "\": row of " + std::to_string(row_.size()) +
                                " bytes does not fit a page");
    if (kind != RowKind::Deleted)
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i].def.autoNumber && columns[i].def.type == ColumnType::Long &&
                values[i].kind() == platform::Variant::Kind::Integer)
                highestAutoNumber = std::max(highestAutoNumber, values[i].asInteger());
    switch (kind) {
    case RowKind::Normal:
        place(page_, pageNo_, open_, row_, 0);
        ++rows;
        break;
    case RowKind::Deleted:
        place(page_, pageNo_, open_, row_, DataPage::kDeleted);
        break;
    case RowKind::Moved: {
        const std::uint32_t target =
            place(movedPage_, movedPageNo_, movedOpen_, row_, DataPage::kDeleted);
        // The stub: row number, then the page in three bytes.
        Bytes stub(4);
        stub[0] = static_cast<std::uint8_t>(target & 0xFF);
        stub[1] = static_cast<std::uint8_t>(target >> 8);
        stub[2] = static_cast<std::uint8_t>(target >> 16);
        stub[3] = static_cast<std::uint8_t>(target >> 24);
        place(page_, pageNo_, open_, stub, DataPage::kOverflow);
        ++rows;
        break;
    }
    }
}

std::uint32_t TableWriter::State::place(DataPage& page, std::uint32_t& pageNo, bool& open,
                                        const Bytes& row, std::uint16_t flags) {
    if (open && !page.fits(row.size())) {
        file_.write(pageNo, page.finish());
        page.reset();
        open = false;
    }
    if (!open) {
        pageNo = file_.allocate();
        pages.push_back(pageNo);
        open = true;
    }
    return pageRow(pageNo, page.add(row, flags));
}

void TableWriter::State::flush() {
    if (open_) {
        file_.write(pageNo_, page_.finish());
        page_.reset();
        open_ = false;
    }
    if (movedOpen_) {
        file_.write(movedPageNo_, movedPage_.finish());
        movedPage_.reset();
        movedOpen_ = false;
    }
    std::sort(pages.begin(), pages.end());
}

void TableWriter::State::encodeRow(std::span<const platform::Variant> values, bool inlineAllowed) {
    if (inlineAllowed) stored_.assign(columns.size(), std::nullopt);
    const std::size_t countSize = layout_.columnCountSize();
    row_.assign(countSize + rowFixedAreaSize, 0);
    row_[0] = static_cast<std::uint8_t>(rowColumnCount);
    if (countSize == 2) row_[1] = static_cast<std::uint8_t>(rowColumnCount >> 8);
    const std::size_t maskSize = (rowColumnCount + 7) / 8;
    Bytes mask(maskSize, 0);
    offsets_.assign(rowVarCount, 0);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const ColumnLayout& c = columns[i];
        const platform::Variant& v = values[i];
        if (c.def.addedAfterRows) {
            if (!v.isNull())
                throw AccessWriterError("column \"" + c.def.name + "\" was added after the rows");
            continue;
        }
        if (!c.fixed && !c.inNullMask)
            offsets_[c.varIndex] = static_cast<std::uint16_t>(row_.size());
        if (v.isNull()) continue;
        if (c.inNullMask) {
            const Bytes b = encodeValue(c, v, layout_, codePage_);
            if (b[0] != 0) mask[c.number / 8] |= static_cast<std::uint8_t>(1u << (c.number % 8));
            continue;
        }
        mask[c.number / 8] |= static_cast<std::uint8_t>(1u << (c.number % 8));
        Bytes b = encodeValue(c, v, layout_, codePage_);
        if (c.def.calculated) b = wrapCalculated(b);
        if (c.fixed) {
            std::copy(b.begin(), b.end(),
                      row_.begin() + static_cast<std::ptrdiff_t>(countSize + c.fixedOffset));
        } else if (c.longValue) {
            appendLongValue(c, b, inlineAllowed);
        } else {
            row_.insert(row_.end(), b.begin(), b.end());
        }
    }
    appendTrailer(offsets_);
    row_.insert(row_.end(), mask.begin(), mask.end());
}

void TableWriter::State::appendLongValue(const ColumnLayout& c, const Bytes& value,
                                         bool inlineAllowed) {
    LongValueStorage how = c.def.storage;
    if (how == LongValueStorage::Auto) {
        how = value.size() <= kInlineLimit && inlineAllowed   ? LongValueStorage::Inline
              : value.size() <= longValues_.singlePageLimit() ? LongValueStorage::SinglePage
                                                              : LongValueStorage::Chained;
    }
    const auto length = static_cast<std::uint32_t>(value.size());
    if (length >= 0x40000000u)
        throw AccessWriterError("column \"" + c.def.name + "\": long value too large");
    std::uint8_t header[12] = {};
    switch (how) {
    case LongValueStorage::Inline:
        put32(header, length | kInlineFlag);
        row_.insert(row_.end(), header, header + 12);
        row_.insert(row_.end(), value.begin(), value.end());
        return;
    case LongValueStorage::SinglePage:
        put32(header, length | kSinglePageFlag);
        break;
    default:
        put32(header, length);
        break;
    }
    // A value already stored by the first try at this row keeps its place.
    std::optional<std::uint32_t>& pointer = stored_[c.number];
    if (!pointer) {
        pointer = how == LongValueStorage::SinglePage
                      ? longValues_.storeSingle(value)
                      : longValues_.storeChain(value, c.def.storage == LongValueStorage::Chained);
    }
    put32(header + 4, *pointer);
    row_.insert(row_.end(), header, header + 12);
}

void TableWriter::State::appendTrailer(const std::vector<std::uint16_t>& offsets) {
    if (varCount == 0) return;
    const std::size_t eod = row_.size();
    const std::size_t n = offsets.size();
    if (!layout_.jet3) {
        append16(row_, static_cast<std::uint32_t>(eod));
        for (std::size_t i = n; i-- > 0;) append16(row_, offsets[i]);
        append16(row_, static_cast<std::uint32_t>(n));
        return;
    }
    // Jet 3 keeps only the low byte of each offset; a jump table names, for every further 256
    // bytes of row, the first entry that lies beyond that boundary.
    const std::size_t maskSize = (rowColumnCount + 7) / 8;
    std::size_t jumps = 0;
    for (;;) {
        const std::size_t total = eod + 1 + n + jumps + 1 + maskSize;
        const std::size_t want = (total - 1) / 256;
        if (want == jumps) break;
        jumps = want;
    }
    std::vector<std::size_t> all(offsets.begin(), offsets.end());
    all.push_back(eod);
    append8(row_, static_cast<std::uint32_t>(eod & 0xFF));
    for (std::size_t i = n; i-- > 0;) append8(row_, offsets[i] & 0xFFu);
    for (std::size_t j = jumps; j-- > 0;) {
        std::uint32_t first = 0xFF;
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (all[i] >= 256 * (j + 1)) {
                first = static_cast<std::uint32_t>(i);
                break;
            }
        }
        append8(row_, first);
    }
    append8(row_, static_cast<std::uint32_t>(n));
}

} // namespace tabulant::accesswriter
