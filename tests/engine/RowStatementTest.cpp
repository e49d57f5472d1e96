#include "StatementCases.h"
#include "engine/RowLoop.h"
#include "engine/RowStatementBuilder.h"
#include "engine/SpecifiedPolicy.h"
#include "fakes/CountingEventLoop.h"
#include "fakes/FakePreview.h"
#include "fakes/ScriptedPrompts.h"

#include <QtTest>

using namespace tabulant;
using platform::Variant;
using enum platform::AdoType;

namespace {
QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

struct Recorded final : engine::RowSink {
    std::vector<int> progress;
    std::vector<std::string> statements;
    void Progress(std::int64_t counter, std::int64_t count) override {
        progress.push_back(engine::ProgressPercent(counter, count));
    }
    void Statement(const std::string& s) override { statements.push_back(s); }
};

fakes::InMemoryTable Numbers(int rows) {
    fakes::InMemoryTable t;
    t.name = "Numbers";
    t.columns = {{"N", adInteger}};
    for (int i = 1; i <= rows; ++i) t.rows.push_back({Variant::integer(i)});
    return t;
}

// The row loop over a table whose only column is numeric.
Recorded WriteNumbers(const fakes::InMemoryTable& t, fakes::ScriptedPrompts& prompts) {
    platform::Recordset records(fakes::BorrowingCursor(t));
    fakes::CountingEventLoop events;
    fakes::FakePreview preview;
    shell::Trap trap(prompts, "Form1.PushButton7_Click");
    const platform::RegionalText regional;
    engine::SpecifiedPolicy policy({preview, events, regional});
    policy.CreateTable(trap, {t.name, records, nullptr});
    policy.StartRows(trap, t.name);
    Recorded sink;
    engine::WriteRows(trap, records, events, policy, sink);
    return sink;
}
} // namespace

class RowStatementTest : public QObject {
    Q_OBJECT
private slots:
    void literals_data();
    void literals();
    void progressPercent_data();
    void progressPercent();
    void rowLoop_data();
    void rowLoop();
    void cursorThatCannotMoveOnEndsTheTable();
    void bufferIsReusedAcrossRows();
    void valuesMatchTheirTexts_data();
    void valuesMatchTheirTexts();
    void otherDecimalSeparatorsBecomePoints();
};

void RowStatementTest::literals_data() {
    QTest::addColumn<int>("index");
    const auto& cases = testcases::StatementCases();
    for (std::size_t i = 0; i < cases.size(); ++i)
        QTest::newRow(cases[i].name) << static_cast<int>(i);
}

void RowStatementTest::literals() {
    QFETCH(int, index);
    const testcases::StatementCase& c =
        testcases::StatementCases()[static_cast<std::size_t>(index)];
    fakes::InMemoryTable t;
    t.name = c.table;
    t.columns = c.columns;
    t.rows = {c.row};
    const platform::RegionalText regional(c.comma ? testcases::CommaConventions()
                                                  : platform::RegionalText::EnglishUS());
    const testcases::Generated g = testcases::Generate(t, regional);
    QCOMPARE(g.reports, std::vector<std::string>{});
    QCOMPARE(g.inserts.size(), std::size_t(1));
    QCOMPARE(q(g.inserts[0]), q(c.insert));
}

void RowStatementTest::progressPercent_data() {
    QTest::addColumn<qint64>("counter");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<int>("percent");
    QTest::newRow("1 of 3") << qint64(1) << qint64(3) << 50;
    QTest::newRow("2 of 3") << qint64(2) << qint64(3) << 75;
    QTest::newRow("3 of 3") << qint64(3) << qint64(3) << 100;
    QTest::newRow("1 of 1") << qint64(1) << qint64(1) << 100;
    QTest::newRow("1 of 2 rounds up") << qint64(1) << qint64(2) << 67;
    QTest::newRow("half to even, up") << qint64(2) << qint64(7) << 38;
    QTest::newRow("half to even, down") << qint64(4) << qint64(7) << 62;
    QTest::newRow("unknown count") << qint64(1) << qint64(-1) << 100;
    QTest::newRow("more rows than counted") << qint64(5) << qint64(3) << 100;
    QTest::newRow("a million rows") << qint64(1) << qint64(1000000) << 0;
}

void RowStatementTest::progressPercent() {
    QFETCH(qint64, counter);
    QFETCH(qint64, count);
    QFETCH(int, percent);
    QCOMPARE(engine::ProgressPercent(counter, count), percent);
}

void RowStatementTest::rowLoop_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("progress");
    QTest::newRow("no rows: nothing") << 0 << QList<int>{};
    QTest::newRow("one row") << 1 << QList<int>{100};
    QTest::newRow("three rows") << 3 << QList<int>{50, 75, 100};
}

void RowStatementTest::rowLoop() {
    QFETCH(int, rows);
    QFETCH(QList<int>, progress);
    fakes::ScriptedPrompts prompts;
    const Recorded sink = WriteNumbers(Numbers(rows), prompts);
    QCOMPARE(QList<int>(sink.progress.begin(), sink.progress.end()), progress);
    QCOMPARE(sink.statements.size(), std::size_t(rows));
    for (int i = 0; i < rows; ++i)
        QCOMPARE(q(sink.statements[i]), QString("INSERT INTO \"Numbers\" VALUES (%1);").arg(i + 1));
    QVERIFY(prompts.Entries().empty());
}

