// What surrounds the values: catalogue rows, deleted and moved rows, many pages, passwords,
// page encoding, raw types libmdb cannot print, and the values the writer refuses.

#include "AccessWriter.h"
#include "FileHeader.h"
#include "LibmdbRows.h"
#include "MdbTools.h"
#include "Rc4.h"

#include <QFile>
#include <QRegularExpression>

#include <QTemporaryDir>
#include <QTest>
#include <cstring>

using namespace tabulant::accesswriter;
using namespace tabulant::accesswriter::testing;
using tabulant::platform::Variant;

Q_DECLARE_METATYPE(tabulant::accesswriter::Format)
Q_DECLARE_METATYPE(tabulant::accesswriter::Column)
Q_DECLARE_METATYPE(tabulant::platform::Variant)

namespace {

QByteArray fileBytes(const std::filesystem::path& file) {
    QFile f(QString::fromStdString(file.string()));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::uint32_t le32(const QByteArray& b, qsizetype at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

std::uint16_t le16(const QByteArray& b, qsizetype at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) |
                                      static_cast<std::uint8_t>(b[at + 1]) << 8);
}

// Row offset entries (with their flag bits) of every data page that names `tdefPage`.
QList<std::uint16_t> rowOffsets(const QByteArray& file, std::uint32_t tdefPage,
                                int pageSize = 4096) {
    QList<std::uint16_t> out;
    const int countAt = pageSize == 4096 ? 12 : 8;
    for (qsizetype at = 0; at + pageSize <= file.size(); at += pageSize) {
        if (file[at] != 0x01 || le32(file, at + 4) != tdefPage) continue;
        for (int r = 0; r < le16(file, at + countAt); ++r)
            out << le16(file, at + countAt + 2 + 2 * r);
    }
    return out;
}

// The definition page of a table, from the catalogue as libmdb exports it.
std::uint32_t definitionPage(const std::filesystem::path& file, const QString& table) {
    const QByteArray out = runTool({"mdb-export", "-H", "-Q", "-d", "|",
                                    QString::fromStdString(file.string()), "MSysObjects"});
    for (const QByteArray& line : out.split('\n')) {
        const QList<QByteArray> f = line.split('|');
        if (f.size() > 3 && QString::fromUtf8(f[2]) == table) return f[0].toUInt();
    }
    return 0;
}

} // namespace

class StructureTest : public QObject {
    Q_OBJECT

private slots:
    void catalogueEntries();
    void complexColumnsAsAccessKeepsThem();
    void deletedAndMovedRows();
    void manyPagesUseBitmapPages();
    void storedRowCount();
    void rc4MatchesKnownVector();
    void passwordIsStoredMasked_data();
    void passwordIsStoredMasked();
    void encodedPagesReadBack();
    void rawTypesKeepTheirBytes();
    void jet3TextAndLongRows();
    void refusesWhatDoesNotFit_data();
    void refusesWhatDoesNotFit();

private:
    QTemporaryDir dir_;
    int files_ = 0;
    std::filesystem::path nextFile(const char* ext = ".mdb") {
        return std::filesystem::path(dir_.path().toStdString()) /
               ("s" + std::to_string(files_++) + ext);
    }
};

