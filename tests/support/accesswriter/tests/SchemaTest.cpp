// Table definitions as libmdb's mdb-schema reads them: every type, flags it shows, and
// definitions too large for one page.

#include "AccessWriter.h"
#include "MdbTools.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tabulant::accesswriter;
using namespace tabulant::accesswriter::testing;
using tabulant::platform::Variant;

class SchemaTest : public QObject {
    Q_OBJECT

private slots:
    void everyTypeHasItsDefinition();
    void wideTableSpansDefinitionPages();

private:
    QTemporaryDir dir_;
};

void SchemaTest::everyTypeHasItsDefinition()
{
    Column autoLong = Column::of("l", ColumnType::Long);
    autoLong.autoNumber = true;
    Column fixedBinary = Column::of("binf", ColumnType::Binary, 4);
    fixedBinary.fixedLength = true;
    Column hyperlink = Column::of("h", ColumnType::Memo);
    hyperlink.hyperlink = true;
    Column calculated = Column::of("calc", ColumnType::Double);
    calculated.calculated = true;
    const std::vector<Column> columns{
        Column::of("yn", ColumnType::Boolean), Column::of("b", ColumnType::Byte), Column::of("i", ColumnType::Integer),
        autoLong, Column::of("c", ColumnType::Currency), Column::of("s", ColumnType::Single),
        Column::of("d", ColumnType::Double), Column::of("dt", ColumnType::DateTime),
        Column::of("bin", ColumnType::Binary, 16), fixedBinary, Column::of("t", ColumnType::Text, 40),
        Column::of("o", ColumnType::Ole), hyperlink, Column::of("g", ColumnType::Guid),
        Column::decimal("dec", 10, 3), Column::of("big", ColumnType::LargeNumber),
        Column::of("dt2", ColumnType::DateTimeExtended), calculated};
    WriterOptions options;
    options.format = Format::Ace2013;
    const std::filesystem::path file = dir_.path().toStdString() + "/types.accdb";
    writeDatabase(file, {{"All Types", columns, {}, {}}}, options);

    const QString schema = QString::fromUtf8(runTool({"mdb-schema", QString::fromStdString(file.string()), "postgres"}));
    const QString body = schema.section("CREATE TABLE IF NOT EXISTS \"all types\"", 1).section(");", 0, 0);
    QStringList lines;
    for (QString line : body.split('\n', Qt::SkipEmptyParts)) {
        line = line.simplified();
        if (line != "(")
            lines << line;
    }
    QCOMPARE(lines, (QStringList{
                        "\"yn\" BOOLEAN NOT NULL,", "\"b\" SMALLINT,", "\"i\" INTEGER,",
                        "\"l\" SERIAL,", // the AutoNumber flag
                        "\"c\" NUMERIC(15,2),", "\"s\" REAL,", "\"d\" DOUBLE PRECISION,",
                        "\"dt\" TIMESTAMP WITHOUT TIME ZONE,", "\"bin\" BYTEA,", "\"binf\" BYTEA,",
                        "\"t\" VARCHAR (40),", "\"o\" BYTEA,", "\"h\" TEXT,", "\"g\" UUID,",
                        "\"dec\" NUMERIC (10, 3),", "\"big\" Unknown_0013,", "\"dt2\" Unknown_0014,",
                        "\"calc\" DOUBLE PRECISION"}));
}

void SchemaTest::wideTableSpansDefinitionPages()
{
    // 200 columns with long names need some 17 KB of definition: five pages.
    std::vector<Column> columns;
    Row row;
    QStringList expected;
    const ColumnType types[] = {ColumnType::Long, ColumnType::Text, ColumnType::Memo, ColumnType::Double};
    for (int i = 0; i < 200; ++i) {
        columns.push_back(Column::of("A rather long column name number " + std::to_string(i), types[i % 4]));
        switch (i % 4) {
        case 0: row.push_back(Variant::integer(i)); expected << QString::number(i); break;
        case 1: row.push_back(Variant::text("t" + std::to_string(i))); expected << QString("t%1").arg(i); break;
        case 2: row.push_back(Variant::text("m" + std::to_string(i))); expected << QString("m%1").arg(i); break;
        default: row.push_back(Variant::real(i + 0.5)); expected << QString("%1.5").arg(i); break;
        }
    }
    const std::filesystem::path file = dir_.path().toStdString() + "/wide.mdb";
    writeDatabase(file, {{"Wide Table", columns, {row}, {}}});
    QCOMPARE(exportRows(file, "Wide Table"), QStringList{expected.join('|')});
    const QString schema = QString::fromUtf8(runTool({"mdb-schema", QString::fromStdString(file.string())}));
    QCOMPARE(schema.count("A rather long column name number"), 200);
    QVERIFY(schema.contains("[A rather long column name number 199]\t\t\tDouble"));
}

QTEST_GUILESS_MAIN(SchemaTest)
#include "SchemaTest.moc"
