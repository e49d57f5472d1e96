// Multi-valued and attachment fields in files of our own writer: the values behind each key as
// one text, and damaged entries that leave one field null, with one warning for the table,
// while every other field and row still reads.
#include "AccessFixtures.h"
#include "db/access/AccessErrors.h"
#include "platform/ComplexSchema.h"

#include <QTest>

#include <zlib.h>

using namespace tabulant;
using namespace tabulant::accesswriter;
using platform::Variant;

Q_DECLARE_METATYPE(tabulant::accesswriter::ComplexKind)

namespace {

Column complexColumn(const std::string& name) { return Column::of(name, ColumnType::Complex); }

// Table "T": "id" and the complex column `values.column`, a row per (id, key; 0 for none), and
// the column's values.
void writeComplexTable(const std::string& path, Format format,
                       std::initializer_list<std::pair<int, int>> rows,
                       const ComplexColumn& values) {
    WriterOptions options;
    options.format = format;
    AccessWriter w(path, options);
    TableWriter& t =
        w.addTable("T", {Column::of("id", ColumnType::Long), complexColumn(values.column)});
    for (const auto& [id, key] : rows)
        t.addRow({Variant::integer(id), key ? Variant::integer(key) : Variant::null()});
    w.addComplexColumn(values);
    w.finish();
}

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

std::string le32(std::uint32_t v) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[std::size_t(i)] = char(v >> (8 * i));
    return out;
}

// An attached file as Access keeps it before packing: header, extension in UTF-16, the bytes.
std::string fileBlock(const std::string& extension, const std::string& bytes) {
    std::string ext;
    for (char c : extension + '\0') ext += std::string{c, '\0'};
    return le32(std::uint32_t(12 + ext.size())) + le32(1) +
           le32(std::uint32_t(extension.size() + 1)) + ext + bytes;
}

std::string deflated(const std::string& block) {
    uLongf size = compressBound(uLong(block.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size,
             reinterpret_cast<const Bytef*>(block.data()), uLong(block.size()));
    out.resize(size);
    return le32(1) + le32(std::uint32_t(block.size())) + out;
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
    void attachedFilesWithTheirRows_data();
    void attachedFilesWithTheirRows();
    void valuesComeInTheOrderOfTheirRows();
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
    ComplexColumn c{"T", "c", kind, {}, {}, {}};
    for (int i = 0; i < values.size(); i += 2) {
        const QVariant& v = values[i + 1];
        const Row value = kind == ComplexKind::Attachment ? attachment(v.toString().toStdString())
                          : kind == ComplexKind::Long
                              ? Row{Variant::integer(v.toInt())}
                              : Row{Variant::text(v.toString().toStdString())};
        c.values.emplace_back(values[i].toInt(), value);
    }
    writeComplexTable(path, Format::Ace2007, {{1, 1}, {2, 2}, {3, 0}}, c);
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

void ComplexFieldsTest::attachedFilesWithTheirRows_data() {
    QTest::addColumn<QByteArray>("stored"); // FileData as the hidden table holds it
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QByteArray>("file"); // the file's bytes
    const std::string text("some text\r\n\x00\xff", 13);
    const std::string block = fileBlock("txt", text);
    auto row = [](const char* name, const std::string& stored, const std::string* file) {
        QTest::newRow(name) << QByteArray::fromStdString(stored) << (file != nullptr)
                            << QByteArray::fromStdString(file ? *file : "");
    };
    const std::string empty;
    row("deflated, as most files are kept", deflated(block), &text);
    row("kept as is", le32(0) + le32(std::uint32_t(block.size())) + block, &text);
    row("an empty file", deflated(fileBlock("", "")), &empty);
    row("stream cut short", deflated(block).substr(0, 20), nullptr);
    row("longer than its stream says",
        deflated(block).substr(0, 4) + le32(99) + deflated(block).substr(8), nullptr);
    row("header beyond the block", le32(0) + le32(12) + le32(400) + le32(1) + le32(1), nullptr);
    row("unknown packing", le32(7) + le32(std::uint32_t(block.size())) + block, nullptr);
    row("too short for its lengths", "\x01\x00", nullptr);
}

// Each value comes with the position of its row in the table (rows without files in between)
// and the file's own bytes, or a reason when its stored form is damaged.
void ComplexFieldsTest::attachedFilesWithTheirRows() {
    QFETCH(QByteArray, stored);
    QFETCH(bool, readable);
    QFETCH(QByteArray, file);
    AccessFixtureDir dir;
    const std::string path = dir.Path("files.accdb");
    ComplexColumn files{"T", "F", ComplexKind::Attachment, {}, {}, {}};
    Row a = attachment("a.txt");
    a[3] = Variant::binary(stored.toStdString());
    files.values = {{5, a}, {7, attachment("orphan.txt")}};
    writeComplexTable(path, Format::Ace2010, {{10, 0}, {20, 5}}, files);
    auto source = OpenAccess(path);
    platform::Recordset columns(source->OpenSchema(platform::adSchemaComplexColumns));
    QCOMPARE(QString::fromStdString(columns.Fields().Item("COMPLEX_KIND").value.payload()),
             QString("attachment"));
    platform::Recordset values(source->OpenTableSchema(platform::adSchemaComplexValues, "t"));
    const platform::FieldList f = values.Fields();
    QCOMPARE(f.Item("PARENT_ROW").value.asInteger(), 2);
    QCOMPARE(QString::fromStdString(f.Item("FILE_NAME").value.payload()), QString("a.txt"));
    QCOMPARE(f.Item("FILE_TIMESTAMP").value, Variant::date(40000.5));
    if (!readable) {
        QVERIFY(f.Item("FILE_DATA").value.isNull());
        QCOMPARE(QString::fromStdString(f.Item("DAMAGE").value.payload()),
                 QString("The attached file 'a.txt' cannot be read: its stored form is damaged."));
    } else {
        QCOMPARE(QByteArray::fromStdString(f.Item("FILE_DATA").value.payload()), file);
        QVERIFY(f.Item("DAMAGE").value.isNull());
    }
    values.MoveNext();
    QVERIFY(values.Eof()); // the orphan's key is no row's
}

// Values stored out of the order of their rows come by row, each row's in the order stored.
void ComplexFieldsTest::valuesComeInTheOrderOfTheirRows() {
    AccessFixtureDir dir;
    const std::string path = dir.Path("order.accdb");
    ComplexColumn tags{"T", "c", ComplexKind::Text, {}, {}, {}};
    for (const auto& [key, text] : {std::pair{6, "b1"}, {5, "a1"}, {6, "b2"}, {5, "a2"}})
        tags.values.push_back({key, {Variant::text(text)}});
    writeComplexTable(path, Format::Ace2010, {{1, 5}, {2, 6}}, tags);
    auto source = OpenAccess(path);
    platform::Recordset values(source->OpenTableSchema(platform::adSchemaComplexValues, "T"));
    QStringList seen;
    for (; !values.Eof(); values.MoveNext())
        seen << QString::number(values.Fields().Item("PARENT_ROW").value.asInteger()) + " " +
                    QString::fromStdString(values.Fields().Item("VALUE").value.payload());
    QCOMPARE(seen, QStringList({"1 a1", "1 a2", "2 b1", "2 b2"}));
}

QTEST_GUILESS_MAIN(ComplexFieldsTest)
#include "ComplexFieldsTest.moc"
