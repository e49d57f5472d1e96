#include "fakes/CountingEventLoop.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtEventLoop.h"
#include "platform/qt/QtShellOpen.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrlQuery>
#include <QtTest>

using namespace tabulant::platform;

// Takes the place of the desktop's mail program.
class LinkCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class QtSeamsTest : public QObject {
    Q_OBJECT

private slots:
    void yieldLooksAtTheClockEverySixteenthCall();
    void yieldProcessesAtMostOncePerInterval();
    void qtLoopRunsPendingEvents();
    void clipboardText_data();
    void clipboardText();
    void clipboardOtherFormat();
    void clipboardClear();
    void mailtoLinkArrivesIntact();
    void mailtoWithoutMailProgramIsRefused();
    void malformedLinkIsRefused_data();
    void malformedLinkIsRefused();
};

void QtSeamsTest::yieldLooksAtTheClockEverySixteenthCall() {
    tabulant::fakes::CountingEventLoop loop;
    loop.setInterval(std::chrono::milliseconds(0));
    for (int i = 0; i < 15; ++i) loop.yield();
    QCOMPARE(loop.Processed(), 0);
    loop.yield();
    QCOMPARE(loop.Processed(), 1);
    for (int i = 0; i < 160; ++i) loop.yield();
    QCOMPARE(loop.Processed(), 11);
    loop.yieldNow();
    QCOMPARE(loop.Processed(), 12);
}

// With an interval far longer than the test can take, only the very first look at the clock
// finds the interval elapsed, however many yields follow and however slow the machine is.
void QtSeamsTest::yieldProcessesAtMostOncePerInterval() {
    tabulant::fakes::CountingEventLoop loop;
    loop.setInterval(std::chrono::hours(1));
    for (int i = 0; i < 100000; ++i) loop.yield();
    for (int i = 0; i < 100; ++i) loop.yieldNow();
    QCOMPARE(loop.Processed(), 1);
}

void QtSeamsTest::qtLoopRunsPendingEvents() {
    QtEventLoop loop;
    loop.setInterval(std::chrono::milliseconds(0));
    int ran = 0;
    QMetaObject::invokeMethod(
        qApp, [&] { ++ran; }, Qt::QueuedConnection);
    for (int i = 0; i < 15; ++i) loop.yield();
    QCOMPARE(ran, 0);
    loop.yield();
    QCOMPARE(ran, 1);
}

void QtSeamsTest::clipboardText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("format");
    QTest::newRow("statements") << "INSERT INTO \"T\" VALUES (1);\r\nDROP TABLE \"T\";\r\n" << 0;
    QTest::newRow("non-ASCII") << "Übersicht 東京 🙂" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("unicode text format") << "x\ty" << 13;
    QTest::newRow("ansi text format") << "x" << 1;
}

void QtSeamsTest::clipboardText() {
    QFETCH(QString, text);
    QFETCH(int, format);
    QtClipboard clipboard;
    QVERIFY(clipboard.SetText(text.toStdString(), format));
    QCOMPARE(QGuiApplication::clipboard()->text(), text);
}

void QtSeamsTest::clipboardOtherFormat() {
    QtClipboard clipboard;
    QVERIFY(clipboard.SetText("a\xc3\xa9", 49161));
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data != nullptr);
    QCOMPARE(data->data("application/x-tabulant-format-49161"), QByteArray("a\xc3\xa9"));
    QVERIFY(!data->hasText());
}

void QtSeamsTest::clipboardClear() {
    QtClipboard clipboard;
    QVERIFY(clipboard.SetText("something", 0));
    QVERIFY(clipboard.Clear());
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());
}

void QtSeamsTest::mailtoLinkArrivesIntact() {
    LinkCatcher catcher;
    QDesktopServices::setUrlHandler("mailto", &catcher, "open");
    const QByteArray link =
        "mailto:support@example.com?subject=Tabulant&body=Here%20is%20the%20error"
        "%20message%20that%20I%20get%3A%20%0ASQLException%20%2342P01%3A%20a%26b"
        "%3Fc%3Dd%0D%0Aline%202%20%C3%BC%25";
    // Whether this machine has a mail program does not matter here.
    QVERIFY(QtShellOpen([] { return true; }).Open(link.toStdString()));
    QDesktopServices::unsetUrlHandler("mailto");
    QCOMPARE(catcher.opened.size(), 1);
    const QUrl url = catcher.opened.first();
    QCOMPARE(url.scheme(), QString("mailto"));
    QCOMPARE(url.path(), QString("support@example.com"));
    const QUrlQuery query(url);
    QCOMPARE(query.queryItemValue("subject", QUrl::FullyDecoded), QString("Tabulant"));
    QCOMPARE(query.queryItemValue("body", QUrl::FullyDecoded),
             QString("Here is the error message that I get: \nSQLException #42P01: a&b?c=d\r\n"
                     "line 2 ü%"));
}

// Without a mail program the link is not handed on, and Open says so.
void QtSeamsTest::mailtoWithoutMailProgramIsRefused() {
    LinkCatcher catcher;
    QDesktopServices::setUrlHandler("mailto", &catcher, "open");
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    const bool mail = QtShellOpen([] { return false; }).Open("mailto:a@b.c?body=x");
    const bool web = QtShellOpen([] { return false; }).Open("https://example.com/");
    QDesktopServices::unsetUrlHandler("mailto");
    QDesktopServices::unsetUrlHandler("https");
    QVERIFY(!mail);
    QVERIFY(web);
    QCOMPARE(catcher.opened.size(), 1);
}

void QtSeamsTest::malformedLinkIsRefused_data() {
    QTest::addColumn<QString>("link");
    QTest::newRow("raw blank") << "mailto:a@b.c?body=a b";
    QTest::newRow("bad escape") << "mailto:a@b.c?body=100%";
    QTest::newRow("no scheme") << "just text";
    QTest::newRow("empty") << "";
}

void QtSeamsTest::malformedLinkIsRefused() {
    QFETCH(QString, link);
    LinkCatcher catcher;
    QDesktopServices::setUrlHandler("mailto", &catcher, "open");
    const bool opened = QtShellOpen([] { return true; }).Open(link.toStdString());
    QDesktopServices::unsetUrlHandler("mailto");
    QVERIFY(!opened);
    QVERIFY(catcher.opened.isEmpty());
}

QTEST_MAIN(QtSeamsTest)
#include "QtSeamsTest.moc"
