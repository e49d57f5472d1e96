// The Access module: the connection string it builds and the reader parses back, and the table
// list filling over the real reader and over an in-memory connection.
#include "AccessFixtures.h"
#include "db/Access.h"
#include "db/ProviderConnectionFactory.h"
#include "db/access/AccessConnectionString.h"
#include "fakes/CountingEventLoop.h"
#include "fakes/InMemoryConnectionFactory.h"
#include "fakes/ScriptedPrompts.h"
#include "platform/Error.h"

#include <QTest>

using namespace tabulant;
using namespace tabulant::accesswriter;
using platform::Variant;
using enum platform::AdoType;

class AccessModuleTest : public QObject {
    Q_OBJECT

private slots:
    void connectionString_data();
    void connectionString();
    void connectionStringReadsTheWindowWhenNoSourceIsGiven();
    void parsedBack_data();
    void parsedBack();
    void selectStatement_data();
    void selectStatement();
    void missingFileOpensNothingAndSaysSo();
    void listIsFilledInSchemaOrderWithAYieldPerName();
    void openFailurePropagatesWithoutMessage();
    void realFileListsOnlyUserTables();
};

void AccessModuleTest::connectionString_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("expected");
    const QString jet = "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=";
    const QString ace = "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=";
    const QString pw = ";JET OLEDB:Database Password=";
    QTest::newRow("mdb") << "/d/a.mdb"
                         << "" << jet + "/d/a.mdb" + pw;
    QTest::newRow("accdb") << "/d/a.accdb"
                           << "x" << ace + "/d/a.accdb" + pw + "x";
    QTest::newRow("upper-case ending") << "/d/A.ACCDB"
                                       << "" << ace + "/d/A.ACCDB" + pw;
    QTest::newRow("no dot before accdb") << "/d/myaccdb"
                                         << "" << ace + "/d/myaccdb" + pw;
    QTest::newRow("shorter than five") << "a.db"
                                       << "" << jet + "a.db" + pw;
    QTest::newRow("password kept as typed") << "/d/a.mdb"
                                            << "a;b=c" << jet + "/d/a.mdb" + pw + "a;b=c";
}

void AccessModuleTest::connectionString() {
    QFETCH(QString, source);
    QFETCH(QString, password);
    QFETCH(QString, expected);
    db::FixedConnectionFields fields;
    fields.accessFile = source.toStdString();
    fields.accessPassword = password.toStdString();
    QCOMPARE(QString::fromStdString(db::AccessConnectionString(fields)), expected);
    db::FixedConnectionFields empty;
    QCOMPARE(QString::fromStdString(
                 db::AccessConnectionString(empty, source.toStdString(), password.toStdString())),
             expected);
}

void AccessModuleTest::connectionStringReadsTheWindowWhenNoSourceIsGiven() {
    db::FixedConnectionFields fields;
    fields.accessFile = "/w/b.mdb";
    fields.accessPassword = "window";
    QCOMPARE(db::AccessConnectionString(fields, "", "argument"),
             std::string("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/w/b.mdb;JET OLEDB:Database "
                         "Password=window"));
}

void AccessModuleTest::parsedBack_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("password");
    QTest::newRow("plain") << "/d/a.mdb"
                           << "pw";
    QTest::newRow("empty password") << "/d/a.accdb"
                                    << "";
    QTest::newRow("semicolons in both") << "/d/x;y=z.mdb"
                                        << ";a;b=;";
    QTest::newRow("key text in the path") << "/d/Data Source=q.mdb"
                                          << "p";
    QTest::newRow("password key in the path") << "/d/x;JET OLEDB:Database Password=y.mdb"
                                              << "pw";
    QTest::newRow("password key in the path, no password") << "/d/;jet oledb:database password=.mdb"
                                                           << "";
    QTest::newRow("blanks") << "/d/my file.accdb"
                            << " spaced ";
}

void AccessModuleTest::parsedBack() {
    QFETCH(QString, source);
    QFETCH(QString, password);
    db::FixedConnectionFields fields;
    const auto parsed = db::ParseAccessConnectionString(
        db::AccessConnectionString(fields, source.toStdString(), password.toStdString()));
    QVERIFY(parsed);
    QCOMPARE(QString::fromStdString(parsed->dataSource), source);
    QCOMPARE(QString::fromStdString(parsed->password), password);
}

