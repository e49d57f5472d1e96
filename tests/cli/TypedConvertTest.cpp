// tabulant-convert --typed against the test server: a file with keys, an index and a relationship
// arrives with them, directly and through psql in one transaction (again over itself with
// --overwrite yes); data that breaks a key is reported once by the key's name, and in one
// transaction leaves nothing behind; replacing some tables keeps the foreign keys of the others.
#include "CliHarness.h"
#include "ShopFile.h"
#include "accesswriter/AccessWriter.h"
#include "accesswriter/SavedQueries.h"
#include "pgserver/TestServer.h"

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

// Columns with their types, constraints and indexes as the catalogue has them, and the rows.
std::string shape(TestServer& server, const std::string& database) {
    return server.psql(
        "SELECT table_name, column_name, data_type, is_nullable, is_identity FROM "
        "information_schema.columns WHERE table_schema = 'public' ORDER BY 1, ordinal_position;"
        "SELECT conrelid::regclass, conname, pg_get_constraintdef(oid) FROM pg_constraint "
        "WHERE connamespace = 'public'::regnamespace ORDER BY 2;"
        "SELECT indexdef FROM pg_indexes WHERE schemaname = 'public' ORDER BY 1;"
        "SELECT * FROM \"CliPatrons\" ORDER BY 1;"
        "SELECT * FROM \"CliOrders\" ORDER BY 1;",
        database);
}

} // namespace

class TypedConvertTest : public QObject {
    Q_OBJECT
private slots:
    void keysIndexesAndRelationshipsArrive();
    void brokenKeyIsReportedOnceByName();
    void replacedTablesKeepTheirForeignKeys();
    void actionQueryIsANote();
    void rowsBreakingRulesAreANote();
};

void TypedConvertTest::keysIndexesAndRelationshipsArrive() {
    TestServer& server = TestServer::shared();
    server.recreateDatabase("cli_typed_direct");
    server.recreateDatabase("cli_typed_piped");
    CliHarness h;
    const QString file = h.path("shop.accdb");
    writeShop(file.toStdString());

    const CliOutcome direct = h.run(h.serverArgs("cli_typed_direct") << "--typed" << file);
    QVERIFY2(direct.code == 0, direct.err().c_str());
    const std::string expected = shape(server, "cli_typed_direct");
    for (const char* line :
         {"CliOrders|OrderID|integer|NO|YES", "CliOrders|Ordered On|timestamp without time zone",
          "CliPatrons|CustomerCode|character varying|NO|NO",
          "\"CliPatrons\"|CliPatrons_PrimaryKey|PRIMARY KEY (\"CustomerCode\")",
          "\"CliOrders\"|PatronsOrders|FOREIGN KEY (\"CustomerCode\") REFERENCES "
          "\"CliPatrons\"(\"CustomerCode\") ON DELETE CASCADE",
          "\"CliPatrons\"|CliPatrons_Company|UNIQUE (\"Company Name\")",
          "CREATE INDEX \"CliOrders_ByDate\" ON public.\"CliOrders\" USING btree (\"Ordered On\" "
          "DESC)",
          "10|ALFKI|1850-03-04 10:20:30"})
        QVERIFY2(expected.find(line) != std::string::npos,
                 (std::string(line) + "\nin\n" + expected).c_str());
    // The identity goes on past the last number Access handed out, not past the rows.
    QCOMPARE(q(server.psql("INSERT INTO \"CliOrders\" (\"CustomerCode\") VALUES ('ALFKI') "
                           "RETURNING \"OrderID\"",
                           "cli_typed_direct")),
             QString("21"));

    int psqlCode = -1;
    std::string psqlErr;
    const CliOutcome piped = h.runIntoPsql({"--typed", file}, "cli_typed_piped", psqlCode, psqlErr);
    QVERIFY2(piped.code == 0, piped.err().c_str());
    QVERIFY2(psqlCode == 0, psqlErr.c_str());
    QCOMPARE(q(shape(server, "cli_typed_piped")), q(expected));

    // Loaded over itself: the foreign key towards the patrons must not keep them from being
    // replaced.
    const CliOutcome replaced = h.runIntoPsql({"--typed", "--overwrite", "yes", file},
                                              "cli_typed_piped", psqlCode, psqlErr);
    QVERIFY2(replaced.code == 0, replaced.err().c_str());
    QVERIFY2(psqlCode == 0, psqlErr.c_str());
    QCOMPARE(q(shape(server, "cli_typed_piped")), q(expected));
}

