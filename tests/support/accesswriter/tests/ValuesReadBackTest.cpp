// Every column type, written by our writer and read back by libmdb's mdb-export.

#include "AccessWriter.h"
#include "MdbTools.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tabulant::accesswriter;
using tabulant::accesswriter::testing::exportRows;
using tabulant::platform::Variant;

Q_DECLARE_METATYPE(tabulant::accesswriter::Column)
Q_DECLARE_METATYPE(tabulant::platform::Variant)
Q_DECLARE_METATYPE(tabulant::accesswriter::Format)

namespace {

Column col(ColumnType t, int size = 0) { return Column::of("Value", t, size); }

Column with(Column c, void (*change)(Column&)) {
    change(c);
    return c;
}

// libmdb exports a GUID as its text "{8-4-4-16}", and binary exports turn that text into hex.
QString hexOf(const char* text) { return QString::fromLatin1(QByteArray(text).toHex().toUpper()); }

QString repeated(const QString& piece, int times) {
    QString s;
    for (int i = 0; i < times; ++i) s += piece;
    return s;
}

} // namespace

class ValuesReadBackTest : public QObject {
    Q_OBJECT

private slots:
    void valueReadsBack_data();
    void valueReadsBack();
    void nullsReadBackForEveryType_data();
    void nullsReadBackForEveryType();
    void namesWithSpacesQuotesAndNonAscii();
    void smallMemosLeaveAFullRow();

private:
    QTemporaryDir dir_;
    int files_ = 0;
    std::filesystem::path nextFile(const char* ext = ".mdb") {
        return std::filesystem::path(dir_.path().toStdString()) /
               ("f" + std::to_string(files_++) + ext);
    }
};

