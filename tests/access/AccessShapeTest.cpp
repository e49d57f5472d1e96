// The shape of a database read back from files our writer made: column sizes and properties,
// every kind of index, relationships with and without integrity, in Jet 3 and Jet 4 files;
// through the reader and through the connection's schema rowsets. Damaged index sections and
// relationship rows are errors that name what is damaged, and the rows stay readable.

#include "AccessFixtures.h"
#include "IndexPlan.h"
#include "db/access/AccessDatabase.h"
#include "db/access/ShapeReader.h"
#include "db/access/ShapeText.h"
#include "platform/Error.h"

#include <QFile>
#include <QTest>

using namespace tabulant;
using namespace tabulant::accesswriter;
using platform::Variant;

Q_DECLARE_METATYPE(tabulant::accesswriter::Format)

namespace {

// A line of the shape text, from its fields.
QString line(std::initializer_list<const char*> fields) {
    QStringList f;
    for (const char* s : fields) f << QString::fromUtf8(s);
    return f.join('\t');
}

QStringList lines(const std::string& text) {
    QStringList out = QString::fromStdString(text).split('\n');
    if (!out.isEmpty() && out.back().isEmpty()) out.pop_back();
    return out;
}

Column autoNumber(const char* name, ColumnType type) {
    Column c = Column::of(name, type);
    c.autoNumber = true;
    return c;
}

Column required(Column c) {
    c.required = true;
    return c;
}

// A small shop: keys of one and two columns, a unique index that requires values and one that
// does not, a descending key column, an index leaving out nulls; relationships that cascade
// updates, deletes or set null, one over two columns, one whose integrity is not enforced.
struct Shop {
    std::vector<TableData> tables;
    std::vector<Relationship> relationships;
};

Shop shop(Format format) {
    Shop s;
    TableData customers{
        "Customers",
        {Column::of("CustomerID", ColumnType::Text, 5),
         required(Column::of("CompanyName", ColumnType::Text, 40)),
         Column::of("City", ColumnType::Text, 15), Column::of("Phone", ColumnType::Text, 24)},
        {{Variant::text("ALFKI"), Variant::text("Alfreds"), Variant::null(), Variant::null()}},
        {}};
    customers.options.indexes = {Index::primary("PrimaryKey", {{"CustomerID"}}),
                                 {"City", {{"City"}}},
                                 {"CityPhone", {{"City"}, {"Phone", false}}, false, false, true},
                                 {"CompanyName", {{"CompanyName"}}, false, true}};
    Column link = Column::of("Link", ColumnType::Memo);
    link.hyperlink = true;
    TableData orders{"Orders",
                     {autoNumber("OrderID", ColumnType::Long),
                      Column::of("CustomerID", ColumnType::Text, 5),
                      Column::of("OrderDate", ColumnType::DateTime),
                      Column::of("Paid", ColumnType::Boolean), link},
                     {},
                     {}};
    for (int id = 1; id <= 3; ++id)
        orders.rows.push_back({Variant::integer(id), Variant::text("ALFKI"),
                               Variant::date(45000 + id), Variant::boolean(id == 2),
                               Variant::null()});
    orders.options.indexes = {Index::primary("PrimaryKey", {{"OrderID"}}),
                              {"CustomerID", {{"CustomerID"}}},
                              {"OrderDate", {{"OrderDate", false}}}};
    // Access counts on past deleted rows.
    orders.options.autoNumberCounter = 1000;
    TableData products{"Products",
                       {autoNumber("ProductID", ColumnType::Long),
                        autoNumber("Code", ColumnType::Guid),
                        required(Column::of("ProductName", ColumnType::Text, 40))},
                       {},
                       {}};
    if (format != Format::Jet3) products.columns.push_back(Column::decimal("Price", 10, 4));
    for (int id : {5, 12}) {
        Row r{Variant::integer(id), Variant::text("{6F1E1E37-5D4C-4A8B-9C3D-2E1F0A9B8C7D}"),
              Variant::text("P" + std::to_string(id))};
        if (format != Format::Jet3) r.push_back(Variant::null());
        products.rows.push_back(r);
    }
    products.options.indexes = {Index::primary("PrimaryKey", {{"ProductID"}}),
                                {"ProductName", {{"ProductName"}}, false, true, false, true}};
    TableData details{"Order Details",
                      {Column::of("OrderID", ColumnType::Long),
                       Column::of("ProductID", ColumnType::Long),
                       required(Column::of("Quantity", ColumnType::Integer))},
                      {},
                      {}};
    details.options.indexes = {Index::primary("PrimaryKey", {{"OrderID"}, {"ProductID"}})};
    TableData shipments{
        "Shipments",
        {Column::of("ShipmentID", ColumnType::Long), Column::of("OrderID", ColumnType::Long),
         Column::of("ProductID", ColumnType::Long), Column::of("ShipTo", ColumnType::Text, 5)},
        {},
        {}};
    // An index that requires values makes its columns not null without their Required property.
    shipments.options.indexes = {Index::primary("PrimaryKey", {{"ShipmentID"}}),
                                 {"ShipTo", {{"ShipTo"}}, false, false, false, true}};
    s.tables = {customers, orders, products, details, shipments};

    Relationship customersOrders{
        "CustomersOrders", "Orders", "Customers", {{"CustomerID", "CustomerID"}}};
    customersOrders.cascadeUpdates = true;
    Relationship ordersDetails{
        "OrdersOrder Details", "Order Details", "Orders", {{"OrderID", "OrderID"}}};
    ordersDetails.cascadeDeletes = true;
    Relationship productsDetails{
        "ProductsOrder Details", "Order Details", "Products", {{"ProductID", "ProductID"}}};
    Relationship detailsShipments{"Order DetailsShipments",
                                  "Shipments",
                                  "Order Details",
                                  {{"OrderID", "OrderID"}, {"ProductID", "ProductID"}}};
    detailsShipments.cascadeSetsNull = true;
    Relationship customersShipments{
        "CustomersShipments", "Shipments", "Customers", {{"ShipTo", "CustomerID"}}};
    customersShipments.enforced = false;
    s.relationships = {customersOrders, ordersDetails, productsDetails, detailsShipments,
                       customersShipments};
    return s;
}

std::string writeShop(const AccessFixtureDir& dir, Format format) {
    const std::string path = dir.Path("shop" + std::to_string(int(format)) + ".mdb");
    const Shop s = shop(format);
    WriterOptions options;
    options.format = format;
    writeDatabase(path, s.tables, s.relationships, options);
    return path;
}

std::shared_ptr<db::AccessDatabase> openDatabase(const std::string& path) {
    return db::AccessDatabase::Open(db::ByteSource::File(path), path, "");
}

// The rows of a schema rowset as "value|value|...", null as \N, booleans as 1/0.
QStringList schemaRows(platform::Connection& c, int schema, const QString& onlyTable = {}) {
    platform::Recordset rs(c.OpenSchema(schema));
    QStringList out;
    for (; !rs.Eof(); rs.MoveNext()) {
        QStringList f;
        bool wanted = onlyTable.isEmpty();
        for (int i = 0; i < rs.Fields().Count(); ++i) {
            const platform::Field& field = rs.Fields().Item(i);
            const Variant& v = field.value;
            QString text = v.isNull()                           ? "\\N"
                           : v.kind() == Variant::Kind::Boolean ? (v.asBoolean() ? "1" : "0")
                           : v.kind() == Variant::Kind::Integer
                               ? QString::number(v.asInteger())
                               : QString::fromStdString(v.payload());
            if (field.name.ends_with("TABLE_NAME") && text == onlyTable) wanted = true;
            // Leave out the columns Access never fills.
            const bool alwaysNull = field.name.find("CATALOG") != std::string::npos ||
                                    field.name.find("SCHEMA") != std::string::npos ||
                                    field.name == "DEFERRABILITY";
            if (!alwaysNull) f << text;
        }
        if (wanted) out << f.join('|');
    }
    return out;
}

void patch(const std::string& path, std::size_t offset, std::initializer_list<std::uint8_t> bytes) {
    QFile f(QString::fromStdString(path));
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(static_cast<qint64>(offset)));
    QByteArray b;
    for (std::uint8_t x : bytes) b.append(static_cast<char>(x));
    QCOMPARE(f.write(b), qint64(b.size()));
}

} // namespace

