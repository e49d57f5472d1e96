#pragma once

#include "AccessWriter.h"
#include "DataPage.h"
#include "IndexPlan.h"
#include "LongValueStore.h"
#include "PageFile.h"
#include "ValueEncoder.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tabulant::accesswriter {

// One table being filled: its column layout, the data page being packed, and the pages it owns.
struct TableWriter::State {
    State(std::string tableName, std::vector<Column> columns, TableOptions tableOptions,
          std::uint32_t definitionPage, PageFile& file, LongValueStore& longValues,
          const FormatLayout& layout, std::uint16_t codePage);

    void addRow(std::span<const platform::Variant> values, RowKind kind);
    void flush();

    std::string name;
    TableOptions options;
    std::vector<ColumnLayout> columns;
    std::uint16_t varCount = 0;
    std::uint16_t fixedAreaSize = 0;
    // What each row holds: the columns not added after the rows were written.
    std::uint16_t rowColumnCount = 0;
    std::uint16_t rowVarCount = 0;
    std::uint16_t rowFixedAreaSize = 0;
    std::uint64_t rows = 0;
    std::int64_t highestAutoNumber = 0; // of the rows kept
    IndexPlan indexPlan;                // made when the file is finished
    std::vector<std::uint32_t> pages;   // owned data pages, ascending
    std::uint32_t tdefPage;             // the definition's first page, named by every data page

private:
    void encodeRow(std::span<const platform::Variant> values, bool inlineAllowed);
    void appendLongValue(const ColumnLayout& c, const Bytes& value, bool inlineAllowed);
    void appendTrailer(const std::vector<std::uint16_t>& offsets);
    std::uint32_t place(DataPage& page, std::uint32_t& pageNo, bool& open, const Bytes& row,
                        std::uint16_t flags);

    PageFile& file_;
    LongValueStore& longValues_;
    const FormatLayout& layout_;
    std::uint16_t codePage_;
    DataPage page_;
    std::uint32_t pageNo_ = 0;
    bool open_ = false;
    DataPage movedPage_; // rows whose stub sits on the main page
    std::uint32_t movedPageNo_ = 0;
    bool movedOpen_ = false;
    Bytes row_;
    std::vector<std::uint16_t> offsets_;
    std::vector<std::optional<std::uint32_t>> stored_; // long values of this row already stored
};

} // namespace tabulant::accesswriter
