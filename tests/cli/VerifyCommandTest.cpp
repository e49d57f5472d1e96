// tabulant-convert --verify and --verify-only against the test server: a file loaded through
// psql, one converted directly and one loaded with COPY verify identical, a row deleted
// afterwards or refused by the server during the load is named with the exit status 1, and the
// report file holds what the lines say.
#include "CliHarness.h"
#include "accesswriter/AccessWriter.h"
#include "pgserver/TestServer.h"

#include <QFile>
#include <QTest>

using namespace tabulant;
using namespace tabulant::testing;
namespace aw = accesswriter;
using aw::Column;
using aw::ColumnType;
using V = platform::Variant;

class VerifyCommandTest : public QObject {
    Q_OBJECT

private slots:
    void verifiesEveryRoute_data() {
        QTest::addColumn<bool>("typed");
        QTest::addColumn<bool>("piped");
        QTest::addColumn<QStringList>("load");
        QTest::newRow("specified, direct") << false << false << QStringList();
        QTest::newRow("typed, through psql") << true << true << QStringList();
        QTest::newRow("typed, COPY") << true << false << QStringList{"--copy"};
    }

    void verifiesEveryRoute() {
        QFETCH(bool, typed);
        QFETCH(bool, piped);
        QFETCH(QStringList, load);
        TestServer& server = TestServer::shared();
        server.recreateDatabase("cli_verify");
        CliHarness h;
        const QString file = h.path("shop.accdb");
        aw::WriterOptions options;
        options.format = aw::Format::Ace2010;
        aw::writeDatabase(
            file.toStdString(),
            {{"Stock",
              {Column::of("Item", ColumnType::Text, 20), Column::of("Price", ColumnType::Currency),
               Column::of("Seen", ColumnType::DateTime)},
              {{V::text("It's"), V::currency(15000), V::date(aw::oleDate(2001, 2, 3, 4, 5, 6))},
               {V::text("Nothing"), V::null(), V::null()}}}},
            options);
        QStringList mapping;
        if (typed) mapping << "--typed";

        if (piped) {
            int psqlCode = -1;
            std::string psqlErr;
            h.runIntoPsql(QStringList(mapping) << file, "cli_verify", psqlCode, psqlErr);
            QCOMPARE(psqlCode, 0);
        }
        const QString report = h.path("report.json");
        const CliOutcome first = h.run(h.serverArgs("cli_verify")
                                       << mapping << load << (piped ? "--verify-only" : "--verify")
                                       << "--report" << report << file);
        QCOMPARE(first.code, 0);
        QCOMPARE(first.errLines.back(), std::string("1 table verified: 1 identical"));
        QVERIFY2(first.err().find("Stock: 2 rows, 3 columns: identical") != std::string::npos,
                 first.err().c_str());
        QFile json(report);
        QVERIFY(json.open(QIODevice::ReadOnly));
        QVERIFY(json.readAll().contains("\"status\": 0"));

        server.psql("DELETE FROM \"Stock\" WHERE \"" + std::string(typed ? "Item" : "item") +
                        "\" = 'Nothing'",
                    "cli_verify");
        const CliOutcome second = h.run(h.serverArgs("cli_verify") << mapping << "--verify-only"
                                                                   << "--quiet" << file);
        QCOMPARE(second.code, 1);
        QCOMPARE(second.errLines.front(),
                 std::string("Stock: 2 rows in Access, 1 in PostgreSQL (1 missing), 3 columns: "
                             "3 differ, first ") +
                     (typed ? "Item" : "item"));
    }

    // A row the server refuses during a COPY load (a NUL in a text) is found missing by the
    // verification that follows, whose sums were taken from the rows as they were sent.
    void refusedRowOfACopyLoadIsFound() {
        TestServer& server = TestServer::shared();
        server.recreateDatabase("cli_verify");
        CliHarness h;
        const QString file = h.path("refused.mdb");
        aw::writeDatabase(file.toStdString(),
                          {{"Names",
                            {Column::of("Name", ColumnType::Text, 20)},
                            {{V::text("one")}, {V::text(std::string("t\0o", 3))}, {V::null()}}}});
        const CliOutcome outcome =
            h.run(h.serverArgs("cli_verify") << "--copy"
                                             << "--verify"
                                             << "--quiet"
                                             << "--rejects" << h.path("rejects.sql") << file);
        QCOMPARE(outcome.code, 1);
        QVERIFY2(outcome.err().find("Names: 3 rows in Access, 2 in PostgreSQL (1 missing), 1 "
                                    "column: 1 differ, first name") != std::string::npos,
                 outcome.err().c_str());
    }
};

QTEST_GUILESS_MAIN(VerifyCommandTest)
#include "VerifyCommandTest.moc"
