// The generated statements on a real PostgreSQL server through the real ODBC driver: every
// statement form the engine writes must be accepted, and the values must arrive whole.

#include "StatementCases.h"
#include "TypedRun.h"
#include "accesswriter/AccessWriter.h"
#include "db/odbc/OdbcConnection.h"
#include "engine/ConversionRun.h"
#include "engine/SqlText.h"
#include "fakes/CountingEventLoop.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakePreview.h"
#include "fakes/InMemoryConnectionFactory.h"
#include "fakes/ScriptedPrompts.h"
#include "pgserver/TestServer.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>
#include <map>

using namespace tabulant;
using platform::Variant;
using enum platform::AdoType;
using testing::TestServer;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

std::string Quoted(const std::string& name) {
    std::string s;
    engine::AppendQuotedName(s, name);
    return s;
}

// What a test reads back for some of the statement cases.
const std::map<std::string, std::pair<std::string, std::string>>& Checks() {
    static const std::map<std::string, std::pair<std::string, std::string>> checks = {
        {"Orders example", {"orderid, customer, orderdat, paid", "17|O'Brien|08/31/2021|t"}},
        {"Orders example, null customer", {"customer is null, paid", "t|t"}},
        {"false and true", {"a, b", "f|t"}},
        {"line breaks kept as escapes, quotes doubled",
         {"replace(replace(memo, chr(13), '<CR>'), chr(10), '<LF>')",
          "it's<CR><LF>'x'<LF>line3<CR>end C:\\dir"}},
        {"only line breaks is a text, not null", {"memo = E'\\r\\n\\n'", "t"}},
        {"backslash without line breaks stays single", {"memo", "C:\\dir\\x41"}},
        {"a number or date with a line break stays text",
         {"a = E'1,5\\r\\n2', b = E'12/24/2021\\n'", "t|t"}},
        {"column names the server reserves or cannot read unquoted",
         {R"("order", "weight(k", "1stname", "e-mail", "user")", "7|2.5|Ann|a@b.c|t"}},
        {"long value written whole", {"length(memo)", "300"}},
        {"numbers in a comma system",
         {"d, c, e, big", "12.5|-1.2345|-123.45|100000000000000000000"}},
        {"non-finite doubles quoted", {"a, b, c", "NaN|Infinity|-Infinity"}},
        {"short binary as hex text", {"key", "\\x00ff"}},
        {"every field long binary", {"count(*)", "1"}},
    };
    return checks;
}

} // namespace

class PostgresTest : public QObject {
    Q_OBJECT
private slots:
    void statementCases_data();
    void statementCases();
    void variedTableThroughTheRun();
    void wholeRunFromAnAccessFile();
    void columnNamesAsTheServerFoldsThem();
};

void PostgresTest::statementCases_data() {
    QTest::addColumn<int>("index");
    const auto& cases = testcases::StatementCases();
    for (std::size_t i = 0; i < cases.size(); ++i)
        QTest::newRow(cases[i].name) << static_cast<int>(i);
}

void PostgresTest::statementCases() {
    QFETCH(int, index);
    const testcases::StatementCase& c =
        testcases::StatementCases()[static_cast<std::size_t>(index)];
    fakes::InMemoryTable t;
    t.name = "engine_case" + std::to_string(index) + "_" + c.table;
    t.columns = c.columns;
    t.rows = {c.row};
    const platform::RegionalText regional(c.comma ? testcases::CommaConventions()
                                                  : platform::RegionalText::EnglishUS());
    const testcases::Generated g = testcases::Generate(t, regional);
    QCOMPARE(g.inserts.size(), std::size_t(1));

    TestServer& server = TestServer::shared();
    auto connection = db::CreateOdbcConnection();
    connection->Open(server.connectionString());
    connection->Execute("DROP TABLE IF EXISTS " + Quoted(t.name));
    try {
        connection->Execute(g.create);
        connection->Execute(g.inserts[0]);
    } catch (const platform::Error& e) {
        QFAIL(qPrintable(q(e.description() + "\n" + g.create + "\n" + g.inserts[0])));
    }
    QCOMPARE(q(server.psql("select count(*) from " + Quoted(t.name))), QString("1"));
    if (const auto check = Checks().find(c.name); check != Checks().end())
        QCOMPARE(q(server.psql("select " + check->second.first + " from " + Quoted(t.name))),
                 q(check->second.second));
}