void StructureTest::catalogueEntries() {
    const auto file = nextFile();
    {
        AccessWriter w(file);
        const std::vector<Column> one{Column::of("A", ColumnType::Long)};
        w.addTable("Visible", one).addRow({Variant::integer(1)});
        TableOptions system;
        system.flags = kSystemObjectFlags;
        system.systemTable = true;
        w.addTable("MSysExtra", one, system).addRow({Variant::integer(2)});
        TableOptions hidden;
        hidden.flags = kHiddenObjectFlags;
        w.addTable("Hidden One", one, hidden);
        TableOptions temporary;
        temporary.flags = kTemporaryObjectFlags;
        w.addTable("~TMPCLP517911", one, temporary);
        CatalogEntry linked{"Linked",      ObjectType::LinkedTable, 0,  0,
                            "Remote Name", "C:\\data\\other.mdb",   "", {}};
        w.addCatalogEntry(linked);
        CatalogEntry odbc{"Server Table",
                          ObjectType::OdbcLinkedTable,
                          0,
                          0,
                          "dbo.orders",
                          "",
                          "ODBC;DSN=pg;DATABASE=shop",
                          {}};
        w.addCatalogEntry(odbc);
        w.addCatalogEntry(CatalogEntry{"Monthly Totals", ObjectType::Query, 0, 0, "", "", "", {}});
        w.addCatalogEntry(CatalogEntry{"Form1", ObjectType::Query, -32768, 0, "", "", "", 4711});
        w.finish();
    }
    QCOMPARE(tableNames(file), (QStringList{"Visible", "Hidden One", "~TMPCLP517911"}));
    QCOMPARE(tableNames(file, true),
             (QStringList{"MSysObjects", "Visible", "MSysExtra", "Hidden One", "~TMPCLP517911"}));
    QCOMPARE(exportRows(file, "MSysExtra"), QStringList{"2"});

    QStringList catalogue;
    for (const QString& row : exportRows(file, "MSysObjects")) {
        const QStringList f = row.split('|');
        catalogue << QStringList{f[2], f[3], f[7], f[8], f[9], f[10]}.join('|');
    }
    QCOMPARE(catalogue, (QStringList{
                            "Tables|3|-2147483648|~|~|~",
                            "MSysObjects|1|-2147483646|~|~|~",
                            "Visible|1|0|~|~|~",
                            "MSysExtra|1|-2147483646|~|~|~",
                            "Hidden One|1|8|~|~|~",
                            "~TMPCLP517911|1|4097|~|~|~",
                            "Linked|6|0|C:\\\\data\\\\other.mdb|~|Remote Name",
                            "Server Table|4|0|~|ODBC;DSN=pg;DATABASE=shop|dbo.orders",
                            "Monthly Totals|5|0|~|~|~",
                            "Form1|-32768|0|~|~|~",
                        }));
    QCOMPARE(exportRows(file, "MSysObjects").last().split('|').first(), "4711");
}

void StructureTest::complexColumnsAsAccessKeepsThem() {
    const auto file = nextFile();
    {
        WriterOptions options;
        options.format = Format::Ace2007;
        AccessWriter w(file, options);
        TableWriter& t = w.addTable("Things", {Column::of("id", ColumnType::Long),
                                               Column::of("Tags", ColumnType::Complex)});
        t.addRow({Variant::integer(1), Variant::integer(7)});
        t.addRow({Variant::integer(2), Variant::null()});
        ComplexColumn tags{"Things", "Tags", ComplexKind::Text, {}, {}, {}};
        tags.values = {{7, {Variant::text("red")}}, {7, {Variant::text("green")}}};
        w.addComplexColumn(tags);
        w.finish();
    }
    QStringList names = tableNames(file, true);
    const QStringList flat = names.filter(QRegularExpression("^f_[0-9A-F]{32}_Tags$"));
    QCOMPARE(flat.size(), 1);
    QVERIFY(names.contains("MSysComplexColumns"));
    QVERIFY(names.contains("MSysComplexType_Text"));
    QVERIFY(!tableNames(file).contains(flat[0])); // hidden from the user's list
    // The owner's cells hold keys; the flat table's columns come in the order of their names.
    QCOMPARE(exportRows(file, "Things"), (QStringList{"1|7", "2|~"}));
    QCOMPARE(exportRows(file, flat[0]), (QStringList{"7|1|red", "7|2|green"}));
    const QStringList entry{"Tags", QString::number(definitionPage(file, "MSysComplexType_Text")),
                            QString::number(definitionPage(file, flat[0])),
                            QString::number(definitionPage(file, "Things")), "1"};
    QCOMPARE(exportRows(file, "MSysComplexColumns"), QStringList{entry.join('|')});
    for (const QString& row : exportRows(file, "MSysObjects"))
        if (row.split('|')[2] == flat[0]) QCOMPARE(row.split('|')[7], "-2146828288");
}

void StructureTest::deletedAndMovedRows() {
    const auto file = nextFile();
    {
        AccessWriter w(file);
        TableWriter& t = w.addTable(
            "T", {Column::of("N", ColumnType::Long), Column::of("S", ColumnType::Text, 20)});
        t.addRow({Variant::integer(1), Variant::text("kept")});
        t.addRow({Variant::integer(2), Variant::text("deleted")}, RowKind::Deleted);
        t.addRow({Variant::integer(3), Variant::text("moved")}, RowKind::Moved);
        t.addRow({Variant::integer(4), Variant::text("last")});
        QCOMPARE(t.rowCount(), 3u);
        w.finish();
    }
    const QByteArray bytes = fileBytes(file);
    const QList<std::uint16_t> offsets = rowOffsets(bytes, definitionPage(file, "T"));
    QCOMPARE(offsets.size(), 5); // four slots on the main page, the moved row on its own page
    QCOMPARE(offsets[0] & 0xC000, 0);
    QCOMPARE(offsets[1] & 0xC000, 0x8000);
    QCOMPARE(offsets[2] & 0xC000, 0x4000);
    QCOMPARE(offsets[3] & 0xC000, 0);
    QCOMPARE(offsets[4] & 0xC000, 0x8000); // the moved row itself is flagged deleted

    // libmdb 1.0.0 swaps the two flags: it returns the deleted rows (the moved one among them)
    // and skips the pointer slot. A correct reader returns 1, 3, 4.
    QCOMPARE(exportRows(file, "T"), (QStringList{"1|kept", "2|deleted", "4|last", "3|moved"}));
}

