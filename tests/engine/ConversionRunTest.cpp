#include "RunHarness.h"
#include "StatementCases.h"
#include "engine/SpecifiedPolicy.h"
#include "shell/core/ErrorReport.h"
#include "shell/core/Helpers.h"

#include <QtTest>

using namespace tabulant;
using platform::Variant;
using enum platform::AdoType;
using Strings = std::vector<std::string>;
using Answer = platform::Prompts::Answer;

namespace {

QStringList qs(const Strings& v) {
    QStringList out;
    for (const auto& s : v) out << QString::fromStdString(s);
    return out;
}

// A table of `rows` rows: Id 1..rows and a name.
void AddPlain(testing::RunHarness& h, const std::string& name, int rows) {
    std::vector<std::vector<Variant>> values;
    for (int i = 1; i <= rows; ++i)
        values.push_back({Variant::integer(i), Variant::text(name + std::to_string(i))});
    h.AddTable(name, {{"Id", adInteger}, {"Name", adVarWChar}}, std::move(values));
}

std::string Create(const std::string& table) {
    return "CREATE TABLE \"" + table + "\"(Id NUMERIC,Name TEXT);";
}
std::string Insert(const std::string& table, int i) {
    return "INSERT INTO \"" + table + "\" VALUES (" + std::to_string(i) + ", '" + table +
           std::to_string(i) + "');";
}

enum class Mode { Direct, PerFile, PerTable };
void SetMode(fakes::FakeMainWindow& w, Mode m) {
    if (m == Mode::Direct) w.Direct();
    if (m == Mode::PerFile) w.PreviewPerFile();
    if (m == Mode::PerTable) w.PreviewPerTable();
}

// The specified statements, and a line after each table and after the last one, as a policy
// that writes keys or sequence values would add them.
class ClosingPolicy final : public engine::ConversionPolicy {
public:
    explicit ClosingPolicy(const engine::PolicyServices& services) : specified_(services) {}
    const Strings& CreateTable(shell::Trap& trap, const engine::SourceTable& table) override {
        return specified_.CreateTable(trap, table);
    }
    void StartRows(shell::Trap& trap, std::string_view table) override {
        specified_.StartRows(trap, table);
    }
    const std::string& RowStatement(shell::Trap& trap, const platform::Recordset& r) override {
        return specified_.RowStatement(trap, r);
    }
    const Strings& AfterTable(shell::Trap&, std::string_view table) override {
        after_ = {"-- after " + std::string(table)};
        return after_;
    }
    const Strings& AfterLastTable(shell::Trap&) override {
        after_ = {"-- keys", "-- indexes"};
        return after_;
    }

private:
    engine::SpecifiedPolicy specified_;
    Strings after_;
};

// The statements a run produced: executed ones in direct mode, else the preview lines of every
// showing (per table) or of the one showing (per file).
Strings Produced(const testing::RunHarness& h) {
    if (!h.window.Previewing()) return h.Executed();
    Strings all;
    for (const Strings& shown : h.preview.shown) all.insert(all.end(), shown.begin(), shown.end());
    return all;
}

} // namespace

Q_DECLARE_METATYPE(Mode)

class ConversionRunTest : public QObject {
    Q_OBJECT
private slots:
    void ordersInDirectMode();
    void tablesLastToFirst_data();
    void tablesLastToFirst();
    void overwriteQuestion_data();
    void overwriteQuestion();
    void progress_data();
    void progress();
    void perTablePreview_data();
    void perTablePreview();
    void perFilePreview_data();
    void perFilePreview();
    void policyStatementsFollowTablesAndTheLastTable_data();
    void policyStatementsFollowTablesAndTheLastTable();
    void failingProbeSaysWhy();
    void secondClickWhileRunningDoesNothing();
    void failingStatementsAreReportedAndPassedOver_data();
    void failingStatementsAreReportedAndPassedOver();
    void lostConnectionIsReportedOnce();
    void stopRequestEndsTheRunQuietly();
    void missingAccessFile();
    void unreadableTableIsReportedAndTheRunGoesOn();
    void fileWithoutTables();
    void statementsToAnOutputReachNoServer();
};

