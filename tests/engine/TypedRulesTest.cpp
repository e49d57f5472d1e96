// Defaults, validation rules, named conditions and descriptions carried by the typed conversion
// into a real PostgreSQL server: a table written by our Access writer with the properties as
// Access stores them, converted, then new rows tried against each rule with the result Access's
// documentation gives (a Null passes a rule, Like and text comparison ignore letter case).

#include "TypedRun.h"
#include "accesswriter/AccessWriter.h"
#include "pgserver/TestServer.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tabulant;
using namespace tabulant::accesswriter;
using platform::Variant;
using testing::TestServer;
using namespace std::string_literals;

namespace {

constexpr std::string_view RulesDatabase = "typed_rules";

Column With(Column c, std::vector<std::pair<std::string, std::string>> properties) {
    c.properties = std::move(properties);
    return c;
}

std::string WriteFile(const QTemporaryDir& folder, Format format) {
    using C = ColumnType;
    const std::string path = folder.filePath("rules.mdb").toStdString();
    WriterOptions writer;
    writer.format = format;
    AccessWriter w(path, writer);
    Column name = With(Column::of("Name", C::Text, 20),
                       {{"DefaultValue", "\"unnamed\""}, {"Description", "Who it's for"}});
    name.allowZeroLength = false;
    TableOptions options;
    options.properties = {
        {"Description", "Orders, with Access's rules"},
        {"ValidationRule", "[Discount] < 1 Or [Qty] > 1"},
        {"ValidationText", "Whole discounts need two items"},
        {"memo:CheckConstraints",
         "CK_Qty\0[Qty] <= 1000\0Single\0(SELECT COUNT(*) FROM [Orders]) = 1\0\0"s}};
    TableWriter& t = w.addTable(
        "Orders",
        {Column::of("Id", C::Long),
         With(Column::of("Qty", C::Integer),
              {{"DefaultValue", "1"}, {"ValidationRule", ">0"}, {"ValidationText", "Positive"}}),
         With(Column::of("Discount", C::Single), {{"ValidationRule", "Between 0 And 1"}}), name,
         With(Column::of("Code", C::Text, 10), {{"ValidationRule", "Like \"A*\""}}),
         With(Column::of("Status", C::Text, 10), {{"ValidationRule", "In (\"new\",\"done\")"}}),
         With(Column::of("Paid", C::Boolean), {{"DefaultValue", "=No"}}),
         With(Column::of("Made", C::DateTime),
              {{"DefaultValue", "Date()"}, {"ValidationRule", "<#1/2/2100#"}}),
         With(Column::of("Ref", C::Guid), {{"DefaultValue", "GenGUID()"}}),
         With(Column::of("Odd", C::Long), {{"DefaultValue", "MyTotal([Qty])"}}),
         With(Column::of("Left", C::Long), {{"DefaultValue", "-2^2"}})},
        options);
    // A row Access kept although it breaks Qty's rule (saved without testing the rows).
    t.addRow({Variant::integer(1), Variant::integer(0), Variant::single(0), Variant::text("x"),
              Variant::null(), Variant::null(), Variant::boolean(false), Variant::null(),
              Variant::null(), Variant::null(), Variant::null()});
    w.finish();
    return path;
}

QString Sql(std::string_view sql) {
    return QString::fromStdString(TestServer::shared().psql(sql, RulesDatabase));
}

bool Accepted(const std::string& values) {
    try {
        Sql("INSERT INTO \"Orders\" (\"Id\", \"Qty\", \"Discount\", \"Name\", \"Code\", "
            "\"Status\", \"Made\") VALUES (" +
            values + ")");
        return true;
    } catch (const std::runtime_error& e) {
        if (std::string(e.what()).find("violates check constraint") == std::string::npos) throw;
        return false;
    }
}

} // namespace

class TypedRulesTest : public QObject {
    Q_OBJECT

private slots:
    void rulesDefaultsAndDescriptions_data() {
        QTest::addColumn<int>("format");
        QTest::newRow("Jet 3 (code page)") << int(Format::Jet3);
        QTest::newRow("ACE (UTF-16)") << int(Format::Ace2007);
    }

