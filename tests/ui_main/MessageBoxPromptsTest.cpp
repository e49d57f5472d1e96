// The real message boxes: caption, icon, buttons and the answer, driven by closing the box that
// is open; and the display form of the program's carriage-return texts.
#include "platform/widgets/MessageBoxPrompts.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

using tabulant::platform::MessageBoxPrompts;
using Answer = tabulant::platform::Prompts::Answer;

namespace {

struct Seen {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Once the box is open, records what it shows and presses `press`.
void answerNextBox(Seen& seen, QMessageBox::StandardButton press) {
    QTimer::singleShot(0, [&seen, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
        box->button(press)->click();
    });
}

} // namespace

class MessageBoxPromptsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { tabulant::platform::SetApplicationTitleText("Tabulant"); }

    void displayText_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << "Done."
                               << "Done.";
        QTest::newRow("crlf") << "a\r\nb"
                              << "a\nb";
        QTest::newRow("two carriage returns") << "a\r\rb"
                                              << "a\n\nb";
        QTest::newRow("report shape") << "d\r\nin X at line 1\r\rPlease"
                                      << "d\nin X at line 1\n\nPlease";
        QTest::newRow("markup stays text") << "<b>x</b>"
                                           << "<b>x</b>";
    }
    void displayText() {
        QFETCH(QString, program);
        QFETCH(QString, shown);
        QCOMPARE(MessageBoxPrompts::DisplayText(program.toStdString()), shown);
    }

    void message() {
        MessageBoxPrompts prompts;
        Seen seen;
        answerNextBox(seen, QMessageBox::Ok);
        prompts.Message("Connection successful.");
        QCOMPARE(seen.title, QStringLiteral("Tabulant"));
        QCOMPARE(seen.text, QStringLiteral("Connection successful."));
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void question_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("press");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("caption");
        QTest::newRow("titled, yes")
            << "Overwrite?" << int(QMessageBox::Yes) << int(Answer::Yes) << "Overwrite?";
        QTest::newRow("titled, no")
            << "Overwrite?" << int(QMessageBox::No) << int(Answer::No) << "Overwrite?";
        QTest::newRow("untitled takes the application title")
            << "" << int(QMessageBox::Yes) << int(Answer::Yes) << "Tabulant";
    }
    void question() {
        QFETCH(QString, title);
        QFETCH(int, press);
        QFETCH(int, answer);
        QFETCH(QString, caption);
        MessageBoxPrompts prompts;
        Seen seen;
        answerNextBox(seen, QMessageBox::StandardButton(press));
        const Answer got = prompts.Question("Would you like to overwrite t?", title.toStdString());
        QCOMPARE(int(got), answer);
        QCOMPARE(seen.title, caption);
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    }

    void errorReport() {
        MessageBoxPrompts prompts;
        Seen seen;
        answerNextBox(seen, QMessageBox::Ok);
        prompts.ErrorReport("boom\r\nin X at line 100\r\rPlease email");
        QCOMPARE(seen.title, QStringLiteral("Application Error"));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(seen.text, QStringLiteral("boom\nin X at line 100\n\nPlease email"));
    }
};

QTEST_MAIN(MessageBoxPromptsTest)
#include "MessageBoxPromptsTest.moc"
