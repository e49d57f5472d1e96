// The built tabulant-convert against the test server, run as a script or a user would run it:
// a conversion with its exit status and messages, the overwrite answers, the failures that stop
// it before it starts and those it reports as it goes, --sql piped into psql against the direct
// run, where the server settings come from, and sessions on a terminal.
#include "CliHarness.h"
#include "accesswriter/AccessWriter.h"
#include "pgserver/TestServer.h"
#include "platform/qt/IniSettingsStore.h"

#include <QTest>

#include <algorithm>
#include <limits>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tabulant;
using namespace tabulant::testing;
namespace aw = accesswriter;
using aw::Column;
using aw::ColumnType;
using V = platform::Variant;

namespace {

std::vector<aw::Row> numbered(int rows) {
    std::vector<aw::Row> out;
    for (int i = 1; i <= rows; ++i)
        out.push_back({V::integer(i), V::text("row " + std::to_string(i))});
    return out;
}

aw::TableData plain(std::string name, int rows) {
    return {std::move(name),
            {Column::of("Id", ColumnType::Long), Column::of("Name", ColumnType::Text, 50)},
            numbered(rows)};
}

aw::WriterOptions format(aw::Format f) {
    aw::WriterOptions options;
    options.format = f;
    return options;
}

// locked.mdb in the harness's folder, protected by the password Right1.
QString writeLocked(const CliHarness& h, const std::string& table) {
    aw::WriterOptions locked;
    locked.password = "Right1";
    aw::writeDatabase(h.path("locked.mdb").toStdString(), {plain(table, 1)}, locked);
    return h.path("locked.mdb");
}

int countReports(const CliOutcome& o) {
    return static_cast<int>(std::count_if(o.errLines.begin(), o.errLines.end(), [](const auto& l) {
        return l.starts_with("Application Error: ");
    }));
}

// Every value kind at its awkward edges, and names psql and the server must take whole.
std::vector<aw::TableData> valueTables() {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return {
        {"CliValues",
         {Column::of("Id", ColumnType::Long), Column::of("Txt", ColumnType::Text, 255),
          Column::of("Notes", ColumnType::Memo), Column::of("Cur", ColumnType::Currency),
          Column::decimal("Amount", 28, 6), Column::of("When", ColumnType::DateTime),
          Column::of("Paid", ColumnType::Boolean), Column::of("Guid", ColumnType::Guid),
          Column::of("Bin", ColumnType::Binary, 8), Column::of("Big", ColumnType::LargeNumber),
          Column::of("Dbl", ColumnType::Double), Column::of("Sng", ColumnType::Single),
          Column::of("Order", ColumnType::Text, 50)},
         {{V::integer(1), V::text("O'Brien \"hi\"\r\nline two\\ C:\\dir"),
           V::text(std::string(5000, 'm') + "\xce\xa9"), V::currency(-12345), V::decimal("-1.5"),
           V::date(aw::oleDate(1850, 3, 4, 10, 20, 30)), V::boolean(true),
           V::text("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"),
           V::binary(std::string("\0\1\xff\0AB", 6)),
           V::integer(std::numeric_limits<std::int64_t>::max()), V::real(0.1), V::single(1.5f),
           V::text(":name :'quoted' \\copy \\\\ ;")},
          {V::integer(2), V::text("\xce\x9a\xce\xb1\xce\xbb\xce\xb7 \xf0\x9f\x98\x80"), V::null(),
           V::currency(0), V::decimal("0"), V::date(aw::oleDate(1899, 12, 30, 8, 5, 0)),
           V::boolean(false), V::null(), V::null(), V::integer(0), V::real(nan), V::single(-0.5f),
           V::text("0012")},
          {V::integer(3), V::text(""), V::text("8/31/2021"), V::null(), V::null(), V::null(),
           V::boolean(false), V::null(), V::null(), V::null(), V::real(1e20), V::null(),
           V::text("-- not a comment")}}},
        {"Sales \"old\" 2",
         {Column::of("E-Mail", ColumnType::Text, 80), Column::of("1st", ColumnType::Long)},
         {{V::text("a@b.example"), V::integer(1)}, {V::text("x'); DROP TABLE t; --"), V::null()}}},
        {"CliEmpty", {Column::of("Id", ColumnType::Long)}, {}}};
}

// The tables of a database with their column types, and each table's rows as one digest.
std::string shapeAndRows(TestServer& server, const std::string& database) {
    std::string out = server.psql("SELECT table_name, column_name, data_type FROM "
                                  "information_schema.columns WHERE table_schema = 'public' "
                                  "ORDER BY 1, ordinal_position",
                                  database);
    for (const char* table : {"CliValues", "Sales \"\"old\"\" 2", "CliEmpty"})
        out += "\n" + server.psql(std::string("SELECT count(*), md5(coalesce(string_agg(t::text, "
                                              "'|' ORDER BY t::text), '')) FROM \"") +
                                      table + "\" t",
                                  database);
    return out;
}

} // namespace