void TypedConvertTest::brokenKeyIsReportedOnceByName() {
    TestServer& server = TestServer::shared();
    server.recreateDatabase("cli_typed_broken");
    CliHarness h;
    const QString file = h.path("broken.mdb");
    aw::TableData t{"CliTwice",
                    {Column::of("Id", ColumnType::Long)},
                    {{V::integer(1)}, {V::integer(1)}, {V::integer(2)}},
                    {}};
    t.options.indexes = {Index::primary("PrimaryKey", {{"Id"}})};
    aw::writeDatabase(file.toStdString(), {t});

    const CliOutcome direct = h.run(h.serverArgs("cli_typed_broken") << "--typed" << file);
    QCOMPARE(direct.code, 1);
    const auto reports =
        std::count_if(direct.errLines.begin(), direct.errLines.end(),
                      [](const std::string& l) { return l.starts_with("Application Error: "); });
    QVERIFY2(reports == 1, direct.err().c_str());
    QVERIFY2(direct.err().find("CliTwice_PrimaryKey") != std::string::npos, direct.err().c_str());
    QCOMPARE(q(server.psql("SELECT count(*) FROM \"CliTwice\"", "cli_typed_broken")), QString("3"));

    // In one transaction the broken key takes the table with it.
    server.recreateDatabase("cli_typed_broken");
    int psqlCode = -1;
    std::string psqlErr;
    h.runIntoPsql({"--typed", file}, "cli_typed_broken", psqlCode, psqlErr);
    QCOMPARE(psqlCode, 3);
    QVERIFY2(psqlErr.find("CliTwice_PrimaryKey") != std::string::npos, psqlErr.c_str());
    QCOMPARE(q(server.psql("SELECT count(*) FROM pg_tables WHERE schemaname = 'public'",
                           "cli_typed_broken")),
             QString("0"));
}

// DROP TABLE ... CASCADE takes along the keys of other tables that refer to the replaced one,
// and its own towards tables not converted: each is made again, and one that no longer fits the
// data is named in one line.
void TypedConvertTest::replacedTablesKeepTheirForeignKeys() {
    TestServer& server = TestServer::shared();
    const std::string db = "cli_typed_keys";
    server.recreateDatabase(db);
    CliHarness h;
    const QString file = h.path("shop.accdb");
    writeShop(file.toStdString());
    QCOMPARE(h.run(h.serverArgs(db) << "--typed" << file).code, 0);
    server.psql("CREATE TABLE \"Invoices\" (id int, \"OrderID\" int CONSTRAINT \"InvoicesOrders\" "
                "REFERENCES \"CliOrders\"); INSERT INTO \"Invoices\" VALUES (1, 10)",
                db);
    const auto keys = [&] {
        return q(server.psql("SELECT string_agg(conname, ',' ORDER BY conname) FROM pg_constraint "
                             "WHERE contype = 'f'",
                             db));
    };
    QCOMPARE(keys(), QString("InvoicesOrders,PatronsOrders"));

    for (const char* table : {"CliPatrons", "CliOrders"}) {
        const CliOutcome o = h.run(h.serverArgs(db) << "--typed"
                                                    << "--overwrite"
                                                    << "yes"
                                                    << "--table" << table << file);
        QVERIFY2(o.code == 0, o.err().c_str());
        QCOMPARE(keys(), QString("InvoicesOrders,PatronsOrders"));
    }

    // An invoice of an order made on the server, which the replaced table no longer has, keeps
    // its key from coming back.
    server.psql("WITH made AS (INSERT INTO \"CliOrders\" (\"CustomerCode\") VALUES ('ALFKI') "
                "RETURNING \"OrderID\") INSERT INTO \"Invoices\" SELECT 2, \"OrderID\" FROM made",
                db);
    const CliOutcome o = h.run(h.serverArgs(db) << "--typed"
                                                << "--overwrite"
                                                << "yes"
                                                << "--table"
                                                << "CliOrders" << file);
    QCOMPARE(o.code, 1);
    const auto named =
        std::count_if(o.errLines.begin(), o.errLines.end(), [](const std::string& l) {
            return l.find("\"Invoices\".\"InvoicesOrders\" (") != std::string::npos;
        });
    QVERIFY2(named == 1, o.err().c_str());
    QCOMPARE(keys(), QString("PatronsOrders"));
}

