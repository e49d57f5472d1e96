// The dialogs the preview window opens: find and replace, edit line, datatype view.

#include "PreviewWindowFixture.h"

#include "shell/widgets/Twips.h"
#include <QHeaderView>
#include <QLineEdit>
#include <QStandardItemModel>

#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace tabulant;
using namespace tabulant::testing;
using ui::Form2;

namespace {
using Lines = std::vector<std::string>;

// Opens Find and Replace from the preview window and presses Replace with the given texts.
void findAndReplace(Form2& w, const QString& find, const QString& replacement,
                    QString* title = nullptr) {
    OnNextModalThenClose([=](QWidget& dialog) {
        if (title) *title = dialog.windowTitle();
        QTest::keyClicks(dialog.findChild<QLineEdit*>("Text1"), find);
        QTest::keyClicks(dialog.findChild<QLineEdit*>("Text2"), replacement);
        Click(dialog, "PushButton2");
    });
    Click(w, "PushButton3");
}
} // namespace

class PreviewDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void replaceChangesFirstOccurrencePerLine_data();
    void replaceChangesFirstOccurrencePerLine();
    void secondReplaceChangesSecondOccurrence();
    void replaceOnEmptyListStaysOpen();
    void replaceKeepsSecondClickAndEscapeOut();
    void editLineWritesBackOnOk_data();
    void editLineWritesBackOnOk();
    void editLineOfVanishedLineIsReported();
    void tickingACheckBoxOpensNoEditor();
    void datatypeViewShowsTheRunsRows();
};

void PreviewDialogsTest::replaceChangesFirstOccurrencePerLine_data() {
    QTest::addColumn<Lines>("lines");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<Lines>("expected");

    QTest::newRow("type name") << Lines{"x VARCHAR(255) y", "other"} << "varchar"
                               << "text" << Lines{"x text(255) y", "other"};
    QTest::newRow("growth happens once") << Lines{"a", "b"} << "a"
                                         << "aa" << Lines{"aa", "b"};
    QTest::newRow("quoted letter replaced whole") << Lines{"VALUES ('a', 'b')"} << "'a'"
                                                  << "NULL" << Lines{"VALUES (NULL, 'b')"};
    QTest::newRow("empty replacement deletes")
        << Lines{"DROP TABLE \"t\"", "DROP TABLE \"u\""} << "table "
        << "" << Lines{"DROP \"t\"", "DROP \"u\""};
    QTest::newRow("nothing found") << Lines{"a", "b"} << "zzz"
                                   << "y" << Lines{"a", "b"};
    QTest::newRow("empty find text") << Lines{"a", ""} << ""
                                     << "y" << Lines{"a", ""};
}

void PreviewDialogsTest::replaceChangesFirstOccurrencePerLine() {
    QFETCH(Lines, lines);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(Lines, expected);
    PreviewWindowFixture f;
    f.fill(lines);
    Lines after;
    QString title;
    f.show([&](Form2& w) {
        findAndReplace(w, find, replacement, &title);
        after = PreviewWindowFixture::lines(w);
        QCOMPARE(w.PreviewList().data(w.PreviewList().index(0, 0), Qt::DisplayRole).toString(),
                 QString::fromStdString(expected[0]));
    });
    QCOMPARE(title, QString("Find and Replace - Tabulant"));
    QCOMPARE(after, expected);
    QCOMPARE(f.prompts.Messages(), std::vector<std::string>{"Done."});
    QVERIFY(f.prompts.ErrorReports().empty());
}

void PreviewDialogsTest::secondReplaceChangesSecondOccurrence() {
    PreviewWindowFixture f;
    // More lines than one storage chunk, so replacement crosses chunk edges.
    Lines lines(300, "INSERT INTO t VALUES ('x', 'x')");
    f.fill(lines);
    Lines after;
    f.show([&](Form2& w) {
        findAndReplace(w, "'X'", "NULL");
        findAndReplace(w, "'x'", "''");
        after = PreviewWindowFixture::lines(w);
    });
    QCOMPARE(after, Lines(300, "INSERT INTO t VALUES (NULL, '')"));
}

