// Where the values of a stored row lie, on files written by our own writer: rows of every length
// across the 256-byte steps of Jet 3's one-byte offsets, rows written before columns were
// deleted or added, and rows whose own tables are damaged.
#include "AccessFixtures.h"
#include "platform/Error.h"

#include <QTest>

#include <fstream>
#include <iterator>

using namespace tabulant;
using namespace tabulant::accesswriter;
using platform::Variant;

Q_DECLARE_METATYPE(tabulant::accesswriter::Format)

namespace {

Column changed(Column c, bool deleted, bool added) {
    c.deletedAfterRows = deleted;
    c.addedAfterRows = added;
    return c;
}

void addFormats() {
    QTest::addColumn<Format>("format");
    QTest::newRow("jet 3") << Format::Jet3;
    QTest::newRow("jet 4") << Format::Jet4;
    QTest::newRow("ace") << Format::Ace2010;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

class RowLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void rowsOfEveryLength_data() { addFormats(); }
    void rowsOfEveryLength();
    void rowsWrittenBeforeColumnsChanged_data() { addFormats(); }
    void rowsWrittenBeforeColumnsChanged();
    void damagedRowIsAnError_data();
    void damagedRowIsAnError();
};

// Four texts of 0 to 255 characters split rows of 0 to about 1,050 bytes; every offset and the
// end of the data meet each 256-byte step, and some values before and after it are null.
void RowLayoutTest::rowsOfEveryLength() {
    QFETCH(Format, format);
    AccessFixtureDir dir;
    const std::string path = dir.Path("lengths.mdb");
    std::vector<Column> columns{Column::of("n", ColumnType::Long)};
    for (const char* name : {"a", "b", "c", "d"})
        columns.push_back(Column::of(name, ColumnType::Text, 255));
    std::vector<Row> rows;
    for (int total = 0; total <= 1020; ++total) {
        Row row{Variant::integer(total)};
        for (int k = 0; k < 4; ++k) {
            const int length = total / 4 + (k < total % 4 ? 1 : 0);
            const bool null = (total + k) % 7 == 0;
            row.push_back(null ? Variant::null()
                               : Variant::text(std::string(static_cast<std::size_t>(length),
                                                           static_cast<char>('a' + k))));
        }
        rows.push_back(row);
    }
    WriterOptions options;
    options.format = format;
    writeDatabase(path, {{"T", columns, rows}}, options);

    OpenedTable t = OpenTable(path, "T");
    QCOMPARE(t.rows.RecordCount(), static_cast<std::int64_t>(rows.size()));
    std::size_t i = 0;
    for (; !t.rows.Eof(); t.rows.MoveNext(), ++i) {
        const platform::FieldList f = t.rows.Fields();
        for (int c = 0; c < 5; ++c)
            if (!(f.Item(c).value == rows[i][static_cast<std::size_t>(c)]))
                QFAIL(qPrintable(QString("row %1, column %2 differs").arg(i).arg(c)));
    }
    QCOMPARE(i, rows.size());
}

// Deleted columns stay in the rows written before (numbers, null bits, offsets and fixed bytes
// the definition no longer names); columns added later are in none of them and read as null.
void RowLayoutTest::rowsWrittenBeforeColumnsChanged() {
    QFETCH(Format, format);
    AccessFixtureDir dir;
    const std::string path = dir.Path("changed.mdb");
    const std::vector<Column> columns{
        Column::of("a", ColumnType::Long),
        changed(Column::of("x", ColumnType::Text, 10), true, false),
        Column::of("b", ColumnType::Text, 10),
        changed(Column::of("y", ColumnType::Double), true, false),
        Column::of("c", ColumnType::Memo),
        changed(Column::of("z", ColumnType::Boolean), true, false),
        Column::of("d", ColumnType::Boolean),
        Column::of("e", ColumnType::Currency),
        changed(Column::of("f", ColumnType::Text, 10), false, true),
        changed(Column::of("g", ColumnType::Long), false, true),
        changed(Column::of("h", ColumnType::Boolean), false, true),
    };
    const Variant none = Variant::null();
    const std::vector<Row> rows{
        {Variant::integer(1), Variant::text("gone"), Variant::text("kept"), Variant::real(2.5),
         Variant::text("memo"), Variant::boolean(true), Variant::boolean(true),
         Variant::currency(15000), none, none, none},
        {Variant::integer(2), none, Variant::text(""), none, none, Variant::boolean(false),
         Variant::boolean(false), none, none, none, none},
        {none, Variant::text("0123456789"), none, Variant::real(-1), Variant::text("m"),
         Variant::boolean(true), Variant::boolean(true), Variant::currency(-1), none, none, none},
    };
    WriterOptions options;
    options.format = format;
    writeDatabase(path, {{"T", columns, rows}}, options);

    const std::vector<std::vector<Variant>> expected{
        {Variant::integer(1), Variant::text("kept"), Variant::text("memo"), Variant::boolean(true),
         Variant::currency(15000)},
        {Variant::integer(2), Variant::text(""), none, Variant::boolean(false), none},
        {none, none, Variant::text("m"), Variant::boolean(true), Variant::currency(-1)},
    };
    OpenedTable t = OpenTable(path, "T");
    const platform::FieldList f = t.rows.Fields();
    QCOMPARE(f.Count(), 8);
    QCOMPARE(f.Item(5).name, std::string("f"));
    for (const std::vector<Variant>& want : expected) {
        QVERIFY(!t.rows.Eof());
        for (std::size_t c = 0; c < want.size(); ++c)
            QVERIFY2(f.Item(static_cast<int>(c)).value == want[c], f.Item(int(c)).name.c_str());
        QVERIFY(f.Item("f").value.isNull());
        QVERIFY(f.Item("g").value.isNull());
        QVERIFY(f.Item("h").value == Variant::boolean(false));
        t.rows.MoveNext();
    }
    QVERIFY(t.rows.Eof());
}

void RowLayoutTest::damagedRowIsAnError_data() {
    QTest::addColumn<Format>("format");
    QTest::addColumn<QString>("damage");
    for (auto [name, format] : {std::pair{"jet 3", Format::Jet3}, std::pair{"jet 4", Format::Jet4}})
        for (const char* damage : {"column count", "variable count", "offset past the row",
                                   "offsets backwards", "value over the offsets"})
            QTest::newRow(qPrintable(QString("%1, %2").arg(name, damage)))
                << format << QString(damage);
}

// One row of a Long and a Text, the only row of its page, so it ends at the page end:
// Jet 4: count(2) n(4) text eod(2) offset(2) variable count(2) mask(1);
// Jet 3: count(1) n(4) text eod(1) offset(1) variable count(1) mask(1).
void RowLayoutTest::damagedRowIsAnError() {
    QFETCH(Format, format);
    QFETCH(QString, damage);
    const bool jet3 = format == Format::Jet3;
    AccessFixtureDir dir;
    const std::string path = dir.Path("damaged.mdb");
    WriterOptions options;
    options.format = format;
    writeDatabase(path,
                  {{"T",
                    {Column::of("n", ColumnType::Long), Column::of("t", ColumnType::Text, 20)},
                    {{Variant::integer(7), Variant::text("ZQXMARK")}}}},
                  options);
    std::string bytes = readAll(path);
    const std::size_t marker = bytes.find("ZQXMARK");
    QVERIFY(marker != std::string::npos);
    const std::size_t pageSize = jet3 ? 2048 : 4096;
    const std::size_t end = (marker / pageSize + 1) * pageSize;
    const std::size_t entry = jet3 ? 1 : 2;
    const std::size_t count = end - 1 - entry, offset = count - entry, eod = offset - entry;
    const std::size_t start = marker - 4 - entry - (jet3 ? 0 : 2); // Jet 4 text: FF FE first
    auto put = [&](std::size_t at, unsigned value) {
        bytes[at] = static_cast<char>(value & 0xFF);
        if (entry == 2) bytes[at + 1] = static_cast<char>(value >> 8);
    };
    if (damage == "column count")
        put(start, jet3 ? 0xFF : 0x7FFF); // a null mask larger than the row
    else if (damage == "variable count")
        put(count, 200);
    else if (damage == "offset past the row")
        put(eod, 250);
    else if (damage == "offsets backwards")
        put(eod, 1);
    else
        put(eod, static_cast<unsigned>(eod - start + 1)); // the text runs into the offsets
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;

    try {
        OpenedTable t = OpenTable(path, "T");
        for (; !t.rows.Eof(); t.rows.MoveNext()) {}
        QFAIL("a damaged row was read");
    } catch (const platform::Error& e) {
        QCOMPARE(e.description(), std::string("The table 'T' is damaged and cannot be read."));
    }
}

QTEST_GUILESS_MAIN(RowLayoutTest)
#include "RowLayoutTest.moc"
