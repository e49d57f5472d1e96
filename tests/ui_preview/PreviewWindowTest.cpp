// The preview window driven as a user would: opening state, the ways out and the flags they
// leave, execution with its stop rule, the jump to the failed line, copy and mail commands.

#include "PreviewWindowFixture.h"

#include "shell/widgets/WindowPointer.h"

#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace tabulant;
using namespace tabulant::testing;

Q_DECLARE_METATYPE(tabulant::engine::PreviewOutcome)
using ui::Form2;

namespace {
const std::string PasteHint =
    "\r\rClick a text area where you normally type and press Ctrl+V to paste the clipboard.";

std::string report(const std::string& description, const std::string& location, int line) {
    return description + "\r\nin Varnolet2021/08/31." + location + " at line " +
           std::to_string(line) +
           "\r\rPlease email screenshot of this message to support@quorvane.com";
}
} // namespace

class PreviewWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensInItsRestingState();
    void exitsLeaveTheFlags_data();
    void exitsLeaveTheFlags();
    void executionStopsAtSqlException();
    void executionGoesOnAfterTheFix();
    void executionPassesOverOtherFailures();
    void executionShowsProgressAndKeepsCommandsOut();
    void emptyListHasNothingToRun();
    void listColumnTakesTheWindowsWidth();
    void errorLineSurvivesIntoLaterOpenings();
    void copySqlCopiesMarkedLines();
    void copySqlKeepsCommandsOut();
    void errorCommandsCopyAndMail();
};

void PreviewWindowTest::opensInItsRestingState() {
    PreviewWindowFixture f;
    f.fill({"CREATE TABLE \"t\" (\"a\" TEXT)"});
    Form2* w = f.windows.form2();
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QString("SQL Preview - Tabulant"));
    QCOMPARE(w->ListView1().horizontalHeader()->model()->headerData(0, Qt::Horizontal),
             QVariant("SQL Preview"));
    QCOMPARE(
        w->ListView1().toolTip(),
        QString(
            "Click item to edit it. Move | line to right and out of window to reveal full names."));
    const char* captions[] = {"Execute SQL",
                              "Copy SQL To Clipboard",
                              "Find and Replace",
                              "Copy Error Message To Clipboard",
                              "< Back",
                              "Jump To Error Line",
                              "View Datatype Conversion",
                              " Email Error Message To Quorvane",
                              "Skip Table / Do Not Execute SQL"};
    for (int i = 0; i < 9; ++i) {
        auto* b = w->findChild<QPushButton*>(QString("PushButton%1").arg(i + 1));
        QVERIFY(b);
        QCOMPARE(b->text(), QString(captions[i]));
    }
    QCOMPARE(w->findChild<QWidget*>("Frame2")->property("title").toString(), QString("Error:"));
    QVERIFY(PreviewWindowFixture::errorText(*w).isEmpty());
    QCOMPARE(PreviewWindowFixture::progress(*w).value(), 0);
    QCOMPARE(PreviewWindowFixture::progress(*w).text(), QString("Progress Bar"));
    QVERIFY(f.prompts.Entries().empty());

    // The window is shown modally over the owner and destroyed, lines and all, when it closes.
    bool shown = false;
    f.show([&](Form2& s) {
        shown = s.isModal() && s.isVisible() && PreviewWindowFixture::lines(s).size() == 1;
    });
    QVERIFY(shown);
    QVERIFY(!f.windows.form2());
}

void PreviewWindowTest::exitsLeaveTheFlags_data() {
    QTest::addColumn<QString>("exit");
    QTest::addColumn<engine::PreviewOutcome>("outcome");
    QTest::addColumn<int>("executed");

    QTest::newRow("back") << "PushButton5" << engine::PreviewOutcome::Ended << 0;
    QTest::newRow("close box") << "close" << engine::PreviewOutcome::Ended << 0;
    QTest::newRow("skip table") << "PushButton9" << engine::PreviewOutcome::SkipTable << 0;
    QTest::newRow("execute to the end") << "PushButton1" << engine::PreviewOutcome::RanToEnd << 3;
}

void PreviewWindowTest::exitsLeaveTheFlags() {
    QFETCH(QString, exit);
    QFETCH(engine::PreviewOutcome, outcome);
    QFETCH(int, executed);

    PreviewWindowFixture f;
    f.fill({"CREATE TABLE t (a TEXT)", "INSERT INTO t VALUES ('x')", "INSERT INTO t VALUES ('y')"});
    bool closedByCommand = false;
    f.show([&](Form2& w) {
        if (exit == "close")
            w.close();
        else
            Click(w, exit.toLatin1().constData());
        closedByCommand = !w.isVisible();
    });
    QVERIFY(closedByCommand);
    QCOMPARE(f.outcome, outcome);
    QCOMPARE(static_cast<int>(f.server.statements.size()), executed);
    QVERIFY(f.prompts.Entries().empty());
}

