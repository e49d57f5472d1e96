// Several files in one tabulant-convert command, into schemas: yearly files with the same table
// names land side by side (a schema per file, or one named schema), in both mappings, directly
// and through psql; the overwrite question sees the chosen schema's tables only; a file that
// cannot be opened is reported and the others are still converted.
#include "CliHarness.h"
#include "accesswriter/AccessWriter.h"
#include "pgserver/TestServer.h"

#include <QFile>
#include <QTest>

#include <algorithm>

using namespace tabulant;
using namespace tabulant::testing;
namespace aw = accesswriter;
using aw::Column;
using aw::ColumnType;
using aw::Index;
using V = platform::Variant;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// A year's patrons and orders: keys, an index, an AutoNumber whose counter ran past the rows and
// a relationship, so that the typed mapping has something of each kind to put into the schema.
// `orders` rows are written (numbered from 1).
void writeYear(const std::string& path, int orders) {
    aw::TableData patrons{
        "Patrons",
        {Column::of("Code", ColumnType::Text, 5), Column::of("Name", ColumnType::Text, 40)},
        {{V::text("ALFKI"), V::text("Alfreds")}},
        {}};
    patrons.options.indexes = {Index::primary("PrimaryKey", {{"Code"}}),
                               {"ByName", {{"Name", false}}}};
    Column id = Column::of("OrderID", ColumnType::Long);
    id.autoNumber = true;
    aw::TableData sales{"Orders", {id, Column::of("Code", ColumnType::Text, 5)}, {}, {}};
    for (int i = 1; i <= orders; ++i) sales.rows.push_back({V::integer(i), V::text("ALFKI")});
    sales.options.indexes = {Index::primary("PrimaryKey", {{"OrderID"}})};
    sales.options.autoNumberCounter = 50;
    aw::Relationship placed{"PatronsOrders", "Orders", "Patrons", {{"Code", "Code"}}};
    aw::WriterOptions options;
    options.format = aw::Format::Ace2010;
    aw::writeDatabase(path, {patrons, sales}, {placed}, options);
}

// Each table of the database as schema.table and its row count.
std::string tablesAndRows(TestServer& server, const std::string& database) {
    return server.psql(
        "SELECT string_agg(t, ' ' ORDER BY t COLLATE \"C\") FROM (SELECT format('%s.%s=%s', "
        "schemaname, tablename, (xpath('/row/c/text()', query_to_xml(format('SELECT count(*) AS "
        "c FROM %I.%I', schemaname, tablename), false, true, '')))[1]) AS t FROM pg_tables WHERE "
        "schemaname NOT IN ('pg_catalog', 'information_schema')) AS tables",
        database);
}

} // namespace

class SchemaConvertTest : public QObject {
    Q_OBJECT
private slots:
    void yearsShareOneDatabase_data();
    void yearsShareOneDatabase();
    void overwriteAsksAboutTheSchemasTables();
};

void SchemaConvertTest::yearsShareOneDatabase_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("piped");
    QTest::addColumn<QString>("tables");
    const QString perFile = "y2019.Orders=2 y2019.Patrons=1 y2020.Orders=3 y2020.Patrons=1";
    QTest::newRow("schema per file") << QStringList{"--schema-per-file"} << false << perFile;
    QTest::newRow("schema per file, typed")
        << QStringList{"--schema-per-file", "--typed"} << false << perFile;
    QTest::newRow("schema per file, typed, through psql")
        << QStringList{"--schema-per-file", "--typed"} << true << perFile;
    // One schema for both: the second year replaces the first.
    QTest::newRow("one schema, typed, through psql")
        << QStringList{"--schema", "Sales Years", "--typed", "--overwrite", "yes"} << true
        << "Sales Years.Orders=3 Sales Years.Patrons=1";
    QTest::newRow("one schema") << QStringList{"--schema", "Sales Years", "--overwrite", "yes"}
                                << false << "Sales Years.Orders=3 Sales Years.Patrons=1";
    // The rows in bulk go to the schema's tables too, and the verification looks there.
    QTest::newRow("schema per file, typed, in bulk, verified")
        << QStringList{"--schema-per-file", "--typed", "--copy", "--verify"} << false << perFile;
    QTest::newRow("one schema, in bulk, through psql")
        << QStringList{"--schema", "Sales Years", "--copy", "--overwrite", "yes"} << true
        << "Sales Years.Orders=3 Sales Years.Patrons=1";
}

