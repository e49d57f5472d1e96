// Table definitions as libmdb's mdb-schema reads them: every type, flags it shows, definitions
// too large for one page, indexes, relationships and the Required property.

#include "AccessWriter.h"
#include "MdbTools.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tabulant::accesswriter;
using namespace tabulant::accesswriter::testing;
using tabulant::platform::Variant;

Q_DECLARE_METATYPE(tabulant::accesswriter::Format)

class SchemaTest : public QObject {
    Q_OBJECT

private slots:
    void everyTypeHasItsDefinition();
    void wideTableSpansDefinitionPages();
    void flagsLibmdbHidesAreInTheDescriptors();
    void indexesAndRelationships_data();
    void indexesAndRelationships();

private:
    QTemporaryDir dir_;
};

void SchemaTest::everyTypeHasItsDefinition() {
    Column autoLong = Column::of("l", ColumnType::Long);
    autoLong.autoNumber = true;
    Column fixedBinary = Column::of("binf", ColumnType::Binary, 4);
    fixedBinary.fixedLength = true;
    Column hyperlink = Column::of("h", ColumnType::Memo);
    hyperlink.hyperlink = true;
    Column calculated = Column::of("calc", ColumnType::Double);
    calculated.calculated = true;
    const std::vector<Column> columns{Column::of("yn", ColumnType::Boolean),
                                      Column::of("b", ColumnType::Byte),
                                      Column::of("i", ColumnType::Integer),
                                      autoLong,
                                      Column::of("c", ColumnType::Currency),
                                      Column::of("s", ColumnType::Single),
                                      Column::of("d", ColumnType::Double),
                                      Column::of("dt", ColumnType::DateTime),
                                      Column::of("bin", ColumnType::Binary, 16),
                                      fixedBinary,
                                      Column::of("t", ColumnType::Text, 40),
                                      Column::of("o", ColumnType::Ole),
                                      hyperlink,
                                      Column::of("g", ColumnType::Guid),
                                      Column::decimal("dec", 10, 3),
                                      Column::of("big", ColumnType::LargeNumber),
                                      Column::of("dt2", ColumnType::DateTimeExtended),
                                      calculated};
    WriterOptions options;
    options.format = Format::Ace2013;
    const std::filesystem::path file = dir_.path().toStdString() + "/types.accdb";
    writeDatabase(file, {{"All Types", columns, {}, {}}}, options);

    const QString schema = QString::fromUtf8(
        runTool({"mdb-schema", QString::fromStdString(file.string()), "postgres"}));
    const QString body =
        schema.section("CREATE TABLE IF NOT EXISTS \"all types\"", 1).section(");", 0, 0);
    QStringList lines;
    for (QString line : body.split('\n', Qt::SkipEmptyParts)) {
        line = line.simplified();
        if (line != "(") lines << line;
    }
    QCOMPARE(lines,
             (QStringList{"\"yn\" BOOLEAN NOT NULL,", "\"b\" SMALLINT,", "\"i\" INTEGER,",
                          "\"l\" SERIAL,", // the AutoNumber flag
                          "\"c\" NUMERIC(15,2),", "\"s\" REAL,", "\"d\" DOUBLE PRECISION,",
                          "\"dt\" TIMESTAMP WITHOUT TIME ZONE,", "\"bin\" BYTEA,",
                          "\"binf\" BYTEA,", "\"t\" VARCHAR (40),", "\"o\" BYTEA,", "\"h\" TEXT,",
                          "\"g\" UUID,", "\"dec\" NUMERIC (10, 3),", "\"big\" Unknown_0013,",
                          "\"dt2\" Unknown_0014,", "\"calc\" DOUBLE PRECISION"}));
}

