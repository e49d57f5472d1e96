// tabulant-convert --copy against the test server: the bulk load gives the same tables as one
// INSERT a row, in both mappings, directly and as COPY blocks through psql; rows the server
// refuses land in the reject file with their reasons, and every other row arrives once.
#include "CliHarness.h"
#include "accesswriter/AccessWriter.h"
#include "pgserver/TestServer.h"

#include <QFile>
#include <QTest>

#include <limits>
#include <set>

using namespace tabulant;
using namespace tabulant::testing;
namespace aw = accesswriter;
using aw::Column;
using aw::ColumnType;
using V = platform::Variant;

namespace {

// Values that the COPY text format must carry through its escapes, and the edges of each type.
aw::TableData kindsTable() {
    Column id = Column::of("ID", ColumnType::Long);
    aw::TableData t{
        "BulkKinds",
        {id, Column::of("Flag", ColumnType::Boolean), Column::of("Small", ColumnType::Byte),
         Column::of("Money", ColumnType::Currency), Column::of("Single", ColumnType::Single),
         Column::of("Double", ColumnType::Double), Column::decimal("Exact", 28, 10),
         Column::of("When", ColumnType::DateTime), Column::of("Name", ColumnType::Text, 255),
         Column::of("Memo", ColumnType::Memo), Column::of("Guid", ColumnType::Guid),
         Column::of("Bytes", ColumnType::Binary, 16), Column::of("Picture", ColumnType::Ole)},
        {},
        {}};
    const double inf = std::numeric_limits<double>::infinity();
    const char* texts[] = {"tab\there",
                           "back\\slash",
                           "line\r\nbreak",
                           "O'Neil",
                           "\\N",
                           "\\.",
                           "B\xc3\xa4r \xe2\x82\xac",
                           "a\nb\rc",
                           "  blanks  ",
                           "12.50",
                           "03/04/2020",
                           "\"quoted\""};
    for (int i = 0; i < 60; ++i) {
        const std::string text = texts[i % 12];
        t.rows.push_back(
            {V::integer(i + 1), V::boolean(i % 2 == 0), i % 7 == 0 ? V() : V::integer(i % 256),
             V::currency(static_cast<std::int64_t>(i) * 12345 - 300000),
             i == 4 ? V::single(std::numeric_limits<float>::quiet_NaN())
                    : V::single(static_cast<float>(i) / 3.0f),
             i == 1   ? V::real(inf)
             : i == 2 ? V::real(-inf)
             : i == 3 ? V::real(std::numeric_limits<double>::quiet_NaN())
                      : V::real(i * 0.1),
             V::decimal(std::to_string(i) + ".0000000001"),
             V::date(aw::oleDate(1899 + i, 1 + i % 12, 1 + i % 28, i % 24, i, i % 60)),
             i % 5 == 4 ? V() : V::text(text), V::text(text + " memo " + std::to_string(i)),
             V::text("{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}"),
             V::binary(std::string("\x00\t\\\n", 4) + std::string(3, static_cast<char>(i))),
             V::binary(std::string(40, static_cast<char>(i)))});
    }
    return t;
}

// Every row of the table, as the server gives it back as text, in order.
std::string contents(const std::string& database) {
    return TestServer::shared().psql("select r::text from \"BulkKinds\" r order by 1", database);
}

} // namespace

class BulkLoadTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sameTablesAsOneInsertARow_data();
    void sameTablesAsOneInsertARow();
    void refusedRowsGoToTheRejectFile_data() { sameTablesAsOneInsertARow_data(); }
    void refusedRowsGoToTheRejectFile();

private:
    std::string fixture_;
    CliHarness h_;
};

void BulkLoadTest::initTestCase() {
    fixture_ = h_.path("kinds.accdb").toStdString();
    aw::WriterOptions options;
    options.format = aw::Format::Ace2010;
    aw::writeDatabase(fixture_, {kindsTable()}, {}, options);
}

void BulkLoadTest::sameTablesAsOneInsertARow_data() {
    QTest::addColumn<bool>("typed");
    QTest::newRow("specified") << false;
    QTest::newRow("typed") << true;
}