void ValuesReadBackTest::valueReadsBack_data() {
    QTest::addColumn<Format>("format");
    QTest::addColumn<Column>("column");
    QTest::addColumn<Variant>("value");
    QTest::addColumn<QString>("expected");

    const QString longText = repeated("Line of memo text \"quoted\"\n", 150); // ~4,000 characters
    const QString huge = repeated("0123456789abcdef", 6000);                  // 96,000 characters
    struct Case {
        const char* name;
        Column column;
        Variant value;
        QString expected;
    };
    const std::vector<Case> cases{
        {"yes", col(ColumnType::Boolean), Variant::boolean(true), "1"},
        {"no", col(ColumnType::Boolean), Variant::boolean(false), "0"},
        {"byte max", col(ColumnType::Byte), Variant::integer(255), "255"},
        {"integer min", col(ColumnType::Integer), Variant::integer(-32768), "-32768"},
        {"long max", col(ColumnType::Long), Variant::integer(2147483647), "2147483647"},
        {"long negative", col(ColumnType::Long), Variant::integer(-7), "-7"},
        {"currency", col(ColumnType::Currency), Variant::currency(-15000), "-1.5000"},
        {"currency whole", col(ColumnType::Currency), Variant::integer(12), "12.0000"},
        {"single", col(ColumnType::Single), Variant::single(0.5f), "0.5"},
        {"double", col(ColumnType::Double), Variant::real(-3.25), "-3.25"},
        {"double big", col(ColumnType::Double), Variant::real(1e20), "1e+20"},
        {"date time", col(ColumnType::DateTime), Variant::date(oleDate(1981, 12, 12, 13, 45, 30)),
         "1981-12-12 13:45:30"},
        {"date only", col(ColumnType::DateTime), Variant::date(oleDate(2024, 2, 29)),
         "2024-02-29 00:00:00"},
        {"guid", col(ColumnType::Guid), Variant::text("{12345678-9ABC-DEF0-1234-56789ABCDEF0}"),
         hexOf("{12345678-9ABC-DEF0-123456789ABCDEF0}")},
        {"decimal negative", Column::decimal("Value", 10, 2), Variant::decimal("-123.45"),
         "-123.45"},
        {"decimal padded", Column::decimal("Value", 10, 2), Variant::decimal("0.5"), "0.50"},
        {"decimal 28 digits", Column::decimal("Value", 28, 0),
         Variant::decimal("9999999999999999999999999999"), "9999999999999999999999999999"},
        {"text ascii compressed", col(ColumnType::Text, 50), Variant::text("Plain text"),
         "Plain text"},
        {"text mixed compressed", col(ColumnType::Text, 50), Variant::text("Zoë – Ωμέγα 1"),
         "Zoë – Ωμέγα 1"},
        {"text low byte zero", col(ColumnType::Text, 50), Variant::text("ĀĀ x"), "ĀĀ x"},
        {"text uncompressed",
         with(col(ColumnType::Text, 50), [](Column& c) { c.compressedText = false; }),
         Variant::text("Plain text"), "Plain text"},
        {"text quotes and breaks", col(ColumnType::Text, 80),
         Variant::text("say \"hi\"\r\n'there'\tok"), "say \"hi\"\\r\\n'there'\\tok"},
        {"text fixed", with(col(ColumnType::Text, 6), [](Column& c) { c.fixedLength = true; }),
         Variant::text("ab"), "ab    "},
        {"text 255 characters", col(ColumnType::Text, 255),
         Variant::text(repeated("x", 255).toStdString()), repeated("x", 255)},
        {"text as stored bytes", col(ColumnType::Text, 10),
         Variant::binary(std::string("A\0B\0", 4)), "AB"},
        {"memo as stored compressed bytes", col(ColumnType::Memo),
         Variant::binary(std::string("\xFF\xFE"
                                     "ab\0\xA9\x03",
                                     7)),
         "abΩ"},
        {"binary", col(ColumnType::Binary, 10), Variant::binary(std::string("\x01\x02\xFE", 3)),
         "0102FE"},
        {"binary fixed", with(col(ColumnType::Binary, 4), [](Column& c) { c.fixedLength = true; }),
         Variant::binary("\x07\x08\x09"), "070809"}, // libmdb stops at the zero padding
        {"memo inline", col(ColumnType::Memo), Variant::text("short memo"), "short memo"},
        {"memo one page", col(ColumnType::Memo), Variant::text(repeated("é", 1500).toStdString()),
         repeated("é", 1500)},
        {"memo chained", col(ColumnType::Memo), Variant::text(longText.toStdString()),
         QString(longText).replace("\n", "\\n")},
        {"memo forced chain",
         with(col(ColumnType::Memo), [](Column& c) { c.storage = LongValueStorage::Chained; }),
         Variant::text("split in two pieces"), "split in two pieces"},
        {"memo forced page",
         with(col(ColumnType::Memo), [](Column& c) { c.storage = LongValueStorage::SinglePage; }),
         Variant::text("on its own page"), "on its own page"},
        {"memo huge", col(ColumnType::Memo), Variant::text(huge.toStdString()), huge},
        {"hyperlink", with(col(ColumnType::Memo), [](Column& c) { c.hyperlink = true; }),
         Variant::text("Site#http://example.org#"), "Site#http://example.org#"},
        {"ole inline", col(ColumnType::Ole), Variant::binary(std::string("\x00\x01\x02", 3)),
         "000102"},
        {"ole chained",
         with(col(ColumnType::Ole), [](Column& c) { c.storage = LongValueStorage::Chained; }),
         Variant::binary(std::string(5000, '\xAB')), repeated("AB", 5000)},
    };
    for (Format f : {Format::Jet4, Format::Ace2010}) {
        for (const Case& c : cases) {
            const QByteArray tag = QByteArray(f == Format::Jet4 ? "jet4 " : "ace ") + c.name;
            QTest::newRow(tag.constData()) << f << c.column << c.value << c.expected;
        }
    }
}

void ValuesReadBackTest::valueReadsBack() {
    QFETCH(Format, format);
    QFETCH(Column, column);
    QFETCH(Variant, value);
    QFETCH(QString, expected);

    const auto file = nextFile(format == Format::Jet4 ? ".mdb" : ".accdb");
    WriterOptions options;
    options.format = format;
    std::vector<Column> columns{Column::of("Before", ColumnType::Long), column,
                                Column::of("After", ColumnType::Text, 10)};
    writeDatabase(file, {{"T", columns, {{Variant::integer(1), value, Variant::text("end")}}, {}}},
                  options);

    const QStringList rows = exportRows(file, "T");
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0], "1|" + expected + "|end");
}