void ConversionRunTest::ordersInDirectMode() {
    testing::RunHarness h;
    const auto& orders = testcases::StatementCases()[0];
    h.AddTable("Orders", orders.columns, {orders.row});
    h.Click();
    QCOMPARE(qs(h.Executed()),
             qs({R"(CREATE TABLE "Orders"(OrderID NUMERIC,Customer TEXT,OrderDat TEXT,Paid BOOL);)",
                 orders.insert}));
    QCOMPARE(qs(h.prompts.Messages()), QStringList{"Done."});
    QCOMPARE(h.prompts.Entries().size(), std::size_t(1));
    QCOMPARE(qs(h.window.log),
             qs({"pointer 11", "text Please wait.. Processing table Orders", "value 100", "text ",
                 "pointer 0", "value 0", "text Progress Bar"}));
    QCOMPARE(h.preview.datatypeRows.size(), std::size_t(5));
    QCOMPARE(h.connections.OpenNow(), 0);
    QCOMPARE(h.factory.postgres.commandTimeout, 5000);
    QCOMPARE(h.factory.postgres.connectionTimeout, 5000);
    QCOMPARE(h.factory.access.openedWith.back(),
             "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + h.window.accessFile +
                 ";JET OLEDB:Database Password=");
    QVERIFY(!h.run.Running());
    QVERIFY(h.summary.started);
    QCOMPARE(h.summary.tables, 1);
    QCOMPARE(h.summary.rows, 1);
    QCOMPARE(h.summary.statements, 2);
    QCOMPARE(h.summary.executed, 2);
    QCOMPARE(h.summary.failures, 0);
}

void ConversionRunTest::tablesLastToFirst_data() {
    QTest::addColumn<Mode>("mode");
    QTest::newRow("direct") << Mode::Direct;
    QTest::newRow("preview per file") << Mode::PerFile;
}

void ConversionRunTest::tablesLastToFirst() {
    QFETCH(Mode, mode);
    testing::RunHarness h;
    SetMode(h.window, mode);
    for (const char* t : {"Alpha", "Beta", "Gamma"}) AddPlain(h, t, 1);
    h.Click();
    QCOMPARE(qs(Produced(h)), qs({Create("Gamma"), Insert("Gamma", 1), Create("Beta"),
                                  Insert("Beta", 1), Create("Alpha"), Insert("Alpha", 1)}));
    QCOMPARE(qs(h.window.list2.items()), qs({"Alpha", "Beta", "Gamma"}));
    QCOMPARE(h.preview.shown.size(), std::size_t(mode == Mode::PerFile ? 1 : 0));
    QCOMPARE(h.preview.datatypeRows.size(), std::size_t(6));
}

void ConversionRunTest::overwriteQuestion_data() {
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<bool>("yes");
    QTest::newRow("direct, yes") << Mode::Direct << true;
    QTest::newRow("direct, no") << Mode::Direct << false;
    QTest::newRow("preview per file, yes") << Mode::PerFile << true;
    QTest::newRow("preview per file, no") << Mode::PerFile << false;
}

