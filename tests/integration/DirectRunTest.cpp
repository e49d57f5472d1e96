// "Start Converting" without preview: the overwrite question against tables already on the
// server, every Access type carried into PostgreSQL and read back, and a server that goes away
// in the middle of a run.
#include "ProgramHarness.h"

#include "engine/ConversionRun.h"

#include <QCryptographicHash>
#include <QTest>

#include <cstdint>
#include <limits>

using namespace tabulant;
using namespace tabulant::testing;
namespace aw = accesswriter;
using aw::Column;
using aw::ColumnType;
using V = platform::Variant;
using Answer = platform::Prompts::Answer;

namespace {

constexpr std::int64_t Max64 = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t Min64 = std::numeric_limits<std::int64_t>::min();

// 70,000 characters, every hundredth a Greek omega, so that a cut or a lost character shows.
std::string LongMemo() {
    std::string memo;
    for (int i = 1; i <= 70'000; ++i) memo += i % 100 == 0 ? "\xce\xa9" : "m";
    return memo;
}

QString Joined(const std::vector<std::string>& texts) {
    QStringList out;
    for (const std::string& t : texts) out << QString::fromStdString(t);
    return out.join(',');
}

std::string Md5(const std::string& text) {
    return QCryptographicHash::hash(QByteArray::fromStdString(text), QCryptographicHash::Md5)
        .toHex()
        .toStdString();
}

// One row with a value of every kind at its edges, a second with nulls, empty text and the other
// edges, a third with times of day alone, zeros and texts that must not be read as SQL.
std::vector<aw::TableData> AllTypes() {
    aw::Column bin = Column::of("Bin", ColumnType::Binary, 8);
    return {
        {"DirTypes",
         {Column::of("Id", ColumnType::Long), Column::of("Quoted", ColumnType::Text, 255),
          Column::of("Greek", ColumnType::Text, 100), Column::of("Emoji", ColumnType::Text, 50),
          Column::of("Notes", ColumnType::Memo), Column::of("Cur", ColumnType::Currency),
          Column::decimal("Amount", 28, 6), Column::of("Old", ColumnType::DateTime),
          Column::of("Last", ColumnType::DateTime), Column::of("Paid", ColumnType::Boolean),
          Column::of("Guid", ColumnType::Guid), bin, Column::of("Big", ColumnType::LargeNumber),
          Column::of("Dbl", ColumnType::Double), Column::of("Sng", ColumnType::Single)},
         {{V::integer(1), V::text("O'Brien said \"hi\"\r\nline two\nthree\rfour in C:\\dir"),
           V::text("\xce\x9a\xce\xb1\xce\xbb\xce\xb7\xce\xbc\xe1\xbd\xb3\xcf\x81\xce\xb1"),
           V::text("smile \xf0\x9f\x98\x80 party \xf0\x9f\x8e\x89"), V::text(LongMemo()),
           V::currency(Max64), V::decimal("-12345678901234567890.123456"),
           V::date(aw::oleDate(1850, 3, 4)), V::date(aw::oleDate(9999, 12, 31)), V::boolean(true),
           V::text("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"),
           V::binary(std::string("\0\1\xff\0AB", 6)), V::integer(Max64), V::real(0.1),
           V::single(1.5f)},
          {V::integer(2), V::text(""), V::null(), V::null(), V::null(), V::currency(-12345),
           V::decimal("0.5"), V::date(aw::oleDate(1850, 3, 4, 10, 20, 30)),
           V::date(aw::oleDate(9999, 12, 31, 23, 59, 59)), V::boolean(false), V::null(), V::null(),
           V::integer(Min64), V::real(1e20), V::single(0.1f)},
          {V::integer(3), V::text("C:\\temp\\x41 100%"), V::null(),
           V::text("'); DROP TABLE \"DirTypes\"; --"), V::text(""), V::currency(0), V::decimal("0"),
           V::date(aw::oleDate(1899, 12, 30, 8, 5, 0)), V::date(aw::oleDate(1899, 12, 30)),
           V::boolean(false), V::null(), V::null(), V::integer(0),
           V::real(std::numeric_limits<double>::quiet_NaN()), V::single(-0.5f)}}}};
}

} // namespace

class DirectRunTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // Every type converted once; valueArrivesIntact reads the result back column by column.
        TestServer& server = TestServer::shared();
        server.psql("DROP TABLE IF EXISTS \"DirTypes\"");
        Program p;
        aw::WriterOptions options;
        options.format = aw::Format::Ace2010;
        aw::writeDatabase(p.path("types.accdb"), AllTypes(), options);
        p.open(server, p.path("types.accdb"));
        p.directMode();
        p.startConverting();
        QCOMPARE(p.reportedSteps(), std::vector<std::string>{});
        QCOMPARE(p.prompts.Messages(), std::vector<std::string>{"Done."});
    }

    void valueArrivesIntact_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("third");
        // Line breaks and backslashes arrive as they were; an empty text is NULL, as a null is;
        // dates take the mm/dd/yyyy form, with the time when there is one.
        QTest::newRow("text") << "replace(replace(quoted, chr(13), '<CR>'), chr(10), '<LF>')"
                              << "O'Brien said \"hi\"<CR><LF>line two<LF>three<CR>four in C:\\dir"
                              << "<null>"
                              << "C:\\temp\\x41 100%";
        QTest::newRow("Greek")
            << "greek"
            << QString::fromUtf8(
                   "\xce\x9a\xce\xb1\xce\xbb\xce\xb7\xce\xbc\xe1\xbd\xb3\xcf\x81\xce\xb1")
            << "<null>"
            << "<null>";
        QTest::newRow("beyond the BMP")
            << "emoji" << QString::fromUtf8("smile \xf0\x9f\x98\x80 party \xf0\x9f\x8e\x89")
            << "<null>"
            << "'); DROP TABLE \"DirTypes\"; --";
        QTest::newRow("memo, whole")
            << "length(notes) || ' ' || md5(notes)"
            << QString("70000 %1").arg(QString::fromStdString(Md5(LongMemo()))) << "<null>"
            << "<null>";
        QTest::newRow("currency") << "cur"
                                  << "922337203685477.5807"
                                  << "-1.2345"
                                  << "0";
        QTest::newRow("decimal") << "amount"
                                 << "-12345678901234567890.123456"
                                 << "0.5"
                                 << "0";
        QTest::newRow("before 1900") << "old"
                                     << "03/04/1850"
                                     << "03/04/1850 10:20:30"
                                     << "12/30/1899 08:05:00";
        QTest::newRow("last day") << "last"
                                  << "12/31/9999"
                                  << "12/31/9999 23:59:59"
                                  << "12/30/1899 00:00:00";
        QTest::newRow("Yes/No") << "paid"
                                << "true"
                                << "false"
                                << "false";
        QTest::newRow("GUID") << "guid"
                              << "{6F9619FF-8B86-D011-B42D-00C04FC964FF}"
                              << "<null>"
                              << "<null>";
        QTest::newRow("short binary") << "bin"
                                      << "\\x0001ff004142"
                                      << "<null>"
                                      << "<null>";
        QTest::newRow("Large Number") << "big"
                                      << "9223372036854775807"
                                      << "-9223372036854775808"
                                      << "0";
        QTest::newRow("double") << "dbl"
                                << "0.1"
                                << "100000000000000000000"
                                << "NaN";
        QTest::newRow("single, a text column") << "sng"
                                               << "1.5"
                                               << "0.1"
                                               << "-0.5";
        QTest::newRow("column types")
            << "pg_typeof(cur)::text || pg_typeof(quoted)::text || pg_typeof(paid)::text"
            << "numerictextboolean"
            << "numerictextboolean"
            << "numerictextboolean";
    }
    void valueArrivesIntact() {
        QFETCH(QString, column);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, third);
        const std::string rows =
            TestServer::shared().psql("SELECT coalesce((" + column.toStdString() +
                                      ")::text, '<null>') FROM \"DirTypes\" ORDER BY id");
        QCOMPARE(QString::fromStdString(rows), first + "\n" + second + "\n" + third);
    }

    // What a new user tries first: "Load Sample/Example Database", then "Start Converting".
    void sampleDatabaseConvertsCleanly() {
        TestServer& server = TestServer::shared();
        for (const char* table : {"Customers", "Products", "Orders", "Order Details", "Employees"})
            server.psql(std::string("DROP TABLE IF EXISTS \"") + table + "\"");
        Program p;
        p.open(server, TABULANT_SAMPLE_DATABASE);
        p.directMode();
        p.startConverting();
        QCOMPARE(p.reportedSteps(), std::vector<std::string>{});
        QCOMPARE(p.prompts.Messages(), std::vector<std::string>{"Done."});
        QCOMPARE(server.psql("SELECT (SELECT count(*) FROM \"Customers\") || ' ' || "
                             "(SELECT count(*) FROM \"Products\") || ' ' || "
                             "(SELECT count(*) FROM \"Orders\") || ' ' || "
                             "(SELECT count(*) FROM \"Order Details\") || ' ' || "
                             "(SELECT count(*) FROM \"Employees\")"),
                 std::string("7 6 5 8 3"));
    }

    // Table names as Access allows them reach the server as written, each with its own rows.
    void tableNamesArriveAsWritten() {
        const std::vector<std::string> names{"Dir Order Details",
                                             "Dir Sales \"old\"",
                                             "Dir O'Neil's",
                                             "Dir Gr\xc3\xb6\xc3\x9f"
                                             "e \xce\x94",
                                             "Dir select",
                                             "Dir 100% ; -- x"};
        TestServer& server = TestServer::shared();
        std::vector<aw::TableData> tables;
        for (std::size_t i = 0; i < names.size(); ++i) {
            server.psql("DROP TABLE IF EXISTS " + Quoted(names[i]));
            tables.push_back(
                {names[i],
                 {Column::of("N", ColumnType::Long)},
                 {{V::integer(std::int64_t(i))}, {V::integer(std::int64_t(i) + 100)}}});
        }
        Program p;
        aw::writeDatabase(p.path("names.mdb"), tables);
        p.open(server, p.path("names.mdb"));
        p.directMode();
        p.startConverting();

        QCOMPARE(p.reportedSteps(), std::vector<std::string>{});
        for (std::size_t i = 0; i < names.size(); ++i)
            QCOMPARE(
                server.psql("SELECT string_agg(n::text, ',' ORDER BY n) FROM " + Quoted(names[i])),
                std::to_string(i) + "," + std::to_string(i + 100));
    }

    // A table that exists on the server raises the question, whatever its letter case. DROP
    // TABLE names the Access table's own spelling: against a table in another letter case it
    // fails and is reported, and the table is created beside the old one, which stays untouched.
    void overwriteQuestion_data() {
        QTest::addColumn<QString>("access");
        QTest::addColumn<QString>("onServer");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("reports");
        QTest::addColumn<QString>("tables");
        QTest::newRow("same case, Yes") << "DirSameYes"
                                        << "DirSameYes" << true << ""
                                        << "DirSameYes";
        QTest::newRow("same case, No") << "DirSameNo"
                                       << "DirSameNo" << false << ""
                                       << "DirSameNo";
        QTest::newRow("other case, Yes") << "DirOtherYes"
                                         << "dirotheryes" << true << "Form1.PushButton7_Click:172"
                                         << "DirOtherYes,dirotheryes";
        QTest::newRow("other case, No") << "DirOtherNo"
                                        << "dirotherno" << false << ""
                                        << "dirotherno";
    }
    void overwriteQuestion() {
        QFETCH(QString, access);
        QFETCH(QString, onServer);
        QFETCH(bool, yes);
        QFETCH(QString, reports);
        QFETCH(QString, tables);
        const std::string table = access.toStdString();
        const std::string old = onServer.toStdString();
        TestServer& server = TestServer::shared();
        server.psql("DROP TABLE IF EXISTS " + Quoted(table) + ", " + Quoted(old) +
                    "; CREATE TABLE " + Quoted(old) + " (old text); INSERT INTO " + Quoted(old) +
                    " VALUES ('before')");
        Program p;
        aw::writeDatabase(
            p.path("shop.mdb"),
            {{table,
              {Column::of("ID", ColumnType::Long), Column::of("Name", ColumnType::Text, 20)},
              {{V::integer(1), V::text("new")}, {V::integer(2), V::text("newer")}}}});
        p.open(server, p.path("shop.mdb"));
        p.directMode();
        p.prompts.Script(yes ? Answer::Yes : Answer::No);
        p.startConverting();

        QCOMPARE(p.prompts.Questions(),
                 std::vector<std::string>{"Would you like to overwrite " + table + "?"});
        QCOMPARE(p.prompts.Entries().front().title, std::string("Overwrite?"));
        QCOMPARE(Joined(p.reportedSteps()), reports);
        if (!reports.isEmpty())
            QVERIFY(p.prompts.ErrorReports()[0].find("table \"" + table + "\" does not exist") !=
                    std::string::npos);
        QCOMPARE(p.prompts.Messages(), std::vector<std::string>{"Done."});
        QCOMPARE(
            server.psql(
                "SELECT string_agg(tablename, ',' ORDER BY tablename COLLATE \"C\") FROM pg_tables "
                "WHERE lower(tablename) = lower('" +
                table + "')"),
            tables.toStdString());
        if (yes)
            QCOMPARE(server.psql("SELECT * FROM " + Quoted(table) + " ORDER BY 1"),
                     std::string("1|new\n2|newer"));
        if (old != table || !yes)
            QCOMPARE(server.psql("SELECT * FROM " + Quoted(old)), std::string("before"));
    }

    // PostgreSQL keeps only the first 63 bytes of a name, so a long name (here 53 Cyrillic
    // letters) is listed cut short; the table is still recognised, and a second conversion asks
    // before it replaces the table instead of adding every row to it again.
    void longNameIsRecognisedOnTheServer_data() {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("rows");
        QTest::newRow("Yes") << true << "1\n2";
        QTest::newRow("No") << false << "before";
    }
    void longNameIsRecognisedOnTheServer() {
        QFETCH(bool, yes);
        QFETCH(QString, rows);
        const std::string name =
            "\xd0\xa1\xd0\xb2\xd0\xb5\xd0\xb4\xd0\xb5\xd0\xbd\xd0\xb8\xd1\x8f\x20\xd0\xbe\x20\xd0"
            "\xb7\xd0\xb0\xd0\xba\xd0\xb0\xd0\xb7\xd0\xb0\xd1\x85\x20\xd0\xbf\xd0\xbe\xd1\x81\xd1"
            "\x82\xd0\xbe\xd1\x8f\xd0\xbd\xd0\xbd\xd1\x8b\xd1\x85\x20\xd0\xbf\xd0\xbe\xd0\xba\xd1"
            "\x83\xd0\xbf\xd0\xb0\xd1\x82\xd0\xb5\xd0\xbb\xd0\xb5\xd0\xb9\x20\xd0\xb7\xd0\xb0\x20"
            "\x32\x30\x32\x31\x20\xd0\xb3\xd0\xbe\xd0\xb4";
        TestServer& server = TestServer::shared();
        server.psql("DROP TABLE IF EXISTS " + Quoted(name) + "; CREATE TABLE " + Quoted(name) +
                    " (old text); INSERT INTO " + Quoted(name) + " VALUES ('before')");
        Program p;
        aw::writeDatabase(
            p.path("long.mdb"),
            {{name, {Column::of("N", ColumnType::Long)}, {{V::integer(1)}, {V::integer(2)}}}});
        p.open(server, p.path("long.mdb"));
        p.directMode();
        p.prompts.Script(yes ? Answer::Yes : Answer::No);
        p.startConverting();

        QCOMPARE(p.prompts.Questions(),
                 std::vector<std::string>{"Would you like to overwrite " + name + "?"});
        QCOMPARE(p.reportedSteps(), std::vector<std::string>{});
        QCOMPARE(
            QString::fromStdString(server.psql("SELECT * FROM " + Quoted(name) + " ORDER BY 1")),
            rows);
    }

    // The server stops while rows are being inserted: one report names the loss, nothing more
    // is sent, no other table is begun, and the run still comes to its end.
    void serverStopsInTheMiddleOfTheRun() {
        PrivateTestServer server;
        Program p;
        aw::TableData big{
            "StopBig",
            {Column::of("N", ColumnType::Long), Column::of("T", ColumnType::Text, 20)},
            {}};
        for (int i = 1; i <= 40; ++i)
            big.rows.push_back({V::integer(i), V::text("row " + std::to_string(i))});
        aw::TableData after{
            "StopAfter", {Column::of("N", ColumnType::Long)}, {{V::integer(1)}, {V::integer(2)}}};
        aw::writeDatabase(p.path("stop.mdb"),
                          {big, after}); // listed StopAfter, StopBig: StopBig goes first
        p.open(server, p.path("stop.mdb"));
        p.directMode();

        int rowsAtStop = -1;
        p.events.onEvents = StopServerOnceRows(server, "StopBig", 5, rowsAtStop);
        p.startConverting();
        p.events.onEvents = nullptr;

        QVERIFY(rowsAtStop >= 5);
        QVERIFY(rowsAtStop < 40);
        QCOMPARE(p.reportedSteps(), std::vector<std::string>{"Form1.PushButton7_Click:432"});
        const std::string report = p.prompts.ErrorReports()[0];
        QVERIFY2(report.starts_with("SQLException: [57P01] "), report.c_str());
        QCOMPARE(p.connections.OpenNow(), 0);
        QCOMPARE(p.prompts.Messages(), std::vector<std::string>{"Done."});
        QVERIFY(!p.form->run().Running());

        server.start();
        QCOMPARE(server.psql("SELECT count(*), max(n) FROM \"StopBig\""),
                 std::to_string(rowsAtStop) + "|" + std::to_string(rowsAtStop));
        QCOMPARE(server.psql("SELECT count(*) FROM pg_tables WHERE tablename = 'StopAfter'"),
                 std::string("0"));
    }
};

QTEST_MAIN(DirectRunTest)
#include "DirectRunTest.moc"
