// The bulk load against a server of its own that is stopped in the middle of a table: the loss
// is reported once, with the rows committed, and no chunk is half committed.
#include "accesswriter/AccessWriter.h"
#include "db/ProviderConnectionFactory.h"
#include "engine/ConversionRun.h"
#include "engine/CopySink.h"
#include "engine/CopyText.h"
#include "fakes/CountingEventLoop.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakePreview.h"
#include "fakes/ScriptedPrompts.h"
#include "pgserver/TestServer.h"
#include "platform/RegionalText.h"

#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace tabulant;
using namespace tabulant::accesswriter;
using platform::Variant;

namespace {

// The window's lists, and the server stopped when row `at` of a table is about to be read, once
// `committed` rows of it are in (chunks are sent on a thread of their own, behind the reading).
class StoppingView final : public engine::RunView {
public:
    StoppingView(fakes::FakeMainWindow& window, testing::TestServer& server, std::int64_t at,
                 std::int64_t committed)
        : window_(window), server_(server), at_(at), committed_(committed) {}
    platform::StringList& ExistingTables() override { return window_.list1; }
    platform::StringList& SourceTables() override { return window_.list2; }
    void SetBusy(bool) override {}
    void SetProgressValue(int) override {}
    void SetProgressText(std::string_view) override {}
    void RowStarted(std::int64_t done, std::int64_t) override {
        if (done != at_) return;
        const std::string want = std::to_string(committed_);
        for (int i = 0; i < 3000 && server_.psql("select count(*) from \"Lost\"") != want; ++i)
            QThread::msleep(10);
        server_.stop();
    }

private:
    fakes::FakeMainWindow& window_;
    testing::TestServer& server_;
    std::int64_t at_, committed_;
};

// What became of the rows given to a sink.
struct Outcomes final : engine::RowOutcomes {
    void Loaded(std::int64_t rows) override { loaded += rows; }
    void Refused(std::int64_t row, const std::string&, const std::string&) override {
        refused.push_back(row);
    }
    std::int64_t loaded = 0;
    std::vector<std::int64_t> refused;
};

} // namespace

class BulkPostgresTest : public QObject {
    Q_OBJECT
private slots:
    void copyLines_data();
    void copyLines();
    void serverStoppedDuringTheLoad();
    void rowsWithoutCopyLineKeepTheirPlace();
};

void BulkPostgresTest::copyLines_data() {
    QTest::addColumn<QString>("insert");
    QTest::addColumn<QString>("line"); // empty: the row has no COPY line
    QTest::newRow("plain") << R"(INSERT INTO "T" VALUES (1, 'a', TRUE, NULL);)"
                           << "1\ta\tTRUE\t\\N\n";
    QTest::newRow("null takes the blank") << R"(INSERT INTO "T" VALUES ('a',NULL, 2.5);)"
                                          << "a\t\\N\t2.5\n";
    QTest::newRow("quotes and escapes")
        << R"(INSERT INTO "T" VALUES ('it''s', E'a\r\nb\\c\td''e');)"
        << "it's\ta\\r\\nb\\\\c\\td'e\n";
    QTest::newRow("tab and backslash in a plain literal") << "INSERT INTO \"T\" VALUES ('a\tb\\N');"
                                                          << "a\\tb\\\\N\n";
    QTest::newRow("bytea") << R"(INSERT INTO "T" VALUES (E'\\x00ff'::bytea, 'NaN');)"
                           << "\\\\x00ff\tNaN\n";
    QTest::newRow("code points") << R"(INSERT INTO "T" VALUES (E'\u00e4\U0001F600');)"
                                 << "ä😀\n";
    QTest::newRow("a code point the server refuses") << R"(INSERT INTO "T" VALUES (E'\u0000');)"
                                                     << "";
    QTest::newRow("octal NUL") << R"(INSERT INTO "T" VALUES (E'a\000b');)"
                               << "a\\000b\n";
    QTest::newRow("quoted table name") << R"(INSERT INTO "a""b" VALUES (-1e+20);)"
                                       << "-1e+20\n";
    QTest::newRow("table with its schema") << R"(INSERT INTO "s"."a""b" VALUES (1);)"
                                           << "1\n";
    QTest::newRow("three names") << R"(INSERT INTO "d"."s"."T" VALUES (1);)"
                                 << "";
    QTest::newRow("default values") << R"(INSERT INTO "T" DEFAULT VALUES;)"
                                    << "";
    QTest::newRow("an expression") << R"(INSERT INTO "T" VALUES (1+1);)"
                                   << "";
    QTest::newRow("cut short") << R"(INSERT INTO "T" VALUES ('a)"
                               << "";
}