void SchemaConvertTest::yearsShareOneDatabase() {
    QFETCH(QStringList, options);
    QFETCH(bool, piped);
    QFETCH(QString, tables);
    TestServer& server = TestServer::shared();
    const std::string database = "cli_schemas";
    server.recreateDatabase(database);
    CliHarness h;
    writeYear(h.path("y2019.mdb").toStdString(), 2);
    writeYear(h.path("y2020.accdb").toStdString(), 3);
    const QStringList files{h.path("y2019.mdb"), h.path("y2020.accdb")};

    CliOutcome o;
    if (piped) {
        int psqlCode = -1;
        std::string psqlErr;
        o = h.runIntoPsql(options + files, database, psqlCode, psqlErr);
        QVERIFY2(psqlCode == 0, psqlErr.c_str());
    } else {
        o = h.run(h.serverArgs(database) + options + files);
    }
    QVERIFY2(o.code == 0, o.err().c_str());
    if (options.contains("--verify"))
        QVERIFY2(std::count(o.errLines.begin(), o.errLines.end(),
                            std::string("Orders: 3 rows, 2 "
                                        "columns: identical")) == 1,
                 o.err().c_str());
    QVERIFY2(o.errLines.back().starts_with("2 files, 4 tables, 7 rows, "), o.err().c_str());
    QCOMPARE(q(tablesAndRows(server, database)), tables);
    if (piped && options.contains("--copy")) {
        // The rows went as COPY blocks into the schema's table, not as INSERTs nor into public.
        const QString sql = h.path("copy.sql");
        QCOMPARE(h.run(options + files + QStringList{"--sql", sql}).code, 0);
        QFile script(sql);
        QVERIFY(script.open(QIODevice::ReadOnly));
        const QByteArray text = script.readAll();
        QVERIFY2(text.contains("\nCOPY \"Sales Years\".\"Orders\" FROM STDIN;\n"), text.data());
        QVERIFY2(!text.contains("INSERT INTO"), text.data());
    }

    if (!options.contains("--typed")) return;
    // Keys, indexes, relationships and identities are the schema's own, not public's.
    const std::string schema = options.contains("--schema") ? "Sales Years" : "y2020";
    const std::string keys = server.psql(
        "SELECT string_agg(conname || ':' || contype::text, ' ' ORDER BY conname COLLATE "
        "\"C\") FROM pg_constraint WHERE "
        "connamespace = to_regnamespace('\"" +
            schema +
            "\"') AND (contype <> 'f' OR "
            "(SELECT relnamespace FROM pg_class WHERE oid = confrelid) = connamespace);"
            "SELECT indexname FROM pg_indexes WHERE indexname LIKE '%ByName';"
            "INSERT INTO \"" +
            schema +
            "\".\"Orders\" (\"Code\") VALUES ('ALFKI') RETURNING "
            "\"OrderID\"",
        database);
    QCOMPARE(q(keys), QString("Orders_PrimaryKey:p PatronsOrders:f Patrons_PrimaryKey:p\n"
                              "Patrons_ByName%1\n51")
                          .arg(options.contains("--schema") ? "" : "\nPatrons_ByName"));
}

void SchemaConvertTest::overwriteAsksAboutTheSchemasTables() {
    TestServer& server = TestServer::shared();
    const std::string database = "cli_schema_overwrite";
    server.recreateDatabase(database);
    // A table of the same name elsewhere is no reason to ask.
    server.psql("CREATE TABLE \"Patrons\" (kept text); INSERT INTO \"Patrons\" VALUES ('public')",
                database);
    CliHarness h;
    writeYear(h.path("shop.mdb").toStdString(), 2);
    const QStringList args = h.serverArgs(database)
                             << "--schema"
                             << "shop"
                             << "--overwrite"
                             << "no" << h.path("shop.mdb") << h.path("missing.mdb");

    const CliOutcome first = h.run(args);
    // The file that cannot be opened is said and counted; the other one is converted.
    QCOMPARE(first.code, 2);
    QVERIFY2(first.err().find("cannot open " + h.path("missing.mdb").toStdString()) !=
                 std::string::npos,
             first.err().c_str());
    QVERIFY2(first.err().find("overwrite") == std::string::npos, first.err().c_str());
    QVERIFY2(first.errLines.back().starts_with("1 of 2 files, 2 tables, 3 rows, "),
             first.err().c_str());
    QCOMPARE(q(tablesAndRows(server, database)),
             QString("public.Patrons=1 shop.Orders=2 shop.Patrons=1"));

    const CliOutcome again = h.run(args.mid(0, args.size() - 1));
    QCOMPARE(again.code, 0);
    QVERIFY2(again.err().find("Would you like to overwrite Orders? No") != std::string::npos,
             again.err().c_str());
    QCOMPARE(q(tablesAndRows(server, database)),
             QString("public.Patrons=1 shop.Orders=2 shop.Patrons=1"));
}

QTEST_GUILESS_MAIN(SchemaConvertTest)
#include "SchemaConvertTest.moc"
