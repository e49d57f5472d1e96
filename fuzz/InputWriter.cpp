// Writes the starting inputs of the fuzzer with our own Access writer: every column type, long
// values in all three placements, deleted and moved rows, indexes, column properties and
// relationships, each file format, a page-encoded file.
#include "AccessWriter.h"

#include <string>

using namespace tabulant;
using namespace tabulant::accesswriter;
using platform::Variant;

namespace {

std::vector<Column> allColumns() {
    std::vector<Column> c = {
        Column::of("Flag", ColumnType::Boolean),
        Column::of("B", ColumnType::Byte),
        Column::of("I", ColumnType::Integer),
        Column::of("L", ColumnType::Long),
        Column::of("Money", ColumnType::Currency),
        Column::of("S", ColumnType::Single),
        Column::of("D", ColumnType::Double),
        Column::of("When", ColumnType::DateTime),
        Column::of("Bin", ColumnType::Binary, 8),
        Column::of("T", ColumnType::Text, 50),
        Column::of("M", ColumnType::Memo),
        Column::of("G", ColumnType::Guid),
        Column::decimal("Dec", 18, 4),
    };
    Column chained = Column::of("Long", ColumnType::Memo);
    chained.storage = LongValueStorage::Chained;
    c.push_back(chained);
    Column page = Column::of("Ole", ColumnType::Ole);
    page.storage = LongValueStorage::SinglePage;
    c.push_back(page);
    return c;
}

Row row(int i) {
    return {Variant::boolean(i % 2 == 0),
            Variant::integer(i % 256),
            Variant::integer(-i),
            Variant::integer(i * 100000),
            Variant::currency(i * 12345),
            Variant::single(1.5f * i),
            Variant::real(i / 3.0),
            Variant::date(40000.25 + i),
            Variant::binary("\x01\x00\x02"),
            i % 3 == 0 ? Variant::null() : Variant::text("t\xC3\xA4xt " + std::to_string(i)),
            Variant::text("memo " + std::to_string(i)),
            Variant::text("{12345678-1234-5678-9ABC-DEF012345678}"),
            Variant::decimal("-12.5"),
            Variant::text(std::string(5000, 'x')),
            Variant::binary(std::string(300, '\x07'))};
}

void write(const std::string& path, WriterOptions options, bool ace) {
    AccessWriter w(path, options);
    std::vector<Column> columns = allColumns();
    if (ace) {
        columns.push_back(Column::of("Big", ColumnType::LargeNumber));
        columns.push_back(Column::of("Ext", ColumnType::DateTimeExtended));
    }
    columns[1].required = true;
    TableOptions things;
    things.indexes = {Index::primary("PrimaryKey", {{"L"}}),
                      {"T", {{"T", false}, {"I"}}, false, false, true}};
    TableWriter& t = w.addTable("Things", columns, things);
    for (int i = 0; i < 6; ++i) {
        Row r = row(i);
        if (ace) {
            r.push_back(Variant::integer(-9000000000LL * i));
            r.push_back(Variant::text("2021-06-14 12:45:00.1234567"));
        }
        t.addRow(r, i == 2 ? RowKind::Deleted : i == 4 ? RowKind::Moved : RowKind::Normal);
    }
    TableOptions keyed;
    keyed.indexes = {Index::primary("PrimaryKey", {{"N"}})};
    TableWriter& small = w.addTable("Small table", {Column::of("N", ColumnType::Long)}, keyed);
    small.addRow({Variant::integer(7)});
    Relationship enforced{"Small tableThings", "Things", "Small table", {{"I", "N"}}};
    enforced.cascadeUpdates = true;
    w.addRelationship(enforced);
    Relationship loose{"ThingsSmall table", "Small table", "Things", {{"N", "L"}}};
    loose.enforced = false;
    w.addRelationship(loose);
    w.addCatalogEntry({"Linked", ObjectType::LinkedTable, 0, 0, "Other", "C:\\x.mdb", "", {}});
    w.finish();
}

} // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    WriterOptions jet3;
    jet3.format = Format::Jet3;
    write(dir + "/jet3.mdb", jet3, false);
    write(dir + "/jet4.mdb", {}, false);
    WriterOptions encoded;
    encoded.pageEncodingKey = 0x12345678;
    write(dir + "/encoded.mdb", encoded, false);
    WriterOptions ace;
    ace.format = Format::Ace2010;
    write(dir + "/ace.accdb", ace, true);
    return 0;
}