// Passing over a failed move would hand the same row over again and again.
void RowStatementTest::cursorThatCannotMoveOnEndsTheTable() {
    fakes::InMemoryTable t = Numbers(3);
    t.failMoveAt = 1;
    fakes::ScriptedPrompts prompts;
    const Recorded sink = WriteNumbers(t, prompts);
    QCOMPARE(sink.statements.size(), std::size_t(2));
    const auto reports = prompts.ErrorReports();
    QCOMPARE(reports.size(), std::size_t(1));
    QVERIFY(q(reports[0]).contains("Form1.PushButton7_Click at line 434"));
}

// Rows of different widths in one buffer: a shorter row must not keep the tail of a longer one.
void RowStatementTest::bufferIsReusedAcrossRows() {
    fakes::InMemoryTable t;
    t.name = "W";
    t.columns = {{"Id", adInteger}, {"Txt", adVarWChar}};
    t.rows = {{Variant::integer(1), Variant::text(std::string(100, 'a'))},
              {Variant::integer(2), Variant()},
              {Variant::integer(3), Variant::text("b")}};
    const platform::RegionalText regional;
    const testcases::Generated g = testcases::Generate(t, regional);
    QCOMPARE(g.inserts.size(), std::size_t(3));
    QCOMPARE(q(g.inserts[1]), QString(R"(INSERT INTO "W" VALUES (2,NULL);)"));
    QCOMPARE(q(g.inserts[2]), QString(R"(INSERT INTO "W" VALUES (3, 'b');)"));
}

// Dates and numbers are written from their values without reading their texts back; the
// literal must be the one their text would give.
void RowStatementTest::valuesMatchTheirTexts_data() {
    QTest::addColumn<int>("conventions");
    QTest::newRow("en-US") << 0;
    QTest::newRow("comma, day.month.year, 24 hours") << 1;
    QTest::newRow("en-US, 24 hours, padded") << 2;
}

void RowStatementTest::valuesMatchTheirTexts() {
    QFETCH(int, conventions);
    platform::RegionalText::Conventions c = platform::RegionalText::EnglishUS();
    if (conventions == 1) c = testcases::CommaConventions();
    if (conventions == 2) {
        c.twelveHourClock = false;
        c.padDayMonth = c.padHour = true;
    }
    const platform::RegionalText regional(c);
    const auto literal = [&](std::int16_t type, const Variant& v) {
        fakes::InMemoryTable t;
        t.name = "V";
        t.columns = {{"Id", adInteger}, {"X", type}};
        t.rows = {{Variant::integer(1), v}};
        const testcases::Generated g = testcases::Generate(t, regional);
        return g.inserts.empty() ? std::string("(none)") : g.inserts[0];
    };
    const double dates[] = {44439.0, 44439.5,   44439.999999,  0.0,           0.25,      1.0,
                            -1.5,    -657434.0, 2958465.99998, 35000.0001157, 2958466.0, 1e300};
    for (double d : dates) {
        const Variant date = Variant::date(d);
        QCOMPARE(q(literal(7, date)), q(literal(202, Variant::text(regional.Text(date)))));
    }
    const Variant numbers[] = {Variant::real(1.0 / 3),     Variant::real(1e20),
                               Variant::real(-1.25e-5),    Variant::real(-0.5),
                               Variant::single(1.5f),      Variant::currency(-5),
                               Variant::decimal("-0.010"), Variant::integer(INT64_MIN)};
    for (const Variant& n : numbers)
        QCOMPARE(q(literal(5, n)), q(literal(5, Variant::text(regional.Text(n)))));
}

// A system whose decimal separator is neither "." nor "," (Arabic, U+066B): numbers still reach
// the server as literals it reads.
void RowStatementTest::otherDecimalSeparatorsBecomePoints() {
    platform::RegionalText::Conventions c = platform::RegionalText::EnglishUS();
    c.decimalSeparator = "\xd9\xab";
    const platform::RegionalText regional(c);
    const auto first = [&](std::vector<fakes::ColumnDef> columns, std::vector<Variant> row) {
        fakes::InMemoryTable t;
        t.name = "A";
        t.columns = std::move(columns);
        t.rows = {std::move(row)};
        const testcases::Generated g = testcases::Generate(t, regional);
        return g.inserts.empty() ? std::string("(none)") : g.inserts[0];
    };
    QCOMPARE(q(first({{"D", adDouble}, {"C", adCurrency}, {"N", adDecimal}},
                     {Variant::real(-1.5), Variant::currency(12345), Variant::decimal("0.25")})),
             q(R"(INSERT INTO "A" VALUES (-1.5, 1.2345, 0.25);)"));
    // Without numeric fields a number text is written quoted, with its point.
    QCOMPARE(q(first({{"T", adVarWChar}}, {Variant::text("2\xd9\xab"
                                                         "5")})),
             q(R"(INSERT INTO "A" VALUES ('2.5');)"));
    // Beside numeric fields a text is left as it is.
    QCOMPARE(q(first({{"Id", adInteger}, {"T", adVarWChar}},
                     {Variant::integer(1), Variant::text("2\xd9\xab"
                                                         "5")})),
             q("INSERT INTO \"A\" VALUES (1, '2\xd9\xab"
               "5');"));
}

QTEST_GUILESS_MAIN(RowStatementTest)
#include "RowStatementTest.moc"