class TabulantConvertTest : public QObject {
    Q_OBJECT
private slots:
    void convertsAFile();
    void existingTable_data();
    void existingTable();
    void failedStartSaysWhyOnce_data();
    void failedStartSaysWhyOnce();
    void failingRowIsReportedOnce();
    void statementsThroughPsqlMatchTheDirectRun();
    void serverSettingsFallBack();
    void terminalSession();
    void accessPasswordTries_data();
    void accessPasswordTries();
};

void TabulantConvertTest::convertsAFile() {
    TestServer& server = TestServer::shared();
    server.psql("DROP TABLE IF EXISTS \"CliAlpha\", \"CliBeta\"");
    CliHarness h;
    aw::writeDatabase(h.path("two.accdb").toStdString(),
                      {plain("CliAlpha", 3), plain("CliBeta", 2)}, format(aw::Format::Ace2010));
    const CliOutcome o = h.run(h.serverArgs() << h.path("two.accdb"));
    QCOMPARE(o.code, 0);
    QCOMPARE(q(server.psql("SELECT id, name FROM \"CliAlpha\" ORDER BY id")),
             QString("1|row 1\n2|row 2\n3|row 3"));
    QCOMPARE(q(server.psql("SELECT count(*) FROM \"CliBeta\"")), QString("2"));
    // Standard error is not a terminal: one plain line per table, last listed first.
    QCOMPARE(o.errLines.size(), std::size_t(4));
    QVERIFY2(o.errLines[0].starts_with("CliBeta: 2 rows in "), o.err().c_str());
    QVERIFY(o.errLines[1].starts_with("CliAlpha: 3 rows in "));
    QCOMPARE(q(o.errLines[2]), QString("Done."));
    QCOMPARE(q(o.errLines[3]), QString("2 tables, 5 rows, 7 of 7 statements executed, 0 failures"));
    QVERIFY(o.out.empty());

    // Quiet: nothing at all when everything went well.
    server.psql("DROP TABLE \"CliAlpha\", \"CliBeta\"");
    const CliOutcome quiet = h.run(h.serverArgs() << "--quiet" << h.path("two.accdb"));
    QCOMPARE(quiet.code, 0);
    QVERIFY2(quiet.errLines.empty(), quiet.err().c_str());
}

void TabulantConvertTest::existingTable_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("line");
    QTest::newRow("no") << "no"
                        << "-1|kept"
                        << "Would you like to overwrite CliExisting? No (--overwrite no)";
    QTest::newRow("yes") << "yes"
                         << "1|row 1\n2|row 2"
                         << "Would you like to overwrite CliExisting? Yes (--overwrite yes)";
    // Without a terminal to ask on, a table that exists is left alone.
    QTest::newRow("default") << ""
                             << "-1|kept"
                             << "Would you like to overwrite CliExisting? No (--overwrite no)";
}

