// "Start Converting" with the SQL preview, per table and per file: the user skips, executes,
// goes back, or corrects a rejected line in the Edit line dialog, and the server ends up holding
// exactly what was executed.
#include "ProgramHarness.h"

#include "engine/ConversionRun.h"
#include "shell/widgets/WindowPointer.h"

#include <QCheckBox>
#include <QTest>
#include <QTreeView>

using namespace tabulant;
using namespace tabulant::testing;
namespace aw = accesswriter;
using V = platform::Variant;

namespace {

// Three tables, listed by name as Alpha, Beta, Gamma and so converted Gamma first. Gamma's first
// field is called `gammaKey`.
void WriteShop(const std::string& path, const std::string& prefix,
               const std::string& gammaKey = "Flag") {
    using aw::Column;
    using aw::ColumnType;
    aw::writeDatabase(
        path,
        {
            {prefix + "Alpha",
             {Column::of("ID", ColumnType::Long), Column::of("Name", ColumnType::Text, 50)},
             {{V::integer(1), V::text("Anna")}, {V::integer(2), V::text("O'Brien")}}},
            {prefix + "Beta",
             {Column::of("Qty", ColumnType::Double), Column::of("Note", ColumnType::Text, 20)},
             {{V::real(2.5), V::text("x")},
              {V::null(), V::text("y")},
              {V::real(-1), V::text("z")}}},
            {prefix + "Gamma",
             {Column::of(gammaKey, ColumnType::Boolean), Column::of("Label", ColumnType::Text, 20)},
             {{V::boolean(true), V::text("on")}, {V::boolean(false), V::text("off")}}},
        });
}

void DropShop(TestServer& server, const std::string& prefix) {
    server.psql("DROP TABLE IF EXISTS " + Quoted(prefix + "Alpha") + ", " +
                Quoted(prefix + "Beta") + ", " + Quoted(prefix + "Gamma"));
}

// A fresh shop file in the program's folder, opened in the main window, with none of its tables
// left on the server from an earlier test.
void OpenShop(Program& p, TestServer& server, const std::string& prefix,
              const std::string& gammaKey = "Flag") {
    DropShop(server, prefix);
    WriteShop(p.path("shop.mdb"), prefix, gammaKey);
    p.open(server, p.path("shop.mdb"));
}

// The shop's tables that exist on the server, in name order.
std::string ExistingShopTables(TestServer& server, const std::string& prefix) {
    return server.psql("SELECT coalesce(string_agg(tablename, ',' ORDER BY tablename), '') "
                       "FROM pg_tables WHERE tablename LIKE '" +
                       prefix + "%'");
}

std::string Rows(TestServer& server, const std::string& table, const std::string& order) {
    return server.psql("SELECT * FROM " + Quoted(table) + " ORDER BY " + order);
}

const std::string AlphaRows = "1|Anna\n2|O'Brien";
const std::string BetaRows = "-1|z\n2.5|x\n|y";
const std::string GammaRows = "f|off\nt|on";

// What every run that got past the connection probe leaves behind.
void VerifyRunEnded(Program& p) {
    QCOMPARE(p.prompts.Messages().back(), std::string("Done."));
    QCOMPARE(p.form->pointer().state(), 0);
    QVERIFY(!p.form->run().Running());
    QCOMPARE(p.connections.OpenNow(), 0);
}

} // namespace

