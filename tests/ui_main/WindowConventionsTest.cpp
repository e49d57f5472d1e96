// The conventions every window shares: hover pointer states, colours, select-all text boxes and
// the secondary-window set-up with its hand-cursor step.
#include "fakes/ScriptedPrompts.h"
#include "shell/core/Helpers.h"
#include "shell/widgets/ApplicationIcon.h"
#include "shell/widgets/SecondaryWindow.h"
#include "shell/widgets/SelectAllOnFocus.h"
#include "shell/widgets/WindowColors.h"
#include "shell/widgets/WindowPointer.h"

#include "MouseEnter.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace tabulant;
using shell::WindowPointer;

namespace {

// A window with a push button, a frame holding a text box, and an unregistered label.
struct Window {
    QWidget window;
    QPushButton* button = new QPushButton("Go", &window);
    QGroupBox* frame = new QGroupBox("Frame", &window);
    QLineEdit* text = new QLineEdit(frame);
    QLabel* label = new QLabel("Label", &window);
    QCheckBox* check = new QCheckBox("Check", &window);
    QRadioButton* option = new QRadioButton("Option", &window);
    WindowPointer pointer{window};

    Window() {
        pointer.handOver({button});
        pointer.defaultOver({&window, frame, text});
    }
};

} // namespace

class WindowConventionsTest : public QObject {
    Q_OBJECT
private slots:
    void hoverPointer_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("over");
        QTest::addColumn<int>("after");
        QTest::newRow("default, button: hand") << 0 << "button" << 99;
        QTest::newRow("hand, frame: default") << 99 << "frame" << 0;
        QTest::newRow("hand, background: default") << 99 << "window" << 0;
        QTest::newRow("hand, text box: default") << 99 << "text" << 0;
        QTest::newRow("hand, unregistered label: unchanged") << 99 << "label" << 99;
        QTest::newRow("busy, button: stays busy") << 11 << "button" << 11;
        QTest::newRow("busy, background: stays busy") << 11 << "window" << 11;
    }
    void hoverPointer() {
        QFETCH(int, before);
        QFETCH(QString, over);
        QFETCH(int, after);
        Window w;
        w.pointer.set(before);
        QWidget* target = over == "button"  ? static_cast<QWidget*>(w.button)
                          : over == "frame" ? static_cast<QWidget*>(w.frame)
                          : over == "text"  ? static_cast<QWidget*>(w.text)
                          : over == "label" ? static_cast<QWidget*>(w.label)
                                            : &w.window;
        testing::MouseEnter(target);
        QCOMPARE(w.pointer.state(), after);
        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        QCOMPARE(w.pointer.state(), after);
    }

    void pointerShapes() {
        Window w;
        w.pointer.set(11);
        QCOMPARE(w.window.cursor().shape(), Qt::WaitCursor);
        w.pointer.set(99); // no custom image: the default pointer
        QCOMPARE(w.window.cursor().shape(), Qt::ArrowCursor);
        QPixmap hand(8, 8);
        hand.fill(Qt::black);
        w.pointer.setCustomCursor(QCursor(hand, 1, 1));
        QCOMPARE(w.window.cursor().shape(), Qt::BitmapCursor);
        w.pointer.set(0);
        QCOMPARE(w.window.cursor().shape(), Qt::ArrowCursor);
    }

    void windowColors() {
        Window w;
        const QColor face = QApplication::palette().color(QPalette::Button);
        const QColor editBase = w.text->palette().color(QPalette::Base);
        const QColor buttonWindow = w.button->palette().color(QPalette::Window);
        QPalette white = QApplication::palette();
        white.setColor(QPalette::Window, Qt::white);
        QApplication::setPalette(white);
        shell::SetWindowColors(w.window);
        for (QWidget* painted :
             std::initializer_list<QWidget*>{&w.window, w.frame, w.label, w.check, w.option}) {
            QCOMPARE(painted->palette().color(painted->backgroundRole()), face);
            QVERIFY(painted->autoFillBackground());
        }
        QCOMPARE(w.text->palette().color(QPalette::Base), editBase);
        QCOMPARE(w.button->palette().color(QPalette::Window), buttonWindow);
        QVERIFY(!w.button->autoFillBackground());
    }

    void selectAllOnFocus() {
        QWidget window;
        auto* box = new QLineEdit("localhost", &window);
        auto* other = new QLineEdit("x", &window);
        new shell::SelectAllOnFocus(&window, {box});
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        box->setCursorPosition(3);
        box->setFocus(Qt::OtherFocusReason);
        QCOMPARE(box->selectedText(), QStringLiteral("localhost"));
        // A click that gives the focus must not leave only a caret behind.
        other->setFocus();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        QTRY_COMPARE(box->selectedText(), QStringLiteral("localhost"));
    }

    void secondaryWindowSetUp_data() {
        QTest::addColumn<QByteArray>("cursorFile"); // empty: no file
        QTest::addColumn<int>("reports");
        QTest::addColumn<bool>("hand");
        QFile shipped(QStringLiteral(TABULANT_HAND_CURSOR));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QTest::newRow("no cursor file") << QByteArray() << 0 << false;
        QTest::newRow("the hand cursor") << shipped.readAll() << 0 << true;
        QTest::newRow("damaged cursor file") << QByteArray("not a cursor") << 1 << false;
    }
    void secondaryWindowSetUp() {
        QFETCH(QByteArray, cursorFile);
        QFETCH(int, reports);
        QFETCH(bool, hand);
        QTemporaryDir folder;
        shell::SetProgramFolder(folder.path().toStdString());
        if (!cursorFile.isEmpty()) {
            QFile f(folder.filePath("HAND-M.CUR"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(cursorFile);
        }
        fakes::ScriptedPrompts prompts;
        shell::Trap trap(prompts, "Form3.Form_Load");
        Window w;
        const int next = shell::SetUpSecondaryWindow(trap, w.window, w.pointer, "Find and Replace");
        QCOMPARE(next, 110);
        QCOMPARE(w.window.windowTitle(), QStringLiteral("Find and Replace - Tabulant"));
        QCOMPARE(w.window.windowIcon().cacheKey(), shell::ApplicationIcon().cacheKey());
        QVERIFY(!shell::ApplicationIcon().pixmap(32).isNull());
        QCOMPARE(w.window.palette().color(QPalette::Window),
                 QApplication::palette().color(QPalette::Button));
        QCOMPARE(int(prompts.ErrorReports().size()), reports);
        if (reports) {
            QVERIFY(QString::fromStdString(prompts.ErrorReports()[0])
                        .startsWith("Invalid picture\r\nin Varnolet2021/08/31.Form3.Form_Load at "
                                    "line 108\r\r"));
        }
        QCOMPARE(w.pointer.hasCustomCursor(), hand);
    }
};

QTEST_MAIN(WindowConventionsTest)
#include "WindowConventionsTest.moc"
