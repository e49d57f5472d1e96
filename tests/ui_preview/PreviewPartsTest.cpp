// The preview's plain parts, without windows: line storage, find and replace, the clipboard
// export, the mail link, the execution's stop rule.

#include "CaselessReplace.h"
#include "ClipboardRoutines.h"
#include "PreviewLines.h"
#include "PreviewText.h"

#include "PreviewTestSupport.h"

#include <QTest>

using namespace tabulant;
using namespace tabulant::ui;

namespace {

class TableList final : public ExportList {
public:
    std::vector<std::vector<std::string>> rows;
    std::vector<bool> marks;
    std::size_t rowCount() const override { return rows.size(); }
    std::size_t columnCount() const override { return rows.empty() ? 0 : rows[0].size(); }
    std::string_view cell(std::size_t r, std::size_t c) const override { return rows[r][c]; }
    bool marked(std::size_t r) const override { return marks[r]; }
};

std::string lineText(const PreviewLines& lines, std::size_t i) {
    return std::string(lines.line(i));
}

} // namespace

class PreviewPartsTest : public QObject {
    Q_OBJECT
private slots:
    void linesKeepTextAcrossChunks();
    void rewriteChangesOnlyWhatItIsTold();
    void rewriteStopsWhenTheListChangesUnderIt();
    void changedTextCountsAsNotRun();
    void longestLineFollowsEdits();
    void replaceFirstOccurrence_data();
    void replaceFirstOccurrence();
    void exportText_data();
    void exportText();
    void clipboardRetriesBusyClipboard();
    void mailLinkEncodesSubjectAndBody_data();
    void mailLinkEncodesSubjectAndBody();
};

void PreviewPartsTest::linesKeepTextAcrossChunks() {
    PreviewLines lines;
    const std::size_t n = PreviewLines::LinesPerChunk * 3 + 5;
    for (std::size_t i = 0; i < n; ++i) lines.append("line " + std::to_string(i));
    QCOMPARE(lines.size(), n);

    // Edits at chunk edges must not shift the neighbours' text.
    const std::size_t edge = PreviewLines::LinesPerChunk;
    lines.setLine(edge - 1, "grown to a much longer text than before");
    lines.setLine(edge, "");
    lines.setLine(edge + 1, "x");
    QCOMPARE(lineText(lines, edge - 2), "line " + std::to_string(edge - 2));
    QCOMPARE(lineText(lines, edge - 1), std::string("grown to a much longer text than before"));
    QCOMPARE(lineText(lines, edge), std::string());
    QCOMPARE(lineText(lines, edge + 1), std::string("x"));
    QCOMPARE(lineText(lines, edge + 2), "line " + std::to_string(edge + 2));
    QCOMPARE(lineText(lines, n - 1), "line " + std::to_string(n - 1));

    lines.setChecked(63, true);
    lines.setChecked(64, true);
    lines.setChecked(64, false);
    QVERIFY(lines.checked(63));
    QVERIFY(!lines.checked(64));
    QVERIFY(!lines.checked(62));

    QVERIFY_THROWS_EXCEPTION(std::out_of_range, lines.line(n));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, lines.setLine(n, "x"));
    lines.clear();
    QCOMPARE(lines.size(), std::size_t{0});
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, lines.checked(0));
}

void PreviewPartsTest::rewriteChangesOnlyWhatItIsTold() {
    PreviewLines lines;
    const std::size_t n = PreviewLines::LinesPerChunk * 2 + 3;
    for (std::size_t i = 0; i < n; ++i) lines.append(std::to_string(i));
    lines.setChecked(5, true);

    std::vector<std::pair<std::size_t, std::size_t>> done;
    lines.rewrite(
        [&](std::size_t i, std::string& out) {
            if (i % 2 != 0) return false;
            // The old text is still readable while its chunk is rebuilt.
            out = "<" + std::string(lines.line(i)) + ">";
            return true;
        },
        [&](std::size_t first, std::size_t last) { done.emplace_back(first, last); });

    for (std::size_t i = 0; i < n; ++i)
        QCOMPARE(lineText(lines, i), i % 2 ? std::to_string(i) : "<" + std::to_string(i) + ">");
    QVERIFY(lines.checked(5));
    QCOMPARE(done.size(), std::size_t{3});
    QCOMPARE(done.back().second, n);
}

void PreviewPartsTest::rewriteStopsWhenTheListChangesUnderIt() {
    PreviewLines lines;
    for (int i = 0; i < 3; ++i) lines.append("a");
    QVERIFY_THROWS_EXCEPTION(std::logic_error, lines.rewrite(
                                                   [&](std::size_t, std::string&) {
                                                       lines.clear();
                                                       return false;
                                                   },
                                                   [](std::size_t, std::size_t) {}));
}

