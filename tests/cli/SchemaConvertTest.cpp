// Several files in one tabulant-convert command, into schemas: yearly files with the same table
// names land side by side (a schema per file, or one named schema), in both mappings, directly
// and through psql; the overwrite question sees the chosen schema's tables only; a file that
// cannot be opened is reported and the others are still converted.
#include "CliHarness.h"
#include "ShopFile.h"
#include "pgserver/TestServer.h"

#include <QFile>
#include <QTest>

#include <algorithm>

using namespace tabulant;
using namespace tabulant::testing;

namespace {

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
    const QString perFile =
        "y2019.CliOrders=2 y2019.CliPatrons=2 y2020.CliOrders=3 y2020.CliPatrons=2";
    QTest::newRow("schema per file") << QStringList{"--schema-per-file"} << false << perFile;
    QTest::newRow("schema per file, typed")
        << QStringList{"--schema-per-file", "--typed"} << false << perFile;
    QTest::newRow("schema per file, typed, through psql")
        << QStringList{"--schema-per-file", "--typed"} << true << perFile;
    // One schema for both: the second year replaces the first.
    QTest::newRow("one schema, typed, through psql")
        << QStringList{"--schema", "Sales Years", "--typed", "--overwrite", "yes"} << true
        << "Sales Years.CliOrders=3 Sales Years.CliPatrons=2";
    QTest::newRow("one schema") << QStringList{"--schema", "Sales Years", "--overwrite", "yes"}
                                << false << "Sales Years.CliOrders=3 Sales Years.CliPatrons=2";
    // The rows in bulk go to the schema's tables too, and the verification looks there.
    QTest::newRow("schema per file, typed, in bulk, verified")
        << QStringList{"--schema-per-file", "--typed", "--copy", "--verify"} << false << perFile;
    QTest::newRow("one schema, in bulk, through psql")
        << QStringList{"--schema", "Sales Years", "--copy", "--overwrite", "yes"} << true
        << "Sales Years.CliOrders=3 Sales Years.CliPatrons=2";
}

void SchemaConvertTest::yearsShareOneDatabase() {
    QFETCH(QStringList, options);
    QFETCH(bool, piped);
    QFETCH(QString, tables);
    TestServer& server = TestServer::shared();
    const std::string database = "cli_schemas";
    server.recreateDatabase(database);
    CliHarness h;
    writeShop(h.path("y2019.mdb").toStdString(), 2);
    writeShop(h.path("y2020.accdb").toStdString(), 3);
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
                            std::string("CliOrders: 3 rows, 3 "
                                        "columns: identical")) == 1,
                 o.err().c_str());
    QVERIFY2(o.errLines.back().starts_with("2 files, 4 tables, 9 rows, "), o.err().c_str());
    QCOMPARE(q(tablesAndRows(server, database)), tables);
    if (piped && options.contains("--copy")) {
        // The rows went as COPY blocks into the schema's table, not as INSERTs nor into public.
        const QString sql = h.path("copy.sql");
        QCOMPARE(h.run(options + files + QStringList{"--sql", sql}).code, 0);
        QFile script(sql);
        QVERIFY(script.open(QIODevice::ReadOnly));
        const QByteArray text = script.readAll();
        QVERIFY2(text.contains("\nCOPY \"Sales Years\".\"CliOrders\" FROM STDIN;\n"), text.data());
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
            "SELECT indexname FROM pg_indexes WHERE indexname LIKE '%ByDate';"
            "INSERT INTO \"" +
            schema +
            "\".\"CliOrders\" (\"CustomerCode\") VALUES ('ALFKI') RETURNING "
            "\"OrderID\"",
        database);
    QCOMPARE(q(keys), QString("CliOrders_PrimaryKey:p CliPatrons_Company:u "
                              "CliPatrons_PrimaryKey:p PatronsOrders:f\nCliOrders_ByDate%1\n21")
                          .arg(options.contains("--schema") ? "" : "\nCliOrders_ByDate"));
}

void SchemaConvertTest::overwriteAsksAboutTheSchemasTables() {
    TestServer& server = TestServer::shared();
    const std::string database = "cli_schema_overwrite";
    server.recreateDatabase(database);
    // A table of the same name elsewhere is no reason to ask.
    server.psql("CREATE TABLE \"CliPatrons\" (kept text); INSERT INTO \"CliPatrons\" VALUES "
                "('public')",
                database);
    CliHarness h;
    writeShop(h.path("shop.mdb").toStdString());
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
    QVERIFY2(first.errLines.back().starts_with("1 of 2 files, 2 tables, 4 rows, "),
             first.err().c_str());
    QCOMPARE(q(tablesAndRows(server, database)),
             QString("public.CliPatrons=1 shop.CliOrders=2 shop.CliPatrons=2"));

    const CliOutcome again = h.run(args.mid(0, args.size() - 1));
    QCOMPARE(again.code, 0);
    QVERIFY2(again.err().find("Would you like to overwrite CliOrders? No") != std::string::npos,
             again.err().c_str());
    QCOMPARE(q(tablesAndRows(server, database)),
             QString("public.CliPatrons=1 shop.CliOrders=2 shop.CliPatrons=2"));
}

QTEST_GUILESS_MAIN(SchemaConvertTest)
#include "SchemaConvertTest.moc"