// Many rows of awkward values, generated and executed one by one as a direct run does.
void PostgresTest::variedTableThroughTheRun() {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<Variant> doubles = {Variant::real(0),
                                          Variant::real(-0.0),
                                          Variant::real(1.7976931348623157e308),
                                          Variant::real(4.9406564584124654e-324),
                                          Variant::real(nan),
                                          Variant::real(inf),
                                          Variant::real(-inf),
                                          Variant::real(1.0 / 3),
                                          Variant()};
    const std::vector<Variant> texts = {Variant::text(""),
                                        Variant::text("O'Brien"),
                                        Variant::text("a\r\nb\rc\nd"),
                                        Variant::text("back\\slash"),
                                        Variant::text("üñíçødé ☃ 𝄞"),
                                        Variant::text("--x; DROP"),
                                        Variant::text("$$dollar$$"),
                                        Variant::text("\"dq\""),
                                        Variant::text("12/24/2021 9:30 PM"),
                                        Variant::text("1.5"),
                                        Variant::text("''"),
                                        Variant()};
    const std::vector<Variant> dates = {testcases::DateValue(1, 1, 1),
                                        testcases::DateValue(9999, 12, 31, 23, 59, 59),
                                        testcases::DateValue(1899, 12, 30, 6, 7, 8),
                                        testcases::DateValue(2021, 8, 31),
                                        Variant::date(-1.25),
                                        Variant()};
    const std::vector<Variant> currencies = {Variant::currency(INT64_MIN),
                                             Variant::currency(INT64_MAX), Variant::currency(5),
                                             Variant()};
    const std::vector<Variant> decimals = {Variant::decimal("-9999999999999999999999999999"),
                                           Variant::decimal("0.0000000000000000000000000001"),
                                           Variant::decimal("12.5"), Variant()};
    const std::vector<Variant> bools = {Variant::boolean(true), Variant::boolean(false), Variant()};
    const std::vector<Variant> binaries = {Variant::binary(std::string("\0\x01\xff", 3)),
                                           Variant::binary(""), Variant()};

    fakes::InMemoryConnectionFactory factory;
    fakes::InMemoryTable& t = factory.access.Add("engine_varied", {{"Id", adInteger},
                                                                   {"Dbl", adDouble},
                                                                   {"Txt", adVarWChar},
                                                                   {"Memo", adLongVarWChar},
                                                                   {"At", adDate},
                                                                   {"Money", adCurrency},
                                                                   {"Exact", adDecimal},
                                                                   {"Numeric", adNumeric},
                                                                   {"Flag", adBoolean},
                                                                   {"Small", adUnsignedTinyInt},
                                                                   {"Single", adSingle},
                                                                   {"Raw", adVarBinary},
                                                                   {"Guid", adGUID},
                                                                   {"Pic", adLongVarBinary}});
    const int rows = 240;
    for (int i = 0; i < rows; ++i) {
        auto pick = [i](const std::vector<Variant>& v, int shift) {
            return v[(i + shift) % v.size()];
        };
        t.rows.push_back({Variant::integer(i), pick(doubles, 0), pick(texts, 0), pick(texts, 5),
                          pick(dates, 0), pick(currencies, 0), pick(decimals, 0), pick(decimals, 1),
                          pick(bools, 0), Variant::integer(i % 256),
                          Variant::single(static_cast<float>(i) / 7), pick(binaries, 0),
                          Variant::text("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"),
                          Variant::binary("\x89PNG")});
    }

    TestServer& server = TestServer::shared();
    server.psql("DROP TABLE IF EXISTS engine_varied");
    factory.postgresConnection = [] { return db::CreateOdbcConnection(); };
    QTemporaryDir folder;
    fakes::FakeMainWindow window;
    window.Direct();
    window.accessFile = folder.filePath("varied.mdb").toStdString();
    QFile(QString::fromStdString(window.accessFile)).open(QIODevice::WriteOnly);
    window.PointAt(server.fields());
    fakes::FakePreview preview;
    fakes::ScriptedPrompts prompts;
    fakes::CountingEventLoop events;
    const platform::RegionalText regional;
    engine::ConversionRun run({window, window, preview, prompts, events, factory, regional},
                              std::string(engine::StartConvertingLocation));
    run.Run();

    QCOMPARE(prompts.ErrorReports(), std::vector<std::string>{});
    QCOMPARE(prompts.Messages(), std::vector<std::string>{"Done."});
    QCOMPARE(q(server.psql("select count(*), count(distinct id) from engine_varied")),
             QString("%1|%1").arg(rows));
    QCOMPARE(q(server.psql("select dbl, txt, money, flag from engine_varied where id = 1")),
             QString("0|O'Brien|922337203685477.5807|f"));
    QCOMPARE(q(server.psql("select txt, memo from engine_varied where id = 2")),
             QString("a\r\nb\rc\nd|\"dq\""));
    QCOMPARE(q(server.psql("select dbl, txt, at from engine_varied where id = 4")),
             QString("NaN|üñíçødé ☃ 𝄞|12/29/1899 06:00:00"));
    QCOMPARE(q(server.psql("select length(dbl::text) > 300, txt from engine_varied where id = 3")),
             QString("t|back\\slash"));
}