void PreviewPartsTest::longestLineFollowsEdits() {
    PreviewLines lines;
    const std::size_t n = PreviewLines::LinesPerChunk * 2 + 3;
    for (std::size_t i = 0; i < n; ++i) lines.append(std::string(i == 7 ? 50 : i % 10, 'x'));
    QCOMPARE(lines.longestLine(), std::size_t{7});
    lines.setLine(n - 1, std::string(60, 'y'));
    QCOMPARE(lines.longestLine(), n - 1);
    lines.setLine(n - 1, "y"); // the longest shortened: the next longest is found again
    QCOMPARE(lines.longestLine(), std::size_t{7});
    lines.rewrite(
        [](std::size_t i, std::string& out) {
            out = std::string(i == 200 ? 70 : 1, 'z');
            return true;
        },
        [](std::size_t, std::size_t) {});
    QCOMPARE(lines.longestLine(), std::size_t{200});
    lines.clear();
    lines.append("a");
    QCOMPARE(lines.longestLine(), std::size_t{0});
}

// A line that ran stays so until its text changes: an edit or a replace that gives it other text
// makes it run again, one that leaves the text as it was does not.
void PreviewPartsTest::changedTextCountsAsNotRun() {
    PreviewLines lines;
    const std::size_t n = PreviewLines::LinesPerChunk + 4;
    for (std::size_t i = 0; i < n; ++i) lines.append("INSERT " + std::to_string(i));
    for (std::size_t i = 0; i < n; ++i) lines.setRan(i, true);
    lines.setChecked(3, true);

    lines.setLine(1, "INSERT 1");
    lines.setLine(2, "INSERT two");
    const std::size_t last = n - 1;
    lines.rewrite(
        [&](std::size_t i, std::string& out) {
            out = std::string(lines.line(i));
            if (i == last) out += " fixed";
            return i == 0 || i == last; // line 0 is "replaced" by its own text
        },
        [](std::size_t, std::size_t) {});

    QVERIFY(lines.ran(0));
    QVERIFY(lines.ran(1));
    QVERIFY(!lines.ran(2));
    QVERIFY(lines.ran(3) && lines.checked(3));
    QVERIFY(lines.ran(last - 1));
    QVERIFY(!lines.ran(last));
    lines.clear();
    lines.append("again");
    QVERIFY(!lines.ran(0));
}

void PreviewPartsTest::replaceFirstOccurrence_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected"); // null: no change

    QTest::newRow("case ignored, replacement as typed") << "x VARCHAR(255) y"
                                                        << "varchar"
                                                        << "text"
                                                        << "x text(255) y";
    QTest::newRow("first occurrence only") << "a, a, a"
                                           << "A"
                                           << "b"
                                           << "b, a, a";
    QTest::newRow("replacement holding the find text") << "a"
                                                       << "a"
                                                       << "aa"
                                                       << "aa";
    QTest::newRow("find text whose last letter occurs earlier") << "x = 'a' and 'b'"
                                                                << "'a'"
                                                                << "'z'"
                                                                << "x = 'z' and 'b'";
    QTest::newRow("overlapping start") << "aab"
                                       << "ab"
                                       << "X"
                                       << "aX";
    QTest::newRow("empty replacement deletes") << "DROP TABLE t"
                                               << "table "
                                               << ""
                                               << "DROP t";
    QTest::newRow("not found") << "abc"
                               << "abd"
                               << "x" << QString();
    QTest::newRow("find longer than line") << "ab"
                                           << "abc"
                                           << "x" << QString();
    QTest::newRow("empty find changes nothing") << "abc"
                                                << ""
                                                << "x" << QString();
    QTest::newRow("empty line") << ""
                                << "a"
                                << "x" << QString();
    QTest::newRow("non-ASCII line")
        << QString::fromUtf8("Größe 'Äpfel' ÄPFEL") << QString::fromUtf8("äpfel") << "Birnen"
        << QString::fromUtf8("Größe 'Birnen' ÄPFEL");
    QTest::newRow("non-ASCII find in ASCII line") << "Kelvin" << QString::fromUtf8("\u212A") << "C"
                                                  << "Celvin";
    QTest::newRow("ASCII find matching through a folded letter")
        << QString::fromUtf8("Mi\u017Fs") << "ss"
        << "t"
        << "Mit";
}

void PreviewPartsTest::replaceFirstOccurrence() {
    QFETCH(QString, line);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    const CaselessReplace replace(find.toStdString(), replacement.toStdString());
    std::string out = "untouched";
    const bool changed = replace.apply(line.toStdString(), out);
    QCOMPARE(changed, !expected.isNull());
    QCOMPARE(QString::fromStdString(out), expected.isNull() ? QString("untouched") : expected);
}

