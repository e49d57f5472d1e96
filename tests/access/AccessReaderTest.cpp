// Values read back from files written by our own writer: every column type with its ADO code,
// null against empty, long values in every placement, text outside the BMP, Jet 3 code pages,
// deleted and moved rows, row counts across many pages.
#include "AccessFixtures.h"
#include "platform/Error.h"

#include <QTest>

using namespace tabulant;
using namespace tabulant::accesswriter;
using platform::Variant;

Q_DECLARE_METATYPE(tabulant::platform::Variant)
Q_DECLARE_METATYPE(tabulant::accesswriter::Column)
Q_DECLARE_METATYPE(tabulant::accesswriter::Format)

namespace {

Column with(Column c, void (*change)(Column&)) {
    change(c);
    return c;
}

std::string nonBmp() {
    return "a\xF0\x9F\x98\x80"
           "b\xF0\x90\x8D\x88";
} // a😀b𐍈

} // namespace

class AccessReaderTest : public QObject {
    Q_OBJECT

private slots:
    void value_data();
    void value();
    void nullAndEmptyTextDiffer();
    void deletedRowsAreSkippedAndMovedRowsFollowed();
    void countsAndReadsRowsAcrossManyPages();
    void definitionOverSeveralPages_data();
    void definitionOverSeveralPages();
};

