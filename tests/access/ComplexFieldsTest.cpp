// Multi-valued and attachment fields in files of our own writer: the values behind each key as
// one text, and damaged entries that leave one field null, with one warning for the table,
// while every other field and row still reads.
#include "AccessFixtures.h"
#include "db/access/AccessErrors.h"

#include <QTest>

using namespace tabulant;
using namespace tabulant::accesswriter;
using platform::Variant;

Q_DECLARE_METATYPE(tabulant::accesswriter::ComplexKind)

namespace {

Column complexColumn(const std::string& name) { return Column::of(name, ColumnType::Complex); }

Row attachment(const std::string& fileName) {
    return {Variant::null(),        Variant::text(fileName),
            Variant::text("txt"),   Variant::binary("data of " + fileName),
            Variant::date(40000.5), Variant::null()};
}

// How the complex column "Tags" of the test table is damaged.
enum class Damage {
    None,
    FlatTableMissing,
    FlatTableIsDataPage,
    TypeTableIsDataPage,
    NoKeyColumn,
    NoEntry,
    CatalogueEntryDamaged
};

// Table "T": id, Tags (multi-valued text), Files (attachments, always intact). Rows 1..3; row 1
// has two tags and a file, row 2 none, row 3 a null cell for both.
void writeTagged(const std::string& path, Damage damage) {
    WriterOptions options;
    options.format = Format::Ace2010;
    AccessWriter w(path, options);
    TableWriter& t = w.addTable(
        "T", {Column::of("id", ColumnType::Long), complexColumn("Tags"), complexColumn("Files")});
    t.addRow({Variant::integer(1), Variant::integer(1), Variant::integer(1)});
    t.addRow({Variant::integer(2), Variant::integer(2), Variant::integer(2)});
    t.addRow({Variant::integer(3), Variant::null(), Variant::null()});
    TableWriter& noKey = w.addTable("NoKey", {Column::of("Value", ColumnType::Text, 255)});
    ComplexColumn tags{"T", "Tags", ComplexKind::Text, {}, {}, {}};
    tags.values = {{1, {Variant::text("red")}}, {1, {Variant::text("green")}}};
    switch (damage) {
    case Damage::FlatTableMissing:
        tags.flatTableId = 0x00FFFFF0;
        break;
    case Damage::FlatTableIsDataPage:
        tags.flatTableId = 1; // a page of usage maps
        break;
    case Damage::TypeTableIsDataPage:
        tags.typeTableId = 1;
        break;
    case Damage::NoKeyColumn:
        tags.flatTableId = static_cast<std::int32_t>(noKey.definitionPage());
        break;
    case Damage::CatalogueEntryDamaged:
        // A second catalogue row of that name, found first, whose definition page is no table.
        w.addCatalogEntry(
            {"MSysComplexColumns", ObjectType::Table, 0, kSystemObjectFlags, "", "", "", 1});
        break;
    default:
        break;
    }
    if (damage != Damage::NoEntry) w.addComplexColumn(tags);
    ComplexColumn files{"T", "Files", ComplexKind::Attachment, {}, {}, {}};
    files.values = {{1, attachment("a.txt")}};
    w.addComplexColumn(files);
    w.finish();
}

} // namespace

Q_DECLARE_METATYPE(Damage)

class ComplexFieldsTest : public QObject {
    Q_OBJECT

private slots:
    void valuesJoinedPerKey_data();
    void valuesJoinedPerKey();
    void damagedEntryLeavesOneFieldNull_data();
    void damagedEntryLeavesOneFieldNull();
};

void ComplexFieldsTest::valuesJoinedPerKey_data() {
    QTest::addColumn<ComplexKind>("kind");
    QTest::addColumn<QVariantList>("values"); // key, then the value's fields, per entry
    QTest::addColumn<QString>("key1");        // the text for key 1; "<null>" for none
    QTest::addColumn<QString>("key2");
    auto text = [](int key, const char* v) { return QVariantList{key, QString::fromUtf8(v)}; };
    QTest::newRow("texts in the order stored")
        << ComplexKind::Text
        << (text(1, "b\xC3\xA4r") + text(2, "x") + text(1, "a;b") + text(1, ""))
        << QString::fromUtf8("b\xC3\xA4r;a;b;") << "x";
    QTest::newRow("numbers") << ComplexKind::Long << QVariantList{1, -5, 1, 70000, 2, 0}
                             << "-5;70000"
                             << "0";
    QTest::newRow("a key without values is null")
        << ComplexKind::Text << text(2, "only two") << "<null>"
        << "only two";
    QTest::newRow("attachments by file name")
        << ComplexKind::Attachment << QVariantList{1, "one.pdf", 1, "two.png"} << "one.pdf;two.png"
        << "<null>";
}