void AccessModuleTest::selectStatement_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("table"); // empty: refused
    QTest::newRow("grave accents") << "SELECT * FROM `Order Details`"
                                   << "Order Details";
    QTest::newRow("quotes inside") << "SELECT * FROM `ab\"\"x 'y'`"
                                   << "ab\"\"x 'y'";
    QTest::newRow("brackets") << "select * from [t 1]"
                              << "t 1";
    QTest::newRow("bare, semicolon") << "  SELECT  *  FROM  Orders ; "
                                     << "Orders";
    QTest::newRow("other statement") << "DELETE FROM `T`"
                                     << "";
    QTest::newRow("unclosed accent") << "SELECT * FROM `T"
                                     << "";
    QTest::newRow("no table") << "SELECT * FROM "
                              << "";
}

void AccessModuleTest::selectStatement() {
    QFETCH(QString, statement);
    QFETCH(QString, table);
    const auto parsed = db::ParseSelectAll(statement.toStdString());
    QCOMPARE(parsed.has_value(), !table.isEmpty());
    if (parsed) QCOMPARE(QString::fromStdString(*parsed), table);
}

namespace {

struct ModuleSetup {
    fakes::InMemoryConnectionFactory factory;
    fakes::ScriptedPrompts prompts;
    fakes::CountingEventLoop events;
    db::FixedConnectionFields fields;
    db::Services services{factory, prompts, events, fields};
};

} // namespace

void AccessModuleTest::missingFileOpensNothingAndSaysSo() {
    ModuleSetup s;
    s.fields.accessFile = "/nonexistent/file.mdb";
    QVERIFY(!db::GetAccessTableNames(s.services, s.fields.accessFile));
    platform::VectorStringList list;
    list.AddItem("stale");
    db::FillAccessTableList(s.services, list, s.fields.accessFile);
    QCOMPARE(list.ListCount(), 0);
    QCOMPARE(s.prompts.Messages(), std::vector<std::string>{"Unable to access the database"});
    QVERIFY(s.factory.access.openedWith.empty());
}

void AccessModuleTest::listIsFilledInSchemaOrderWithAYieldPerName() {
    AccessFixtureDir dir;
    ModuleSetup s;
    s.fields.accessFile = dir.File("exists.accdb"); // only its existence is looked at
    s.fields.accessPassword = "pw";
    for (const char* name : {"b", "a", "c"}) s.factory.access.Add(name, {{"x", adInteger}});
    platform::VectorStringList list;
    list.AddItem("stale");
    int yieldsSeen = 0;
    s.events.onEvents = [&] { ++yieldsSeen; };
    db::FillAccessTableList(s.services, list, s.fields.accessFile);
    QCOMPARE(list.items(), (std::vector<std::string>{"b", "a", "c"}));
    QCOMPARE(yieldsSeen, 0); // yield() looks at the clock only every sixteenth call
    QCOMPARE(s.factory.access.openedWith,
             std::vector<std::string>{"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" +
                                      s.fields.accessFile + ";JET OLEDB:Database Password=pw"});
    QCOMPARE(s.factory.access.closes, 1);
    QVERIFY(s.prompts.Messages().empty());
}

void AccessModuleTest::openFailurePropagatesWithoutMessage() {
    AccessFixtureDir dir;
    ModuleSetup s;
    s.fields.accessFile = dir.File("exists.mdb");
    s.factory.access.openFailure = platform::Error(-2147217843, "Not a valid password.");
    platform::VectorStringList list;
    QVERIFY_THROWS_EXCEPTION(platform::Error,
                             db::FillAccessTableList(s.services, list, s.fields.accessFile));
    QVERIFY(s.prompts.Messages().empty());
}

void AccessModuleTest::realFileListsOnlyUserTables() {
    AccessFixtureDir dir;
    const std::string path = dir.Path("list.mdb");
    {
        AccessWriter w(path);
        w.addTable("Zeta", {Column::of("n", ColumnType::Long)});
        w.addTable("alpha", {Column::of("n", ColumnType::Long)});
        TableOptions system;
        system.flags = kSystemObjectFlags;
        system.systemTable = true;
        w.addTable("MSysSomething", {Column::of("n", ColumnType::Long)}, system);
        w.addCatalogEntry({"Elsewhere", ObjectType::LinkedTable, 0, 0, "T", "C:\\o.mdb", "", {}});
        w.finish();
    }
    db::ProviderConnectionFactory factory;
    fakes::ScriptedPrompts prompts;
    fakes::CountingEventLoop events;
    db::FixedConnectionFields fields;
    fields.accessFile = path;
    const db::Services services{factory, prompts, events, fields};
    const auto names = db::GetAccessTableNames(services, path);
    QVERIFY(names);
    QCOMPARE(*names, (std::vector<std::string>{"alpha", "Zeta"}));
}

QTEST_GUILESS_MAIN(AccessModuleTest)
#include "AccessModuleTest.moc"