void SchemaTest::wideTableSpansDefinitionPages() {
    // 200 columns with long names need some 17 KB of definition: five pages.
    std::vector<Column> columns;
    Row row;
    QStringList expected;
    const ColumnType types[] = {ColumnType::Long, ColumnType::Text, ColumnType::Memo,
                                ColumnType::Double};
    for (int i = 0; i < 200; ++i) {
        columns.push_back(
            Column::of("A rather long column name number " + std::to_string(i), types[i % 4]));
        switch (i % 4) {
        case 0:
            row.push_back(Variant::integer(i));
            expected << QString::number(i);
            break;
        case 1:
            row.push_back(Variant::text("t" + std::to_string(i)));
            expected << QString("t%1").arg(i);
            break;
        case 2:
            row.push_back(Variant::text("m" + std::to_string(i)));
            expected << QString("m%1").arg(i);
            break;
        default:
            row.push_back(Variant::real(i + 0.5));
            expected << QString("%1.5").arg(i);
            break;
        }
    }
    const std::filesystem::path file = dir_.path().toStdString() + "/wide.mdb";
    writeDatabase(file, {{"Wide Table", columns, {row}, {}}});
    QCOMPARE(exportRows(file, "Wide Table"), QStringList{expected.join('|')});
    const QString schema =
        QString::fromUtf8(runTool({"mdb-schema", QString::fromStdString(file.string())}));
    QCOMPARE(schema.count("A rather long column name number"), 200);
    QVERIFY(schema.contains("[A rather long column name number 199]\t\t\tDouble"));
}

void SchemaTest::flagsLibmdbHidesAreInTheDescriptors() {
    Column hyperlink = Column::of("h", ColumnType::Memo);
    hyperlink.hyperlink = true;
    Column calculated = Column::of("calc", ColumnType::Text, 10);
    calculated.calculated = true;
    Column fixedText = Column::of("ft", ColumnType::Text, 4);
    fixedText.fixedLength = true;
    Column plainText = Column::of("pt", ColumnType::Text, 4);
    plainText.compressedText = false;
    Column guid = Column::of("g", ColumnType::Guid);
    guid.autoNumber = true;
    const std::filesystem::path file = dir_.path().toStdString() + "/flags.accdb";
    WriterOptions options;
    options.format = Format::Ace2010;
    writeDatabase(file, {{"F", {hyperlink, calculated, fixedText, plainText, guid}, {}, {}}},
                  options);

    // With no indexes the 25-byte descriptors start at 63 of the definition page, which the
    // catalogue names in its Id column.
    std::uint32_t page = 0;
    for (const QString& row : exportRows(file, "MSysObjects"))
        if (row.section('|', 2, 2) == "F") page = row.section('|', 0, 0).toUInt();
    QFile f(QString::fromStdString(file.string()));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray def = f.readAll().mid(page * 4096, 4096);
    auto descriptor = [&](int i) { return def.mid(63 + 25 * i, 25); };
    // type, flags (offset 15), extended flags (16), length (23)
    auto summary = [&](int i) {
        const QByteArray d = descriptor(i);
        return QString("%1 %2 %3 %4")
            .arg(int(d[0]), 2, 16, QChar('0'))
            .arg(quint8(d[15]), 2, 16, QChar('0'))
            .arg(quint8(d[16]), 2, 16, QChar('0'))
            .arg(quint8(d[23]) | quint8(d[24]) << 8);
    };
    QCOMPARE(summary(0), "0c 82 01 0");  // hyperlink memo, compressed
    QCOMPARE(summary(1), "0a 02 c1 43"); // calculated text: 10 characters + 23 bytes of wrapping
    QCOMPARE(summary(2), "0a 03 00 8");  // fixed text: never compressed
    QCOMPARE(summary(3), "0a 02 00 8");
    QCOMPARE(summary(4), "0f 43 00 16"); // GUID AutoNumber
}

void SchemaTest::indexesAndRelationships_data() {
    QTest::addColumn<Format>("format");
    QTest::newRow("jet3") << Format::Jet3;
    QTest::newRow("jet4") << Format::Jet4;
}