void ConversionRunTest::overwriteQuestion() {
    QFETCH(Mode, mode);
    QFETCH(bool, yes);
    testing::RunHarness h;
    SetMode(h.window, mode);
    AddPlain(h, "Customers", 1);
    AddPlain(h, "Orders", 1);
    h.factory.postgres.existingTables = {"pg_class", "customers", "Customers"};
    h.prompts.Script(yes ? Answer::Yes : Answer::No);
    h.Click();

    QCOMPARE(h.prompts.Entries().size(), std::size_t(2));
    QCOMPARE(h.prompts.Entries()[0].text, std::string("Would you like to overwrite Customers?"));
    QCOMPARE(h.prompts.Entries()[0].title, std::string("Overwrite?"));
    QCOMPARE(h.prompts.Entries()[1].text, std::string("Done."));

    Strings expected = {Create("Orders"), Insert("Orders", 1)};
    if (yes) {
        expected.push_back(R"(DROP TABLE "Customers")");
        expected.push_back(Create("Customers"));
        expected.push_back(Insert("Customers", 1));
    }
    QCOMPARE(qs(Produced(h)), qs(expected));
    // Only the lower-case entry goes: the list is compared exactly.
    const QStringList left = yes ? QStringList{"pg_class", "Customers"}
                                 : QStringList{"pg_class", "customers", "Customers"};
    QCOMPARE(qs(h.window.list1.items()), left);
    const bool processingShown =
        std::find(h.window.log.begin(), h.window.log.end(),
                  "text Please wait.. Processing table Customers") != h.window.log.end();
    QCOMPARE(processingShown, yes);
}

void ConversionRunTest::progress_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("values");
    QTest::newRow("empty table: no change") << 0 << QList<int>{0};
    QTest::newRow("one row") << 1 << QList<int>{100, 0};
    QTest::newRow("three rows") << 3 << QList<int>{50, 75, 100, 0};
}

void ConversionRunTest::progress() {
    QFETCH(int, rows);
    QFETCH(QList<int>, values);
    testing::RunHarness h;
    AddPlain(h, "T", rows);
    h.Click();
    QCOMPARE(QList<int>(h.window.progressValues.begin(), h.window.progressValues.end()), values);
    Strings expected = {Create("T")};
    for (int i = 1; i <= rows; ++i) expected.push_back(Insert("T", i));
    QCOMPARE(qs(h.Executed()), qs(expected));
}

void ConversionRunTest::perTablePreview_data() {
    QTest::addColumn<QString>("press");
    QTest::addColumn<int>("shows");
    QTest::newRow("skip table: every table shown") << "skip" << 3;
    QTest::newRow("back: the walk ends") << "back" << 1;
    QTest::newRow("execute: every table shown") << "execute" << 3;
}

void ConversionRunTest::perTablePreview() {
    QFETCH(QString, press);
    QFETCH(int, shows);
    testing::RunHarness h;
    h.window.PreviewPerTable();
    for (const char* t : {"Alpha", "Beta", "Gamma"}) AddPlain(h, t, 2);
    std::vector<std::size_t> datatypeRows;
    h.preview.onShow = [&](fakes::FakePreview& p) {
        datatypeRows.push_back(p.datatypeRows.size());
        [&] { QVERIFY(p.executeOn && p.executeOn->IsOpen()); }();
        if (press == "skip") return engine::PreviewOutcome::SkipTable;
        if (press == "execute") return engine::PreviewOutcome::RanToEnd;
        return engine::PreviewOutcome::Ended;
    };
    h.Click();
    QCOMPARE(int(h.preview.shown.size()), shows);
    const char* order[] = {"Gamma", "Beta", "Alpha"};
    for (int s = 0; s < shows; ++s)
        QCOMPARE(qs(h.preview.shown[s]),
                 qs({Create(order[s]), Insert(order[s], 1), Insert(order[s], 2)}));
    QCOMPARE(datatypeRows, std::vector<std::size_t>(shows, 2));
    QVERIFY(h.Executed().empty());
    QCOMPARE(qs(h.prompts.Messages()), QStringList{"Done."});
    QVERIFY(h.prompts.ErrorReports().empty());
    QCOMPARE(h.connections.OpenNow(), 0);
    QCOMPARE(h.factory.access.closes, int(h.factory.access.openedWith.size()));
}

void ConversionRunTest::perFilePreview_data() {
    QTest::addColumn<bool>("executed");
    QTest::newRow("executed to the end") << true;
    QTest::newRow("back without executing") << false;
}

