// The text description behind access-write, the sample database and the big benchmark tables.

#include "Description.h"
#include "BigDatabase.h"
#include "MdbTools.h"

#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <sstream>

using namespace tabulant::accesswriter;
using namespace tabulant::accesswriter::testing;
using tabulant::platform::Variant;

Q_DECLARE_METATYPE(tabulant::platform::Variant)

class DescriptionTest : public QObject {
    Q_OBJECT

private slots:
    void valuesAreReadByColumnType_data();
    void valuesAreReadByColumnType();
    void badValuesAreRefused_data();
    void badValuesAreRefused();
    void describedFileReadsBack();
    void describedKeysAreWritten();
    void mistakesNameTheirLine_data();
    void mistakesNameTheirLine();
    void sampleDatabase();
    void bigTablesAreDeterministic();

private:
    QTemporaryDir dir_;
    std::filesystem::path path(const char* name) {
        return std::filesystem::path(dir_.path().toStdString()) / name;
    }
};

void DescriptionTest::valuesAreReadByColumnType_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("field");
    QTest::addColumn<Variant>("expected");
    auto row = [](const char* tag, ColumnType t, const char* field, Variant v) {
        QTest::newRow(tag) << static_cast<int>(t) << QString::fromUtf8(field) << v;
    };
    row("null", ColumnType::Long, "\\N", Variant::null());
    row("yes", ColumnType::Boolean, "yes", Variant::boolean(true));
    row("false", ColumnType::Boolean, "false", Variant::boolean(false));
    row("negative long", ColumnType::Long, "-42", Variant::integer(-42));
    row("currency decimals", ColumnType::Currency, "-12.5", Variant::currency(-125000));
    row("currency small negative", ColumnType::Currency, "-0.0001", Variant::currency(-1));
    row("currency whole", ColumnType::Currency, "7", Variant::currency(70000));
    row("double exponent", ColumnType::Double, "1e-5", Variant::real(1e-5));
    row("date", ColumnType::DateTime, "1900-01-01", Variant::date(2));
    row("date and time", ColumnType::DateTime, "1899-12-29 06:00:00", Variant::date(-1.25));
    row("text escapes", ColumnType::Text, "a\\tb\\nc\\\\d", Variant::text("a\tb\nc\\d"));
    row("hex bytes", ColumnType::Ole, "0x00ff10", Variant::binary(std::string("\x00\xff\x10", 3)));
    row("text bytes", ColumnType::Binary, "abc", Variant::binary("abc"));
    row("decimal", ColumnType::Decimal, "-1.50", Variant::decimal("-1.50"));
}

void DescriptionTest::valuesAreReadByColumnType() {
    QFETCH(int, type);
    QFETCH(QString, field);
    QFETCH(Variant, expected);
    QCOMPARE(parseValue(field.toStdString(), Column::of("C", static_cast<ColumnType>(type))),
             expected);
}

void DescriptionTest::badValuesAreRefused_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("field");
    QTest::newRow("long with text") << static_cast<int>(ColumnType::Long) << "12a";
    QTest::newRow("empty long") << static_cast<int>(ColumnType::Long) << "";
    QTest::newRow("yes/no word") << static_cast<int>(ColumnType::Boolean) << "maybe";
    QTest::newRow("five decimals") << static_cast<int>(ColumnType::Currency) << "1.23456";
    QTest::newRow("month 13") << static_cast<int>(ColumnType::DateTime) << "2020-13-01";
    QTest::newRow("odd hex") << static_cast<int>(ColumnType::Ole) << "0xabc";
    QTest::newRow("bad hex") << static_cast<int>(ColumnType::Ole) << "0xzz";
    QTest::newRow("huge bitmap") << static_cast<int>(ColumnType::Ole) << "@bitmap 5000x5000";
}

void DescriptionTest::badValuesAreRefused() {
    QFETCH(int, type);
    QFETCH(QString, field);
    QVERIFY_THROWS_EXCEPTION(
        AccessWriterError,
        parseValue(field.toStdString(), Column::of("C", static_cast<ColumnType>(type))));
}

void DescriptionTest::describedFileReadsBack() {
    std::istringstream in("# a comment\n"
                          "format\tace2010\n"
                          "password\tpw\n"
                          "table\tOrder Lines\n"
                          "column\tLine No\tlong\tauto\n"
                          "column\tNote\ttext\tsize=20\tuncompressed\n"
                          "column\tPaid\tyesno\n"
                          "column\tAmount\tdecimal\tprecision=6\tscale=2\n"
                          "column\tBody\tmemo\tstorage=chain\n"
                          "row\t1\tfirst \"one\"\tyes\t1.5\tlong\\nmemo\n"
                          "deleted\t2\tgone\tno\t0\t\\N\n"
                          "moved\t3\tmoved\tno\t-2\t\\N\n"
                          "table\tHidden\tflags=8\tstoredrows=3\n"
                          "column\tX\tbyte\n"
                          "query\tMy Query\n"
                          "linked\tL\tRemote\t/tmp/other.mdb\n"
                          "odbc\tO\tpublic.t\tODBC;DSN=x\n"
                          "entry\tMacro1\t-32766\t0\n");
    const auto file = path("described.accdb");
    writeDescribed(in, file);
    QCOMPARE(runTool({"mdb-ver", QString::fromStdString(file.string())}),
             QByteArray("ACE14\n")); // Access 2010 = ACE 14
    QCOMPARE(tableNames(file), (QStringList{"Order Lines", "Hidden"}));
    QCOMPARE(exportRows(file, "Order Lines"),
             (QStringList{"1|first \"one\"|1|1.50|long\\nmemo", "2|gone|0|0.00|~",
                          "3|moved|0|-2.00|~"}));
    QCOMPARE(exportRows(file, "Hidden"), QStringList{});
    QStringList names;
    for (const QString& r : exportRows(file, "MSysObjects")) names << r.section('|', 2, 3);
    QCOMPARE(names, (QStringList{"Tables|3", "MSysObjects|1", "Order Lines|1", "Hidden|1",
                                 "My Query|5", "L|6", "O|4", "Macro1|-32766"}));
}

