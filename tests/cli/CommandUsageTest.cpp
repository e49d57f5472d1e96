// The built tabulant-convert without a server: usage errors, --help, the statement file's exact
// form, a reader that goes away, and the libraries it loads.
#include "CliHarness.h"
#include "accesswriter/AccessWriter.h"

#include <QFile>
#include <QProcess>
#include <QTest>

using namespace tabulant;
using namespace tabulant::testing;
namespace aw = accesswriter;
using aw::Column;
using aw::ColumnType;
using V = platform::Variant;

class CommandUsageTest : public QObject {
    Q_OBJECT
private slots:
    void badUsage_data();
    void badUsage();
    void helpFitsATerminal();
    void statementFile_data();
    void statementFile();
    void codePageReachesTheReader();
    void readerThatGoesAwayStopsTheRun();
    void loadsNoWindowSystemLibrary();
};

void CommandUsageTest::badUsage_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("says");
    QTest::newRow("nothing") << QStringList{} << "no Access file named";
    QTest::newRow("two schema choices")
        << QStringList{"--schema", "x", "--schema-per-file", "a.mdb"}
        << "--schema and --schema-per-file cannot be given together";
    QTest::newRow("empty schema") << QStringList{"--schema=", "a.mdb"} << "--schema needs a";
    QTest::newRow("report, two files")
        << QStringList{"--verify", "--report", "r.txt", "a.mdb", "b.mdb"}
        << "--report goes with one Access file at a time";
    QTest::newRow("rejects, two files")
        << QStringList{"--copy", "--rejects", "r.sql", "a.mdb", "b.mdb"}
        << "--rejects goes with one Access file at a time";
    QTest::newRow("unknown option")
        << QStringList{"--host", "x", "a.mdb"} << "unknown option --host";
    QTest::newRow("missing value") << QStringList{"a.mdb", "--port"} << "--port needs a value";
    QTest::newRow("bad answer") << QStringList{"--overwrite", "maybe", "a.mdb"}
                                << "--overwrite takes ask, yes or no";
    QTest::newRow("value for a flag")
        << QStringList{"--quiet=1", "a.mdb"} << "--quiet takes no value";
    QTest::newRow("password on the command line")
        << QStringList{"--password", "x", "a.mdb"}
        << "passwords are not taken from the command line";
    QTest::newRow("ask without a terminal")
        << QStringList{"--overwrite", "ask", "SAMPLE"} << "--overwrite ask needs a terminal";
    QTest::newRow("verifying a statement file")
        << QStringList{"--verify", "--sql", "-", "a.mdb"} << "verifying needs the server";
    QTest::newRow("report without verifying")
        << QStringList{"--report", "r.json", "a.mdb"} << "--report goes with --verify";
    QTest::newRow("unknown code page")
        << QStringList{"--codepage", "GBX", "a.mdb"} << "unknown code page GBX";
    QTest::newRow("statement file cannot be made")
        << QStringList{"--sql", "/nonexistent/folder/out.sql", "SAMPLE"}
        << "Cannot create /nonexistent/folder/out.sql: No such file or directory";
}

void CommandUsageTest::badUsage() {
    QFETCH(QStringList, args);
    QFETCH(QString, says);
    CliHarness h;
    aw::writeDatabase(h.path("s.mdb").toStdString(),
                      {{"T", {Column::of("Id", ColumnType::Long)}, {{V::integer(1)}}}});
    args.replaceInStrings("SAMPLE", h.path("s.mdb"));
    const CliOutcome o = h.run(args);
    QCOMPARE(o.code, 2);
    QVERIFY(o.out.empty());
    QVERIFY2(!o.errLines.empty() && o.errLines[0].starts_with("tabulant-convert: "),
             o.err().c_str());
    QVERIFY2(o.errLines[0].find(says.toStdString()) != std::string::npos, o.err().c_str());
}

void CommandUsageTest::helpFitsATerminal() {
    const CliOutcome o = CliHarness().run({"--help"});
    QCOMPARE(o.code, 0);
    QVERIFY(o.out.starts_with("Usage: tabulant-convert [OPTIONS] ACCESS_FILE...\n"));
    QVERIFY(o.errLines.empty());
    for (const QString& line : QString::fromStdString(o.out).split('\n'))
        QVERIFY2(line.size() <= 80, qPrintable(line));
}