class AccessShapeTest : public QObject {
    Q_OBJECT

private slots:
    void shapeReadsBack_data();
    void shapeReadsBack();
    void schemaRowsets_data();
    void schemaRowsets();
    void damagedIndexSectionsAreAnError_data();
    void damagedIndexSectionsAreAnError();
    void damagedRelationshipIsAnError_data();
    void damagedRelationshipIsAnError();

private:
    AccessFixtureDir dir_;
};

void AccessShapeTest::shapeReadsBack_data() {
    QTest::addColumn<Format>("format");
    QTest::newRow("jet3") << Format::Jet3;
    QTest::newRow("jet4") << Format::Jet4;
    QTest::newRow("ace2010") << Format::Ace2010;
}

void AccessShapeTest::shapeReadsBack() {
    QFETCH(Format, format);
    const std::string path = writeShop(dir_, format);
    const QStringList got = lines(db::ShapeText(db::ReadDatabaseShape(*openDatabase(path))));

    QStringList want{
        line({"table", "Customers", "\\N"}),
        line({"column", "Customers", "CustomerID", "Text", "5", "not null", "-"}),
        line({"column", "Customers", "CompanyName", "Text", "40", "not null", "required"}),
        line({"column", "Customers", "City", "Text", "15", "null", "-"}),
        line({"column", "Customers", "Phone", "Text", "24", "null", "-"}),
        // Stored by name: the relationship's entry on the referenced side first.
        line({"index", "Customers", ".rB", "foreign", "referenced", "+CustomerID"}),
        line({"index", "Customers", "City", "index", "-", "+City"}),
        line({"index", "Customers", "CityPhone", "index", "ignore-nulls", "+City", "-Phone"}),
        line({"index", "Customers", "CompanyName", "unique", "-", "+CompanyName"}),
        line({"index", "Customers", "PrimaryKey", "primary", "required", "+CustomerID"}),
        line({"table", "Order Details", "\\N"}),
        line({"column", "Order Details", "OrderID", "Long Integer", "-", "not null", "-"}),
        line({"column", "Order Details", "ProductID", "Long Integer", "-", "not null", "-"}),
        line({"column", "Order Details", "Quantity", "Integer", "-", "not null", "required"}),
        line({"index", "Order Details", ".rB", "foreign", "referenced", "+OrderID", "+ProductID"}),
        line({"index", "Order Details", "OrdersOrder Details", "foreign", "referencing",
              "+OrderID"}),
        line({"index", "Order Details", "PrimaryKey", "primary", "required", "+OrderID",
              "+ProductID"}),
        line({"index", "Order Details", "ProductsOrder Details", "foreign", "referencing",
              "+ProductID"}),
        line({"table", "Orders", "1000"}),
        line({"column", "Orders", "OrderID", "Long Integer", "-", "not null", "autonumber"}),
        line({"column", "Orders", "CustomerID", "Text", "5", "null", "-"}),
        line({"column", "Orders", "OrderDate", "Date/Time", "-", "null", "-"}),
        line({"column", "Orders", "Paid", "Yes/No", "-", "not null", "-"}),
        line({"column", "Orders", "Link", "Hyperlink", "-", "null", "-"}),
        line({"index", "Orders", ".rB", "foreign", "referenced", "+OrderID"}),
        line({"index", "Orders", "CustomerID", "index", "-", "+CustomerID"}),
        line({"index", "Orders", "CustomersOrders", "foreign", "referencing", "+CustomerID"}),
        line({"index", "Orders", "OrderDate", "index", "-", "-OrderDate"}),
        line({"index", "Orders", "PrimaryKey", "primary", "required", "+OrderID"}),
        // The highest AutoNumber of the rows, when nothing says otherwise.
        line({"table", "Products", "12"}),
        line({"column", "Products", "ProductID", "Long Integer", "-", "not null", "autonumber"}),
        line({"column", "Products", "Code", "Replication ID", "-", "null", "autonumber"}),
        line({"column", "Products", "ProductName", "Text", "40", "not null", "required"}),
        line({"index", "Products", ".rB", "foreign", "referenced", "+ProductID"}),
        line({"index", "Products", "PrimaryKey", "primary", "required", "+ProductID"}),
        line({"index", "Products", "ProductName", "unique", "required", "+ProductName"}),
        line({"table", "Shipments", "\\N"}),
        line({"column", "Shipments", "ShipmentID", "Long Integer", "-", "not null", "-"}),
        line({"column", "Shipments", "OrderID", "Long Integer", "-", "null", "-"}),
        line({"column", "Shipments", "ProductID", "Long Integer", "-", "null", "-"}),
        line({"column", "Shipments", "ShipTo", "Text", "5", "not null", "-"}),
        line({"index", "Shipments", "Order DetailsShipments", "foreign", "referencing", "+OrderID",
              "+ProductID"}),
        line({"index", "Shipments", "PrimaryKey", "primary", "required", "+ShipmentID"}),
        line({"index", "Shipments", "ShipTo", "index", "required", "+ShipTo"}),
        line({"relationship", "CustomersOrders", "Orders", "Customers", "enforced,cascade-updates",
              "CustomerID", "CustomerID"}),
        line({"relationship", "CustomersShipments", "Shipments", "Customers", "not-enforced",
              "ShipTo", "CustomerID"}),
        line({"relationship", "Order DetailsShipments", "Shipments", "Order Details",
              "enforced,cascade-set-null", "OrderID", "OrderID", "ProductID", "ProductID"}),
        line({"relationship", "OrdersOrder Details", "Order Details", "Orders",
              "enforced,cascade-deletes", "OrderID", "OrderID"}),
        line({"relationship", "ProductsOrder Details", "Order Details", "Products", "enforced",
              "ProductID", "ProductID"}),
    };
    // Jet 3 has no Decimal type.
    if (format != Format::Jet3)
        want.insert(
            want.indexOf(line({"index", "Products", ".rB", "foreign", "referenced", "+ProductID"})),
            line({"column", "Products", "Price", "Decimal", "10,4", "null", "-"}));
    QCOMPARE(got, want);
}