void StructureTest::manyPagesUseBitmapPages() {
    const auto file = nextFile(".accdb");
    WriterOptions options;
    options.format = Format::Ace2016;
    std::string wide;
    for (int i = 0; i < 255; ++i) wide += "Ω";
    {
        AccessWriter w(file, options);
        TableWriter& small = w.addTable("Small", {Column::of("N", ColumnType::Long)});
        TableWriter& big = w.addTable("Big", {Column::of("N", ColumnType::Long),
                                              Column::of("A", ColumnType::Text, 255),
                                              Column::of("B", ColumnType::Text, 255)});
        for (int i = 0; i < 5000; ++i) {
            // Greek text does not compress, so a row takes over 500 bytes: some 700 pages.
            big.addRow(
                {Variant::integer(i), Variant::text(wide), Variant::text(std::to_string(i))});
            if (i % 1000 == 0) small.addRow({Variant::integer(i)});
        }
        w.finish();
    }
    const QStringList rows = exportRows(file, "Big");
    QCOMPARE(rows.size(), 5000);
    QCOMPARE(rows.first(), "0|" + QString(255, QChar(0x3A9)) + "|0");
    QCOMPARE(rows.last(), "4999|" + QString(255, QChar(0x3A9)) + "|4999");
    QCOMPARE(exportRows(file, "Small"), (QStringList{"0", "1000", "2000", "3000", "4000"}));

    const QByteArray bytes = fileBytes(file);
    auto mapType = [&](const QString& table) {
        const std::uint32_t tdef = definitionPage(file, table);
        const std::uint32_t pointer = le32(bytes, tdef * 4096 + 55);
        const qsizetype page = (pointer >> 8) * 4096;
        const std::uint16_t start = le16(bytes, page + 14 + 2 * (pointer & 0xFF)) & 0x1FFF;
        return static_cast<int>(bytes[page + start]);
    };
    QCOMPARE(mapType("Small"), 0);
    QCOMPARE(mapType("Big"), 1);
}

void StructureTest::storedRowCount() {
    const auto file = nextFile();
    TableOptions unclean;
    unclean.storedRowCount = 0;
    writeDatabase(file, {{"Counted",
                          {Column::of("N", ColumnType::Long)},
                          {{Variant::integer(1)}, {Variant::integer(2)}},
                          {}},
                         {"Unclean",
                          {Column::of("N", ColumnType::Long)},
                          {{Variant::integer(1)}, {Variant::integer(2)}},
                          unclean}});
    const QByteArray bytes = fileBytes(file);
    QCOMPARE(le32(bytes, definitionPage(file, "Counted") * 4096 + 16), 2u);
    QCOMPARE(le32(bytes, definitionPage(file, "Unclean") * 4096 + 16), 0u);
    QCOMPARE(exportRows(file, "Unclean"), (QStringList{"1", "2"}));
}

void StructureTest::rc4MatchesKnownVector() {
    std::uint8_t data[] = {'P', 'l', 'a', 'i', 'n', 't', 'e', 'x', 't'};
    const std::uint8_t key[] = {'K', 'e', 'y'};
    rc4Apply(key, 3, data, sizeof data);
    QCOMPARE(QByteArray(reinterpret_cast<char*>(data), sizeof data).toHex(),
             QByteArray("bbf316e8d940af0ad3"));
}

void StructureTest::passwordIsStoredMasked_data() {
    QTest::addColumn<Format>("format");
    QTest::addColumn<QString>("password");
    QTest::newRow("jet4") << Format::Jet4 << "Secret!";
    QTest::newRow("jet4 none") << Format::Jet4 << "";
    QTest::newRow("jet4 twenty characters") << Format::Jet4 << "Pässwörd with 20 ch.";
    QTest::newRow("ace") << Format::Ace2010 << "abc";
    QTest::newRow("jet3") << Format::Jet3 << "Geheim";
}

