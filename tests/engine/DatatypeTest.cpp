#include "engine/Datatype.h"
#include "engine/ColumnNames.h"
#include "engine/CreateTableBuilder.h"
#include "fakes/CountingEventLoop.h"
#include "fakes/FakePreview.h"
#include "fakes/InMemoryTable.h"
#include "fakes/ScriptedPrompts.h"

#include <QtTest>

using namespace tabulant;
using fakes::ColumnDef;
using enum platform::AdoType;

namespace {

QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

struct Built {
    std::string statement;
    std::string numericColumns;
    std::vector<fakes::FakePreview::DatatypeRow> rows;
    std::vector<std::string> reports;
};

Built BuildCreate(const std::string& table, std::vector<ColumnDef> columns) {
    fakes::InMemoryTable t;
    t.name = table;
    t.columns = std::move(columns);
    platform::Recordset records(fakes::BorrowingCursor(t));
    fakes::FakePreview preview;
    fakes::CountingEventLoop events;
    fakes::ScriptedPrompts prompts;
    shell::Trap trap(prompts, "Form1.PushButton7_Click");
    engine::CreateTableBuilder builder(preview, events);
    builder.Build(trap, table, records);
    return {builder.Statement(), builder.NumericColumns(), preview.datatypeRows,
            prompts.ErrorReports()};
}

std::vector<ColumnDef> Orders() {
    return {{"Order ID", adInteger},
            {"Customer Name", adVarWChar},
            {"Order Date", adDate},
            {"Paid", adBoolean},
            {"Photo", adLongVarBinary}};
}

} // namespace

class DatatypeTest : public QObject {
    Q_OBJECT
private slots:
    void adoTypeName_data();
    void adoTypeName();
    void typeRules_data();
    void typeRules();
    void columnNames_data();
    void columnNames();
    void createTable_data();
    void createTable();
    void ordersDatatypeRows();
    void builderKeepsNothingFromPreviousTable();
};

void DatatypeTest::adoTypeName_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    // The names themselves are a table in Datatype.cpp; the type rules below match on them.
    // Here: both ends, a code after a gap, and codes in the gaps and beyond.
    const std::pair<int, const char*> named[] = {
        {0, "adEmpty"}, {14, "adDecimal"}, {64, "adFileTime"}, {205, "adLongVarBinary"}};
    for (auto [code, name] : named) QTest::addRow("%d", code) << code << name;
    for (int unknown : {1, 15, 22, 137, 206, -1, 32767})
        QTest::addRow("%d", unknown) << unknown << "";
}

void DatatypeTest::adoTypeName() {
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(q(engine::AdoTypeName(static_cast<std::int16_t>(code))), name);
}

void DatatypeTest::typeRules_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("postgres");
    QTest::addColumn<bool>("numeric");
    struct Case {
        int order;
        const char* keyword;
        const char* pg;
        bool numeric;
        std::vector<int> codes;
    };
    const Case cases[] = {
        {0, "", "", false, {205}},
        {1, "varwchar", "TEXT", false, {202, 203}},
        {2, "longvar", "TEXT", false, {201}},
        {3, "decimal", "NUMERIC", true, {14}},
        {4, "int", "NUMERIC", true, {2, 16, 18, 17}},
        {5, "int", "NUMERIC", true, {3, 20, 19, 21}},
        {6, "double", "NUMERIC", true, {5}},
        {7, "currency", "NUMERIC", true, {6}},
        {8, "bool", "BOOL", true, {11}},
        {9, "date", "TEXT", false, {7, 133}},
        {10, "timestamp", "TEXT", false, {135}},
        {11, "OTHER TYPES", "TEXT", false, {4, 131, 139, 129, 130, 200, 8,   72,  128, 204, 134,
                                            0, 10,  9,   13,  12,  138, 132, 136, 64,  1,   999}},
    };
    for (const Case& c : cases)
        for (int code : c.codes)
            QTest::addRow("%s %d",
                          qPrintable(q(engine::AdoTypeName(static_cast<std::int16_t>(code)))), code)
                << code << c.order << c.keyword << c.pg << c.numeric;
}