void AccessShapeTest::schemaRowsets_data() { shapeReadsBack_data(); }

void AccessShapeTest::schemaRowsets() {
    QFETCH(Format, format);
    const std::string path = writeShop(dir_, format);
    auto c = OpenAccess(path);
    using C = platform::Connection;

    // TABLE_NAME COLUMN_NAME ORDINAL_POSITION IS_NULLABLE DATA_TYPE CHARACTER_MAXIMUM_LENGTH
    // NUMERIC_PRECISION NUMERIC_SCALE ACCESS_TYPE IS_REQUIRED IS_AUTONUMBER AUTONUMBER_COUNTER
    // IS_CALCULATED COLUMN_DEFAULT DESCRIPTION VALIDATION_RULE VALIDATION_TEXT ALLOW_ZERO_LENGTH
    QCOMPARE(
        schemaRows(*c, C::adSchemaColumns, "Orders"),
        (QStringList{"Orders|OrderID|1|0|3|\\N|\\N|\\N|Long Integer|0|1|1000|0|\\N|\\N|\\N|\\N|\\N",
                     "Orders|CustomerID|2|1|202|5|\\N|\\N|Text|0|0|\\N|0|\\N|\\N|\\N|\\N|\\N",
                     "Orders|OrderDate|3|1|7|\\N|\\N|\\N|Date/Time|0|0|\\N|0|\\N|\\N|\\N|\\N|\\N",
                     "Orders|Paid|4|0|11|\\N|\\N|\\N|Yes/No|0|0|\\N|0|\\N|\\N|\\N|\\N|\\N",
                     "Orders|Link|5|1|203|\\N|\\N|\\N|Hyperlink|0|0|\\N|0|\\N|\\N|\\N|\\N|\\N"}));
    QStringList products{
        "Products|ProductID|1|0|3|\\N|\\N|\\N|Long Integer|0|1|12|0|\\N|\\N|\\N|\\N|\\N",
        "Products|Code|2|1|72|\\N|\\N|\\N|Replication ID|0|1|\\N|0|\\N|\\N|\\N|\\N|\\N",
        "Products|ProductName|3|0|202|40|\\N|\\N|Text|1|0|\\N|0|\\N|\\N|\\N|\\N|\\N"};
    if (format != Format::Jet3)
        products << "Products|Price|4|1|131|\\N|10|4|Decimal|0|0|\\N|0|\\N|\\N|\\N|\\N|\\N";
    QCOMPARE(schemaRows(*c, C::adSchemaColumns, "Products"), products);

    // TABLE_NAME INDEX_NAME PRIMARY_KEY UNIQUE NULLS ORDINAL_POSITION COLUMN_NAME COLLATION:
    // one index per stored index, under the primary key's or the index's own name; where only
    // relationships name a stored index, it is listed under the referencing one's name.
    QCOMPARE(schemaRows(*c, C::adSchemaIndexes, "Customers"),
             (QStringList{"Customers|City|0|0|0|1|City|1", "Customers|CityPhone|0|0|2|1|City|1",
                          "Customers|CityPhone|0|0|2|2|Phone|2",
                          "Customers|CompanyName|0|1|0|1|CompanyName|1",
                          "Customers|PrimaryKey|1|1|1|1|CustomerID|1"}));
    QCOMPARE(schemaRows(*c, C::adSchemaIndexes, "Order Details"),
             (QStringList{"Order Details|OrdersOrder Details|0|0|0|1|OrderID|1",
                          "Order Details|PrimaryKey|1|1|1|1|OrderID|1",
                          "Order Details|PrimaryKey|1|1|1|2|ProductID|1",
                          "Order Details|ProductsOrder Details|0|0|0|1|ProductID|1"}));
    QCOMPARE(schemaRows(*c, C::adSchemaIndexes, "Orders"),
             (QStringList{"Orders|CustomerID|0|0|0|1|CustomerID|1",
                          "Orders|OrderDate|0|0|0|1|OrderDate|2",
                          "Orders|PrimaryKey|1|1|1|1|OrderID|1"}));

    // TABLE_NAME COLUMN_NAME ORDINAL PK_NAME
    QCOMPARE(schemaRows(*c, C::adSchemaPrimaryKeys),
             (QStringList{"Customers|CustomerID|1|PrimaryKey", "Order Details|OrderID|1|PrimaryKey",
                          "Order Details|ProductID|2|PrimaryKey", "Orders|OrderID|1|PrimaryKey",
                          "Products|ProductID|1|PrimaryKey", "Shipments|ShipmentID|1|PrimaryKey"}));

    // PK_TABLE_NAME PK_COLUMN_NAME FK_TABLE_NAME FK_COLUMN_NAME ORDINAL UPDATE_RULE DELETE_RULE
    // PK_NAME FK_NAME IS_ENFORCED
    QCOMPARE(
        schemaRows(*c, C::adSchemaForeignKeys),
        (QStringList{"Customers|CustomerID|Orders|CustomerID|1|CASCADE|NO ACTION|PrimaryKey|"
                     "CustomersOrders|1",
                     "Customers|CustomerID|Shipments|ShipTo|1|NO ACTION|NO ACTION|PrimaryKey|"
                     "CustomersShipments|0",
                     "Order Details|OrderID|Shipments|OrderID|1|NO ACTION|SET NULL|PrimaryKey|"
                     "Order DetailsShipments|1",
                     "Order Details|ProductID|Shipments|ProductID|2|NO ACTION|SET NULL|PrimaryKey|"
                     "Order DetailsShipments|1",
                     "Orders|OrderID|Order Details|OrderID|1|NO ACTION|CASCADE|PrimaryKey|"
                     "OrdersOrder Details|1",
                     "Products|ProductID|Order Details|ProductID|1|NO ACTION|NO ACTION|PrimaryKey|"
                     "ProductsOrder Details|1"}));

    // Schemas the reader does not offer stay refused.
    QVERIFY_THROWS_EXCEPTION(platform::Error, c->OpenSchema(6));
}