void ConversionRunTest::perFilePreview() {
    QFETCH(bool, executed);
    testing::RunHarness h;
    h.window.PreviewPerFile();
    AddPlain(h, "Alpha", 1);
    AddPlain(h, "Beta", 1);
    h.preview.onShow = [&](fakes::FakePreview& p) {
        [&] { QVERIFY(p.executeOn && p.executeOn->IsOpen()); }();
        return executed ? engine::PreviewOutcome::RanToEnd : engine::PreviewOutcome::Ended;
    };
    h.Click();
    QCOMPARE(h.preview.shown.size(), std::size_t(1));
    QCOMPARE(h.preview.shown[0].size(), std::size_t(4));
    // Both ways close the connections once, without a report, and end with "Done.".
    QVERIFY(h.prompts.ErrorReports().empty());
    QCOMPARE(qs(h.prompts.Messages()), QStringList{"Done."});
    QCOMPARE(h.connections.OpenNow(), 0);
    QCOMPARE(h.factory.access.closes, int(h.factory.access.openedWith.size()));
    // Without an execution the run clears the progress text once more (step 470).
    const auto emptyTexts = std::count(h.window.log.begin(), h.window.log.end(), "text ");
    QCOMPARE(int(emptyTexts), executed ? 2 : 3);
}

void ConversionRunTest::policyStatementsFollowTablesAndTheLastTable_data() {
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<bool>("back");
    QTest::newRow("direct: executed in order") << Mode::Direct << false;
    QTest::newRow("per file: the end of the one window") << Mode::PerFile << false;
    QTest::newRow("per table: a window of their own") << Mode::PerTable << false;
    QTest::newRow("per table, Back: nothing after the last") << Mode::PerTable << true;
}

void ConversionRunTest::policyStatementsFollowTablesAndTheLastTable() {
    QFETCH(Mode, mode);
    QFETCH(bool, back);
    engine::RunOptions options;
    options.makePolicy = [](engine::PolicyKind, const engine::PolicyServices& services) {
        return std::make_unique<ClosingPolicy>(services);
    };
    testing::RunHarness h(std::move(options));
    SetMode(h.window, mode);
    AddPlain(h, "Alpha", 1);
    AddPlain(h, "Beta", 1);
    h.preview.onShow = [&](fakes::FakePreview&) {
        return back ? engine::PreviewOutcome::Ended : engine::PreviewOutcome::SkipTable;
    };
    h.Click();

    const Strings beta = {Create("Beta"), Insert("Beta", 1), "-- after Beta"};
    const Strings alpha = {Create("Alpha"), Insert("Alpha", 1), "-- after Alpha"};
    Strings all = beta;
    all.insert(all.end(), alpha.begin(), alpha.end());
    all.insert(all.end(), {"-- keys", "-- indexes"});
    if (mode == Mode::PerTable) {
        std::vector<Strings> windows = {beta, alpha, {"-- keys", "-- indexes"}};
        if (back) windows.resize(1);
        QCOMPARE(h.preview.shown, windows);
    } else {
        QCOMPARE(qs(Produced(h)), qs(all));
    }
    QVERIFY(h.prompts.ErrorReports().empty());
    QCOMPARE(qs(h.prompts.Messages()), QStringList{"Done."});
    QCOMPARE(h.summary.statements, back ? 3 : 8);
}

// The probe fails: one message says why, and nothing else happens.
void ConversionRunTest::failingProbeSaysWhy() {
    testing::RunHarness h;
    AddPlain(h, "Alpha", 1);
    h.window.list1.AddItem("kept");
    h.factory.postgres.openFailure = platform::Error(-2147467259, "password authentication failed");
    h.Click();
    QCOMPARE(qs(h.prompts.Messages()),
             QStringList{"Could not connect. Please check with your administrator.\r\r"
                         "password authentication failed"});
    QCOMPARE(h.prompts.Entries().size(), std::size_t(1));
    QVERIFY(h.window.log.empty());
    QCOMPARE(qs(h.window.list1.items()), QStringList{"kept"});
    QVERIFY(!h.run.Running());
    QVERIFY(!h.summary.started);
    // The next click starts a run again.
    h.factory.postgres.openFailure.reset();
    h.prompts.Reset();
    h.Click();
    QCOMPARE(qs(h.prompts.Messages()), QStringList{"Done."});
}

