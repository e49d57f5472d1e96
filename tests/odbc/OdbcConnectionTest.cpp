#include "db/odbc/OdbcConnection.h"
#include "db/ProviderConnectionFactory.h"
#include "db/odbc/OdbcSession.h"
#include "db/odbc/WideText.h"
#include "pgserver/TestServer.h"
#include "platform/Error.h"
#include "platform/Recordset.h"

#include <QTest>

#include <sqlext.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

using namespace tabulant;
using testing::PrivateTestServer;
using testing::TestServer;

namespace {

std::unique_ptr<platform::Connection>
openConnection(const std::string& connectionString,
               int cursorLocation = platform::Connection::adUseClient) {
    auto c = db::CreateOdbcConnection();
    c->CursorLocation(cursorLocation);
    c->Open(connectionString);
    return c;
}

std::unique_ptr<platform::Connection>
openShared(int cursorLocation = platform::Connection::adUseClient) {
    return openConnection(TestServer::shared().connectionString(), cursorLocation);
}

// The description of the platform::Error the call throws, or "" when it succeeds.
template <class Call> std::string failureOf(Call&& call) {
    try {
        call();
    } catch (const platform::Error& e) {
        return e.description();
    }
    return {};
}

std::vector<std::string> firstColumn(platform::Recordset& rs) {
    std::vector<std::string> values;
    for (; !rs.Eof(); rs.MoveNext()) values.push_back(rs.Fields().Item(0).value.payload());
    return values;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// psqlODBC's communication log of this process: /tmp/psqlodbc_<...><user><pid>.log.
std::vector<std::filesystem::path> communicationLogs() {
    const passwd* user = getpwuid(getuid());
    const std::string suffix =
        std::string(user ? user->pw_name : "") + std::to_string(getpid()) + ".log";
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator("/tmp")) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("psqlodbc_") && name.ends_with(suffix)) found.push_back(entry.path());
    }
    return found;
}

} // namespace

class OdbcConnectionTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // A log left by an earlier process with the same id would hide a new one.
        for (const auto& stale : communicationLogs()) std::filesystem::remove(stale);
        TestServer::shared().psql("drop table if exists odbc_ints; create table odbc_ints (a int)");
    }

    void catalogueQuery_data() {
        QTest::addColumn<int>("cursorLocation");
        QTest::newRow("client-side cursor") << int(platform::Connection::adUseClient);
        QTest::newRow("server-side cursor") << int(platform::Connection::adUseServer);
    }
    void catalogueQuery() {
        QFETCH(int, cursorLocation);
        // The system catalogues only: other tests create and drop tables on this server meanwhile.
        const std::string query =
            "select tablename from pg_tables where schemaname = 'pg_catalog' order by tablename;";
        const auto expected = lines(TestServer::shared().psql(query));
        auto c = openShared(cursorLocation);
        platform::Recordset rs(c->Execute(query));
        QCOMPARE(rs.Fields().Count(), 1);
        QCOMPARE(rs.Fields().Item(0).name, std::string("tablename"));
        // RecordCount is what the table list relies on; a server-side cursor cannot know it.
        QCOMPARE(rs.RecordCount(), cursorLocation == platform::Connection::adUseClient
                                       ? static_cast<std::int64_t>(expected.size())
                                       : -1);
        QCOMPARE(firstColumn(rs), expected);
        // The statement handle is free again for the next statement.
        QVERIFY(c->Execute("insert into odbc_ints values (1)") == nullptr);
    }

    void statementsWithoutRowsGiveNoCursor_data() {
        QTest::addColumn<QString>("statement");
        QTest::newRow("insert") << "insert into odbc_ints values (2)";
        QTest::newRow("update of no row") << "update odbc_ints set a = 3 where a = -1";
        QTest::newRow("notice") << "drop table if exists odbc_never_there";
        QTest::newRow("two statements")
            << "insert into odbc_ints values (4); insert into odbc_ints values (5)";
    }
    void statementsWithoutRowsGiveNoCursor() {
        QFETCH(QString, statement);
        auto c = openShared();
        QVERIFY(c->Execute(statement.toStdString()) == nullptr);
    }

    void valuesKeepTheirKind_data() {
        using Kind = platform::Variant::Kind;
        QTest::addColumn<QString>("expression");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text"); // payload, or the number printed
        QTest::newRow("integer") << "42::int" << int(Kind::Integer) << "42";
        QTest::newRow("bigint beyond double")
            << "9007199254740993::bigint" << int(Kind::Integer) << "9007199254740993";
        QTest::newRow("negative smallint") << "(-7)::smallint" << int(Kind::Integer) << "-7";
        QTest::newRow("numeric keeps scale") << "1.50::numeric" << int(Kind::Decimal) << "1.50";
        QTest::newRow("numeric NaN") << "'NaN'::numeric" << int(Kind::Text) << "NaN";
        QTest::newRow("double") << "0.1::float8" << int(Kind::Double) << "0.1";
        QTest::newRow("null") << "null::int" << int(Kind::Null) << "";
        QTest::newRow("empty text is not null") << "''::text" << int(Kind::Text) << "";
        QTest::newRow("greek and emoji") << "'Ωμέγα 😀'::text" << int(Kind::Text) << "Ωμέγα 😀";
        QTest::newRow("bytea") << "'\\x00ff41'::bytea" << int(Kind::Binary)
                               << QString::fromLatin1("\0\xff"
                                                      "A",
                                                      3);
        QTest::newRow("timestamp")
            << "'2024-02-29 12:00'::timestamp" << int(Kind::Date) << "45351.5";
        QTest::newRow("date before 1899-12-30") << "'1899-12-29'::date" << int(Kind::Date) << "-1";
    }
    void valuesKeepTheirKind() {
        QFETCH(QString, expression);
        QFETCH(int, kind);
        QFETCH(QString, text);
        auto c = openShared();
        platform::Recordset rs(c->Execute("select " + expression.toStdString()));
        const platform::Variant& v = rs.Fields().Item(0).value;
        QCOMPARE(int(v.kind()), kind);
        switch (v.kind()) {
        case platform::Variant::Kind::Integer:
            QCOMPARE(QString::number(v.asInteger()), text);
            break;
        case platform::Variant::Kind::Double:
        case platform::Variant::Kind::Date:
            QCOMPARE(v.asDouble(), text.toDouble());
            break;
        case platform::Variant::Kind::Binary:
            QCOMPARE(QByteArray::fromStdString(v.payload()), text.toLatin1());
            break;
        default:
            QCOMPARE(QString::fromStdString(v.payload()), text);
        }
    }

    // Values longer than the driver's piece size arrive whole.
    void longTextArrivesWhole() {
        auto c = openShared();
        platform::Recordset rs(c->Execute("select repeat('aΩ😀', 30000)"));
        std::string expected;
        for (int i = 0; i < 30000; ++i) expected += "aΩ😀";
        QCOMPARE(rs.Fields().Item(0).value.payload(), expected);
    }

    void failuresAreSqlExceptions_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("message");
        QTest::newRow("syntax") << "selec 1"
                                << "42601"
                                << "syntax error at or near \"selec\"";
        QTest::newRow("missing table") << "select * from odbc_no_such_table"
                                       << "42P01"
                                       << "does not exist";
        QTest::newRow("bad value") << "insert into odbc_ints values ('x')"
                                   << "22P02"
                                   << "invalid input syntax";
        QTest::newRow("second of two")
            << "insert into odbc_ints values (6); insert into odbc_ints values ('y')"
            << "22P02"
            << "\"y\"";
        QTest::newRow("table exists") << "create table odbc_ints (a int)"
                                      << "42P07"
                                      << "already exists";
        QTest::newRow("division by zero") << "select 1/0"
                                          << "22012"
                                          << "division by zero";
        QTest::newRow("greek in message") << "select * from \"Ωμέγα\""
                                          << "42P01"
                                          << "\"Ωμέγα\"";
    }
    void failuresAreSqlExceptions() {
        QFETCH(QString, statement);
        QFETCH(QString, state);
        QFETCH(QString, message);
        auto c = openShared();
        try {
            c->Execute(statement.toStdString());
            QFAIL("the statement did not fail");
        } catch (const platform::Error& e) {
            const QString d = QString::fromStdString(e.description());
            QVERIFY2(d.startsWith("SQLException: [" + state + "] "), qPrintable(d));
            QVERIFY2(d.contains(message), qPrintable(d));
            QCOMPARE(e.number(), platform::errors::Generic);
        }
        // Autocommit: the failure leaves nothing pending, the next statement runs.
        QVERIFY(c->Execute("insert into odbc_ints values (7)") == nullptr);
    }

    // The driver would cut the text at the NUL and run the rest.
    void nulCharacterIsRefused() {
        TestServer& server = TestServer::shared();
        server.psql("drop table if exists odbc_nul; create table odbc_nul (a int, b text);"
                    "insert into odbc_nul values (1, 'x'), (2, 'y')");
        auto c = openShared();
        const std::string statement("update odbc_nul set b = 'z'\0 where a = 1", 40);
        const std::string d = failureOf([&] { c->Execute(statement); });
        QVERIFY2(d.starts_with("SQLException: [22021]"), d.c_str());
        QCOMPARE(server.psql("select string_agg(b, ',' order by a) from odbc_nul"),
                 std::string("x,y"));
    }

    // A cursor may outlive its connection: one read whole keeps its rows, one that streams
    // fails cleanly instead of touching freed handles.
    void cursorsOutlivingTheirConnection() {
        auto client = openShared(platform::Connection::adUseClient);
        platform::Recordset kept(client->Execute("select generate_series(1, 3)"));
        client->Close();
        client.reset();
        QCOMPARE(kept.RecordCount(), std::int64_t(3));
        kept.MoveNext();
        QCOMPARE(kept.Fields().Item(0).value.asInteger(), std::int64_t(2));

        auto server = openShared(platform::Connection::adUseServer);
        platform::Recordset streamed(server->Execute("select generate_series(1, 3)"));
        QCOMPARE(streamed.Fields().Item(0).value.asInteger(), std::int64_t(1));
        server->Close();
        try {
            streamed.MoveNext();
            QFAIL("moved on a closed connection");
        } catch (const platform::Error& e) {
            QCOMPARE(e.number(), platform::errors::ObjectClosed);
        }
        server.reset();
        streamed.Close();
    }

    void notOpenIsSqlException_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("never opened") << 0;
        QTest::newRow("closed") << 1;
        QTest::newRow("open failed, through the provider factory") << 2;
        QTest::newRow("closed, through the provider factory") << 3;
    }
    void notOpenIsSqlException() {
        QFETCH(int, how);
        std::unique_ptr<platform::Connection> c;
        if (how <= 1) {
            c = db::CreateOdbcConnection();
        } else {
            c = db::ProviderConnectionFactory().CreateConnection();
        }
        if (how == 1 || how == 3) {
            c->Open(TestServer::shared().connectionString());
            c->Close();
        }
        if (how == 2)
            QVERIFY(!failureOf([&] {
                         c->Open(TestServer::shared().connectionString("tabulant", "wrong"));
                     }).empty());
        QVERIFY(!c->IsOpen());
        const std::string d = failureOf([&] { c->Execute("select 1"); });
        QVERIFY2(d.starts_with("SQLException: [08003]"), d.c_str());
    }

    void nonAsciiRoundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("greek") << "Καλημέρα κόσμε";
        QTest::newRow("emoji") << "😀🎉 👍🏽";
        QTest::newRow("cjk") << "漢字かなカナ";
        QTest::newRow("combining marks") << "e\u0301a\u0308";
        QTest::newRow("quote doubled") << "O''Brien";
    }
    void nonAsciiRoundTrip() {
        QFETCH(QString, text);
        TestServer& server = TestServer::shared();
        server.psql("drop table if exists \"Τέστ ✓\"; create table \"Τέστ ✓\" (\"Όνομα\" text)");
        auto c = openShared();
        const std::string value = text.toStdString();
        c->Execute("insert into \"Τέστ ✓\" (\"Όνομα\") values ('" + value + "')");
        // The server holds exactly the characters sent (checked beside the driver) ...
        const std::string unquoted = QString(text).replace("''", "'").toStdString();
        QCOMPARE(server.psql("select \"Όνομα\" from \"Τέστ ✓\""), unquoted);
        QCOMPARE(server.psql("select length(\"Όνομα\") from \"Τέστ ✓\""),
                 std::to_string(QString::fromStdString(unquoted).toUcs4().size()));
        // ... and they come back the same way.
        platform::Recordset rs(c->Execute("select \"Όνομα\" from \"Τέστ ✓\""));
        QCOMPARE(rs.Fields().Item(0).name, std::string("Όνομα"));
        QCOMPARE(rs.Fields().Item(0).value.payload(), unquoted);
    }

    void failedOpenCarriesDriverMessage_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("database");
        QTest::addColumn<bool>("closedPort");
        QTest::addColumn<QString>("message");
        QTest::newRow("wrong password") << "tabulant"
                                        << "wrong"
                                        << "tabulant" << false << "password authentication failed";
        QTest::newRow("empty password") << "tabulant"
                                        << ""
                                        << "tabulant" << false << "password";
        QTest::newRow("unknown database") << "tabulant"
                                          << "tabulant"
                                          << "odbc_none" << false << "\"odbc_none\" does not exist";
        QTest::newRow("nothing listening") << "tabulant"
                                           << "tabulant"
                                           << "tabulant" << true << "refused";
    }
    void failedOpenCarriesDriverMessage() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, database);
        QFETCH(bool, closedPort);
        QFETCH(QString, message);
        std::string cs = TestServer::shared().connectionString(
            user.toStdString(), password.toStdString(), database.toStdString());
        if (closedPort) cs.replace(cs.find(";Port=") + 6, TestServer::shared().port().size(), "1");
        auto c = db::CreateOdbcConnection();
        const std::string d = failureOf([&] { c->Open(cs); });
        QVERIFY2(QString::fromStdString(d).contains(message), d.c_str());
        QVERIFY(!c->IsOpen());
    }

    // A NUL would cut the string short of what follows it; an overlong one cannot be counted.
    void unusableConnectionStringsAreRefused() {
        const std::string cs = TestServer::shared().connectionString();
        for (const std::string& bad : {cs.substr(0, 20) + std::string(1, '\0') + cs.substr(20),
                                       cs + ";Application=" + std::string(40000, 'x')}) {
            auto c = db::CreateOdbcConnection();
            const std::string d = failureOf([&] { c->Open(bad); });
            QVERIFY2(d.starts_with("SQLException: [22"), d.c_str());
            QVERIFY(!c->IsOpen());
        }
    }

    void unknownDriverFails() {
        auto c = db::CreateOdbcConnection();
        const std::string d =
            failureOf([&] { c->Open("Driver={No Such Driver};Server=localhost"); });
        QVERIFY2(d.starts_with("SQLException: [") && d.find("No Such Driver") != std::string::npos,
                 d.c_str());
    }

    void commandTimeoutCancelsStatement() {
        auto c = db::CreateOdbcConnection();
        c->CommandTimeout(1);
        c->Open(TestServer::shared().connectionString());
        const std::string d = failureOf([&] { c->Execute("select pg_sleep(30)"); });
        QVERIFY2(d.starts_with("SQLException: [57014]"), d.c_str());
        c->CommandTimeout(0);
        QVERIFY(c->Execute("insert into odbc_ints values (8)") == nullptr);
    }

    // A host that accepts the connection but never answers must not hang the login.
    void connectionTimeoutEndsSilentLogin() {
        // The kernel completes the handshake for a listening socket nobody accepts from.
        const int silent = socket(AF_INET, SOCK_STREAM, 0);
        QVERIFY(silent >= 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        QVERIFY(bind(silent, reinterpret_cast<sockaddr*>(&address), length) == 0);
        QVERIFY(listen(silent, 4) == 0);
        QVERIFY(getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length) == 0);
        auto c = db::CreateOdbcConnection();
        c->ConnectionTimeout(2);
        const std::string cs = "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" +
                               std::to_string(ntohs(address.sin_port)) +
                               ";Uid=tabulant;Pwd=tabulant;Database=tabulant";
        const std::string d = failureOf([&] { c->Open(cs); });
        close(silent);
        QVERIFY2(d.find("timeout") != std::string::npos, d.c_str());
        QVERIFY(!c->IsOpen());
    }

    // The server stops in the middle of a series of statements: each later statement fails with
    // a clear error, also after the server is back, and none is reported as done.
    void serverGoneMidSeries() {
        PrivateTestServer server;
        server.psql("create table series (n int)");
        auto c = openConnection(server.connectionString());
        for (int n = 1; n <= 3; ++n)
            c->Execute("insert into series values (" + std::to_string(n) + ")");
        server.stop();
        std::vector<std::string> failures;
        for (int n = 4; n <= 6; ++n)
            failures.push_back(failureOf(
                [&] { c->Execute("insert into series values (" + std::to_string(n) + ")"); }));
        server.start();
        failures.push_back(failureOf([&] { c->Execute("insert into series values (7)"); }));
        for (const std::string& d : failures)
            QVERIFY2(d.starts_with("SQLException: [") && d.find("] ") == 20, d.c_str());
        QVERIFY2(failures.front().find("terminating connection") != std::string::npos ||
                     failures.front().find("connection") != std::string::npos,
                 failures.front().c_str());
        QCOMPARE(server.psql("select string_agg(n::text, ',' order by n) from series"),
                 std::string("1,2,3"));
        c->Close();
        // A new connection works again.
        auto again = openConnection(server.connectionString());
        QVERIFY(again->Execute("insert into series values (8)") == nullptr);
    }

    // A refused disconnect is heard instead of ignored: the session throws the driver manager's
    // diagnostics (and leaves the handles it still holds alone). A statement waiting for a
    // parameter's data is one the driver manager will not disconnect from.
    void refusedDisconnectIsReported() {
        db::OdbcSession session;
        std::vector<SQLWCHAR> text = db::ToUtf16(TestServer::shared().connectionString());
        QVERIFY(SQL_SUCCEEDED(SQLDriverConnectW(session.dbc(), nullptr, text.data(),
                                                static_cast<SQLSMALLINT>(text.size()), nullptr, 0,
                                                nullptr, SQL_DRIVER_NOPROMPT)));
        session.markConnected();
        SQLHSTMT statement = SQL_NULL_HSTMT;
        QVERIFY(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, session.dbc(), &statement)));
        SQLLEN atExecution = SQL_DATA_AT_EXEC;
        char token = 0;
        QVERIFY(SQL_SUCCEEDED(SQLBindParameter(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR,
                                               SQL_VARCHAR, 10, 0, &token, 0, &atExecution)));
        text = db::ToUtf16("select ?::text");
        QCOMPARE(SQLExecDirectW(statement, text.data(), static_cast<SQLINTEGER>(text.size())),
                 SQLRETURN(SQL_NEED_DATA));

        const std::string refused = failureOf([&] { session.disconnect(); });
        QVERIFY2(refused.starts_with("SQLException: [HY010]"), refused.c_str());
        QVERIFY(!session.connected());

        // The test lets the statement go, so that the server's session ends with the test.
        SQLCancel(statement);
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
        QVERIFY(SQL_SUCCEEDED(SQLDisconnect(session.dbc())));
    }

    // Debian registers the driver with CommLog=1; no connection of ours may leave a log behind.
    void noCommunicationLog() {
        {
            auto c = openShared();
            c->Execute("insert into odbc_ints values (9)");
            platform::Recordset rs(c->Execute("select tablename from pg_tables;"));
            c->Close();
        }
        {
            auto failed = db::CreateOdbcConnection();
            failureOf(
                [&] { failed->Open(TestServer::shared().connectionString("tabulant", "wrong")); });
        }
        openShared(); // released without Close
        QCOMPARE(communicationLogs(), std::vector<std::filesystem::path>{});
    }
};

QTEST_GUILESS_MAIN(OdbcConnectionTest)
#include "OdbcConnectionTest.moc"
