// What a failure's description says about the statements after it, and a connection that gets
// over a server that went away, against a server of the test's own that is stopped and started.
#include "db/FailureScope.h"
#include "db/ProviderConnectionFactory.h"
#include "db/ReopeningConnection.h"
#include "pgserver/TestServer.h"
#include "platform/Error.h"

#include <QTest>

using namespace tabulant;
using db::FailureScope;

Q_DECLARE_METATYPE(db::FailureScope)

namespace {

// The failure a statement meets, or an empty text when it ran.
std::string Failure(platform::Connection& connection, const std::string& statement) {
    try {
        connection.Execute(statement);
        return {};
    } catch (const platform::Error& e) {
        return e.description();
    }
}

} // namespace

class LostConnectionTest : public QObject {
    Q_OBJECT
private slots:
    void scopeOfFailures_data() {
        QTest::addColumn<QString>("description");
        QTest::addColumn<FailureScope>("scope");
        QTest::newRow("server shut down")
            << "SQLException: [57P01] FATAL: terminating connection" << FailureScope::Connection;
        QTest::newRow("driver lost it") << "SQLException: [08S01] unable due to the connection lost"
                                        << FailureScope::Connection;
        QTest::newRow("not open") << "SQLException: [08003] The connection is not open."
                                  << FailureScope::Connection;
        QTest::newRow("crash") << "SQLException: [57P02] crash" << FailureScope::Connection;
        QTest::newRow("no such table")
            << "SQLException: [42P01] ERROR: relation does not exist" << FailureScope::Relation;
        QTest::newRow("no right") << "SQLException: [42501] ERROR: permission denied"
                                  << FailureScope::Relation;
        QTest::newRow("view too narrow") << "SQLException: [42601] ERROR: INSERT has more "
                                            "expressions than target columns"
                                         << FailureScope::Relation;
        QTest::newRow("view not updatable")
            << "SQLException: [55000] cannot insert into view" << FailureScope::Relation;
        QTest::newRow("bad value")
            << "SQLException: [22P02] invalid input syntax" << FailureScope::Statement;
        QTest::newRow("duplicate key")
            << "SQLException: [23505] duplicate key" << FailureScope::Statement;
        QTest::newRow("query cancelled by the time-out")
            << "SQLException: [57014] canceling" << FailureScope::Statement;
        QTest::newRow("no SQLSTATE")
            << "Operation is not allowed when the object is closed." << FailureScope::Statement;
        QTest::newRow("state cut short") << "SQLException: [08] x" << FailureScope::Statement;
        // A later record does not decide; the first one names the failure.
        QTest::newRow("first record decides")
            << "SQLException: [22P02] bad\nSQLException: [08S01] lost" << FailureScope::Statement;
    }
    void scopeOfFailures() {
        QFETCH(QString, description);
        QFETCH(FailureScope, scope);
        QCOMPARE(db::ScopeOf(description.toStdString()), scope);
    }

    // The server goes away under an open connection and comes back: the statement that met the
    // loss is not sent again, one that meets a stopped server fails without being sent, and the
    // first one after the restart reopens the connection and runs.
    void reopensOnceTheServerIsBack() {
        testing::PrivateTestServer server;
        server.psql("CREATE TABLE lost (n integer)");
        db::ProviderConnectionFactory factory;
        db::ReopeningConnection connection(factory.CreateConnection());
        connection.CommandTimeout(5000);
        connection.Open(server.connectionString());
        QCOMPARE(Failure(connection, "INSERT INTO lost VALUES (1)"), std::string());

        server.stop();
        const std::string lost = Failure(connection, "INSERT INTO lost VALUES (2)");
        QCOMPARE(db::ScopeOf(lost), FailureScope::Connection);
        const std::string down = Failure(connection, "INSERT INTO lost VALUES (3)");
        QVERIFY2(down.starts_with("SQLException: [08001]"), down.c_str());

        server.start();
        QCOMPARE(Failure(connection, "INSERT INTO lost VALUES (4)"), std::string());
        QCOMPARE(Failure(connection, "INSERT INTO lost VALUES (5)"), std::string());
        QCOMPARE(connection.CommandTimeout(), 5000);
        connection.Close();
        QVERIFY(!connection.IsOpen());
        QCOMPARE(server.psql("SELECT string_agg(n::text, ',' ORDER BY n) FROM lost"),
                 std::string("1,4,5"));
    }

    // After a reopen that failed, closing the connection says nothing; a connection never opened
    // is neither reopened nor closed.
    void closingALostConnection() {
        testing::PrivateTestServer server;
        db::ProviderConnectionFactory factory;
        db::ReopeningConnection connection(factory.CreateConnection());
        connection.Open(server.connectionString());
        server.stop();
        QVERIFY(!Failure(connection, "SELECT 1").empty());
        QVERIFY(!Failure(connection, "SELECT 1").empty());
        connection.Close();

        db::ReopeningConnection never(factory.CreateConnection());
        QVERIFY(!Failure(never, "SELECT 1").empty());
        QVERIFY(!never.IsOpen());
        QVERIFY_THROWS_EXCEPTION(platform::Error, never.Close());
    }
};

QTEST_MAIN(LostConnectionTest)
#include "LostConnectionTest.moc"