void BulkLoadTest::sameTablesAsOneInsertARow() {
    QFETCH(bool, typed);
    TestServer& server = TestServer::shared();
    const std::string suffix = typed ? "_typed" : "_specified";
    std::string expected;
    for (const char* way : {"rows", "copy", "psql"}) {
        const std::string database = std::string("bulk_") + way + suffix;
        server.recreateDatabase(database);
        QStringList args = h_.serverArgs(database) << q(fixture_) << "--overwrite"
                                                   << "yes";
        if (typed) args << "--typed";
        if (std::string_view(way) == "psql") {
            int psqlCode = -1;
            std::string psqlErr;
            const CliOutcome o = h_.runIntoPsql(args << "--copy", database, psqlCode, psqlErr);
            QCOMPARE(o.code, 0);
            QVERIFY2(psqlCode == 0, psqlErr.c_str());
        } else {
            if (std::string_view(way) == "copy") args << "--copy";
            const CliOutcome o = h_.run(args);
            QVERIFY2(o.code == 0, o.err().c_str());
        }
        const std::string now = contents(database);
        if (expected.empty())
            expected = now;
        else
            QCOMPARE(q(now), q(expected));
    }
    QVERIFY(expected.find("\\\\N") != std::string::npos); // the text \N is no null
}

void BulkLoadTest::refusedRowsGoToTheRejectFile() {
    QFETCH(bool, typed);
    TestServer& server = TestServer::shared();
    const std::string database = typed ? "bulk_refused_typed" : "bulk_refused";
    server.recreateDatabase(database);
    // The table gets a CHECK as it is created: quantities below zero are refused.
    server.psql("create function bulk_check() returns event_trigger language plpgsql as $$ "
                "declare r record; begin for r in select * from pg_event_trigger_ddl_commands() "
                "where command_tag = 'CREATE TABLE' loop execute format('alter table %s add "
                "constraint no_negative check (qty >= 0)', r.object_identity); end loop; end $$; "
                "create event trigger bulk_check on ddl_command_end execute function "
                "bulk_check()",
                database);
    // Refusals at the first row, at both sides of a chunk's end and at the last row; a NUL,
    // which no PostgreSQL text holds.
    const std::set<int> negative{1, 4000, 10000, 10001, 12005};
    aw::TableData t{"Checked",
                    {Column::of("id", ColumnType::Long), Column::of("qty", ColumnType::Long),
                     Column::of("note", ColumnType::Text, 20)},
                    {},
                    {}};
    for (int i = 1; i <= 12005; ++i)
        t.rows.push_back({V::integer(i), V::integer(negative.count(i) ? -1 : i),
                          V::text(i == 7000 ? std::string("a\0b", 3) : "n" + std::to_string(i))});
    const std::string file = h_.path("checked.mdb").toStdString();
    aw::WriterOptions options;
    options.format = aw::Format::Jet4;
    aw::writeDatabase(file, {t}, {}, options);

    const QString rejects = h_.path(typed ? "rejects_typed.sql" : "rejects.sql");
    QStringList args = h_.serverArgs(database) << q(file);
    if (typed) args << "--typed";
    const CliOutcome o = h_.run(QStringList(args) << "--copy"
                                                  << "--rejects" << rejects);
    QCOMPARE(o.code, 1);
    const std::string err = o.err();
    QVERIFY2(err.find("6 rows of Checked refused by the server") != std::string::npos, err.c_str());
    QVERIFY2(err.find(rejects.toStdString()) != std::string::npos, err.c_str());
    QVERIFY2(err.find("12005 read, 11999 loaded, 6 refused") != std::string::npos, err.c_str());

    QCOMPARE(q(server.psql("select count(*), count(distinct id), min(id), max(id) from "
                           "\"Checked\"",
                           database)),
             QStringLiteral("11999|11999|2|12004"));
    QFile file_(rejects);
    QVERIFY(file_.open(QIODevice::ReadOnly));
    const QByteArray text = file_.readAll();
    QCOMPARE(text.count("\nINSERT INTO \"Checked\" VALUES ("), 6);
    QCOMPARE(text.count("violates check constraint \"no_negative\""), 5);
    for (int row : {1, 4000, 7000, 10000, 10001, 12005})
        QVERIFY(text.contains(("\"Checked\", row " + std::to_string(row) + ": ").c_str()));
    // Each is the statement one INSERT a row would have sent.
    const CliOutcome script = h_.run(QStringList(args) << "--sql"
                                                       << "-");
    QCOMPARE(script.code, 0);
    for (const QByteArray& line : text.split('\n'))
        if (line.startsWith("INSERT INTO"))
            QVERIFY2(script.out.find("\n" + line.toStdString() + "\n") != std::string::npos,
                     line.constData());
}

QTEST_GUILESS_MAIN(BulkLoadTest)
#include "BulkLoadTest.moc"