// The real server's wording is covered against PostgreSQL; here the word in lower case.
void PreviewWindowTest::executionStopsAtSqlException() {
    const QString description = "error: sqlexception in statement";
    PreviewWindowFixture f;
    f.server.FailWhenStartsWith("SELECT 5", description.toStdString());
    f.fill(Numbered(10));
    f.show([&](Form2& w) {
        w.ListView1().setCurrentIndex(w.PreviewList().index(8, 0)); // the user looked elsewhere
        Click(w, "PushButton1");
        QCOMPARE(f.server.statements, Numbered(5));
        QVERIFY(w.isVisible());
        QCOMPARE(f.windows.ErrorLine(), 5);
        QCOMPARE(PreviewWindowFixture::selectedLine(w), 5);
        QVERIFY(w.ListView1().viewport()->rect().intersects(
            w.ListView1().visualRect(w.PreviewList().index(4, 0))));
        QCOMPARE(PreviewWindowFixture::errorText(w), description);
        QCOMPARE(PreviewWindowFixture::progress(w).value(), 0);
        QCOMPARE(PreviewWindowFixture::progress(w).text(), QString("Progress Bar"));
        QCOMPARE(w.pointer().state(), 0);
        QCOMPARE(f.prompts.Messages(), std::vector<std::string>{"Error found."});
        // The lines that ran look so; the stopped one and those after it do not.
        for (int row = 0; row < 10; ++row)
            QCOMPARE(w.PreviewList().index(row, 0).data(Qt::ForegroundRole).isValid(), row < 4);
    });
    QVERIFY(!f.ranToEnd());
    QVERIFY(f.prompts.ErrorReports().empty());
}

// The user fixes the rejected line and executes again: the lines that ran are not sent twice,
// an edited one is (it is another statement now), and the window closes once all have run.
void PreviewWindowTest::executionGoesOnAfterTheFix() {
    PreviewWindowFixture f;
    f.server.FailWhenStartsWith("SELECT 5", "SQLException: [22P02] invalid input");
    f.fill(Numbered(7));
    f.show([&](Form2& w) {
        Click(w, "PushButton1");
        QCOMPARE(f.windows.ErrorLine(), 5);
        w.PreviewList().setLineText(4, "SELECT 'five'");
        w.PreviewList().setLineText(1, "SELECT 2 + 0");
        w.PreviewList().setLineText(2, "SELECT 3");
        Click(w, "PushButton1");
        QVERIFY(!w.isVisible());
    });
    QCOMPARE(f.server.statements,
             (std::vector<std::string>{"SELECT 1", "SELECT 2", "SELECT 3", "SELECT 4", "SELECT 5",
                                       "SELECT 2 + 0", "SELECT 'five'", "SELECT 6", "SELECT 7"}));
    QVERIFY(f.ranToEnd());
    QCOMPARE(f.prompts.Messages(), std::vector<std::string>{"Error found."});
}

void PreviewWindowTest::executionPassesOverOtherFailures() {
    PreviewWindowFixture f;
    f.server.FailWhenStartsWith("SELECT", "Operation is not allowed in this context.");
    f.fill(Numbered(3));
    f.show([&](Form2& w) { Click(w, "PushButton1"); });
    const std::string failure =
        report("Operation is not allowed in this context.", "Form2.PushButton1_Click", 116);
    QCOMPARE(f.prompts.ErrorReports(), std::vector<std::string>(3, failure));
    QCOMPARE(f.windows.ErrorLine(), 0);
    // Nothing has run, so the window stayed open until the fixture closed it.
    QCOMPARE(f.outcome, engine::PreviewOutcome::Ended);

    // Without a connection every statement fails the way a closed connection does.
    PreviewWindowFixture g;
    g.connection = nullptr;
    g.fill(Numbered(2));
    g.show([&](Form2& w) {
        Click(w, "PushButton1");
        QVERIFY(w.isVisible());
        QVERIFY(PreviewWindowFixture::errorText(w).startsWith("SQLException"));
    });
    QCOMPARE(g.windows.ErrorLine(), 1);
    QVERIFY(!g.ranToEnd());
}