void ValuesReadBackTest::nullsReadBackForEveryType_data() {
    QTest::addColumn<Format>("format");
    QTest::newRow("jet4") << Format::Jet4;
    QTest::newRow("ace") << Format::Ace2019;
}

void ValuesReadBackTest::nullsReadBackForEveryType() {
    QFETCH(Format, format);
    std::vector<Column> columns;
    for (ColumnType t : {ColumnType::Byte, ColumnType::Integer, ColumnType::Long,
                         ColumnType::Currency, ColumnType::Single, ColumnType::Double,
                         ColumnType::DateTime, ColumnType::Binary, ColumnType::Text,
                         ColumnType::Ole, ColumnType::Memo, ColumnType::Guid, ColumnType::Decimal})
        columns.push_back(Column::of("c" + std::to_string(columns.size()), t));
    Row nulls(columns.size());
    Row values{Variant::integer(1),   Variant::integer(2),
               Variant::integer(3),   Variant::currency(40000),
               Variant::real(5),      Variant::real(6),
               Variant::date(7),      Variant::binary("\x08"),
               Variant::text("9"),    Variant::binary("\x0A"),
               Variant::text("11"),   Variant::text("00000000-0000-0000-0000-00000000000C"),
               Variant::decimal("13")};
    WriterOptions options;
    options.format = format;
    const auto file = nextFile();
    writeDatabase(file, {{"Nulls", columns, {nulls, values, nulls}, {}}}, options);

    const QStringList rows = exportRows(file, "Nulls");
    QCOMPARE(rows.size(), 3);
    const QString allNull = QStringList(QList<QString>(columns.size(), "~")).join('|');
    QCOMPARE(rows[0], allNull);
    QCOMPARE(rows[1], "1|2|3|4.0000|5|6|1900-01-06 00:00:00|08|9|0A|11|" +
                          hexOf("{00000000-0000-0000-000000000000000C}") + "|13");
    QCOMPARE(rows[2], allNull);
}

void ValuesReadBackTest::namesWithSpacesQuotesAndNonAscii() {
    const auto file = nextFile();
    const std::string table = "Order \"Details\" – Übersicht's";
    writeDatabase(file, {{table,
                          {Column::of("Unit Price (€)", ColumnType::Currency),
                           Column::of("Ωμέγα [x]", ColumnType::Text)},
                          {{Variant::currency(12345), Variant::text("a")}},
                          {}}});

    QCOMPARE(testing::tableNames(file), QStringList{QString::fromStdString(table)});
    QCOMPARE(exportRows(file, QString::fromStdString(table)), QStringList{"1.2345|a"});
    const QByteArray header = testing::runTool({"mdb-export", QString::fromStdString(file.string()),
                                                QString::fromStdString(table)})
                                  .split('\n')
                                  .front();
    QCOMPARE(QString::fromUtf8(header), "Unit Price (€),Ωμέγα [x]");
}

void ValuesReadBackTest::smallMemosLeaveAFullRow() {
    // Thirty memos of 200 characters fit a row one by one, but not all together.
    std::vector<Column> columns;
    Row row;
    QStringList expected;
    for (int i = 0; i < 30; ++i) {
        columns.push_back(Column::of("m" + std::to_string(i), ColumnType::Memo));
        const std::string text = std::to_string(i) + std::string(198, 'a' + i % 26);
        row.push_back(Variant::text(text));
        expected << QString::fromStdString(text);
    }
    const auto file = nextFile();
    writeDatabase(file, {{"Memos", columns, {row, row}, {}}});
    QCOMPARE(exportRows(file, "Memos"), (QStringList{expected.join('|'), expected.join('|')}));
}

QTEST_GUILESS_MAIN(ValuesReadBackTest)
#include "ValuesReadBackTest.moc"
