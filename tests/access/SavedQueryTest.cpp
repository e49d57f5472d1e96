// Saved queries read back from files our writer made with the MSysQueries rows Access stores:
// each query's SQL rebuilt in Access's dialect (rows taken by their Order counter, joins nested as
// stored), and damaged rows named per query while the others and the tables still read.

#include "AccessFixtures.h"
#include "SavedQueries.h"
#include "db/access/AccessDatabase.h"
#include "db/access/QueryReader.h"
#include "db/access/QueryText.h"

#include <QTest>

using namespace tabulant;
using namespace tabulant::accesswriter;
using platform::Variant;

namespace {

QueryRow row(int attribute, std::optional<int> flag = {}, std::string name1 = {},
             std::string name2 = {}, std::string expression = {}) {
    return {attribute, flag, std::move(name1), std::move(name2), std::move(expression), {}, {}};
}
QueryRow at(QueryRow r, std::uint32_t order) {
    r.order = order;
    return r;
}
QueryRow extra(QueryRow r, std::int32_t value) {
    r.extra = value;
    return r;
}
QueryRow expr(int attribute, std::string expression, std::optional<int> flag = {}) {
    return row(attribute, flag, {}, {}, std::move(expression));
}

struct Case {
    const char* name;
    SavedQuery query;
    const char* sql;
};

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        // A crosstab as a Jet 3 file stores it, its join and filter rows before its first row.
        {"crosstab, rows out of order",
         {"Quarterly Orders by Product",
          0x10,
          {at(row(7, 1, "Products", "Order Details",
                  "Products.ProductID = [Order Details].ProductID"),
              2),
           at(row(7, 1, "Orders", "Order Details", "Orders.OrderID = [Order Details].OrderID"), 1),
           expr(8, "(((Orders.OrderDate) Between #1/1/95# And #12/31/95#))"), row(0), row(1, 6),
           row(3, 8), row(5, {}, "Orders"), row(5, {}, "Order Details"), row(5, {}, "Products"),
           expr(6, "Products.ProductName", 2), expr(6, "Orders.CustomerID", 2),
           row(6, 1, "Quarters", {},
               "\"Qtr \" & DatePart(\"q\",[OrderDate],1,0) In (\"Qtr 1\",\"Qtr 2\")"),
           row(6, 2, "OrderYear", {}, "Year([OrderDate])"),
           row(6, 0, "ProductAmount", {}, "Sum([Quantity])"), expr(9, "Products.ProductName", 2),
           expr(9, "Orders.CustomerID", 2),
           expr(9, "\"Qtr \" & DatePart(\"q\",[OrderDate],1,0)", 1),
           expr(9, "Year([OrderDate])", 2), row(255)}},
         "TRANSFORM Sum([Quantity]) AS ProductAmount SELECT DISTINCTROW Products.ProductName, "
         "Orders.CustomerID, Year([OrderDate]) AS OrderYear FROM Products INNER JOIN (Orders "
         "INNER JOIN [Order Details] ON Orders.OrderID = [Order Details].OrderID) ON "
         "Products.ProductID = [Order Details].ProductID WHERE (((Orders.OrderDate) Between "
         "#1/1/95# And #12/31/95#)) GROUP BY Products.ProductName, Orders.CustomerID, "
         "Year([OrderDate]) PIVOT \"Qtr \" & DatePart(\"q\",[OrderDate],1,0) In (\"Qtr 1\",\"Qtr "
         "2\");"},
        {"append with declared parameters",
         {"InsertNewMembership",
          0x40,
          {row(0), row(1, 3, "Membership"), extra(row(2, 10, "prmLastName"), 255),
           row(2, 10, "prmFirstName"), row(2, 8, "Forms!Dialog Box!Since"),
           row(6, -32768, {}, "LastName", "[prmLastName]"),
           row(6, -32768, {}, "First Name", "[prmFirstName]"), row(255)}},
         "PARAMETERS prmLastName Text(255), prmFirstName Text, Forms![Dialog Box]!Since "
         "DateTime; INSERT INTO Membership (LastName, [First Name]) VALUES ([prmLastName], "
         "[prmFirstName]);"},
        {"union without ALL, ordered",
         {"Cities",
          0x80,
          {row(0), row(3, 2), row(5, {}, {}, "X7YZ_____1", "SELECT City FROM Customers;"),
           row(5, {}, {}, "X7YZ_____2", "SELECT City FROM Suppliers\r\n"),
           row(11, {}, "D", {}, "City"), row(255)}},
         "SELECT City FROM Customers UNION SELECT City FROM Suppliers ORDER BY City DESC;"},
        {"outer join nested, two conditions, a source left unjoined",
         {"Mixed",
          0,
          {row(0), row(5, {}, "A"), row(5, {}, "B"), row(5, {}, "C", "c 1"), row(5, {}, "D"),
           row(6, {}, {}, {}, "A.x"), row(7, 1, "B", "c 1", "B.k = [c 1].k"),
           row(7, 2, "A", "B", "A.k = B.k"), row(7, 2, "a", "b", "A.j = B.j"), row(255)}},
         "SELECT A.x FROM D, A LEFT JOIN (B INNER JOIN C AS [c 1] ON B.k = [c 1].k) ON A.k = "
         "B.k AND A.j = B.j;"},
        {"derived table, DISTINCT TOP PERCENT, grouping, descending order",
         {"Totals",
          0,
          {row(0), row(3, 0x32, "5"), row(5, {}, {}, "t", "SELECT x, y FROM T;"),
           row(6, {}, "Total", {}, "Sum(t.y)"), row(6, {}, {}, {}, "t.x"), expr(8, "t.y > 0"),
           expr(9, "t.x"), expr(10, "Sum(t.y) > 10"), row(11, {}, "d", {}, "Sum(t.y)"),
           row(11, {}, {}, {}, "t.x"), row(255)}},
         "SELECT DISTINCT TOP 5 PERCENT Sum(t.y) AS Total, t.x FROM (SELECT x, y FROM T) AS t "
         "WHERE t.y > 0 GROUP BY t.x HAVING Sum(t.y) > 10 ORDER BY Sum(t.y) DESC, t.x;"},
        {"update of a qualified column",
         {"Raise",
          0x30,
          {row(0), row(1, 4), row(5, {}, "Membership"),
           row(6, 0, {}, "Membership.Level", "[Level]+1"), expr(8, "Membership.ID=3"), row(255)}},
         "UPDATE Membership SET Membership.Level = [Level]+1 WHERE Membership.ID=3;"},
        {"data definition and an all-fields select",
         {"createTable", 0x60, {row(0), row(1, 7, {}, {}, "create table t(a int);"), row(255)}},
         "create table t(a int);"},
        {"select of every field, no type row",
         {"~sq_ffrmAssets", 3, {row(0), row(3, 0x09), row(5, {}, "Asset Items"), row(255)}},
         "SELECT DISTINCTROW * FROM [Asset Items];"},
    };
    return all;
}