void DatatypeTest::typeRules() {
    QFETCH(int, code);
    QFETCH(int, order);
    QFETCH(QString, keyword);
    QFETCH(QString, postgres);
    QFETCH(bool, numeric);
    const engine::TypeRule& rule =
        engine::TypeRuleFor(engine::TypeKey(static_cast<std::int16_t>(code)));
    QCOMPARE(rule.order, order);
    QCOMPARE(q(rule.keyword), keyword);
    QCOMPARE(q(rule.postgresType), postgres);
    QCOMPARE(rule.numeric, numeric);
    QCOMPARE(rule.leftOut, order == 0);
}

void DatatypeTest::columnNames_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("blanks removed, cut to 8") << QStringList{" Unit Price ", "Product Description"}
                                              << QStringList{"UnitPric", "ProductD"};
    QTest::newRow("same first 8 characters")
        << QStringList{"Ship Address", "Ship Addr2"} << QStringList{"ShipAddr", "ShipAdd1"};
    QTest::newRow("letter case ignored")
        << QStringList{"NAME", "Name"} << QStringList{"NAME", "Name1"};
    QTest::newRow("suffixes accumulate")
        << QStringList{"A", "A", "A"} << QStringList{"A", "A1", "A12"};
    QTest::newRow("counter on the 7-character cut")
        << QStringList{"Customer", "Customer", "Customer"}
        << QStringList{"Customer", "Custome1", "Custome2"};
    QTest::newRow("part of an earlier name is taken")
        << QStringList{"CustID", "ID"} << QStringList{"CustID", "ID1"};
    QTest::newRow("short names stay") << QStringList{"a b", "Order"} << QStringList{"ab", "Order"};
    QTest::newRow("characters, not bytes")
        << QStringList{"Größenänderung"} << QStringList{"Größenän"};
    QTest::newRow("left-out fields take part")
        << QStringList{"Photo", "Photo"} << QStringList{"Photo", "Photo1"};
}

void DatatypeTest::columnNames() {
    QFETCH(QStringList, fields);
    QFETCH(QStringList, columns);
    engine::ColumnNames names;
    QStringList got;
    for (const QString& f : fields) {
        const std::string column = names.FirstFree(engine::BaseColumnName(f.toStdString()));
        names.Use(column);
        got << q(column);
    }
    QCOMPARE(got, columns);
}

