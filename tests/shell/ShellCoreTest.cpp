#include "fakes/ScriptedPrompts.h"
#include "platform/Error.h"
#include "shell/core/ErrorReport.h"
#include "shell/core/Helpers.h"
#include "shell/core/Trap.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using namespace tabulant;

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
} // namespace

class ShellCoreTest : public QObject {
    Q_OBJECT
private slots:
    void errorReportText_data();
    void errorReportText();
    void trapReportsAndGoesOn();
    void failingConditionEntersTheBlock();
    void failedAssignKeepsTheValue();
    void listContainsText_data();
    void listContainsText();
    void listRemoveText_data();
    void listRemoveText();
    void nullToDefault();
    void fileExists();
};

void ShellCoreTest::errorReportText_data() {
    QTest::addColumn<QString>("location");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("oneLine"); // as a terminal shows it
    QTest::newRow("replace handler")
        << "Form3.PushButton2_Click" << 114 << "Invalid procedure call or argument"
        << "Invalid procedure call or argument\r\nin Varnolet2021/08/31.Form3.PushButton2_Click at "
           "line 114\r\rPlease email screenshot of this message to support@quorvane.com"
        << "Invalid procedure call or argument in Varnolet2021/08/31.Form3.PushButton2_Click at "
           "line 114";
    QTest::newRow("empty description")
        << "Form1.PushButton7_Click" << 130 << ""
        << "\r\nin Varnolet2021/08/31.Form1.PushButton7_Click at line 130\r\rPlease email "
           "screenshot of this message to support@quorvane.com"
        << "in Varnolet2021/08/31.Form1.PushButton7_Click at line 130";
    QTest::newRow("description with line breaks kept")
        << "Form2.PushButton1_Click" << 100 << "SQLException: 42601\nERROR: syntax error"
        << "SQLException: 42601\nERROR: syntax error\r\nin Varnolet2021/08/31.Form2.PushButton1_"
           "Click at line 100\r\rPlease email screenshot of this message to support@quorvane.com"
        << "SQLException: 42601 ERROR: syntax error in Varnolet2021/08/31.Form2.PushButton1_Click "
           "at line 100";
}

void ShellCoreTest::errorReportText() {
    QFETCH(QString, location);
    QFETCH(int, line);
    QFETCH(QString, description);
    QFETCH(QString, text);
    QFETCH(QString, oneLine);
    QCOMPARE(q(shell::ErrorReportText(location.toStdString(), line, description.toStdString())),
             text);
    QCOMPARE(q(shell::ErrorReportLine(text.toStdString())), oneLine);
    // Any other text is only made one line.
    QCOMPARE(shell::ErrorReportLine("Could not connect.\r\rfailed: refused\n\tIs it running?\r\n"),
             std::string("Could not connect. failed: refused Is it running?"));
}

void ShellCoreTest::trapReportsAndGoesOn() {
    fakes::ScriptedPrompts prompts;
    shell::Trap trap(prompts, "Form1.PushButton7_Click");
    std::vector<int> ran;
    trap(100, [&] { ran.push_back(100); });
    trap(102, [&] {
        throw platform::Error(3704, "Operation is not allowed when the object is closed.");
    });
    trap(104, [&] { throw std::runtime_error("plain failure"); });
    trap(106, [&] { throw 42; });
    trap(108, [&] { ran.push_back(108); });
    QCOMPARE(ran, (std::vector<int>{100, 108}));
    const auto reports = prompts.ErrorReports();
    QCOMPARE(reports.size(), std::size_t(3));
    QCOMPARE(reports[0],
             shell::ErrorReportText("Form1.PushButton7_Click", 102,
                                    "Operation is not allowed when the object is closed."));
    QCOMPARE(reports[1], shell::ErrorReportText("Form1.PushButton7_Click", 104, "plain failure"));
    QVERIFY(q(reports[2]).contains("at line 106"));
}

