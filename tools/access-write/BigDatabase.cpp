#include "BigDatabase.h"

#include <string>

namespace tabulant::accesswriter {

std::vector<Column> bigColumns() {
    return {
        Column::of("ID", ColumnType::Long),        Column::of("Amount", ColumnType::Double),
        Column::of("Price", ColumnType::Currency), Column::of("Created", ColumnType::DateTime),
        Column::of("Name", ColumnType::Text, 50),  Column::of("Notes", ColumnType::Memo),
        Column::of("Active", ColumnType::Boolean), Column::decimal("Ratio", 12, 4),
        Column::of("Level", ColumnType::Byte),     Column::of("Remark", ColumnType::Text, 100),
    };
}

void bigRow(std::uint64_t i, Row& row) {
    static const char* const names[] = {"Alpha", "Bravo",   "Charlie", "Delta",
                                        "Echo",  "Foxtrot", "Golf",    "Hotel"};
    row.resize(10);
    const auto n = static_cast<std::int64_t>(i);
    row[0].setInteger(n + 1);
    row[1].setDouble(static_cast<double>(n % 100000) * 1.25 - 300.5);
    row[2].setCurrency((n * 7919) % 100000000);
    row[3].setDate(36526.0 + static_cast<double>(n % 9000) +
                   static_cast<double>(n % 86400) / 86400.0);
    std::string& name = row[4].resetPayload(platform::Variant::Kind::Text);
    name.append(names[i % 8]).append(" ").append(std::to_string(i));
    if (i % 10 == 3) {
        row[5].setNull();
    } else {
        std::string& notes = row[5].resetPayload(platform::Variant::Kind::Text);
        notes.append("Note for row ").append(std::to_string(i));
        // Every thousandth note is long enough to leave the row for a long-value page.
        if (i % 1000 == 7) notes.append(std::string(3000, 'n'));
    }
    row[6].setBoolean(i % 3 == 0);
    std::string& ratio = row[7].resetPayload(platform::Variant::Kind::Decimal);
    if (i % 2 == 1) ratio.push_back('-');
    ratio.append(std::to_string(i % 1000))
        .append(".")
        .append(std::to_string(10000 + i % 10000).substr(1));
    row[8].setInteger(n % 256);
    std::string& remark = row[9].resetPayload(platform::Variant::Kind::Text);
    remark.append("He said \"").append(std::to_string(i % 97)).append("\"\r\nand left");
}

void writeBigDatabase(const std::filesystem::path& path, std::uint64_t rows, int tables,
                      Format format) {
    WriterOptions options;
    options.format = format;
    AccessWriter writer(path, options);
    Row row;
    for (int t = 1; t <= tables; ++t) {
        TableWriter& table = writer.addTable("Big " + std::to_string(t), bigColumns());
        for (std::uint64_t i = 0; i < rows; ++i) {
            bigRow(i, row);
            table.addRow(row);
        }
    }
    writer.finish();
}

namespace {

std::string le32(std::uint64_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

} // namespace

void writeAttachmentDatabase(const std::filesystem::path& path, std::uint64_t files,
                             std::uint64_t size) {
    WriterOptions options;
    options.format = Format::Ace2010;
    AccessWriter writer(path, options);
    TableOptions keyed;
    keyed.indexes = {Index::primary("PrimaryKey", {{"ID"}})};
    TableWriter& table = writer.addTable(
        "Files", {Column::of("ID", ColumnType::Long), Column::of("Docs", ColumnType::Complex)},
        keyed);
    ComplexColumn docs{"Files", "Docs", ComplexKind::Attachment, {}, {}, {}};
    for (std::uint64_t i = 1; i <= files; ++i) {
        const auto id = static_cast<std::int32_t>(i);
        table.addRow({platform::Variant::integer(id), platform::Variant::integer(id)});
        // Access's unpacked form: packing 0, the block's length, then the block: its header
        // (length, 1, the extension's length with its end, "bin" in UTF-16) and the bytes.
        std::string block = le32(20) + le32(1) + le32(4) + std::string("b\0i\0n\0\0\0", 8);
        for (std::uint64_t b = 0; b < size; ++b) block.push_back(char((b * 31 + i) % 251));
        std::string stored = le32(0) + le32(block.size()) + block;
        docs.values.push_back({id,
                               {platform::Variant::null(),
                                platform::Variant::text("file" + std::to_string(i) + ".bin"),
                                platform::Variant::text("bin"), platform::Variant::binary(stored),
                                platform::Variant::date(45292.5), platform::Variant::null()}});
    }
    writer.addComplexColumn(std::move(docs));
    writer.finish();
}

} // namespace tabulant::accesswriter