void ConversionRunTest::secondClickWhileRunningDoesNothing() {
    testing::RunHarness h;
    AddPlain(h, "Alpha", 40);
    AddPlain(h, "Beta", 1);
    int reentries = 0;
    h.events.onEvents = [&] {
        QVERIFY(h.run.Running());
        ++reentries;
        h.Click();
    };
    h.Click();
    QVERIFY(reentries >= 2);
    QCOMPARE(qs(h.prompts.Messages()), QStringList{"Done."});
    QCOMPARE(h.Executed().size(), std::size_t(2 + 41));
    QVERIFY(!h.run.Running());
    QCOMPARE(h.summary.rows, 41);
}

// A failure is reported and the next statement follows; only rows that fail for the cause that
// made their CREATE TABLE fail, before any of them went in, are reported once, counted.
void ConversionRunTest::failingStatementsAreReportedAndPassedOver_data() {
    QTest::addColumn<bool>("createFails");
    QTest::addColumn<QList<int>>("failingRows");
    QTest::addColumn<QString>("rowState");
    QTest::addColumn<QList<int>>("lines");
    QTest::addColumn<int>("rowsSent");
    QTest::newRow("rows fail by their values: a report each")
        << true << QList<int>{1, 2, 3} << "22P02" << QList<int>{172, 324, 432, 432, 432} << 3;
    QTest::newRow("no such table: one report, counted")
        << true << QList<int>{1, 2, 3} << "42P01" << QList<int>{172, 324, 432} << 1;
    QTest::newRow("the table was made: each refused row is its own")
        << false << QList<int>{1, 2, 3} << "42501" << QList<int>{172, 432, 432, 432} << 3;
    QTest::newRow("a row went in: each later failure is its own")
        << true << QList<int>{2, 3} << "42601" << QList<int>{172, 324, 432, 432} << 3;
}

void ConversionRunTest::failingStatementsAreReportedAndPassedOver() {
    QFETCH(bool, createFails);
    QFETCH(QList<int>, failingRows);
    QFETCH(QString, rowState);
    QFETCH(QList<int>, lines);
    QFETCH(int, rowsSent);
    testing::RunHarness h;
    AddPlain(h, "Other", 1);
    AddPlain(h, "Orders", 3);
    h.factory.postgres.existingTables = {"orders"};
    h.prompts.Script(Answer::Yes);
    const std::string dropError =
        fakes::RecordingServer::SqlException("42P01", "ERROR: table \"Orders\" does not exist");
    const std::string createError =
        fakes::RecordingServer::SqlException("42601", "ERROR: syntax error");
    const std::string rowError =
        fakes::RecordingServer::SqlException(rowState.toStdString(), "ERROR: refused");
    h.factory.postgres.FailWhenStartsWith("DROP TABLE \"Orders\"", dropError);
    if (createFails) h.factory.postgres.FailWhenStartsWith("CREATE TABLE \"Orders\"", createError);
    for (int row : failingRows)
        h.factory.postgres.FailWhenStartsWith(Insert("Orders", row), rowError);
    h.Click();

    const std::vector<int> reported = h.ReportLines();
    QCOMPARE(QList<int>(reported.begin(), reported.end()), lines);
    const Strings reports = h.prompts.ErrorReports();
    QCOMPARE(reports[0], shell::ErrorReportText("Form1.PushButton7_Click", 172, dropError));
    if (createFails)
        QCOMPARE(reports[1], shell::ErrorReportText("Form1.PushButton7_Click", 324, createError));
    if (lines.size() == 3)
        QCOMPARE(reports[2], shell::ErrorReportText("Form1.PushButton7_Click", 432,
                                                    rowError + "\r\nRows not copied: 3"));
    else
        QCOMPARE(reports.back(), shell::ErrorReportText("Form1.PushButton7_Click", 432, rowError));
    // Everything else was tried, in order, and the next table followed.
    Strings expected = {R"(DROP TABLE "Orders")", Create("Orders")};
    for (int i = 1; i <= rowsSent; ++i) expected.push_back(Insert("Orders", i));
    expected.insert(expected.end(), {Create("Other"), Insert("Other", 1)});
    QCOMPARE(qs(h.Executed()), qs(expected));
    QCOMPARE(h.prompts.Entries().back().text, std::string("Done."));
    QCOMPARE(h.summary.failures, int(lines.size()));
    QCOMPARE(h.summary.statements, 4 + rowsSent); // the rows not copied are not made
    QCOMPARE(h.summary.tables, 2);
}