void ShellCoreTest::failingConditionEntersTheBlock() {
    fakes::ScriptedPrompts prompts;
    shell::Trap trap(prompts, "Form2.PushButton1_Click");
    QVERIFY(trap.Condition(110, [] { return true; }));
    QVERIFY(!trap.Condition(112, [] { return false; }));
    QVERIFY(prompts.Entries().empty());
    QVERIFY(trap.Condition(114, []() -> bool { throw platform::Error(1, "broken test"); }));
    QCOMPARE(prompts.ErrorReports().size(), std::size_t(1));
    QVERIFY(q(prompts.ErrorReports()[0]).startsWith("broken test\r\n"));
}

void ShellCoreTest::failedAssignKeepsTheValue() {
    fakes::ScriptedPrompts prompts;
    shell::Trap trap(prompts, "Form1.PushButton7_Click");
    std::string value = "previous";
    trap.Assign(200, value, []() -> std::string { throw platform::Error(3021, "no record"); });
    QCOMPARE(value, std::string("previous"));
    trap.Assign(202, value, [] { return std::string("next"); });
    QCOMPARE(value, std::string("next"));
}

void ShellCoreTest::listContainsText_data() {
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    QTest::newRow("empty list") << QStringList{} << "a" << false;
    QTest::newRow("other letter case")
        << QStringList{"pg_class", "customers"} << "Customers" << true;
    QTest::newRow("whole entries only") << QStringList{"customers2"} << "customers" << false;
    QTest::newRow("no trimming") << QStringList{"customers "} << "customers" << false;
    QTest::newRow("letters beyond ASCII") << QStringList{"größe"} << "GRÖSSE" << false;
    QTest::newRow("letters beyond ASCII, same letters") << QStringList{"äpfel"} << "ÄPFEL" << true;
    QTest::newRow("last entry") << QStringList{"a", "b", "C"} << "c" << true;
}

void ShellCoreTest::listContainsText() {
    QFETCH(QStringList, list);
    QFETCH(QString, text);
    QFETCH(bool, found);
    platform::VectorStringList l;
    for (const QString& s : list) l.AddItem(s.toStdString());
    QCOMPARE(shell::ListContainsText(l, text.toStdString()), found);
}

void ShellCoreTest::listRemoveText_data() {
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("exact match only")
        << QStringList{"orders", "Orders", "ORDERS"} << "orders" << QStringList{"Orders", "ORDERS"};
    QTest::newRow("every equal entry")
        << QStringList{"a", "b", "a", "a"} << "a" << QStringList{"b"};
    QTest::newRow("nothing to remove") << QStringList{"a"} << "b" << QStringList{"a"};
    QTest::newRow("empty list") << QStringList{} << "a" << QStringList{};
}

void ShellCoreTest::listRemoveText() {
    QFETCH(QStringList, list);
    QFETCH(QString, text);
    QFETCH(QStringList, left);
    platform::VectorStringList l;
    for (const QString& s : list) l.AddItem(s.toStdString());
    shell::ListRemoveText(l, text.toStdString());
    QStringList got;
    for (const auto& s : l.items()) got << q(s);
    QCOMPARE(got, left);
}

void ShellCoreTest::nullToDefault() {
    const platform::Variant fallback = platform::Variant::text("");
    QVERIFY(&shell::NullToDefault(platform::Variant(), fallback) == &fallback);
    const platform::Variant empty = platform::Variant::text("");
    QVERIFY(&shell::NullToDefault(empty, fallback) == &empty);
    const platform::Variant zero = platform::Variant::integer(0);
    QVERIFY(shell::NullToDefault(zero, fallback) == zero);
}

void ShellCoreTest::fileExists() {
    QTemporaryDir dir;
    const std::string file = dir.filePath("HAND-M.CUR").toStdString();
    QVERIFY(!shell::FileExists(file));
    std::ofstream(file) << "x";
    QVERIFY(shell::FileExists(file));
    QVERIFY(shell::FileExists(dir.path().toStdString())); // a folder has a date too
    QVERIFY(!shell::FileExists(""));
    QVERIFY(!shell::FileExists(dir.filePath("no/such/folder/file").toStdString()));
    QVERIFY(!shell::FileExists(file + "/below-a-file"));
}

QTEST_GUILESS_MAIN(ShellCoreTest)
#include "ShellCoreTest.moc"
