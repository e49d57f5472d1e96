#include "db/odbc/WideText.h"

#include <QTest>

using namespace tabulant::db;

// Every statement crosses to the driver as UTF-16 and every text comes back from it the same
// way; a slip here corrupts data silently.
class WideTextTest : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data() {
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<int>("units");
        QTest::newRow("empty") << QByteArray("") << 0;
        QTest::newRow("ascii") << QByteArray("INSERT INTO \"t\" VALUES ('a');") << 29;
        QTest::newRow("two-byte") << QByteArray("Ωμέγα ñ") << 7;
        QTest::newRow("three-byte") << QByteArray("中文 €") << 4;
        QTest::newRow("four-byte pair") << QByteArray("😀") << 2;
        QTest::newRow("mixed") << QByteArray("a😀Ω€\x7f") << 6;
        QTest::newRow("highest code point") << QByteArray("\xf4\x8f\xbf\xbf") << 2;
    }
    void roundTrip() {
        QFETCH(QByteArray, utf8);
        QFETCH(int, units);
        const std::vector<SQLWCHAR> wide = ToUtf16(utf8.toStdString());
        QCOMPARE(static_cast<int>(wide.size()), units);
        // Qt's own converter is the reference for the UTF-16 form.
        const QString reference = QString::fromUtf8(utf8);
        QCOMPARE(QString::fromUtf16(reinterpret_cast<const char16_t*>(wide.data()), wide.size()),
                 reference);
        QCOMPARE(QByteArray::fromStdString(ToUtf8(wide.data(), wide.size())), utf8);
    }

    void malformedBecomesReplacement_data() {
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<QString>("expected");
        QTest::newRow("lone continuation") << QByteArray("a\x80z") << QStringLiteral("a\uFFFDz");
        QTest::newRow("cut sequence at end") << QByteArray("a\xce") << QStringLiteral("a\uFFFD");
        QTest::newRow("cut sequence inside")
            << QByteArray("\xe4\xb8z") << QStringLiteral("\uFFFD\uFFFDz");
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << QStringLiteral("\uFFFD\uFFFD");
        QTest::newRow("encoded surrogate")
            << QByteArray("\xed\xa0\x80") << QStringLiteral("\uFFFD\uFFFD\uFFFD");
        QTest::newRow("beyond U+10FFFF")
            << QByteArray("\xf4\x90\x80\x80") << QStringLiteral("\uFFFD\uFFFD\uFFFD\uFFFD");
        QTest::newRow("invalid lead") << QByteArray("\xff") << QStringLiteral("\uFFFD");
    }
    void malformedBecomesReplacement() {
        QFETCH(QByteArray, utf8);
        QFETCH(QString, expected);
        const std::vector<SQLWCHAR> wide = ToUtf16(utf8.toStdString());
        QCOMPARE(QString::fromUtf16(reinterpret_cast<const char16_t*>(wide.data()), wide.size()),
                 expected);
    }

    void loneSurrogatesFromDriver() {
        const std::vector<SQLWCHAR> wide = {'a', 0xD83D, 'b', 0xDE00, 0xD83D};
        QCOMPARE(ToUtf8(wide.data(), wide.size()), std::string("a\uFFFDb\uFFFD\uFFFD"));
    }

    void appendsToExistingBuffer() {
        std::vector<SQLWCHAR> buffer = ToUtf16("ab");
        tabulant::platform::AppendUtf16("Ω", buffer);
        QCOMPARE(buffer.size(), std::size_t(3));
        std::string text = "x";
        tabulant::platform::AppendUtf8(buffer.data(), buffer.size(), text);
        QCOMPARE(text, std::string("xabΩ"));
    }
};

QTEST_GUILESS_MAIN(WideTextTest)
#include "WideTextTest.moc"
