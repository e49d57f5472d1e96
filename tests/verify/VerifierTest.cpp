// The verifier against a real server: a file written by our Access writer, converted by the
// real run in either mapping, verifies identical; each kind of damage done to the server's copy
// afterwards is found and named; the sums taken while the run loads are those read from the file.

#include "engine/verify/Verifier.h"
#include "TypedRun.h"
#include "accesswriter/AccessWriter.h"
#include "engine/verify/LoadSums.h"
#include "engine/verify/ReportText.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tabulant;
using namespace tabulant::accesswriter;
using engine::verify::TableCheck;
using platform::Variant;
using testing::TestServer;

namespace {

constexpr std::string_view Database = "verify_checks";

Column Of(std::string name, ColumnType type, int size = 0) {
    return Column::of(std::move(name), type, size);
}

// Values at the places where the text the server shows differs from the literal sent: scale,
// exponents, quotes, line breaks, dates, booleans, nulls beside empty texts.
std::vector<TableData> Tables() {
    TableData people{"verify_People",
                     {Of("ID", ColumnType::Long), Of("Name", ColumnType::Text, 40),
                      Of("Nick", ColumnType::Text, 40), Of("Note", ColumnType::Memo),
                      Of("Amount", ColumnType::Currency), Of("Ratio", ColumnType::Double),
                      Of("Share", ColumnType::Single), Of("Born", ColumnType::DateTime),
                      Of("Active", ColumnType::Boolean), Of("Photo", ColumnType::Ole)},
                     {},
                     {}};
    people.rows = {
        {Variant::integer(1), Variant::text("O'Brien"), Variant::text("Obi"),
         Variant::text("line one\r\nline two \\ back"), Variant::currency(12300),
         Variant::real(0.1 + 0.2), Variant::single(0.1f),
         Variant::date(oleDate(1765, 4, 24, 5, 45, 36)), Variant::boolean(true),
         Variant::binary(std::string("\x00\xff", 2))},
        {Variant::integer(2), Variant::text("Zoë"), Variant::text("Zo"), Variant::text(""),
         Variant::currency(-5), Variant::real(1e20), Variant::single(1e6f),
         Variant::date(oleDate(2024, 2, 29)), Variant::boolean(false), Variant()},
        {Variant::integer(3), Variant::text("12.50"), Variant::text("x"), Variant::text("3"),
         Variant::currency(0), Variant::real(-1e-5), Variant::single(-0.0f), Variant(),
         Variant::boolean(false), Variant()},
        {Variant::integer(4), Variant::text("Dup"), Variant::text("Dup2"), Variant(), Variant(),
         Variant(), Variant(), Variant::date(oleDate(1899, 12, 30, 12, 0, 0.25)),
         Variant::boolean(true), Variant()}};
    TableData empty{"verify_Empty", {Of("Only", ColumnType::Text, 10)}, {}, {}};
    return {people, empty};
}

struct Conversion : testing::TypedRun {
    Conversion(const std::string& path, engine::PolicyKind policy)
        : TypedRun(path, Database, policy) {}
    void Run(engine::RowTap* tap = nullptr) {
        engine::RunOptions options;
        options.rowTap = tap;
        TypedRun::Run(std::move(options));
    }
    engine::verify::VerifyReport Verify(std::vector<std::string> tables = {},
                                        const engine::verify::LoadSums* taken = nullptr) {
        engine::verify::Verifier verifier({factory, prompts, events, regional});
        engine::verify::VerifyRequest request{window, window.policy, std::move(tables), {}};
        request.taken = taken;
        return verifier.Run(request);
    }
};

std::string Sql(std::string_view sql) { return TestServer::shared().psql(sql, Database); }

QString Lines(const engine::verify::VerifyReport& report) {
    QString text;
    for (const TableCheck& t : report.tables)
        text += QString::fromStdString(engine::verify::TableLine(t)) + "\n";
    return text + QString::fromStdString(report.problem);
}

} // namespace

class VerifierTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    std::string path_;