// An action query that is not run is named in a note, which is no failure: the exit status stays
// 0, and quiet leaves the note out.
void TypedConvertTest::actionQueryIsANote() {
    TestServer& server = TestServer::shared();
    server.recreateDatabase("cli_typed_note");
    CliHarness h;
    const QString file = h.path("clients.mdb");
    {
        aw::AccessWriter w(file.toStdString());
        w.addTable("Clients", {Column::of("Name", ColumnType::Text, 20)}).addRow({V::text("Anna")});
        aw::addSavedQueries(w, {aw::appendQuery("Add Client", "Clients", "Name", "'Bo'")},
                            aw::Format::Jet4);
        w.finish();
    }
    const std::string note = "tabulant-convert: note: Action queries are not run; their Access "
                             "SQL is a comment among the statements: 'Add Client'";
    const std::pair<QStringList, bool> runs[] = {
        {h.serverArgs("cli_typed_note") << "--typed" << file, true},
        {{"--typed", "--quiet", "--sql", h.path("out.sql"), file}, false},
    };
    for (const auto& [args, noted] : runs) {
        const CliOutcome o = h.run(args);
        QVERIFY2(o.code == 0, o.err().c_str());
        const auto notes = std::count(o.errLines.begin(), o.errLines.end(), note);
        QVERIFY2(notes == (noted ? 1 : 0), o.err().c_str());
        QVERIFY2(o.err().find("Application Error") == std::string::npos, o.err().c_str());
    }
}

// Rows Access kept although they break a field rule and the table's rule: every row and both
// rules arrive (the rules for new rows; into a schema of the run's own, on that schema's table),
// and the user is told once, by each way of loading.
void TypedConvertTest::rowsBreakingRulesAreANote() {
    TestServer& server = TestServer::shared();
    CliHarness h;
    const QString file = h.path("rules.mdb");
    auto with = [](Column c, std::string rule) {
        c.properties = {{"ValidationRule", std::move(rule)}};
        return c;
    };
    aw::TableData t{"CliRules",
                    {Column::of("Id", ColumnType::Long),
                     with(Column::of("Qty", ColumnType::Integer), ">0"),
                     Column::of("Discount", ColumnType::Single)},
                    {{V::integer(1), V::integer(0), V::single(0)},
                     {V::integer(2), V::integer(1), V::single(1)},
                     {V::integer(3), V::integer(5), V::single(0.5)}},
                    {}};
    t.options.properties = {{"ValidationRule", "[Discount] < 1 Or [Qty] > 1"}};
    aw::writeDatabase(file.toStdString(), {t});
    const char* told[] = {"CliRules\" that break its rules are kept; the rules hold for new rows:",
                          "1 row breaks \"Qty\" (>0)",
                          "1 row breaks \"ValidationRule\" ([Discount] < 1 Or [Qty] > 1)"};
    enum class Load { Direct, Copy, Piped, Schema };
    for (const Load load : {Load::Direct, Load::Copy, Load::Piped, Load::Schema}) {
        server.recreateDatabase("cli_typed_rules");
        std::string notes;
        if (load == Load::Piped) {
            int psqlCode = -1;
            const CliOutcome o =
                h.runIntoPsql({"--typed", file}, "cli_typed_rules", psqlCode, notes);
            QVERIFY2(o.code == 0 && psqlCode == 0, (o.err() + notes).c_str());
            QVERIFY2(notes.find("WARNING:") != std::string::npos, notes.c_str());
        } else {
            QStringList args = h.serverArgs("cli_typed_rules") << "--typed" << file;
            if (load == Load::Copy) args << "--copy";
            if (load == Load::Schema)
                args << "--schema"
                     << "kept";
            const CliOutcome o = h.run(args);
            QVERIFY2(o.code == 0, o.err().c_str());
            const auto noted = std::count_if(o.errLines.begin(), o.errLines.end(), [](auto& l) {
                return l.starts_with("tabulant-convert: note: Rows of");
            });
            QVERIFY2(noted == 1, o.err().c_str());
            notes = o.err();
        }
        for (const char* text : told)
            QVERIFY2(notes.find(text) != std::string::npos, notes.c_str());
        const std::string table = load == Load::Schema ? "\"kept\".\"CliRules\"" : "\"CliRules\"";
        QCOMPARE(q(server.psql("SELECT count(*) FROM " + table +
                                   ";SELECT string_agg(conname || ':' || convalidated, ',' ORDER "
                                   "BY conname) FROM pg_constraint WHERE conrelid = '" +
                                   table + "'::regclass",
                               "cli_typed_rules")),
                 QString("3\nQty:false,ValidationRule:false"));
    }
}

QTEST_GUILESS_MAIN(TypedConvertTest)
#include "TypedConvertTest.moc"