void TabulantConvertTest::existingTable() {
    QFETCH(QString, answer);
    QFETCH(QString, rows);
    QFETCH(QString, line);
    TestServer& server = TestServer::shared();
    server.psql("DROP TABLE IF EXISTS \"CliExisting\"");
    server.psql("CREATE TABLE \"CliExisting\" (id numeric, name text)");
    server.psql("INSERT INTO \"CliExisting\" VALUES (-1, 'kept')");
    CliHarness h;
    aw::writeDatabase(h.path("e.mdb").toStdString(), {plain("CliExisting", 2)});
    QStringList args = h.serverArgs() << h.path("e.mdb");
    if (!answer.isEmpty()) args << "--overwrite" << answer;
    const CliOutcome o = h.run(args);
    QCOMPARE(o.code, 0);
    QCOMPARE(
        QString::fromStdString(server.psql("SELECT id, name FROM \"CliExisting\" ORDER BY id")),
        rows);
    QCOMPARE(QString::fromStdString(o.errLines.front()), line);
}

void TabulantConvertTest::failedStartSaysWhyOnce_data() {
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("says");
    QTest::newRow("wrong Access password") << "access password"
                                           << "Not a valid password. (the password in "
                                              "TABULANT_ACCESS_PASSWORD)";
    QTest::newRow("no Access password") << "no access password"
                                        << "Not a valid password. The file is protected by a "
                                           "password: give it in TABULANT_ACCESS_PASSWORD.";
    QTest::newRow("no Access file") << "missing file"
                                    << "No such file or directory";
    QTest::newRow("not an Access file") << "not access"
                                        << "Unrecognized database format";
    QTest::newRow("server not listening") << "no server"
                                          << "Connection refused";
    QTest::newRow("wrong server password") << "server password"
                                           << "password authentication failed for user";
    QTest::newRow("no such database") << "database"
                                      << "database \"cli_none\" does not exist";
    QTest::newRow("no such table named") << "table"
                                         << "no table \"Nowhere\" in ";
}

