#include "pgserver/TestServer.h"

#include <QTest>

using tabulant::testing::PrivateTestServer;
using tabulant::testing::TestServer;

// The harness itself: the tests that stop the server rely on a restart keeping the port and on
// a private cluster leaving the shared one alone.
class TestServerTest : public QObject {
    Q_OBJECT

private slots:
    void sharedServerAnswers() {
        TestServer& server = TestServer::shared();
        QVERIFY(!server.port().empty());
        QCOMPARE(server.psql("select current_user, current_database()"),
                 std::string("tabulant|tabulant"));
        QCOMPARE(server.psql("show server_encoding"), std::string("UTF8"));
    }

    void psqlReportsErrors() {
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, TestServer::shared().psql("selec 1"));
    }

    void privateServerRestartsOnSamePort() {
        PrivateTestServer server;
        const std::string port = server.port();
        QVERIFY(server.isRunning());
        QVERIFY(port != TestServer::shared().port());
        server.stop();
        QVERIFY(!server.isRunning());
        server.stop(); // a second stop is harmless
        server.start();
        QCOMPARE(server.port(), port);
        QCOMPARE(server.psql("select 1"), std::string("1"));
    }

    void privateServerIsRemoved() {
        std::string dir;
        {
            PrivateTestServer server;
            dir = server.dir();
            QVERIFY(QFileInfo::exists(QString::fromStdString(dir + "/port")));
        }
        QVERIFY(!QFileInfo::exists(QString::fromStdString(dir)));
    }
};

QTEST_GUILESS_MAIN(TestServerTest)
#include "TestServerTest.moc"
