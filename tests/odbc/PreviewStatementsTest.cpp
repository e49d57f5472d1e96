// The preview's lines through libpq read as they read on the ODBC connection: the same lines, run
// both ways against a server of the test's own, meet the same descriptions, failure by failure.
#include "db/ProviderConnectionFactory.h"
#include "db/ReopeningConnection.h"
#include "db/copy/LibpqStatements.h"
#include "pgserver/TestServer.h"
#include "platform/Error.h"

#include <QTest>

#include <memory>

using namespace tabulant;

namespace {

// Runs each line through the ODBC connection or through libpq beside it, as a run opens them,
// and returns what each line met (empty when it ran). "\stop" and "\start" stop and start the
// server instead. `viaLibpq` tells whether the libpq route kept its own session to the end.
QStringList Descriptions(testing::TestServer& server, bool libpq, const QStringList& lines,
                         bool* viaLibpq = nullptr) {
    db::ProviderConnectionFactory factory;
    db::ReopeningConnection odbc(factory.CreateConnection());
    odbc.CommandTimeout(5000);
    odbc.ConnectionTimeout(5000);
    odbc.Open(server.connectionString());
    const db::FixedConnectionFields fields = server.fields();
    platform::ConnectionStatements onOdbc(&odbc);
    db::LibpqStatements throughLibpq(fields, odbc);
    platform::StatementRunner& statements =
        libpq ? static_cast<platform::StatementRunner&>(throughLibpq) : onOdbc;
    QStringList met;
    for (const QString& line : lines) {
        if (line == "\\stop") {
            server.stop();
        } else if (line == "\\start") {
            server.start();
        } else {
            try {
                statements.Run(line.toStdString());
                met.push_back({});
            } catch (const platform::Error& e) {
                met.push_back(QString::fromStdString(e.description()));
            }
        }
    }
    if (viaLibpq) *viaLibpq = throughLibpq.ThroughLibpq();
    return met;
}

} // namespace

class PreviewStatementsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { server_ = std::make_unique<testing::PrivateTestServer>(); }
    void cleanupTestCase() { server_.reset(); }

    void sameDescriptionsBothWays_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("viaLibpq");
        QTest::newRow("syntax error") << QStringList{"SELEC 1", "SELECT 1"} << true;
        QTest::newRow("missing relation") << QStringList{"INSERT INTO nowhere VALUES (1)"} << true;
        QTest::newRow("unique violation, with its detail")
            << QStringList{"DROP TABLE IF EXISTS u", "CREATE TABLE u (n integer PRIMARY KEY)",
                           "INSERT INTO u VALUES (1)", "INSERT INTO u VALUES (1)"}
            << true;
        QTest::newRow("detail and hint")
            << QStringList{"DO $$BEGIN RAISE EXCEPTION 'bad' USING DETAIL = 'the detail', "
                           "HINT = 'the hint', ERRCODE = '22023'; END$$"}
            << true;
        QTest::newRow("notice and warning only")
            << QStringList{"DO $$BEGIN RAISE NOTICE 'n'; RAISE WARNING 'w'; END$$"} << true;
        QTest::newRow("empty and comment-only")
            << QStringList{"\t", "-- nothing", "/* nothing */"} << true;
        QTest::newRow("rows") << QStringList{"SELECT generate_series(1, 3)", "SELECT 1; SELECT 2"}
                              << true;
        QTest::newRow("several statements, the second refused")
            << QStringList{"SELECT 1; SELECT nothing_here", "SELECT nothing_here; SELECT 1"}
            << true;
        QTest::newRow("NUL") << QStringList{"SELECT 1", QString("SELECT 1") + QChar(0)} << true;
        // What one line leaves is there for the next; the session starts as the driver's.
        QTest::newRow("session")
            << QStringList{"CREATE TEMP TABLE t (n integer)", "INSERT INTO t VALUES (1)",
                           "DO $$BEGIN RAISE EXCEPTION '% % % %', (SELECT count(*) FROM t), "
                           "current_setting('DateStyle'), current_setting('extra_float_digits'), "
                           "current_setting('statement_timeout'); END$$",
                           "SET statement_timeout = 10", "SELECT pg_sleep(1)"}
            << true;
        QTest::newRow("terminated by the server")
            << QStringList{"SELECT pg_terminate_backend(pg_backend_pid())", "SELECT 1"} << true;
        QTest::newRow("server stopped, then back")
            << QStringList{"SELECT 1", "\\stop", "SELECT 1", "SELECT 1", "\\start", "SELECT 1"}
            << true;
        // libpq cannot connect where the ODBC connection is open: the lines go there.
        QTest::newRow("refused at the first line")
            << QStringList{"\\stop", "SELECT 1", "SELECT 1", "\\start", "SELECT 1"} << false;
    }
    void sameDescriptionsBothWays() {
        QFETCH(QStringList, lines);
        QFETCH(bool, viaLibpq);
        const QStringList odbc = Descriptions(*server_, false, lines);
        bool libpqKept = false;
        const QStringList libpq = Descriptions(*server_, true, lines, &libpqKept);
        QCOMPARE(libpq, odbc);
        QCOMPARE(libpqKept, viaLibpq);
    }

private:
    std::unique_ptr<testing::PrivateTestServer> server_;
};

QTEST_MAIN(PreviewStatementsTest)
#include "PreviewStatementsTest.moc"