void AccessShapeTest::damagedIndexSectionsAreAnError_data() {
    QTest::addColumn<Format>("format");
    QTest::addColumn<QString>("damage");
    for (Format f : {Format::Jet3, Format::Jet4})
        for (const char* d : {"logical count", "key column", "real index", "kind"})
            QTest::addRow("%s %s", f == Format::Jet3 ? "jet3" : "jet4", d) << f << QString(d);
}

void AccessShapeTest::damagedIndexSectionsAreAnError() {
    QFETCH(Format, format);
    QFETCH(QString, damage);
    const bool jet3 = format == Format::Jet3;
    const std::string path = dir_.Path("damaged.mdb");
    std::uint32_t page = 0;
    {
        WriterOptions options;
        options.format = format;
        AccessWriter w(path, options);
        const Shop s = shop(format);
        const TableData& orders = s.tables[1];
        TableWriter& t = w.addTable(orders.name, orders.columns, orders.options);
        for (const Row& r : orders.rows) t.addRow(r);
        page = t.definitionPage();
        w.finish();
    }
    // Orders: three stored indexes, three entries; five columns whose names take 34 characters.
    const std::size_t start = std::size_t{page} * (jet3 ? 2048 : 4096);
    const std::size_t reals =
        start + (jet3 ? 43 + 3 * 8 + 5 * 18 + 5 + 34 : 63 + 3 * 12 + 5 * 25 + 5 * 2 + 2 * 34);
    const std::size_t logicals = reals + 3 * (jet3 ? 39 : 52);
    if (damage == "logical count")
        patch(path, start + (jet3 ? 27 : 47), {0xE8, 0x03}); // 1000 entries: past the page
    else if (damage == "key column")
        patch(path, reals + (jet3 ? 0 : 4), {200, 0}); // a column the table lacks
    else if (damage == "real index")
        patch(path, logicals + (jet3 ? 4 : 8), {3, 0, 0, 0}); // only 0 to 2 exist
    else
        patch(path, logicals + (jet3 ? 19 : 23), {7}); // neither plain, primary nor foreign

    auto db = openDatabase(path);
    try {
        db::ReadTableShapes(*db);
        QFAIL("damaged index sections were read");
    } catch (const platform::Error& e) {
        QCOMPARE(e.description(),
                 "The indexes of the table 'Orders' are damaged and cannot be read.");
    }
    auto c = OpenAccess(path);
    QVERIFY_THROWS_EXCEPTION(platform::Error, c->OpenSchema(platform::Connection::adSchemaIndexes));
    // The rows do not depend on the indexes.
    platform::Recordset rows;
    rows.Open("SELECT * FROM `Orders`", *c);
    QCOMPARE(rows.RecordCount(), 3);
}