void AccessReaderTest::value_data() {
    QTest::addColumn<Format>("format");
    QTest::addColumn<Column>("column");
    QTest::addColumn<Variant>("stored");
    QTest::addColumn<int>("code");
    QTest::addColumn<Variant>("expected");
    QTest::addColumn<int>("codePage");

    const Format jet4 = Format::Jet4, ace = Format::Ace2010, jet3 = Format::Jet3;
    auto add = [](const char* name, Format f, Column c, Variant in, int code, Variant out,
                  int codePage = 1252) {
        QTest::newRow(name) << f << c << in << code << out << codePage;
    };
    add("yes", jet4, Column::of("c", ColumnType::Boolean), Variant::boolean(true), 11,
        Variant::boolean(true));
    add("no", jet4, Column::of("c", ColumnType::Boolean), Variant::boolean(false), 11,
        Variant::boolean(false));
    add("byte", jet4, Column::of("c", ColumnType::Byte), Variant::integer(200), 17,
        Variant::integer(200));
    add("integer", jet4, Column::of("c", ColumnType::Integer), Variant::integer(-32768), 2,
        Variant::integer(-32768));
    add("long", jet3, Column::of("c", ColumnType::Long), Variant::integer(-2147483647 - 1), 3,
        Variant::integer(-2147483647 - 1));
    add("currency", jet4, Column::of("c", ColumnType::Currency), Variant::currency(-15001), 6,
        Variant::currency(-15001));
    add("single", jet4, Column::of("c", ColumnType::Single), Variant::single(0.1f), 4,
        Variant::single(0.1f));
    add("double", jet3, Column::of("c", ColumnType::Double), Variant::real(1e20), 5,
        Variant::real(1e20));
    const double old = oleDate(1765, 4, 24, 5, 45, 36);
    add("date before 1900", jet4, Column::of("c", ColumnType::DateTime), Variant::date(old), 7,
        Variant::date(old));
    const double last = oleDate(9999, 12, 31, 23, 59, 59);
    add("last date", ace, Column::of("c", ColumnType::DateTime), Variant::date(last), 7,
        Variant::date(last));
    const std::string bytes("\x00\xFF\x00\x10", 4);
    add("binary with zeros", jet4, Column::of("c", ColumnType::Binary, 10), Variant::binary(bytes),
        204, Variant::binary(bytes));
    add("fixed binary", ace,
        with(Column::of("c", ColumnType::Binary, 4), [](Column& c) { c.fixedLength = true; }),
        Variant::binary(bytes), 128, Variant::binary(bytes));
    add("text", jet4, Column::of("c", ColumnType::Text, 50), Variant::text("O'Brien"), 202,
        Variant::text("O'Brien"));
    add("fixed text", jet4,
        with(Column::of("c", ColumnType::Text, 3), [](Column& c) { c.fixedLength = true; }),
        Variant::text("abc"), 130, Variant::text("abc"));
    add("compressed text outside the BMP", ace, Column::of("c", ColumnType::Text, 20),
        Variant::text(nonBmp()), 202, Variant::text(nonBmp()));
    add("uncompressed text", jet4,
        with(Column::of("c", ColumnType::Text, 20), [](Column& c) { c.compressedText = false; }),
        Variant::text("\xD0\x9C\xD0\xB8\xD1\x80 " + nonBmp()), 202,
        Variant::text("\xD0\x9C\xD0\xB8\xD1\x80 " + nonBmp()));
    add("jet 3 text", jet3, Column::of("c", ColumnType::Text, 20), Variant::text("Ums\xC3\xA4tze"),
        202, Variant::text("Ums\xC3\xA4tze"));
    add("jet 3 byte undefined in the code page", jet3, Column::of("c", ColumnType::Text, 20),
        Variant::binary("a\x81"
                        "b"),
        202,
        Variant::text("a\xC2\x81"
                      "b"));
    add("jet 3 cyrillic code page", jet3, Column::of("c", ColumnType::Text, 20),
        Variant::binary("\xCC\xE8\xF0"), 202, Variant::text("\xD0\x9C\xD0\xB8\xD1\x80"), 1251);
    // A header without a code page, or with one unknown, reads as Western (1252), where 0xE3 is
    // "ã" (in Central European 1250 it would be "ă").
    add("jet 3 without a code page", jet3, Column::of("c", ColumnType::Text, 20),
        Variant::binary("S\xE3o"), 202, Variant::text("S\xC3\xA3o"), 0);
    add("jet 3 unknown code page", jet3, Column::of("c", ColumnType::Text, 20),
        Variant::binary("S\xE3o"), 202, Variant::text("S\xC3\xA3o"), 9999);
    const std::string memo(10000, 'm');
    for (auto [name, storage] : {std::pair{"inline memo", LongValueStorage::Inline},
                                 std::pair{"one-page memo", LongValueStorage::SinglePage},
                                 std::pair{"chained memo", LongValueStorage::Chained}}) {
        Column c = Column::of("c", ColumnType::Memo);
        c.storage = storage;
        const std::string text = storage == LongValueStorage::Inline       ? "short memo\r\nline"
                                 : storage == LongValueStorage::SinglePage ? std::string(1500, 'p')
                                                                           : memo + nonBmp();
        add(name, jet4, c, Variant::text(text), 203, Variant::text(text));
    }
    add("jet 3 chained memo", jet3,
        with(Column::of("c", ColumnType::Memo),
             [](Column& c) { c.storage = LongValueStorage::Chained; }),
        Variant::text(memo), 203, Variant::text(memo));
    add("hyperlink", jet4,
        with(Column::of("c", ColumnType::Memo), [](Column& c) { c.hyperlink = true; }),
        Variant::text("Home#http://example.com#"), 203, Variant::text("Home#http://example.com#"));
    const std::string ole(5000, '\x01');
    add("ole", jet4, Column::of("c", ColumnType::Ole), Variant::binary(ole), 205,
        Variant::binary(ole));
    add("guid", jet4, Column::of("c", ColumnType::Guid),
        Variant::text("{6f9619ff-8b86-d011-b42d-00c04fc964ff}"), 72,
        Variant::text("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"));
    add("decimal", jet4, Column::decimal("c", 18, 4), Variant::decimal("-12.5"), 131,
        Variant::decimal("-12.5"));
    add("decimal zero", ace, Column::decimal("c", 10, 2), Variant::decimal("0"), 131,
        Variant::decimal("0"));
    add("decimal wide", ace, Column::decimal("c", 28, 3),
        Variant::decimal("1234567890123456789012345.678"), 131,
        Variant::decimal("1234567890123456789012345.678"));
    add("large number", ace, Column::of("c", ColumnType::LargeNumber),
        Variant::integer(-9000000000000000000LL), 20, Variant::integer(-9000000000000000000LL));
    add("date/time extended", ace, Column::of("c", ColumnType::DateTimeExtended),
        Variant::text("0100-06-14 22:45:12.3456789"), 202,
        Variant::text("0100-06-14 22:45:12.3456789"));
    add("calculated long", ace,
        with(Column::of("c", ColumnType::Long), [](Column& c) { c.calculated = true; }),
        Variant::integer(12), 3, Variant::integer(12));
    add("calculated text", ace,
        with(Column::of("c", ColumnType::Text, 40), [](Column& c) { c.calculated = true; }),
        Variant::text("Wayne, Bruce"), 202, Variant::text("Wayne, Bruce"));
    add("calculated empty text", ace,
        with(Column::of("c", ColumnType::Text, 40), [](Column& c) { c.calculated = true; }),
        Variant::text(""), 202, Variant::text(""));
}

void AccessReaderTest::value() {
    QFETCH(Format, format);
    QFETCH(Column, column);
    QFETCH(Variant, stored);
    QFETCH(int, code);
    QFETCH(Variant, expected);
    QFETCH(int, codePage);
    AccessFixtureDir dir;
    const std::string path = dir.Path("values.mdb");
    WriterOptions options;
    options.format = format;
    options.codePage = static_cast<std::uint16_t>(codePage);
    writeDatabase(path,
                  {{"T",
                    {Column::of("id", ColumnType::Long), column},
                    {{Variant::integer(1), stored}, {Variant::integer(2), Variant::null()}}}},
                  options);

    OpenedTable t = OpenTable(path, "T");
    QCOMPARE(t.rows.RecordCount(), 2);
    const platform::FieldList f = t.rows.Fields();
    QCOMPARE(f.Count(), 2);
    QCOMPARE(f.Item(1).name, std::string("c"));
    QCOMPARE(int(f.Item(1).type), code);
    QVERIFY(f.Item(1).value == expected);
    t.rows.MoveNext();
    // A Yes/No value is never null: the null bit is the value.
    QVERIFY(f.Item(1).value ==
            (column.type == ColumnType::Boolean ? Variant::boolean(false) : Variant::null()));
    t.rows.MoveNext();
    QVERIFY(t.rows.Eof());
}

