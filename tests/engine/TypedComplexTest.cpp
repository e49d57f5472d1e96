// Attachments, multi-valued fields and version histories in the typed conversion, on a real
// PostgreSQL server: a file written by Access itself (its expected contents are the ones its
// source project's tests state, see tests/access/files/README.md) and one of our own writer whose
// table has no primary key and a damaged attachment.

#include "TypedRun.h"
#include "accesswriter/AccessWriter.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tabulant;
using namespace tabulant::accesswriter;
using platform::Variant;
using testing::TestServer;
using testing::TypedRun;

namespace {

constexpr std::string_view Database = "typed_complex";

QString Sql(std::string_view sql) {
    return QString::fromStdString(TestServer::shared().psql(sql, Database));
}

std::string le32(std::uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

// An attached file in the form Access keeps one unpacked: header, "txt" in UTF-16, the bytes.
std::string keptAsIs(const std::string& bytes) {
    const std::string block =
        le32(20) + le32(1) + le32(4) + std::string("t\0x\0t\0\0\0", 8) + bytes;
    return le32(0) + le32(std::uint32_t(block.size())) + block;
}

} // namespace

class TypedComplexTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestServer::shared().recreateDatabase(Database); }
    void accessFileArrivesWhole_data();
    void accessFileArrivesWhole();
    void rowsWithoutKeyAreNumbered();
};

void TypedComplexTest::accessFileArrivesWhole_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("expected");
    QTest::newRow("attachments with their bytes")
        << R"(select id, "FileName", "FileType", "FileTimeStamp" is null, )"
           R"(convert_from("FileData", 'UTF8') from "Table1_attach-data" order by id, "FileName")"
        << "row2|test_data.txt|txt|t|this is some test data for attachment.\n"
           "row2|test_data2.txt|txt|t|this is some more test data for attachment.\n"
           "row4|test_data2.txt|txt|t|this is some more test data for attachment.";
    QTest::newRow("multiple values")
        << R"(select id, string_agg("Value", ',' order by "Value") from "Table1_multi-value-data" )"
           R"(group by id order by id)"
        << "row2|value1,value4\nrow3|value1,value2,value3,value4";
    // The source project states these moments as milliseconds since 1970 in New York's time.
    QTest::newRow("versions to the millisecond")
        << R"(select id, "Value", to_char("Modified", 'YYYY-MM-DD HH24:MI:SS.MS') from )"
           R"("Table1_VersionHistory_F5F8918F-0A3F-4DA9-AE71-184EE5012880" order by "Modified")"
        << "row2|row2-memo|2011-09-12 21:21:02.334\n"
           "row3|row3-memo|2011-09-12 21:21:19.126\n"
           "row4|row4-memo|2011-09-12 21:22:25.758\n"
           "row3|row3-memo-revised|2011-09-12 21:22:33.077\n"
           "row3|row3-memo-again|2011-09-12 21:22:45.382";
    QTest::newRow("the table's own columns as before")
        << R"(select "attach-data", "multi-value-data" from "Table1" where id = 'row2')"
        << "test_data.txt;test_data2.txt|value1;value4";
    QTest::newRow("tied to their rows") << R"(delete from "Table1" where id = 'row3'; )"
                                           R"(select count(*) from "Table1_multi-value-data")"
                                        << "2";
}

void TypedComplexTest::accessFileArrivesWhole() {
    QFETCH(QString, query);
    QFETCH(QString, expected);
    // Converted anew for each case: the last one changes the rows.
    TypedRun run(TABULANT_ACCESS_FILES "/complexDataTestV2007.accdb", Database);
    run.window.Direct();
    run.prompts.SetDefaultAnswer(platform::Prompts::Answer::Yes);
    run.Run();
    QCOMPARE(run.prompts.ErrorReports().size(), std::size_t(0));
    QCOMPARE(Sql(query.toStdString()), expected);
}

void TypedComplexTest::rowsWithoutKeyAreNumbered() {
    QTemporaryDir folder;
    const std::string path = folder.filePath("nokey.accdb").toStdString();
    {
        WriterOptions options;
        options.format = Format::Ace2010;
        AccessWriter w(path, options);
        TableWriter& t = w.addTable("NoKey", {Column::of("id", ColumnType::Long),
                                              Column::of("Files", ColumnType::Complex)});
        t.addRow({Variant::integer(1), Variant::null()});
        t.addRow({Variant::integer(1), Variant::integer(9)});
        ComplexColumn files{"NoKey", "Files", ComplexKind::Attachment, {}, {}, {}};
        auto file = [](const char* name, const std::string& data, const Variant& url,
                       const Variant& flags) {
            return Row{url,
                       Variant::text(name),
                       Variant::text("txt"),
                       Variant::binary(data),
                       Variant::date(40000.75),
                       flags};
        };
        files.values = {{9, file("good.txt", keptAsIs("kept"), Variant::text("http://x/good.txt"),
                                 Variant::integer(4))},
                        {9, file("bad.txt", "broken", Variant::null(), Variant::null())}};
        w.addComplexColumn(files);
        w.finish();
    }
    TypedRun run(path, Database);
    run.window.Direct();
    run.prompts.SetDefaultAnswer(platform::Prompts::Answer::Yes);
    run.Run();
    const std::vector<std::string> reports = run.prompts.ErrorReports();
    QCOMPARE(reports.size(), std::size_t(1));
    QVERIFY2(reports[0].find("The attached file 'bad.txt' cannot be read") != std::string::npos,
             reports[0].c_str());
    QCOMPARE(
        Sql(R"(select "ParentRow", "FileName", "FileTimeStamp", encode("FileData", 'escape'), )"
            R"("FileURL", "FileFlags" from "NoKey_Files" order by "FileName")"),
        QString("2|bad.txt|2009-07-06 18:00:00|||\n"
                "2|good.txt|2009-07-06 18:00:00|kept|http://x/good.txt|4"));
}

QTEST_GUILESS_MAIN(TypedComplexTest)
#include "TypedComplexTest.moc"
