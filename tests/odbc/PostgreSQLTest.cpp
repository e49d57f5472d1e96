#include "db/PostgreSQL.h"
#include "db/ProviderConnectionFactory.h"
#include "fakes/CountingEventLoop.h"
#include "fakes/ScriptedPrompts.h"
#include "pgserver/TestServer.h"
#include "platform/Error.h"
#include "platform/Recordset.h"

#include <QTest>

#include <sstream>
#include <stdexcept>

using namespace tabulant;
using testing::PrivateTestServer;
using testing::TestServer;

namespace {

// The services of the PostgreSQL module with the real connections and scripted message boxes.
struct Harness {
    db::ProviderConnectionFactory connections;
    fakes::ScriptedPrompts prompts;
    fakes::CountingEventLoop events;
    db::FixedConnectionFields fields;

    explicit Harness(db::FixedConnectionFields f) : fields(std::move(f)) {}
    db::Services services() { return {connections, prompts, events, fields}; }
};

class FailingFactory final : public platform::ConnectionFactory {
public:
    std::unique_ptr<platform::Connection> CreateConnection() override {
        throw platform::Error(429, "ActiveX component can't create object");
    }
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

} // namespace

class PostgreSQLTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // Roles whose passwords need the braces of the connection string.
        TestServer::shared().psql(
            "drop role if exists odbc_semicolon, odbc_braces, odbc_plus, odbc_percent, \"odbc Ω\";"
            "create role odbc_semicolon login password 'a;b';"
            "create role odbc_braces login password '{x}};y';"
            "create role odbc_plus login password 'a+b%41';"
            "create role odbc_percent login password '100%';"
            "create role \"odbc Ω\" login password 'pä ss'");
    }

    void settings_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("port"); // empty: the server's
        QTest::addColumn<bool>("works");
        QTest::newRow("right") << "tabulant"
                               << "tabulant"
                               << "tabulant"
                               << "" << true;
        QTest::newRow("password with semicolon") << "odbc_semicolon"
                                                 << "a;b"
                                                 << "tabulant"
                                                 << "" << true;
        QTest::newRow("password with braces") << "odbc_braces"
                                              << "{x}};y"
                                              << "tabulant"
                                              << "" << true;
        QTest::newRow("password with plus and percent") << "odbc_plus"
                                                        << "a+b%41"
                                                        << "tabulant"
                                                        << "" << true;
        QTest::newRow("password ending in percent") << "odbc_percent"
                                                    << "100%"
                                                    << "tabulant"
                                                    << "" << true;
        QTest::newRow("greek user, space in password") << "odbc Ω"
                                                       << "pä ss"
                                                       << "tabulant"
                                                       << "" << true;
        QTest::newRow("wrong password") << "tabulant"
                                        << "wrong"
                                        << "tabulant"
                                        << "" << false;
        QTest::newRow("password cut at semicolon") << "odbc_semicolon"
                                                   << "a"
                                                   << "tabulant"
                                                   << "" << false;
        QTest::newRow("empty password") << "tabulant"
                                        << ""
                                        << "tabulant"
                                        << "" << false;
        QTest::newRow("unknown user") << "odbc_nobody"
                                      << "x"
                                      << "tabulant"
                                      << "" << false;
        QTest::newRow("unknown database") << "tabulant"
                                          << "tabulant"
                                          << "odbc_none"
                                          << "" << false;
        QTest::newRow("nothing listening") << "tabulant"
                                           << "tabulant"
                                           << "tabulant"
                                           << "1" << false;
        QTest::newRow("port not a number") << "tabulant"
                                           << "tabulant"
                                           << "tabulant"
                                           << "abc" << false;
    }
    void settings() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, database);
        QFETCH(QString, port);
        QFETCH(bool, works);
        db::FixedConnectionFields f = TestServer::shared().fields(
            user.toStdString(), password.toStdString(), database.toStdString());
        if (!port.isEmpty()) f.port = port.toStdString();

        Harness probe(f);
        QCOMPARE(db::CanConnectPostgreSQL(probe.services()), works);
        // A refusal is the driver's own, with its SQLSTATE.
        const std::optional<std::string> failure = db::PostgreSQLConnectFailure(probe.services());
        QCOMPARE(!failure.has_value(), works);
        if (failure) QVERIFY2(failure->starts_with("SQLException: [08001] "), failure->c_str());
        QVERIFY(probe.prompts.Entries().empty());
    }

    void stoppedServer() {
        PrivateTestServer server;
        const db::FixedConnectionFields f = server.fields();
        Harness before(f);
        QVERIFY(db::CanConnectPostgreSQL(before.services()));
        server.stop();
        Harness probe(f);
        QVERIFY(!db::CanConnectPostgreSQL(probe.services()));
        const std::optional<std::string> failure = db::PostgreSQLConnectFailure(probe.services());
        QVERIFY(failure && failure->find("Connection refused") != std::string::npos);
    }

    void connectionObjectNotCreated() {
        Harness h(TestServer::shared().fields());
        FailingFactory failing;
        const db::Services services{failing, h.prompts, h.events, h.fields};
        QVERIFY(!db::CanConnectPostgreSQL(services));
        QCOMPARE(db::PostgreSQLConnectFailure(services),
                 std::optional<std::string>("ActiveX component can't create object"));
        QVERIFY(h.prompts.Entries().empty());
    }

    // The conversion connection as the run opens it, through the program's connection factory.
    void conversionConnection() {
        TestServer& server = TestServer::shared();
        server.psql("drop table if exists \"odbc run Ω\"");
        db::ProviderConnectionFactory factory;
        auto c = factory.CreateConnection();
        c->CursorLocation(platform::Connection::adUseServer);
        c->CommandTimeout(5000);
        c->ConnectionTimeout(5000);
        c->Open(db::PostgreSQLConnectionString(server.fields()));
        QVERIFY(
            c->Execute(
                "CREATE TABLE \"odbc run Ω\" (\"Name\" TEXT, \"Amount\" NUMERIC, \"Done\" BOOL)") ==
            nullptr);
        QVERIFY(c->Execute("INSERT INTO \"odbc run Ω\" (\"Name\", \"Amount\", \"Done\") VALUES "
                           "('Ωμέγα 😀', 12.50, TRUE);") == nullptr);
        QVERIFY(c->Execute("INSERT INTO \"odbc run Ω\" (\"Name\", \"Amount\", \"Done\") VALUES "
                           "(NULL, -1, FALSE);") == nullptr);
        platform::Recordset timeout(c->Execute("show statement_timeout"));
        QCOMPARE(timeout.Fields().Item(0).value.payload(), std::string("5000s"));
        timeout.Close();
        c->Close();
        QCOMPARE(server.psql("select coalesce(\"Name\", 'null'), \"Amount\", \"Done\" from \"odbc "
                             "run Ω\" order by 2 desc"),
                 std::string("Ωμέγα 😀|12.50|t\nnull|-1|f"));
    }

    void tableListAppendsServerOrder() {
        TestServer& server = TestServer::shared();
        server.psql("drop table if exists odbc_list_one, \"Odbc List Ω\";"
                    "create table odbc_list_one (a int); create table \"Odbc List Ω\" (a int)");
        Harness h(server.fields());
        platform::VectorStringList list;
        list.AddItem("kept");
        // Other tests create and drop tables on the same server meanwhile: what the list must
        // hold is every table that exists before and after it is filled, and nothing that
        // existed at neither time.
        const std::vector<std::string> before =
            lines(server.psql("select tablename from pg_tables;"));
        db::FillPostgreSQLTableList(h.services(), list);
        const std::vector<std::string> after =
            lines(server.psql("select tablename from pg_tables;"));

        const std::vector<std::string>& got = list.items();
        QCOMPARE(got.front(), std::string("kept"));
        const auto in = [](const std::vector<std::string>& v, const std::string& n) {
            return std::find(v.begin(), v.end(), n) != v.end();
        };
        for (const std::string& name : before)
            if (in(after, name)) QVERIFY2(in(got, name), name.c_str());
        for (std::size_t i = 1; i < got.size(); ++i)
            QVERIFY2(in(before, got[i]) || in(after, got[i]), got[i].c_str());
        // Every schema, the system catalogues included, unqualified.
        QVERIFY(in(got, "odbc_list_one") && in(got, "Odbc List Ω") && in(got, "pg_class"));
        QVERIFY(h.events.Processed() > 0);
        QVERIFY(h.prompts.Entries().empty());
    }

    void tableListFailuresReachCaller() {
        Harness h(TestServer::shared().fields("tabulant", "wrong"));
        platform::VectorStringList list;
        QVERIFY_THROWS_EXCEPTION(platform::Error, db::FillPostgreSQLTableList(h.services(), list));
        QCOMPARE(list.ListCount(), 0);
    }
};

QTEST_GUILESS_MAIN(PostgreSQLTest)
#include "PostgreSQLTest.moc"