void DatatypeTest::createTable_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QList<int>>("types");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("numericColumns");
    QTest::newRow("Orders")
        << "Orders" << QList<int>{3, 202, 7, 11, 205}
        << QStringList{"Order ID", "Customer Name", "Order Date", "Paid", "Photo"}
        << R"(CREATE TABLE "Orders"(OrderID NUMERIC,Customer TEXT,OrderDat TEXT,Paid BOOL);)"
        << "0, 3, ";
    QTest::newRow("only texts") << "Notes" << QList<int>{202, 203} << QStringList{"Title", "Body"}
                                << R"(CREATE TABLE "Notes"(Title TEXT,Body TEXT);)"
                                << "";
    QTest::newRow("left-out field last and first")
        << "P" << QList<int>{205, 5, 205} << QStringList{"Pic", "Price", "Pic2"}
        << R"(CREATE TABLE "P"(Price NUMERIC);)"
        << "1, ";
    // Names the server would refuse unquoted are quoted, lower-cased as the server folds names;
    // every other name is written exactly as before.
    QTest::newRow("reserved words quoted in lower case")
        << "Users" << QList<int>{3, 202, 202} << QStringList{"Order", "User", "Desc2"}
        << R"(CREATE TABLE "Users"("order" NUMERIC,"user" TEXT,Desc2 TEXT);)"
        << "0, ";
    QTest::newRow("punctuation and a leading digit quoted")
        << "P" << QList<int>{5, 202, 202, 202, 202}
        << QStringList{"Weight (kg)", "E-Mail", "1st Name", "Nr.", "Size\"In"}
        << R"(CREATE TABLE "P"("weight(k" NUMERIC,"e-mail" TEXT,"1stname" TEXT,"nr." TEXT,"size""in" TEXT);)"
        << "0, ";
    QTest::newRow("plain names as they are")
        << "P" << QList<int>{202, 202, 202, 202}
        << QStringList{"_Key", "a$b", "Gr\u00f6\u00dfe", "Select1"}
        << QString::fromUtf8(
               "CREATE TABLE \"P\"(_Key TEXT,a$b TEXT,Gr\u00f6\u00dfe TEXT,Select1 TEXT);")
        << "";
    QTest::newRow("double quote in the table name is doubled")
        << R"(Sales "old")" << QList<int>{3} << QStringList{"ID"}
        << R"(CREATE TABLE "Sales ""old"""(ID NUMERIC);)"
        << "0, ";
    QTest::newRow("every field long binary: no column")
        << "Pictures" << QList<int>{205, 205} << QStringList{"Front", "Back"}
        << R"(CREATE TABLE "Pictures"();)"
        << "";
    QTest::newRow("unknown code is text")
        << "X" << QList<int>{77} << QStringList{"Odd"} << R"(CREATE TABLE "X"(Odd TEXT);)"
        << "";
}

void DatatypeTest::createTable() {
    QFETCH(QString, table);
    QFETCH(QList<int>, types);
    QFETCH(QStringList, names);
    QFETCH(QString, statement);
    QFETCH(QString, numericColumns);
    std::vector<ColumnDef> columns;
    for (int i = 0; i < types.size(); ++i)
        columns.push_back({names[i].toStdString(), static_cast<std::int16_t>(types[i])});
    const Built b = BuildCreate(table.toStdString(), columns);
    QCOMPARE(q(b.statement), statement);
    QCOMPARE(q(b.numericColumns), numericColumns);
    QCOMPARE(b.rows.size(), columns.size());
    QVERIFY(b.reports.empty());
}

void DatatypeTest::ordersDatatypeRows() {
    const Built b = BuildCreate("Orders", Orders());
    const std::vector<fakes::FakePreview::DatatypeRow> expected = {
        {"Orders", "Order ID", "int", "NUMERIC"},
        {"Orders", "Customer Name", "varwchar", "TEXT"},
        {"Orders", "Order Date", "date", "TEXT"},
        {"Orders", "Paid", "bool", "BOOL"},
        {"Orders", "Photo", "", ""},
    };
    QVERIFY(b.rows == expected);
}

// One builder serves every table of a run: the used names and NumericColumns start afresh.
void DatatypeTest::builderKeepsNothingFromPreviousTable() {
    fakes::InMemoryTable first, second;
    first.name = "A";
    first.columns = {{"Amount", adDouble}, {"Name", adVarWChar}};
    second.name = "B";
    second.columns = {{"Name", adVarWChar}, {"Amount", adWChar}};
    fakes::FakePreview preview;
    fakes::CountingEventLoop events;
    fakes::ScriptedPrompts prompts;
    shell::Trap trap(prompts, "Form1.PushButton7_Click");
    engine::CreateTableBuilder builder(preview, events);
    platform::Recordset r1(fakes::BorrowingCursor(first));
    builder.Build(trap, "A", r1);
    platform::Recordset r2(fakes::BorrowingCursor(second));
    builder.Build(trap, "B", r2);
    QCOMPARE(q(builder.Statement()), QString(R"(CREATE TABLE "B"(Name TEXT,Amount TEXT);)"));
    QCOMPARE(q(builder.NumericColumns()), QString());
}

QTEST_GUILESS_MAIN(DatatypeTest)
#include "DatatypeTest.moc"
