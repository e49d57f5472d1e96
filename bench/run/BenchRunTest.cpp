// The parts of bench-run whose faults would go unnoticed in its printed figures: medians and
// ratios, option parsing, shell quoting of file names, child exit codes, and where the event
// loop's gaps are booked.
#include "GapEventLoop.h"
#include "Options.h"
#include "Process.h"
#include "Report.h"

#include <QtTest>

#include <chrono>

using namespace tabulant::bench;

namespace {

ProcessResult took(double seconds, double cpu = 0) {
    ProcessResult r;
    r.wallSeconds = seconds;
    r.cpuSeconds = cpu;
    return r;
}

std::optional<Options> parse(const QStringList& args) {
    std::vector<QByteArray> bytes{"bench-run"};
    for (const QString& a : args) bytes.push_back(a.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& b : bytes) argv.push_back(b.data());
    return ParseOptions(static_cast<int>(argv.size()), argv.data());
}

void spin(std::chrono::microseconds at_least) {
    const auto until = std::chrono::steady_clock::now() + at_least;
    while (std::chrono::steady_clock::now() < until) {}
}

} // namespace

class BenchRunTest : public QObject {
    Q_OBJECT

private slots:
    void median_data() {
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<double>("expected");
        QTest::newRow("none") << QList<double>{} << 0.0;
        QTest::newRow("one") << QList<double>{3} << 3.0;
        QTest::newRow("odd, unsorted") << QList<double>{5, 1, 3} << 3.0;
        QTest::newRow("even: mean of the middle two") << QList<double>{4, 1, 3, 2} << 2.5;
        QTest::newRow("an outlier does not move it") << QList<double>{2, 2, 90} << 2.0;
    }
    void median() {
        QFETCH(QList<double>, values);
        QFETCH(double, expected);
        QCOMPARE(Median(std::vector<double>(values.begin(), values.end())), expected);
    }

    void seriesAndRatios() {
        Series ours, peer;
        for (double s : {2.0, 4.0, 3.0}) ours.Add(took(s, s / 2));
        for (double s : {9.0, 6.0, 30.0}) peer.Add(took(s, s));
        QCOMPARE(ours.RowsPerSecond(3000), 1000.0);
        QCOMPARE(peer.RowsPerSecond(3000), 333.33333333333331);
        QCOMPARE(Ratio(ours.RowsPerSecond(3000), peer.RowsPerSecond(3000)), std::string("3.00"));
        QCOMPARE(Ratio(peer.MedianCpu(), ours.MedianCpu()), std::string("6.00"));
        QCOMPARE(ours.Times(), std::string("2.00 4.00 3.00"));
        // Nothing measured gives no ratio rather than a division by zero.
        QCOMPARE(Ratio(Series().RowsPerSecond(10), 5.0), std::string("-"));
        QCOMPARE(Ratio(5.0, 0.0), std::string("-"));
        // A small ratio keeps its digits instead of showing 0.00.
        QCOMPARE(Ratio(220, 18786), std::string("0.0117"));
        QCOMPARE(Ratio(1, 10), std::string("0.10"));
    }

    void grouped_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("three digits") << 999.0 << "999";
        QTest::newRow("rounds up into a group") << 999.6 << "1,000";
        QTest::newRow("million") << 1234567.0 << "1,234,567";
        QTest::newRow("six digits") << 123456.0 << "123,456";
    }
    void grouped() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(Grouped(value)), expected);
    }

    void options_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("valid");
        QTest::newRow("none") << QStringList{} << true;
        QTest::newRow("sizes") << QStringList{"--rows", "10", "--direct-rows", "5", "--repeat", "1"}
                               << true;
        QTest::newRow("flags") << QStringList{"--no-direct-full", "--no-durability", "--keep"}
                               << true;
        QTest::newRow("zero rows") << QStringList{"--rows", "0"} << false;
        QTest::newRow("not a number") << QStringList{"--rows", "1e6"} << false;
        QTest::newRow("negative") << QStringList{"--tables", "-2"} << false;
        QTest::newRow("missing value") << QStringList{"--rows"} << false;
        QTest::newRow("too many repeats") << QStringList{"--repeat", "101"} << false;
        QTest::newRow("unknown") << QStringList{"--fast", "1"} << false;
    }
    void options() {
        QFETCH(QStringList, args);
        QFETCH(bool, valid);
        QCOMPARE(parse(args).has_value(), valid);
    }

    void optionValues() {
        const auto o =
            parse({"--rows", "10", "--async-rows", "7", "--work", "/tmp/x", "--no-durability"});
        QVERIFY(o);
        QCOMPARE(o->rows, 10u);
        QCOMPARE(o->asyncRows, 7u);
        QCOMPARE(o->workDir, std::string("/tmp/x"));
        QVERIFY(!o->durable);
        const auto d = parse({});
        QCOMPARE(d->rows, 1'000'000u);
        QCOMPARE(d->tables * d->tableRows, 1'000'000u);
        QCOMPARE(d->repeat, 3);
        QVERIFY(d->durable);
        QVERIFY(d->directAtFullSize); // the peak memory of direct mode is wanted at full size
        QVERIFY(!parse({"--no-direct-full"})->directAtFullSize);
    }

    // File and table names reach bash inside the peers' command lines.
    void shellQuoting_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("blank") << "Big 1";
        QTest::newRow("apostrophe") << "it's";
        QTest::newRow("dollar and backquote") << "$HOME `id`";
        QTest::newRow("double quotes, backslash") << "\"a\\b\"";
        QTest::newRow("semicolon and pipe") << "a;b|c";
    }
    void shellQuoting() {
        QFETCH(QString, text);
        const std::string t = text.toStdString();
        const ProcessResult r = RunShell("printf %s " + ShellQuote(t), true);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QString::fromStdString(r.output), text);
    }

    void exitCodes() {
        QCOMPARE(RunShell("exit 3").exitCode, 3);
        QCOMPARE(RunShell("kill -9 $$").exitCode, 128 + 9);
        // pipefail: a failing first command of a pipe is not hidden by the last one.
        QCOMPARE(RunShell("false | cat").exitCode, 1);
        QCOMPARE(RunProcess({"/nonexistent/program"}).exitCode, 127);
    }

    void gapsWithoutProcessedEventsAreOpening() {
        GapEventLoop events;
        events.Start();
        spin(std::chrono::milliseconds(3));
        events.End();
        QCOMPARE(events.Processed(), 0);
        QVERIFY(events.Opening().wallUs >= 3000);
        QCOMPARE(events.Between().wallUs, 0);
        QCOMPARE(events.Closing().wallUs, 0);
    }

    void gapsAreBookedWhereTheyLie() {
        GapEventLoop events;
        events.setInterval(std::chrono::milliseconds(0));
        // Each stretch is found only where it belongs (a gap booked elsewhere leaves its own
        // place at zero); only lower bounds, as a loaded machine lengthens every stretch.
        events.Start();
        spin(std::chrono::milliseconds(2));
        events.yieldNow();
        spin(std::chrono::milliseconds(4));
        events.yieldNow();
        spin(std::chrono::milliseconds(6));
        events.End();
        QCOMPARE(events.Processed(), 2);
        QVERIFY(events.Opening().wallUs >= 2000);
        QVERIFY(events.Between().wallUs >= 4000);
        QVERIFY(events.Between().cpuUs > 0); // a spin costs CPU time, unlike a wait
        QVERIFY(events.Closing().wallUs >= 6000);
    }
};

QTEST_GUILESS_MAIN(BenchRunTest)
#include "BenchRunTest.moc"