void AccessReaderTest::nullAndEmptyTextDiffer() {
    AccessFixtureDir dir;
    const std::string path = dir.Path("empty.accdb");
    WriterOptions options;
    options.format = Format::Ace2007;
    writeDatabase(path,
                  {{"T",
                    {Column::of("t", ColumnType::Text, 10), Column::of("m", ColumnType::Memo)},
                    {{Variant::text(""), Variant::text("")}, {Variant::null(), Variant::null()}}}},
                  options);
    OpenedTable t = OpenTable(path, "T");
    const platform::FieldList f = t.rows.Fields();
    QVERIFY(f.Item("t").value == Variant::text(""));
    QVERIFY(f.Item("m").value == Variant::text(""));
    t.rows.MoveNext();
    QVERIFY(f.Item("t").value.isNull());
    QVERIFY(f.Item("m").value.isNull());
}

void AccessReaderTest::deletedRowsAreSkippedAndMovedRowsFollowed() {
    AccessFixtureDir dir;
    const std::string path = dir.Path("moved.mdb");
    {
        AccessWriter w(path);
        TableWriter& t = w.addTable(
            "T", {Column::of("n", ColumnType::Long), Column::of("s", ColumnType::Text, 20)});
        t.addRow({Variant::integer(1), Variant::text("kept")});
        t.addRow({Variant::integer(2), Variant::text("deleted")}, RowKind::Deleted);
        t.addRow({Variant::integer(3), Variant::text("moved")}, RowKind::Moved);
        t.addRow({Variant::integer(4), Variant::text("last")});
        w.finish();
    }
    OpenedTable t = OpenTable(path, "T");
    QCOMPARE(t.rows.RecordCount(), 3);
    std::vector<std::int64_t> seen;
    for (; !t.rows.Eof(); t.rows.MoveNext())
        seen.push_back(t.rows.Fields().Item(0).value.asInteger());
    std::sort(seen.begin(), seen.end());
    QCOMPARE(seen, (std::vector<std::int64_t>{1, 3, 4}));
}

void AccessReaderTest::countsAndReadsRowsAcrossManyPages() {
    AccessFixtureDir dir;
    const std::string path = dir.Path("many.mdb");
    const int rows = 5000;
    {
        AccessWriter w(path);
        TableWriter& t = w.addTable(
            "Big", {Column::of("n", ColumnType::Long), Column::of("s", ColumnType::Text, 50)});
        for (int i = 0; i < rows; ++i)
            t.addRow({Variant::integer(i), Variant::text("row " + std::to_string(i))});
        w.finish();
    }
    OpenedTable t = OpenTable(path, "Big");
    QCOMPARE(t.rows.RecordCount(), rows);
    int i = 0;
    for (; !t.rows.Eof(); t.rows.MoveNext(), ++i) {
        if (t.rows.Fields().Item(0).value.asInteger() != i ||
            t.rows.Fields().Item(1).value.payload() != "row " + std::to_string(i))
            QFAIL(qPrintable(QString("row %1 differs").arg(i)));
    }
    QCOMPARE(i, rows);
}

void AccessReaderTest::definitionOverSeveralPages_data() {
    QTest::addColumn<Format>("format");
    QTest::newRow("jet 3") << Format::Jet3;
    QTest::newRow("jet 4") << Format::Jet4;
    QTest::newRow("ace") << Format::Ace2016;
}

// 200 columns take 3,600 to 5,000 bytes of descriptors and as much again of names: the definition
// continues on further pages, each with its own 8-byte page header.
void AccessReaderTest::definitionOverSeveralPages() {
    QFETCH(Format, format);
    AccessFixtureDir dir;
    const std::string path = dir.Path("wide.mdb");
    auto name = [](int i) { return "Column number " + std::to_string(1000 + i); };
    std::vector<Column> columns;
    Row row;
    for (int i = 0; i < 200; ++i) {
        columns.push_back(Column::of(name(i), i % 2 ? ColumnType::Long : ColumnType::Text, 10));
        row.push_back(i % 2 ? Variant::integer(-i) : Variant::text("t" + std::to_string(i)));
    }
    WriterOptions options;
    options.format = format;
    writeDatabase(path, {{"Wide", columns, {row}}}, options);
    OpenedTable t = OpenTable(path, "Wide");
    const platform::FieldList f = t.rows.Fields();
    QCOMPARE(f.Count(), 200);
    for (int i = 0; i < 200; ++i) {
        QCOMPARE(f.Item(i).name, name(i));
        QVERIFY2(f.Item(i).value == row[static_cast<std::size_t>(i)], name(i).c_str());
    }
}

QTEST_GUILESS_MAIN(AccessReaderTest)
#include "AccessReaderTest.moc"