void PreviewWindowTest::executionShowsProgressAndKeepsCommandsOut() {
    PreviewWindowFixture f;
    f.fill({"SELECT 1", "   ", "SELECT 3"});
    std::vector<int> values;
    struct Seen {
        QString text;
        int pointer;
        bool buttonsEnabled;
        bool visibleAfterClose;
    };
    std::vector<Seen> seen;
    // Looks at the window while each statement runs, and tries what a user could do in the
    // yields between lines: a second Execute, another command, the close box.
    struct Spy final : platform::Connection {
        std::function<void(std::string_view)> onExecute;
        void Open(std::string_view) override {}
        std::unique_ptr<platform::Cursor> Execute(std::string_view s) override {
            onExecute(s);
            return nullptr;
        }
        std::unique_ptr<platform::Cursor> OpenSchema(int) override { return nullptr; }
        void Close() override {}
        bool IsOpen() const override { return true; }
    } spy;
    f.connection = &spy;
    f.show([&](Form2& w) {
        QProgressBar& bar = PreviewWindowFixture::progress(w);
        QObject::connect(&bar, &QProgressBar::valueChanged, [&](int v) { values.push_back(v); });
        spy.onExecute = [&](std::string_view s) {
            f.recording.Execute(s);
            bool enabled = false;
            for (auto* b : w.findChildren<QPushButton*>()) enabled = enabled || b->isEnabled();
            w.PushButton1_Click();
            w.PushButton9_Click();
            w.close();
            seen.push_back({bar.text(), w.pointer().state(), enabled, w.isVisible()});
        };
        Click(w, "PushButton1");
    });
    QCOMPARE(f.server.statements, (std::vector<std::string>{"SELECT 1", "SELECT 3"}));
    // The bar changes with the rounds of events, not with every line: the line that ends an
    // execution is always shown.
    QCOMPARE(values, (std::vector<int>{33, 100, 0}));
    QCOMPARE(seen.size(), std::size_t{2});
    QCOMPARE(seen[0].text, QString("Please wait.. Processing row: 1 of 3"));
    QCOMPARE(seen[1].text, QString("Please wait.. Processing row: 3 of 3"));
    for (const Seen& s : seen) {
        QCOMPARE(s.pointer, 11);
        QVERIFY(!s.buttonsEnabled);
        QVERIFY(s.visibleAfterClose);
    }
    // The Skip Table pressed during the execution did nothing.
    QCOMPARE(f.outcome, engine::PreviewOutcome::RanToEnd);
}

void PreviewWindowTest::emptyListHasNothingToRun() {
    PreviewWindowFixture f;
    f.windows.ClearPreviewList();
    bool open = false;
    f.show([&](Form2& w) {
        Click(w, "PushButton1");
        open = w.isVisible();
        Click(w, "PushButton6"); // nothing to jump to
    });
    QVERIFY(open);
    QCOMPARE(f.prompts.Messages(), std::vector<std::string>{"No SQL to run."});
    QVERIFY(f.prompts.ErrorReports().empty());
    QVERIFY(!f.ranToEnd());
}

// The column fills the list; a longer line makes it wider, with a scroll bar reaching its end.
void PreviewWindowTest::listColumnTakesTheWindowsWidth() {
    PreviewWindowFixture f;
    const std::string longLine = "INSERT INTO \"t\" VALUES ('" + std::string(300, 'w') + "');";
    f.fill({"CREATE TABLE \"t\" (\"a\" TEXT)", longLine});
    f.show([&](Form2& w) {
        QTableView& list = w.ListView1();
        const auto settle = [&](int width) {
            w.resize(width, 500);
            QCoreApplication::processEvents();
        };
        settle(700);
        QVERIFY(list.columnWidth(0) >
                list.fontMetrics().horizontalAdvance(QString::fromStdString(longLine)));
        QVERIFY(list.horizontalScrollBar()->maximum() > 0);

        w.PreviewList().setLineText(1, "SELECT 1");
        for (int width : {700, 1400, 900}) {
            settle(width);
            QCOMPARE(list.columnWidth(0), list.viewport()->width());
            QCOMPARE(list.horizontalScrollBar()->maximum(), 0);
        }
    });
}

void PreviewWindowTest::errorLineSurvivesIntoLaterOpenings() {
    PreviewWindowFixture f;
    f.fill(Numbered(3));
    f.show([&](Form2& w) {
        Click(w, "PushButton6"); // no statement has failed yet
        QCOMPARE(PreviewWindowFixture::selectedLine(w), 0);
    });

    f.server.FailWhenStartsWith("SELECT 5");
    f.fill(Numbered(10));
    f.show([&](Form2& w) { Click(w, "PushButton1"); });
    QCOMPARE(f.windows.ErrorLine(), 5);

    // The next table's window: a fresh error box, the same line number.
    f.fill(Numbered(7, "INSERT "));
    f.show([&](Form2& w) {
        QVERIFY(PreviewWindowFixture::errorText(w).isEmpty());
        w.ListView1().setCurrentIndex(w.PreviewList().index(1, 0));
        Click(w, "PushButton6");
        QCOMPARE(PreviewWindowFixture::selectedLine(w), 5);
    });

    // A list too short for it: selecting fails and is reported, then scrolling, and the
    // selection stays where it was.
    f.prompts.Reset();
    f.fill(Numbered(3));
    f.show([&](Form2& w) {
        w.ListView1().setCurrentIndex(w.PreviewList().index(1, 0));
        Click(w, "PushButton6");
        QCOMPARE(PreviewWindowFixture::selectedLine(w), 2);
    });
    QCOMPARE(
        f.prompts.ErrorReports(),
        (std::vector<std::string>{report("Index out of bounds", "Form2.PushButton6_Click", 104),
                                  report("Index out of bounds", "Form2.PushButton6_Click", 106)}));
    QCOMPARE(f.windows.ErrorLine(), 5);
}

