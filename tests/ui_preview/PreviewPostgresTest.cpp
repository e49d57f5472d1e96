// Execution of the preview lines on a real PostgreSQL server through the ODBC driver.

#include "PreviewWindowFixture.h"

#include "db/odbc/OdbcConnection.h"
#include "pgserver/TestServer.h"

#include <QTest>

using namespace tabulant;
using namespace tabulant::testing;
using ui::Form2;

class PreviewPostgresTest : public QObject {
    Q_OBJECT
private slots:
    void stopsAtRejectedLineAndGoesOnAfterTheFix();
    void closedConnectionStopsAtTheFirstLine();
};

void PreviewPostgresTest::stopsAtRejectedLineAndGoesOnAfterTheFix() {
    TestServer& server = TestServer::shared();
    server.psql("DROP TABLE IF EXISTS preview_stop; CREATE TABLE preview_stop (n integer)");
    auto connection = db::CreateOdbcConnection();
    connection->Open(server.connectionString());

    PreviewWindowFixture f;
    f.connection = connection.get();
    std::vector<std::string> lines;
    for (int i = 1; i <= 10; ++i)
        lines.push_back("INSERT INTO preview_stop VALUES (" +
                        std::string(i == 5 ? "'five'" : std::to_string(i)) + ")");
    f.fill(lines);

    f.show([&](Form2& w) {
        Click(w, "PushButton1");
        QCOMPARE(server.psql("SELECT string_agg(n::text, ',' ORDER BY n) FROM preview_stop"),
                 std::string("1,2,3,4"));
        QVERIFY(w.isVisible());
        QCOMPARE(f.windows.ErrorLine(), 5);
        QCOMPARE(PreviewWindowFixture::selectedLine(w), 5);
        QVERIFY(w.ListView1().viewport()->rect().intersects(
            w.ListView1().visualRect(w.PreviewList().index(4, 0))));
        QVERIFY(PreviewWindowFixture::errorText(w).contains("SQLException"));
        QVERIFY(PreviewWindowFixture::errorText(w).contains("five"));
        QCOMPARE(f.prompts.Messages(), std::vector<std::string>{"Error found."});

        // The user corrects the line and runs again: the lines that ran are not sent twice.
        w.PreviewList().setLineText(4, "INSERT INTO preview_stop VALUES (5)");
        Click(w, "PushButton1");
        QVERIFY(!w.isVisible());
    });
    QVERIFY(f.ranToEnd());
    QCOMPARE(server.psql("SELECT count(*), string_agg(n::text, ',' ORDER BY n) FROM preview_stop"),
             std::string("10|1,2,3,4,5,6,7,8,9,10"));
    QVERIFY(f.prompts.ErrorReports().empty());
}

void PreviewPostgresTest::closedConnectionStopsAtTheFirstLine() {
    TestServer& server = TestServer::shared();
    auto connection = db::CreateOdbcConnection();
    connection->Open(server.connectionString());
    connection->Close();

    PreviewWindowFixture f;
    f.connection = connection.get();
    f.fill({"   ", "SELECT 1"});
    f.show([&](Form2& w) {
        Click(w, "PushButton1");
        QVERIFY(w.isVisible());
        QVERIFY(PreviewWindowFixture::errorText(w).contains("SQLException"));
    });
    QCOMPARE(f.windows.ErrorLine(), 2);
    QVERIFY(!f.ranToEnd());
    QVERIFY(f.prompts.ErrorReports().empty());
}

QTEST_MAIN(PreviewPostgresTest)
#include "PreviewPostgresTest.moc"
