// "Start Converting" without preview when the server refuses: a start that cannot connect says
// why, and a table that cannot take rows (no right to create it, a view in its place) is
// reported once with the rows not copied, not once per row.
#include "ProgramHarness.h"

#include "engine/ConversionRun.h"
#include "shell/widgets/WindowPointer.h"

#include <QTest>

using namespace tabulant;
using namespace tabulant::testing;
namespace aw = accesswriter;
using aw::Column;
using aw::ColumnType;
using V = platform::Variant;

namespace {

aw::TableData Numbers(const std::string& name, int rows) {
    aw::TableData t{
        name, {Column::of("N", ColumnType::Long), Column::of("T", ColumnType::Text)}, {}};
    for (int i = 1; i <= rows; ++i)
        t.rows.push_back({V::integer(i), V::text("row " + std::to_string(i))});
    return t;
}

const std::string CouldNotConnect = "Could not connect. Please check with your administrator.\r\r";

} // namespace

class FailedRunTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // A role that may log in but, as PostgreSQL 15 has it, not create tables in public.
        TestServer::shared().psql(
            "DO $$BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'fr_lowly') THEN "
            "CREATE ROLE fr_lowly LOGIN PASSWORD 'lowly'; END IF; END$$;"
            "REVOKE CREATE ON SCHEMA public FROM PUBLIC");
    }

    // One message with the server's or the driver's reason; nothing else happens.
    void failedStartSaysWhy_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("reason");
        QTest::newRow("wrong password") << "wrong"
                                        << ""
                                        << "tabulant"
                                        << "password authentication failed for user";
        QTest::newRow("wrong port") << "tabulant"
                                    << "1"
                                    << "tabulant"
                                    << "Connection refused";
        QTest::newRow("wrong database") << "tabulant"
                                        << ""
                                        << "fr_none"
                                        << "database \"fr_none\" does not exist";
    }
    void failedStartSaysWhy() {
        QFETCH(QString, password);
        QFETCH(QString, port);
        QFETCH(QString, database);
        QFETCH(QString, reason);
        TestServer& server = TestServer::shared();
        Program p;
        aw::writeDatabase(p.path("start.mdb"), {Numbers("FrStart", 2)});
        p.open(server, p.path("start.mdb"));
        p.directMode();
        db::FixedConnectionFields f =
            server.fields(TestServer::User, password.toStdString(), database.toStdString());
        if (!port.isEmpty()) f.port = port.toStdString();
        p.setServerFields(f);
        p.startConverting();

        QCOMPARE(p.prompts.Entries().size(), std::size_t(1));
        const QString shown = QString::fromStdString(p.prompts.Messages().at(0));
        QVERIFY2(shown.startsWith(QString::fromStdString(CouldNotConnect) + "SQLException: ["),
                 qPrintable(shown));
        QVERIFY2(shown.contains(reason), qPrintable(shown));
        QVERIFY(!p.form->run().Running());
        QCOMPARE(p.form->pointer().state(), 0);
        QCOMPARE(p.connections.OpenNow(), 0);
    }

    // Two reports per table, the CREATE TABLE's and one for all its rows, and the run goes on
    // with the next table.
    void tableThatCannotTakeRowsIsReportedOnce_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("view");
        QTest::newRow("no right to create tables") << "FrRight" << false;
        QTest::newRow("a view of that name") << "FrView" << true;
    }
    void tableThatCannotTakeRowsIsReportedOnce() {
        QFETCH(QString, prefix);
        QFETCH(bool, view);
        const std::string a = prefix.toStdString() + "A", b = prefix.toStdString() + "B";
        TestServer& server = TestServer::shared();
        server.psql("DROP VIEW IF EXISTS " + Quoted(a) + ", " + Quoted(b) + ";" +
                    "DROP TABLE IF EXISTS " + Quoted(a) + ", " + Quoted(b));
        if (view)
            server.psql("CREATE VIEW " + Quoted(a) + " AS SELECT 1 AS n; CREATE VIEW " + Quoted(b) +
                        " AS SELECT 1 AS n");
        Program p;
        aw::writeDatabase(p.path("refused.mdb"), {Numbers(a, 3), Numbers(b, 250)});
        p.open(server, p.path("refused.mdb"));
        p.directMode();
        if (!view) p.setServerFields(server.fields("fr_lowly", "lowly"));
        p.startConverting();

        const std::string create = "Form1.PushButton7_Click:324";
        const std::string rows = "Form1.PushButton7_Click:432";
        QCOMPARE(p.reportedSteps(), (std::vector<std::string>{create, rows, create, rows}));
        const std::vector<std::string> reports = p.prompts.ErrorReports();
        const char* state = view ? "SQLException: [42601] " : "SQLException: [42P01] ";
        QVERIFY2(reports[1].starts_with(state), reports[1].c_str());
        QVERIFY2(reports[1].find("\r\nRows not copied: 250\r\n") != std::string::npos,
                 reports[1].c_str());
        QVERIFY2(reports[3].find("\r\nRows not copied: 3\r\n") != std::string::npos,
                 reports[3].c_str());
        QCOMPARE(p.prompts.Messages(), std::vector<std::string>{"Done."});
        QCOMPARE(server.psql("SELECT count(*) FROM pg_tables WHERE tablename IN ('" + a + "', '" +
                             b + "')"),
                 std::string("0"));
    }
};

QTEST_MAIN(FailedRunTest)
#include "FailedRunTest.moc"