void BulkPostgresTest::copyLines() {
    QFETCH(QString, insert);
    QFETCH(QString, line);
    std::string out = "kept";
    const bool made = engine::AppendCopyLine(insert.toStdString(), out);
    QCOMPARE(made, !line.isEmpty());
    QCOMPARE(QString::fromStdString(out), "kept" + line);
}

void BulkPostgresTest::serverStoppedDuringTheLoad() {
    testing::PrivateTestServer server;
    QTemporaryDir dir;
    TableData t{"Lost", {Column::of("id", ColumnType::Long)}, {}, {}};
    for (int i = 1; i <= 25000; ++i) t.rows.push_back({Variant::integer(i)});
    const std::string path = dir.filePath("lost.mdb").toStdString();
    WriterOptions options;
    options.format = Format::Jet4;
    writeDatabase(path, {t}, {}, options);

    fakes::FakeMainWindow window;
    window.bulk = true;
    window.accessFile = path;
    window.PointAt(server.fields());
    db::ProviderConnectionFactory factory;
    fakes::FakePreview preview;
    fakes::ScriptedPrompts prompts;
    // The server goes while the second chunk fills.
    StoppingView view(window, server, 15000, 10000);
    fakes::CountingEventLoop events;
    const platform::RegionalText regional;
    engine::ConversionRun run({window, view, preview, prompts, events, factory, regional},
                              std::string(engine::StartConvertingLocation));
    const engine::RunSummary summary = run.Run();

    QVERIFY(summary.connectionLost);
    QCOMPARE(summary.failures, 1);
    const std::vector<std::string> reports = prompts.ErrorReports();
    QCOMPARE(reports.size(), std::size_t(1));
    const std::string& report = reports.front();
    QVERIFY2(report.find("Rows 1 to 10000 of Lost are committed") != std::string::npos,
             report.c_str());
    server.start();
    QCOMPARE(QString::fromStdString(server.psql("select count(*), max(id) from \"Lost\"")),
             QStringLiteral("10000|10000"));
}

void BulkPostgresTest::rowsWithoutCopyLineKeepTheirPlace() {
    // Rows without a COPY line split their chunk; refused ones, alone or in a COPY, are set aside
    // and the others land once, in order.
    testing::PrivateTestServer server;
    server.psql(R"(CREATE TABLE "T" (n numeric CHECK (n <> 4)))");
    const db::FixedConnectionFields fields = server.fields();
    db::CopyConnection connection(fields);
    Outcomes outcomes;
    engine::CopySink sink(connection, outcomes, {.rows = 3, .bytes = 1u << 20});
    sink.Start("T");
    for (const char* values : {"1", "1+1", "3", "2+2", "5", "4", "7"})
        sink.Row(std::string(R"(INSERT INTO "T" VALUES ()") + values + ");");
    sink.Finish();
    QCOMPARE(outcomes.refused, (std::vector<std::int64_t>{4, 6}));
    QCOMPARE(outcomes.loaded, std::int64_t(5));
    QCOMPARE(QString::fromStdString(
                 server.psql(R"(SELECT string_agg(n::text, ',' ORDER BY ctid) FROM "T")")),
             QStringLiteral("1,2,3,5,7"));
}

QTEST_GUILESS_MAIN(BulkPostgresTest)
#include "BulkPostgresTest.moc"