void DescriptionTest::describedKeysAreWritten() {
    std::istringstream in("table\tParents\n"
                          "column\tId\tlong\n"
                          "column\tName\ttext\tsize=20\trequired\n"
                          "index\tPrimaryKey\tprimary\tkey=Id\n"
                          "index\tByName\tunique\tignorenulls\tdesc=Name\tkey=Id\n"
                          "table\tChildren\n"
                          "column\tParent\tlong\n"
                          "relationship\tParentsChildren\tChildren\tParents\tcascadedelete"
                          "\tcolumn=Parent\treferences=Id\n");
    const auto file = path("keys.mdb");
    writeDescribed(in, file);
    const QString schema = QString::fromUtf8(
        runTool({"mdb-schema", QString::fromStdString(file.string()), "postgres"}));
    QVERIFY(schema.contains("\"name\"\t\t\tVARCHAR (20) NOT NULL"));
    QVERIFY(schema.contains(
        "CREATE UNIQUE INDEX \"parents_byname_idx\" ON \"parents\" (\"name\" DESC, \"id\");"));
    QVERIFY(schema.contains("PRIMARY KEY (\"id\");"));
    QVERIFY(schema.contains("FOREIGN KEY (\"parent\") REFERENCES \"Parents\"(\"id\") ON DELETE "
                            "CASCADE"));
}

void DescriptionTest::mistakesNameTheirLine_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown record") << "table\tT\ncolumn\tA\tlong\nrows\t1\n"
                                    << "line 3: unknown record";
    QTest::newRow("too few values") << "table\tT\ncolumn\tA\tlong\ncolumn\tB\tlong\nrow\t1\n"
                                    << "line 4: expected 2 values, found 1";
    QTest::newRow("unknown type") << "table\tT\ncolumn\tA\tlonger\n"
                                  << "line 2: unknown column type";
    QTest::newRow("column after rows") << "table\tT\ncolumn\tA\tlong\nrow\t1\ncolumn\tB\tlong\n"
                                       << "line 4: columns belong right after";
    QTest::newRow("late format") << "table\tT\ncolumn\tA\tlong\nformat\tjet3\n"
                                 << "line 3: format must come before";
    QTest::newRow("bad value") << "\n\ntable\tT\ncolumn\tA\tbyte\nrow\t300\n"
                               << "line 5: column \"A\": 300 is out of range";
    QTest::newRow("index after rows") << "table\tT\ncolumn\tA\tlong\nrow\t1\nindex\tI\tkey=A\n"
                                      << "line 4: indexes belong right after";
    QTest::newRow("property after rows")
        << "table\tT\ncolumn\tA\tlong\nrow\t1\nproperty\tDescription\tx\n"
        << "line 4: properties belong right after";
    QTest::newRow("pair without its other half")
        << "table\tT\ncolumn\tA\tlong\nrelationship\tR\tT\tT\tcolumn=A\tkey=A\n"
        << "line 3: column= must be followed by references=";
}

void DescriptionTest::mistakesNameTheirLine() {
    QFETCH(QString, text);
    QFETCH(QString, message);
    std::istringstream in(text.toStdString());
    try {
        writeDescribed(in, path("bad.mdb"));
        QFAIL("no error");
    } catch (const DescriptionError& e) {
        QVERIFY2(QString::fromUtf8(e.what()).startsWith(message), e.what());
    }
}

void DescriptionTest::sampleDatabase() {
    std::ifstream in(TABULANT_SAMPLE_DESCRIPTION);
    QVERIFY(in.good());
    const auto file = path("sample.mdb");
    writeDescribed(in, file);
    QCOMPARE(tableNames(file),
             (QStringList{"Customers", "Products", "Orders", "Order Details", "Employees"}));
    QCOMPARE(exportRows(file, "Order Details").size(), 8);
    const QStringList products = exportRows(file, "Products");
    QVERIFY(products[0].section('|', 8).startsWith("424D")); // the picture is a bitmap
    QCOMPARE(products[5].section('|', 1, 2), "Crème fraîche \"Normande\"|12.3456");
    QCOMPARE(exportRows(file, "Customers")[3].section('|', 2, 2), "Zoë Ångström");
}

void DescriptionTest::bigTablesAreDeterministic() {
    const auto file = path("big.mdb");
    writeBigDatabase(file, 2500, 2, Format::Jet4);
    QCOMPARE(tableNames(file), (QStringList{"Big 1", "Big 2"}));
    const QStringList one = exportRows(file, "Big 1");
    QCOMPARE(one.size(), 2500);
    QCOMPARE(one, exportRows(file, "Big 2"));
    QCOMPARE(one[7].section('|', 0, 4), "8|-291.75|5.5433|2000-01-08 00:00:07|Hotel 7");
    QVERIFY(one[7].section('|', 5, 5).endsWith(QString(3000, 'n'))); // a note on a long-value page
    QCOMPARE(one[3].section('|', 5, 5), "~");
    QCOMPARE(one[1].section('|', 6), "0|-1.0001|1|He said \"1\"\\r\\nand left");
}

QTEST_GUILESS_MAIN(DescriptionTest)
#include "DescriptionTest.moc"