// The rewrite lets events run between lines; a second Replace or an Escape arriving then must
// neither rewrite lines twice nor leave the preview usable under the running rewrite.
void PreviewDialogsTest::replaceKeepsSecondClickAndEscapeOut() {
    PreviewWindowFixture f;
    f.fill(Lines(300, "a"));
    Lines after;
    f.show([&](Form2& w) {
        OnNextModalThenClose([&](QWidget& dialog) {
            QTest::keyClicks(dialog.findChild<QLineEdit*>("Text1"), "a");
            QTest::keyClicks(dialog.findChild<QLineEdit*>("Text2"), "aa");
            QTimer::singleShot(0, &dialog, [&dialog] {
                Click(dialog, "PushButton2");
                QTest::keyClick(&dialog, Qt::Key_Escape);
            });
            Click(dialog, "PushButton2");
        });
        Click(w, "PushButton3");
        after = PreviewWindowFixture::lines(w);
    });
    QCOMPARE(after, Lines(300, "aa"));
    QCOMPARE(f.prompts.Messages(), std::vector<std::string>{"Done."});
}

void PreviewDialogsTest::replaceOnEmptyListStaysOpen() {
    PreviewWindowFixture f;
    f.windows.ClearPreviewList();
    bool stillOpen = false;
    f.show([&](Form2& w) {
        OnNextModalThenClose([&](QWidget& dialog) {
            QTest::keyClicks(dialog.findChild<QLineEdit*>("Text1"), "a");
            Click(dialog, "PushButton2");
            stillOpen = dialog.isVisible();
        });
        Click(w, "PushButton3");
    });
    QVERIFY(stillOpen);
    QCOMPARE(f.prompts.Messages(), std::vector<std::string>{"No SQL to run."});
}

void PreviewDialogsTest::editLineWritesBackOnOk_data() {
    QTest::addColumn<QString>("typed"); // null: keep the text as shown
    QTest::addColumn<QString>("leaveBy");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ok unchanged") << QString() << "PushButton2"
                                  << "SELECT 2";
    QTest::newRow("ok with new text") << "SELECT 22;"
                                      << "PushButton2"
                                      << "SELECT 22;";
    QTest::newRow("ok with empty text") << ""
                                        << "PushButton2"
                                        << "";
    QTest::newRow("cancel") << "changed"
                            << "PushButton1"
                            << "SELECT 2";
    QTest::newRow("close box") << "changed"
                               << "close"
                               << "SELECT 2";
}

void PreviewDialogsTest::editLineWritesBackOnOk() {
    QFETCH(QString, typed);
    QFETCH(QString, leaveBy);
    QFETCH(QString, expected);
    PreviewWindowFixture f;
    f.fill(Numbered(3));
    Lines after;
    QString shownText, title;
    int selectedAfter = 0;
    f.show([&](Form2& w) {
        OnNextModalThenClose([&](QWidget& dialog) {
            title = dialog.windowTitle();
            auto* box = dialog.findChild<QPlainTextEdit*>("Text1");
            shownText = box->toPlainText();
            if (!typed.isNull()) {
                QVERIFY(QTest::qWaitForWindowActive(&dialog));
                box->setFocus();
                QTRY_VERIFY(box->hasFocus());
                QCOMPARE(box->textCursor().selectedText(), shownText); // typing replaces it
                QTest::keyClick(box, Qt::Key_Delete);
                QTest::keyClicks(box, typed);
            }
            if (leaveBy == "close")
                dialog.close();
            else
                Click(dialog, leaveBy.toLatin1().constData());
        });
        PreviewWindowFixture::clickLine(w, 2);
        after = PreviewWindowFixture::lines(w);
        selectedAfter = PreviewWindowFixture::selectedLine(w);
    });
    QCOMPARE(title, QString("Edit Line - Tabulant"));
    QCOMPARE(shownText, QString("SELECT 2"));
    QCOMPARE(after, (Lines{"SELECT 1", expected.toStdString(), "SELECT 3"}));
    QCOMPARE(selectedAfter, 2);
    QVERIFY(f.prompts.Entries().empty());
}