// The server goes away in the middle of a table: one report, nothing more is sent, no other table
// is begun, and the run ends as usual.
void ConversionRunTest::lostConnectionIsReportedOnce() {
    testing::RunHarness h;
    AddPlain(h, "Later", 2);
    AddPlain(h, "First", 5);
    const std::string lost = fakes::RecordingServer::SqlException(
        "57P01", "FATAL: terminating connection due to administrator command");
    h.factory.postgres.FailWhenStartsWith(Insert("First", 3), lost);
    h.Click();
    QCOMPARE(h.ReportLines(), std::vector<int>{432});
    QCOMPARE(h.prompts.ErrorReports()[0],
             shell::ErrorReportText("Form1.PushButton7_Click", 432, lost));
    QCOMPARE(qs(h.Executed()),
             qs({Create("First"), Insert("First", 1), Insert("First", 2), Insert("First", 3)}));
    QCOMPARE(qs(h.prompts.Messages()), QStringList{"Done."});
    QCOMPARE(h.connections.OpenNow(), 0);
    QVERIFY(h.summary.connectionLost);
    QCOMPARE(h.summary.tables, 1);
    QCOMPARE(h.window.log.back(), std::string("text Progress Bar"));
}

// The window is closed during a run and the user agrees to stop: the statement under way is the
// last, the connections are closed, and nothing says "Done.".
void ConversionRunTest::stopRequestEndsTheRunQuietly() {
    testing::RunHarness h;
    AddPlain(h, "Later", 2);
    AddPlain(h, "First", 40);
    h.events.onEvents = [&] {
        if (h.factory.postgres.statements.size() >= 3) h.run.RequestStop();
    };
    h.Click();
    const std::size_t sent = h.Executed().size();
    QVERIFY(sent >= 3 && sent < 41);
    QVERIFY(h.prompts.Entries().empty());
    QCOMPARE(h.connections.OpenNow(), 0);
    QVERIFY(h.summary.stopped);
    QVERIFY(!h.run.Running());
    QCOMPARE(h.window.log.back(), std::string("text Progress Bar"));
    // The next run is a whole one.
    h.events.onEvents = nullptr;
    h.Click();
    QCOMPARE(qs(h.prompts.Messages()), QStringList{"Done."});
}

void ConversionRunTest::missingAccessFile() {
    testing::RunHarness h;
    AddPlain(h, "Alpha", 1);
    h.window.accessFile = h.folder.filePath("missing.mdb").toStdString();
    h.factory.access.openFailure =
        platform::Error(-2147467259, "Could not find file '" + h.window.accessFile + "'.");
    h.Click();
    // One box, and the run ends there: no report of the steps that would follow, no "Done.".
    QCOMPARE(qs(h.prompts.Messages()),
             QStringList{"There is no file at this path: choose the Access database with "
                         "\"...\".\r\rUnable to access the database"});
    QCOMPARE(h.prompts.Entries().size(), std::size_t(1));
    QVERIFY(!h.summary.started);
    QCOMPARE(h.window.log.back(), std::string("text Progress Bar"));
    QVERIFY(h.Executed().empty());
    QVERIFY(h.window.list2.items().empty());
    QCOMPARE(h.connections.OpenNow(), 0);
}