void PreviewPartsTest::exportText_data() {
    QTest::addColumn<std::vector<std::vector<std::string>>>("rows");
    QTest::addColumn<std::vector<bool>>("marks");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("two columns padded")
        << std::vector<std::vector<std::string>>{{"ab", "x"}, {"abcd", "yz"}}
        << std::vector<bool>{true, true} << QByteArray("ab  \tx\r\nabcd\tyz\r\n");
    QTest::newRow("widths count unmarked rows")
        << std::vector<std::vector<std::string>>{{"ab", "x"}, {"abcdef", "y"}}
        << std::vector<bool>{true, false} << QByteArray("ab    \tx\r\n");
    QTest::newRow("widths count characters, not bytes")
        << std::vector<std::vector<std::string>>{{"\xC3\xA4\xC3\xB6", "x"}, {"abc", "y"}}
        << std::vector<bool>{true, true} << QByteArray("\xC3\xA4\xC3\xB6 \tx\r\nabc\ty\r\n");
    QTest::newRow("one column, trailing blanks removed")
        << std::vector<std::vector<std::string>>{{"select 1;  "}, {"   "}, {"x"}}
        << std::vector<bool>{true, true, false} << QByteArray("select 1;\r\n\r\n");
    QTest::newRow("empty last cell trims into padding, not past the TAB")
        << std::vector<std::vector<std::string>>{{"a", ""}, {"abc", "z"}}
        << std::vector<bool>{true, true} << QByteArray("a  \t\r\nabc\tz\r\n");
    QTest::newRow("no 16-bit limit on widths")
        << std::vector<std::vector<std::string>>{{std::string(40000, 'x') + "  "}, {"short"}}
        << std::vector<bool>{true, true}
        << QByteArray::fromStdString(std::string(40000, 'x') + "\r\nshort\r\n");
    QTest::newRow("no marked row") << std::vector<std::vector<std::string>>{{"a"}, {"b"}}
                                   << std::vector<bool>{false, false} << QByteArray("");
}

void PreviewPartsTest::exportText() {
    QFETCH(std::vector<std::vector<std::string>>, rows);
    QFETCH(std::vector<bool>, marks);
    QFETCH(QByteArray, expected);
    TableList list;
    list.rows = rows;
    list.marks = marks;
    testing::FakeClipboard clipboard;
    clipboard.text = "old";
    platform::NoEventLoop events;
    CopyListToClipboard(list, clipboard, events);
    QVERIFY(clipboard.text.has_value());
    QCOMPARE(QByteArray::fromStdString(*clipboard.text), expected);
}

void PreviewPartsTest::clipboardRetriesBusyClipboard() {
    testing::FakeClipboard clipboard;
    clipboard.busyAttempts = 999;
    QVERIFY(SetClipboardText(clipboard, "text", 0));
    QCOMPARE(clipboard.attempts, 1000);
    QCOMPARE(clipboard.text.value_or(""), std::string("text"));

    clipboard.attempts = 0;
    clipboard.busyAttempts = 1000;
    QVERIFY(!SetClipboardText(clipboard, "other", 0));
    QCOMPARE(clipboard.attempts, 1000);
    QCOMPARE(clipboard.text.value_or(""), std::string("text"));

    clipboard.attempts = 0;
    clipboard.busyAttempts = 1000;
    ClearClipboard(clipboard); // gives up silently
    QCOMPARE(clipboard.attempts, 1000);
}

void PreviewPartsTest::mailLinkEncodesSubjectAndBody_data() {
    QTest::addColumn<QByteArray>("error");
    QTest::addColumn<QByteArray>("expectedBodyTail");
    QTest::newRow("plain") << QByteArray("SQLException: 42P01 no table")
                           << QByteArray("SQLException%3A%2042P01%20no%20table");
    QTest::newRow("separators of the link")
        << QByteArray("a&b=c?d#e%f+g") << QByteArray("a%26b%3Dc%3Fd%23e%25f%2Bg");
    QTest::newRow("line breaks as CR LF")
        << QByteArray("one\ntwo\r\nthree\rfour") << QByteArray("one%0D%0Atwo%0D%0Athree%0D%0Afour");
    QTest::newRow("UTF-8 bytes") << QByteArray("Gr\xC3\xB6\xC3\x9F"
                                               "e")
                                 << QByteArray("Gr%C3%B6%C3%9Fe");
}

void PreviewPartsTest::mailLinkEncodesSubjectAndBody() {
    QFETCH(QByteArray, error);
    QFETCH(QByteArray, expectedBodyTail);
    const QByteArray expected = "mailto:support@quorvane.com?subject=Tabulant&body="
                                "Here%20is%20the%20error%20message%20that%20I%20get%3A%20%0D%0A" +
                                expectedBodyTail;
    QCOMPARE(QByteArray::fromStdString(ErrorMailLink(error.toStdString())), expected);
}

QTEST_APPLESS_MAIN(PreviewPartsTest)
#include "PreviewPartsTest.moc"