void AccessShapeTest::damagedRelationshipIsAnError_data() {
    QTest::addColumn<Format>("format");
    QTest::addColumn<QString>("damage");
    for (Format f : {Format::Jet3, Format::Jet4})
        for (const char* d :
             {"position past the count", "position twice", "pair missing", "table missing"})
            QTest::addRow("%s %s", f == Format::Jet3 ? "jet3" : "jet4", d) << f << QString(d);
}

void AccessShapeTest::damagedRelationshipIsAnError() {
    QFETCH(Format, format);
    QFETCH(QString, damage);
    // MSysRelationships written row by row: ccolumn, grbit, icolumn, szColumn, szObject,
    // szReferencedColumn, szReferencedObject, szRelationship.
    auto row = [](int count, int position, Variant table) {
        return Row{Variant::integer(count),
                   Variant::integer(0),
                   Variant::integer(position),
                   Variant::text("A"),
                   table,
                   Variant::text("B"),
                   Variant::text("T2"),
                   Variant::text("T2T1")};
    };
    std::vector<Row> rows;
    if (damage == "position past the count")
        rows = {row(1, 3, Variant::text("T1"))};
    else if (damage == "position twice")
        rows = {row(2, 0, Variant::text("T1")), row(2, 0, Variant::text("T1"))};
    else if (damage == "pair missing")
        rows = {row(2, 1, Variant::text("T1"))};
    else
        rows = {row(1, 0, Variant::null())};
    TableOptions sys;
    sys.flags = kSystemObjectFlags;
    sys.systemTable = true;
    const std::string path = dir_.Path("relationships.mdb");
    WriterOptions options;
    options.format = format;
    writeDatabase(path,
                  {{"T1", {Column::of("A", ColumnType::Long)}, {{Variant::integer(1)}}, {}},
                   {"MSysRelationships", relationshipColumns(), rows, sys}},
                  options);

    auto c = OpenAccess(path);
    try {
        c->OpenSchema(platform::Connection::adSchemaForeignKeys);
        QFAIL("a damaged relationship was read");
    } catch (const platform::Error& e) {
        QCOMPARE(e.description(), "The relationship 'T2T1' is damaged and cannot be read.");
    }
    // The tables' own shape does not depend on the relationships.
    QCOMPARE(schemaRows(*c, platform::Connection::adSchemaColumns),
             QStringList{"T1|A|1|1|3|\\N|\\N|\\N|Long Integer|0|0|\\N|0|\\N|\\N|\\N|\\N|\\N"});
}

QTEST_GUILESS_MAIN(AccessShapeTest)
#include "AccessShapeTest.moc"