std::vector<db::QueryDefinition> readQueries(const std::string& path) {
    auto database = db::AccessDatabase::Open(db::ByteSource::File(path), path, "");
    return db::ReadQueries(*database);
}

} // namespace

class SavedQueryTest : public QObject {
    Q_OBJECT

private slots:
    void rebuildsAccessSql_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("format");
        for (int i = 0; i < int(cases().size()); ++i)
            for (Format f : {Format::Jet3, Format::Ace2007})
                // Jet 3 keeps no text sizes of parameters (no LvExtra).
                if (f == Format::Ace2007 || i != 1)
                    QTest::newRow(
                        (std::string(cases()[i].name) + (f == Format::Jet3 ? ", Jet 3" : ""))
                            .c_str())
                        << i << int(f);
    }
    void rebuildsAccessSql() {
        QFETCH(int, index);
        QFETCH(int, format);
        const Case& c = cases()[std::size_t(index)];
        AccessFixtureDir dir;
        const std::string path = dir.Path("q.mdb");
        {
            WriterOptions options;
            options.format = Format(format);
            AccessWriter w(path, options);
            addSavedQueries(w, {c.query}, Format(format));
            w.finish();
        }
        const auto queries = readQueries(path);
        QCOMPARE(queries.size(), std::size_t(1));
        QCOMPARE(queries[0].name, c.query.name);
        QCOMPARE(queries[0].damage, std::string());
        QCOMPARE(QString::fromStdString(db::AccessSqlText(queries[0])), QString::fromUtf8(c.sql));
    }

    // Damage is said per query, naming it and what is wrong; the others and the tables read on.
    void damageNamesTheQuery() {
        AccessFixtureDir dir;
        const std::string path = dir.Path("damaged.accdb");
        {
            WriterOptions options;
            options.format = Format::Ace2007;
            AccessWriter w(path, options);
            w.addTable("T", {Column::of("x", ColumnType::Long)}).addRow({Variant::integer(7)});
            addSavedQueries(
                w,
                {{"Good", 0, {row(0), row(5, {}, "T"), row(6, {}, {}, {}, "x"), row(255)}},
                 {"Join kind",
                  0,
                  {row(0), row(5, {}, "T"), row(5, {}, "U"), row(7, 7, "T", "U", "T.x=U.x")}},
                 {"Attribute", 0, {row(0), row(42)}},
                 {"Union", 0x80, {row(0), row(5, {}, {}, "X7YZ_____1", "SELECT 1")}},
                 {"Empty", 0, {}}},
                Format::Ace2007);
            w.finish();
        }
        const auto queries = readQueries(path);
        QStringList seen;
        for (const auto& q : queries)
            seen << QString::fromStdString(q.name + ": " +
                                           (q.damage.empty() ? AccessSqlText(q) : q.damage));
        QCOMPARE(seen,
                 QStringList({
                     "Attribute: The query 'Attribute' is damaged and cannot be read (unknown "
                     "attribute 42).",
                     "Empty: The query 'Empty' is damaged and cannot be read (no rows in "
                     "MSysQueries).",
                     "Good: SELECT x FROM T;",
                     "Join kind: The query 'Join kind' is damaged and cannot be read (unknown "
                     "join kind 7).",
                     "Union: The query 'Union' is damaged and cannot be read (a union without "
                     "its two parts).",
                 }));
        OpenedTable t = OpenTable(path, "T");
        QCOMPARE(t.rows.Fields().Item(0).value.asInteger(), std::int64_t(7));
    }
};

QTEST_GUILESS_MAIN(SavedQueryTest)
#include "SavedQueryTest.moc"