// A listed table whose rows cannot be read: the open at 178 is reported, the steps that need the
// record set fail one by one, and the next table is converted as usual.
void ConversionRunTest::unreadableTableIsReportedAndTheRunGoesOn() {
    testing::RunHarness h;
    AddPlain(h, "Good", 1);
    AddPlain(h, "Bad", 1);
    h.factory.access.tables.back().readFailure = "Record(s) cannot be read; no read permission.";
    h.Click();
    const std::vector<int> lines = h.ReportLines();
    QVERIFY(!lines.empty());
    QCOMPARE(lines.front(), 178);
    QCOMPARE(lines.back(), 438);
    const Strings executed = h.Executed();
    QCOMPARE(qs(Strings(executed.end() - 2, executed.end())),
             qs({Create("Good"), Insert("Good", 1)}));
    QCOMPARE(h.prompts.Entries().back().text, std::string("Done."));
}

void ConversionRunTest::fileWithoutTables() {
    testing::RunHarness h;
    h.factory.access.Add("MSysObjects", {{"Id", adInteger}}).type = "SYSTEM TABLE";
    h.factory.postgres.existingTables = {"pg_class"};
    h.window.list1.AddItem("stale");
    h.Click();
    QVERIFY(h.Executed().empty());
    QCOMPARE(qs(h.window.list1.items()), QStringList{"pg_class"});
    QVERIFY(h.window.list2.items().empty());
    QCOMPARE(qs(h.prompts.Messages()), QStringList{"Done."});
    QVERIFY(h.prompts.ErrorReports().empty());
}

namespace {
// Keeps what it is given; throws for statements that start with `failFor`.
struct KeptStatements final : engine::StatementOutput {
    Strings kept;
    std::string failFor = "\x01";
    void Write(std::string_view statement) override {
        if (statement.starts_with(failFor)) throw platform::Error(28, "No space left on device");
        kept.emplace_back(statement);
    }
};
} // namespace

// With a statement output the run never reaches for the server: no probe, no table list, no
// overwrite question, no connection; every statement goes to the output in the order a direct
// run executes it, and a failed write is reported at the step that handed the statement on.
void ConversionRunTest::statementsToAnOutputReachNoServer() {
    KeptStatements output;
    engine::RunOptions options;
    options.statementsTo = &output;
    testing::RunHarness h(std::move(options));
    AddPlain(h, "Beta", 2);
    AddPlain(h, "Alpha", 1);
    h.factory.postgres.openFailure = platform::Error(-2147467259, "no server here");
    h.factory.postgres.existingTables = {"alpha", "beta"};
    h.prompts.SetDefaultAnswer(Answer::Yes);
    output.failFor = Insert("Beta", 1);
    h.Click();

    QCOMPARE(qs(output.kept),
             qs({Create("Alpha"), Insert("Alpha", 1), Create("Beta"), Insert("Beta", 2)}));
    QCOMPARE(h.ReportLines(), std::vector<int>{432});
    QCOMPARE(qs(h.prompts.Messages()), QStringList{"Done."});
    QVERIFY(h.factory.postgres.openedWith.empty());
    QCOMPARE(h.factory.postgres.catalogueQueries, 0);
    QVERIFY(h.window.list1.items().empty());
    QCOMPARE(h.connections.OpenNow(), 0);
    QCOMPARE(h.preview.datatypeRows.size(), std::size_t(4));
    QVERIFY(h.summary.started);
    QCOMPARE(h.summary.statements, 5);
    QCOMPARE(h.summary.executed, 4);
    QCOMPARE(h.summary.failures, 1);
}

QTEST_GUILESS_MAIN(ConversionRunTest)
#include "ConversionRunTest.moc"