class PreviewRunTest : public QObject {
    Q_OBJECT
private slots:
    // Each table's window, last listed first: Skip and Execute (the window closes after a
    // complete execution) go on to the next table; Back and the close box end the walk there.
    void perTable_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("tables");
        QTest::newRow("Execute every table")
            << "PtAll" << QStringList{"execute", "execute", "execute"}
            << "PtAllAlpha,PtAllBeta,PtAllGamma";
        QTest::newRow("Skip, Execute, Back")
            << "PtRun" << QStringList{"skip", "execute", "back"} << "PtRunBeta";
        QTest::newRow("Execute, close box")
            << "PtFirst" << QStringList{"execute", "close"} << "PtFirstGamma";
        QTest::newRow("Skip, Back") << "PtBack" << QStringList{"skip", "back"} << "";
        QTest::newRow("close box") << "PtClose" << QStringList{"close"} << "";
        QTest::newRow("Skip every table") << "PtSkip" << QStringList{"skip", "skip", "skip"} << "";
    }
    void perTable() {
        QFETCH(QString, prefix);
        QFETCH(QStringList, actions);
        QFETCH(QString, tables);
        const std::string pre = prefix.toStdString();
        TestServer& server = TestServer::shared();
        Program p;
        OpenShop(p, server, pre);
        p.previewPerTable();

        bool closedAfterExecute = false;
        std::vector<PreviewPlayer::Action> play;
        for (const QString& action : actions)
            play.push_back([&, action](ui::Form2& w) {
                if (action == "skip") Click(w, "PushButton9");
                if (action == "back") Click(w, "PushButton5");
                if (action == "execute") {
                    Click(w, "PushButton1");
                    closedAfterExecute = !w.isVisible();
                }
            });
        PreviewPlayer player(play);
        p.startConverting();

        QCOMPARE(player.shown(), int(actions.size()));
        const auto& shown = player.linesShown();
        const char* walk[] = {"Gamma", "Beta", "Alpha"};
        for (std::size_t i = 0; i < shown.size(); ++i)
            QVERIFY(shown[i].front().starts_with("CREATE TABLE \"" + pre + walk[i] + "\"("));
        if (shown.size() > 1)
            QCOMPARE(shown[1], (std::vector<std::string>{
                                   "CREATE TABLE \"" + pre + "Beta\"(Qty NUMERIC,Note TEXT);",
                                   "INSERT INTO \"" + pre + "Beta\" VALUES (2.5, 'x');",
                                   "INSERT INTO \"" + pre + "Beta\" VALUES (NULL, 'y');",
                                   "INSERT INTO \"" + pre + "Beta\" VALUES (-1, 'z');"}));
        QCOMPARE(closedAfterExecute, actions.contains("execute"));
        using O = engine::PreviewOutcome;
        std::vector<O> outcomes;
        for (const QString& action : actions)
            outcomes.push_back(action == "execute" ? O::RanToEnd
                               : action == "skip"  ? O::SkipTable
                                                   : O::Ended);
        QCOMPARE(p.shown.outcomes, outcomes);

        QCOMPARE(ExistingShopTables(server, pre), tables.toStdString());
        if (tables.contains("Alpha")) QCOMPARE(Rows(server, pre + "Alpha", "1"), AlphaRows);
        if (tables.contains("Beta")) QCOMPARE(Rows(server, pre + "Beta", "1"), BetaRows);
        if (tables.contains("Gamma")) QCOMPARE(Rows(server, pre + "Gamma", "1"), GammaRows);
        QCOMPARE(p.prompts.Messages(), std::vector<std::string>{"Done."});
        QCOMPARE(p.reportedSteps(), std::vector<std::string>{});
        VerifyRunEnded(p);
    }

    // Overwriting a table the server holds in another letter case: the DROP TABLE line names the
    // Access spelling, so the execution stops at it; the user corrects the name in the Edit line
    // dialog and executes again, which replaces the old table.
    void overwriteInAnotherCaseIsCorrectedInThePreview() {
        TestServer& server = TestServer::shared();
        server.psql(R"(DROP TABLE IF EXISTS "PtCase", ptcase; CREATE TABLE ptcase (old text);
                       INSERT INTO ptcase VALUES ('before'))");
        Program p;
        aw::writeDatabase(
            p.path("case.mdb"),
            {{"PtCase", {aw::Column::of("N", aw::ColumnType::Long)}, {{V::integer(7)}}}});
        p.open(server, p.path("case.mdb"));
        p.previewPerTable();
        p.prompts.Script(platform::Prompts::Answer::Yes);

        PreviewPlayer player({[&](ui::Form2& w) {
            QCOMPARE(PreviewLinesOf(w),
                     (std::vector<std::string>{R"(DROP TABLE "PtCase")",
                                               R"(CREATE TABLE "PtCase"(N NUMERIC);)",
                                               R"(INSERT INTO "PtCase" VALUES (7);)"}));
            Click(w, "PushButton1");
            QCOMPARE(SelectedLine(w), 1);
            QVERIFY(ErrorBoxText(w).contains(R"(table "PtCase" does not exist)"));
            EditLine(w, 1, "DROP TABLE ptcase");
            Click(w, "PushButton1");
            QVERIFY(!w.isVisible());
        }});
        p.startConverting();

        QCOMPARE(player.shown(), 1);
        QCOMPARE(p.prompts.Questions(),
                 std::vector<std::string>{"Would you like to overwrite PtCase?"});
        QCOMPARE(p.prompts.Messages(), (std::vector<std::string>{"Error found.", "Done."}));
        QCOMPARE(p.reportedSteps(), std::vector<std::string>{});
        QCOMPARE(server.psql("SELECT string_agg(tablename, ',') FROM pg_tables WHERE "
                             "lower(tablename) = 'ptcase'"),
                 std::string("PtCase"));
        QCOMPARE(server.psql(R"(SELECT * FROM "PtCase")"), std::string("7"));
        VerifyRunEnded(p);
    }

    // "View Datatype Conversion" in each table's window shows that table's fields only.
    void datatypeViewShowsTheTableInPreview() {
        TestServer& server = TestServer::shared();
        Program p;
        OpenShop(p, server, "PtTypes");
        p.previewPerTable();

        std::vector<QStringList> views;
        auto view = [&](ui::Form2& w) {
            OnNextModalThenClose([&](QWidget& dialog) {
                const QAbstractItemModel* rows = dialog.findChild<QTreeView*>("ListView1")->model();
                QStringList view;
                for (int r = 0; r < rows->rowCount(); ++r) {
                    QStringList cells;
                    for (int c = 0; c < 4; ++c) cells << rows->index(r, c).data().toString();
                    view << cells.join('|');
                }
                views.push_back(view);
            });
            Click(w, "PushButton7");
        };
        PreviewPlayer player({[&](ui::Form2& w) {
                                  view(w);
                                  Click(w, "PushButton9");
                              },
                              [&](ui::Form2& w) {
                                  view(w);
                                  Click(w, "PushButton5");
                              }});
        p.startConverting();

        QCOMPARE(player.shown(), 2);
        QCOMPARE(views, (std::vector<QStringList>{
                            {"PtTypesGamma|Flag|bool|BOOL", "PtTypesGamma|Label|varwchar|TEXT"},
                            {"PtTypesBeta|Qty|double|NUMERIC", "PtTypesBeta|Note|varwchar|TEXT"}}));
        QCOMPARE(ExistingShopTables(server, "PtTypes"), std::string(""));
    }

    // With "Keep types, keys and relationships" checked, the one window holds the typed
    // statements, its datatype view the typed mapping, and its execution leaves the keys and the
    // relationship on the server.
    void typedPerFileThroughTheWindows() {
        TestServer& server = TestServer::shared();
        server.psql(R"(DROP TABLE IF EXISTS "TyOrders", "TyCustomers" CASCADE)");
        Program p;
        aw::TableData customers{"TyCustomers",
                                {aw::Column::of("ID", aw::ColumnType::Long),
                                 aw::Column::of("Name", aw::ColumnType::Text, 30)},
                                {{V::integer(1), V::text("Anna")}}};
        customers.columns[0].autoNumber = true;
        customers.options.indexes = {aw::Index::primary("PrimaryKey", {{"ID"}})};
        aw::TableData orders{"TyOrders",
                             {aw::Column::of("Customer", aw::ColumnType::Long),
                              aw::Column::of("Placed", aw::ColumnType::DateTime)},
                             {{V::integer(1), V::date(aw::oleDate(1888, 2, 29, 13, 30))}}};
        aw::writeDatabase(
            p.path("typed.accdb"), {customers, orders},
            {{"TyCustomersTyOrders", "TyOrders", "TyCustomers", {{"Customer", "ID"}}}});
        p.open(server, p.path("typed.accdb"));
        p.previewPerFile();
        QTest::mouseClick(p.form->findChild<QCheckBox*>("Check2"), Qt::LeftButton);

        QStringList view;
        PreviewPlayer player({[&](ui::Form2& w) {
            OnNextModalThenClose([&](QWidget& dialog) {
                const QAbstractItemModel* rows = dialog.findChild<QTreeView*>("ListView1")->model();
                for (int r = 0; r < rows->rowCount(); ++r) {
                    QStringList cells;
                    for (int c = 0; c < 4; ++c) cells << rows->index(r, c).data().toString();
                    view << cells.join('|');
                }
            });
            Click(w, "PushButton7");
            Click(w, "PushButton1");
        }});
        p.startConverting();

        QCOMPARE(player.shown(), 1);
        QCOMPARE(p.reportedSteps(), std::vector<std::string>{});
        QCOMPARE(player.linesShown().front().back(),
                 std::string(R"(ALTER TABLE "TyOrders" ADD CONSTRAINT "TyCustomersTyOrders" )"
                             R"(FOREIGN KEY ("Customer") REFERENCES "TyCustomers" ("ID");)"));
        QCOMPARE(view, (QStringList{"TyOrders|Customer|Long Integer|INTEGER",
                                    "TyOrders|Placed|Date/Time|TIMESTAMP",
                                    "TyCustomers|ID|AutoNumber|INTEGER GENERATED BY DEFAULT AS "
                                    "IDENTITY",
                                    "TyCustomers|Name|Text|VARCHAR(30)"}));
        QCOMPARE(server.psql(R"(SELECT "Customer", "Placed" FROM "TyOrders")"),
                 std::string("1|1888-02-29 13:30:00"));
        QCOMPARE(server.psql("SELECT string_agg(contype::text, '' ORDER BY contype) FROM "
                             "pg_constraint WHERE conrelid IN ('\"TyOrders\"'::regclass, "
                             "'\"TyCustomers\"'::regclass)"),
                 std::string("fp"));
        // The sequence counts on past the rows: a new customer gets the next number.
        QCOMPARE(server.psql(R"(SELECT nextval(pg_get_serial_sequence('"TyCustomers"', 'ID')))"),
                 std::string("2"));
        VerifyRunEnded(p);
    }

    void perFile_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("execute");
        QTest::addColumn<QString>("tables");
        QTest::newRow("Execute SQL") << "PfRun" << true << "PfRunAlpha,PfRunBeta,PfRunGamma";
        QTest::newRow("< Back") << "PfBack" << false << "";
    }
    void perFile() {
        QFETCH(QString, prefix);
        QFETCH(bool, execute);
        QFETCH(QString, tables);
        const std::string pre = prefix.toStdString();
        TestServer& server = TestServer::shared();
        Program p;
        OpenShop(p, server, pre);
        p.previewPerFile();

        PreviewPlayer player(
            {[&](ui::Form2& w) { Click(w, execute ? "PushButton1" : "PushButton5"); }});
        p.startConverting();

        // One window with every table's statements, the last listed table first.
        QCOMPARE(player.shown(), 1);
        const std::vector<std::string>& lines = player.linesShown()[0];
        QCOMPARE(lines.size(), std::size_t(3 + 4 + 3));
        QVERIFY(lines[0].starts_with("CREATE TABLE \"" + pre + "Gamma\"("));
        QVERIFY(lines[3].starts_with("CREATE TABLE \"" + pre + "Beta\"("));
        QVERIFY(lines[7].starts_with("CREATE TABLE \"" + pre + "Alpha\"("));

        QCOMPARE(p.shown.outcomes,
                 std::vector<engine::PreviewOutcome>{execute ? engine::PreviewOutcome::RanToEnd
                                                             : engine::PreviewOutcome::Ended});
        QCOMPARE(ExistingShopTables(server, pre), tables.toStdString());
        if (execute) {
            QCOMPARE(Rows(server, pre + "Alpha", "1"), AlphaRows);
            QCOMPARE(Rows(server, pre + "Beta", "1"), BetaRows);
            QCOMPARE(Rows(server, pre + "Gamma", "1"), GammaRows);
        }
        QCOMPARE(p.prompts.Messages(), std::vector<std::string>{"Done."});
        QCOMPARE(p.reportedSteps(), std::vector<std::string>{});
        VerifyRunEnded(p);
    }

    // A type left on the server under the name of the first table makes its CREATE TABLE fail
    // (the table list does not show types, so nothing asks about it): the execution stops there
    // with the line selected; the user rewrites the line in the Edit line dialog and executes
    // again, which then runs every line.
    void perFileStopsAtRejectedLineAndRunsAfterTheEdit() {
        TestServer& server = TestServer::shared();
        Program p;
        OpenShop(p, server, "PfFix", "Order");
        server.psql(R"(DROP TYPE IF EXISTS "PfFixGamma"; CREATE TYPE "PfFixGamma" AS (x int))");
        p.previewPerFile();

        const std::string rejected = R"(CREATE TABLE "PfFixGamma"("order" BOOL,Label TEXT);)";
        const std::string corrected =
            R"(DROP TYPE "PfFixGamma"; CREATE TABLE "PfFixGamma"("order" BOOL,Label TEXT);)";
        std::vector<std::string> afterEdit;
        PreviewPlayer player({[&](ui::Form2& w) {
            QCOMPARE(PreviewLinesOf(w).front(), rejected);
            Click(w, "PushButton1");
            QVERIFY(w.isVisible());
            QCOMPARE(p.prompts.Messages(), std::vector<std::string>{"Error found."});
            QCOMPARE(p.preview.ErrorLine(), 1);
            QCOMPARE(SelectedLine(w), 1);
            QVERIFY(ErrorBoxText(w).contains("SQLException"));
            QVERIFY(ErrorBoxText(w).contains("already exists"));
            QCOMPARE(ExistingShopTables(server, "PfFix"), std::string(""));

            EditLine(w, 1, corrected);
            afterEdit = PreviewLinesOf(w);
            Click(w, "PushButton1");
            QVERIFY(!w.isVisible());
        }});
        p.startConverting();

        QCOMPARE(player.shown(), 1);
        QCOMPARE(afterEdit.front(), corrected);
        QCOMPARE(afterEdit.size(), std::size_t(10));
        QCOMPARE(p.shown.outcomes.back(), engine::PreviewOutcome::RanToEnd);
        QCOMPARE(ExistingShopTables(server, "PfFix"),
                 std::string("PfFixAlpha,PfFixBeta,PfFixGamma"));
        QCOMPARE(server.psql(R"(SELECT "order", label FROM "PfFixGamma" ORDER BY 2)"), GammaRows);
        QCOMPARE(Rows(server, "PfFixAlpha", "1"), AlphaRows);
        QCOMPARE(Rows(server, "PfFixBeta", "1"), BetaRows);
        QCOMPARE(p.prompts.Messages(), (std::vector<std::string>{"Error found.", "Done."}));
        QCOMPARE(p.reportedSteps(), std::vector<std::string>{});
        VerifyRunEnded(p);
    }

    // The server stops while the preview executes: the execution stops at the first line that
    // cannot be sent, and so does a new one while the server is down, at the same line. Once
    // the server is back, the next execution reopens the connection, sends the lines that have
    // not run, each once, and closes the window.
    void serverStopsDuringExecution() {
        PrivateTestServer server;
        Program p;
        aw::TableData rows{"PfStop", {aw::Column::of("N", aw::ColumnType::Long)}, {}};
        for (int i = 1; i <= 40; ++i) rows.rows.push_back({V::integer(i)});
        aw::writeDatabase(p.path("stop.mdb"), {rows});
        p.open(server, p.path("stop.mdb"));
        p.previewPerFile();

        int rowsAtStop = -1;
        p.events.onEvents = StopServerOnceRows(server, "PfStop", 5, rowsAtStop);
        std::vector<int> errorLines;
        bool closed = false;
        PreviewPlayer player({[&](ui::Form2& w) {
            Click(w, "PushButton1");
            errorLines.push_back(p.preview.ErrorLine());
            QVERIFY(ErrorBoxText(w).contains("SQLException: [57P01]"));
            Click(w, "PushButton1");
            errorLines.push_back(p.preview.ErrorLine());
            QVERIFY(ErrorBoxText(w).contains("SQLException: [08001]"));
            p.events.onEvents = nullptr;
            server.start();
            Click(w, "PushButton1");
            closed = !w.isVisible();
        }});
        p.startConverting();

        QVERIFY(rowsAtStop >= 5 && rowsAtStop < 40);
        // Line 1 creates the table, line n + 1 inserts row n: the first line not sent is the next.
        QCOMPARE(errorLines, (std::vector<int>{rowsAtStop + 2, rowsAtStop + 2}));
        QVERIFY(closed);
        QCOMPARE(p.prompts.Messages(),
                 (std::vector<std::string>{"Error found.", "Error found.", "Done."}));
        QCOMPARE(p.reportedSteps(), std::vector<std::string>{});
        QCOMPARE(p.shown.outcomes.back(), engine::PreviewOutcome::RanToEnd);
        VerifyRunEnded(p);
        QCOMPARE(server.psql("SELECT count(*), count(DISTINCT n), max(n) FROM \"PfStop\""),
                 std::string("40|40|40"));
    }
};

QTEST_MAIN(PreviewRunTest)
#include "PreviewRunTest.moc"