void CommandUsageTest::statementFile_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("expected");
    const QString create = "CREATE TABLE \"Sales \"\"old\"\"\"(Id NUMERIC,Note TEXT);\n";
    const QString rows = "INSERT INTO \"Sales \"\"old\"\"\" VALUES (1, E'a\\r\\nb');\n"
                         "INSERT INTO \"Sales \"\"old\"\"\" VALUES (2,NULL);\n";
    const QString other = "CREATE TABLE \"Other\"(Id NUMERIC,Note TEXT);\n";
    QTest::newRow("every table, last listed first")
        << QStringList{} << "SET client_encoding = 'UTF8';\n" + create + rows + other;
    QTest::newRow("replacing what exists")
        << QStringList{"--overwrite", "yes"}
        << "SET client_encoding = 'UTF8';\nDROP TABLE IF EXISTS \"Sales \"\"old\"\"\";\n" + create +
               rows + "DROP TABLE IF EXISTS \"Other\";\n" + other;
    QTest::newRow("one table, named in another letter case")
        << QStringList{"--table", "OTHER"} << "SET client_encoding = 'UTF8';\n" + other;
}

// The statements one a line, each with its semicolon, in the order a direct run executes them.
void CommandUsageTest::statementFile() {
    QFETCH(QStringList, options);
    QFETCH(QString, expected);
    CliHarness h;
    const std::vector<Column> columns{Column::of("Id", ColumnType::Long),
                                      Column::of("Note", ColumnType::Text, 20)};
    aw::writeDatabase(h.path("f.mdb").toStdString(),
                      {{"Other", columns, {}},
                       {"Sales \"old\"",
                        columns,
                        {{V::integer(1), V::text("a\r\nb")}, {V::integer(2), V::null()}}}});
    const CliOutcome o =
        h.run(QStringList(options) << "--quiet"
                                   << "--sql" << h.path("out.sql") << h.path("f.mdb"));
    QVERIFY2(o.code == 0, o.err().c_str());
    QVERIFY(o.errLines.empty());
    QFile out(h.path("out.sql"));
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(out.readAll()), expected);
}

// An Access 97 file whose header says Western while its texts are GBK.
void CommandUsageTest::codePageReachesTheReader() {
    CliHarness h;
    aw::WriterOptions jet3;
    jet3.format = aw::Format::Jet3;
    aw::writeDatabase(
        h.path("gbk.mdb").toStdString(),
        {{"T", {Column::of("Note", ColumnType::Text, 20)}, {{V::binary("\xD6\xD0")}}}}, jet3);
    const CliOutcome o = h.run({"--quiet", "--codepage", "GBK", "--sql", "-", h.path("gbk.mdb")});
    QVERIFY2(o.code == 0, o.err().c_str());
    QVERIFY2(o.out.find("INSERT INTO \"T\" VALUES ('\xE4\xB8\xAD');") != std::string::npos,
             o.out.c_str());
}

// A reader of --sql - that stops reading (a psql that could not connect): the run ends at the
// first statement it does not take, with one line, exit 2, and no table said to be done.
void CommandUsageTest::readerThatGoesAwayStopsTheRun() {
    CliHarness h;
    std::vector<aw::Row> rows;
    for (int i = 0; i < 30'000; ++i) rows.push_back({V::integer(i), V::text(std::string(40, 'x'))});
    aw::writeDatabase(h.path("big.mdb").toStdString(), {{"Big",
                                                         {Column::of("Id", ColumnType::Long),
                                                          Column::of("Pad", ColumnType::Text, 50)},
                                                         rows}});
    // tabulant-convert --sql - big.mdb | head -c 1000
    QProcess p, head;
    p.setProcessEnvironment(h.env);
    p.setStandardOutputProcess(&head);
    head.setStandardOutputFile(QProcess::nullDevice());
    head.start("head", {"-c", "1000"});
    p.start(CliHarness::program(), {"--sql", "-", h.path("big.mdb")});
    QVERIFY(head.waitForFinished(60'000));
    QVERIFY(p.waitForFinished(120'000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 2);
    QCOMPARE(QString::fromUtf8(p.readAllStandardError()),
             QString("tabulant-convert: Cannot write to standard output: Broken pipe\n"));
}

// No display needed: neither Qt Gui nor widgets nor any library of the window system is loaded.
void CommandUsageTest::loadsNoWindowSystemLibrary() {
    QProcess ldd;
    ldd.start("ldd", {CliHarness::program()});
    QVERIFY(ldd.waitForFinished(30'000));
    const QString libraries = QString::fromUtf8(ldd.readAllStandardOutput());
    QVERIFY(libraries.contains("libQt6Core"));
    for (const char* forbidden : {"libQt6Gui", "libQt6Widgets", "libX11", "libxcb", "libEGL",
                                  "libGL", "libwayland", "libfontconfig"})
        QVERIFY2(!libraries.contains(forbidden), forbidden);
}

QTEST_GUILESS_MAIN(CommandUsageTest)
#include "CommandUsageTest.moc"