void StructureTest::passwordIsStoredMasked() {
    QFETCH(Format, format);
    QFETCH(QString, password);
    WriterOptions options;
    options.format = format;
    options.password = password.toStdString();
    options.creationDate = 45678.75;
    const auto file = nextFile();
    writeDatabase(file, {{"T", {Column::of("N", ColumnType::Long)}, {{Variant::integer(5)}}, {}}},
                  options);
    QCOMPARE(exportRows(file, "T"), QStringList{"5"}); // libmdb ignores the password

    QByteArray page = fileBytes(file).left(format == Format::Jet3 ? 2048 : 4096);
    QCOMPARE(static_cast<int>(page[0x14]), static_cast<int>(format));
    const int block = format == Format::Jet3 ? 126 : 128;
    const std::uint8_t key[] = {0xC7, 0xDA, 0x39, 0x6B};
    rc4Apply(key, 4, reinterpret_cast<std::uint8_t*>(page.data()) + 0x18, block);
    QCOMPARE(le16(page, 0x3C), 1252);
    QString stored;
    if (format == Format::Jet3) {
        stored = QString::fromLatin1(page.mid(0x42, 20).constData()); // up to the first NUL
    } else {
        double date = 0;
        std::memcpy(&date, page.constData() + 0x72, 8);
        QCOMPARE(date, 45678.75);
        QByteArray pw = page.mid(0x42, 40);
        for (int i = 0; i < 40; ++i)
            pw[i] = static_cast<char>(pw[i] ^ static_cast<char>(45678 >> (8 * (i % 4))));
        stored = QString::fromUtf16(reinterpret_cast<const char16_t*>(pw.constData()), 20);
        stored.truncate(stored.indexOf(QChar(0)) < 0 ? 20 : stored.indexOf(QChar(0)));
    }
    QCOMPARE(stored, password);
}

void StructureTest::encodedPagesReadBack() {
    WriterOptions options;
    options.pageEncodingKey = 0x12345678;
    const auto file = nextFile();
    writeDatabase(file,
                  {{"Secret Table",
                    {Column::of("S", ColumnType::Memo)},
                    {{Variant::text(std::string(5000, 'q'))}, {Variant::text("short")}},
                    {}}},
                  options);
    QVERIFY(!fileBytes(file).contains(QByteArray(100, 'q')));
    QCOMPARE(exportRows(file, "Secret Table"), (QStringList{QString(5000, 'q'), "short"}));
}

void StructureTest::rawTypesKeepTheirBytes() {
    const auto file = nextFile(".accdb");
    WriterOptions options;
    options.format = Format::Ace2019;
    Column calcDouble = Column::of("Calc", ColumnType::Double);
    calcDouble.calculated = true;
    Column calcText = Column::of("CalcText", ColumnType::Text, 10);
    calcText.calculated = true;
    Column plain = Column::of("Emoji", ColumnType::Text, 10);
    writeDatabase(file,
                  {{"Raw",
                    {Column::of("Big", ColumnType::LargeNumber),
                     Column::of("When", ColumnType::DateTimeExtended), calcDouble, calcText, plain},
                    {{Variant::integer(-2), Variant::text("2021-06-14 12:45:00.1234567"),
                      Variant::real(1.5), Variant::text("ab"), Variant::text("a😀")},
                     {Variant::null(), Variant::text("0001-01-01"), Variant::null(),
                      Variant::null(), Variant::null()}},
                    {}}},
                  options);
    const std::vector<RawRow> rows = rawRows(file, "Raw");
    QCOMPARE(rows.size(), 2u);
    QCOMPARE(rows[0].values[0].toHex(), QByteArray("feffffffffffffff"));
    QCOMPARE(rows[0].values[1], QByteArray("0000000000000737954:000000045900"
                                           "1234567"
                                           ":7",
                                           41) +
                                    QByteArray(1, '\0'));
    QByteArray calc(20, '\0');
    calc[16] = 8;
    calc += QByteArray::fromHex("000000000000f83f") + QByteArray(3, '\0');
    QCOMPARE(rows[0].values[2], calc);
    QByteArray text(20, '\0');
    text[16] = 4;
    text += QByteArray("a\0b\0", 4) + QByteArray(3, '\0');
    QCOMPARE(rows[0].values[3], text);
    // Outside the BMP: a surrogate pair, and no compression.
    QCOMPARE(rows[0].values[4].toHex(), QByteArray("61003dd800de"));
    QCOMPARE(rows[1].values[0], QByteArray());
    QCOMPARE(rows[1].values[1], QByteArray("0000000000000000000:000000000000"
                                           "0000000"
                                           ":7",
                                           41) +
                                    QByteArray(1, '\0'));
    QCOMPARE(rows[1].values[2], QByteArray());
}