void SchemaTest::indexesAndRelationships() {
    QFETCH(Format, format);
    Column company = Column::of("CompanyName", ColumnType::Text, 40);
    company.required = true;
    TableData customers{"Customers",
                        {Column::of("CustomerID", ColumnType::Text, 5), company,
                         Column::of("City", ColumnType::Text, 15)},
                        {},
                        {}};
    customers.options.indexes = {Index::primary("PrimaryKey", {{"CustomerID"}}),
                                 {"CityName", {{"City"}, {"CompanyName", false}}},
                                 {"CompanyName", {{"CompanyName"}}, false, true}};
    TableData orders{
        "Orders",
        {Column::of("OrderID", ColumnType::Long), Column::of("CustomerID", ColumnType::Text, 5)},
        {},
        {}};
    orders.options.indexes = {Index::primary("PrimaryKey", {{"OrderID"}})};
    TableData lines{
        "Lines",
        {Column::of("OrderID", ColumnType::Long), Column::of("LineNo", ColumnType::Long)},
        {},
        {}};
    lines.options.indexes = {Index::primary("PrimaryKey", {{"OrderID"}, {"LineNo"}})};
    Relationship customersOrders{
        "CustomersOrders", "Orders", "Customers", {{"CustomerID", "CustomerID"}}};
    customersOrders.cascadeUpdates = true;
    Relationship ordersLines{"OrdersLines", "Lines", "Orders", {{"OrderID", "OrderID"}}};
    ordersLines.cascadeDeletes = true;
    Relationship loose{"CustomersLines", "Lines", "Customers", {{"LineNo", "CustomerID"}}};
    loose.enforced = false;
    WriterOptions options;
    options.format = format;
    const std::filesystem::path file = dir_.path().toStdString() + "/keys.mdb";
    writeDatabase(file, {customers, orders, lines}, {customersOrders, ordersLines, loose}, options);

    const QString schema = QString::fromUtf8(
        runTool({"mdb-schema", QString::fromStdString(file.string()), "postgres"}));
    QStringList keys;
    for (const QString& line : schema.split('\n'))
        if (!line.startsWith("-- CREATE") &&
            (line.contains("INDEX") || line.contains("KEY") || line.contains("Relationship from")))
            keys << line.section(" DEFERRABLE", 0, 0);
    QCOMPARE(keys,
             (QStringList{
                 "CREATE INDEX \"customers_cityname_idx\" ON \"customers\" (\"city\", "
                 "\"companyname\" DESC);",
                 "CREATE UNIQUE INDEX \"customers_companyname_idx\" ON \"customers\" "
                 "(\"companyname\");",
                 "ALTER TABLE \"customers\" ADD CONSTRAINT \"customers_pkey\" PRIMARY KEY "
                 "(\"customerid\");",
                 "ALTER TABLE \"orders\" ADD CONSTRAINT \"orders_pkey\" PRIMARY KEY "
                 "(\"orderid\");",
                 "ALTER TABLE \"lines\" ADD CONSTRAINT \"lines_pkey\" PRIMARY KEY "
                 "(\"orderid\", \"lineno\");",
                 // mdb-schema does not fold the referenced names as it folds the tables'.
                 "ALTER TABLE \"Orders\" ADD CONSTRAINT \"orders_customerid_fk\" FOREIGN KEY "
                 "(\"customerid\") REFERENCES \"Customers\"(\"customerid\") ON UPDATE CASCADE",
                 "ALTER TABLE \"Lines\" ADD CONSTRAINT \"lines_orderid_fk\" FOREIGN KEY "
                 "(\"orderid\") REFERENCES \"Orders\"(\"orderid\") ON DELETE CASCADE",
                 "-- Relationship from \"Lines\" (\"lineno\") to \"Customers\"(\"customerid\") "
                 "does not enforce integrity.",
             }));
    QVERIFY(schema.contains("\"companyname\"\t\t\tVARCHAR (40) NOT NULL"));
    QCOMPARE(runTool({"mdb-prop", QString::fromStdString(file.string()), "Customers"}),
             QByteArray("name: CompanyName\n\tRequired: yes\n\n"));
}

QTEST_GUILESS_MAIN(SchemaTest)
#include "SchemaTest.moc"
