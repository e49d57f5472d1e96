// The typed conversion of files written by our Access writer into a real PostgreSQL server
// through the real reader and ODBC driver: every column type, key, index and foreign key shows
// in the server's catalogue, and every value reads back as access-dump prints it.

#include "TypedRun.h"
#include "accesswriter/AccessWriter.h"
#include "db/ProviderConnectionFactory.h"
#include "db/access/ShapeText.h"
#include "engine/ConversionRun.h"
#include "fakes/CountingEventLoop.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakePreview.h"
#include "fakes/ScriptedPrompts.h"
#include "pgserver/TestServer.h"
#include "platform/RegionalText.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace tabulant;
using namespace tabulant::accesswriter;
using platform::Variant;
using testing::TestServer;
using testing::TypedRun;
using Strings = std::vector<std::string>;

namespace {

// A database of its own: other tests list the tables of the shared one while these come and go.
constexpr std::string_view TypedDatabase = "typed_conversion";

std::string Sql(const TestServer& server, std::string_view sql) {
    return server.psql(sql, TypedDatabase);
}

QString q(const std::string& s) { return QString::fromStdString(s); }

QStringList qs(const Strings& v) {
    QStringList out;
    for (const auto& s : v) out << q(s);
    return out;
}

Strings Lines(const std::string& text) {
    Strings out;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t end = std::min(text.find('\n', from), text.size());
        out.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return out;
}

Column Of(std::string name, ColumnType type, int size = 0) {
    return Column::of(std::move(name), type, size);
}
Column Required(Column c) {
    c.required = true;
    return c;
}
Column Auto(Column c) {
    c.autoNumber = true;
    return c;
}

const double Infinity = std::numeric_limits<double>::infinity();
const double NaN = std::numeric_limits<double>::quiet_NaN();

// A table of every Access type the writer knows, with the values at the edges of each. `large`
// adds a long Memo and an OLE value spread over many pages.
TableData KindsTable(bool large) {
    Column exact = Column::decimal("Exact", 28, 10);
    TableData t{"typed_Kinds",
                {Auto(Of("ID", ColumnType::Long)), Of("YesNo", ColumnType::Boolean),
                 Of("Byte", ColumnType::Byte), Of("Integer", ColumnType::Integer),
                 Of("Long", ColumnType::Long), Of("Large", ColumnType::LargeNumber),
                 Of("Money", ColumnType::Currency), Of("Single", ColumnType::Single),
                 Of("Double", ColumnType::Double), exact, Of("When", ColumnType::DateTime),
                 Of("Precise", ColumnType::DateTimeExtended), Of("Text255", ColumnType::Text, 255),
                 Of("Code", ColumnType::Text, 10), Of("Memo", ColumnType::Memo),
                 Of("Link", ColumnType::Memo), Of("Guid", ColumnType::Guid),
                 Of("Bytes", ColumnType::Binary, 16), Of("Picture", ColumnType::Ole)},
                {},
                {}};
    t.columns[15].hyperlink = true;
    std::string text255(255, 'x');
    text255.replace(0, 9, "O'Bär \\ \"");
    std::string picture(large ? 100000 : 40, '\0');
    for (std::size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<char>(i * 7);
    t.rows = {
        {Variant::integer(1), Variant::boolean(true), Variant::integer(255),
         Variant::integer(-32768), Variant::integer(2147483647),
         Variant::integer(std::numeric_limits<std::int64_t>::max()),
         Variant::currency(std::numeric_limits<std::int64_t>::max()), Variant::single(0.1f),
         Variant::real(0.1 + 0.2), Variant::decimal("123456789012345678.0123456789"),
         Variant::date(oleDate(1765, 4, 24, 5, 45, 36)),
         Variant::text("0001-01-01 00:00:00.0000001"), Variant::text(text255), Variant::text("A1"),
         Variant::text("line one\r\nline two\ttab \\ back"), Variant::text("Site#http://x.org/#"),
         Variant::text("{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}"),
         Variant::binary(std::string("\x00\x01\xfe\xff", 4) + std::string(12, 'b')),
         Variant::binary(picture)},
        {Variant::integer(2), Variant::boolean(false), Variant::integer(0), Variant::integer(0),
         Variant::integer(-2147483647 - 1),
         Variant::integer(std::numeric_limits<std::int64_t>::min()),
         Variant::currency(std::numeric_limits<std::int64_t>::min()),
         Variant::single(-std::numeric_limits<float>::infinity()), Variant::real(NaN),
         Variant::decimal("-0.0000000001"), Variant::date(oleDate(9999, 12, 31, 23, 59, 59)),
         Variant::text("9999-12-31 23:59:59.9999999"), Variant::text(""), Variant::text("B2"),
         Variant::text(large ? std::string(70000, 'm') : "short memo"), Variant(), Variant(),
         Variant(), Variant()},
        {Variant::integer(5), Variant::boolean(false), Variant(), Variant(), Variant::integer(7),
         Variant(), Variant(), Variant::single(3.4028235e38f), Variant::real(-Infinity), Variant(),
         Variant::date(oleDate(1899, 12, 30, 12, 0, 0.25)), Variant(), Variant(), Variant(),
         Variant(), Variant(), Variant(), Variant(), Variant()}};
    t.options.autoNumberCounter = 9;
    t.options.indexes = {
        Index::primary("PrimaryKey", {{"ID"}}),
        {"Code", {{"Code"}}, false, true, true, false},
        {"Pair", {{"Byte"}, {"Integer", false}}},
        {"ByDate", {{"When", false}}},
        {"Needed", {{"Long"}}, false, false, false, true},
    };
    return t;
}

// Tables tied by relationships: enforced with cascades, over two columns, and one that Access
// never checked.
std::vector<TableData> RelatedTables() {
    TableData customers{
        "typed_Customers",
        {Of("CustomerID", ColumnType::Text, 5), Required(Of("Company Name", ColumnType::Text, 40))},
        {{Variant::text("ALFKI"), Variant::text("Alfreds")},
         {Variant::text("BONAP"), Variant::text("Bon app'")}},
        {}};
    customers.options.indexes = {Index::primary("PrimaryKey", {{"CustomerID"}})};
    TableData shippers{
        "typed_Shippers", {Of("ShipperID", ColumnType::Long)}, {{Variant::integer(1)}}, {}};
    shippers.options.indexes = {Index::primary("PrimaryKey", {{"ShipperID"}})};
    TableData orders{"typed_Orders",
                     {Auto(Of("OrderID", ColumnType::Long)), Of("CustomerID", ColumnType::Text, 5),
                      Of("ShipVia", ColumnType::Long)},
                     {{Variant::integer(10), Variant::text("ALFKI"), Variant::integer(1)},
                      {Variant::integer(11), Variant::text("BONAP"), Variant::integer(3)}},
                     {}};
    orders.options.indexes = {Index::primary("PrimaryKey", {{"OrderID"}}),
                              {"CustomerID", {{"CustomerID"}}}};
    TableData lines{
        "typed_Lines",
        {Of("OrderID", ColumnType::Long), Of("LineNo", ColumnType::Integer)},
        {{Variant::integer(10), Variant::integer(1)}, {Variant::integer(10), Variant::integer(2)}},
        {}};
    lines.options.indexes = {Index::primary("PrimaryKey", {{"OrderID"}, {"LineNo"}})};
    TableData notes{"typed_LineNotes",
                    {Of("OrderID", ColumnType::Long), Of("LineNo", ColumnType::Integer),
                     Of("Note", ColumnType::Memo)},
                    {{Variant::integer(10), Variant::integer(2), Variant::text("fragile")}},
                    {}};
    return {customers, shippers, orders, lines, notes};
}

std::vector<Relationship> Relationships() {
    Relationship customersOrders{
        "typed_CustomersOrders", "typed_Orders", "typed_Customers", {{"CustomerID", "CustomerID"}}};
    customersOrders.cascadeUpdates = true;
    Relationship shippersOrders{
        "typed_ShippersOrders", "typed_Orders", "typed_Shippers", {{"ShipVia", "ShipperID"}}};
    shippersOrders.enforced = false; // order 11 names shipper 3, which does not exist
    Relationship ordersLines{
        "typed_OrdersLines", "typed_Lines", "typed_Orders", {{"OrderID", "OrderID"}}};
    ordersLines.cascadeDeletes = true;
    Relationship linesNotes{"typed_LinesNotes",
                            "typed_LineNotes",
                            "typed_Lines",
                            {{"OrderID", "OrderID"}, {"LineNo", "LineNo"}}};
    linesNotes.cascadeSetsNull = true;
    return {customersOrders, shippersOrders, ordersLines, linesNotes};
}

// A table whose data breaks its own keys: a duplicate primary key and a null in a required
// column. Access lets a Required property be set without checking the rows already there.
TableData BrokenKeysTable() {
    TableData t{"typed_Broken",
                {Of("Id", ColumnType::Long), Required(Of("Name", ColumnType::Text, 20))},
                {{Variant::integer(1), Variant::text("one")},
                 {Variant::integer(1), Variant()},
                 {Variant::integer(2), Variant::text("two")},
                 {Variant::integer(3), Variant::text(std::string("a\0b", 3))}},
                {}};
    t.options.indexes = {Index::primary("PrimaryKey", {{"Id"}}), {"ByName", {{"Name"}}}};
    return t;
}

constexpr const char* AllTables =
    R"("typed_Kinds", "typed_Customers", "typed_Shippers", "typed_Orders", "typed_Lines", )"
    R"("typed_LineNotes", "typed_Broken")";

std::string WriteFixture(const QTemporaryDir& folder, bool large) {
    const std::string path = folder.filePath("typed.accdb").toStdString();
    std::vector<TableData> tables = RelatedTables();
    tables.push_back(KindsTable(large));
    tables.push_back(BrokenKeysTable());
    WriterOptions options;
    options.format = Format::Ace2019;
    writeDatabase(path, tables, Relationships(), options);
    return path;
}

} // namespace

namespace {

// A value as the server gives it back, in the text form access-dump prints for the Access value
// it came from (regional en-US forms, escaped), so that the two compare as texts.
std::string AsDumped(const std::string& type, const std::string& v,
                     const platform::RegionalText& regional) {
    std::string text;
    if (type == "boolean") {
        text = v == "true" ? "True" : "False";
    } else if (type == "real") {
        regional.AppendText(Variant::single(std::strtof(v.c_str(), nullptr)), text);
    } else if (type == "double precision") {
        regional.AppendText(Variant::real(std::strtod(v.c_str(), nullptr)), text);
    } else if (type == "numeric") {
        text = v;
        if (text.find('.') != std::string::npos) {
            while (text.back() == '0') text.pop_back();
            if (text.back() == '.') text.pop_back();
        }
    } else if (type == "timestamp without time zone") {
        platform::DateTime t;
        double fraction = 0;
        std::sscanf(v.c_str(), "%d-%d-%d %d:%d:%d%lf", &t.year, &t.month, &t.day, &t.hour,
                    &t.minute, &t.second, &fraction);
        const double day = platform::RegionalText::ToOleDate({t.year, t.month, t.day, 0, 0, 0});
        const double time = (t.hour * 3600 + t.minute * 60 + t.second + fraction) / 86400.0;
        regional.AppendText(Variant::date(day < 0 ? day - time : day + time), text);
    } else if (type == "uuid") {
        text = "{" + QString::fromStdString(v).toUpper().toStdString() + "}";
    } else {
        text = v;
    }
    std::string escaped;
    db::AppendEscaped(text, escaped);
    return escaped;
}

// The rows of a table in the server, ordered by its first column, each value in access-dump's
// form, tab-separated as access-dump prints a row.
Strings ServerRows(const TestServer& server, const std::string& table) {
    const Strings columns = Lines(
        Sql(server, "select column_name || '|' || data_type from information_schema.columns where "
                    "table_name = '" +
                        table + "' order by ordinal_position"));
    std::string select;
    Strings types;
    for (const std::string& c : columns) {
        const std::size_t bar = c.find('|');
        types.push_back(c.substr(bar + 1));
        const std::string name = "\"" + c.substr(0, bar) + "\"";
        if (!select.empty()) select += ", ";
        select += "case when " + name + " is null then 'N' else 'V' || encode(convert_to(" + name +
                  "::text, 'UTF8'), 'hex') end";
    }
    const platform::RegionalText regional(platform::RegionalText::EnglishUS());
    Strings rows;
    for (const std::string& line :
         Lines(Sql(server, "select " + select + " from \"" + table + "\" order by 1"))) {
        std::string row;
        std::size_t from = 0;
        for (std::size_t i = 0; i < types.size(); ++i) {
            const std::size_t end = std::min(line.find('|', from), line.size());
            const std::string field = line.substr(from, end - from);
            from = end + 1;
            if (i > 0) row += '\t';
            const QByteArray value = QByteArray::fromHex(field.substr(1).c_str());
            row += field == "N" ? std::string("\\N")
                                : AsDumped(types[i], value.toStdString(), regional);
        }
        rows.push_back(row);
    }
    return rows;
}

// The rows access-dump prints for one table of the file.
Strings DumpedRows(const std::string& path, const std::string& table) {
    QProcess dump;
    dump.start(TABULANT_ACCESS_DUMP, {QString::fromStdString(path)});
    if (!dump.waitForFinished(60000) || dump.exitCode() != 0) return {"access-dump failed"};
    const Strings lines = Lines(dump.readAllStandardOutput().toStdString());
    Strings rows;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("table\t" + table + "\t", 0) != 0) continue;
        for (std::size_t r = i + 2; r < lines.size() && lines[r].rfind("table\t", 0) != 0; ++r)
            rows.push_back(lines[r]);
    }
    return rows;
}

} // namespace

class TypedPostgresTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void everyTypeKeyIndexAndRelationshipArrives();
    void previewOfTheWholeFile();
    void secondRunReplacesRelatedTables();
};

void TypedPostgresTest::initTestCase() { TestServer::shared().recreateDatabase(TypedDatabase); }

void TypedPostgresTest::init() {
    Sql(TestServer::shared(), std::string("DROP TABLE IF EXISTS ") + AllTables + " CASCADE;");
}

void TypedPostgresTest::everyTypeKeyIndexAndRelationshipArrives() {
    QTemporaryDir folder;
    const std::string path = WriteFixture(folder, true);
    TypedRun run(path, TypedDatabase);
    run.window.Direct();
    run.Run();
    TestServer& server = TestServer::shared();

    // The data breaks two keys of one table and one text holds a NUL, which no PostgreSQL text
    // can: three reports, each naming its cause once; everything else arrives.
    const Strings reports = run.prompts.ErrorReports();
    QCOMPARE(reports.size(), std::size_t(3));
    QVERIFY(reports[0].find("0x00") != std::string::npos);
    QVERIFY(reports[1].find(R"(column "Name" of relation "typed_Broken" contains null values)") !=
            std::string::npos);
    QVERIFY(reports[2].find(R"("typed_Broken_PrimaryKey")") != std::string::npos);
    QCOMPARE(q(Sql(server, R"(select count(*) from "typed_Broken")")), QString("3"));
    QCOMPARE(q(Sql(server, "select indexname from pg_indexes where tablename = 'typed_Broken'")),
             QString("typed_Broken_ByName"));

    QCOMPARE(qs(Lines(Sql(
                 server,
                 "select column_name || ' ' || data_type || coalesce('(' || "
                 "character_maximum_length || ')', '') || case when data_type = 'numeric' then "
                 "coalesce('(' || numeric_precision || ',' || numeric_scale || ')', '') else '' "
                 "end || case when is_nullable = 'NO' then ' not null' else '' end || case when "
                 "is_identity = 'YES' then ' identity' else '' end from information_schema.columns "
                 "where table_name = 'typed_Kinds' order by ordinal_position"))),
             QStringList({"ID integer not null identity", "YesNo boolean not null", "Byte smallint",
                          "Integer smallint", "Long integer not null", "Large bigint",
                          "Money numeric(19,4)", "Single real", "Double double precision",
                          "Exact numeric(28,10)", "When timestamp without time zone",
                          "Precise character varying(27)", "Text255 character varying(255)",
                          "Code character varying(10)", "Memo text", "Link text", "Guid uuid",
                          "Bytes bytea", "Picture bytea"}));
    QCOMPARE(
        qs(Lines(Sql(server, "select indexdef from pg_indexes where tablename in "
                             "('typed_Kinds', 'typed_Lines') order by indexname collate \"C\""))),
        QStringList(
            {R"(CREATE INDEX "typed_Kinds_ByDate" ON public."typed_Kinds" USING btree ("When" DESC))",
             R"(CREATE UNIQUE INDEX "typed_Kinds_Code" ON public."typed_Kinds" USING btree ("Code"))",
             R"(CREATE INDEX "typed_Kinds_Needed" ON public."typed_Kinds" USING btree ("Long"))",
             R"(CREATE INDEX "typed_Kinds_Pair" ON public."typed_Kinds" USING btree ("Byte", "Integer" DESC))",
             R"(CREATE UNIQUE INDEX "typed_Kinds_PrimaryKey" ON public."typed_Kinds" USING btree ("ID"))",
             R"(CREATE UNIQUE INDEX "typed_Lines_PrimaryKey" ON public."typed_Lines" USING btree ("OrderID", "LineNo"))",
             // Access's own index on the columns of a foreign key
             R"(CREATE INDEX "typed_Lines_typed_OrdersLines" ON public."typed_Lines" USING btree ("OrderID"))"}));
    QCOMPARE(
        qs(Lines(
            Sql(server,
                "select conrelid::regclass || ' ' || conname || ' ' || pg_get_constraintdef(oid) "
                "from pg_constraint where conname like 'typed%' order by conname collate \"C\""))),
        QStringList(
            {R"("typed_Orders" typed_CustomersOrders FOREIGN KEY ("CustomerID") REFERENCES "typed_Customers"("CustomerID") ON UPDATE CASCADE)",
             R"("typed_Customers" typed_Customers_PrimaryKey PRIMARY KEY ("CustomerID"))",
             R"("typed_Kinds" typed_Kinds_Code UNIQUE ("Code"))",
             R"("typed_Kinds" typed_Kinds_PrimaryKey PRIMARY KEY ("ID"))",
             R"("typed_LineNotes" typed_LinesNotes FOREIGN KEY ("OrderID", "LineNo") REFERENCES "typed_Lines"("OrderID", "LineNo") ON DELETE SET NULL)",
             R"("typed_Lines" typed_Lines_PrimaryKey PRIMARY KEY ("OrderID", "LineNo"))",
             R"("typed_Lines" typed_OrdersLines FOREIGN KEY ("OrderID") REFERENCES "typed_Orders"("OrderID") ON DELETE CASCADE)",
             R"("typed_Orders" typed_Orders_PrimaryKey PRIMARY KEY ("OrderID"))",
             R"("typed_Shippers" typed_Shippers_PrimaryKey PRIMARY KEY ("ShipperID"))"}));
    QCOMPARE(q(Sql(server, R"(select indexdef from pg_indexes where indexname = )"
                           R"('typed_Orders_CustomerID')")),
             QString(R"(CREATE INDEX "typed_Orders_CustomerID" ON public."typed_Orders" )"
                     R"(USING btree ("CustomerID"))"));
    QCOMPARE(q(Sql(server, R"(select attname from pg_attribute where attrelid = )"
                           R"('"typed_Customers"'::regclass and attnotnull and attnum > 0 )"
                           R"(order by attnum)")),
             QString("CustomerID\nCompany Name"));
    // The sequences go on past the rows and the file's counters.
    QCOMPARE(q(Sql(server, R"(select nextval(pg_get_serial_sequence('"typed_Kinds"', 'ID')), )"
                           R"(nextval(pg_get_serial_sequence('"typed_Orders"', 'OrderID')))")),
             QString("10|12"));

    for (const char* table :
         {"typed_Kinds", "typed_Customers", "typed_Orders", "typed_Lines", "typed_LineNotes"})
        QCOMPARE(qs(ServerRows(server, table)), qs(DumpedRows(path, table)));
    // Beyond access-dump's seconds and 15 digits: the exact forms.
    QCOMPARE(q(Sql(server, R"(select "Double", "Single", "When", "Precise", length("Text255"), )"
                           R"(md5("Picture"), length("Memo") from "typed_Kinds" order by "ID")")),
             QString("0.30000000000000004|0.1|1765-04-24 05:45:36|0001-01-01 00:00:00.0000001|255|"
                     "8cb7f568752be648376cd32a342006af|29\n"
                     "NaN|-Infinity|9999-12-31 23:59:59|9999-12-31 23:59:59.9999999|0||70000\n"
                     "-Infinity|3.4028235e+38|1899-12-30 12:00:00.25||||"));
}