void ComplexFieldsTest::valuesJoinedPerKey() {
    QFETCH(ComplexKind, kind);
    QFETCH(QVariantList, values);
    QFETCH(QString, key1);
    QFETCH(QString, key2);
    AccessFixtureDir dir;
    const std::string path = dir.Path("complex.accdb");
    {
        WriterOptions options;
        options.format = Format::Ace2007;
        AccessWriter w(path, options);
        TableWriter& t = w.addTable("T", {Column::of("id", ColumnType::Long), complexColumn("c")});
        for (int key : {1, 2}) t.addRow({Variant::integer(key), Variant::integer(key)});
        t.addRow({Variant::integer(3), Variant::null()});
        ComplexColumn c{"T", "c", kind, {}, {}, {}};
        for (int i = 0; i < values.size(); i += 2) {
            const QVariant& v = values[i + 1];
            const Row value =
                kind == ComplexKind::Attachment ? attachment(v.toString().toStdString())
                : kind == ComplexKind::Long     ? Row{Variant::integer(v.toInt())}
                                                : Row{Variant::text(v.toString().toStdString())};
            c.values.emplace_back(values[i].toInt(), value);
        }
        w.addComplexColumn(c);
        w.finish();
    }
    OpenedTable t = OpenTable(path, "T");
    const platform::FieldList f = t.rows.Fields();
    QCOMPARE(int(f.Item("c").type), 203);
    for (const QString& expected : {key1, key2, QString("<null>")}) {
        QVERIFY(!t.rows.Eof());
        const Variant& v = f.Item("c").value;
        if (expected == "<null>")
            QVERIFY2(v.isNull(), v.payload().c_str());
        else
            QCOMPARE(QString::fromStdString(v.payload()), expected);
        t.rows.MoveNext();
    }
    QVERIFY(t.rows.Eof());
    QVERIFY(t.rows.TakeWarnings().empty());
}

void ComplexFieldsTest::damagedEntryLeavesOneFieldNull_data() {
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<bool>("filesToo"); // the intact field is lost as well
    QTest::newRow("flat table beyond the file") << Damage::FlatTableMissing << false;
    QTest::newRow("flat table id names a data page") << Damage::FlatTableIsDataPage << false;
    QTest::newRow("type table id names a data page") << Damage::TypeTableIsDataPage << false;
    QTest::newRow("flat table without a key column") << Damage::NoKeyColumn << false;
    QTest::newRow("no entry for the field") << Damage::NoEntry << false;
    QTest::newRow("MSysComplexColumns unreadable") << Damage::CatalogueEntryDamaged << true;
}

void ComplexFieldsTest::damagedEntryLeavesOneFieldNull() {
    QFETCH(Damage, damage);
    QFETCH(bool, filesToo);
    AccessFixtureDir dir;
    const std::string path = dir.Path("damaged.accdb");
    writeTagged(path, damage);
    OpenedTable t = OpenTable(path, "T");
    QCOMPARE(t.rows.RecordCount(), 3);
    const platform::FieldList f = t.rows.Fields();
    std::vector<std::int64_t> ids;
    for (; !t.rows.Eof(); t.rows.MoveNext()) {
        ids.push_back(f.Item("id").value.asInteger());
        QVERIFY(f.Item("Tags").value.isNull());
        const bool hasFile = ids.back() == 1 && !filesToo;
        QVERIFY(f.Item("Files").value == (hasFile ? Variant::text("a.txt") : Variant::null()));
    }
    QCOMPARE(ids, (std::vector<std::int64_t>{1, 2, 3}));
    const std::vector<platform::Error> warnings = t.rows.TakeWarnings();
    QCOMPARE(warnings.size(), std::size_t{1});
    const std::string expected =
        filesToo ? "The values of the fields 'Tags', 'Files' in the table 'T' are damaged and "
                   "cannot be read; the fields are left empty (Null) in every row."
                 : "The values of the field 'Tags' in the table 'T' are damaged and cannot be "
                   "read; the field is left empty (Null) in every row.";
    QCOMPARE(warnings[0].description(), expected);
    QCOMPARE(warnings[0].number(), db::accesserrors::Failure);
    QVERIFY(t.rows.TakeWarnings().empty()); // told once
}

QTEST_GUILESS_MAIN(ComplexFieldsTest)
#include "ComplexFieldsTest.moc"