void PreviewDialogsTest::editLineOfVanishedLineIsReported() {
    PreviewWindowFixture f;
    f.fill(Numbered(3));
    bool closed = false;
    f.show([&](Form2& w) {
        OnNextModalThenClose([&](QWidget& dialog) {
            f.fill(Numbered(1)); // the list changes under the open dialog
            Click(dialog, "PushButton2");
            closed = !dialog.isVisible();
        });
        PreviewWindowFixture::clickLine(w, 3);
    });
    QVERIFY(closed);
    QCOMPARE(f.prompts.ErrorReports().size(), std::size_t{1});
    QVERIFY(QString::fromStdString(f.prompts.ErrorReports()[0])
                .startsWith("Index out of bounds\r\nin Varnolet2021/08/31.Form4.PushButton2_Click "
                            "at line 100"));
}

void PreviewDialogsTest::tickingACheckBoxOpensNoEditor() {
    PreviewWindowFixture f;
    f.fill(Numbered(2));
    bool checked = false;
    int dialogs = 0;
    f.show([&](Form2& w) {
        OnNextModalThenClose([&](QWidget&) { ++dialogs; }, 200);
        QTableView& list = w.ListView1();
        const QModelIndex first = w.PreviewList().index(0, 0);
        QStyleOptionViewItem option;
        option.initFrom(&list);
        option.rect = list.visualRect(first);
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        const QRect box =
            list.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &list);
        // Another line is selected: a click meant for a check box must not edit that one.
        list.setCurrentIndex(w.PreviewList().index(1, 0));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, box.center());
        checked = w.PreviewList().lines().checked(0);
        QTest::qWait(400); // past the helper's patience, so it cannot outlive this test
    });
    QVERIFY(checked);
    QCOMPARE(dialogs, 0);
}

void PreviewDialogsTest::datatypeViewShowsTheRunsRows() {
    PreviewWindowFixture f;
    f.windows.ClearDatatypeConversionList();
    f.windows.AddDatatypeRow("Orders", "Amount");
    f.windows.SetLastDatatypeRow("decimal", "NUMERIC");
    f.windows.AddDatatypeRow("Orders", "Note");
    f.windows.SetLastDatatypeRow("varwchar", "TEXT");
    f.fill(Numbered(1));
    QStringList headers, firstRow;
    QString title;
    int rows = 0;
    f.show([&](Form2& w) {
        for (int pass = 0; pass < 2; ++pass) { // rows are still there when it is opened again
            OnNextModal([&](QWidget& dialog) {
                title = dialog.windowTitle();
                auto* list = dialog.findChild<QTreeView*>("ListView1");
                headers.clear();
                firstRow.clear();
                for (int c = 0; c < 4; ++c) {
                    headers << list->model()->headerData(c, Qt::Horizontal).toString();
                    firstRow << list->model()->index(0, c).data().toString();
                    QCOMPARE(list->columnWidth(c), shell::TwipsToPixels(1700));
                }
                rows = list->model()->rowCount();
                Click(dialog, "PushButton5");
            });
            Click(w, "PushButton7");
        }
    });
    QCOMPARE(title, QString("Datatypes Conversion - Tabulant"));
    QCOMPARE(headers, (QStringList{"MS Access Table", "MS Access Table Field",
                                   "MS Access Field Datatype", "New PostgreSQL Datatype"}));
    QCOMPARE(firstRow, (QStringList{"Orders", "Amount", "decimal", "NUMERIC"}));
    QCOMPARE(rows, 2);
    QVERIFY(f.prompts.Entries().empty());
}

QTEST_MAIN(PreviewDialogsTest)
#include "PreviewDialogsTest.moc"