// Nothing is converted, one line says why (in the driver's or the reader's words), exit 2.
void TabulantConvertTest::failedStartSaysWhyOnce() {
    QFETCH(QString, failure);
    QFETCH(QString, says);
    CliHarness h;
    QString file = writeLocked(h, "CliLocked");
    h.env.insert("TABULANT_ACCESS_PASSWORD", "Right1");
    QStringList args = h.serverArgs();
    if (failure == "access password") h.env.insert("TABULANT_ACCESS_PASSWORD", "Wrong1");
    if (failure == "no access password") h.env.remove("TABULANT_ACCESS_PASSWORD");
    if (failure == "missing file") file = h.path("none.mdb");
    if (failure == "not access") {
        QFile text(h.path("notes.mdb"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write(QByteArray(4096, 'x'));
        file = text.fileName();
    }
    if (failure == "no server") args[3] = "1"; // port 1: nothing listens there
    if (failure == "server password") h.env.insert("PGPASSWORD", "wrong");
    if (failure == "database") args[7] = "cli_none";
    if (failure == "table")
        args << "--table"
             << "Nowhere";

    const CliOutcome o = h.run(args << file);
    QCOMPARE(o.code, 2);
    QVERIFY2(o.errLines.size() == 1, o.err().c_str());
    QVERIFY2(o.errLines[0].starts_with("tabulant-convert: "), o.err().c_str());
    QVERIFY2(o.errLines[0].find(says.toStdString()) != std::string::npos, o.err().c_str());
    QCOMPARE(q(TestServer::shared().psql(
                 "SELECT count(*) FROM pg_tables WHERE tablename = 'CliLocked'")),
             QString("0"));
}

// A row the server rejects is reported once, in the window's words, and the others arrive.
void TabulantConvertTest::failingRowIsReportedOnce() {
    TestServer& server = TestServer::shared();
    server.recreateDatabase("cli_reject");
    // The server adds a check to the table as it is created, so that row 2 breaks it.
    server.psql("CREATE FUNCTION reject_two() RETURNS event_trigger LANGUAGE plpgsql AS $$ BEGIN "
                "IF EXISTS (SELECT 1 FROM pg_event_trigger_ddl_commands() WHERE object_identity "
                "= 'public.\"CliReject\"') THEN ALTER TABLE \"CliReject\" ADD CONSTRAINT no_two "
                "CHECK (id <> 2); END IF; END $$",
                "cli_reject");
    server.psql("CREATE EVENT TRIGGER reject_two ON ddl_command_end WHEN TAG IN ('CREATE TABLE') "
                "EXECUTE FUNCTION reject_two()",
                "cli_reject");
    CliHarness h;
    aw::writeDatabase(h.path("r.accdb").toStdString(), {plain("CliReject", 3)},
                      format(aw::Format::Ace2007));
    const CliOutcome o = h.run(h.serverArgs("cli_reject") << h.path("r.accdb"));
    QCOMPARE(o.code, 1);
    QCOMPARE(countReports(o), 1);
    const auto report = std::find_if(o.errLines.begin(), o.errLines.end(), [](const auto& l) {
        return l.starts_with("Application Error: ");
    });
    QVERIFY2(report->find("SQLException: [23514]") != std::string::npos, report->c_str());
    QVERIFY(report->ends_with(" in Varnolet2021/08/31.Form1.PushButton7_Click at line 432"));
    QCOMPARE(q(o.errLines.back()),
             QString("1 table, 3 rows, 3 of 4 statements executed, 1 failure"));
    QCOMPARE(q(server.psql("SELECT id FROM \"CliReject\" ORDER BY id", "cli_reject")),
             QString("1\n3"));
}

// The statements written with --sql - and run by psql in one transaction give the very tables
// and values the direct run gives; a second load stops at the first table that exists and
// changes nothing, and --overwrite yes makes the file replace the tables.
void TabulantConvertTest::statementsThroughPsqlMatchTheDirectRun() {
    TestServer& server = TestServer::shared();
    server.recreateDatabase("cli_direct");
    server.recreateDatabase("cli_piped");
    CliHarness h;
    aw::writeDatabase(h.path("values.accdb").toStdString(), valueTables(),
                      format(aw::Format::Ace2016));
    const QString file = h.path("values.accdb");

    const CliOutcome direct = h.run(h.serverArgs("cli_direct") << file);
    QVERIFY2(direct.code == 0, direct.err().c_str());
    int psqlCode = -1;
    std::string psqlErr;
    // No server settings, no password: --sql reaches no server.
    const CliOutcome piped = h.runIntoPsql({file}, "cli_piped", psqlCode, psqlErr);
    QVERIFY2(piped.code == 0, piped.err().c_str());
    QVERIFY2(psqlCode == 0, psqlErr.c_str());
    QCOMPARE(q(piped.errLines.back()),
             QString("3 tables, 5 rows, 8 statements written to standard output, 0 failures"));
    const std::string expected = shapeAndRows(server, "cli_direct");
    QCOMPARE(shapeAndRows(server, "cli_piped"), expected);
    QVERIFY(expected.find("CliValues|order|text") != std::string::npos);

    // psql stops reading at the first table that exists; unless it had read everything by
    // then (0), the command ends at the closed pipe with one line as its last (2).
    const CliOutcome again = h.runIntoPsql({file}, "cli_piped", psqlCode, psqlErr);
    QVERIFY2(again.code == 0 ||
                 (again.code == 2 && again.errLines.back() == "tabulant-convert: Cannot write "
                                                              "to standard output: Broken pipe"),
             again.err().c_str());
    QCOMPARE(psqlCode, 3); // psql's status for a script stopped by ON_ERROR_STOP
    QVERIFY2(psqlErr.find("already exists") != std::string::npos, psqlErr.c_str());
    QCOMPARE(shapeAndRows(server, "cli_piped"), expected);

    const CliOutcome replaced =
        h.runIntoPsql({"--overwrite", "yes", file}, "cli_piped", psqlCode, psqlErr);
    QCOMPARE(replaced.code, 0);
    QVERIFY2(psqlCode == 0, psqlErr.c_str());
    QCOMPARE(shapeAndRows(server, "cli_piped"), expected);
}

// Unset server values come from the window's saved settings, then the PG* variables; the
// password from the saved settings only for the saved account, or from a private ~/.pgpass.
void TabulantConvertTest::serverSettingsFallBack() {
    TestServer& server = TestServer::shared();
    server.psql("DROP TABLE IF EXISTS \"CliSaved\"");
    CliHarness h;
    aw::writeDatabase(h.path("s.mdb").toStdString(), {plain("CliSaved", 1)});
    const QStringList args{"--overwrite", "yes", h.path("s.mdb")};

    {
        h.env.insert("PGHOST", QString::fromUtf8(TestServer::Host.data()));
        h.env.insert("PGPORT", QString::fromStdString(server.port()));
        h.env.insert("PGUSER", QString::fromUtf8(TestServer::User.data()));
        h.env.insert("PGDATABASE", QString::fromUtf8(TestServer::Database.data()));
        h.env.insert("PGPASSWORD", QString::fromUtf8(TestServer::Password.data()));
        const CliOutcome o = h.run(QStringList(args) << "--verbose");
        QVERIFY2(o.code == 0, o.err().c_str());
        QCOMPARE(o.errLines[0], "Server: 127.0.0.1 (PGHOST)");
        QCOMPARE(q(o.errLines[4]), QString("Password: from PGPASSWORD"));
        for (const char* name : {"PGHOST", "PGPORT", "PGUSER", "PGDATABASE", "PGPASSWORD"})
            h.env.remove(name);
    }

    // A line of ~/.pgpass for the server, readable by its owner only.
    QStringList noPassword = h.serverArgs();
    h.env.remove("PGPASSWORD");
    const std::string pgpass = h.path("home/.pgpass").toStdString();
    {
        QFile file(QString::fromStdString(pgpass));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(("# host:port:database:user:password\n127.0.0.1:" + server.port() +
                    ":*:tabulant:tabulant\n")
                       .c_str());
    }
    ::chmod(pgpass.c_str(), 0600);
    CliOutcome o = h.run(QStringList(noPassword) << args);
    QVERIFY2(o.code == 0, o.err().c_str());

    // Others may read it: passed over with PostgreSQL's own warning, and the server refuses.
    ::chmod(pgpass.c_str(), 0644);
    o = h.run(QStringList(noPassword) << args << "--verbose");
    QCOMPARE(o.code, 2);
    const std::string passedOver = "Password: none given (password file \"" + pgpass +
                                   "\" has group or world access; permissions should be u=rw "
                                   "(0600) or less)";
    QVERIFY2(std::find(o.errLines.begin(), o.errLines.end(), passedOver) != o.errLines.end(),
             o.err().c_str());
    ::unlink(pgpass.c_str());

    // The window's settings, password included, for the account they were saved with.
    platform::IniSettingsStore saved(h.path("config/Quorvane/Tabulant.ini").toStdString());
    saved.Write("PostgreSQLServer", "127.0.0.1");
    saved.Write("PostgreSQLPort", server.port());
    saved.Write("PostgreSQLUser", "tabulant");
    saved.Write("PostgreSQLPassword", "tabulant");
    saved.Write("PostgreSQLDatabase", "tabulant");
    o = h.run(args);
    QVERIFY2(o.code == 0, o.err().c_str());
    QCOMPARE(q(server.psql("SELECT count(*) FROM \"CliSaved\"")), QString("1"));
    // Another server named on the command line does not get the saved password.
    o = h.run(QStringList{"--server", "localhost"} << args);
    QCOMPARE(o.code, 2);
    QVERIFY2(o.errLines[0].find("no password supplied") != std::string::npos, o.err().c_str());
}

namespace {

// Runs the command on a new pseudo-terminal, typing each answer once its prompt has appeared.
// Returns the exit code (-1 on a time-out) and everything the terminal showed.
int onTerminal(const QStringList& args, const QProcessEnvironment& env,
               const std::vector<std::pair<std::string, std::string>>& answers,
               std::string& shown) {
    std::vector<std::string> argStrings{CliHarness::program().toStdString()};
    for (const QString& a : args) argStrings.push_back(a.toStdString());
    std::vector<std::string> envStrings;
    for (const QString& e : env.toStringList()) envStrings.push_back(e.toStdString());
    std::vector<char*> argv, envp;
    for (auto& s : argStrings) argv.push_back(s.data());
    for (auto& s : envStrings) envp.push_back(s.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    std::size_t next = 0;
    std::size_t searchFrom = 0;
    for (int waited = 0; waited < 60'000;) {
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) {
            waited += 100;
            continue;
        }
        char buffer[4096];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) break; // the command ended and closed the terminal
        shown.append(buffer, static_cast<std::size_t>(n));
        if (next < answers.size()) {
            const auto at = shown.find(answers[next].first, searchFrom);
            if (at != std::string::npos) {
                const std::string typed = answers[next].second + "\n";
                (void)!::write(master, typed.data(), typed.size());
                searchFrom = at + answers[next].first.size();
                ++next;
            }
        }
    }
    ::close(master);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

// On a terminal the command asks for the server's password without showing it, and asks the
// overwrite question.
void TabulantConvertTest::terminalSession() {
    TestServer& server = TestServer::shared();
    server.psql("DROP DATABASE IF EXISTS cli_prompt WITH (FORCE)");
    server.psql("DROP ROLE IF EXISTS cli_prompt");
    server.psql("CREATE ROLE cli_prompt LOGIN PASSWORD 'pr0mpt-S3cret'");
    server.recreateDatabase("cli_prompt", "cli_prompt");
    CliHarness h;
    aw::writeDatabase(h.path("ask.mdb").toStdString(), {plain("CliAsk", 2)});
    QStringList args{
        "--server",       "127.0.0.1",  "--port",     QString::fromStdString(server.port()),
        "--user",         "cli_prompt", "--database", "cli_prompt",
        h.path("ask.mdb")};
    h.env.insert("PGPASSWORD", "pr0mpt-S3cret");
    QCOMPARE(h.run(args).code, 0); // the table exists from now on
    h.env.remove("PGPASSWORD");

    std::string shown;
    const int code = onTerminal(args, h.env,
                                {{"Password for user cli_prompt: ", "pr0mpt-S3cret"},
                                 {"Would you like to overwrite CliAsk? [y/n] ", "maybe"},
                                 {"Would you like to overwrite CliAsk? [y/n] ", "y"}},
                                shown);
    QVERIFY2(code == 0, shown.c_str());
    QVERIFY2(shown.find("pr0mpt-S3cret") == std::string::npos, shown.c_str());
    QVERIFY2(shown.find("1 table, 2 rows, 4 of 4 statements executed, 0 failures") !=
                 std::string::npos,
             shown.c_str());
    QCOMPARE(q(server.psql("SELECT count(*) FROM \"CliAsk\"", "cli_prompt")), QString("2"));
}

// A password typed at the prompt that is not the file's is asked for again, three tries in all.
void TabulantConvertTest::accessPasswordTries_data() {
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<int>("code");
    QTest::newRow("right at the third try") << QStringList{"wrong1", "wrong2", "Right1"} << 0;
    QTest::newRow("wrong three times") << QStringList{"wrong1", "wrong2", "wrong3"} << 2;
}
void TabulantConvertTest::accessPasswordTries() {
    QFETCH(QStringList, typed);
    QFETCH(int, code);
    CliHarness h;
    const QString file = writeLocked(h, "CliTries");
    const QStringList args{file, "--sql", h.path("out.sql")};
    const std::string prompt = "Password for " + file.toStdString() + ": ";
    std::vector<std::pair<std::string, std::string>> answers;
    for (const QString& t : typed) answers.emplace_back(prompt, t.toStdString());
    std::string shown;
    QCOMPARE(onTerminal(args, h.env, answers, shown), code);
    std::size_t asked = 0;
    for (std::size_t at = 0; (at = shown.find(prompt, at)) != std::string::npos; ++at) ++asked;
    QVERIFY2(asked == 3, shown.c_str());
    QCOMPARE(QFile::exists(h.path("out.sql")), code == 0);
}

QTEST_GUILESS_MAIN(TabulantConvertTest)
#include "TabulantConvertTest.moc"