    void rulesDefaultsAndDescriptions() {
        QFETCH(int, format);
        TestServer::shared().recreateDatabase(RulesDatabase);
        QTemporaryDir folder;
        testing::TypedRun run(WriteFile(folder, Format(format)), RulesDatabase);
        run.Run();

        // One report for what is not carried; the row that breaks a rule it keeps is a notice.
        const auto reports = run.prompts.ErrorReports();
        QCOMPARE(reports.size(), std::size_t(1));
        for (const char* expected :
             {"Defaults and rules of the table 'Orders' not carried over:",
              "column 'Odd': default value `MyTotal([Qty])`: MyTotal",
              "condition 'Single' `(SELECT COUNT(*) FROM [Orders]) = 1`: a subquery"})
            QVERIFY2(reports[0].find(expected) != std::string::npos, reports[0].c_str());
        const auto& notices = run.window.notices;
        QCOMPARE(notices.size(), std::size_t(1));
        QVERIFY2(notices[0].ends_with("rules hold for new rows:\n1 row breaks \"Qty\" (>0)"),
                 notices[0].c_str());

        // The breaking row stays, its rule is kept for new rows; the others are validated.
        QCOMPARE(Sql("select \"Qty\" from \"Orders\""), QString("0"));
        QCOMPARE(Sql("select string_agg(conname || ':' || convalidated, ',' order by conname) "
                     "from pg_constraint where conrelid = '\"Orders\"'::regclass"),
                 QString("CK_Qty:true,Code:true,Discount:true,Made:true,Name_not_empty:true,"
                         "Qty:false,Status:true,ValidationRule:true"));

        // New rows against each rule, as Access judges them; Null passes every rule.
        const std::pair<const char*, bool> rows[] = {
            {"2, NULL, NULL, NULL, NULL, NULL, NULL", true},
            {"3, 0, 0, 'a', NULL, NULL, NULL", false},          // Qty >0
            {"4, 5, 1.5, 'a', NULL, NULL, NULL", false},        // Between 0 And 1
            {"5, 5, 1, 'a', NULL, NULL, NULL", true},           // the table's rule: Qty > 1
            {"6, 1, 1, 'a', NULL, NULL, NULL", false},          // the table's rule
            {"7, 5, 0, '', NULL, NULL, NULL", false},           // no zero-length text
            {"8, 5, 0, 'a', 'abc', NULL, NULL", true},          // Like ignores letter case
            {"9, 5, 0, 'a', 'bA', NULL, NULL", false},          //
            {"10, 5, 0, 'a', NULL, 'DONE', NULL", true},        // In compares without case
            {"11, 5, 0, 'a', NULL, 'old', NULL", false},        //
            {"12, 2000, 0, 'a', NULL, NULL, NULL", false},      // CK_Qty
            {"13, 5, 0, 'a', NULL, NULL, '2100-01-01'", true},  // #1/2/2100# is 2 January
            {"14, 5, 0, 'a', NULL, NULL, '2100-01-02'", false}, //
        };
        for (const auto& [values, accepted] : rows) QVERIFY2(Accepted(values) == accepted, values);

        // Defaults: as Access fills a new row.
        QCOMPARE(Sql("insert into \"Orders\" (\"Id\") values (20) returning \"Qty\", \"Name\", "
                     "\"Paid\", \"Made\" = current_date, \"Ref\" is not null, \"Left\", \"Odd\""),
                 QString("1|unnamed|f|t|t|-4|"));
        QCOMPARE(Sql("select obj_description('\"Orders\"'::regclass) || '/' || "
                     "col_description('\"Orders\"'::regclass, 4) || '/' || "
                     "(select obj_description(oid, 'pg_constraint') from pg_constraint "
                     "where conname = 'Qty')"),
                 QString("Orders, with Access's rules/Who it's for/Positive"));
    }
};

QTEST_GUILESS_MAIN(TypedRulesTest)
#include "TypedRulesTest.moc"