private slots:
    void initTestCase() {
        path_ = folder_.filePath("verify.mdb").toStdString();
        writeDatabase(path_, Tables());
    }

    void cleanConversionIsIdentical_data() {
        QTest::addColumn<int>("policy");
        QTest::addColumn<QString>("people");
        QTest::addRow("specified")
            << int(engine::PolicyKind::Specified) << "verify_People: 4 rows, 9 columns: identical";
        QTest::addRow("typed") << int(engine::PolicyKind::Typed)
                               << "verify_People: 4 rows, 10 columns: identical";
    }

    void cleanConversionIsIdentical() {
        QFETCH(int, policy);
        QFETCH(QString, people);
        TestServer::shared().recreateDatabase(Database);
        Conversion conversion(path_, static_cast<engine::PolicyKind>(policy));
        conversion.Run();
        QCOMPARE(conversion.prompts.ErrorReports(), std::vector<std::string>{});
        const auto report = conversion.Verify();
        QCOMPARE(Lines(report), "verify_Empty: 0 rows, 1 column: identical\n" + people + "\n");
        QCOMPARE(report.ExitStatus(), 0);
        QCOMPARE(report.fileSha256.size(), std::size_t{64});
    }

    // The statements the run sends, one INSERT a row or COPY, summed as they go, give the sums a
    // reading of the file gives; damage done after the load is found with them.
    void sumsTakenWhileLoadingAreTheFilesSums_data() {
        QTest::addColumn<int>("policy");
        QTest::addColumn<bool>("bulk");
        QTest::addRow("specified, INSERT") << int(engine::PolicyKind::Specified) << false;
        QTest::addRow("specified, COPY") << int(engine::PolicyKind::Specified) << true;
        QTest::addRow("typed, INSERT") << int(engine::PolicyKind::Typed) << false;
        QTest::addRow("typed, COPY") << int(engine::PolicyKind::Typed) << true;
    }

    void sumsTakenWhileLoadingAreTheFilesSums() {
        QFETCH(int, policy);
        QFETCH(bool, bulk);
        TestServer::shared().recreateDatabase(Database);
        Conversion conversion(path_, static_cast<engine::PolicyKind>(policy));
        conversion.window.bulk = bulk;
        engine::verify::LoadSums taken(conversion.window, {});
        conversion.Run(&taken);
        QCOMPARE(conversion.prompts.ErrorReports(), std::vector<std::string>{});
        QVERIFY(taken.Find("verify_People") && taken.Find("verify_Empty"));

        const auto fromLoad = conversion.Verify({}, &taken);
        const auto fromFile = conversion.Verify();
        QCOMPARE(Lines(fromLoad), Lines(fromFile));
        QVERIFY2(fromLoad.ExitStatus() == 0, qPrintable(Lines(fromLoad)));
        for (std::size_t t = 0; t < fromFile.tables.size(); ++t) {
            QCOMPARE(fromLoad.tables[t].accessRowSum, fromFile.tables[t].accessRowSum);
            for (std::size_t c = 0; c < fromFile.tables[t].columns.size(); ++c)
                QVERIFY(fromLoad.tables[t].columns[c].access ==
                        fromFile.tables[t].columns[c].access);
        }

        // The typed mapping keeps the file's column names, the specified one lowers them.
        const bool typed = policy == int(engine::PolicyKind::Typed);
        const std::string nick = typed ? "Nick" : "nick", id = typed ? "ID" : "id";
        Sql("UPDATE \"verify_People\" SET \"" + nick + "\" = 'Obo' WHERE \"" + id + "\" = 1");
        const auto damaged = conversion.Verify({"verify_People"}, &taken);
        QCOMPARE(Lines(damaged), QString::fromStdString(
                                     "verify_People: 4 rows, " + std::string(typed ? "10" : "9") +
                                     " columns: 1 differ, first " + nick + "\n"));
    }

    void damageIsFoundAndNamed_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("line");
        const QString t = "\"verify_People\"";
        QTest::addRow("changed cell") << "UPDATE " + t + " SET amount = amount + 1 WHERE id = 2"
                                      << "4 rows, 9 columns: 1 differ, first amount";
        QTest::addRow("deleted row")
            << "DELETE FROM " + t + " WHERE id = 3"
            << "4 rows in Access, 3 in PostgreSQL (1 missing), 9 columns: 9 differ, first id";
        QTest::addRow("doubled row")
            << "INSERT INTO " + t + " SELECT * FROM " + t + " WHERE id = 4"
            << "4 rows in Access, 5 in PostgreSQL (1 extra), 9 columns: 9 differ, first id";
        QTest::addRow("text cut short") << "UPDATE " + t + " SET name = left(name, 3) WHERE id = 1"
                                        << "4 rows, 9 columns: 1 differ, first name";
        QTest::addRow("swapped between rows")
            << "UPDATE " + t + " SET nick = CASE id WHEN 1 THEN 'Zo' ELSE 'Obi' END WHERE id < 3"
            << "4 rows, 9 columns: values moved between rows";
        QTest::addRow("swapped between columns")
            << "UPDATE " + t + " SET name = nick, nick = name WHERE id = 1"
            << "4 rows, 9 columns: 2 differ, first name";
        QTest::addRow("null made empty") << "UPDATE " + t + " SET note = '' WHERE id = 4"
                                         << "4 rows, 9 columns: 1 differ, first note";
        QTest::addRow("table dropped")
            << "DROP TABLE " + t << "4 rows in Access, no such table in PostgreSQL";
    }

    void damageIsFoundAndNamed() {
        QFETCH(QString, damage);
        QFETCH(QString, line);
        Conversion conversion(path_, engine::PolicyKind::Specified);
        if (QTest::currentDataTag() == QString("changed cell")) {
            TestServer::shared().recreateDatabase(Database);
            conversion.Run();
            Sql("CREATE TABLE kept AS SELECT * FROM \"verify_People\"");
        }
        Sql("DROP TABLE IF EXISTS \"verify_People\"; "
            "CREATE TABLE \"verify_People\" AS SELECT * FROM kept; " +
            damage.toStdString());
        const auto report = conversion.Verify({"verify_People"});
        QCOMPARE(Lines(report), "verify_People: " + line + "\n");
        QCOMPARE(report.ExitStatus(), 1);
    }
};

QTEST_GUILESS_MAIN(VerifierTest)
#include "VerifierTest.moc"