void StructureTest::jet3TextAndLongRows() {
    WriterOptions options;
    options.format = Format::Jet3;
    const auto file = nextFile();
    std::vector<Column> columns{Column::of("ID", ColumnType::Long)};
    for (int i = 0; i < 12; ++i)
        columns.push_back(Column::of("T" + std::to_string(i), ColumnType::Text, 60));
    columns.push_back(Column::of("Memo", ColumnType::Memo));
    std::vector<Row> rows;
    QStringList expected;
    for (int r = 0; r < 20; ++r) {
        // Rows between 0 and ~800 bytes cross the 256-byte steps of the Jet 3 offset table.
        Row row{Variant::integer(r)};
        QStringList fields{QString::number(r)};
        for (int i = 0; i < 12; ++i) {
            const bool null = (r + i) % 5 == 0;
            const std::string s(static_cast<std::size_t>((r * 7 + i * 13) % 60 + 1),
                                static_cast<char>('a' + i));
            row.push_back(null ? Variant::null() : Variant::text(s));
            fields << (null ? "~" : QString::fromStdString(s));
        }
        row.push_back(Variant::text(r % 2 ? "Grüße" : std::string(3000, 'm')));
        fields << (r % 2 ? "Grüße" : QString(3000, 'm'));
        rows.push_back(row);
        expected << fields.join('|');
    }
    writeDatabase(file, {{"Jet 3 Table", columns, rows, {}}}, options);
    QCOMPARE(runTool({"mdb-ver", QString::fromStdString(file.string())}), QByteArray("JET3\n"));
    QCOMPARE(exportRows(file, "Jet 3 Table"), expected);
}

void StructureTest::refusesWhatDoesNotFit_data() {
    QTest::addColumn<Column>("column");
    QTest::addColumn<Variant>("value");
    QTest::newRow("byte too big") << Column::of("C", ColumnType::Byte) << Variant::integer(256);
    QTest::newRow("integer too small")
        << Column::of("C", ColumnType::Integer) << Variant::integer(-32769);
    QTest::newRow("long too big") << Column::of("C", ColumnType::Long)
                                  << Variant::integer(2147483648LL);
    QTest::newRow("single overflow") << Column::of("C", ColumnType::Single) << Variant::real(1e300);
    QTest::newRow("text too long") << Column::of("C", ColumnType::Text, 3) << Variant::text("abcd");
    QTest::newRow("malformed utf-8")
        << Column::of("C", ColumnType::Text, 3) << Variant::text("\xC3");
    QTest::newRow("surrogate in utf-8")
        << Column::of("C", ColumnType::Text, 3) << Variant::text("\xED\xA0\x80");
    QTest::newRow("text for a long") << Column::of("C", ColumnType::Long) << Variant::text("12");
    QTest::newRow("too many decimals") << Column::decimal("C", 5, 2) << Variant::decimal("1.234");
    QTest::newRow("beyond precision") << Column::decimal("C", 5, 2) << Variant::decimal("1234.5");
    QTest::newRow("bad guid") << Column::of("C", ColumnType::Guid) << Variant::text("{1234}");
    QTest::newRow("bad extended date")
        << Column::of("C", ColumnType::DateTimeExtended) << Variant::text("2021-13-01");
    QTest::newRow("raw bytes of the wrong size")
        << Column::of("C", ColumnType::Double) << Variant::binary("1234");
    QTest::newRow("binary too long")
        << Column::of("C", ColumnType::Binary, 2) << Variant::binary("123");
    QTest::newRow("row bigger than a page")
        << Column::of("C", ColumnType::Memo)
        << Variant::text(std::string(5000, 'x')); // forced inline below
}

void StructureTest::refusesWhatDoesNotFit() {
    QFETCH(Column, column);
    QFETCH(Variant, value);
    if (column.type == ColumnType::Memo) column.storage = LongValueStorage::Inline;
    AccessWriter w(nextFile());
    TableWriter& t = w.addTable("T", {column});
    QVERIFY_THROWS_EXCEPTION(AccessWriterError, t.addRow({value}));
    QVERIFY_THROWS_EXCEPTION(AccessWriterError, t.addRow({value, value})); // one value too many
    t.addRow({Variant::null()});
    w.finish();
    QVERIFY_THROWS_EXCEPTION(AccessWriterError, w.finish());
}

QTEST_GUILESS_MAIN(StructureTest)
#include "StructureTest.moc"