void PreviewWindowTest::copySqlCopiesMarkedLines() {
    PreviewWindowFixture f;
    f.fill({"SELECT 1  ", "SELECT 2", "SELECT 3"});
    f.clipboard.text = "before";
    f.show([&](Form2& w) {
        Click(w, "PushButton2");
        QCOMPARE(f.clipboard.text.value_or("none"), std::string()); // lines but none marked
        auto& model = w.PreviewList();
        model.setData(model.index(0, 0), Qt::Checked, Qt::CheckStateRole);
        model.setData(model.index(2, 0), Qt::Checked, Qt::CheckStateRole);
        Click(w, "PushButton2");
    });
    QCOMPARE(f.clipboard.text.value_or("none"), std::string("SELECT 1\r\nSELECT 3\r\n"));
    const std::string copied = "Results have been copied to the clipboard." + PasteHint;
    QCOMPARE(f.prompts.Messages(), (std::vector<std::string>{copied, copied}));

    // An empty list leaves the clipboard alone, and the message still comes.
    f.prompts.Reset();
    f.windows.ClearPreviewList();
    f.show([&](Form2& w) { Click(w, "PushButton2"); });
    QCOMPARE(f.clipboard.text.value_or("none"), std::string("SELECT 1\r\nSELECT 3\r\n"));
    QCOMPARE(f.prompts.Messages(), std::vector<std::string>{copied});
}

// The export lets events run between cells: "< Back" or Escape arriving then must wait, or the
// window would close under the copy.
void PreviewWindowTest::copySqlKeepsCommandsOut() {
    PreviewWindowFixture f;
    f.fill(std::vector<std::string>(300, "SELECT 1"));
    bool openAfterCopy = false;
    f.show([&](Form2& w) {
        QTimer::singleShot(0, &w, [&w] {
            Click(w, "PushButton5");
            QTest::keyClick(&w, Qt::Key_Escape);
        });
        Click(w, "PushButton2");
        openAfterCopy = w.isVisible();
    });
    QVERIFY(openAfterCopy);
    QCOMPARE(f.prompts.Messages().size(), std::size_t{1});
}

void PreviewWindowTest::errorCommandsCopyAndMail() {
    PreviewWindowFixture f;
    f.server.FailWhenStartsWith("SELECT 1", "SQLException: 42P01 relation \"a&b\" does not exist");
    f.fill(Numbered(1));
    f.clipboard.text = "before";
    f.show([&](Form2& w) {
        // An error box of blanks: neither command does anything.
        w.findChild<QPlainTextEdit*>("Text1")->setPlainText("   ");
        Click(w, "PushButton4");
        Click(w, "PushButton8");
        QVERIFY(f.prompts.Entries().empty());
        QVERIFY(f.shell.opened.empty());
        QCOMPARE(f.clipboard.text.value_or("none"), std::string("before"));

        Click(w, "PushButton1");
        f.prompts.Reset();
        Click(w, "PushButton4");
        Click(w, "PushButton8");
        // Without a mail program something must still happen.
        f.shell.answer = false;
        Click(w, "PushButton8");
    });
    QCOMPARE(f.clipboard.text.value_or("none"),
             std::string("SQLException: 42P01 relation \"a&b\" does not exist"));
    QCOMPARE(
        f.prompts.Messages(),
        (std::vector<std::string>{"Error message have been copied to the clipboard." + PasteHint,
                                  "No mail program could be started."}));
    f.shell.opened.pop_back();
    QCOMPARE(
        f.shell.opened,
        std::vector<std::string>{
            "mailto:support@quorvane.com?subject=Tabulant&body=Here%20is%20the%20error%20message"
            "%20that%20I%20get%3A%20%0D%0ASQLException%3A%2042P01%20relation%20%22a%26b%22%20does"
            "%20not%20exist"});
}

QTEST_MAIN(PreviewWindowTest)
#include "PreviewWindowTest.moc"