// A file written by our own Access writer, read by the real reader, written to the real server.
void PostgresTest::wholeRunFromAnAccessFile() {
    using namespace accesswriter;
    QTemporaryDir folder;
    const std::string path = folder.filePath("orders.accdb").toStdString();
    Column exact = Column::decimal("Exact", 18, 4);
    WriterOptions options;
    options.format = Format::Ace2016;
    writeDatabase(
        path,
        {{"engine_run_Orders",
          {Column::of("Order ID", ColumnType::Long),
           Column::of("Customer Name", ColumnType::Text, 100),
           Column::of("Order Date", ColumnType::DateTime), Column::of("Paid", ColumnType::Boolean),
           Column::of("Photo", ColumnType::Ole), Column::of("Amount", ColumnType::Currency),
           Column::of("Ratio", ColumnType::Single), Column::of("Score", ColumnType::Double), exact,
           Column::of("Note", ColumnType::Memo), Column::of("Small", ColumnType::Byte)},
          {{Variant::integer(17), Variant::text("O'Brien"), Variant::date(oleDate(2021, 8, 31)),
            Variant::boolean(true), Variant::binary("\x89PNG"), Variant::currency(123450),
            Variant::single(1.5f), Variant::real(2.25), Variant::decimal("-12.3400"),
            Variant::text(std::string(300, 'm')), Variant::integer(255)},
           {Variant::integer(18), Variant(), Variant::date(oleDate(2021, 8, 31, 14, 5)),
            Variant::boolean(false), Variant(), Variant(), Variant(), Variant(), Variant(),
            Variant::text("line one\r\nline two"), Variant()}}},
         {"engine_run_Pictures",
          {Column::of("Front", ColumnType::Ole), Column::of("Back", ColumnType::Ole)},
          {{Variant::binary("a"), Variant()}, {Variant(), Variant::binary("b")}}},
         {R"(engine_run_Sales "old")",
          {Column::of("Id", ColumnType::Long), Column::of("Name", ColumnType::Text)},
          {{Variant::integer(1), Variant::text("x")}}}},
        options);

    TestServer& server = TestServer::shared();
    server.psql(R"(DROP TABLE IF EXISTS "engine_run_Orders", "engine_run_Pictures", )"
                R"("engine_run_Sales ""old""";)"
                R"(CREATE TABLE "engine_run_Orders"(stale int);)");

    testing::TypedRun run(path, TestServer::Database, engine::PolicyKind::Specified);
    run.prompts.Script(platform::Prompts::Answer::Yes);
    run.Run();

    QCOMPARE(run.prompts.ErrorReports(), std::vector<std::string>{});
    QCOMPARE(run.prompts.Questions(),
             std::vector<std::string>{"Would you like to overwrite engine_run_Orders?"});
    QCOMPARE(run.prompts.Messages(), std::vector<std::string>{"Done."});
    QCOMPARE(q(server.psql(R"(select orderid, customer, orderdat, paid, amount, ratio, score, )"
                           R"(exact, length(note), small from "engine_run_Orders" order by 1)")),
             QString("17|O'Brien|08/31/2021|t|12.345|1.5|2.25|-12.34|300|255\n"
                     "18||08/31/2021 14:05:00|f|||||18|"));
    QCOMPARE(q(server.psql(R"(select count(*) from "engine_run_Pictures")")), QString("2"));
    QCOMPARE(q(server.psql(R"(select id, name from "engine_run_Sales ""old""")")), QString("1|x"));
}

// Whether written bare or quoted, every column name must be accepted and name the column that
// PostgreSQL's folding of a bare name gives: ASCII letters lower-cased, all else kept.
void PostgresTest::columnNamesAsTheServerFoldsThem() {
    const std::vector<std::string> names = {"Order",
                                            "User",
                                            "SELECT",
                                            "end",
                                            "notnull",
                                            "Desc2",
                                            "_x",
                                            "a$b",
                                            "$ab",
                                            "1st",
                                            "E-Mail",
                                            "Weight(k",
                                            "Nr.",
                                            "Size\"In",
                                            "a b",
                                            "Gr\xc3\xb6\xc3\x9f"
                                            "e",
                                            "\xc3\x84"
                                            "BC",
                                            "%&'",
                                            "Cost_\xe2\x82\xac"};
    std::string create = "CREATE TABLE engine_names(";
    std::string expected;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) create += ',';
        engine::AppendColumnName(create, names[i]);
        create += " TEXT";
        std::string folded = names[i];
        for (char& c : folded)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        expected += (i > 0 ? "\n" : "") + folded;
    }
    create += ')';
    TestServer& server = TestServer::shared();
    server.psql("DROP TABLE IF EXISTS engine_names");
    auto connection = db::CreateOdbcConnection();
    connection->Open(server.connectionString());
    try {
        connection->Execute(create);
    } catch (const platform::Error& e) {
        QFAIL(qPrintable(q(e.description() + "\n" + create)));
    }
    QCOMPARE(
        q(server.psql("SELECT attname FROM pg_attribute WHERE attrelid = 'engine_names'::regclass "
                      "AND attnum > 0 ORDER BY attnum")),
        q(expected));
}

QTEST_GUILESS_MAIN(PostgresTest)
#include "PostgresTest.moc"