void TypedPostgresTest::previewOfTheWholeFile() {
    QTemporaryDir folder;
    TypedRun run(WriteFixture(folder, false), TypedDatabase);
    run.window.PreviewPerFile();
    run.Run();
    QCOMPARE(run.prompts.ErrorReports(), Strings{});
    QCOMPARE(run.preview.shown.size(), std::size_t(1));
    std::string preview;
    for (const std::string& line : run.preview.shown.front()) preview += line + "\n";

    const QString golden = QStringLiteral(TABULANT_GOLDEN_DIR "/typed-preview.sql");
    if (qEnvironmentVariableIsSet("TABULANT_UPDATE_GOLDEN")) {
        QFile out(golden);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(preview.data(), qint64(preview.size()));
    }
    QFile expected(golden);
    QVERIFY2(expected.open(QIODevice::ReadOnly), qPrintable(golden));
    QCOMPARE(qs(Lines(preview)), qs(Lines(expected.readAll().toStdString())));
}

// Converting the same file again, overwriting every table: the foreign keys the first run made
// between the tables do not keep any of them from being replaced.
void TypedPostgresTest::secondRunReplacesRelatedTables() {
    QTemporaryDir folder;
    const std::string path = WriteFixture(folder, false);
    for (int run = 0; run < 2; ++run) {
        TypedRun typed(path, TypedDatabase);
        typed.window.Direct();
        typed.prompts.SetDefaultAnswer(platform::Prompts::Answer::Yes);
        typed.Run();
        QCOMPARE(typed.prompts.Questions().size(), std::size_t(run == 0 ? 0 : 7));
        // Only the broken table's data is reported, the same each time.
        QCOMPARE(typed.prompts.ErrorReports().size(), std::size_t(3));
    }
    TestServer& server = TestServer::shared();
    QCOMPARE(q(Sql(server, "select count(*) from pg_constraint where contype = 'f' and conname "
                           "like 'typed%'")),
             QString("3"));
    QCOMPARE(q(Sql(server, R"(select count(*) from "typed_Lines")")), QString("2"));
}

QTEST_GUILESS_MAIN(TypedPostgresTest)
#include "TypedPostgresTest.moc"
